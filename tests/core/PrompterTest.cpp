#include "core/Prompter.h"
#include "core/BusyCursor.h"
#include "core/Encoding.h"

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

TEST(Prompter, TheConsoleSpeaksUtf8)
{
    // Engine text (a Windows-1252 class name) is converted; UTF-8 (a path) is kept as it is.
    testing::internal::CaptureStderr();
    ShowInformation("Class 51\xE9"
                    "83 has no rate\rfor this date");
    ShowError("Table /tmp/caf\xC3\xA9/WCPLAN.DBF not found", "Error");
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "Class 51\xC3\xA9"
              "83 has no rate\nfor this date\n"
              "Error: Table /tmp/caf\xC3\xA9/WCPLAN.DBF not found\n");
    EXPECT_TRUE(IsUtf8("plain, caf\xC3\xA9, \xE2\x82\xAC"));
    EXPECT_FALSE(IsUtf8("51\xE9"
                        "83"));
    EXPECT_FALSE(IsUtf8("\xC3")); // cut short
    EXPECT_FALSE(IsUtf8("\xC1\xA9")); // an overlong plain character
    EXPECT_EQ(ConsoleUtf8("\x80 5"), "\xE2\x82\xAC 5");
}
