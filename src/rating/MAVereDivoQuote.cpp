#include "rating/MAVereDivoQuote.h"

#include "core/BusyCursor.h"
#include "core/Text.h"

namespace {

// A list text that reads as a number other than 0 ("500", "-5").
bool IsNonZeroNumber(const std::string &text)
{
    double value = 0;
    return TryStrToFloat(text, value) && value != 0;
}

} // namespace

bool TMAVereDivoQuote::CalculateState()
{
    BusyCursor busy;
    // A deviated plan runs twice: the first pass at state rates gives the assessment, the
    // second at the plan's own rates gives every other amount.
    const bool twoPass = PlanProfile->Deviated;
    bool balancedEarlier = false;
    int32_t stateRateAssessment = 0;

    for (int pass = 1;; ++pass) {
        const bool statePass = twoPass && pass == 1;
        ResetResults();

        Results.TotalManualPremium =
            statePass ? GetTotalStatePremiumOfClasses() : GetTotalPremiumOfClasses();
        Results.PartTwoPremium =
            balancedEarlier ? 0 : ListAmountOf(m_partTwo, Results.TotalManualPremium);
        Results.UnmodifiedPremium =
            Results.TotalManualPremium + Results.PartTwoPremium + Results.PartTwoBalanceToMin;
        Results.MeritAdjustment = ListAmountOf(m_merit, Results.UnmodifiedPremium);
        Results.ExperienceModAdjustment =
            FactorAdjustmentOf(m_expMod, Results.UnmodifiedPremium, false, 1);
        Results.ModifiedPremium =
            Results.UnmodifiedPremium + Results.ExperienceModAdjustment + Results.MeritAdjustment;
        Results.BalanceToMin = BalanceToMinimum(Results.ModifiedPremium - Results.PartTwoPremium -
                                                Results.PartTwoBalanceToMin);

        const int32_t assessmentBasis =
            Results.TotalManualPremium + Results.ExperienceModAdjustment + Results.MeritAdjustment;
        const bool balanced = Results.BalanceToMin > 0;
        if (balanced) {
            Results.LossConstant = MaxLossConstant();
            Results.PartTwoPremium = 0;
            Results.PartTwoBalanceToMin = ListAmountOf(m_partTwo, Results.MinimumPremium);
            Results.StandardPremium =
                Results.MinimumPremium + Results.PartTwoBalanceToMin - Results.ExpenseConstant;
            Results.NetPremium = Results.StandardPremium;
            if (AnyLinePremium()) {
                Results.Assessment = AssessmentAmount(assessmentBasis);
            }
            balancedEarlier = true;
        } else {
            Results.StandardPremium = Results.ModifiedPremium;
            const int32_t cutOff = Factor().LOSS_C_CUT;
            if (Results.StandardPremium < cutOff) {
                const int32_t loss = MaxLossConstant();
                if (Results.StandardPremium + loss > cutOff) {
                    Results.LossConstant = cutOff - Results.StandardPremium;
                    Results.StandardPremium = cutOff;
                } else {
                    Results.LossConstant = loss;
                    Results.StandardPremium += loss;
                }
            }
            Results.ConstructionCredit =
                FactorAdjustmentOf(m_constCredit, Results.StandardPremium, true, 0);
            Results.StandardPremium += Results.ConstructionCredit;
            Results.MedicalDeductible = ListAmountOf(m_medical, Results.StandardPremium);
            Results.ArapAdjustment = FactorAdjustmentOf(
                m_arap, Results.StandardPremium + Results.MedicalDeductible, false, 0);
            if (m_lossMgmt) {
                Results.LossManagementAdjustment =
                    FactorAdjustmentOf(m_lossMgmt, Results.StandardPremium, true, 0);
            }
            Results.PremiumDiscount = PremiumDiscountAmount(Results.StandardPremium);
            Results.NetPremium = Results.LossManagementAdjustment + Results.StandardPremium +
                Results.ArapAdjustment + Results.ExpenseConstant + Results.MedicalDeductible +
                Results.PremiumDiscount;
            Results.Assessment = 0;
            if (AnyLinePremium()) {
                Results.Assessment = AssessmentAmount(assessmentBasis);
            }
        }

        if (statePass) {
            stateRateAssessment = Results.Assessment;
            Results.Assessment = 0;
            continue;
        }
        if (twoPass) {
            Results.Assessment = stateRateAssessment;
        }
        Results.TerrorismCharge = TerrorismAmount(true);
        Results.TotalPremium = Results.NetPremium + Results.Assessment + Results.TerrorismCharge;
        if (balanced) {
            Results.TotalPremium += Results.ExpenseConstant;
        }
        return true;
    }
}

void TMAVereDivoQuote::BindControls()
{
    m_partTwo = Find("lstPartTwo");
    m_premiumDiscount = Find("lstPremiumDiscount");
    m_expMod = Find("txtExpMod");
    m_constCredit = Find("txtConstCredit");
    m_benefits = Find("lstBenefits");
    m_medical = Find("lstMedical");
    m_merit = Find("lstMerit");
    m_arap = Find("txtARAP");
    m_lossMgmt = Find("txtLossMgmt");
    TVereDivoQuote::BindControls();
}

void TMAVereDivoQuote::HookControlEvents()
{
    TVereDivoQuote::HookControlEvents();
    const auto recalculate = [this] { Recalculate(); };
    for (TRatingControl *list : {m_benefits, m_medical}) {
        if (list) {
            OnChange(*list, recalculate);
        }
    }
    if (m_merit) {
        OnChange(*m_merit, [this] {
            ApplyMeritRuleForMerit();
            Recalculate();
        });
    }
    if (m_expMod) {
        OnExit(*m_expMod, [this] {
            ApplyMeritRuleForMod();
            ValidateExperienceMod();
        });
    }
    if (m_lossMgmt) {
        OnExit(*m_lossMgmt, [this] {
            MakeCredit(m_lossMgmt, "Loss Management");
            Recalculate();
        });
    }
    if (m_arap) {
        OnExit(*m_arap, recalculate);
    }
}

void TMAVereDivoQuote::ApplyMeritRuleForMod()
{
    if (m_expMod && m_merit && ValueOf(m_expMod) != 1) {
        SelectEntryText(*m_merit, "0");
    }
}

void TMAVereDivoQuote::ApplyMeritRuleForMerit()
{
    if (!m_merit || !m_expMod) {
        return;
    }
    int32_t merit = 0;
    if (TryStrToInt(SelectedText(m_merit), merit) && merit != 0) {
        SetControlText(*m_expMod, "1.00");
    }
}

std::string TMAVereDivoQuote::GetExportValue(int32_t index) const
{
    if (index == 40) {
        return IntText(Results.LossManagementAdjustment);
    }
    return TVereDivoQuote::GetExportValue(index);
}

std::vector<TFactorLine> TMAVereDivoQuote::StateFactorLines() const
{
    std::vector<TFactorLine> lines;
    lines.push_back({"Employer's Liability Limits:", SelectedText(m_partTwo)});
    lines.push_back({"Experience Mod:", Trim(TextOf(m_expMod))});
    if (m_benefits && IsNonZeroNumber(SelectedText(m_benefits))) {
        lines.push_back({"Benefits Ded:", SelectedText(m_benefits)});
    }
    if (m_medical && IsNonZeroNumber(SelectedText(m_medical))) {
        lines.push_back({"Medical Ded:", SelectedText(m_medical)});
    }
    if (m_merit && IsNonZeroNumber(SelectedText(m_merit))) {
        lines.push_back({"Merit Factor:", SelectedText(m_merit)});
    }
    if (m_arap && ValueOf(m_arap) != 0) {
        lines.push_back({"ARAP:", Trim(TextOf(m_arap))});
    }
    if (Results.ConstructionCredit != 0) {
        lines.push_back({"Construction Credit:", FixedText(ValueOf(m_constCredit), 2)});
    }
    return lines;
}

std::vector<TSummaryLine> TMAVereDivoQuote::PremiumSummaryLines() const
{
    std::vector<TSummaryLine> lines;
    lines.push_back({"Total Manual Premium:", Results.TotalManualPremium});
    if (m_partTwo && !DefaultSelected(m_partTwo)) {
        lines.push_back({"Premium for Inc. Part Two Limits:", Results.PartTwoPremium});
    }
    if (Results.PartTwoBalanceToMin > 0) {
        lines.push_back({"Part Two Balance To Minimum:", Results.PartTwoBalanceToMin});
    }
    lines.push_back({"Unmodified Premium:", Results.UnmodifiedPremium});
    if (m_merit && Results.MeritAdjustment != 0) {
        lines.push_back({"Merit Rate Adjustment:", Results.MeritAdjustment});
    }
    if (m_expMod && ValueOf(m_expMod) != 1) {
        lines.push_back({"Experience Modification:", Results.ExperienceModAdjustment});
    }
    lines.push_back({"Total Modified Premium:", Results.ModifiedPremium});
    if (Results.BalanceToMin > 0) {
        lines.push_back({"Amount Required to Balance to Min:", Results.BalanceToMin});
    }
    if (Results.LossConstant > 0) {
        lines.push_back({"Loss Constant:", Results.LossConstant});
    }
    if (m_constCredit && ValueOf(m_constCredit) != 0) {
        lines.push_back({"Construction Credit:", Results.ConstructionCredit});
    }
    lines.push_back({"Total Estimated Standard Premium:", Results.StandardPremium});
    if (m_medical && !DefaultSelected(m_medical)) {
        lines.push_back({"Medical Deductible:", Results.MedicalDeductible});
    }
    if (m_arap && ValueOf(m_arap) != 0) {
        lines.push_back({"ARAP:", Results.ArapAdjustment});
    }
    if (Results.LossManagementAdjustment != 0) {
        lines.push_back({"Loss Management:", Results.LossManagementAdjustment});
    }
    if (Results.PremiumDiscount != 0) {
        lines.push_back({"Premium Discount:", Results.PremiumDiscount});
    }
    lines.push_back({"Expense Constant:", Results.ExpenseConstant});
    AddTerrorismLines(lines);
    if (Results.Assessment != 0) {
        lines.push_back({AssessmentLabel(), Results.Assessment});
    }
    if (Results.Fees != 0) {
        lines.push_back({"Fees:", Results.Fees});
    }
    lines.push_back({"Total Estimated Annual Premium:", Results.TotalPremium});
    return lines;
}

void TMAVereDivoQuote::AddApplicationStateFields(std::vector<std::string> &list)
{
    if (m_medical && !DefaultSelected(m_medical)) {
        AddFormItem("OtherCov1", "Medical Ded", list);
        AddFormItem("Factor4", SelectedText(m_medical), list);
        AddFormItem("Premium4", IntText(Results.MedicalDeductible), list);
    }
    int32_t n = 0;
    const auto addNumbered = [&](const std::string &value) {
        ++n;
        AddFormItem(ApplicationFormOpen() ? "AddCov" + IntText(n) : IntText(n), value, list);
    };
    if (Results.TerrorismCharge != 0) {
        addNumbered("Terrorism Charge $" + IntText(Results.TerrorismCharge));
    }
    if (Results.LossManagementAdjustment != 0) {
        addNumbered("Loss Mgmt - Factor = " + Trim(TextOf(m_lossMgmt)) +
                    "  Adjustment = " + IntText(Results.LossManagementAdjustment));
    }
    if (Results.MeritAdjustment != 0) {
        addNumbered("Merit Factor of " + SelectedText(m_merit) + "   $" +
                    IntText(Results.MeritAdjustment));
    }
    if (Results.Fees != 0) {
        addNumbered("Fees: $" + IntText(Results.Fees));
    }
}
