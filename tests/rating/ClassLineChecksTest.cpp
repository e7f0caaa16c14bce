#include "rating/ClassLineChecks.h"

#include <gtest/gtest.h>

namespace {

std::unique_ptr<TVereDivoClass> PerHundred(bool survey)
{
    auto line = std::make_unique<TVereDivoClass>(1);
    line->Code = "5183";
    line->Description = "PLUMBING";
    line->StateRate = 4.0;
    line->Rate = 4.0;
    line->Survey = survey;
    return line;
}

} // namespace

TEST(PayrollDialog, OpensWithIfAnyForNoPayrollUnlessSurvey)
{
    const auto ownedLine = PerHundred(false);
    TVereDivoClass &line = *ownedLine;
    EXPECT_TRUE(PayrollEntryOf(line).IfAny);
    EXPECT_TRUE(IfAnyAllowed(line));
    const auto ownedSurvey = PerHundred(true);
    TVereDivoClass &survey = *ownedSurvey;
    EXPECT_FALSE(PayrollEntryOf(survey).IfAny);
    EXPECT_FALSE(IfAnyAllowed(survey));
    line.SetPayroll(20000);
    line.SetEmployees(2);
    const TPayrollEntry entry = PayrollEntryOf(line);
    EXPECT_FALSE(entry.IfAny);
    EXPECT_EQ(entry.Payroll, "20000");
    EXPECT_EQ(entry.Employees, "2");
}

TEST(PayrollDialog, RefusesMissingPayrollAndEmployeesWithTheirMessages)
{
    const auto ownedLine = PerHundred(false);
    TVereDivoClass &line = *ownedLine;
    const auto ownedSurvey = PerHundred(true);
    TVereDivoClass &survey = *ownedSurvey;
    for (const char *payroll : {"", "0", "  ", "abc", "-500"}) {
        const TEntryCheck check = CheckPayrollEntry(line, {payroll, "3", false});
        EXPECT_EQ(check.Message, "You must either enter a payroll or Check 'If Any'") << payroll;
        EXPECT_EQ(check.Focus, TEntryFocus::Payroll);
    }
    EXPECT_EQ(CheckPayrollEntry(survey, {"0", "3", false}).Message,
              "You must enter a payroll.  'If Any' is not permitted for this class");
    // "If Any" cannot be checked for a survey class: a checked box there changes nothing.
    EXPECT_EQ(CheckPayrollEntry(survey, {"0", "0", true}).Message,
              "You must enter a payroll.  'If Any' is not permitted for this class");
    for (const char *employees : {"", "0", "2.5", "x"}) {
        const TEntryCheck check = CheckPayrollEntry(line, {"1000", employees, false});
        EXPECT_EQ(check.Message, "Please enter number of employees") << employees;
        EXPECT_EQ(check.Focus, TEntryFocus::Employees);
    }
}

TEST(PayrollDialog, AppliesRoundedPayrollOrIfAny)
{
    const auto ownedLine = PerHundred(false);
    TVereDivoClass &line = *ownedLine;
    ASSERT_TRUE(ApplyPayrollEntry(line, {" $12,345.50 ", " 4 ", false}).Accepted());
    EXPECT_EQ(line.Payroll, 12346);
    EXPECT_EQ(line.Employees, 4);
    EXPECT_EQ(line.GetPremium(), 494);

    ASSERT_TRUE(ApplyPayrollEntry(line, {"0", "0", true}).Accepted());
    EXPECT_EQ(line.Payroll, 0);
    EXPECT_EQ(line.Employees, 0);
    EXPECT_EQ(line.GetPayrollText(), "If Any");

    // A refused entry changes nothing.
    line.SetPayroll(500);
    EXPECT_FALSE(ApplyPayrollEntry(line, {"", "1", false}).Accepted());
    EXPECT_EQ(line.Payroll, 500);
}

TEST(ContractorsDialog, TotalChecksAndEntries)
{
    TNewYorkConstructionClass line(1);
    line.StateRate = 10;
    line.Rate = 10;
    TConstructionPayrollEntry entry {{"10000", "", "5000.4", "0"}, "3"};
    EXPECT_EQ(ConstructionPayrollTotal(entry), 15000);

    EXPECT_EQ(CheckConstructionPayrollEntry({{"0", "", "", ""}, "3"}).Message,
              "You must provide a payroll for at least one of the above items");
    EXPECT_EQ(CheckConstructionPayrollEntry({{"0", "", "", ""}, "3"}).Focus,
              TEntryFocus::FirstPayroll);
    EXPECT_EQ(CheckConstructionPayrollEntry({{"100", "", "", ""}, " "}).Message,
              "Please provide the number of employees");

    ASSERT_TRUE(ApplyConstructionPayrollEntry(line, entry).Accepted());
    EXPECT_EQ(line.GetEntryPayroll(1), 10000);
    EXPECT_EQ(line.GetEntryPayroll(3), 5000);
    EXPECT_EQ(line.GetPayroll(), 15000);
    EXPECT_EQ(line.Employees, 3);
    EXPECT_EQ(line.GetPremium(), 1500);
}

TEST(ClassInfoDialog, ChecksInOrder)
{
    TClassInfoEntry entry {"My Class", "8810", "2.50", "", "0", "3", "No", "250"};
    EXPECT_TRUE(CheckClassInfoEntry(entry).Accepted());

    TClassInfoEntry noTitle = entry;
    noTitle.Title = "  ";
    noTitle.Code = "";
    EXPECT_EQ(CheckClassInfoEntry(noTitle).Message, "Please provide a name for this class");

    for (const char *code : {"", "0000", "88A1"}) {
        TClassInfoEntry badCode = entry;
        badCode.Code = code;
        badCode.StateRate = "";
        EXPECT_EQ(CheckClassInfoEntry(badCode).Message, "Please provide a SIC code for this class")
            << code;
    }
    for (const char *rate : {"", "0", "0.00", "-1"}) {
        TClassInfoEntry badRate = entry;
        badRate.StateRate = rate;
        EXPECT_EQ(CheckClassInfoEntry(badRate).Message,
                  "Please provide a State Rate for this class")
            << rate;
        EXPECT_EQ(CheckClassInfoEntry(badRate).Focus, TEntryFocus::StateRate);
    }
}

TEST(ClassInfoDialog, AppliesDetailsAndRepricesTheLine)
{
    const auto ownedLine = PerHundred(false);
    TVereDivoClass &line = *ownedLine;
    line.SetPayroll(10000);
    ASSERT_TRUE(
        ApplyClassInfoEntry(line, {"  my shop ", "9999", "2.00", "0", "12", "4", "yes", "300"})
            .Accepted());
    EXPECT_EQ(line.Description, "my shop");
    EXPECT_EQ(line.Code, "9999");
    EXPECT_DOUBLE_EQ(line.StateRate, 2.0);
    EXPECT_DOUBLE_EQ(line.Rate, 2.0) << "an empty or zero deviated rate takes the state rate";
    EXPECT_EQ(line.LossConstant, 12);
    EXPECT_EQ(line.HazardGroup, 4);
    EXPECT_EQ(line.MinPremium, 300);
    EXPECT_TRUE(line.ConstructionCredit);
    EXPECT_EQ(line.GetPremium(), 200);

    ASSERT_TRUE(ApplyClassInfoEntry(line, {"my shop", "9999", "2.00", "2.33", "", "", "No", ""})
                    .Accepted());
    EXPECT_FALSE(line.ConstructionCredit);
    EXPECT_DOUBLE_EQ(line.Rate, 2.33);
    EXPECT_DOUBLE_EQ(line.Deviation, 1.165);
    EXPECT_EQ(line.GetPremium(), 233);
    EXPECT_EQ(line.GetStatePremium(), 200);

    const TClassInfoEntry shown = ClassInfoEntryOf(line);
    EXPECT_EQ(shown.StateRate, "2.00");
    EXPECT_EQ(shown.Rate, "2.33");
    EXPECT_EQ(shown.Construction, "No");
}

TEST(PayrollRange, AmountsBeyondThirtyTwoBitsAreRefusedNeverClamped)
{
    const auto ownedLine = PerHundred(false);
    TVereDivoClass &line = *ownedLine;
    const std::string tooLarge = "Payroll cannot be greater than $2,147,483,647";
    EXPECT_EQ(CheckPayrollEntry(line, {"2147483648", "1", false}).Message, tooLarge);
    EXPECT_EQ(CheckPayrollEntry(line, {"$3,000,000,000", "1", false}).Focus, TEntryFocus::Payroll);
    EXPECT_TRUE(CheckPayrollEntry(line, {"2147483647", "1", false}).Accepted());

    // A payroll that fits but would price beyond an amount: a rate of 150 per 100.
    line.StateRate = 150;
    line.Rate = 150;
    const TEntryCheck premium = CheckPayrollEntry(line, {"2000000000", "1", false});
    EXPECT_EQ(premium.Message,
              "The premium of this class would be greater than $2,147,483,647.  "
              "Please check the payroll and number of employees");
    line.SetPayroll(100);
    EXPECT_FALSE(ApplyPayrollEntry(line, {"2000000000", "1", false}).Accepted());
    EXPECT_EQ(line.Payroll, 100) << "a refused entry changes nothing";

    // Per-employee lines: the employee count drives the premium.
    TVereDivoClass perHead(2);
    perHead.StateRate = perHead.Rate = 500;
    EXPECT_EQ(CheckPayrollEntry(perHead, {"1000", "8000000", false}).Focus, TEntryFocus::Employees);

    TNewYorkConstructionClass construction(1);
    construction.StateRate = construction.Rate = 10;
    EXPECT_EQ(CheckConstructionPayrollEntry({{"2000000000", "2000000000", "", ""}, "3"}).Message,
              tooLarge);
    construction.StateRate = construction.Rate = 200;
    const TEntryCheck check =
        ApplyConstructionPayrollEntry(construction, {{"1500000000", "", "", ""}, "3"});
    EXPECT_FALSE(check.Accepted());
    EXPECT_EQ(check.Focus, TEntryFocus::FirstPayroll);
    EXPECT_EQ(construction.GetPayroll(), 0);
}

TEST(ExceptionFields, ReadAsAmountsOrRefused)
{
    const auto ownedLine = PerHundred(false);
    const TExceptionEntry entry = ReadExceptionEntry(*ownedLine, "$25,000.50", "3");
    EXPECT_TRUE(entry.Check.Accepted());
    EXPECT_EQ(entry.Payroll, 25001);
    EXPECT_EQ(entry.Employees, 3);
    const TExceptionEntry empty = ReadExceptionEntry(*ownedLine, "", "");
    EXPECT_TRUE(empty.Check.Accepted());
    EXPECT_EQ(empty.Payroll, 0);
    const TExceptionEntry huge = ReadExceptionEntry(*ownedLine, "9999999999", "1");
    EXPECT_EQ(huge.Check.Message, "Payroll cannot be greater than $2,147,483,647");
    EXPECT_EQ(huge.Payroll, 0);
}

TEST(Deviations, MustBeAboveZeroAndKeepThePremiumAnAmount)
{
    const auto ownedLine = PerHundred(false);
    TVereDivoClass &line = *ownedLine;
    line.SetPayroll(100000);
    for (const char *refused : {"0", "0.00", "-1", "", "abc", "0.0004"}) {
        EXPECT_EQ(CheckDeviationEntry(line, refused).Message,
                  "Please provide a deviation greater than 0 for PLUMBING")
            << refused;
    }
    EXPECT_TRUE(CheckDeviationEntry(line, "1.155").Accepted());
    line.SetPayroll(2000000000);
    EXPECT_EQ(CheckDeviationEntry(line, "50").Message,
              "The premium of PLUMBING at this deviation would be greater than $2,147,483,647");
}
