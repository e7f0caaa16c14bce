// The values of the pool application: the mapping file, the telephone rewriting, trimming and
// the class rows with their stride.

#include "export/PoolApplicationData.h"

#include "QuoteHarness.h"
#include "core/Text.h"
#include "support/ScratchFolder.h"

#include <gtest/gtest.h>

namespace {

std::string Values(const std::vector<TQuoteDataInfo> &values)
{
    std::string text;
    for (const TQuoteDataInfo &value : values) {
        text += std::to_string(value.Field) + "=" + value.Text + "\n";
    }
    return text;
}

std::vector<TFieldMapping> Mappings(const std::string &text)
{
    ScratchFolder folder;
    folder.WriteFile("MAApp.dat", text);
    return ReadFieldMappings(folder.File("MAApp.dat"));
}

struct MAQuote
{
    QuoteHarness h {"MA", 1, EncodeDate(2026, 7, 1), BuiltProgramFolder()};
};

} // namespace

TEST(PoolApplicationData, TelephoneItemsLoseTheirParentheses)
{
    MAQuote q;
    q.h.Application().AgencyAddress.Phone = "(508) 555-1212";
    q.h.Quote().Customer().SetWorkPhone("  (978)555-0199 ");
    q.h.Application().AgencyAddress.Name = "  Harbor Agency  ";
    EXPECT_EQ(Values(BuildApplicationData(q.h.Quote(), Mappings("12=29\n13=50\n14=25\n"))),
              "12=508- 555-1212\n13=978-555-0199\n14=Harbor Agency\n");
}

TEST(PoolApplicationData, RatedClassesSkipTheClericalClassEightFieldsARow)
{
    MAQuote q;
    TVereDivoQuote &quote = q.h.Quote();
    TVereDivoClass &clerical = q.h.Add("8810", 40000, 2);
    TVereDivoClass &plumbing = q.h.Add("5183", 100000, 4);
    TVereDivoClass &building = q.h.Add("9015", 50000, 1);
    ASSERT_EQ(quote.ClericalClass, &clerical);
    // The rows follow the quote's list, which keeps its lines in display-name order.
    ASSERT_EQ(quote.Classes(), (std::vector<TVereDivoClass *> {&building, &clerical, &plumbing}));
    ASSERT_TRUE(q.h.Rate());

    EXPECT_EQ(Values(BuildApplicationData(quote, Mappings("40=200\n"))),
              "40=BUILDING OPERATION BY OWNER OR LESSEE NOC\n41=9015\n42=1\n43=50000\n44=2.65\n"
              "45=1325\n48=PLUMBING NOC, INCLUDING DRIVERS\n49=5183\n50=4\n51=100000\n52=2.60\n"
              "53=2600\n");
    // Item 201 writes every line, the clerical class among them.
    const std::vector<TQuoteDataInfo> all = BuildApplicationData(quote, Mappings("100=201\n"));
    ASSERT_EQ(all.size(), 18u);
    EXPECT_EQ(all[0].Field, 100);
    EXPECT_EQ(all[1].Text, "9015");
    EXPECT_EQ(all[6].Field, 108);
    EXPECT_EQ(all[7].Text, "8810");
    EXPECT_EQ(all[17].Field, 121);
    EXPECT_EQ(all[17].Text, "2600");
}

TEST(PoolApplicationData, SalesAndDriversClassesAreLeftOutOfTheRatedRows)
{
    MAQuote q;
    q.h.Add("8742", 30000, 1); // sales
    q.h.Add("7380", 20000, 1); // drivers
    q.h.Add("5183", 100000, 4);
    ASSERT_TRUE(q.h.Rate());
    const std::vector<TQuoteDataInfo> rated = BuildApplicationData(q.h.Quote(), Mappings("40=200"));
    ASSERT_EQ(rated.size(), 6u);
    EXPECT_EQ(rated[1].Text, "5183");
    EXPECT_EQ(BuildApplicationData(q.h.Quote(), Mappings("40=201")).size(), 18u);
}

TEST(PoolApplicationData, TheDeliveredMappingFillsTheDeliveredTemplate)
{
    MAQuote q;
    q.h.Quote().Customer().SetCompany("ASHBY BAKERY");
    q.h.Add("5183", 100000, 4);
    ASSERT_TRUE(q.h.Rate());
    const std::vector<TQuoteDataInfo> values =
        BuildApplicationData(q.h.Quote(), PoolApplicationKind);
    ASSERT_FALSE(values.empty());
    EXPECT_EQ(values[2].Field, 3);
    EXPECT_EQ(values[2].Text, "ASHBY BAKERY");
    EXPECT_EQ(values[0].Text, "07/01/2026");
    for (const TQuoteDataInfo &value : values) {
        EXPECT_GE(value.Field, 1);
        EXPECT_LE(value.Field, 128); // the delivered template's fields
    }
    // Only the pool application has a mapping file.
    EXPECT_TRUE(BuildApplicationData(q.h.Quote(), 1).empty());
}

TEST(PoolApplicationData, MappingFileLinesAreCheckedAndBlankLinesPassedOver)
{
    EXPECT_EQ(Mappings("1=145\r\n\r\n 2 = 38 \r\n").size(), 2u);
    try {
        Mappings("1=145\n2=\n");
        FAIL() << "a line without an item was accepted";
    } catch (const EMappingFileError &error) {
        EXPECT_NE(std::string(error.what()).find("Line 2 of "), std::string::npos) << error.what();
        EXPECT_NE(std::string(error.what()).find("\"2=\""), std::string::npos) << error.what();
    }
    EXPECT_THROW(Mappings("field 1 = 3\n"), EMappingFileError);
    EXPECT_THROW(Mappings("0=3\n"), EMappingFileError);
    EXPECT_THROW(ReadFieldMappings("/nonexistent/MAApp.dat"), EMappingFileError);
}
