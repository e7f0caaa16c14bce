#pragma once

// Helpers of the storage tests, which work on the delivered tables copied into a scratch folder
// (CopyDeliveredData).

#include "db/CBDatabase.h"

#include <map>
#include <string>

// Live and marked rows of a table by the trimmed text of a column.
struct TRowTally
{
    int live = 0;
    int deleted = 0;
    bool operator==(const TRowTally &) const = default;
};
std::map<std::string, TRowTally> TallyRows(TCBTable &table, const std::string &column);

// Every problem the engine's check finds in the tags of the table; empty when in step.
std::string CheckTable(TCBTable &table);
