#include "ToolApplication.h"

#include "core/Paths.h"
#include "rating/RateBook.h"
#include "storage/VereDivoQuoteDBInterface.h"

#include <iostream>

namespace {

std::string MadeProgramFolder(const std::string &folder)
{
    SetProgramFolder(folder);
    return ProgramFolder();
}

} // namespace

TToolApplication::TToolApplication(const std::string &programFolder, bool logToStandardError)
    : m_programFolder(MadeProgramFolder(programFolder)),
      m_info("veredivo"),
      m_log(logToStandardError)
{
    m_info.OpenData();
}

void TToolApplication::Log(const std::string &line)
{
    if (m_log) {
        std::cerr << line << "\n";
    }
}

std::shared_ptr<TVereDivoRateBook> TToolApplication::SharedRateBook()
{
    if (m_shareRateBook && !m_rateBook) {
        m_rateBook = std::make_shared<TVereDivoRateBook>(WorkersCompensation, DataFolder(),
                                                         ProgramFolder(), Database());
    }
    return m_rateBook;
}

bool TToolApplication::SaveQuote(TVereDivoQuote &quote)
{
    return m_info.QuoteDB().SaveQuote(quote);
}

int32_t TToolApplication::StoredPlan(int32_t quoteId, int32_t def)
{
    return m_info.QuoteApplication().StoredPlan(quoteId, def);
}

void TToolApplication::LoadCustomer(TVereDivoQuote &quote)
{
    m_info.QuoteApplication().LoadCustomer(quote);
}
