#include "rating/PlanProfile.h"

#include "core/Errors.h"
#include "core/Prompter.h"
#include "core/Text.h"
#include "db/CBDatabase.h"
#include "db/TableValues.h"

#include <algorithm>
#include <cmath>

namespace {

TDateTime PlanDate(const TCBTable &table, const std::string &field)
{
    const std::string text = table.GetDateString(field);
    TDateTime date = 0;
    if (!TryStrToDate(text, date)) {
        throw EConvertError("The plan of broker " + TrimmedString(table, "Broker_ID") + ", state " +
                            TrimmedString(table, "State_ID") + " in " + table.TableName() +
                            " has no valid date in \"" + field + "\"");
    }
    return date;
}

std::string Upper(const TCBTable &table, const std::string &field)
{
    return UpperCase(TrimmedString(table, field));
}

} // namespace

void TVereDivoPlanProfile::LoadFromTable(const TCBTable &table)
{
    Broker_ID = TextInteger(table, "Broker_ID");
    State_ID = TextInteger(table, "State_ID");
    State_Name = TrimmedString(table, "State_Name");
    Active = table.GetBoolean("Active");
    Rate_Chang = PlanDate(table, "Rate_Chang");
    Min_Date = PlanDate(table, "Min_Date");
    Max_Date = PlanDate(table, "Max_Date");
    Effect_1 = PlanDate(table, "Effect_1");
    Exp_1 = PlanDate(table, "Exp_1");
    Effect_2 = PlanDate(table, "Effect_2");
    Exp_2 = PlanDate(table, "Exp_2");
    Down = table.GetDouble("Down");
    Min_Down = table.GetLong("Min_Down");
    MinPremTyp = table.GetInteger("MinPremTyp");
    Can_Save = table.GetBoolean("Can_Save");
    Can_Export = table.GetBoolean("Can_Export");
    ACORD_Name = TrimmedString(table, "ACORD_Name");
    QOR_Acord = TrimmedString(table, "QOR_Acord");
    STATE_TEXT = TrimmedString(table, "STATE_TEXT");
    ACORD_IDNT = TrimmedString(table, "ACORD_IDNT");
    Acord_Type = table.GetInteger("Acord_Type");
    ASSESS_NAM = TrimmedString(table, "ASSESS_NAM");
    if (ASSESS_NAM.empty()) {
        ASSESS_NAM = "Assessment";
    }
    PLAN_KEYS = table.GetBoolean("PLAN_KEYS");
    ONLY_WKSHT = table.GetBoolean("ONLY_WKSHT");
    HAS_FINANC = table.GetBoolean("HAS_FINANC");
    Waiver_nam = TrimmedString(table, "Waiver_nam");
    MAX_CONST = table.GetLong("MAX_CONST");
    MAX_TOTAL = table.GetLong("MAX_TOTAL");
    WKSHT_DOWN = table.GetBoolean("WKSHT_DOWN");
    FinanceID = table.GetInteger("FinanceID");
    PrmDiscTyp = table.GetInteger("PrmDiscTyp");
    Min_Ex_Mod = table.GetDouble("Min_Ex_Mod");
    Max_Ex_Mod = table.GetDouble("Max_Ex_Mod");
    CalcBySeq = table.GetBoolean("CalcBySeq");
    HasFees = table.GetBoolean("HasFees");
    CARR_ID = table.GetString("CARR_ID");
    PAYOPTFILE = table.GetString("PAYOPTFILE");
    ConstMulti = table.GetBoolean("ConstMulti");
    Deviated = table.GetBoolean("Deviated");
    User_Dev = table.GetBoolean("User_Dev");
    UserDownPy = table.GetBoolean("UserDownPy");
    RdOnlyACRD = table.GetBoolean("RdOnlyACRD");
    Pool_App = table.GetInteger("Pool_App");
    Pool_Name = TrimmedString(table, "Pool_Name");
    Web_Update = TrimmedString(table, "Web_Update");
    Cleric_Cod = Upper(table, "Cleric_Cod");
    Cleric_Sub = Upper(table, "Cleric_Sub");
    Sales_Cod = Upper(table, "Sales_Cod");
    Sales_Sub = Upper(table, "Sales_Sub");
    Driver_Cod = Upper(table, "Driver_Cod");
    Driver_Sub = Upper(table, "Driver_Sub");
}

bool TVereDivoPlanProfile::CoversClassDate(TDateTime date) const
{
    const TDateTime day = std::floor(date);
    return Min_Date <= day && day <= Max_Date && Effect_1 <= day && day <= Exp_2;
}

TDateTime TVereDivoPlanProfile::FirstRatingDate() const
{
    return std::ceil(std::max(Min_Date, Effect_1));
}

TDateTime TVereDivoPlanProfile::LastRatingDate() const
{
    return std::floor(std::min(Max_Date, Exp_2));
}

bool TVereDivoPlanProfile::HasValidClassFile(TDateTime date) const
{
    if (CoversClassDate(date)) {
        return true;
    }
    ShowInformation("This Date has no valid classifications available");
    return false;
}

int32_t TVereDivoPlanProfile::ClassFileFor(TDateTime date) const
{
    if (!HasValidClassFile(date)) {
        return 0;
    }
    return std::floor(date) >= Effect_2 ? 2 : 1;
}

int32_t TVereDivoPlanProfile::RatePeriodFor(TDateTime date) const
{
    return std::floor(date) < Rate_Chang ? 1 : 2;
}

TPlanPair PlanPairFor(const TPlanKeyList &keys, int32_t kind, TPlanPair own)
{
    for (const auto &key : keys) {
        if (key->Key == kind) {
            return TPlanPair {key->Sub_Broker, key->Sub_State};
        }
    }
    return own;
}

THazardCodeList::THazardCodeList()
    : m_list([](const int32_t *a, const int32_t *b) { return *a < *b ? -1 : (*a > *b ? 1 : 0); })
{ }

void THazardCodeList::Add(int32_t code)
{
    m_codes.push_back(code);
    try {
        m_list.Add(&m_codes.back());
    } catch (...) {
        m_codes.pop_back();
        throw;
    }
}

bool THazardCodeList::Contains(int32_t code) const
{
    int32_t position = 0;
    return m_list.Find(&code, position);
}

std::vector<int32_t> THazardCodeList::Codes() const
{
    std::vector<int32_t> codes;
    for (const int32_t *code : m_list) {
        codes.push_back(*code);
    }
    return codes;
}

void TVereDivoFactors::LoadFromTable(const TCBTable &table)
{
    CNST_ALLOW = table.GetBoolean("CNST_ALLOW");
    PRM_DSC_PR = table.GetDouble("PRM_DSC_PR");
    PRM_DSC_MN = table.GetLong("PRM_DSC_MN");
    ASSESSMENT = table.GetDouble("ASSESSMENT");
    ASS_PERCNT = table.GetBoolean("ASS_PERCNT");
    EXP_CNT_HI = table.GetInteger("EXP_CNT_HI");
    EXP_CNT_MD = table.GetInteger("EXP_CNT_MD");
    EXP_CNT_LO = table.GetInteger("EXP_CNT_LO");
    EXP_RATE_C = table.GetInteger("EXP_RATE_C");
    EXPLCUTOFF = table.GetInteger("EXPLCUTOFF");
    EXPMCUTOFF = table.GetInteger("EXPMCUTOFF");
    LOSS_C_CUT = table.GetInteger("LOSS_C_CUT");
    USE_HAZ_CD = table.GetBoolean("USE_HAZ_CD");
    Misc_Fact1 = table.GetDouble("Misc_Fact1");
    Misc_Fact2 = table.GetDouble("Misc_Fact2");
    Misc_Fact3 = table.GetDouble("Misc_Fact3");
    EXP_PER_EM = table.GetInteger("EXP_PER_EM");
    EPM_MAX = table.GetInteger("EPM_MAX");
    Terror = table.GetDouble("Terror");
    Terror_Dom = table.GetDouble("Terror_Dom");
    if (USE_HAZ_CD) {
        HAZ_CD_TYP = table.GetInteger("HAZ_CD_TYP");
    }
}
