#pragma once

#include <cstdint>
#include <string>

class TVereDivoQuote;

// What a quote offers to the main window's commands (the command-state update).
struct TQuoteCommands
{
    bool saveAllowed = false;
    bool exportAllowed = false;
    bool acordAvailable = false;
    bool financeAgreementAvailable = false;
    std::string webSiteCaption; // empty: no web-site command
};

// An MDI child that shows one quote, as the main window sees it. The main window finds the
// active quote through the active child each time; every File command works on it.
class QuoteWindow
{
public:
    virtual ~QuoteWindow() = default;

    // The quote the window holds; none once it is closed (or for a window without one).
    virtual TVereDivoQuote *Quote() const = 0;
    virtual std::string StateAbbreviation() const = 0;
    virtual TQuoteCommands Commands() const = 0;
    virtual bool HasClasses() const = 0;
    virtual int32_t TotalPremium() const = 0;
    virtual bool HasCompanyName() const = 0;
    // Street, city, state and zip of the customer all filled.
    virtual bool HasCompleteAddress() const = 0;
    // The customer dialog; true when the user finished it with "&Done".
    virtual bool EditCustomer(bool askForAddress) = 0;
    // Stores the quote with its customer (the customer dialog first when the quote has no
    // name or description); false when cancelled or nothing was stored.
    virtual bool SaveQuote() = 0;
    // The caption as the quote now names its customer: another window (an application form)
    // may have saved the quote with a new name.
    virtual void ShowCaption() = 0;
    virtual std::string WebSiteAddress() const = 0;
    // Where "&Update From the Web" sends the user; empty when the plan names none.
    virtual std::string UpdateAddress() const = 0;

    // A class on it and a total premium other than 0.
    bool HasValidPremium() const { return HasClasses() && TotalPremium() != 0; }
};
