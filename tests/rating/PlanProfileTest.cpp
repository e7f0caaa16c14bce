#include "rating/PlanProfile.h"
#include "core/Dates.h"
#include "support/ScriptedPrompter.h"

#include <gtest/gtest.h>

namespace {

TVereDivoPlanProfile Plan()
{
    TVereDivoPlanProfile plan;
    plan.Min_Date = EncodeDate(2026, 1, 1);
    plan.Max_Date = EncodeDate(2027, 12, 31);
    plan.Effect_1 = EncodeDate(2026, 1, 1);
    plan.Exp_1 = EncodeDate(2026, 12, 31);
    plan.Effect_2 = EncodeDate(2027, 1, 1);
    plan.Exp_2 = EncodeDate(2027, 12, 31);
    plan.Rate_Chang = EncodeDate(2026, 7, 1);
    return plan;
}

} // namespace

TEST(PlanDates, ClassFileBoundaries)
{
    ScriptedPrompter prompter;
    const TVereDivoPlanProfile plan = Plan();
    EXPECT_EQ(plan.ClassFileFor(EncodeDate(2027, 1, 1)), 2) << "on Effect_2";
    EXPECT_EQ(plan.ClassFileFor(EncodeDate(2026, 12, 31)), 1) << "the day before";
    EXPECT_EQ(plan.ClassFileFor(EncodeDate(2026, 1, 1)), 1);
    EXPECT_EQ(plan.ClassFileFor(EncodeDate(2027, 12, 31) + 0.75), 2) << "time of day ignored";
    EXPECT_TRUE(prompter.Entries().empty());

    EXPECT_EQ(plan.ClassFileFor(EncodeDate(2028, 1, 1)), 0) << "after Exp_2";
    EXPECT_EQ(plan.ClassFileFor(EncodeDate(2025, 12, 31)), 0) << "before Effect_1";
    EXPECT_EQ(prompter.Texts(),
              (std::vector<std::string> {"This Date has no valid classifications available",
                                         "This Date has no valid classifications available"}));
}

TEST(PlanDates, RatingRangeAndClassFilesMustBothHold)
{
    ScriptedPrompter prompter;
    TVereDivoPlanProfile plan = Plan();
    plan.Max_Date = EncodeDate(2027, 6, 30); // rates end before class file 2 does
    EXPECT_TRUE(plan.CoversClassDate(EncodeDate(2027, 6, 30)));
    EXPECT_FALSE(plan.CoversClassDate(EncodeDate(2027, 7, 1)));
    plan = Plan();
    plan.Min_Date = EncodeDate(2026, 3, 1);
    EXPECT_FALSE(plan.HasValidClassFile(EncodeDate(2026, 2, 28)));
    EXPECT_EQ(prompter.Texts().size(), 1u);
}

TEST(PlanDates, RatePeriodSwitchesOnTheChangeDate)
{
    const TVereDivoPlanProfile plan = Plan();
    EXPECT_EQ(plan.RatePeriodFor(EncodeDate(2026, 6, 30)), 1);
    EXPECT_EQ(plan.RatePeriodFor(EncodeDate(2026, 7, 1)), 2);
    EXPECT_EQ(plan.RatePeriodFor(EncodeDate(2026, 7, 1) + 0.5), 2);
}

TEST(PlanKeys, FirstKeyOfTheKindRedirects)
{
    TPlanKeyList keys;
    keys.push_back(std::make_unique<TPlanKey>(TPlanKey {pkClasses, 1, 13}));
    keys.push_back(std::make_unique<TPlanKey>(TPlanKey {pkClasses, 7, 7}));
    keys.push_back(std::make_unique<TPlanKey>(TPlanKey {pkDownPayment, 5, 15}));
    const TPlanPair own {5, 13};
    EXPECT_EQ(PlanPairFor(keys, pkClasses, own), (TPlanPair {1, 13}));
    EXPECT_EQ(PlanPairFor(keys, pkDownPayment, own), (TPlanPair {5, 15}));
    EXPECT_EQ(PlanPairFor(keys, pkFactors, own), own);
    EXPECT_EQ(PlanPairFor({}, pkClasses, own), own);
}
