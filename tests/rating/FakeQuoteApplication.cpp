#include "FakeQuoteApplication.h"

#include "rating/VereDivoQuote.h"

FakeQuoteApplication::FakeQuoteApplication(const std::string &programFolder)
    : m_programFolder(programFolder), m_database(programFolder + "Data/")
{ }

bool FakeQuoteApplication::SaveQuote(TVereDivoQuote &quote)
{
    ++SaveCount;
    if (SaveAnswer) {
        quote.Modified = false;
    }
    return SaveAnswer;
}

int32_t FakeQuoteApplication::StoredPlan(int32_t quoteId, int32_t def)
{
    return quoteId > 0 && StoredBroker > 0 ? StoredBroker : def;
}

void FakeQuoteApplication::LoadCustomer(TVereDivoQuote &quote)
{
    quote.Customer().SetCompany(StoredCompany);
}
