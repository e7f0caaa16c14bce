#include "macro/qt/MacroBrowser.h"

#include "core/AppInfo.h"
#include "core/EventLoop.h"
#include "core/Paths.h"
#include "core/Prompter.h"
#include "core/Text.h"
#include "macro/MacroXml.h"
#include "macro/qt/MacroDialogs.h"
#include "macro/qt/QtWebBrowser.h"

#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QSplitter>
#include <QTimer>
#include <QVBoxLayout>
#include <QWebEngineView>

namespace {

const char *const kDefaultCaption = "Web Browser Scripting";

// The label that shows the hidden log on a double click.
class TLogLabel : public QLabel
{
public:
    TLogLabel(const QString &text, QWidget *parent, std::function<void()> onDoubleClick)
        : QLabel(text, parent), m_onDoubleClick(std::move(onDoubleClick))
    { }

protected:
    void mouseDoubleClickEvent(QMouseEvent *) override { m_onDoubleClick(); }

private:
    std::function<void()> m_onDoubleClick;
};

} // namespace

// ---------------------------------------------------------------------------------------------
// The script list

std::vector<TScriptDefinition> TframeMacroBrowser::ScriptEntries(const std::string &folder,
                                                                 int listType, std::string *caption)
{
    std::vector<TScriptDefinition> entries;
    if (listType > 0) {
        pugi::xml_document list;
        std::string error;
        const std::string path = ResolveFileName(folder + "Script_List.xml");
        if (FileExists(path) && LoadXmlFile(path, list, error)) {
            const pugi::xml_node root = list.document_element();
            const pugi::xml_node active = ChildNoCase(root, "Active");
            if (!active || Trim(XmlText(active)) != "0") {
                for (const pugi::xml_node &type : ChildNoCase(root, "Types").children()) {
                    if (!SameText(type.name(), "Type") ||
                        StrToIntDef(Trim(XmlText(ChildNoCase(type, "ID"))), -1) != listType) {
                        continue;
                    }
                    if (caption != nullptr) {
                        *caption = Trim(XmlText(ChildNoCase(type, "Title")));
                    }
                    for (const pugi::xml_node &provider : type.children()) {
                        if (SameText(provider.name(), "Provider")) {
                            entries.push_back({Trim(XmlText(ChildNoCase(provider, "Name"))),
                                               Trim(XmlText(ChildNoCase(provider, "Path")))});
                        }
                    }
                    return entries;
                }
            }
        }
    }
    for (const std::string &file : FilesWithExtension(folder, ".xml")) {
        if (!SameText(file, "Script_List.xml")) {
            entries.push_back({ChangeFileExt(file, ""), file});
        }
    }
    return entries;
}

// ---------------------------------------------------------------------------------------------
// The frame

TframeMacroBrowser::TframeMacroBrowser(const TMacroBrowserSettings &settings, QWidget *parent)
    : QWidget(parent),
      m_settings(settings),
      m_browser(std::make_unique<TQtWebBrowser>()),
      m_dialogs(std::make_unique<TQtMacroDialogs>(this)),
      m_macro(std::make_unique<TWebMacro>(CurrentEventLoop()))
{
    setObjectName(QStringLiteral("TframeMacroBrowser"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);

    auto *bar = new QHBoxLayout;
    lblWebsite = new TLogLabel(QStringLiteral("Website to use for Integration"), this,
                               [this] { ShowLog(); });
    lblWebsite->setObjectName(QStringLiteral("lblWebsite"));
    lstMacros = new QComboBox(this);
    lstMacros->setObjectName(QStringLiteral("lstMacros"));
    lstMacros->setMinimumWidth(260);
    btnPlay = new QPushButton(QStringLiteral("Play"), this);
    btnPlay->setObjectName(QStringLiteral("btnPlay"));
    btnStop = new QPushButton(QStringLiteral("Stop"), this);
    btnStop->setObjectName(QStringLiteral("btnStop"));
    btnPrint = new QPushButton(QStringLiteral("Print"), this);
    btnPrint->setObjectName(QStringLiteral("btnPrint"));
    bar->addWidget(lblWebsite);
    bar->addWidget(lstMacros);
    bar->addWidget(btnPlay);
    bar->addWidget(btnStop);
    bar->addWidget(btnPrint);
    bar->addStretch(1);

    pnlProgress = new QWidget(this);
    pnlProgress->setObjectName(QStringLiteral("pnlProgress"));
    auto *progress = new QHBoxLayout(pnlProgress);
    progress->setContentsMargins(0, 0, 0, 0);
    lblProgress = new QLabel(QStringLiteral("Intializing..."), pnlProgress);
    lblProgress->setObjectName(QStringLiteral("lblProgress"));
    lblProgress->setMinimumWidth(160);
    ProgressBar = new QProgressBar(pnlProgress);
    ProgressBar->setObjectName(QStringLiteral("ProgressBar"));
    ProgressBar->setTextVisible(false);
    progress->addWidget(lblProgress);
    progress->addWidget(ProgressBar, 1);
    pnlProgress->hide();

    splLog = new QSplitter(Qt::Vertical, this);
    splLog->setObjectName(QStringLiteral("splLog"));
    Memo1 = new QPlainTextEdit(splLog);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setReadOnly(true);
    Memo1->hide();
    WB = new QWebEngineView(splLog);
    WB->setObjectName(QStringLiteral("WB"));
    splLog->addWidget(Memo1);
    splLog->addWidget(WB);
    splLog->setStretchFactor(1, 1);
    m_browser->ShowIn(WB);
    WB->installEventFilter(this);

    layout->addLayout(bar);
    layout->addWidget(pnlProgress);
    layout->addWidget(splLog, 1);

    TimerComplete = new QTimer(this);
    TimerComplete->setObjectName(QStringLiteral("TimerComplete"));
    TimerComplete->setSingleShot(true);
    TimerComplete->setInterval(2000);
    connect(TimerComplete, &QTimer::timeout, this, [this] { pnlProgress->hide(); });

    // Frame set-up: the chooser, then the macro and its events.
    std::string listCaption;
    m_entries = ScriptEntries(settings.ScriptFolder, settings.ScriptListType, &listCaption);
    if (!listCaption.empty() && m_settings.Caption.empty()) {
        m_settings.Caption = listCaption;
    }
    int selected = m_entries.empty() ? -1 : 0;
    for (size_t i = 0; i < m_entries.size(); ++i) {
        lstMacros->addItem(ToQt(m_entries[i].Name));
        if (SameText(m_entries[i].Name, settings.ScriptName)) {
            selected = static_cast<int>(i);
        }
    }
    lstMacros->setCurrentIndex(selected);
    lstMacros->setEnabled(settings.ChooserEnabled);

    m_macro->ScriptFolder = IncludeTrailingSlash(NativePath(settings.ScriptFolder));
    m_macro->SetBrowser(m_browser.get());
    m_macro->Dialogs = m_dialogs.get();
    m_macro->Variables = &m_ownAnswers;
    m_macro->OnLog = [this](TMacro &, const std::string &line) { AppendLog(line); };
    m_macro->OnStep = [this](TMacro &, TMacroCommand &, bool &, int count, int step) {
        Step(count, step);
    };
    m_macro->OnStarted = [this](TMacro &macro) { Started(macro); };
    m_macro->OnStopped = [this](TMacro &macro) { Stopped(macro); };
    m_macro->OnDataEntered = [this](TWebMacro &, TMacroCommand &command, const std::string &value) {
        DataEntered(command.ExternalData.ID, value);
    };
    m_browser->OnLog = [this](const std::string &line) { AppendLog(line); };
    m_browser->OnDocumentComplete = [this](bool top, const std::string &address) {
        if (m_macro) {
            m_macro->DocumentComplete(top, address);
        }
        if (WB->focusProxy() != nullptr) {
            WB->focusProxy()->installEventFilter(this);
        }
    };
    m_browser->Page()->NewWindowPage = [this]() -> QWebEnginePage * {
        if (!m_settings.AllowNewWindows) {
            AppendLog("BROWSER NEW WINDOW IGNORED");
            return nullptr;
        }
        TMacroBrowserSettings next = m_settings;
        next.Caption = "New Window";
        next.ChooserEnabled = false;
        next.PlayOnShow = false;
        next.StartPosition = m_macro->Position() + 1;
        auto *second = new TfrmMacroBrowser(next, window());
        second->setAttribute(Qt::WA_DeleteOnClose);
        second->Frame()->SetData(m_dataIn, m_answers, m_callback);
        second->Frame()->btnPlay->setEnabled(false);
        second->show();
        m_macro->Stop();
        return second->Frame()->Browser().Page();
    };

    connect(btnPlay, &QPushButton::clicked, this, &TframeMacroBrowser::Play);
    connect(btnStop, &QPushButton::clicked, this, &TframeMacroBrowser::StopClicked);
    connect(btnPrint, &QPushButton::clicked, this, &TframeMacroBrowser::Print);
}

TframeMacroBrowser::~TframeMacroBrowser()
{
    if (m_macro) {
        m_macro->OnStopped = nullptr;
        m_macro->OnLog = nullptr;
        m_macro->Cancel();
        m_macro->SetBrowser(nullptr);
    }
    m_macro.reset();
    m_browser->OnDocumentComplete = nullptr;
    m_browser->OnLog = nullptr;
}

void TframeMacroBrowser::SetData(TNameValueList *dataIn, TNameValueList *answers,
                                 TMacroBrowserCallback callback)
{
    m_dataIn = dataIn;
    m_answers = answers;
    m_callback = std::move(callback);
    m_macro->OnCallback = [this](TMacro &macro, const std::string &request,
                                 TNameValueList *variables, TNameValueList *input) {
        if (m_callback) {
            m_callback(macro, request, variables, input);
        }
    };
}

void TframeMacroBrowser::SetIterations(std::vector<TNameValueList> *dataIns,
                                       std::vector<TNameValueList> *answers)
{
    m_iterationDataIns = dataIns;
    m_iterationAnswers = answers;
}

TNameValueList &TframeMacroBrowser::CurrentDataIn()
{
    if (m_iterationDataIns != nullptr && !m_iterationDataIns->empty()) {
        const auto index = static_cast<size_t>(m_iteration);
        return (*m_iterationDataIns)[index < m_iterationDataIns->size() ? index : 0];
    }
    if (m_dataIn == nullptr) {
        m_dataIn = &m_ownAnswers;
    }
    return *m_dataIn;
}

void TframeMacroBrowser::AppendLog(const std::string &line)
{
    Memo1->appendPlainText(ToQt(line));
    AppLogLine("WCMacro - " + line);
}

QStringList TframeMacroBrowser::LogLines() const
{
    return Memo1->toPlainText().split(QLatin1Char('\n'));
}

void TframeMacroBrowser::ShowLog()
{
    Memo1->show();
    splLog->setSizes({200, std::max(200, splLog->height() - 200)});
}

void TframeMacroBrowser::Play()
{
    const int chosen = lstMacros->currentIndex();
    if (m_entries.empty() || chosen < 0) {
        ShowInformation("No Macros are installed");
        return;
    }
    m_macro->ScriptFileName = m_entries[static_cast<size_t>(chosen)].File;
    m_macro->SetBrowser(m_browser.get());
    m_macro->ClearCommands();
    m_macro->LoadCommands(m_macro->ScriptFileName, true);
    m_iteration = 0;
    m_finished = false;
    RunIteration();
}

bool TframeMacroBrowser::CollectMissingData(TNameValueList &dataIn)
{
    TfrmReqData window(*m_macro, dataIn, m_settings.AskForAllData, this);
    if (window.exec() != QDialog::Accepted) {
        return false;
    }
    for (const std::string &line : window.Values()) {
        SetNameValue(dataIn, NameOfLine(line), ValueOfLine(line));
        if (m_iterationDataIns != nullptr) {
            for (TNameValueList &other : *m_iterationDataIns) {
                SetNameValue(other, NameOfLine(line), ValueOfLine(line));
            }
        }
    }
    return true;
}

void TframeMacroBrowser::RunIteration()
{
    m_macro->ClearCommands();
    m_macro->LoadCommands(m_macro->ScriptFileName, true);
    TNameValueList &dataIn = CurrentDataIn();
    m_macro->DataIn = &dataIn;
    m_macro->ShowEachStep = false;
    if (m_iteration == 0 && m_macro->MissingData() && !CollectMissingData(dataIn)) {
        AppendLog("MACRO missing data not given; nothing runs");
        return;
    }
    TNameValueList *answers = m_answers != nullptr ? m_answers : &m_ownAnswers;
    int total = 1;
    if (m_iterationDataIns != nullptr && !m_iterationDataIns->empty()) {
        total = static_cast<int>(m_iterationDataIns->size());
        if (m_iterationAnswers != nullptr) {
            m_iterationAnswers->emplace_back();
            answers = &m_iterationAnswers->back();
        }
    }
    m_macro->Variables = answers;
    SetNameValue(*answers, "ITERATION", IntText(m_iteration));
    SetNameValue(*answers, "TOTAL_ITERATIONS", IntText(total));
    pnlProgress->hide();
    m_playing = true;
    btnPlay->setEnabled(false);
    if (m_settings.StartPosition > 0) {
        m_macro->StartFrom(m_settings.StartPosition);
    } else {
        m_macro->Start();
    }
}

void TframeMacroBrowser::Started(TMacro &macro)
{
    if (!macro.FullPlay()) {
        return;
    }
    TimerComplete->stop();
    lblProgress->setText(QStringLiteral("Starting"));
    ProgressBar->setValue(0);
    pnlProgress->show();
    if (m_callback) {
        TNameValueList chosen {m_macro->ScriptFileName};
        const int index = lstMacros->currentIndex();
        if (index >= 0) {
            chosen[0] = m_entries[static_cast<size_t>(index)].Name;
        }
        m_callback(macro, "BROWSER_RUN", &chosen, macro.DataIn);
    }
}

void TframeMacroBrowser::Step(int count, int step)
{
    ProgressBar->setMaximum(count);
    ProgressBar->setValue(step);
    lblProgress->setText(QStringLiteral("Step %1 of %2").arg(step).arg(count));
}

void TframeMacroBrowser::DataEntered(const std::string &id, const std::string &value)
{
    if (m_iterationDataIns != nullptr && !m_iterationDataIns->empty()) {
        for (TNameValueList &list : *m_iterationDataIns) {
            SetNameValue(list, id, value);
        }
    } else {
        SetNameValue(CurrentDataIn(), id, value);
    }
}

void TframeMacroBrowser::Stopped(TMacro &macro)
{
    QCoreApplication::processEvents();
    m_playing = false;
    switch (macro.State()) {
    case TMacro::msRunning: {
        const int total =
            m_iterationDataIns != nullptr ? static_cast<int>(m_iterationDataIns->size()) : 1;
        if (m_iteration + 1 < total) {
            ++m_iteration;
            QTimer::singleShot(0, this, [this] { RunIteration(); });
            return;
        }
        lblProgress->setText(QStringLiteral("Finished"));
        break;
    }
    case TMacro::msPrerequisitesFailed:
        lblProgress->setText(QStringLiteral("Error has occurred"));
        ShowInformation("The Webpage is different than what we expected so we couldn't find the "
                        "field or button we were looking for.  Please try the process again");
        break;
    case TMacro::msError:
        lblProgress->setText(QStringLiteral("Error has occurred"));
        break;
    default:
        lblProgress->setText(QStringLiteral("Aborted"));
        break;
    }
    m_finished = true;
    btnPlay->setEnabled(!m_settings.PlayOnShow);
    TimerComplete->start();
    if (macro.State() != TMacro::msRunning) {
        return;
    }
    const TNameValueList *answers = macro.Variables;
    const bool closeUi = answers != nullptr && Trim(NameValue(*answers, "CLOSE_UI")) == "1";
    bool close = m_settings.CloseWhenFinished || closeUi;
    if (!close && m_settings.AskToCloseWhenFinished) {
        close = AskYesNo("Macro Complete.  Close Form?");
    }
    if (close && OnCloseRequest) {
        // Not while the macro that stopped is still on the stack.
        QTimer::singleShot(0, this, [this] { OnCloseRequest(); });
    }
}

void TframeMacroBrowser::StopClicked()
{
    if (!m_macro->Playing()) {
        return;
    }
    if (AskYesNo("This will stop the script and abort any data from being retrieved.  Are you "
                 "sure you want to stop?")) {
        m_macro->Cancel();
    } else {
        m_macro->Resume();
    }
}

void TframeMacroBrowser::Print()
{
    auto printer = std::make_shared<QPrinter>(QPrinter::HighResolution);
    QPrintDialog dialog(printer.get(), this);
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    // The printer must live until the page is printed.
    auto *connection = new QMetaObject::Connection;
    *connection = connect(WB, &QWebEngineView::printFinished, this, [printer, connection](bool) {
        QObject::disconnect(*connection);
        delete connection;
    });
    WB->print(printer.get());
}

bool TframeMacroBrowser::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride) {
        const auto *key = static_cast<QKeyEvent *>(event);
        const bool alt = (key->modifiers() & Qt::AltModifier) != 0;
        // The page's history is the script's business, not the keyboard's.
        if (key->key() == Qt::Key_Back || key->key() == Qt::Key_Forward ||
            (alt && (key->key() == Qt::Key_Left || key->key() == Qt::Key_Right))) {
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

// ---------------------------------------------------------------------------------------------
// The window

TfrmMacroBrowser::TfrmMacroBrowser(const TMacroBrowserSettings &settings, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("TfrmMacroBrowser"));
    setWindowFlags(windowFlags() | Qt::WindowMaximizeButtonHint | Qt::WindowMinimizeButtonHint);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_frame = new TframeMacroBrowser(settings, this);
    layout->addWidget(m_frame);
    std::string caption = settings.Caption;
    if (caption.empty()) {
        std::string listCaption;
        TframeMacroBrowser::ScriptEntries(settings.ScriptFolder, settings.ScriptListType,
                                          &listCaption);
        caption = listCaption.empty() ? std::string(kDefaultCaption) : listCaption;
    }
    setWindowTitle(ToQt(caption));
    m_frame->OnCloseRequest = [this] { accept(); };
    resize(1100, 800);
}

void TfrmMacroBrowser::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!m_shownOnce) {
        m_shownOnce = true;
        if (m_frame->btnPlay->isEnabled() == false && m_frame->lstMacros->count() > 0) {
            // Play on show: the window is up before the script starts.
            QTimer::singleShot(0, m_frame, [this] { m_frame->Play(); });
        }
    }
}

void ShowMacroBrowser(const std::string &scriptFolder, const std::string &scriptName,
                      TNameValueList *dataIn, bool backspaceRepair, bool allowNewWindows,
                      bool askToCloseWhenFinished, bool closeWhenFinished, bool playOnShow,
                      bool chooserEnabled, int, const std::string &caption, int startPosition,
                      TMacroBrowserCallback callback, int scriptListType, TNameValueList *answers,
                      QWidget *parent, std::function<void(TfrmMacroBrowser &)> windowReady)
{
    TMacroBrowserSettings settings;
    settings.ScriptFolder = scriptFolder;
    settings.ScriptName = scriptName;
    settings.BackspaceRepair = backspaceRepair;
    settings.AllowNewWindows = allowNewWindows;
    settings.AskToCloseWhenFinished = askToCloseWhenFinished;
    settings.CloseWhenFinished = closeWhenFinished;
    settings.PlayOnShow = playOnShow;
    settings.ChooserEnabled = chooserEnabled;
    settings.Caption = caption;
    settings.StartPosition = startPosition;
    settings.ScriptListType = scriptListType;
    settings.AskForAllData = false;
    TfrmMacroBrowser window(settings, parent);
    TframeMacroBrowser &frame = *window.Frame();
    frame.SetData(dataIn, answers, std::move(callback));
    frame.Macro().AskForMissingData = false;
    if (playOnShow) {
        frame.btnPlay->setEnabled(false);
    }
    if (const QScreen *screen = QApplication::primaryScreen()) {
        // Maximised also where no window manager does it.
        window.setGeometry(screen->availableGeometry());
    }
    window.setWindowState(window.windowState() | Qt::WindowMaximized);
    if (windowReady) {
        QTimer::singleShot(0, &window, [&window, windowReady] { windowReady(window); });
    }
    window.exec();
}
