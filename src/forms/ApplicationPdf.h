#pragma once

#include <cstdint>
#include <memory>
#include <string>

class TQorFormViewer;
class TVereDivoQuote;

// The kind that stands for the plan's premium finance agreement, filled as the program shows it
// from "Finance Agreement" (the agreement's figures for the quote's total premium).
constexpr int32_t FinanceAgreementKind = 3;

// The quote's application of a kind (1 the workers compensation application, 2 the pool
// application, FinanceAgreementKind the finance agreement) in a form viewer that is never shown,
// filled as the ACORD window fills it before the user types. A plan that names no form of the
// kind raises std::runtime_error with NoApplicationFormMessage; a plan without a finance
// agreement, or one without payments for the premium, raises it with the reason. Needs a
// QApplication.
std::unique_ptr<TQorFormViewer> OpenFilledApplication(TVereDivoQuote &quote, int32_t kind,
                                                      int32_t currentYear);

// That application printed on US Letter into the PDF file `path`, as the ACORD window prints
// every page; the file is written whole or not at all (an older file of that name stays until
// the new one is complete). Raises std::runtime_error when it cannot be written.
void WriteApplicationPdf(TVereDivoQuote &quote, int32_t kind, const std::string &path);
