#pragma once

#include <cstdint>
#include <memory>
#include <string>

class TVereDivoDatabase;
class TVereDivoQuote;
class TVereDivoRateBook;

// The agency's name and address block as the data items print it.
struct TAgencyAddress
{
    std::string Name;
    std::string Attention;
    std::string Street;
    std::string City;
    std::string State;
    std::string Zip;
    std::string Phone;
    std::string Fax;
    std::string ProducerId;
    // The sender of quote e-mails; initialised so that the address lists written before it
    // still read complete.
    std::string EMail = {};
};

// Everything a quote needs from the program above it: folders, the table set, the log, the
// store that saves and reads quotes, and the agency profile. Storage implements it for the
// program; tools and tests supply their own. The quote never reaches past this interface.
class TQuoteApplication
{
public:
    virtual ~TQuoteApplication() = default;

    // Folders, each with a trailing "/".
    virtual std::string ProgramFolder() const = 0;
    virtual std::string DataFolder() const = 0;
    // The folder of the application forms.
    virtual std::string AcordFolder() const { return ProgramFolder() + "ACORD/"; }

    // The program's one table set; the rate book registers its tables in it.
    virtual TVereDivoDatabase &Database() = 0;
    // The rate book every quote reads, kept open from quote to quote. None (the default) gives
    // each quote its own, whose tables are opened afresh and so read a rate update made since.
    virtual std::shared_ptr<TVereDivoRateBook> SharedRateBook() { return nullptr; }

    // One line of the program log ("WCQuote - Calculate Premium - Enter").
    virtual void Log(const std::string &line) = 0;

    // The quote store.
    // Saves the quote with its customer; false when the user cancelled or nothing was stored.
    virtual bool SaveQuote(TVereDivoQuote &quote) = 0;
    // The broker number stored with a saved quote, or `def` when none is stored.
    virtual int32_t StoredPlan(int32_t quoteId, int32_t def) = 0;
    // Loads the stored customer of a saved quote into the quote's customer record.
    virtual void LoadCustomer(TVereDivoQuote &quote) = 0;

    // The agency profile.
    virtual TAgencyAddress Agency() const = 0;
};
