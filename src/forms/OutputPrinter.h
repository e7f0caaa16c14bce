#pragma once

#include "forms/OutputCanvas.h"

#include <memory>
#include <string>

class QPrinter;
class QtCanvas;

// The report writer on the system printer (or a printer printing to a file). Printer dots are
// the device units; the printable area and the unprintable strips are the printer's own.
class TQorOutputPrinter : public TQorOutputCanvas
{
public:
    // The system's default printer.
    TQorOutputPrinter();
    // A printer set up elsewhere (the print dialog), not owned.
    explicit TQorOutputPrinter(QPrinter &printer);
    ~TQorOutputPrinter() override;
    TQorOutputPrinter(const TQorOutputPrinter &) = delete;
    TQorOutputPrinter &operator=(const TQorOutputPrinter &) = delete;

    QPrinter &Printer() { return *m_printer; }

    Canvas &AttachCanvas() override;
    // Raise EOutputError naming the printer when the job cannot start, go on or finish.
    void DeviceBeginDoc() override;
    void DeviceEndDoc() override;
    void DeviceSetOrientation(TReportOrientation orientation) override;
    void DeviceNewPage() override;
    int32_t DevicePageNumber() override;
    void DeviceAbort() override;
    int32_t DevicePageHeight() override;
    int32_t DevicePageWidth() override;
    void DeviceSetTitle(const std::string &title) override;
    int32_t DeviceDpiY() override;
    int32_t DeviceDpiX() override;
    bool DeviceAborted() override;
    bool IsPrinter() const override;
    int32_t DeviceVertRes() override;
    int32_t DeviceHorzRes() override;

private:
    std::unique_ptr<QPrinter> m_ownPrinter;
    QPrinter *m_printer;
    std::unique_ptr<QtCanvas> m_canvas;
    bool m_aborted = false;
};
