#include "macro/qt/WcribWindows.h"

#include "core/AppInfo.h"
#include "core/Prompter.h"
#include "core/Text.h"
#include "macro/qt/MacroDialogs.h"
#include "macro/qt/QtWebBrowser.h"

#include <QComboBox>
#include <QDesktopServices>
#include <QFormLayout>
#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QUrl>
#include <QUrlQuery>
#include <QVBoxLayout>
#include <QWebEngineView>

namespace {

QLineEdit *Edit(QWidget *parent, const char *name)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    return edit;
}

QComboBox *List(QWidget *parent, const char *name, const QStringList &entries)
{
    auto *box = new QComboBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->addItems(entries);
    return box;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// The submission window

TfrmMAWCRIBSubmit::TfrmMAWCRIBSubmit(TWcribEntries &entries, QWidget *parent)
    : QDialog(parent), m_entries(entries)
{
    setObjectName(QStringLiteral("TfrmMAWCRIBSubmit"));
    setWindowTitle(QStringLiteral("MAWCRIB Application Prefill"));
    auto *layout = new QVBoxLayout(this);
    lblIntro = new QLabel(
        QStringLiteral("Please provide the below information to assist with the Prefill of the "
                       "WCRIB Application.  Your quote will populate the Application and then you "
                       "will be required to review and complete the Application in the WCRIB "
                       "website"),
        this);
    lblIntro->setObjectName(QStringLiteral("lblIntro"));
    lblIntro->setWordWrap(true);
    layout->addWidget(lblIntro);

    auto *credentials = new QGroupBox(QStringLiteral("WCRIB Credentials"), this);
    auto *credentialsForm = new QFormLayout(credentials);
    txtUserID = Edit(credentials, "txtUserID");
    txtPassword = Edit(credentials, "txtPassword");
    txtPassword->setEchoMode(QLineEdit::Password);
    credentialsForm->addRow(QStringLiteral("User ID"), txtUserID);
    credentialsForm->addRow(QStringLiteral("Password"), txtPassword);
    layout->addWidget(credentials);

    auto *tax = new QGroupBox(QStringLiteral("Customer Tax Info"), this);
    auto *taxForm = new QFormLayout(tax);
    txtTaxID = Edit(tax, "txtTaxID");
    lstTaxReason = List(tax, "lstTaxReason",
                        {QString(), QStringLiteral("Applied For"),
                         QStringLiteral("Sole Proprieter with No Employees")});
    taxForm->addRow(QStringLiteral("Tax ID"), txtTaxID);
    taxForm->addRow(QStringLiteral("If Client doesn't have ID, why not?"), lstTaxReason);
    layout->addWidget(tax);

    auto *other = new QGroupBox(QStringLiteral("Other Information"), this);
    auto *otherForm = new QFormLayout(other);
    txtLocations = Edit(other, "txtLocations");
    txtLocations->setMaximumWidth(80);
    lstBizType =
        List(other, "lstBizType",
             {QString(), QStringLiteral("Individual or Sole Proprietorship"),
              QStringLiteral("Corporation"), QStringLiteral("LLC"), QStringLiteral("Non-profit"),
              QStringLiteral("Partnership"), QStringLiteral("Trust"), QStringLiteral("Other"),
              QStringLiteral("Association"), QStringLiteral("Joint Venture"), QStringLiteral("LLP"),
              QStringLiteral("Municipality")});
    otherForm->addRow(QStringLiteral("# of Locations"), txtLocations);
    otherForm->addRow(QStringLiteral("Business Type"), lstBizType);
    layout->addWidget(other);
    // One label column for the three sections, so their entries line up.
    int labelWidth = 0;
    for (const QFormLayout *form : {credentialsForm, taxForm, otherForm}) {
        for (int row = 0; row < form->rowCount(); ++row) {
            labelWidth =
                std::max(labelWidth,
                         form->itemAt(row, QFormLayout::LabelRole)->widget()->sizeHint().width());
        }
    }
    for (const QFormLayout *form : {credentialsForm, taxForm, otherForm}) {
        for (int row = 0; row < form->rowCount(); ++row) {
            form->itemAt(row, QFormLayout::LabelRole)->widget()->setMinimumWidth(labelWidth);
        }
    }

    auto *buttons = new QHBoxLayout;
    lblFeedback =
        new QLabel(QStringLiteral("<a href=\"feedback\">Send us feedback on the WCRIB website "
                                  "integration</a>"),
                   this);
    lblFeedback->setObjectName(QStringLiteral("lblFeedback"));
    btnContinue = new QPushButton(QStringLiteral("Continue"), this);
    btnContinue->setObjectName(QStringLiteral("btnContinue"));
    btnContinue->setDefault(true);
    btnCancel = new QPushButton(QStringLiteral("Cancel"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    buttons->addWidget(lblFeedback);
    buttons->addStretch(1);
    buttons->addWidget(btnContinue);
    buttons->addWidget(btnCancel);
    layout->addLayout(buttons);

    txtUserID->setText(ToQt(entries.UserID));
    txtPassword->setText(ToQt(entries.Password));
    txtTaxID->setText(ToQt(entries.TaxID));
    lstTaxReason->setCurrentIndex(std::max(0, lstTaxReason->findText(ToQt(entries.TaxReason))));
    txtLocations->setText(ToQt(entries.Locations));
    lstBizType->setCurrentIndex(std::max(0, lstBizType->findText(ToQt(entries.BusinessType))));

    connect(btnContinue, &QPushButton::clicked, this, &TfrmMAWCRIBSubmit::btnContinueClick);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(lblFeedback, &QLabel::linkActivated, this, [] {
        QUrl mail(QStringLiteral("mailto:") + ToQt(WebSetting("SupportAddress")));
        QUrlQuery query;
        query.addQueryItem(QStringLiteral("subject"),
                           QStringLiteral("Feedback on MA VereDivo website integration"));
        mail.setQuery(query);
        QDesktopServices::openUrl(mail);
    });
    resize(520, sizeHint().height());
}

bool TfrmMAWCRIBSubmit::CheckEntries()
{
    const auto refuse = [](const std::string &message, QWidget *field) {
        ShowInformation(message);
        field->setFocus();
        return false;
    };
    if (Trim(FromQt(txtUserID->text())).empty()) {
        return refuse("Please provide a User ID", txtUserID);
    }
    if (FromQt(txtPassword->text()).empty()) {
        return refuse("Please provide a Password", txtPassword);
    }
    const bool hasTaxId = !Trim(FromQt(txtTaxID->text())).empty();
    const bool hasReason = !lstTaxReason->currentText().trimmed().isEmpty();
    if (hasTaxId && hasReason) {
        lstTaxReason->setCurrentIndex(0);
        return refuse("Since you've provided a Tax ID, the field describing the Reason a Tax ID "
                      "was not provided must be blank",
                      lstTaxReason);
    }
    if (!hasTaxId && !hasReason) {
        return refuse("You must either provide the Tax ID or the Reason why there is none",
                      txtTaxID);
    }
    const std::string locations = Trim(FromQt(txtLocations->text()));
    if (locations.empty() || locations == "0") {
        txtLocations->setText(QStringLiteral("1"));
        return refuse("There must be at least One location", txtLocations);
    }
    if (lstBizType->currentText().trimmed().isEmpty()) {
        return refuse("Please Provide a Business Type", lstBizType);
    }
    return true;
}

void TfrmMAWCRIBSubmit::btnContinueClick()
{
    if (!CheckEntries()) {
        return;
    }
    m_entries.UserID = Trim(FromQt(txtUserID->text()));
    m_entries.Password = FromQt(txtPassword->text());
    m_entries.TaxID = Trim(FromQt(txtTaxID->text()));
    m_entries.TaxReason = FromQt(lstTaxReason->currentText());
    m_entries.Locations = Trim(FromQt(txtLocations->text()));
    m_entries.BusinessType = FromQt(lstBizType->currentText());
    accept();
}

// ---------------------------------------------------------------------------------------------
// The usage notice

TUsageNotice::TUsageNotice(QWidget *host) : m_host(host) { }

TUsageNotice::~TUsageNotice()
{
    delete m_view;
}

std::string TUsageNotice::NoticeAddress(const std::string &page)
{
    if (page.find("http") != std::string::npos) {
        return page;
    }
    const std::string base = WebSetting("NoticeAddress");
    if (base.empty()) {
        return {};
    }
    return base.back() == '/' ? base + page : base + "/" + page;
}

bool TUsageNotice::Send(const std::string &page)
{
    if (m_sent || !m_host) {
        return false;
    }
    const std::string address = NoticeAddress(page);
    if (address.empty()) {
        return false;
    }
    m_sent = true;
    m_browser = std::make_unique<TQtWebBrowser>();
    m_view = new QWebEngineView(m_host);
    m_view->setObjectName(QStringLiteral("UsageNotice"));
    m_view->setFocusPolicy(Qt::NoFocus);
    m_view->setGeometry(-10, -10, 1, 1);
    m_browser->ShowIn(m_view);
    m_browser->OnDocumentComplete = [this](bool top, const std::string &) {
        if (top) {
            QTimer::singleShot(2000, this, [this] {
                m_browser->OnDocumentComplete = nullptr;
                delete m_view;
                m_browser.reset();
                if (m_ownedByHost) {
                    deleteLater();
                }
            });
        }
    };
    try {
        m_browser->Navigate(address);
    } catch (const std::exception &error) {
        AppLogLine(std::string("WCDetail - Usage notice - ") + error.what());
    }
    return true;
}

void TUsageNotice::SendFrom(QWidget *host, const std::string &page)
{
    auto *notice = new TUsageNotice(host);
    notice->setParent(host);
    if (!notice->Send(page)) {
        delete notice;
        return;
    }
    notice->m_ownedByHost = true;
}

// ---------------------------------------------------------------------------------------------
// The completion window

TfrmWCRIBComplete::TfrmWCRIBComplete(const std::string &loginAddress, const std::string &agencyName,
                                     QWidget *parent)
    : QDialog(parent), m_loginAddress(loginAddress), m_agencyName(agencyName)
{
    setObjectName(QStringLiteral("TfrmWCRIBComplete"));
    setWindowTitle(QStringLiteral("WCRIB Prefill Complete"));
    auto *layout = new QVBoxLayout(this);
    lblNotice = new QLabel(
        QStringLiteral("Your Quote information has been successfully prefilled into the WCRIB "
                       "website.  Be sure to review each field and page on the WCRIB "
                       "Application for accuracy.  To facilitate the prefill, the below fields "
                       "have been set to default values - make changes on WCRIB web site where "
                       "needed."),
        this);
    lblNotice->setObjectName(QStringLiteral("lblNotice"));
    lblNotice->setWordWrap(true);
    layout->addWidget(lblNotice);

    auto *defaults = new QTableWidget(4, 2, this);
    defaults->setObjectName(QStringLiteral("grdDefaults"));
    defaults->setHorizontalHeaderLabels({QStringLiteral("FIELD"), QStringLiteral("DEFAULT VALUE")});
    const QStringList fields = {QStringLiteral("Section 1 : Location of Records"),
                                QStringLiteral("Section 9 : Title of Applicant"),
                                QStringLiteral("Section 6/7 : Premium Financed"),
                                QStringLiteral("Section 8 : Signature")};
    const QStringList values = {QStringLiteral("Same as Mailing Location'"),
                                QStringLiteral("Owner"), QStringLiteral("Yes"),
                                QStringLiteral("Set to Owner's First/Last Name")};
    for (int row = 0; row < 4; ++row) {
        defaults->setItem(row, 0, new QTableWidgetItem(fields[row]));
        defaults->setItem(row, 1, new QTableWidgetItem(values[row]));
    }
    defaults->setEditTriggers(QAbstractItemView::NoEditTriggers);
    defaults->setSelectionMode(QAbstractItemView::NoSelection);
    defaults->setFocusPolicy(Qt::NoFocus);
    defaults->verticalHeader()->setVisible(false);
    defaults->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    defaults->setFixedHeight(defaults->horizontalHeader()->height() + 4 * defaults->rowHeight(0) +
                             2 * defaults->frameWidth());
    layout->addWidget(defaults);

    auto *important = new QLabel(QStringLiteral("IMPORTANT"), this);
    important->setStyleSheet(QStringLiteral("font-weight: bold; color: #a00000"));
    auto *next =
        new QLabel(QStringLiteral(" Next Step - View the Application in the WCRIB website"), this);
    next->setStyleSheet(QStringLiteral("font-weight: bold"));
    layout->addWidget(important);
    layout->addWidget(next);

    btnUseThisBrowser = new QPushButton(
        QStringLiteral("1.  Continue in this program's browser (you are logged in already)"), this);
    btnUseThisBrowser->setObjectName(QStringLiteral("btnUseThisBrowser"));
    btnUseDefaultBrowser = new QPushButton(
        QStringLiteral("2.  Use your default Web Browser (requires you to login to the WCRIB "
                       "website again)"),
        this);
    btnUseDefaultBrowser->setObjectName(QStringLiteral("btnUseDefaultBrowser"));
    for (QPushButton *button : {btnUseThisBrowser, btnUseDefaultBrowser}) {
        button->setStyleSheet(QStringLiteral("text-align: left; padding: 6px 10px"));
        layout->addWidget(button);
    }
    btnUseThisBrowser->setDefault(true);

    connect(btnUseThisBrowser, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnUseDefaultBrowser, &QPushButton::clicked, this, [this] {
        if (!m_loginAddress.empty()) {
            QDesktopServices::openUrl(QUrl(ToQt(m_loginAddress)));
        }
        reject();
    });
    resize(640, sizeHint().height());
}

void TfrmWCRIBComplete::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (m_noticeSent) {
        return;
    }
    m_noticeSent = true;
    // The agent's choice closes this window at once, before the notice's page could load: the
    // window that opened it sends it.
    TUsageNotice::SendFrom(
        parentWidget() != nullptr ? parentWidget() : this,
        "GeneralDiagnostic.htm?topic=WCSubmit&user=" +
            FromQt(QString::fromLatin1(QUrl::toPercentEncoding(ToQt(m_agencyName)))));
}
