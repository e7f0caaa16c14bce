#include "ui/DialogKeys.h"

#include "core/Prompter.h"
#include "core/Rounding.h"
#include "core/Text.h"
#include "ui/QtText.h"

#include <QAbstractItemView>
#include <QKeyEvent>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QToolTip>

#include <cmath>
#include <exception>

const char *const kPayrollHint = "Type the payroll in dollars: digits only";
const char *const kCountHint = "Type the number of employees: digits only";
const char *const kRateHint = "Type a number: digits and a decimal point only";

namespace {

// A refused key shows the hint under the box, where the agent is looking.
void HintOnRefusal(QLineEdit *box, const char *hint)
{
    QObject::connect(box, &QLineEdit::inputRejected, box, [box, hint] {
        QToolTip::showText(box->mapToGlobal(QPoint(0, box->height())), QString::fromUtf8(hint),
                           box);
    });
}

void Restrict(QLineEdit *box, const QString &pattern, const char *hint)
{
    box->setValidator(new QRegularExpressionValidator(QRegularExpression(pattern), box));
    box->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    HintOnRefusal(box, hint);
}

} // namespace

TEnterTabDialog::TEnterTabDialog(QWidget *parent) : QDialog(parent)
{
    setModal(true);
}

void TEnterTabDialog::SetEnterAction(QWidget *widget, std::function<void()> action)
{
    m_enterActions.emplace_back(widget, std::move(action));
}

void TEnterTabDialog::keyPressEvent(QKeyEvent *event)
{
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (!enter || (event->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) {
        QDialog::keyPressEvent(event);
        return;
    }
    QWidget *focus = focusWidget();
    for (const auto &[widget, action] : m_enterActions) {
        if (widget && focus && (widget == focus || widget->isAncestorOf(focus))) {
            action();
            return;
        }
    }
    if (auto *button = qobject_cast<QPushButton *>(focus)) {
        button->click();
        return;
    }
    focusNextChild();
}

TCountEdit::TCountEdit(int digits, QWidget *parent) : QLineEdit(parent)
{
    Restrict(this, QStringLiteral("\\d{0,%1}").arg(digits), kCountHint);
}

void TCountEdit::SetCount(int32_t count)
{
    setText(count == 0 ? QString() : QString::number(count));
}

TPayrollEdit::TPayrollEdit(QWidget *parent) : QLineEdit(parent)
{
    Restrict(this, QStringLiteral("\\s*\\$?[0-9,]*(\\.[0-9]*)?\\s*"), kPayrollHint);
}

void TPayrollEdit::SetAmount(int32_t amount)
{
    setText(ToQString(MoneyText(amount)));
}

void TPayrollEdit::focusOutEvent(QFocusEvent *event)
{
    double value = 0;
    const std::string typed = ReplaceAll(ReplaceAll(Trim(FromQString(text())), ",", ""), "$", "");
    // An amount beyond what a payroll holds stays as typed, for the check to name.
    if (!typed.empty() && TryStrToFloat(typed, value) && std::abs(value) < 2147483647.0) {
        setText(ToQString(MoneyText(RoundAmount(value))));
    }
    QLineEdit::focusOutEvent(event);
}

TRateEdit::TRateEdit(QWidget *parent) : QLineEdit(parent)
{
    Restrict(this, QStringLiteral("\\s*[0-9]*(\\.[0-9]*)?\\s*"), kRateHint);
}

void Guarded(const std::function<void()> &command)
{
    try {
        command();
    } catch (const std::exception &error) {
        ShowError(error.what());
    }
}

void FocusBox(QWidget *box)
{
    if (box == nullptr) {
        return;
    }
    box->setFocus(Qt::OtherFocusReason);
    if (auto *edit = qobject_cast<QLineEdit *>(box)) {
        edit->selectAll();
    }
}
