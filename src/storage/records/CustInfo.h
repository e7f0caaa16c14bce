#pragma once

// The customer record: the insured a quote is for. Its key is the customer number.

#include "db/KeyItems.h"

#include <cstdint>
#include <string>
#include <string_view>

class TCustInfo : public TKeyItem
{
public:
    TCustInfo();
    ~TCustInfo() override;
    TCustInfo(const TCustInfo &) = delete;
    TCustInfo &operator=(const TCustInfo &) = delete;

    // Every text empty and the customer number -1 (never saved).
    virtual void Clear();
    // Copies every field through its setter, the key included.
    virtual void Assign(const TCustInfo &source);

    // A positive number means the customer is stored; it is also the record's key.
    int32_t CustomerNumber() const { return m_customerNumber; }
    void SetCustomerNumber(int32_t number);

    const std::string &Company() const { return m_company; }
    void SetCompany(std::string_view text) { m_company = text; }
    const std::string &FirstName() const { return m_firstName; }
    void SetFirstName(std::string_view text) { m_firstName = text; }
    const std::string &LastName() const { return m_lastName; }
    void SetLastName(std::string_view text) { m_lastName = text; }
    const std::string &Street() const { return m_street; }
    void SetStreet(std::string_view text) { m_street = text; }
    const std::string &City() const { return m_city; }
    void SetCity(std::string_view text) { m_city = text; }
    // Two characters: the first two of the text given.
    const std::string &State() const { return m_state; }
    void SetState(std::string_view text);
    // Trimmed, without one trailing "-" ("02134-" becomes "02134").
    const std::string &Zip() const { return m_zip; }
    void SetZip(std::string_view text);
    const std::string &HomePhone() const { return m_homePhone; }
    void SetHomePhone(std::string_view text) { m_homePhone = text; }
    const std::string &WorkPhone() const { return m_workPhone; }
    void SetWorkPhone(std::string_view text) { m_workPhone = text; }
    const std::string &Fax() const { return m_fax; }
    void SetFax(std::string_view text) { m_fax = text; }
    // Read from the customer table, never written by this program.
    const std::string &CustomerCode() const { return m_customerCode; }
    void SetCustomerCode(std::string_view text) { m_customerCode = text; }
    const std::string &Notes() const { return m_notes; }
    void SetNotes(std::string_view text) { m_notes = text; }

    // First and last name together hold nothing but blanks.
    bool IsNameBlank() const;
    bool HasNoCompany() const;
    // Street, city, state or zip is empty.
    bool IsAddressIncomplete() const;

private:
    int32_t m_customerNumber = -1;
    std::string m_company;
    std::string m_firstName;
    std::string m_lastName;
    std::string m_street;
    std::string m_city;
    std::string m_state;
    std::string m_zip;
    std::string m_homePhone;
    std::string m_workPhone;
    std::string m_fax;
    std::string m_customerCode;
    std::string m_notes;
};

// The customer as a quote holds it: with the headers of the customer's quotes, keyed by
// quote ID.
class TQorRatingClient : public TCustInfo
{
public:
    TQorRatingClient();
    ~TQorRatingClient() override;

    void Clear() override;
    // Also replaces the quote headers by copies of the source's.
    void Assign(const TCustInfo &source) override;

    TKeyItemsList &Quotes() { return m_quotes; }
    const TKeyItemsList &Quotes() const { return m_quotes; }

private:
    TKeyItemsList m_quotes;
};
