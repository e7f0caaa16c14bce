#pragma once

#include <cstdint>
#include <memory>
#include <string>

class TQorFormViewer;
class TVereDivoQuote;

// The quote's application of a kind (1 the workers compensation application, 2 the pool
// application) in a form viewer that is never shown, filled as the ACORD window fills it before
// the user types. A plan that names no form of the kind raises std::runtime_error with
// NoApplicationFormMessage. Needs a QApplication.
std::unique_ptr<TQorFormViewer> OpenFilledApplication(TVereDivoQuote &quote, int32_t kind,
                                                      int32_t currentYear);

// That application printed on US Letter into the PDF file `path`, as the ACORD window prints
// every page; the file is written whole or not at all (an older file of that name stays until
// the new one is complete). Raises std::runtime_error when it cannot be written.
void WriteApplicationPdf(TVereDivoQuote &quote, int32_t kind, const std::string &path);
