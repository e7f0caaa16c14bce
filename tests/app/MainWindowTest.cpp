#include "agency/AgencyProfile.h"
#include "agency/AgencyProfileWindow.h"
#include "app/StateChoice.h"
#include "app/WcForm.h"
#include "core/IniFile.h"
#include "core/Paths.h"
#include "core/Text.h"
#include "db/VereDivoDatabase.h"
#include "dbase/Table.h"
#include "storage/StateTable.h"
#include "storage/VereDivoAppInfo.h"
#include "storage/VereDivoCustDBO.h"
#include "storage/VereDivoQuoteDBInterface.h"
#include "storage/records/QuoteInfo.h"
#include "ui/DetailWindow.h"
#include "ui/QuoteWindow.h"

#include "support/ModalScript.h"
#include "support/QtPrinting.h"
#include "support/ScopedEnv.h"
#include "support/ScratchFolder.h"
#include "support/ScriptedPrompter.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPrinter>
#include <QPushButton>
#include <QTest>
#include <QToolBar>
#include <QUrl>

#include <filesystem>
#include <fstream>
#include <iterator>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using testing::Contains;
using testing::ElementsAre;
using testing::IsEmpty;

namespace {

class FakeStateTable final : public TStateTable
{
public:
    explicit FakeStateTable(std::vector<TStateRow> rows, std::vector<std::string> *activated = {})
        : m_rows(std::move(rows)), m_activated(activated)
    { }
    std::vector<TStateRow> Rows() override { return m_rows; }
    void SetActiveStates(const std::vector<std::string> &stateIDs) override
    {
        if (m_activated != nullptr) {
            *m_activated = stateIDs;
        }
    }

private:
    std::vector<TStateRow> m_rows;
    std::vector<std::string> *m_activated;
};

std::vector<TStateRow> SomeStates()
{
    return {
        {true, "  1", "13", "Massachusetts  "},
        {false, "1", "14", "New York"},
        {true, "2", "15", "Other broker's New Jersey"},
        {true, "1", "15", "New Jersey"},
    };
}

// A quote window whose answers the test sets.
class FakeQuote final : public QWidget, public QuoteWindow
{
public:
    TVereDivoQuote *Quote() const override { return nullptr; }
    std::string StateAbbreviation() const override { return "MA"; }
    TQuoteCommands Commands() const override { return commands; }
    bool HasClasses() const override { return classes; }
    int32_t TotalPremium() const override { return premium; }
    bool HasCompanyName() const override { return !company.empty(); }
    bool HasCompleteAddress() const override { return addressComplete; }
    bool EditCustomer(bool askForAddress) override
    {
        customerDialogs.push_back(askForAddress);
        company = companyAfterDialog;
        return !company.empty();
    }
    bool SaveQuote() override
    {
        ++saves;
        return true;
    }
    void ShowCaption() override { }
    std::string WebSiteAddress() const override { return "https://example.org/plan"; }
    std::string UpdateAddress() const override { return updateAddress; }

    TQuoteCommands commands;
    bool classes = true;
    int32_t premium = 1250;
    std::string company;
    std::string companyAfterDialog;
    bool addressComplete = true;
    std::string updateAddress;
    std::vector<bool> customerDialogs;
    bool refuseClose = false;
    int closeQueries = 0;
    int saves = 0;

protected:
    void closeEvent(QCloseEvent *event) override
    {
        ++closeQueries;
        if (refuseClose) {
            event->ignore();
        } else {
            event->accept();
        }
    }
};

class UrlRecorder : public QObject
{
    Q_OBJECT

public:
    std::vector<QUrl> opened;

public slots:
    void Open(const QUrl &url) { opened.push_back(url); }
};

// An xdg-open of the test's own, first on the PATH: it writes what it was asked to open and
// ends with the status it is given.
class FakeOpener
{
public:
    explicit FakeOpener(const ScratchFolder &dir, int status = 0, const std::string &error = {})
        : m_log(dir.File("opened.txt")),
          m_path("PATH", dir.File("bin") + ":" + (std::getenv("PATH") ? std::getenv("PATH") : ""))
    {
        dir.WriteFile("bin/xdg-open",
                      "#!/bin/sh\nprintf '%s\\n' \"$1\" >> '" + m_log + "'\n" +
                          (error.empty() ? "" : "echo '" + error + "' >&2\n") + "exit " +
                          std::to_string(status) + "\n");
        std::filesystem::permissions(dir.File("bin/xdg-open"), std::filesystem::perms::owner_all);
    }
    std::vector<std::string> Opened() const
    {
        std::vector<std::string> lines;
        std::ifstream in(m_log);
        for (std::string line; std::getline(in, line);) {
            lines.push_back(line);
        }
        return lines;
    }

private:
    std::string m_log;
    ScopedEnv m_path;
};

std::string ProgramName()
{
    return ChangeFileExt(ExtractFileName(ProgramFile()), "");
}

class MainWindow : public testing::Test
{
protected:
    MainWindow()
        : settings("VEREDIVO_SETTINGS_DIR", dir.File("settings/")),
          state("XDG_STATE_HOME", dir.File("state/"))
    {
        SetProgramFolder(dir.File("program/"));
        CopyDeliveredData(dir.File("program/Data/"));
        About(1, "");
    }
    ~MainWindow() override { SetProgramFolder(""); }

    void About(int broker, const std::string &activeState, const std::string &title = {})
    {
        std::string text = "[Detail]\nActive_Broker=" + std::to_string(broker) +
            "\nActive_State=" + activeState + "\n";
        if (!title.empty()) {
            text += "[Broker_" + std::to_string(broker) + "]\nAppTitle=" + title + "\n";
        }
        dir.WriteFile("program/Data/About.ini", text);
    }
    void Debug(bool on) { TIniFile(ProgramSettings()).WriteBool("General", "DebugOptionsOn", on); }
    void AgencyName(const std::string &name)
    {
        TIniFile(ProgramSettings()).WriteString("Agency Info", "Name", name);
    }
    std::string ProgramSettings() const { return dir.File("program/") + ProgramName() + ".ini"; }

    std::unique_ptr<TWC_MDI> MakeWindow(std::vector<std::string> arguments = {})
    {
        auto window = std::make_unique<TWC_MDI>(std::move(arguments));
        window->SetStateTable(std::make_unique<FakeStateTable>(SomeStates(), &activated));
        return window;
    }

    // Makes the next new quote a FakeQuote and hands it to `out`.
    static void UseFakeQuotes(TWC_MDI &window, FakeQuote *&out)
    {
        window.SetQuoteWindowFactory([&out](const TNewQuoteRequest &) {
            auto quote = std::make_unique<FakeQuote>();
            out = quote.get();
            return quote;
        });
    }

    ScratchFolder dir;
    ScopedEnv settings;
    ScopedEnv state;
    ScriptedPrompter prompter;
    std::vector<std::string> activated;
};

} // namespace

TEST_F(MainWindow, MenusCarryTheirCaptionsShortcutsAndNames)
{
    const auto window = MakeWindow();
    struct Item
    {
        const char *name;
        const char *caption;
        QKeySequence shortcut;
    };
    const Item items[] = {
        {"mnuNewQuote", "&New Quote", QKeySequence(QStringLiteral("Ctrl+N"))},
        {"mnuOpenQuote", "&Open Quote", QKeySequence(QStringLiteral("Ctrl+O"))},
        {"mnuSaveQuote", "&Save Quote", QKeySequence(QStringLiteral("Ctrl+S"))},
        {"mnuPrint", "&Print Quote Worksheet", QKeySequence(QStringLiteral("Ctrl+P"))},
        {"mnuPrintACORD", "Print &ACORD Form", QKeySequence(QStringLiteral("Ctrl+A"))},
        {"mnuPoolApp", "Print Poo&l Application", QKeySequence(QStringLiteral("Ctrl+L"))},
        {"mnuPrintFinanceAgreement", "Print &Finance Agreement",
         QKeySequence(QStringLiteral("Ctrl+F"))},
        {"mnuEmail", "&Email Quote", QKeySequence(QStringLiteral("Ctrl+E"))},
        {"mnuExportQuote", "&Export Quote", QKeySequence(QStringLiteral("Ctrl+E"))},
        {"mnuExit", "E&xit", {}},
        {"mnuAgencyProfile", "&Agency Profile", {}},
        {"mnuTile", "&Tile", {}},
        {"mnuCascade", "&Cascade", {}},
        {"mnuArrange", "&Arrange", {}},
        {"mnuPack", "&Pack and Reindex Data", {}},
        {"mnuUninstall", "&Uninstall Application", {}},
        {"mnuUpperCase", "Upp&ercase Class Codes", {}},
        {"mnuChooseState", "&Choose Active State", {}},
        {"mnuDeleteClassCodes", "&Delete Class Codes", {}},
        {"mnuAddNewClassFile", "Add New Class File", {}},
        {"CopyInputs1", "Copy Inputs", {}},
        {"CopyHazardCodes1", "Copy Ha&zard Codes", {}},
        {"CreateDistributionData1", "Create Distribution Data", {}},
        {"mnuMAApp2003", "Use Office 2003 App (MA Only)", {}},
        {"mnuMAApp2007", "Use Office 2007 App (MA Only)", {}},
        {"Help2", "&Help", {}},
        {"mnuFrequentlyAsked", "&Frequently Asked Questions", {}},
        {"mnuOpNotes", "&Operational Notes", {}},
        {"mnuWebUpdate", "&Update From the Web", {}},
        {"mnuAbout", "&About", {}},
    };
    for (const Item &item : items) {
        const auto *action = window->findChild<QAction *>(QString::fromLatin1(item.name));
        ASSERT_NE(action, nullptr) << item.name;
        EXPECT_EQ(action->text(), QString::fromLatin1(item.caption)) << item.name;
        EXPECT_EQ(action->shortcut(), item.shortcut) << item.name;
    }
    for (const char *button :
         {"btnNewQuote", "btnOpenQuote", "btnSaveQuote", "btnPrintQuote", "btnAcordViewer",
          "btnEMail", "btnExportQuote", "ToolButton1", "btnWebLink"}) {
        EXPECT_NE(window->findChild<QAction *>(QString::fromLatin1(button)), nullptr) << button;
    }
    EXPECT_EQ(window->btnTaskNewQuote->text(), QStringLiteral("Start New Quotation"));
    EXPECT_EQ(window->btnTaskOpenQuote->text(), QStringLiteral("Open Stored Quotation"));
    EXPECT_EQ(window->btnTaskExit->text(), QStringLiteral("Exit to Windows"));
    EXPECT_FALSE(window->mnuExportQuote->isEnabled());
    EXPECT_FALSE(window->mnuUninstall->isVisible());
    EXPECT_FALSE(window->mnuMAApp2007->isVisible());
    EXPECT_TRUE(window->windowState().testFlag(Qt::WindowMaximized));
    // Every toolbar picture fills the toolbar's icon size, so the captions line up.
    const QSize iconSize = window->findChild<QToolBar *>(QStringLiteral("tbMain"))->iconSize();
    for (const QAction *button :
         {window->btnNewQuote, window->btnPrintQuote, window->ToolButton1}) {
        EXPECT_EQ(button->icon().actualSize(iconSize), iconSize) << button->text().toStdString();
    }
}

TEST_F(MainWindow, TitleComesFromTheBrokersSection)
{
    About(5, "", "Rater & Co");
    EXPECT_EQ(MakeWindow()->windowTitle(), QStringLiteral("Rater & Co"));
    About(3, "");
    const auto window = MakeWindow();
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Workers Compensation Application"));
    EXPECT_EQ(window->BrokerNumber(), 3);
    dir.WriteFile("program/Data/About.ini", "");
    EXPECT_EQ(MakeWindow()->BrokerNumber(), 1);
}

TEST_F(MainWindow, DebugItemsFollowTheSettingAndTheBroker)
{
    const auto debugItems = [](const TWC_MDI &window) {
        std::vector<bool> shown;
        for (QAction *item :
             {window.mnuUpperCase, window.mnuChooseState, window.mnuDeleteClassCodes,
              window.mnuAddNewClassFile, window.CopyInputs1, window.CopyHazardCodes1,
              window.CreateDistributionData1}) {
            shown.push_back(item->isVisible());
        }
        return shown;
    };
    const std::vector<bool> none(7, false);
    const std::vector<bool> all(7, true);
    {
        About(3, "");
        const auto window = MakeWindow();
        EXPECT_FALSE(window->DebugOptionsOn());
        EXPECT_EQ(debugItems(*window), none);
        EXPECT_TRUE(window->mnuFrequentlyAsked->isVisible());
        EXPECT_TRUE(window->mnuOpNotes->isVisible());
    }
    Debug(true);
    {
        const auto window = MakeWindow();
        EXPECT_EQ(debugItems(*window), all);
        EXPECT_FALSE(window->mnuFrequentlyAsked->isVisible());
        EXPECT_FALSE(window->mnuOpNotes->isVisible());
        EXPECT_FALSE(window->mnuUninstall->isVisible());
    }
    for (int broker : {1, 5}) {
        About(broker, "");
        const auto window = MakeWindow();
        EXPECT_EQ(debugItems(*window), all) << broker;
        EXPECT_TRUE(window->mnuFrequentlyAsked->isVisible()) << broker;
        EXPECT_TRUE(window->mnuOpNotes->isVisible()) << broker;
    }
}

TEST_F(MainWindow, BrokerFiveShowsThePoolApplicationAndTheOfficeChoice)
{
    {
        const auto window = MakeWindow();
        EXPECT_FALSE(window->mnuPoolApp->isVisible());
        EXPECT_FALSE(window->mnuMAApp2003->isVisible());
    }
    About(5, "");
    {
        const auto window = MakeWindow();
        EXPECT_TRUE(window->mnuPoolApp->isVisible());
        EXPECT_TRUE(window->mnuMAApp2003->isVisible());
        EXPECT_FALSE(window->mnuMAApp2007->isVisible());
        EXPECT_TRUE(window->mnuMAApp2003->isChecked());
        window->mnuMAApp2007->trigger();
        EXPECT_TRUE(window->mnuMAApp2007->isChecked());
        EXPECT_FALSE(window->mnuMAApp2003->isChecked());
    }
    EXPECT_FALSE(TIniFile("QORWC.ini").ReadBool("General", "Use2003MAAppNot2007", true));
    EXPECT_TRUE(FileExists(dir.File("settings/QORWC.ini")));
    const auto window = MakeWindow();
    EXPECT_TRUE(window->mnuMAApp2007->isChecked());
    window->mnuMAApp2003->trigger();
    EXPECT_TRUE(TIniFile("QORWC.ini").ReadBool("General", "Use2003MAAppNot2007", false));
}

TEST_F(MainWindow, HelpTextsOpenWithTheDesktopOrSayWhyNot)
{
    FakeOpener opener(dir);
    About(5, "");
    dir.WriteFile("program/docs/faqqor.txt", "questions");
    {
        const auto window = MakeWindow();
        window->mnuFrequentlyAsked->trigger();
        ASSERT_TRUE(WaitFor([&] { return opener.Opened().size() == 1; }));
        window->mnuOpNotes->trigger();
    }
    About(1, "");
    MakeWindow()->mnuFrequentlyAsked->trigger();
    EXPECT_THAT(opener.Opened(), ElementsAre(dir.File("program/docs/faqqor.txt")));
    EXPECT_THAT(
        prompter.Texts(),
        ElementsAre(
            "Unable to open " + dir.File("program/docs/opn.txt") + "\r\rThe file does not exist.",
            "Unable to open " + dir.File("program/docs/faq.txt") + "\r\rThe file does not exist."));
}

TEST_F(MainWindow, HelpOpensTheUserGuideThatShipsWithEveryPictureItShows)
{
    // The built program folder holds the guide and every file the page refers to.
    const std::string guide = BuiltProgramFolder() + "docs/guide/";
    std::ifstream page(guide + "index.html");
    ASSERT_TRUE(page) << "no user guide in " << guide;
    const std::string html((std::istreambuf_iterator<char>(page)),
                           std::istreambuf_iterator<char>());
    std::vector<std::string> referred;
    for (const std::string attribute : {"src=\"", "href=\""}) {
        for (size_t at = html.find(attribute); at != std::string::npos;
             at = html.find(attribute, at + 1)) {
            const size_t start = at + attribute.size();
            const std::string target = html.substr(start, html.find('"', start) - start);
            if (!target.starts_with("#")) {
                referred.push_back(target);
            }
        }
    }
    EXPECT_GE(referred.size(), 6u);
    for (const std::string &file : referred) {
        EXPECT_TRUE(FileExists(guide + file)) << file;
    }
    for (const char *section : {"id=\"classes\"", "id=\"factors\"", "id=\"deviations\"",
                                "id=\"customer\"", "id=\"open\""}) {
        EXPECT_NE(html.find(section), std::string::npos) << section;
    }

    FakeOpener opener(dir);
    dir.WriteFile("program/docs/guide/index.html", html);
    MakeWindow()->Help2->trigger();
    ASSERT_TRUE(WaitFor([&] { return opener.Opened().size() == 1; }));
    EXPECT_THAT(opener.Opened(), ElementsAre(dir.File("program/docs/guide/index.html")));
    EXPECT_THAT(prompter.Texts(), IsEmpty());
}

TEST_F(MainWindow, AFailedHandOffToTheDesktopNamesItsCause)
{
    dir.WriteFile("program/docs/guide/index.html", "<html></html>");
    {
        // No opener at all.
        const ScopedEnv path("PATH", dir.File("empty-bin"));
        MakeWindow()->Help2->trigger();
    }
    ASSERT_EQ(prompter.Texts().size(), 1u);
    EXPECT_EQ(prompter.Texts()[0],
              "Unable to open " + dir.File("program/docs/guide/index.html") +
                  "\r\rThe desktop's opener xdg-open is not installed (Debian package "
                  "xdg-utils).");
    prompter.Clear();

    // An opener that finds no program for the file.
    FakeOpener opener(dir, 3, "xdg-open: no method available for opening it");
    const auto window = MakeWindow();
    window->Help2->trigger();
    ASSERT_TRUE(WaitFor([&] { return !prompter.Texts().empty(); }));
    EXPECT_THAT(opener.Opened(), ElementsAre(dir.File("program/docs/guide/index.html")));
    EXPECT_EQ(prompter.Texts()[0],
              "Unable to open " + dir.File("program/docs/guide/index.html") +
                  "\r\rNo program to open it is set up on this desktop (xdg-open found "
                  "none).\rxdg-open: no method available for opening it");
}

TEST_F(MainWindow, ActiveStateSkipsTheChoiceAndOpensTheQuoteWindow)
{
    About(1, "MA");
    const auto window = MakeWindow();
    QuoteWindow *quote = window->NewQuote();
    ASSERT_NE(quote, nullptr);
    EXPECT_EQ(window->ActiveQuote(), quote);
    EXPECT_THAT(prompter.Texts(), IsEmpty());
    const auto children = window->MdiArea()->subWindowList();
    ASSERT_EQ(children.size(), 1);
    auto *detail = qobject_cast<TfrmVereDivoDetail *>(children[0]->widget());
    ASSERT_NE(detail, nullptr);
    EXPECT_EQ(detail->windowTitle(), QStringLiteral("New Quote (Massachusetts)"));
    ASSERT_NE(detail->Quote(), nullptr);
    EXPECT_EQ(detail->Quote()->StateCode, "MA");
    EXPECT_EQ(detail->Quote()->PlanId, 1);
    EXPECT_FALSE(quote->HasValidPremium());
    EXPECT_EQ(window->mnuPoolApp->text(), QStringLiteral("Print MA Poo&l Application"));
    EXPECT_EQ(TIniFile("QORWC.ini").ReadString("Install_Info", "1_MA", ""), dir.File("program/"));
    const auto &lines = window->AppInfo().LoggedLines();
    EXPECT_THAT(lines, Contains("Application Path: " + dir.File("program/")));
    EXPECT_THAT(lines, Contains("Data Path: " + window->AppInfo().DataFolder()));
    const auto start = std::find(lines.begin(), lines.end(), "WCForm - New Quote Method");
    ASSERT_NE(start, lines.end());
    // The window's steps; the quote's own lines come between.
    std::vector<std::string> steps;
    std::copy_if(start, lines.end(), std::back_inserter(steps),
                 [](const std::string &line) { return line.starts_with("WCForm"); });
    EXPECT_THAT(steps,
                ElementsAre("WCForm - New Quote Method", "WCForm - NBrokerID Var = 1 (Check 1)",
                            "WCForm - New Quote Method - LOB not Assigned",
                            "WCForm - New Quote Method - State ID = 13",
                            "WCForm - New Quote Method - Quote Object Create - Call to create "
                            "Detail Form",
                            "WCForm - New Quote Method - End of Method"));
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "WCForm - App Log Start"), 1);
}

TEST_F(MainWindow, TheStateChoiceOffersTheBrokersActiveStates)
{
    const auto window = MakeWindow();
    ModalScript script;
    QStringList offered;
    int preselected = -1;
    script.Then([&](QWidget *modal) {
        auto *choice = qobject_cast<TfrmNewQuote *>(modal);
        ASSERT_NE(choice, nullptr);
        EXPECT_EQ(choice->windowTitle(), QStringLiteral("New Quote"));
        EXPECT_EQ(choice->lblChoose->text(), QStringLiteral("Choose State to Quote:"));
        EXPECT_EQ(choice->btnSelect->text(), QStringLiteral("&Select"));
        EXPECT_EQ(choice->btnCancel->text(), QStringLiteral("C&ancel"));
        for (int row = 0; row < choice->lstPlans->count(); ++row) {
            offered << choice->lstPlans->item(row)->text();
        }
        preselected = choice->lstPlans->currentRow();
        choice->lstPlans->setCurrentRow(1);
        choice->btnSelect->click();
    });
    QuoteWindow *quote = window->NewQuote();
    EXPECT_EQ(offered,
              (QStringList {QStringLiteral("Massachusetts"), QStringLiteral("New Jersey")}));
    EXPECT_EQ(preselected, 0);
    ASSERT_NE(quote, nullptr);
    EXPECT_EQ(quote->StateAbbreviation(), "NJ");
    EXPECT_EQ(window->MdiArea()->subWindowList()[0]->widget()->windowTitle(),
              QStringLiteral("New Quote (New Jersey)"));
    EXPECT_THAT(prompter.Texts(), IsEmpty());
}

TEST_F(MainWindow, ADoubleClickChoosesAndCancelOpensNothing)
{
    const auto window = MakeWindow();
    ModalScript script;
    script
        .Then([](QWidget *modal) {
            auto *choice = qobject_cast<TfrmNewQuote *>(modal);
            QListWidgetItem *first = choice->lstPlans->item(0);
            const QRect place = choice->lstPlans->visualItemRect(first);
            QTest::mouseClick(choice->lstPlans->viewport(), Qt::LeftButton, {}, place.center());
            QTest::mouseDClick(choice->lstPlans->viewport(), Qt::LeftButton, {}, place.center());
        })
        .Then([](QWidget *modal) { ClickButton(modal, QStringLiteral("C&ancel")); });
    QuoteWindow *quote = window->NewQuote();
    ASSERT_NE(quote, nullptr);
    EXPECT_EQ(quote->StateAbbreviation(), "MA");
    EXPECT_EQ(window->NewQuote(), nullptr);
    EXPECT_EQ(window->MdiArea()->subWindowList().size(), 1);
    const auto &lines = window->AppInfo().LoggedLines();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "WCForm - New Quote Method - End of Method"),
              1);
}

TEST_F(MainWindow, NothingOfferedOrAnUnratedStateOpensNoWindow)
{
    About(7, "");
    const auto window = MakeWindow();
    EXPECT_EQ(window->NewQuote(), nullptr);
    ASSERT_EQ(prompter.Entries().size(), 1u);
    EXPECT_EQ(prompter.Entries()[0].text, "No Active Companies to rate");
    EXPECT_EQ(prompter.Entries()[0].kind, Prompter::Kind::Error);
    prompter.Clear();

    About(1, "NY");
    const auto newYork = MakeWindow();
    EXPECT_EQ(newYork->NewQuote(), nullptr);
    EXPECT_EQ(newYork->mnuPoolApp->text(), QStringLiteral("Print NY Poo&l Application"));
    prompter.Clear();

    About(1, "");
    const auto chosen = MakeWindow();
    chosen->SetStateTable(
        std::make_unique<FakeStateTable>(std::vector<TStateRow> {{true, "1", "14", "New York"}}));
    ModalScript script;
    script.Then([](QWidget *modal) { ClickButton(modal, QStringLiteral("&Select")); });
    EXPECT_EQ(chosen->NewQuote(), nullptr);
    ASSERT_EQ(prompter.Entries().size(), 1u);
    EXPECT_EQ(prompter.Entries()[0].text,
              "Unrecognized State requested.  Unable to continue with quote.");
    EXPECT_EQ(prompter.Entries()[0].kind, Prompter::Kind::Error);
    EXPECT_TRUE(newYork->MdiArea()->subWindowList().isEmpty());
    EXPECT_TRUE(chosen->MdiArea()->subWindowList().isEmpty());
}

TEST_F(MainWindow, ChoosingActiveStatesOffersInactiveRowsToo)
{
    Debug(true);
    const auto window = MakeWindow();
    ModalScript script;
    int offered = 0;
    script.Then([&](QWidget *modal) {
        auto *choice = qobject_cast<TfrmNewQuote *>(modal);
        offered = choice->lstPlans->count();
        choice->lstPlans->item(1)->setSelected(true);
        choice->btnSelect->click();
    });
    window->mnuChooseState->trigger();
    EXPECT_EQ(offered, 3);
    EXPECT_THAT(activated, ElementsAre("13", "14"));
}

TEST_F(MainWindow, MaintenanceRefusesWhileQuoteWindowsAreOpen)
{
    Debug(true);
    About(1, "MA");
    const auto window = MakeWindow();
    prompter.QueueAnswer(Prompter::Answer::No);
    window->mnuPack->trigger();
    EXPECT_THAT(prompter.Texts(),
                ElementsAre("Be Sure all other users have exited before continuing.  Proceed?"));
    prompter.Clear();
    prompter.QueueAnswer(Prompter::Answer::Yes);
    window->mnuUninstall->trigger();
    EXPECT_THAT(prompter.Texts(),
                ElementsAre("Are you sure you wish to Uninstall this appliciation?",
                            "Uninstall utility not found.  Application will NOT be removed."));
    prompter.Clear();

    ASSERT_NE(window->NewQuote(), nullptr);
    for (QAction *command : {window->mnuPack, window->mnuUpperCase, window->mnuUninstall,
                             window->CreateDistributionData1}) {
        command->trigger();
    }
    EXPECT_EQ(prompter.Texts(),
              std::vector<std::string>(4, "Cannot Perform Function With Open Windows"));
}

TEST_F(MainWindow, ReadinessAsksForTheAgencyProfileFirst)
{
    About(1, "MA");
    const auto window = MakeWindow();
    window->mnuPrint->trigger();
    EXPECT_THAT(prompter.Texts(), IsEmpty()) << "no quote window, no output";
    ASSERT_NE(window->NewQuote(), nullptr);

    ModalScript script;
    script.Then([](QWidget *modal) {
        ASSERT_NE(qobject_cast<TfrmAgencyProfile *>(modal), nullptr);
        ClickButton(modal, QStringLiteral("C&ancel"));
    });
    window->mnuPrint->trigger();
    EXPECT_THAT(prompter.Texts(),
                ElementsAre("Your Agency Profile isn't complete.  Please fill it out before "
                            "printing.",
                            "Cannot print Quote without an Agency Profile"));
    prompter.Clear();

    script.Then([](QWidget *modal) {
        auto *profile = qobject_cast<TfrmAgencyProfile *>(modal);
        profile->txtName->setText(QStringLiteral("Smith Agency"));
        profile->btnClose->click();
    });
    window->mnuPrintACORD->trigger();
    EXPECT_THAT(prompter.Texts(),
                ElementsAre("Your Agency Profile isn't complete.  Please fill it out before "
                            "printing.",
                            "Cannot print Quote without a valid premium"));
    EXPECT_EQ(TIniFile(ProgramSettings()).ReadString("Agency Info", "Name", ""), "Smith Agency");
    prompter.Clear();
    for (QAction *output : {window->mnuPoolApp, window->mnuPrintFinanceAgreement, window->mnuEmail,
                            window->ToolButton1}) {
        output->trigger();
    }
    EXPECT_EQ(prompter.Texts(),
              std::vector<std::string>(4, "Cannot print Quote without a valid premium"));
}

TEST_F(MainWindow, ReadinessWantsACompanyNameAfterOfferingTheCustomerDialog)
{
    AgencyName("Smith Agency");
    About(1, "MA");
    const auto window = MakeWindow();
    FakeQuote *quote = nullptr;
    UseFakeQuotes(*window, quote);
    ASSERT_NE(window->NewQuote(), nullptr);
    ASSERT_NE(quote, nullptr);

    window->mnuPrint->trigger();
    EXPECT_THAT(prompter.Texts(), ElementsAre("Unable to print without a Company Name"));
    EXPECT_THAT(quote->customerDialogs, ElementsAre(false));
    prompter.Clear();

    quote->companyAfterDialog = "Acme Roofing";
    quote->addressComplete = false;
    EXPECT_FALSE(window->OutputBlocked(quote, "Export to WCRIB", true));
    EXPECT_THAT(quote->customerDialogs, ElementsAre(false, true));
    EXPECT_FALSE(window->OutputBlocked(quote, "print", false));
    EXPECT_EQ(quote->customerDialogs.size(), 2u);
    // Ready: the print dialog comes next (cancelled here).
    int printDialogs = 0;
    window->ExecPrintDialog = [&printDialogs](QPrinter &) {
        ++printDialogs;
        return false;
    };
    window->mnuPrint->trigger();
    EXPECT_EQ(printDialogs, 1);
    EXPECT_THAT(prompter.Texts(), IsEmpty());

    quote->premium = 0;
    EXPECT_TRUE(window->OutputBlocked(quote, "Export to WCRIB", true));
    quote->premium = 10;
    quote->classes = false;
    EXPECT_TRUE(window->OutputBlocked(nullptr, "print", false));
    EXPECT_THAT(prompter.Texts(),
                ElementsAre("Cannot Export to WCRIB Quote without a valid premium",
                            "Cannot print Quote without a valid premium"));
    prompter.Clear();
    window->AgencyProfile().Information().Name = " ";
    ModalScript script;
    script.Then([](QWidget *modal) { ClickButton(modal, QStringLiteral("C&ancel")); });
    EXPECT_TRUE(window->OutputBlocked(quote, "Export to WCRIB", true));
    EXPECT_THAT(prompter.Texts(),
                ElementsAre("Your Agency Profile isn't complete.  Please fill it out before "
                            "Export to WCRIBing.",
                            "Cannot Export to WCRIB Quote without an Agency Profile"));
}

TEST_F(MainWindow, TheNoProfileArgumentLocksTheProfileWindow)
{
    AgencyName("Smith Agency");
    const auto window = MakeWindow({"noprofile"});
    EXPECT_TRUE(window->ProfileLocked());
    EXPECT_FALSE(MakeWindow({"NoProfile2"})->ProfileLocked());
    ModalScript script;
    bool locked = false;
    script.Then([&](QWidget *modal) {
        auto *profile = qobject_cast<TfrmAgencyProfile *>(modal);
        locked = !profile->pnlFields->isEnabled() && profile->lblNoProfile->isVisible();
        profile->btnClose->click();
    });
    window->mnuAgencyProfile->trigger();
    EXPECT_TRUE(locked);
    EXPECT_EQ(window->AgencyProfile().Information().Name, "Smith Agency");
}

TEST_F(MainWindow, CommandStateFollowsTheActiveQuote)
{
    About(1, "MA");
    const auto window = MakeWindow();
    const auto shown = [&] {
        return std::vector<bool> {window->btnSaveQuote->isVisible(),
                                  window->mnuSaveQuote->isEnabled(),
                                  window->btnExportQuote->isVisible(),
                                  window->mnuExportQuote->isVisible(),
                                  window->btnPrintQuote->isVisible(),
                                  window->btnEMail->isVisible(),
                                  window->btnAcordViewer->isVisible(),
                                  window->mnuPrintACORD->isVisible(),
                                  window->mnuPrintFinanceAgreement->isVisible(),
                                  window->btnWebLink->isVisible(),
                                  window->mnuWebLink->isVisible(),
                                  window->mnuWebUpdate->isVisible()};
    };
    EXPECT_EQ(shown(), std::vector<bool>(12, false));
    // The delivered Massachusetts plan of broker 1 saves, fills the ACORD form and links to the
    // bureau's site.
    ASSERT_NE(window->NewQuote(), nullptr);
    EXPECT_EQ(shown(),
              (std::vector<bool> {true, true, false, false, true, true, true, true, false, true,
                                  true, false}));
    EXPECT_EQ(window->mnuWebLink->text(), QStringLiteral("&WCRIBMA Web Site"));

    FakeQuote *quote = nullptr;
    UseFakeQuotes(*window, quote);
    ASSERT_NE(window->NewQuote(), nullptr);
    quote->commands = {true, true, true, true, "Visit the Plan"};
    quote->updateAddress = "https://example.org/update";
    window->UpdateCommandState();
    EXPECT_EQ(shown(),
              (std::vector<bool> {true, true, true, true, true, true, true, true, true, true, true,
                                  false}));
    EXPECT_FALSE(window->mnuExportQuote->isEnabled());
    EXPECT_EQ(window->mnuWebLink->text(), QStringLiteral("Visit the Plan"));
    EXPECT_EQ(window->btnWebLink->text(), QStringLiteral("Visit the Plan"));

    // The update address is taken when a quote is created, and the item stays afterwards.
    FakeQuote *second = nullptr;
    UseFakeQuotes(*window, second);
    window->SetQuoteWindowFactory([&second](const TNewQuoteRequest &) {
        auto made = std::make_unique<FakeQuote>();
        made->updateAddress = "https://example.org/update";
        second = made.get();
        return made;
    });
    ASSERT_NE(window->NewQuote(), nullptr);
    EXPECT_EQ(window->UpdateAddress(), "https://example.org/update");
    EXPECT_TRUE(window->mnuWebUpdate->isVisible());
    window->MdiArea()->closeAllSubWindows();
    ASSERT_TRUE(WaitFor([&] { return window->MdiArea()->subWindowList().isEmpty(); }));
    ASSERT_TRUE(WaitFor([&] { return !window->btnPrintQuote->isVisible(); }));
    EXPECT_EQ(window->ActiveQuote(), nullptr);
    EXPECT_TRUE(window->mnuWebUpdate->isVisible());
    EXPECT_FALSE(window->btnWebLink->isVisible());
}

TEST_F(MainWindow, SaveNeedsClassesAndExportIsNeverEnabled)
{
    About(1, "MA");
    const auto window = MakeWindow();
    FakeQuote *quote = nullptr;
    UseFakeQuotes(*window, quote);
    ASSERT_NE(window->NewQuote(), nullptr);
    quote->commands.saveAllowed = true;
    quote->commands.exportAllowed = true;
    quote->classes = false;
    window->UpdateCommandState();
    window->mnuSaveQuote->trigger();
    window->mnuExportQuote->trigger();
    EXPECT_THAT(prompter.Texts(), ElementsAre("Cannot save Quote without active classes"));
}

TEST_F(MainWindow, ExitEndsWithoutAskingAndExitToWindowsAsksEveryQuote)
{
    About(1, "MA");
    {
        const auto window = MakeWindow();
        FakeQuote *quote = nullptr;
        UseFakeQuotes(*window, quote);
        window->setWindowState(Qt::WindowNoState);
        window->show();
        ASSERT_TRUE(WaitFor([&] { return quote != nullptr; })) << "first showing starts a quote";
        quote->refuseClose = true;
        window->btnTaskExit->click();
        EXPECT_EQ(quote->closeQueries, 1);
        EXPECT_TRUE(window->isVisible());
        quote->refuseClose = false;
        window->btnTaskExit->click();
        EXPECT_EQ(quote->closeQueries, 2);
        EXPECT_FALSE(window->isVisible());
    }
    const auto window = MakeWindow();
    FakeQuote *quote = nullptr;
    UseFakeQuotes(*window, quote);
    window->setWindowState(Qt::WindowNoState);
    window->show();
    ASSERT_TRUE(WaitFor([&] { return quote != nullptr; }));
    quote->refuseClose = true;
    window->mnuExit->trigger();
    EXPECT_EQ(quote->closeQueries, 0);
    EXPECT_FALSE(window->isVisible());
}

TEST_F(MainWindow, TheFirstShowingOpensTheStateChoiceAndTheTaskBarFollowsResizes)
{
    const auto window = MakeWindow();
    ModalScript script;
    script.Then([](QWidget *modal) { ClickButton(modal, QStringLiteral("&Select")); });
    window->setWindowState(Qt::WindowNoState);
    window->show();
    ASSERT_TRUE(WaitFor([&] { return window->MdiArea()->subWindowList().size() == 1; }));
    EXPECT_EQ(window->ActiveQuote()->StateAbbreviation(), "MA");

    window->resize(900, 640);
    ASSERT_TRUE(WaitFor([&] { return window->width() == 900; }));
    EXPECT_EQ(window->btnTaskNewQuote->geometry().x(), 7);
    EXPECT_EQ(window->btnTaskNewQuote->width(), 295);
    EXPECT_EQ(window->btnTaskOpenQuote->geometry().x(), 302);
    EXPECT_EQ(window->btnTaskOpenQuote->width(), 295);
    EXPECT_EQ(window->btnTaskExit->geometry().x(), 597);
    EXPECT_EQ(window->btnTaskExit->width(), 295);
    window->resize(1000, 640);
    ASSERT_TRUE(WaitFor([&] { return window->width() == 1000; }));
    EXPECT_EQ(window->btnTaskOpenQuote->geometry().x(), 335);
    EXPECT_EQ(window->btnTaskExit->geometry().x(), 663);
    EXPECT_EQ(window->btnTaskExit->width(), 328);
    EXPECT_EQ(window->pnlTaskBar->width(), 1000);
}

TEST_F(MainWindow, TheWindowMenuListsTheOpenQuotes)
{
    About(1, "MA");
    const auto window = MakeWindow();
    ASSERT_NE(window->NewQuote(), nullptr);
    ASSERT_NE(window->NewQuote(), nullptr);
    auto *menu = window->findChild<QMenu *>(QStringLiteral("mnuWindow"));
    ASSERT_NE(menu, nullptr);
    emit menu->aboutToShow();
    QStringList texts;
    for (const QAction *action : menu->actions()) {
        if (!action->isSeparator()) {
            texts << action->text();
        }
    }
    EXPECT_EQ(
        texts,
        (QStringList {QStringLiteral("&Tile"), QStringLiteral("&Cascade"),
                      QStringLiteral("&Arrange"), QStringLiteral("&1 New Quote (Massachusetts)"),
                      QStringLiteral("&2 New Quote (Massachusetts)")}));
    emit menu->aboutToShow();
    EXPECT_EQ(menu->actions().size(), 6);
}

TEST_F(MainWindow, TheDeliveredPlanTableOffersTheBrokersStates)
{
    TWC_MDI window;
    EXPECT_THAT(prompter.Texts(), IsEmpty());
    ModalScript script;
    QStringList offered;
    script.Then([&](QWidget *modal) {
        auto *choice = qobject_cast<TfrmNewQuote *>(modal);
        for (int row = 0; row < choice->lstPlans->count(); ++row) {
            offered << choice->lstPlans->item(row)->text();
        }
        choice->btnCancel->click();
    });
    EXPECT_EQ(window.NewQuote(), nullptr);
    EXPECT_EQ(offered,
              (QStringList {QStringLiteral("Massachusetts"), QStringLiteral("New Jersey")}));
}

TEST_F(MainWindow, MissingTablesAreReportedAtTheFirstShowingAndTheRestStillLoads)
{
    AgencyName("Smith Agency");
    Debug(true);
    std::filesystem::remove(dir.File("program/Data/WCPLAN.DBF"));
    TWC_MDI window;
    EXPECT_TRUE(window.AgencyProfile().HasAgencyName());
    EXPECT_TRUE(window.mnuUpperCase->isVisible());
    EXPECT_EQ(window.AppInfo().Database(), nullptr);
    window.setWindowState(Qt::WindowNoState);
    window.show();
    ASSERT_TRUE(WaitFor([&] { return prompter.Entries().size() == 2; }));
    EXPECT_EQ(prompter.Entries()[0].kind, Prompter::Kind::Error);
    EXPECT_THAT(prompter.Entries()[0].text, testing::HasSubstr("WCPLAN.DBF"));
    EXPECT_EQ(prompter.Entries()[1].text, "No Active Companies to rate");
    const auto &lines = window.AppInfo().LoggedLines();
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [](const std::string &line) {
        return line.rfind("WCForm - Start-up Error - ", 0) == 0;
    }));
    prompter.Clear();
    window.mnuUpperCase->trigger();
    ASSERT_EQ(prompter.Entries().size(), 1u);
    EXPECT_THAT(prompter.Entries()[0].text, testing::HasSubstr("are not open"));
}

TEST_F(MainWindow, PackRepairsTheRecordCountsAndPacksTheQuoteFolder)
{
    const std::string extra = dir.File("program/Data/EXTRA.DBF");
    {
        dbase::Context context;
        auto table = dbase::Table::Create(context, extra, {{"Name", 'C', 10, 0}}, {});
        for (const char *name : {"kept", "gone", "kept too"}) {
            table->AppendBlank();
            table->SetText(table->FieldByName("NAME"), name);
            if (std::string(name) == "gone") {
                table->Delete();
            }
        }
        table->Close();
    }
    {
        // A header that claims five records.
        std::fstream file(extra, std::ios::in | std::ios::out | std::ios::binary);
        file.seekp(4);
        const char five[4] = {5, 0, 0, 0};
        file.write(five, 4);
    }
    const auto window = MakeWindow();
    prompter.QueueAnswer(Prompter::Answer::Yes);
    window->mnuPack->trigger();
    EXPECT_THAT(prompter.Texts(),
                ElementsAre("Be Sure all other users have exited before continuing.  Proceed?"));
    dbase::Context context;
    auto packed = dbase::Table::Open(context, extra);
    EXPECT_EQ(packed->RecordCount(), 2u);
    EXPECT_TRUE(window->AppInfo().Database()->Plans().Active());
    EXPECT_TRUE(window->AppInfo().Database()->Classes().Active());
}

TEST_F(MainWindow, UpperCaseClassCodesRewritesEveryClassRow)
{
    Debug(true);
    const auto window = MakeWindow();
    TCBTable &classes = window->AppInfo().Database()->Classes();
    classes.SelectTag("");
    classes.First();
    ASSERT_FALSE(classes.Eof());
    classes.SetString("C_PHRASE", "clerical office employees");
    classes.SetString("C_SUBCODE", "ab");
    classes.Flush();
    window->mnuUpperCase->trigger();
    EXPECT_THAT(prompter.Texts(), ElementsAre("Uppercase Function Complete"));
    classes.SelectTag("");
    classes.First();
    EXPECT_EQ(Trim(classes.GetString("C_PHRASE")), "CLERICAL OFFICE EMPLOYEES");
    EXPECT_EQ(Trim(classes.GetString("C_SUBCODE")), "AB");
    int lowerCase = 0;
    for (classes.First(); !classes.Eof(); classes.Next()) {
        const std::string phrase = classes.GetString("C_PHRASE");
        lowerCase += phrase != UpperCase(phrase) ? 1 : 0;
    }
    EXPECT_EQ(lowerCase, 0);
}

TEST_F(MainWindow, TheOneTimeDatabaseCorrectionReplacesStoredQuotesAndTellsOnce)
{
    About(1, "MA");
    {
        // A stored customer and quote header from an earlier version.
        TCBDatabase database;
        TVereDivoCustDBO store(database, dir.File("program/Data/"));
        TCustLOBInfo header;
        header.SetCustomerNumber(1);
        header.SetQuoteID(1);
        header.SetDescription("Old quote");
        store.SaveQuoteHeader(header);
    }
    dir.WriteFile("program/Data/Patch.ini", "[Patch1Required]\n1_MA=true\n");
    const auto window = MakeWindow();
    FakeQuote *quote = nullptr;
    UseFakeQuotes(*window, quote);
    ASSERT_NE(window->NewQuote(), nullptr);
    ASSERT_EQ(prompter.Entries().size(), 1u);
    EXPECT_EQ(prompter.Entries()[0].caption, "Database Correction");
    EXPECT_EQ(prompter.Entries()[0].kind, Prompter::Kind::Information);
    EXPECT_EQ(prompter.Entries()[0].text,
              "In order to correct a problem in your Customer Database it was necessary to "
              "replace old customer quotes with empty data. Previously stored quotes will no "
              "longer be available for viewing.  Quotes saved beyond this point will NOT be "
              "adversly affected");
    EXPECT_TRUE(window->AppInfo().QuoteDB().CustDBO().QuoteHeaders().IsEmpty());

    prompter.Clear();
    ASSERT_NE(window->NewQuote(), nullptr);
    EXPECT_THAT(prompter.Texts(), IsEmpty());
}

TEST_F(MainWindow, PackRemovesDeletedQuotesAndTheStoreWorksOnAfterwards)
{
    const auto window = MakeWindow();
    TVereDivoCustDBO &store = window->AppInfo().QuoteDB().CustDBO();
    for (const int32_t id : {1, 2, 3}) {
        TCustLOBInfo header;
        header.SetCustomerNumber(7);
        header.SetQuoteID(id);
        header.SetDescription("Quote " + std::to_string(id));
        store.SaveQuoteHeader(header);
        store.SavePlan(id, 1);
    }
    store.DeleteQuote(2);
    prompter.QueueAnswer(Prompter::Answer::Yes);
    window->mnuPack->trigger();
    EXPECT_EQ(store.QuoteHeaders().RecordCount(), 2);
    EXPECT_EQ(store.Plans().RecordCount(), 2);
    ASSERT_EQ(store.ListQuotes(7).size(), 2u);
    EXPECT_EQ(store.ListQuotes(7)[1]->QuoteID(), 3);
    EXPECT_EQ(store.GetPlan(3, 0), 1);
}

#include "MainWindowTest.moc"
