#pragma once

#include "macro/HtmlDocument.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWebEnginePage>

#include <chrono>
#include <functional>
#include <memory>
#include <string>

class QWebEngineProfile;
class QWebEngineUrlRequestInterceptor;
class QWebEngineView;

// The page of the embedded browser: no dialog boxes of its own (alerts are logged, questions
// answered yes, prompts cancelled), only web addresses, and new windows only where the host
// allows them.
class TQtWebPage : public QWebEnginePage
{
    Q_OBJECT

public:
    TQtWebPage(QWebEngineProfile *profile, QObject *parent);

    // A page asks for a new window; the host returns the page to load it into, or nullptr to
    // refuse it (the default).
    std::function<QWebEnginePage *()> NewWindowPage;

signals:
    // The helper script of a document saw it finish loading.
    void documentComplete(bool top, const QString &address);
    // A page the page asked for will not come (refused address, refused window).
    void navigationRefused();
    void logLine(const QString &line);

protected:
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString &message,
                                  int lineNumber, const QString &sourceID) override;
    void javaScriptAlert(const QUrl &securityOrigin, const QString &msg) override;
    bool javaScriptConfirm(const QUrl &securityOrigin, const QString &msg) override;
    bool javaScriptPrompt(const QUrl &securityOrigin, const QString &msg,
                          const QString &defaultValue, QString *result) override;
    bool acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame) override;
    QWebEnginePage *createWindow(WebWindowType type) override;
};

// The browser behind the web commands: a WebEngine page in a private, off-the-record profile
// (cookies and log-ins end with it; no local files), reached through a helper script that
// runs in a world of its own beside the page's scripts. Every call waits for the page's answer
// while the event loop turns.
class TQtWebBrowser : public QObject, public TWebBrowser
{
    Q_OBJECT

public:
    explicit TQtWebBrowser(QObject *parent = nullptr);
    ~TQtWebBrowser() override;

    TQtWebPage *Page() const { return m_page.get(); }
    // Shows the page in a view (the view does not own it).
    void ShowIn(QWebEngineView *view);

    void Navigate(const std::string &address) override;
    int ReadyState() override;
    std::unique_ptr<THTMLDocument> Document() override;

    // Runs a helper expression in the page and returns its JSON answer; raises
    // std::runtime_error when the page raises or does not answer in time.
    QString Call(const QString &expression);
    // After an action that may load a page (a click, a submit): what follows waits until
    // a new document is there and complete.
    void ExpectNavigation();
    // Lines for the log (blocked addresses, alerts of the page).
    std::function<void(const std::string &)> OnLog;

    // How long an answer of the page, and an expected navigation, may take.
    static constexpr int AnswerTimeoutMilliseconds = 20000;
    static constexpr int NavigationTimeoutMilliseconds = 30000;

private:
    QString Evaluate(const QString &script);
    // The tokens of the documents now (top first, then frames); empty when unreadable.
    bool DocumentState(QStringList &tokens, bool &complete);

    std::unique_ptr<QWebEngineProfile> m_profile;
    std::unique_ptr<QWebEngineUrlRequestInterceptor> m_interceptor;
    std::unique_ptr<TQtWebPage> m_page;
    QPointer<QWebEngineView> m_view;
    bool m_loading = false;
    bool m_navigationPending = false;
    QStringList m_tokensBefore;
    std::chrono::steady_clock::time_point m_navigationDeadline;
};

// Windows-1252 and the page's text.
QString ToQt(const std::string &text);
std::string FromQt(const QString &text);
