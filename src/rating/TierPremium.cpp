#include "rating/TierPremium.h"

#include "core/Text.h"
#include "db/CBDatabase.h"
#include "db/TableValues.h"

#include <cmath>

void TTierBasedPremium::LoadFromTable(const TCBTable &table)
{
    From = table.GetString("From");
    To = table.GetString("To");
    AsValue = table.GetBoolean("AsValue");
    Value = table.GetDouble("Value");
}

bool TTierBasedPremium::Covers(double amount, TDateTime date) const
{
    if (ByDate) {
        TDateTime from = 0;
        TDateTime to = 0;
        if (!TryStrToDate(Trim(From), from) || !TryStrToDate(Trim(To), to)) {
            return false;
        }
        const TDateTime day = std::floor(date);
        return from <= day && day <= to;
    }
    double from = 0;
    double to = 0;
    if (!TryStrToFloat(Trim(From), from) || !TryStrToFloat(Trim(To), to)) {
        return false;
    }
    return from <= amount && amount <= to;
}

void TPremiumDiscountItem::LoadFromTable(const TCBTable &table)
{
    TableId = TextInteger(table, "ID3");
    Value1 = table.GetDouble("Value1");
    Value2 = table.GetDouble("Value2");
    Discount = table.GetDouble("Discount");
}
