#pragma once

#include "QuoteHarness.h"

#include <string>

// The agency, the insured and the location the application tests look for on their forms.
inline void MakeExampleQuote(QuoteHarness &h, const std::string &state)
{
    h.Application().AgencyAddress = {
        "Harbor Insurance Agency", "Attn: Dana Royce", "12 Water St", "Salem", "MA", "01970",
        "(978)555-0100",           "(978)555-0101",    "P-0042"};
    TQorRatingClient &customer = h.Quote().Customer();
    customer.SetCompany("ASHBY BAKERY");
    customer.SetFirstName("Lee");
    customer.SetLastName("Ashby");
    customer.SetStreet("4 Mill Rd");
    customer.SetCity("Lowell");
    customer.SetState(state);
    customer.SetZip("01852");
    TCustLOBInfo &header = h.Quote().QuoteInfo();
    header.SetLocationStreet("4 Mill Rd");
    header.SetLocationCity("Lowell");
    header.SetLocationState(state);
    header.SetLocationZip("01852");
}

// The effective date each state's broker-5 plan rates.
inline TDateTime ExampleEffectiveDate(const std::string &state)
{
    return state == "NJ" ? EncodeDate(2027, 1, 1) : EncodeDate(2026, 7, 1);
}
