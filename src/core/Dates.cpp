#include "core/Dates.h"

#include "core/Errors.h"
#include "core/Text.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>

namespace {

// Day 0 of the day count is 30 December 1899; the civil algorithms below count from
// 1 January 1970, which is day 25569.
constexpr long kUnixEpochDay = 25569;

long DaysFromCivil(long y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const long era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long>(doe) - 719468;
}

DateParts CivilFromDays(long z)
{
    z += 719468;
    const long era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long y = static_cast<long>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned d = doy - (153 * mp + 2) / 5 + 1;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    return {static_cast<int>(y + (m <= 2)), static_cast<int>(m), static_cast<int>(d)};
}

std::tm LocalTime(std::time_t t)
{
    std::tm result {};
    localtime_r(&t, &result);
    return result;
}

bool ParseNumber(std::string_view text, int &value)
{
    if (text.empty() || text.size() > 4) {
        return false;
    }
    int parsed = 0;
    for (char c : text) {
        if (c < '0' || c > '9') {
            return false;
        }
        parsed = parsed * 10 + (c - '0');
    }
    value = parsed;
    return true;
}

} // namespace

bool IsLeapYear(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month)
{
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) {
        return 0;
    }
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

bool IsValidDate(int year, int month, int day)
{
    return year >= 1 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 &&
        day <= DaysInMonth(year, month);
}

bool TryEncodeDate(int year, int month, int day, TDateTime &date)
{
    if (!IsValidDate(year, month, day)) {
        return false;
    }
    date = static_cast<double>(
        DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) +
        kUnixEpochDay);
    return true;
}

TDateTime EncodeDate(int year, int month, int day)
{
    TDateTime date = 0;
    if (!TryEncodeDate(year, month, day, date)) {
        throw EConvertError("Invalid argument to date encode");
    }
    return date;
}

DateParts DecodeDate(TDateTime date)
{
    return CivilFromDays(static_cast<long>(std::floor(date)) - kUnixEpochDay);
}

TDateTime Today()
{
    return std::floor(Now());
}

TDateTime Now()
{
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    const std::tm local = LocalTime(seconds);
    const auto millis =
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() %
        1000;
    const TDateTime day = EncodeDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
    const double fraction = (local.tm_hour * 3600.0 + local.tm_min * 60.0 + local.tm_sec +
                             static_cast<double>(millis) / 1000.0) /
        86400.0;
    return day + fraction;
}

std::string DateToStr(TDateTime date)
{
    const DateParts p = DecodeDate(date);
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%02d/%02d/%04d", p.month, p.day, p.year);
    return buffer;
}

bool TryStrToDate(std::string_view text, TDateTime &date)
{
    const std::string trimmed = Trim(text);
    const size_t first = trimmed.find('/');
    const size_t second = first == std::string::npos ? first : trimmed.find('/', first + 1);
    if (second == std::string::npos) {
        return false;
    }
    int month = 0;
    int day = 0;
    int year = 0;
    const std::string_view s(trimmed);
    const std::string_view yearText = s.substr(second + 1);
    if (!ParseNumber(s.substr(0, first), month) ||
        !ParseNumber(s.substr(first + 1, second - first - 1), day) ||
        !ParseNumber(yearText, year)) {
        return false;
    }
    if (yearText.size() <= 2) {
        const int threshold = DecodeDate(Today()).year - 50;
        year += threshold / 100 * 100;
        if (year < threshold) {
            year += 100;
        }
    }
    return TryEncodeDate(year, month, day, date);
}

TDateTime StrToDate(std::string_view text)
{
    TDateTime date = 0;
    if (!TryStrToDate(text, date)) {
        throw EConvertError("'" + std::string(text) + "' is not a valid date");
    }
    return date;
}

TDateTime IncYear(TDateTime date, int years)
{
    const DateParts p = DecodeDate(date);
    TDateTime moved = 0;
    if (!TryEncodeDate(p.year + years, p.month, p.day, moved)) {
        return date;
    }
    return moved + (date - std::floor(date));
}

TDateTime IncMonth(TDateTime date, int months)
{
    const DateParts p = DecodeDate(date);
    const int monthIndex = p.year * 12 + (p.month - 1) + months;
    const int year = monthIndex / 12;
    const int month = monthIndex % 12 + 1;
    const int day = std::min(p.day, DaysInMonth(year, month));
    TDateTime moved = 0;
    if (!TryEncodeDate(year, month, day, moved)) {
        return date;
    }
    return moved + (date - std::floor(date));
}

std::string DateToStorage(TDateTime date)
{
    const DateParts p = DecodeDate(date);
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%04d%02d%02d", p.year, p.month, p.day);
    return buffer;
}

TDateTime StorageToDate(std::string_view digits)
{
    if (digits.size() != 8) {
        return 0;
    }
    int year = 0;
    int month = 0;
    int day = 0;
    if (!ParseNumber(digits.substr(0, 4), year) || !ParseNumber(digits.substr(4, 2), month) ||
        !ParseNumber(digits.substr(6, 2), day)) {
        return 0;
    }
    TDateTime date = 0;
    return TryEncodeDate(year, month, day, date) ? date : 0;
}

std::string TimestampText(TDateTime dateTime)
{
    const DateParts p = DecodeDate(dateTime);
    const double fraction = dateTime - std::floor(dateTime);
    long millis = std::lround(fraction * 86400000.0);
    if (millis >= 86400000L) {
        millis = 86399999L;
    }
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02ld:%02ld:%02ld.%03ld", p.year, p.month,
                  p.day, millis / 3600000L, millis / 60000L % 60, millis / 1000L % 60,
                  millis % 1000L);
    return buffer;
}
