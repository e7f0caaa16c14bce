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

void TMAVereDivoQuote::ResetResults()
{
    TVereDivoQuote::ResetResults();
    LossManagementAdjustment = 0;
}

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

        TotalManualPremium =
            statePass ? GetTotalStatePremiumOfClasses() : GetTotalPremiumOfClasses();
        PartTwoPremium = balancedEarlier ? 0 : ListAmountOf(m_partTwo, TotalManualPremium);
        UnmodifiedPremium = TotalManualPremium + PartTwoPremium + PartTwoBalanceToMin;
        MeritAdjustment = ListAmountOf(m_merit, UnmodifiedPremium);
        ExperienceModAdjustment = FactorAdjustmentOf(m_expMod, UnmodifiedPremium, false, 1);
        ModifiedPremium = UnmodifiedPremium + ExperienceModAdjustment + MeritAdjustment;
        BalanceToMin = BalanceToMinimum(ModifiedPremium - PartTwoPremium - PartTwoBalanceToMin);

        const int32_t assessmentBasis =
            TotalManualPremium + ExperienceModAdjustment + MeritAdjustment;
        const bool balanced = BalanceToMin > 0;
        if (balanced) {
            LossConstant = MaxLossConstant();
            PartTwoPremium = 0;
            PartTwoBalanceToMin = ListAmountOf(m_partTwo, MinimumPremium);
            StandardPremium = MinimumPremium + PartTwoBalanceToMin - ExpenseConstant;
            NetPremium = StandardPremium;
            if (AnyLinePremium()) {
                Assessment = AssessmentAmount(assessmentBasis);
            }
            balancedEarlier = true;
        } else {
            StandardPremium = ModifiedPremium;
            const int32_t cutOff = Factor().LOSS_C_CUT;
            if (StandardPremium < cutOff) {
                const int32_t loss = MaxLossConstant();
                if (StandardPremium + loss > cutOff) {
                    LossConstant = cutOff - StandardPremium;
                    StandardPremium = cutOff;
                } else {
                    LossConstant = loss;
                    StandardPremium += loss;
                }
            }
            ConstructionCredit = FactorAdjustmentOf(m_constCredit, StandardPremium, true, 0);
            StandardPremium += ConstructionCredit;
            MedicalDeductible = ListAmountOf(m_medical, StandardPremium);
            ArapAdjustment =
                FactorAdjustmentOf(m_arap, StandardPremium + MedicalDeductible, false, 0);
            if (m_lossMgmt) {
                LossManagementAdjustment = FactorAdjustmentOf(m_lossMgmt, StandardPremium, true, 0);
            }
            PremiumDiscount = PremiumDiscountAmount(StandardPremium);
            NetPremium = LossManagementAdjustment + StandardPremium + ArapAdjustment +
                ExpenseConstant + MedicalDeductible + PremiumDiscount;
            Assessment = 0;
            if (AnyLinePremium()) {
                Assessment = AssessmentAmount(assessmentBasis);
            }
        }

        if (statePass) {
            stateRateAssessment = Assessment;
            Assessment = 0;
            continue;
        }
        if (twoPass) {
            Assessment = stateRateAssessment;
        }
        TerrorismCharge = TerrorismAmount(true);
        TotalPremium = NetPremium + Assessment + TerrorismCharge;
        if (balanced) {
            TotalPremium += ExpenseConstant;
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
            MakeNegative(m_lossMgmt);
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
        return IntText(LossManagementAdjustment);
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
    if (ConstructionCredit != 0) {
        lines.push_back({"Construction Credit:", FixedText(ValueOf(m_constCredit), 2)});
    }
    return lines;
}

std::vector<TSummaryLine> TMAVereDivoQuote::PremiumSummaryLines() const
{
    std::vector<TSummaryLine> lines;
    lines.push_back({"Total Manual Premium:", TotalManualPremium});
    if (m_partTwo && !DefaultSelected(m_partTwo)) {
        lines.push_back({"Premium for Inc. Part Two Limits:", PartTwoPremium});
    }
    if (PartTwoBalanceToMin > 0) {
        lines.push_back({"Part Two Balance To Minimum:", PartTwoBalanceToMin});
    }
    lines.push_back({"Unmodified Premium:", UnmodifiedPremium});
    if (m_merit && MeritAdjustment != 0) {
        lines.push_back({"Merit Rate Adjustment:", MeritAdjustment});
    }
    if (m_expMod && ValueOf(m_expMod) != 1) {
        lines.push_back({"Experience Modification:", ExperienceModAdjustment});
    }
    lines.push_back({"Total Modified Premium:", ModifiedPremium});
    if (BalanceToMin > 0) {
        lines.push_back({"Amount Required to Balance to Min:", BalanceToMin});
    }
    if (LossConstant > 0) {
        lines.push_back({"Loss Constant:", LossConstant});
    }
    if (m_constCredit && ValueOf(m_constCredit) != 0) {
        lines.push_back({"Construction Credit:", ConstructionCredit});
    }
    lines.push_back({"Total Estimated Standard Premium:", StandardPremium});
    if (m_medical && !DefaultSelected(m_medical)) {
        lines.push_back({"Medical Deductible:", MedicalDeductible});
    }
    if (m_arap && ValueOf(m_arap) != 0) {
        lines.push_back({"ARAP:", ArapAdjustment});
    }
    if (LossManagementAdjustment != 0) {
        lines.push_back({"Loss Management:", LossManagementAdjustment});
    }
    if (PremiumDiscount != 0) {
        lines.push_back({"Premium Discount:", PremiumDiscount});
    }
    lines.push_back({"Expense Constant:", ExpenseConstant});
    AddTerrorismLines(lines);
    if (Assessment != 0) {
        lines.push_back({AssessmentLabel(), Assessment});
    }
    if (Fees != 0) {
        lines.push_back({"Fees:", Fees});
    }
    lines.push_back({"Total Estimated Annual Premium:", TotalPremium});
    return lines;
}

void TMAVereDivoQuote::AddApplicationStateFields(std::vector<std::string> &list)
{
    if (m_medical && !DefaultSelected(m_medical)) {
        AddFormItem("OtherCov1", "Medical Ded", list);
        AddFormItem("Factor4", SelectedText(m_medical), list);
        AddFormItem("Premium4", IntText(MedicalDeductible), list);
    }
    int32_t n = 0;
    const auto addNumbered = [&](const std::string &value) {
        ++n;
        AddFormItem(ApplicationFormOpen() ? "AddCov" + IntText(n) : IntText(n), value, list);
    };
    if (TerrorismCharge != 0) {
        addNumbered("Terrorism Charge $" + IntText(TerrorismCharge));
    }
    if (LossManagementAdjustment != 0) {
        addNumbered("Loss Mgmt - Factor = " + Trim(TextOf(m_lossMgmt)) +
                    "  Adjustment = " + IntText(LossManagementAdjustment));
    }
    if (MeritAdjustment != 0) {
        addNumbered("Merit Factor of " + SelectedText(m_merit) + "   $" + IntText(MeritAdjustment));
    }
    if (Fees != 0) {
        addNumbered("Fees: $" + IntText(Fees));
    }
}

std::vector<std::pair<std::string, int32_t>> TMAVereDivoQuote::ResultAmounts() const
{
    auto amounts = TVereDivoQuote::ResultAmounts();
    amounts.insert(amounts.end() - 1, {"LossManagementAdjustment", LossManagementAdjustment});
    return amounts;
}
