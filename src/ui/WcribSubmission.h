#pragma once

#include "core/NameValues.h"
#include "macro/qt/WcribWindows.h"

#include <functional>
#include <string>

class QWidget;
class TMacro;
class TVereDivoQuote;
class TfrmMacroBrowser;

// What "Submit to WCRIB" needs of the quote window that offers it.
class TWcribSubmissionWindow
{
public:
    virtual ~TWcribSubmissionWindow() = default;
    // The main window's output readiness check; true when the output must not go ahead.
    virtual bool OutputBlocked(const std::string &verb, bool askForAddress) = 0;
    // The quote's effective date changed; the window shows it.
    virtual void EffectiveDateChanged() = 0;
    // The window the submission's windows belong to.
    virtual QWidget *Widget() = 0;
};

// "Submit to WCRIB" of a Massachusetts quote: the date question, the readiness check, the
// bureau submission window (its entries remembered while the object lives), the name=value
// list of the quote, and the macro browser on the bureau script with the quote's callback.
class TWcribSubmission
{
public:
    TWcribSubmission(TVereDivoQuote &quote, TWcribSubmissionWindow &window);
    ~TWcribSubmission();
    TWcribSubmission(const TWcribSubmission &) = delete;
    TWcribSubmission &operator=(const TWcribSubmission &) = delete;

    // The whole flow; false when it stopped before the browser opened.
    bool Submit();
    // The quote window's macro callback.
    void MacroCallback(TMacro &macro, const std::string &request, TNameValueList *variables,
                       TNameValueList *dataIn);
    // The list the script gets: the quote's export (mapping 100) and the entries.
    TNameValueList SubmissionList();

    TWcribEntries &Entries() { return m_entries; }

    // Sees the browser window once it is up (pictures and tests).
    std::function<void(TfrmMacroBrowser &)> BrowserReady;
    // Sees the completion window before it runs (pictures and tests).
    std::function<void(QWidget &)> CompletionReady;

private:
    TVereDivoQuote &m_quote;
    TWcribSubmissionWindow &m_window;
    TWcribEntries m_entries;
};
