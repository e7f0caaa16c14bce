#include "core/Check.h"
#include "core/IniFile.h"
#include "core/Text.h"
#include "rating/DownPayment.h"
#include "storage/VereDivoCustDBO.h"
#include "storage/VereDivoQuoteDBInterface.h"
#include "ui/ClassSelection.h"
#include "ui/CustomerDialog.h"
#include "ui/Deviations.h"
#include "ui/DownPaymentDialog.h"
#include "ui/EffectiveDateDialog.h"
#include "ui/InputWidgets.h"
#include "ui/PremiumDetail.h"

#include "UiFixture.h"
#include "support/ModalScript.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTest>
#include <QTreeWidget>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using testing::Contains;
using testing::ElementsAre;
using testing::IsEmpty;

namespace {

class DetailWindow : public UiFixture
{
protected:
    static QLineEdit *Box(TfrmVereDivoDetail &window, const char *name)
    {
        return qobject_cast<QLineEdit *>(window.InputWidgets()->WidgetNamed(name));
    }
    static std::string Shown(const QLineEdit *box) { return box->text().toStdString(); }
    // Types into an input as the agent does and leaves it with Tab.
    static void Type(TfrmVereDivoDetail &window, const char *name, const char *text)
    {
        QLineEdit *box = Box(window, name);
        ASSERT_NE(box, nullptr) << name;
        // Focus moves only in the active window.
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        box->setFocus(Qt::TabFocusReason);
        box->selectAll();
        QTest::keyClicks(box, text);
        QTest::keyClick(box, Qt::Key_Tab);
    }
    void ChooseDate(TfrmVereDivoDetail &window, int year, int month, int day)
    {
        window.dtEffective->setDate(QDate(year, month, day));
        window.dtEffectiveAccept();
    }
};

TEST_F(DetailWindow, ANewQuoteShowsItsDatesNoPremiumAndItsCaption)
{
    const auto window = OpenWindow("MA", EncodeDate(2026, 7, 15));
    EXPECT_EQ(window->windowTitle(), QStringLiteral("New Quote (Massachusetts)"));
    EXPECT_EQ(window->dtEffective->date(), QDate(2026, 7, 15));
    EXPECT_EQ(window->pnlEffective->text(), QStringLiteral("07/15/2026"));
    EXPECT_FALSE(window->pnlEffective->isVisible());
    EXPECT_FALSE(window->btnChangeDate->isVisible());
    EXPECT_EQ(window->pnlRateFileEffectiveDate->text(), QStringLiteral("07/01/2026"));
    EXPECT_EQ(window->txtTotalPremium->text(), QStringLiteral("N/A"));
    EXPECT_EQ(window->txtDownPay->text(), QStringLiteral("N/A"));
    EXPECT_TRUE(window->txtTotalPremium->isReadOnly());
    EXPECT_TRUE(window->txtTotalPremium->alignment() & Qt::AlignRight);
    EXPECT_FALSE(window->btnDelete->isEnabled());
    EXPECT_FALSE(window->btnDeviate->isEnabled());
    EXPECT_TRUE(window->btnAdd->isEnabled());
    EXPECT_EQ(window->lstClasses->headerItem()->text(4), QStringLiteral("Premium"));
    EXPECT_GE(host->commandUpdates, 1);
    EXPECT_TRUE(window->btnAdd->hasFocus() || QApplication::focusWidget() == nullptr);

    // Broker 1's plan has no deviations: "Add Class" and "Delete Class" move right.
    EXPECT_FALSE(window->btnDeviate->isVisible());
    EXPECT_EQ(window->btnAdd->x(), 100);
    EXPECT_EQ(window->btnDelete->x(), 200);
    EXPECT_TRUE(window->btnDownPay->isVisible());
    // Massachusetts: "View Detail" and "Submit to WCRIB" side by side, equally wide.
    EXPECT_TRUE(window->btnSubmit->isVisible());
    EXPECT_GE(window->btnViewDetail->width(), 96);
    EXPECT_EQ(window->btnSubmit->width(), window->btnViewDetail->width());
    EXPECT_EQ(window->btnSubmit->x(),
              window->btnViewDetail->x() + window->btnViewDetail->width() + 1);
    const int unit = window->btnViewDetail->width();

    const auto deviated = OpenWindow("MA", EncodeDate(2026, 7, 15), 5);
    EXPECT_TRUE(deviated->btnDeviate->isVisible());
    EXPECT_EQ(deviated->btnAdd->x(), 0);
    EXPECT_EQ(deviated->btnDelete->x(), 100);
    EXPECT_EQ(deviated->btnDeviate->x(), 200);

    // New Jersey: no submission, "View Detail" takes both places and the pixel between.
    const auto jersey = OpenWindow("NJ", EncodeDate(2026, 7, 15));
    EXPECT_EQ(jersey->windowTitle(), QStringLiteral("New Quote (New Jersey)"));
    EXPECT_FALSE(jersey->btnSubmit->isVisible());
    EXPECT_EQ(jersey->btnViewDetail->width(), 2 * unit + 1);
    EXPECT_EQ(jersey->pnlRateFileEffectiveDate->text(), QStringLiteral("01/01/2026"));
    jersey->btnSubmitClick();
    EXPECT_THAT(prompter.Texts(), ElementsAre("This feature is only available in Massachusetts"));
}

TEST_F(DetailWindow, ClassesShowWithTheirPremiumsAndTheTotalsFollow)
{
    const auto window = OpenWindow("MA", EncodeDate(2026, 7, 15));
    AddClasses(*window, {{"5183", 90000, 4}, {"8810", 30000, 2}});
    TVereDivoQuote &quote = *window->Quote();
    ASSERT_EQ(quote.Classes().size(), 2u);
    EXPECT_THAT(ClassRows(*window),
                ElementsAre("CLERICAL OFFICE EMPLOYEES NOC | 8810 | $30,000 | 0.09 | $27",
                            "PLUMBING NOC, INCLUDING DRIVERS | 5183 | $90,000 | 2.60 | $2,340"));
    ASSERT_GT(quote.Results.TotalPremium, 0);
    EXPECT_EQ(Shown(window->txtTotalPremium), MoneyText(quote.Results.TotalPremium));
    EXPECT_EQ(Shown(window->txtDownPay),
              MoneyText(DownPaymentAmount(quote.Results.TotalPremium, 25)) + "  (25%)");
    EXPECT_TRUE(window->btnDelete->isEnabled());
    EXPECT_EQ(window->lstClasses->topLevelItem(0)->textAlignment(4),
              static_cast<int>(Qt::AlignRight | Qt::AlignVCenter));

    // Sorting by a column of figures sorts the figures, not their texts.
    AddClasses(*window, {{"5403", 150000, 3}});
    window->lstClasses->sortByColumn(4, Qt::DescendingOrder);
    EXPECT_EQ(window->lstClasses->topLevelItem(0)->text(1), QStringLiteral("5403"));
    EXPECT_EQ(window->lstClasses->topLevelItem(2)->text(1), QStringLiteral("8810"));
    window->lstClasses->sortByColumn(0, Qt::AscendingOrder);

    // A factor typed and left recalculates at once; a list entry picked too.
    const int32_t before = quote.Results.TotalPremium;
    Type(*window, "txtExpMod", "1.10");
    EXPECT_NE(quote.Results.TotalPremium, before);
    EXPECT_EQ(Shown(window->txtTotalPremium), MoneyText(quote.Results.TotalPremium));
    auto *merit = qobject_cast<QComboBox *>(window->InputWidgets()->WidgetNamed("lstMerit"));
    merit->setCurrentIndex(merit->findText(QStringLiteral("-5")));
    // The merit rule: a merit factor puts the mod back to 1.00.
    EXPECT_EQ(Shown(Box(*window, "txtExpMod")), "1.00");
    EXPECT_EQ(Shown(window->txtTotalPremium), MoneyText(quote.Results.TotalPremium));
    EXPECT_THAT(prompter.Texts(), IsEmpty());
}

TEST_F(DetailWindow, AddClassAndDeviationsOpenTheirWindowsAndCancelKeepsTheQuote)
{
    const auto window = OpenWindow("MA", EncodeDate(2026, 7, 15));
    AddClasses(*window, {{"5183", 90000, 4}, {"8810", 30000, 2}});
    TfrmVereDivoDetail::SetClassSelectionWindow({});
    const std::vector<std::string> rows = ClassRows(*window);
    const std::string total = Shown(window->txtTotalPremium);

    // A clerical payroll typed over the old one, then "Ca&ncel": the quote is as it was.
    {
        ModalScript script;
        script.Then([](QWidget *modal) {
            auto *classes = qobject_cast<TfrmClassList *>(modal);
            ASSERT_NE(classes, nullptr) << modal->windowTitle().toStdString();
            EXPECT_EQ(classes->lstActive->topLevelItemCount(), 2);
            classes->txtClericalPayroll->setFocus(Qt::TabFocusReason);
            classes->txtClericalPayroll->selectAll();
            QTest::keyClicks(classes->txtClericalPayroll, "75000");
            QTest::keyClick(classes->txtClericalPayroll, Qt::Key_Tab);
            classes->btnCancel->click();
        });
        window->btnAdd->click();
        EXPECT_TRUE(script.Done());
    }
    EXPECT_EQ(ClassRows(*window), rows);
    EXPECT_EQ(Shown(window->txtTotalPremium), total);

    // "Class Deviations" lists the quote's classes; "&Cancel" changes nothing.
    {
        ModalScript script;
        script.Then([](QWidget *modal) {
            auto *deviations = qobject_cast<TfrmDeviations *>(modal);
            ASSERT_NE(deviations, nullptr) << modal->windowTitle().toStdString();
            EXPECT_EQ(deviations->grdDeviations->rowCount(), 2);
            deviations->btnCancel->click();
        });
        window->btnDeviate->click();
        EXPECT_TRUE(script.Done());
    }
    EXPECT_EQ(ClassRows(*window), rows);
    EXPECT_EQ(Shown(window->txtTotalPremium), total);

    // "&Calculate" with a new clerical payroll: the window shows the new premium.
    {
        ModalScript script;
        script.Then([](QWidget *modal) {
            auto *classes = qobject_cast<TfrmClassList *>(modal);
            ASSERT_NE(classes, nullptr);
            classes->txtClericalPayroll->setFocus(Qt::TabFocusReason);
            classes->txtClericalPayroll->selectAll();
            QTest::keyClicks(classes->txtClericalPayroll, "75000");
            QTest::keyClick(classes->txtClericalPayroll, Qt::Key_Tab);
            classes->btnCalculate->click();
        });
        window->btnAdd->click();
        EXPECT_TRUE(script.Done());
    }
    EXPECT_THAT(ClassRows(*window),
                ElementsAre("CLERICAL OFFICE EMPLOYEES NOC | 8810 | $75,000 | 0.09 | $68",
                            "PLUMBING NOC, INCLUDING DRIVERS | 5183 | $90,000 | 2.60 | $2,340"));
    EXPECT_EQ(Shown(window->txtTotalPremium), MoneyText(window->Quote()->Results.TotalPremium));
    EXPECT_NE(Shown(window->txtTotalPremium), total);
}

TEST_F(DetailWindow, AFailedCalculationShowsNotAvailableNeverOldTotals)
{
    // Broker 5's Massachusetts plan refuses a premium above $250,000.
    const auto window = OpenWindow("MA", EncodeDate(2026, 7, 15), 5);
    AddClasses(*window, {{"5183", 200000, 4}});
    ASSERT_NE(window->txtTotalPremium->text(), QStringLiteral("N/A"));
    AddClasses(*window, {{"5403", 9000000, 60}});
    EXPECT_THAT(prompter.Texts(),
                Contains("Premium cannot be greater than $250,000.  Quote is invalid"));
    EXPECT_EQ(window->txtTotalPremium->text(), QStringLiteral("N/A"));
    EXPECT_EQ(window->txtDownPay->text(), QStringLiteral("N/A"));
    prompter.Clear();
    window->btnViewDetailClick();
    EXPECT_THAT(prompter.Texts(),
                ElementsAre("Quote is invalid.  There is no premium detail to show."));
}

TEST_F(DetailWindow, RemovingTheLastClassLeavesNoPremium)
{
    const auto window = OpenWindow("MA", EncodeDate(2026, 7, 15));
    AddClasses(*window, {{"5183", 90000, 4}});
    window->lstClasses->setCurrentItem(window->lstClasses->topLevelItem(0));
    prompter.QueueAnswer(Prompter::Answer::No);
    window->btnDelete->click();
    EXPECT_THAT(prompter.Texts(),
                ElementsAre("Are you sure you want to remove this class?\r\rPLUMBING NOC, "
                            "INCLUDING DRIVERS"));
    EXPECT_EQ(window->Quote()->Classes().size(), 1u);
    prompter.QueueAnswer(Prompter::Answer::Yes);
    window->btnDelete->click();
    EXPECT_TRUE(window->Quote()->Classes().empty());
    EXPECT_EQ(window->lstClasses->topLevelItemCount(), 0);
    EXPECT_EQ(window->txtTotalPremium->text(), QStringLiteral("N/A"));
    EXPECT_EQ(window->txtDownPay->text(), QStringLiteral("N/A"));
    EXPECT_FALSE(window->btnDelete->isEnabled());
    EXPECT_FALSE(window->btnDeviate->isEnabled());
    EXPECT_FALSE(window->mnuEditClass->isEnabled());
    EXPECT_FALSE(window->mnuShowClassInfo->isEnabled());
}

TEST_F(DetailWindow, ARowWhoseLineTheQuoteFreedDoesNothing)
{
    const auto window = OpenWindow("MA", EncodeDate(2026, 7, 15));
    AddClasses(*window, {{"5183", 90000, 4}, {"8810", 50000, 2}});
    QTreeWidgetItem *row = window->lstClasses->topLevelItem(0);
    window->lstClasses->setCurrentItem(row);
    const std::string code = row->text(1).toStdString();
    TVereDivoClass *line = window->Quote()->FindClass(code, "");
    ASSERT_NE(line, nullptr);
    // Another window takes the line out of the book without this list being filled again.
    window->Quote()->DeleteClass(*line);
    ASSERT_EQ(window->lstClasses->currentItem(), row);
    const int64_t failedBefore = FailedCheckCount();

    window->lstClassesDblClick();
    window->btnDelete->click();

    EXPECT_GT(FailedCheckCount(), failedBefore);
    EXPECT_THAT(prompter.Texts(), IsEmpty());
    EXPECT_EQ(window->Quote()->Classes().size(), 1u);
}

TEST_F(DetailWindow, ASmallPremiumIsPaidInFull)
{
    const auto window = OpenWindow("MA", EncodeDate(2026, 7, 15));
    AddClasses(*window, {{"8810", 30000, 2}});
    ASSERT_LT(window->Quote()->Results.TotalPremium, 1000);
    EXPECT_EQ(window->txtDownPay->text(), QStringLiteral("N/A"));
    EXPECT_EQ(Shown(window->txtTotalPremium), MoneyText(window->Quote()->Results.TotalPremium));
}

TEST_F(DetailWindow, ADateBeforeTheEarliestRatingDateIsRefused)
{
    const auto window = OpenWindow("MA", EncodeDate(2026, 7, 15));
    ChooseDate(*window, 2025, 12, 15);
    EXPECT_THAT(prompter.Texts(),
                ElementsAre("The earliest date available for rating is 01/01/2026"));
    EXPECT_EQ(window->dtEffective->date(), QDate(2026, 7, 15));
    EXPECT_EQ(window->Quote()->EffectiveDate, EncodeDate(2026, 7, 15));
}

TEST_F(DetailWindow, ADateWithoutClassificationsOffersTheEffectiveDateWindow)
{
    const auto window = OpenWindow("MA", EncodeDate(2026, 7, 15));
    ModalScript script;
    QString prompt;
    QString prefilled;
    script.Then([&](QWidget *modal) {
        auto *dialog = qobject_cast<TfrmEffectiveDate *>(modal);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Effective Date"));
        prompt = dialog->lblPrompt->text();
        prefilled = dialog->txtDate->text();
        // A day that does not exist is refused.
        dialog->txtDate->setText(QStringLiteral("02/30/2026"));
        dialog->btnOk->click();
        EXPECT_TRUE(dialog->isVisible());
        dialog->txtDate->setText(QStringLiteral("02/3"));
        dialog->btnOk->click();
        EXPECT_TRUE(dialog->isVisible());
        dialog->btnCancel->click();
    });
    ChooseDate(*window, 2028, 1, 15);
    EXPECT_EQ(prompt, QStringLiteral("Type a date or click the calender button"));
    EXPECT_EQ(prefilled, QStringLiteral("07/15/2026"));
    EXPECT_THAT(prompter.Texts(),
                ElementsAre("This Date has no valid classifications available",
                            "Please provide a valid date", "Please provide a valid date"));
    EXPECT_EQ(window->dtEffective->date(), QDate(2026, 7, 15));
    EXPECT_EQ(window->Quote()->EffectiveDate, EncodeDate(2026, 7, 15));

    // A date picked there goes through the same checks and is taken.
    prompter.Clear();
    ModalScript again;
    again.Then([](QWidget *modal) {
        auto *dialog = qobject_cast<TfrmEffectiveDate *>(modal);
        dialog->txtDate->setText(QStringLiteral("09/01/2026"));
        dialog->btnOk->click();
    });
    ChooseDate(*window, 2028, 1, 15);
    EXPECT_EQ(window->Quote()->EffectiveDate, EncodeDate(2026, 9, 1));
    EXPECT_EQ(window->dtEffective->date(), QDate(2026, 9, 1));
}

TEST_F(DetailWindow, ADateOfTheSameClassListIsTakenAtOnce)
{
    const auto window = OpenWindow("MA", EncodeDate(2026, 7, 15));
    AddClasses(*window, {{"5183", 90000, 4}});
    ChooseDate(*window, 2026, 9, 1);
    EXPECT_THAT(prompter.Texts(), IsEmpty());
    EXPECT_EQ(window->Quote()->EffectiveDate, EncodeDate(2026, 9, 1));
    EXPECT_EQ(window->Quote()->QuoteInfo().ExpirationDate(), EncodeDate(2027, 9, 1));
    EXPECT_EQ(window->pnlEffective->text(), QStringLiteral("09/01/2026"));
    EXPECT_THAT(info->LoggedLines(),
                Contains("WCDetail - VerifyDateInformation - No New Classes Required"));
}

TEST_F(DetailWindow, AnotherClassListNeedsASeparateQuoteThatTakesTheRatingData)
{
    const auto window = OpenWindow("MA", EncodeDate(2026, 7, 15));
    AddClasses(*window, {{"5183", 90000, 4}, {"8810", 30000, 2}});
    Type(*window, "txtExpMod", "0.90");
    const std::string question =
        "The date you have chosen has a different Class List than current quote, therefore "
        "requiring a seperate quote.  Do you wish to continue?";

    prompter.QueueAnswer(Prompter::Answer::No);
    ChooseDate(*window, 2026, 3, 2);
    EXPECT_THAT(prompter.Texts(), ElementsAre(question));
    EXPECT_TRUE(host->followers.empty());
    EXPECT_EQ(window->dtEffective->date(), QDate(2026, 7, 15));

    prompter.Clear();
    prompter.QueueAnswer(Prompter::Answer::Yes);
    ChooseDate(*window, 2026, 3, 2);
    EXPECT_THAT(prompter.Texts(), ElementsAre(question));
    // This window keeps its date; the new one has the chosen date and this one's data.
    EXPECT_EQ(window->Quote()->EffectiveDate, EncodeDate(2026, 7, 15));
    EXPECT_EQ(window->dtEffective->date(), QDate(2026, 7, 15));
    ASSERT_EQ(host->followers.size(), 1u);
    TfrmVereDivoDetail &follower = *host->followers.front();
    TVereDivoQuote &carried = *follower.Quote();
    EXPECT_EQ(carried.EffectiveDate, EncodeDate(2026, 3, 2));
    EXPECT_EQ(follower.dtEffective->date(), QDate(2026, 3, 2));
    EXPECT_EQ(carried.QuoteId, 0);
    std::vector<std::string> codes;
    for (const TVereDivoClass *line : carried.Classes()) {
        codes.push_back(line->Code + " " + IntText(line->GetPayroll()));
    }
    EXPECT_THAT(codes, ElementsAre("8810 30000", "5183 90000"));
    EXPECT_EQ(Shown(Box(follower, "txtExpMod")), "0.90");
    EXPECT_EQ(Shown(follower.txtTotalPremium), MoneyText(carried.Results.TotalPremium));
    EXPECT_NE(follower.txtTotalPremium->text(), QStringLiteral("N/A"));
    EXPECT_TRUE(carried.Modified);
}

TEST_F(DetailWindow, PremiumDetailShowsEveryAmountOfTheCalculation)
{
    const auto window = OpenWindow("MA", EncodeDate(2026, 7, 15));
    window->btnViewDetail->click();
    EXPECT_THAT(prompter.Texts(),
                ElementsAre("Quote is invalid.  There is no premium detail to show."));
    AddClasses(*window, {{"5183", 90000, 4}, {"8810", 30000, 2}});
    const TVereDivoQuote &quote = *window->Quote();
    ModalScript script;
    std::vector<std::string> figures;
    int gap = 0;
    script.Then([&](QWidget *modal) {
        auto *detail = qobject_cast<TfrmPremiumDetail *>(modal);
        ASSERT_NE(detail, nullptr);
        EXPECT_EQ(detail->windowTitle(), QStringLiteral("Premium Detail"));
        for (int number : {1, 3, 9, 11, 14, 15, 16}) {
            figures.push_back(detail->FigureText(number).toStdString());
        }
        const QWidget *total = detail->pnlDetail->findChild<QWidget *>(QStringLiteral("cur16"));
        gap = detail->btnClose->y() - (detail->pnlDetail->y() + total->geometry().bottom() + 1);
        detail->btnClose->click();
    });
    // A double click on a total opens it too.
    QTest::mouseDClick(window->txtTotalPremium, Qt::LeftButton);
    EXPECT_THAT(
        figures,
        ElementsAre(
            MoneyText(quote.Results.TotalManualPremium), MoneyText(quote.Results.UnmodifiedPremium),
            MoneyText(quote.Results.ModifiedPremium), MoneyText(quote.Results.StandardPremium),
            MoneyText(quote.Results.ExpenseConstant), MoneyText(quote.Results.Assessment),
            MoneyText(quote.Results.TotalPremium)));
    EXPECT_EQ(gap, 12);
}

TEST_F(DetailWindow, TheDownPaymentDialogSetsTheQuoteAndWritesTheDefault)
{
    const auto window = OpenWindow("MA", EncodeDate(2026, 7, 15));
    AddClasses(*window, {{"5183", 90000, 4}, {"8810", 30000, 2}});
    const int32_t total = window->Quote()->Results.TotalPremium;
    ModalScript script;
    QString shownAbove;
    script
        .Then([&](QWidget *modal) {
            auto *dialog = qobject_cast<TfrmDownPayment *>(modal);
            ASSERT_NE(dialog, nullptr);
            EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Down Payment"));
            EXPECT_EQ(dialog->txtPercent->value(), 25);
            EXPECT_EQ(dialog->txtTotalPremium->text().toStdString(), MoneyText(total));
            dialog->txtPercent->setValue(150);
            shownAbove = dialog->txtPercent->cleanText();
            dialog->btnSetDefault->click();
            dialog->btnCancel->click();
        })
        .Then([&](QWidget *modal) {
            auto *dialog = qobject_cast<TfrmDownPayment *>(modal);
            dialog->txtPercent->setValue(40);
            EXPECT_EQ(dialog->txtDownPayment->text().toStdString(),
                      MoneyText(DownPaymentAmount(total, 40)));
            EXPECT_EQ(dialog->txtBalanceDue->text().toStdString(),
                      MoneyText(total - DownPaymentAmount(total, 40)));
            dialog->btnDone->click();
        });
    window->btnDownPay->click();
    EXPECT_EQ(shownAbove, QStringLiteral("100"));
    // The default is written although the dialog was cancelled; the quote is unchanged.
    EXPECT_EQ(ReadDefaultDownPercent(dir.File("program/")), 100);
    EXPECT_EQ(window->Quote()->DownPercent(), 25);
    window->btnDownPay->click();
    EXPECT_EQ(window->Quote()->DownPercent(), 40);
    EXPECT_EQ(Shown(window->txtDownPay), MoneyText(DownPaymentAmount(total, 40)) + "  (40%)");
    EXPECT_EQ(ReadDefaultDownPercent(dir.File("program/")), 100);
}

TEST_F(DetailWindow, ClosingAsksToSaveAChangedQuote)
{
    auto window = OpenWindow("MA", EncodeDate(2026, 7, 15));
    window->close();
    EXPECT_THAT(prompter.Texts(), IsEmpty()) << "an unchanged quote closes without a question";

    window = OpenWindow("MA", EncodeDate(2026, 7, 15));
    AddClasses(*window, {{"5183", 90000, 4}});
    prompter.QueueAnswer(Prompter::Answer::Cancel);
    EXPECT_FALSE(window->close());
    EXPECT_THAT(prompter.Texts(), ElementsAre("Do you wish to save this quote?"));
    EXPECT_NE(window->Quote(), nullptr);
    prompter.Clear();

    // Yes saves; the quote has no customer yet, so the customer dialog comes first.
    ModalScript script;
    script.Then([](QWidget *modal) {
        auto *dialog = qobject_cast<TfrmCustInfo *>(modal);
        ASSERT_NE(dialog, nullptr);
        QTest::keyClicks(dialog->txtCompany, "Acme Roofing");
        // A new customer has the quote's state, its location none yet: not the same.
        EXPECT_FALSE(dialog->chkSame->isChecked());
        dialog->chkSame->click();
        dialog->btnDone->click();
    });
    prompter.QueueAnswer(Prompter::Answer::Yes);
    const int updates = host->commandUpdates;
    EXPECT_TRUE(window->close());
    EXPECT_THAT(prompter.Texts(), ElementsAre("Do you wish to save this quote?"));
    EXPECT_EQ(window->Quote(), nullptr);
    EXPECT_GT(host->commandUpdates, updates);
    const auto customers = info->QuoteDB().CustDBO().ListCustomers();
    ASSERT_EQ(customers.size(), 1u);
    EXPECT_EQ(customers[0].Company, "Acme Roofing");

    // No closes without saving.
    window = OpenWindow("MA", EncodeDate(2026, 7, 15));
    AddClasses(*window, {{"5183", 90000, 4}});
    prompter.QueueAnswer(Prompter::Answer::No);
    EXPECT_TRUE(window->close());
    EXPECT_EQ(info->QuoteDB().CustDBO().ListCustomers().size(), 1u);
}

TEST_F(DetailWindow, EnterMovesOnAndLettersPressNothingWithoutAlt)
{
    const auto window = OpenWindow("MA", EncodeDate(2026, 7, 15));
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    AddClasses(*window, {{"5183", 90000, 4}});
    QLineEdit *expMod = Box(*window, "txtExpMod");
    expMod->setFocus(Qt::TabFocusReason);
    expMod->selectAll();
    QTest::keyClicks(expMod, "1.2");
    const int32_t before = window->Quote()->Results.TotalPremium;
    QTest::keyClick(expMod, Qt::Key_Return);
    EXPECT_FALSE(expMod->hasFocus());
    EXPECT_EQ(QApplication::focusWidget(), window->InputWidgets()->WidgetNamed("lstMerit"));
    EXPECT_NE(window->Quote()->Results.TotalPremium, before) << "leaving the box recalculated";

    // Enter on a button presses it.
    int deletions = 0;
    prompter.QueueAnswer(Prompter::Answer::No);
    window->lstClasses->setCurrentItem(window->lstClasses->topLevelItem(0));
    window->btnDelete->setFocus();
    QTest::keyClick(window->btnDelete, Qt::Key_Return);
    deletions = static_cast<int>(prompter.Texts().size());
    EXPECT_EQ(deletions, 1);
    prompter.Clear();

    // The popup's items are reached with their letters only inside the menu; a plain letter in
    // the window presses nothing.
    window->btnViewDetail->setFocus();
    QTest::keyClick(window->btnViewDetail, Qt::Key_V);
    QTest::keyClick(window->btnViewDetail, Qt::Key_C);
    EXPECT_THAT(prompter.Texts(), IsEmpty());
    EXPECT_NE(window->Quote(), nullptr);
}

TEST_F(DetailWindow, ALetterInAFactorIsRefusedWithItsMessage)
{
    const auto window = OpenWindow("MA", EncodeDate(2026, 7, 15));
    AddClasses(*window, {{"5183", 90000, 4}});
    const int32_t total = window->Quote()->Results.TotalPremium;
    Type(*window, "txtExpMod", "x");
    EXPECT_THAT(prompter.Texts(), ElementsAre("Experience Mod must be greater than 0.2000"));
    EXPECT_EQ(Trim(Shown(Box(*window, "txtExpMod"))), "1.00");
    EXPECT_EQ(window->Quote()->Results.TotalPremium, total);
    EXPECT_EQ(Shown(window->txtTotalPremium), MoneyText(total));
}

TEST_F(DetailWindow, TheSmallDialogsAnswerToTheKeyboard)
{
    {
        TfrmEffectiveDate dialog(EncodeDate(2026, 7, 15));
        dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
        dialog.txtDate->selectAll();
        QTest::keyClicks(dialog.txtDate, "09012026");
        QTest::keyClick(dialog.txtDate, Qt::Key_Return);
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
        EXPECT_EQ(dialog.Date(), EncodeDate(2026, 9, 1));
    }
    {
        // The calendar by keys: open it from its button, move a day, take it.
        TfrmEffectiveDate dialog(EncodeDate(2026, 7, 15));
        dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
        dialog.btnCalendar->setFocus();
        QTest::keyClick(dialog.btnCalendar, Qt::Key_Space);
        ASSERT_TRUE(dialog.calDate->isVisible());
        QWidget *days =
            dialog.calDate->focusWidget() ? dialog.calDate->focusWidget() : dialog.calDate;
        QTest::keyClick(days, Qt::Key_Right);
        QTest::keyClick(days, Qt::Key_Return);
        EXPECT_FALSE(dialog.calDate->isVisible());
        EXPECT_EQ(dialog.txtDate->text(), QStringLiteral("07/16/2026"));
        EXPECT_THAT(info->LoggedLines(),
                    Contains("Effective Form - AcceptDate Method - ADate = 07/16/2026"));
    }
    {
        TfrmDownPayment dialog(10000, 25);
        dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
        ASSERT_TRUE(dialog.txtPercent->hasFocus());
        QTest::keyClicks(dialog.txtPercent, "40");
        QTest::keyClick(dialog.txtPercent, Qt::Key_Return);
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
        EXPECT_EQ(dialog.Percent(), 40);
        EXPECT_EQ(dialog.txtDownPayment->text(), QStringLiteral("$4,000"));
        EXPECT_EQ(dialog.txtBalanceDue->text(), QStringLiteral("$6,000"));
    }
}

} // namespace
