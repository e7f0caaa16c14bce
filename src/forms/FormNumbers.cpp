#include "forms/FormNumbers.h"

#include "core/Text.h"
#include "forms/FormErrors.h"

#include <cmath>
#include <limits>

void RaiseFormDataCorrupt(const std::string &detail)
{
    throw EFormDataError(detail.empty() ? std::string(kFormDataCorrupt)
                                        : std::string(kFormDataCorrupt) + "  " + detail);
}

bool TryHundredthsOf(std::string_view input, int32_t &hundredths)
{
    const std::string text = Trim(input);
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    // The significant digits without the point, and the power of ten of the last one.
    std::string digits;
    int64_t exponent = 0;
    bool anyDigit = false;
    bool point = false;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c >= '0' && c <= '9') {
            anyDigit = true;
            if (!(digits.empty() && c == '0')) {
                digits += c;
            }
            if (point) {
                --exponent;
            }
            if (digits.size() > 40) {
                return false;
            }
        } else if (c == '.' && !point) {
            point = true;
        } else {
            break;
        }
    }
    if (!anyDigit) {
        return false;
    }
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        bool expNegative = false;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
            expNegative = text[i] == '-';
            ++i;
        }
        int64_t value = 0;
        bool expDigit = false;
        for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
            expDigit = true;
            if (value < 1000) {
                value = value * 10 + (text[i] - '0');
            }
        }
        if (!expDigit) {
            return false;
        }
        exponent += expNegative ? -value : value;
    }
    if (i != text.size()) {
        return false;
    }
    exponent += 2; // hundredths
    if (digits.empty()) {
        hundredths = 0;
        return true;
    }
    // The whole part: digits with the exponent applied; the rest decides the rounding.
    const int64_t wholeCount = static_cast<int64_t>(digits.size()) + exponent;
    if (wholeCount > 11) {
        return false;
    }
    int64_t whole = 0;
    for (int64_t k = 0; k < wholeCount; ++k) {
        const size_t at = static_cast<size_t>(k);
        whole = whole * 10 + (at < digits.size() ? digits[at] - '0' : 0);
    }
    if (wholeCount < static_cast<int64_t>(digits.size())) {
        // First dropped digit and whether anything non-zero follows it.
        const int64_t first = wholeCount < 0 ? -1 : wholeCount;
        int dropped = 0;
        bool rest = false;
        if (first < 0) {
            rest = true; // every digit lies below the first dropped place
        } else {
            dropped = digits[static_cast<size_t>(first)] - '0';
            for (size_t k = static_cast<size_t>(first) + 1; k < digits.size(); ++k) {
                rest = rest || digits[k] != '0';
            }
        }
        if (dropped > 5 || (dropped == 5 && (rest || whole % 2 == 1))) {
            ++whole;
        }
    }
    if (negative) {
        whole = -whole;
    }
    if (whole > std::numeric_limits<int32_t>::max() ||
        whole < std::numeric_limits<int32_t>::min()) {
        return false;
    }
    hundredths = static_cast<int32_t>(whole);
    return true;
}

int32_t HundredthsOf(std::string_view text, const std::string &what)
{
    int32_t value = 0;
    if (!TryHundredthsOf(text, value)) {
        RaiseFormDataCorrupt("\"" + std::string(text) + "\" is not a valid " + what + ".");
    }
    return value;
}

int32_t FormIntegerOf(std::string_view text, const std::string &what)
{
    int32_t value = 0;
    if (!TryStrToInt(text, value)) {
        RaiseFormDataCorrupt("\"" + std::string(text) + "\" is not a valid " + what + ".");
    }
    return value;
}

double FormFloatOf(std::string_view text, const std::string &what)
{
    double value = 0;
    if (!TryStrToFloat(text, value) || !std::isfinite(value)) {
        RaiseFormDataCorrupt("\"" + std::string(text) + "\" is not a valid " + what + ".");
    }
    return value;
}

int32_t RoundHalfEven(double x)
{
    if (std::isnan(x)) {
        return 0;
    }
    const double r = std::nearbyint(x);
    if (r >= static_cast<double>(std::numeric_limits<int32_t>::max())) {
        return std::numeric_limits<int32_t>::max();
    }
    if (r <= static_cast<double>(std::numeric_limits<int32_t>::min())) {
        return std::numeric_limits<int32_t>::min();
    }
    return static_cast<int32_t>(r);
}

std::string HundredthsText(int32_t hundredths)
{
    const int64_t value = hundredths;
    const int64_t magnitude = value < 0 ? -value : value;
    std::string text = (value < 0 ? "-" : "") + IntText(magnitude / 100);
    const int64_t cents = magnitude % 100;
    if (cents != 0) {
        text += '.';
        text += static_cast<char>('0' + cents / 10);
        if (cents % 10 != 0) {
            text += static_cast<char>('0' + cents % 10);
        }
    }
    return text;
}
