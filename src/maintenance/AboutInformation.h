#pragma once

#include "core/Dates.h"

#include <cstdint>
#include <string>
#include <vector>

// What the "About" window tells besides the program's name and version.

// The dates of one plan's rate tables: its two class files and the rate change between them.
struct TPlanRateDates
{
    std::string StateName;
    TDateTime Effect1 = 0;
    TDateTime Exp1 = 0;
    TDateTime Effect2 = 0;
    TDateTime Exp2 = 0;
    TDateTime RateChange = 0;
};

// The broker's plans in the plan table of the data folder ("WCPLAN.DBF"), in table order;
// rows marked deleted are passed over. Raises ECBDBError when the table cannot be read.
std::vector<TPlanRateDates> PlanRateDates(const std::string &dataFolder, int32_t broker);

// "Massachusetts: 07/01/2024 to 06/30/2026, 07/01/2026 to 12/31/2027 (rates change 07/01/2026)"
std::string PlanRateDatesText(const TPlanRateDates &dates);

// The libraries the program is built with, and the programs it runs, with their licences.
struct TThirdParty
{
    const char *Name;
    const char *Licence;
    const char *Use;
};
const std::vector<TThirdParty> &ThirdPartyComponents();
