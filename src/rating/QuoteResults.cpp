#include "rating/QuoteResults.h"

std::vector<std::pair<std::string, int32_t>>
TQuoteResults::Named(const std::string &stateCode) const
{
    std::vector<std::pair<std::string, int32_t>> amounts;
    amounts.reserve(QuoteResultFields.size());
    for (const TQuoteResultField &field : QuoteResultFields) {
        if (field.State[0] == '\0' || stateCode == field.State) {
            amounts.emplace_back(field.Name, this->*field.Amount);
        }
    }
    return amounts;
}
