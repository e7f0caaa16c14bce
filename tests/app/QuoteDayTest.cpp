// The agent's working day through the real windows: start, choose the state, add classes,
// calculate, change factors, save, close, open the quote again in a new main window. After
// every step the total the window shows is checked against the rating command on the same
// quote, on a copy of the built program folder.

#include "app/WcForm.h"
#include "core/Dates.h"
#include "core/IniFile.h"
#include "core/Paths.h"
#include "core/Text.h"
#include "rating/VereDivoQuote.h"
#include "storage/VereDivoAppInfo.h"
#include "storage/VereDivoCustDBO.h"
#include "storage/VereDivoQuoteDBInterface.h"
#include "ui/ClassLineDialogs.h"
#include "ui/ClassSelection.h"
#include "ui/CustomerDialog.h"
#include "ui/DetailWindow.h"
#include "ui/InputWidgets.h"
#include "ui/LoadQuotation.h"

#include "support/ModalScript.h"
#include "support/ScopedEnv.h"
#include "support/ScratchFolder.h"
#include "support/ScriptedPrompter.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include <filesystem>
#include <fstream>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using testing::IsEmpty;

namespace {

struct TClassLine
{
    std::string Code;
    int32_t Payroll;
    int32_t Employees;
};

struct TInput
{
    std::string Name;
    std::string Text;
};

class QuoteDay : public testing::Test
{
protected:
    QuoteDay()
        : settings("VEREDIVO_SETTINGS_DIR", dir.File("settings/")),
          state("XDG_STATE_HOME", dir.File("state/"))
    {
        std::filesystem::copy(BuiltProgramFolder(), dir.File("program"),
                              std::filesystem::copy_options::recursive);
        SetProgramFolder(dir.File("program/"));
        // The settings file beside the running program holds the agency profile.
        TIniFile(ProgramFolder() + ChangeFileExt(ExtractFileName(ProgramFile()), ".ini"))
            .WriteString("Agency Info", "Name", "Harbor Insurance Agency");
    }
    ~QuoteDay() override { SetProgramFolder(""); }

    // The main window, shown; its first showing asks for the state.
    std::unique_ptr<TWC_MDI> Start(const QString &stateName)
    {
        auto window = std::make_unique<TWC_MDI>();
        ModalScript script;
        script.Then([stateName](QWidget *modal) {
            auto *list = modal->findChild<QListWidget *>(QStringLiteral("lstPlans"));
            const auto found = list->findItems(stateName, Qt::MatchExactly);
            list->setCurrentItem(found.front());
            ClickButton(modal, QStringLiteral("&Select"));
        });
        window->show();
        EXPECT_TRUE(WaitFor([&] { return window->ActiveQuote() != nullptr; }));
        return window;
    }

    static TfrmVereDivoDetail &Detail(TWC_MDI &window)
    {
        return *dynamic_cast<TfrmVereDivoDetail *>(window.ActiveQuote());
    }

    // "Add Class" through "Add Classifications to Quotation" as an agent works it: the clerical
    // payroll typed into its row, every other class found by its code with its payroll typed
    // into "Edit Classification", then Alt+C for "&Calculate".
    void AddClasses(TfrmVereDivoDetail &window, const std::vector<TClassLine> &lines)
    {
        const std::string clerical = window.Quote()->ClericalClass != nullptr
            ? Trim(window.Quote()->ClericalClass->Code)
            : std::string();
        ModalScript script;
        script.Then([lines, clerical](QWidget *modal) {
            auto *classes = qobject_cast<TfrmClassList *>(modal);
            ASSERT_NE(classes, nullptr) << modal->windowTitle().toStdString();
            for (const TClassLine &wanted : lines) {
                if (wanted.Code == clerical) {
                    Type(classes->txtClericalPayroll, IntText(wanted.Payroll));
                    QTest::keyClick(classes->txtClericalPayroll, Qt::Key_Tab);
                    Type(classes->txtClericalEmp, IntText(wanted.Employees));
                    QTest::keyClick(classes->txtClericalEmp, Qt::Key_Tab);
                    continue;
                }
                // The payroll dialog opens over the window; the script answers it.
                Type(classes->txtSearch, wanted.Code);
                QTest::keyClick(classes->txtSearch, Qt::Key_Return);
                if (!classes->isActiveWindow()) {
                    classes->activateWindow();
                }
                EXPECT_TRUE(QTest::qWaitForWindowActive(classes));
            }
            QTest::keyClick(classes, Qt::Key_C, Qt::AltModifier);
        });
        for (const TClassLine &wanted : lines) {
            if (wanted.Code == clerical) {
                continue;
            }
            script.Then([wanted](QWidget *modal) {
                auto *dialog = qobject_cast<TfrmEditClass *>(modal);
                ASSERT_NE(dialog, nullptr) << modal->windowTitle().toStdString();
                Type(dialog->txtPayroll, IntText(wanted.Payroll));
                QTest::keyClick(dialog->txtPayroll, Qt::Key_Return);
                Type(dialog->txtEmployees, IntText(wanted.Employees));
                QTest::keyClick(dialog, Qt::Key_C, Qt::AltModifier);
            });
        }
        QTest::mouseClick(window.btnAdd, Qt::LeftButton);
        EXPECT_TRUE(WaitFor([&] { return script.Done(); }));
        EXPECT_EQ(window.lstClasses->topLevelItemCount(),
                  static_cast<int>(m_classes.size() + lines.size()));
        m_classes.insert(m_classes.end(), lines.begin(), lines.end());
    }

    // Gives the box the focus and types over what it holds.
    static void Type(QLineEdit *box, const std::string &text)
    {
        box->setFocus(Qt::TabFocusReason);
        box->selectAll();
        QTest::keyClicks(box, QString::fromStdString(text));
    }

    // Types into a factor box, or picks a list entry with the keyboard, and moves on.
    void SetFactor(TfrmVereDivoDetail &window, const std::string &name, const std::string &text)
    {
        QWidget *widget = window.InputWidgets()->WidgetNamed(name);
        ASSERT_NE(widget, nullptr) << name;
        // Focus moves only in the active window.
        window.window()->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.window()));
        widget->setFocus(Qt::TabFocusReason);
        if (auto *list = qobject_cast<QComboBox *>(widget)) {
            const int wanted = list->findText(QString::fromStdString(text));
            ASSERT_GE(wanted, 0) << text;
            while (list->currentIndex() != wanted) {
                QTest::keyClick(list, list->currentIndex() < wanted ? Qt::Key_Down : Qt::Key_Up);
            }
            QTest::keyClick(list, Qt::Key_Tab);
        } else {
            auto *box = qobject_cast<QLineEdit *>(widget);
            box->selectAll();
            QTest::keyClicks(box, QString::fromStdString(text));
            QTest::keyClick(box, Qt::Key_Tab);
        }
        m_inputs.push_back({name, text});
    }

    // The total the rating command gives for the classes and inputs entered so far.
    int32_t RatedByCommand(const std::string &stateCode, TDateTime effective)
    {
        std::string json = "{ \"state\": \"" + stateCode + "\", \"broker\": 1, \"effective\": \"" +
            DateToStr(effective) + "\", \"classes\": [";
        for (size_t i = 0; i < m_classes.size(); ++i) {
            json += std::string(i == 0 ? "" : ", ") + "{ \"code\": \"" + m_classes[i].Code +
                "\", \"payroll\": " + IntText(m_classes[i].Payroll) +
                ", \"employees\": " + IntText(m_classes[i].Employees) + " }";
        }
        json += "], \"inputs\": {";
        for (size_t i = 0; i < m_inputs.size(); ++i) {
            json += std::string(i == 0 ? "" : ", ") + "\"" + m_inputs[i].Name + "\": \"" +
                m_inputs[i].Text + "\"";
        }
        json += "} }";
        dir.WriteFile("request.json", json);
        QProcess command;
        command.start(QString::fromStdString(dir.File("program/veredivo-rate")),
                      {QStringLiteral("--program-dir"), QString::fromStdString(dir.File("program")),
                       QStringLiteral("--json"), QString::fromStdString(dir.File("request.json"))});
        EXPECT_TRUE(command.waitForFinished(60000));
        const QJsonObject result =
            QJsonDocument::fromJson(command.readAllStandardOutput()).object();
        EXPECT_TRUE(result.value(QStringLiteral("rated")).toBool())
            << command.readAllStandardError().toStdString();
        return result.value(QStringLiteral("amounts"))
            .toObject()
            .value(QStringLiteral("TotalPremium"))
            .toInt();
    }

    void ExpectTotalAsTheCommand(TfrmVereDivoDetail &window)
    {
        const int32_t rated =
            RatedByCommand(window.Quote()->StateCode, window.Quote()->EffectiveDate);
        EXPECT_GT(rated, 0);
        EXPECT_EQ(window.txtTotalPremium->text().toStdString(), MoneyText(rated));
    }

    // The customer dialog of the first save: the customer, the quote the same.
    static void FillCustomer(QWidget *modal, const char *company)
    {
        auto *dialog = qobject_cast<TfrmCustInfo *>(modal);
        ASSERT_NE(dialog, nullptr);
        QTest::keyClicks(dialog->txtCompany, company);
        QTest::keyClicks(dialog->txtFirst, "Ann");
        QTest::keyClicks(dialog->txtLast, "Lee");
        QTest::keyClicks(dialog->txtStreet, "12 Harbor Street");
        QTest::keyClicks(dialog->txtCity, "Boston");
        if (!dialog->chkSame->isChecked()) {
            dialog->chkSame->click();
        }
        dialog->btnDone->click();
    }

    // The whole run for one state; the factors entered in order.
    void Run(const QString &stateName, const std::vector<TClassLine> &classes,
             const std::vector<TInput> &factors, const char *company)
    {
        std::string shownTotal;
        std::vector<std::pair<std::string, std::string>> shownInputs;
        {
            const auto window = Start(stateName);
            TfrmVereDivoDetail &detail = Detail(*window);
            EXPECT_EQ(detail.txtTotalPremium->text(), QStringLiteral("N/A"));
            AddClasses(detail, classes);
            ExpectTotalAsTheCommand(detail);
            for (const TInput &factor : factors) {
                const QString before = detail.txtTotalPremium->text();
                SetFactor(detail, factor.Name, factor.Text);
                EXPECT_NE(detail.txtTotalPremium->text(), before) << factor.Name;
                ExpectTotalAsTheCommand(detail);
            }

            ModalScript script;
            script.Then([company](QWidget *modal) { FillCustomer(modal, company); });
            window->mnuSaveQuote->trigger();
            EXPECT_GT(detail.Quote()->QuoteId, 0);
            EXPECT_EQ(detail.windowTitle().toStdString(),
                      std::string(company) + " (" + stateName.toStdString() + ")");
            shownTotal = detail.txtTotalPremium->text().toStdString();
            for (const TInput &factor : factors) {
                QWidget *widget = detail.InputWidgets()->WidgetNamed(factor.Name);
                shownInputs.push_back(
                    {factor.Name,
                     qobject_cast<QComboBox *>(widget)
                         ? qobject_cast<QComboBox *>(widget)->currentText().toStdString()
                         : qobject_cast<QLineEdit *>(widget)->text().toStdString()});
            }
            // Saved: closing asks nothing.
            QTest::mouseClick(detail.btnClose, Qt::LeftButton);
            EXPECT_TRUE(WaitFor([&] { return window->MdiArea()->subWindowList().isEmpty(); }));
            EXPECT_THAT(prompter.Texts(), IsEmpty());
            window->mnuExit->trigger();
        }

        // A new main window opens the stored quote again.
        auto window = std::make_unique<TWC_MDI>();
        {
            ModalScript script;
            script.Then([](QWidget *modal) { ClickButton(modal, QStringLiteral("C&ancel")); });
            window->show();
            ASSERT_TRUE(WaitFor([&] { return script.Done(); }));
        }
        ModalScript script;
        script.Then([company](QWidget *modal) {
            auto *load = qobject_cast<TfrmLoadQuotation *>(modal);
            ASSERT_NE(load, nullptr);
            const auto found =
                load->tvCustomers->findItems(QString::fromLatin1(company), Qt::MatchExactly);
            ASSERT_EQ(found.size(), 1);
            load->tvCustomers->setCurrentItem(found.front());
            load->btnOK->click();
        });
        window->btnTaskOpenQuote->click();
        ASSERT_NE(window->ActiveQuote(), nullptr);
        TfrmVereDivoDetail &reopened = Detail(*window);
        EXPECT_EQ(reopened.txtTotalPremium->text().toStdString(), shownTotal);
        ExpectTotalAsTheCommand(reopened);
        for (const auto &[name, text] : shownInputs) {
            QWidget *widget = reopened.InputWidgets()->WidgetNamed(name);
            const std::string now = qobject_cast<QComboBox *>(widget)
                ? qobject_cast<QComboBox *>(widget)->currentText().toStdString()
                : qobject_cast<QLineEdit *>(widget)->text().toStdString();
            EXPECT_EQ(now, text) << name;
        }
        EXPECT_EQ(reopened.lstClasses->topLevelItemCount(), static_cast<int>(classes.size()));
        EXPECT_FALSE(reopened.Quote()->Modified);
        window->mnuExit->trigger();
    }

    ScratchFolder dir;
    ScopedEnv settings;
    ScopedEnv state;
    ScriptedPrompter prompter;
    TScopedClassLineEditor classLineEditor;

private:
    std::vector<TClassLine> m_classes;
    std::vector<TInput> m_inputs;
};

TEST_F(QuoteDay, AMassachusettsQuoteFromStartToReopening)
{
    Run(QStringLiteral("Massachusetts"), {{"8810", 45000, 2}, {"5183", 90000, 4}},
        {{"txtExpMod", "0.85"}, {"lstPartTwo", "500/500/500"}, {"lstMedical", "1000"}},
        "Harbor Plumbing");
}

TEST_F(QuoteDay, ANewJerseyQuoteFromStartToReopening)
{
    Run(QStringLiteral("New Jersey"), {{"8810", 60000, 3}, {"9079", 310000, 12}},
        {{"txtExpMod", "1.08"}, {"lstPartTwo", "500/500/500"}, {"txtPPAPFactor", "1.10"}},
        "Garden State Diner");
}

// A new quote is dated today: the bureau wants a later date, and the main window's readiness
// check offers the customer dialog with the address before it refuses a quote without a name.
TEST_F(QuoteDay, SubmitToWcribBumpsTheDateAndWantsTheCustomersName)
{
    const auto window = Start(QStringLiteral("Massachusetts"));
    TfrmVereDivoDetail &detail = Detail(*window);
    AddClasses(detail, {{"8810", 45000, 2}, {"5183", 90000, 4}});
    prompter.Clear();
    prompter.QueueAnswer(Prompter::Answer::Yes);
    ModalScript script;
    bool askedForAddress = false;
    script.Then([&askedForAddress](QWidget *modal) {
        auto *dialog = qobject_cast<TfrmCustInfo *>(modal);
        ASSERT_NE(dialog, nullptr) << modal->windowTitle().toStdString();
        QTest::keyClicks(dialog->txtCompany, "Acme Roofing");
        dialog->btnDone->click();
        // The address is asked for too; the agent gives up.
        askedForAddress = dialog->isVisible();
        dialog->btnCancel->click();
    });
    QTest::mouseClick(detail.btnSubmit, Qt::LeftButton);
    EXPECT_TRUE(script.Done());
    EXPECT_TRUE(askedForAddress);
    EXPECT_THAT(prompter.Texts(),
                testing::ElementsAre("The WCRIB requires the Effective Date to be greater than "
                                     "today.  Click Yes to bump the Effective Date to tomorrow "
                                     "and continue with the Submission",
                                     "Please provide a First Name",
                                     "Unable to Export to WCRIB without a Company Name"));
    EXPECT_EQ(detail.Quote()->EffectiveDate, Today() + 1);
    EXPECT_EQ(detail.pnlEffective->text().toStdString(), DateToStr(Today() + 1));
    ExpectTotalAsTheCommand(detail);
    window->mnuExit->trigger();
}

} // namespace
