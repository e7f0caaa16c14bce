// The agent's own sub-classes: set up through their windows, stored in the user class table of
// a copy of the program folder, offered in the class selection and rated like their parent.

#include "ClassWindowsTest.h"

#include "core/Text.h"
#include "dbase/Context.h"
#include "dbase/Table.h"
#include "rating/VereDivoQuote.h"
#include "ui/ClassSelection.h"
#include "ui/UserClasses.h"

#include <QCheckBox>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include <gmock/gmock.h>

using testing::ElementsAre;
using testing::IsEmpty;

namespace {

struct StoredUserClass
{
    std::string Code, SubCode, ParentCode, Phrase;
    bool operator==(const StoredUserClass &) const = default;
};

std::ostream &operator<<(std::ostream &out, const StoredUserClass &row)
{
    return out << row.Code << "/" << row.SubCode << " of " << row.ParentCode << ": " << row.Phrase;
}

// The live rows of the user class table, read with the engine itself.
std::vector<StoredUserClass> StoredUserClasses(const std::string &programFolder)
{
    dbase::Context context;
    auto table = dbase::Table::Open(context, programFolder + "Data/usrClass.dbf");
    std::vector<StoredUserClass> rows;
    for (table->Top(); !table->Eof(); table->Skip()) {
        if (table->Deleted()) {
            continue;
        }
        const auto text = [&](const char *name) {
            return Trim(table->GetText(table->FieldByName(name)));
        };
        rows.push_back({text("Code"), text("SubCode"), text("Parent_C"), text("Phrase")});
    }
    return rows;
}

QListWidgetItem *ItemStartingWith(QListWidget *list, const QString &start)
{
    for (int i = 0; i < list->count(); ++i) {
        if (list->item(i)->text().startsWith(start)) {
            return list->item(i);
        }
    }
    return nullptr;
}

} // namespace

TEST_F(ClassWindowsTest, UserClassSetupStoresTheClassAndOffersIt)
{
    TfrmClassList window(Quote());
    ModalScript script;
    script
        .Then([&](QWidget *modal) {
            auto &w = *qobject_cast<TfrmClassList *>(modal);
            EXPECT_EQ(RowWithText(w.lstAvailable, 0, "OFFICE STAFF*"), nullptr);
            AltKey(&w, Qt::Key_S); // "&Setup User Classes"
            Reactivate(&w);
            // The new class is offered at once, and goes on the quote like any other.
            QTreeWidgetItem *row = RowWithText(w.lstAvailable, 0, "OFFICE STAFF*");
            ASSERT_NE(row, nullptr);
            EXPECT_EQ(row->text(1), "8810");
            w.lstAvailable->setCurrentItem(row);
            w.lstAvailable->setFocus();
            QTest::keyClick(w.lstAvailable, Qt::Key_Return);
            Reactivate(&w);
            w.btnCalculate->click();
        })
        .Then([](QWidget *modal) {
            auto *setup = qobject_cast<TfrmUserClasses *>(modal);
            ASSERT_NE(setup, nullptr) << modal->windowTitle().toStdString();
            EXPECT_EQ(setup->windowTitle(), "User Defined Class Setup");
            EXPECT_EQ(setup->lstUserClasses->topLevelItemCount(), 0);
            setup->btnAdd->click();
            ASSERT_EQ(setup->lstUserClasses->topLevelItemCount(), 1);
            EXPECT_EQ(setup->lstUserClasses->currentItem()->text(0), "OFFICE STAFF*");
            setup->btnClose->click();
        })
        .Then([&](QWidget *modal) {
            auto *info = qobject_cast<TfrmSubClassInfo *>(modal);
            ASSERT_NE(info, nullptr) << modal->windowTitle().toStdString();
            EXPECT_EQ(info->windowTitle(), "Sub Class Information");
            // A title is required; so is a class.
            info->chkShowCode->click();
            QListWidgetItem *clerical = ItemStartingWith(info->lstClasses, "8810   ");
            ASSERT_NE(clerical, nullptr);
            EXPECT_EQ(clerical->text(), "8810   CLERICAL OFFICE EMPLOYEES NOC");
            info->lstClasses->setCurrentItem(clerical);
            info->btnDone->click();
            EXPECT_THAT(Messages().Texts(), ElementsAre("Please provide a Title or click Cancel"));
            EXPECT_TRUE(info->txtTitle->hasFocus());
            QTest::keyClicks(info->txtTitle, "office staff");
            AltKey(info, Qt::Key_D);
        })
        .Then(PayrollDialog("40000", "2"));
    ASSERT_EQ(window.exec(), QDialog::Accepted);

    EXPECT_THAT(StoredUserClasses(ProgramFolder()),
                ElementsAre(StoredUserClass {"8810", "%1", "8810", "OFFICE STAFF*"}));
    ASSERT_EQ(Quote().Classes().size(), 1u);
    const TVereDivoClass &staff = *Quote().Classes()[0];
    EXPECT_EQ(staff.SubCode, "%1");
    EXPECT_EQ(staff.GetPayroll(), 40000);
    EXPECT_DOUBLE_EQ(staff.Rate, Quote().ClericalClass->Rate);
    ASSERT_TRUE(Quote().CalculatePremium());
    // The rating command reads the same stored class from the same folder.
    EXPECT_EQ(Quote().Results.TotalPremium, RatedTotal());
}

TEST_F(ClassWindowsTest, UserClassesAreRenamedAndDeleted)
{
    auto own = std::make_unique<TVereDivoClass>(1);
    own->CopyFrom(*Quote().FindClass("5645", ""));
    own->ParentCode = "5645";
    own->Description = "FRAMING CREW";
    TVereDivoClass &crew = Quote().AddClass(std::move(own));
    crew.SetPayroll(50000);
    crew.SetEmployees(2);
    Quote().AppendClass(crew);
    ASSERT_THAT(StoredUserClasses(ProgramFolder()),
                ElementsAre(StoredUserClass {"5645", "%1", "5645", "FRAMING CREW*"}));

    TfrmUserClasses setup(Quote());
    ModalScript script;
    script.Then([](QWidget *modal) {
        auto *info = qobject_cast<TfrmSubClassInfo *>(modal);
        ASSERT_NE(info, nullptr);
        EXPECT_FALSE(info->lstClasses->isEnabled()) << "the parent is fixed";
        EXPECT_EQ(info->lstClasses->count(), 1);
        EXPECT_EQ(info->txtTitle->text(), "FRAMING CREW");
        info->txtTitle->selectAll();
        QTest::keyClicks(info->txtTitle, "roof crew");
        info->btnDone->click();
    });
    setup.show();
    // One row: "&Edit" takes it without a selection.
    setup.lstUserClasses->clearSelection();
    setup.btnEdit->click();
    EXPECT_THAT(StoredUserClasses(ProgramFolder()),
                ElementsAre(StoredUserClass {"5645", "%1", "5645", "ROOF CREW*"}));
    EXPECT_EQ(crew.DisplayName(), "ROOF CREW*");

    // Deleting asks; "No" keeps it.
    Messages().QueueAnswer(Prompter::Answer::No);
    setup.btnDelete->click();
    EXPECT_THAT(Messages().Texts(), ElementsAre("Are you sure you want to delete ROOF CREW*?"));
    EXPECT_EQ(StoredUserClasses(ProgramFolder()).size(), 1u);
    Messages().QueueAnswer(Prompter::Answer::Yes);
    setup.btnDelete->click();
    EXPECT_THAT(StoredUserClasses(ProgramFolder()), IsEmpty());
    EXPECT_EQ(Quote().FindClass("5645", "%1"), nullptr);
    EXPECT_TRUE(Quote().Classes().empty());
    EXPECT_EQ(setup.lstUserClasses->topLevelItemCount(), 0);

    // Nothing left to pick.
    Messages().Clear();
    setup.btnEdit->click();
    EXPECT_THAT(Messages().Texts(), ElementsAre("Please select an item in the list"));
    setup.btnClose->click();
    EXPECT_EQ(setup.result(), QDialog::Accepted) << "classes changed";
}

TEST_F(ClassWindowsTest, DeletingAChosenUserClassInTheSetupLeavesTheChosenList)
{
    auto own = std::make_unique<TVereDivoClass>(1);
    own->CopyFrom(*Quote().FindClass("8810", ""));
    own->ParentCode = "8810";
    own->Description = "BRANCH";
    TVereDivoClass &branch = Quote().AddClass(std::move(own));
    branch.SetPayroll(20000);
    branch.SetEmployees(1);
    Quote().AppendClass(branch);
    Harness().Add("5183", 90000, 3);

    TfrmClassList window(Quote());
    ModalScript script;
    script
        .Then([&](QWidget *modal) {
            auto &w = *qobject_cast<TfrmClassList *>(modal);
            EXPECT_EQ(w.lstActive->topLevelItemCount(), 2);
            w.btnUserClasses->click();
            EXPECT_THAT(ColumnTexts(w.lstActive, 0),
                        ElementsAre("PLUMBING NOC, INCLUDING DRIVERS"));
            EXPECT_EQ(RowWithText(w.lstAvailable, 0, "BRANCH*"), nullptr);
            w.btnCancel->click();
        })
        .Then([&](QWidget *modal) {
            auto *setup = qobject_cast<TfrmUserClasses *>(modal);
            ASSERT_NE(setup, nullptr);
            Messages().QueueAnswer(Prompter::Answer::Yes);
            setup->btnDelete->click();
            QTest::keyClick(setup, Qt::Key_Escape); // closes like "&Close"
        });
    EXPECT_EQ(window.exec(), QDialog::Rejected);
    EXPECT_TRUE(window.QuoteChanged()) << "a class of the quote is gone";
    ASSERT_EQ(Quote().Classes().size(), 1u);
    EXPECT_EQ(Quote().Classes()[0]->Code, "5183");
    EXPECT_EQ(Quote().Classes()[0]->GetPayroll(), 90000);
}
