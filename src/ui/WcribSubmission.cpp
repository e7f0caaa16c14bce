#include "ui/WcribSubmission.h"

#include "core/Dates.h"
#include "core/Prompter.h"
#include "core/Text.h"
#include "macro/WebMacro.h"
#include "macro/qt/MacroBrowser.h"
#include "rating/VereDivoQuote.h"

#include <QTimer>

#include <algorithm>
#include <cmath>

namespace {

// Overwrites a secret before its text is freed.
void Wipe(std::string &text)
{
    std::fill(text.begin(), text.end(), '\0');
    text.clear();
}

void WipeList(TNameValueList &list)
{
    for (std::string &line : list) {
        Wipe(line);
    }
    list.clear();
}

} // namespace

TWcribSubmission::TWcribSubmission(TVereDivoQuote &quote, TWcribSubmissionWindow &window)
    : m_quote(quote), m_window(window)
{ }

TWcribSubmission::~TWcribSubmission()
{
    Wipe(m_entries.Password);
}

TNameValueList TWcribSubmission::SubmissionList()
{
    TNameValueList list;
    m_quote.GetExportList(100, 0, list);
    SetNameValue(list, "WCRIB_USER_ID", m_entries.UserID);
    SetNameValue(list, "WCRIB_PASSWORD", m_entries.Password);
    SetNameValue(list, "WC_LOCATION_COUNT", Trim(m_entries.Locations));
    SetNameValue(list, "BUSINESS_TYPE", m_entries.BusinessType);
    SetNameValue(list, "WC_TAX_ID", m_entries.TaxID);
    SetNameValue(list, "NO_TAX_ID_REASON", m_entries.TaxReason);
    return list;
}

bool TWcribSubmission::Submit()
{
    if (Trim(m_quote.StateCode) != "MA") {
        ShowInformation("This feature is only available in Massachusetts");
        return false;
    }
    if (Today() >= std::floor(m_quote.EffectiveDate)) {
        if (!AskYesNo("The WCRIB requires the Effective Date to be greater than today.  Click Yes "
                      "to bump the Effective Date to tomorrow and continue with the Submission")) {
            return false;
        }
        m_quote.SetEffectiveDate(Today() + 1);
        m_window.EffectiveDateChanged();
    }
    if (m_window.OutputBlocked("Export to WCRIB", true)) {
        return false;
    }
    {
        TfrmMAWCRIBSubmit window(m_entries, m_window.Widget());
        if (window.exec() != QDialog::Accepted) {
            return false;
        }
    }
    TNameValueList list = SubmissionList();
    TNameValueList answers;
    ShowMacroBrowser(
        m_quote.Application().DataFolder() + "Scripts/", "MA_WCRIB", &list, true, false, false,
        false, true, false, 2, "MA WCRIB Applicatin Prefill", 0,
        [this](TMacro &macro, const std::string &request, TNameValueList *variables,
               TNameValueList *dataIn) { MacroCallback(macro, request, variables, dataIn); },
        0, &answers, m_window.Widget(), BrowserReady);
    WipeList(list);
    WipeList(answers);
    return true;
}

void TWcribSubmission::MacroCallback(TMacro &macro, const std::string &request,
                                     TNameValueList *variables, TNameValueList *dataIn)
{
    if (request == "WORK_COMP_GET_CLASS_COUNT") {
        if (dataIn != nullptr) {
            SetNameValue(*dataIn, "WC_CLASS_COUNT",
                         IntText(static_cast<int64_t>(m_quote.Classes().size())));
        }
    } else if (request == "WORK_COMP_GET_CLASS") {
        if (dataIn != nullptr) {
            const int32_t index = StrToIntDef(Trim(macro.Variable("WC_CLASS_INDEX")), 0);
            m_quote.GetExportList(101, index, *dataIn);
        }
    } else if (request == "SHOW_COMPLETE") {
        const auto *web = dynamic_cast<const TWebMacro *>(&macro);
        TfrmWCRIBComplete window(web != nullptr ? web->StartURL : std::string(),
                                 m_quote.Application().Agency().Name, m_window.Widget());
        if (CompletionReady) {
            QTimer::singleShot(0, &window, [this, &window] { CompletionReady(window); });
        }
        if (window.exec() != QDialog::Accepted && variables != nullptr) {
            SetNameValue(*variables, "CLOSE_UI", "1");
        }
    }
}
