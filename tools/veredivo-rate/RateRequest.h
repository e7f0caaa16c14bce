#pragma once

#include "core/Dates.h"

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

// A quote to rate, as the rating command reads it from a small JSON file:
//
//   {
//     "state": "MA", "broker": 1, "effective": "07/01/2026",
//     "classes": [ { "code": "5645", "subcode": "", "payroll": 250000, "employees": 12 } ],
//     "inputs": { "txtExpMod": "0.92", "lstPartTwo": "500/500/500", "chkManagedCare": true }
//   }
//
// Inputs are applied in the order written; a text sets an edit box or selects the list entry
// of that text, true/false sets a check box.
struct TRateRequest
{
    struct ClassLine
    {
        std::string Code;
        std::string SubCode;
        int32_t Payroll = 0;
        int32_t Employees = 0;
    };
    struct Input
    {
        std::string Name;
        bool IsFlag = false;
        std::string Text;
        bool Checked = false;
    };

    std::string State;
    int32_t Broker = 1;
    TDateTime Effective = 0; // 0: today
    std::vector<ClassLine> Classes;
    std::vector<Input> Inputs;
};

// A request file that is not what the command expects; the message says where and why.
class ERateRequestError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

TRateRequest ParseRateRequest(const std::string &json);
