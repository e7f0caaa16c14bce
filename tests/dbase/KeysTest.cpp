// Key encodings and key expressions.

#include "dbase/Keys.h"
#include "dbase/Expression.h"
#include "dbase/Values.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

std::string Hex(const std::string &bytes)
{
    std::string hex;
    size_t end = bytes.size();
    while (end > 2 && bytes[end - 1] == '\0') {
        --end;
    }
    for (size_t i = 0; i < end; ++i) {
        char b[4];
        std::snprintf(b, sizeof b, "%02X ", static_cast<unsigned char>(bytes[i]));
        hex += b;
    }
    if (!hex.empty()) {
        hex.pop_back();
    }
    return hex;
}

std::string NumericKey(double value)
{
    std::string key(dbase::kNumericKeyLength, '\0');
    dbase::EncodeNumericKey(value, key.data());
    return key;
}

std::vector<dbase::Field> Fields()
{
    dbase::DbfHeader header = dbase::BuildDbfHeader(
        nullptr,
        {{"CODE", 'C', 6, 0}, {"NAME", 'C', 10, 0}, {"AMT", 'N', 10, 2}, {"WHEN", 'D', 0, 0}}, 0,
        DateParts {});
    return header.fields;
}

std::string Record(const std::string &code, const std::string &name, const std::string &amount,
                   const std::string &when)
{
    return " " + code + name + amount + when;
}

std::string Evaluate(const std::string &expression, const std::string &record)
{
    const dbase::Expression e = dbase::Expression::Parse(nullptr, expression, Fields());
    return e.EvaluateText({record.data(), 7});
}

} // namespace

TEST(NumericKeys, EncodeAsDbaseFourWritesThem)
{
    EXPECT_EQ(Hex(NumericKey(0)), "34 01");
    EXPECT_EQ(Hex(NumericKey(1)), "35 05 10");
    EXPECT_EQ(Hex(NumericKey(12)), "36 09 12");
    EXPECT_EQ(Hex(NumericKey(20.5)), "36 0D 20 50");
    EXPECT_EQ(Hex(NumericKey(-1.5)), "35 89 15");
    EXPECT_EQ(Hex(NumericKey(0.05)), "33 05 50");
    EXPECT_EQ(Hex(NumericKey(0.001)), "32 05 10");
    EXPECT_EQ(Hex(NumericKey(100)), "37 0D 10");
    EXPECT_EQ(Hex(NumericKey(-1234.56)), "38 99 12 34 56");
    EXPECT_EQ(Hex(NumericKey(99999.99)), "39 1D 99 99 99 90");
    EXPECT_EQ(Hex(NumericKey(1000000)), "3B 1D 10");
    EXPECT_EQ(Hex(NumericKey(-0.01)), "33 85 10");
    EXPECT_DOUBLE_EQ(dbase::DecodeNumericKey(NumericKey(-1234.56).data()), -1234.56);
    EXPECT_DOUBLE_EQ(dbase::DecodeNumericKey(NumericKey(9999999999.0).data()), 9999999999.0);
}

TEST(NumericKeys, CompareByValueWithZeroInItsPlace)
{
    // 0.05 has a smaller exponent byte than zero: byte order would put it first.
    const std::vector<double> values {-1e9, -12.5, -1,   -0.05, -0.001, 0,       0.001,       0.05,
                                      0.5,  1,     9.99, 10,    100,    1000000, 9999999999.0};
    for (size_t i = 0; i < values.size(); ++i) {
        for (size_t j = 0; j < values.size(); ++j) {
            const int order = dbase::CompareNumericKeys(NumericKey(values[i]).data(),
                                                        NumericKey(values[j]).data());
            EXPECT_EQ(order < 0, i < j) << values[i] << " vs " << values[j];
            EXPECT_EQ(order == 0, i == j) << values[i] << " vs " << values[j];
        }
    }
    // Another writer's form of -0.01 (the zero after the point counted) equals ours.
    std::string other = NumericKey(-0.01);
    other[1] = '\x89';
    EXPECT_EQ(dbase::CompareNumericKeys(other.data(), NumericKey(-0.01).data()), 0);
}

TEST(DateKeys, JulianDayNumbers)
{
    std::string key(8, '\0');
    dbase::EncodeDateKey(dbase::JulianFromStorage("19700101"), key.data());
    EXPECT_EQ(Hex(key), "00 00 00 00 C6 9E 42 41");
    EXPECT_DOUBLE_EQ(dbase::JulianFromStorage("20000101"), 2451545);
    EXPECT_DOUBLE_EQ(dbase::JulianFromStorage("20090301"), 2454892);
    EXPECT_EQ(dbase::StorageFromJulian(2454892), "20090301");
    EXPECT_EQ(dbase::JulianFromStorage("        "), 0);
    EXPECT_EQ(dbase::JulianFromStorage("20090230"), 0);
    EXPECT_EQ(dbase::JulianFromStorage("2009 301"), 0);
    EXPECT_EQ(dbase::StorageFromJulian(0), "        ");
}

TEST(NumberText, FormatAndParseAsFieldsHoldThem)
{
    EXPECT_EQ(dbase::FormatNumber(12.5, 10, 2).value(), "     12.50");
    EXPECT_EQ(dbase::FormatNumber(-0.25, 10, 2).value(), "     -0.25");
    EXPECT_EQ(dbase::FormatNumber(0, 6, 2).value(), "  0.00");
    EXPECT_EQ(dbase::FormatNumber(2.675, 6, 2).value(), "  2.68");
    EXPECT_EQ(dbase::FormatNumber(-0.001, 6, 2).value(), "  0.00");
    EXPECT_EQ(dbase::FormatNumber(99999, 5, 0).value(), "99999");
    EXPECT_FALSE(dbase::FormatNumber(100000, 5, 0).has_value());
    EXPECT_FALSE(dbase::FormatNumber(-9999.5, 6, 1).has_value());
    EXPECT_DOUBLE_EQ(dbase::ParseNumber("     12.50").value, 12.5);
    EXPECT_DOUBLE_EQ(dbase::ParseNumber(" +.5").value, 0.5);
    EXPECT_DOUBLE_EQ(dbase::ParseNumber("-.25").value, -0.25);
    EXPECT_DOUBLE_EQ(dbase::ParseNumber("1.5E+03").value, 1500);
    EXPECT_DOUBLE_EQ(dbase::ParseNumber(std::string("12\0\0", 4)).value, 12);
    EXPECT_TRUE(dbase::ParseNumber("          ").blank);
    EXPECT_TRUE(dbase::ParseNumber("**********").blank);
}

TEST(Expressions, FunctionsAndWidths)
{
    const std::string r = Record("8810  ", "clerical  ", "     12.50", "20090301");
    EXPECT_EQ(Evaluate("CODE+NAME", r), "8810  clerical  ");
    EXPECT_EQ(Evaluate("code - name", r), "8810clerical    ");
    EXPECT_EQ(Evaluate("STR(AMT,10)", r), "        13");
    EXPECT_EQ(Evaluate("STR(AMT, 8, 1)", r), "    12.5");
    EXPECT_EQ(Evaluate("STR(-2.5,6,1)", r), "  -2.5");
    EXPECT_EQ(Evaluate("DTOS(WHEN)", r), "20090301");
    EXPECT_EQ(Evaluate("UPPER(NAME)", r), "CLERICAL  ");
    EXPECT_EQ(Evaluate("LEFT(NAME,3)+RIGHT(CODE,2)", r), "cle  ");
    EXPECT_EQ(Evaluate("SUBSTR(NAME,2,3)", r), "ler");
    EXPECT_EQ(Evaluate("SUBS(NAME,7)", r), "al  ");
    EXPECT_EQ(Evaluate("TRIM(CODE)+\"-\"+ALLTRIM(NAME)", r), "8810-clerical");
    EXPECT_EQ(Evaluate("DTOS(WHEN + 1)", r), "20090302");
    EXPECT_EQ(Evaluate("VAL(CODE) + 1", r), "8811");

    const auto fields = Fields();
    EXPECT_EQ(dbase::Expression::Parse(nullptr, "CODE+STR(AMT,10)+DTOS(WHEN)", fields).Width(),
              24u);
    EXPECT_EQ(dbase::Expression::Parse(nullptr, "LEFT(NAME,20)", fields).Width(), 10u);
    EXPECT_EQ(dbase::Expression::Parse(nullptr, "CODE", fields).SingleField(), 0);
    EXPECT_EQ(dbase::Expression::Parse(nullptr, "AMT", fields).ResultType(),
              dbase::Expression::Type::Numeric);
}

TEST(Expressions, MistakesNameTheExpression)
{
    const auto fields = Fields();
    const std::vector<std::pair<std::string, std::string>> cases {
        {"CODE+AMT", "cannot join"},
        {"NOSUCH", "no field named NOSUCH"},
        {"STR(AMT", "\")\" expected"},
        {"FOO(CODE)", "unknown function FOO()"},
        {"LEFT(CODE,AMT)", "written out"},
        {"UPPER(AMT)", "needs a text"},
        {"CODE)", "unexpected"},
        {"\"abc", "no closing quote"},
        {"", "empty"}};
    for (const auto &[text, message] : cases) {
        try {
            dbase::Expression::Parse(nullptr, text, fields);
            ADD_FAILURE() << text << " parsed";
        } catch (const dbase::Error &error) {
            EXPECT_EQ(error.Code(), dbase::Failure::Expression);
            EXPECT_NE(std::string(error.what()).find(message), std::string::npos)
                << text << ": " << error.what();
        }
    }
}
