#include "storage/VereDivoQuoteDBInterface.h"

#include "core/BusyCursor.h"
#include "core/Text.h"
#include "db/VereDivoDatabase.h"
#include "rating/VereDivoQuote.h"
#include "storage/VereDivoAppInfo.h"
#include "storage/VereDivoCustDBO.h"

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

    // A counter file that was lost or restored from an old copy must not hand out a number the
    // tables hold: that save would overwrite another customer or quote.
    if (quote.Customer().CustomerNumber() <= 0) {
        int32_t number = m_appInfo.NextCustomerNumber();
        if (store.CustomerNumberInUse(number)) {
            number = m_appInfo.NextCustomerNumber(store.HighestCustomerNumber());
        }
        quote.Customer().SetCustomerNumber(number);
    }
    quote.QuoteInfo().SetCustomerNumber(quote.Customer().CustomerNumber());
    if (quote.QuoteId <= 0) {
        int32_t id = m_appInfo.NextQuoteID();
        if (store.QuoteIDInUse(id)) {
            id = m_appInfo.NextQuoteID(store.HighestQuoteID());
        }
        quote.QuoteId = id;
    }
    quote.QuoteInfo().SetQuoteID(quote.QuoteId);
    const int32_t id = quote.QuoteId;

    TVereDivoCustDBO::TBatch batch(store);
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
    batch.Commit();

    quote.Modified = false;
    return true;
}

void TVereDivoQuoteDBInterface::LoadQuote(TVereDivoQuote &quote)
{
    TVereDivoCustDBO &store = CustDBO();
    const int32_t id = quote.QuoteId;

    if (TControlInterface *controls = quote.Controls()) {
        // By position: a control's handlers run while it is set and may change the set.
        for (size_t i = 0; i < controls->Controls().size(); ++i) {
            TRatingControl &control = *controls->Controls()[i];
            const TControlSpec &input = control.Spec();
            if (input.Data_Field <= 0 || !input.Active || !input.Visible) {
                continue;
            }
            std::string text;
            bool checked = false;
            if (!store.LoadInput(id, input.Data_Field, text, checked)) {
                continue;
            }
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
