#include "rating/ControlAmounts.h"
#include "core/Dates.h"
#include "rating/ControlInterface.h"

#include <gtest/gtest.h>

namespace {

std::unique_ptr<TRatingControl> Control(TControlKind kind, const char *name,
                                        const char *caption = "")
{
    TControlSpec spec;
    spec.Name = name;
    spec.Type = static_cast<int32_t>(kind);
    spec.Caption = caption;
    spec.Active = true;
    spec.Enabled = true;
    spec.Visible = true;
    return std::make_unique<TRatingControl>(spec);
}

std::unique_ptr<TComboItemData> Entry(const char *text, int32_t type, double data1, double data2,
                                      bool isDefault = false)
{
    auto entry = std::make_unique<TComboItemData>();
    entry->Text = text;
    entry->Data_Type = type;
    entry->Data1 = data1;
    entry->Data2 = data2;
    entry->Default = isDefault;
    return entry;
}

std::unique_ptr<TTierBasedPremium> Tier(bool byDate, const char *from, const char *to, double value)
{
    auto tier = std::make_unique<TTierBasedPremium>();
    tier->ByDate = byDate;
    tier->From = from;
    tier->To = to;
    tier->Value = value;
    return tier;
}

} // namespace

TEST(ListAmount, EachEntryType)
{
    auto list = Control(TControlKind::DropDownList, "lstPartTwo");
    list->AddEntry(Entry("rate with minimum", 1, 0.011, 100));
    list->AddEntry(Entry("rate", 2, 0.011, 100));
    list->AddEntry(Entry("flat", 3, 250.5, 0));
    list->AddEntry(Entry("nothing", 4, 0.5, 0.5));
    EXPECT_EQ(ListAmount(list.get(), 10000), 0) << "nothing selected";

    list->SetItemIndex(0);
    EXPECT_EQ(ListAmount(list.get(), 10000), 110);
    EXPECT_EQ(ListAmount(list.get(), 5000), 100) << "55 is below the minimum of 100";
    list->SetItemIndex(1);
    EXPECT_EQ(ListAmount(list.get(), 5000), 55);
    EXPECT_EQ(ListAmount(list.get(), 5045), 55) << "55.495 plus the rounding allowance";
    list->SetItemIndex(2);
    EXPECT_EQ(ListAmount(list.get(), 5000), 251);
    list->SetItemIndex(3);
    EXPECT_EQ(ListAmount(list.get(), 5000), 0);
    EXPECT_EQ(ListAmount(nullptr, 5000), 0) << "a list the plan does not offer";
}

TEST(FactorAdjustment, FactorsPercentagesAndNeutralValues)
{
    auto box = Control(TControlKind::Edit, "txtExpMod", " 1.00");
    EXPECT_EQ(FactorAdjustment(box.get(), 10000, false, 1), 0);
    box->SetText("0.90");
    EXPECT_EQ(FactorAdjustment(box.get(), 10000, false, 1), -1000);
    box->SetText("1.255");
    EXPECT_EQ(FactorAdjustment(box.get(), 1001, false, 1), 255) << "1256.255 - 1001";

    auto credit = Control(TControlKind::Edit, "txtConstCredit", "0");
    EXPECT_EQ(FactorAdjustment(credit.get(), 10000, true, 0), 0);
    credit->SetText("-12.5");
    EXPECT_EQ(FactorAdjustment(credit.get(), 10001, true, 0), -1250);

    // ARAP: neutral 0 without percent, so a factor of 1 adds nothing but 0 is neutral.
    auto arap = Control(TControlKind::Edit, "txtARAP", "0");
    EXPECT_EQ(FactorAdjustment(arap.get(), 5000, false, 0), 0);
    arap->SetText("1.10");
    EXPECT_EQ(FactorAdjustment(arap.get(), 5000, false, 0), 500);

    // A box being typed in (empty, a lone sign) counts as its neutral value.
    box->SetText("");
    EXPECT_EQ(FactorAdjustment(box.get(), 10000, false, 1), 0);
    box->SetText("-");
    EXPECT_EQ(FactorAdjustment(box.get(), 10000, false, 1), 0);
    EXPECT_EQ(FactorAdjustment(nullptr, 10000, false, 1), 0);
}

TEST(TierValue, DateTiersIncludeBothBoundsAndNoRowGivesZero)
{
    auto check = Control(TControlKind::CheckBox, "chkManagedCare");
    check->SetStoredValue(-9998);
    auto tiers = std::make_unique<TTierList>();
    tiers->push_back(Tier(true, "01/01/2006", "12/31/2006  ", 0.02));
    tiers->push_back(Tier(true, "01/01/2007", "12/31/2007", 0.03));
    tiers->push_back(Tier(true, "06/01/2007", "12/31/2008", 0.09));
    check->AttachTiers(std::move(tiers));

    EXPECT_DOUBLE_EQ(TierValue(check.get(), 0, EncodeDate(2006, 12, 31)), 0.02);
    EXPECT_DOUBLE_EQ(TierValue(check.get(), 0, EncodeDate(2006, 1, 1)), 0.02);
    EXPECT_DOUBLE_EQ(TierValue(check.get(), 0, EncodeDate(2007, 1, 1)), 0.03);
    EXPECT_DOUBLE_EQ(TierValue(check.get(), 0, EncodeDate(2007, 7, 1)), 0.03) << "first row wins";
    EXPECT_DOUBLE_EQ(TierValue(check.get(), 0, EncodeDate(2008, 2, 1)), 0.09);
    EXPECT_DOUBLE_EQ(TierValue(check.get(), 0, EncodeDate(2005, 12, 31)), 0.0);
    EXPECT_DOUBLE_EQ(TierValue(check.get(), 0, EncodeDate(2009, 1, 1)), 0.0);
    EXPECT_EQ(TierAmount(check.get(), 20000, EncodeDate(2007, 3, 1)), 600);
    EXPECT_EQ(TierAmount(check.get(), 20000, EncodeDate(2009, 3, 1)), 0);
}

TEST(TierValue, AmountTiersAndStoredValue)
{
    auto box = Control(TControlKind::Edit, "txtSomething");
    box->SetStoredValue(0.05);
    EXPECT_DOUBLE_EQ(TierValue(box.get(), 1000, 0), 0.05) << "no tiers: the stored value";
    box->AttachTiers(std::make_unique<TTierList>());
    EXPECT_DOUBLE_EQ(TierValue(box.get(), 1000, 0), 0.05) << "no tier rows: the stored value";

    auto tiers = std::make_unique<TTierList>();
    tiers->push_back(Tier(false, "0", "9999", -0.01));
    tiers->push_back(Tier(false, "10000", "99999", -0.02));
    tiers->push_back(Tier(false, "n/a", "x", 5)); // unreadable bounds cover nothing
    box->AttachTiers(std::move(tiers));
    EXPECT_DOUBLE_EQ(TierValue(box.get(), 9999, 0), -0.01);
    EXPECT_DOUBLE_EQ(TierValue(box.get(), 10000, 0), -0.02);
    EXPECT_DOUBLE_EQ(TierValue(box.get(), 99999, 0), -0.02);
    EXPECT_DOUBLE_EQ(TierValue(box.get(), 100000, 0), 0.0);
    EXPECT_EQ(TierAmount(box.get(), 12345, 0), -247);
    EXPECT_DOUBLE_EQ(TierValue(nullptr, 1, 0), 0.0);
}

TEST(ControlModel, ListSelectionByTextAndDefault)
{
    auto list = Control(TControlKind::DropDownList, "lstMerit");
    list->AddEntry(Entry("0", 3, 0, 0));
    list->AddEntry(Entry("-2", 2, -0.02, 0));
    list->SetItemIndex(0);
    list->SetDefaultIndex(0);
    EXPECT_TRUE(list->IsDefaultSelected());
    list->SetText("-2");
    EXPECT_EQ(list->ItemIndex(), 1);
    EXPECT_EQ(list->Text(), "-2");
    EXPECT_FALSE(list->IsDefaultSelected());
    list->SetText("no such entry");
    EXPECT_EQ(list->ItemIndex(), -1);
    EXPECT_EQ(list->SelectedEntry(), nullptr);
    EXPECT_EQ(list->Text(), "");
    list->SetItemIndex(7);
    EXPECT_EQ(list->ItemIndex(), -1) << "out of range selects nothing";

    // Removing an entry keeps the selection on the same entry.
    list->SetItemIndex(1);
    list->AddEntry(Entry("Table X", 1, 3, 0));
    list->RemoveEntry("0");
    EXPECT_EQ(list->Text(), "-2");
    EXPECT_EQ(list->DefaultIndex(), -1) << "the default entry is gone";
}

TEST(ControlModel, NotificationsFireOnRealChangesOnly)
{
    auto box = Control(TControlKind::Edit, "txtExpMod", "1.00");
    auto check = Control(TControlKind::CheckBox, "chkManagedCare");
    std::vector<std::string> heard;
    const int change =
        box->OnChange([&](TRatingControl &c) { heard.push_back("change " + c.Text()); });
    box->OnExit([&](TRatingControl &c) { heard.push_back("exit " + c.Name()); });
    box->OnStateChange([&](TRatingControl &c) {
        heard.push_back(std::string("state ") + (c.Enabled() ? "on" : "off"));
    });
    check->OnChange([&](TRatingControl &c) { heard.push_back(c.Checked() ? "checked" : "clear"); });

    box->SetText("1.00"); // same text: nothing
    box->SetText("0.95");
    box->NotifyExit();
    box->SetEnabled(true); // already enabled
    box->SetEnabled(false);
    check->SetValue("ignored", true);
    check->SetChecked(true);
    box->Unsubscribe(change);
    box->SetText("0.90");
    EXPECT_EQ(heard,
              (std::vector<std::string> {"change 0.95", "exit txtExpMod", "state off", "checked"}));
    EXPECT_EQ(box->Text(), "0.90");
    EXPECT_DOUBLE_EQ(box->Number(), 0.9);
    box->SetText(" $1,250.50 ");
    EXPECT_DOUBLE_EQ(box->Number(), 1250.5);
}

TEST(ControlModel, AHandlerMaySetTheValueAgain)
{
    // Leaving a credit box turns its value negative; the change that causes must not loop.
    auto credit = Control(TControlKind::Edit, "txtConstCredit", "0");
    int changes = 0;
    credit->OnChange([&](TRatingControl &) { ++changes; });
    credit->OnExit([](TRatingControl &c) {
        if (c.Number() > 0) {
            c.SetText("-" + c.Text());
        }
    });
    credit->SetText("5");
    credit->NotifyExit();
    credit->NotifyExit();
    EXPECT_EQ(credit->Text(), "-5");
    EXPECT_EQ(changes, 2);
}
