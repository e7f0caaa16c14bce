#include "rating/ClassLineChecks.h"
#include "rating/VereDivoClass.h"

#include <gtest/gtest.h>

namespace {

std::unique_ptr<TVereDivoClass> Line(uint8_t calcType, double stateRate, double rate,
                                     const char *description = "CLERICAL OFFICE EMPLOYEES")
{
    auto line = std::make_unique<TVereDivoClass>(calcType);
    line->Code = "8810";
    line->Description = description;
    line->StateRate = stateRate;
    line->Rate = rate;
    line->Deviation = rate / stateRate;
    return line;
}

} // namespace

TEST(ClassLinePremium, PerHundredOfPayrollRoundsEveryProduct)
{
    auto line = Line(1, 2.47, 2.47);
    line->SetPayroll(12345);
    // 12,345 x 2.47 / 100 = 304.9215
    EXPECT_EQ(line->GetPremium(), 305);
    EXPECT_EQ(line->GetStatePremium(), 305);
    EXPECT_EQ(line->GetPayrollText(), "$12,345");

    // A half cent rounds up: 125,000 at 3.17 is 3,962.50.
    line->Rate = 3.17;
    line->StateRate = 3.17;
    line->SetPayroll(125000);
    EXPECT_EQ(line->GetPremium(), 3963);
}

TEST(ClassLinePremium, PerUnitUsesEmployeesAndIfAnyShowsForNoPayroll)
{
    auto line = Line(2, 152.5, 160.0);
    line->SetEmployees(3);
    EXPECT_EQ(line->GetPremium(), 480);
    EXPECT_EQ(line->GetStatePremium(), 458); // 457.5 rounds away from zero
    EXPECT_EQ(line->GetPayrollText(), "If Any");

    auto perHundred = Line(1, 3.10, 3.10);
    perHundred->SetPayroll(0);
    EXPECT_EQ(perHundred->GetPremium(), 0);
    EXPECT_EQ(perHundred->GetPayrollText(), "If Any");
}

TEST(ClassLinePremium, OtherCalcTypesKeepTheirPremiums)
{
    auto line = Line(3, 2.0, 2.0);
    line->Premium = 77;
    line->StatePremium = 66;
    line->SetPayroll(50000);
    EXPECT_EQ(line->GetPremium(), 77);
    EXPECT_EQ(line->GetStatePremium(), 66);
    EXPECT_EQ(line->GetPayrollText(), "$50,000");
}

TEST(ClassLinePremium, DeviationRoundsToThreeDecimalsAndReprices)
{
    auto line = Line(1, 2.00, 2.00);
    line->SetPayroll(100000);
    line->SetDeviation(1.1555);
    EXPECT_DOUBLE_EQ(line->Deviation, 1.156);
    EXPECT_DOUBLE_EQ(line->Rate, 2.312);
    EXPECT_EQ(line->GetPremium(), 2312);
    EXPECT_EQ(line->GetStatePremium(), 2000);
}

TEST(ClassLineCopy, TakesDataPayrollAndDeviationOfTheSource)
{
    auto source = Line(1, 2.00, 2.20, "  Machine Shop  ");
    source->SubCode = "01";
    source->MinPremium = 500;
    source->ConstructionCredit = true;
    source->Special = 1;
    source->SetDeviation(1.1);
    source->SetPayroll(40000);
    source->SetEmployees(4);

    TVereDivoClass copy(2);
    copy.CopyFrom(*source);
    EXPECT_EQ(copy.Description, "Machine Shop") << "the display name";
    EXPECT_EQ(copy.SubCode, "01");
    EXPECT_EQ(copy.CalcType, 1);
    EXPECT_EQ(copy.MinPremium, 500);
    EXPECT_TRUE(copy.ConstructionCredit);
    EXPECT_EQ(copy.Special, 1);
    EXPECT_EQ(copy.Employees, 4);
    EXPECT_DOUBLE_EQ(copy.Deviation, 1.1);
    EXPECT_EQ(copy.GetPremium(), 880);
}

TEST(ClassLineNames, UserSubClassGetsOneStar)
{
    TVereDivoClass parent(1);
    parent.Code = "8810";
    parent.Description = "CLERICAL";

    TVereDivoClass user(1);
    user.CopyFrom(parent);
    user.Description = "MY OFFICE";
    user.ParentCode = " 8810 ";
    EXPECT_TRUE(user.HasParent());
    EXPECT_EQ(user.DisplayName(), "MY OFFICE*");

    // A copy of a user class carries the star in its description: it is not doubled.
    TVereDivoClass copy(1);
    copy.CopyFrom(user);
    EXPECT_EQ(copy.Description, "MY OFFICE*");
    EXPECT_EQ(copy.DisplayName(), "MY OFFICE*");

    EXPECT_FALSE(parent.HasParent());
    EXPECT_EQ(parent.DisplayName(), "CLERICAL");
}

TEST(NewYorkConstruction, EntriesLabelsAndSplits)
{
    TNewYorkConstructionClass line(1);
    ASSERT_EQ(line.EntryCount, 4);
    ASSERT_EQ(line.Entries.size(), 4u);
    for (int32_t n = 1; n <= 4; ++n) {
        ASSERT_NE(line.GetEntry(n), nullptr);
        EXPECT_EQ(line.GetEntry(n)->EntryNo, n);
    }
    EXPECT_EQ(line.GetEntry(5), nullptr);
    EXPECT_EQ(line.GetEntryLabel(1),
              "Territory 1 - The Bronx, Kings, New York, Queens and Richmond");
    EXPECT_EQ(line.GetEntryLabel(4), "Residential Payroll");

    EXPECT_TRUE(line.HasEntrySplit(2));
    EXPECT_FALSE(line.HasEntrySplit(1));
    EXPECT_EQ(line.GetEntryLabelHead(2),
              "Territory 2 - Duchess, Nassau, Orange, Putnam, Rockland, Suffolk");
    EXPECT_EQ(line.GetEntryLabelTail(2), "and Westchester");
    // Entry 1's label holds " and " too, but only entry 2 splits.
    EXPECT_EQ(line.GetEntryLabelHead(1), "");
    EXPECT_EQ(line.GetEntryLabelTail(1), "");
}

TEST(NewYorkConstruction, PremiumIsThatOfTheTotalPayroll)
{
    TNewYorkConstructionClass line(1);
    line.StateRate = 8.0;
    line.Rate = 8.0;
    line.SetEntryPayroll(1, 10000);
    line.SetEntryPayroll(3, 5000);
    line.SetEntryPayroll(9, 777); // no such entry: ignored
    line.SetPayroll(line.GetPayroll());
    EXPECT_EQ(line.GetPayroll(), 15000);
    EXPECT_EQ(line.GetPayrollText(), "$15,000");
    EXPECT_EQ(line.GetEntryPayroll(2), 0);
    EXPECT_EQ(line.GetEntryPayroll(9), 0);
    EXPECT_EQ(line.BasePremium, 1200);
    EXPECT_EQ(line.Premium, 0);
    EXPECT_EQ(line.GetPremium(), 1200);
    EXPECT_EQ(line.GetStatePremium(), 1200);
}

TEST(NewYorkConstruction, DeviationAndEmployeesReachThePremium)
{
    // A change after the total was set must not leave the premium at its old amount.
    TNewYorkConstructionClass line(1);
    line.StateRate = 8.0;
    line.Rate = 8.0;
    line.SetEntryPayroll(1, 10000);
    line.SetPayroll(10000);
    line.SetDeviation(0.9);
    EXPECT_EQ(line.GetPremium(), 720);

    TNewYorkConstructionClass perUnit(2);
    perUnit.StateRate = 100;
    perUnit.Rate = 100;
    perUnit.SetPayroll(0);
    perUnit.SetEmployees(3);
    EXPECT_EQ(perUnit.GetPremium(), 300);
}

TEST(MiscFactors, EntryFactorDefaultsToOne)
{
    TVereDivoMiscFactorList factors;
    factors.push_back(std::make_unique<TVereDivoMiscFactor>(TVereDivoMiscFactor {1, 2, 1.25}));
    factors.push_back(std::make_unique<TVereDivoMiscFactor>(TVereDivoMiscFactor {2, 1, 0.5}));
    EXPECT_DOUBLE_EQ(EntryFactor(factors, 2), 1.25);
    EXPECT_DOUBLE_EQ(EntryFactor(factors, 1), 1.0); // the type 2 row is not an entry factor
    EXPECT_DOUBLE_EQ(EntryFactor({}, 1), 1.0);
}

namespace {

class RecordingEditor final : public TClassLineEditor
{
public:
    bool EditPayroll(TVereDivoClass &) override { return (last = "payroll", true); }
    bool EditConstructionPayroll(TNewYorkConstructionClass &) override
    {
        return (last = "construction", true);
    }
    bool EditClassInfo(TVereDivoClass &, bool) override { return (last = "info", false); }
    std::string last;
};

} // namespace

TEST(ClassLineEditing, DialogsGoThroughTheInstalledEditor)
{
    TVereDivoClass line(1);
    TNewYorkConstructionClass construction(1);
    EXPECT_FALSE(line.EditPayroll()) << "no editor installed: nothing is confirmed";
    RecordingEditor editor;
    TClassLineEditor *previous = SetClassLineEditor(&editor);
    TVereDivoClass &asBase = construction;
    EXPECT_TRUE(asBase.EditPayroll());
    EXPECT_EQ(editor.last, "construction") << "the construction line's own dialog";
    EXPECT_FALSE(line.EditClassInfo(true));
    EXPECT_EQ(editor.last, "info");
    SetClassLineEditor(previous);
}
