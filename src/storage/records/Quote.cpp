#include "storage/records/Quote.h"

#include "core/Guid.h"

TQuote::TQuote(uint8_t lineOfBusiness, std::string_view state)
{
    m_quoteInfo.SetLineOfBusiness(lineOfBusiness);
    m_quoteInfo.SetState(state);
    m_customer.SetState(state);
    m_quoteInfo.SetIdentifier1(NewGuidText());
    m_quoteInfo.SetIdentifier2(NewGuidText());
}

TQuote::~TQuote() = default;

TRateInfo &TQuote::RateInfo()
{
    if (!m_rateInfo) {
        m_rateInfo = CreateRateInfo();
    }
    return *m_rateInfo;
}

std::unique_ptr<TRateInfo> TQuote::CreateRateInfo()
{
    return std::make_unique<TBasicWCRateInfo>();
}
