#pragma once

#include "db/VereDivoDatabase.h"
#include "rating/QuoteApplication.h"

#include <string>

// The application of the rating command (and of the benchmarks): the table set of a program
// folder's delivered tables, the log on standard error when asked for, no quote store and no
// agency profile.
class TToolApplication final : public TQuoteApplication
{
public:
    TToolApplication(const std::string &programFolder, bool logToStandardError);

    std::string ProgramFolder() const override { return m_programFolder; }
    std::string DataFolder() const override { return m_programFolder + "Data/"; }
    TVereDivoDatabase &Database() override { return m_database; }
    void Log(const std::string &line) override;
    bool SaveQuote(TVereDivoQuote &quote) override;
    int32_t StoredPlan(int32_t quoteId, int32_t def) override;
    void LoadCustomer(TVereDivoQuote &quote) override;
    TAgencyAddress Agency() const override { return {}; }

private:
    std::string m_programFolder;
    bool m_log = false;
    TVereDivoDatabase m_database;
};
