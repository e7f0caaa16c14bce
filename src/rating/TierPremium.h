#pragma once

// Rows of the two small range tables of the premium calculation: tiers (a factor that depends
// on the effective date or on an amount) and premium discount brackets.

#include "core/Dates.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TCBTable;

class TTierBasedPremium
{
public:
    bool ByDate = false; // From and To are dates ("mm/dd/yyyy"), else numbers
    std::string From; // as stored
    std::string To;
    bool AsValue = false; // read with the row; the lookup does not use it
    double Value = 0;
    int32_t Group = 0; // the leading number of the tier key

    // Reads "From", "To", "AsValue" and "Value" of the current row.
    void LoadFromTable(const TCBTable &table);
    // Both bounds included. A bound that does not read as a date (or number) covers nothing.
    bool Covers(double amount, TDateTime date) const;
};

using TTierList = std::vector<std::unique_ptr<TTierBasedPremium>>;

struct TPremiumDiscountItem
{
    int32_t TableId = 0; // "ID3"
    double Value1 = 0; // bracket width, or the upper bound of a single-rate row
    double Value2 = 0;
    double Discount = 0; // fraction of the bracket, or percent of a single-rate row

    // Reads "ID3", "Value1", "Value2" and "Discount" of the current row.
    void LoadFromTable(const TCBTable &table);
};

using TPremiumDiscountList = std::vector<std::unique_ptr<TPremiumDiscountItem>>;
