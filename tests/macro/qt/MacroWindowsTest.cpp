// The windows of the macro browser and of the bureau submission, and the submission's steps
// before and after the browser.

#include "WcribRun.h"

#include "core/Dates.h"
#include "core/EventLoop.h"
#include "core/IniFile.h"
#include "core/Paths.h"
#include "core/Text.h"
#include "macro/WebMacro.h"
#include "macro/qt/MacroBrowser.h"
#include "macro/qt/MacroDialogs.h"
#include "macro/qt/WcribWindows.h"
#include "ui/WcribSubmission.h"

#include "support/ScratchFolder.h"

#include <QApplication>
#include <QComboBox>
#include <QDesktopServices>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QUrl>

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

namespace {

std::string Script(const std::string &commands)
{
    return "<Macro><Commands>" + commands + "</Commands></Macro>";
}

std::string ReqData(const std::string &id, const std::string &description, bool password,
                    bool always, const std::string &options = {})
{
    return "<Command><ObjectType>225</ObjectType><ExternalDataID>" + id +
        "</ExternalDataID><ExternalDataDescription>" + description +
        "</ExternalDataDescription><ExternalDataOptions>" + options +
        "</ExternalDataOptions><ExternalDataPassword>" + (password ? "1" : "0") +
        "</ExternalDataPassword><ExternalDataAlways>" + (always ? "1" : "0") +
        "</ExternalDataAlways></Command>";
}

// Records the addresses the desktop would open.
class UrlCatcher : public QObject
{
    Q_OBJECT

public:
    UrlCatcher()
    {
        QDesktopServices::setUrlHandler(QStringLiteral("https"), this, "Open");
        QDesktopServices::setUrlHandler(QStringLiteral("mailto"), this, "Open");
    }
    ~UrlCatcher() override
    {
        QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
        QDesktopServices::unsetUrlHandler(QStringLiteral("mailto"));
    }
    QStringList opened;

public slots:
    void Open(const QUrl &url) { opened.append(url.toString()); }
};

} // namespace

TEST(MacroBrowserWindows, TheChooserListsTheScriptListOrEveryScriptOfTheFolder)
{
    ScratchFolder folder;
    folder.WriteFile("MA_WCRIB.xml", Script(""));
    folder.WriteFile("Other.XML", Script(""));
    folder.WriteFile("Script_List.xml",
                     "<ScriptList><Active>1</Active><Types><Type><ID>3</ID>"
                     "<Title>Bureaus</Title><Provider><Name>Mass</Name>"
                     "<Path>MA_WCRIB.xml</Path></Provider></Type></Types>"
                     "</ScriptList>");
    std::string caption;
    auto entries = TframeMacroBrowser::ScriptEntries(folder.Path(), 0, &caption);
    ASSERT_EQ(entries.size(), 2U);
    EXPECT_EQ(entries[0].Name, "MA_WCRIB");
    EXPECT_EQ(entries[1].Name, "Other");
    EXPECT_EQ(caption, "");
    entries = TframeMacroBrowser::ScriptEntries(folder.Path(), 3, &caption);
    ASSERT_EQ(entries.size(), 1U);
    EXPECT_EQ(entries[0].Name, "Mass");
    EXPECT_EQ(entries[0].File, "MA_WCRIB.xml");
    EXPECT_EQ(caption, "Bureaus");
    folder.WriteFile("Script_List.xml", "<ScriptList><Active>0</Active></ScriptList>");
    EXPECT_EQ(TframeMacroBrowser::ScriptEntries(folder.Path(), 3).size(), 2U);

    ScriptedPrompter prompter;
    ScratchFolder empty;
    TMacroBrowserSettings settings;
    settings.ScriptFolder = empty.Path();
    TframeMacroBrowser frame(settings);
    EXPECT_EQ(frame.lstMacros->count(), 0);
    frame.Play();
    EXPECT_EQ(prompter.Texts(), std::vector<std::string> {"No Macros are installed"});
}

TEST(MacroBrowserWindows, RequiredInformationAsksForMissingValuesAndRemembersNoPassword)
{
    ScratchFolder folder;
    folder.WriteFile("s.xml",
                     Script(ReqData("USER", "User ID", false, true) +
                            ReqData("PASS", "Password", true, true) +
                            ReqData("USER", "User ID again", false, true) +
                            ReqData("GIVEN", "Given", false, true) +
                            ReqData("KIND", "Business type", false, true, "Corp|LLC") +
                            ReqData("OPTIONAL", "Asked only for all", false, false)));
    TimerEventLoop loop;
    TMacro macro(loop);
    macro.ScriptFolder = folder.Path();
    ASSERT_TRUE(macro.LoadCommands("s.xml", false));
    const TNameValueList dataIn = {"GIVEN=here"};

    TfrmReqData window(macro, dataIn, false);
    window.BuildRows();
    ASSERT_EQ(window.Rows().size(), 3U);
    EXPECT_EQ(window.Rows()[0].id, "USER");
    EXPECT_EQ(window.Rows()[1].id, "PASS");
    EXPECT_EQ(static_cast<QLineEdit *>(window.Rows()[1].input)->echoMode(), QLineEdit::Password);
    ASSERT_NE(qobject_cast<QComboBox *>(window.Rows()[2].input), nullptr);
    EXPECT_EQ(qobject_cast<QComboBox *>(window.Rows()[2].input)->count(), 3);
    TfrmReqData everything(macro, dataIn, true);
    everything.BuildRows();
    EXPECT_EQ(everything.Rows().size(), 4U);

    window.SetRowText(0, "agent7");
    window.SetRowText(1, "secret");
    window.SetRowText(2, "LLC");
    window.RememberFile(folder.File("values.txt"));
    EXPECT_EQ(folder.ReadFile("values.txt"), "USER=agent7\r\nPASS=\r\nKIND=LLC\r\n");
    window.RememberFile(folder.File("values.xml"));
    EXPECT_EQ(folder.ReadFile("values.xml").find("secret"), std::string::npos);

    TfrmReqData again(macro, dataIn, false);
    again.LoadFile(folder.File("values.xml"));
    EXPECT_EQ(again.RowText(0), "agent7");
    EXPECT_EQ(again.RowText(2), "LLC");

    // An empty row asks once; No stays, Yes goes on with the values given.
    ScriptedPrompter prompter;
    prompter.QueueAnswer(Prompter::Answer::No);
    again.btnDone->click();
    EXPECT_EQ(again.result(), 0);
    EXPECT_EQ(prompter.Texts().size(), 1U);
    EXPECT_EQ(prompter.Texts()[0].rfind("You will be prompted to enter any missing data", 0), 0U);
    prompter.QueueAnswer(Prompter::Answer::Yes);
    again.btnDone->click();
    EXPECT_EQ(again.result(), QDialog::Accepted);
    EXPECT_EQ(again.Values(), (TNameValueList {"USER=agent7", "KIND=LLC"}));
}

TEST(MacroBrowserWindows, TheVariableWindowMasksSecretsAndWritesEditsBack)
{
    ScratchFolder folder;
    folder.WriteFile("s.xml", Script(ReqData("CODE", "Code", true, false)));
    TimerEventLoop loop;
    TMacro macro(loop);
    macro.ScriptFolder = folder.Path();
    ASSERT_TRUE(macro.LoadCommands("s.xml", false));
    TNameValueList dataIn = {"WCRIB_PASSWORD=pw1", "CODE=42", "CITY=Boston"};
    TNameValueList dataOut = {"ROW=1"};
    macro.DataIn = &dataIn;
    macro.Variables = &dataOut;

    TfrmDisplayVars window(macro);
    EXPECT_EQ(window.grdValues->item(0, 1)->text(), "********");
    EXPECT_EQ(window.grdValues->item(1, 1)->text(), "********");
    EXPECT_EQ(window.grdValues->item(2, 1)->text(), "Boston");
    EXPECT_EQ(window.SuggestedFileName(), "DataIn.txt");
    window.grdValues->item(2, 1)->setText("Worcester");
    window.SaveShownList(folder.File("in.txt"));
    EXPECT_EQ(folder.ReadFile("in.txt"), "WCRIB_PASSWORD=\r\nCODE=\r\nCITY=Worcester\r\n");
    window.lstListToView->setCurrentIndex(1);
    EXPECT_EQ(window.SuggestedFileName(), "DataOut.txt");
    window.grdValues->item(0, 1)->setText("2");
    window.btnSetAndClose->click();
    EXPECT_EQ(dataIn, (TNameValueList {"WCRIB_PASSWORD=pw1", "CODE=42", "CITY=Worcester"}));
    EXPECT_EQ(dataOut, (TNameValueList {"ROW=2"}));
}

TEST(WcribWindows, TheSubmissionWindowChecksItsEntriesInOrder)
{
    ScriptedPrompter prompter;
    TWcribEntries entries;
    entries.Locations = "0";
    TfrmMAWCRIBSubmit window(entries);
    const auto continueAndSay = [&]() {
        prompter.Clear();
        window.btnContinue->click();
        return prompter.Texts().empty() ? std::string() : prompter.Texts()[0];
    };
    EXPECT_EQ(continueAndSay(), "Please provide a User ID");
    window.txtUserID->setText("agent7");
    EXPECT_EQ(continueAndSay(), "Please provide a Password");
    window.txtPassword->setText("pw");
    EXPECT_EQ(window.txtPassword->echoMode(), QLineEdit::Password);
    EXPECT_EQ(continueAndSay(),
              "You must either provide the Tax ID or the Reason why there is none");
    window.txtTaxID->setText("04-1234567");
    window.lstTaxReason->setCurrentText("Applied For");
    EXPECT_EQ(continueAndSay(),
              "Since you've provided a Tax ID, the field describing the Reason "
              "a Tax ID was not provided must be blank");
    EXPECT_EQ(window.lstTaxReason->currentIndex(), 0);
    EXPECT_EQ(continueAndSay(), "There must be at least One location");
    EXPECT_EQ(window.txtLocations->text(), "1");
    EXPECT_EQ(continueAndSay(), "Please Provide a Business Type");
    EXPECT_TRUE(entries.UserID.empty()) << "nothing is kept until the window is finished";
    window.lstBizType->setCurrentText("LLC");
    EXPECT_EQ(continueAndSay(), "");
    EXPECT_EQ(window.result(), QDialog::Accepted);
    EXPECT_EQ(entries.UserID, "agent7");
    EXPECT_EQ(entries.Password, "pw");
    EXPECT_EQ(entries.TaxID, "04-1234567");
    EXPECT_EQ(entries.TaxReason, "");
    EXPECT_EQ(entries.Locations, "1");
    EXPECT_EQ(entries.BusinessType, "LLC");

    TfrmMAWCRIBSubmit again(entries);
    EXPECT_EQ(again.txtUserID->text(), "agent7");
    EXPECT_EQ(again.lstBizType->currentText(), "LLC");
}

TEST(WcribWindows, TheCompletionWindowOffersBothBrowsersAndSendsTheNoticeOnlyWhenSet)
{
    UrlCatcher catcher;
    TfrmWCRIBComplete stay("https://bureau.example/mass/", "Lee & Sons");
    stay.show();
    stay.btnUseThisBrowser->click();
    EXPECT_EQ(stay.result(), QDialog::Accepted);
    EXPECT_TRUE(catcher.opened.isEmpty());

    TfrmWCRIBComplete leave("https://bureau.example/mass/", "Lee & Sons");
    leave.show();
    leave.btnUseDefaultBrowser->click();
    EXPECT_EQ(leave.result(), QDialog::Rejected);
    EXPECT_EQ(catcher.opened, QStringList {"https://bureau.example/mass/"});

    EXPECT_EQ(TUsageNotice::NoticeAddress("GeneralDiagnostic.htm"), "")
        << "nothing is sent unless an administrator sets an address";
    EXPECT_EQ(TUsageNotice::NoticeAddress("https://x.example/a.htm"), "https://x.example/a.htm");
    const std::string settings =
        ProgramFolder() + ChangeFileExt(ExtractFileName(ProgramFile()), ".ini");
    TIniFile(settings).WriteString("Web", "NoticeAddress", "http://127.0.0.1:9/notices");
    EXPECT_EQ(TUsageNotice::NoticeAddress("GeneralDiagnostic.htm?topic=WCSubmit"),
              "http://127.0.0.1:9/notices/GeneralDiagnostic.htm?topic=WCSubmit");
    std::remove(settings.c_str());
}

namespace {

struct FlowQuote
{
    FlowQuote(const std::string &state, TDateTime date)
        : harness(state, 1, date, ProgramCopy(folder.Path(), "about:blank"))
    {
        if (state == "MA") {
            harness.Add("8810", 50000, 2);
            harness.Add("5403", 80000, 3);
            harness.Rate();
        }
    }
    ScratchFolder folder;
    QuoteHarness harness;
};

} // namespace

TEST(WcribFlow, OnlyMassachusettsIsSubmittedAndATodayDateIsBumpedOnlyWithYes)
{
    FlowQuote nj("NJ", Today() + 10);
    FakeQuoteWindow window;
    TWcribSubmission refused(nj.harness.Quote(), window);
    EXPECT_FALSE(refused.Submit());
    EXPECT_EQ(nj.harness.Prompter().Texts(),
              std::vector<std::string> {"This feature is only available in Massachusetts"});
    EXPECT_TRUE(window.checks.empty());

    FlowQuote ma("MA", Today());
    TWcribSubmission submission(ma.harness.Quote(), window);
    ma.harness.Prompter().QueueAnswer(Prompter::Answer::No);
    EXPECT_FALSE(submission.Submit());
    EXPECT_EQ(ma.harness.Quote().EffectiveDate, Today());
    EXPECT_EQ(ma.harness.Prompter().Texts(),
              std::vector<std::string> {"The WCRIB requires the Effective Date to be greater than "
                                        "today.  Click Yes to bump the Effective Date to tomorrow "
                                        "and continue with the Submission"});
    EXPECT_TRUE(window.checks.empty());

    window.blocked = true;
    ma.harness.Prompter().QueueAnswer(Prompter::Answer::Yes);
    EXPECT_FALSE(submission.Submit());
    EXPECT_EQ(ma.harness.Quote().EffectiveDate, Today() + 1);
    EXPECT_EQ(window.dateChanges, 1);
    EXPECT_EQ(window.checks, std::vector<std::string> {"Export to WCRIB with address"});

    // The bureau window cancelled: no browser.
    window.blocked = false;
    QTimer::singleShot(0, [] {
        if (auto *form = qobject_cast<TfrmMAWCRIBSubmit *>(QApplication::activeModalWidget())) {
            form->btnCancel->click();
        }
    });
    bool browserOpened = false;
    submission.BrowserReady = [&](TfrmMacroBrowser &) { browserOpened = true; };
    EXPECT_FALSE(submission.Submit());
    EXPECT_FALSE(browserOpened);
}

TEST(WcribFlow, TheListAndTheCallbackAnswerTheScriptFromTheQuote)
{
    FlowQuote ma("MA", Today() + 20);
    FakeQuoteWindow window;
    TWcribSubmission submission(ma.harness.Quote(), window);
    TWcribEntries &entries = submission.Entries();
    entries.UserID = "agent7";
    entries.Password = "pw";
    entries.Locations = " 2 ";
    entries.BusinessType = "Trust";
    entries.TaxReason = "Applied For";
    const TNameValueList list = submission.SubmissionList();
    EXPECT_EQ(NameValue(list, "WCRIB_USER_ID"), "agent7");
    EXPECT_EQ(NameValue(list, "WCRIB_PASSWORD"), "pw");
    EXPECT_EQ(NameValue(list, "WC_LOCATION_COUNT"), "2");
    EXPECT_EQ(NameValue(list, "BUSINESS_TYPE"), "Trust");
    EXPECT_EQ(NameValue(list, "WC_TAX_ID"), "");
    EXPECT_EQ(NameValue(list, "NO_TAX_ID_REASON"), "Applied For");
    EXPECT_EQ(NameValue(list, "WC_EFFECTIVE_DATE"), DateToStr(Today() + 20));

    TimerEventLoop loop;
    TWebMacro macro(loop);
    macro.StartURL = "https://bureau.example/mass/";
    TNameValueList variables = {"WC_CLASS_INDEX=2"};
    TNameValueList dataIn;
    macro.Variables = &variables;
    submission.MacroCallback(macro, "WORK_COMP_GET_CLASS_COUNT", &variables, &dataIn);
    EXPECT_EQ(NameValue(dataIn, "WC_CLASS_COUNT"), "2");
    submission.MacroCallback(macro, "WORK_COMP_GET_CLASS", &variables, &dataIn);
    const TVereDivoClass &second = *ma.harness.Quote().Classes()[1];
    EXPECT_EQ(NameValue(dataIn, "WC_CLASS_CODE"), second.Code);
    EXPECT_EQ(NameValue(dataIn, "WC_CLASS_PAYROLL"), IntText(second.GetPayroll()));
    submission.MacroCallback(macro, "SOMETHING_ELSE", &variables, &dataIn);
    EXPECT_EQ(variables.size(), 1U);

    UrlCatcher catcher;
    submission.CompletionReady = [](QWidget &window) {
        static_cast<TfrmWCRIBComplete &>(window).btnUseDefaultBrowser->click();
    };
    submission.MacroCallback(macro, "SHOW_COMPLETE", &variables, &dataIn);
    EXPECT_EQ(NameValue(variables, "CLOSE_UI"), "1");
    EXPECT_EQ(catcher.opened, QStringList {"https://bureau.example/mass/"});
    variables = {"WC_CLASS_INDEX=1"};
    submission.CompletionReady = [](QWidget &window) {
        static_cast<TfrmWCRIBComplete &>(window).btnUseThisBrowser->click();
    };
    submission.MacroCallback(macro, "SHOW_COMPLETE", &variables, &dataIn);
    EXPECT_FALSE(HasName(variables, "CLOSE_UI"));
}

#include "MacroWindowsTest.moc"
