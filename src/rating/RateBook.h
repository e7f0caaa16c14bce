#pragma once

// The quote's only way into the rate tables. Every lookup builds a key from numbers (each
// written as decimal text padded with blanks to its width), seeks it on a named tag and reads
// the matching rows. Rows marked deleted are passed over.

#include "db/CBDatabase.h"
#include "rating/DocumentList.h"
#include "rating/DownPayment.h"
#include "rating/FinanceAgreement.h"
#include "rating/PlanProfile.h"
#include "rating/TierPremium.h"
#include "rating/VereDivoClass.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TVereDivoDatabase;

using TClassLineList = std::vector<std::unique_ptr<TVereDivoClass>>;

// The line of business of workers' compensation, the only one the rate tables hold.
constexpr uint8_t WorkersCompensation = 1;

class TRateBook
{
public:
    // `dataFolder` and `programFolder` end with "/". The database is not owned.
    TRateBook(uint8_t lineOfBusiness, std::string dataFolder, std::string programFolder,
              TVereDivoDatabase &database);
    virtual ~TRateBook();
    TRateBook(const TRateBook &) = delete;
    TRateBook &operator=(const TRateBook &) = delete;

    uint8_t LineOfBusiness;
    TVereDivoDatabase &Database;
    std::string DataFolder;
    std::string ProgramFolder;
};

class TVereDivoRateBook : public TRateBook
{
public:
    // The rate tables the rate book registers in the database, in registration order.
    enum TRateTable : size_t {
        rtFactors, // WCPREM.DBF
        rtSimpleValues, // PREMIUMS.DBF
        rtOutput, // OUTPUT.DBF
        rtDocuments, // WCDOCS.DBF
        rtDownPayment, // WCDOWN.DBF
        rtTiers, // tierprem.dbf
        rtPremiumDiscount, // PREMDISC.DBF
        rtCalc, // wccalc.dbf
        rtFinance, // finance.dbf
        rtFinanceItems, // finitems.dbf
        rtWebLink, // web_link.dbf
        rtUserClasses, // usrClass.dbf
        rtCount
    };

    // Registers and opens the twelve tables (see OpenTables).
    TVereDivoRateBook(uint8_t lineOfBusiness, std::string dataFolder, std::string programFolder,
                      TVereDivoDatabase &database);
    // Takes the tables it registered out of the database again; a table that fails to close
    // is logged, never thrown from here.
    ~TVereDivoRateBook() override;

    // Registers the tables in order; the first that cannot be opened ends the registration
    // (the rest stay absent) and the result is false. A lookup in an absent table raises
    // ECBDBError naming the table.
    bool OpenTables();
    bool TablesOpen() const { return m_tablesOpen; }
    static const char *TableFileName(TRateTable table);
    TCBTable &RateTable(TRateTable table) const;

    // A plan without a row leaves the profile as it is.
    void LoadPlanProfile(int32_t brokerId, int32_t stateId, TVereDivoPlanProfile &profile);
    void LoadPlanKeys(int32_t brokerId, int32_t stateId, TPlanKeyList &keys);
    // The class lines of a class file; the clerical, sales and drivers classes of the
    // profile are pointed at their lines (none when absent).
    TClassLineList LoadClasses(int32_t brokerId, int32_t stateId,
                               const TVereDivoPlanProfile &profile, int32_t classFile,
                               const std::string &carrierId, TVereDivoClass *&clerical,
                               TVereDivoClass *&sales, TVereDivoClass *&drivers);
    std::unique_ptr<TVereDivoFactors> LoadFactors(int32_t brokerId, int32_t stateId,
                                                  int32_t ratePeriod);
    // Raises ESortedListError when a code occurs twice.
    std::unique_ptr<THazardCodeList> LoadHazardCodes(int32_t brokerId, int32_t stateId,
                                                     int32_t ratePeriod);
    // 0 when absent.
    double LookupSimpleValue(int32_t brokerId, int32_t stateId, int32_t ratePeriod,
                             int32_t inputId);
    // None (not an empty list) when the control has no tier rows.
    std::unique_ptr<TTierList> LoadTierPremiums(int32_t brokerId, int32_t stateId, int32_t inputId,
                                                bool byDate);
    // Appends every discount row of the pair.
    void LoadPremiumDiscountTable(int32_t id1, int32_t id2, TPremiumDiscountList &list);
    // Replaces the list by the rows of one discount table.
    void LoadPremiumDiscountItems(int32_t id1, int32_t id2, int32_t id3,
                                  TPremiumDiscountList &list);
    std::unique_ptr<TOutputInfo> LoadOutputInfo(int32_t brokerId, int32_t stateId);
    TVereDivoMiscFactorList LoadMiscFactors(int32_t brokerId, int32_t stateId);
    // The documents of the pair (empty when none), paths inside the program's docs folder.
    TDocumentList LoadDocumentList(int32_t brokerId, int32_t stateId);
    std::unique_ptr<TFinanceAgreement> GetFinanceAgreement(int32_t number);
    std::unique_ptr<TDownPaySchedule> LoadDownPaySchedule(int32_t brokerId, int32_t stateId);

    // The agent's own sub-classes.
    // "%" and one more than the highest number among the sub-codes saved for the line's code.
    std::string NextUserSubCode(const TVereDivoClass &line);
    // A live (not deleted) row of the line's code and sub-code.
    bool FindUserClass(const TVereDivoClass &line);
    // Gives a line without a sub-code the next one, then writes (or rewrites) its row.
    void SaveUserClass(TVereDivoClass &line);
    void DeleteUserClass(const TVereDivoClass &line);
    // Appends to the class book a line for every saved sub-class whose parent is in it.
    void LoadUserClasses(TClassLineList &classBook);

private:
    std::array<TTableRegistration, rtCount> m_tables;
    bool m_tablesOpen = false;
};

// A choice list of the new-quote window: texts with their numbers, and the selected item.
struct TChoiceItem
{
    std::string Text;
    int32_t Number = 0;
};

struct TChoiceList
{
    std::vector<TChoiceItem> Items;
    int32_t ItemIndex = -1;
};

// Fills the broker list from the broker table and the state list from the plan table (each
// state name once, with the first row's number), both in table order, and selects the first
// item of each.
void FillBrokerAndStateLists(TCBTable &brokerTable, TCBTable &planTable, TChoiceList &brokers,
                             TChoiceList &states);

// Seeks the key and passes over rows marked deleted; true when a live row with the key is
// current.
bool SeekLiveRow(TCBTable &table, const std::string &key, const std::string &tagName);
