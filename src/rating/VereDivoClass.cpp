#include "rating/VereDivoClass.h"

#include "core/Rounding.h"
#include "core/Text.h"
#include "db/CBDatabase.h"
#include "db/TableValues.h"

#include <array>

namespace {

TClassLineEditor *g_editor = nullptr;

// The ratio of two rates to 3 decimals; a line without any rate keeps the neutral 1.
double DeviationOf(double rate, double stateRate)
{
    if (stateRate == 0) {
        return 1.0;
    }
    return RoundTo(rate / stateRate, 3);
}

} // namespace

TVereDivoClass::TVereDivoClass(uint8_t calcType) : CalcType(calcType) { }

TVereDivoClass::~TVereDivoClass() = default;

int32_t TVereDivoClass::GetPayroll() const
{
    return Payroll;
}

std::string TVereDivoClass::GetPayrollText() const
{
    return PayrollText;
}

int32_t TVereDivoClass::GetPremium() const
{
    return Premium;
}

int32_t TVereDivoClass::GetStatePremium() const
{
    return StatePremium;
}

void TVereDivoClass::SetPayroll(int32_t amount)
{
    Payroll = amount;
    Recalculate();
}

bool TVereDivoClass::EditPayroll()
{
    return g_editor != nullptr && g_editor->EditPayroll(*this);
}

void TVereDivoClass::LoadFromTable(const TCBTable &table)
{
    CalcType = static_cast<uint8_t>(TextInteger(table, "C_CALCTYPE"));
    Description = TrimmedString(table, "C_PHRASE");
    Code = TrimmedString(table, "C_Code");
    SubCode = TrimmedString(table, "C_SubCode");
    StateRate = table.GetDouble("C_STATE");
    Rate = table.GetDouble("C_RATE");
    MinPremium = table.GetInteger("C_Min");
    LossConstant = table.GetInteger("C_Loss_Con");
    HazardGroup = table.GetInteger("C_Table_H");
    ConstructionCredit = UpperCase(TrimmedString(table, "C_CONCRED")) == "Y";
    Survey = TrimmedString(table, "SURVEY") == "Y";
    Special = table.GetInteger("Special");
    if (StateRate == 0) {
        StateRate = Rate;
    }
    if (Rate == 0) {
        Rate = StateRate;
    }
    Deviation = DeviationOf(Rate, StateRate);
}

void TVereDivoClass::SetEmployees(int32_t count)
{
    Employees = count;
    Recalculate();
}

void TVereDivoClass::SetDeviation(double factor)
{
    Deviation = RoundTo(factor, 3);
    Rate = StateRate * Deviation;
    Recalculate();
}

void TVereDivoClass::CopyFrom(const TVereDivoClass &other)
{
    Description = other.DisplayName();
    Code = other.Code;
    SubCode = other.SubCode;
    StateRate = other.StateRate;
    Rate = other.Rate;
    Deviation = other.Deviation;
    MinPremium = other.MinPremium;
    LossConstant = other.LossConstant;
    HazardGroup = other.HazardGroup;
    ConstructionCredit = other.ConstructionCredit;
    Survey = other.Survey;
    Special = other.Special;
    CalcType = other.CalcType;
    ParentCode = other.ParentCode;
    ParentSubCode = other.ParentSubCode;
    SetPayroll(other.GetPayroll());
    SetEmployees(other.Employees);
    SetDeviation(other.Deviation);
}

std::string TVereDivoClass::DisplayName() const
{
    std::string name = Trim(Description);
    if (HasParent() && (name.empty() || name.back() != '*')) {
        name += '*';
    }
    return name;
}

bool TVereDivoClass::HasParent() const
{
    return !Trim(ParentCode).empty();
}

bool TVereDivoClass::EditClassInfo(bool editable)
{
    return g_editor != nullptr && g_editor->EditClassInfo(*this, editable);
}

void TVereDivoClass::Recalculate()
{
    if (CalcType == 1 || CalcType == 2) {
        const std::array<double, 2> premiums = UnroundedPremiums();
        Premium = RoundAmount(premiums[0]);
        StatePremium = RoundAmount(premiums[1]);
    }
    PayrollText = Payroll == 0 ? "If Any" : MoneyText(Payroll);
}

void TVereDivoClass::CheckAmountsInDetail() const
{
    for (const double premium : UnroundedPremiums()) {
        if (!RoundedAmountFits(premium)) {
            CheckedRoundAmount(premium, "premium of class " + Trim(Code));
        }
    }
}

int CompareClassLines(const TVereDivoClass &a, const TVereDivoClass &b)
{
    return a.DisplayName().compare(b.DisplayName());
}

void TCarrierSpecificVereDivoClass::LoadFromCarrierTable(const TCBTable &table)
{
    CalcType = static_cast<uint8_t>(TextInteger(table, "C_CALCTYPE"));
    Description = TrimmedString(table, "C_PHRASE");
    Code = TrimmedString(table, "C_Code");
    SubCode = TrimmedString(table, "C_SubCode");
    CarrierId = TrimmedString(table, "C_carid");
    Rate = table.GetDouble("C_RATE");
    StateRate = Rate;
    Deviation = 1.0;
    MinPremium = table.GetInteger("C_Min");
    LossConstant = table.GetInteger("C_Loss_Con");
    HazardGroup = table.GetInteger("C_Table_H");
    ConstructionCredit = UpperCase(TrimmedString(table, "C_CONCRED")) == "Y";
    Survey = TrimmedString(table, "SURVEY") == "Y";
    if (table.GetDouble("C_TER1") != 0) {
        Special = 1;
    }
}

TMultiEntryVereDivoClass::TMultiEntryVereDivoClass(uint8_t calcType)
    : TCarrierSpecificVereDivoClass(calcType)
{
    m_sumsEntries = true;
}

void TMultiEntryVereDivoClass::CreateEntries()
{
    EntryCount = GetEntryCount();
    Entries.clear();
    for (int32_t n = 1; n <= EntryCount; ++n) {
        Entries.push_back(TVereDivoPayrollItem {0, 0, n});
    }
    BasePremium = 0;
}

int32_t TMultiEntryVereDivoClass::GetPayroll() const
{
    int64_t total = 0;
    for (const TVereDivoPayrollItem &entry : Entries) {
        total += entry.Payroll;
    }
    return ClampedAmount(total);
}

std::string TMultiEntryVereDivoClass::GetPayrollText() const
{
    return MoneyText(GetPayroll());
}

int32_t TMultiEntryVereDivoClass::GetPremium() const
{
    int64_t total = BasePremium;
    for (const TVereDivoPayrollItem &entry : Entries) {
        total += entry.Premium;
    }
    return ClampedAmount(total);
}

void TMultiEntryVereDivoClass::CheckAmountsInDetail() const
{
    TCarrierSpecificVereDivoClass::CheckAmountsInDetail();
    int64_t payroll = 0;
    int64_t premium = BasePremium;
    for (const TVereDivoPayrollItem &entry : Entries) {
        payroll += entry.Payroll;
        premium += entry.Premium;
    }
    if (!AmountFits(payroll)) {
        CheckedAmount(payroll, "payroll of class " + Trim(Code));
    }
    if (!AmountFits(premium)) {
        CheckedAmount(premium, "premium of class " + Trim(Code));
    }
}

// Every recomputation, not only a new total, keeps the premium of the total payroll:
// otherwise a later deviation or employee count would leave the line at its old premium.
void TMultiEntryVereDivoClass::Recalculate()
{
    TCarrierSpecificVereDivoClass::Recalculate();
    if (CalcType != 1 && CalcType != 2) {
        return;
    }
    BasePremium = Premium;
    int64_t entries = 0;
    for (const TVereDivoPayrollItem &entry : Entries) {
        entries += entry.Premium;
    }
    Premium = ClampedAmount(entries);
}

std::string TMultiEntryVereDivoClass::GetEntrySplitWord(int32_t /*entryNo*/) const
{
    return {};
}

TVereDivoPayrollItem *TMultiEntryVereDivoClass::GetEntry(int32_t entryNo)
{
    for (TVereDivoPayrollItem &entry : Entries) {
        if (entry.EntryNo == entryNo) {
            return &entry;
        }
    }
    return nullptr;
}

const TVereDivoPayrollItem *TMultiEntryVereDivoClass::GetEntry(int32_t entryNo) const
{
    for (const TVereDivoPayrollItem &entry : Entries) {
        if (entry.EntryNo == entryNo) {
            return &entry;
        }
    }
    return nullptr;
}

int32_t TMultiEntryVereDivoClass::GetEntryPayroll(int32_t entryNo) const
{
    const TVereDivoPayrollItem *entry = GetEntry(entryNo);
    return entry != nullptr ? entry->Payroll : 0;
}

void TMultiEntryVereDivoClass::SetEntryPayroll(int32_t entryNo, int32_t amount)
{
    if (TVereDivoPayrollItem *entry = GetEntry(entryNo)) {
        entry->Payroll = amount;
    }
}

bool TMultiEntryVereDivoClass::HasEntrySplit(int32_t entryNo) const
{
    return !Trim(GetEntrySplitWord(entryNo)).empty();
}

std::string TMultiEntryVereDivoClass::GetEntryLabelHead(int32_t entryNo) const
{
    const std::string split = GetEntrySplitWord(entryNo);
    const std::string label = GetEntryLabel(entryNo);
    const size_t at = split.empty() ? std::string::npos : label.find(split);
    if (at == std::string::npos) {
        return {};
    }
    return Trim(label.substr(0, at));
}

std::string TMultiEntryVereDivoClass::GetEntryLabelTail(int32_t entryNo) const
{
    const std::string split = GetEntrySplitWord(entryNo);
    const std::string label = GetEntryLabel(entryNo);
    const size_t at = split.empty() ? std::string::npos : label.find(split);
    if (at == std::string::npos) {
        return {};
    }
    return Trim(split + label.substr(at + split.size()));
}

namespace {

const std::array<const char *, 4> kTerritoryLabels = {
    "Territory 1 - The Bronx, Kings, New York, Queens and Richmond",
    "Territory 2 - Duchess, Nassau, Orange, Putnam, Rockland, Suffolk and Westchester",
    "Territory 3 - All other Counties",
    "Residential Payroll",
};

} // namespace

TNewYorkConstructionClass::TNewYorkConstructionClass(uint8_t calcType)
    : TMultiEntryVereDivoClass(calcType)
{
    CreateEntries();
}

int32_t TNewYorkConstructionClass::GetEntryCount() const
{
    return static_cast<int32_t>(kTerritoryLabels.size());
}

std::string TNewYorkConstructionClass::GetEntrySplitWord(int32_t entryNo) const
{
    return entryNo == 2 ? " and " : "";
}

std::string TNewYorkConstructionClass::GetEntryLabel(int32_t entryNo) const
{
    if (entryNo < 1 || entryNo > GetEntryCount()) {
        return {};
    }
    return kTerritoryLabels[static_cast<size_t>(entryNo - 1)];
}

bool TNewYorkConstructionClass::EditPayroll()
{
    return CurrentClassLineEditor() != nullptr &&
        CurrentClassLineEditor()->EditConstructionPayroll(*this);
}

double EntryFactor(const TVereDivoMiscFactorList &factors, int32_t entryNo)
{
    for (const auto &factor : factors) {
        if (factor->Type == 1 && factor->Index == entryNo) {
            return factor->Value;
        }
    }
    return 1.0;
}

TClassLineEditor *SetClassLineEditor(TClassLineEditor *editor)
{
    TClassLineEditor *previous = g_editor;
    g_editor = editor;
    return previous;
}

TClassLineEditor *CurrentClassLineEditor()
{
    return g_editor;
}
