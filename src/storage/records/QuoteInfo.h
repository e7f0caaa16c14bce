#pragma once

// The quote header: quote number, policy dates and term, description and, for the header a
// quote uses, the location of the risk. Its key is the quote ID.

#include "core/Dates.h"
#include "db/KeyItems.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

class TQuoteInfo : public TKeyItem
{
public:
    TQuoteInfo();
    ~TQuoteInfo() override;
    TQuoteInfo(const TQuoteInfo &) = delete;
    TQuoteInfo &operator=(const TQuoteInfo &) = delete;

    // Quote ID and customer number 0, dates 0, a 12-month term, today's quote date, texts
    // empty.
    virtual void Clear();
    // Copies every field; the two identifiers only when the source's are not blank.
    virtual void Assign(const TQuoteInfo &source);
    // A copy of the same kind.
    virtual std::unique_ptr<TQuoteInfo> Clone() const;

    // A positive ID means the quote is stored; it is also the record's key.
    int32_t QuoteID() const { return m_quoteID; }
    void SetQuoteID(int32_t id);
    int32_t CustomerNumber() const { return m_customerNumber; }
    void SetCustomerNumber(int32_t number) { m_customerNumber = number; }
    TDateTime EffectiveDate() const { return m_effectiveDate; }
    void SetEffectiveDate(TDateTime date) { m_effectiveDate = date; }
    TDateTime ExpirationDate() const { return m_expirationDate; }
    void SetExpirationDate(TDateTime date) { m_expirationDate = date; }
    // Only 6, 12, 18, 24, 30 and 36 are kept; anything else becomes 12.
    int32_t TermMonths() const { return m_termMonths; }
    void SetTermMonths(int32_t months);
    TDateTime QuoteDate() const { return m_quoteDate; }
    void SetQuoteDate(TDateTime date) { m_quoteDate = date; }
    // The state abbreviation: the first two characters of the text given.
    const std::string &State() const { return m_state; }
    void SetState(std::string_view text);
    const std::string &PolicyNumber() const { return m_policyNumber; }
    void SetPolicyNumber(std::string_view text) { m_policyNumber = text; }
    const std::string &Company() const { return m_company; }
    void SetCompany(std::string_view text) { m_company = text; }
    const std::string &Description() const { return m_description; }
    void SetDescription(std::string_view text) { m_description = text; }
    uint8_t LineOfBusiness() const { return m_lineOfBusiness; }
    void SetLineOfBusiness(uint8_t code) { m_lineOfBusiness = code; }
    // Two globally unique identifiers the quote makes when it is created.
    const std::string &Identifier1() const { return m_identifier1; }
    void SetIdentifier1(std::string_view text) { m_identifier1 = text; }
    const std::string &Identifier2() const { return m_identifier2; }
    void SetIdentifier2(std::string_view text) { m_identifier2 = text; }

    bool IsDescriptionBlank() const;

private:
    int32_t m_quoteID = 0;
    int32_t m_customerNumber = 0;
    TDateTime m_effectiveDate = 0;
    TDateTime m_expirationDate = 0;
    int32_t m_termMonths = 12;
    TDateTime m_quoteDate = 0;
    std::string m_state;
    std::string m_policyNumber;
    std::string m_company;
    std::string m_description;
    uint8_t m_lineOfBusiness = 0;
    std::string m_identifier1;
    std::string m_identifier2;
};

// The header a quote and the quote listing use: with the location of the risk.
class TCustLOBInfo : public TQuoteInfo
{
public:
    TCustLOBInfo();
    ~TCustLOBInfo() override;

    void Clear() override;
    // Also copies the location when the source has one.
    void Assign(const TQuoteInfo &source) override;
    std::unique_ptr<TQuoteInfo> Clone() const override;

    const std::string &LocationStreet() const { return m_locationStreet; }
    void SetLocationStreet(std::string_view text) { m_locationStreet = text; }
    const std::string &LocationCity() const { return m_locationCity; }
    void SetLocationCity(std::string_view text) { m_locationCity = text; }
    const std::string &LocationState() const { return m_locationState; }
    void SetLocationState(std::string_view text) { m_locationState = text; }
    const std::string &LocationZip() const { return m_locationZip; }
    void SetLocationZip(std::string_view text) { m_locationZip = text; }

private:
    std::string m_locationStreet;
    std::string m_locationCity;
    std::string m_locationState;
    std::string m_locationZip;
};
