#include "agency/AgencyProfileWindow.h"

#include "agency/AgencyProfile.h"
#include "core/Encoding.h"
#include "core/Prompter.h"
#include "core/Text.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <stdexcept>

namespace {

QString FieldText(const std::string &value)
{
    return QString::fromStdString(Windows1252ToUtf8(Trim(value)));
}

// A masked field with no digit typed holds nothing, not its literals.
std::string StoredText(const QLineEdit *edit)
{
    const QString shown = edit->inputMask().isEmpty() ? edit->text() : edit->displayText();
    if (!edit->inputMask().isEmpty() &&
        std::none_of(shown.begin(), shown.end(), [](QChar c) { return c.isDigit(); })) {
        return {};
    }
    return Trim(Utf8ToWindows1252(shown.toStdString()));
}

QLineEdit *NewEdit(QWidget *parent, const char *name)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    return edit;
}

QLabel *NewLabel(QWidget *parent, const QString &caption, QWidget *buddy)
{
    auto *label = new QLabel(caption, parent);
    label->setBuddy(buddy);
    return label;
}

} // namespace

const QString TfrmAgencyProfile::PhoneMask = QStringLiteral("\\(000\\)999-9999; ");

TfrmAgencyProfile::TfrmAgencyProfile(TAgencyProfile &profile, bool locked, QWidget *parent)
    : QDialog(parent), m_profile(profile)
{
    setObjectName(QStringLiteral("frmAgencyProfile"));
    setWindowTitle(QStringLiteral("Agency Profile"));
    setModal(true);

    pnlFields = new QWidget(this);
    pnlFields->setObjectName(QStringLiteral("pnlFields"));
    txtName = NewEdit(pnlFields, "txtName");
    txtAttn = NewEdit(pnlFields, "txtAttn");
    txtStreet = NewEdit(pnlFields, "txtStreet");
    txtCity = NewEdit(pnlFields, "txtCity");
    txtState = NewEdit(pnlFields, "txtState");
    txtZip = NewEdit(pnlFields, "txtZip");
    txtPhone = NewEdit(pnlFields, "txtPhone");
    txtFax = NewEdit(pnlFields, "txtFax");
    txtEMail = NewEdit(pnlFields, "txtEMail");
    txtProducerID = NewEdit(pnlFields, "txtProducerID");
    txtPhone->setInputMask(PhoneMask);
    txtFax->setInputMask(PhoneMask);
    txtState->setMaximumWidth(48);
    txtZip->setMaximumWidth(96);

    auto *grid = new QGridLayout(pnlFields);
    grid->addWidget(NewLabel(pnlFields, QStringLiteral("Agency:"), txtName), 0, 0);
    grid->addWidget(txtName, 0, 1, 1, 3);
    grid->addWidget(NewLabel(pnlFields, QStringLiteral("Attn:"), txtAttn), 1, 0);
    grid->addWidget(txtAttn, 1, 1, 1, 3);
    grid->addWidget(NewLabel(pnlFields, QStringLiteral("Address:"), txtStreet), 2, 0);
    grid->addWidget(txtStreet, 2, 1, 1, 3);
    auto *cityLine = new QHBoxLayout;
    cityLine->addWidget(txtCity, 1);
    cityLine->addWidget(txtState);
    cityLine->addWidget(txtZip);
    grid->addLayout(cityLine, 3, 1, 1, 3);
    grid->addWidget(NewLabel(pnlFields, QStringLiteral("Phone:"), txtPhone), 4, 0);
    grid->addWidget(txtPhone, 4, 1);
    grid->addWidget(NewLabel(pnlFields, QStringLiteral("Fax:"), txtFax), 4, 2);
    grid->addWidget(txtFax, 4, 3);
    grid->addWidget(NewLabel(pnlFields, QStringLiteral("EMail:"), txtEMail), 5, 0);
    grid->addWidget(txtEMail, 5, 1, 1, 3);
    grid->addWidget(NewLabel(pnlFields, QStringLiteral("Fed Tax ID:"), txtProducerID), 6, 0);
    grid->addWidget(txtProducerID, 6, 1, 1, 3);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);

    lblNoProfile = new QLabel(QStringLiteral("**This information cannot be modified"), this);
    lblNoProfile->setObjectName(QStringLiteral("lblNoProfile"));
    lblNoProfile->setTextFormat(Qt::PlainText);

    btnClose = new QPushButton(QStringLiteral("&Close"), this);
    btnClose->setObjectName(QStringLiteral("btnClose"));
    btnClose->setDefault(true);
    btnCancel = new QPushButton(QStringLiteral("C&ancel"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    connect(btnClose, &QPushButton::clicked, this, &TfrmAgencyProfile::btnCloseClick);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(lblNoProfile);
    buttons->addStretch(1);
    buttons->addWidget(btnClose);
    buttons->addWidget(btnCancel);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(pnlFields);
    layout->addLayout(buttons);

    pnlFields->setEnabled(!locked);
    lblNoProfile->setVisible(locked);
    resize(460, sizeHint().height());
}

void TfrmAgencyProfile::showEvent(QShowEvent *event)
{
    FillFields();
    QDialog::showEvent(event);
}

void TfrmAgencyProfile::FillFields()
{
    const TAgencyInformation &info = m_profile.Information();
    txtName->setText(FieldText(info.Name));
    txtAttn->setText(FieldText(info.Attn));
    txtStreet->setText(FieldText(info.Street));
    txtCity->setText(FieldText(info.City));
    txtState->setText(FieldText(info.State));
    txtZip->setText(FieldText(info.Zip));
    txtPhone->setText(FieldText(info.Phone));
    txtFax->setText(FieldText(info.Fax));
    txtEMail->setText(FieldText(info.EMail));
    txtProducerID->setText(FieldText(info.ProducerID));
}

void TfrmAgencyProfile::btnCloseClick()
{
    TAgencyInformation &info = m_profile.Information();
    const TAgencyInformation before = info;
    info.Name = StoredText(txtName);
    info.Attn = StoredText(txtAttn);
    info.Street = StoredText(txtStreet);
    info.City = StoredText(txtCity);
    info.State = StoredText(txtState);
    info.Zip = StoredText(txtZip);
    info.Phone = StoredText(txtPhone);
    info.Fax = StoredText(txtFax);
    info.EMail = StoredText(txtEMail);
    info.ProducerID = StoredText(txtProducerID);
    try {
        m_profile.Save();
    } catch (const std::exception &error) {
        // Nothing typed is lost: the window stays open with the fields as they are.
        info = before;
        ShowError(error.what());
        return;
    }
    accept();
}
