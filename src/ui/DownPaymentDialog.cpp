#include "ui/DownPaymentDialog.h"

#include "core/Rounding.h"
#include "core/Text.h"
#include "ui/QtText.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>

namespace {

QLineEdit *Figure(const char *name, QWidget *parent)
{
    auto *box = new QLineEdit(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setReadOnly(true);
    box->setFocusPolicy(Qt::ClickFocus);
    box->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    box->setMinimumWidth(130);
    return box;
}

} // namespace

TfrmDownPayment::TfrmDownPayment(int32_t totalPremium, int32_t percent, QWidget *parent)
    : QDialog(parent), m_totalPremium(totalPremium)
{
    setObjectName(QStringLiteral("frmDownPayment"));
    setWindowTitle(QStringLiteral("Down Payment"));
    setModal(true);

    txtTotalPremium = Figure("txtTotalPremium", this);
    txtTotalPremium->setText(ToQString(MoneyText(totalPremium)));
    txtPercent = new QSpinBox(this);
    txtPercent->setObjectName(QStringLiteral("txtPercent"));
    // Typing a figure above 100 is allowed so that it can be set back to 100 where the agent
    // sees it.
    txtPercent->setRange(0, 999);
    txtPercent->setSuffix(QStringLiteral(" %"));
    txtPercent->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    txtPercent->setMinimumWidth(130);
    txtDownPayment = Figure("txtDownPayment", this);
    txtBalanceDue = Figure("txtBalanceDue", this);

    auto *form = new QFormLayout;
    form->setLabelAlignment(Qt::AlignRight | Qt::AlignVCenter);
    form->addRow(QStringLiteral("Total Premium:"), txtTotalPremium);
    form->addRow(QStringLiteral("Down &Payment %:"), txtPercent);
    form->addRow(QStringLiteral("Down Payment:"), txtDownPayment);
    form->addRow(QStringLiteral("Balance Due:"), txtBalanceDue);

    btnSetDefault = new QPushButton(QStringLiteral("Set as default"), this);
    btnSetDefault->setObjectName(QStringLiteral("btnSetDefault"));
    btnDone = new QPushButton(QStringLiteral("&Done"), this);
    btnDone->setObjectName(QStringLiteral("btnDone"));
    btnCancel = new QPushButton(QStringLiteral("&Cancel"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    for (QPushButton *button : {btnSetDefault, btnDone, btnCancel}) {
        button->setAutoDefault(false);
    }
    // One figure to give: Enter gives it.
    btnDone->setDefault(true);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(btnSetDefault);
    buttons->addStretch(1);
    buttons->addWidget(btnDone);
    buttons->addWidget(btnCancel);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addSpacing(8);
    layout->addLayout(buttons);

    connect(txtPercent, &QSpinBox::valueChanged, this, &TfrmDownPayment::txtPercentChange);
    connect(btnSetDefault, &QPushButton::clicked, this, [this] { m_default = Percent(); });
    connect(btnDone, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);

    txtPercent->setValue(std::clamp(percent, 0, 100));
    txtPercentChange();
    txtPercent->setFocus();
    txtPercent->selectAll();
}

int32_t TfrmDownPayment::Percent() const
{
    return std::min(txtPercent->value(), 100);
}

void TfrmDownPayment::txtPercentChange()
{
    if (txtPercent->value() > 100) {
        txtPercent->setValue(100);
        return; // the change that follows shows the figures
    }
    const int32_t percent = RoundAmount(txtPercent->value());
    const int32_t down = RoundAmount(static_cast<double>(m_totalPremium) * percent * 0.01);
    txtDownPayment->setText(ToQString(MoneyText(down)));
    txtBalanceDue->setText(ToQString(MoneyText(m_totalPremium - down)));
}
