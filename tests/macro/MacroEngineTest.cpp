// The script engine on scripts written for the tests: variables, blocks and loops, pauses on
// the event loop, prerequisites, cancelling, errors and the step log.

#include "MacroHarness.h"

#include "support/ScriptedPrompter.h"

#include <gtest/gtest.h>

#include <chrono>

namespace {

constexpr int Equals = 0;
constexpr int LessThan = 2;
constexpr int NotEqual = 5;
constexpr int IsBlank = 6;
constexpr int NotBlank = 7;

// A command that needs something before it runs: the probe's prerequisite test takes a few
// milliseconds on the loop and passes when the variable READY is "1". Stands for the web
// commands, which wait for page elements the same way.
constexpr int ProbeType = 900;

class TProbeCommand : public TMacroCommand
{
public:
    using TMacroCommand::TMacroCommand;
    int ObjectType() const override { return ProbeType; }
    std::string Caption() const override { return "Probe"; }
    bool HasPrerequisites() const override { return true; }
    void TestPrerequisites() override
    {
        ++tests;
        Macro().Loop().StartTimer(5, [this] {
            PrerequisiteTestRunning = false;
            PrerequisitesTested = true;
            PrerequisitesPassed = Macro().Variable("READY") == "1";
            Macro().Resume();
        });
    }
    int tests = 0;
};

class ProbeFactory : public TMacroCommandInterface
{
public:
    std::unique_ptr<TMacroCommand> Create(int objectType, TMacro &macro) override
    {
        if (objectType == ProbeType) {
            auto command = std::make_unique<TProbeCommand>(macro);
            command->SetDefaults();
            return command;
        }
        return TMacroCommandInterface::Create(objectType, macro);
    }
};

class ProbeExecutor : public TMacroInterface
{
public:
    bool Execute(TMacroCommand &command) override
    {
        if (command.CommandType == ProbeType) {
            command.Macro().SetVariable("PROBED", command.Macro().Variable("PROBED") + "P");
            return true;
        }
        return TMacroInterface::Execute(command);
    }
};

ScriptLine Probe()
{
    return {ProbeType, {}};
}

} // namespace

TEST(MacroSubstitution, ReferencesResolveThroughVariablesDataInAndTheDataDocument)
{
    MacroHarness h;
    h.variables = {"NAME=Acme", "BOTH=from variables", "NESTED=%NAME% Roofing"};
    h.dataIn = {"BOTH=from data in", "CITY=Boston", "EMPTY="};
    pugi::xml_document document;
    document.load_string("<Data><Zip>02134</Zip><City>Worcester</City></Data>");
    h.macro.DataDocument = &document;

    EXPECT_EQ(h.macro.Substitute("Company %NAME% Inc"), "Company Acme Inc");
    EXPECT_EQ(h.macro.Substitute("%BOTH%"), "from variables");
    EXPECT_EQ(h.macro.Substitute("%city%, %ZIP%"), "Boston, 02134");
    EXPECT_EQ(h.macro.Substitute("%NESTED%"), "Acme Roofing");
    EXPECT_EQ(h.macro.Substitute("[%EMPTY%]"), "[]");
    // An unknown reference empties the whole text, or gives "0" for a number.
    EXPECT_EQ(h.macro.Substitute("%UNKNOWN% and more text"), "");
    EXPECT_EQ(h.macro.Substitute("%UNKNOWN% and more text", true), "0");
    // Reserved references are kept for the table commands; a lone "%" is no reference.
    EXPECT_EQ(h.macro.Substitute("%ORIGIN%,%LAST%"), "!ORIGIN!,!LAST!");
    EXPECT_EQ(h.macro.Substitute("5% off"), "5% off");
    EXPECT_EQ(h.macro.Substitute("no references"), "no references");

    h.variables.push_back("SELF=x%SELF%");
    EXPECT_NO_THROW(h.macro.Substitute("%SELF%")) << "a value referring to itself must end";

    h.macro.Variables = nullptr;
    EXPECT_EQ(h.macro.Substitute("%CITY%"), "");
}

TEST(MacroVariables, SetVarAppliesItsOptionsAndSubstitutesTheName)
{
    MacroHarness h;
    h.dataIn = {"PHONE=(617) 555-1234", "EFF=07/01/2026", "WHICH=TARGET", "AMOUNT=$12,500.75"};
    h.Write({
        With(With(SetVar("COMPANY", "  Acme  Roofing  "), "Trim", "Yes"), "URLEncode", "Y"),
        With(SetVar("PH", "%PHONE%"), "MakePhoneParts", "yes"),
        With(SetVar("DATE", "%EFF%"), "MakeDateParts", "Yes"),
        With(SetVar("BLANKDATE", "00/00/0000"), "MakeDateParts", "Yes"),
        With(SetVar("PAYROLL", "%AMOUNT%"), "Numeric", "Yes"),
        With(SetVar("NONUMBER", "abc"), "Numeric", "Yes"),
        SetVar("%WHICH%_NAME", "set through a reference"),
        SetVar("LOST", "%NOT_THERE% and the rest"),
        SetVar("COUNT", "2"),
        AdjustVar("COUNT", "1.5"),
        AdjustVar("NEWCOUNT", "3"),
    });
    h.Run();

    const TNameValueList &v = h.variables;
    EXPECT_EQ(NameValue(v, "COMPANY"), "Acme++Roofing");
    EXPECT_EQ(NameValue(v, "PH"), "6175551234");
    EXPECT_EQ(NameValue(v, "PH_AREA"), "617");
    EXPECT_EQ(NameValue(v, "PH_PH3"), "555");
    EXPECT_EQ(NameValue(v, "PH_PH4"), "1234");
    EXPECT_EQ(NameValue(v, "DATE_MONTH"), "07");
    EXPECT_EQ(NameValue(v, "DATE_DAY"), "01");
    EXPECT_EQ(NameValue(v, "DATE_YEAR"), "2026");
    EXPECT_FALSE(HasName(v, "BLANKDATE_MONTH"));
    EXPECT_EQ(NameValue(v, "PAYROLL"), "12500.75");
    EXPECT_EQ(NameValue(v, "NONUMBER"), "0");
    EXPECT_EQ(NameValue(v, "TARGET_NAME"), "set through a reference");
    EXPECT_TRUE(HasName(v, "LOST"));
    EXPECT_EQ(NameValue(v, "LOST"), "");
    EXPECT_EQ(NameValue(v, "COUNT"), "3.5");
    EXPECT_EQ(NameValue(v, "NEWCOUNT"), "3");
    EXPECT_EQ(h.macro.State(), TMacro::msRunning);
    EXPECT_FALSE(h.macro.Failed());
}

TEST(MacroBlocks, NestedIfBlocksInsideAFalseIfAreSkippedAsAWhole)
{
    MacroHarness h;
    h.variables = {"TRACE=", "A=1", "B=2"};
    h.Write({
        If("A", Equals, "1"),
        Trace("a"),
        If("B", Equals, "9"),
        Trace("X"),
        If("A", Equals, "1"),
        Trace("Y"),
        EndIf(),
        Trace("Z"),
        EndIf(),
        Trace("b"),
        If("B", NotEqual, "9"),
        Trace("c"),
        EndIf(),
        EndIf(),
        Trace("d"),
        If("MISSING", IsBlank, ""),
        Trace("e"),
        EndIf(),
        If("A", NotBlank, ""),
        Trace("f"),
        EndIf(),
    });
    h.Run();
    EXPECT_EQ(NameValue(h.variables, "TRACE"), "abcdef");
    EXPECT_TRUE(h.Logged("0000: If A Equals 1 then..."));
}

TEST(MacroBlocks, TheWhileStackCarriesNestedAndConsecutiveLoops)
{
    MacroHarness h;
    h.variables = {"TRACE=", "I=0", "J=0", "K=0"};
    h.Write({
        While("I", LessThan, "3"),
        AdjustVar("I", "1"),
        SetVar("J", "0"),
        While("J", LessThan, "2"),
        AdjustVar("J", "1"),
        Trace("%I%%J%."),
        WhileEnd(),
        Trace("|"),
        WhileEnd(),
        // A loop whose condition is false from the start skips its body and its end.
        While("I", LessThan, "0"),
        Trace("never"),
        WhileEnd(),
        While("K", LessThan, "2"),
        AdjustVar("K", "1"),
        Trace("k"),
        WhileEnd(),
    });
    h.Run();
    EXPECT_EQ(NameValue(h.variables, "TRACE"), "11.12.|21.22.|31.32.|kk");
    EXPECT_EQ(h.macro.State(), TMacro::msRunning);
    EXPECT_TRUE(h.macro.WhileStack().empty());
    EXPECT_TRUE(h.Logged("RUN POSITION UPDATED TO: 0 FROM: Macro.DoPlay/REPOSITION"));
}

TEST(MacroBlocks, AWhileEndWithoutAnOpenWhileStopsWithTheGeneralError)
{
    ScriptedPrompter prompter;
    MacroHarness h;
    h.Write({Trace("a"), WhileEnd(), Trace("b")});
    h.Run();
    EXPECT_EQ(h.macro.State(), TMacro::msError);
    EXPECT_EQ(NameValue(h.variables, "TRACE"), "a");
    ASSERT_EQ(prompter.Texts().size(), 1U);
    EXPECT_EQ(prompter.Texts()[0], kMacroGeneralError);
    EXPECT_EQ(prompter.Entries()[0].kind, Prompter::Kind::Error);
    EXPECT_FALSE(h.macro.Playing());
}

TEST(MacroBlocks, ANumericComparisonOfTextStopsTheScript)
{
    ScriptedPrompter prompter;
    MacroHarness h;
    h.variables = {"TRACE=", "A=twelve"};
    h.Write({If("A", LessThan, "3"), Trace("x"), EndIf(), Trace("y")});
    h.Run();
    EXPECT_EQ(h.macro.State(), TMacro::msError);
    EXPECT_EQ(NameValue(h.variables, "TRACE"), "");
    EXPECT_EQ(prompter.Texts(), std::vector<std::string> {kMacroGeneralError});
}

TEST(MacroPause, ATimerFiresWhileTheScriptPauses)
{
    MacroHarness h;
    h.Write({Trace("before"), Pause("0.2"), Trace("after")});
    std::string seenDuringPause;
    bool playingDuringPause = false;
    h.loop.StartTimer(50, [&] {
        seenDuringPause = NameValue(h.variables, "TRACE");
        playingDuringPause = h.macro.Playing() && h.macro.PauseRequested();
    });
    const auto started = std::chrono::steady_clock::now();
    h.Run();
    const auto elapsed = std::chrono::steady_clock::now() - started;
    EXPECT_EQ(seenDuringPause, "before");
    EXPECT_TRUE(playingDuringPause);
    EXPECT_EQ(NameValue(h.variables, "TRACE"), "beforeafter");
    EXPECT_GE(elapsed, std::chrono::milliseconds(200));
    EXPECT_TRUE(h.Logged("MACRO PAUSE FROM TIMER"));
    EXPECT_EQ(h.loop.PendingTimers(), 0);
}

TEST(MacroPause, AResumeFromElsewhereEndsThePauseAndItsTimer)
{
    MacroHarness h;
    h.Write({Trace("a"), Pause("30"), Trace("b")});
    // Stands for a page that finished loading before the pause ran out.
    h.loop.StartTimer(20, [&] { h.macro.Resume(); });
    const auto started = std::chrono::steady_clock::now();
    h.Run();
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(10));
    EXPECT_EQ(NameValue(h.variables, "TRACE"), "ab");
    EXPECT_EQ(h.loop.PendingTimers(), 0);
}

TEST(MacroCancel, CancellingMidRunEndsItAtOnceAsAborted)
{
    MacroHarness h;
    h.Write({Trace("a"), Pause("5"), Trace("b")});
    h.loop.StartTimer(30, [&] { h.macro.Cancel(); });
    const auto started = std::chrono::steady_clock::now();
    h.Run();
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(2));
    EXPECT_EQ(h.macro.State(), TMacro::msCancelled);
    EXPECT_EQ(NameValue(h.variables, "TRACE"), "a");
    EXPECT_EQ(h.stopped, 1);
    EXPECT_FALSE(h.macro.Playing());
}

TEST(MacroCancel, ACallbackCancellingInsideTheLoopStopsBeforeTheNextCommand)
{
    MacroHarness h;
    h.Write({Trace("a"), Callback("STOP_HERE"), Trace("b")});
    h.macro.OnCallback = [](TMacro &macro, const std::string &, TNameValueList *,
                            TNameValueList *) { macro.Cancel(); };
    h.Run();
    EXPECT_EQ(h.macro.State(), TMacro::msCancelled);
    EXPECT_EQ(NameValue(h.variables, "TRACE"), "a");
    EXPECT_EQ(h.stopped, 1);
}

TEST(MacroPrerequisites, AFailedTestStopsTheScriptInStateOne)
{
    MacroHarness h(std::make_unique<ProbeFactory>(), std::make_unique<ProbeExecutor>());
    h.variables = {"TRACE=", "READY=0", "PROBED="};
    h.Write({Trace("a"), Probe(), Trace("b")});
    h.Run();
    EXPECT_EQ(h.macro.State(), TMacro::msPrerequisitesFailed);
    EXPECT_TRUE(h.macro.Failed());
    EXPECT_EQ(NameValue(h.variables, "TRACE"), "a");
    EXPECT_EQ(NameValue(h.variables, "PROBED"), "");
    std::vector<std::string> steps = h.LogFrom("0001: Probe");
    steps.resize(16);
    EXPECT_EQ(
        steps,
        (std::vector<std::string> {
            "0001: Probe", "  Command NOT Processed", "  Command has been requested to Excecute",
            "  Command has prerequistes", "  Test Prerequisites", "MACRO RESUME", "0001: Probe",
            "  Command NOT Processed", "  Command has been requested to Excecute",
            "  Command has prerequistes", "  Command requested have been tested",
            "  Command prerequisites Failed, pending override",
            "  Command prerequisites FAILED all attempts to Override", "MACRO FAIL", "MACRO STOP",
            "RUN POSITION UPDATED TO: 0 FROM: Macro.Reset"}));
}

TEST(MacroPrerequisites, OkToContinueSkipsTheCommandAndGoesOn)
{
    MacroHarness h(std::make_unique<ProbeFactory>(), std::make_unique<ProbeExecutor>());
    h.variables = {"TRACE=", "READY=0", "PROBED="};
    h.Write({Trace("a"), With(Probe(), "OKToContinue", "TRUE"), Trace("b")});
    h.Run();
    EXPECT_EQ(h.macro.State(), TMacro::msRunning);
    EXPECT_FALSE(h.macro.Failed());
    EXPECT_EQ(NameValue(h.variables, "TRACE"), "ab");
    EXPECT_EQ(NameValue(h.variables, "PROBED"), "");
    EXPECT_TRUE(h.Logged("  Command prerequisites OVERRIDED by OKToFail setting"));
}

TEST(MacroPrerequisites, TheFailedEventMayOverrideAndPassedTestsExecute)
{
    MacroHarness h(std::make_unique<ProbeFactory>(), std::make_unique<ProbeExecutor>());
    h.variables = {"TRACE=", "READY=0", "PROBED="};
    int asked = 0;
    h.macro.OnPrerequisiteFailed = [&](TMacro &, TMacroCommand &, bool &fail) {
        ++asked;
        fail = false;
    };
    h.Write({Probe(), SetVar("READY", "1"), Probe(), Trace("end")});
    h.Run();
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(NameValue(h.variables, "PROBED"), "P");
    EXPECT_EQ(NameValue(h.variables, "TRACE"), "end");
    EXPECT_TRUE(h.Logged("  Command prerequisites OVERRIDED by OnPreRequisiteFailed method"));
}

TEST(MacroPrerequisites, ALoopTestsItsCommandsAgainOnEveryRound)
{
    MacroHarness h(std::make_unique<ProbeFactory>(), std::make_unique<ProbeExecutor>());
    h.variables = {"TRACE=", "READY=1", "PROBED=", "I=0"};
    h.Write({While("I", LessThan, "3"), AdjustVar("I", "1"), Probe(), WhileEnd()});
    int tests = 0;
    h.macro.OnStep = [&](TMacro &, TMacroCommand &command, bool &, int, int) {
        if (auto *probe = dynamic_cast<TProbeCommand *>(&command); probe != nullptr) {
            tests = probe->tests;
        }
    };
    h.Run();
    EXPECT_EQ(NameValue(h.variables, "PROBED"), "PPP");
    EXPECT_EQ(tests, 3);
}

TEST(MacroCommands, ErrorAndDialogCommandsShowTheirSubstitutedText)
{
    ScriptedPrompter prompter;
    MacroHarness h;
    h.variables = {"TRACE=", "WHO=Acme"};
    h.Write(
        {Dialog("Hello %WHO%"), Dialog(""), ErrorLine("Cannot log in for %WHO%"), Trace("after")});
    h.Run();
    ASSERT_EQ(prompter.Entries().size(), 2U);
    EXPECT_EQ(prompter.Entries()[0].text, "Hello Acme");
    EXPECT_EQ(prompter.Entries()[0].kind, Prompter::Kind::Information);
    EXPECT_EQ(prompter.Entries()[1].text, "Cannot log in for Acme");
    EXPECT_EQ(prompter.Entries()[1].kind, Prompter::Kind::Error);
    EXPECT_EQ(h.macro.State(), TMacro::msError);
    EXPECT_EQ(NameValue(h.variables, "TRACE"), "");
}

TEST(MacroCommands, CallbacksSeeTheListsAndAnswerThroughTheDataIn)
{
    MacroHarness h;
    h.Write({Callback("GET_COUNT"), SetVar("GOT", "%COUNT%")});
    std::string identifier;
    h.macro.OnCallback = [&](TMacro &, const std::string &id, TNameValueList *variables,
                             TNameValueList *dataIn) {
        identifier = id;
        EXPECT_EQ(variables, &h.variables);
        SetNameValue(*dataIn, "COUNT", "3");
    };
    h.Run();
    EXPECT_EQ(identifier, "GET_COUNT");
    EXPECT_EQ(NameValue(h.variables, "GOT"), "3");
}

TEST(MacroCommands, AnUnknownObjectTypeIsLeftOutAndAnUnknownCommandTypeFails)
{
    MacroHarness h;
    h.Write(
        {Trace("a"), {777, {}}, Trace("b"), With(Trace("c"), "CommandType", "555"), Trace("d")});
    h.Run();
    EXPECT_TRUE(h.Logged("MACRO DoLoadCommands - unknown object type 777 left out"));
    EXPECT_EQ(NameValue(h.variables, "TRACE"), "ab");
    EXPECT_TRUE(h.macro.Failed());
    EXPECT_TRUE(h.Logged("  Command execute FAILED"));
}

TEST(MacroCommands, DisabledCommandsAreLoggedAndPassedOver)
{
    MacroHarness h;
    h.Write({With(Trace("x"), "Enabled", "FALSE"), Trace("y")});
    h.Run();
    EXPECT_EQ(NameValue(h.variables, "TRACE"), "y");
    EXPECT_TRUE(h.Logged("  Command NOT enabled"));
}

TEST(MacroCommands, ShowEachStepTellsEveryStepBeforeItRuns)
{
    ScriptedPrompter prompter;
    MacroHarness h;
    h.macro.ShowEachStep = true;
    h.Write({SetVar("A", "1"), Pause("0")});
    h.Run();
    EXPECT_EQ(prompter.Texts(),
              (std::vector<std::string> {"Just completed Step 0\r\rSet Variable\r\r1",
                                         "Just completed Step 1\r\rPause\r\r0"}));
}

TEST(MacroLoading, AMissingScriptIsLoggedAndNothingRuns)
{
    MacroHarness h;
    h.macro.ScriptFileName = "absent.xml";
    h.Run();
    EXPECT_TRUE(h.Logged("MACRO DoLoadCommands requested for absent.xml"));
    EXPECT_TRUE(h.Logged("MACRO DoLoadCommands FAILED.  File not found"));
    EXPECT_TRUE(h.macro.Commands().empty());
    EXPECT_EQ(h.stopped, 1);
    EXPECT_FALSE(h.macro.Playing());
    EXPECT_EQ(NameValue(h.variables, "TRACE"), "");
}

TEST(MacroLoading, AMalformedScriptIsLoggedAndNothingRuns)
{
    MacroHarness h;
    std::string xml = ScriptXml({Trace("a"), Trace("b")});
    xml.insert(xml.find("</Commands>"), "<Command><ObjectType>209</Command>");
    h.folder.WriteFile("test.xml", xml);
    h.Run();
    const auto failed = h.LogFrom("MACRO DoLoadCommands FAILED.  The script is not readable XML");
    ASSERT_FALSE(failed.empty());
    EXPECT_NE(failed[0].find(" at byte "), std::string::npos);
    EXPECT_TRUE(h.macro.Commands().empty());
    EXPECT_EQ(NameValue(h.variables, "TRACE"), "");

    h.log.clear();
    h.folder.WriteFile("test.xml", "<Script><Commands/></Script>");
    h.Run();
    EXPECT_TRUE(h.Logged("MACRO DoLoadCommands FAILED.  The script's root element is not Macro"));
}

TEST(MacroLoading, IncludedScriptsFollowTheirIncludeAndALoopOfIncludesLoadsNothing)
{
    MacroHarness h;
    h.folder.WriteFile("Sites/part.xml", ScriptXml({Trace("i1"), Trace("i2")}));
    h.Write({Trace("a"), {213, {{"FileName", "Sites\\part.xml"}}}, Trace("b")});
    h.Run();
    EXPECT_EQ(NameValue(h.variables, "TRACE"), "ai1i2b");

    h.folder.WriteFile("loop.xml", ScriptXml({Trace("x"), {213, {{"FileName", "test.xml"}}}}));
    h.Write({Trace("a"), {213, {{"FileName", "loop.xml"}}}});
    SetNameValue(h.variables, "TRACE", "");
    h.Run();
    EXPECT_EQ(NameValue(h.variables, "TRACE"), "");
    EXPECT_TRUE(h.Logged("MACRO DoLoadCommands FAILED.  Scripts include each other without end"));
}

TEST(MacroLoading, AScriptIsReadInWindows1252AndSavedBackTheSame)
{
    MacroHarness h;
    h.folder.WriteFile("test.xml", ScriptXml({SetVar("NAME", "Caf\xE9 \x80 5")}));
    h.Run();
    EXPECT_EQ(NameValue(h.variables, "NAME"), "Caf\xE9 \x80 5");
    h.macro.LoadCommands("test.xml", false);
    h.macro.SaveCommands(h.folder.File("saved.xml"));
    const std::string saved = h.folder.ReadFile("saved.xml");
    EXPECT_NE(saved.find("encoding=\"windows-1252\""), std::string::npos);
    EXPECT_NE(saved.find("Caf\xE9 \x80 5"), std::string::npos);
}
