#include "core/Rounding.h"

#include "core/Errors.h"
#include "core/Text.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

namespace {

double RoundHalfAway(double x)
{
    const double magnitude = std::floor(std::fabs(x) + 0.0001 + 0.5);
    return x < 0 ? -magnitude : magnitude;
}

int32_t ClampToInt32(double x)
{
    if (std::isnan(x)) {
        return 0;
    }
    if (x >= static_cast<double>(std::numeric_limits<int32_t>::max())) {
        return std::numeric_limits<int32_t>::max();
    }
    if (x <= static_cast<double>(std::numeric_limits<int32_t>::min())) {
        return std::numeric_limits<int32_t>::min();
    }
    return static_cast<int32_t>(x);
}

} // namespace

int32_t RoundAmount(double x)
{
    return ClampToInt32(RoundHalfAway(x));
}

bool AmountFits(int64_t value)
{
    return value <= std::numeric_limits<int32_t>::max() &&
        value >= std::numeric_limits<int32_t>::min();
}

bool RoundedAmountFitsNearLimit(double x)
{
    const double rounded = RoundHalfAway(x);
    return rounded <= std::numeric_limits<int32_t>::max() &&
        rounded >= std::numeric_limits<int32_t>::min(); // false for not a number
}

int32_t CheckedAmount(int64_t value, std::string_view what)
{
    constexpr int64_t largest = std::numeric_limits<int32_t>::max();
    constexpr int64_t smallest = std::numeric_limits<int32_t>::min();
    if (!AmountFits(value)) {
        throw EAmountRange("The " + std::string(what) + " (" + MoneyText(value) +
                           ") does not fit the largest amount the program can rate (" +
                           MoneyText(value > 0 ? largest : smallest) + ").");
    }
    return static_cast<int32_t>(value);
}

int32_t CheckedRoundAmount(double x, std::string_view what)
{
    const double rounded = RoundHalfAway(x);
    // Beyond 2^62 (or not a number) the figure is only named by its sign.
    constexpr double limit = 4611686018427387904.0;
    if (std::isnan(rounded)) {
        throw EAmountRange("The " + std::string(what) + " is not a number.");
    }
    return CheckedAmount(static_cast<int64_t>(std::clamp(rounded, -limit, limit)), what);
}

int32_t ClampedAmount(int64_t value)
{
    return static_cast<int32_t>(std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

double RoundTo(double x, int n)
{
    const double scale = std::pow(10.0, n);
    return RoundHalfAway(x * scale) / scale;
}

int32_t RoundUpToDollar(double x)
{
    // Products such as 10000 * 0.01 * 30 come out a hair above the whole number they
    // stand for; that must not cost the insured a dollar.
    const double nearest = std::round(x);
    if (std::fabs(x - nearest) < 1e-6) {
        return ClampToInt32(nearest);
    }
    return ClampToInt32(std::ceil(x));
}
