// The main window's output commands: the worksheet on a printer, the print dispatcher with its
// "Printing Options", the ACORD and pool applications, the finance agreement, "Save as PDF" and
// the e-mail. Each runs the output readiness check first and then hands the active quote to
// the module that does the work.

#include "app/PrintOptions.h"
#include "app/WcForm.h"
#include "core/BusyCursor.h"
#include "core/Paths.h"
#include "core/Prompter.h"
#include "core/Text.h"
#include "export/WordExportWindow.h"
#include "forms/AcordWindow.h"
#include "printing/QuoteMail.h"
#include "printing/QuoteOutput.h"
#include "rating/VereDivoQuote.h"
#include "storage/VereDivoAppInfo.h"
#include "ui/QtText.h"
#include "ui/QuoteWindow.h"

#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QStandardPaths>

namespace {

// The plan's pool application is the Word document (the other kinds are forms).
constexpr int32_t kWordPoolApplication = 1;

bool ShowPrintDialog(QPrinter &printer, QWidget *parent)
{
    QPrintDialog dialog(&printer, parent);
    // Only whole jobs: the worksheet and the documents have no page ranges worth choosing.
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    return dialog.exec() == QDialog::Accepted;
}

// A plan that prints only the worksheet has no application to offer beside it.
bool HasAcordForm(const TVereDivoQuote &quote)
{
    return !quote.PlanProfile->ONLY_WKSHT && !quote.ApplicationFormName(1).empty();
}

} // namespace

void TWC_MDI::mnuPrintClick()
{
    if (QuoteWindow *window = QuoteReadyFor("print")) {
        PrintWorksheet(*window, {});
    }
}

void TWC_MDI::PrintQuote(QuoteWindow &window)
{
    if (OutputBlocked(&window, "print", false)) {
        return;
    }
    TVereDivoQuote *quote = window.Quote();
    if (quote == nullptr || !HasAcordForm(*quote)) {
        PrintWorksheet(window, {});
        return;
    }
    TfrmPrintOptions options(PrintOptionsOffer(*quote), this);
    if (options.exec() != QDialog::Accepted) {
        return;
    }
    const std::vector<TDocument> documents = options.CheckedDocuments();
    switch (options.Choice()) {
    case TfrmPrintOptions::TChoice::AcordForm:
        // The documents go with an application that was printed, not with one left unfinished.
        if (ShowAcordApplication(window) && !documents.empty()) {
            PrintDocuments(documents);
        }
        break;
    case TfrmPrintOptions::TChoice::FinanceAgreement:
        PrintFinanceAgreement(*quote, this);
        break;
    case TfrmPrintOptions::TChoice::PoolApplication:
        ShowPoolApplication(window);
        break;
    case TfrmPrintOptions::TChoice::Worksheet:
        PrintWorksheet(window, documents);
        break;
    }
}

void TWC_MDI::PrintWorksheet(QuoteWindow &window, const std::vector<TDocument> &documents)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(QStringLiteral("Estimated Workers Compensation Quotation"));
    if (!(ExecPrintDialog ? ExecPrintDialog(printer) : ShowPrintDialog(printer, this))) {
        return;
    }
    if (TVereDivoQuote *quote = window.Quote()) {
        PrintWorksheetWithDocuments(printer, *quote, documents);
    }
}

void TWC_MDI::PrintDocuments(const std::vector<TDocument> &documents)
{
    QPrinter printer(QPrinter::HighResolution);
    if (!(ExecPrintDialog ? ExecPrintDialog(printer) : ShowPrintDialog(printer, this))) {
        return;
    }
    // Once each: they go with the one application just printed.
    printer.setCopyCount(1);
    PrintDocumentsOn(printer, documents);
}

bool TWC_MDI::ShowAcordApplication(QuoteWindow &window)
{
    const bool printed = ShowApplication(*window.Quote(), 1, this);
    window.ShowCaption();
    return printed;
}

void TWC_MDI::ShowPoolApplication(QuoteWindow &window)
{
    TVereDivoQuote &quote = *window.Quote();
    if (quote.PlanProfile->Pool_App == kWordPoolApplication) {
        ShowWordPoolApplication(quote, m_appInfo->ProgramFolder(), m_appInfo->QuoteFolder(),
                                !mnuMAApp2007->isChecked(), this);
    } else {
        ShowApplication(quote, 2, this);
    }
    window.ShowCaption();
}

void TWC_MDI::mnuPrintACORDClick()
{
    if (QuoteWindow *window = QuoteReadyFor("print"); window && window->Quote()) {
        ShowAcordApplication(*window);
    }
}

void TWC_MDI::mnuPoolAppClick()
{
    if (QuoteWindow *window = QuoteReadyFor("print"); window && window->Quote()) {
        ShowPoolApplication(*window);
    }
}

void TWC_MDI::mnuPrintFinanceAgreementClick()
{
    if (QuoteWindow *window = QuoteReadyFor("print"); window && window->Quote()) {
        PrintFinanceAgreement(*window->Quote(), this);
    }
}

void TWC_MDI::mnuEmailClick()
{
    // The e-mail carries the worksheet and the agency's phone, so it waits for the same
    // readiness as printing.
    if (QuoteWindow *window = QuoteReadyFor("print"); window && window->Quote()) {
        EmailQuote(*window->Quote());
    }
}

void TWC_MDI::mnuExportQuoteClick()
{
    if (ActiveQuote() == nullptr) {
        return;
    }
    // The plans that allow an export name no format for it; the quote leaves the program
    // printed, as a PDF, by e-mail or as its applications.
    ShowInformation("Exporting the quote is not available in this version of the program: no "
                    "export format is defined for this plan's quotes.  Print the quote, save it "
                    "as a PDF or e-mail it instead.");
}

void TWC_MDI::ToolButton1Click()
{
    QuoteWindow *window = QuoteReadyFor("print");
    if (window == nullptr || window->Quote() == nullptr) {
        return;
    }
    const std::string path = ChoosePdfPath(*window->Quote());
    if (path.empty()) {
        return;
    }
    if (SaveQuotePdf(*window->Quote(), path)) {
        m_pdfFolder = ExtractFilePath(path);
    }
}

std::string TWC_MDI::ChoosePdfPath(const TVereDivoQuote &quote)
{
    QString folder = ToQString(m_pdfFolder);
    if (folder.isEmpty()) {
        folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        if (folder.isEmpty() || !QDir(folder).exists()) {
            folder = QDir::homePath();
        }
    }
    std::string name = FileNamePart(quote.Customer().Company(), "New Customer") + " - " +
        FileNamePart(quote.StateCode, "WC") + " Quote";
    if (quote.QuoteId > 0) {
        name += " " + IntText(quote.QuoteId);
    }
    QFileDialog dialog(this, QStringLiteral("Save as PDF"), folder);
    dialog.setObjectName(QStringLiteral("dlgSavePdf"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(QStringLiteral("pdf"));
    dialog.setNameFilters(
        {QStringLiteral("PDF Forms (*.pdf *.PDF)"), QStringLiteral("All files (*)")});
    dialog.selectFile(ToQString(name + ".pdf"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return {};
    }
    return FromQString(dialog.selectedFiles().front());
}
