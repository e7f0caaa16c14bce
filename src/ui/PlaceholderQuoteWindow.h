#pragma once

#include "ui/QuoteWindow.h"

#include <QWidget>

#include <string>

class QLabel;

// The quote window of a new quote until the quote detail window is built: it names the state
// and says plainly that nothing is rated. It offers no command and has nothing to save.
class TfrmPlaceholderQuote final : public QWidget, public QuoteWindow
{
    Q_OBJECT

public:
    TfrmPlaceholderQuote(std::string stateAbbreviation, const std::string &stateName,
                         QWidget *parent = nullptr);

    std::string StateAbbreviation() const override { return m_stateAbbreviation; }
    TQuoteCommands Commands() const override { return {}; }
    bool HasClasses() const override { return false; }
    int32_t TotalPremium() const override { return 0; }
    bool HasCompanyName() const override { return false; }
    bool HasCompleteAddress() const override { return false; }
    // There is no customer record without the quote store.
    bool EditCustomer(bool) override { return false; }
    std::string WebSiteAddress() const override { return {}; }
    std::string UpdateAddress() const override { return {}; }

    QLabel *lblNoRating = nullptr;

private:
    std::string m_stateAbbreviation;
};
