// The web commands over an in-memory page: the element search, typing and picking, the waits
// for what a command needs, the start address, forms in frames and page loads that end pauses.

#include "FakePage.h"
#include "ScriptText.h"

#include "core/EventLoop.h"
#include "core/NameValues.h"
#include "macro/WebMacro.h"

#include "support/ScratchFolder.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

struct WebRun
{
    WebRun() : macro(loop)
    {
        macro.ScriptFolder = folder.Path();
        macro.ScriptFileName = "web.xml";
        macro.Variables = &variables;
        macro.DataIn = &dataIn;
        macro.SetBrowser(&browser);
        macro.OnLog = [this](TMacro &, const std::string &line) { log.push_back(line); };
    }

    void Run(const std::vector<ScriptLine> &lines, const std::string &rootSettings = {})
    {
        folder.WriteFile("web.xml", ScriptXml(lines, rootSettings));
        macro.Play();
    }

    // The journal of the top page from the first entry that starts with `prefix` on.
    std::vector<std::string> JournalFrom(const std::string &prefix) const
    {
        const auto &journal = browser.page->journal;
        const auto first =
            std::find_if(journal.begin(), journal.end(),
                         [&](const std::string &entry) { return entry.rfind(prefix, 0) == 0; });
        return {first, journal.end()};
    }

    bool Logged(const std::string &line) const
    {
        return std::find(log.begin(), log.end(), line) != log.end();
    }

    ScratchFolder folder;
    TimerEventLoop loop;
    FakeBrowser browser;
    TWebMacro macro;
    TNameValueList variables {"TRACE="};
    TNameValueList dataIn;
    std::vector<std::string> log;
};

class Answers : public TMacroDialogs
{
public:
    int PickFromList(const std::string &, const std::string &,
                     const std::vector<std::string> &) override
    {
        return -1;
    }
    void ShowVariables(TMacro &) override { }
    bool AskValue(const std::string &, const std::string &prompt, bool, std::string &value) override
    {
        asked.push_back(prompt);
        value = answer;
        return !answer.empty();
    }
    std::string answer;
    std::vector<std::string> asked;
};

} // namespace

TEST(WebMacroFiles, EveryWebCommandClassIsMadeByTheFactoryAndSavedInTheSameForm)
{
    WebRun run;
    const std::vector<ScriptLine> lines = {
        {1, {}},
        {200, {{"CommandType", "200"}, {"FrameIndex", "2"}, {"OtherInfo", "kept"}}},
        With(With(Element(201, "txtFEIN", "04-1234567"), "Length", "10"), "CustomAfterEvents",
             "onchange"),
        With(Element(201, "lnkSOAR"), "Src", "/red.png"),
        With(With(Scrape(2, "RATE", "code", "!LAST!", "3"), "Formatting", "MID START=1 LENGTH=2"),
             "WaitTimeOverride", "50"),
        {203, {{"CommandType", "203"}}},
        {204, {{"CommandType", "204"}, {"FrameName", "frmMain"}}},
        {211, {{"CommandType", "211"}, {"Address", "http://127.0.0.1:1/soar/login"}}},
        {212, {{"CommandType", "212"}, {"FormName", "frmLogin"}}},
        {219, {{"CommandType", "219"}}}};
    run.folder.WriteFile("web.xml",
                         ScriptXml(lines,
                                   "<UseCurrentURL>FALSE</UseCurrentURL>"
                                   "<StartURL>http://127.0.0.1:1/</StartURL>"));
    ASSERT_TRUE(run.macro.LoadCommands("web.xml", false));
    const auto &commands = run.macro.Commands();
    ASSERT_EQ(commands.size(), lines.size());
    EXPECT_EQ(typeid(*commands[0]), typeid(TMacroCommand));
    EXPECT_EQ(typeid(*commands[1]), typeid(TWebMacroCommand));
    EXPECT_EQ(typeid(*commands[2]), typeid(TWebElementMacroCommand));
    EXPECT_EQ(typeid(*commands[4]), typeid(TWebScrapeCommand));
    EXPECT_EQ(typeid(*commands[5]), typeid(TWebIgnorePageMacroCommand));
    EXPECT_EQ(typeid(*commands[6]), typeid(TWebRestartOnFrameMacroCommand));
    EXPECT_EQ(typeid(*commands[7]), typeid(TWebNavigateToURLCommand));
    EXPECT_EQ(typeid(*commands[8]), typeid(TWebSubmitFormCommand));
    EXPECT_EQ(typeid(*commands[9]), typeid(TWebCheckAllFramesFinishedMacroCommand));
    const auto &field = dynamic_cast<const TWebElementMacroCommand &>(*commands[2]);
    EXPECT_EQ(field.Length, 10);
    EXPECT_EQ(field.AfterEvents(), std::vector<std::string> {"onchange"});
    EXPECT_EQ(field.BeforeEvents(), std::vector<std::string> {"onfocus"});
    EXPECT_EQ(dynamic_cast<const TWebScrapeCommand &>(*commands[4]).CheckLimit(), 50);
    EXPECT_FALSE(run.macro.UseCurrentURL);
    EXPECT_EQ(run.macro.StartURL, "http://127.0.0.1:1/");

    run.macro.SaveCommands(run.folder.File("saved.xml"));
    WebRun again;
    again.folder.WriteFile("web.xml", run.folder.ReadFile("saved.xml"));
    ASSERT_TRUE(again.macro.LoadCommands("web.xml", false));
    again.macro.SaveCommands(again.folder.File("saved.xml"));
    const std::string saved = run.folder.ReadFile("saved.xml");
    EXPECT_EQ(again.folder.ReadFile("saved.xml"), saved);
    EXPECT_NE(saved.find("<UserAction>Element_Clicked</UserAction>"), std::string::npos);
    EXPECT_NE(saved.find("<StartURL>http://127.0.0.1:1/</StartURL>"), std::string::npos);
    EXPECT_NE(saved.find("<FrameName>frmMain</FrameName>"), std::string::npos);
    EXPECT_NE(saved.find("<OtherInfo>kept</OtherInfo>"), std::string::npos);
}

TEST(WebSearch, CriteriaAreTrimmedUpperCasedAndAnAbsentAttributeCountsAsEmpty)
{
    WebRun run;
    FakeNode &body = *run.browser.page->root;
    body.Add("input", {"type=text", "id=txtFEIN", "name=txtFEIN"});
    body.Add("input", {"type=text", "id=txtNote"});
    body.Add("select", {"id=selLegal", "name=selLegal"});
    body.Add("input", {"type=submit", "id=btnA", "name=btnA", "value=Save"});
    body.Add("input", {"type=submit", "id=btnB", "name=btnB", "value=Next"});
    auto frame = std::make_shared<FakeDocument>();
    frame->address = "http://127.0.0.1:1/main";
    frame->root->Add("input", {"type=text", "id=txtClassCode_2", "name=txtClassCode_2"});
    run.browser.page->frames.push_back({"frmMain", frame});
    run.variables.push_back("ROW=2");

    TWebElementMacroCommand command(run.macro);
    command.SetDefaults();
    command.Tagname = "input";
    command.ElementType = " text ";
    command.ElementID = " txtfein";
    command.Name = "TXTFEIN ";
    auto found = command.FindElement(run.browser);
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->Attribute("id"), "txtFEIN");
    EXPECT_EQ(run.browser.page->journal.back(), "txtFEIN focus") << "a text field gets the focus";

    command.ElementID = "txtNote";
    command.Name = "txtNote";
    EXPECT_EQ(command.FindElement(run.browser), nullptr) << "a name criterion needs a name";
    command.Name.clear();
    ASSERT_NE(command.FindElement(run.browser), nullptr) << "no name matches an empty criterion";

    command.Tagname = "SELECT";
    command.ElementType = "select-one";
    command.ElementID = command.Name = "selLegal";
    ASSERT_NE(command.FindElement(run.browser), nullptr);

    command.Tagname = "INPUT";
    command.ElementType = "SUBMIT";
    command.ElementID = command.Name = "";
    command.Value = " next";
    found = command.FindElement(run.browser);
    ASSERT_NE(found, nullptr) << "a submit button is found by its caption";
    EXPECT_EQ(found->Attribute("id"), "btnB");

    command.ElementType = "TEXT";
    command.ElementID = command.Name = "txtClassCode_%ROW%";
    found = command.FindElement(run.browser);
    ASSERT_NE(found, nullptr) << "ids are substituted and frames are searched after the top";
    EXPECT_EQ(frame->journal, std::vector<std::string> {"txtClassCode_2 focus"});

    run.browser.html = false;
    try {
        command.FindElement(run.browser);
        FAIL() << "a page without an HTML document raises";
    } catch (const std::runtime_error &error) {
        EXPECT_STREQ(error.what(),
                     "Couldn't convert the FInternetExplorer.Document to an IHTMLDocument2");
    }
}

TEST(WebSetValue, TextIsPaddedAndTypedWithItsEventsAndListsArePickedWithoutPunctuation)
{
    WebRun run;
    FakeNode &body = *run.browser.page->root;
    body.Add("input", {"type=text", "id=keyed", "name=keyed"});
    body.Add("input", {"type=text", "id=cut", "name=cut"});
    FakeNode &legal = body.Add("select", {"id=legal", "name=legal"});
    legal.options = {{"", true}, {"Corp.", false}, {"L.L.C.", false}};
    body.Add("input", {"type=text", "id=phone", "name=phone"});
    body.Add("textarea", {"id=ops", "name=ops"});
    run.dataIn = {"PHONE=(617) 555-0142"};
    run.Run({With(With(Element(200, "keyed", "ab"), "Length", "3"), "CallOnKeyPress", "TRUE"),
             With(Element(200, "cut", "abcdef"), "Length", "4"),
             With(With(Element(200, "legal", "llc"), "CustomBeforeEvents", "onmouseover, onfocus"),
                  "CallOnBlur", "FALSE"),
             With(Element(200, "phone", " "), "ExternalDataID", "PHONE"),
             With(Element(200, "ops", "roofing, siding"), "Length", "4")});
    EXPECT_FALSE(run.macro.Failed());
    EXPECT_EQ(
        run.JournalFrom("keyed"),
        (std::vector<std::string> {"keyed focus",      "keyed onfocus",     "keyed =",
                                   "keyed =a",         "keyed onkeypress",  "keyed =ab",
                                   "keyed onkeypress", "keyed =ab ",        "keyed onkeypress",
                                   "keyed onchange",   "keyed onclick",     "keyed onblur",
                                   "cut focus",        "cut onfocus",       "cut =abcd",
                                   "cut onchange",     "cut onclick",       "cut onblur",
                                   "legal focus",      "legal onmouseover", "legal onfocus",
                                   "legal #2",         "legal onchange",    "legal onclick",
                                   "phone focus",      "phone onfocus",     "phone =(617) 555-0142",
                                   "phone onchange",   "phone onclick",     "phone onblur",
                                   "ops focus",        "ops onfocus",       "ops =roofing, siding",
                                   "ops onchange",     "ops onclick",       "ops onblur"}))
        << "a text area keeps its whole text";
    EXPECT_EQ(legal.value, "L.L.C.");
}

TEST(WebSetValue, AMissingValueIsAskedOnceUnlessSkippedAndACancelFailsTheRun)
{
    WebRun run;
    Answers answers;
    run.macro.Dialogs = &answers;
    answers.answer = "04-3141592";
    std::vector<std::string> entered;
    run.macro.OnDataEntered = [&](TWebMacro &, TMacroCommand &command, const std::string &value) {
        entered.push_back(command.ExternalData.ID + "=" + value);
    };
    run.browser.page->root->Add("input", {"type=text", "id=fein", "name=fein"});
    const ScriptLine fein = With(With(Element(200, "fein", " "), "ExternalDataID", "WC_TAX_ID"),
                                 "ExternalDataDescription", "Employer's FEIN");
    run.Run({fein, Trace("after")});
    EXPECT_EQ(answers.asked, std::vector<std::string> {"Employer's FEIN"});
    EXPECT_EQ(entered, std::vector<std::string> {"WC_TAX_ID=04-3141592"});
    EXPECT_EQ(run.JournalFrom("fein =04").front(), "fein =04-3141592");
    EXPECT_EQ(NameValue(run.variables, "TRACE"), "after");

    run.macro.SkippedIDs = {"wc_tax_id"};
    run.variables = {"TRACE="};
    run.Run({fein, Trace("skipped")});
    EXPECT_EQ(answers.asked.size(), 1U) << "a skipped value is not asked for";
    EXPECT_EQ(NameValue(run.variables, "TRACE"), "skipped");

    run.macro.SkippedIDs.clear();
    answers.answer.clear();
    run.variables = {"TRACE="};
    run.Run({fein, Trace("not reached")});
    EXPECT_TRUE(run.macro.Failed());
    EXPECT_EQ(NameValue(run.variables, "TRACE"), "");
    EXPECT_TRUE(run.Logged("  Information Required for WC_TAX_ID was cancelled"));
}

TEST(WebWait, NothingCountsWhileAPageLoadsAndAnElementThatNeverComesFailsOrIsOverridden)
{
    WebRun run;
    // The old page holds the same field; the new one comes later, while loading.
    run.browser.page->root->Add("input", {"type=text", "id=field", "name=field"});
    const auto oldPage = run.browser.page;
    run.browser.readyState = 1;
    auto newPage = std::make_shared<FakeDocument>();
    newPage->root->Add("input", {"type=text", "id=field", "name=field"});
    run.loop.StartTimer(60, [&] {
        run.browser.page = newPage;
        run.browser.readyState = TWebBrowser::ReadyStateComplete;
    });
    run.Run({Element(200, "field", "typed"), Trace("typed")});
    EXPECT_FALSE(run.macro.Failed());
    EXPECT_EQ(NameValue(run.variables, "TRACE"), "typed");
    EXPECT_TRUE(oldPage->journal.empty()) << "the page on its way out was not touched";
    EXPECT_NE(std::find(newPage->journal.begin(), newPage->journal.end(), "field =typed"),
              newPage->journal.end());
    EXPECT_EQ(run.macro.RunningSeeks(), 0);

    run.variables = {"TRACE="};
    run.Run({With(Scrape(0, "X", "never", "there"), "WaitTimeOverride", "3"), Trace("after")});
    EXPECT_EQ(run.macro.State(), TMacro::msPrerequisitesFailed);
    EXPECT_EQ(NameValue(run.variables, "TRACE"), "");
    EXPECT_TRUE(run.Logged("  Command prerequisites FAILED all attempts to Override"));

    run.variables = {"TRACE="};
    run.Run({With(With(Scrape(0, "X", "never", "there"), "WaitTimeOverride", "3"), "OKToContinue",
                  "TRUE"),
             Trace("after")});
    EXPECT_FALSE(run.macro.Failed());
    EXPECT_EQ(NameValue(run.variables, "TRACE"), "after");
    EXPECT_FALSE(HasName(run.variables, "X")) << "a skipped scrape stores nothing";
}

TEST(WebRun, TheStartAddressIsVisitedOncePerRunAndFormsAreSubmittedInFrames)
{
    WebRun run;
    run.browser.page->root->Add("form", {"name=other"});
    auto frame = std::make_shared<FakeDocument>();
    frame->root->Add("form", {"id=frmLogin", "name=frmLogin"});
    run.browser.page->frames.push_back({"frmMain", frame});
    const std::string settings =
        "<UseCurrentURL>FALSE</UseCurrentURL><StartURL>http://127.0.0.1:1/</StartURL>";
    const std::vector<ScriptLine> lines = {
        {212, {{"CommandType", "212"}, {"FormName", " FRMLOGIN"}}},
        {211, {{"CommandType", "211"}, {"Address", "http://127.0.0.1:1/soar/home"}}},
        {219, {{"CommandType", "219"}}},
        {200, {{"CommandType", "225"}}},
        Trace("end")};
    run.Run(lines, settings);
    EXPECT_FALSE(run.macro.Failed());
    EXPECT_EQ(run.browser.navigated,
              (std::vector<std::string> {"http://127.0.0.1:1/", "http://127.0.0.1:1/soar/home"}));
    EXPECT_EQ(frame->journal, std::vector<std::string> {"frmLogin submit"});
    EXPECT_EQ(NameValue(run.variables, "TRACE"), "end") << "an unknown web command type succeeds";

    run.Run(lines, settings);
    EXPECT_EQ(run.browser.navigated.size(), 4U) << "each run starts at the start address again";
    EXPECT_EQ(run.browser.navigated[2], "http://127.0.0.1:1/");

    run.browser.navigated.clear();
    run.Run(lines);
    EXPECT_EQ(run.browser.navigated, std::vector<std::string> {"http://127.0.0.1:1/soar/home"})
        << "the current page is used as it is";
}

TEST(WebPageLoads, APageLoadEndsAPauseAndAFrameOnlyTheRestartThatWaitsForIt)
{
    WebRun run;
    auto frame = std::make_shared<FakeDocument>();
    frame->address = "http://127.0.0.1:1/oar/app/7/general";
    run.browser.page->frames.push_back({"frmMain", frame});
    bool pausedAfterOtherFrame = false;
    bool endedByTheFrame = false;
    run.loop.StartTimer(20, [&] {
        run.macro.DocumentComplete(false, "http://127.0.0.1:1/menu");
        pausedAfterOtherFrame = run.macro.Playing() && run.macro.PauseRequested();
        run.macro.DocumentComplete(false, frame->address);
        endedByTheFrame = !run.macro.Playing();
    });
    run.Run({Pause("30"),
             {204, {{"CommandType", "204"}, {"FrameName", " FRMMAIN "}}},
             Trace("framed")});
    EXPECT_TRUE(pausedAfterOtherFrame);
    EXPECT_TRUE(endedByTheFrame);
    EXPECT_EQ(NameValue(run.variables, "TRACE"), "framed");

    run.variables = {"TRACE="};
    bool endedByTheTop = false;
    run.loop.StartTimer(20, [&] {
        run.macro.DocumentComplete(true, "http://127.0.0.1:1/soar/home");
        endedByTheTop = !run.macro.Playing();
    });
    run.Run({Pause("30"), Trace("loaded")});
    EXPECT_TRUE(endedByTheTop);
    EXPECT_EQ(NameValue(run.variables, "TRACE"), "loaded");
}
