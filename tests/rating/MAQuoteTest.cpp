// Massachusetts quotes worked by hand through every step of the sequence, on the fixture plans
// (rates and factors of FixtureTables.cpp), and the rules around them.

#include "QuoteHarness.h"
#include "rating/MAVereDivoQuote.h"

#include <gtest/gtest.h>

namespace {

TMAVereDivoQuote &MA(QuoteHarness &h)
{
    return dynamic_cast<TMAVereDivoQuote &>(h.Quote());
}

// Fixture plan MA broker 1: DIA 3.83 % of (manual + mod + merit), expense constant 264,
// terrorism 3 cents per 100 of payroll, Type A discount (0 % of the first 10,000, 9.1 % of the
// next 190,000), limits 500/500/500 at 1 % with a 50 minimum.

TEST(MAQuote, VoluntaryPolicyWithModCreditArapAndDiscount)
{
    QuoteHarness h("MA");
    h.Add("5645", 250000); // 2,500 x 5.45 = 13,625
    h.Add("5437", 120000); // 1,200 x 3.45 =  4,140
    h.Add("8810", 60000); //    600 x 0.09 =     54
    h.Add("8742", 40000); //    400 x 0.22 =     88
    h.Pick("lstPartTwo", "500/500/500");
    h.Enter("txtExpMod", "0.92");
    h.Enter("txtConstCredit", "9"); // becomes -9 on leaving the box
    h.Enter("txtARAP", "1.05");
    ASSERT_TRUE(h.Rate());
    const TMAVereDivoQuote &q = MA(h);

    EXPECT_EQ(q.Results.TotalManualPremium, 17907); // 13,625 + 4,140 + 54 + 88
    EXPECT_EQ(q.Results.PartTwoPremium, 179); // 17,907 x 1 % = 179.07, above the 50 minimum
    EXPECT_EQ(q.Results.UnmodifiedPremium, 18086);
    EXPECT_EQ(q.Results.MeritAdjustment, 0);
    EXPECT_EQ(q.Results.ExperienceModAdjustment, -1447); // 18,086 x 0.92 = 16,639.12 -> 16,639
    EXPECT_EQ(q.Results.ModifiedPremium, 16639);
    EXPECT_EQ(q.Results.BalanceToMin, 0); // minimum 673 (5645) is far below
    EXPECT_EQ(q.Results.MinimumPremium, 673);
    EXPECT_EQ(q.Results.LossConstant, 0);
    EXPECT_EQ(h.Input("txtConstCredit").Number(), -9);
    EXPECT_EQ(q.Results.ConstructionCredit, -1498); // 16,639 x -9 % = -1,497.51
    EXPECT_EQ(q.Results.StandardPremium, 15141);
    EXPECT_EQ(q.Results.MedicalDeductible, 0);
    EXPECT_EQ(q.Results.ArapAdjustment, 757); // 15,141 x 1.05 = 15,898.05 -> 15,898
    EXPECT_EQ(q.Results.LossManagementAdjustment, 0);
    EXPECT_EQ(q.Results.PremiumDiscount, -468); // (15,141 - 10,000) x -9.1 % = -467.831
    EXPECT_EQ(q.Results.ExpenseConstant, 264);
    EXPECT_EQ(q.Results.NetPremium, 15694); // 15,141 + 757 + 264 - 468
    EXPECT_EQ(q.Results.Assessment, 630); // 3.83 % x (17,907 - 1,447) = 630.418
    EXPECT_EQ(q.Results.TerrorismCharge, 141); // 4,700 hundreds of payroll x 3 cents
    EXPECT_EQ(q.Results.TotalPremium, 16465);
    // Published practice charges the DIA assessment on the modified premium including the
    // limits charge (16,639 x 3.83 % = 637, total 16,472); the plan's basis leaves it out.

    EXPECT_EQ(h.Summary(),
              "Total Manual Premium: 17907\n"
              "Premium for Inc. Part Two Limits: 179\n"
              "Unmodified Premium: 18086\n"
              "Experience Modification: -1447\n"
              "Total Modified Premium: 16639\n"
              "Construction Credit: -1498\n"
              "Total Estimated Standard Premium: 15141\n"
              "ARAP: 757\n"
              "Premium Discount: -468\n"
              "Expense Constant: 264\n"
              "Terrorism Charge: 141\n"
              "DIA Assessment: 630\n"
              "Total Estimated Annual Premium: 16465\n");
}

TEST(MAQuote, PoolPolicyWithMeritAndMedicalDeductible)
{
    QuoteHarness h("MA");
    h.Add("5183", 90000); // 900 x 2.60 = 2,340
    h.Add("7380", 45000); // 450 x 3.55 = 1,597.50 -> 1,598 (a half rounds up)
    h.Add("8810", 30000); // 300 x 0.09 =    27
    h.Pick("lstMerit", "-5");
    h.Pick("lstMedical", "1000");
    ASSERT_TRUE(h.Rate());
    const TMAVereDivoQuote &q = MA(h);

    EXPECT_EQ(q.Results.TotalManualPremium, 3965);
    EXPECT_EQ(q.Results.PartTwoPremium, 0); // standard limits
    EXPECT_EQ(q.Results.UnmodifiedPremium, 3965);
    EXPECT_EQ(q.Results.MeritAdjustment, -198); // 3,965 x -5 % = -198.25
    EXPECT_EQ(q.Results.ExperienceModAdjustment, 0);
    EXPECT_EQ(q.Results.ModifiedPremium, 3767);
    EXPECT_EQ(q.Results.BalanceToMin, 0); // minimum 530 (7380)
    EXPECT_EQ(q.Results.StandardPremium, 3767);
    EXPECT_EQ(q.Results.MedicalDeductible, -109); // 3,767 x -2.9 % = -109.243
    EXPECT_EQ(q.Results.ArapAdjustment, 0); // 1.00
    EXPECT_EQ(q.Results.PremiumDiscount, 0); // inside the first 10,000
    EXPECT_EQ(q.Results.NetPremium, 3922); // 3,767 + 264 - 109
    EXPECT_EQ(q.Results.Assessment, 144); // 3.83 % x (3,965 - 198) = 144.276
    EXPECT_EQ(q.Results.TerrorismCharge, 50); // 1,650 x 3 cents = 49.50 -> 50
    EXPECT_EQ(q.Results.TotalPremium, 4116); // the published example's total
    EXPECT_EQ(h.Summary(),
              "Total Manual Premium: 3965\n"
              "Unmodified Premium: 3965\n"
              "Merit Rate Adjustment: -198\n"
              "Total Modified Premium: 3767\n"
              "Total Estimated Standard Premium: 3767\n"
              "Medical Deductible: -109\n"
              "ARAP: 0\n" // the box holds 1.00: a value is set
              "Expense Constant: 264\n"
              "Terrorism Charge: 50\n"
              "DIA Assessment: 144\n"
              "Total Estimated Annual Premium: 4116\n");
}

TEST(MAQuote, SmallPolicyBalancedToTheMinimumWithItsLimitsCharge)
{
    QuoteHarness h("MA");
    h.Add("2003", 5000); // 50 x 2.05 = 102.50 -> 103
    h.Pick("lstPartTwo", "500/500/500");
    ASSERT_TRUE(h.Rate());
    const TMAVereDivoQuote &q = MA(h);

    EXPECT_EQ(q.Results.TotalManualPremium, 103);
    EXPECT_EQ(q.Results.UnmodifiedPremium, 153); // 103 + the 50 minimum limits charge
    EXPECT_EQ(q.Results.ModifiedPremium, 153);
    // 418 (the class minimum) - (153 - 50) - 264 expense constant = 51
    EXPECT_EQ(q.Results.BalanceToMin, 51);
    EXPECT_EQ(q.Results.MinimumPremium, 418);
    EXPECT_EQ(q.Results.PartTwoPremium, 0); // replaced by the balance of the limits charge
    EXPECT_EQ(q.Results.PartTwoBalanceToMin, 50); // 418 x 1 % = 4, below the 50 minimum
    EXPECT_EQ(q.Results.StandardPremium, 204); // 418 + 50 - 264
    EXPECT_EQ(q.Results.NetPremium, 204);
    EXPECT_EQ(q.Results.Assessment, 4); // 3.83 % x 103 = 3.94
    EXPECT_EQ(q.Results.TerrorismCharge, 2); // 50 x 3 cents = 1.50 -> 2
    EXPECT_EQ(q.Results.TotalPremium, 474); // 204 + 264 + 4 + 2
    EXPECT_EQ(h.Summary(),
              "Total Manual Premium: 103\n"
              "Premium for Inc. Part Two Limits: 0\n"
              "Part Two Balance To Minimum: 50\n"
              "Unmodified Premium: 153\n"
              "Total Modified Premium: 153\n"
              "Amount Required to Balance to Min: 51\n"
              "Total Estimated Standard Premium: 204\n"
              "ARAP: 0\n"
              "Expense Constant: 264\n"
              "Terrorism Charge: 2\n"
              "DIA Assessment: 4\n"
              "Total Estimated Annual Premium: 474\n");
}

TEST(MAQuote, DeviatedPlanTakesItsAssessmentFromStateRates)
{
    // Broker 5 rates 5183 at 2.30 and 8810 at 0.08 against state rates of 2.60 and 0.09.
    QuoteHarness h("MA", 5);
    h.Add("5183", 100000); // own 2,300; state 2,600
    h.Add("8810", 50000); //  own    40; state    45
    ASSERT_TRUE(h.Rate());
    const TMAVereDivoQuote &q = MA(h);

    EXPECT_EQ(q.Results.TotalManualPremium, 2340); // the second pass, at the plan's rates
    EXPECT_EQ(q.Results.StandardPremium, 2340);
    EXPECT_EQ(q.Results.NetPremium, 2604); // 2,340 + 264
    EXPECT_EQ(q.Results.Assessment, 101); // 3.83 % of the state-rate premium 2,645 = 101.30
    EXPECT_EQ(q.Results.TerrorismCharge, 45); // 1,500 x 3 cents
    EXPECT_EQ(q.Results.TotalPremium, 2750);
}

TEST(MAQuote, MeritAndExperienceModExcludeEachOther)
{
    QuoteHarness h("MA");
    h.Add("5183", 90000);
    h.Enter("txtExpMod", "0.90");
    h.Pick("lstMerit", "-5");
    EXPECT_EQ(h.Input("txtExpMod").Text(), "1.00");
    ASSERT_TRUE(h.Rate());
    EXPECT_EQ(h.Quote().Results.ExperienceModAdjustment, 0);
    EXPECT_EQ(h.Quote().Results.MeritAdjustment, -117); // 2,340 x -5 %

    h.Enter("txtExpMod", "0.90");
    EXPECT_EQ(h.Input("lstMerit").Text(), "0");
    ASSERT_TRUE(h.Rate());
    EXPECT_EQ(h.Quote().Results.MeritAdjustment, 0);
    EXPECT_EQ(h.Quote().Results.ExperienceModAdjustment, -234);
}

TEST(MAQuote, CreditsTurnNegativeAndLossManagementIsAPercentage)
{
    QuoteHarness h("MA");
    h.Add("5183", 100000); // 2,600
    h.Enter("txtLossMgmt", "10");
    EXPECT_EQ(h.Input("txtLossMgmt").Number(), -10);
    ASSERT_TRUE(h.Rate());
    const TMAVereDivoQuote &q = MA(h);
    EXPECT_EQ(q.Results.LossManagementAdjustment, -260);
    EXPECT_EQ(q.Results.NetPremium, 2604); // 2,600 - 260 + 264
    EXPECT_EQ(q.GetExportValue(40), "-260");
    EXPECT_NE(h.Summary().find("Loss Management: -260\n"), std::string::npos);
}

TEST(MAQuote, ACreditBeyondAHundredPercentIsRefused)
{
    QuoteHarness h("MA");
    h.Add("5183", 100000); // 2,600
    h.Enter("txtLossMgmt", "150");
    EXPECT_EQ(h.Prompter().Texts().back(), "Loss Management cannot be more than 100%.");
    EXPECT_EQ(h.Input("txtLossMgmt").Number(), 0);
    ASSERT_TRUE(h.Rate());
    EXPECT_EQ(h.Quote().Results.LossManagementAdjustment, 0);
    EXPECT_GT(h.Quote().Results.TotalPremium, 0);

    h.Prompter().Clear();
    h.Enter("txtLossMgmt", "-100.5"); // typed negative: the same limit
    EXPECT_EQ(h.Prompter().Texts().size(), 1U);
    EXPECT_EQ(h.Input("txtLossMgmt").Number(), 0);

    h.Enter("txtLossMgmt", "100");
    EXPECT_EQ(h.Input("txtLossMgmt").Number(), -100);
    ASSERT_TRUE(h.Rate());
    EXPECT_EQ(h.Quote().Results.LossManagementAdjustment, -2600);
}

TEST(MAQuote, LossConstantFillsUpToItsCutOff)
{
    QuoteHarness h("MA");
    h.Add("2003", 50000); // 1,025
    for (TVereDivoClass *line : h.Quote().Classes()) {
        line->LossConstant = 100;
    }
    h.Quote().Factors->LOSS_C_CUT = 1100;
    ASSERT_TRUE(h.Rate());
    EXPECT_EQ(h.Quote().Results.LossConstant, 75); // 1,025 + 100 passes 1,100: only 75 is added
    EXPECT_EQ(h.Quote().Results.StandardPremium, 1100);

    h.Quote().Factors->LOSS_C_CUT = 5000;
    ASSERT_TRUE(h.Rate());
    EXPECT_EQ(h.Quote().Results.LossConstant, 100);
    EXPECT_EQ(h.Quote().Results.StandardPremium, 1125);
}

TEST(MAQuote, FeesAreAddedOnceAndPrinted)
{
    QuoteHarness h("MA");
    h.Add("5183", 100000);
    h.Enter("txtFees", "25");
    ASSERT_TRUE(h.Rate());
    const int32_t total = h.Quote().Results.TotalPremium;
    ASSERT_TRUE(h.Rate());
    EXPECT_EQ(h.Quote().Results.TotalPremium, total);
    EXPECT_EQ(h.Quote().Results.Fees, 25);
    EXPECT_EQ(total, 2600 + 264 + 100 + 30 + 25); // DIA 99.58 -> 100, terrorism 30
    EXPECT_NE(h.Summary().find("Fees: 25\nTotal Estimated Annual Premium:"), std::string::npos);
}

} // namespace
