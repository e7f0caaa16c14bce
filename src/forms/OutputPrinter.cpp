#include "forms/OutputPrinter.h"

#include "core/Encoding.h"
#include "printing/QtCanvas.h"
#include "printing/QuoteOutput.h"

#include <QFile>
#include <QPageLayout>
#include <QPrinter>

#include <typeinfo>

TQorOutputPrinter::TQorOutputPrinter()
    : m_ownPrinter(std::make_unique<QPrinter>(QPrinter::HighResolution)),
      m_printer(m_ownPrinter.get())
{ }

TQorOutputPrinter::TQorOutputPrinter(QPrinter &printer) : m_printer(&printer) { }

TQorOutputPrinter::~TQorOutputPrinter() = default;

Canvas &TQorOutputPrinter::AttachCanvas()
{
    if (!m_canvas) {
        m_canvas = std::make_unique<QtCanvas>(*m_printer);
    }
    return *m_canvas;
}

void TQorOutputPrinter::DeviceBeginDoc()
{
    auto &canvas = static_cast<QtCanvas &>(AttachCanvas());
    if (!canvas.Active() && !canvas.Begin()) {
        throw EOutputError("The printer " + PrinterDisplayName(*m_printer) +
                           " could not start printing.");
    }
}

void TQorOutputPrinter::DeviceEndDoc()
{
    auto &canvas = static_cast<QtCanvas &>(AttachCanvas());
    if (!canvas.End() || m_printer->printerState() == QPrinter::Error) {
        throw EOutputError("The printer " + PrinterDisplayName(*m_printer) +
                           " could not finish printing.");
    }
}

void TQorOutputPrinter::DeviceSetOrientation(TReportOrientation orientation)
{
    m_printer->setPageOrientation(orientation == TReportOrientation::Landscape
                                      ? QPageLayout::Landscape
                                      : QPageLayout::Portrait);
}

void TQorOutputPrinter::DeviceNewPage()
{
    AttachCanvas().NewPage();
}

int32_t TQorOutputPrinter::DevicePageNumber()
{
    return AttachCanvas().PageNumber();
}

void TQorOutputPrinter::DeviceAbort()
{
    m_aborted = true;
    // A printer printing to a file cannot abort by itself: end the job and take the file away.
    if (!m_printer->abort()) {
        static_cast<QtCanvas &>(AttachCanvas()).End();
        if (!m_printer->outputFileName().isEmpty()) {
            QFile::remove(m_printer->outputFileName());
        }
    }
}

int32_t TQorOutputPrinter::DevicePageHeight()
{
    return m_printer->height();
}

int32_t TQorOutputPrinter::DevicePageWidth()
{
    return m_printer->width();
}

void TQorOutputPrinter::DeviceSetTitle(const std::string &title)
{
    m_printer->setDocName(QString::fromStdString(Windows1252ToUtf8(title)));
}

int32_t TQorOutputPrinter::DeviceDpiY()
{
    return m_printer->logicalDpiY();
}

int32_t TQorOutputPrinter::DeviceDpiX()
{
    return m_printer->logicalDpiX();
}

bool TQorOutputPrinter::DeviceAborted()
{
    return m_aborted || m_printer->printerState() == QPrinter::Aborted;
}

bool TQorOutputPrinter::IsPrinter() const
{
    return typeid(*this) == typeid(TQorOutputPrinter);
}

int32_t TQorOutputPrinter::DeviceVertRes()
{
    return m_printer->height();
}

int32_t TQorOutputPrinter::DeviceHorzRes()
{
    return m_printer->width();
}
