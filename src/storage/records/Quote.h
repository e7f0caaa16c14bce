#pragma once

// The base of every quote: who is quoted (the customer record), the quote header, the plans
// and the rate information of its line of business.

#include "db/KeyItems.h"
#include "storage/records/CustInfo.h"
#include "storage/records/QuoteInfo.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// Rate information a line of business keeps with its quotes.
class TRateInfo
{
public:
    virtual ~TRateInfo() = default;
};

// The rate information of workers' compensation quotes.
class TBasicWCRateInfo : public TRateInfo
{ };

// The plans of a quote, keyed by number.
class TPlanList : public TKeyItemsList
{ };

class TQuote
{
public:
    // The line of business becomes the header's; the state abbreviation the header's and the
    // customer's. The header gets two new identifiers.
    TQuote(uint8_t lineOfBusiness, std::string_view state);
    virtual ~TQuote();
    TQuote(const TQuote &) = delete;
    TQuote &operator=(const TQuote &) = delete;

    TQorRatingClient &Customer() { return m_customer; }
    const TQorRatingClient &Customer() const { return m_customer; }
    TCustLOBInfo &QuoteInfo() { return m_quoteInfo; }
    const TCustLOBInfo &QuoteInfo() const { return m_quoteInfo; }
    TPlanList &Plans() { return m_plans; }
    std::vector<std::string> &Strings() { return m_strings; }
    // Made by CreateRateInfo on first use (a descendant's factory is only reachable once the
    // descendant is constructed).
    TRateInfo &RateInfo();

protected:
    virtual std::unique_ptr<TRateInfo> CreateRateInfo();

private:
    TQorRatingClient m_customer;
    TCustLOBInfo m_quoteInfo;
    TPlanList m_plans;
    std::unique_ptr<TRateInfo> m_rateInfo;
    std::vector<std::string> m_strings;
};
