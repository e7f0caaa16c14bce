#pragma once

#include "core/Dates.h"
#include "rating/QuoteApplication.h"

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

// A quote to rate, as the rating command reads it from a small JSON file:
//
//   {
//     "state": "MA", "broker": 1, "effective": "07/01/2026",
//     "classes": [ { "code": "5645", "subcode": "", "payroll": 250000, "employees": 12,
//                    "deviation": 0.9 } ],
//     "inputs": { "txtExpMod": "0.92", "lstPartTwo": "500/500/500", "chkManagedCare": true }
//   }
//
// A line of a plan that allows deviations may give its "deviation" (a factor with at most 2
// decimals); a multi-entry (construction) line gives its payrolls as "entries": [ ... ] instead
// of one "payroll".
//
// Inputs are applied in the order written; a text sets an edit box or selects the list entry
// of that text, true/false sets a check box.
//
// A quote to be stored (--save) may also name its customer and describe itself; a customer
// "number" stores the quote for that stored customer (the members given replace its values):
//
//     "customer": { "company": "Acme Roofing", "first": "Ann", "last": "Lee",
//                   "street": "1 Main St", "city": "Boston", "state": "MA", "zip": "02134",
//                   "phone": "", "work": "(617)555-0100", "fax": "", "notes": "" },
//     "quote": { "description": "Main office", "street": "1 Main St", "city": "Boston",
//                "state": "MA", "zip": "02134", "policy": "WC-1", "company": "Carrier" }
//
// A quote whose worksheet is written as a PDF (--pdf) may name the agency that hands it over;
// without it the agency profile of the program folder's settings is printed:
//
//     "agency": { "name": "Harbor Insurance Agency", "attn": "", "street": "12 Water St",
//                 "city": "Salem", "state": "MA", "zip": "01970", "phone": "(978)555-0100",
//                 "fax": "", "email": "", "producer": "" }
//
// Texts are UTF-8 in the file and Windows-1252 in the request.
struct TRateRequest
{
    struct ClassLine
    {
        std::string Code;
        std::string SubCode;
        int32_t Payroll = 0;
        int32_t Employees = 0;
        bool HasPayroll = false;
        bool HasEmployees = false;
        // "deviation": the factor the deviations window sets (its text as written, for messages).
        bool HasDeviation = false;
        double Deviation = 1.0;
        std::string DeviationText;
        // "entries": the payrolls of a multi-entry (construction) line, in entry order.
        bool HasEntries = false;
        std::vector<int32_t> Entries;
    };
    struct Input
    {
        std::string Name;
        bool IsFlag = false;
        std::string Text;
        bool Checked = false;
    };

    struct CustomerFields
    {
        int32_t Number = 0; // a stored customer; 0: a new one
        std::string Company;
        std::string First;
        std::string Last;
        std::string Street;
        std::string City;
        std::string State;
        std::string Zip;
        std::string Phone;
        std::string Work;
        std::string Fax;
        std::string Notes;
    };
    struct QuoteFields
    {
        std::string Description;
        std::string Street;
        std::string City;
        std::string State;
        std::string Zip;
        std::string Policy;
        std::string Company;
    };

    std::string State;
    int32_t Broker = 1;
    TDateTime Effective = 0; // 0: today
    std::vector<ClassLine> Classes;
    std::vector<Input> Inputs;
    CustomerFields Customer;
    QuoteFields Quote;
    bool AgencyGiven = false; // the request has an "agency" member
    TAgencyAddress Agency;
};

// A request file that is not what the command expects; the message says where and why.
class ERateRequestError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// `source` names where the text came from in a message ("file", "line").
TRateRequest ParseRateRequest(const std::string &json, const char *source = "file");
