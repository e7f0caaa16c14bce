#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;
class TAgencyProfile;

// The "Agency Profile" window. "&Close" writes every field back (trimmed), saves the profile
// and closes with Accepted; "C&ancel" closes without saving. A locked profile (the "NoProfile"
// argument) is shown with its fields disabled.
class TfrmAgencyProfile : public QDialog
{
    Q_OBJECT

public:
    // The input mask of the phone and fax fields: an optional area code in parentheses, then
    // seven required digits; blanks show as spaces.
    static const QString PhoneMask;

    TfrmAgencyProfile(TAgencyProfile &profile, bool locked, QWidget *parent = nullptr);

    QLineEdit *txtName = nullptr;
    QLineEdit *txtAttn = nullptr;
    QLineEdit *txtStreet = nullptr;
    QLineEdit *txtCity = nullptr;
    QLineEdit *txtState = nullptr;
    QLineEdit *txtZip = nullptr;
    QLineEdit *txtPhone = nullptr;
    QLineEdit *txtFax = nullptr;
    QLineEdit *txtEMail = nullptr;
    QLineEdit *txtProducerID = nullptr;
    QWidget *pnlFields = nullptr;
    QLabel *lblNoProfile = nullptr;
    QPushButton *btnClose = nullptr;
    QPushButton *btnCancel = nullptr;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void FillFields();
    void btnCloseClick();

    TAgencyProfile &m_profile;
};
