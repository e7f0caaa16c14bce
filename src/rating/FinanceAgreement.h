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
