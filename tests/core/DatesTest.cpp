#include "core/Dates.h"
#include "core/Errors.h"

#include <gtest/gtest.h>

TEST(Dates, DayCountsFrom30December1899)
{
    EXPECT_DOUBLE_EQ(EncodeDate(1899, 12, 30), 0);
    EXPECT_DOUBLE_EQ(EncodeDate(1900, 1, 1), 2);
    EXPECT_DOUBLE_EQ(EncodeDate(2000, 1, 1), 36526);
    EXPECT_DOUBLE_EQ(EncodeDate(2026, 1, 1), 46023);
    const DateParts p = DecodeDate(46023.75);
    EXPECT_EQ(p.year, 2026);
    EXPECT_EQ(p.month, 1);
    EXPECT_EQ(p.day, 1);
    EXPECT_THROW(EncodeDate(2026, 2, 29), EConvertError);
    EXPECT_NO_THROW(EncodeDate(2028, 2, 29));
    EXPECT_THROW(EncodeDate(2026, 13, 1), EConvertError);
}

TEST(Dates, ShortFormatRoundTrip)
{
    EXPECT_EQ(DateToStr(EncodeDate(2009, 3, 1)), "03/01/2009");
    EXPECT_DOUBLE_EQ(StrToDate("03/01/2009"), EncodeDate(2009, 3, 1));
    EXPECT_DOUBLE_EQ(StrToDate("3/1/2009"), EncodeDate(2009, 3, 1));
    for (TDateTime d = EncodeDate(2023, 12, 25); d < EncodeDate(2029, 1, 10); d += 17) {
        EXPECT_DOUBLE_EQ(StrToDate(DateToStr(d)), d);
    }
    EXPECT_THROW(StrToDate("02/30/2026"), EConvertError);
    EXPECT_THROW(StrToDate("2026-01-01"), EConvertError);
    EXPECT_THROW(StrToDate(""), EConvertError);
    EXPECT_THROW(StrToDate("1/2/3/4"), EConvertError);
    TDateTime out = 0;
    EXPECT_FALSE(TryStrToDate("13/01/2026", out));
}

TEST(Dates, TwoDigitYearsStayWithinFiftyYears)
{
    const int thisYear = DecodeDate(Today()).year;
    const int yy = (thisYear + 10) % 100;
    TDateTime d = 0;
    ASSERT_TRUE(TryStrToDate("1/1/" + std::to_string(yy), d));
    EXPECT_EQ(DecodeDate(d).year, thisYear + 10);
    const int old = (thisYear - 60) % 100;
    ASSERT_TRUE(TryStrToDate("1/1/" + std::to_string(old), d));
    EXPECT_EQ(DecodeDate(d).year, thisYear + 40);
}

TEST(Dates, AddingAYearKeeps29FebruaryUnchanged)
{
    EXPECT_DOUBLE_EQ(IncYear(EncodeDate(2026, 3, 1)), EncodeDate(2027, 3, 1));
    EXPECT_DOUBLE_EQ(IncYear(EncodeDate(2027, 2, 28)), EncodeDate(2028, 2, 28));
    // The day does not exist in 2029: the date comes back as it was.
    EXPECT_DOUBLE_EQ(IncYear(EncodeDate(2028, 2, 29)), EncodeDate(2028, 2, 29));
    EXPECT_DOUBLE_EQ(IncYear(EncodeDate(2028, 2, 29), 4), EncodeDate(2032, 2, 29));
    EXPECT_DOUBLE_EQ(IncYear(EncodeDate(2026, 6, 15), -1), EncodeDate(2025, 6, 15));
}

TEST(Dates, AddingAMonthClampsToMonthEnd)
{
    EXPECT_DOUBLE_EQ(IncMonth(EncodeDate(2026, 1, 31)), EncodeDate(2026, 2, 28));
    EXPECT_DOUBLE_EQ(IncMonth(EncodeDate(2028, 1, 31)), EncodeDate(2028, 2, 29));
    EXPECT_DOUBLE_EQ(IncMonth(EncodeDate(2026, 12, 15)), EncodeDate(2027, 1, 15));
    EXPECT_DOUBLE_EQ(IncMonth(EncodeDate(2026, 3, 31), -1), EncodeDate(2026, 2, 28));
    EXPECT_DOUBLE_EQ(IncMonth(EncodeDate(2026, 5, 10), 12), EncodeDate(2027, 5, 10));
}

TEST(Dates, StorageDigits)
{
    EXPECT_EQ(DateToStorage(EncodeDate(2009, 3, 1)), "20090301");
    EXPECT_EQ(DateToStorage(0), "18991230");
    EXPECT_DOUBLE_EQ(StorageToDate("20090301"), EncodeDate(2009, 3, 1));
    EXPECT_DOUBLE_EQ(StorageToDate("        "), 0);
    EXPECT_DOUBLE_EQ(StorageToDate("20090231"), 0);
    EXPECT_DOUBLE_EQ(StorageToDate("2009031"), 0);
}

TEST(Dates, Timestamp)
{
    const TDateTime t = EncodeDate(2026, 12, 9) + (13 * 3600 + 5 * 60 + 7.25) / 86400.0;
    EXPECT_EQ(TimestampText(t), "2026-12-09 13:05:07.250");
    EXPECT_EQ(TimestampText(EncodeDate(2026, 12, 9)), "2026-12-09 00:00:00.000");
}
