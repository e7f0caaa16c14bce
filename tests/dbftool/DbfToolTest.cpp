// The table tool: schema and CSV files as the data build writes them, and its commands.

#include "Commands.h"
#include "Csv.h"
#include "Schema.h"

#include "support/DamagedIndex.h"
#include "support/ScratchFolder.h"

#include "dbase/Table.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

namespace {

struct ToolRun
{
    int status;
    std::string out;
    std::string err;
};

ToolRun Tool(const std::vector<std::string> &args)
{
    std::ostringstream out;
    std::ostringstream err;
    const int status = RunDbfTool(args, out, err);
    return {status, out.str(), err.str()};
}

const char *const kSchema = "# plans\n"
                            "table tierprem.dbf\n"
                            "\n"
                            "field Broker_ID C 6   # the broker\n"
                            "field Down N 8 2\n"
                            "field Rate_Chang D\n"
                            "field Can_Save L\n"
                            "field Notes M\n"
                            "field Rate F 12 4\n"
                            "tag ID Broker_ID+STR(Down, 8, 2)\n"
                            "tag BYDATE DTOS(Rate_Chang) descending\n"
                            "tag UCODE Broker_ID unique descending\n";

const char *const kRows = "broker_id,DOWN,# remark,Rate_Chang,can_save,notes\n"
                          "5,12.50,ignored,20090301,t,\"two\nlines, \"\"quoted\"\"\"\n"
                          "10,-3,x,03/15/2010,N,\n"
                          "5,,,,,Caf\xC3\xA9\n";

} // namespace

TEST(Schema, LinesCommentsAndTags)
{
    const Schema schema = ParseSchema(kSchema, "t.schema");
    EXPECT_EQ(schema.tableName, "tierprem.dbf");
    ASSERT_EQ(schema.fields.size(), 6u);
    EXPECT_EQ(schema.fields[0].name, "Broker_ID");
    EXPECT_EQ(schema.fields[0].length, 6);
    EXPECT_EQ(schema.fields[1].decimals, 2);
    EXPECT_EQ(schema.fields[2].type, 'D');
    EXPECT_EQ(schema.fields[2].length, 0);
    ASSERT_EQ(schema.tags.size(), 3u);
    EXPECT_EQ(schema.tags[0].expression, "Broker_ID+STR(Down, 8, 2)");
    EXPECT_FALSE(schema.tags[0].descending);
    EXPECT_TRUE(schema.tags[1].descending);
    EXPECT_TRUE(schema.tags[2].unique);
    EXPECT_TRUE(schema.tags[2].descending);
    EXPECT_EQ(schema.tags[2].expression, "Broker_ID");

    const std::vector<std::pair<std::string, std::string>> mistakes {
        {"field A C 6\n", "s: no \"table\" line"},
        {"table T.DBF\nfield A Q 6\n", "s:2: field type \"Q\""},
        {"table T.DBF\nfield A C\n", "s:2: field A needs a width"},
        {"table T.DBF\nfield A N x\n", "s:2: width \"x\" is not a whole number"},
        {"table T.DBF\nindex A B\n", "s:2: \"index\" is not table, field or tag"},
        {"table T.TXT\n", "s:1: the table's file name must end in .DBF"},
        {"table T.DBF\n", "s: no fields"},
    };
    for (const auto &[text, message] : mistakes) {
        try {
            ParseSchema(text, "s");
            ADD_FAILURE() << text;
        } catch (const ToolError &error) {
            EXPECT_EQ(std::string(error.what()).substr(0, message.size()), message) << error.what();
        }
    }
}

TEST(Csv, QuotedCellsAndLineNumbers)
{
    const auto rows = ParseCsv("a,b\r\n\"x, \"\"y\"\"\",\"1\n2\"\n\nlast,\n", "f.csv");
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[1].cells, (std::vector<std::string> {"x, \"y\"", "1\n2"}));
    EXPECT_EQ(rows[1].line, 2u);
    EXPECT_EQ(rows[2].line, 5u); // after the cell with a line break and a blank line
    EXPECT_EQ(rows[2].cells, (std::vector<std::string> {"last", ""}));
    EXPECT_THROW(ParseCsv("a\n\"open", "f.csv"), ToolError);
}

TEST(Csv, ValuesAreCheckedWithFileLineAndColumn)
{
    dbase::DbfHeader header =
        dbase::BuildDbfHeader(nullptr, ParseSchema(kSchema, "s").fields, 0, DateParts {});
    const auto rows = ConvertCsv(kRows, "r.csv", header.fields);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0][0], "5     ");
    EXPECT_EQ(rows[0][1], "   12.50");
    EXPECT_EQ(rows[0][3], "T");
    EXPECT_EQ(rows[0][4], "two\nlines, \"quoted\"");
    EXPECT_EQ(rows[1][2], "20100315");
    EXPECT_EQ(rows[1][3], "F");
    EXPECT_EQ(rows[2][1], "        "); // blank, not zero
    EXPECT_EQ(rows[2][4], "Caf\xE9"); // Windows-1252
    EXPECT_EQ(rows[2][5], "            ");

    const std::vector<std::pair<std::string, std::string>> mistakes {
        {"Broker_ID\n1234567\n", "r.csv:2: column BROKER_ID: \"1234567\" is longer"},
        {"Down\n123456.5\n", "r.csv:2: column DOWN: 123456.5 is too wide"},
        {"Down\n1.234\n", "r.csv:2: column DOWN: 1.234 has more than the field's 2 decimals"},
        {"Down\n1e5\n", "r.csv:2: column DOWN: \"1e5\" is not a decimal number"},
        {"Rate_Chang\n20090230\n", "r.csv:2: column RATE_CHANG: \"20090230\" is not a date"},
        {"Can_Save\nmaybe\n", "r.csv:2: column CAN_SAVE: \"maybe\" is not T, F, Y or N"},
        {"Broker_ID\n\"a\nb\"\n\xE2\x82\xAC\xE2\x98\x83\n",
         "r.csv:4: column BROKER_ID: the text is not UTF-8"},
        {"Nope\n1\n", "r.csv:1: column \"Nope\" is not a field"},
        {"Down,down\n1,2\n", "r.csv:1: column \"down\" appears twice"},
        {"Down\n1,2\n", "r.csv:2: the row has 2 cells"},
    };
    for (const auto &[text, message] : mistakes) {
        try {
            ConvertCsv(text, "r.csv", header.fields);
            ADD_FAILURE() << text;
        } catch (const ToolError &error) {
            EXPECT_EQ(std::string(error.what()).substr(0, message.size()), message) << error.what();
        }
    }
}

TEST(DbfTool, CreateIsReproducibleAndTheCommandsReadIt)
{
    ScratchFolder folder;
    folder.WriteFile("t.schema", kSchema);
    folder.WriteFile("t.csv", kRows);
    setenv("SOURCE_DATE_EPOCH", "1700000000", 1); // 14 November 2023
    ToolRun created =
        Tool({"create", folder.File("t.schema"), folder.File("t.csv"), "--out", folder.File("a")});
    ASSERT_EQ(created.status, 0) << created.err;
    EXPECT_EQ(
        Tool({"create", folder.File("t.schema"), folder.File("t.csv"), "--out", folder.File("b")})
            .status,
        0);
    unsetenv("SOURCE_DATE_EPOCH");
    for (const char *name : {"tierprem.dbf", "tierprem.mdx", "tierprem.dbt"}) {
        const std::string a = folder.ReadFile(std::string("a/") + name);
        EXPECT_FALSE(a.empty()) << name;
        EXPECT_EQ(a, folder.ReadFile(std::string("b/") + name)) << name;
    }
    EXPECT_EQ(folder.ReadFile("a/tierprem.dbf").substr(1, 3), std::string("\x7B\x0B\x0E", 3));

    const std::string table = folder.File("a/tierprem.dbf");
    const ToolRun dump = Tool({"dump", table});
    EXPECT_NE(dump.out.find("version 0x8B"), std::string::npos) << dump.out;
    EXPECT_NE(dump.out.find("3 records"), std::string::npos);
    EXPECT_NE(dump.out.find("[5     ] [   12.50] [20090301] [T] [         1]=>\"two\\nlines"),
              std::string::npos)
        << dump.out;
    EXPECT_NE(dump.out.find("Caf\xC3\xA9"), std::string::npos);
    const ToolRun tags = Tool({"tags", table});
    EXPECT_NE(tags.out.find("BYDATE     C   8 descending  DTOS(Rate_Chang)"), std::string::npos)
        << tags.out;
    const ToolRun keys = Tool({"keys", table, "ID"});
    EXPECT_EQ(keys.out,
              "position  record  key\n"
              "       1       2  [10       -3.00]\n"
              "       2       3  [5         0.00]\n"
              "       3       1  [5        12.50]\n");
    EXPECT_EQ(Tool({"keys", table, "UCODE"}).out,
              "position  record  key\n       1       1  [5     ]\n       2       2  [10    ]\n");
    const ToolRun seek = Tool({"seek", table, "ID", "5"});
    EXPECT_EQ(seek.status, 0);
    EXPECT_NE(seek.out.find("     3    [5     ]"), std::string::npos) << seek.out;
    EXPECT_NE(seek.out.find("     1    [5     ]"), std::string::npos);
    EXPECT_EQ(Tool({"seek", table, "ID", "7"}).out, "not found\n");
    EXPECT_EQ(Tool({"check", table}).out, table + ": ok\n");

    folder.WriteFile("more.csv", "BROKER_ID,Down\n1,1\n");
    EXPECT_EQ(Tool({"import", table, folder.File("more.csv")}).status, 0);
    EXPECT_EQ(Tool({"check", table}).status, 0);
    EXPECT_NE(Tool({"keys", table, "ID"}).out.find("       1       4  [1         1.00]"),
              std::string::npos);
    folder.WriteFile("bad.csv", "Broker_ID,Down\n1,2\n2,x\n");
    const ToolRun bad = Tool({"import", table, folder.File("bad.csv")});
    EXPECT_EQ(bad.status, 1);
    EXPECT_EQ(bad.err, folder.File("bad.csv") + ":3: column DOWN: \"x\" is not a decimal number\n");
    EXPECT_EQ(Tool({"dump", table, "--header"}).out.find("4 records") != std::string::npos, true);
    EXPECT_EQ(Tool({"nonsense"}).status, 2);
}

TEST(DbfTool, PackAndFixCounts)
{
    ScratchFolder folder;
    folder.WriteFile("t.schema", "table T.DBF\nfield CODE C 4\ntag CODE CODE\n");
    folder.WriteFile("t.csv", "code\nb\na\n");
    ASSERT_EQ(
        Tool({"create", folder.File("t.schema"), folder.File("t.csv"), "--out", folder.Path()})
            .status,
        0);
    EXPECT_TRUE(!folder.ReadFile("T.MDX").empty());
    {
        dbase::Context context;
        auto table = dbase::Table::Open(context, folder.File("T.DBF"));
        table->Delete();
    }
    EXPECT_EQ(Tool({"pack", folder.File("T.DBF")}).out,
              folder.File("T.DBF") + ": 1 deleted records removed, 1 left\n");
    std::string bytes = folder.ReadFile("T.DBF");
    bytes[4] = 7;
    folder.WriteFile("T.DBF", bytes);
    EXPECT_NE(Tool({"check", folder.File("T.DBF")}).status, 0);
    EXPECT_EQ(Tool({"fix-counts", folder.Path()}).out,
              folder.File("T.DBF") + ": record count 7 -> 1\n");
    EXPECT_EQ(Tool({"check", folder.File("T.DBF")}).status, 0);

    folder.WriteFile("n.schema", "table usrClass.dbf\nfield CODE C 4\n");
    ASSERT_EQ(Tool({"create", folder.File("n.schema"), "--out", folder.Path()}).status, 0);
    EXPECT_EQ(Tool({"tags", folder.File("usrClass.dbf")}).out, "");
    EXPECT_EQ(folder.ReadFile("usrClass.mdx").size(), 2048u); // an empty production index
}

// A quote table built from the program's own schema: its index, however damaged, is rebuilt from
// the tags the program knows for the table, by reindex and by pack, with the rows kept.
TEST(DbfTool, ReindexAndPackRebuildADamagedIndexFromTheKnownTags)
{
    ScratchFolder folder;
    const std::string schema = SourceFolder() + "data/tables/CUSTWCCL.schema";
    folder.WriteFile("rows.csv",
                     "ID,Index,CODE,SUB_CODE,PAYROLL,EMPLOYEES\n"
                     "12,1,5645,,100000,3\n12,2,8810,,50000,1\n7,1,8742,,20000,1\n");
    ASSERT_EQ(Tool({"create", schema, folder.File("rows.csv"), "--out", folder.Path()}).status, 0);
    const std::string table = folder.File("CUSTWCCL.DBF");
    const std::string index = folder.File("CUSTWCCL.MDX");
    const std::string tags = Tool({"tags", table}).out;
    ASSERT_NE(tags.find("ID_INDEX"), std::string::npos) << tags;
    const std::string rows = Tool({"dump", table, "--records"}).out;
    const std::string original = folder.ReadFile("CUSTWCCL.MDX");
    const std::string records = folder.ReadFile("CUSTWCCL.DBF");
    for (const TIndexDamage &damage : IndexDamages()) {
        for (const char *command : {"reindex", "pack"}) {
            SCOPED_TRACE(std::string(command) + ", index " + damage.What);
            folder.WriteFile("CUSTWCCL.DBF", records);
            folder.WriteFile("CUSTWCCL.MDX", original);
            damage.Apply(index);
            EXPECT_EQ(Tool({"check", table}).status, 1);
            const ToolRun repaired = Tool({command, table});
            EXPECT_EQ(repaired.status, 0) << repaired.err;
            if (damage.What != "cut inside its tree") {
                EXPECT_NE(repaired.out.find("rebuilding it from the table's known tags"),
                          std::string::npos)
                    << repaired.out;
            }
            EXPECT_EQ(Tool({"check", table}).out, table + ": ok\n");
            EXPECT_EQ(Tool({"tags", table}).out, tags);
            EXPECT_EQ(Tool({"dump", table, "--records"}).out, rows);
            EXPECT_EQ(Tool({"seek", table, "ID_INDEX", "12        2  "}).status, 0);
        }
    }

    // A table the program does not know keeps a damaged index until its tags are known.
    folder.WriteFile("t.schema", "table OTHER.DBF\nfield CODE C 4\ntag CODE CODE\n");
    ASSERT_EQ(Tool({"create", folder.File("t.schema"), "--out", folder.Path()}).status, 0);
    folder.WriteFile("OTHER.MDX", "nonsense");
    const ToolRun unknown = Tool({"reindex", folder.File("OTHER.DBF")});
    EXPECT_EQ(unknown.status, 1);
    EXPECT_NE(unknown.err.find("the tags of the table are not known"), std::string::npos)
        << unknown.err;
    EXPECT_EQ(folder.ReadFile("OTHER.MDX"), "nonsense");
}

TEST(DbfTool, CheckReadsTheMemos)
{
    ScratchFolder folder;
    folder.WriteFile("t.schema", kSchema);
    folder.WriteFile("t.csv", kRows);
    ASSERT_EQ(
        Tool({"create", folder.File("t.schema"), folder.File("t.csv"), "--out", folder.Path()})
            .status,
        0);
    const std::string table = folder.File("tierprem.dbf");
    EXPECT_EQ(Tool({"check", table}).out, table + ": ok\n");
    const std::string memos = folder.ReadFile("tierprem.dbt");

    // The first memo (block 1) claims 4 GB.
    std::string damaged = memos;
    damaged.replace(512 + 4, 4, std::string(4, '\xFF'));
    folder.WriteFile("tierprem.dbt", damaged);
    ToolRun checked = Tool({"check", table});
    EXPECT_EQ(checked.status, 1);
    EXPECT_NE(checked.out.find("record 1, field NOTES: memo block 1 of "), std::string::npos)
        << checked.out;
    EXPECT_NE(checked.out.find("claims 4294967295 bytes"), std::string::npos) << checked.out;

    // The header names a free run past the memos whose link leads back to it.
    damaged = memos;
    const auto end = static_cast<uint32_t>(damaged.size() / 512);
    damaged.resize(damaged.size() + 1024, '\0');
    const std::string link {static_cast<char>(end & 0xFF), static_cast<char>(end >> 8), '\0', '\0'};
    damaged.replace(0, 4, link);
    damaged.replace(static_cast<size_t>(end) * 512, 4, link);
    folder.WriteFile("tierprem.dbt", damaged);
    checked = Tool({"check", table});
    EXPECT_EQ(checked.status, 1);
    EXPECT_NE(checked.out.find("loops back to block " + std::to_string(end)), std::string::npos)
        << checked.out;
}
