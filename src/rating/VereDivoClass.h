#pragma once

// Classification lines: one class code on a quote with its rates, the payroll (or units) the
// agent enters and the premium that follows. The rate book creates them from its class table,
// the quote keeps them sorted by display name and the quote store saves and restores them.

#include "core/Rounding.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TCBTable;

class TVereDivoClass
{
public:
    explicit TVereDivoClass(uint8_t calcType);
    virtual ~TVereDivoClass();
    TVereDivoClass(const TVereDivoClass &) = delete;
    TVereDivoClass &operator=(const TVereDivoClass &) = delete;

    // 1 per 100 of payroll, 2 per unit (employee); any other value computes nothing.
    uint8_t CalcType;
    int32_t Premium = 0; // at the line's own (deviated) rate
    int32_t StatePremium = 0; // at the bureau rate
    int32_t Payroll = 0; // 0 means "If Any"
    int32_t Employees = 0;
    std::string Description;
    std::string Code;
    std::string SubCode;
    std::string PayrollText;
    std::string ParentCode; // user sub-classes: the class they were derived from
    std::string ParentSubCode;
    double StateRate = 0;
    double Rate = 0;
    double Deviation = 1.0; // Rate / StateRate to 3 decimals
    int32_t MinPremium = 0;
    int32_t LossConstant = 0;
    int32_t HazardGroup = 0;
    // 1: the expense constant is charged per employee; in a plan with "ConstMulti" the rate
    // book makes such a row a construction line with several entries.
    int32_t Special = 0;
    bool ConstructionCredit = false;
    bool Survey = false; // payroll is mandatory: "If Any" is not permitted

    virtual int32_t GetPayroll() const;
    virtual std::string GetPayrollText() const;
    virtual int32_t GetPremium() const;
    virtual int32_t GetStatePremium() const;
    virtual void SetPayroll(int32_t amount);
    // The payroll dialog through the installed class line editor; true when confirmed.
    virtual bool EditPayroll();
    // Reads the current row of a class table; computes no premium.
    virtual void LoadFromTable(const TCBTable &table);
    // Raises EAmountRange when the line's payroll or premium does not fit 32 bits (the stored
    // figures are clamped then); the quote checks every line before it rates, on every pass,
    // so a line far below the limits is passed at once.
    void CheckAmounts() const
    {
        const std::array<double, 2> premiums = UnroundedPremiums();
        if (m_sumsEntries || !RoundedAmountFits(premiums[0]) || !RoundedAmountFits(premiums[1])) {
            CheckAmountsInDetail();
        }
    }

    void SetEmployees(int32_t count);
    void SetDeviation(double factor);
    void CopyFrom(const TVereDivoClass &other);
    std::string DisplayName() const;
    bool HasParent() const;
    // The class-information dialog through the installed class line editor.
    bool EditClassInfo(bool editable);

protected:
    // Recomputes both premiums and the payroll text from payroll, employees and rates.
    virtual void Recalculate();
    // Premium and state premium before rounding.
    std::array<double, 2> UnroundedPremiums() const
    {
        if (CalcType == 1) {
            return {Rate * Payroll * 0.01, StateRate * Payroll * 0.01};
        }
        if (CalcType == 2) {
            return {Employees * Rate, Employees * StateRate};
        }
        return {0, 0};
    }
    virtual void CheckAmountsInDetail() const;
    // Lines whose payroll is summed from entries: CheckAmounts always looks at the sums.
    bool m_sumsEntries = false;
};

// The byte-wise, case-sensitive order of display names in which a quote keeps its lines.
int CompareClassLines(const TVereDivoClass &a, const TVereDivoClass &b);

// A line from a carrier's own class file.
class TCarrierSpecificVereDivoClass : public TVereDivoClass
{
public:
    using TVereDivoClass::TVereDivoClass;

    std::string CarrierId; // "C_carid"

    // Reads a row of a carrier's class file: its one rate column fills both rates and a
    // non-zero "C_TER1" marks the line per-employee (Special 1).
    void LoadFromCarrierTable(const TCBTable &table);
};

struct TVereDivoPayrollItem
{
    int32_t Payroll = 0;
    int32_t Premium = 0;
    int32_t EntryNo = 0; // 1-based
};

// A line whose payroll is entered in several parts (territories of a construction class).
class TMultiEntryVereDivoClass : public TCarrierSpecificVereDivoClass
{
public:
    explicit TMultiEntryVereDivoClass(uint8_t calcType);

    std::vector<TVereDivoPayrollItem> Entries; // numbered 1..EntryCount
    int32_t EntryCount = 0;
    int32_t BasePremium = 0; // premium of the total payroll

    int32_t GetPayroll() const override; // sum of the entries
    std::string GetPayrollText() const override;
    // The premium of the total payroll plus the entries' own premiums (which nothing sets,
    // so in practice the premium of the total).
    int32_t GetPremium() const override;

    virtual int32_t GetEntryCount() const = 0;
    virtual std::string GetEntrySplitWord(int32_t entryNo) const;
    virtual std::string GetEntryLabel(int32_t entryNo) const = 0;

    TVereDivoPayrollItem *GetEntry(int32_t entryNo);
    const TVereDivoPayrollItem *GetEntry(int32_t entryNo) const;
    int32_t GetEntryPayroll(int32_t entryNo) const;
    void SetEntryPayroll(int32_t entryNo, int32_t amount);
    bool HasEntrySplit(int32_t entryNo) const;
    // A label printed on two lines: the text before the split word, and the split word with
    // the rest; both empty when the label has no split.
    std::string GetEntryLabelHead(int32_t entryNo) const;
    std::string GetEntryLabelTail(int32_t entryNo) const;

protected:
    // Called by the most derived constructor, once GetEntryCount can answer.
    void CreateEntries();
    // A new total (or rate, or employee count) leaves its premium in BasePremium.
    void Recalculate() override;
    void CheckAmountsInDetail() const override;
};

class TNewYorkConstructionClass : public TMultiEntryVereDivoClass
{
public:
    explicit TNewYorkConstructionClass(uint8_t calcType);

    int32_t GetEntryCount() const override;
    std::string GetEntrySplitWord(int32_t entryNo) const override;
    std::string GetEntryLabel(int32_t entryNo) const override;
    bool EditPayroll() override;
};

// One misc factor row of a plan.
struct TVereDivoMiscFactor
{
    uint8_t Type = 0;
    int32_t Index = 0;
    double Value = 0;
};

using TVereDivoMiscFactorList = std::vector<std::unique_ptr<TVereDivoMiscFactor>>;

// The factor printed beside entry n of a multi-entry line: the value of the row with type 1
// and index n, else 1.
double EntryFactor(const TVereDivoMiscFactorList &factors, int32_t entryNo);

// The dialogs that edit a line live in the window layer; it installs an editor here. Without
// one nothing is edited and every edit reports "not confirmed".
class TClassLineEditor
{
public:
    virtual ~TClassLineEditor() = default;
    virtual bool EditPayroll(TVereDivoClass &line) = 0;
    virtual bool EditConstructionPayroll(TNewYorkConstructionClass &line) = 0;
    virtual bool EditClassInfo(TVereDivoClass &line, bool editable) = 0;
};

// Installs `editor` (not owned) and returns the one it replaces.
TClassLineEditor *SetClassLineEditor(TClassLineEditor *editor);
TClassLineEditor *CurrentClassLineEditor();
