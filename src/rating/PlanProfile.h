#pragma once

// What a rating plan says about itself: the plan profile (one row of the plan table), the plan
// keys that redirect lookups to another plan's rows, the rating factors of a rate period and
// the worksheet titles.

#include "core/Dates.h"
#include "db/SortedList.h"

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

class TCBTable;

// A rating plan is named by its broker (issuer) and its state.
struct TPlanPair
{
    int32_t Broker_ID = 0;
    int32_t State_ID = 0;

    bool operator==(const TPlanPair &) const = default;
};

class TVereDivoPlanProfile
{
public:
    int32_t Broker_ID = 0;
    int32_t State_ID = 0;
    std::string State_Name;
    bool Active = false;

    TDateTime Rate_Chang = 0; // rate period 1 before it, 2 from it
    TDateTime Min_Date = 0; // first and last effective date the plan can rate
    TDateTime Max_Date = 0;
    TDateTime Effect_1 = 0; // class file 1
    TDateTime Exp_1 = 0;
    TDateTime Effect_2 = 0; // class file 2
    TDateTime Exp_2 = 0;
    double Down = 0; // down payment percentage
    int32_t Min_Down = 0; // below this total premium full payment is required
    int32_t MinPremTyp = 0; // minimum premium rule: 1, 3 or other
    bool Can_Save = false;
    bool Can_Export = false;
    std::string ACORD_Name;
    std::string QOR_Acord;
    std::string STATE_TEXT;
    std::string ACORD_IDNT;
    int32_t Acord_Type = 0;
    std::string ASSESS_NAM; // "Assessment" when the column is empty
    bool PLAN_KEYS = false;
    bool ONLY_WKSHT = false;
    bool HAS_FINANC = false;
    std::string Waiver_nam;
    int32_t MAX_CONST = 0;
    int32_t MAX_TOTAL = 0;
    bool WKSHT_DOWN = false;
    int32_t FinanceID = 0;
    int32_t PrmDiscTyp = 0; // premium discount method 1 to 4
    double Min_Ex_Mod = 0;
    double Max_Ex_Mod = 0;
    bool CalcBySeq = false;
    bool HasFees = false;
    std::string CARR_ID; // as stored
    std::string PAYOPTFILE; // as stored
    bool ConstMulti = false;
    bool Deviated = false;
    bool User_Dev = false;
    bool UserDownPy = false;
    bool RdOnlyACRD = false;
    int32_t Pool_App = 0;
    std::string Pool_Name;
    std::string Web_Update;
    std::string Cleric_Cod; // upper-cased
    std::string Cleric_Sub;
    std::string Sales_Cod;
    std::string Sales_Sub;
    std::string Driver_Cod;
    std::string Driver_Sub;
    std::string Web_Title; // from the broker's web link row
    std::string Web_Link;

    // Reads the current plan table row. A blank date raises EConvertError naming the column.
    void LoadFromTable(const TCBTable &table);

    // The date lies in the plan's rating range and in its class files; no message.
    bool CoversClassDate(TDateTime date) const;
    // The first and last effective dates CoversClassDate accepts (the last before the first
    // when it accepts none).
    TDateTime FirstRatingDate() const;
    TDateTime LastRatingDate() const;
    // The same; when it fails the user is told "This Date has no valid classifications
    // available".
    bool HasValidClassFile(TDateTime date) const;
    // 0 without a valid class file, 2 from "Effect_2" on, else 1.
    int32_t ClassFileFor(TDateTime date) const;
    // 1 before "Rate_Chang", else 2.
    int32_t RatePeriodFor(TDateTime date) const;
};

struct TPlanKey
{
    int32_t Key = 0; // the kind of lookup it redirects
    int32_t Sub_Broker = 0;
    int32_t Sub_State = 0;
};

using TPlanKeyList = std::vector<std::unique_ptr<TPlanKey>>;

// Kinds of plan keys.
enum TPlanKeyKind : int32_t {
    pkClasses = 1,
    pkFactors = 2,
    pkOutput = 5,
    pkDocuments = 6,
    pkPremiumValues = 7, // single and tier premium values
    pkDownPayment = 8,
    pkPremiumDiscount = 9,
    pkMiscFactors = 11,
};

// The plan whose rows a lookup of that kind reads: the pair of the first key of the kind, else
// the plan's own pair.
TPlanPair PlanPairFor(const TPlanKeyList &keys, int32_t kind, TPlanPair own);

// Hazard codes of a plan and rate period in ascending order, each once.
class THazardCodeList
{
public:
    THazardCodeList();
    // Raises ESortedListError for a code already listed.
    void Add(int32_t code);
    bool Contains(int32_t code) const;
    int32_t Count() const { return m_list.Count(); }
    std::vector<int32_t> Codes() const;

private:
    std::deque<int32_t> m_codes; // the storage the list points into
    TSortedList<int32_t> m_list;
};

struct TVereDivoFactors
{
    bool CNST_ALLOW = false;
    double PRM_DSC_PR = 0;
    int32_t PRM_DSC_MN = 0;
    double ASSESSMENT = 0;
    bool ASS_PERCNT = false;
    int32_t EXP_CNT_HI = 0;
    int32_t EXP_CNT_MD = 0;
    int32_t EXP_CNT_LO = 0;
    int32_t EXP_RATE_C = 0;
    int32_t EXPLCUTOFF = 0;
    int32_t EXPMCUTOFF = 0;
    int32_t LOSS_C_CUT = 0;
    bool USE_HAZ_CD = false;
    double Misc_Fact1 = 0;
    double Misc_Fact2 = 0;
    double Misc_Fact3 = 0;
    int32_t EXP_PER_EM = 0;
    int32_t EPM_MAX = 0;
    double Terror = 0;
    double Terror_Dom = 0;
    // Only when "USE_HAZ_CD" is set:
    std::unique_ptr<THazardCodeList> HazardCodes;
    int32_t HAZ_CD_TYP = 0;

    // Reads the columns of the current factor row (not the hazard codes).
    void LoadFromTable(const TCBTable &table);
};

// Worksheet titles and document names of a plan's two output rows.
struct TOutputInfo
{
    std::string Row1Field1; // "S_FIELD1" of row 1: the first title line
    std::string Row1Field2;
    std::string Row2Field1;
    std::string Row2Field2;
};
