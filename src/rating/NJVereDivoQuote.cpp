#include "rating/NJVereDivoQuote.h"

#include "core/BusyCursor.h"
#include "core/Prompter.h"
#include "core/Rounding.h"
#include "core/Text.h"

#include <algorithm>

namespace {

// The per-capita domestic workers class.
const std::string DomesticClass = "0913";

// The broker whose plans price managed care by a date tier table.
constexpr int32_t TieredManagedCareBroker = 6;

} // namespace

int32_t TNJVereDivoQuote::GetExpenseConstant()
{
    if (EveryLineHasCode(DomesticClass)) {
        return RoundAmount(Factor().Misc_Fact3);
    }
    return TVereDivoQuote::GetExpenseConstant();
}

bool TNJVereDivoQuote::CalculateState()
{
    BusyCursor busy;
    const bool domesticOnly = EveryLineHasCode(DomesticClass);
    bool repeated = false;
    for (;;) {
        ResetResults();
        ManagedCareCredit = 0;
        ManagedCareBasis = 0;
        PpapAdjustment = 0;
        Assessment = 0;

        TotalManualPremium = GetTotalPremiumOfClasses();
        if (!domesticOnly) {
            PartTwoPremium = ListAmountOf(m_partTwo, TotalManualPremium);
        } else if (ListAmountOf(m_partTwo, 1000) > 0) {
            PartTwoPremium = RoundAmount(Factor().Misc_Fact2);
        }
        UnmodifiedPremium = TotalManualPremium + PartTwoPremium;
        ExperienceModAdjustment = FactorAdjustmentOf(m_expMod, UnmodifiedPremium, false, 1);
        ModifiedPremium = UnmodifiedPremium + ExperienceModAdjustment;
        ConstructionCredit = FactorAdjustmentOf(m_constCredit, ModifiedPremium, true, 0);

        if (m_managedCareBox) {
            ManagedCareBasis = ModifiedPremium;
            ManagedCareCredit = FactorAdjustmentOf(m_managedCareBox, ManagedCareBasis, false, 1);
        } else if (m_managedCareCheck && IsChecked(*m_managedCareCheck)) {
            ManagedCareBasis = ModifiedPremium;
            ManagedCareCredit = TierAmountOf(*m_managedCareCheck, ManagedCareBasis);
        }

        BalanceToMin = BalanceToMinimum(TotalManualPremium);
        StandardPremium = ModifiedPremium + ConstructionCredit + ManagedCareCredit;

        if (BalanceToMin > 0) {
            StandardPremium =
                MinimumPremium - ExpenseConstant + PartTwoPremium + ExperienceModAdjustment;
            PpapAdjustment = FactorAdjustmentOf(m_ppap, StandardPremium, false, 1);
            NetPremium = StandardPremium + ExpenseConstant + PpapAdjustment;
            if (!repeated) {
                repeated = true;
                continue;
            }
        } else {
            PpapAdjustment = FactorAdjustmentOf(m_ppap, StandardPremium, false, 1);
            PremiumDiscount = PremiumDiscountAmount(StandardPremium);
            NetPremium = StandardPremium + PremiumDiscount + ExpenseConstant + PpapAdjustment;
        }
        break;
    }

    TerrorismCharge = TerrorismAmount(true);
    DomesticTerrorismCharge = TerrorismAmount(false);
    UninsuredEmployersFund = MiscFactorAmount(1, StandardPremium);
    Assessment = AssessmentAmount(TotalManualPremium + PartTwoPremium + ExperienceModAdjustment);
    TotalPremium = NetPremium + Assessment + UninsuredEmployersFund + TerrorismCharge +
        DomesticTerrorismCharge;
    return true;
}

void TNJVereDivoQuote::BindControls()
{
    m_partTwo = Find("lstPartTwo");
    m_premiumDiscount = Find("lstPremiumDiscount");
    m_expMod = Find("txtExpMod");
    m_constCredit = Find("txtConstCredit");
    m_terrorism = Find("txtTerrorism");
    m_terrorismDom = Find("txtTerrorismDom");

    if (PlanId == TieredManagedCareBroker) {
        if (m_premiumDiscount) {
            RemoveEntry(*m_premiumDiscount, "Table X");
        }
        m_managedCareCheck = Find("chkManagedCare");
        if (m_managedCareCheck) {
            ResolveTableValue(*m_managedCareCheck);
        }
        Remove("txtManagedCare");
        Remove("lblManagedCare");
        m_managedCareBox = nullptr;
    } else {
        m_managedCareBox = Find("txtManagedCare");
        Remove("chkManagedCare");
        m_managedCareCheck = nullptr;
    }

    m_taxId = Find("txtNJERN");
    if (m_taxId) {
        SetControlText(*m_taxId, "");
    }
    m_ppap = Find("txtPPAPFactor");
    TVereDivoQuote::BindControls();
}

void TNJVereDivoQuote::HookControlEvents()
{
    TVereDivoQuote::HookControlEvents();
    if (m_expMod) {
        OnExit(*m_expMod, [this] {
            CheckExperienceModLimits();
            RefreshDependentInputs();
            Recalculate();
        });
    }
    if (m_ppap) {
        OnExit(*m_ppap, [this] { CheckPpapFactor(); });
    }
    if (m_managedCareBox) {
        OnExit(*m_managedCareBox, [this] { CheckManagedCareFactor(); });
    }
    if (m_managedCareCheck) {
        OnChange(*m_managedCareCheck, [this] { Recalculate(); });
    }
}

void TNJVereDivoQuote::AdjustConstructionCreditEnabled(bool &enabled)
{
    const bool construction =
        std::any_of(Classes.begin(), Classes.end(),
                    [](const TVereDivoClass *line) { return line->ConstructionCredit; });
    enabled = construction && m_expMod && ValueOf(m_expMod) != 1;
}

void TNJVereDivoQuote::CheckPpapFactor()
{
    if (m_ppap) {
        const double factor = ValueOf(m_ppap);
        if (factor < 1.00 || factor > 1.30) {
            SetControlText(*m_ppap, "1.00");
            ShowInformation("The PPAP must be between 1.00 and 1.30.  It has been reset to 1.00 "
                            "(no adjustment)");
        }
    }
    Recalculate();
}

void TNJVereDivoQuote::CheckManagedCareFactor()
{
    if (m_managedCareBox && ValueOf(m_managedCareBox) > 1.00) {
        ShowInformation("Value cannot be greater than 1.00");
        SetControlText(*m_managedCareBox, "1");
    }
    Recalculate();
}

std::string TNJVereDivoQuote::GetExportValue(int32_t index) const
{
    switch (index) {
    case 40:
        return HasManagedCare() ? IntText(ManagedCareCredit) : "0";
    case 41:
        return IntText(UninsuredEmployersFund);
    case 150:
        return IntText(PpapAdjustment);
    default:
        return TVereDivoQuote::GetExportValue(index);
    }
}

std::string TNJVereDivoQuote::ManagedCareFactorText() const
{
    if (m_managedCareBox) {
        return Trim(TextOf(m_managedCareBox));
    }
    if (m_managedCareCheck) {
        return FixedText(TierValueOf(*m_managedCareCheck, ManagedCareBasis), 4);
    }
    return {};
}

std::vector<TFactorLine> TNJVereDivoQuote::StateFactorLines() const
{
    std::vector<TFactorLine> lines;
    lines.push_back({"Part Two Limits:", SelectedText(m_partTwo)});
    lines.push_back({"Experience Mod:", Trim(TextOf(m_expMod))});
    if (ConstructionCredit != 0) {
        lines.push_back({"Construction Credit:", Trim(TextOf(m_constCredit))});
    }
    if (ManagedCareCredit != 0) {
        lines.push_back({"Managed Care Credit:", ManagedCareFactorText()});
    }
    if (PpapAdjustment != 1) {
        lines.push_back({"PPAP Factor:", Trim(TextOf(m_ppap))});
    }
    if (m_terrorism) {
        lines.push_back({"Foreign Terrorism:", Trim(TextOf(m_terrorism))});
    }
    if (m_terrorismDom) {
        lines.push_back({"Domestic Terrorism:", Trim(TextOf(m_terrorismDom))});
    }
    lines.push_back({"NJ Tax ID #:", Trim(TextOf(m_taxId))});
    return lines;
}

std::vector<TSummaryLine> TNJVereDivoQuote::PremiumSummaryLines() const
{
    std::vector<TSummaryLine> lines;
    lines.push_back({"Total Manual Premium:", TotalManualPremium});
    if (m_partTwo && !DefaultSelected(m_partTwo)) {
        lines.push_back({"Premium for Inc. Part Two Limits:", PartTwoPremium});
    }
    lines.push_back({"Unmodified Premium:", UnmodifiedPremium});
    if (m_expMod && ValueOf(m_expMod) != 1) {
        lines.push_back({"Experience Modification:", ExperienceModAdjustment});
    }
    lines.push_back({"Total Modified Premium:", ModifiedPremium});
    if (m_constCredit && ValueOf(m_constCredit) != 0) {
        lines.push_back({"Construction Credit:", ConstructionCredit});
    }
    if (ManagedCareCredit != 0) {
        lines.push_back({"Managed Care Credit:", ManagedCareCredit});
    }
    if (BalanceToMin > 0) {
        lines.push_back({"Amount Required to Balance to Min:", BalanceToMin});
    }
    lines.push_back({"Total Estimated Standard Premium:", StandardPremium});
    // The PPAP line tests against 1, so an adjustment of 0 still prints.
    if (PpapAdjustment != 1) {
        lines.push_back({"PPAP Adjustment:", PpapAdjustment});
    }
    if (PremiumDiscount != 0) {
        lines.push_back({"Premium Discount:", PremiumDiscount});
    }
    lines.push_back({"Expense Constant:", ExpenseConstant});
    AddTerrorismLines(lines);
    lines.push_back({"Uninsured Employers Fund:", UninsuredEmployersFund});
    if (Assessment != 0) {
        lines.push_back({AssessmentLabel(), Assessment});
    }
    lines.push_back({"Total Estimated Annual Premium:", TotalPremium});
    return lines;
}

void TNJVereDivoQuote::AddApplicationStateFields(std::vector<std::string> &list)
{
    if (ManagedCareCredit != 0) {
        AddFormItem("OtherCov1", "Managed Care", list);
        AddFormItem("Factor4", ManagedCareFactorText(), list);
        AddFormItem("Premium4", IntText(ManagedCareCredit), list);
    }
    if (PpapAdjustment != 1) {
        AddFormItem("OtherCov2", "PPAP Adjustment", list);
        AddFormItem("Factor9", Trim(TextOf(m_ppap)), list);
        AddFormItem("Premium9", IntText(PpapAdjustment), list);
    }
    AddFormItem("AddCov1", "Uninsured Empl Fund:  " + MoneyText(UninsuredEmployersFund), list);
    AddFormItem("AddCov2", "Terrorism Charge:  " + MoneyText(TerrorismCharge), list);
    AddFormItem("AddCov3", "Dom. Terrorism Charge:  " + MoneyText(DomesticTerrorismCharge), list);
    AddFormItem("G26", "NJ Tax ID #: " + Trim(TextOf(m_taxId)), list);
}

void TNJVereDivoQuote::AddPoolStateFields(std::vector<std::string> &list)
{
    AddFormItem("NJTaxID", Trim(TextOf(m_taxId)), list);
    AddFormItem("Premium11", IntText(UninsuredEmployersFund), list);
    if (ConstructionCredit != 0) {
        AddFormItem("ExtraD1", "Construction", list);
        AddFormItem("ExtraF1", Trim(TextOf(m_constCredit)), list);
        AddFormItem("ExtraP1", IntText(ConstructionCredit), list);
    }
    if (ManagedCareCredit != 0) {
        AddFormItem("ExtraD2", "Managed Care", list);
        AddFormItem("ExtraF2", ManagedCareFactorText(), list);
        AddFormItem("ExtraP2", IntText(ManagedCareCredit), list);
    }
    if (PpapAdjustment != 1) {
        AddFormItem("Factor5", Trim(TextOf(m_ppap)), list);
        AddFormItem("Premium6", IntText(PpapAdjustment), list);
    }
    if (PremiumDiscount != 0) {
        AddFormItem("ExtraD3", "Premium Discount", list);
        AddFormItem("ExtraP3", IntText(PremiumDiscount), list);
    }
}

std::vector<std::pair<std::string, int32_t>> TNJVereDivoQuote::ResultAmounts() const
{
    auto amounts = TVereDivoQuote::ResultAmounts();
    const auto total = amounts.end() - 1;
    amounts.insert(total,
                   {{"ManagedCareCredit", ManagedCareCredit},
                    {"ManagedCareBasis", ManagedCareBasis},
                    {"UninsuredEmployersFund", UninsuredEmployersFund},
                    {"PpapAdjustment", PpapAdjustment}});
    return amounts;
}
