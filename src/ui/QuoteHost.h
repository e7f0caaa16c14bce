#pragma once

// What a quote window asks of the main window that hosts it.

#include <memory>
#include <string>

class QuoteWindow;
class TCustLOBInfo;
class TVereDivoAppInfo;
struct TRatingSnapshot;

class TQuoteHost
{
public:
    virtual ~TQuoteHost() = default;

    // The program's folders, tables and quote store.
    virtual TVereDivoAppInfo &AppInfo() const = 0;
    // Shows, hides and enables the commands for the active quote.
    virtual void UpdateCommandState() = 0;
    // The New Quote procedure for a quote made from `header` (its state, dates and quote
    // number) carrying the rating data of another quote; the new window, or none.
    virtual QuoteWindow *NewQuoteFrom(const TCustLOBInfo &header,
                                      std::shared_ptr<TRatingSnapshot> carried) = 0;
    // True when output must not go ahead (agency profile, premium, company name).
    virtual bool OutputBlocked(QuoteWindow *quote, const std::string &verb, bool askForAddress) = 0;
    // The print dispatcher: the quote's worksheet and the documents that go with it.
    virtual void PrintQuote(QuoteWindow &quote) = 0;
};
