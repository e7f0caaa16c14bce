// The class selection window and its payroll dialogs, driven through their widgets on a quote
// over a copy of the delivered tables.

#include "ClassWindowsTest.h"

#include "core/Rounding.h"
#include "core/Text.h"
#include "rating/VereDivoQuote.h"
#include "ui/ClassLineDialogs.h"
#include "ui/ClassSelection.h"
#include "ui/DialogKeys.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QToolTip>
#include <QTreeWidget>

#include <gmock/gmock.h>

using testing::ElementsAre;

namespace {

// Everything about a class line the class selection could change.
struct LineState
{
    std::string Code;
    std::string SubCode;
    int32_t Payroll;
    int32_t Employees;
    int32_t Premium;
    double Rate;
    double Deviation;
    std::vector<int32_t> Entries;

    bool operator==(const LineState &) const = default;
};

std::vector<LineState> StateOf(const std::vector<TVereDivoClass *> &lines)
{
    std::vector<LineState> states;
    for (const TVereDivoClass *line : lines) {
        LineState state {line->Code,         line->SubCode, line->GetPayroll(), line->Employees,
                         line->GetPremium(), line->Rate,    line->Deviation,    {}};
        if (const auto *multi = dynamic_cast<const TMultiEntryVereDivoClass *>(line)) {
            for (const TVereDivoPayrollItem &entry : multi->Entries) {
                state.Entries.push_back(entry.Payroll);
            }
        }
        states.push_back(state);
    }
    return states;
}

std::vector<LineState> BookState(const TVereDivoQuote &quote)
{
    std::vector<TVereDivoClass *> lines;
    for (const auto &line : quote.ClassBook()) {
        lines.push_back(line.get());
    }
    return StateOf(lines);
}

TfrmClassList &ClassList(QWidget *modal)
{
    auto *window = qobject_cast<TfrmClassList *>(modal);
    EXPECT_NE(window, nullptr) << modal->windowTitle().toStdString();
    return *window;
}

// A construction line with four territories, priced like the class it copies, in the book.
TNewYorkConstructionClass &AddConstructionLine(TVereDivoQuote &quote, const std::string &code)
{
    const TVereDivoClass *source = quote.FindClass(code, "");
    auto line = std::make_unique<TNewYorkConstructionClass>(source->CalcType);
    line->CopyFrom(*source);
    line->Description = "CONTRACTOR TERRITORIES";
    line->SubCode = "NY";
    auto &added = static_cast<TNewYorkConstructionClass &>(quote.AddClass(std::move(line)));
    return added;
}

} // namespace

TEST_F(ClassWindowsTest, AddingEditingAndDeletingClassesGivesThePremiumOfTheRatingCommand)
{
    TfrmClassList window(Quote());
    ASSERT_EQ(window.windowTitle(), "Add Classifications to Quotation");
    {
        ModalScript script;
        script
            .Then([](QWidget *modal) {
                TfrmClassList &w = ClassList(modal);
                EXPECT_TRUE(w.pnlDrivers->isVisible());
                // The clerical payroll first, then its employees.
                TypeInto(w.txtClericalPayroll, "60000");
                TabOn(w.txtClericalPayroll);
                EXPECT_EQ(QApplication::focusWidget(), w.txtClericalEmp);
                QTest::keyClicks(w.txtClericalEmp, "2");
                TabOn(w.txtClericalEmp);
                EXPECT_THAT(ColumnTexts(w.lstActive, 0),
                            ElementsAre("CLERICAL OFFICE EMPLOYEES NOC"));
                EXPECT_EQ(w.txtClericalPayroll->text(), "$60,000");
                // A class by its code: Enter leaves the search box and searches.
                TypeInto(w.txtSearch, "5645");
                QTest::keyClick(w.txtSearch, Qt::Key_Return);
                Reactivate(&w);
                EXPECT_EQ(w.txtSearch->text(), "");
                EXPECT_EQ(QApplication::focusWidget(), w.txtSearch);
                // A class from the list: Enter on its row.
                QTreeWidgetItem *row = RowWithText(w.lstAvailable, 1, "5437");
                ASSERT_NE(row, nullptr);
                w.lstAvailable->setFocus();
                w.lstAvailable->setCurrentItem(row);
                QTest::keyClick(w.lstAvailable, Qt::Key_Return);
                Reactivate(&w);
                EXPECT_EQ(w.lstActive->topLevelItemCount(), 3);
                EXPECT_EQ(w.lstActive->topLevelItem(0)->text(1), "$120,000");
                EXPECT_EQ(w.lstActive->topLevelItem(0)->text(2), "3");
                AltKey(&w, Qt::Key_C); // "&Calculate"
            })
            .Then(PayrollDialog("250000", "6"))
            .Then(PayrollDialog("120000", "3"));
        ASSERT_EQ(window.exec(), QDialog::Accepted);
        EXPECT_TRUE(window.QuoteChanged());
    }
    ASSERT_EQ(Quote().Classes().size(), 3u);
    ASSERT_TRUE(Quote().CalculatePremium());
    const int32_t first = Quote().Results.TotalPremium;
    EXPECT_GT(first, 0);
    EXPECT_EQ(first, RatedTotal());

    // Another payroll for 5645, and 5437 off the quote.
    {
        ModalScript script;
        script
            .Then([](QWidget *modal) {
                TfrmClassList &w = ClassList(modal);
                EXPECT_EQ(w.lstActive->topLevelItemCount(), 3);
                QTreeWidgetItem *carpentry = nullptr;
                for (int i = 0; i < w.lstActive->topLevelItemCount(); ++i) {
                    if (w.lstActive->topLevelItem(i)->text(1) == "$250,000") {
                        carpentry = w.lstActive->topLevelItem(i);
                    }
                }
                ASSERT_NE(carpentry, nullptr);
                w.lstActive->setFocus();
                w.lstActive->setCurrentItem(carpentry);
                QTest::keyClick(w.lstActive, Qt::Key_Return);
                Reactivate(&w);
                QTreeWidgetItem *other = RowWithText(w.lstActive, 1, "$120,000");
                ASSERT_NE(other, nullptr);
                w.lstActive->setCurrentItem(other);
                AltKey(w.btnDelete, Qt::Key_D);
                EXPECT_EQ(w.lstActive->topLevelItemCount(), 2);
                w.btnCalculate->click();
            })
            .Then(PayrollDialog("310000", "7"));
        ASSERT_EQ(window.exec(), QDialog::Accepted);
    }
    ASSERT_EQ(Quote().Classes().size(), 2u);
    EXPECT_EQ(Quote().FindClass("5437", "")->GetPayroll(), 0) << "a class off the quote";
    ASSERT_TRUE(Quote().CalculatePremium());
    EXPECT_NE(Quote().Results.TotalPremium, first);
    EXPECT_EQ(Quote().Results.TotalPremium, RatedTotal());
}

TEST_F(ClassWindowsTest, CancelPutsBackTheClassListExactly)
{
    TVereDivoClass &carpentry = Harness().Add("5645", 250000, 6);
    carpentry.SetDeviation(1.155);
    Harness().Add("8810", 60000, 2);
    Harness().Add("8742", 0, 0); // sales "If Any"
    TNewYorkConstructionClass &territories = AddConstructionLine(Quote(), "5437");
    territories.SetEntryPayroll(1, 10000);
    territories.SetEntryPayroll(3, 5000);
    territories.SetPayroll(15000);
    territories.SetEmployees(2);
    Quote().AppendClass(territories);
    ASSERT_TRUE(Quote().CalculatePremium());
    const int32_t total = Quote().Results.TotalPremium;
    const auto classes = StateOf(Quote().Classes());
    const auto book = BookState(Quote());
    const std::vector<TVereDivoClass *> order = Quote().Classes();
    TVereDivoClass *const clerical = Quote().ClericalClass;

    TfrmClassList window(Quote());
    ModalScript script;
    script
        .Then([&](QWidget *modal) {
            TfrmClassList &w = ClassList(modal);
            EXPECT_EQ(w.lstActive->topLevelItemCount(), 4);
            EXPECT_TRUE(w.chkSalesIfAny->isChecked());
            // Every kind of change the window can make...
            TypeInto(w.txtDriversPayroll, "45000");
            TabOn(w.txtDriversPayroll);
            w.chkSalesIfAny->click(); // off: sales leaves the list
            TypeInto(w.txtSearch, "5183");
            TabOn(w.txtSearch);
            Reactivate(&w);
            w.lstActive->setFocus();
            w.lstActive->setCurrentItem(RowWithText(w.lstActive, 0, "CONTRACTOR TERRITORIES"));
            QTest::keyClick(w.lstActive, Qt::Key_Return);
            Reactivate(&w);
            w.lstActive->setCurrentItem(RowWithText(w.lstActive, 1, "$60,000"));
            w.btnDelete->click();
            EXPECT_EQ(w.lstActive->topLevelItemCount(), 4);
            // ...and then Escape.
            QTest::keyClick(w.lstActive, Qt::Key_Escape);
        })
        .Then(PayrollDialog("90000", "3"))
        .Then([](QWidget *modal) {
            auto *dialog = qobject_cast<TfrmContractorsClass *>(modal);
            ASSERT_NE(dialog, nullptr) << modal->windowTitle().toStdString();
            TypeInto(dialog->txtPayrolls[1], "7000");
            AltKey(dialog, Qt::Key_C);
        });
    EXPECT_EQ(window.exec(), QDialog::Rejected);
    EXPECT_FALSE(window.QuoteChanged());
    EXPECT_EQ(Quote().Classes(), order);
    EXPECT_EQ(StateOf(Quote().Classes()), classes);
    EXPECT_EQ(BookState(Quote()), book);
    EXPECT_EQ(Quote().ClericalClass, clerical);
    ASSERT_TRUE(Quote().CalculatePremium());
    EXPECT_EQ(Quote().Results.TotalPremium, total);
}

TEST_F(ClassWindowsTest, ExceptionPayrollsIfAnyAndTheEmployeeQuestion)
{
    TfrmClassList window(Quote());
    ModalScript script;
    script.Then([&](QWidget *modal) {
        TfrmClassList &w = ClassList(modal);
        // "If Any" puts the clerical class on the list without a payroll.
        w.chkClericalIfAny->click();
        EXPECT_EQ(w.txtClericalPayroll->text(), "$0");
        ASSERT_EQ(w.lstActive->topLevelItemCount(), 1);
        EXPECT_EQ(w.lstActive->topLevelItem(0)->text(1), "If Any");
        EXPECT_TRUE(w.chkClericalIfAny->isChecked());
        // Unchecked and left, it goes again.
        w.chkClericalIfAny->click();
        TabOn(w.chkClericalIfAny);
        EXPECT_EQ(w.lstActive->topLevelItemCount(), 0);
        // Typing a payroll takes "If Any" off.
        w.chkSalesIfAny->click();
        TypeInto(w.txtSalesPayroll, "25000");
        EXPECT_FALSE(w.chkSalesIfAny->isChecked());
        // No employees: "No" sends the focus to the field and the window stays.
        Messages().QueueAnswer(Prompter::Answer::No);
        w.btnCalculate->click();
        EXPECT_THAT(Messages().Texts(),
                    ElementsAre("You haven't entered the number of employees for one or more of "
                                "the classes.  Default to 1 employee?"));
        EXPECT_TRUE(w.isVisible());
        EXPECT_EQ(QApplication::focusWidget(), w.txtSalesEmp);
        // "Yes" fills 1 and closes.
        Messages().QueueAnswer(Prompter::Answer::Yes);
        w.btnCalculate->click();
    });
    ASSERT_EQ(window.exec(), QDialog::Accepted);
    EXPECT_EQ(window.txtSalesEmp->text(), "1");
    ASSERT_EQ(Quote().Classes().size(), 1u);
    EXPECT_EQ(Quote().Classes()[0], Quote().SalesClass);
    EXPECT_EQ(Quote().SalesClass->GetPayroll(), 25000);
    EXPECT_EQ(Quote().SalesClass->Employees, 1);
    ASSERT_TRUE(Quote().CalculatePremium());
    EXPECT_EQ(Quote().Results.TotalPremium, RatedTotal());
}

TEST_F(ClassWindowsTest, SearchFindsNoneOneOrSeveralClasses)
{
    // A sub-class of 8810 shares its code.
    auto own = std::make_unique<TVereDivoClass>(1);
    own->CopyFrom(*Quote().FindClass("8810", ""));
    own->ParentCode = "8810";
    own->Description = "BRANCH OFFICE";
    TVereDivoClass &branch = Quote().AddClass(std::move(own));

    TfrmClassList window(Quote());
    ModalScript script;
    script
        .Then([&](QWidget *modal) {
            TfrmClassList &w = ClassList(modal);
            TypeInto(w.txtSearch, "9999");
            TabOn(w.txtSearch);
            Reactivate(&w);
            EXPECT_THAT(Messages().Texts(), ElementsAre("No Classifications found for 9999"));
            EXPECT_EQ(w.txtSearch->text(), "");
            EXPECT_EQ(QApplication::focusWidget(), w.txtSearch);
            // Two classes: cancelling the choice adds nothing.
            TypeInto(w.txtSearch, "8810");
            TabOn(w.txtSearch);
            Reactivate(&w);
            EXPECT_EQ(w.lstActive->topLevelItemCount(), 0);
            // Again, choosing the sub-class.
            TypeInto(w.txtSearch, "8810");
            TabOn(w.txtSearch);
            Reactivate(&w);
            EXPECT_THAT(ColumnTexts(w.lstActive, 0), ElementsAre("BRANCH OFFICE*"));
            w.btnCalculate->click();
        })
        .Then([](QWidget *modal) {
            auto *results = qobject_cast<TfrmSearchResults *>(modal);
            ASSERT_NE(results, nullptr) << modal->windowTitle().toStdString();
            EXPECT_EQ(results->windowTitle(), "Search Results");
            EXPECT_THAT(ColumnTexts(results->lstResults, 0),
                        ElementsAre("BRANCH OFFICE*", "CLERICAL OFFICE EMPLOYEES NOC"));
            EXPECT_EQ(results->lstResults->topLevelItem(0)->text(1), "0.09");
            results->btnCancel->click();
        })
        .Then([&](QWidget *modal) {
            auto *results = qobject_cast<TfrmSearchResults *>(modal);
            ASSERT_NE(results, nullptr);
            results->lstResults->clearSelection();
            results->btnOK->click();
            EXPECT_THAT(Messages().Texts(),
                        testing::Contains("Please choose a class from the list"));
            results->lstResults->setFocus();
            results->lstResults->setCurrentItem(results->lstResults->topLevelItem(0));
            QTest::keyClick(results->lstResults, Qt::Key_Return);
        })
        .Then(PayrollDialog("30000", "1"));
    ASSERT_EQ(window.exec(), QDialog::Accepted);
    ASSERT_EQ(Quote().Classes().size(), 1u);
    EXPECT_EQ(Quote().Classes()[0], &branch);
    EXPECT_EQ(branch.GetPayroll(), 30000);
}

TEST_F(ClassWindowsTest, PayrollDialogChecksAndKeyboard)
{
    TVereDivoClass &line = *Quote().FindClass("5645", "");
    line.SetPayroll(1000);
    line.SetEmployees(1);
    TfrmEditClass dialog(line);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    EXPECT_EQ(dialog.lblClass->text().toStdString(), line.DisplayName());
    EXPECT_EQ(dialog.txtPayroll->text(), "$1,000");
    EXPECT_EQ(dialog.txtPayroll->alignment() & Qt::AlignRight, Qt::AlignRight);

    // A letter is refused on the spot, with a hint beside the box.
    TypeInto(dialog.txtPayroll, "12a5");
    EXPECT_EQ(dialog.txtPayroll->text(), "125");
    EXPECT_EQ(QToolTip::text().toStdString(), kPayrollHint);

    // A plain letter never presses a button; with Alt it does.
    dialog.btnClose->setFocus();
    QTest::keyClick(&dialog, Qt::Key_C);
    EXPECT_TRUE(dialog.isVisible());

    // Beyond 32 bits: a message, the line untouched, the dialog open.
    TypeInto(dialog.txtPayroll, "3000000000");
    TypeInto(dialog.txtEmployees, "4");
    AltKey(&dialog, Qt::Key_C);
    EXPECT_THAT(Messages().Texts(), ElementsAre("Payroll cannot be greater than $2,147,483,647"));
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(QApplication::focusWidget(), dialog.txtPayroll);
    EXPECT_EQ(line.GetPayroll(), 1000);
    EXPECT_EQ(line.GetPremium(), RoundAmount(line.Rate * 10));

    // "If Any" fills both boxes with 0; typing unchecks it.
    dialog.chkIfAny->click();
    EXPECT_EQ(dialog.txtPayroll->text(), "0");
    EXPECT_EQ(dialog.txtEmployees->text(), "0");
    TypeInto(dialog.txtEmployees, "3");
    EXPECT_FALSE(dialog.chkIfAny->isChecked());
    Messages().Clear();
    AltKey(&dialog, Qt::Key_C);
    EXPECT_THAT(Messages().Texts(),
                ElementsAre("You must either enter a payroll or Check 'If Any'"));

    TypeInto(dialog.txtPayroll, "12,345");
    QTest::keyClick(dialog.txtPayroll, Qt::Key_Return);
    EXPECT_EQ(dialog.txtPayroll->text(), "$12,345") << "shown as money once left";
    AltKey(&dialog, Qt::Key_C);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(line.GetPayroll(), 12345);
    EXPECT_EQ(line.Employees, 3);
}

TEST_F(ClassWindowsTest, SurveyClassesOfferNoIfAny)
{
    TVereDivoClass &roofing = *Quote().FindClass("5551", "");
    ASSERT_TRUE(roofing.Survey);
    TfrmEditClass dialog(roofing);
    EXPECT_TRUE(dialog.chkIfAny->isHidden());
    EXPECT_FALSE(dialog.chkIfAny->isChecked());
    dialog.show();
    dialog.btnClose->click();
    EXPECT_THAT(Messages().Texts(),
                ElementsAre("You must enter a payroll.  'If Any' is not permitted for this class"));
}

TEST_F(ClassWindowsTest, ExceptionFieldsRefuseAPayrollBeyondTheRange)
{
    TfrmClassList window(Quote());
    ModalScript script;
    script.Then([&](QWidget *modal) {
        TfrmClassList &w = ClassList(modal);
        TypeInto(w.txtClericalPayroll, "9999999999");
        TabOn(w.txtClericalPayroll);
        EXPECT_THAT(Messages().Texts(),
                    ElementsAre("Payroll cannot be greater than $2,147,483,647"));
        EXPECT_EQ(QApplication::focusWidget(), w.txtClericalPayroll);
        EXPECT_EQ(w.lstActive->topLevelItemCount(), 0);
        QTest::keyClicks(w.txtClericalPayroll, "x");
        EXPECT_EQ(w.txtClericalPayroll->text(), "9999999999");
        EXPECT_EQ(QToolTip::text().toStdString(), kPayrollHint);
        w.btnCancel->click();
    });
    EXPECT_EQ(window.exec(), QDialog::Rejected);
    EXPECT_EQ(Quote().ClericalClass->GetPayroll(), 0);
    EXPECT_TRUE(Quote().Classes().empty());
}

TEST_F(ClassWindowsTest, ContractorsClassTakesFourPayrollsAndTheirTotal)
{
    TNewYorkConstructionClass &line = AddConstructionLine(Quote(), "5645");
    TfrmContractorsClass dialog(line);
    ASSERT_EQ(dialog.windowTitle(), "Contractors Class");
    EXPECT_EQ(dialog.lblPayrolls[1]->text().toStdString(), line.GetEntryLabel(2) + ":");
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    dialog.btnClose->click();
    EXPECT_THAT(Messages().Texts(),
                ElementsAre("You must provide a payroll for at least one of the above items"));
    EXPECT_EQ(QApplication::focusWidget(), dialog.txtPayrolls[0]);

    TypeInto(dialog.txtPayrolls[0], "10000");
    TypeInto(dialog.txtPayrolls[2], "5000");
    EXPECT_EQ(dialog.txtTotal->text(), "$15,000");
    EXPECT_TRUE(dialog.txtTotal->isReadOnly());
    Messages().Clear();
    dialog.btnClose->click();
    EXPECT_THAT(Messages().Texts(), ElementsAre("Please provide the number of employees"));

    // Two boxes that each fit but together do not.
    TypeInto(dialog.txtPayrolls[1], "2000000000");
    TypeInto(dialog.txtPayrolls[3], "2000000000");
    TypeInto(dialog.txtEmployees, "4");
    Messages().Clear();
    dialog.btnClose->click();
    EXPECT_THAT(Messages().Texts(), ElementsAre("Payroll cannot be greater than $2,147,483,647"));
    EXPECT_EQ(line.GetPayroll(), 0);

    TypeInto(dialog.txtPayrolls[1], "");
    TypeInto(dialog.txtPayrolls[3], "");
    dialog.btnClose->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(line.GetPayroll(), 15000);
    EXPECT_EQ(line.GetEntryPayroll(1), 10000);
    EXPECT_EQ(line.GetEntryPayroll(3), 5000);
    EXPECT_EQ(line.Employees, 4);
    EXPECT_EQ(line.GetPremium(), RoundAmount(line.Rate * 15000 * 0.01));
}

TEST_F(ClassWindowsTest, ClassInformationShowsTheClassAndChecksItsDetails)
{
    TVereDivoClass &line = *Quote().FindClass("5645", "");
    {
        TfrmClassInfo shown(line, false);
        EXPECT_EQ(shown.windowTitle(), "Classification Information");
        EXPECT_EQ(shown.txtTitle->text().toStdString(), line.DisplayName());
        EXPECT_EQ(shown.txtStateRate->text().toStdString(), FixedText(line.StateRate, 2));
        EXPECT_TRUE(shown.txtTitle->isReadOnly());
        EXPECT_EQ(shown.btnCancel, nullptr);
    }
    auto own = std::make_unique<TVereDivoClass>(1);
    TfrmClassInfo edited(*own, true);
    edited.show();
    edited.btnClose->click();
    EXPECT_THAT(Messages().Texts(), ElementsAre("Please provide a name for this class"));
    TypeInto(edited.txtTitle, "Framing");
    edited.txtCode->clear();
    Messages().Clear();
    edited.btnClose->click();
    EXPECT_THAT(Messages().Texts(), ElementsAre("Please provide a SIC code for this class"));
    TypeInto(edited.txtCode, "5645");
    TypeInto(edited.txtStateRate, "4.5");
    TypeInto(edited.txtRate, "");
    edited.btnClose->click();
    EXPECT_EQ(edited.result(), QDialog::Accepted);
    EXPECT_EQ(own->Code, "5645");
    EXPECT_DOUBLE_EQ(own->Rate, 4.5) << "no deviated rate takes the state rate";
}

TEST_F(ClassWindowsTest, AvailableListIsSortedAndItsPopupOffersItsCommands)
{
    TfrmClassList window(Quote());
    ModalScript script;
    script
        .Then([&](QWidget *modal) {
            TfrmClassList &w = ClassList(modal);
            const QStringList names = ColumnTexts(w.lstAvailable, 0);
            EXPECT_EQ(static_cast<size_t>(names.size()), Quote().ClassBook().size());
            QStringList sorted = names;
            std::sort(sorted.begin(), sorted.end());
            EXPECT_EQ(names, sorted);
            EXPECT_EQ(w.lstAvailable->currentItem(), w.lstAvailable->topLevelItem(0));
            EXPECT_EQ(w.lblNote->text(),
                      "Some Class Phraseologies may be truncated.  Refer to manual "
                      "for exact wording before submitting application.");
            EXPECT_EQ(w.mnuAddClass->text(), "&Add Class");
            EXPECT_EQ(w.mnuDeleteClass->text(), "&Delete Class");
            // A plain letter on a button does not press it.
            w.btnCalculate->setFocus();
            QTest::keyClick(w.btnCalculate, Qt::Key_C);
            EXPECT_TRUE(w.isVisible());
            w.lstAvailable->setCurrentItem(RowWithText(w.lstAvailable, 1, "8742"));
            w.mnuAddClass->trigger();
            EXPECT_THAT(ColumnTexts(w.lstActive, 0),
                        ElementsAre(QString::fromStdString(Quote().SalesClass->DisplayName())));
            EXPECT_EQ(w.txtSalesPayroll->text(), "$15,000");
            EXPECT_EQ(w.txtSalesEmp->text(), "1");
            w.btnCancel->click();
        })
        .Then(PayrollDialog("15000", "1"));
    EXPECT_EQ(window.exec(), QDialog::Rejected);
    EXPECT_EQ(Quote().SalesClass->GetPayroll(), 0);
}

namespace {
class NewJerseyClassWindowsTest : public ClassWindowsTest
{
protected:
    NewJerseyClassWindowsTest() : ClassWindowsTest("NJ", 6) { }
};
} // namespace

TEST_F(NewJerseyClassWindowsTest, APlanWithoutDriversHidesThemAndRatesLikeTheCommand)
{
    ASSERT_EQ(Quote().DriversClass, nullptr);
    TfrmClassList window(Quote());
    ModalScript script;
    script
        .Then([&](QWidget *modal) {
            TfrmClassList &w = ClassList(modal);
            EXPECT_FALSE(w.pnlDrivers->isVisible());
            TypeInto(w.txtClericalPayroll, "40000");
            TabOn(w.txtClericalPayroll);
            QTest::keyClicks(w.txtClericalEmp, "2");
            TabOn(w.txtClericalEmp);
            TypeInto(w.txtSearch, "5403");
            TabOn(w.txtSearch);
            Reactivate(&w);
            AltKey(&w, Qt::Key_C);
        })
        .Then(PayrollDialog("60000", "2"));
    ASSERT_EQ(window.exec(), QDialog::Accepted);
    ASSERT_EQ(Quote().Classes().size(), 2u);
    ASSERT_TRUE(Quote().CalculatePremium());
    EXPECT_GT(Quote().Results.TotalPremium, 0);
    EXPECT_EQ(Quote().Results.TotalPremium, RatedTotal());
}
