#pragma once

// A quote's application forms as documents: the quote's field writes going into a form, the
// applications and the finance agreement filled as the ACORD window fills them before the user
// types, and the form data file of a quote.

#include "forms/FormDocument.h"
#include "rating/VereDivoQuote.h"

#include <functional>
#include <string>

// The quote's field writes, into a form document. `Changed` hears of every field written.
class TFormDocumentTarget : public TApplicationFormTarget
{
public:
    explicit TFormDocumentTarget(TFormDocument &document) : m_document(document) { }
    bool SetField(const std::string &name, const std::string &value, bool readOnly) override;

    std::function<void(TFormField &)> Changed;

private:
    TFormDocument &m_document;
};

// While it lives the quote writes its form fields through the target (and its dates in the
// long form an open ACORD window asks for).
class TApplicationFormScope
{
public:
    TApplicationFormScope(TVereDivoQuote &quote, TApplicationFormTarget &target);
    ~TApplicationFormScope();
    TApplicationFormScope(const TApplicationFormScope &) = delete;
    TApplicationFormScope &operator=(const TApplicationFormScope &) = delete;

private:
    TVereDivoQuote &m_quote;
};

// The message when the quote's plan names no form of that kind.
std::string NoApplicationFormMessage(const TVereDivoQuote &quote, int32_t kind);

// Loads the quote's application of a kind (1 the workers compensation application, 2 the pool
// application) from `formsFolder` and fills it with the quote's new data. A plan that names no
// form of the kind raises std::runtime_error with NoApplicationFormMessage.
void LoadApplication(TVereDivoQuote &quote, int32_t kind, TFormDocument &document,
                     const std::string &formsFolder);
void FillApplicationForm(TVereDivoQuote &quote, int32_t kind, TFormDocument &document,
                         int32_t currentYear);

// The finance agreement's form (loaded from the agreement's App_Name) filled with the quote's
// standard fields and the agreement's figures.
void FillFinanceForm(TVereDivoQuote &quote, const TFinanceAgreement &agreement,
                     const TFinanceFigures &figures, TFormDocument &document);

// The year the prior-year fields count back from: this year.
int32_t CurrentYear();
