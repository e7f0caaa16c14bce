#include "rating/ControlInterface.h"
#include "RatingFixtures.h"
#include "core/AppInfo.h"
#include "core/Text.h"
#include "db/CBDatabase.h"
#include "rating/ControlAmounts.h"
#include "support/ScopedEnv.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>

namespace {

const char *const kInputHeader = "ID,ID2,FORM_ID,Index,Active,Caption,Name,Type,Left,Top,Height,"
                                 "Width,Tab_Order,Max_Length,Decimals,Mask,Enabled,Visible,"
                                 "Read_Only,Checked,Value,Data_Field\n";

// State 13, rate set 1: form 1 in an order the index must restore, one deleted control, one
// inactive one; state 13 rate set 2 and state 15 as neighbours that must not be read.
const char *const kInputs =
    "13,1,1,2,T,Employer's Liability Limits:,lblPartTwo,1,8,-3,17,150,0,0,0,,T,T,F,F,0,0\n"
    "13,1,1,1,T,,lstPartTwo,2,160,10,21,125,1,0,0,,T,T,F,F,0,1\n"
    "13,1,1,3,T, 1.00 ,txtExpMod  ,5,160,-25,21,70,2,6,0,,T,T,F,F,0,2\n"
    "13,1,1,4,T,hidden,txtHidden,5,160,-25,21,70,3,6,0,,T,F,F,F,0,3\n"
    "13,1,1,5,T,,lstMerit,2,160,-25,21,70,4,0,0,,T,T,F,F,0,4\n"
    "13,1,1,6,F,inactive,txtFees,5,160,90,21,70,5,6,0,,T,T,F,F,0,5\n"
    "13,1,1,7,T,Managed care,chkManagedCare,8,160,120,21,70,6,0,0,,F,T,F,T,-9998,6\n"
    "13,1,1,8,T,,TXTFEES,5,160,150,21,70,7,8,2,###0.00,T,T,F,F,0,7\n"
    "13,1,1,9,T,deleted,txtDeleted,5,0,0,21,70,8,6,0,,T,T,F,F,0,8\n"
    "13,1,2,1,T,,curTotal,6,10,10,21,90,0,0,0,\",0\",T,T,T,F,16,0\n"
    "13,2,1,1,T,,lstOtherRateSet,2,160,10,21,125,1,0,0,,T,T,F,F,0,1\n"
    "15,1,1,1,T,,lstNewJersey,2,160,10,21,125,1,0,0,,T,T,F,F,0,1\n";

const char *const kDataHeader =
    "ID,Ctrl_ID,Form_ID,Year,Index,Text,Default,Data1,Data2,Data_Type\n";

const char *const kEntries = "13,1,1,1,1,100/500/100,T,0,0,0\n"
                             "13,1,1,1,2,500/500/500,F,0.01,50,1\n"
                             "13,1,1,1,3,1000/1000/1000,F,0.02,75,1\n"
                             "13,1,1,1,5,not reached: entry 4 is missing,T,0,0,0\n"
                             "13,1,1,2,1,from rate set 2,T,0,0,0\n"
                             "13,5,1,1,1,0,F,0,0,3\n"
                             "13,5,1,1,2,-2,T,-0.02,0,2\n"
                             "13,5,1,1,3,0,T,1,0,3\n";

class ControlInterfaceTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        data.Table("WCINPUTS", std::string(kInputHeader) + kInputs);
        data.Table("INP_DATA", std::string(kDataHeader) + kEntries);
        data.MarkDeleted("WCINPUTS.DBF", 9);
        inputs = &database.AddTable("WCINPUTS.DBF", data.Folder(), true);
        entries = &database.AddTable("INP_DATA.DBF", data.Folder(), true);
    }

    std::vector<std::string> Names() const
    {
        std::vector<std::string> names;
        for (const auto &control : controls.Controls()) {
            names.push_back(control->Name());
        }
        return names;
    }

    TRatingFixtureData data;
    TCBDatabase database;
    TCBTable *inputs = nullptr;
    TCBTable *entries = nullptr;
    TControlInterface controls;
};

} // namespace

TEST_F(ControlInterfaceTest, BuildReadsOneSetInIndexOrder)
{
    controls.Build(*inputs, *entries, false, 1, 1, 13);
    EXPECT_EQ(Names(),
              (std::vector<std::string> {"lstPartTwo", "lblPartTwo", "txtExpMod", "txtHidden",
                                         "lstMerit", "txtFees", "chkManagedCare", "TXTFEES"}));
    const TRatingControl *expMod = controls.FindControl("txtExpMod");
    ASSERT_NE(expMod, nullptr);
    EXPECT_EQ(expMod->Spec().Caption, "1.00") << "captions are trimmed";
    EXPECT_EQ(expMod->Text(), "1.00");
    EXPECT_EQ(expMod->Spec().Max_Length, 6);
    EXPECT_EQ(expMod->Spec().Data_Field, 2);
    const TRatingControl *check = controls.FindControl("chkManagedCare");
    ASSERT_NE(check, nullptr);
    EXPECT_TRUE(check->Checked());
    EXPECT_FALSE(check->Enabled());
    EXPECT_DOUBLE_EQ(check->StoredValue(), -9998);
    EXPECT_EQ(controls.SpecificationOf(check), &check->Spec());
    EXPECT_EQ(controls.SpecificationOf(nullptr), nullptr);
}

TEST_F(ControlInterfaceTest, NegativeTopsFollowTheLastVisibleControl)
{
    controls.Build(*inputs, *entries, true, 1, 1, 13);
    EXPECT_TRUE(controls.Raised());
    EXPECT_EQ(controls.FindControl("lstPartTwo")->Top(), 10);
    EXPECT_EQ(controls.FindControl("lblPartTwo")->Top(), 13);
    EXPECT_EQ(controls.FindControl("txtExpMod")->Top(), 38);
    // An invisible control is placed but does not move the reference.
    EXPECT_EQ(controls.FindControl("txtHidden")->Top(), 63);
    EXPECT_EQ(controls.FindControl("lstMerit")->Top(), 63);
    EXPECT_EQ(controls.FindControl("TXTFEES")->Top(), 150);
}

TEST_F(ControlInterfaceTest, ListsGetTheirEntriesAndDefault)
{
    controls.Build(*inputs, *entries, false, 1, 1, 13);
    const TRatingControl *limits = controls.FindControl("lstPartTwo");
    ASSERT_EQ(limits->Entries().size(), 3u) << "entries stop at the first missing number";
    EXPECT_EQ(limits->Text(), "100/500/100");
    EXPECT_TRUE(limits->IsDefaultSelected());
    EXPECT_EQ(controls.SelectedEntry(limits)->Data_Type, 0);
    EXPECT_EQ(limits->Entries()[2]->Text, "1000/1000/1000");
    EXPECT_DOUBLE_EQ(limits->Entries()[1]->Data1, 0.01);
    EXPECT_DOUBLE_EQ(limits->Entries()[1]->Data2, 50);

    // The last entry marked default names the text; the first entry with that text shows.
    const TRatingControl *merit = controls.FindControl("lstMerit");
    ASSERT_EQ(merit->Entries().size(), 3u);
    EXPECT_EQ(merit->ItemIndex(), 0);

    TRatingControl *list = controls.FindControl("lstPartTwo");
    list->SetText("500/500/500");
    EXPECT_EQ(ListAmount(list, 10000), 100);
    EXPECT_EQ(ListAmount(list, 1000), 50);
}

TEST_F(ControlInterfaceTest, FindControlIgnoresCaseAndInactiveControls)
{
    controls.Build(*inputs, *entries, false, 1, 1, 13);
    // "txtFees" is inactive; the active "TXTFEES" is the one found, whatever the spelling.
    TRatingControl *fees = controls.FindControl("txtfees");
    ASSERT_NE(fees, nullptr);
    EXPECT_EQ(fees->Name(), "TXTFEES");
    EXPECT_EQ(fees->Spec().Mask, "###0.00");
    EXPECT_EQ(controls.FindControl("txtDeleted"), nullptr);
    EXPECT_EQ(controls.FindControl("lstNewJersey"), nullptr);
    EXPECT_EQ(controls.FindControl(""), nullptr);
}

TEST_F(ControlInterfaceTest, RemoveTellsTheWindowFirstAndClearEmpties)
{
    controls.Build(*inputs, *entries, false, 1, 1, 13);
    std::vector<std::string> removed;
    controls.OnRemove([&](TRatingControl &c) { removed.push_back(c.Name()); });
    controls.RemoveControl("TxtExpMod");
    controls.RemoveControl("no such control");
    EXPECT_EQ(controls.FindControl("txtExpMod"), nullptr);
    EXPECT_EQ(removed, std::vector<std::string> {"txtExpMod"});
    EXPECT_EQ(controls.Controls().size(), 7u);
    controls.Clear();
    EXPECT_TRUE(controls.Controls().empty());
    EXPECT_EQ(removed.size(), 8u);
    EXPECT_EQ(controls.FindControl("lstPartTwo"), nullptr);
}

TEST_F(ControlInterfaceTest, AnEmptySetBuildsNothingAndOtherFormsAreSeparate)
{
    controls.Build(*inputs, *entries, false, 1, 1, 29);
    EXPECT_TRUE(controls.Controls().empty());
    controls.Build(*inputs, *entries, false, 1, 2, 13);
    ASSERT_EQ(Names(), std::vector<std::string> {"curTotal"});
    EXPECT_DOUBLE_EQ(controls.FindControl("curTotal")->StoredValue(), 16);
    EXPECT_TRUE(controls.FindControl("curTotal")->Spec().Read_Only);
    controls.Build(*inputs, *entries, false, 2, 1, 13);
    ASSERT_EQ(Names(), std::vector<std::string> {"lstOtherRateSet"});
    const TRatingControl *other = controls.FindControl("lstOtherRateSet");
    ASSERT_EQ(other->Entries().size(), 1u) << "only the entries of its own rate set";
    EXPECT_EQ(other->Text(), "from rate set 2");
    // A list without entries selects nothing.
    controls.Build(*inputs, *entries, false, 1, 1, 15);
    EXPECT_TRUE(controls.FindControl("lstNewJersey")->Entries().empty());
    EXPECT_EQ(controls.SelectedEntry(controls.FindControl("lstNewJersey")), nullptr);
    controls.Build(*inputs, *entries, false, 1, -1, 13);
    EXPECT_EQ(controls.Controls().size(), 9u) << "a negative form reads every form of the set";
}

TEST_F(ControlInterfaceTest, CopyInputSetDuplicatesControlsAndEntries)
{
    TControlInterface::CopyInputSet(*inputs, *entries, 13, 1, 29, 2);
    controls.Build(*inputs, *entries, false, 2, 1, 29);
    EXPECT_EQ(Names(),
              (std::vector<std::string> {"lstPartTwo", "lblPartTwo", "txtExpMod", "txtHidden",
                                         "lstMerit", "txtFees", "chkManagedCare", "TXTFEES"}));
    const TRatingControl *limits = controls.FindControl("lstPartTwo");
    EXPECT_EQ(limits->Spec().ID, 29);
    EXPECT_EQ(limits->Spec().ID2, 2);
    EXPECT_EQ(limits->Top(), 10);
    ASSERT_EQ(limits->Entries().size(), 3u);
    EXPECT_EQ(limits->Text(), "100/500/100");
    EXPECT_EQ(limits->Entries()[0]->ID, 29);
    EXPECT_EQ(limits->Entries()[0]->Year, 2);
    EXPECT_EQ(controls.FindControl("chkManagedCare")->Spec().Value, -9998);
    EXPECT_EQ(controls.FindControl("txtfees")->Spec().Mask, "###0.00");

    // The source set is still there, unchanged.
    controls.Build(*inputs, *entries, false, 1, 1, 13);
    EXPECT_EQ(controls.Controls().size(), 8u);
    EXPECT_EQ(controls.FindControl("lstPartTwo")->Entries().size(), 3u);
}

TEST_F(ControlInterfaceTest, HandlersThatChangeEachOtherDoNotLoopAndAllSeeTheFinalValue)
{
    ScopedEnv state("XDG_STATE_HOME", data.ProgramFolder() + "state");
    TAppInfo info;
    info.StartLog();
    controls.Build(*inputs, *entries, false, 1, 1, 13);
    TRatingControl &mod = *controls.FindControl("txtExpMod");
    TRatingControl &fees = *controls.FindControl("TXTFEES");

    // The window's handler first, then one that tidies the text it was given.
    std::vector<std::string> shown;
    mod.OnChange([&](TRatingControl &c) { shown.push_back(c.Text()); });
    mod.OnChange([](TRatingControl &c) { c.SetText(Trim(c.Text())); });
    mod.SetText(" 0.95 ");
    EXPECT_EQ(shown, (std::vector<std::string> {" 0.95 ", "0.95"}));
    EXPECT_EQ(mod.Text(), "0.95");

    // Two inputs that keep changing each other: bounded, and the log says so.
    int rounds = 0;
    mod.OnChange([&](TRatingControl &c) {
        ++rounds;
        fees.SetText(c.Text() + "1");
    });
    fees.OnChange([&](TRatingControl &c) { mod.SetText(c.Text() + "2"); });
    mod.SetText("1");
    EXPECT_LE(rounds, 4);
    EXPECT_TRUE(std::any_of(info.LoggedLines().begin(), info.LoggedLines().end(),
                            [](const std::string &line) {
                                return line.starts_with("ControlInterface - Notify - txtExpMod");
                            }));
    const int before = rounds;
    mod.SetText("after"); // the guard is down again
    EXPECT_GT(rounds, before);
    EXPECT_EQ(shown[shown.size() - 2], "after");
}

TEST_F(ControlInterfaceTest, AHandlerMayRemoveItsOwnControl)
{
    controls.Build(*inputs, *entries, false, 1, 1, 13);
    TRatingControl &fees = *controls.FindControl("TXTFEES");
    int later = 0;
    int removed = 0;
    controls.OnRemove([&](TRatingControl &) { ++removed; });
    fees.OnExit([&](TRatingControl &c) { controls.RemoveControl(c.Name()); });
    fees.OnExit([&](TRatingControl &) { ++later; }); // its control is gone: not called
    fees.NotifyExit();
    EXPECT_EQ(removed, 1);
    EXPECT_EQ(later, 0);
    EXPECT_EQ(controls.FindControl("TXTFEES"), nullptr);

    // A handler that throws leaves the control able to notify again.
    TRatingControl &mod = *controls.FindControl("txtExpMod");
    int calls = 0;
    mod.OnChange([&](TRatingControl &) {
        if (++calls == 1) {
            throw std::runtime_error("handler failed");
        }
    });
    EXPECT_THROW(mod.SetText("2"), std::runtime_error);
    mod.SetText("3");
    EXPECT_EQ(calls, 2);
}
