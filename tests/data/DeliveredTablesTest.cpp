// Checks the tables delivered in the program folder's Data/ the way their readers use them: the
// tables are opened through the table layer and every lookup builds its key as the reader does.

#include "core/Dates.h"
#include "core/IniFile.h"
#include "core/Paths.h"
#include "core/Text.h"
#include "db/CBDatabase.h"
#include "db/KnownTags.h"
#include "dbase/Context.h"
#include "dbase/Expression.h"
#include "dbase/Index.h"
#include "dbase/Table.h"
#include "support/ScratchFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

const std::vector<std::string> kRateTables = {
    "WCPLAN.DBF",   "WCCLASS.DBF",  "WCINPUTS.DBF", "INP_DATA.DBF", "WCPREM.DBF",   "PREMIUMS.DBF",
    "HAZ_CODE.DBF", "OUTPUT.DBF",   "WCDOCS.DBF",   "WCKEYS.DBF",   "WCBROKER.DBF", "WCEXPORT.DBF",
    "MISCFACT.DBF", "WCDOWN.DBF",   "tierprem.dbf", "PREMDISC.DBF", "wccalc.dbf",   "finance.dbf",
    "finitems.dbf", "web_link.dbf", "usrClass.dbf"};
const std::vector<std::string> kCustomerTables = {"CUSTGNRL.DBF", "CUSTWCUI.DBF", "CUSTWCCL.DBF",
                                                  "CUSTMPR.DBF",  "CUSTDEVS.DBF", "CUST_LOB.DBF",
                                                  "CUSTPLAN.DBF", "CUSTMISC.DBF"};

constexpr int kMA = 13;
constexpr int kNJ = 15;

std::string ProgramDir()
{
    const char *dir = std::getenv("VEREDIVO_PROGRAM_DIR");
    return IncludeTrailingSlash(dir ? dir : "");
}

std::string DataDir()
{
    return ProgramDir() + "Data/";
}

// A number kept as text in a character column, as the readers take it: trimmed, empty is 0.
int32_t TextNumber(const TCBTable &table, const std::string &field)
{
    return StrToIntDef(Trim(table.GetString(field)), 0);
}

std::string Text(const TCBTable &table, const std::string &field)
{
    return Trim(table.GetString(field));
}

std::string PairKey(int32_t first, int32_t second)
{
    return KeyNumber(first) + KeyNumber(second);
}

struct Plan
{
    int32_t broker = 0;
    int32_t state = 0;
};

std::string Describe(const Plan &plan)
{
    return "plan " + IntText(plan.broker) + "/" + IntText(plan.state);
}

// One rating input control as the control set reads it.
struct Control
{
    int32_t index = 0;
    std::string name;
    int32_t kind = 0;
    int32_t left = 0, top = 0, height = 0, width = 0; // top resolved to pixels
    bool visible = false;
    double value = 0;
    int32_t dataField = 0;
};

struct ListEntry
{
    std::string text;
    bool isDefault = false;
    double data1 = 0, data2 = 0;
    int32_t dataType = 0;
};

class DeliveredTables : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        database = std::make_unique<TCBDatabase>();
        for (const auto &name : kRateTables)
            tables[name] = &database->AddTable(name, DataDir(), true);
        for (const auto &name : kCustomerTables)
            tables[name] = &database->AddTable(name, DataDir(), true);
    }
    static void TearDownTestSuite()
    {
        tables.clear();
        database.reset();
    }

    static TCBTable &Table(const std::string &name) { return *tables.at(name); }

    // Every record of a table in record order.
    static void ForEachRecord(TCBTable &table, const std::function<void(TCBTable &)> &visit)
    {
        table.SelectTag("");
        for (table.First(); !table.Eof(); table.Next())
            if (!table.Deleted())
                visit(table);
    }

    // The records a reader walks: seek the key on the tag, then the next records while `same`
    // holds (the readers that compare columns) or while the key still matches (`same` empty).
    static int32_t Walk(TCBTable &table, const std::string &tag, const std::string &key,
                        const std::function<bool(TCBTable &)> &same,
                        const std::function<void(TCBTable &)> &visit)
    {
        int32_t count = 0;
        if (!same) {
            for (bool found = table.Seek(key, tag); found; found = table.SeekNext(key)) {
                visit(table);
                ++count;
            }
            return count;
        }
        if (!table.Seek(key, tag))
            return 0;
        while (!table.Eof() && same(table)) {
            if (!table.Deleted()) {
                visit(table);
                ++count;
            }
            table.Next();
        }
        return count;
    }

    static std::vector<Plan> Plans()
    {
        std::vector<Plan> plans;
        ForEachRecord(Table("WCPLAN.DBF"), [&](TCBTable &t) {
            plans.push_back({TextNumber(t, "Broker_ID"), TextNumber(t, "State_ID")});
        });
        return plans;
    }

    // Positions WCPLAN.DBF on the plan's record.
    static TCBTable &PlanRecord(const Plan &plan)
    {
        TCBTable &t = Table("WCPLAN.DBF");
        EXPECT_TRUE(t.Seek(PairKey(plan.broker, plan.state), "ID")) << Describe(plan);
        return t;
    }

    // The broker and state a plan uses for one kind of lookup: its plan key, or itself.
    static Plan KeyedPlan(const Plan &plan, int32_t kind)
    {
        Plan result = plan;
        TCBTable &keys = Table("WCKEYS.DBF");
        Walk(
            keys, "ID", PairKey(plan.broker, plan.state),
            [&](TCBTable &t) {
                return TextNumber(t, "Broker_ID") == plan.broker &&
                    TextNumber(t, "State_ID") == plan.state;
            },
            [&](TCBTable &t) {
                if (t.GetInteger("Key") == kind)
                    result = {t.GetInteger("Sub_Broker"), t.GetInteger("Sub_State")};
            });
        return result;
    }

    static std::vector<Control> Controls(int32_t state, int32_t rateSet, int32_t form)
    {
        std::vector<Control> controls;
        TCBTable &t = Table("WCINPUTS.DBF");
        const std::string key =
            KeyNumber(state) + KeyNumber(rateSet) + KeyNumber(form) + KeyNumberRightAligned(1, 3);
        int32_t reference = 0;
        bool haveReference = false;
        Walk(
            t, "ID_INDEX", key,
            [&](TCBTable &r) {
                return TextNumber(r, "ID") == state && TextNumber(r, "ID2") == rateSet &&
                    TextNumber(r, "FORM_ID") == form;
            },
            [&](TCBTable &r) {
                if (!r.GetBoolean("Active"))
                    return;
                Control c;
                c.index = r.GetInteger("Index");
                c.name = TrimRight(r.GetString("Name"));
                c.kind = r.GetInteger("Type");
                c.left = r.GetInteger("Left");
                c.top = r.GetInteger("Top");
                c.height = r.GetInteger("Height");
                c.width = r.GetInteger("Width");
                c.visible = r.GetBoolean("Visible");
                c.value = r.GetDouble("Value");
                c.dataField = r.GetInteger("Data_Field");
                if (c.top < 0 && haveReference)
                    c.top = reference - c.top;
                if (c.visible) {
                    reference = c.top;
                    haveReference = true;
                }
                controls.push_back(c);
            });
        return controls;
    }

    static const Control *Find(const std::vector<Control> &controls, const std::string &name)
    {
        for (const auto &c : controls)
            if (SameText(c.name, name))
                return &c;
        return nullptr;
    }

    // The entries of a drop-down list: entry n = 1, 2, ... until one is missing.
    static std::vector<ListEntry> Entries(int32_t state, int32_t rateSet, int32_t form,
                                          int32_t control)
    {
        std::vector<ListEntry> entries;
        TCBTable &t = Table("INP_DATA.DBF");
        for (int32_t n = 1;; ++n) {
            const std::string key = KeyNumber(state) + KeyNumber(form) + KeyNumber(control) +
                KeyNumber(rateSet) + KeyNumber(n);
            if (!t.Seek(key, "ID_FRM_CTL"))
                break;
            entries.push_back({Text(t, "Text"), t.GetBoolean("Default"), t.GetDouble("Data1"),
                               t.GetDouble("Data2"), t.GetInteger("Data_Type")});
        }
        return entries;
    }

    // Class codes and sub-codes of a plan's class file, read like the rate book reads them.
    static std::vector<std::pair<std::string, std::string>> ClassCodes(const Plan &plan,
                                                                       int32_t classFile)
    {
        const std::string carrier = Trim(PlanRecord(plan).GetString("CARR_ID"));
        const Plan source = KeyedPlan(plan, 1);
        std::vector<std::pair<std::string, std::string>> codes;
        Walk(Table("WCCLASS.DBF"), "PLAN_FILE",
             PairKey(source.broker, source.state) + KeyNumber(classFile, 3) + PadRight(carrier, 3),
             {}, [&](TCBTable &t) { codes.emplace_back(Text(t, "C_Code"), Text(t, "C_SubCode")); });
        return codes;
    }

    struct DiscountRow
    {
        int32_t table = 0;
        double value1 = 0, value2 = 0, discount = 0;
    };

    // Premium discount rows of a pair, of one table when `tableId` is given.
    static std::vector<DiscountRow> DiscountRows(const Plan &pair, int32_t tableId = 0)
    {
        std::vector<DiscountRow> rows;
        std::string key = PairKey(pair.broker, pair.state);
        if (tableId > 0)
            key += KeyNumber(tableId);
        Walk(
            Table("PREMDISC.DBF"), "ID1_2_3", key,
            [&](TCBTable &t) {
                return TextNumber(t, "ID1") == pair.broker && TextNumber(t, "ID2") == pair.state &&
                    (tableId == 0 || TextNumber(t, "ID3") == tableId);
            },
            [&](TCBTable &t) {
                rows.push_back({TextNumber(t, "ID3"), t.GetDouble("Value1"), t.GetDouble("Value2"),
                                t.GetDouble("Discount")});
            });
        return rows;
    }

    // Graduated layers: widths that add up to the upper ends kept beside them.
    static void ExpectLayersContiguous(const std::vector<DiscountRow> &rows,
                                       const std::string &what)
    {
        ASSERT_FALSE(rows.empty()) << what;
        double upper = 0;
        for (const auto &row : rows) {
            upper += row.value1;
            EXPECT_DOUBLE_EQ(row.value2, upper) << what;
            EXPECT_GE(row.discount, 0) << what;
            EXPECT_LT(row.discount, 0.5) << what;
        }
        EXPECT_GE(upper, 999999999.0) << what << ": the last layer must take any premium";
    }

    static std::unique_ptr<TCBDatabase> database;
    static std::map<std::string, TCBTable *> tables;
};

std::unique_ptr<TCBDatabase> DeliveredTables::database;
std::map<std::string, TCBTable *> DeliveredTables::tables;

TEST_F(DeliveredTables, EveryTagTheReadersSeekExists)
{
    std::ifstream list(SourceFolder() + "tests/data/reader_tags.txt");
    ASSERT_TRUE(list) << "reader_tags.txt";
    int32_t checked = 0;
    for (std::string line; std::getline(list, line);) {
        std::istringstream words(line.substr(0, line.find('#')));
        std::string file, tag;
        size_t keyLength = 0;
        if (!(words >> file >> tag >> keyLength))
            continue;
        ASSERT_TRUE(tables.count(file)) << file;
        EXPECT_NO_THROW(Table(file).TagByName(tag)) << file << " " << tag;
        // A longer key would still match the reader's key as a prefix; the length must be exact.
        dbase::Context context;
        const auto table = dbase::Table::Open(context, DataDir() + file);
        const dbase::Tag *found = table->FindTag(tag);
        ASSERT_NE(found, nullptr) << file << " " << tag;
        EXPECT_EQ(found->KeyLength(), keyLength) << file << " " << tag;
        ++checked;
    }
    EXPECT_EQ(checked, 34);
    for (const auto &name : kCustomerTables) {
        EXPECT_TRUE(Table(name).IsEmpty()) << name;
    }
    EXPECT_TRUE(Table("usrClass.dbf").IsEmpty());
}

TEST_F(DeliveredTables, BrokerOneOffersBothStatesAndEveryPlanHasABroker)
{
    std::vector<int32_t> brokers;
    ForEachRecord(Table("WCBROKER.DBF"), [&](TCBTable &t) {
        brokers.push_back(TextNumber(t, "Broker_ID"));
        EXPECT_FALSE(Text(t, "Name").empty());
    });
    EXPECT_EQ(brokers, (std::vector<int32_t> {1, 5, 6}));

    std::set<int32_t> activeStatesOfBroker1;
    std::set<std::pair<int32_t, int32_t>> pairs;
    ForEachRecord(Table("WCPLAN.DBF"), [&](TCBTable &t) {
        const int32_t broker = TextNumber(t, "Broker_ID");
        const int32_t state = TextNumber(t, "State_ID");
        EXPECT_TRUE(pairs.insert({broker, state}).second)
            << "two plans for " << broker << "/" << state;
        EXPECT_NE(std::find(brokers.begin(), brokers.end(), broker), brokers.end()) << broker;
        EXPECT_TRUE(state == kMA || state == kNJ) << state;
        EXPECT_EQ(Text(t, "State_Name"), state == kMA ? "Massachusetts" : "New Jersey");
        if (broker == 1 && t.GetBoolean("Active"))
            activeStatesOfBroker1.insert(state);
    });
    EXPECT_EQ(activeStatesOfBroker1, (std::set<int32_t> {kMA, kNJ}));
    // The key of broker 5 and state 13 is "5" + five blanks + "13" + four blanks.
    EXPECT_TRUE(Table("WCPLAN.DBF").Seek(std::string("5     13    "), "ID"));
}

TEST_F(DeliveredTables, PlanDatesAreInOrder)
{
    const TDateTime first = EncodeDate(2026, 1, 1);
    const TDateTime last = EncodeDate(2027, 12, 31);
    for (const auto &plan : Plans()) {
        TCBTable &t = PlanRecord(plan);
        const auto date = [&](const char *field) {
            const TDateTime d = t.GetDate(field);
            EXPECT_GT(d, 0) << Describe(plan) << " " << field << " is blank";
            return d;
        };
        const TDateTime minDate = date("Min_Date"), maxDate = date("Max_Date");
        const TDateTime effect1 = date("Effect_1"), exp1 = date("Exp_1");
        const TDateTime effect2 = date("Effect_2"), exp2 = date("Exp_2");
        const TDateTime rateChange = date("Rate_Chang");
        SCOPED_TRACE(Describe(plan));
        EXPECT_LE(minDate, first);
        EXPECT_GE(maxDate, last);
        EXPECT_LE(effect1, minDate) << "every date the plan rates has a class file";
        EXPECT_GE(exp2, maxDate);
        EXPECT_LT(effect1, exp1);
        EXPECT_EQ(exp1 + 1, effect2) << "class file 2 starts the day after file 1 ends";
        EXPECT_LT(effect2, exp2);
        EXPECT_GT(effect2, minDate);
        EXPECT_LT(effect2, maxDate);
        EXPECT_GT(rateChange, minDate);
        EXPECT_LT(rateChange, maxDate);
        EXPECT_TRUE(t.GetBoolean("Active"));
        EXPECT_LT(t.GetDouble("Min_Ex_Mod"), 1.0);
        EXPECT_GT(t.GetDouble("Max_Ex_Mod"), 1.0);
        const double down = t.GetDouble("Down");
        EXPECT_TRUE(down > 0 && down <= 100) << down;
    }
}

TEST_F(DeliveredTables, EveryPlanFindsItsClericalSalesAndDriversClassInBothClassFiles)
{
    for (const auto &plan : Plans()) {
        TCBTable &p = PlanRecord(plan);
        const std::pair<std::string, std::string> clerical {UpperCase(Text(p, "Cleric_Cod")),
                                                            UpperCase(Text(p, "Cleric_Sub"))};
        const std::pair<std::string, std::string> sales {UpperCase(Text(p, "Sales_Cod")),
                                                         UpperCase(Text(p, "Sales_Sub"))};
        const std::pair<std::string, std::string> drivers {UpperCase(Text(p, "Driver_Cod")),
                                                           UpperCase(Text(p, "Driver_Sub"))};
        EXPECT_EQ(clerical.first, "8810");
        EXPECT_EQ(sales.first, "8742");
        for (int32_t classFile = 1; classFile <= 2; ++classFile) {
            SCOPED_TRACE(Describe(plan) + " class file " + IntText(classFile));
            const auto codes = ClassCodes(plan, classFile);
            EXPECT_GE(codes.size(), 70u);
            const auto has = [&](const std::pair<std::string, std::string> &code) {
                return std::find(codes.begin(), codes.end(), code) != codes.end();
            };
            EXPECT_TRUE(has(clerical));
            EXPECT_TRUE(has(sales));
            if (!drivers.first.empty()) {
                EXPECT_TRUE(has(drivers));
            }
            std::set<std::pair<std::string, std::string>> unique(codes.begin(), codes.end());
            EXPECT_EQ(unique.size(), codes.size()) << "a code and sub-code twice";
        }
    }
    // Without a drivers class the quote asks for none; broker 6 in NJ is such a plan.
    EXPECT_EQ(Text(PlanRecord({6, kNJ}), "Driver_Cod"), "");
}

TEST_F(DeliveredTables, EveryClassRateIsPositive)
{
    int32_t perCapita0913 = 0;
    ForEachRecord(Table("WCCLASS.DBF"), [&](TCBTable &t) {
        const std::string code = Text(t, "C_Code");
        SCOPED_TRACE(IntText(TextNumber(t, "Broker_ID")) + "/" +
                     IntText(TextNumber(t, "State_ID")) + " class " + code);
        EXPECT_GT(t.GetDouble("C_STATE"), 0);
        EXPECT_GT(t.GetDouble("C_RATE"), 0);
        EXPECT_LE(t.GetDouble("C_RATE"), t.GetDouble("C_STATE")) << "deviations only lower";
        EXPECT_GT(t.GetInteger("C_Min"), 0);
        EXPECT_GE(t.GetInteger("C_Loss_Con"), 0);
        const int32_t calcType = TextNumber(t, "C_CALCTYPE");
        EXPECT_TRUE(calcType == 1 || calcType == 2);
        EXPECT_EQ(t.GetInteger("Special") == 1, calcType == 2) << "per-capita classes are special";
        const int32_t hazard = t.GetInteger("C_Table_H");
        EXPECT_TRUE(hazard >= 1 && hazard <= 7);
        EXPECT_EQ(code.size(), 4u);
        EXPECT_TRUE(Text(t, "C_CONCRED") == "Y" || Text(t, "C_CONCRED") == "N");
        EXPECT_TRUE(Text(t, "SURVEY") == "Y" || Text(t, "SURVEY") == "N");
        EXPECT_FALSE(Text(t, "C_PHRASE").empty());
        if (code == "0913" && TextNumber(t, "State_ID") == kNJ) {
            EXPECT_EQ(calcType, 2);
            ++perCapita0913;
        }
    });
    EXPECT_EQ(perCapita0913, 2) << "0913 in both NJ class files";
}

TEST_F(DeliveredTables, EveryPlanHasFactorsForBothRatePeriods)
{
    for (const auto &plan : Plans()) {
        const Plan source = KeyedPlan(plan, 2);
        for (int32_t period = 1; period <= 2; ++period) {
            SCOPED_TRACE(Describe(plan) + " period " + IntText(period));
            TCBTable &f = Table("WCPREM.DBF");
            ASSERT_TRUE(
                f.Seek(PairKey(source.broker, source.state) + KeyNumber(period), "ID_INDEX"));
            const int32_t hi = f.GetInteger("EXP_CNT_HI"), md = f.GetInteger("EXP_CNT_MD"),
                          lo = f.GetInteger("EXP_CNT_LO");
            EXPECT_TRUE(lo > 0 && lo <= md && md <= hi);
            if (hi != lo) {
                EXPECT_LT(f.GetInteger("EXPLCUTOFF"), f.GetInteger("EXPMCUTOFF"));
            }
            if (f.GetBoolean("ASS_PERCNT")) {
                EXPECT_TRUE(f.GetDouble("ASSESSMENT") > 0 && f.GetDouble("ASSESSMENT") < 0.2);
            }
            EXPECT_NE(f.GetDouble("Terror"), 0);
            if (f.GetInteger("EXP_PER_EM") > 0) {
                EXPECT_GT(f.GetInteger("EPM_MAX"), 0);
            }
            if (f.GetBoolean("USE_HAZ_CD")) {
                std::set<int32_t> codes;
                const int32_t count = Walk(
                    Table("HAZ_CODE.DBF"), "GET_CODES",
                    PairKey(source.broker, source.state) + KeyNumber(period) + KeyNumber(1),
                    [&](TCBTable &h) {
                        return TextNumber(h, "Broker_ID") == source.broker &&
                            TextNumber(h, "State_ID") == source.state &&
                            TextNumber(h, "File_ID") == period && TextNumber(h, "Type") == 1;
                    },
                    [&](TCBTable &h) {
                        EXPECT_TRUE(codes.insert(h.GetInteger("Value")).second) << "code twice";
                    });
                EXPECT_GT(count, 0) << "hazard codes";
            }
        }
    }
}

TEST_F(DeliveredTables, EveryDropDownListHasExactlyOneDefault)
{
    int32_t lists = 0;
    for (int32_t state : {kMA, kNJ})
        for (int32_t rateSet = 1; rateSet <= 2; ++rateSet)
            for (int32_t form = 1; form <= 2; ++form)
                for (const auto &c : Controls(state, rateSet, form)) {
                    if (c.kind != 2)
                        continue;
                    SCOPED_TRACE(IntText(state) + "/" + IntText(rateSet) + " " + c.name);
                    const auto entries = Entries(state, rateSet, form, c.index);
                    EXPECT_GE(entries.size(), 2u);
                    int32_t defaults = 0;
                    for (const auto &e : entries) {
                        defaults += e.isDefault ? 1 : 0;
                        EXPECT_FALSE(e.text.empty());
                        EXPECT_TRUE(e.dataType >= 0 && e.dataType <= 3);
                    }
                    EXPECT_EQ(defaults, 1);
                    ++lists;
                }
    EXPECT_EQ(lists, 2 * (5 + 2));
}

TEST_F(DeliveredTables, EachStateOffersTheControlsItsQuoteBinds)
{
    const std::map<int32_t, std::vector<std::string>> bound = {
        {kMA,
         {"lstPartTwo", "lstPremiumDiscount", "txtExpMod", "txtConstCredit", "lstBenefits",
          "lstMedical", "lstMerit", "txtARAP", "txtFees", "txtLossMgmt", "lblFees",
          "lblPremiumDiscount"}},
        {kNJ,
         {"lstPartTwo", "lstPremiumDiscount", "txtExpMod", "txtConstCredit", "txtTerrorism",
          "txtTerrorismDom", "txtManagedCare", "chkManagedCare", "txtNJERN", "txtPPAPFactor",
          "lblPremiumDiscount", "lblTerrorism", "lblTerrorismDom", "lblManagedCare"}}};
    for (const auto &[state, names] : bound)
        for (int32_t rateSet = 1; rateSet <= 2; ++rateSet) {
            SCOPED_TRACE(IntText(state) + "/" + IntText(rateSet));
            const auto controls = Controls(state, rateSet, 1);
            for (const auto &name : names) {
                EXPECT_NE(Find(controls, name), nullptr) << name;
            }
            std::set<int32_t> dataFields;
            for (size_t i = 0; i < controls.size(); ++i) {
                const Control &c = controls[i];
                EXPECT_EQ(c.index, static_cast<int32_t>(i) + 1) << "control numbers run from 1";
                EXPECT_TRUE(c.visible) << c.name;
                EXPECT_TRUE(c.left >= 0 && c.left + c.width <= 600) << c.name;
                EXPECT_TRUE(c.top >= 0 && c.top + c.height <= 250) << c.name;
                const bool input = c.kind == 2 || c.kind == 5 || c.kind == 8;
                if (input) {
                    EXPECT_TRUE(c.dataField > 0 && dataFields.insert(c.dataField).second) << c.name;
                } else {
                    EXPECT_EQ(c.dataField, 0) << c.name;
                }
                // Controls may share a place only when the quote keeps one of them.
                for (size_t j = 0; j < i; ++j) {
                    const Control &o = controls[j];
                    const bool overlap = c.left < o.left + o.width && o.left < c.left + c.width &&
                        c.top < o.top + o.height && o.top < c.top + c.height;
                    const bool managedCarePair = SameText(c.name, "chkManagedCare") &&
                        (SameText(o.name, "txtManagedCare") || SameText(o.name, "lblManagedCare"));
                    EXPECT_TRUE(!overlap || managedCarePair) << c.name << " over " << o.name;
                }
            }
        }
}

TEST_F(DeliveredTables, PremiumDetailShowsEveryAmountWithTheTotalLast)
{
    for (int32_t state : {kMA, kNJ})
        for (int32_t rateSet = 1; rateSet <= 2; ++rateSet) {
            SCOPED_TRACE(IntText(state) + "/" + IntText(rateSet));
            const auto controls = Controls(state, rateSet, 2);
            std::set<int32_t> values;
            const Control *total = nullptr;
            int32_t lowest = 0;
            for (const auto &c : controls) {
                lowest = std::max(lowest, c.top);
                if (c.kind != 6)
                    continue;
                const int32_t value = static_cast<int32_t>(c.value);
                EXPECT_TRUE(values.insert(value).second) << value;
                if (value == 16)
                    total = &c;
            }
            for (int32_t item : {1, 3, 9, 11, 13, 14, 15, 16}) {
                EXPECT_TRUE(values.count(item)) << item;
            }
            for (int32_t item : state == kMA
                     ? std::vector<int32_t> {2, 5, 6, 7, 12, 18, 40, 59, 130}
                     : std::vector<int32_t> {2, 7, 18, 40, 41, 130, 132, 150})
                EXPECT_TRUE(values.count(item)) << item;
            ASSERT_NE(total, nullptr);
            EXPECT_GE(total->top + 3, lowest) << "the total marks the bottom";
        }
}

TEST_F(DeliveredTables, ListEntriesCarryTheNumbersTheQuoteEvaluates)
{
    for (int32_t state : {kMA, kNJ}) {
        const auto controls = Controls(state, 1, 1);
        const Control *limits = Find(controls, "lstPartTwo");
        ASSERT_NE(limits, nullptr);
        const auto entries = Entries(state, 1, 1, limits->index);
        std::vector<std::string> texts;
        for (const auto &e : entries) {
            texts.push_back(e.text);
            if (e.isDefault) {
                EXPECT_EQ(e.text, "100/500/100");
            } else {
                EXPECT_TRUE(e.dataType == 1 && e.data1 > 0 && e.data2 > 0) << e.text;
            }
        }
        for (const char *text : {"100/500/100", "500/500/500", "1000/1000/1000"}) {
            EXPECT_NE(std::find(texts.begin(), texts.end(), text), texts.end()) << text;
        }
        const Control *discount = Find(controls, "lstPremiumDiscount");
        ASSERT_NE(discount, nullptr);
        for (const auto &e : Entries(state, 1, 1, discount->index)) {
            EXPECT_EQ(e.dataType, 3) << e.text << ": the table number is a flat amount";
        }
    }
    const auto ma = Controls(kMA, 1, 1);
    for (const auto &e : Entries(kMA, 1, 1, Find(ma, "lstMerit")->index)) {
        int32_t whole = 0;
        EXPECT_TRUE(TryStrToInt(e.text, whole)) << "merit texts are whole numbers: " << e.text;
        EXPECT_EQ(e.isDefault, whole == 0);
    }
}

TEST_F(DeliveredTables, DiscountTablesMatchEachPlansMethod)
{
    std::set<int32_t> methods;
    for (const auto &plan : Plans()) {
        SCOPED_TRACE(Describe(plan));
        const int32_t method = PlanRecord(plan).GetInteger("PrmDiscTyp");
        methods.insert(method);
        const Plan pair = KeyedPlan(plan, 9);
        std::vector<int32_t> listed;
        const auto controls = Controls(plan.state, 1, 1);
        for (const auto &e : Entries(plan.state, 1, 1, Find(controls, "lstPremiumDiscount")->index))
            if (e.data1 > 0 && !(plan.broker == 6 && e.text == "Table X"))
                listed.push_back(static_cast<int32_t>(e.data1));
        if (method == 1) {
            TCBTable &f = Table("WCPREM.DBF");
            const Plan factors = KeyedPlan(plan, 2);
            ASSERT_TRUE(f.Seek(PairKey(factors.broker, factors.state) + KeyNumber(1), "ID_INDEX"));
            EXPECT_GT(f.GetInteger("PRM_DSC_MN"), 0);
            EXPECT_LT(f.GetDouble("PRM_DSC_PR"), 0);
        } else if (method == 2) {
            // The quote loads every row of the pair as one table of layers.
            const auto rows = DiscountRows(pair);
            ExpectLayersContiguous(rows, "method 2");
            for (const auto &row : rows) {
                EXPECT_EQ(row.table, rows.front().table);
            }
        } else if (method == 3) {
            const auto rows = DiscountRows(pair);
            for (int32_t table : listed) {
                double previous = 0;
                bool any = false;
                for (const auto &row : rows) {
                    if (row.table != table)
                        continue;
                    EXPECT_GT(row.value1, previous) << "upper bounds rise";
                    EXPECT_TRUE(row.discount >= 0 && row.discount < 50) << "percent";
                    previous = row.value1;
                    any = true;
                }
                EXPECT_TRUE(any) << "table " << table;
                EXPECT_GE(previous, 999999999.0);
            }
        } else if (method == 4) {
            EXPECT_FALSE(listed.empty());
            for (int32_t table : listed)
                ExpectLayersContiguous(DiscountRows(pair, table),
                                       "method 4 table " + IntText(table));
        } else {
            ADD_FAILURE() << "discount method " << method;
        }
    }
    EXPECT_EQ(methods, (std::set<int32_t> {1, 2, 3, 4}));
}

TEST_F(DeliveredTables, MinimumPremiumRulesAndPlanSwitchesAreAllReachable)
{
    std::set<int32_t> rules, poolKinds;
    std::set<std::string> switches;
    for (const auto &plan : Plans()) {
        TCBTable &p = PlanRecord(plan);
        const int32_t rule = p.GetInteger("MinPremTyp");
        rules.insert(rule == 1 || rule == 3 ? rule : 0);
        poolKinds.insert(p.GetInteger("Pool_App"));
        for (const char *flag : {"Deviated", "HasFees", "PLAN_KEYS", "User_Dev", "UserDownPy",
                                 "WKSHT_DOWN", "HAS_FINANC", "ONLY_WKSHT", "Can_Export"})
            if (p.GetBoolean(flag))
                switches.insert(flag);
        if (p.GetBoolean("Deviated")) {
            EXPECT_EQ(plan.state, kMA) << "only the MA sequence has two passes";
        }
        if (p.GetBoolean("HasFees")) {
            EXPECT_EQ(plan.state, kMA) << "only MA quotes bind a fees box";
        }
        if (p.GetInteger("Pool_App") == 2) {
            EXPECT_FALSE(Text(p, "Pool_Name").empty());
        }
        const int32_t keys = Walk(
            Table("WCKEYS.DBF"), "ID", PairKey(plan.broker, plan.state),
            [&](TCBTable &t) {
                return TextNumber(t, "Broker_ID") == plan.broker &&
                    TextNumber(t, "State_ID") == plan.state;
            },
            [](TCBTable &) {});
        EXPECT_EQ(p.GetBoolean("PLAN_KEYS"), keys > 0) << Describe(plan);
    }
    EXPECT_EQ(rules, (std::set<int32_t> {0, 1, 3}));
    EXPECT_EQ(poolKinds, (std::set<int32_t> {0, 1, 2}));
    EXPECT_EQ(switches.size(), 9u);
}

TEST_F(DeliveredTables, TierAndBracketRangesAreContiguous)
{
    // Down payment schedules, by whole-dollar premium.
    std::map<std::pair<int32_t, int32_t>, std::vector<std::pair<double, double>>> schedules;
    ForEachRecord(Table("WCDOWN.DBF"), [&](TCBTable &t) {
        schedules[{TextNumber(t, "ID1"), TextNumber(t, "ID2")}].push_back(
            {t.GetDouble("Low"), t.GetDouble("High")});
        const double percent = t.GetDouble("Percent");
        EXPECT_TRUE(percent > 0 && percent <= 100);
        EXPECT_GE(t.GetInteger("Installs"), 0);
        const int32_t interval = t.GetInteger("InstIntrvl");
        EXPECT_TRUE(interval == 0 || interval == 4 || interval == 12 || interval == 124);
    });
    EXPECT_FALSE(schedules.empty());
    for (const auto &[pair, rows] : schedules) {
        SCOPED_TRACE("schedule " + IntText(pair.first) + "/" + IntText(pair.second));
        // Read as the schedule reads them: seek, then while the pair is the same.
        int32_t read = Walk(
            Table("WCDOWN.DBF"), "ID", PairKey(pair.first, pair.second),
            [&](TCBTable &t) {
                return TextNumber(t, "ID1") == pair.first && TextNumber(t, "ID2") == pair.second;
            },
            [](TCBTable &) {});
        EXPECT_EQ(read, static_cast<int32_t>(rows.size()));
        EXPECT_EQ(rows.front().first, 0);
        for (size_t i = 1; i < rows.size(); ++i) {
            EXPECT_EQ(rows[i].first, rows[i - 1].second + 1);
        }
        EXPECT_GE(rows.back().second, 999999999.0);
    }

    // Finance brackets: a balance may have cents, so each bracket starts where the last ends.
    for (const char *kind : {"1", "2"}) {
        std::vector<std::pair<double, double>> rows;
        Walk(Table("finitems.dbf"), "Type_Tag", std::string(kind) + KeyNumber(1), {},
             [&](TCBTable &t) {
                 rows.push_back({t.GetDouble("Min"), t.GetDouble("Max")});
             });
        ASSERT_FALSE(rows.empty()) << "kind " << kind;
        EXPECT_EQ(rows.front().first, 0);
        for (size_t i = 1; i < rows.size(); ++i) {
            EXPECT_EQ(rows[i].first, rows[i - 1].second);
        }
        EXPECT_GE(rows.back().second, 999999999.0);
    }

    // Tiers by date: each starts the day after the one before.
    const auto controls = Controls(kNJ, 1, 1);
    const Control *check = Find(controls, "chkManagedCare");
    ASSERT_NE(check, nullptr);
    std::vector<std::pair<TDateTime, TDateTime>> tiers;
    Walk(Table("tierprem.dbf"), "ID3",
         KeyNumberRightAligned(0, 3) + PairKey(6, kNJ) + KeyNumber(check->index), {},
         [&](TCBTable &t) {
             tiers.push_back({StrToDate(Text(t, "From")), StrToDate(Text(t, "To"))});
             EXPECT_LT(t.GetDouble("Value"), 0) << "a credit";
         });
    ASSERT_FALSE(tiers.empty());
    EXPECT_LE(tiers.front().first, EncodeDate(2026, 1, 1));
    EXPECT_GE(tiers.back().second, EncodeDate(2027, 12, 31));
    for (size_t i = 1; i < tiers.size(); ++i) {
        EXPECT_EQ(tiers[i].first, tiers[i - 1].second + 1);
    }
}

TEST_F(DeliveredTables, TheManagedCareCheckBoxNamesItsRateTableValues)
{
    for (int32_t rateSet = 1; rateSet <= 2; ++rateSet) {
        const auto controls = Controls(kNJ, rateSet, 1);
        const Control *check = Find(controls, "chkManagedCare");
        ASSERT_NE(check, nullptr);
        EXPECT_EQ(check->kind, 8);
        EXPECT_EQ(check->value, -9998) << "a tier table by date for the quote's own plan";
        TCBTable &single = Table("PREMIUMS.DBF");
        EXPECT_TRUE(single.Seek(PairKey(6, kNJ) + KeyNumber(rateSet) + KeyNumber(check->index) +
                                    KeyNumber(0) + KeyNumber(0) + KeyNumber(0),
                                "SIMPLE"));
        EXPECT_LT(single.GetDouble("Value"), 0);
    }
}

TEST_F(DeliveredTables, EveryPlanHasTitlesDocumentsAndItsPaymentTerms)
{
    std::set<int32_t> kinds;
    for (const auto &plan : Plans()) {
        SCOPED_TRACE(Describe(plan));
        TCBTable &p = PlanRecord(plan);
        const std::string waiver = Text(p, "Waiver_nam");
        EXPECT_TRUE(FileExists(ProgramDir() + "docs/" + waiver + ".txt")) << waiver;
        const bool schedule = p.GetBoolean("WKSHT_DOWN");
        const bool finance = p.GetBoolean("HAS_FINANC");
        const int32_t financeId = p.GetInteger("FinanceID");

        const Plan output = KeyedPlan(plan, 5);
        TCBTable &o = Table("OUTPUT.DBF");
        for (int32_t row = 1; row <= 2; ++row) {
            ASSERT_TRUE(
                o.Seek(PairKey(output.broker, output.state) + KeyNumber(row, 3), "GET_OUTPUT"))
                << "output row " << row;
            EXPECT_FALSE(Text(o, "S_FIELD1").empty());
        }

        const Plan documents = KeyedPlan(plan, 6);
        const int32_t listed = Walk(
            Table("WCDOCS.DBF"), "ID_TAG",
            PairKey(documents.broker, documents.state) + KeyNumber(1),
            [&](TCBTable &t) {
                return TextNumber(t, "ID_One") == documents.broker &&
                    TextNumber(t, "ID_Two") == documents.state && TextNumber(t, "Type") == 1;
            },
            [&](TCBTable &t) {
                if (TextNumber(t, "Index") == 999)
                    return;
                const std::string path = Text(t, "Path");
                EXPECT_TRUE(path.find('\\') == std::string::npos &&
                            FileExists(ProgramDir() + "docs/" + path))
                    << path;
                kinds.insert(t.GetInteger("ReqOption"));
            });
        EXPECT_GE(listed, 3);

        if (schedule) {
            const Plan down = KeyedPlan(plan, 8);
            EXPECT_TRUE(Table("WCDOWN.DBF").Seek(PairKey(down.broker, down.state), "ID"))
                << "payment terms need a schedule";
        }
        if (finance) {
            TCBTable &f = Table("finance.dbf");
            ASSERT_TRUE(f.Seek(KeyNumber(financeId), "ID_Tag"));
            EXPECT_GT(f.GetInteger("NumPayment"), 0);
            EXPECT_FALSE(Text(f, "App_Name").empty());
            EXPECT_TRUE(
                Table("finitems.dbf").Seek("1" + KeyNumber(f.GetInteger("DownPayID")), "Type_Tag"));
            EXPECT_TRUE(
                Table("finitems.dbf").Seek("2" + KeyNumber(f.GetInteger("RateID")), "Type_Tag"));
        }
    }
    EXPECT_EQ(kinds, (std::set<int32_t> {0, 1, 2}));

    TCBTable &links = Table("web_link.dbf");
    ASSERT_TRUE(links.Seek(KeyNumber(1), "ID_TAG"));
    EXPECT_TRUE(StartsWithText(Text(links, "Web_Link"), "https://"));
    EXPECT_FALSE(links.Seek(KeyNumber(6), "ID_TAG")) << "broker 6 has no web link";
}

TEST_F(DeliveredTables, ExportMappingsNameEveryValueOnce)
{
    for (const auto &[mapping, required] : std::map<int32_t, std::vector<std::string>> {
             {100, {"WC_COMPANY_NAME", "WC_EFFECTIVE_DATE", "WC_MAILING_ZIP", "WC_TOTAL_PREMIUM"}},
             {101,
              {"WC_CLASS_CODE", "WC_CLASS_PAYROLL", "WC_CLASS_EMPLOYEES", "WC_CLASS_IF_ANY"}}}) {
        std::set<std::string> names;
        Walk(
            Table("WCEXPORT.DBF"), "EXP_TYPE", KeyNumber(5, 3) + KeyNumber(mapping, 3),
            [&](TCBTable &t) {
                return TextNumber(t, "ExpType") == 5 && TextNumber(t, "ExpID") == mapping;
            },
            [&](TCBTable &t) {
                EXPECT_GT(t.GetInteger("Data_ID"), 0);
                EXPECT_TRUE(names.insert(Text(t, "FieldName")).second) << Text(t, "FieldName");
            });
        for (const auto &name : required) {
            EXPECT_TRUE(names.count(name)) << mapping << " " << name;
        }
    }
}

TEST_F(DeliveredTables, AboutIniAndIconsNameEveryBroker)
{
    TIniFile about(DataDir() + "About.ini");
    EXPECT_EQ(about.ReadInteger("Detail", "Active_Broker", 0), 1);
    // Present and empty: the state is chosen at the first start.
    EXPECT_EQ(about.ReadString("Detail", "Active_State", "x"), "");
    ForEachRecord(Table("WCBROKER.DBF"), [&](TCBTable &t) {
        const std::string broker = IntText(TextNumber(t, "Broker_ID"));
        EXPECT_FALSE(about.ReadString("Broker_" + broker, "AppTitle", "").empty()) << broker;
        std::ifstream icon(ProgramDir() + "Images/icon_" + broker + ".ico", std::ios::binary);
        std::string header(6, '\0');
        ASSERT_TRUE(icon.read(header.data(), 6)) << broker;
        EXPECT_EQ(header, std::string("\0\0\1\0\1\0", 6)) << "an icon with one image";
    });
}

// The customer tables are delivered empty; a copy shows that rows written the way the customer
// store writes them are found with the keys the store seeks.
TEST(DeliveredCustomerTables, StoredRowsAreFoundWithTheKeysTheStoreBuilds)
{
    ScratchFolder folder;
    for (const auto &name : kCustomerTables)
        for (const auto &file : {name, ChangeFileExt(name, ".MDX"), ChangeFileExt(name, ".mdx")})
            if (FileExists(DataDir() + file))
                std::filesystem::copy_file(DataDir() + file, folder.File(file));
    TCBDatabase database;
    std::map<std::string, TCBTable *> t;
    for (const auto &name : kCustomerTables)
        t[name] = &database.AddTable(name, folder.Path(), true);

    TCBTable &customers = *t["CUSTGNRL.DBF"];
    for (int32_t number : {7, 70}) {
        ASSERT_TRUE(customers.AppendBlank());
        customers.SetInteger("Cust_Num", number);
        customers.SetString("Company", "Company " + IntText(number));
        customers.SetString("Fax", "(617)555-0" + IntText(number));
        customers.Flush();
    }
    ASSERT_TRUE(customers.Seek(KeyNumberRightAligned(7, 10), "ID_TAG"));
    EXPECT_EQ(Trim(customers.GetString("Company")), "Company 7");
    EXPECT_EQ(Trim(customers.GetString("FAx")), "(617)555-07");

    TCBTable &headers = *t["CUST_LOB.DBF"];
    for (int32_t quote : {12, 120}) {
        ASSERT_TRUE(headers.AppendBlank());
        headers.SetString("Cust_Num", IntText(7));
        headers.SetString("Quote_ID", IntText(quote));
        headers.SetInteger("LOB", 1);
        headers.SetDate("Effective", EncodeDate(2026, 3, 1));
        headers.Flush();
    }
    ASSERT_TRUE(headers.Seek(KeyNumber(7, 10) + KeyNumber(12, 6), "CUST_QUOTE"));
    EXPECT_EQ(Trim(headers.GetString("Quote_ID")), "12");
    ASSERT_TRUE(headers.Seek(KeyNumber(120, 10), "QUOTE_ID"));
    EXPECT_EQ(Trim(headers.GetString("Quote_ID")), "120");
    EXPECT_FALSE(headers.Seek(KeyNumber(1, 10), "QUOTE_ID"));
    int32_t quotesOfCustomer = 0;
    for (bool found = headers.Seek(KeyNumber(7, 10), "CUST_ID"); found;
         found = headers.SeekNext(KeyNumber(7, 10)))
        ++quotesOfCustomer;
    EXPECT_EQ(quotesOfCustomer, 2);

    const std::string quote = KeyNumber(12, 10);
    const auto write = [&](const std::string &table,
                           const std::map<std::string, std::string> &values) {
        TCBTable &target = *t[table];
        ASSERT_TRUE(target.AppendBlank());
        for (const auto &[field, value] : values)
            target.SetString(field, value);
        target.Flush();
    };
    write("CUSTPLAN.DBF", {{"ID", "12"}});
    t["CUSTPLAN.DBF"]->SetInteger("PLAN", 5);
    t["CUSTPLAN.DBF"]->Flush();
    write("CUSTWCUI.DBF", {{"ID", "12"}, {"FIELD_ID", "3"}, {"TEXT", "0.95"}});
    write("CUSTWCCL.DBF", {{"ID", "12"}, {"Index", "1"}, {"CODE", "8810"}, {"SUB_CODE", ""}});
    write("CUSTDEVS.DBF", {{"ID", "12"}, {"CODE", "8810"}, {"SUB_CODE", "%1"}});
    write("CUSTMPR.DBF", {{"ID", "12"}, {"CODE", "5403"}, {"SUB_CODE", ""}, {"Index", "2"}});
    write("CUSTMISC.DBF", {{"Quote_ID", "12"}, {"Type", "1"}, {"Index", "0"}, {"Value", "25.00"}});

    EXPECT_TRUE(t["CUSTPLAN.DBF"]->Seek(quote, "ID"));
    EXPECT_EQ(t["CUSTPLAN.DBF"]->GetInteger("PLAN"), 5);
    EXPECT_TRUE(t["CUSTWCUI.DBF"]->Seek(quote + KeyNumber(3, 3), "ID_FIELD"));
    EXPECT_TRUE(t["CUSTWCUI.DBF"]->Seek(quote, "ID"));
    EXPECT_TRUE(t["CUSTWCCL.DBF"]->Seek(quote + KeyNumber(1, 3), "ID_INDEX"));
    EXPECT_FALSE(t["CUSTWCCL.DBF"]->Seek(quote + KeyNumber(2, 3), "ID_INDEX"));
    EXPECT_TRUE(t["CUSTWCCL.DBF"]->Seek(quote, "ID"));
    EXPECT_TRUE(
        t["CUSTDEVS.DBF"]->Seek(quote + PadRight("8810", 10) + PadRight("%1", 10), "ID_CODE"));
    EXPECT_TRUE(t["CUSTMPR.DBF"]->Seek(quote + PadRight("5403", 4) + PadRight("", 4), "ID"));
    EXPECT_TRUE(t["CUSTMISC.DBF"]->Seek(quote + KeyNumber(1, 10) + KeyNumber(0, 10), "ALL_TAG"));
    EXPECT_EQ(Trim(t["CUSTMISC.DBF"]->GetString("Value")), "25.00");
}

// "Pack and reindex" rebuilds a lost index from the tags the program knows for each table: they
// are the tags every delivered table has, with the same keys.
TEST(DeliveredIndexes, TheKnownTagsOfEveryTableAreTheDeliveredOnes)
{
    std::set<std::string> delivered;
    for (const std::string &name : FilesWithExtension(DataDir(), ".DBF")) {
        delivered.insert(UpperCase(name));
        const auto *known = KnownIndexTags(name);
        ASSERT_NE(known, nullptr) << name;
        dbase::Context context;
        auto table = dbase::Table::Open(context, DataDir() + name);
        ASSERT_NE(table->Index(), nullptr) << name;
        const std::vector<dbase::TagSpec> specs = table->Index()->Specs();
        ASSERT_EQ(specs.size(), known->size()) << name;
        for (size_t i = 0; i < specs.size(); ++i) {
            EXPECT_TRUE(SameText(specs[i].name, (*known)[i].name)) << name;
            const auto parsed =
                dbase::Expression::Parse(nullptr, (*known)[i].expression, table->Fields());
            EXPECT_EQ(specs[i].expression, parsed.Text()) << name << " " << specs[i].name;
            EXPECT_EQ(specs[i].descending, (*known)[i].descending) << name;
            EXPECT_EQ(specs[i].unique, (*known)[i].unique) << name;
        }
    }
    std::set<std::string> known;
    for (const std::string &name : KnownTableNames()) {
        known.insert(UpperCase(name));
    }
    EXPECT_EQ(known, delivered);
    EXPECT_EQ(KnownIndexTags("NOSUCH.DBF"), nullptr);
}

// The user's sub-classes are keyed on code and sub-code, each padded to 4.
TEST(DeliveredUserClasses, SubClassesAreFoundByCodeAndSubCode)
{
    ScratchFolder folder;
    for (const char *file : {"usrClass.dbf", "usrClass.mdx", "usrClass.MDX"})
        if (FileExists(DataDir() + file))
            std::filesystem::copy_file(DataDir() + file, folder.File(file));
    TCBDatabase database;
    TCBTable &classes = database.AddTable("usrClass.dbf", folder.Path(), true);
    for (const char *subCode : {"%1", "%3"}) {
        ASSERT_TRUE(classes.AppendBlank());
        classes.SetString("Code", "8810");
        classes.SetString("SubCode", subCode);
        classes.SetString("Parent_C", "8810");
        classes.SetString("Phrase", "CLERICAL - BRANCH OFFICE");
        classes.Flush();
    }
    EXPECT_TRUE(classes.Seek(PadRight("8810", 4) + PadRight("%3", 4), "code_sub"));
    int32_t withCode = 0;
    for (bool found = classes.Seek(PadRight("8810", 4), "CODE_SUB"); found;
         found = classes.SeekNext(PadRight("8810", 4)))
        ++withCode;
    EXPECT_EQ(withCode, 2);
}

} // namespace
