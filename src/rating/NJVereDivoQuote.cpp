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

        Results.TotalManualPremium = GetTotalPremiumOfClasses();
        if (!domesticOnly) {
            Results.PartTwoPremium = ListAmountOf(m_partTwo, Results.TotalManualPremium);
        } else if (ListAmountOf(m_partTwo, 1000) > 0) {
            Results.PartTwoPremium = RoundAmount(Factor().Misc_Fact2);
        }
        Results.UnmodifiedPremium = Results.TotalManualPremium + Results.PartTwoPremium;
        Results.ExperienceModAdjustment =
            FactorAdjustmentOf(m_expMod, Results.UnmodifiedPremium, false, 1);
        Results.ModifiedPremium = Results.UnmodifiedPremium + Results.ExperienceModAdjustment;
        Results.ConstructionCredit =
            FactorAdjustmentOf(m_constCredit, Results.ModifiedPremium, true, 0);

        if (m_managedCareBox) {
            Results.ManagedCareBasis = Results.ModifiedPremium;
            Results.ManagedCareCredit =
                FactorAdjustmentOf(m_managedCareBox, Results.ManagedCareBasis, false, 1);
        } else if (m_managedCareCheck && IsChecked(*m_managedCareCheck)) {
            Results.ManagedCareBasis = Results.ModifiedPremium;
            Results.ManagedCareCredit = TierAmountOf(*m_managedCareCheck, Results.ManagedCareBasis);
        }

        Results.BalanceToMin = BalanceToMinimum(Results.TotalManualPremium);
        Results.StandardPremium =
            Results.ModifiedPremium + Results.ConstructionCredit + Results.ManagedCareCredit;

        if (Results.BalanceToMin > 0) {
            Results.StandardPremium = Results.MinimumPremium - Results.ExpenseConstant +
                Results.PartTwoPremium + Results.ExperienceModAdjustment;
            Results.PpapAdjustment = FactorAdjustmentOf(m_ppap, Results.StandardPremium, false, 1);
            Results.NetPremium =
                Results.StandardPremium + Results.ExpenseConstant + Results.PpapAdjustment;
            if (!repeated) {
                repeated = true;
                continue;
            }
        } else {
            Results.PpapAdjustment = FactorAdjustmentOf(m_ppap, Results.StandardPremium, false, 1);
            Results.PremiumDiscount = PremiumDiscountAmount(Results.StandardPremium);
            Results.NetPremium = Results.StandardPremium + Results.PremiumDiscount +
                Results.ExpenseConstant + Results.PpapAdjustment;
        }
        break;
    }

    Results.TerrorismCharge = TerrorismAmount(true);
    Results.DomesticTerrorismCharge = TerrorismAmount(false);
    Results.UninsuredEmployersFund = MiscFactorAmount(1, Results.StandardPremium);
    Results.Assessment = AssessmentAmount(Results.TotalManualPremium + Results.PartTwoPremium +
                                          Results.ExperienceModAdjustment);
    Results.TotalPremium = Results.NetPremium + Results.Assessment +
        Results.UninsuredEmployersFund + Results.TerrorismCharge + Results.DomesticTerrorismCharge;
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
        std::any_of(Classes().begin(), Classes().end(),
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
        return HasManagedCare() ? IntText(Results.ManagedCareCredit) : "0";
    case 41:
        return IntText(Results.UninsuredEmployersFund);
    case 150:
        return IntText(Results.PpapAdjustment);
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
        return FixedText(TierValueOf(*m_managedCareCheck, Results.ManagedCareBasis), 4);
    }
    return {};
}

std::vector<TFactorLine> TNJVereDivoQuote::StateFactorLines() const
{
    std::vector<TFactorLine> lines;
    lines.push_back({"Part Two Limits:", SelectedText(m_partTwo)});
    lines.push_back({"Experience Mod:", Trim(TextOf(m_expMod))});
    if (Results.ConstructionCredit != 0) {
        lines.push_back({"Construction Credit:", Trim(TextOf(m_constCredit))});
    }
    if (Results.ManagedCareCredit != 0) {
        lines.push_back({"Managed Care Credit:", ManagedCareFactorText()});
    }
    if (Results.PpapAdjustment != 1) {
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
    lines.push_back({"Total Manual Premium:", Results.TotalManualPremium});
    if (m_partTwo && !DefaultSelected(m_partTwo)) {
        lines.push_back({"Premium for Inc. Part Two Limits:", Results.PartTwoPremium});
    }
    lines.push_back({"Unmodified Premium:", Results.UnmodifiedPremium});
    if (m_expMod && ValueOf(m_expMod) != 1) {
        lines.push_back({"Experience Modification:", Results.ExperienceModAdjustment});
    }
    lines.push_back({"Total Modified Premium:", Results.ModifiedPremium});
    if (m_constCredit && ValueOf(m_constCredit) != 0) {
        lines.push_back({"Construction Credit:", Results.ConstructionCredit});
    }
    if (Results.ManagedCareCredit != 0) {
        lines.push_back({"Managed Care Credit:", Results.ManagedCareCredit});
    }
    if (Results.BalanceToMin > 0) {
        lines.push_back({"Amount Required to Balance to Min:", Results.BalanceToMin});
    }
    lines.push_back({"Total Estimated Standard Premium:", Results.StandardPremium});
    // The PPAP line tests against 1, so an adjustment of 0 still prints.
    if (Results.PpapAdjustment != 1) {
        lines.push_back({"PPAP Adjustment:", Results.PpapAdjustment});
    }
    if (Results.PremiumDiscount != 0) {
        lines.push_back({"Premium Discount:", Results.PremiumDiscount});
    }
    lines.push_back({"Expense Constant:", Results.ExpenseConstant});
    AddTerrorismLines(lines);
    lines.push_back({"Uninsured Employers Fund:", Results.UninsuredEmployersFund});
    if (Results.Assessment != 0) {
        lines.push_back({AssessmentLabel(), Results.Assessment});
    }
    lines.push_back({"Total Estimated Annual Premium:", Results.TotalPremium});
    return lines;
}

void TNJVereDivoQuote::AddApplicationStateFields(std::vector<std::string> &list)
{
    if (Results.ManagedCareCredit != 0) {
        AddFormItem("OtherCov1", "Managed Care", list);
        AddFormItem("Factor4", ManagedCareFactorText(), list);
        AddFormItem("Premium4", IntText(Results.ManagedCareCredit), list);
    }
    if (Results.PpapAdjustment != 1) {
        AddFormItem("OtherCov2", "PPAP Adjustment", list);
        AddFormItem("Factor9", Trim(TextOf(m_ppap)), list);
        AddFormItem("Premium9", IntText(Results.PpapAdjustment), list);
    }
    AddFormItem("AddCov1", "Uninsured Empl Fund:  " + MoneyText(Results.UninsuredEmployersFund),
                list);
    AddFormItem("AddCov2", "Terrorism Charge:  " + MoneyText(Results.TerrorismCharge), list);
    AddFormItem("AddCov3", "Dom. Terrorism Charge:  " + MoneyText(Results.DomesticTerrorismCharge),
                list);
    AddFormItem("G26", "NJ Tax ID #: " + Trim(TextOf(m_taxId)), list);
}

void TNJVereDivoQuote::AddPoolStateFields(std::vector<std::string> &list)
{
    AddFormItem("NJTaxID", Trim(TextOf(m_taxId)), list);
    AddFormItem("Premium11", IntText(Results.UninsuredEmployersFund), list);
    if (Results.ConstructionCredit != 0) {
        AddFormItem("ExtraD1", "Construction", list);
        AddFormItem("ExtraF1", Trim(TextOf(m_constCredit)), list);
        AddFormItem("ExtraP1", IntText(Results.ConstructionCredit), list);
    }
    if (Results.ManagedCareCredit != 0) {
        AddFormItem("ExtraD2", "Managed Care", list);
        AddFormItem("ExtraF2", ManagedCareFactorText(), list);
        AddFormItem("ExtraP2", IntText(Results.ManagedCareCredit), list);
    }
    if (Results.PpapAdjustment != 1) {
        AddFormItem("Factor5", Trim(TextOf(m_ppap)), list);
        AddFormItem("Premium6", IntText(Results.PpapAdjustment), list);
    }
    if (Results.PremiumDiscount != 0) {
        AddFormItem("ExtraD3", "Premium Discount", list);
        AddFormItem("ExtraP3", IntText(Results.PremiumDiscount), list);
    }
}
