#include "core/Encoding.h"
#include "core/Errors.h"
#include "core/Guid.h"
#include "core/Rounding.h"
#include "core/States.h"
#include "core/Text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

TEST(Rounding, HalvesRoundAwayFromZero)
{
    EXPECT_EQ(RoundAmount(2.5), 3);
    EXPECT_EQ(RoundAmount(-2.5), -3);
    EXPECT_EQ(RoundAmount(0.5), 1);
    EXPECT_EQ(RoundAmount(-0.5), -1);
    EXPECT_EQ(RoundAmount(2.4998), 2);
    // The 0.0001 tips a value a ten-thousandth below the half over it.
    EXPECT_EQ(RoundAmount(2.4999), 3);
    EXPECT_EQ(RoundAmount(-2.4998), -2);
    // A product that lands a hair below the half still rounds up thanks to the 0.0001.
    EXPECT_EQ(RoundAmount(1234.49995), 1235);
    EXPECT_EQ(RoundAmount(0.0), 0);
}

TEST(Rounding, ProductsOfAmountsAndRates)
{
    // 125,000 of payroll at 3.17 per 100 is 3,962.5: the half goes up.
    EXPECT_EQ(RoundAmount(125000 * 3.17 / 100), 3963);
    EXPECT_EQ(RoundAmount(-125000 * 3.17 / 100), -3963);
}

TEST(Rounding, OutOfRangeIsClampedNotUndefined)
{
    EXPECT_EQ(RoundAmount(1e12), std::numeric_limits<int32_t>::max());
    EXPECT_EQ(RoundAmount(-1e12), std::numeric_limits<int32_t>::min());
    EXPECT_EQ(RoundAmount(std::numeric_limits<double>::quiet_NaN()), 0);
}

TEST(Rounding, CheckedAmountsRefuseWhatDoesNotFit)
{
    constexpr int32_t largest = std::numeric_limits<int32_t>::max();
    constexpr int32_t smallest = std::numeric_limits<int32_t>::min();
    EXPECT_EQ(CheckedAmount(largest, "total"), largest);
    EXPECT_EQ(CheckedAmount(smallest, "total"), smallest);
    EXPECT_THROW(CheckedAmount(int64_t {largest} + 1, "total"), EAmountRange);
    EXPECT_THROW(CheckedAmount(int64_t {smallest} - 1, "total"), EAmountRange);
    EXPECT_EQ(CheckedRoundAmount(2147483646.4, "total"), largest - 1);
    EXPECT_EQ(CheckedRoundAmount(2147483646.5, "total"), largest);
    EXPECT_THROW(CheckedRoundAmount(2147483647.5, "total"), EAmountRange);
    EXPECT_THROW(CheckedRoundAmount(1e300, "total"), EAmountRange);
    EXPECT_THROW(CheckedRoundAmount(-1e300, "total"), EAmountRange);
    EXPECT_THROW(CheckedRoundAmount(std::nan(""), "total"), EAmountRange);
    try {
        CheckedAmount(5200000000, "premium of class 5183");
        ADD_FAILURE() << "not refused";
    } catch (const EAmountRange &error) {
        EXPECT_STREQ(error.what(),
                     "The premium of class 5183 ($5,200,000,000) does not fit the "
                     "largest amount the program can rate ($2,147,483,647).");
    }
    EXPECT_EQ(ClampedAmount(int64_t {largest} * 3), largest);
    EXPECT_EQ(ClampedAmount(int64_t {smallest} * 3), smallest);
}

TEST(Rounding, RoundToDecimals)
{
    EXPECT_DOUBLE_EQ(RoundTo(1.2345, 3), 1.235);
    EXPECT_DOUBLE_EQ(RoundTo(-1.2345, 3), -1.235);
    EXPECT_DOUBLE_EQ(RoundTo(0.9876, 2), 0.99);
    EXPECT_DOUBLE_EQ(RoundTo(2.0 / 3.0, 3), 0.667);
    // Beyond the 32-bit range of RoundAmount the intermediate must not be clamped.
    EXPECT_DOUBLE_EQ(RoundTo(123456.789, 4), 123456.789);
}

TEST(Rounding, UpToWholeDollar)
{
    EXPECT_EQ(RoundUpToDollar(2500.25), 2501);
    EXPECT_EQ(RoundUpToDollar(2500.0), 2500);
    EXPECT_EQ(RoundUpToDollar(10001 * 0.01 * 25), 2501);
    // 0.01 * 30 is not exactly 0.3 in binary: the whole dollar must stay whole.
    EXPECT_EQ(RoundUpToDollar(10000 * 0.01 * 30), 3000);
    EXPECT_EQ(RoundUpToDollar(0.001), 1);
}

TEST(MoneyText, GroupsAndSigns)
{
    EXPECT_EQ(MoneyText(0), "$0");
    EXPECT_EQ(MoneyText(999), "$999");
    EXPECT_EQ(MoneyText(1000), "$1,000");
    EXPECT_EQ(MoneyText(1234567), "$1,234,567");
    EXPECT_EQ(MoneyText(-1500), "$-1,500");
    EXPECT_EQ(MoneyText(-999), "$-999");
    EXPECT_EQ(MoneyText(100000), "$100,000");
    EXPECT_EQ(MoneyText(std::numeric_limits<int64_t>::min()), "$-9,223,372,036,854,775,808");
    EXPECT_EQ(GroupedText(12345678), "12,345,678");
}

TEST(FixedText, DecimalsAndRounding)
{
    EXPECT_EQ(FixedText(3.17, 2), "3.17");
    EXPECT_EQ(FixedText(0, 2), "0.00");
    EXPECT_EQ(FixedText(1.0, 3), "1.000");
    EXPECT_EQ(FixedText(0.125, 2), "0.13");
    EXPECT_EQ(FixedText(2.675, 2), "2.68");
    EXPECT_EQ(FixedText(-2.5, 0), "-3");
    EXPECT_EQ(FixedText(9.999, 2), "10.00");
    EXPECT_EQ(FixedText(0.0004, 3), "0.000");
    EXPECT_EQ(FixedText(-0.0004, 3), "0.000");
    EXPECT_EQ(FixedText(1234567.891, 2), "1234567.89");
    EXPECT_EQ(FixedText(1e-7, 4), "0.0000");
    EXPECT_EQ(FixedText(0.00005, 4), "0.0001");
}

TEST(KeyPadding, LeftAndRightAligned)
{
    EXPECT_EQ(KeyNumber(13), "13    ");
    EXPECT_EQ(KeyNumber(5, 3), "5  ");
    EXPECT_EQ(KeyNumberRightAligned(42, 10), "        42");
    EXPECT_EQ(PadRight("ABC", 5), "ABC  ");
    EXPECT_EQ(PadLeft("ABC", 5), "  ABC");
    EXPECT_EQ(PadRight("ABCDEFG", 5), "ABCDEFG");
}

TEST(TextHelpers, TrimAndCase)
{
    EXPECT_EQ(Trim("  8810 \t"), "8810");
    EXPECT_EQ(TrimRight("ABC   "), "ABC");
    EXPECT_EQ(TrimLeft("  ABC "), "ABC ");
    EXPECT_TRUE(SameText("Active_State", "ACTIVE_STATE"));
    EXPECT_FALSE(SameText("abc", "abcd"));
    EXPECT_LT(CompareText("abc", "ABD"), 0);
    EXPECT_GT(CompareText("abcd", "ABC"), 0);
    EXPECT_EQ(UpperCase("ma"), "MA");
    EXPECT_TRUE(ContainsText("xxCheckAndAppendyy", "CHECKANDAPPEND"));
    EXPECT_EQ(ReplaceAll("a\\b\\c", "\\", "/"), "a/b/c");
}

TEST(NumberParsing, RejectsWhatIsNotANumber)
{
    EXPECT_EQ(StrToInt(" 42 "), 42);
    EXPECT_EQ(StrToInt("-7"), -7);
    EXPECT_THROW(StrToInt("4x2"), EConvertError);
    EXPECT_THROW(StrToInt(""), EConvertError);
    EXPECT_THROW(StrToInt("99999999999"), EConvertError);
    EXPECT_EQ(StrToIntDef("abc", 5), 5);
    EXPECT_DOUBLE_EQ(StrToFloat("1.25"), 1.25);
    EXPECT_DOUBLE_EQ(StrToFloat("+.5"), 0.5);
    EXPECT_THROW(StrToFloat("1,25"), EConvertError);
    EXPECT_DOUBLE_EQ(StrToFloatDef("", 3.0), 3.0);
}

TEST(States, BothDirections)
{
    EXPECT_EQ(StateNumber("MA"), 13);
    EXPECT_EQ(StateNumber(" nj "), 15);
    EXPECT_EQ(StateNumber("PA"), 1);
    EXPECT_EQ(StateNumber("IN"), 30);
    EXPECT_EQ(StateNumber("ZZ"), 0);
    EXPECT_EQ(StateNumber(""), 0);
    EXPECT_EQ(StateAbbreviation(13), "MA");
    EXPECT_EQ(StateAbbreviation(15), "NJ");
    EXPECT_EQ(StateAbbreviation(4), "");
    EXPECT_EQ(StateAbbreviation(0), "");
    for (int n = 0; n <= 31; ++n) {
        const std::string abbreviation = StateAbbreviation(n);
        if (!abbreviation.empty()) {
            EXPECT_EQ(StateNumber(abbreviation), n);
        }
    }
}

TEST(Encoding, Windows1252RoundTrip)
{
    EXPECT_EQ(Windows1252ToUtf8("caf\xE9"), "caf\xC3\xA9");
    EXPECT_EQ(Windows1252ToUtf8("\x80"), "\xE2\x82\xAC");
    EXPECT_EQ(Utf8ToWindows1252("\xE2\x80\x9Cquoted\xE2\x80\x9D"), "\x93quoted\x94");
    EXPECT_EQ(Utf8ToWindows1252("\xE4\xB8\xAD"), "?");
    EXPECT_EQ(Utf8ToWindows1252("\xC3"), "?");
    std::string every;
    for (int b = 1; b < 256; ++b) {
        every += static_cast<char>(b);
    }
    EXPECT_EQ(Utf8ToWindows1252(Windows1252ToUtf8(every)), every);
}

TEST(Guid, TextFormAndUniqueness)
{
    const std::string a = NewGuidText();
    const std::string b = NewGuidText();
    ASSERT_EQ(a.size(), 36u);
    for (size_t i : {8u, 13u, 18u, 23u}) {
        EXPECT_EQ(a[i], '-') << a;
    }
    EXPECT_EQ(a.find_first_not_of("0123456789ABCDEF-"), std::string::npos) << a;
    EXPECT_EQ(a[14], '4') << "version 4: " << a;
    EXPECT_NE(std::string("89AB").find(a[19]), std::string::npos) << "variant: " << a;
    EXPECT_NE(a, b);
}
