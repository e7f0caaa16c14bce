#pragma once

#include "db/VereDivoDatabase.h"
#include "rating/QuoteApplication.h"

#include <memory>
#include <string>
#include <vector>

// The application a quote sees in tests: the table set of a program folder's "Data/" tables,
// a log kept in memory, a quote store that records what it was asked and an agency address.
class FakeQuoteApplication final : public TQuoteApplication
{
public:
    explicit FakeQuoteApplication(const std::string &programFolder);
    // A shared rate book's tables are registered in the table set: it goes first.
    ~FakeQuoteApplication() override { RateBookToShare.reset(); }

    std::string ProgramFolder() const override { return m_programFolder; }
    std::string DataFolder() const override { return m_programFolder + "Data/"; }
    TVereDivoDatabase &Database() override { return m_database; }
    void Log(const std::string &line) override { LogLines.push_back(line); }
    bool SaveQuote(TVereDivoQuote &quote) override;
    int32_t StoredPlan(int32_t quoteId, int32_t def) override;
    void LoadCustomer(TVereDivoQuote &quote) override;
    TAgencyAddress Agency() const override { return AgencyAddress; }
    std::shared_ptr<TVereDivoRateBook> SharedRateBook() override { return RateBookToShare; }

    std::vector<std::string> LogLines;
    TAgencyAddress AgencyAddress;
    // The store: what SaveQuote answers, and how often it was asked.
    bool SaveAnswer = true;
    int SaveCount = 0;
    // The broker number stored with a saved quote (0: none stored) and the customer company
    // a load gives the quote.
    int32_t StoredBroker = 0;
    std::string StoredCompany;
    // None: each quote makes its own rate book.
    std::shared_ptr<TVereDivoRateBook> RateBookToShare;

private:
    std::string m_programFolder;
    TVereDivoDatabase m_database;
};
