// The sample tables written by independent software read exactly as their manifest describes
// them: records, deletion flags, memo texts, and each tag's order.

#include "TableFiles.h"

#include "dbase/Keys.h"

#include <gtest/gtest.h>

#include <set>

namespace {

std::set<uint32_t> DeletedRecords(dbase::Table &table)
{
    std::set<uint32_t> deleted;
    for (table.Top(); !table.Eof(); table.Skip()) {
        if (table.Deleted()) {
            deleted.insert(table.RecordNumber());
        }
    }
    return deleted;
}

class Samples : public ::testing::Test
{
protected:
    void SetUp() override { CopySamples(folder); }

    std::unique_ptr<dbase::Table> Open(const std::string &name)
    {
        return dbase::Table::Open(context, folder.File(name));
    }

    ScratchFolder folder;
    dbase::Context context;
};

} // namespace

TEST_F(Samples, RateTableHeaderRecordsAndDeletedFlags)
{
    auto table = Open("RATETBL.DBF");
    EXPECT_EQ(table->RecordCount(), 3240u);
    EXPECT_EQ(table->Header().headerLength, 289);
    EXPECT_EQ(table->Header().recordLength, 67);
    ASSERT_EQ(table->Fields().size(), 8u);
    EXPECT_EQ(table->Fields()[6].name, "VALUE");
    EXPECT_EQ(table->Fields()[6].offset, 31u);
    EXPECT_EQ(DeletedRecords(*table),
              (std::set<uint32_t> {1, 2, 211, 422, 633, 844, 1055, 1266, 1477, 1688, 1899, 2110,
                                   2321, 2532, 2743, 2954, 3165, 3240}));
    table->Go(3);
    EXPECT_EQ(Get(*table, "BROKER_ID"), "12    ");
    EXPECT_EQ(Get(*table, "carrier"), "0  ");
    EXPECT_EQ(Get(*table, "VALUE"), "     71.8567");
    EXPECT_DOUBLE_EQ(table->GetNumber(table->FieldByName("VALUE")), 71.8567);
    EXPECT_EQ(Get(*table, "DESCR"), "B12 S14 F1 I12          ");
}

TEST_F(Samples, RateTableTagsRunInTheirWritersOrder)
{
    auto table = Open("RATETBL.DBF");
    const auto id = WalkTag(table->TagByName("ID"));
    ASSERT_EQ(id.size(), 3240u);
    const std::vector<uint32_t> first {797, 804, 848, 882, 900};
    for (size_t i = 0; i < first.size(); ++i) {
        EXPECT_EQ(id[i].first, first[i]);
    }
    EXPECT_EQ(id[513], (std::pair<uint32_t, std::string> {3223, "1     6     "}));
    EXPECT_EQ(id[514], (std::pair<uint32_t, std::string> {13, "10    1     "}));
    EXPECT_EQ(id[1643], (std::pair<uint32_t, std::string> {139, "12345613    "}));
    EXPECT_EQ(id[3239].first, 3119u);

    const auto simple = TagRecords(table->TagByName("SIMPLE"));
    EXPECT_EQ(std::vector<uint32_t>(simple.begin(), simple.begin() + 12),
              (std::vector<uint32_t> {2646, 2708, 1757, 948, 1114, 848, 1861, 1829, 2483, 1913,
                                      2353, 1522}));
    EXPECT_EQ(simple.back(), 2571u);
    const auto plan = TagRecords(table->TagByName("PLAN_FILE"));
    EXPECT_EQ(std::vector<uint32_t>(plan.end() - 3, plan.end()),
              (std::vector<uint32_t> {950, 1529, 1852}));
    // Every entry against the key the engine computes from its record.
    EXPECT_EQ(table->Check(), std::vector<std::string> {});
}

TEST_F(Samples, CustomerTagsNumericDescendingUniqueAndUpper)
{
    auto table = Open("CUSTOMER.DBF");
    EXPECT_EQ(table->RecordCount(), 3002u);
    EXPECT_EQ(DeletedRecords(*table).size(), 21u);
    EXPECT_EQ(DeletedRecords(*table).count(2850), 1u);

    const auto idTag = WalkTag(table->TagByName("ID_TAG"));
    EXPECT_EQ(idTag[0], (std::pair<uint32_t, std::string> {2518, "         0"}));
    EXPECT_EQ(idTag[10], (std::pair<uint32_t, std::string> {561, "        -5"}));
    EXPECT_EQ(idTag[3001], (std::pair<uint32_t, std::string> {1754, "9999999999"}));

    const auto number = WalkTag(table->TagByName("CUST_NUM"));
    ASSERT_EQ(number.size(), 3002u);
    EXPECT_EQ(number[0].first, 561u);
    EXPECT_DOUBLE_EQ(dbase::DecodeNumericKey(number[0].second.data()), -5);
    EXPECT_EQ(number[1].first, 2518u);
    EXPECT_EQ(number[3001].first, 1754u);
    EXPECT_DOUBLE_EQ(dbase::DecodeNumericKey(number[3001].second.data()), 9999999999.0);

    const auto descending = TagRecords(table->TagByName("CUST_DESC"));
    EXPECT_EQ(descending[0], 1754u);
    EXPECT_EQ(descending[1107], 1274u); // equal keys still in record order
    EXPECT_EQ(descending[1108], 2955u);
    EXPECT_EQ(descending[3001], 561u);

    const auto unique = WalkTag(table->TagByName("STATE_U"));
    ASSERT_EQ(unique.size(), 12u);
    EXPECT_EQ(unique[0], (std::pair<uint32_t, std::string> {12, "CA"}));
    EXPECT_EQ(unique[11], (std::pair<uint32_t, std::string> {1, "VA"}));

    const auto company = WalkTag(table->TagByName("COMPANY"));
    EXPECT_EQ(company[0].first, 271u);
    EXPECT_EQ(company[0].second, "ACME ROOFING 0                ");
    const auto last = TagRecords(table->TagByName("LAST_DESC"));
    EXPECT_EQ(last[0], 14u);
    EXPECT_EQ(last[3001], 2862u);
    EXPECT_EQ(table->Check(), std::vector<std::string> {});
}

TEST_F(Samples, QuotesMemosDatesAndNumericTags)
{
    auto table = Open("quotes.dbf");
    EXPECT_EQ(table->Header().version, 0x8B);
    EXPECT_EQ(table->RecordCount(), 400u);
    EXPECT_EQ(DeletedRecords(*table),
              (std::set<uint32_t> {5, 37, 74, 111, 148, 185, 222, 259, 296, 333, 370, 400}));
    table->Go(1);
    EXPECT_EQ(Get(*table, "NOTES"), "");
    EXPECT_EQ(Get(*table, "EXPIRES"), "20040104");
    table->Go(2);
    EXPECT_EQ(Get(*table, "NOTES"), "Short note for quote 289");
    EXPECT_EQ(Get(*table, "AMOUNT"), "       -0.01");
    table->Go(3);
    EXPECT_EQ(Get(*table, "NOTES"), "Line 1 of quote 49\r\nLine 2\r\nLine 3");
    table->Go(4);
    EXPECT_EQ(Get(*table, "NOTES").size(), 1310u);
    EXPECT_EQ(Get(*table, "NOTES").substr(0, 14), "Long note 217:");
    EXPECT_EQ(Get(*table, "EXPIRES"), "        ");
    table->Go(5);
    EXPECT_EQ(Get(*table, "NOTES"), std::string(505, 'x') + "|end");
    EXPECT_TRUE(table->Deleted());

    const auto amount = TagRecords(table->TagByName("AMOUNT"));
    EXPECT_EQ(amount[0], 6u);
    EXPECT_EQ(
        std::vector<uint32_t>(amount.begin() + 137, amount.begin() + 154),
        (std::vector<uint32_t> {8, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 4, 2, 1, 3, 5, 9}));
    EXPECT_EQ(amount[399], 7u);
    const auto effective = WalkTag(table->TagByName("EFFECTIVE"));
    EXPECT_EQ(effective[0].first, 43u);
    EXPECT_DOUBLE_EQ(dbase::DecodeDateKey(effective[0].second.data()), 2450836);
    EXPECT_EQ(effective[399].first, 337u);
    EXPECT_EQ(TagRecords(table->TagByName("QUOTE_ID"))[0], 261u);
    EXPECT_EQ(TagRecords(table->TagByName("CUST_DATE"))[0], 109u);
    EXPECT_EQ(table->Check(), std::vector<std::string> {});
}

TEST_F(Samples, SeeksPartialNumericAndDateKeys)
{
    auto rates = Open("RATETBL.DBF");
    rates->SelectTag(&rates->TagByName("ID"));
    EXPECT_EQ(rates->Seek("10"), dbase::SeekResult::Found);
    EXPECT_EQ(rates->RecordNumber(), 13u);
    EXPECT_EQ(rates->SeekNext("10"), dbase::SeekResult::Found);
    EXPECT_EQ(rates->RecordNumber(), 124u);
    // "1" followed by blanks is broker 1 alone, not 10 or 12.
    EXPECT_EQ(rates->Seek("1     6"), dbase::SeekResult::Found);
    EXPECT_EQ(rates->Seek("12345613"), dbase::SeekResult::Found);
    EXPECT_EQ(rates->RecordNumber(), 139u);
    EXPECT_EQ(rates->Seek("3"), dbase::SeekResult::After);
    EXPECT_EQ(Get(*rates, "BROKER_ID"), "5     ");
    EXPECT_EQ(rates->Seek("9"), dbase::SeekResult::End);
    EXPECT_TRUE(rates->Eof());

    auto customers = Open("CUSTOMER.DBF");
    customers->SelectTag(&customers->TagByName("CUST_NUM"));
    EXPECT_EQ(customers->Seek("-5"), dbase::SeekResult::Found);
    EXPECT_EQ(customers->RecordNumber(), 561u);
    EXPECT_EQ(customers->Seek("1885"), dbase::SeekResult::Found);
    EXPECT_EQ(customers->RecordNumber(), 1274u);
    EXPECT_EQ(customers->SeekNext("1885"), dbase::SeekResult::Found);
    EXPECT_EQ(customers->RecordNumber(), 2955u);
    EXPECT_EQ(customers->SeekNext("1885"), dbase::SeekResult::After);
    customers->SelectTag(&customers->TagByName("STATE_U"));
    EXPECT_EQ(customers->Seek("VA"), dbase::SeekResult::Found);
    EXPECT_EQ(customers->RecordNumber(), 1u);

    auto quotes = Open("quotes.dbf");
    quotes->SelectTag(&quotes->TagByName("EFFECTIVE"));
    EXPECT_EQ(quotes->Seek("19980122"), dbase::SeekResult::Found);
    EXPECT_EQ(quotes->RecordNumber(), 43u);
    quotes->SelectTag(&quotes->TagByName("AMOUNT"));
    EXPECT_EQ(quotes->Seek("-12.50"), dbase::SeekResult::Found);
    EXPECT_EQ(quotes->RecordNumber(), 8u);
    EXPECT_EQ(quotes->SeekNext("-12.50"), dbase::SeekResult::Found);
    EXPECT_EQ(quotes->RecordNumber(), 11u);
}
