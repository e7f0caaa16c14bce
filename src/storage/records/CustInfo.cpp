#include "storage/records/CustInfo.h"

#include "core/Text.h"
#include "storage/records/QuoteInfo.h"

TCustInfo::TCustInfo()
{
    TCustInfo::Clear();
}

TCustInfo::~TCustInfo() = default;

void TCustInfo::Clear()
{
    SetCustomerNumber(-1);
    m_company.clear();
    m_firstName.clear();
    m_lastName.clear();
    m_street.clear();
    m_city.clear();
    m_state.clear();
    m_zip.clear();
    m_homePhone.clear();
    m_workPhone.clear();
    m_fax.clear();
    m_customerCode.clear();
    m_notes.clear();
}

void TCustInfo::Assign(const TCustInfo &source)
{
    SetCustomerNumber(source.CustomerNumber());
    SetCompany(source.Company());
    SetFirstName(source.FirstName());
    SetLastName(source.LastName());
    SetStreet(source.Street());
    SetCity(source.City());
    SetState(source.State());
    SetZip(source.Zip());
    SetHomePhone(source.HomePhone());
    SetWorkPhone(source.WorkPhone());
    SetFax(source.Fax());
    SetCustomerCode(source.CustomerCode());
    SetNotes(source.Notes());
}

void TCustInfo::SetCustomerNumber(int32_t number)
{
    m_customerNumber = number;
    Key = number;
}

void TCustInfo::SetState(std::string_view text)
{
    m_state = text.substr(0, 2);
}

void TCustInfo::SetZip(std::string_view text)
{
    m_zip = Trim(text);
    if (!m_zip.empty() && m_zip.back() == '-') {
        m_zip.pop_back();
    }
}

bool TCustInfo::IsNameBlank() const
{
    return Trim(m_firstName + m_lastName).empty();
}

bool TCustInfo::HasNoCompany() const
{
    return m_company.empty();
}

bool TCustInfo::IsAddressIncomplete() const
{
    return m_street.empty() || m_city.empty() || m_state.empty() || m_zip.empty();
}

TQorRatingClient::TQorRatingClient() = default;

TQorRatingClient::~TQorRatingClient() = default;

void TQorRatingClient::Clear()
{
    TCustInfo::Clear();
    m_quotes.Clear();
}

void TQorRatingClient::Assign(const TCustInfo &source)
{
    TCustInfo::Assign(source);
    m_quotes.Clear();
    const auto *client = dynamic_cast<const TQorRatingClient *>(&source);
    if (client == nullptr || client == this) {
        return;
    }
    for (int32_t i = 0; i < client->m_quotes.Count(); ++i) {
        const auto *header = dynamic_cast<const TQuoteInfo *>(client->m_quotes.Items(i));
        if (header != nullptr) {
            m_quotes.Add(header->Clone());
        }
    }
}
