#include "rating/RateBook.h"
#include "RatingFixtures.h"
#include "core/AppInfo.h"
#include "core/Dates.h"
#include "core/Errors.h"
#include "core/Text.h"
#include "db/CBDatabase.h"
#include "db/VereDivoDatabase.h"
#include "support/ScopedEnv.h"
#include "support/ScriptedPrompter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace {

const char *const kPlanHeader =
    "Broker_ID,State_ID,State_Name,Active,Rate_Chang,Min_Date,Max_Date,Effect_1,Exp_1,Effect_2,"
    "Exp_2,Down,Min_Down,MinPremTyp,Can_Save,Can_Export,ACORD_Name,QOR_Acord,STATE_TEXT,"
    "ACORD_IDNT,Acord_Type,ASSESS_NAM,PLAN_KEYS,ONLY_WKSHT,HAS_FINANC,Waiver_nam,MAX_CONST,"
    "MAX_TOTAL,WKSHT_DOWN,FinanceID,PrmDiscTyp,Min_Ex_Mod,Max_Ex_Mod,CalcBySeq,HasFees,CARR_ID,"
    "PAYOPTFILE,ConstMulti,Deviated,User_Dev,UserDownPy,RdOnlyACRD,Pool_App,Pool_Name,"
    "Web_Update,Cleric_Cod,Cleric_Sub,Sales_Cod,Sales_Sub,Driver_Cod,Driver_Sub\n";

// A plan row: broker, state, name and the columns that differ between the test plans.
std::string PlanRow(int broker, int state, const std::string &name, const std::string &carrier,
                    bool constMulti, bool planKeys, const std::string &minDate = "20260101")
{
    return std::to_string(broker) + "," + std::to_string(state) + "," + name + ",T,20260701," +
        minDate +
        ",20271231,20260101,20261231,20270101,20271231,25,1000,3,T,F,"
        "Insurer,ACORD130,MA,ID 1,1,," +
        (planKeys ? "T" : "F") + ",F,T,MAWaiver,50000,150000,T,1,2,0.5000,2.0000,F,T," + carrier +
        ",payopt.ini," + (constMulti ? "T" : "F") + ",F,T,T,F,0,,http://update,8810,,8742,,7380,\n";
}

const char *const kClassHeader = "Broker_ID,State_ID,Class_File,C_carid,C_Code,C_SubCode,C_PHRASE,"
                                 "C_CALCTYPE,C_STATE,C_RATE,C_Min,C_Loss_Con,C_Table_H,C_CONCRED,"
                                 "SURVEY,Special,C_TER1\n";

class RateBookTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        data.Table("WCPLAN",
                   std::string(kPlanHeader) + PlanRow(5, 29, "Kansas", "", false, false) +
                       PlanRow(52, 9, "Tennessee", "", false, false) +
                       PlanRow(1, 13, "Massachusetts", "", true, false) +
                       PlanRow(5, 13, "Massachusetts", "C1 ", false, true) +
                       PlanRow(7, 15, "New Jersey", "", false, false, ""));
        data.Table("web_link", "Broker_ID,Web_Title,Web_Link\n5,Broker Five Site,http://five\n");
        data.Table("WCKEYS",
                   "Broker_ID,State_ID,Key,Sub_Broker,Sub_State\n"
                   "5,13,1,1,13\n5,13,8,1,13\n5,130,2,9,9\n");
        data.Table("WCCLASS",
                   std::string(kClassHeader) +
                       "1,13,1,,8810,,CLERICAL OFFICE EMPLOYEES,1,0.12,0.12,250,0,1,N,N,0,\n"
                       "1,13,1,,8742,,SALESPERSONS - OUTSIDE,1,0.30,0.30,300,0,1,N,N,0,\n"
                       "1,13,1,,7380,,DRIVERS,1,3.5,3.5,800,0,3,N,N,0,\n"
                       "1,13,1,,5403,,CARPENTRY,1,0,9.10,900,0,4,Y,Y,1,\n"
                       "1,13,1,,5183,,PLUMBING,1,4.00,3.60,700,50,3,N,N,0,\n"
                       "1,13,2,,8810,,CLERICAL (FILE 2),1,0.13,0.13,250,0,1,N,N,0,\n"
                       "1,13,1,C1,8810,,CARRIER CLERICAL,1,0.09,0.11,250,0,1,N,N,0,1.5\n"
                       "5,13,1,,9999,,OWN CLASS OF BROKER 5,1,1,1,100,0,1,N,N,0,\n");
        data.Table("WCPREM",
                   "Broker_ID,State_ID,File_ID,CNST_ALLOW,PRM_DSC_PR,PRM_DSC_MN,"
                   "ASSESSMENT,ASS_PERCNT,EXP_CNT_HI,EXP_CNT_MD,EXP_CNT_LO,EXP_RATE_C,"
                   "EXPLCUTOFF,EXPMCUTOFF,LOSS_C_CUT,USE_HAZ_CD,Misc_Fact1,Misc_Fact2,"
                   "Misc_Fact3,EXP_PER_EM,EPM_MAX,Terror,Terror_Dom,HAZ_CD_TYP\n"
                   "1,13,1,T,-5,10000,0.0311,T,250,200,160,0,200,1000,2000,F,0.001,95,"
                   "200,40,500,2,0,0\n"
                   "1,13,2,F,0,0,125,F,250,250,250,0,0,0,0,T,0,0,0,0,0,-1,-0.5,2\n"
                   "1,15,1,F,0,0,0,F,0,0,0,0,0,0,0,T,0,0,0,0,0,0,0,1\n");
        data.Table("HAZ_CODE",
                   "Broker_ID,State_ID,File_ID,Type,Value\n"
                   "1,13,2,1,7\n1,13,2,1,3\n1,13,2,2,99\n1,13,1,1,55\n"
                   "1,15,1,1,4\n1,15,1,1,4\n");
        data.Table("PREMIUMS",
                   "Broker_ID,State_ID,File_ID,Input_ID,Sub_ID1,Sub_ID2,Sub_ID3,Value\n"
                   "1,13,2,14,0,0,0,0.075\n1,13,2,1,0,0,0,9\n");
        data.Table("tierprem",
                   "ID0,ID1,ID2,ID3,From,To,AsValue,Value\n"
                   "0,6,15,9,01/01/2026,12/31/2026,T,-0.05\n"
                   "0,6,15,9,01/01/2027,12/31/2027,T,-0.06\n"
                   "0,6,15,19,01/01/2026,12/31/2026,T,-0.07\n");
        data.Table("PREMDISC",
                   "ID1,ID2,ID3,Value1,Value2,Discount\n"
                   "1,13,1,5000,5000,0\n1,13,1,95000,100000,0.109\n"
                   "1,13,2,10000,10000,5\n1,15,1,1,1,1\n");
        data.Table("OUTPUT",
                   "Broker_ID,State_ID,Out_Row,S_FIELD1,S_FIELD2\n"
                   "1,13,1,Workers Compensation,Quotation Worksheet\n"
                   "1,15,2,Doc A,Doc B\n");
        data.Table("MISCFACT",
                   "Broker_ID,State_ID,Type,Index,Value\n"
                   "1,13,1,1,1.1\n1,13,1,2,0.9\n1,15,1,1,5\n");
        data.Table("WCDOCS",
                   "ID_One,ID_Two,Type,Index,Name,Path,ReqOption\n"
                   "1,13,1,1,Terms,RatingTerms.txt,0\n"
                   "1,13,1,2,Notice,forms\\notice.txt,1\n"
                   "1,13,1,999,Hidden,hidden.txt,0\n"
                   "1,13,2,1,Other type,other.txt,0\n");
        data.Table("WCDOWN",
                   "ID1,ID2,Low,High,Percent,Installs,InstFee,InstIntrvl\n"
                   "1,13,0,4999,100,0,0,0\n1,13,5000,99999,25,9,5,124\n"
                   "1,15,0,999999,10,0,0,0\n");
        data.Table("finance",
                   "ID,Name,Title,App_Name,AdjustName,Min,Max,ExportID,DownPayID,"
                   "RateID,NumPayment,Editable,DownEdit,PayEdit,NumPayEdit,HasAdjust,"
                   "Show_Prcnt,AdjustType\n"
                   "1,Premium Finance Agreement,Agreement Title,PFA,Adjust,500,"
                   "250000,2,3,4,9,T,F,T,F,T,T,1\n");
        data.Table("finitems",
                   "Type,ID,Min,Max,Value\n1,3,0,9999.99,25\n1,3,10000,999999,20\n"
                   "2,4,0,999999,6.5\n1,4,0,999999,77\n");
        data.Table("WCBROKER", "Broker_ID,Name\n1,  Broker One  \n5,Broker Five\n");
        data.Table("usrClass", "Code,SubCode,Parent_C,Parent_SC,Phrase\n");
        data.EmptyTables();
        database = std::make_unique<TVereDivoDatabase>(data.Folder());
        book =
            std::make_unique<TVereDivoRateBook>(1, data.Folder(), data.ProgramFolder(), *database);
    }

    TRatingFixtureData data;
    std::unique_ptr<TVereDivoDatabase> database;
    std::unique_ptr<TVereDivoRateBook> book;
};

} // namespace

TEST_F(RateBookTest, PlanKeysArePaddedSoBrokerAndStateNeverRunTogether)
{
    // Unpadded, broker 5 + state 29 and broker 52 + state 9 would both read "529".
    EXPECT_EQ(KeyNumber(5) + KeyNumber(29), "5     29    ");
    TVereDivoPlanProfile kansas;
    book->LoadPlanProfile(5, 29, kansas);
    EXPECT_EQ(kansas.State_Name, "Kansas");
    EXPECT_EQ(kansas.Web_Title, "Broker Five Site");
    EXPECT_EQ(kansas.Web_Link, "http://five");
    TVereDivoPlanProfile tennessee;
    book->LoadPlanProfile(52, 9, tennessee);
    EXPECT_EQ(tennessee.State_Name, "Tennessee");
    EXPECT_EQ(tennessee.Web_Title, "") << "broker 52 has no web link row";
}

TEST_F(RateBookTest, PlanProfileReadsDatesTextsAndCodes)
{
    TVereDivoPlanProfile plan;
    book->LoadPlanProfile(5, 13, plan);
    EXPECT_EQ(plan.Broker_ID, 5);
    EXPECT_DOUBLE_EQ(plan.Rate_Chang, EncodeDate(2026, 7, 1));
    EXPECT_DOUBLE_EQ(plan.Exp_2, EncodeDate(2027, 12, 31));
    EXPECT_DOUBLE_EQ(plan.Down, 25);
    EXPECT_EQ(plan.MAX_TOTAL, 150000);
    EXPECT_DOUBLE_EQ(plan.Min_Ex_Mod, 0.5);
    EXPECT_TRUE(plan.PLAN_KEYS);
    EXPECT_EQ(plan.ASSESS_NAM, "Assessment") << "an empty column names the charge Assessment";
    EXPECT_EQ(plan.CARR_ID, "C1 ") << "kept as stored";
    EXPECT_EQ(plan.Cleric_Cod, "8810");
    EXPECT_EQ(plan.Driver_Cod, "7380");
}

TEST_F(RateBookTest, MissingPlanOrBlankDateLeavesTheProfileAsItWas)
{
    TVereDivoPlanProfile plan;
    plan.State_Name = "untouched";
    book->LoadPlanProfile(9, 9, plan);
    EXPECT_EQ(plan.State_Name, "untouched");

    TVereDivoPlanProfile blank;
    blank.MAX_TOTAL = 7;
    EXPECT_THROW(book->LoadPlanProfile(7, 15, blank), EConvertError);
    EXPECT_EQ(blank.MAX_TOTAL, 7) << "not half read";
    EXPECT_EQ(blank.State_Name, "");
}

TEST_F(RateBookTest, ClassesOfOneFileAndCarrierWithTheirExceptionClasses)
{
    TVereDivoPlanProfile plan;
    book->LoadPlanProfile(1, 13, plan);
    TVereDivoClass *clerical = nullptr;
    TVereDivoClass *sales = nullptr;
    TVereDivoClass *drivers = nullptr;
    TClassLineList lines = book->LoadClasses(1, 13, plan, 1, "", clerical, sales, drivers);
    ASSERT_EQ(lines.size(), 5u);
    ASSERT_NE(clerical, nullptr);
    EXPECT_EQ(clerical->Description, "CLERICAL OFFICE EMPLOYEES");
    ASSERT_NE(sales, nullptr);
    EXPECT_EQ(sales->Code, "8742");
    ASSERT_NE(drivers, nullptr);
    EXPECT_EQ(drivers->Code, "7380");

    // C_STATE 0 takes the plan's rate; the deviation is then 1.
    TVereDivoClass *carpentry = lines[3].get();
    EXPECT_EQ(carpentry->Code, "5403");
    EXPECT_DOUBLE_EQ(carpentry->StateRate, 9.10);
    EXPECT_DOUBLE_EQ(carpentry->Deviation, 1.0);
    EXPECT_TRUE(carpentry->ConstructionCredit);
    EXPECT_TRUE(carpentry->Survey);
    EXPECT_EQ(carpentry->HazardGroup, 4);
    EXPECT_NE(dynamic_cast<TNewYorkConstructionClass *>(carpentry), nullptr)
        << "Special 1 in a ConstMulti plan";
    EXPECT_EQ(lines[4]->Code, "5183");
    EXPECT_DOUBLE_EQ(lines[4]->Deviation, 0.9);
    EXPECT_EQ(lines[4]->LossConstant, 50);
    EXPECT_EQ(dynamic_cast<TNewYorkConstructionClass *>(lines[4].get()), nullptr);

    // The carrier's own file and class file 2 are other keys.
    TClassLineList carrier = book->LoadClasses(1, 13, plan, 1, " C1", clerical, sales, drivers);
    ASSERT_EQ(carrier.size(), 1u);
    EXPECT_EQ(carrier[0]->Description, "CARRIER CLERICAL");
    EXPECT_DOUBLE_EQ(carrier[0]->StateRate, 0.09);

    // Read as a carrier's own class line: its one rate fills both, C_TER1 marks it per employee.
    TCBTable &classes = database->Classes();
    ASSERT_TRUE(classes.Seek(KeyNumber(1) + KeyNumber(13) + KeyNumber(1, 3) + "C1 ", "PLAN_FILE"));
    TCarrierSpecificVereDivoClass carrierLine(1);
    carrierLine.LoadFromCarrierTable(classes);
    EXPECT_EQ(carrierLine.CarrierId, "C1");
    EXPECT_DOUBLE_EQ(carrierLine.StateRate, 0.11);
    EXPECT_DOUBLE_EQ(carrierLine.Rate, 0.11);
    EXPECT_EQ(carrierLine.Special, 1);
    EXPECT_EQ(sales, nullptr);
    TClassLineList second = book->LoadClasses(1, 13, plan, 2, "", clerical, sales, drivers);
    ASSERT_EQ(second.size(), 1u);
    EXPECT_EQ(clerical, second[0].get());
}

TEST_F(RateBookTest, PlanKeysRedirectTheClassLookup)
{
    TVereDivoPlanProfile plan;
    book->LoadPlanProfile(5, 13, plan);
    TPlanKeyList keys;
    book->LoadPlanKeys(5, 13, keys);
    ASSERT_EQ(keys.size(), 2u) << "the key of state 130 does not belong to state 13";
    EXPECT_EQ(keys[1]->Key, pkDownPayment);
    const TPlanPair classes = PlanPairFor(keys, pkClasses, {5, 13});
    EXPECT_EQ(classes, (TPlanPair {1, 13}));
    TVereDivoClass *clerical = nullptr;
    TVereDivoClass *sales = nullptr;
    TVereDivoClass *drivers = nullptr;
    TClassLineList lines = book->LoadClasses(classes.Broker_ID, classes.State_ID, plan, 1, "",
                                             clerical, sales, drivers);
    EXPECT_EQ(lines.size(), 5u);
    EXPECT_NE(clerical, nullptr);
    EXPECT_EQ(PlanPairFor(keys, pkFactors, {5, 13}), (TPlanPair {5, 13}));
}

TEST_F(RateBookTest, FactorsOfARatePeriodWithHazardCodes)
{
    auto period1 = book->LoadFactors(1, 13, 1);
    ASSERT_TRUE(period1);
    EXPECT_TRUE(period1->CNST_ALLOW);
    EXPECT_DOUBLE_EQ(period1->PRM_DSC_PR, -5);
    EXPECT_DOUBLE_EQ(period1->ASSESSMENT, 0.0311);
    EXPECT_EQ(period1->EXPMCUTOFF, 1000);
    EXPECT_EQ(period1->EPM_MAX, 500);
    EXPECT_FALSE(period1->HazardCodes) << "codes only with USE_HAZ_CD";

    auto period2 = book->LoadFactors(1, 13, 2);
    ASSERT_TRUE(period2);
    EXPECT_DOUBLE_EQ(period2->Terror_Dom, -0.5);
    EXPECT_EQ(period2->HAZ_CD_TYP, 2);
    ASSERT_TRUE(period2->HazardCodes);
    EXPECT_EQ(period2->HazardCodes->Codes(), (std::vector<int32_t> {3, 7}))
        << "type 1 only, ascending";

    EXPECT_FALSE(book->LoadFactors(1, 13, 3));
    EXPECT_THROW(book->LoadFactors(1, 15, 1), ESortedListError) << "a hazard code twice";
}

TEST_F(RateBookTest, SimpleValuesTiersAndDiscountRows)
{
    EXPECT_DOUBLE_EQ(book->LookupSimpleValue(1, 13, 2, 14), 0.075);
    EXPECT_DOUBLE_EQ(book->LookupSimpleValue(1, 13, 2, 1), 9);
    EXPECT_DOUBLE_EQ(book->LookupSimpleValue(1, 13, 1, 14), 0);

    auto tiers = book->LoadTierPremiums(6, 15, 9, true);
    ASSERT_TRUE(tiers);
    ASSERT_EQ(tiers->size(), 2u);
    EXPECT_TRUE((*tiers)[0]->ByDate);
    EXPECT_EQ(Trim((*tiers)[1]->From), "01/01/2027");
    EXPECT_DOUBLE_EQ((*tiers)[1]->Value, -0.06);
    EXPECT_TRUE((*tiers)[1]->AsValue);
    EXPECT_FALSE(book->LoadTierPremiums(6, 15, 1, true)) << "none rather than an empty list";
    EXPECT_EQ(book->LoadTierPremiums(6, 15, 19, false)->size(), 1u);
    EXPECT_FALSE((*book->LoadTierPremiums(6, 15, 19, false))[0]->ByDate);

    TPremiumDiscountList rows;
    book->LoadPremiumDiscountTable(1, 13, rows);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[1]->TableId, 1);
    EXPECT_DOUBLE_EQ(rows[1]->Value1, 95000);
    EXPECT_DOUBLE_EQ(rows[1]->Value2, 100000);
    EXPECT_DOUBLE_EQ(rows[1]->Discount, 0.109);
    book->LoadPremiumDiscountTable(1, 15, rows);
    EXPECT_EQ(rows.size(), 4u) << "the table is appended to";
    book->LoadPremiumDiscountItems(1, 13, 2, rows);
    ASSERT_EQ(rows.size(), 1u) << "the items replace the list";
    EXPECT_DOUBLE_EQ(rows[0]->Discount, 5);
    book->LoadPremiumDiscountItems(1, 13, 9, rows);
    EXPECT_TRUE(rows.empty());
}

TEST_F(RateBookTest, OutputMiscFactorsDocumentsAndDownPayments)
{
    auto output = book->LoadOutputInfo(1, 13);
    EXPECT_EQ(output->Row1Field1, "Workers Compensation");
    EXPECT_EQ(output->Row1Field2, "Quotation Worksheet");
    EXPECT_EQ(output->Row2Field1, "");
    EXPECT_EQ(book->LoadOutputInfo(1, 15)->Row2Field2, "Doc B");

    TVereDivoMiscFactorList misc = book->LoadMiscFactors(1, 13);
    ASSERT_EQ(misc.size(), 2u);
    EXPECT_DOUBLE_EQ(EntryFactor(misc, 2), 0.9);
    EXPECT_TRUE(book->LoadMiscFactors(2, 13).empty());

    TDocumentList documents = book->LoadDocumentList(1, 13);
    ASSERT_EQ(documents.size(), 2u) << "index 999 and other types are not listed";
    EXPECT_EQ(documents[0].Name, "Terms");
    EXPECT_EQ(documents[0].Path, data.ProgramFolder() + "docs/RatingTerms.txt");
    EXPECT_EQ(documents[1].Path, "forms/notice.txt") << "a path with a folder is kept";
    EXPECT_EQ(documents[1].ReqOption, 1);
    EXPECT_EQ(documents[1].Index, 2);
    EXPECT_TRUE(book->LoadDocumentList(1, 15).empty());

    auto schedule = book->LoadDownPaySchedule(1, 13);
    ASSERT_EQ(schedule->Rows().size(), 2u);
    EXPECT_EQ(schedule->Find(5000)->Installs, 9);
    EXPECT_EQ(schedule->Find(5000)->IntervalText(),
              "Monthly Installments (Quarterly Available) (9 Installments)");
    EXPECT_TRUE(book->LoadDownPaySchedule(3, 3)->Rows().empty());
}

TEST_F(RateBookTest, FinanceAgreementAndBrackets)
{
    auto agreement = book->GetFinanceAgreement(1);
    EXPECT_EQ(agreement->App_Name, "PFA");
    EXPECT_DOUBLE_EQ(agreement->Max, 250000);
    EXPECT_EQ(agreement->NumPayment, 9);
    EXPECT_FALSE(agreement->DownEdit);
    EXPECT_DOUBLE_EQ(agreement->DownPercent(9999.99), 25);
    EXPECT_DOUBLE_EQ(agreement->DownPercent(10000), 20);
    EXPECT_DOUBLE_EQ(agreement->FinanceRate(4000), 6.5) << "kind 2 of the rate id, not kind 1";

    auto unknown = book->GetFinanceAgreement(42);
    EXPECT_EQ(unknown->Name, "");
    EXPECT_DOUBLE_EQ(unknown->Max, 999999999.0);
    EXPECT_FALSE(unknown->DownPayments);
    EXPECT_DOUBLE_EQ(unknown->DownPercent(1000), 0);
    EXPECT_DOUBLE_EQ(unknown->FinanceRate(1000), 0);
}

TEST_F(RateBookTest, UserSubClassesNumberSaveFindAndDelete)
{
    TVereDivoPlanProfile plan;
    book->LoadPlanProfile(1, 13, plan);
    TVereDivoClass *clerical = nullptr;
    TVereDivoClass *sales = nullptr;
    TVereDivoClass *drivers = nullptr;
    TClassLineList classBook = book->LoadClasses(1, 13, plan, 1, "", clerical, sales, drivers);

    TVereDivoClass mine(1);
    mine.CopyFrom(*clerical);
    mine.Description = "MY OFFICE";
    mine.SubCode = "";
    mine.ParentCode = clerical->Code;
    mine.ParentSubCode = clerical->SubCode;
    EXPECT_EQ(book->NextUserSubCode(mine), "%1");
    book->SaveUserClass(mine);
    EXPECT_EQ(mine.SubCode, "%1");
    EXPECT_TRUE(book->FindUserClass(mine));

    TVereDivoClass third(1);
    third.CopyFrom(mine);
    third.SubCode = "%3";
    third.Description = "THIRD";
    book->SaveUserClass(third);
    EXPECT_EQ(book->NextUserSubCode(mine), "%4") << "the highest number counts, not the count";

    // Saving again rewrites the row in place.
    mine.Description = "MY OWN OFFICE";
    book->SaveUserClass(mine);
    book->LoadUserClasses(classBook);
    ASSERT_EQ(classBook.size(), 7u);
    const TVereDivoClass &loaded = *classBook[5];
    EXPECT_EQ(loaded.Code, "8810");
    EXPECT_EQ(loaded.SubCode, "%1");
    EXPECT_EQ(loaded.DisplayName(), "MY OWN OFFICE*");
    EXPECT_EQ(loaded.ParentCode, "8810");
    EXPECT_DOUBLE_EQ(loaded.Rate, clerical->Rate);
    EXPECT_EQ(classBook[6]->SubCode, "%3");

    book->DeleteUserClass(third);
    EXPECT_FALSE(book->FindUserClass(third));
    EXPECT_EQ(book->NextUserSubCode(mine), "%4") << "a deleted sub-code is never given again";
    TClassLineList again = book->LoadClasses(1, 13, plan, 1, "", clerical, sales, drivers);
    book->LoadUserClasses(again);
    EXPECT_EQ(again.size(), 6u) << "the deleted sub-class stays away";

    // A sub-class whose parent is not in the class book is not loaded.
    TClassLineList other = book->LoadClasses(5, 13, plan, 1, "", clerical, sales, drivers);
    book->LoadUserClasses(other);
    EXPECT_EQ(other.size(), 1u);
}

TEST_F(RateBookTest, BrokerAndStateChoiceLists)
{
    TChoiceList brokers;
    TChoiceList states;
    FillBrokerAndStateLists(database->Brokers(), database->Plans(), brokers, states);
    ASSERT_EQ(brokers.Items.size(), 2u);
    EXPECT_EQ(brokers.Items[0].Text, "Broker One");
    EXPECT_EQ(brokers.Items[1].Number, 5);
    EXPECT_EQ(brokers.ItemIndex, 0);
    ASSERT_EQ(states.Items.size(), 4u) << "Massachusetts once";
    EXPECT_EQ(states.Items[2].Text, "Massachusetts");
    EXPECT_EQ(states.Items[2].Number, 13) << "the first row of the name wins";
    EXPECT_EQ(states.ItemIndex, 0);
}

TEST(RateBookTables, AMissingTableStopsRegistrationAndLookupsSaySo)
{
    TRatingFixtureData data;
    data.EmptyTables();
    data.Remove("tierprem.dbf");
    TVereDivoDatabase database(data.Folder());
    int32_t registered = 0;
    {
        TVereDivoRateBook book(1, data.Folder(), data.ProgramFolder(), database);
        EXPECT_FALSE(book.TablesOpen());
        EXPECT_EQ(book.LookupSimpleValue(1, 13, 1, 1), 0) << "tables before the missing one work";
        registered = book.RateTable(TVereDivoRateBook::rtFactors).TableID();
        EXPECT_NE(database.FindTable(registered), nullptr);
        TPremiumDiscountList rows;
        try {
            book.LoadPremiumDiscountTable(1, 13, rows);
            FAIL() << "a table after the missing one is absent";
        } catch (const ECBDBError &error) {
            EXPECT_NE(std::string(error.what()).find("PREMDISC.DBF"), std::string::npos);
        }
        EXPECT_THROW(book.LoadTierPremiums(1, 13, 1, true), ECBDBError);
    }
    EXPECT_EQ(database.FindTable(registered), nullptr) << "a rate book takes its tables along";
    data.Table("tierprem", "ID0,ID1,ID2,ID3,From,To,AsValue,Value\n");
    TVereDivoRateBook complete(1, data.Folder(), data.ProgramFolder(), database);
    EXPECT_TRUE(complete.TablesOpen());
}

TEST(RateBookTables, AUserClassTableThatCannotBeClosedIsLoggedAndTheProgramGoesOn)
{
    TRatingFixtureData data;
    data.EmptyTables();
    ScopedEnv state("XDG_STATE_HOME", data.ProgramFolder() + "state");
    TAppInfo info;
    info.StartLog();
    TVereDivoDatabase database(data.Folder());
    {
        TVereDivoRateBook book(1, data.Folder(), data.ProgramFolder(), database);
        TCBTable &classes = book.RateTable(TVereDivoRateBook::rtUserClasses);
        ASSERT_TRUE(classes.AppendBlank());
        classes.SetString("Code", "8810"); // pending until the table closes
        std::filesystem::resize_file(data.Folder() + "usrClass.dbf", 0);
    }
    EXPECT_TRUE(std::any_of(info.LoggedLines().begin(), info.LoggedLines().end(),
                            [](const std::string &line) {
                                return line.starts_with("CBDatabase - Close Table - ") &&
                                    line.find("usrClass.dbf") != std::string::npos;
                            }));
    TVereDivoRateBook next(1, data.Folder(), data.ProgramFolder(), database);
    EXPECT_FALSE(next.TablesOpen()) << "the emptied file no longer opens";
    EXPECT_EQ(next.LookupSimpleValue(1, 13, 1, 1), 0) << "the tables before it still work";
}
