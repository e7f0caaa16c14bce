// "Submit to WCRIB" from a Massachusetts quote through the delivered script "MA_WCRIB" to the
// simulated bureau site, with the real browser engine.

#include "WcribRun.h"

#include "../../ui/UiFixture.h"

#include "core/AppInfo.h"
#include "core/IniFile.h"
#include "core/Paths.h"
#include "core/Prompter.h"
#include "macro/qt/WcribWindows.h"
#include "rating/QuoteApplication.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QLineEdit>
#include <QPushButton>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>

namespace {

class WcribSubmission : public testing::Test
{
protected:
    void SetUp() override
    {
        WcribSite().Post("/_test/reset", "{}");
        WcribSite().AddAccount("agent7", kWcribPassword);
    }
    static void TearDownTestSuite() { EndWcribSite(); }
};

// The end of a run's log, to see where a failed run stopped.
std::string LogEnd(const std::string &log)
{
    size_t at = log.size();
    for (int lines = 0; lines < 40 && at != std::string::npos && at > 0; ++lines) {
        at = log.rfind('\n', at - 1);
    }
    return at == std::string::npos ? log : log.substr(at);
}

void ExpectTheQuoteOnTheSite(const QJsonObject &record)
{
    EXPECT_EQ(record.value("employer").toString(), "Acme Roofing & Siding");
    EXPECT_EQ(record.value("fein").toString(), "04-3141592");
    const QJsonObject general = record.value("general").toObject();
    EXPECT_EQ(general.value("txtMailStreet").toString(), "12 Harbor St");
    EXPECT_EQ(general.value("txtMailCity").toString(), "Boston");
    EXPECT_EQ(general.value("txtMailZip").toString(), "02134");
    EXPECT_EQ(general.value("selLegalStatus").toString(), "CORP");
    EXPECT_EQ(general.value("txtRecordsAddr").toString(), "12 Harbor St, Boston, MA 02134");
    EXPECT_EQ(general.value("txtContactName").toString(), "Ann Lee");
    const QJsonArray locations = record.value("locations").toArray();
    ASSERT_FALSE(locations.isEmpty());
    EXPECT_EQ(locations[0].toObject().value("street").toString(), "40 Dock Rd");
    EXPECT_EQ(locations[0].toObject().value("city").toString(), "Gloucester");
    EXPECT_EQ(record.value("location_total").toString(), "3");
    std::map<std::string, std::string> payrolls;
    for (const QJsonValue &row : record.value("classes").toArray()) {
        payrolls[row.toObject().value("code").toString().toStdString()] =
            row.toObject().value("payroll").toString().toStdString();
    }
    EXPECT_EQ(payrolls,
              (std::map<std::string, std::string> {
                  {"5551", "120000"}, {"7380", "60000"}, {"8810", "45000"}}));
    EXPECT_EQ(record.value("premium").toObject().value("rdoFinanced").toString(), "Y");
    EXPECT_EQ(record.value("submit").toObject().value("txtSignerName").toString(), "Ann Lee");
    EXPECT_EQ(record.value("submit").toObject().value("txtSignerTitle").toString(), "Owner");
    EXPECT_EQ(record.value("status").toString(), "In Progress") << "the agent submits";
}

} // namespace

TEST_F(WcribSubmission, AQuoteOfThreeClassesIsPrefilledOnTheBureauSite)
{
    WcribRun run("/");
    ASSERT_TRUE(run.Run());
    EXPECT_EQ(run.result, "Finished") << LogEnd(run.log);
    EXPECT_EQ(run.completions, 1);
    EXPECT_EQ(run.window.checks, std::vector<std::string> {"Export to WCRIB with address"});
    ExpectTheQuoteOnTheSite(run.Record());
    EXPECT_EQ(run.Record().value("general").toObject().value("txtPhone").toString(),
              "(617) 555-0142");
    EXPECT_EQ(run.asked, std::vector<std::string> {"WC_OPERATIONS"})
        << "only what the quote cannot give is asked for";
    EXPECT_EQ(run.Record().value("general").toObject().value("txaOperations").toString(),
              "Commercial roofing");
    // The password went to the site, never into the log.
    EXPECT_EQ(run.log.find(kWcribPassword), std::string::npos);
    for (const std::string &line : CurrentAppInfo() != nullptr ? CurrentAppInfo()->LoggedLines()
                                                               : std::vector<std::string>()) {
        EXPECT_EQ(line.find(kWcribPassword), std::string::npos);
    }
    std::printf("submission of 3 classes: %.2f s\n", run.seconds);
}

TEST_F(WcribSubmission, FramesModeGivesTheSameRecord)
{
    WcribRun run("/soar/login?frames=1");
    ASSERT_TRUE(run.Run());
    EXPECT_EQ(run.result, "Finished") << LogEnd(run.log);
    ExpectTheQuoteOnTheSite(run.Record());
}

TEST_F(WcribSubmission, AWrongPasswordTakesTheScriptsErrorPath)
{
    WcribRun run("/", "not the password");
    ScriptedPrompter &prompter = run.quote.harness.Prompter();
    prompter.Clear();
    ASSERT_TRUE(run.Run());
    EXPECT_EQ(run.result, "Error has occurred");
    EXPECT_EQ(run.completions, 0);
    EXPECT_TRUE(WcribSite().Applications().array().isEmpty());
    const std::vector<std::string> texts = prompter.Texts();
    EXPECT_NE(std::find(texts.begin(), texts.end(),
                        "The WCRIB website did not accept the User ID and Password.  Check them "
                        "and submit the quote again."),
              texts.end());
    EXPECT_EQ(WcribSite().Get("/_test/accounts/agent7").object().value("failures").toInt(), 1);
}

TEST_F(WcribSubmission, APageThatLoadsSlowlyIsWaitedFor)
{
    WcribSite().Post("/_test/config", R"({"delays": {"general": 2.5, "classes": 1.5}})");
    WcribRun run("/");
    ASSERT_TRUE(run.Run());
    EXPECT_EQ(run.result, "Finished") << LogEnd(run.log);
    ExpectTheQuoteOnTheSite(run.Record());
    EXPECT_GE(run.seconds, 4.0);
}

TEST_F(WcribSubmission, AMissingValueIsAskedForOnceAndUsed)
{
    WcribRun run("/", kWcribPassword, false);
    ASSERT_TRUE(run.Run());
    EXPECT_EQ(run.result, "Finished") << LogEnd(run.log);
    EXPECT_EQ(run.driver.Seen("TfrmReqData"), 1);
    EXPECT_EQ(run.asked, (std::vector<std::string> {"WC_PHONE", "WC_OPERATIONS"}));
    const QJsonObject general = run.Record().value("general").toObject();
    EXPECT_EQ(general.value("txtPhone").toString(), "(617) 555-0199");
    EXPECT_EQ(general.value("txtContactPhone").toString(), "(617) 555-0199");
    EXPECT_EQ(run.Record().value("locations").toArray()[0].toObject().value("phone").toString(),
              "(617) 555-0199");
}

namespace {

// "Submit to WCRIB" pressed in the quote window of an MA quote on the delivered tables; the
// bureau script of the program folder and the usage notices go to the simulated site.
class WcribFromTheQuoteWindow : public UiFixture
{
protected:
    WcribFromTheQuoteWindow()
    {
        WcribSite().Post("/_test/reset", "{}");
        WcribSite().AddAccount("agent7", kWcribPassword);
        ProgramCopy(dir.File("program/"), WcribSite().Url("/"));
        TIniFile(ProgramFolder() + ChangeFileExt(ExtractFileName(ProgramFile()), ".ini"))
            .WriteString("Web", "NoticeAddress", WcribSite().Url("/_notice"));
        info->SetAgencySource([] {
            TAgencyAddress agency;
            agency.Name = "Lee Insurance Agency";
            return agency;
        });
        host->blockOutput = false;
    }
    static void TearDownTestSuite() { EndWcribSite(); }

    static int NoticeHits(const std::string &page)
    {
        return WcribSite()
            .Get("/_test/hits")
            .object()
            .value(QString::fromStdString("notice:/_notice/" + page))
            .toInt();
    }
};

} // namespace

TEST_F(WcribFromTheQuoteWindow, TheQuotesClassesReachTheBureauAndTheEntriesAreKept)
{
    const auto window = OpenWindow("MA", Today() + 30);
    MakeAcmeTheCustomer(*window->Quote(), true);
    AddClasses(*window, {{"5551", 120000, 6}, {"8810", 45000, 2}, {"7380", 60000, 3}});
    ASSERT_NE(window->txtTotalPremium->text(), QStringLiteral("N/A"));
    // The first class of a new quote sends its notice once, from the window's hidden browser.
    EXPECT_TRUE(WaitFor([] { return NoticeHits("NewQuoteDiagnostic.htm?lob=WC") == 1; }, 15000));

    WcribAgent agent;
    window->btnSubmit->click();
    EXPECT_EQ(agent.result, "Finished") << LogEnd(agent.log);
    EXPECT_EQ(agent.completions, 1);
    // The agent's choice closes the completion window at once; its notice still goes, once.
    EXPECT_TRUE(WaitFor(
        [] {
            return NoticeHits(
                       "GeneralDiagnostic.htm?topic=WCSubmit&user=Lee%20Insurance%20Agency") == 1;
        },
        15000));
    EXPECT_EQ(host->readiness, std::vector<std::string> {"Export to WCRIB (address)"});
    const QJsonArray applications = WcribSite().Applications().array();
    ASSERT_EQ(applications.size(), 1);
    ExpectTheQuoteOnTheSite(applications[0].toObject());
    EXPECT_EQ(agent.log.find(kWcribPassword), std::string::npos);

    // A second submission starts from the answers of the first; Cancel opens no browser.
    std::string userId;
    std::string password;
    agent.driver.On("TfrmMAWCRIBSubmit", [&](QWidget *w) {
        auto *form = static_cast<TfrmMAWCRIBSubmit *>(w);
        userId = form->txtUserID->text().toStdString();
        password = form->txtPassword->text().toStdString();
        form->btnCancel->click();
    });
    const int browsers = agent.driver.Seen("TfrmMacroBrowser");
    window->btnSubmit->click();
    EXPECT_EQ(userId, "agent7");
    EXPECT_EQ(password, kWcribPassword);
    EXPECT_EQ(agent.driver.Seen("TfrmMacroBrowser"), browsers);
    EXPECT_EQ(WcribSite().Applications().array().size(), 1);
}
