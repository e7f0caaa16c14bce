#pragma once

#include <cmath>
#include <cstdint>
#include <string_view>

// Every product of an amount and a rate or factor goes through RoundAmount: the magnitude
// gets 0.0001 added and is rounded to the nearest whole number, so halves round away from
// zero (2.5 -> 3, -2.5 -> -3). Results beyond the 32-bit range are clamped.
int32_t RoundAmount(double x);

// The amount as 32 bits; raises EAmountRange naming `what` ("premium of class 0913") when it
// does not fit.
int32_t CheckedAmount(int64_t value, std::string_view what);
// RoundAmount without the clamp: raises EAmountRange naming `what` when the result does not fit.
int32_t CheckedRoundAmount(double x, std::string_view what);
// Whether CheckedAmount and CheckedRoundAmount take the value: the checks of every rating pass
// ask these first, so the name of what is checked is made only for a refusal.
bool AmountFits(int64_t value);
bool RoundedAmountFitsNearLimit(double x);
inline bool RoundedAmountFits(double x)
{
    // Far from the limits no rounding can cross them: every real quote, on every pass.
    return std::fabs(x) < 2147483000.0 || RoundedAmountFitsNearLimit(x);
}
// A 64-bit sum held in 32 bits, clamped; for sums that CheckedAmount refuses before rating.
int32_t ClampedAmount(int64_t value);

// RoundAmount of x * 10^n, divided by 10^n. The intermediate is not limited to 32 bits.
double RoundTo(double x, int n);

// A whole value stays; anything else goes to the next whole number above (deposits).
// Values within a millionth of a whole number count as whole.
int32_t RoundUpToDollar(double x);
