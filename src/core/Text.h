#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Text helpers shared by every module. Engine strings hold Windows-1252 bytes; none of these
// functions care about the code page except the case functions, which fold ASCII letters only.

// "$" and the whole amount with "," between groups of three digits: 1234567 -> "$1,234,567",
// -1500 -> "$-1,500", 0 -> "$0".
std::string MoneyText(int64_t amount);

// The digits of an amount with "," between groups of three and no "$": 1234567 -> "1,234,567".
std::string GroupedText(int64_t amount);

// The number with exactly `decimals` decimals and no group separators. Halves round away
// from zero on the number's shortest decimal form, so 2.675 -> "2.68" and 0.125 -> "0.13".
std::string FixedText(double value, int decimals);

// Decimal text of a whole number.
std::string IntText(int64_t value);

// Key padding: the text padded with blanks on the right (left-aligned) or on the left
// (right-aligned) to `width`; longer text is kept whole.
std::string PadRight(std::string_view text, size_t width);
std::string PadLeft(std::string_view text, size_t width);

// A number as an index key: decimal text padded on the right to `width` (6 unless a table
// says otherwise), or on the left for the right-aligned keys.
std::string KeyNumber(int64_t value, size_t width = 6);
std::string KeyNumberRightAligned(int64_t value, size_t width);

// Blanks and control characters (bytes up to 0x20) removed from the ends.
std::string Trim(std::string_view text);
std::string TrimLeft(std::string_view text);
std::string TrimRight(std::string_view text);

std::string UpperCase(std::string_view text);
std::string LowerCase(std::string_view text);

// Case-insensitive comparison of ASCII letters: SameText is equality, CompareText orders.
bool SameText(std::string_view a, std::string_view b);
int CompareText(std::string_view a, std::string_view b);
bool StartsWithText(std::string_view text, std::string_view prefix);
bool EndsWithText(std::string_view text, std::string_view suffix);
bool ContainsText(std::string_view text, std::string_view part);

// Number parsing. Blanks around the number are allowed; anything else that is not part of the
// number raises EConvertError with a message naming the text. The "Def" forms return the
// default instead of raising.
int32_t StrToInt(std::string_view text);
int32_t StrToIntDef(std::string_view text, int32_t def);
double StrToFloat(std::string_view text);
double StrToFloatDef(std::string_view text, double def);
bool TryStrToInt(std::string_view text, int32_t &value);
bool TryStrToFloat(std::string_view text, double &value);

// Shortest text that reads back as the same double ("0.1", "12", "1.5e-07").
std::string FloatText(double value);

// Replaces every occurrence of `from` in `text` with `to`.
std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to);
