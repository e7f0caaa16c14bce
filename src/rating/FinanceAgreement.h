#pragma once

// A premium finance agreement: its form and flags, and two bracket tables, one of down
// payment percentages by premium and one of finance rates by unpaid balance.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TCBTable;

struct TFinanceItem
{
    double Min = 0;
    double Max = 0;
    double Value = 0;
};

using TFinanceItemList = std::vector<TFinanceItem>;

class TFinanceAgreement
{
public:
    // The tables belong to the caller and must outlive Load.
    TFinanceAgreement(int32_t number, TCBTable &agreementTable, TCBTable &itemTable);

    // Reads the agreement and its brackets; an unknown number keeps the defaults and no
    // brackets.
    void Load();

    // Bracket values: the first bracket holding x; 0 without brackets or without a match.
    double DownPercent(double premium) const;
    double FinanceRate(double balance) const;

    int32_t Number;
    std::string Name; // caption of the window that shows it
    std::string Title;
    std::string App_Name; // its form definition
    std::string AdjustName;
    double Min = 0;
    double Max = 999999999.0;
    int32_t ExportID = 0;
    int32_t DownPayID = 0;
    int32_t RateID = 0;
    int32_t NumPayment = 0;
    bool Editable = false;
    bool DownEdit = false;
    bool PayEdit = false;
    bool NumPayEdit = false;
    bool HasAdjust = false;
    bool Show_Prcnt = false;
    int32_t AdjustType = 0;
    std::unique_ptr<TFinanceItemList> DownPayments; // kind 1, keyed by DownPayID
    std::unique_ptr<TFinanceItemList> Rates; // kind 2, keyed by RateID

private:
    std::unique_ptr<TFinanceItemList> LoadItems(int kind, int32_t id);

    TCBTable &m_agreementTable;
    TCBTable &m_itemTable;
};

// The value of the first bracket holding x, 0 when none (or no list) does.
double BracketValue(const TFinanceItemList *items, double x);

// The figures of a financed premium, in whole dollars but the installment (cents): what the
// agreement's form prints.
struct TFinanceFigures
{
    int32_t TotalPremium = 0;
    double DownPercent = 0; // the bracket's percentage of the premium
    int32_t MinimumDown = 0; // the bracket's share of the premium
    int32_t Surcharge = 0;
    int32_t CashPaid = 0; // the down payment with the surcharge when it was paid in cash
    int32_t Unpaid = 0; // the amount financed
    double Rate = 0; // finance rate in percent
    int32_t FinanceCharge = 0;
    int32_t TotalOfPayments = 0; // amount financed + finance charge
    int32_t NumPayment = 0;
    double Installment = 0; // total of payments / payments, to the cent
};

// The down payment the agreement asks for a premium: its percentage of the premium, rounded.
int32_t MinimumDownPayment(const TFinanceAgreement &agreement, int32_t totalPremium);

// Works out the agreement for a premium. `cashPaid` below 0 means no down payment was typed:
// the minimum is paid. A typed down payment below the minimum is raised to it. Every product
// goes through RoundAmount; cash beyond what is owed finances nothing. An agreement without
// payments raises std::runtime_error with kNoPaymentsMessage.
TFinanceFigures ComputeFinanceFigures(const TFinanceAgreement &agreement, int32_t totalPremium,
                                      int32_t surcharge = 0, int32_t cashPaid = -1);

// Whether the agreement can be printed: it needs at least one payment.
bool CanPrintAgreement(const TFinanceAgreement &agreement);
extern const char *const kNoPaymentsMessage;
