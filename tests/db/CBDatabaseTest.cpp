// The table layer over real tables in a scratch folder: typed field access, seeks, the
// maintenance routines and every message the layer raises.

#include "db/CBDatabase.h"
#include "db/TableValues.h"
#include "db/VereDivoDatabase.h"

#include "support/ScopedEnv.h"
#include "support/ScratchFolder.h"

#include "core/AppInfo.h"
#include "core/Paths.h"
#include "core/Text.h"

#include "dbase/Bytes.h"
#include "dbase/Table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

namespace {

const std::vector<dbase::FieldSpec> kFields {{"Broker_ID", 'C', 6, 0}, {"State_ID", 'C', 6, 0},
                                             {"Name", 'C', 30, 0},     {"Down", 'N', 8, 2},
                                             {"Count", 'N', 10, 0},    {"Rate_Chang", 'D', 0, 0},
                                             {"Active", 'L', 0, 0},    {"Notes", 'M', 0, 0}};

// Writes a table with rows of (broker, state, name); a row whose name starts with "*" is marked
// deleted.
void MakeTable(const std::string &path,
               const std::vector<std::tuple<std::string, std::string, std::string>> &rows,
               const std::vector<dbase::TagSpec> &tags = {{"ID", "BROKER_ID+STATE_ID"},
                                                          {"NAME", "UPPER(NAME)"}})
{
    dbase::Context context;
    auto table = dbase::Table::Create(context, path, kFields, tags);
    for (const auto &[broker, state, name] : rows) {
        table->AppendBlank();
        table->SetText(table->FieldByName("BROKER_ID"), broker);
        table->SetText(table->FieldByName("STATE_ID"), state);
        table->SetText(table->FieldByName("NAME"), name);
        if (!name.empty() && name[0] == '*') {
            table->Delete();
        }
    }
    table->Close();
}

std::string Bytes(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

template<typename F>
std::string MessageOf(F action)
{
    try {
        action();
    } catch (const ECBDBError &error) {
        return error.what();
    }
    return "(no error)";
}

class Layer : public ::testing::Test
{
protected:
    void SetUp() override
    {
        MakeTable(folder.File("WCPLAN.DBF"),
                  {{"5", "13", "Massachusetts"},
                   {"5", "15", "New Jersey"},
                   {"10", "13", "*gone"},
                   {"5", "13", "second MA row"},
                   {"12", "13", "twelve"}});
    }

    TCBTable &Plan() { return database.AddTable("WCPLAN.DBF", folder.Path(), true); }

    ScratchFolder folder;
    TCBDatabase database;
};

} // namespace

TEST_F(Layer, FieldsAtFullWidthNumbersAndLogicals)
{
    TCBTable &table = Plan();
    table.First();
    EXPECT_EQ(table.GetString("Name"), "Massachusetts                 ");
    EXPECT_EQ(table.GetString("NAME").size(), 30u);
    EXPECT_EQ(table.GetString("broker_id"), "5     ");
    EXPECT_EQ(table.GetInteger("Broker_ID"), 5); // a number kept as text
    table.SetString("Name", "ABC");
    EXPECT_EQ(table.GetString("Name"), "ABC" + std::string(27, ' '));
    table.SetDouble("Down", 1234.567);
    EXPECT_EQ(table.GetString("Down"), " 1234.57");
    table.SetDouble("Down", -0.5);
    EXPECT_EQ(table.GetString("Down"), "   -0.50");
    EXPECT_DOUBLE_EQ(table.GetDouble("Down"), -0.5);
    table.SetInteger("Count", -999999999);
    EXPECT_EQ(table.GetLong("Count"), -999999999);
    table.SetInteger("Down", 7);
    EXPECT_EQ(table.GetString("Down"), "    7.00");
    EXPECT_EQ(table.GetInteger("Down"), 7);
    table.SetDouble("Down", 12.99);
    EXPECT_EQ(table.GetInteger("Down"), 12);
    EXPECT_FALSE(table.GetBoolean("Active"));
    table.SetBoolean("Active", true);
    EXPECT_EQ(table.GetString("Active"), "T");
    EXPECT_TRUE(table.GetBoolean("Active"));
    table.SetBoolean("Active", false);
    EXPECT_EQ(table.GetString("Active"), "F");
    table.SetString("Notes", "a memo\r\nof two lines");
    table.Next();
    table.First();
    EXPECT_EQ(table.GetString("Notes"), "a memo\r\nof two lines");
    EXPECT_EQ(table.GetString("Down"), "   12.99");
}

TEST_F(Layer, DatesBlankInvalidAndZero)
{
    TCBTable &table = Plan();
    table.First();
    EXPECT_EQ(table.GetDateString("Rate_Chang"), "");
    EXPECT_EQ(table.GetDate("Rate_Chang"), 0);
    table.SetDate("Rate_Chang", EncodeDate(2009, 3, 1));
    EXPECT_EQ(table.GetString("Rate_Chang"), "20090301");
    EXPECT_EQ(table.GetDateString("Rate_Chang"), "03/01/2009");
    EXPECT_EQ(table.GetDate("Rate_Chang"), EncodeDate(2009, 3, 1));
    table.SetDate("Rate_Chang", 0);
    EXPECT_EQ(table.GetString("Rate_Chang"), "18991230");
    EXPECT_EQ(table.GetDate("Rate_Chang"), 0);
    table.SetString("Rate_Chang", "20091340");
    EXPECT_EQ(table.GetDateString("Rate_Chang"), "13/40/2009");
    EXPECT_EQ(table.GetDate("Rate_Chang"), 0);
    table.SetDate("Rate_Chang", EncodeDate(2008, 2, 29) + 0.75); // the time of day is dropped
    EXPECT_EQ(table.GetString("Rate_Chang"), "20080229");
}

TEST_F(Layer, SeekSelectsTheTagAndSeekNextWalksDuplicates)
{
    TCBTable &table = Plan();
    EXPECT_TRUE(table.Seek("5     13", "ID"));
    EXPECT_EQ(table.GetString("Name").substr(0, 13), "Massachusetts");
    EXPECT_TRUE(table.SeekNext("5     13"));
    EXPECT_EQ(table.GetString("Name").substr(0, 13), "second MA row");
    EXPECT_FALSE(table.SeekNext("5     13"));
    EXPECT_TRUE(table.Seek("5")); // a partial key, in the tag still selected
    EXPECT_FALSE(table.Seek("5    X"));
    EXPECT_FALSE(table.Seek("99"));
    // The tag stays selected for First and Next.
    std::vector<std::string> names;
    for (table.First(); !table.Eof(); table.Next()) {
        names.push_back(table.GetString("Broker_ID") + table.GetString("State_ID"));
    }
    EXPECT_EQ(names,
              (std::vector<std::string> {"10    13    ", "12    13    ", "5     13    ",
                                         "5     13    ", "5     15    "}));
    table.SelectTag("");
    table.First();
    EXPECT_EQ(table.GetString("Name").substr(0, 13), "Massachusetts");
    EXPECT_EQ(table.RecordCount(), 5);
    EXPECT_FALSE(table.IsEmpty());
}

TEST_F(Layer, AppendDeleteRecallFlushAndZap)
{
    TCBTable &table = Plan();
    ASSERT_TRUE(table.AppendBlank());
    table.SetString("Broker_ID", "77");
    EXPECT_EQ(table.RecordCount(), 6);
    table.Delete();
    EXPECT_TRUE(table.Deleted());
    table.Recall();
    EXPECT_FALSE(table.Deleted());
    table.Flush();
    EXPECT_TRUE(table.Seek("77", "ID"));
    table.Zap();
    EXPECT_EQ(table.RecordCount(), 0);
    EXPECT_TRUE(table.IsEmpty());
    EXPECT_TRUE(table.Eof());
    EXPECT_FALSE(table.Seek("5", "ID"));
}

TEST_F(Layer, EveryMessage)
{
    EXPECT_EQ(MessageOf([&] { database.AddTable("NOPE.DBF", folder.Path(), true); }),
              "Cannot add table to database that does not exist\r\nTable, " + folder.Path() +
                  "NOPE.DBF, not found.");
    TCBTable &table = Plan();
    EXPECT_EQ(MessageOf([&] { table.SelectTag("NOTAG"); }),
              "Tag \"NOTAG\" not found in table " + folder.Path() + "WCPLAN.DBF.");
    EXPECT_EQ(MessageOf([&] { table.Seek("5", "Missing"); }),
              "Tag \"Missing\" not found in table " + folder.Path() + "WCPLAN.DBF.");
    EXPECT_EQ(MessageOf([&] { table.TagByName("X"); }),
              "Tag \"X\" not found in table " + folder.Path() + "WCPLAN.DBF.");
    table.First();
    EXPECT_EQ(MessageOf([&] { table.GetString("Nope"); }),
              "Field \"Nope\" not found in WCPLAN.DBF.");
    EXPECT_EQ(MessageOf([&] { table.GetInteger("Nope"); }),
              "Error reading field Nope in table WCPLAN.DBF\r\n\r\nCodebase Error Code = -200");
    EXPECT_EQ(MessageOf([&] { table.SetString("Nope", "x"); }),
              "Error writing field Nope in table WCPLAN.DBF\r\n\r\nCodebase Error Code = -200");
    EXPECT_EQ(MessageOf([&] { table.SetDouble("Down", 123456.0); }),
              "Error writing field Down in table WCPLAN.DBF\r\n\r\nCodebase Error Code = -220");
    EXPECT_EQ(
        MessageOf([&] { table.SetInteger("Rate_Chang", 1); }),
        "Error writing field Rate_Chang in table WCPLAN.DBF\r\n\r\nCodebase Error Code = -210");
    table.SetString("Count", "9999999999");
    EXPECT_EQ(MessageOf([&] { table.GetInteger("Count"); }),
              "Error reading field Count in table WCPLAN.DBF\r\n\r\nCodebase Error Code = -220");
    EXPECT_EQ(database.ErrorCode(), 0); // each message took its code

    // A table that cannot be opened: the engine's code in the message, the reason in Detail.
    std::ofstream(folder.File("BAD.DBF")) << "not a table";
    int32_t id = 0;
    TCBTable &bad = database.AddTable("BAD.DBF", folder.Path(), false, &id);
    try {
        bad.Open();
        FAIL() << "opened";
    } catch (const ECBDBError &error) {
        EXPECT_EQ(std::string(error.what()),
                  "Error opening table " + folder.Path() + "BAD.DBF - error code: -100");
        EXPECT_NE(error.Detail().find("not a valid dBASE table"), std::string::npos);
    }
    EXPECT_FALSE(bad.Active());
    EXPECT_EQ(MessageOf([&] { bad.First(); }), "Table " + folder.Path() + "BAD.DBF is not open.");
    std::string deep = folder.Path();
    for (int level = 0; level < 30; ++level) {
        deep += "abcdefghij/";
    }
    std::filesystem::create_directories(deep);
    MakeTable(deep + "L.DBF", {});
    TCBTable &far = database.AddTable("L.DBF", deep, false);
    EXPECT_EQ(MessageOf([&] { far.Open(); }),
              "Error opening table " + deep + "L.DBF - error code: -12");
}

TEST_F(Layer, TableNumbersAreNeverReused)
{
    MakeTable(folder.File("B.DBF"), {});
    int32_t first = 0;
    int32_t second = 0;
    int32_t third = 0;
    database.AddTable("WCPLAN.DBF", folder.Path(), false, &first);
    database.AddTable("B.DBF", folder.Path(), true, &second);
    database.AddTable("B.DBF", folder.Path(), true, &third); // the same file twice is allowed
    EXPECT_EQ(std::vector<int32_t>({first, second, third}), std::vector<int32_t>({1, 2, 3}));
    database.RemoveTable(2);
    database.RemoveTable(99); // unknown: nothing
    EXPECT_EQ(database.FindTable(2), nullptr);
    ASSERT_NE(database.FindTable(3), nullptr);
    EXPECT_EQ(database.FindTable(3)->Table().TableName(), "B.DBF");
    int32_t fourth = 0;
    database.AddTable("B.DBF", folder.Path(), false, &fourth);
    EXPECT_EQ(fourth, 4);
    database.CloseAll();
    EXPECT_FALSE(database.FindTable(3)->Table().Active());
    database.OpenAll();
    EXPECT_TRUE(database.FindTable(1)->Table().Active());
    EXPECT_TRUE(database.FindTable(4)->Table().Active());
    EXPECT_EQ(&database.FindTable(4)->Table().Database(), &database);
    EXPECT_EQ(&database.FindTable(4)->Table().Holder(), database.FindTable(4));
}

TEST_F(Layer, ARegistrationTakesItsTableOutAndAMissingTableLeavesNothingRegistered)
{
    int32_t id = 0;
    {
        TTableRegistration plan(database, "WCPLAN.DBF", folder.Path(), true);
        ASSERT_TRUE(plan);
        id = plan.TableID();
        EXPECT_TRUE(plan->Active());
        EXPECT_EQ(&database.FindTable(id)->Table(), &plan.Table());
        TTableRegistration moved = std::move(plan);
        EXPECT_FALSE(plan);
        EXPECT_EQ(moved.TableID(), id);
    }
    EXPECT_EQ(database.FindTable(id), nullptr);
    EXPECT_THROW(TTableRegistration(database, "NONE.DBF", folder.Path(), true), ECBDBError);
    std::filesystem::resize_file(folder.File("WCPLAN.DBF"), 10); // no header to open
    EXPECT_THROW(TTableRegistration(database, "WCPLAN.DBF", folder.Path(), true), ECBDBError);
    EXPECT_EQ(database.FindTable(id + 1), nullptr);
}

TEST_F(Layer, ATableWhoseFileHasGoneIsLoggedWhenItsRegistrationEnds)
{
    ScopedEnv state("XDG_STATE_HOME", folder.File("state"));
    TAppInfo info;
    info.StartLog();
    {
        TTableRegistration plan(database, "WCPLAN.DBF", folder.Path(), true);
        plan->First();
        plan->SetString("Name", "pending"); // written when the table closes
        std::filesystem::resize_file(folder.File("WCPLAN.DBF"), 0);
    }
    const auto &lines = info.LoggedLines();
    const auto logged = std::find_if(lines.begin(), lines.end(), [](const std::string &line) {
        return line.starts_with("CBDatabase - Close Table - ") &&
            line.find("WCPLAN.DBF") != std::string::npos;
    });
    EXPECT_NE(logged, lines.end());
    // The program carries on: the database still registers and reads tables.
    MakeTable(folder.File("B.DBF"), {{"1", "2", "after"}});
    TTableRegistration other(database, "B.DBF", folder.Path(), true);
    other->First();
    EXPECT_EQ(Trim(other->GetString("Name")), "after");
}

TEST_F(Layer, ColumnTextReadsAsAWholeNumberOrRaisesUnlessTheReaderAsksForAFallback)
{
    TCBTable &table = Plan();
    table.First();
    const auto read = [&](const std::string &text) {
        table.SetString("Name", text);
        return TextInteger(table, "Name");
    };
    EXPECT_EQ(read(" 13 "), 13);
    EXPECT_EQ(read("13.00"), 13) << "a numeric column with decimals";
    EXPECT_EQ(read("-2147483648"), INT32_MIN);
    EXPECT_EQ(read(""), 0);
    table.SetDouble("Down", 25);
    EXPECT_EQ(TextInteger(table, "Down"), 25) << "whatever the column's type";
    for (const char *bad : {"abc", "1.5", "2147483648", "12abc"}) {
        table.SetString("Name", bad);
        EXPECT_EQ(MessageOf([&] { TextInteger(table, "Name"); }),
                  std::string("Field \"Name\" in WCPLAN.DBF holds '") + bad +
                      "', which is not a whole number.");
        EXPECT_EQ(TextIntegerOr(table, "Name", -1), -1) << bad;
    }
    table.SetString("Name", " 42");
    EXPECT_EQ(TextIntegerOr(table, "Name", -1), 42);
    EXPECT_EQ(TrimmedString(table, "Name"), "42");
}

TEST_F(Layer, PackOfAClosedTableDoesNothingOfAnOpenOneLeavesItOnItsFirstRecord)
{
    int32_t id = 0;
    TCBTable &table = database.AddTable("WCPLAN.DBF", folder.Path(), false, &id);
    const std::string before = Bytes(folder.File("WCPLAN.DBF"));
    table.Pack();
    EXPECT_FALSE(table.Active());
    EXPECT_EQ(Bytes(folder.File("WCPLAN.DBF")), before);

    table.Open();
    table.Seek("5     15", "ID");
    table.Pack();
    EXPECT_TRUE(table.Active());
    EXPECT_EQ(table.RecordCount(), 4);
    EXPECT_FALSE(table.Eof());
    EXPECT_EQ(table.GetString("Name").substr(0, 13), "Massachusetts");
    EXPECT_EQ(database.GetAccessMode(), 0);
    EXPECT_TRUE(table.Seek("12", "ID"));
}

TEST_F(Layer, MaintenanceThatCannotHaveTheTableLeavesTheModesAlone)
{
    TCBTable &table = Plan();
    dbase::Context other;
    other.SetSingleOpen(false);
    auto elsewhere = dbase::Table::Open(other, folder.File("WCPLAN.DBF"));
    EXPECT_NE(MessageOf([&] { table.Pack(); }), "(no error)");
    EXPECT_EQ(database.GetAccessMode(), 0);
    EXPECT_TRUE(table.Active());
    elsewhere.reset();
    table.Pack();
    EXPECT_EQ(table.RecordCount(), 4);
}

TEST_F(Layer, ResetIndexLeavesAnEmptyProductionIndex)
{
    TCBTable &table = Plan();
    table.ResetIndex();
    EXPECT_TRUE(table.Active());
    ASSERT_NE(table.Handle()->Index(), nullptr);
    EXPECT_TRUE(table.Handle()->Index()->Tags().empty());
    EXPECT_EQ(MessageOf([&] { table.SelectTag("ID"); }),
              "Tag \"ID\" not found in table " + folder.Path() + "WCPLAN.DBF.");
    EXPECT_EQ(database.GetAccessMode(), 0);
    table.Close();
    table.ResetIndex();
    EXPECT_TRUE(table.Active()); // "finally Open"
    EXPECT_EQ(table.RecordCount(), 5);
}

TEST_F(Layer, AccessModeAutoOpenAndErrorCode)
{
    EXPECT_EQ(database.GetAccessMode(), 0);
    database.SetAccessMode(1);
    EXPECT_EQ(database.GetAccessMode(), 1);
    database.SetAccessMode(0);
    database.SetAutoOpen(false);
    TCBTable &table = Plan();
    EXPECT_EQ(table.Handle()->Index(), nullptr);
    database.SetAutoOpen(true);
    EXPECT_EQ(database.ErrorCode(), 0);
    table.First();
    EXPECT_THROW(table.GetDouble("nope"), ECBDBError);
    EXPECT_EQ(database.ErrorCode(), 0);
    EXPECT_EQ(&DefaultDatabase(), &DefaultDatabase());
}

TEST(FixRecordCounts, TheThousandByteExample)
{
    ScratchFolder folder;
    std::string file(1000, 'x');
    dbase::WriteU32(file.data() + 4, 5);
    dbase::WriteU16(file.data() + 8, 98);
    dbase::WriteU16(file.data() + 10, 90);
    std::ofstream(folder.File("A.DBF"), std::ios::binary) << file;
    std::string right = file;
    dbase::WriteU32(right.data() + 4, 10);
    std::ofstream(folder.File("tierprem.dbf"), std::ios::binary) << right;
    std::ofstream(folder.File("NOTES.TXT"), std::ios::binary) << file;
    std::string cut = file.substr(0, 50); // shorter than its header: left alone
    std::ofstream(folder.File("CUT.DBF"), std::ios::binary) << cut;
    const auto rightTime = std::filesystem::last_write_time(folder.File("tierprem.dbf"));

    FixRecordCounts(folder.Path());
    const std::string fixed = Bytes(folder.File("A.DBF"));
    EXPECT_EQ(dbase::ReadU32(fixed.data() + 4), 10u); // the 10 bytes left over do not count
    EXPECT_EQ(fixed.substr(8), file.substr(8));
    EXPECT_EQ(fixed.substr(0, 4), file.substr(0, 4));
    EXPECT_EQ(Bytes(folder.File("tierprem.dbf")), right);
    EXPECT_EQ(std::filesystem::last_write_time(folder.File("tierprem.dbf")), rightTime);
    EXPECT_EQ(Bytes(folder.File("NOTES.TXT")), file);
    EXPECT_EQ(Bytes(folder.File("CUT.DBF")), cut);
}

TEST_F(Layer, PackFolderPackAllAndCopyTablesTo)
{
    MakeTable(folder.File("tierprem.dbf"), {{"1", "1", "*x"}, {"2", "2", "kept"}});
    PackFolder(folder.Path(), database);
    EXPECT_EQ(database.FindTable(1), nullptr);
    EXPECT_EQ(database.FindTable(2), nullptr);
    dbase::Context context;
    EXPECT_EQ(dbase::Table::Open(context, folder.File("WCPLAN.DBF"))->RecordCount(), 4u);
    EXPECT_EQ(dbase::Table::Open(context, folder.File("tierprem.dbf"))->RecordCount(), 1u);
    EXPECT_TRUE(FileExists(folder.File("tierprem.mdx")));

    int32_t id = 0;
    TCBTable &open = database.AddTable("WCPLAN.DBF", folder.Path(), true, &id);
    TCBTable &closed = database.AddTable("tierprem.dbf", folder.Path(), false);
    EXPECT_EQ(id, 3);
    open.First();
    open.Delete();
    open.Next();
    database.PackAll();
    EXPECT_TRUE(open.Active());
    EXPECT_FALSE(closed.Active());
    EXPECT_EQ(open.RecordCount(), 3);

    ScratchFolder copy;
    database.CopyTablesTo(copy.Path());
    for (const char *name : {"WCPLAN.DBF", "WCPLAN.MDX", "WCPLAN.DBT", "tierprem.dbf",
                             "tierprem.mdx", "tierprem.dbt"}) {
        EXPECT_EQ(Bytes(copy.File(name)), Bytes(folder.File(name))) << name;
    }
    TCBDatabase other;
    EXPECT_EQ(other.AddTable("WCPLAN.DBF", copy.Path(), true).RecordCount(), 3);
}

TEST(VereDivoDatabase, OpensTheNineTablesInOrder)
{
    ScratchFolder folder;
    const std::vector<std::string> names {"WCPLAN.DBF",   "WCCLASS.DBF",  "WCINPUTS.DBF",
                                          "INP_DATA.DBF", "WCBROKER.DBF", "HAZ_CODE.DBF",
                                          "WCKEYS.DBF",   "WCEXPORT.DBF", "MISCFACT.DBF"};
    for (const std::string &name : names) {
        MakeTable(folder.File(name), {{"1", "13", name}});
    }
    {
        TVereDivoDatabase tables(folder.Path());
        const std::vector<TCBTable *> accessors {
            &tables.Plans(),     &tables.Classes(), &tables.Inputs(),
            &tables.InputData(), &tables.Brokers(), &tables.HazardCodes(),
            &tables.PlanKeys(),  &tables.Exports(), &tables.MiscFactors()};
        for (size_t i = 0; i < names.size(); ++i) {
            TTableHolder *holder = tables.FindTable(static_cast<int32_t>(i + 1));
            ASSERT_NE(holder, nullptr);
            EXPECT_EQ(&holder->Table(), accessors[i]);
            EXPECT_EQ(accessors[i]->TableName(), names[i]);
            EXPECT_EQ(accessors[i]->Folder(), folder.Path());
            EXPECT_TRUE(accessors[i]->Active());
            accessors[i]->First();
            EXPECT_EQ(accessors[i]->GetString("Name").substr(0, names[i].size()), names[i]);
        }
        // The set also takes the tables others register.
        int32_t id = 0;
        tables.AddTable("WCPLAN.DBF", folder.Path(), true, &id);
        EXPECT_EQ(id, 10);
    }
    // Closed again: exclusive opens succeed.
    dbase::Context context;
    context.SetAccess(dbase::AccessMode::Exclusive);
    context.SetLockAttempts(1);
    EXPECT_NO_THROW(dbase::Table::Open(context, folder.File("MISCFACT.DBF")));

    std::filesystem::remove(folder.File("WCKEYS.DBF"));
    EXPECT_EQ(MessageOf([&] { TVereDivoDatabase missing(folder.Path()); }),
              "Cannot add table to database that does not exist\r\nTable, " + folder.Path() +
                  "WCKEYS.DBF, not found.");
}
