// The maintenance windows on a copy of the delivered tables: each asks before it changes the
// tables, does what its boxes say, and on a refusal shows the reason and stays open.

#include "maintenance/MaintenanceWindows.h"

#include "core/Paths.h"
#include "db/VereDivoDatabase.h"
#include "maintenance/TableMaintenance.h"
#include "support/ScratchFolder.h"
#include "support/ScriptedPrompter.h"

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>

#include <gtest/gtest.h>

#include <memory>

namespace {

struct Tables
{
    ScratchFolder folder;
    std::unique_ptr<TVereDivoDatabase> database;
    Tables()
    {
        CopyDeliveredData(folder.Path());
        database = std::make_unique<TVereDivoDatabase>(folder.Path());
    }
};

} // namespace

TEST(MaintenanceWindows, CopyHazardCodesAsksThenCopies)
{
    Tables t;
    ScriptedPrompter prompter;
    TfrmCopyHazardCodes window(*t.database);
    EXPECT_EQ(window.windowTitle(), "Copy Hazard Codes");
    window.SelectPlan(5, 13);
    window.spnToPeriod->setValue(3);

    prompter.QueueAnswer(Prompter::Answer::No);
    window.btnAction->click();
    EXPECT_NE(window.result(), QDialog::Accepted);
    EXPECT_EQ(prompter.Texts().back(),
              "Copy the hazard codes of broker 5 MA from rate period 1 to rate period 3?");

    prompter.QueueAnswer(Prompter::Answer::Yes);
    window.btnAction->click();
    EXPECT_EQ(window.result(), QDialog::Accepted);
    EXPECT_EQ(prompter.Texts().back(), "9 hazard codes copied.");
    // Copied once: a second copy into the same period is refused.
    EXPECT_THROW(CopyHazardCodes(*t.database, 5, 13, 1, 3), EMaintenanceError);
}

TEST(MaintenanceWindows, ARefusalIsShownAndTheWindowStaysOpen)
{
    Tables t;
    ScriptedPrompter prompter;
    TfrmCopyHazardCodes window(*t.database);
    window.show();
    window.SelectPlan(5, 13); // periods 1 and 2 both hold codes
    prompter.QueueAnswer(Prompter::Answer::Yes);
    window.btnAction->click();
    EXPECT_TRUE(window.isVisible());
    ASSERT_EQ(prompter.Entries().size(), 2u);
    EXPECT_EQ(prompter.Entries()[1].kind, Prompter::Kind::Error);
    EXPECT_EQ(prompter.Entries()[1].text,
              "Rate period 2 of broker 5 MA has 9 hazard codes already.");
}

TEST(MaintenanceWindows, DeleteClassCodesListsTheClassFileAndMarksTheChecked)
{
    Tables t;
    ScriptedPrompter prompter;
    TfrmDeleteClassCodes window(*t.database);
    EXPECT_EQ(window.windowTitle(), "Delete Class Clodes");
    window.SelectPlan(1, 13);
    window.spnFile->setValue(2);
    const size_t before = ClassFileEntries(*t.database, 1, 13, 2).size();
    ASSERT_EQ(static_cast<size_t>(window.lstClasses->count()), before);
    window.btnAction->click();
    EXPECT_EQ(prompter.Texts().back(), "Check the classes to delete.");

    window.lstClasses->item(0)->setCheckState(Qt::Checked);
    window.lstClasses->item(2)->setCheckState(Qt::Checked);
    prompter.QueueAnswer(Prompter::Answer::Yes);
    window.btnAction->click();
    EXPECT_EQ(window.result(), QDialog::Accepted);
    EXPECT_EQ(prompter.Texts().back(), "2 classes deleted.");
    EXPECT_EQ(ClassFileEntries(*t.database, 1, 13, 2).size(), before - 2);
}

TEST(MaintenanceWindows, AddNewClassFileChecksItsDates)
{
    Tables t;
    ScriptedPrompter prompter;
    DeleteClassCodes(*t.database, 1, 13, 2, [&] {
        std::vector<std::pair<std::string, std::string>> codes;
        for (const TClassFileEntry &entry : ClassFileEntries(*t.database, 1, 13, 2)) {
            codes.emplace_back(entry.Code, entry.SubCode);
        }
        return codes;
    }());
    TfrmAddClassFile window(*t.database);
    window.SelectPlan(1, 13);
    window.txtEffective->setText("07/01/2027");
    window.txtExpiration->setText("next year");
    window.btnAction->click();
    EXPECT_EQ(prompter.Texts().back(),
              "Enter the class file's effective and expiration dates as mm/dd/yyyy.");
    window.txtExpiration->setText("06/30/2028");
    prompter.QueueAnswer(Prompter::Answer::Yes);
    window.btnAction->click();
    EXPECT_EQ(window.result(), QDialog::Accepted);
    EXPECT_EQ(ClassFileEntries(*t.database, 1, 13, 2).size(),
              ClassFileEntries(*t.database, 1, 13, 1).size());
}

TEST(MaintenanceWindows, CopyInputsAndPrepareSetupFile)
{
    Tables t;
    ScriptedPrompter prompter;
    TfrmCopyInputs inputs(*t.database);
    inputs.SelectPlan(1, 13);
    inputs.cboToPlan->setCurrentIndex(1); // broker 1 New Jersey
    inputs.spnToSet->setValue(4);
    prompter.QueueAnswer(Prompter::Answer::Yes);
    inputs.btnAction->click();
    EXPECT_EQ(prompter.Texts()[0], "Copy the inputs of MA rate set 1 to NJ rate set 4?");
    EXPECT_EQ(prompter.Texts()[1], "58 inputs copied.");

    ScratchFolder out;
    TfrmPrepareSetup setup(*t.database, t.folder.Path(), 13, 5);
    EXPECT_EQ(setup.Broker(), 5);
    EXPECT_EQ(setup.State(), 13);
    setup.txtFolder->setText(QString::fromStdString(out.File("setup")));
    prompter.QueueAnswer(Prompter::Answer::Yes);
    setup.btnAction->click();
    EXPECT_EQ(setup.result(), QDialog::Accepted) << prompter.Texts().back();
    EXPECT_TRUE(FileExists(out.File("setup/manifest.txt")));
}
