#include "ui/InputWidgets.h"
#include "db/CBDatabase.h"
#include "db/VereDivoDatabase.h"
#include "rating/ControlInterface.h"
#include "ui/DisplayFormat.h"

#include "UiFixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using testing::ElementsAre;

namespace {

TEST(DisplayFormat, NumbersInTheirSectionWithGroupsAndDecimals)
{
    EXPECT_EQ(FormatFloat("$,0;$-,0", 31720), "$31,720");
    EXPECT_EQ(FormatFloat("$,0;$-,0", -2563), "$-2,563");
    EXPECT_EQ(FormatFloat("$,0;$-,0", 0), "$0");
    EXPECT_EQ(FormatFloat(",0.00;-,0.00", 1234567.125), "1,234,567.13");
    EXPECT_EQ(FormatFloat(",0.00;-,0.00", -0.5), "-0.50");
    EXPECT_EQ(FormatFloat("0.##", 2.5), "2.5");
    EXPECT_EQ(FormatFloat("#.##", 0.25), ".25");
    EXPECT_EQ(FormatFloat("0000", 42), "0042");
    EXPECT_EQ(FormatFloat("0", -7), "-7"); // no negative section: a minus sign
    EXPECT_EQ(FormatFloat("$0;($0);'none'", 0), "none");
    EXPECT_EQ(FormatFloat("$0;($0);'none'", -3), "($3)");
    EXPECT_EQ(FormatFloat("0' %'", 25), "25 %");
    EXPECT_EQ(FormatFloat("", 3.14159, 2), "3.14");
}

TEST(DisplayFormat, EditMasksInQtsLanguage)
{
    const TEditMask phone = ConvertEditMask("!\\(999\\)000-0000;1;_");
    EXPECT_EQ(phone.QtMask, QStringLiteral("\\(000\\)999-9999;_"));
    EXPECT_TRUE(phone.SaveLiterals);
    EXPECT_EQ(MaskedText(QStringLiteral("(617)555-1234"), phone), QStringLiteral("(617)555-1234"));
    EXPECT_EQ(MaskedText(QStringLiteral("(___)555-1234"), phone), QStringLiteral("(   )555-1234"));
    EXPECT_EQ(MaskedText(QStringLiteral("(___)___-____"), phone), QString());

    const TEditMask code = ConvertEditMask("####;0; ");
    EXPECT_EQ(code.QtMask, QStringLiteral("####; "));
    EXPECT_FALSE(code.SaveLiterals);
    const TEditMask letters = ConvertEditMask(">LL-00;0;_");
    EXPECT_EQ(letters.QtMask, QStringLiteral(">AA-99;_"));
    EXPECT_EQ(MaskedText(QStringLiteral("MA-12"), letters), QStringLiteral("MA12"));
    // Characters Qt reads as mask characters are written literally when the mask says so.
    EXPECT_EQ(ConvertEditMask("\\A0").QtMask, QStringLiteral("\\A9;_"));
    EXPECT_EQ(ConvertEditMask("H0").QtMask, QStringLiteral("\\H9;_"));
    EXPECT_TRUE(ConvertEditMask("").QtMask.isEmpty());
}

class InputWidgets : public UiFixture
{
protected:
    TVereDivoDatabase &Tables() { return *info->Database(); }

    // Adds a control to the input table under state 99, rate set 1, form 1.
    void AddSpec(TControlSpec spec)
    {
        spec.ID = 99;
        spec.ID2 = 1;
        spec.FORM_ID = 1;
        spec.Active = true;
        spec.Enabled = true;
        spec.Visible = true;
        Tables().Inputs().AppendBlank();
        spec.StoreInTable(Tables().Inputs());
        Tables().Inputs().Flush();
    }
    void AddEntry(int32_t control, int32_t index, const std::string &text, bool isDefault)
    {
        TComboItemData entry;
        entry.ID = 99;
        entry.Ctrl_ID = control;
        entry.Form_ID = 1;
        entry.Year = 1;
        entry.Index = index;
        entry.Text = text;
        entry.Default = isDefault;
        Tables().InputData().AppendBlank();
        entry.StoreInTable(Tables().InputData());
        Tables().InputData().Flush();
    }
};

TControlSpec Spec(int32_t index, TControlKind kind, const char *name, int32_t top,
                  const char *caption = "")
{
    TControlSpec spec;
    spec.Index = index;
    spec.Type = static_cast<int32_t>(kind);
    spec.Name = name;
    spec.Caption = caption;
    spec.Left = 10;
    spec.Top = top;
    spec.Width = 120;
    spec.Height = 21;
    spec.Tab_Order = index;
    return spec;
}

TEST_F(InputWidgets, TheMassachusettsInputsStandWhereTheTablePutsThem)
{
    TControlInterface controls;
    QWidget panel;
    controls.Build(Tables().Inputs(), Tables().InputData(), false, 2, 1, 13);
    TInputWidgets widgets(controls, &panel);

    auto *partTwo = qobject_cast<QComboBox *>(widgets.WidgetNamed("lstPartTwo"));
    auto *expMod = qobject_cast<QLineEdit *>(widgets.WidgetNamed("txtExpMod"));
    auto *expModLabel = qobject_cast<QLabel *>(widgets.WidgetNamed("lblExpMod"));
    auto *merit = qobject_cast<QComboBox *>(widgets.WidgetNamed("lstMerit"));
    ASSERT_NE(partTwo, nullptr);
    ASSERT_NE(expMod, nullptr);
    ASSERT_NE(expModLabel, nullptr);
    ASSERT_NE(merit, nullptr);
    EXPECT_EQ(partTwo->objectName(), QStringLiteral("lstPartTwo"));
    EXPECT_EQ(expMod->text(), QStringLiteral("1.00"));
    EXPECT_EQ(expModLabel->text(), QStringLiteral("Experience Mod:"));

    // Every entry of the list, the table's default selected.
    const TRatingControl *partTwoModel = controls.FindControl("lstPartTwo");
    ASSERT_EQ(partTwo->count(), static_cast<int>(partTwoModel->Entries().size()));
    EXPECT_EQ(partTwo->currentIndex(), partTwoModel->DefaultIndex());
    EXPECT_GE(partTwo->currentIndex(), 0);

    // Each top below the last visible control placed: the list at 8, its label 3 lower, the
    // next box 23 below the label.
    EXPECT_EQ(partTwo->y(), 8);
    EXPECT_EQ(widgets.WidgetNamed("lblPartTwo")->y(), 11);
    EXPECT_EQ(expMod->y(), 34);
    EXPECT_EQ(expModLabel->y(), 37);
    EXPECT_EQ(merit->y(), 60);
    // Columns keep their order and stay apart however wide the font makes them.
    const double scale = widgets.Scale();
    EXPECT_GE(scale, 1.0);
    EXPECT_EQ(expMod->x(), static_cast<int>(std::lround(160 * scale)));
    for (QLabel *label : panel.findChildren<QLabel *>()) {
        EXPECT_GE(label->width(), label->fontMetrics().horizontalAdvance(label->text()))
            << label->objectName().toStdString() << " is cut";
    }

    std::vector<std::string> order;
    for (QWidget *widget : widgets.TabOrder()) {
        order.push_back(widget->objectName().toStdString());
    }
    EXPECT_THAT(order,
                ElementsAre("lstPartTwo", "txtExpMod", "lstMerit", "txtARAP", "txtConstCredit",
                            "lstBenefits", "lstMedical", "txtLossMgmt", "lstPremiumDiscount",
                            "txtFees"));
}

TEST_F(InputWidgets, WidgetAndModelFollowEachOtherBothWays)
{
    TControlInterface controls;
    QWidget panel;
    controls.Build(Tables().Inputs(), Tables().InputData(), false, 2, 1, 13);
    TInputWidgets widgets(controls, &panel);
    panel.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&panel));

    TRatingControl &expModel = *controls.FindControl("txtExpMod");
    TRatingControl &meritModel = *controls.FindControl("lstMerit");
    int changes = 0;
    int exits = 0;
    expModel.OnChange([&](TRatingControl &) { ++changes; });
    expModel.OnExit([&](TRatingControl &) { ++exits; });
    auto *expMod = qobject_cast<QLineEdit *>(widgets.WidgetNamed("txtExpMod"));
    auto *arap = qobject_cast<QLineEdit *>(widgets.WidgetNamed("txtARAP"));
    auto *merit = qobject_cast<QComboBox *>(widgets.WidgetNamed("lstMerit"));

    // Typing: entering the box selects its text, so the keys replace it.
    expMod->setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(WaitFor([&] { return expMod->hasSelectedText(); }));
    QTest::keyClicks(expMod, "0.85");
    EXPECT_EQ(expModel.Text(), "0.85");
    EXPECT_EQ(changes, 4);
    EXPECT_EQ(exits, 0);
    // A message box over the window is not leaving the box.
    QFocusEvent away(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
    QApplication::sendEvent(expMod, &away);
    EXPECT_EQ(exits, 0);
    arap->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(exits, 1);

    // What the quote sets shows at once, without coming back as a change of the agent's.
    expModel.SetText("1.00");
    EXPECT_EQ(expMod->text(), QStringLiteral("1.00"));
    EXPECT_EQ(changes, 5);
    meritModel.SetText("-5");
    EXPECT_EQ(merit->currentText(), QStringLiteral("-5"));
    merit->setCurrentIndex(0);
    EXPECT_EQ(meritModel.ItemIndex(), 0);
    meritModel.RemoveEntry(meritModel.Entries()[1]->Text);
    EXPECT_EQ(merit->count(), static_cast<int>(meritModel.Entries().size()));

    expModel.SetEnabled(false);
    EXPECT_FALSE(expMod->isEnabled());
    expModel.SetVisible(false);
    EXPECT_FALSE(expMod->isVisible());

    // A control the quote removes takes its widget along.
    QPointer<QWidget> fees = widgets.WidgetNamed("txtFees");
    controls.RemoveControl("txtFees");
    EXPECT_EQ(widgets.WidgetNamed("txtFees"), nullptr);
    EXPECT_FALSE(fees->isVisible());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(fees.isNull());
}

TEST_F(InputWidgets, EveryKindOfControlTheTablesDescribe)
{
    AddSpec(Spec(1, TControlKind::Label, "lblTitle", 4, "Title of the set:"));
    AddSpec(Spec(2, TControlKind::DropDownList, "lstChoice", 30));
    AddEntry(2, 1, "first", false);
    AddEntry(2, 2, "second", true);
    TControlSpec masked = Spec(3, TControlKind::MaskedEdit, "txtCode", -26);
    masked.Mask = "!\\(999\\)000-0000;1;_";
    AddSpec(masked);
    AddSpec(Spec(4, TControlKind::ListBox, "lstPlain", -26));
    TControlSpec edit = Spec(5, TControlKind::Edit, "txtShort", -50, "abc");
    edit.Max_Length = 4;
    AddSpec(edit);
    TControlSpec money = Spec(6, TControlKind::CurrencyField, "curShown", -26);
    money.Mask = "$,0;$-,0";
    money.Read_Only = true;
    AddSpec(money);
    AddSpec(Spec(7, TControlKind::CurrencyFieldFixed, "curFixed", -26));
    TControlSpec check = Spec(8, TControlKind::CheckBox, "chkFlag", -26, "A flag");
    check.Checked = true;
    AddSpec(check);
    AddSpec(Spec(9, TControlKind::Button, "btnPress", -26, "Press"));

    TControlInterface controls;
    QWidget panel;
    controls.Build(Tables().Inputs(), Tables().InputData(), true, 1, 1, 99);
    TInputWidgets widgets(controls, &panel);
    panel.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&panel));

    ASSERT_NE(qobject_cast<QLabel *>(widgets.WidgetNamed("lblTitle")), nullptr);
    auto *choice = qobject_cast<QComboBox *>(widgets.WidgetNamed("lstChoice"));
    ASSERT_NE(choice, nullptr);
    EXPECT_EQ(choice->currentText(), QStringLiteral("second"));

    auto *code = qobject_cast<QLineEdit *>(widgets.WidgetNamed("txtCode"));
    ASSERT_NE(code, nullptr);
    EXPECT_EQ(code->inputMask(), QStringLiteral("\\(000\\)999-9999;_"));
    code->setFocus();
    code->setCursorPosition(0);
    QTest::keyClicks(code, "6175551234");
    EXPECT_EQ(controls.FindControl("txtCode")->Text(), "(617)555-1234");

    ASSERT_NE(qobject_cast<QListWidget *>(widgets.WidgetNamed("lstPlain")), nullptr);
    auto *shortEdit = qobject_cast<QLineEdit *>(widgets.WidgetNamed("txtShort"));
    ASSERT_NE(shortEdit, nullptr);
    EXPECT_EQ(shortEdit->maxLength(), 4);
    EXPECT_EQ(shortEdit->text(), QStringLiteral("abc"));

    // A read-only figure is shown in its format and is no stop for Tab.
    auto *shown = qobject_cast<QLineEdit *>(widgets.WidgetNamed("curShown"));
    ASSERT_NE(shown, nullptr);
    controls.FindControl("curShown")->SetText("1234567");
    EXPECT_EQ(shown->text(), QStringLiteral("$1,234,567"));
    EXPECT_TRUE(shown->isReadOnly());
    EXPECT_FALSE(shown->focusPolicy() & Qt::TabFocus);
    EXPECT_TRUE(shown->alignment() & Qt::AlignRight);
    // An editable one shows the plain number while it is edited, its format afterwards.
    auto *fixed = qobject_cast<QLineEdit *>(widgets.WidgetNamed("curFixed"));
    ASSERT_NE(fixed, nullptr);
    fixed->setFocus(Qt::TabFocusReason);
    QTest::keyClicks(fixed, "2500.5");
    EXPECT_EQ(controls.FindControl("curFixed")->Text(), "2500.5");
    shortEdit->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(fixed->text(), QStringLiteral("2,500.50"));

    auto *flag = qobject_cast<QCheckBox *>(widgets.WidgetNamed("chkFlag"));
    ASSERT_NE(flag, nullptr);
    EXPECT_TRUE(flag->isChecked());
    EXPECT_EQ(flag->text(), QStringLiteral("A flag"));
    flag->click();
    EXPECT_FALSE(controls.FindControl("chkFlag")->Checked());

    auto *press = qobject_cast<QPushButton *>(widgets.WidgetNamed("btnPress"));
    ASSERT_NE(press, nullptr);
    int pressed = 0;
    controls.FindControl("btnPress")->OnExit([&](TRatingControl &) { ++pressed; });
    press->click();
    EXPECT_EQ(pressed, 1);
}

} // namespace
