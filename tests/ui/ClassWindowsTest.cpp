#include "ClassWindowsTest.h"

#include "core/Text.h"
#include "support/RateCommand.h"
#include "ui/ClassLineDialogs.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <QTreeWidget>

#include <nlohmann/json.hpp>

ClassWindowsTest::ClassWindowsTest(const std::string &state, int32_t broker)
{
    CopyDeliveredData(m_program.Path() + "Data/");
    m_harness =
        std::make_unique<QuoteHarness>(state, broker, EncodeDate(2026, 7, 1), m_program.Path());
}

int32_t ClassWindowsTest::RatedTotal()
{
    nlohmann::json request;
    request["state"] = Quote().StateCode;
    request["broker"] = Quote().PlanId;
    request["effective"] = "07/01/2026";
    request["classes"] = nlohmann::json::array();
    for (const TVereDivoClass *line : Quote().Classes()) {
        request["classes"].push_back({{"code", line->Code},
                                      {"subcode", line->SubCode},
                                      {"payroll", line->GetPayroll()},
                                      {"employees", line->Employees}});
    }
    const RateCommandResult result =
        RunRateCommand(VEREDIVO_RATE_COMMAND, m_program.Path(), request.dump(), "--json");
    if (result.status != 0) {
        ADD_FAILURE() << "rating command: " << result.err << result.out;
        return -1;
    }
    return nlohmann::json::parse(result.out).at("amounts").at("TotalPremium").get<int32_t>();
}

void TypeInto(QLineEdit *box, const QString &text)
{
    box->setFocus(Qt::TabFocusReason);
    box->selectAll();
    if (text.isEmpty()) {
        QTest::keyClick(box, Qt::Key_Delete);
    }
    QTest::keyClicks(box, text);
}

void AltKey(QWidget *target, Qt::Key key)
{
    QTest::keyClick(target, key, Qt::AltModifier);
    QTest::qWait(200);
}

void Reactivate(QWidget *window)
{
    if (!window->isActiveWindow()) {
        window->activateWindow();
    }
    EXPECT_TRUE(QTest::qWaitForWindowActive(window));
}

void TabOn(QWidget *widget)
{
    QTest::keyClick(widget, Qt::Key_Tab);
}

QTreeWidgetItem *RowWithText(QTreeWidget *list, int column, const QString &text)
{
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        if (list->topLevelItem(i)->text(column) == text) {
            return list->topLevelItem(i);
        }
    }
    return nullptr;
}

QStringList ColumnTexts(QTreeWidget *list, int column)
{
    QStringList texts;
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        texts << list->topLevelItem(i)->text(column);
    }
    return texts;
}

ModalScript::Action PayrollDialog(const QString &payroll, const QString &employees)
{
    return [payroll, employees](QWidget *modal) {
        auto *dialog = qobject_cast<TfrmEditClass *>(modal);
        ASSERT_NE(dialog, nullptr) << modal->windowTitle().toStdString();
        TypeInto(dialog->txtPayroll, payroll);
        QTest::keyClick(dialog->txtPayroll, Qt::Key_Return);
        EXPECT_EQ(QApplication::focusWidget(), dialog->txtEmployees);
        dialog->txtEmployees->selectAll();
        QTest::keyClicks(dialog->txtEmployees, employees);
        AltKey(dialog, Qt::Key_C);
    };
}
