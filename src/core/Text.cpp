#include "core/Text.h"

#include "core/Errors.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <system_error>

namespace {

bool IsBlank(char c)
{
    return static_cast<unsigned char>(c) <= 0x20;
}

char UpperAscii(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

char LowerAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string_view StripBlanks(std::string_view text)
{
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

// Rounds the decimal digit string `digits` (no sign, no point) with `intDigits` digits before
// the point to `decimals` decimals, half away from zero. Returns the integer and fraction parts.
std::string RoundDecimalDigits(std::string digits, long intDigits, int decimals)
{
    // Bring the digits to a form with the point after `intDigits` characters, where
    // intDigits may be zero or negative (leading zeros after the point) or beyond the digits.
    if (intDigits <= 0) {
        digits.insert(0, static_cast<size_t>(1 - intDigits), '0');
        intDigits = 1;
    }
    if (static_cast<long>(digits.size()) < intDigits) {
        digits.append(static_cast<size_t>(intDigits) - digits.size(), '0');
    }
    const size_t keep = static_cast<size_t>(intDigits) + static_cast<size_t>(decimals);
    if (digits.size() < keep) {
        digits.append(keep - digits.size(), '0');
    }
    bool roundUp = digits.size() > keep && digits[keep] >= '5';
    digits.resize(keep);
    if (roundUp) {
        size_t i = keep;
        while (i > 0) {
            --i;
            if (digits[i] == '9') {
                digits[i] = '0';
                continue;
            }
            ++digits[i];
            roundUp = false;
            break;
        }
        if (roundUp) {
            digits.insert(0, 1, '1');
            ++intDigits;
        }
    }
    std::string result = digits.substr(0, static_cast<size_t>(intDigits));
    const size_t firstNonZero = result.find_first_not_of('0');
    result = firstNonZero == std::string::npos ? "0" : result.substr(firstNonZero);
    if (decimals > 0) {
        result += '.';
        result += digits.substr(static_cast<size_t>(intDigits));
    }
    return result;
}

} // namespace

std::string GroupedText(int64_t amount)
{
    const bool negative = amount < 0;
    // Work on the unsigned magnitude so the most negative value does not overflow.
    uint64_t magnitude =
        negative ? 0 - static_cast<uint64_t>(amount) : static_cast<uint64_t>(amount);
    std::string digits = std::to_string(magnitude);
    std::string grouped;
    grouped.reserve(digits.size() + digits.size() / 3 + 1);
    const size_t lead = digits.size() % 3 == 0 ? 3 : digits.size() % 3;
    grouped.append(digits, 0, lead);
    for (size_t i = lead; i < digits.size(); i += 3) {
        grouped += ',';
        grouped.append(digits, i, 3);
    }
    return negative ? "-" + grouped : grouped;
}

std::string MoneyText(int64_t amount)
{
    return "$" + GroupedText(amount);
}

std::string FixedText(double value, int decimals)
{
    decimals = std::clamp(decimals, 0, 18);
    if (!std::isfinite(value)) {
        return std::isnan(value) ? "NAN" : (value < 0 ? "-INF" : "INF");
    }
    // The shortest decimal form that reads back as this double, in scientific notation so
    // the digits and the exponent come apart cleanly.
    std::array<char, 64> buffer {};
    const auto [end, ec] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                         std::chars_format::scientific);
    std::string_view text(buffer.data(), static_cast<size_t>(end - buffer.data()));
    const bool negative = !text.empty() && text.front() == '-';
    if (negative) {
        text.remove_prefix(1);
    }
    const size_t ePos = text.find('e');
    const std::string_view mantissa = text.substr(0, ePos);
    const int exponent = std::atoi(std::string(text.substr(ePos + 1)).c_str());
    std::string digits;
    for (char c : mantissa) {
        if (c != '.') {
            digits += c;
        }
    }
    std::string result = RoundDecimalDigits(digits, exponent + 1, decimals);
    if (negative && result.find_first_not_of("0.") != std::string::npos) {
        result.insert(0, 1, '-');
    }
    return result;
}

std::string IntText(int64_t value)
{
    return std::to_string(value);
}

std::string PadRight(std::string_view text, size_t width)
{
    std::string result(text);
    if (result.size() < width) {
        result.append(width - result.size(), ' ');
    }
    return result;
}

std::string PadLeft(std::string_view text, size_t width)
{
    std::string result;
    if (text.size() < width) {
        result.assign(width - text.size(), ' ');
    }
    result += text;
    return result;
}

std::string KeyNumber(int64_t value, size_t width)
{
    return PadRight(std::to_string(value), width);
}

std::string KeyNumberRightAligned(int64_t value, size_t width)
{
    return PadLeft(std::to_string(value), width);
}

std::string Trim(std::string_view text)
{
    return std::string(StripBlanks(text));
}

std::string TrimLeft(std::string_view text)
{
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    return std::string(text);
}

std::string TrimRight(std::string_view text)
{
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return std::string(text);
}

std::string UpperCase(std::string_view text)
{
    std::string result(text);
    std::transform(result.begin(), result.end(), result.begin(), UpperAscii);
    return result;
}

std::string LowerCase(std::string_view text)
{
    std::string result(text);
    std::transform(result.begin(), result.end(), result.begin(), LowerAscii);
    return result;
}

int CompareText(std::string_view a, std::string_view b)
{
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const auto ca = static_cast<unsigned char>(UpperAscii(a[i]));
        const auto cb = static_cast<unsigned char>(UpperAscii(b[i]));
        if (ca != cb) {
            return ca < cb ? -1 : 1;
        }
    }
    if (a.size() == b.size()) {
        return 0;
    }
    return a.size() < b.size() ? -1 : 1;
}

bool SameText(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && CompareText(a, b) == 0;
}

bool StartsWithText(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size() && SameText(text.substr(0, prefix.size()), prefix);
}

bool EndsWithText(std::string_view text, std::string_view suffix)
{
    return text.size() >= suffix.size() &&
        SameText(text.substr(text.size() - suffix.size()), suffix);
}

bool ContainsText(std::string_view text, std::string_view part)
{
    return UpperCase(text).find(UpperCase(part)) != std::string::npos;
}

bool TryStrToInt(std::string_view text, int32_t &value)
{
    std::string_view s = StripBlanks(text);
    if (!s.empty() && s.front() == '+') {
        s.remove_prefix(1);
    }
    if (s.empty()) {
        return false;
    }
    int32_t parsed = 0;
    const auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), parsed);
    if (ec != std::errc() || ptr != s.data() + s.size()) {
        return false;
    }
    value = parsed;
    return true;
}

bool TryStrToFloat(std::string_view text, double &value)
{
    std::string_view s = StripBlanks(text);
    if (!s.empty() && s.front() == '+') {
        s.remove_prefix(1);
    }
    if (s.empty()) {
        return false;
    }
    double parsed = 0;
    const auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), parsed);
    if (ec != std::errc() || ptr != s.data() + s.size() || !std::isfinite(parsed)) {
        return false;
    }
    value = parsed;
    return true;
}

int32_t StrToInt(std::string_view text)
{
    int32_t value = 0;
    if (!TryStrToInt(text, value)) {
        throw EConvertError("'" + std::string(text) + "' is not a valid integer value");
    }
    return value;
}

int32_t StrToIntDef(std::string_view text, int32_t def)
{
    int32_t value = 0;
    return TryStrToInt(text, value) ? value : def;
}

double StrToFloat(std::string_view text)
{
    double value = 0;
    if (!TryStrToFloat(text, value)) {
        throw EConvertError("'" + std::string(text) + "' is not a valid floating point value");
    }
    return value;
}

double StrToFloatDef(std::string_view text, double def)
{
    double value = 0;
    return TryStrToFloat(text, value) ? value : def;
}

std::string FloatText(double value)
{
    std::array<char, 64> buffer {};
    const auto [end, ec] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    return std::string(buffer.data(), static_cast<size_t>(end - buffer.data()));
}

std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to)
{
    if (from.empty()) {
        return std::string(text);
    }
    std::string result;
    size_t pos = 0;
    while (true) {
        const size_t hit = text.find(from, pos);
        if (hit == std::string_view::npos) {
            result.append(text.substr(pos));
            return result;
        }
        result.append(text.substr(pos, hit - pos));
        result.append(to);
        pos = hit + from.size();
    }
}
