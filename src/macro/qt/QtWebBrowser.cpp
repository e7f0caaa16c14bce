#include "macro/qt/QtWebBrowser.h"

#include "core/Encoding.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTimer>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>
#include <QWebEngineUrlRequestInfo>
#include <QWebEngineUrlRequestInterceptor>
#include <QWebEngineView>

#include <memory>
#include <stdexcept>

namespace {

const QString kHelperName = QStringLiteral("veredivo-helper");
const QString kCompleteMarker = QStringLiteral("\u0001veredivo-complete ");

QString HelperSource()
{
    QFile file(QStringLiteral(":/veredivo/BrowserHelper.js"));
    if (!file.open(QIODevice::ReadOnly)) {
        throw std::runtime_error("The browser helper script is missing from the program");
    }
    return QString::fromUtf8(file.readAll());
}

bool AllowedScheme(const QString &scheme)
{
    return scheme == QLatin1String("http") || scheme == QLatin1String("https") ||
        scheme == QLatin1String("about") || scheme == QLatin1String("data") ||
        scheme == QLatin1String("blob");
}

// Pages reach only the web: no local files, whatever a page asks for.
class TWebOnlyInterceptor : public QWebEngineUrlRequestInterceptor
{
public:
    void interceptRequest(QWebEngineUrlRequestInfo &info) override
    {
        if (!AllowedScheme(info.requestUrl().scheme())) {
            info.block(true);
        }
    }
};

QString JsonText(const QString &text)
{
    const QByteArray json = QJsonDocument(QJsonArray {text}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(json.mid(1, json.size() - 2));
}

QString PathText(const std::vector<int> &path)
{
    QJsonArray array;
    for (const int index : path) {
        array.append(index);
    }
    return QString::fromUtf8(QJsonDocument(array).toJson(QJsonDocument::Compact));
}

QJsonValue Parse(const QString &json)
{
    const QJsonDocument document = QJsonDocument::fromJson(json.toUtf8());
    return document.isArray() ? QJsonValue(document.array()) : QJsonValue(document.object());
}

// A snapshot of an element as the helper sent it; reads beyond it ask the page.
class TQtHTMLElement final : public THTMLElement
{
public:
    TQtHTMLElement(TQtWebBrowser &browser, const QJsonObject &snapshot)
        : m_browser(browser), m_snapshot(snapshot), m_handle(snapshot.value("h").toInt())
    { }

    std::string TagName() const override { return FromQt(m_snapshot.value("tag").toString()); }

    std::string Attribute(const std::string &name) const override
    {
        const QString key = ToQt(name).toLower();
        if (key == "id" || key == "name" || key == "type" || key == "value" || key == "src") {
            return FromQt(m_snapshot.value(key).toString());
        }
        return FromQt(
            Ask(QStringLiteral("vd.attr(vd.get(%1), %2)").arg(m_handle).arg(JsonText(key)))
                .toString());
    }

    std::string InnerText() const override
    {
        if (m_snapshot.contains("text")) {
            return FromQt(m_snapshot.value("text").toString());
        }
        return FromQt(Ask(QStringLiteral("vd.get(%1).innerText").arg(m_handle)).toString());
    }

    std::string InnerHTML() const override
    {
        if (m_snapshot.contains("html")) {
            return FromQt(m_snapshot.value("html").toString());
        }
        return FromQt(Ask(QStringLiteral("vd.get(%1).innerHTML").arg(m_handle)).toString());
    }

    std::unique_ptr<THTMLElement> Parent() const override
    {
        const QJsonValue parent = Ask(QStringLiteral("vd.parent(vd.get(%1))").arg(m_handle));
        if (!parent.isObject()) {
            return nullptr;
        }
        return std::make_unique<TQtHTMLElement>(m_browser, parent.toObject());
    }

    std::vector<std::unique_ptr<THTMLElement>> Tags(const std::string &tag) const override
    {
        return List(QStringLiteral("vd.list(vd.get(%1).getElementsByTagName(%2))")
                        .arg(m_handle)
                        .arg(JsonText(ToQt(tag))));
    }

    void Click() override
    {
        if (Ask(QStringLiteral("vd.click(vd.get(%1))").arg(m_handle)).toBool()) {
            m_browser.ExpectNavigation();
        }
    }

    void Focus() override { Ask(QStringLiteral("vd.get(%1).focus()").arg(m_handle)); }

    void FireEvent(const std::string &name) override
    {
        Ask(QStringLiteral("vd.fire(vd.get(%1), %2)").arg(m_handle).arg(JsonText(ToQt(name))));
    }

    std::string Value() const override
    {
        return FromQt(Ask(QStringLiteral("String(vd.get(%1).value)").arg(m_handle)).toString());
    }

    void SetValue(const std::string &value) override
    {
        Ask(QStringLiteral("vd.get(%1).value = %2").arg(m_handle).arg(JsonText(ToQt(value))));
        m_snapshot.insert("value", ToQt(value));
    }

    std::vector<THTMLOption> Options() const override
    {
        std::vector<THTMLOption> options;
        for (const QJsonValue &option :
             Ask(QStringLiteral("vd.options(vd.get(%1))").arg(m_handle)).toArray()) {
            options.push_back({FromQt(option.toObject().value("text").toString()),
                               option.toObject().value("selected").toBool()});
        }
        return options;
    }

    void SelectOption(int index) override
    {
        Ask(QStringLiteral("vd.select(vd.get(%1), %2)").arg(m_handle).arg(index));
    }

    std::vector<std::unique_ptr<THTMLElement>> Rows() const override
    {
        return List(QStringLiteral("vd.list(vd.get(%1).rows || [])").arg(m_handle));
    }

    std::vector<std::unique_ptr<THTMLElement>> Cells() const override
    {
        return List(QStringLiteral("vd.list(vd.get(%1).cells || [])").arg(m_handle));
    }

    void Submit() override
    {
        Ask(QStringLiteral("vd.submit(vd.get(%1))").arg(m_handle));
        m_browser.ExpectNavigation();
    }

private:
    QJsonValue Ask(const QString &expression) const
    {
        const QJsonValue answer = Parse(m_browser.Call(expression));
        return answer.toObject().value("r");
    }

    std::vector<std::unique_ptr<THTMLElement>> List(const QString &expression) const
    {
        std::vector<std::unique_ptr<THTMLElement>> elements;
        for (const QJsonValue &snapshot : Ask(expression).toArray()) {
            elements.push_back(std::make_unique<TQtHTMLElement>(m_browser, snapshot.toObject()));
        }
        return elements;
    }

    TQtWebBrowser &m_browser;
    QJsonObject m_snapshot;
    int m_handle;
};

// A document of the page: the top one (empty path) or a frame's, by frame indexes.
class TQtHTMLDocument final : public THTMLDocument
{
public:
    TQtHTMLDocument(TQtWebBrowser &browser, std::vector<int> path)
        : m_browser(browser), m_path(std::move(path))
    { }

    std::vector<std::unique_ptr<THTMLElement>> All() const override
    {
        return List(QStringLiteral("vd.all(%1)").arg(PathText(m_path)));
    }

    std::vector<std::unique_ptr<THTMLElement>> Tags(const std::string &tag) const override
    {
        return List(
            QStringLiteral("vd.tags(%1, %2)").arg(PathText(m_path)).arg(JsonText(ToQt(tag))));
    }

    std::string Text() const override
    {
        // Line breaks as the pages' own text files write them.
        QString text = Ask(QStringLiteral("vd.text(%1)").arg(PathText(m_path))).toString();
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
        return FromQt(text);
    }

    std::string Address() const override
    {
        return FromQt(Ask(QStringLiteral("vd.address(%1)").arg(PathText(m_path))).toString());
    }

    int FrameCount() const override { return static_cast<int>(Frames().size()); }

    std::string FrameName(int index) const override
    {
        const QJsonArray frames = Frames();
        return index >= 0 && index < frames.size()
            ? FromQt(frames[index].toObject().value("name").toString())
            : std::string();
    }

    std::string FrameAddress(int index) const override
    {
        const QJsonArray frames = Frames();
        return index >= 0 && index < frames.size()
            ? FromQt(frames[index].toObject().value("address").toString())
            : std::string();
    }

    std::unique_ptr<THTMLDocument> Frame(int index) const override
    {
        if (index < 0 || index >= FrameCount()) {
            return nullptr;
        }
        std::vector<int> path = m_path;
        path.push_back(index);
        return std::make_unique<TQtHTMLDocument>(m_browser, path);
    }

private:
    QJsonValue Ask(const QString &expression) const
    {
        return Parse(m_browser.Call(expression)).toObject().value("r");
    }

    std::vector<std::unique_ptr<THTMLElement>> List(const QString &expression) const
    {
        std::vector<std::unique_ptr<THTMLElement>> elements;
        for (const QJsonValue &snapshot : Ask(expression).toArray()) {
            elements.push_back(std::make_unique<TQtHTMLElement>(m_browser, snapshot.toObject()));
        }
        return elements;
    }

    const QJsonArray &Frames() const
    {
        if (!m_framesRead) {
            m_frames = Ask(QStringLiteral("vd.frames(%1)").arg(PathText(m_path))).toArray();
            m_framesRead = true;
        }
        return m_frames;
    }

    TQtWebBrowser &m_browser;
    std::vector<int> m_path;
    mutable QJsonArray m_frames;
    mutable bool m_framesRead = false;
};

} // namespace

QString ToQt(const std::string &text)
{
    return QString::fromStdString(Windows1252ToUtf8(text));
}

std::string FromQt(const QString &text)
{
    return Utf8ToWindows1252(text.toStdString());
}

// ---------------------------------------------------------------------------------------------
// The page

TQtWebPage::TQtWebPage(QWebEngineProfile *profile, QObject *parent)
    : QWebEnginePage(profile, parent)
{ }

void TQtWebPage::javaScriptConsoleMessage(JavaScriptConsoleMessageLevel, const QString &message,
                                          int, const QString &sourceID)
{
    // Only the helper's own world may report a finished document.
    if (message.startsWith(kCompleteMarker) && sourceID.contains(kHelperName)) {
        const QString rest = message.mid(kCompleteMarker.size());
        const qsizetype blank = rest.indexOf(QLatin1Char(' '));
        emit documentComplete(rest.left(blank) == QLatin1String("top"), rest.mid(blank + 1));
    }
}

void TQtWebPage::javaScriptAlert(const QUrl &, const QString &msg)
{
    emit logLine(QStringLiteral("BROWSER ALERT (not shown): ") + msg);
}

bool TQtWebPage::javaScriptConfirm(const QUrl &, const QString &msg)
{
    emit logLine(QStringLiteral("BROWSER QUESTION (answered OK): ") + msg);
    return true;
}

bool TQtWebPage::javaScriptPrompt(const QUrl &, const QString &msg, const QString &, QString *)
{
    emit logLine(QStringLiteral("BROWSER PROMPT (cancelled): ") + msg);
    return false;
}

bool TQtWebPage::acceptNavigationRequest(const QUrl &url, NavigationType, bool)
{
    if (!AllowedScheme(url.scheme())) {
        emit logLine(QStringLiteral("BROWSER BLOCKED: ") + url.toString());
        emit navigationRefused();
        return false;
    }
    return true;
}

QWebEnginePage *TQtWebPage::createWindow(WebWindowType)
{
    QWebEnginePage *page = NewWindowPage ? NewWindowPage() : nullptr;
    if (page == nullptr) {
        emit navigationRefused();
    }
    return page;
}

// ---------------------------------------------------------------------------------------------
// The browser

TQtWebBrowser::TQtWebBrowser(QObject *parent)
    : QObject(parent),
      m_profile(std::make_unique<QWebEngineProfile>()),
      m_interceptor(std::make_unique<TWebOnlyInterceptor>())
{
    m_profile->setUrlRequestInterceptor(m_interceptor.get());
    m_profile->setHttpCacheType(QWebEngineProfile::MemoryHttpCache);
    m_profile->setPersistentCookiesPolicy(QWebEngineProfile::NoPersistentCookies);
    QObject::connect(m_profile.get(), &QWebEngineProfile::downloadRequested, this,
                     [this](QWebEngineDownloadRequest *download) {
                         if (OnLog) {
                             OnLog("BROWSER DOWNLOAD REFUSED");
                         }
                         download->cancel();
                     });

    QWebEngineScript helper;
    helper.setName(kHelperName);
    helper.setSourceCode(HelperSource());
    helper.setWorldId(QWebEngineScript::ApplicationWorld);
    helper.setInjectionPoint(QWebEngineScript::DocumentCreation);
    helper.setRunsOnSubFrames(true);
    m_profile->scripts()->insert(helper);

    m_page = std::make_unique<TQtWebPage>(m_profile.get(), nullptr);
    QWebEngineSettings *settings = m_page->settings();
    settings->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, false);
    settings->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
    settings->setAttribute(QWebEngineSettings::PluginsEnabled, false);
    settings->setAttribute(QWebEngineSettings::JavascriptCanAccessClipboard, false);
    settings->setAttribute(QWebEngineSettings::JavascriptCanPaste, false);
    settings->setAttribute(QWebEngineSettings::PdfViewerEnabled, false);
    settings->setAttribute(QWebEngineSettings::ScreenCaptureEnabled, false);

    QObject::connect(m_page.get(), &QWebEnginePage::loadStarted, this,
                     [this] { m_loading = true; });
    QObject::connect(m_page.get(), &QWebEnginePage::loadFinished, this, [this](bool) {
        m_loading = false;
        if (OnDocumentComplete) {
            OnDocumentComplete(true, FromQt(m_page->url().toString()));
        }
    });
    QObject::connect(m_page.get(), &TQtWebPage::documentComplete, this,
                     [this](bool top, const QString &address) {
                         if (!top && OnDocumentComplete) {
                             OnDocumentComplete(false, FromQt(address));
                         }
                     });
    QObject::connect(m_page.get(), &TQtWebPage::navigationRefused, this,
                     [this] { m_navigationPending = false; });
    QObject::connect(m_page.get(), &TQtWebPage::logLine, this, [this](const QString &line) {
        if (OnLog) {
            OnLog(FromQt(line));
        }
    });
}

TQtWebBrowser::~TQtWebBrowser()
{
    if (m_view) {
        m_view->setPage(nullptr);
    }
    m_page.reset();
    m_profile.reset();
}

void TQtWebBrowser::ShowIn(QWebEngineView *view)
{
    m_view = view;
    view->setPage(m_page.get());
}

void TQtWebBrowser::Navigate(const std::string &address)
{
    const QUrl url(ToQt(address));
    if (!AllowedScheme(url.scheme())) {
        throw std::runtime_error("Only web addresses can be opened: " + address);
    }
    ExpectNavigation();
    m_page->load(url);
}

void TQtWebBrowser::ExpectNavigation()
{
    bool complete = false;
    QStringList tokens;
    DocumentState(tokens, complete);
    m_tokensBefore = tokens;
    m_navigationPending = true;
    m_navigationDeadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(NavigationTimeoutMilliseconds);
}

bool TQtWebBrowser::DocumentState(QStringList &tokens, bool &complete)
{
    tokens.clear();
    complete = false;
    QJsonObject state;
    try {
        state = Parse(Call(QStringLiteral("vd.state()"))).toObject().value("r").toObject();
    } catch (const std::exception &) {
        return false;
    }
    for (const QJsonValue &token : state.value("tokens").toArray()) {
        tokens.append(token.toString());
    }
    complete = state.value("complete").toBool();
    return true;
}

int TQtWebBrowser::ReadyState()
{
    if (m_loading) {
        return 1;
    }
    QStringList tokens;
    bool complete = false;
    const bool readable = DocumentState(tokens, complete);
    if (m_navigationPending) {
        const bool arrived = readable && tokens != m_tokensBefore && complete;
        if (arrived) {
            m_navigationPending = false;
        } else if (std::chrono::steady_clock::now() > m_navigationDeadline) {
            m_navigationPending = false;
            if (OnLog) {
                OnLog("BROWSER: the expected page did not come; going on with the page shown");
            }
        } else {
            return 1;
        }
    }
    if (!readable) {
        // A page without the helper (an error page, a blank one) is complete as it is.
        return ReadyStateComplete;
    }
    return complete ? ReadyStateComplete : 3;
}

std::unique_ptr<THTMLDocument> TQtWebBrowser::Document()
{
    try {
        const QJsonValue isHtml =
            Parse(Call(QStringLiteral("document.documentElement instanceof HTMLHtmlElement")))
                .toObject()
                .value("r");
        if (!isHtml.toBool()) {
            return nullptr;
        }
    } catch (const std::exception &) {
        return nullptr;
    }
    return std::make_unique<TQtHTMLDocument>(*this, std::vector<int> {});
}

QString TQtWebBrowser::Call(const QString &expression)
{
    const QString script =
        QStringLiteral(
            "(function () { var vd = window.__vd; if (!vd || !vd.reg) { return "
            "JSON.stringify({e: 'no helper'}); } try { return JSON.stringify({r: (%1)}); "
            "} catch (error) { return JSON.stringify({e: String(error)}); } })()")
            .arg(expression);
    QString answer = Evaluate(script);
    if (answer.contains(QStringLiteral("\"e\":\"no helper\""))) {
        // A document made before the helper was registered (the very first blank page).
        Evaluate(HelperSource());
        answer = Evaluate(script);
    }
    const QJsonObject result = Parse(answer).toObject();
    if (result.contains("e")) {
        throw std::runtime_error("The page refused a request: " +
                                 FromQt(result.value("e").toString()));
    }
    return answer;
}

QString TQtWebBrowser::Evaluate(const QString &script)
{
    // The answer may come after a time-out, when this call has long returned.
    struct TAnswer
    {
        bool answered = false;
        QString text;
        QEventLoop *wait = nullptr;
    };
    auto answer = std::make_shared<TAnswer>();
    QEventLoop wait;
    answer->wait = &wait;
    m_page->runJavaScript(script, QWebEngineScript::ApplicationWorld,
                          [answer](const QVariant &value) {
                              answer->answered = true;
                              answer->text = value.toString();
                              if (answer->wait != nullptr) {
                                  answer->wait->quit();
                              }
                          });
    if (!answer->answered) {
        QTimer::singleShot(AnswerTimeoutMilliseconds, &wait, &QEventLoop::quit);
        wait.exec(QEventLoop::AllEvents);
    }
    answer->wait = nullptr;
    if (!answer->answered) {
        throw std::runtime_error("The page did not answer in time");
    }
    return answer->text;
}
