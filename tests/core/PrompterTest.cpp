#include "core/Prompter.h"
#include "core/BusyCursor.h"

#include "support/ScriptedPrompter.h"

#include <gtest/gtest.h>

TEST(Prompter, ScriptedAnswersAndRecordedTexts)
{
    ScriptedPrompter prompter;
    prompter.QueueAnswer(Prompter::Answer::No);
    EXPECT_FALSE(AskYesNo("Save changes?"));
    // An empty queue answers with the question's default.
    EXPECT_EQ(AskYesNoCancel("Really?", "", Prompter::Answer::Cancel), Prompter::Answer::Cancel);
    ShowError("Quote is invalid", "Error");
    EXPECT_EQ(prompter.Texts(),
              (std::vector<std::string> {"Save changes?", "Really?", "Quote is invalid"}));
    EXPECT_EQ(prompter.Entries()[2].kind, Prompter::Kind::Error);
}

TEST(Prompter, ScriptedPrompterRestoresThePreviousOne)
{
    ScriptedPrompter outer;
    {
        ScriptedPrompter inner;
        ShowInformation("inner");
    }
    ShowInformation("outer");
    EXPECT_EQ(outer.Texts(), std::vector<std::string> {"outer"});
}

namespace {
struct CountingIndicator : BusyIndicator
{
    std::vector<bool> changes;
    void SetBusy(bool busy) override { changes.push_back(busy); }
};
} // namespace

TEST(BusyCursor, NestedGuardsShowOneBusySpell)
{
    CountingIndicator indicator;
    BusyIndicator *previous = SetBusyIndicator(&indicator);
    {
        BusyCursor outer;
        {
            BusyCursor inner;
        }
        outer.Restore();
        outer.Restore();
    }
    SetBusyIndicator(previous);
    EXPECT_EQ(indicator.changes, (std::vector<bool> {true, false}));
}
