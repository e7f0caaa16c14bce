#include "rating/TableValues.h"

#include "core/Text.h"
#include "db/CBDatabase.h"

#include <cmath>
#include <cstdint>

std::string TrimmedString(const TCBTable &table, const std::string &field)
{
    return Trim(table.GetString(field));
}

int32_t TextInteger(const TCBTable &table, const std::string &field)
{
    const std::string text = TrimmedString(table, field);
    if (text.empty()) {
        return 0;
    }
    int32_t value = 0;
    if (TryStrToInt(text, value)) {
        return value;
    }
    // A numeric column with decimals stores a whole number as "13.00".
    double number = 0;
    if (!TryStrToFloat(text, number) || number < INT32_MIN || number > INT32_MAX ||
        number != std::trunc(number)) {
        throw ECBDBError("Field \"" + field + "\" in " + table.TableName() + " holds '" + text +
                         "', which is not a whole number.");
    }
    return static_cast<int32_t>(number);
}
