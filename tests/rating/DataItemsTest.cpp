// The quote's numbered data items and the name=value export over the export table.

#include "QuoteHarness.h"
#include "core/NameValues.h"
#include "core/Text.h"

#include <gtest/gtest.h>

namespace {

// The MA voluntary quote of MAQuoteTest, for a customer of an agency.
struct RatedQuote
{
    QuoteHarness h {"MA"};

    RatedQuote()
    {
        h.Application().AgencyAddress = {
            "Harbor Insurance Agency", "Attn: Dana Royce", "12 Water St", "Salem", "MA", "01970",
            "(978)555-0100",           "(978)555-0101",    "P-0042",      ""};
        TQorRatingClient &customer = h.Quote().Customer();
        customer.SetCompany("ASHBY BAKERY");
        customer.SetFirstName("Lee");
        customer.SetLastName("Ashby");
        customer.SetStreet("4 Mill Rd");
        customer.SetCity("Lowell");
        customer.SetState("MA");
        customer.SetZip("01852");
        customer.SetWorkPhone(" (978)555-0199 ");
        TCustLOBInfo &header = h.Quote().QuoteInfo();
        header.SetLocationStreet("4 Mill Rd");
        header.SetLocationCity("Lowell");
        header.SetLocationState("MA");
        header.SetLocationZip("01852");

        h.Add("5645", 250000, 6);
        h.Add("5437", 120000, 3);
        h.Add("8810", 60000, 2);
        h.Add("8742", 40000, 1);
        h.Pick("lstPartTwo", "500/500/500");
        h.Enter("txtExpMod", "0.92");
        h.Enter("txtConstCredit", "9");
        h.Enter("txtARAP", "1.05");
        h.Rate();
    }

    std::string Item(int32_t index, int32_t argument = 0)
    {
        return h.Quote().GetDataItem(index, argument);
    }
};

TEST(DataItems, AmountsAsPlainWholeNumbers)
{
    RatedQuote r;
    EXPECT_EQ(r.Item(1), "17907");
    EXPECT_EQ(r.Item(2), "179");
    EXPECT_EQ(r.Item(3), "18086");
    EXPECT_EQ(r.Item(7), "-1447");
    EXPECT_EQ(r.Item(9), "16639");
    EXPECT_EQ(r.Item(11), "15141");
    EXPECT_EQ(r.Item(12), "757");
    EXPECT_EQ(r.Item(13), "-468");
    EXPECT_EQ(r.Item(14), "264");
    EXPECT_EQ(r.Item(15), "630");
    EXPECT_EQ(r.Item(16), "16465");
    EXPECT_EQ(r.Item(18), "-1498");
    EXPECT_EQ(r.Item(23), "673");
    EXPECT_EQ(r.Item(24), "4116"); // 25 % of 16,465
    EXPECT_EQ(r.Item(101), "15694");
    EXPECT_EQ(r.Item(130), "141");
    EXPECT_EQ(r.Item(62), "-1447"); // the mod, since there is one
    EXPECT_EQ(r.Item(49), "0");
    EXPECT_EQ(r.Item(999), "");
}

TEST(DataItems, InputsAsEnteredAndShown)
{
    RatedQuote r;
    EXPECT_EQ(r.Item(19), "0.010"); // the limits entry's factor
    EXPECT_EQ(r.Item(21), "0.92");
    EXPECT_EQ(r.Item(22), "1.05");
    EXPECT_EQ(r.Item(34), "500/500/500");
    EXPECT_EQ(r.Item(41), "500");
    EXPECT_EQ(r.Item(42), "500");
    EXPECT_EQ(r.Item(43), "500");
    EXPECT_EQ(r.Item(63), "0.92");
    EXPECT_EQ(r.Item(64), "-"); // no merit adjustment
    EXPECT_EQ(r.Item(65), "1.05");
    EXPECT_EQ(r.Item(67), "-9");
    EXPECT_EQ(r.Item(69), "-");
    EXPECT_EQ(r.Item(142), "0");
    EXPECT_EQ(r.Item(144), "0");
    EXPECT_EQ(r.Item(66), "3.8"); // 0.0383 x 100 to one decimal
    EXPECT_EQ(r.Item(131), "0.03");

    r.h.Enter("txtConstCredit", "12.5");
    EXPECT_EQ(r.Item(143), "-13"); // Massachusetts rounds the entered credit
}

TEST(DataItems, AgencyCustomerAndLocation)
{
    RatedQuote r;
    EXPECT_EQ(r.Item(25), "Harbor Insurance Agency");
    EXPECT_EQ(r.Item(28), "Salem, MA 01970");
    EXPECT_EQ(r.Item(30), "P-0042");
    EXPECT_EQ(r.Item(61), "12 Water St   Salem, MA 01970");
    EXPECT_EQ(r.Item(44), "ASHBY BAKERY");
    EXPECT_EQ(r.Item(45), "Lee Ashby");
    EXPECT_EQ(r.Item(47), "Lowell, MA 01852");
    EXPECT_EQ(r.Item(50), "(978)555-0199");
    EXPECT_EQ(r.Item(60), "4 Mill Rd   Lowell, MA 01852");
    EXPECT_EQ(r.Item(100), "4 Mill Rd   Lowell, MA  01852");
    EXPECT_EQ(r.Item(139), "Yes");
    r.h.Quote().QuoteInfo().SetLocationStreet("9 Canal St");
    EXPECT_EQ(r.Item(139), "No");
    EXPECT_EQ(r.Item(40), "MA");
    EXPECT_EQ(r.Item(48), std::string(55, ' ') + "FIXTURE MA");
    EXPECT_EQ(r.Item(32), "Workers Compensation Quotation");
}

TEST(DataItems, DatesInEachForm)
{
    RatedQuote r; // effective 07/01/2026
    EXPECT_EQ(r.Item(37), "07/01/26");
    EXPECT_EQ(r.Item(38), "07/01/27");
    EXPECT_EQ(r.Item(39), "07/01");
    EXPECT_EQ(r.Item(51), "08/01/2026");
    EXPECT_EQ(r.Item(52), "1");
    EXPECT_EQ(r.Item(53), "July");
    EXPECT_EQ(r.Item(56), "July, 2026");
    EXPECT_EQ(r.Item(145), "07/01/2026");

    struct Form final : TApplicationFormTarget
    {
        bool SetField(const std::string &, const std::string &, bool) override { return true; }
    } form;
    r.h.Quote().SetApplicationForm(&form);
    EXPECT_EQ(r.Item(37), "07/01/2026");
    EXPECT_EQ(r.Item(48), std::string(80, ' ') + "FIXTURE MA");

    r.h.Quote().SetEffectiveDate(EncodeDate(2028, 2, 29));
    EXPECT_EQ(r.Item(38), "02/28/2029");
    EXPECT_EQ(r.Item(55), "02/28/29");
}

TEST(DataItems, SpecialClassesAndClassLinesByNumber)
{
    RatedQuote r;
    EXPECT_EQ(r.Item(70), "8810");
    EXPECT_EQ(r.Item(71), "60000");
    EXPECT_EQ(r.Item(72), "0.09");
    EXPECT_EQ(r.Item(73), "54");
    EXPECT_EQ(r.Item(90), "8742");
    EXPECT_EQ(r.Item(80), ""); // no drivers on the quote

    // Lines in the quote's order: by display name.
    const auto &lines = r.h.Quote().Classes();
    ASSERT_EQ(lines.size(), 4U);
    EXPECT_EQ(r.Item(135, 1), lines[0]->Code);
    EXPECT_EQ(r.Item(137, 4), IntText(lines[3]->GetPayroll()));
    EXPECT_EQ(r.Item(136, 2), "N");
    EXPECT_EQ(r.Item(135, 5), "");
    EXPECT_EQ(r.Item(135, 0), "");
}

TEST(DataItems, AssessmentIsEmptyWhenThereIsNone)
{
    QuoteHarness h("MA");
    h.Add("8810", 10000);
    h.Quote().Factors->ASSESSMENT = 0;
    h.Rate();
    EXPECT_EQ(h.Quote().GetDataItem(15, 0), "");
}

TEST(ExportList, TheWholeQuoteAsNameValueLines)
{
    RatedQuote r;
    std::vector<std::string> list = {"WC_CARRIER=old"};
    r.h.Quote().GetExportList(100, 0, list);
    const std::vector<std::string> expected = {
        "WC_CARRIER=Fixture Carrier", // an existing name is replaced where it was
        "WC_COMPANY_NAME=ASHBY BAKERY",
        "WC_EFFECTIVE_DATE=07/01/2026",
        "WC_ASSESSMENT=630",
        "WC_ASSESSMENT_NAME=DIA Assessment", // the plan's name for the literal
        "WC_TOTAL_PREMIUM=17907", // the later row for the same name wins
    };
    EXPECT_EQ(list, expected);
    EXPECT_EQ(NameValue(list, "wc_total_premium"), "17907");
}

TEST(ExportList, WithoutAssessmentItsItemAndLiteralAreLeftOut)
{
    QuoteHarness h("MA");
    h.Add("8810", 10000);
    h.Quote().Factors->ASSESSMENT = 0;
    h.Rate();
    std::vector<std::string> list;
    h.Quote().GetExportList(100, 0, list);
    EXPECT_EQ(NameValue(list, "WC_ASSESSMENT"), "");
    for (const std::string &line : list) {
        EXPECT_EQ(line.find("WC_ASSESSMENT"), std::string::npos) << line;
    }
}

TEST(ExportList, OneClassLine)
{
    RatedQuote r;
    std::vector<std::string> list;
    r.h.Quote().GetExportList(101, 2, list);
    const TVereDivoClass &line = *r.h.Quote().Classes()[1];
    const std::vector<std::string> expected = {
        "WC_CLASS_CODE=" + line.Code,
        "WC_CLASS_IF_ANY=N",
        "WC_CLASS_PAYROLL=" + IntText(line.GetPayroll()),
        "WC_CLASS_EMPLOYEES=" + IntText(line.Employees),
    };
    EXPECT_EQ(list, expected);

    list.clear();
    r.h.Quote().GetExportList(102, 1, list); // a mapping without rows writes nothing
    EXPECT_TRUE(list.empty());
}

TEST(ExportList, FormKindsWriteNameCommaValueWithoutAnOpenForm)
{
    RatedQuote r;
    std::vector<std::string> list;
    r.h.Quote().ApplyExportMapping(list, true, 0, 1, 1);
    EXPECT_EQ(list, std::vector<std::string> {"Applicant,ASHBY BAKERY"});
}

} // namespace
