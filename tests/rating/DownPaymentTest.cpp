#include "rating/DownPayment.h"
#include "support/ScratchFolder.h"

#include <gtest/gtest.h>

namespace {

std::unique_ptr<TDownPayInfo> Row(double low, double high, double percent, int32_t installs = 0,
                                  double fee = 0, int32_t interval = 0)
{
    auto row = std::make_unique<TDownPayInfo>();
    row->Low = low;
    row->High = high;
    row->Percent = percent;
    row->Installs = installs;
    row->InstFee = fee;
    row->InstIntrvl = interval;
    return row;
}

} // namespace

TEST(DownPaySchedule, RowSelectionIncludesBoundsAndTheEarlierRowWins)
{
    TDownPaySchedule schedule;
    schedule.Add(Row(0, 999.99, 100));
    schedule.Add(Row(1000, 25000, 25));
    schedule.Add(Row(20000, 99999, 15));
    EXPECT_EQ(schedule.Find(0), schedule.Rows()[0].get());
    EXPECT_EQ(schedule.Find(1000), schedule.Rows()[1].get());
    EXPECT_EQ(schedule.Find(25000), schedule.Rows()[1].get()) << "overlap: the earlier row";
    EXPECT_EQ(schedule.Find(25001), schedule.Rows()[2].get());
    EXPECT_EQ(schedule.Find(100000), nullptr);
    EXPECT_EQ(TDownPaySchedule().Find(5000), nullptr);
}

TEST(DownPaySchedule, IntervalTexts)
{
    EXPECT_EQ(Row(0, 1, 25, 0, 0, 0)->IntervalText(), "");
    EXPECT_EQ(Row(0, 1, 25, 0, 0, 4)->IntervalText(), "Quarterly Installments");
    EXPECT_EQ(Row(0, 1, 25, 0, 0, 12)->IntervalText(), "Monthly Installments");
    EXPECT_EQ(Row(0, 1, 25, 9, 0, 124)->IntervalText(),
              "Monthly Installments (Quarterly Available) (9 Installments)");
    EXPECT_EQ(Row(0, 1, 25, 3, 0, 0)->IntervalText(), " (3 Installments)");
}

TEST(DownPaySchedule, FullPaymentAndDownPaymentText)
{
    TDownPaySchedule schedule;
    schedule.Add(Row(0, 4999, 100));
    schedule.Add(Row(5000, 50000, 25));
    EXPECT_TRUE(schedule.FullPaymentRequired(3000, 0));
    EXPECT_EQ(schedule.DownPaymentText(3000, 0, 30), "N/A");
    EXPECT_FALSE(schedule.FullPaymentRequired(10000, 20000)) << "a row decides, not Min_Down";
    EXPECT_EQ(schedule.DownPaymentText(10001, 0, 30), "3000");
    // Outside every row the plan's minimum decides.
    EXPECT_TRUE(schedule.FullPaymentRequired(60000, 75000));
    EXPECT_FALSE(schedule.FullPaymentRequired(75000, 75000));
    EXPECT_EQ(schedule.DownPaymentText(75000, 75000, 33.5), "25125");
    EXPECT_EQ(DownPaymentAmount(10001, 25), 2500);
}

TEST(DownPaySchedule, PaymentTermsLine)
{
    TDownPaySchedule schedule;
    schedule.Add(Row(0, 4999, 100));
    schedule.Add(Row(5000, 50000, 25, 9, 5, 124));
    // 25 % of 10,001 is 2,500.25: the deposit goes up to the next dollar.
    EXPECT_EQ(schedule.PaymentTermsText(10001, 0, 30),
              "25.00% Deposit ($2,501) required plus $5.00 installment fee - Monthly Installments "
              "(Quarterly Available) (9 Installments)");
    EXPECT_EQ(schedule.PaymentTermsText(10000, 0, 30),
              "25.00% Deposit ($2,500) required plus $5.00 installment fee - Monthly Installments "
              "(Quarterly Available) (9 Installments)");
    EXPECT_EQ(schedule.PaymentTermsText(4000, 0, 30),
              "100% Deposit Required (no installments available)");
    EXPECT_EQ(schedule.PaymentTermsText(60000, 75000, 30), "Full Payment of Premium Required");
    EXPECT_EQ(schedule.PaymentTermsText(80000, 75000, 30), "Down Payment: $24,000");
}

TEST(DefaultDownPercent, UserSettingsBesideTheProgram)
{
    ScratchFolder folder;
    EXPECT_EQ(ReadDefaultDownPercent(folder.Path()), 30);
    WriteDefaultDownPercent(folder.Path(), 45);
    EXPECT_EQ(ReadDefaultDownPercent(folder.Path()), 45);
    EXPECT_NE(folder.ReadFile("UserSets.ini").find("DownPay=45"), std::string::npos);
    EXPECT_NE(folder.ReadFile("UserSets.ini").find("[Settings]"), std::string::npos);
}
