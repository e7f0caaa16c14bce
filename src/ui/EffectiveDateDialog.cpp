#include "ui/EffectiveDateDialog.h"

#include "core/AppInfo.h"
#include "core/Prompter.h"
#include "core/Text.h"
#include "ui/QtText.h"

#include <QCalendarWidget>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TfrmEffectiveDate::TfrmEffectiveDate(TDateTime date, QWidget *parent)
    : QDialog(parent), m_date(date)
{
    setObjectName(QStringLiteral("frmEffectiveDate"));
    setWindowTitle(QStringLiteral("Effective Date"));
    setModal(true);

    lblPrompt = new QLabel(QStringLiteral("Type a date or click the calender button"), this);
    lblPrompt->setObjectName(QStringLiteral("lblPrompt"));
    txtDate = new QLineEdit(this);
    txtDate->setObjectName(QStringLiteral("txtDate"));
    txtDate->setInputMask(QStringLiteral("99/99/9999;_"));
    txtDate->setText(ToQString(DateToStr(date)));
    txtDate->setMinimumWidth(110);
    btnCalendar = new QPushButton(QStringLiteral("..."), this);
    btnCalendar->setObjectName(QStringLiteral("btnCalendar"));
    btnCalendar->setToolTip(QStringLiteral("Calendar"));
    btnCalendar->setFixedWidth(30);
    btnOk = new QPushButton(QStringLiteral("&Ok"), this);
    btnOk->setObjectName(QStringLiteral("btnOk"));
    btnCancel = new QPushButton(QStringLiteral("&Cancel"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    for (QPushButton *button : {btnCalendar, btnOk, btnCancel}) {
        button->setAutoDefault(false);
    }
    // One date to give: Enter gives it.
    btnOk->setDefault(true);

    auto *dateRow = new QHBoxLayout;
    dateRow->addWidget(txtDate);
    dateRow->addWidget(btnCalendar);
    dateRow->addStretch(1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnOk);
    buttons->addWidget(btnCancel);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(lblPrompt);
    layout->addLayout(dateRow);
    layout->addSpacing(8);
    layout->addLayout(buttons);

    calDate = new QCalendarWidget(this);
    calDate->setObjectName(QStringLiteral("calDate"));
    calDate->setWindowFlags(Qt::Popup);
    calDate->hide();
    connect(calDate, &QCalendarWidget::activated, this, [this](QDate picked) {
        calDate->hide();
        AcceptDate(FromQDate(picked));
    });
    connect(calDate, &QCalendarWidget::clicked, this, [this](QDate picked) {
        calDate->hide();
        AcceptDate(FromQDate(picked));
    });
    connect(btnCalendar, &QPushButton::clicked, this, &TfrmEffectiveDate::btnCalendarClick);
    connect(btnOk, &QPushButton::clicked, this, &TfrmEffectiveDate::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    txtDate->setFocus();
}

void TfrmEffectiveDate::btnCalendarClick()
{
    TDateTime shown = m_date;
    TryStrToDate(FromQString(txtDate->text()), shown);
    calDate->setSelectedDate(ToQDate(shown));
    calDate->move(txtDate->mapToGlobal(QPoint(0, txtDate->height())));
    calDate->show();
    calDate->setFocus();
}

void TfrmEffectiveDate::AcceptDate(TDateTime date)
{
    txtDate->setText(ToQString(DateToStr(date)));
    AppLogLine("Effective Form - AcceptDate Method - ADate = " + DateToStr(date));
    txtDate->setFocus();
}

void TfrmEffectiveDate::accept()
{
    TDateTime date = 0;
    // Every digit typed, and a day that exists in its month.
    if (!txtDate->hasAcceptableInput() || !TryStrToDate(FromQString(txtDate->text()), date)) {
        ShowInformation("Please provide a valid date");
        txtDate->setFocus();
        txtDate->selectAll();
        return;
    }
    m_date = date;
    QDialog::accept();
}
