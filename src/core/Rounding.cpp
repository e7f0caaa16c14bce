#include "core/Rounding.h"

#include <cmath>
#include <limits>

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
