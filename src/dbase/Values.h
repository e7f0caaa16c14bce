#pragma once

// How values are written as text in DBF fields: numbers right-aligned with a fixed count of
// decimals, dates as CCYYMMDD, logicals as one letter.

#include <optional>
#include <string>
#include <string_view>

namespace dbase {

// The text of an N or F field of `width` characters with `decimals` decimals, right-aligned;
// halves round away from zero. Empty when the number does not fit (or is not finite).
std::optional<std::string> FormatNumber(double value, int width, int decimals);

struct NumberText
{
    double value = 0;
    bool blank = false; // no digits at all: dBASE computes with it as 0
};

// The number at the start of a field's text. Accepts blanks and NULs around it, a leading "+",
// ".5", an exponent, and all asterisks (an overflowed field, read as 0).
NumberText ParseNumber(std::string_view text);

// Date keys and date arithmetic use the Julian day number; 0 stands for a blank date.
constexpr double kJulianDayOfDateZero = 2415019; // 30 December 1899

// The Julian day of a stored CCYYMMDD date; 0 for a blank or invalid one.
double JulianFromStorage(std::string_view text);
// CCYYMMDD of a Julian day; 8 blanks for 0 or a day outside the years 1 to 9999.
std::string StorageFromJulian(double julian);

// Whether a logical field's letter means true (T, t, Y, y).
bool IsTrueLetter(char letter);

} // namespace dbase
