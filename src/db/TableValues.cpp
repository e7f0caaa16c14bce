#include "db/TableValues.h"

#include "core/Text.h"
#include "db/CBDatabase.h"

#include <cmath>
#include <cstdint>
#include <optional>

namespace {

std::optional<int32_t> WholeNumberOf(const std::string &text)
{
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
        return std::nullopt;
    }
    return static_cast<int32_t>(number);
}

} // namespace

std::string TrimmedString(const TCBTable &table, const std::string &field)
{
    return Trim(table.GetString(field));
}

int32_t TextInteger(const TCBTable &table, const std::string &field)
{
    const std::string text = TrimmedString(table, field);
    if (const std::optional<int32_t> value = WholeNumberOf(text)) {
        return *value;
    }
    throw ECBDBError("Field \"" + field + "\" in " + table.TableName() + " holds '" + text +
                     "', which is not a whole number.");
}

int32_t TextIntegerOr(const TCBTable &table, const std::string &field, int32_t fallback)
{
    return WholeNumberOf(TrimmedString(table, field)).value_or(fallback);
}
