// New Jersey quotes worked by hand through every step of the sequence, on the fixture plans
// (rates and factors of FixtureTables.cpp), and the rules around them.

#include "QuoteHarness.h"
#include "rating/NJVereDivoQuote.h"

#include <gtest/gtest.h>

namespace {

TNJVereDivoQuote &NJ(QuoteHarness &h)
{
    return dynamic_cast<TNJVereDivoQuote &>(h.Quote());
}

// Fixture plan NJ broker 1: second injury fund 3.75 % of (manual + limits + mod), UEF 0.1 % of
// the standard premium (misc factor 1), expense constant 160, terrorism 3 + 1 cents per 100,
// Type A discount, limits 500/500/500 at 1 % with a 50 minimum; for per-capita quotes a
// limits charge of 15 (misc factor 2) and an expense constant of 50 (misc factor 3).

TEST(NJQuote, VoluntaryPolicyWithModConstructionCreditAndManagedCare)
{
    QuoteHarness h("NJ");
    h.Add("5645", 150000); // 1,500 x 12.80 = 19,200
    h.Add("5403", 60000); //    600 x 11.10 =  6,660
    h.Add("8810", 40000); //    400 x  0.18 =     72
    h.Pick("lstPartTwo", "500/500/500");
    h.Enter("txtExpMod", "1.08"); // a mod other than 1 opens the construction credit box
    h.Enter("txtConstCredit", "12");
    h.Enter("txtManagedCare", "0.95");
    ASSERT_TRUE(h.Rate());
    const TNJVereDivoQuote &q = NJ(h);

    EXPECT_EQ(q.Results.TotalManualPremium, 25932);
    EXPECT_EQ(q.Results.PartTwoPremium, 259); // 259.32
    EXPECT_EQ(q.Results.UnmodifiedPremium, 26191);
    EXPECT_EQ(q.Results.ExperienceModAdjustment, 2095); // 26,191 x 1.08 = 28,286.28 -> 28,286
    EXPECT_EQ(q.Results.ModifiedPremium, 28286);
    EXPECT_EQ(q.Results.ConstructionCredit, -3394); // 28,286 x -12 % = -3,394.32
    EXPECT_EQ(q.Results.ManagedCareBasis, 28286);
    EXPECT_EQ(q.Results.ManagedCareCredit, -1414); // 28,286 x 0.95 = 26,871.70 -> 26,872
    EXPECT_EQ(q.Results.BalanceToMin, 0);
    EXPECT_EQ(q.Results.StandardPremium, 23478);
    EXPECT_EQ(q.Results.PpapAdjustment, 0);
    EXPECT_EQ(q.Results.PremiumDiscount, -1226); // 13,478 x -9.1 % = -1,226.498
    EXPECT_EQ(q.Results.ExpenseConstant, 160);
    EXPECT_EQ(q.Results.NetPremium, 22412);
    EXPECT_EQ(q.Results.TerrorismCharge, 75); // 2,500 hundreds x 3 cents
    EXPECT_EQ(q.Results.DomesticTerrorismCharge, 25); // x 1 cent
    EXPECT_EQ(q.Results.UninsuredEmployersFund, 23); // 23,478 x 0.1 % = 23.478
    EXPECT_EQ(q.Results.Assessment, 1061); // 3.75 % x 28,286 = 1,060.725
    EXPECT_EQ(q.Results.TotalPremium, 23596);
    // Published practice takes managed care after the construction credit (24,892 x -5 %) and
    // the UEF from the modified premium (total 23,754); the plan's sequence does neither.

    EXPECT_EQ(h.Summary(),
              "Total Manual Premium: 25932\n"
              "Premium for Inc. Part Two Limits: 259\n"
              "Unmodified Premium: 26191\n"
              "Experience Modification: 2095\n"
              "Total Modified Premium: 28286\n"
              "Construction Credit: -3394\n"
              "Managed Care Credit: -1414\n"
              "Total Estimated Standard Premium: 23478\n"
              "PPAP Adjustment: 0\n"
              "Premium Discount: -1226\n"
              "Expense Constant: 160\n"
              "Foreign Terrorism Charge: 75\n"
              "Domestic Terrorism Charge: 25\n"
              "Uninsured Employers Fund: 23\n"
              "Second Injury Fund: 1061\n"
              "Total Estimated Annual Premium: 23596\n");
    EXPECT_EQ(q.GetExportValue(40), "-1414");
    EXPECT_EQ(q.GetExportValue(41), "23");
    EXPECT_EQ(q.GetExportValue(150), "0");
}

TEST(NJQuote, SmallPlanPolicyBalancedToTheMinimumWithPpap)
{
    QuoteHarness h("NJ");
    h.Add("8810", 20000); // 200 x 0.18 = 36
    h.Enter("txtPPAPFactor", "1.10");
    ASSERT_TRUE(h.Rate());
    const TNJVereDivoQuote &q = NJ(h);

    EXPECT_EQ(q.Results.TotalManualPremium, 36);
    EXPECT_EQ(q.Results.ModifiedPremium, 36);
    EXPECT_EQ(q.Results.BalanceToMin, 14); // 210 minimum - 36 - 160 expense constant
    EXPECT_EQ(q.Results.MinimumPremium, 210);
    EXPECT_EQ(q.Results.StandardPremium, 50); // 210 - 160
    EXPECT_EQ(q.Results.PpapAdjustment, 5); // 50 x 1.10 = 55
    EXPECT_EQ(q.Results.NetPremium, 215); // 50 + 160 + 5
    EXPECT_EQ(q.Results.TerrorismCharge, 6);
    EXPECT_EQ(q.Results.DomesticTerrorismCharge, 2);
    EXPECT_EQ(q.Results.UninsuredEmployersFund, 0); // 50 x 0.1 % = 0.05
    EXPECT_EQ(q.Results.Assessment, 1); // 36 x 3.75 % = 1.35
    EXPECT_EQ(q.Results.TotalPremium, 224);
    // Published practice raises the premium after PPAP to the minimum (210) and ends at 219.
    EXPECT_EQ(h.Summary(),
              "Total Manual Premium: 36\n"
              "Unmodified Premium: 36\n"
              "Total Modified Premium: 36\n"
              "Amount Required to Balance to Min: 14\n"
              "Total Estimated Standard Premium: 50\n"
              "PPAP Adjustment: 5\n"
              "Expense Constant: 160\n"
              "Foreign Terrorism Charge: 6\n"
              "Domestic Terrorism Charge: 2\n"
              "Uninsured Employers Fund: 0\n"
              "Second Injury Fund: 1\n"
              "Total Estimated Annual Premium: 224\n");
}

TEST(NJQuote, PerCapitaDomesticQuoteUsesItsOwnLimitsChargeAndExpenseConstant)
{
    QuoteHarness h("NJ");
    h.Add("0913", 0, 2); // 2 persons x 138
    h.Pick("lstPartTwo", "500/500/500"); // prices 1,000 at the 50 minimum: above 0
    ASSERT_TRUE(h.Rate());
    const TNJVereDivoQuote &q = NJ(h);

    EXPECT_EQ(q.Results.TotalManualPremium, 276);
    EXPECT_EQ(q.Results.PartTwoPremium, 15); // misc factor 2, not 1 % of 276
    EXPECT_EQ(q.Results.ExpenseConstant, 50); // misc factor 3, not the plan's 160
    EXPECT_EQ(q.Results.StandardPremium, 291);
    EXPECT_EQ(q.Results.NetPremium, 341);
    EXPECT_EQ(q.Results.TerrorismCharge, 0); // per-capita payroll carries no terrorism charge
    EXPECT_EQ(q.Results.Assessment, 11); // 291 x 3.75 % = 10.91
    EXPECT_EQ(q.Results.TotalPremium, 352);

    h.Pick("lstPartTwo", "100/500/100"); // the standard limits price nothing
    ASSERT_TRUE(h.Rate());
    EXPECT_EQ(q.Results.PartTwoPremium, 0);
}

TEST(NJQuote, PpapFactorOfOneStillPrintsItsLineAndOutOfRangeIsReset)
{
    QuoteHarness h("NJ");
    h.Add("5645", 100000);
    ASSERT_TRUE(h.Rate());
    EXPECT_EQ(NJ(h).Results.PpapAdjustment, 0);
    EXPECT_NE(h.Summary().find("PPAP Adjustment: 0\n"), std::string::npos);

    h.Enter("txtPPAPFactor", "1.31");
    EXPECT_EQ(h.Prompter().Texts().back(),
              "The PPAP must be between 1.00 and 1.30.  It has been reset to 1.00 (no "
              "adjustment)");
    EXPECT_EQ(h.Input("txtPPAPFactor").Number(), 1);
    h.Enter("txtPPAPFactor", "1.30");
    EXPECT_EQ(NJ(h).Results.PpapAdjustment, 3840); // 12,800 x 1.30 = 16,640
}

TEST(NJQuote, ConstructionCreditBoxOpensOnlyForConstructionWithAMod)
{
    QuoteHarness h("NJ");
    h.Add("8810", 100000);
    h.Quote().RefreshDependentInputs();
    EXPECT_FALSE(h.Input("txtConstCredit").Enabled());

    h.Add("5403", 100000);
    h.Quote().RefreshDependentInputs();
    EXPECT_FALSE(h.Input("txtConstCredit").Enabled()); // mod still 1.00
    EXPECT_EQ(h.Input("txtConstCredit").Text(), "0");

    h.Enter("txtExpMod", "0.85");
    EXPECT_TRUE(h.Input("txtConstCredit").Enabled());
    h.Enter("txtExpMod", "1");
    EXPECT_FALSE(h.Input("txtConstCredit").Enabled());
}

TEST(NJQuote, ManagedCareBoxIsLimitedToOne)
{
    QuoteHarness h("NJ");
    h.Add("5645", 100000);
    h.Enter("txtManagedCare", "1.2");
    EXPECT_EQ(h.Prompter().Texts().back(), "Value cannot be greater than 1.00");
    EXPECT_EQ(h.Input("txtManagedCare").Number(), 1);
    EXPECT_EQ(NJ(h).Results.ManagedCareCredit, 0);
}

TEST(NJQuote, BrokerSixPricesManagedCareByItsDateTiers)
{
    // Broker 6 borrows the classes and factors of broker 1 through plan keys; its managed
    // care check box carries the tier marker and its discount is a single rate by size.
    QuoteHarness h("NJ", 6);
    EXPECT_EQ(h.Inputs().FindControl("txtManagedCare"), nullptr);
    TRatingControl &discount = h.Input("lstPremiumDiscount");
    for (const auto &entry : discount.Entries()) {
        EXPECT_NE(entry->Text, "Table X");
    }
    h.Add("5645", 100000); // 12,800
    h.Tick("chkManagedCare", true);
    ASSERT_TRUE(h.Rate());
    const TNJVereDivoQuote &q = NJ(h);
    EXPECT_EQ(q.Results.ManagedCareCredit, -640); // 2026 tier: -5 % of 12,800
    EXPECT_EQ(q.Results.StandardPremium, 12160);
    EXPECT_EQ(q.Results.PremiumDiscount, -608); // table 1, up to 100,000: 5 %
    EXPECT_EQ(q.Results.NetPremium, 11712);
    EXPECT_EQ(q.Results.UninsuredEmployersFund, 12);
    EXPECT_EQ(q.Results.Assessment, 480);
    EXPECT_EQ(q.Results.TotalPremium, 12244); // 11,712 + 480 + 12 + 30 + 10

    bool printed = false;
    for (const TFactorLine &line : q.StateFactorLines()) {
        if (line.Label == "Managed Care Credit:") {
            printed = true;
            EXPECT_EQ(line.Value, "-0.0500");
        }
    }
    EXPECT_TRUE(printed);

    h.Tick("chkManagedCare", false);
    ASSERT_TRUE(h.Rate());
    EXPECT_EQ(NJ(h).Results.ManagedCareCredit, 0);
    EXPECT_EQ(NJ(h).GetExportValue(40), "0");
}

// The markers a control's stored value can carry, resolved against the rate book.
struct MarkerQuote : TNJVereDivoQuote
{
    using TNJVereDivoQuote::TNJVereDivoQuote;
    using TVereDivoQuote::ResolveTableValue;
};

TEST(NJQuote, TableValueMarkersReadTheRateBook)
{
    ScriptedPrompter prompter;
    FakeQuoteApplication app(FixtureProgramFolder());
    TCustLOBInfo info;
    info.SetState("NJ");
    MarkerQuote quote(6, app, info, EncodeDate(2026, 7, 1));
    TControlInterface inputs;
    inputs.Build(app.Database().Inputs(), app.Database().InputData(), false, 1, 1, 15);
    quote.Bind(inputs);
    TRatingControl &box = *inputs.FindControl("chkManagedCare");
    ASSERT_NE(box.Tiers(), nullptr); // -9997: the date tiers of the plan key of kind 7

    box.SetStoredValue(-9999); // a single value of broker 6, rate period 1, input 9
    box.AttachTiers(nullptr);
    quote.ResolveTableValue(box);
    EXPECT_DOUBLE_EQ(box.StoredValue(), -0.04);
    EXPECT_EQ(box.Tiers(), nullptr);

    box.SetStoredValue(-9998); // date tiers of broker 6 itself: it has none
    quote.ResolveTableValue(box);
    EXPECT_EQ(box.Tiers(), nullptr);
    EXPECT_EQ(box.StoredValue(), -9998); // the marker stays the stored value
}

TEST(NJQuote, TaxIdIsClearedAndGoesToTheApplication)
{
    QuoteHarness h("NJ");
    EXPECT_EQ(h.Input("txtNJERN").Text(), "");
    h.Add("5645", 100000);
    h.Enter("txtNJERN", "123-456-789/000");
    ASSERT_TRUE(h.Rate());
    std::vector<std::string> fields;
    h.Quote().AddApplicationStateFields(fields);
    EXPECT_EQ(fields.back(), "G26,NJ Tax ID #: 123-456-789/000");
    EXPECT_EQ(fields.front(), "OtherCov2,PPAP Adjustment"); // PPAP 0 is not 1
    std::vector<std::string> pool;
    h.Quote().AddPoolStateFields(pool);
    EXPECT_EQ(pool.front(), "NJTaxID,123-456-789/000");
}

} // namespace
