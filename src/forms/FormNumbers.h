#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Numbers of the form files. Coordinates are written in columns and lines with decimals and
// held in hundredths; the rounding is half to even on the decimal digits as written, so
// "0.125" gives 12 and "0.375" gives 38 whatever binary floating point would make of them.

// The number written in `text` (blanks around it allowed; sign, digits, one ".", an exponent)
// times 100, rounded half to even. False when the text is no number or the result does not
// fit 32 bits.
bool TryHundredthsOf(std::string_view text, int32_t &hundredths);

// TryHundredthsOf, raising the form data error (naming `what` and the text) when it fails.
int32_t HundredthsOf(std::string_view text, const std::string &what);

// The whole number written in `text`, raising the form data error when it is none.
int32_t FormIntegerOf(std::string_view text, const std::string &what);

// The number written in `text` as a double, raising the form data error when it is none.
double FormFloatOf(std::string_view text, const std::string &what);

// Round half to even, clamped to the 32-bit range.
int32_t RoundHalfEven(double x);

// The shortest decimal text of a number of hundredths: 1250 -> "12.5", 1200 -> "12",
// -5 -> "-0.05". HundredthsOf gives the number back.
std::string HundredthsText(int32_t hundredths);
