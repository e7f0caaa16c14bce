#include "rating/RateBook.h"

#include "core/Text.h"
#include "db/CBDatabase.h"
#include "db/TableValues.h"
#include "db/VereDivoDatabase.h"

#include <algorithm>

namespace {

constexpr std::array<const char *, TVereDivoRateBook::rtCount> kTableFiles = {
    "WCPREM.DBF",   "PREMIUMS.DBF", "OUTPUT.DBF",  "WCDOCS.DBF",   "WCDOWN.DBF",   "tierprem.dbf",
    "PREMDISC.DBF", "wccalc.dbf",   "finance.dbf", "finitems.dbf", "web_link.dbf", "usrClass.dbf",
};

// A user class key part: the trimmed code padded to 4.
std::string UserKeyPart(const std::string &code)
{
    return PadRight(Trim(code), 4);
}

} // namespace

bool SeekLiveRow(TCBTable &table, const std::string &key, const std::string &tagName)
{
    bool found = table.Seek(key, tagName);
    while (found && table.Deleted()) {
        found = table.SeekNext(key);
    }
    return found;
}

TRateBook::TRateBook(uint8_t lineOfBusiness, std::string dataFolder, std::string programFolder,
                     TVereDivoDatabase &database)
    : LineOfBusiness(lineOfBusiness),
      Database(database),
      DataFolder(std::move(dataFolder)),
      ProgramFolder(std::move(programFolder))
{ }

TRateBook::~TRateBook() = default;

TVereDivoRateBook::TVereDivoRateBook(uint8_t lineOfBusiness, std::string dataFolder,
                                     std::string programFolder, TVereDivoDatabase &database)
    : TRateBook(lineOfBusiness, std::move(dataFolder), std::move(programFolder), database)
{
    OpenTables();
}

// Every quote makes a rate book; leaving its tables registered would pile up open files for
// as long as the program runs. The registrations take them out.
TVereDivoRateBook::~TVereDivoRateBook() = default;

bool TVereDivoRateBook::OpenTables()
{
    if (m_tablesOpen) {
        return true;
    }
    for (size_t i = 0; i < rtCount; ++i) {
        if (m_tables[i]) {
            continue;
        }
        try {
            m_tables[i] = TTableRegistration(Database, kTableFiles[i], DataFolder, true);
        } catch (const ECBDBError &) {
            return false;
        }
    }
    m_tablesOpen = true;
    return true;
}

const char *TVereDivoRateBook::TableFileName(TRateTable table)
{
    return kTableFiles.at(table);
}

TCBTable &TVereDivoRateBook::RateTable(TRateTable table) const
{
    const TTableRegistration &found = m_tables.at(table);
    if (!found) {
        throw ECBDBError(std::string("The rate table ") + kTableFiles.at(table) +
                         " could not be opened in " + DataFolder + ".");
    }
    return found.Table();
}

void TVereDivoRateBook::LoadPlanProfile(int32_t brokerId, int32_t stateId,
                                        TVereDivoPlanProfile &profile)
{
    TCBTable &plans = Database.Plans();
    if (SeekLiveRow(plans, KeyNumber(brokerId) + KeyNumber(stateId), "ID")) {
        // A row that fails half-way (a blank date) must not leave a half-read profile.
        TVereDivoPlanProfile read = profile;
        read.LoadFromTable(plans);
        profile = read;
    }
    TCBTable &links = RateTable(rtWebLink);
    if (SeekLiveRow(links, KeyNumber(brokerId), "ID_TAG")) {
        profile.Web_Title = TrimmedString(links, "Web_Title");
        profile.Web_Link = TrimmedString(links, "Web_Link");
    } else {
        profile.Web_Title.clear();
        profile.Web_Link.clear();
    }
}

void TVereDivoRateBook::LoadPlanKeys(int32_t brokerId, int32_t stateId, TPlanKeyList &keys)
{
    TCBTable &table = Database.PlanKeys();
    bool found = table.Seek(KeyNumber(brokerId) + KeyNumber(stateId), "ID");
    while (found) {
        if (!table.Deleted()) {
            auto key = std::make_unique<TPlanKey>();
            key->Key = TextInteger(table, "Key");
            key->Sub_Broker = TextInteger(table, "Sub_Broker");
            key->Sub_State = TextInteger(table, "Sub_State");
            keys.push_back(std::move(key));
        }
        table.Next();
        found = !table.Eof() && TextInteger(table, "Broker_ID") == brokerId &&
            TextInteger(table, "State_ID") == stateId;
    }
}

TClassLineList TVereDivoRateBook::LoadClasses(int32_t brokerId, int32_t stateId,
                                              const TVereDivoPlanProfile &profile,
                                              int32_t classFile, const std::string &carrierId,
                                              TVereDivoClass *&clerical, TVereDivoClass *&sales,
                                              TVereDivoClass *&drivers)
{
    clerical = nullptr;
    sales = nullptr;
    drivers = nullptr;
    const auto is = [](const TVereDivoClass &line, const std::string &code,
                       const std::string &subCode) {
        return !code.empty() && line.Code == code && line.SubCode == subCode;
    };
    TClassLineList lines;
    TCBTable &table = Database.Classes();
    const std::string key = KeyNumber(brokerId) + KeyNumber(stateId) + KeyNumber(classFile, 3) +
        PadRight(Trim(carrierId), 3);
    for (bool found = table.Seek(key, "PLAN_FILE"); found; found = table.SeekNext(key)) {
        if (table.Deleted()) {
            continue;
        }
        std::unique_ptr<TVereDivoClass> line;
        if (table.GetInteger("Special") == 1 && profile.ConstMulti) {
            line = std::make_unique<TNewYorkConstructionClass>(1);
        } else {
            line = std::make_unique<TVereDivoClass>(1);
        }
        line->LoadFromTable(table);
        if (is(*line, profile.Cleric_Cod, profile.Cleric_Sub)) {
            clerical = line.get();
        }
        if (is(*line, profile.Sales_Cod, profile.Sales_Sub)) {
            sales = line.get();
        }
        if (is(*line, profile.Driver_Cod, profile.Driver_Sub)) {
            drivers = line.get();
        }
        lines.push_back(std::move(line));
    }
    return lines;
}

std::unique_ptr<TVereDivoFactors> TVereDivoRateBook::LoadFactors(int32_t brokerId, int32_t stateId,
                                                                 int32_t ratePeriod)
{
    TCBTable &table = RateTable(rtFactors);
    if (!SeekLiveRow(table, KeyNumber(brokerId) + KeyNumber(stateId) + KeyNumber(ratePeriod),
                     "ID_INDEX")) {
        return nullptr;
    }
    auto factors = std::make_unique<TVereDivoFactors>();
    factors->LoadFromTable(table);
    if (factors->USE_HAZ_CD) {
        factors->HazardCodes = LoadHazardCodes(brokerId, stateId, ratePeriod);
    }
    return factors;
}

std::unique_ptr<THazardCodeList>
TVereDivoRateBook::LoadHazardCodes(int32_t brokerId, int32_t stateId, int32_t ratePeriod)
{
    auto codes = std::make_unique<THazardCodeList>();
    TCBTable &table = Database.HazardCodes();
    bool found =
        table.Seek(KeyNumber(brokerId) + KeyNumber(stateId) + KeyNumber(ratePeriod) + KeyNumber(1),
                   "GET_CODES");
    while (found) {
        if (!table.Deleted()) {
            codes->Add(TextInteger(table, "Value"));
        }
        table.Next();
        found = !table.Eof() && TextInteger(table, "Broker_ID") == brokerId &&
            TextInteger(table, "State_ID") == stateId &&
            TextInteger(table, "File_ID") == ratePeriod && TextInteger(table, "Type") == 1;
    }
    return codes;
}

double TVereDivoRateBook::LookupSimpleValue(int32_t brokerId, int32_t stateId, int32_t ratePeriod,
                                            int32_t inputId)
{
    TCBTable &table = RateTable(rtSimpleValues);
    const std::string key = KeyNumber(brokerId) + KeyNumber(stateId) + KeyNumber(ratePeriod) +
        KeyNumber(inputId) + KeyNumber(0) + KeyNumber(0) + KeyNumber(0);
    return SeekLiveRow(table, key, "SIMPLE") ? table.GetDouble("Value") : 0.0;
}

std::unique_ptr<TTierList> TVereDivoRateBook::LoadTierPremiums(int32_t brokerId, int32_t stateId,
                                                               int32_t inputId, bool byDate)
{
    std::unique_ptr<TTierList> tiers;
    TCBTable &table = RateTable(rtTiers);
    const std::string key =
        KeyNumberRightAligned(0, 3) + KeyNumber(brokerId) + KeyNumber(stateId) + KeyNumber(inputId);
    for (bool found = table.Seek(key, "ID3"); found && !table.Eof(); found = table.SeekNext(key)) {
        if (table.Deleted()) {
            continue;
        }
        if (!tiers) {
            tiers = std::make_unique<TTierList>();
        }
        auto tier = std::make_unique<TTierBasedPremium>();
        tier->LoadFromTable(table);
        tier->ByDate = byDate;
        tier->Group = 0;
        tiers->push_back(std::move(tier));
    }
    return tiers;
}

void TVereDivoRateBook::LoadPremiumDiscountTable(int32_t id1, int32_t id2,
                                                 TPremiumDiscountList &list)
{
    TCBTable &table = RateTable(rtPremiumDiscount);
    bool found = table.Seek(KeyNumber(id1) + KeyNumber(id2), "ID1_2_3");
    while (found) {
        if (!table.Deleted()) {
            auto item = std::make_unique<TPremiumDiscountItem>();
            item->LoadFromTable(table);
            list.push_back(std::move(item));
        }
        table.Next();
        found =
            !table.Eof() && TextInteger(table, "ID1") == id1 && TextInteger(table, "ID2") == id2;
    }
}

void TVereDivoRateBook::LoadPremiumDiscountItems(int32_t id1, int32_t id2, int32_t id3,
                                                 TPremiumDiscountList &list)
{
    list.clear();
    TCBTable &table = RateTable(rtPremiumDiscount);
    bool found = table.Seek(KeyNumber(id1) + KeyNumber(id2) + KeyNumber(id3), "ID1_2_3");
    while (found) {
        if (!table.Deleted()) {
            auto item = std::make_unique<TPremiumDiscountItem>();
            item->LoadFromTable(table);
            list.push_back(std::move(item));
        }
        table.Next();
        found = !table.Eof() && TextInteger(table, "ID1") == id1 &&
            TextInteger(table, "ID2") == id2 && TextInteger(table, "ID3") == id3;
    }
}

std::unique_ptr<TOutputInfo> TVereDivoRateBook::LoadOutputInfo(int32_t brokerId, int32_t stateId)
{
    auto info = std::make_unique<TOutputInfo>();
    TCBTable &table = RateTable(rtOutput);
    const std::string plan = KeyNumber(brokerId) + KeyNumber(stateId);
    if (SeekLiveRow(table, plan + KeyNumber(1, 3), "GET_OUTPUT")) {
        info->Row1Field1 = TrimmedString(table, "S_FIELD1");
        info->Row1Field2 = TrimmedString(table, "S_FIELD2");
    }
    if (SeekLiveRow(table, plan + KeyNumber(2, 3), "GET_OUTPUT")) {
        info->Row2Field1 = TrimmedString(table, "S_FIELD1");
        info->Row2Field2 = TrimmedString(table, "S_FIELD2");
    }
    return info;
}

TVereDivoMiscFactorList TVereDivoRateBook::LoadMiscFactors(int32_t brokerId, int32_t stateId)
{
    TVereDivoMiscFactorList factors;
    TCBTable &table = Database.MiscFactors();
    const std::string key = KeyNumber(brokerId) + KeyNumber(stateId);
    for (bool found = table.Seek(key, "ALL_TAG"); found; found = table.SeekNext(key)) {
        if (table.Deleted()) {
            continue;
        }
        auto factor = std::make_unique<TVereDivoMiscFactor>();
        factor->Type = static_cast<uint8_t>(TextInteger(table, "Type"));
        factor->Index = TextInteger(table, "Index");
        factor->Value = table.GetDouble("Value");
        factors.push_back(std::move(factor));
    }
    return factors;
}

TDocumentList TVereDivoRateBook::LoadDocumentList(int32_t brokerId, int32_t stateId)
{
    TCBDocumentListDB store(RateTable(rtDocuments), brokerId, stateId, 1, ProgramFolder + "docs/");
    std::unique_ptr<TDocumentList> documents = store.GetDocuments();
    return documents ? std::move(*documents) : TDocumentList();
}

std::unique_ptr<TFinanceAgreement> TVereDivoRateBook::GetFinanceAgreement(int32_t number)
{
    auto agreement = std::make_unique<TFinanceAgreement>(number, RateTable(rtFinance),
                                                         RateTable(rtFinanceItems));
    agreement->Load();
    return agreement;
}

std::unique_ptr<TDownPaySchedule> TVereDivoRateBook::LoadDownPaySchedule(int32_t brokerId,
                                                                         int32_t stateId)
{
    return std::make_unique<TDownPaySchedule>(RateTable(rtDownPayment), brokerId, stateId);
}

std::string TVereDivoRateBook::NextUserSubCode(const TVereDivoClass &line)
{
    TCBTable &table = RateTable(rtUserClasses);
    const std::string key = UserKeyPart(line.Code);
    int32_t largest = 0;
    // Deleted rows count too: a sub-code once given is never given to another class.
    for (bool found = table.Seek(key, "CODE_SUB"); found; found = table.SeekNext(key)) {
        const std::string subCode = table.GetString("SubCode");
        const size_t percent = subCode.find('%');
        const std::string number =
            Trim(percent == std::string::npos ? subCode : subCode.substr(percent + 1));
        largest = std::max(largest, StrToIntDef(number, 0));
    }
    return "%" + IntText(largest + 1);
}

bool TVereDivoRateBook::FindUserClass(const TVereDivoClass &line)
{
    return SeekLiveRow(RateTable(rtUserClasses), UserKeyPart(line.Code) + UserKeyPart(line.SubCode),
                       "CODE_SUB");
}

void TVereDivoRateBook::SaveUserClass(TVereDivoClass &line)
{
    TCBTable &table = RateTable(rtUserClasses);
    const bool hasSubCode = !Trim(line.SubCode).empty();
    const std::string subCode = hasSubCode ? line.SubCode : NextUserSubCode(line);
    if (!hasSubCode || !FindUserClass(line)) {
        table.AppendBlank();
    }
    if (!hasSubCode) {
        line.SubCode = subCode;
    }
    table.SetString("Code", Trim(line.Code));
    table.SetString("SubCode", Trim(line.SubCode));
    table.SetString("Parent_C", Trim(line.ParentCode));
    table.SetString("Parent_SC", Trim(line.ParentSubCode));
    table.SetString("Phrase", line.DisplayName());
    table.Flush();
}

void TVereDivoRateBook::DeleteUserClass(const TVereDivoClass &line)
{
    TCBTable &table = RateTable(rtUserClasses);
    if (FindUserClass(line)) {
        table.Delete();
        table.Flush();
    }
}

void TVereDivoRateBook::LoadUserClasses(TClassLineList &classBook)
{
    TCBTable &table = RateTable(rtUserClasses);
    TClassLineList found;
    table.SelectTag("");
    for (table.First(); !table.Eof(); table.Next()) {
        if (table.Deleted()) {
            continue;
        }
        const std::string parentCode = TrimmedString(table, "Parent_C");
        const std::string parentSubCode = TrimmedString(table, "Parent_SC");
        const auto parent = std::find_if(classBook.begin(), classBook.end(), [&](const auto &c) {
            return SameText(c->Code, parentCode) && SameText(c->SubCode, parentSubCode);
        });
        if (parent == classBook.end()) {
            continue;
        }
        auto line = std::make_unique<TVereDivoClass>((*parent)->CalcType);
        line->CopyFrom(**parent);
        line->Code = TrimmedString(table, "Code");
        line->SubCode = TrimmedString(table, "SubCode");
        line->ParentCode = Trim((*parent)->Code);
        line->ParentSubCode = Trim((*parent)->SubCode);
        line->Description = TrimmedString(table, "Phrase");
        found.push_back(std::move(line));
    }
    for (auto &line : found) {
        classBook.push_back(std::move(line));
    }
}

void FillBrokerAndStateLists(TCBTable &brokerTable, TCBTable &planTable, TChoiceList &brokers,
                             TChoiceList &states)
{
    brokers = TChoiceList();
    states = TChoiceList();
    brokerTable.SelectTag("");
    for (brokerTable.First(); !brokerTable.Eof(); brokerTable.Next()) {
        if (!brokerTable.Deleted()) {
            brokers.Items.push_back(TChoiceItem {TrimmedString(brokerTable, "Name"),
                                                 TextInteger(brokerTable, "Broker_ID")});
        }
    }
    planTable.SelectTag("");
    for (planTable.First(); !planTable.Eof(); planTable.Next()) {
        if (planTable.Deleted()) {
            continue;
        }
        const std::string name = TrimmedString(planTable, "State_Name");
        const bool listed =
            std::any_of(states.Items.begin(), states.Items.end(),
                        [&](const TChoiceItem &item) { return SameText(item.Text, name); });
        if (!listed) {
            states.Items.push_back(TChoiceItem {name, TextInteger(planTable, "State_ID")});
        }
    }
    brokers.ItemIndex = brokers.Items.empty() ? -1 : 0;
    states.ItemIndex = states.Items.empty() ? -1 : 0;
}
