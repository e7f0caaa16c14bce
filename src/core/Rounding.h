#pragma once

#include <cstdint>

// Every product of an amount and a rate or factor goes through RoundAmount: the magnitude
// gets 0.0001 added and is rounded to the nearest whole number, so halves round away from
// zero (2.5 -> 3, -2.5 -> -3). Results beyond the 32-bit range are clamped.
int32_t RoundAmount(double x);

// RoundAmount of x * 10^n, divided by 10^n. The intermediate is not limited to 32 bits.
double RoundTo(double x, int n);

// A whole value stays; anything else goes to the next whole number above (deposits).
// Values within a millionth of a whole number count as whole.
int32_t RoundUpToDollar(double x);
