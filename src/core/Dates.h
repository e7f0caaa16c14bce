#pragma once

#include <string>
#include <string_view>

// Dates are day counts from 30 December 1899 with the time of day as the fraction.
using TDateTime = double;

struct DateParts
{
    int year = 1899;
    int month = 12;
    int day = 30;
};

bool IsLeapYear(int year);
int DaysInMonth(int year, int month);
bool IsValidDate(int year, int month, int day);

// Raises EConvertError for a day that does not exist.
TDateTime EncodeDate(int year, int month, int day);
bool TryEncodeDate(int year, int month, int day, TDateTime &date);
// The calendar day of a date; the time of day is ignored.
DateParts DecodeDate(TDateTime date);

// The current local date (no fraction) and date with time of day.
TDateTime Today();
TDateTime Now();

// The process-wide short date form "mm/dd/yyyy".
std::string DateToStr(TDateTime date);
// Reads "m/d/yyyy" and "m/d/yy" (a two-digit year is taken within 50 years of the current
// year); raises EConvertError "'<text>' is not a valid date" otherwise.
TDateTime StrToDate(std::string_view text);
bool TryStrToDate(std::string_view text, TDateTime &date);

// The same day `years` later; when that day does not exist (29 February into a common year)
// the date is returned unchanged.
TDateTime IncYear(TDateTime date, int years = 1);
// The same day `months` later, or the last day of the target month when it is shorter.
TDateTime IncMonth(TDateTime date, int months = 1);

// Table date fields: eight digits, century-year-month-day. Blank or invalid text gives 0.
std::string DateToStorage(TDateTime date);
TDateTime StorageToDate(std::string_view digits);

// "yyyy-mm-dd hh:nn:ss.zzz" of a date with its time of day (the log's timestamps).
std::string TimestampText(TDateTime dateTime);
