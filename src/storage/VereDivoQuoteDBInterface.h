#pragma once

// Quote persistence: saves a quote with its customer and reads a saved quote's inputs, class
// lines and down payment back, through the customer store of the quote folder.

#include <memory>

class TVereDivoAppInfo;
class TVereDivoCustDBO;
class TVereDivoQuote;

// The customer and quote information dialog, which the window layer supplies.
class TCustomerDialog
{
public:
    virtual ~TCustomerDialog() = default;
    // Shows the dialog on the quote; true when the user finished it, false when cancelled.
    virtual bool EditCustomer(TVereDivoQuote &quote) = 0;
};

class TVereDivoQuoteDBInterface
{
public:
    explicit TVereDivoQuoteDBInterface(TVereDivoAppInfo &appInfo);
    ~TVereDivoQuoteDBInterface();
    TVereDivoQuoteDBInterface(const TVereDivoQuoteDBInterface &) = delete;
    TVereDivoQuoteDBInterface &operator=(const TVereDivoQuoteDBInterface &) = delete;

    // The dialog saving opens (not owned); without one a save that needs it stores nothing.
    void SetCustomerDialog(TCustomerDialog *dialog) { m_dialog = dialog; }

    // Stores the customer, the header, the plan, the inputs, the class lines and the down
    // payment of the quote, giving customer and quote their numbers on the first save. A quote
    // whose customer has no name or whose header has no description opens the customer dialog
    // first; cancelling it stores nothing and gives false. Everything stored is durable when
    // it returns true.
    bool SaveQuote(TVereDivoQuote &quote);
    // Restores the stored inputs, class lines and down payment of a quote whose customer and
    // header the quote has loaded; classes that cannot come back are told.
    void LoadQuote(TVereDivoQuote &quote);

    // The customer store, created on first use on the table set and the quote folder (raising
    // ECBDBError when a customer table is missing).
    TVereDivoCustDBO &CustDBO();
    // Frees the store; its tables leave the table set. The next use creates it again.
    void ReleaseCustDBO();

private:
    TVereDivoAppInfo &m_appInfo;
    std::unique_ptr<TVereDivoCustDBO> m_custDBO;
    TCustomerDialog *m_dialog = nullptr;
};
