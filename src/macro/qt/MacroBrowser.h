#pragma once

#include "core/NameValues.h"
#include "macro/WebMacro.h"

#include <QDialog>
#include <QWidget>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QLabel;
class QComboBox;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QSplitter;
class QTimer;
class QWebEngineView;
class TQtMacroDialogs;
class TQtWebBrowser;

// One entry of the script chooser.
struct TScriptDefinition
{
    std::string Name;
    std::string File;
};

// The callback of the program that opened the browser (the quote window's).
using TMacroBrowserCallback = std::function<void(
    TMacro &, const std::string &request, TNameValueList *variables, TNameValueList *dataIn)>;

// The window's settings, as the entry operation passes them.
struct TMacroBrowserSettings
{
    std::string ScriptFolder;
    std::string ScriptName;
    bool BackspaceRepair = false;
    bool AllowNewWindows = false;
    bool AskToCloseWhenFinished = false;
    bool CloseWhenFinished = false;
    bool PlayOnShow = false;
    bool ChooserEnabled = true;
    std::string Caption; // empty keeps "Web Browser Scripting"
    int StartPosition = 0;
    int ScriptListType = 0;
    bool AskForAllData = false;
};

// The frame of the macro browser: the script chooser, Play/Stop/Print, the progress line,
// the hidden log and the embedded browser, with the web macro that runs in it.
class TframeMacroBrowser : public QWidget
{
    Q_OBJECT

public:
    TframeMacroBrowser(const TMacroBrowserSettings &settings, QWidget *parent = nullptr);
    ~TframeMacroBrowser() override;

    // Connects the lists and the callback (the lists are not owned and must outlive the run).
    void SetData(TNameValueList *dataIn, TNameValueList *answers, TMacroBrowserCallback callback);
    // Several iterations: one data-in list each, and a list collecting the answers of each.
    void SetIterations(std::vector<TNameValueList> *dataIns, std::vector<TNameValueList> *answers);

    // The scripts offered: from "Script_List.xml" of the list type, else every XML file.
    static std::vector<TScriptDefinition> ScriptEntries(const std::string &folder, int listType,
                                                        std::string *caption = nullptr);

    // "Play": the chosen script from its start.
    void Play();
    // "Stop": asks, then cancels the run.
    void StopClicked();
    void Print();
    // Shows the hidden log (a double click on the label does the same).
    void ShowLog();

    TWebMacro &Macro() const { return *m_macro; }
    TQtWebBrowser &Browser() const { return *m_browser; }
    const std::vector<TScriptDefinition> &Entries() const { return m_entries; }
    // True once a run ended; the result line says how.
    bool Finished() const { return m_finished; }
    // Lines the run logged, as the hidden log shows them.
    QStringList LogLines() const;

    // The window should close now (the owner closes it).
    std::function<void()> OnCloseRequest;

    QLabel *lblWebsite = nullptr;
    QComboBox *lstMacros = nullptr;
    QPushButton *btnPlay = nullptr;
    QPushButton *btnStop = nullptr;
    QPushButton *btnPrint = nullptr;
    QWidget *pnlProgress = nullptr;
    QLabel *lblProgress = nullptr;
    QProgressBar *ProgressBar = nullptr;
    QSplitter *splLog = nullptr;
    QPlainTextEdit *Memo1 = nullptr;
    QWebEngineView *WB = nullptr;
    QTimer *TimerComplete = nullptr;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void RunIteration();
    bool CollectMissingData(TNameValueList &dataIn);
    void Started(TMacro &macro);
    void Stopped(TMacro &macro);
    void Step(int count, int step);
    void DataEntered(const std::string &id, const std::string &value);
    void AppendLog(const std::string &line);
    TNameValueList &CurrentDataIn();

    TMacroBrowserSettings m_settings;
    std::unique_ptr<TQtWebBrowser> m_browser;
    std::unique_ptr<TQtMacroDialogs> m_dialogs;
    std::unique_ptr<TWebMacro> m_macro;
    std::vector<TScriptDefinition> m_entries;
    TNameValueList *m_dataIn = nullptr;
    TNameValueList *m_answers = nullptr;
    std::vector<TNameValueList> *m_iterationDataIns = nullptr;
    std::vector<TNameValueList> *m_iterationAnswers = nullptr;
    TNameValueList m_ownAnswers;
    TMacroBrowserCallback m_callback;
    int m_iteration = 0;
    bool m_finished = false;
    bool m_playing = false;
};

// The window the frame sits on ("Web Browser Scripting").
class TfrmMacroBrowser : public QDialog
{
    Q_OBJECT

public:
    TfrmMacroBrowser(const TMacroBrowserSettings &settings, QWidget *parent = nullptr);

    TframeMacroBrowser *Frame() const { return m_frame; }

protected:
    void showEvent(QShowEvent *event) override;

private:
    TframeMacroBrowser *m_frame = nullptr;
    bool m_shownOnce = false;
};

// The entry operation of the quote window: opens the browser on a script with the caller's
// lists and callback, modal and maximised, and frees it afterwards. `windowReady` (tests,
// pictures) sees the window once it is up.
void ShowMacroBrowser(const std::string &scriptFolder, const std::string &scriptName,
                      TNameValueList *dataIn, bool backspaceRepair, bool allowNewWindows,
                      bool askToCloseWhenFinished, bool closeWhenFinished, bool playOnShow,
                      bool chooserEnabled, int unused, const std::string &caption,
                      int startPosition, TMacroBrowserCallback callback, int scriptListType,
                      TNameValueList *answers, QWidget *parent = nullptr,
                      std::function<void(TfrmMacroBrowser &)> windowReady = nullptr);
