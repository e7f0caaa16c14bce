#include "forms/ApplicationPdf.h"

#include "core/Paths.h"
#include "forms/ApplicationForm.h"
#include "forms/FormViewer.h"
#include "rating/FinanceAgreement.h"
#include "rating/QuoteApplication.h"
#include "rating/VereDivoQuote.h"

#include <QPageLayout>
#include <QPageSize>
#include <QPrinter>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <stdexcept>

std::unique_ptr<TQorFormViewer> OpenFilledApplication(TVereDivoQuote &quote, int32_t kind,
                                                      int32_t currentYear)
{
    auto viewer = std::make_unique<TQorFormViewer>();
    viewer->SetFormsPath(quote.Application().AcordFolder());
    if (kind == FinanceAgreementKind) {
        if (!quote.PlanProfile->HAS_FINANC) {
            throw std::runtime_error("The plan of this quote has no finance agreement.");
        }
        const auto agreement = quote.RateBook().GetFinanceAgreement(quote.PlanProfile->FinanceID);
        // Without the New York financing options the window asks for: no surcharge, and the
        // minimum down payment is paid.
        const TFinanceFigures figures =
            ComputeFinanceFigures(*agreement, quote.Results.TotalPremium, 0, -1);
        viewer->SetFormName(agreement->App_Name);
        FillFinanceForm(quote, *agreement, figures, viewer->Document());
        return viewer;
    }
    const std::string formName = quote.ApplicationFormName(kind);
    if (formName.empty()) {
        throw std::runtime_error(NoApplicationFormMessage(quote, kind));
    }
    viewer->SetFormName(formName);
    FillApplicationForm(quote, kind, viewer->Document(), currentYear);
    return viewer;
}

void WriteApplicationPdf(TVereDivoQuote &quote, int32_t kind, const std::string &path)
{
    const std::unique_ptr<TQorFormViewer> viewer =
        OpenFilledApplication(quote, kind, CurrentYear());
    // Printed beside the target and renamed over it once complete, so a failure never leaves a
    // half file under the name asked for.
    const std::string partial = path + ".part";
    {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromStdString(partial));
        printer.setPageSize(QPageSize(QPageSize::Letter));
        printer.setPageMargins(QMarginsF(0.25, 0.1, 0.25, 0.1), QPageLayout::Inch);
        try {
            viewer->PrintPages(0, 0, &printer);
        } catch (...) {
            std::remove(partial.c_str());
            throw;
        }
        if (viewer->PrintAborted()) {
            std::remove(partial.c_str());
            throw std::runtime_error("Printing " + path + " was stopped.");
        }
    }
    if (!FileExists(partial)) {
        throw std::runtime_error("Cannot write " + path + ".");
    }
    if (std::rename(partial.c_str(), path.c_str()) != 0) {
        const std::string reason = std::strerror(errno);
        std::remove(partial.c_str());
        throw std::runtime_error("Cannot write " + path + ": " + reason);
    }
}
