#include "core/Prompter.h"
#include "core/States.h"
#include "rating/MAVereDivoQuote.h"
#include "rating/NJVereDivoQuote.h"

std::unique_ptr<TVereDivoQuote> CreateStateQuote(int32_t planId, TQuoteApplication &application,
                                                 const TCustLOBInfo &info, TDateTime newDate)
{
    switch (StateNumber(info.State())) {
    case StateMA:
        return std::make_unique<TMAVereDivoQuote>(planId, application, info, newDate);
    case StateNJ:
        return std::make_unique<TNJVereDivoQuote>(planId, application, info, newDate);
    default:
        ShowError("Unrecognized State requested.  Unable to continue with quote.");
        return nullptr;
    }
}
