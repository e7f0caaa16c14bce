#include "printing/QuoteOutput.h"

#include "core/BusyCursor.h"
#include "core/DocumentPrinting.h"
#include "core/Encoding.h"
#include "core/Paths.h"
#include "core/Prompter.h"
#include "core/Text.h"
#include "printing/PdfDocument.h"
#include "printing/QtCanvas.h"
#include "rating/VereDivoQuote.h"

#include <QPrinter>

namespace {

const int32_t kPdfWidth = 800;
const int32_t kPdfHeight = 1400;
const int32_t kScreenDpi = 96;

// Runs `draw` as one printer job; the job ends also when drawing fails.
template<typename Draw>
void PrinterJob(QPrinter &printer, Draw draw)
{
    QtCanvas canvas(printer);
    if (!canvas.Begin()) {
        throw EPrinterError("The printer " + PrinterDisplayName(printer) +
                            " could not start printing.");
    }
    try {
        draw(canvas);
    } catch (...) {
        canvas.End();
        throw;
    }
    if (!canvas.End() || printer.printerState() == QPrinter::Error) {
        throw EPrinterError("The printer " + PrinterDisplayName(printer) +
                            " could not finish printing.");
    }
}

} // namespace

std::string PrinterDisplayName(const QPrinter &printer)
{
    const QString name =
        printer.outputFileName().isEmpty() ? printer.printerName() : printer.outputFileName();
    return Utf8ToWindows1252(name.toStdString());
}

std::string DefaultWorksheetPdfPath(const TVereDivoQuote &quote)
{
    const std::string program = quote.Application().ProgramFolder();
    if (CanWriteIn(program)) {
        return program + "wcquote.pdf";
    }
    ForceDirectories(StateFolder());
    return StateFolder() + "wcquote.pdf";
}

void WriteWorksheetPdf(TVereDivoQuote &quote, const std::string &path)
{
    const std::string agency = Trim(quote.Application().Agency().Name);
    TPdfDocument pdf(path, kPdfWidth, kPdfHeight, kScreenDpi,
                     "Estimated Workers Compensation Quotation",
                     agency.empty() ? std::string("Veredivo") : agency);
    quote.PrintWorksheet(pdf.Page(), kPdfWidth, 1);
    pdf.Finish();
}

void PrintWorksheetOn(QPrinter &printer, TVereDivoQuote &quote)
{
    PrinterJob(printer,
               [&](Canvas &canvas) { quote.PrintWorksheet(canvas, canvas.PageWidth(), 0); });
}

bool PrintDocumentOn(QPrinter &printer, const std::string &title, const std::string &path)
{
    if (!FileExists(ResolveFileName(path))) {
        ShowInformation("The document " + path + " does not exist");
        return false;
    }
    PrinterJob(printer, [&](Canvas &canvas) {
        int32_t y = 0;
        canvas.SetFont("Times New Roman", 14, fsBold);
        CenterText(canvas, y, title);
        AdvanceLines(canvas, 2, y, 5);
        canvas.SetFont("Times New Roman", 10, 0);
        PrintDocumentFile(canvas, path, InchesToPixels(canvas, 0.75), y);
    });
    return true;
}

void PrintDocumentsOn(QPrinter &printer, const std::vector<TDocument> &documents, int jobsBefore)
{
    const QString file = printer.outputFileName();
    const qsizetype dot = file.lastIndexOf(QLatin1Char('.'));
    const bool hasExtension = dot > file.lastIndexOf(QLatin1Char('/'));
    BusyCursor busy;
    int job = jobsBefore;
    try {
        for (const TDocument &document : documents) {
            if (!file.isEmpty() && ++job > 1) {
                const QString number = QStringLiteral(" (%1)").arg(job);
                printer.setOutputFileName(hasExtension ? file.left(dot) + number + file.mid(dot)
                                                       : file + number);
            }
            PrintDocumentOn(printer, document.Name, document.Path);
        }
    } catch (...) {
        printer.setOutputFileName(file);
        throw;
    }
    printer.setOutputFileName(file);
}

void PrintWorksheetWithDocuments(QPrinter &printer, TVereDivoQuote &quote,
                                 const std::vector<TDocument> &documents)
{
    PrintWorksheetOn(printer, quote);
    PrintDocumentsOn(printer, documents, 1);
}
