#include "storage/VereDivoQuoteDBInterface.h"

#include "core/BusyCursor.h"
#include "core/Text.h"
#include "db/VereDivoDatabase.h"
#include "rating/VereDivoQuote.h"
#include "storage/VereDivoAppInfo.h"
#include "storage/VereDivoCustDBO.h"

#include <map>

TVereDivoQuoteDBInterface::TVereDivoQuoteDBInterface(TVereDivoAppInfo &appInfo) : m_appInfo(appInfo)
{ }

TVereDivoQuoteDBInterface::~TVereDivoQuoteDBInterface() = default;

TVereDivoCustDBO &TVereDivoQuoteDBInterface::CustDBO()
{
    if (!m_custDBO) {
        m_custDBO = std::make_unique<TVereDivoCustDBO>(m_appInfo.Tables(), m_appInfo.QuoteFolder());
    }
    return *m_custDBO;
}

void TVereDivoQuoteDBInterface::ReleaseCustDBO()
{
    m_custDBO.reset();
}

bool TVereDivoQuoteDBInterface::SaveQuote(TVereDivoQuote &quote)
{
    if (quote.Customer().IsNameBlank() || quote.QuoteInfo().IsDescriptionBlank()) {
        if (m_dialog == nullptr || !m_dialog->EditCustomer(quote)) {
            return false;
        }
    }
    const BusyCursor busy;
    TVereDivoCustDBO &store = CustDBO();

    // One transaction: the quote is stored wholly or not at all, and other programs saving into
    // the folder wait, so nobody else counts the same numbers meanwhile.
    TVereDivoCustDBO::TBatch batch(store);
    const int32_t customerBefore = quote.Customer().CustomerNumber();
    const int32_t headerCustomerBefore = quote.QuoteInfo().CustomerNumber();
    const int32_t quoteBefore = quote.QuoteId;
    const int32_t headerQuoteBefore = quote.QuoteInfo().QuoteID();
    try {
        // A counter file that was lost or restored from an old copy must not hand out a number
        // the tables hold: that save would overwrite another customer or quote. New numbers
        // are counted once the quote is stored, so a save that never happened takes none.
        int32_t newCustomer = 0;
        if (quote.Customer().CustomerNumber() <= 0) {
            newCustomer = m_appInfo.PendingCustomerNumber();
            if (store.CustomerNumberInUse(newCustomer)) {
                newCustomer = m_appInfo.PendingCustomerNumber(store.HighestCustomerNumber());
            }
            quote.Customer().SetCustomerNumber(newCustomer);
        }
        quote.QuoteInfo().SetCustomerNumber(quote.Customer().CustomerNumber());
        int32_t newQuote = 0;
        if (quote.QuoteId <= 0) {
            newQuote = m_appInfo.PendingQuoteID();
            if (store.QuoteIDInUse(newQuote)) {
                newQuote = m_appInfo.PendingQuoteID(store.HighestQuoteID());
            }
            quote.QuoteId = newQuote;
        }
        quote.QuoteInfo().SetQuoteID(quote.QuoteId);
        const int32_t id = quote.QuoteId;

        store.SaveCustomer(quote.Customer());
        store.SaveQuoteHeader(quote.QuoteInfo());
        store.SavePlan(id, quote.PlanId);
        if (const TControlInterface *controls = quote.Controls()) {
            for (const auto &control : controls->Controls()) {
                const TControlSpec &input = control->Spec();
                if (input.Data_Field <= 0 || !input.Active) {
                    continue;
                }
                if (control->IsCheckBox()) {
                    store.SaveInput(id, input.Data_Field, control->Checked(), "");
                } else {
                    store.SaveInput(id, input.Data_Field, false, control->Text());
                }
            }
        }
        store.SaveClasses(id, quote.Classes());
        store.SaveMiscValue(id, mvDownPayment, 0, FixedText(quote.PlanProfile->Down, 2));
        store.SaveMiscValue(id, mvQuoteState, 0, quote.StateCode);
        // A program killed before it counts leaves the numbers in the tables, where the next
        // save finds them in use.
        batch.AfterCommit(
            [this, newCustomer, newQuote] { m_appInfo.CountNumbers(newCustomer, newQuote); });
        batch.Commit();
    } catch (...) {
        // Not stored: the quote gives back the numbers it was handed for this save.
        quote.Customer().SetCustomerNumber(customerBefore);
        quote.QuoteInfo().SetCustomerNumber(headerCustomerBefore);
        quote.QuoteId = quoteBefore;
        quote.QuoteInfo().SetQuoteID(headerQuoteBefore);
        throw;
    }

    quote.Modified = false;
    return true;
}

void TVereDivoQuoteDBInterface::LoadQuote(TVereDivoQuote &quote)
{
    TVereDivoCustDBO &store = CustDBO();
    const int32_t id = quote.QuoteId;

    if (TControlInterface *controls = quote.Controls()) {
        // Read at once: the controls' handlers may show messages, and the tables are not held
        // while they wait for the agent.
        const std::map<int32_t, TStoredInput> stored = store.LoadInputs(id);
        // By position: a control's handlers run while it is set and may change the set.
        for (size_t i = 0; i < controls->Controls().size(); ++i) {
            TRatingControl &control = *controls->Controls()[i];
            const TControlSpec &input = control.Spec();
            if (input.Data_Field <= 0 || !input.Active || !input.Visible) {
                continue;
            }
            const auto found = stored.find(input.Data_Field);
            if (found == stored.end()) {
                continue;
            }
            std::string text = found->second.Text;
            const bool checked = found->second.Checked;
            // A limits entry the lists no longer offer.
            if (text == "1000/10000/1000") {
                text = "1000/1000/1000";
            }
            const std::string name = control.Name();
            controls->SetValue(control, text, checked);
            if (SameText(name, "txtPPAPFactor") && quote.StateCode == "NJ" &&
                StrToFloatDef(text, 0) == 0) {
                controls->SetValue(control, "1.000", checked);
            }
        }
    }

    if (quote.LoadClassBook()) {
        std::vector<TVereDivoClass *> restored;
        store.RestoreClasses(id, quote.ClassBook(), restored);
        for (TVereDivoClass *line : restored) {
            quote.AppendClass(*line);
        }
    }

    const double current = quote.PlanProfile->Down;
    quote.PlanProfile->Down =
        StrToFloatDef(store.LoadMiscValue(id, mvDownPayment, 0, FixedText(current, 2)), current);
}
