#include "rating/FinanceAgreement.h"

#include "core/Rounding.h"
#include "core/Text.h"
#include "db/CBDatabase.h"
#include "db/TableValues.h"

#include <algorithm>
#include <stdexcept>

TFinanceAgreement::TFinanceAgreement(int32_t number, TCBTable &agreementTable, TCBTable &itemTable)
    : Number(number), m_agreementTable(agreementTable), m_itemTable(itemTable)
{ }

void TFinanceAgreement::Load()
{
    TCBTable &table = m_agreementTable;
    const std::string key = KeyNumber(Number);
    bool found = table.Seek(key, "ID_Tag");
    while (found && table.Deleted()) {
        found = table.SeekNext(key);
    }
    if (!found) {
        return;
    }
    Name = TrimmedString(table, "Name");
    Title = TrimmedString(table, "Title");
    App_Name = TrimmedString(table, "App_Name");
    AdjustName = TrimmedString(table, "AdjustName");
    Min = table.GetDouble("Min");
    Max = table.GetDouble("Max");
    ExportID = table.GetInteger("ExportID");
    DownPayID = table.GetInteger("DownPayID");
    RateID = table.GetInteger("RateID");
    NumPayment = table.GetInteger("NumPayment");
    Editable = table.GetBoolean("Editable");
    DownEdit = table.GetBoolean("DownEdit");
    PayEdit = table.GetBoolean("PayEdit");
    NumPayEdit = table.GetBoolean("NumPayEdit");
    HasAdjust = table.GetBoolean("HasAdjust");
    Show_Prcnt = table.GetBoolean("Show_Prcnt");
    AdjustType = table.GetInteger("AdjustType");
    DownPayments = LoadItems(1, DownPayID);
    Rates = LoadItems(2, RateID);
}

std::unique_ptr<TFinanceItemList> TFinanceAgreement::LoadItems(int kind, int32_t id)
{
    const std::string key = IntText(kind) + KeyNumber(id);
    auto items = std::make_unique<TFinanceItemList>();
    for (bool found = m_itemTable.Seek(key, "Type_Tag"); found; found = m_itemTable.SeekNext(key)) {
        if (!m_itemTable.Deleted()) {
            items->push_back(TFinanceItem {m_itemTable.GetDouble("Min"),
                                           m_itemTable.GetDouble("Max"),
                                           m_itemTable.GetDouble("Value")});
        }
    }
    if (items->empty()) {
        return nullptr;
    }
    return items;
}

double TFinanceAgreement::DownPercent(double premium) const
{
    return BracketValue(DownPayments.get(), premium);
}

double TFinanceAgreement::FinanceRate(double balance) const
{
    return BracketValue(Rates.get(), balance);
}

double BracketValue(const TFinanceItemList *items, double x)
{
    if (items == nullptr) {
        return 0;
    }
    for (const TFinanceItem &item : *items) {
        if (item.Min <= x && x <= item.Max) {
            return item.Value;
        }
    }
    return 0;
}

const char *const kNoPaymentsMessage =
    "This finance agreement has no payments in the rate tables, so its payment amount cannot "
    "be worked out.  It cannot be printed.";

bool CanPrintAgreement(const TFinanceAgreement &agreement)
{
    return agreement.NumPayment > 0;
}

int32_t MinimumDownPayment(const TFinanceAgreement &agreement, int32_t totalPremium)
{
    return RoundAmount(agreement.DownPercent(totalPremium) * totalPremium * 0.01);
}

TFinanceFigures ComputeFinanceFigures(const TFinanceAgreement &agreement, int32_t totalPremium,
                                      int32_t surcharge, int32_t cashPaid)
{
    if (!CanPrintAgreement(agreement)) {
        throw std::runtime_error(kNoPaymentsMessage);
    }
    TFinanceFigures f;
    f.TotalPremium = totalPremium;
    f.DownPercent = agreement.DownPercent(totalPremium);
    f.MinimumDown = MinimumDownPayment(agreement, totalPremium);
    f.Surcharge = surcharge;
    // Without the options dialog the cash paid is the down payment alone; with it, the down
    // payment (never below the minimum) and the surcharge paid with it.
    f.CashPaid = cashPaid < 0 ? f.MinimumDown : std::max(cashPaid, f.MinimumDown + surcharge);
    // Paying more than is owed finances nothing; it never makes a negative loan.
    f.CashPaid = std::min(f.CashPaid, totalPremium + surcharge);
    f.Unpaid = totalPremium + surcharge - f.CashPaid;
    f.Rate = agreement.FinanceRate(f.Unpaid);
    f.FinanceCharge = RoundAmount(f.Unpaid * f.Rate * 0.01);
    f.TotalOfPayments = f.Unpaid + f.FinanceCharge;
    f.NumPayment = agreement.NumPayment;
    f.Installment = RoundTo(static_cast<double>(f.TotalOfPayments) / f.NumPayment, 2);
    return f;
}
