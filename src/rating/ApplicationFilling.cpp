// How a quote fills its application forms: the workers compensation application, the state
// pool application and the finance agreement.

#include "rating/VereDivoQuote.h"

#include "core/Paths.h"
#include "core/States.h"
#include "core/Text.h"

#include <array>

namespace {

// Output kinds of the export table.
constexpr int32_t KindApplication = 1;
constexpr int32_t KindFinance = 2;
constexpr int32_t KindPool = 4;

// What a column of a class row holds.
enum class Cell {
    StateText,
    One,
    Code,
    Blank, // a single blank, written in every row
    Description,
    Employees,
    Zero,
    Payroll,
    Rate,
    Premium,
    Cleared,
};

struct Column
{
    int Number;
    Cell What;
};

struct ClassLayout
{
    int Rows;
    int Stride;
    const char *Prefix;
    std::vector<Column> Columns;
};

const ClassLayout LayoutA {8,
                           10,
                           "C",
                           {{1, Cell::StateText},
                            {2, Cell::One},
                            {3, Cell::Code},
                            {4, Cell::Blank},
                            {5, Cell::Description},
                            {6, Cell::Employees},
                            {7, Cell::Zero},
                            {8, Cell::Payroll},
                            {9, Cell::Rate},
                            {10, Cell::Premium}}};
const ClassLayout LayoutB {10,
                           9,
                           "C",
                           {{1, Cell::One},
                            {2, Cell::Code},
                            {3, Cell::Blank},
                            {4, Cell::Description},
                            {5, Cell::Employees},
                            {6, Cell::Cleared},
                            {7, Cell::Payroll},
                            {8, Cell::Rate},
                            {9, Cell::Premium}}};
const std::vector<Column> PoolColumns {{1, Cell::Description}, {2, Cell::Employees},
                                       {3, Cell::Code},        {5, Cell::Payroll},
                                       {4, Cell::Rate},        {6, Cell::Premium}};
const ClassLayout LayoutC {4, 6, "C", PoolColumns};
const ClassLayout LayoutCNJ {7, 6, "C", PoolColumns};
const ClassLayout LayoutD {7, 6, "CCurrent", {{1, Cell::Description}, {3, Cell::Code}}};

} // namespace

std::string TVereDivoQuote::ApplicationFormName(int32_t kind) const
{
    return Trim(kind == 1 ? PlanProfile->QOR_Acord : PlanProfile->Pool_Name);
}

std::string TVereDivoQuote::ApplicationTitle(int32_t kind) const
{
    return kind == 1 ? "Workers Compensation Acord" : StateCode + " Pool Application";
}

std::string TVereDivoQuote::FormDataFile(int32_t kind) const
{
    const int32_t stored = QuoteInfo().QuoteID();
    if (stored <= 0) {
        return {};
    }
    return IncludeTrailingSlash(m_application.ProgramFolder()) + "formdata/" +
        (kind == 1 ? "nb/" : "pool/") + IntText(stored) + ".dat";
}

void TVereDivoQuote::FillApplication(int32_t kind, std::vector<std::string> &list,
                                     int32_t currentYear,
                                     const std::function<void(const std::string &)> &step)
{
    const auto log = [&step](const char *name) {
        if (step) {
            step(name);
        }
    };
    log("Show New Data");
    if (kind == 1) {
        ApplyExportMapping(list, true, 0, PlanProfile->Acord_Type, KindApplication);
    } else {
        ApplyExportMapping(list, true, 0, StateNumber(StateCode), KindPool);
    }
    log("Add State Fields");
    if (kind == 1) {
        AddApplicationStateFields(list);
    } else {
        AddPoolStateFields(list);
    }
    log("Add Classes");
    AddClassFields(list, kind, 1);
    if (kind == 2 && StateCode == "NJ") {
        AddClassFields(list, kind, 2);
    }
    if (kind == 1) {
        AddYearFields(list, currentYear);
    }
}

void TVereDivoQuote::AddClassFields(std::vector<std::string> &list, int32_t kind,
                                    int32_t currentPass)
{
    const bool nj = StateCode == "NJ";
    const ClassLayout *layout = nullptr;
    if (kind == 1) {
        if (PlanProfile->Acord_Type == 1 || PlanProfile->Acord_Type == 2) {
            layout = &LayoutA;
        } else if (PlanProfile->Acord_Type == 3) {
            layout = &LayoutB;
        }
    } else if (currentPass == 2) {
        layout = nj ? &LayoutD : nullptr;
    } else {
        layout = nj ? &LayoutCNJ : &LayoutC;
    }
    if (layout == nullptr) {
        return;
    }
    const bool readOnly = PlanId != 5;
    for (int row = 1; row <= layout->Rows; ++row) {
        const size_t index = static_cast<size_t>(row - 1);
        const TVereDivoClass *line = index < m_classes.size() ? m_classes[index] : nullptr;
        // The NJ pool application lists the exception classes elsewhere.
        if (line != nullptr && kind == 2 && nj &&
            (line == ClericalClass || line == SalesClass || line == DriversClass)) {
            continue;
        }
        for (const Column &column : layout->Columns) {
            std::string value;
            if (column.What == Cell::Blank) {
                value = " ";
            } else if (line != nullptr) {
                switch (column.What) {
                case Cell::StateText:
                    value = PlanProfile->STATE_TEXT;
                    break;
                case Cell::One:
                    value = "1";
                    break;
                case Cell::Code:
                    value = line->Code;
                    break;
                case Cell::Description:
                    value = line->Description;
                    break;
                case Cell::Employees:
                    value = IntText(line->Employees);
                    break;
                case Cell::Zero:
                    value = "0";
                    break;
                case Cell::Payroll:
                    value = IntText(line->GetPayroll());
                    break;
                case Cell::Rate:
                    value = FixedText(line->Rate, 2);
                    break;
                case Cell::Premium:
                    value = IntText(line->GetPremium());
                    break;
                case Cell::Blank:
                case Cell::Cleared:
                    break;
                }
            }
            const int number = (row - 1) * layout->Stride + column.Number;
            SetFormField(layout->Prefix + IntText(number), value, list, readOnly);
        }
    }
}

void TVereDivoQuote::AddYearFields(std::vector<std::string> &list, int32_t currentYear)
{
    // Plans of the older application (type 3) print two-digit years.
    const int32_t year = PlanProfile->Acord_Type == 3 ? currentYear % 100 : currentYear;
    const std::array<const char *, 5> names = {"K2", "K10", "K18", "K26", "K34"};
    for (size_t i = 0; i < names.size(); ++i) {
        SetFormField(names[i], IntText(year - static_cast<int32_t>(i)), list, false);
    }
}

void TVereDivoQuote::FillFinanceAgreement(const TFinanceAgreement &agreement,
                                          const TFinanceFigures &f, std::vector<std::string> &list)
{
    ApplyExportMapping(list, true, 0, agreement.ExportID, KindFinance);
    const auto money = [](double amount) { return FixedText(amount, 2); };
    const auto set = [&](const char *name, const std::string &value) {
        SetFormField(name, value, list, false);
    };
    set("Amount2", money(f.Surcharge));
    set("Amount3", money(f.TotalPremium + f.Surcharge));
    set("Amount4", money(f.CashPaid));
    set("Unpaid", money(f.Unpaid));
    set("Detail1", money(f.Unpaid));
    set("Detail2", money(f.FinanceCharge));
    set("Detail3", agreement.Show_Prcnt ? money(f.Rate) : "N/A");
    set("Detail4", money(f.TotalOfPayments));
    set("Detail6", IntText(f.NumPayment));
    set("Detail7", money(f.Installment));
    set("Policy7", "$" + money(f.TotalPremium));
    set("Amount1", money(f.TotalPremium));
    set("TotalPremiums", money(f.TotalPremium));
}
