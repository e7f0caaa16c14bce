#include "dbase/Values.h"

#include "core/Dates.h"
#include "core/Text.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace dbase {

std::optional<std::string> FormatNumber(double value, int width, int decimals)
{
    if (!std::isfinite(value) || width <= 0) {
        return std::nullopt;
    }
    const std::string text = FixedText(value, decimals);
    if (text.size() > static_cast<size_t>(width)) {
        return std::nullopt;
    }
    return std::string(static_cast<size_t>(width) - text.size(), ' ') + text;
}

NumberText ParseNumber(std::string_view text)
{
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\0')) {
        ++i;
    }
    std::string number;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        if (text[i] == '-') {
            number += '-';
        }
        ++i;
    }
    bool digits = false;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
        number += text[i++];
        digits = true;
    }
    if (i < text.size() && text[i] == '.') {
        number += text[i++];
        while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
            number += text[i++];
            digits = true;
        }
    }
    if (!digits) {
        return {0, true};
    }
    if (i + 1 < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        size_t j = i + 1;
        std::string exponent = "e";
        if (text[j] == '+' || text[j] == '-') {
            exponent += text[j++];
        }
        const size_t first = j;
        while (j < text.size() && text[j] >= '0' && text[j] <= '9') {
            exponent += text[j++];
        }
        if (j > first) {
            number += exponent;
        }
    }
    double value = 0;
    const char *begin = number.data();
    if (number.front() == '.') {
        number.insert(0, 1, '0');
        begin = number.data();
    } else if (number.size() > 1 && number[0] == '-' && number[1] == '.') {
        number.insert(1, 1, '0');
        begin = number.data();
    }
    const auto result = std::from_chars(begin, begin + number.size(), value);
    if (result.ec == std::errc::result_out_of_range) {
        value = number.front() == '-' ? -HUGE_VAL : HUGE_VAL;
    }
    return {value, false};
}

double JulianFromStorage(std::string_view text)
{
    if (text.size() != 8) {
        return 0;
    }
    int parts[3] = {0, 0, 0};
    const size_t widths[3] = {4, 2, 2};
    size_t at = 0;
    for (int p = 0; p < 3; ++p) {
        for (size_t k = 0; k < widths[p]; ++k, ++at) {
            const char c = text[at];
            if (c < '0' || c > '9') {
                return 0;
            }
            parts[p] = parts[p] * 10 + (c - '0');
        }
    }
    TDateTime date = 0;
    if (parts[0] < 1 || !TryEncodeDate(parts[0], parts[1], parts[2], date)) {
        return 0;
    }
    return date + kJulianDayOfDateZero;
}

std::string StorageFromJulian(double julian)
{
    // 1 January 1 to 31 December 9999.
    if (!(julian >= 1721426 && julian < 5373485)) {
        return std::string(8, ' ');
    }
    const DateParts p = DecodeDate(std::floor(julian) - kJulianDayOfDateZero);
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%04d%02d%02d", p.year, p.month, p.day);
    return buffer;
}

bool IsTrueLetter(char letter)
{
    return letter == 'T' || letter == 't' || letter == 'Y' || letter == 'y';
}

} // namespace dbase
