// The web commands on the real browser engine against pages served on 127.0.0.1.

#include "WebHarness.h"

#include "support/ScriptedPrompter.h"

#include <QJsonObject>
#include <QUrl>

#include <gtest/gtest.h>

#include <chrono>

namespace {

// Page scripts count the events a field sees in its data-events attribute.
const char *const kCounter = "<script>function seen(el, name) { el.setAttribute('data-events', "
                             "(el.getAttribute('data-events') || '') + name + ','); }</script>";

std::string Counted(const std::string &tag, const std::string &id, const std::string &inner = {})
{
    const std::string handlers = " onfocus=\"seen(this,'focus')\" onkeypress=\"seen(this,'key')\""
                                 " onchange=\"seen(this,'change')\" onclick=\"seen(this,'click')\""
                                 " onblur=\"seen(this,'blur')\"";
    if (tag == "input") {
        return "<input type=\"text\" id=\"" + id + "\" name=\"" + id + "\"" + handlers + ">";
    }
    return "<" + tag + " id=\"" + id + "\" name=\"" + id + "\"" + handlers + ">" + inner + "</" +
        tag + ">";
}

class FakeDialogs : public TMacroDialogs
{
public:
    int PickFromList(const std::string &, const std::string &,
                     const std::vector<std::string> &items) override
    {
        offered = items;
        return pick;
    }
    void ShowVariables(TMacro &) override { }
    bool AskValue(const std::string &caption, const std::string &prompt, bool password,
                  std::string &value) override
    {
        asked.push_back(caption + "|" + prompt + (password ? "|password" : ""));
        if (answer.empty()) {
            return false;
        }
        value = answer;
        return true;
    }
    int pick = 0;
    std::string answer;
    std::vector<std::string> offered;
    std::vector<std::string> asked;
};

} // namespace

TEST(WebCommands, FieldsAreTypedListsPickedAndButtonsClicked)
{
    WebHarness h;
    h.dataIn = {"NOTE=first line"};
    const std::string page = WebHarness::Page(
        "fields",
        std::string(kCounter) + Counted("input", "padded") + Counted("input", "keyed") +
            Counted("select", "legal",
                    "<option></option><option>Corp.</option><option>L.L.C.</option>") +
            Counted("select", "state", "<option>CT</option><option>MA</option>") +
            Counted("textarea", "note") +
            "<input type=\"button\" id=\"go\" name=\"go\" value=\"Go\" "
            "onclick=\"document.getElementById('out').textContent = 'clicked'\">"
            "<span id=\"out\"></span>");
    h.Run({With(Element(200, "padded", "abc"), "Length", "5"),
           With(With(Element(200, "keyed", "abcdefg"), "Length", "5"), "CallOnKeyPress", "TRUE"),
           Element(200, "legal", "llc"), Element(201, "state", "ma"),
           With(With(Element(200, "note", " "), "ExternalDataID", "NOTE"), "CustomAfterEvents",
                "onchange"),
           Element(201, "go")},
          page);
    EXPECT_EQ(h.macro.State(), TMacro::msRunning);
    EXPECT_FALSE(h.macro.Failed());
    EXPECT_EQ(h.Eval("document.getElementById('padded').value").toString(), "abc  ");
    EXPECT_EQ(h.Eval("document.getElementById('padded').dataset.events").toString().toStdString(),
              "focus,change,click,blur,")
        << "one assignment, no key presses";
    EXPECT_EQ(h.Eval("document.getElementById('keyed').value").toString(), "abcde");
    EXPECT_EQ(h.Eval("document.getElementById('keyed').dataset.events").toString().toStdString(),
              "focus,key,key,key,key,key,change,click,blur,");
    EXPECT_EQ(h.Eval("document.getElementById('legal').selectedIndex").toInt(), 2);
    EXPECT_EQ(h.Eval("document.getElementById('state').value").toString(), "MA");
    EXPECT_EQ(h.Eval("document.getElementById('note').value").toString(), "first line");
    EXPECT_EQ(h.Eval("document.getElementById('note').dataset.events").toString().toStdString(),
              "focus,change,")
        << "custom after events replace the three";
    EXPECT_EQ(h.Eval("document.getElementById('out').textContent").toString(), "clicked");
}

TEST(WebCommands, ElementsAreFoundByTheirCriteriaAndInsideFrames)
{
    WebHarness h;
    WebHarness::Page("left", "<a id=\"menu\" name=\"menu\" href=\"#\">Menu</a>");
    WebHarness::Page("right", "<input type=\"text\" id=\"deep\" name=\"deep\" value=\"in frame\">");
    Site().SetPage("frameset",
                   "<html><frameset cols=\"50%,50%\"><frame name=\"frmLeft\" "
                   "src=\"/_test/page/left\"><frame name=\"frmRight\" "
                   "src=\"/_test/page/right\"></frameset></html>");
    const std::string page =
        WebHarness::Page("criteria",
                         "<form><input type=\"submit\" id=\"s1\" name=\"s1\" value=\"Save\">"
                         "<input type=\"submit\" id=\"s2\" name=\"s2\" value=\"Next\">"
                         "<input type=\"image\" id=\"img\" name=\"img\" src=\"/go.png\"></form>"
                         "<a href=\"#\">Find <b>me</b></a>"
                         "<a href=\"#x\"><img id=\"pic\" name=\"pic\" src=\"/p.png\"></a>");
    // A run that only waits for the page to be there.
    h.Run({Scrape(3, "LOADED", "find")}, page);
    ASSERT_EQ(h.Var("LOADED"), "1");

    TWebElementMacroCommand command(h.macro);
    command.SetDefaults();
    command.Tagname = "INPUT";
    command.ElementType = "SUBMIT";
    command.Value = "next";
    auto found = command.FindElement(h.browser);
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->Attribute("id"), "s2") << "a submit button is found by its caption";

    command.ElementType = "IMAGE";
    command.ElementID = command.Name = "img";
    command.Src = "/go.png";
    found = command.FindElement(h.browser);
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->Attribute("name"), "img");

    command.SetDefaults();
    command.Tagname = "A";
    command.Value = "find <b>me</b>";
    found = command.FindElement(h.browser);
    ASSERT_NE(found, nullptr) << "a link without a name is found by its inner HTML";
    EXPECT_EQ(found->InnerText(), "Find me");

    command.Value = "IMG";
    command.ElementID = command.Name = "pic";
    found = command.FindElement(h.browser);
    ASSERT_NE(found, nullptr) << "a link is found by the image inside it";
    EXPECT_EQ(found->Attribute("href"), "#x");

    command.SetDefaults();
    command.ElementID = command.Name = "nowhere";
    EXPECT_EQ(command.FindElement(h.browser), nullptr);

    WebHarness framed;
    framed.Run({Element(200, "deep", "typed in the frame")}, "frameset");
    EXPECT_FALSE(framed.macro.Failed());
    EXPECT_EQ(framed.Eval("frames[1].document.getElementById('deep').value").toString(),
              "typed in the frame");
}

TEST(WebScrape, EveryKindOfScrapeReadsThePage)
{
    WebHarness h;
    FakeDialogs dialogs;
    dialogs.pick = 1;
    h.macro.Dialogs = &dialogs;
    const std::string page = WebHarness::Page(
        "tables",
        "<p>Premium Total: $1,234 due</p><p>Status:<br>In Progress</p>"
        "<table><tr><td>Code</td><td>Payroll</td><td>Rate</td></tr>"
        "<tr><td>8810</td><td>50,000</td><td>0.09</td></tr>"
        "<tr><td>5403</td><td></td><td>6.50</td></tr>"
        "<tr><td>7380</td><td>30,000</td><td>3.55</td></tr></table>"
        "<table><tr><td>Notes</td><td>first<br>second<br><br>fourth</td></tr></table>"
        "<input type=\"text\" id=\"fein\" name=\"fein\" value=\"04-1234567\" title=\"FEIN\">");
    h.Run({Scrape(0, "TOTAL", "premium total:", "due"),
           Scrape(0, "STATUS", "status:%CRLF%", "%CRLF%"),
           Scrape(1, "ROWS", "code", "2", "1", "1,2"),
           With(Scrape(1, "BLANKS", "code", "3", "1,1"), "Formatting", "NO_BLANKS"),
           With(Scrape(1, "ALL", "code"), "Formatting", "TABLE_IN_ONE_VAR OUTPUT_INDEX=5"),
           Scrape(2, "LAST_RATE", "code", "!LAST!", "3"),
           Scrape(2, "BEFORE_LAST", "code", "!LAST!,-1", "1"),
           Scrape(2, "FROM_ORIGIN", "5403", "!ORIGIN!,1", "!ORIGIN!,2"),
           Scrape(2, "OUTSIDE", "code", "9", "1"),
           Scrape(3, "HAS_TOTAL", "premium total"),
           With(Scrape(3, "NOT_THERE", "returned"), "BooleanCondition", "1"),
           Scrape(4, "NOTES_TABLE", "notes"),
           Scrape(5, "FEIN", "fein"),
           Scrape(5, "FEIN_TITLE", "fein", "title"),
           Scrape(5, "MISSING", "nothing", "value", "", "absent"),
           Scrape(5, "FIRST_TABLE_ID", "TABLE", "id", "T", "no id"),
           Scrape(6, "NOTE", "notes", "1", "2", "2"),
           With(Scrape(0, "MIDDLE", "premium total:", "due"), "Formatting", "MID START=2 LENGTH=3"),
           With(Scrape(3, "CSV", "premium"), "Formatting", "CSV 1=1"),
           Scrape(7, "PICKED", "code", "2")},
          page);
    EXPECT_FALSE(h.macro.Failed());
    EXPECT_EQ(h.Var("TOTAL"), "$1,234");
    EXPECT_EQ(h.Var("STATUS"), "IN PROGRESS");
    EXPECT_EQ(h.Var("ROWS_Count"), "3");
    EXPECT_EQ(h.Var("ROWS_1"), "8810,\"50,000\"");
    EXPECT_EQ(h.Var("ROWS_2"), "5403,\"\"");
    EXPECT_EQ(h.Var("BLANKS_Count"), "1") << "start row 3, at most one row";
    EXPECT_EQ(h.Var("BLANKS_1"), "5403,6.50");
    EXPECT_EQ(h.Var("ALL"),
              "Code,Payroll,Rate\r8810,\"50,000\",0.09\r5403,\"\",6.50\r"
              "7380,\"30,000\",3.55\r");
    EXPECT_EQ(h.Var("ALL_Count"), "4");
    EXPECT_EQ(h.Var("LAST_RATE"), "3.55");
    EXPECT_EQ(h.Var("BEFORE_LAST"), "5403");
    EXPECT_EQ(h.Var("FROM_ORIGIN"), "3.55") << "one row down, two columns right of 5403";
    EXPECT_EQ(h.Var("OUTSIDE"), "");
    EXPECT_EQ(h.Var("HAS_TOTAL"), "1");
    EXPECT_EQ(h.Var("NOT_THERE"), "0");
    EXPECT_NE(h.Var("NOTES_TABLE").find("second"), std::string::npos);
    EXPECT_EQ(h.Var("FEIN"), "04-1234567");
    EXPECT_EQ(h.Var("FEIN_TITLE"), "FEIN");
    EXPECT_EQ(h.Var("MISSING"), "absent");
    EXPECT_EQ(h.Var("FIRST_TABLE_ID"), "no id");
    EXPECT_EQ(h.Var("NOTE_1"), "second");
    EXPECT_EQ(h.Var("NOTE_2"), " ");
    EXPECT_EQ(h.Var("NOTE_3"), "fourth");
    EXPECT_EQ(h.Var("MIDDLE"), "1,2");
    EXPECT_EQ(h.Var("CSV"), "\"1\"");
    EXPECT_EQ(h.Var("PICKED"), "1");
    ASSERT_EQ(dialogs.offered.size(), 3U);
    EXPECT_EQ(dialogs.offered[0], "8810,\"50,000\",0.09");
}

TEST(WebWait, AnElementThatComesLaterIsWaitedForAndOneThatNeverComesFails)
{
    WebHarness h;
    const std::string page = WebHarness::Page(
        "later",
        "<script>setTimeout(function () { var i = document.createElement('input'); "
        "i.id = i.name = 'late'; document.body.appendChild(i); }, 400);</script>");
    h.Run({Element(200, "late", "arrived"),
           With(Scrape(0, "X", "never", "there"), "WaitTimeOverride", "20")},
          page);
    EXPECT_EQ(h.Eval("document.getElementById('late').value").toString(), "arrived");
    EXPECT_EQ(h.macro.State(), TMacro::msPrerequisitesFailed);
    EXPECT_TRUE(h.macro.Failed());
    EXPECT_TRUE(h.Logged("  Command prerequisites FAILED all attempts to Override"));
}

TEST(WebWait, APageThatLoadsSlowlyIsWaitedForNotRaced)
{
    WebHarness h;
    WebHarness::Page("second",
                     "<form method=\"post\" action=\"/_test/page/done\">"
                     "<input type=\"text\" id=\"field\" name=\"field\">"
                     "<input type=\"submit\" id=\"send\" name=\"send\" value=\"Send\">"
                     "<span id=\"where\" name=\"where\" title=\"second\"></span></form>");
    WebHarness::Page("done", "<p>done</p>");
    const std::string first = WebHarness::Page(
        "first",
        "<form method=\"get\" action=\"/_test/page/second\"><input type=\"hidden\" "
        "name=\"delay\" value=\"1.5\"><input type=\"text\" id=\"field\" name=\"field\">"
        "<input type=\"submit\" id=\"send\" name=\"send\" value=\"Send\">"
        "<span id=\"where\" name=\"where\" title=\"first\"></span></form>");
    const auto started = std::chrono::steady_clock::now();
    // The second page has the same field and button as the first.
    h.Run({Element(201, "send"), Element(200, "field", "for the second page"),
           Scrape(5, "WHERE", "where", "title"), Element(201, "send"), Scrape(3, "DONE", "done")},
          first);
    EXPECT_GE(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(1500));
    EXPECT_FALSE(h.macro.Failed());
    EXPECT_EQ(h.Var("WHERE"), "second");
    EXPECT_EQ(h.Var("DONE"), "1");
    const QJsonDocument posted = Site().Get("/_test/posted");
    EXPECT_EQ(posted.object().value("done").toObject().value("field").toString(),
              "for the second page");
}

TEST(WebNavigation, NavigatingSubmittingAndAPauseThatAPageLoadEnds)
{
    WebHarness h;
    WebHarness::Page("target",
                     "<form name=\"order\" method=\"post\" action=\"/_test/page/thanks\">"
                     "<input type=\"text\" id=\"qty\" name=\"qty\"></form>");
    WebHarness::Page("thanks", "<p>thanks</p>");
    const std::string start = WebHarness::Page("start", "<p>start</p>");
    const auto started = std::chrono::steady_clock::now();
    h.Run({{211, {{"Address", Site().Url("/_test/page/target")}}},
           Element(200, "qty", "3"),
           {212, {{"FormName", "ORDER"}}},
           Pause("30"),
           Scrape(3, "THANKED", "thanks")},
          start);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(20))
        << "the page load ends the pause";
    EXPECT_EQ(h.Var("THANKED"), "1");
    EXPECT_EQ(
        Site().Get("/_test/posted").object().value("thanks").toObject().value("qty").toString(),
        "3");
}

TEST(WebData, AMissingValueIsAskedForAndACancelFailsTheCommand)
{
    WebHarness h;
    FakeDialogs dialogs;
    dialogs.answer = "(617) 555-0100";
    h.macro.Dialogs = &dialogs;
    std::vector<std::string> entered;
    h.macro.OnDataEntered = [&](TWebMacro &, TMacroCommand &command, const std::string &value) {
        entered.push_back(command.ExternalData.ID + "=" + value);
    };
    const std::string page =
        WebHarness::Page("phone", "<input type=\"text\" id=\"ph\" name=\"ph\">");
    ScriptLine ask = With(With(Element(200, "ph", " "), "ExternalDataID", "PHONE"),
                          "ExternalDataDescription", "Employer's phone");
    h.Run({ask}, page);
    EXPECT_EQ(h.Eval("document.getElementById('ph').value").toString(), "(617) 555-0100");
    EXPECT_EQ(dialogs.asked, std::vector<std::string> {"Information Required|Employer's phone"});
    EXPECT_EQ(entered, std::vector<std::string> {"PHONE=(617) 555-0100"});

    dialogs.answer.clear();
    h.Run({ask, Scrape(3, "AFTER", "anything")}, page);
    EXPECT_TRUE(h.macro.Failed());
    EXPECT_FALSE(HasName(h.variables, "AFTER"));
}

TEST(WebSecurity, LocalFilesAreNeverOpened)
{
    WebHarness h;
    EXPECT_THROW(h.browser.Navigate("file:///etc/hostname"), std::runtime_error);
    const std::string page = WebHarness::Page(
        "local",
        "<a id=\"lnk\" name=\"lnk\" href=\"file:///etc/hostname\">file</a>"
        "<span id=\"read\">waiting</span><script>fetch('file:///etc/hostname')"
        ".then(function () { document.getElementById('read').textContent = 'read'; })"
        ".catch(function () { document.getElementById('read').textContent = 'refused'; "
        "});</script>");
    h.Run({Element(201, "lnk"), Scrape(3, "STILL_HERE", "file")}, page);
    EXPECT_EQ(h.Var("STILL_HERE"), "1");
    EXPECT_EQ(QUrl(h.browser.Page()->url()).scheme(), "http");
    EXPECT_EQ(h.Eval("document.getElementById('read').textContent").toString(), "refused");
}
