#pragma once

#include <QDialog>
#include <QObject>
#include <QPointer>

#include <memory>
#include <string>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QWebEngineView;
class TQtWebBrowser;

// What the agent gave the bureau submission window; the quote window keeps it while it is open
// (the password only in memory, never in a file).
struct TWcribEntries
{
    std::string UserID;
    std::string Password;
    std::string TaxID;
    std::string TaxReason;
    std::string Locations;
    std::string BusinessType;
};

// "MAWCRIB Application Prefill": the bureau log-in and the customer's tax data before a run.
class TfrmMAWCRIBSubmit : public QDialog
{
    Q_OBJECT

public:
    // Prefilled from `entries`; "Continue" writes them back.
    explicit TfrmMAWCRIBSubmit(TWcribEntries &entries, QWidget *parent = nullptr);

    // The checks of "Continue", in order; true when the window may close.
    bool CheckEntries();

    QLabel *lblIntro = nullptr;
    QLineEdit *txtUserID = nullptr;
    QLineEdit *txtPassword = nullptr;
    QLineEdit *txtTaxID = nullptr;
    QComboBox *lstTaxReason = nullptr;
    QLineEdit *txtLocations = nullptr;
    QComboBox *lstBizType = nullptr;
    QPushButton *btnContinue = nullptr;
    QPushButton *btnCancel = nullptr;
    QLabel *lblFeedback = nullptr;

private:
    void btnContinueClick();

    TWcribEntries &m_entries;
};

// Sends a usage notice once: a hidden browser on the host window loads the notice page and is
// removed 2000 ms after the page has loaded. A page name without "http" is taken under the
// notice address of the settings file; with no address set nothing is sent.
class TUsageNotice : public QObject
{
    Q_OBJECT

public:
    explicit TUsageNotice(QWidget *host);
    ~TUsageNotice() override;

    // False when nothing was sent (already sent, or no address).
    bool Send(const std::string &page);
    // Sends from a notice of the host's own that outlives the caller (a window about to close)
    // and goes once its page has loaded, or with the host.
    static void SendFrom(QWidget *host, const std::string &page);
    bool Sent() const { return m_sent; }
    // The address a page name goes to, or empty.
    static std::string NoticeAddress(const std::string &page);

private:
    QPointer<QWidget> m_host;
    std::unique_ptr<TQtWebBrowser> m_browser;
    QPointer<QWebEngineView> m_view;
    bool m_sent = false;
    bool m_ownedByHost = false;
};

// "WCRIB Prefill Complete": what the prefill set to defaults, and where the agent goes on.
class TfrmWCRIBComplete : public QDialog
{
    Q_OBJECT

public:
    // `loginAddress`: the bureau's page the agent's own browser opens (option 2).
    TfrmWCRIBComplete(const std::string &loginAddress, const std::string &agencyName,
                      QWidget *parent = nullptr);

    // Option 1 closes with OK (the agent stays in the program's browser); option 2 opens the
    // agent's own browser and closes with Cancel.
    QPushButton *btnUseThisBrowser = nullptr;
    QPushButton *btnUseDefaultBrowser = nullptr;
    QLabel *lblNotice = nullptr;

protected:
    void showEvent(QShowEvent *event) override;

private:
    std::string m_loginAddress;
    std::string m_agencyName;
    bool m_noticeSent = false;
};
