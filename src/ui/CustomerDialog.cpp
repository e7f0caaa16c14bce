#include "ui/CustomerDialog.h"

#include "core/Prompter.h"
#include "core/Text.h"
#include "rating/VereDivoQuote.h"
#include "storage/VereDivoAppInfo.h"
#include "storage/VereDivoCustDBO.h"
#include "ui/DetailWindow.h"
#include "ui/KeyboardNavigation.h"
#include "ui/LoadQuotation.h"
#include "ui/QtText.h"

#include <QCheckBox>
#include <QEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>

namespace {

constexpr int kLabelLeft = 12;
constexpr int kLabelWidth = 88;
constexpr int kFieldLeft = 104;
constexpr int kRow = 28;
constexpr int kHeight = 24;
constexpr int kWidth = 560;
// Without the quote's group the buttons sit here and the window is this high.
constexpr int kShortButtonsTop = 216;
constexpr int kShortHeight = 277;

QLineEdit *Field(QWidget *parent, const char *name, int left, int top, int width)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setGeometry(left, top, width, kHeight);
    return edit;
}

QLabel *Caption(QWidget *parent, const char *text, int left, int top, int width, QWidget *buddy)
{
    auto *label = new QLabel(QString::fromLatin1(text), parent);
    label->setGeometry(left, top, width, kHeight);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label->setBuddy(buddy);
    return label;
}

bool SameText(const QLineEdit *a, const QLineEdit *b)
{
    return a->text().trimmed() == b->text().trimmed();
}

} // namespace

const char *const TfrmCustInfo::PhoneMask = "!\\(999\\)000-0000;1;_";

TfrmCustInfo::TfrmCustInfo(TVereDivoQuote &quote, bool askForAddress, TVereDivoAppInfo *appInfo,
                           QWidget *parent)
    : QDialog(parent),
      m_quote(quote),
      m_askForAddress(askForAddress),
      m_appInfo(appInfo),
      m_phoneMask(ConvertEditMask(PhoneMask)),
      m_saved(std::make_unique<TCustInfo>())
{
    setObjectName(QStringLiteral("frmCustInfo"));
    setWindowTitle(QStringLiteral("Customer/Quote Information"));
    setModal(true);
    m_saved->Assign(quote.Customer());
    // The quote's own group is for plans whose applications are filled from the quote.
    m_quoteGroup = !quote.PlanProfile->ONLY_WKSHT;
    CreateControls();
    FillCustomer();
    FillQuote();
    EnterMovesLikeTab(this);
    txtCompany->setFocus();
}

TfrmCustInfo::~TfrmCustInfo() = default;

void TfrmCustInfo::CreateControls()
{
    int top = 12;
    txtCompany = Field(this, "txtCompany", kFieldLeft, top, 440);
    Caption(this, "&Company:", kLabelLeft, top, kLabelWidth, txtCompany);
    top += kRow;
    txtFirst = Field(this, "txtFirst", kFieldLeft, top, 160);
    txtLast = Field(this, "txtLast", kFieldLeft + 166, top, 274);
    Caption(this, "C&ontact:", kLabelLeft, top, kLabelWidth, txtFirst);
    txtFirst->setPlaceholderText(QStringLiteral("First name"));
    txtLast->setPlaceholderText(QStringLiteral("Last name"));
    top += kRow;
    txtStreet = Field(this, "txtStreet", kFieldLeft, top, 440);
    Caption(this, "A&ddress:", kLabelLeft, top, kLabelWidth, txtStreet);
    top += kRow;
    txtCity = Field(this, "txtCity", kFieldLeft, top, 260);
    txtState = Field(this, "txtState", kFieldLeft + 266, top, 44);
    txtZip = Field(this, "txtZip", kFieldLeft + 316, top, 124);
    txtCity->setPlaceholderText(QStringLiteral("City"));
    txtState->setPlaceholderText(QStringLiteral("ST"));
    txtZip->setPlaceholderText(QStringLiteral("Zip"));
    txtState->setMaxLength(2);
    top += kRow;
    txtWork = Field(this, "txtWork", kFieldLeft, top, 130);
    Caption(this, "&Work:", kLabelLeft, top, kLabelWidth, txtWork);
    txtHome = Field(this, "txtHome", kFieldLeft + 310, top, 130);
    Caption(this, "&Home:", kFieldLeft + 210, top, 94, txtHome);
    top += kRow;
    txtFax = Field(this, "txtFax", kFieldLeft, top, 130);
    Caption(this, "&Fax:", kLabelLeft, top, kLabelWidth, txtFax);
    for (QLineEdit *phone : {txtWork, txtHome, txtFax}) {
        phone->setInputMask(m_phoneMask.QtMask);
    }
    top += kRow + 8;

    grpQuote = new QGroupBox(QStringLiteral("Quote Specific Information:"), this);
    grpQuote->setObjectName(QStringLiteral("grpQuote"));
    int inner = 24;
    chkSame = new QCheckBox(QStringLiteral("Quote Information is Same as Customer"), grpQuote);
    chkSame->setObjectName(QStringLiteral("chkSame"));
    chkSame->setGeometry(kFieldLeft - 12, inner, 330, kHeight);
    inner += kRow;
    txtLOBDescription = Field(grpQuote, "txtLOBDescription", kFieldLeft - 12, inner, 428);
    inner += kRow;
    txtLOBStreet = Field(grpQuote, "txtLOBStreet", kFieldLeft - 12, inner, 428);
    inner += kRow;
    txtLOBCity = Field(grpQuote, "txtLOBCity", kFieldLeft - 12, inner, 260);
    txtLOBState = Field(grpQuote, "txtLOBState", kFieldLeft - 12 + 266, inner, 44);
    txtLOBZip = Field(grpQuote, "txtLOBZip", kFieldLeft - 12 + 316, inner, 112);
    txtLOBState->setMaxLength(2);
    txtLOBCity->setPlaceholderText(QStringLiteral("City"));
    txtLOBState->setPlaceholderText(QStringLiteral("ST"));
    txtLOBZip->setPlaceholderText(QStringLiteral("Zip"));
    inner += kRow;
    txtEffective = Field(grpQuote, "txtEffective", kFieldLeft - 12, inner, 100);
    auto *to = new QLabel(QStringLiteral("to"), grpQuote);
    to->setGeometry(kFieldLeft - 12 + 106, inner, 20, kHeight);
    to->setAlignment(Qt::AlignCenter);
    txtExpiration = Field(grpQuote, "txtExpiration", kFieldLeft - 12 + 132, inner, 100);
    for (QLineEdit *date : {txtEffective, txtExpiration}) {
        date->setReadOnly(true);
        date->setFocusPolicy(Qt::ClickFocus);
    }
    inner += kRow + 6;
    grpQuote->setGeometry(kLabelLeft, top, kWidth - 2 * kLabelLeft, inner);

    // The group's captions in the label column of the group.
    const auto groupCaption = [this](const char *text, QLineEdit *field) {
        auto *label = new QLabel(QString::fromLatin1(text), grpQuote);
        label->setBuddy(field);
        label->setWordWrap(true);
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        label->setGeometry(4, field->y() - 6, kFieldLeft - 22, kHeight + 12);
        return label;
    };
    groupCaption("D&escription / Location:", txtLOBDescription);
    groupCaption("&Policy Dates:", txtEffective);

    btnSelectCustomer = new QPushButton(QStringLiteral("&Select a Current Customer"), this);
    btnSelectCustomer->setObjectName(QStringLiteral("btnSelectCustomer"));
    btnDone = new QPushButton(QStringLiteral("&Done"), this);
    btnDone->setObjectName(QStringLiteral("btnDone"));
    btnCancel = new QPushButton(QStringLiteral("&Cancel"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    btnDone->setAutoDefault(false);
    btnCancel->setAutoDefault(false);
    btnSelectCustomer->setAutoDefault(false);

    const int buttonsTop = m_quoteGroup ? top + inner + 12 : kShortButtonsTop;
    btnSelectCustomer->setGeometry(kLabelLeft, buttonsTop, 200, 26);
    btnCancel->setGeometry(kWidth - kLabelLeft - 96, buttonsTop, 96, 26);
    btnDone->setGeometry(kWidth - kLabelLeft - 96 - 6 - 96, buttonsTop, 96, 26);
    grpQuote->setVisible(m_quoteGroup);
    btnSelectCustomer->setVisible(m_quoteGroup && m_appInfo != nullptr);
    setFixedSize(kWidth, m_quoteGroup ? buttonsTop + 26 + 14 : kShortHeight);

    connect(btnDone, &QPushButton::clicked, this, &TfrmCustInfo::accept);
    connect(btnCancel, &QPushButton::clicked, this, &TfrmCustInfo::reject);
    connect(btnSelectCustomer, &QPushButton::clicked, this, [this] {
        try {
            btnSelectCustomerClick();
        } catch (const std::exception &error) {
            ShowError(error.what());
        }
    });
    connect(chkSame, &QCheckBox::clicked, this, &TfrmCustInfo::chkSameClick);
    Mirror(txtCompany, txtLOBDescription);
    Mirror(txtStreet, txtLOBStreet);
    Mirror(txtCity, txtLOBCity);
    Mirror(txtZip, txtLOBZip);
    for (QLineEdit *field : {txtLOBDescription, txtLOBStreet, txtLOBCity, txtLOBState, txtLOBZip}) {
        field->installEventFilter(this);
    }

    setTabOrder(txtCompany, txtFirst);
    setTabOrder(txtFirst, txtLast);
    setTabOrder(txtLast, txtStreet);
    setTabOrder(txtStreet, txtCity);
    setTabOrder(txtCity, txtState);
    setTabOrder(txtState, txtZip);
    setTabOrder(txtZip, txtWork);
    setTabOrder(txtWork, txtHome);
    setTabOrder(txtHome, txtFax);
    setTabOrder(txtFax, chkSame);
    setTabOrder(chkSame, txtLOBDescription);
    setTabOrder(txtLOBDescription, txtLOBStreet);
    setTabOrder(txtLOBStreet, txtLOBCity);
    setTabOrder(txtLOBCity, txtLOBState);
    setTabOrder(txtLOBState, txtLOBZip);
    setTabOrder(txtLOBZip, btnSelectCustomer);
    setTabOrder(btnSelectCustomer, btnDone);
    setTabOrder(btnDone, btnCancel);
}

void TfrmCustInfo::Mirror(QLineEdit *from, QLineEdit *to)
{
    connect(from, &QLineEdit::textEdited, this, [this, to](const QString &text) {
        if (chkSame->isChecked()) {
            m_mirroring = true;
            to->setText(text);
            m_mirroring = false;
        }
    });
}

void TfrmCustInfo::FillCustomer()
{
    const TCustInfo &customer = m_quote.Customer();
    txtCompany->setText(ToQString(Trim(customer.Company())));
    txtFirst->setText(ToQString(Trim(customer.FirstName())));
    txtLast->setText(ToQString(Trim(customer.LastName())));
    txtStreet->setText(ToQString(Trim(customer.Street())));
    txtCity->setText(ToQString(Trim(customer.City())));
    txtState->setText(ToQString(Trim(customer.State())));
    txtZip->setText(ToQString(Trim(customer.Zip())));
    txtWork->setText(ToQString(Trim(customer.WorkPhone())));
    txtHome->setText(ToQString(Trim(customer.HomePhone())));
    txtFax->setText(ToQString(Trim(customer.Fax())));
}

void TfrmCustInfo::FillQuote()
{
    const TCustLOBInfo &header = m_quote.QuoteInfo();
    txtLOBDescription->setText(ToQString(Trim(header.Description())));
    txtLOBStreet->setText(ToQString(Trim(header.LocationStreet())));
    txtLOBCity->setText(ToQString(Trim(header.LocationCity())));
    txtLOBState->setText(ToQString(Trim(header.LocationState())));
    txtLOBZip->setText(ToQString(Trim(header.LocationZip())));
    txtEffective->setText(ToQString(DateToStr(header.EffectiveDate())));
    txtExpiration->setText(ToQString(DateToStr(header.ExpirationDate())));
    chkSame->setChecked(SameText(txtCompany, txtLOBDescription) &&
                        SameText(txtStreet, txtLOBStreet) && SameText(txtCity, txtLOBCity) &&
                        SameText(txtState, txtLOBState) && SameText(txtZip, txtLOBZip));
}

void TfrmCustInfo::chkSameClick(bool checked)
{
    if (checked) {
        txtLOBDescription->setText(txtCompany->text());
        txtLOBStreet->setText(txtStreet->text());
        txtLOBCity->setText(txtCity->text());
        txtLOBZip->setText(txtZip->text());
    } else {
        txtLOBDescription->setFocus();
    }
}

bool TfrmCustInfo::eventFilter(QObject *watched, QEvent *event)
{
    // Typing in the quote's own fields makes them the quote's own.
    if (event->type() == QEvent::KeyPress && chkSame->isChecked()) {
        const auto *key = static_cast<QKeyEvent *>(event);
        const bool moves = key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab ||
            key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter ||
            (key->modifiers() & (Qt::AltModifier | Qt::ControlModifier));
        if (!moves) {
            chkSame->setChecked(false);
        }
    }
    return QDialog::eventFilter(watched, event);
}

std::string TfrmCustInfo::FieldText(const QLineEdit *edit) const
{
    if (!edit->inputMask().isEmpty()) {
        return FromQString(MaskedText(edit->displayText(), m_phoneMask));
    }
    return Trim(FromQString(edit->text()));
}

bool TfrmCustInfo::Refuse(const std::string &message, QLineEdit *field)
{
    ShowInformation(message);
    field->setFocus();
    field->selectAll();
    return false;
}

void TfrmCustInfo::accept()
{
    if (FieldText(txtCompany).empty()) {
        Refuse("You must provide a Company Name or click Cancel", txtCompany);
        return;
    }
    if (m_askForAddress) {
        const std::pair<QLineEdit *, const char *> required[] = {
            {txtFirst, "First Name"}, {txtLast, "Last Name"}, {txtStreet, "Street"},
            {txtCity, "City"},        {txtState, "State"},    {txtZip, "Zip Code"},
            {txtWork, "Work Phone"}};
        for (const auto &[field, name] : required) {
            // A masked field counts what was typed, never its literals.
            const std::string text = FieldText(field);
            if (!field->inputMask().isEmpty()
                    ? std::none_of(text.begin(), text.end(),
                                   [](char c) { return c >= '0' && c <= '9'; })
                    : text.empty()) {
                Refuse(std::string("Please provide a ") + name, field);
                return;
            }
        }
    }
    if (m_quoteGroup && FieldText(txtLOBDescription).empty() && !chkSame->isChecked()) {
        Refuse("You must either provide a Quote Description or choose to copy the Customer "
               "Information",
               txtLOBDescription);
        return;
    }

    TCustInfo &customer = m_quote.Customer();
    customer.SetCompany(FieldText(txtCompany));
    customer.SetFirstName(FieldText(txtFirst));
    customer.SetLastName(FieldText(txtLast));
    customer.SetStreet(FieldText(txtStreet));
    customer.SetCity(FieldText(txtCity));
    customer.SetState(UpperCase(FieldText(txtState)));
    customer.SetZip(FieldText(txtZip));
    customer.SetHomePhone(FieldText(txtHome));
    customer.SetWorkPhone(FieldText(txtWork));
    customer.SetFax(FieldText(txtFax));
    if (m_quoteGroup) {
        TCustLOBInfo &header = m_quote.QuoteInfo();
        header.SetDescription(FieldText(txtLOBDescription));
        header.SetLocationStreet(FieldText(txtLOBStreet));
        header.SetLocationCity(FieldText(txtLOBCity));
        header.SetLocationState(UpperCase(FieldText(txtLOBState)));
        header.SetLocationZip(FieldText(txtLOBZip));
    }
    QDialog::accept();
}

void TfrmCustInfo::reject()
{
    m_quote.Customer().Assign(*m_saved);
    QDialog::reject();
}

void TfrmCustInfo::btnSelectCustomerClick()
{
    if (m_appInfo == nullptr) {
        return;
    }
    TVereDivoCustDBO &store = m_appInfo->QuoteDB().CustDBO();
    TfrmLoadQuotation window(store, TfrmLoadQuotation::TMode::ChooseCustomer, this);
    if (!window.HasCustomers()) {
        ShowInformation("There are no Customers in the database.");
        return;
    }
    if (window.exec() != QDialog::Accepted) {
        return;
    }
    TCustInfo chosen;
    chosen.SetCustomerNumber(window.SelectedCustomer());
    if (!store.LoadCustomer(chosen)) {
        return;
    }
    chkSame->setChecked(false);
    m_quote.Customer().Assign(chosen);
    m_quote.QuoteInfo().SetCustomerNumber(chosen.CustomerNumber());
    FillCustomer();
}

bool TQtCustomerDialog::EditCustomer(TVereDivoQuote &quote)
{
    if (TfrmVereDivoDetail *window = TfrmVereDivoDetail::WindowOf(quote)) {
        return window->EditCustomer(false);
    }
    TfrmCustInfo dialog(quote, false, m_appInfo);
    return dialog.exec() == QDialog::Accepted;
}
