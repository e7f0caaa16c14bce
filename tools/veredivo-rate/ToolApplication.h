#pragma once

#include "rating/QuoteApplication.h"
#include "storage/VereDivoAppInfo.h"

#include <memory>
#include <string>
#include <utility>

class TVereDivoDatabase;

// The application of the rating command (and of the benchmarks): the program's folders and
// table set of a program folder, with the quote store of its quote folder; the log on standard
// error when asked for, and the agency a caller sets (none at first).
class TToolApplication final : public TQuoteApplication
{
public:
    // Makes `programFolder` the program folder (SetProgramFolder) and opens its data; the
    // folder settings are the program's own ("veredivo.ini" in the settings folder).
    TToolApplication(const std::string &programFolder, bool logToStandardError);

    TVereDivoAppInfo &Info() { return m_info; }

    std::string ProgramFolder() const override { return m_info.ProgramFolder(); }
    std::string DataFolder() const override { return m_info.DataFolder(); }
    TVereDivoDatabase &Database() override { return m_info.Tables(); }
    // Once asked, one rate book for all the quotes of a run: a batch would otherwise spend
    // most of its time opening and closing the same twelve tables for every quote. Until then
    // each quote opens its own, as in the program.
    void ShareOneRateBook() { m_shareRateBook = true; }
    std::shared_ptr<TVereDivoRateBook> SharedRateBook() override;
    void Log(const std::string &line) override;
    bool SaveQuote(TVereDivoQuote &quote) override;
    int32_t StoredPlan(int32_t quoteId, int32_t def) override;
    void LoadCustomer(TVereDivoQuote &quote) override;
    TAgencyAddress Agency() const override { return m_agency; }
    void SetAgency(TAgencyAddress agency) { m_agency = std::move(agency); }

private:
    std::string m_programFolder; // set before the folders are worked out
    TVereDivoAppInfo m_info;
    bool m_log = false;
    TAgencyAddress m_agency;
    bool m_shareRateBook = false;
    std::shared_ptr<TVereDivoRateBook> m_rateBook; // its tables are in m_info's table set
};
