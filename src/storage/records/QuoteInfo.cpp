#include "storage/records/QuoteInfo.h"

#include "core/Text.h"

namespace {

bool IsKeptTerm(int32_t months)
{
    return months >= 6 && months <= 36 && months % 6 == 0;
}

} // namespace

TQuoteInfo::TQuoteInfo()
{
    TQuoteInfo::Clear();
}

TQuoteInfo::~TQuoteInfo() = default;

void TQuoteInfo::Clear()
{
    SetQuoteID(0);
    m_customerNumber = 0;
    m_effectiveDate = 0;
    m_expirationDate = 0;
    m_termMonths = 12;
    m_quoteDate = Today();
    m_state.clear();
    m_policyNumber.clear();
    m_company.clear();
    m_description.clear();
    m_identifier1.clear();
    m_identifier2.clear();
}

void TQuoteInfo::Assign(const TQuoteInfo &source)
{
    SetQuoteID(source.QuoteID());
    SetCustomerNumber(source.CustomerNumber());
    SetEffectiveDate(source.EffectiveDate());
    SetExpirationDate(source.ExpirationDate());
    SetTermMonths(source.TermMonths());
    SetQuoteDate(source.QuoteDate());
    SetState(source.State());
    SetPolicyNumber(source.PolicyNumber());
    SetCompany(source.Company());
    SetDescription(source.Description());
    SetLineOfBusiness(source.LineOfBusiness());
    if (!Trim(source.Identifier1()).empty()) {
        SetIdentifier1(source.Identifier1());
    }
    if (!Trim(source.Identifier2()).empty()) {
        SetIdentifier2(source.Identifier2());
    }
}

std::unique_ptr<TQuoteInfo> TQuoteInfo::Clone() const
{
    auto copy = std::make_unique<TQuoteInfo>();
    copy->Assign(*this);
    return copy;
}

void TQuoteInfo::SetQuoteID(int32_t id)
{
    m_quoteID = id;
    Key = id;
}

void TQuoteInfo::SetTermMonths(int32_t months)
{
    m_termMonths = IsKeptTerm(months) ? months : 12;
}

void TQuoteInfo::SetState(std::string_view text)
{
    m_state = text.substr(0, 2);
}

bool TQuoteInfo::IsDescriptionBlank() const
{
    return Trim(m_description).empty();
}

TCustLOBInfo::TCustLOBInfo() = default;

TCustLOBInfo::~TCustLOBInfo() = default;

void TCustLOBInfo::Clear()
{
    TQuoteInfo::Clear();
    m_locationStreet.clear();
    m_locationCity.clear();
    m_locationState.clear();
    m_locationZip.clear();
}

void TCustLOBInfo::Assign(const TQuoteInfo &source)
{
    TQuoteInfo::Assign(source);
    if (const auto *header = dynamic_cast<const TCustLOBInfo *>(&source)) {
        SetLocationStreet(header->LocationStreet());
        SetLocationCity(header->LocationCity());
        SetLocationState(header->LocationState());
        SetLocationZip(header->LocationZip());
    }
}

std::unique_ptr<TQuoteInfo> TCustLOBInfo::Clone() const
{
    auto copy = std::make_unique<TCustLOBInfo>();
    copy->Assign(*this);
    return copy;
}
