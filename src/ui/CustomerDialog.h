#pragma once

// "Customer/Quote Information": the insured (company, contact, address, telephones) and, where
// the plan asks for them, the quote's own description and location with its policy dates. The
// quote detail window opens it from "Customer", the main window before output that needs a
// company or an address, and saving a quote that has no name or description.

#include "storage/VereDivoQuoteDBInterface.h"
#include "ui/DisplayFormat.h"

#include <QDialog>

#include <memory>
#include <string>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class TCustInfo;
class TVereDivoAppInfo;
class TVereDivoQuote;

class TfrmCustInfo final : public QDialog
{
    Q_OBJECT

public:
    // `askForAddress`: "&Done" also wants name, address and work phone. `appInfo` gives the
    // customer store of "&Select a Current Customer" (none: the button is hidden).
    TfrmCustInfo(TVereDivoQuote &quote, bool askForAddress, TVereDivoAppInfo *appInfo,
                 QWidget *parent = nullptr);
    ~TfrmCustInfo() override;

    // Whether the plan shows the quote's own group (description, location, policy dates).
    bool QuoteGroupShown() const { return m_quoteGroup; }

    void accept() override; // "&Done" with its checks, in order
    void reject() override; // "&Cancel": the customer record as it was

    void btnSelectCustomerClick();

    QLineEdit *txtCompany = nullptr;
    QLineEdit *txtFirst = nullptr;
    QLineEdit *txtLast = nullptr;
    QLineEdit *txtStreet = nullptr;
    QLineEdit *txtCity = nullptr;
    QLineEdit *txtState = nullptr;
    QLineEdit *txtZip = nullptr;
    QLineEdit *txtWork = nullptr;
    QLineEdit *txtHome = nullptr;
    QLineEdit *txtFax = nullptr;
    QGroupBox *grpQuote = nullptr;
    QCheckBox *chkSame = nullptr;
    QLineEdit *txtLOBDescription = nullptr;
    QLineEdit *txtLOBStreet = nullptr;
    QLineEdit *txtLOBCity = nullptr;
    QLineEdit *txtLOBState = nullptr;
    QLineEdit *txtLOBZip = nullptr;
    QLineEdit *txtEffective = nullptr;
    QLineEdit *txtExpiration = nullptr;
    QPushButton *btnSelectCustomer = nullptr;
    QPushButton *btnDone = nullptr;
    QPushButton *btnCancel = nullptr;

    static const char *const PhoneMask;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void CreateControls();
    void FillCustomer();
    void FillQuote();
    void chkSameClick(bool checked);
    // Copies a customer field into its quote field while "same as customer" is checked.
    void Mirror(QLineEdit *from, QLineEdit *to);
    // The field's text, for a masked one only when a digit was typed.
    std::string FieldText(const QLineEdit *edit) const;
    bool Refuse(const std::string &message, QLineEdit *field);

    TVereDivoQuote &m_quote;
    bool m_askForAddress;
    TVereDivoAppInfo *m_appInfo;
    bool m_quoteGroup = true;
    TEditMask m_phoneMask;
    std::unique_ptr<TCustInfo> m_saved;
    bool m_mirroring = false;
};

// The dialog the quote store opens when a quote to be saved lacks a name or a description: the
// customer dialog over the quote's window.
class TQtCustomerDialog final : public TCustomerDialog
{
public:
    explicit TQtCustomerDialog(TVereDivoAppInfo *appInfo) : m_appInfo(appInfo) { }
    bool EditCustomer(TVereDivoQuote &quote) override;

private:
    TVereDivoAppInfo *m_appInfo;
};
