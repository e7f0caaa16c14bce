// The class deviations window: deviations and rates typed into its grid, applied on "&Done"
// and dropped on "&Cancel", with the refusals of a deviation that cannot price a class.

#include "ClassWindowsTest.h"

#include "core/Rounding.h"
#include "rating/VereDivoQuote.h"
#include "ui/Deviations.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTest>

#include <gmock/gmock.h>

using testing::ElementsAre;

namespace {

QString Cell(const TfrmDeviations &window, int row, int column)
{
    return window.grdDeviations->item(row, column)->text();
}

// Types into a cell as an agent does: the key opens the cell's editor, Enter leaves it.
void TypeInCell(TfrmDeviations &window, int row, int column, const QString &text)
{
    QTableWidget *grid = window.grdDeviations;
    grid->setFocus();
    grid->setCurrentCell(row, column);
    QTest::keyClick(grid, text.at(0).toLatin1());
    QWidget *editor = QApplication::focusWidget();
    ASSERT_NE(editor, grid) << "no editor opened in column " << column;
    QTest::keyClicks(editor, text.mid(1));
    QTest::keyClick(editor, Qt::Key_Return);
    // The grid takes the cell's text from a queued call.
    QCoreApplication::processEvents();
}

} // namespace

class DeviationsTest : public ClassWindowsTest
{
protected:
    DeviationsTest()
    {
        plumbing = &Harness().Add("5183", 100000, 3); // state rate 2.60
        carpentry = &Harness().Add("5645", 200000, 5); // 5.45
        clerical = &Harness().Add("8810", 80000, 2); // 0.09
    }

    int RowOf(const TVereDivoClass *line) const
    {
        const auto &classes = const_cast<DeviationsTest *>(this)->Quote().Classes();
        return static_cast<int>(std::find(classes.begin(), classes.end(), line) - classes.begin());
    }

    TVereDivoClass *plumbing = nullptr;
    TVereDivoClass *carpentry = nullptr;
    TVereDivoClass *clerical = nullptr;
};

TEST_F(DeviationsTest, DeviationsAndRatesTypedAreAppliedOnDone)
{
    TfrmDeviations window(Quote());
    EXPECT_EQ(window.windowTitle(), "Class Deviations");
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    const int p = RowOf(plumbing);
    const int c = RowOf(carpentry);
    EXPECT_EQ(Cell(window, p, TfrmDeviations::colClass).toStdString(), plumbing->DisplayName());
    EXPECT_EQ(Cell(window, p, TfrmDeviations::colStateRate), "2.60");
    EXPECT_EQ(Cell(window, p, TfrmDeviations::colDeviation), "1.00");
    EXPECT_EQ(Cell(window, p, TfrmDeviations::colRate), "2.60");
    EXPECT_FALSE(window.grdDeviations->item(p, TfrmDeviations::colRate)->flags() &
                 Qt::ItemIsEditable);

    // Only digits and a point reach a cell.
    TypeInCell(window, p, TfrmDeviations::colDeviation, "1.1x55");
    EXPECT_EQ(Cell(window, p, TfrmDeviations::colDeviation), "1.16");
    EXPECT_EQ(Cell(window, p, TfrmDeviations::colRate), "3.02");

    // By rate: the deviation follows.
    AltKey(&window, Qt::Key_R);
    EXPECT_TRUE(window.optRate->isChecked());
    EXPECT_FALSE(window.btnDeviateAll->isEnabled());
    EXPECT_FALSE(window.grdDeviations->item(c, TfrmDeviations::colDeviation)->flags() &
                 Qt::ItemIsEditable);
    TypeInCell(window, c, TfrmDeviations::colRate, "6.54");
    EXPECT_EQ(Cell(window, c, TfrmDeviations::colDeviation), "1.20");

    const double clericalDeviation = clerical->Deviation;
    AltKey(&window, Qt::Key_D);
    EXPECT_EQ(window.result(), QDialog::Accepted);
    EXPECT_DOUBLE_EQ(plumbing->Deviation, 1.16);
    EXPECT_DOUBLE_EQ(carpentry->Deviation, 1.2);
    EXPECT_DOUBLE_EQ(carpentry->Rate, 5.45 * 1.2);
    EXPECT_DOUBLE_EQ(clerical->Deviation, clericalDeviation);
    ASSERT_TRUE(Quote().CalculatePremium());
    EXPECT_EQ(Quote().Results.TotalManualPremium,
              RoundAmount(2.60 * 1.16 * 1000) + RoundAmount(5.45 * 1.2 * 2000) +
                  RoundAmount(0.09 * 800));
}

TEST_F(DeviationsTest, RowsLeftAloneKeepTheirRatesExactly)
{
    plumbing->SetDeviation(1.155); // shown as 1.16, must stay 1.155
    const double rate = plumbing->Rate;
    TfrmDeviations window(Quote());
    window.show();
    EXPECT_EQ(Cell(window, RowOf(plumbing), TfrmDeviations::colDeviation), "1.16");
    window.btnDone->click();
    EXPECT_EQ(window.result(), QDialog::Accepted);
    EXPECT_DOUBLE_EQ(plumbing->Deviation, 1.155);
    EXPECT_DOUBLE_EQ(plumbing->Rate, rate);
}

TEST_F(DeviationsTest, CancelChangesNothingAndDeviateAllSetsEveryRow)
{
    const int32_t before = plumbing->GetPremium();
    {
        TfrmDeviations window(Quote());
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        window.txtDeviateAll->setFocus();
        window.txtDeviateAll->selectAll();
        QTest::keyClicks(window.txtDeviateAll, "0.9");
        QTest::keyClick(window.txtDeviateAll, Qt::Key_Return); // Enter deviates all
        for (int row = 0; row < 3; ++row) {
            EXPECT_EQ(Cell(window, row, TfrmDeviations::colDeviation), "0.90");
        }
        EXPECT_EQ(window.txtDeviateAll->text(), "0.90");
        EXPECT_EQ(Cell(window, RowOf(plumbing), TfrmDeviations::colRate), "2.34");
        window.btnCancel->click();
        EXPECT_EQ(window.result(), QDialog::Rejected);
    }
    EXPECT_DOUBLE_EQ(plumbing->Deviation, 1.0);
    EXPECT_EQ(plumbing->GetPremium(), before);

    TfrmDeviations window(Quote());
    window.show();
    window.txtDeviateAll->setText("0.9");
    window.btnDeviateAll->click();
    window.btnDone->click();
    for (const TVereDivoClass *line : {plumbing, carpentry, clerical}) {
        EXPECT_DOUBLE_EQ(line->Deviation, 0.9);
    }
}

TEST_F(DeviationsTest, ADeviationOfZeroIsRefused)
{
    TfrmDeviations window(Quote());
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    const int c = RowOf(carpentry);
    TypeInCell(window, c, TfrmDeviations::colDeviation, "0");
    EXPECT_EQ(Cell(window, c, TfrmDeviations::colRate), "0.00");
    window.btnDone->click();
    EXPECT_THAT(Messages().Texts(),
                ElementsAre("Please provide a deviation greater than 0 for "
                            "CARPENTRY - RESIDENTIAL DWELLINGS NOT OVER THREE "
                            "STORIES"));
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.grdDeviations->currentRow(), c);
    EXPECT_DOUBLE_EQ(carpentry->Deviation, 1.0);

    // "Deviate All" with 0 is refused before it touches a row.
    Messages().Clear();
    window.txtDeviateAll->setText("0.000");
    window.btnDeviateAll->click();
    EXPECT_THAT(Messages().Texts(), ElementsAre("Please provide a deviation greater than 0"));
    EXPECT_EQ(Cell(window, RowOf(plumbing), TfrmDeviations::colDeviation), "1.00");

    // A negative deviation cannot even be typed.
    TypeInCell(window, c, TfrmDeviations::colDeviation, "1-.5");
    EXPECT_EQ(Cell(window, c, TfrmDeviations::colDeviation), "1.50");
    window.btnDone->click();
    EXPECT_EQ(window.result(), QDialog::Accepted);
    EXPECT_DOUBLE_EQ(carpentry->Deviation, 1.5);
    EXPECT_DOUBLE_EQ(plumbing->Deviation, 1.0);
}
