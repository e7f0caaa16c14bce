#include "rating/ClassListSnapshot.h"
#include "QuoteHarness.h"

#include <gtest/gtest.h>

TEST(ClassListSnapshot, PutsBackLinesPayrollsDeviationsEntriesAndExceptionClasses)
{
    QuoteHarness h("MA");
    TVereDivoQuote &q = h.Quote();
    TVereDivoClass &plumbing = h.Add("5183", 90000, 4);
    plumbing.SetDeviation(1.155);
    TVereDivoClass &clerical = h.Add("8810", 30000, 2);
    auto owned = std::make_unique<TNewYorkConstructionClass>(1);
    owned->CopyFrom(*q.FindClass("5645", ""));
    owned->SubCode = "NY";
    auto &territories = static_cast<TNewYorkConstructionClass &>(q.AddClass(std::move(owned)));
    territories.SetEntryPayroll(2, 7000);
    territories.SetPayroll(7000);
    q.AppendClass(territories);
    ASSERT_TRUE(h.Rate());
    const int32_t total = q.Results.TotalPremium;
    const std::vector<TVereDivoClass *> order = q.Classes();

    const TClassListSnapshot snapshot(q);
    plumbing.SetPayroll(1);
    plumbing.SetDeviation(0.5);
    territories.SetEntryPayroll(2, 1);
    territories.SetEntryPayroll(4, 5);
    territories.SetPayroll(6);
    q.RemoveClass(clerical);
    h.Add("2003", 5000, 1);
    q.ClericalClass = nullptr;
    snapshot.Restore(q);

    EXPECT_EQ(q.Classes(), order);
    EXPECT_EQ(q.ClericalClass, &clerical);
    EXPECT_EQ(plumbing.GetPayroll(), 90000);
    EXPECT_EQ(plumbing.Employees, 4);
    EXPECT_DOUBLE_EQ(plumbing.Deviation, 1.155);
    EXPECT_EQ(clerical.GetPayroll(), 30000);
    EXPECT_EQ(clerical.Employees, 2);
    EXPECT_EQ(territories.GetEntryPayroll(2), 7000);
    EXPECT_EQ(territories.GetEntryPayroll(4), 0);
    EXPECT_EQ(territories.GetPayroll(), 7000);
    EXPECT_EQ(q.FindClass("2003", "")->GetPayroll(), 0) << "a line added since is off again";
    ASSERT_TRUE(h.Rate());
    EXPECT_EQ(q.Results.TotalPremium, total);
}

TEST(ClassListSnapshot, LinesDeletedMeanwhileStayGone)
{
    QuoteHarness h("MA");
    TVereDivoQuote &q = h.Quote();
    auto owned = std::make_unique<TVereDivoClass>(1);
    owned->CopyFrom(*q.FindClass("8810", ""));
    owned->ParentCode = "8810";
    owned->Description = "BRANCH";
    TVereDivoClass &branch = q.AddClass(std::move(owned));
    branch.SetPayroll(1000);
    q.AppendClass(branch);
    h.Add("5183", 1000, 1);

    const TClassListSnapshot snapshot(q);
    q.DeleteClass(branch);
    snapshot.Restore(q);
    ASSERT_EQ(q.Classes().size(), 1u);
    EXPECT_EQ(q.Classes()[0]->Code, "5183");
}
