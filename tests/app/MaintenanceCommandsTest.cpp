// The Utilities menu's maintenance commands on a copy of the delivered tables: each opens its
// window on the running broker's plan, the window's work reaches the data folder's tables, and
// "Create Distribution Data" does nothing but refuse while a quote window is open.

#include "app/WcForm.h"
#include "core/IniFile.h"
#include "core/Paths.h"
#include "core/Text.h"
#include "dbase/Table.h"
#include "maintenance/MaintenanceWindows.h"
#include "storage/StateTable.h"

#include "support/ModalScript.h"
#include "support/ScopedEnv.h"
#include "support/ScratchFolder.h"
#include "support/ScriptedPrompter.h"

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QPushButton>
#include <QSpinBox>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using testing::ElementsAre;

namespace {

class NoStates final : public TStateTable
{
public:
    std::vector<TStateRow> Rows() override { return {}; }
    void SetActiveStates(const std::vector<std::string> &) override { }
};

// The rows of a delivered table as the engine reads them: each row's texts joined, with "*"
// in front of a deleted one; and the engine's check of its tags.
struct TableRead
{
    std::vector<std::string> rows;
    std::vector<std::string> problems;
};

TableRead ReadTable(const std::string &path)
{
    dbase::Context context;
    auto table = dbase::Table::Open(context, path);
    TableRead read;
    for (uint32_t recno = 1; recno <= table->RecordCount(); ++recno) {
        table->Go(recno);
        std::string row = table->Deleted() ? "*" : "";
        for (const dbase::Field &field : table->Fields()) {
            row += Trim(table->GetText(field)) + "|";
        }
        read.rows.push_back(row);
    }
    read.problems = table->Check();
    return read;
}

// Every file of a folder with its bytes.
std::map<std::string, std::string> FolderBytes(const std::string &folder)
{
    std::map<std::string, std::string> files;
    for (const auto &entry : std::filesystem::directory_iterator(folder)) {
        std::ifstream in(entry.path(), std::ios::binary);
        files[entry.path().filename().string()] =
            std::string(std::istreambuf_iterator<char>(in), {});
    }
    return files;
}

class MaintenanceCommands : public testing::Test
{
protected:
    MaintenanceCommands()
        : settings("VEREDIVO_SETTINGS_DIR", dir.File("settings/")),
          state("XDG_STATE_HOME", dir.File("state/"))
    {
        SetProgramFolder(dir.File("program/"));
        CopyDeliveredData(dir.File("program/Data/"));
        dir.WriteFile("program/Data/About.ini", "[Detail]\nActive_Broker=5\nActive_State=MA\n");
        const std::string program = ChangeFileExt(ExtractFileName(ProgramFile()), "");
        TIniFile(dir.File("program/") + program + ".ini")
            .WriteBool("General", "DebugOptionsOn", true);
        window = std::make_unique<TWC_MDI>();
        window->SetStateTable(std::make_unique<NoStates>());
    }
    ~MaintenanceCommands() override
    {
        window.reset();
        SetProgramFolder("");
    }
    std::string Data(const std::string &file) const { return dir.File("program/Data/") + file; }

    ScratchFolder dir;
    ScopedEnv settings;
    ScopedEnv state;
    ScriptedPrompter prompter;
    std::unique_ptr<TWC_MDI> window;
};

} // namespace

TEST_F(MaintenanceCommands, EachOpensItsWindowOnTheBrokersPlanAndCancelChangesNothing)
{
    const auto before = FolderBytes(Data(""));
    const std::pair<QAction *, QString> commands[] = {
        {window->mnuDeleteClassCodes, QStringLiteral("Delete Class Clodes")},
        {window->mnuAddNewClassFile, QStringLiteral("Add New Class File")},
        {window->CopyInputs1, QStringLiteral("Copy Inputs")},
        {window->CopyHazardCodes1, QStringLiteral("Copy Hazard Codes")},
        {window->CreateDistributionData1, QStringLiteral("Prepare Setup File")},
    };
    for (const auto &[command, title] : commands) {
        ASSERT_TRUE(command->isVisible()) << title.toStdString();
        ModalScript script;
        script.Then([&, title = title](QWidget *modal) {
            auto *maintenance = qobject_cast<TMaintenanceWindow *>(modal);
            ASSERT_NE(maintenance, nullptr);
            EXPECT_EQ(maintenance->windowTitle(), title);
            EXPECT_EQ(maintenance->Broker(), 5);
            EXPECT_EQ(maintenance->State(), 13);
            maintenance->btnCancel->click();
        });
        command->trigger();
        EXPECT_TRUE(script.Done()) << title.toStdString();
    }
    EXPECT_TRUE(prompter.Texts().empty());
    EXPECT_TRUE(before == FolderBytes(Data(""))) << "a cancelled window changed the tables";
}

TEST_F(MaintenanceCommands, CopyHazardCodesAddsThePeriodsRowsToTheDataFolder)
{
    const TableRead before = ReadTable(Data("HAZ_CODE.DBF"));
    std::vector<std::string> periodOne;
    for (const std::string &row : before.rows) {
        if (row.rfind("5|13|1|", 0) == 0) {
            periodOne.push_back(row);
        }
    }
    ASSERT_FALSE(periodOne.empty());

    ModalScript script;
    script.Then([&](QWidget *modal) {
        auto *copy = qobject_cast<TfrmCopyHazardCodes *>(modal);
        ASSERT_NE(copy, nullptr);
        copy->spnFromPeriod->setValue(1);
        copy->spnToPeriod->setValue(7);
        prompter.QueueAnswer(Prompter::Answer::Yes);
        copy->btnAction->click();
    });
    window->CopyHazardCodes1->trigger();
    EXPECT_THAT(prompter.Texts(),
                ElementsAre("Copy the hazard codes of broker 5 MA from rate period 1 to rate "
                            "period 7?",
                            std::to_string(periodOne.size()) + " hazard codes copied."));

    const TableRead after = ReadTable(Data("HAZ_CODE.DBF"));
    EXPECT_TRUE(after.problems.empty()) << after.problems.front();
    ASSERT_EQ(after.rows.size(), before.rows.size() + periodOne.size());
    // The old rows as they were, then period 1's rows once more as period 7.
    EXPECT_TRUE(std::equal(before.rows.begin(), before.rows.end(), after.rows.begin()));
    for (size_t i = 0; i < periodOne.size(); ++i) {
        EXPECT_EQ(after.rows[before.rows.size() + i], "5|13|7|" + periodOne[i].substr(7));
    }
}

TEST_F(MaintenanceCommands, DeleteClassCodesMarksTheCheckedClassInTheClassTable)
{
    const TableRead before = ReadTable(Data("WCCLASS.DBF"));
    std::string code;
    ModalScript script;
    script.Then([&](QWidget *modal) {
        auto *remove = qobject_cast<TfrmDeleteClassCodes *>(modal);
        ASSERT_NE(remove, nullptr);
        ASSERT_GT(remove->lstClasses->count(), 0);
        code = remove->lstClasses->item(0)->data(Qt::UserRole).toString().toStdString();
        remove->lstClasses->item(0)->setCheckState(Qt::Checked);
        prompter.QueueAnswer(Prompter::Answer::Yes);
        remove->btnAction->click();
    });
    window->mnuDeleteClassCodes->trigger();
    ASSERT_FALSE(code.empty());
    EXPECT_EQ(prompter.Texts().back(), "1 classes deleted.");

    const TableRead after = ReadTable(Data("WCCLASS.DBF"));
    EXPECT_TRUE(after.problems.empty()) << after.problems.front();
    ASSERT_EQ(after.rows.size(), before.rows.size());
    // Exactly one row changed: the class, now marked deleted, its values kept.
    int changed = 0;
    for (size_t i = 0; i < before.rows.size(); ++i) {
        if (before.rows[i] != after.rows[i]) {
            ++changed;
            EXPECT_EQ(after.rows[i], "*" + before.rows[i]);
            EXPECT_NE(before.rows[i].find("|" + code + "|"), std::string::npos) << before.rows[i];
        }
    }
    EXPECT_EQ(changed, 1);
}

TEST_F(MaintenanceCommands, DistributionDataIsRefusedWhileAQuoteWindowIsOpen)
{
    ASSERT_NE(window->NewQuote(), nullptr);
    // Refused: no window comes up (the modal script fails on one it has no action for).
    ModalScript script;
    window->CreateDistributionData1->trigger();
    EXPECT_THAT(prompter.Texts(), ElementsAre("Cannot Perform Function With Open Windows"));
    prompter.Clear();

    // With every quote window closed the setup data is written for the broker's MA plan.
    window->MdiArea()->closeAllSubWindows();
    script.Then([&](QWidget *modal) {
        auto *setup = qobject_cast<TfrmPrepareSetup *>(modal);
        ASSERT_NE(setup, nullptr);
        setup->txtFolder->setText(QString::fromStdString(dir.File("setup")));
        prompter.QueueAnswer(Prompter::Answer::Yes);
        setup->btnAction->click();
    });
    window->CreateDistributionData1->trigger();
    ASSERT_TRUE(FileExists(dir.File("setup/manifest.txt")));
    const TableRead plans = ReadTable(dir.File("setup/WCPLAN.DBF"));
    EXPECT_TRUE(plans.problems.empty());
    ASSERT_FALSE(plans.rows.empty());
    for (const std::string &row : plans.rows) {
        EXPECT_EQ(row.rfind("5|13|", 0), 0u) << row;
    }
}
