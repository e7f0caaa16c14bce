#include "forms/ApplicationForm.h"

#include "core/Dates.h"
#include "core/Text.h"

#include <stdexcept>

bool TFormDocumentTarget::SetField(const std::string &name, const std::string &value, bool readOnly)
{
    TFormField *field = m_document.FindField(name);
    if (field == nullptr) {
        return false;
    }
    SetValue(*field, value);
    field->ReadOnly = readOnly;
    if (Changed) {
        Changed(*field);
    }
    return true;
}

TApplicationFormScope::TApplicationFormScope(TVereDivoQuote &quote, TApplicationFormTarget &target)
    : m_quote(quote)
{
    m_quote.SetApplicationForm(&target);
}

TApplicationFormScope::~TApplicationFormScope()
{
    m_quote.SetApplicationForm(nullptr);
}

std::string NoApplicationFormMessage(const TVereDivoQuote &quote, int32_t kind)
{
    return std::string("The ") + (kind == 1 ? "plan of this quote" : quote.StateCode + " plan") +
        " has no " + (kind == 1 ? "ACORD application" : "pool application") + " form.";
}

void LoadApplication(TVereDivoQuote &quote, int32_t kind, TFormDocument &document,
                     const std::string &formsFolder)
{
    const std::string name = quote.ApplicationFormName(kind);
    if (name.empty()) {
        throw std::runtime_error(NoApplicationFormMessage(quote, kind));
    }
    document.SetFormsPath(formsFolder);
    document.Load(name);
}

void FillApplicationForm(TVereDivoQuote &quote, int32_t kind, TFormDocument &document,
                         int32_t currentYear)
{
    TFormDocumentTarget target(document);
    TApplicationFormScope scope(quote, target);
    std::vector<std::string> unused;
    quote.FillApplication(kind, unused, currentYear);
}

void FillFinanceForm(TVereDivoQuote &quote, const TFinanceAgreement &agreement,
                     const TFinanceFigures &figures, TFormDocument &document)
{
    TFormDocumentTarget target(document);
    TApplicationFormScope scope(quote, target);
    std::vector<std::string> unused;
    quote.FillFinanceAgreement(agreement, figures, unused);
}

int32_t CurrentYear()
{
    return DecodeDate(Today()).year;
}
