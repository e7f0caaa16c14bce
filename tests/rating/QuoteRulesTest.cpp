// The shared building blocks of the premium calculation, the driver and its checks, the class
// book and the quote's life around them.

#include "QuoteHarness.h"
#include "rating/MAVereDivoQuote.h"
#include "rating/NJVereDivoQuote.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>

namespace {

// A line made in memory with the numbers a rule looks at; the quote's book owns it.
TVereDivoClass &Line(TVereDivoQuote &quote, const std::string &code, int32_t minimum,
                     int32_t payroll, double rate = 1.0)
{
    auto line = std::make_unique<TVereDivoClass>(1);
    line->Code = code;
    line->Description = "CLASS " + code + " " + std::to_string(quote.ClassBook().size());
    line->MinPremium = minimum;
    line->StateRate = rate;
    line->Rate = rate;
    line->SetPayroll(payroll);
    TVereDivoClass &added = quote.AddClass(std::move(line));
    quote.AppendClass(added);
    return added;
}

void ClearLines(TVereDivoQuote &quote)
{
    while (!quote.Classes().empty()) {
        quote.RemoveClass(*quote.Classes().front());
    }
}

TEST(QuoteDriver, WithoutClassLinesNothingIsCalculatedOrChanged)
{
    QuoteHarness h("MA");
    h.Quote().Results.TotalPremium = 1234;
    h.Quote().Modified = false;
    EXPECT_FALSE(h.Quote().CalculatePremium());
    EXPECT_EQ(h.Quote().Results.TotalPremium, 1234);
    EXPECT_FALSE(h.Quote().Modified);
}

TEST(QuoteDriver, LogsEveryStepAndMarksTheQuoteModified)
{
    QuoteHarness h("MA");
    h.Add("8810", 10000);
    h.Application().LogLines.clear();
    ASSERT_TRUE(h.Quote().CalculatePremium());
    EXPECT_TRUE(h.Quote().Modified);
    const std::vector<std::string> expected = {
        "WCQuote - Calculate Premium - Enter",
        "WCQuote - Calculate Premium - Calc For State",
        "WCQuote - Calculate Premium - State Success, Checking Maxes",
    };
    EXPECT_EQ(h.Application().LogLines, expected);
}

TEST(QuoteDriver, APlanWithoutStateSequenceDoesNotPileUpFees)
{
    QuoteHarness h("MA");
    h.Add("8810", 10000);
    h.Enter("txtFees", "40");
    h.Quote().PlanProfile->CalcBySeq = true;
    ASSERT_TRUE(h.Quote().CalculatePremium());
    ASSERT_TRUE(h.Quote().CalculatePremium());
    EXPECT_EQ(h.Quote().Results.TotalPremium, 40);
}

TEST(MinimumPremium, OneLineUsesItsOwnMinimum)
{
    QuoteHarness h("MA");
    ClearLines(h.Quote());
    Line(h.Quote(), "5183", 600, 1000);
    EXPECT_EQ(h.Quote().BalanceToMinimum(100), 600 - 100 - 264);
    EXPECT_EQ(h.Quote().Results.MinimumPremium, 600);
    EXPECT_EQ(h.Quote().Results.ExpenseConstant, 264);
    EXPECT_EQ(h.Quote().BalanceToMinimum(400), 0); // never negative
}

TEST(MinimumPremium, RuleOneTakesTheHighestMinimumOfAnyLine)
{
    QuoteHarness h("MA");
    h.Quote().PlanProfile->MinPremTyp = 1;
    Line(h.Quote(), "8810", 250, 100000);
    Line(h.Quote(), "5183", 600, 100000);
    Line(h.Quote(), "8742", 900, 100000);
    h.Quote().BalanceToMinimum(0);
    EXPECT_EQ(h.Quote().Results.MinimumPremium, 900);
}

TEST(MinimumPremium, OtherRulesLeaveOutClericalSalesAndDrivers)
{
    QuoteHarness h("MA");
    h.Quote().PlanProfile->MinPremTyp = 0;
    Line(h.Quote(), "8810", 250, 100000);
    Line(h.Quote(), "5183", 600, 100000);
    Line(h.Quote(), "8742", 900, 100000);
    h.Quote().BalanceToMinimum(0);
    EXPECT_EQ(h.Quote().Results.MinimumPremium, 600);

    // Only exception classes: the minimum of the line with the highest premium.
    QuoteHarness k("MA");
    k.Quote().PlanProfile->MinPremTyp = 0;
    Line(k.Quote(), "8810", 250, 900000); // premium 9,000 at rate 1
    Line(k.Quote(), "7380", 530, 100000);
    Line(k.Quote(), "8742", 900, 200000);
    k.Quote().BalanceToMinimum(0);
    EXPECT_EQ(k.Quote().Results.MinimumPremium, 250);

    // No line with a premium: the highest minimum of all.
    QuoteHarness n("MA");
    n.Quote().PlanProfile->MinPremTyp = 0;
    Line(n.Quote(), "8810", 250, 0);
    Line(n.Quote(), "5183", 600, 0);
    Line(n.Quote(), "8742", 900, 0);
    n.Quote().BalanceToMinimum(0);
    EXPECT_EQ(n.Quote().Results.MinimumPremium, 900);
}

TEST(MinimumPremium, RuleThreeAveragesTheGoverningAndNextMinimum)
{
    QuoteHarness h("MA");
    h.Quote().PlanProfile->MinPremTyp = 3;
    Line(h.Quote(), "8742", 900, 400); // governing, payroll under 500
    Line(h.Quote(), "5183", 601, 100000);
    Line(h.Quote(), "8810", 1000, 0); // not counted
    // The governing line is the highest minimum: 8810 at 1,000 with payroll 0.
    h.Quote().BalanceToMinimum(0);
    EXPECT_EQ(h.Quote().Results.MinimumPremium, 801); // (1,000 + 601) / 2 = 800.5 -> 801

    QuoteHarness k("MA");
    k.Quote().PlanProfile->MinPremTyp = 3;
    Line(k.Quote(), "8742", 900, 400);
    Line(k.Quote(), "8810", 250, 100000);
    k.Quote().BalanceToMinimum(0);
    EXPECT_EQ(k.Quote().Results.MinimumPremium, 900); // nothing else counts: the governing minimum

    QuoteHarness p("MA");
    p.Quote().PlanProfile->MinPremTyp = 3;
    Line(p.Quote(), "5183", 900, 500); // a governing payroll of 500 or more: no minimum
    Line(p.Quote(), "5645", 700, 100000);
    p.Quote().BalanceToMinimum(0);
    EXPECT_EQ(p.Quote().Results.MinimumPremium, 0);
}

TEST(MinimumPremium, TheLossConstantCountsTowardsTheMinimum)
{
    QuoteHarness h("MA");
    TVereDivoClass &line = Line(h.Quote(), "5183", 600, 1000);
    line.LossConstant = 100;
    EXPECT_EQ(h.Quote().MaxLossConstant(), 100);
    EXPECT_EQ(h.Quote().BalanceToMinimum(100), 600 - 100 - 264 - 100);
}

TEST(ExpenseConstant, TiersByModifiedPremium)
{
    QuoteHarness h("NJ");
    Line(h.Quote(), "5183", 0, 1000);
    TVereDivoFactors &f = *h.Quote().Factors;
    f.EXP_CNT_HI = 250;
    f.EXP_CNT_MD = 200;
    f.EXP_CNT_LO = 160;
    f.EXPLCUTOFF = 200;
    f.EXPMCUTOFF = 1000;
    const auto constantFor = [&h](int32_t modified) {
        h.Quote().Results.ModifiedPremium = modified;
        return h.Quote().GetExpenseConstant();
    };
    EXPECT_EQ(constantFor(150), 160);
    EXPECT_EQ(constantFor(199), 160);
    EXPECT_EQ(constantFor(200), 200);
    EXPECT_EQ(constantFor(999), 200);
    EXPECT_EQ(constantFor(1000), 250);

    // Outside Massachusetts the loss constant joins the basis.
    h.Quote().Classes().front()->LossConstant = 60;
    EXPECT_EQ(constantFor(150), 200);
    f.EXP_CNT_LO = 250;
    EXPECT_EQ(constantFor(150), 250); // high equals low: no tiers
}

TEST(ExpenseConstant, MassachusettsLeavesTheLossConstantOut)
{
    QuoteHarness h("MA");
    Line(h.Quote(), "5183", 0, 1000).LossConstant = 60;
    TVereDivoFactors &f = *h.Quote().Factors;
    f.EXP_CNT_HI = 250;
    f.EXP_CNT_MD = 200;
    f.EXP_CNT_LO = 160;
    f.EXPLCUTOFF = 200;
    f.EXPMCUTOFF = 1000;
    h.Quote().Results.ModifiedPremium = 150;
    EXPECT_EQ(h.Quote().GetExpenseConstant(), 160);
}

TEST(ExpenseConstant, PerEmployeeWhenEveryLineIsPerEmployee)
{
    QuoteHarness h("MA");
    TVereDivoFactors &f = *h.Quote().Factors;
    f.EXP_CNT_HI = 264;
    f.EXP_CNT_LO = 264;
    f.EXP_PER_EM = 40;
    f.EPM_MAX = 160;
    TVereDivoClass &a = Line(h.Quote(), "0913", 0, 0);
    TVereDivoClass &b = Line(h.Quote(), "0908", 0, 0);
    a.Special = 1;
    b.Special = 1;
    a.SetEmployees(1);
    b.SetEmployees(2);
    EXPECT_EQ(h.Quote().GetExpenseConstant(), 120);
    b.SetEmployees(4);
    EXPECT_EQ(h.Quote().GetExpenseConstant(), 160); // capped
    f.EPM_MAX = 0;
    EXPECT_EQ(h.Quote().GetExpenseConstant(), 200); // capped at the high constant instead
    b.Special = 0;
    EXPECT_EQ(h.Quote().GetExpenseConstant(), 264); // one ordinary line: the plain constant
}

TEST(Terrorism, CentsPerHundredOfPayrollLeavingPerCapitaLinesOut)
{
    QuoteHarness h("MA");
    h.Quote().Factors->Terror = 2;
    Line(h.Quote(), "5183", 0, 1234567);
    TVereDivoClass &perCapita = Line(h.Quote(), "0913", 0, 500000);
    perCapita.CalcType = 2;
    EXPECT_EQ(h.Quote().TerrorismAmount(true), 247); // 12,346 x 0.02
    EXPECT_EQ(h.Quote().TerrorismAmount(false), 0); // no domestic rate

    h.Quote().Factors->Terror = 0;
    EXPECT_EQ(h.Quote().TerrorismAmount(true), 0);
}

TEST(Terrorism, AgentEnteredRatesComeFromTheirBoxes)
{
    // NJ broker 5 has negative table rates: the boxes are preset to 0.03 and 0.01.
    QuoteHarness h("NJ", 5);
    EXPECT_EQ(h.Input("txtTerrorism").Number(), 0.03);
    EXPECT_EQ(h.Input("txtTerrorismDom").Number(), 0.01);
    h.Add("5645", 250000);
    h.Enter("txtTerrorism", "-0.05"); // made positive on leaving
    EXPECT_EQ(h.Input("txtTerrorism").Number(), 0.05);
    ASSERT_TRUE(h.Rate());
    EXPECT_EQ(h.Quote().Results.TerrorismCharge, 125); // 2,500 x 5 cents
    EXPECT_EQ(h.Quote().Results.DomesticTerrorismCharge, 25);

    QuoteHarness m("NJ"); // positive table rates: no boxes
    EXPECT_EQ(m.Inputs().FindControl("txtTerrorism"), nullptr);
    EXPECT_EQ(m.Inputs().FindControl("lblTerrorismDom"), nullptr);
}

TEST(PremiumDiscount, GraduatedBracketsOfMethodTwo)
{
    QuoteHarness h("MA");
    TVereDivoQuote &q = h.Quote();
    q.PlanProfile->PrmDiscTyp = 2;
    q.Discounts.clear();
    for (const auto &[width, discount] :
         {std::pair {5000.0, 0.0}, std::pair {95000.0, 0.109}, std::pair {400000.0, -0.126}}) {
        auto row = std::make_unique<TPremiumDiscountItem>();
        row->TableId = 1;
        row->Value1 = width;
        row->Discount = discount; // positive or negative, the sign is the discount's
        q.Discounts.push_back(std::move(row));
    }
    EXPECT_EQ(q.PremiumDiscountAmount(120000), -12875); // 0 - 10,355 - 2,520
    EXPECT_EQ(q.PremiumDiscountAmount(5000), 0);
    EXPECT_EQ(q.PremiumDiscountAmount(0), 0);
    q.Discounts.front()->Discount = 0.02;
    EXPECT_EQ(q.PremiumDiscountAmount(3000), -60); // only the first bracket
    q.Discounts.clear();
    EXPECT_EQ(q.PremiumDiscountAmount(120000), 0);
}

TEST(PremiumDiscount, PercentageAboveAThresholdOfMethodOne)
{
    QuoteHarness h("MA");
    TVereDivoQuote &q = h.Quote();
    q.PlanProfile->PrmDiscTyp = 1;
    q.Factors->PRM_DSC_PR = -5.1;
    q.Factors->PRM_DSC_MN = 10000;
    EXPECT_EQ(q.PremiumDiscountAmount(9999), 0);
    EXPECT_EQ(q.PremiumDiscountAmount(10000), 0);
    EXPECT_EQ(q.PremiumDiscountAmount(20000), -510);
}

TEST(PremiumDiscount, SingleRateBySizeOfMethodThree)
{
    // NJ broker 6: table 1 gives 0 % up to 10,000, 5 % up to 100,000, 8 % above.
    QuoteHarness h("NJ", 6);
    TVereDivoQuote &q = h.Quote();
    EXPECT_EQ(q.PremiumDiscountAmount(10000), 0);
    EXPECT_EQ(q.PremiumDiscountAmount(50000), -2500);
    EXPECT_EQ(q.PremiumDiscountAmount(200000), -16000);
    EXPECT_EQ(q.PremiumDiscountAmount(2000000000), 0); // above every row
    h.Pick("lstPremiumDiscount", "None");
    EXPECT_EQ(q.PremiumDiscountAmount(50000), 0);
}

TEST(PremiumDiscount, TableChosenPerQuoteOfMethodFour)
{
    // MA broker 5 reads the Type A and Type B tables of broker 1 through its plan key.
    QuoteHarness h("MA", 5);
    TVereDivoQuote &q = h.Quote();
    EXPECT_EQ(q.PremiumDiscountAmount(23000), -1183); // Type A: 13,000 x 9.1 %
    h.Pick("lstPremiumDiscount", "Type B");
    EXPECT_EQ(q.PremiumDiscountAmount(23000), -663); // 13,000 x 5.1 %
    EXPECT_EQ(q.Discounts.front()->TableId, 2);
    h.Pick("lstPremiumDiscount", "None");
    EXPECT_EQ(q.PremiumDiscountAmount(23000), 0);
}

TEST(Rounding, EveryProductRoundsItsHalvesAwayFromZero)
{
    QuoteHarness h("MA");
    TVereDivoQuote &q = h.Quote();
    TVereDivoFactors &f = *q.Factors;
    f.ASSESSMENT = 0.5;
    f.ASS_PERCNT = true;
    EXPECT_EQ(q.AssessmentAmount(101), 51);
    EXPECT_EQ(q.AssessmentAmount(-101), -51);
    f.ASS_PERCNT = false;
    f.ASSESSMENT = 12.5;
    EXPECT_EQ(q.AssessmentAmount(101), 13); // a flat amount rounds too
    f.Misc_Fact1 = 0.5;
    f.Misc_Fact2 = -0.5;
    f.Misc_Fact3 = 1.5;
    EXPECT_EQ(q.MiscFactorAmount(1, 101), 51);
    EXPECT_EQ(q.MiscFactorAmount(2, 101), -51);
    EXPECT_EQ(q.MiscFactorAmount(3, 101), 152);
    EXPECT_EQ(q.MiscFactorAmount(4, 101), 0);
    f.Terror = 50; // 0.50 per 100
    Line(q, "5183", 0, 15000); // 150 hundreds
    EXPECT_EQ(q.TerrorismAmount(true), 75);
    ClearLines(q);
    Line(q, "5183", 0, 250); // 2.5 hundreds -> 3, x 0.50 = 1.50 -> 2 (unrounded: 1.25 -> 1)
    EXPECT_EQ(q.TerrorismAmount(true), 2);

    q.PlanProfile->PrmDiscTyp = 2;
    q.Discounts.clear();
    auto row = std::make_unique<TPremiumDiscountItem>();
    row->Value1 = 1000;
    row->Discount = 0.5;
    q.Discounts.push_back(std::move(row));
    EXPECT_EQ(q.PremiumDiscountAmount(101), -51);

    q.PlanProfile->PrmDiscTyp = 1;
    f.PRM_DSC_PR = -50;
    f.PRM_DSC_MN = 0;
    EXPECT_EQ(q.PremiumDiscountAmount(101), -51);
}

TEST(MaximumPremium, AnInvalidQuoteKeepsNoAmounts)
{
    QuoteHarness h("MA");
    TVereDivoQuote &q = h.Quote();
    q.PlanProfile->MAX_TOTAL = 150000;
    q.Results.TotalPremium = 160000;
    q.Results.StandardPremium = 150000;
    q.Results.ExpenseConstant = 250;
    q.Results.Assessment = 0;
    EXPECT_FALSE(q.CheckMaxPremium());
    EXPECT_EQ(h.Prompter().Texts().back(),
              "Premium cannot be greater than $150,000.  Quote is invalid");
    EXPECT_EQ(q.Results.TotalPremium, 0);
    EXPECT_EQ(q.Results.StandardPremium, 0);

    q.Results.TotalPremium = 150000 + 250 + 600;
    q.Results.ExpenseConstant = 250;
    q.Results.Assessment = 600;
    EXPECT_TRUE(q.CheckMaxPremium()); // exactly the maximum
    q.PlanProfile->MAX_TOTAL = 0;
    q.Results.TotalPremium = 99999999;
    EXPECT_TRUE(q.CheckMaxPremium()); // no maximum
}

TEST(MaximumPremium, AmountsBeyondThe32BitRangeAreRefusedNeverClamped)
{
    QuoteHarness h("MA");
    TVereDivoClass &line = h.Add("5183", 2000000000); // 2 billion of payroll: 52,000,000
    ASSERT_TRUE(h.Rate());
    EXPECT_EQ(h.Quote().Results.TotalManualPremium, 52000000);

    // The line's own premium does not fit: 2,000,000,000 at 260.00 per 100.
    line.SetDeviation(100);
    h.Prompter().Clear();
    EXPECT_FALSE(h.Rate());
    ASSERT_EQ(h.Prompter().Texts().size(), 1U);
    EXPECT_EQ(h.Prompter().Texts().front(),
              "The premium of class 5183 ($5,200,000,000) does not fit the largest amount the "
              "program can rate ($2,147,483,647).  Quote is invalid");
    EXPECT_EQ(h.Quote().Results.TotalManualPremium, 0);
    EXPECT_EQ(h.Quote().Results.TotalPremium, 0);

    // It fits, but the amounts built on it would not.
    line.SetDeviation(6);
    h.Prompter().Clear();
    EXPECT_FALSE(h.Rate());
    EXPECT_EQ(h.Prompter().Texts().back(),
              "The total manual premium ($312,000,000) is more than $268,435,455, the largest the "
              "program can rate.  Quote is invalid");
    EXPECT_EQ(h.Quote().Results.TotalPremium, 0);

    // A fee typed beyond the range.
    line.SetDeviation(1);
    h.Enter("txtFees", "3000000000");
    h.Prompter().Clear();
    EXPECT_FALSE(h.Rate());
    EXPECT_EQ(h.Prompter().Texts().back(),
              "The fee ($3,000,000,000) does not fit the largest amount the program can rate "
              "($2,147,483,647).  Quote is invalid");
}

TEST(MaximumPremium, ConstructionMaximumResetsEveryAmount)
{
    QuoteHarness h("MA");
    h.Add("5645", 1000000); // a construction class: 54,500
    h.Quote().Factors->CNST_ALLOW = true;
    h.Quote().PlanProfile->MAX_CONST = 50000;
    EXPECT_TRUE(h.Quote().CalculatePremium());
    EXPECT_EQ(h.Prompter().Texts().back(),
              "Policies Subject to a Construction Classification cannot be greater than $50000");
    EXPECT_EQ(h.Quote().Results.TotalPremium, 0);
    EXPECT_EQ(h.Quote().Results.TotalManualPremium, 0);
    EXPECT_EQ(h.Quote().Results.ModifiedPremium, 0);

    // The plain maximum is checked first; when it fails the construction check does not run.
    h.Prompter().Clear();
    h.Quote().PlanProfile->MAX_TOTAL = 10000;
    h.Quote().CalculatePremium();
    ASSERT_EQ(h.Prompter().Texts().size(), 1U);
    EXPECT_EQ(h.Prompter().Texts().front(),
              "Premium cannot be greater than $10,000.  Quote is invalid");

    // Without a construction class the construction maximum does not apply.
    QuoteHarness k("MA");
    k.Add("8810", 1000000);
    k.Quote().Factors->CNST_ALLOW = true;
    k.Quote().PlanProfile->MAX_CONST = 1;
    EXPECT_TRUE(k.Quote().CalculatePremium());
    EXPECT_GT(k.Quote().Results.TotalPremium, 0);
}

TEST(ExperienceMod, LimitsAreEnforcedWhenLeavingTheBox)
{
    QuoteHarness h("MA"); // limits 0.2000 and 3.0000
    h.Add("8810", 100000);
    h.Enter("txtExpMod", "0.2");
    EXPECT_EQ(h.Prompter().Texts().back(), "Experience Mod must be greater than 0.2000");
    EXPECT_EQ(h.Input("txtExpMod").Text(), " 1.00");
    EXPECT_EQ(h.Quote().Results.ExperienceModAdjustment, 0);

    h.Enter("txtExpMod", "3.01");
    EXPECT_EQ(h.Prompter().Texts().back(), "Experience Mod must be less than 3.0000");
    EXPECT_EQ(h.Input("txtExpMod").Number(), 1);

    h.Prompter().Clear();
    h.Enter("txtExpMod", "3");
    EXPECT_TRUE(h.Prompter().Texts().empty());
    EXPECT_EQ(h.Quote().Results.ExperienceModAdjustment, 180); // 90 x 3 - 90

    // A plan that sets no upper limit limits nothing.
    h.Quote().PlanProfile->Max_Ex_Mod = 0;
    h.Enter("txtExpMod", "4");
    EXPECT_TRUE(h.Prompter().Texts().empty());
}

TEST(QuoteLife, ConstructionStepsAreLogged)
{
    QuoteHarness h("MA");
    const std::vector<std::string> expected = {
        "WCQuote - Constructor - Enter",
        "WCQuote - Constructor - No Quote ID",
        "WCQuote - Constructor - Creating Ratebook and Profile",
        "WCQuote - Constructor - Getting Output Info",
        "WCQuote - Constructor - Effective Date = 07/01/2026",
        "WCQuote - Constructor - Finished",
    };
    const auto &log = h.Application().LogLines;
    ASSERT_GE(log.size(), expected.size());
    EXPECT_EQ(std::vector<std::string>(log.begin(), log.begin() + 6), expected);
    EXPECT_EQ(h.Quote().QuoteInfo().ExpirationDate(), EncodeDate(2027, 7, 1));
}

TEST(QuoteLife, ASavedQuoteTakesItsStoredPlanAndAnAdjustedDate)
{
    ScriptedPrompter prompter;
    FakeQuoteApplication app(FixtureProgramFolder());
    app.StoredBroker = 5;
    app.StoredCompany = "ASHBY BAKERY";
    TCustLOBInfo info;
    info.SetState("MA");
    info.SetQuoteID(12);
    info.SetEffectiveDate(EncodeDate(2025, 3, 1)); // before the plan's first date
    const auto quote = CreateStateQuote(1, app, info);
    ASSERT_NE(quote, nullptr);
    EXPECT_EQ(quote->PlanId, 5);
    EXPECT_EQ(quote->EffectiveDate, EncodeDate(2026, 1, 1));
    EXPECT_EQ(prompter.Texts().back(),
              "Effective Date has been adjusted to 01/01/2026 since there are no longer any "
              "rates available for the saved date of 03/01/2025");
    EXPECT_NE(std::find(app.LogLines.begin(), app.LogLines.end(),
                        "WCQuote - Constructor - Quote ID = 12"),
              app.LogLines.end());
    EXPECT_NE(std::find(app.LogLines.begin(), app.LogLines.end(),
                        "WCQuote - Constructor - Loading Plan Keys"),
              app.LogLines.end());
    EXPECT_EQ(quote->Customer().Company(), "ASHBY BAKERY");
}

TEST(QuoteLife, QuotesOfOneApplicationCanShareItsRateBook)
{
    // The rating command keeps one rate book for a whole batch: a quote must neither close it
    // nor leave it positioned so that the next quote of another state reads wrong rows.
    FakeQuoteApplication application(FixtureProgramFolder());
    application.RateBookToShare =
        std::make_shared<TVereDivoRateBook>(WorkersCompensation, application.DataFolder(),
                                            application.ProgramFolder(), application.Database());
    for (const std::string state : {"MA", "NJ", "MA"}) {
        QuoteHarness own(state);
        own.Add("8810", 400000, 3);
        ASSERT_TRUE(own.Rate());

        TCustLOBInfo info;
        info.SetState(state);
        const std::unique_ptr<TVereDivoQuote> quote =
            CreateStateQuote(1, application, info, EncodeDate(2026, 7, 1));
        ASSERT_TRUE(quote);
        EXPECT_EQ(&quote->RateBook(), application.RateBookToShare.get());
        TControlInterface inputs;
        inputs.Build(application.Database().Inputs(), application.Database().InputData(), false,
                     quote->RatePeriod(), 1, quote->StateId);
        quote->Bind(inputs);
        ASSERT_TRUE(quote->LoadClassBook());
        TVereDivoClass *line = quote->FindClass("8810", "");
        ASSERT_NE(line, nullptr);
        line->SetPayroll(400000);
        line->SetEmployees(3);
        quote->AppendClass(*line);
        ASSERT_TRUE(quote->CalculatePremium());
        EXPECT_GT(quote->Results.TotalPremium, 0);
        EXPECT_EQ(quote->Results.TotalPremium, own.Quote().Results.TotalPremium) << state;
    }
    EXPECT_TRUE(application.RateBookToShare->TablesOpen());
}

TEST(QuoteLife, AnUnknownStateMakesNoQuote)
{
    ScriptedPrompter prompter;
    FakeQuoteApplication app(FixtureProgramFolder());
    TCustLOBInfo info;
    info.SetState("NY");
    EXPECT_EQ(CreateStateQuote(1, app, info), nullptr);
    EXPECT_EQ(prompter.Texts().back(),
              "Unrecognized State requested.  Unable to continue with quote.");
}

TEST(QuoteLife, ATwentyNinthOfFebruaryPolicyEndsOnTheTwentyEighth)
{
    EXPECT_EQ(TVereDivoQuote::ExpirationFor(EncodeDate(2028, 2, 29)), EncodeDate(2029, 2, 28));
    EXPECT_EQ(TVereDivoQuote::ExpirationFor(EncodeDate(2027, 2, 28)), EncodeDate(2028, 2, 28));
    EXPECT_EQ(TVereDivoQuote::ExpirationFor(EncodeDate(2026, 12, 31)), EncodeDate(2027, 12, 31));
}

TEST(QuoteLife, ADateInTheNextRatePeriodReadsItsFactors)
{
    QuoteHarness h("MA"); // rate change on 01/01/2027: DIA 3.83 %, then 4 %
    h.Add("5183", 100000); // 2,600
    ASSERT_TRUE(h.Rate());
    EXPECT_EQ(h.Quote().Results.Assessment, 100); // 99.58
    h.Quote().SetEffectiveDate(EncodeDate(2027, 3, 1));
    ASSERT_TRUE(h.Rate());
    EXPECT_EQ(h.Quote().Results.Assessment, 104);
    h.Quote().SetEffectiveDate(EncodeDate(2026, 9, 1));
    ASSERT_TRUE(h.Rate());
    EXPECT_EQ(h.Quote().Results.Assessment, 100);
}

TEST(QuoteLife, ClosingAsksOnlyForAModifiedSavableQuote)
{
    QuoteHarness h("MA");
    TVereDivoQuote &q = h.Quote();
    q.Modified = false;
    EXPECT_TRUE(q.ConfirmClose());
    EXPECT_TRUE(h.Prompter().Texts().empty());

    q.Modified = true;
    h.Prompter().QueueAnswer(Prompter::Answer::Cancel);
    EXPECT_FALSE(q.ConfirmClose());
    EXPECT_EQ(h.Prompter().Texts().back(), "Do you wish to save this quote?");

    h.Prompter().QueueAnswer(Prompter::Answer::Yes);
    h.Application().SaveAnswer = false;
    EXPECT_FALSE(q.ConfirmClose()); // the store's failure keeps the window open
    EXPECT_EQ(h.Application().SaveCount, 1);

    h.Prompter().QueueAnswer(Prompter::Answer::No);
    EXPECT_TRUE(q.ConfirmClose());
    EXPECT_FALSE(q.Modified);
}

TEST(ClassFiles, DatesChooseTheClassFile)
{
    QuoteHarness h("MA"); // class file 2 from 01/01/2027, last date 12/31/2027
    TVereDivoQuote &q = h.Quote();
    EXPECT_EQ(q.ClassFileOf(EncodeDate(2027, 1, 1)), 2);
    EXPECT_EQ(q.ClassFileOf(EncodeDate(2026, 12, 31)), 1);
    EXPECT_TRUE(h.Prompter().Texts().empty());
    EXPECT_EQ(q.ClassFileOf(EncodeDate(2028, 1, 1)), 0);
    EXPECT_EQ(h.Prompter().Texts().back(), "This Date has no valid classifications available");
    EXPECT_TRUE(q.NeedsSeparateQuoteFor(EncodeDate(2027, 3, 1)));
    EXPECT_FALSE(q.NeedsSeparateQuoteFor(EncodeDate(2026, 3, 1)));
}

TEST(ClassFiles, MissingExceptionClassesAreReported)
{
    ScriptedPrompter prompter;
    FakeQuoteApplication app(FixtureProgramFolder());
    TCustLOBInfo info;
    info.SetState("MA");
    const auto quote = CreateStateQuote(1, app, info, EncodeDate(2026, 7, 1));
    quote->PlanProfile->Cleric_Cod = "9999";
    quote->PlanProfile->Driver_Cod = "9998";
    EXPECT_FALSE(quote->LoadClassBook());
    const std::vector<std::string> expected = {
        "Unable to locate Clerical Class in Class list.  Classes not Availaible",
        "Unable to locate Drivers Class in Class list.  Classes not Availaible",
    };
    EXPECT_EQ(prompter.Texts(), expected);

    // A plan without a drivers class does not ask for one.
    prompter.Clear();
    quote->PlanProfile->Driver_Cod = "";
    quote->ClericalClass = quote->FindClass("8810", "");
    EXPECT_TRUE(quote->LoadClassBook());
    EXPECT_TRUE(prompter.Texts().empty());
}

TEST(ClassLines, RemovingTheLastLineClearsTheTotals)
{
    struct Window final : TQuoteWindow
    {
        int recalculations = 0;
        int cleared = 0;
        void RecalculateAndShow() override { ++recalculations; }
        void ShowTotalsNotAvailable() override { ++cleared; }
    } window;
    QuoteHarness h("MA");
    h.Quote().SetWindow(&window);
    TVereDivoClass &line = h.Add("5183", 100000, 3);
    ASSERT_TRUE(h.Rate());
    h.Quote().RemoveClass(line);
    EXPECT_TRUE(h.Quote().Classes().empty());
    EXPECT_EQ(line.Payroll, 0);
    EXPECT_EQ(line.Employees, 0);
    EXPECT_EQ(h.Quote().Results.TotalPremium, 0);
    EXPECT_EQ(window.cleared, 1);
    EXPECT_NE(h.Quote().FindClass("5183", ""), nullptr); // still offered
}

TEST(ClassLines, DeletingALineTakesItOffTheBookAndForgetsIt)
{
    QuoteHarness h("MA");
    TVereDivoQuote &q = h.Quote();
    h.Add("5183", 100000);
    TVereDivoClass &clerical = h.Add("8810", 100000);
    const size_t offered = q.ClassBook().size();
    q.DeleteClass(clerical);
    EXPECT_EQ(q.ClassBook().size(), offered - 1);
    EXPECT_EQ(q.FindClass("8810", ""), nullptr);
    EXPECT_EQ(q.ClericalClass, nullptr);
    EXPECT_EQ(q.Classes().size(), 1U);
    EXPECT_EQ(q.Results.TotalManualPremium, 2600); // recalculated without it
}

TEST(ClassLines, FindIgnoresCaseAndTheListKeepsNameOrder)
{
    QuoteHarness h("MA");
    TVereDivoQuote &q = h.Quote();
    ASSERT_NE(q.FindClass("8810", ""), nullptr);
    EXPECT_EQ(q.FindClass("8810", "X"), nullptr);
    EXPECT_EQ(q.FindClass("9999", ""), nullptr);
    h.Add("8810", 1000);
    h.Add("5183", 1000);
    h.Add("2003", 1000);
    for (size_t i = 1; i < q.Classes().size(); ++i) {
        EXPECT_LT(q.Classes()[i - 1]->DisplayName(), q.Classes()[i]->DisplayName());
    }
}

TEST(ClassLines, TakingOverLinesFromAnotherQuote)
{
    QuoteHarness from("MA");
    from.Add("5183", 90000, 4);
    from.Add("8810", 30000, 2);
    std::vector<const TVereDivoClass *> lines(from.Quote().Classes().begin(),
                                              from.Quote().Classes().end());
    auto stranger = std::make_unique<TVereDivoClass>(1);
    stranger->Code = "9999";
    stranger->SetPayroll(5000);
    lines.push_back(stranger.get());

    ScriptedPrompter prompter;
    FakeQuoteApplication app(FixtureProgramFolder());
    TCustLOBInfo info;
    info.SetState("MA");
    const auto to = CreateStateQuote(1, app, info, EncodeDate(2026, 8, 1));
    to->TakeOverClasses(lines);
    ASSERT_EQ(to->Classes().size(), 2U); // the unknown class is dropped
    const TVereDivoClass *plumbing = to->FindClass("5183", "");
    ASSERT_NE(plumbing, nullptr);
    EXPECT_TRUE(to->HasClass(*plumbing));
    EXPECT_EQ(plumbing->GetPayroll(), 90000);
    EXPECT_EQ(plumbing->Employees, 4);
}

TEST(ClassLines, TheQuoteListsOnlyLinesOfItsClassBook)
{
    QuoteHarness h("MA");
    TVereDivoQuote &q = h.Quote();
    TVereDivoClass stranger(1);
    stranger.Code = "9999";
    EXPECT_THROW(q.AppendClass(stranger), std::invalid_argument);
    EXPECT_TRUE(q.Classes().empty());

    // A line added to a quote whose book is not loaded yet stays in the book that is loaded.
    FakeQuoteApplication app(FixtureProgramFolder());
    TCustLOBInfo info;
    info.SetState("MA");
    const auto fresh = CreateStateQuote(1, app, info, EncodeDate(2026, 8, 1));
    auto own = std::make_unique<TVereDivoClass>(1);
    own->Code = "0042";
    own->Description = "OWN LINE";
    TVereDivoClass &added = fresh->AddClass(std::move(own));
    fresh->AppendClass(added);
    ASSERT_TRUE(fresh->LoadClassBook());
    EXPECT_NE(fresh->FindClass("0042", ""), nullptr);
    EXPECT_NE(fresh->FindClass("5183", ""), nullptr);
    for (const TVereDivoClass *line : fresh->Classes()) {
        EXPECT_TRUE(std::any_of(fresh->ClassBook().begin(), fresh->ClassBook().end(),
                                [line](const auto &book) { return book.get() == line; }));
    }
}

TEST(Results, EveryAmountIsClearedNamedAndListedForItsState)
{
    TQuoteResults results;
    for (size_t i = 0; i < QuoteResultFields.size(); ++i) {
        results.*QuoteResultFields[i].Amount = static_cast<int32_t>(i + 1);
    }
    const auto names = [](const std::vector<std::pair<std::string, int32_t>> &amounts) {
        std::vector<std::string> listed;
        for (const auto &[name, value] : amounts) {
            listed.push_back(name);
        }
        return listed;
    };
    const auto ma = results.Named("MA");
    const auto nj = results.Named("NJ");
    ASSERT_EQ(ma.size(), 23U);
    ASSERT_EQ(nj.size(), 26U);
    EXPECT_EQ(ma.front(), (std::pair<std::string, int32_t>("TotalManualPremium", 1)));
    EXPECT_EQ(ma.back(), (std::pair<std::string, int32_t>("TotalPremium", 27)));
    EXPECT_EQ(nj.back().first, "TotalPremium");
    const std::vector<std::string> maNames = names(ma);
    const std::vector<std::string> njNames = names(nj);
    EXPECT_EQ(std::count(maNames.begin(), maNames.end(), "LossManagementAdjustment"), 1);
    EXPECT_EQ(std::count(maNames.begin(), maNames.end(), "PpapAdjustment"), 0);
    EXPECT_EQ(std::count(njNames.begin(), njNames.end(), "PpapAdjustment"), 1);
    EXPECT_EQ(std::count(njNames.begin(), njNames.end(), "LossManagementAdjustment"), 0);
    results.Reset();
    EXPECT_EQ(results, TQuoteResults());
    for (const auto &[name, value] : results.Named("NJ")) {
        EXPECT_EQ(value, 0) << name;
    }
}

TEST(Results, AFailedMaximumLeavesNoStateAmountBehind)
{
    QuoteHarness h("NJ");
    h.Add("5645", 1000000);
    ASSERT_TRUE(h.Rate());
    ASSERT_NE(h.Quote().Results.UninsuredEmployersFund, 0);
    h.Quote().PlanProfile->MAX_TOTAL = 1000;
    h.Quote().CalculatePremium();
    EXPECT_EQ(h.Quote().Results, TQuoteResults());
}

TEST(DownPayment, FullPaymentAndThePlansPercentage)
{
    QuoteHarness h("MA"); // schedule: 100 % below 5,000, 25 % from 5,000; plan 25 %
    TVereDivoQuote &q = h.Quote();
    q.Results.TotalPremium = 4116;
    EXPECT_TRUE(q.FullPaymentRequired());
    EXPECT_EQ(q.DownPercent(), -1);
    EXPECT_EQ(q.DownPaymentText(), "N/A");
    EXPECT_EQ(q.PaymentTermsText(), "100% Deposit Required (no installments available)");

    q.Results.TotalPremium = 16465;
    EXPECT_FALSE(q.FullPaymentRequired());
    EXPECT_EQ(q.DownPercent(), 25);
    EXPECT_EQ(q.DownPaymentText(), "4116"); // 4,116.25
    q.SetDownPercent(30);
    EXPECT_EQ(q.DownPaymentText(), "4940"); // 4,939.50
    EXPECT_EQ(q.PlanProfile->Down, 30); // what storage saves with the quote
}

} // namespace
