// The maintenance utilities on copies of the delivered tables: each changes what it says and
// nothing else (table dumps before and after), refuses what it cannot do, and interrupted
// halfway leaves the tables as they were and checking clean.

#include "maintenance/TableMaintenance.h"
#include "maintenance/AboutInformation.h"

#include "core/Paths.h"
#include "core/Text.h"
#include "db/VereDivoDatabase.h"
#include "support/Commands.h"
#include "support/ScratchFolder.h"

#include <gtest/gtest.h>

#include <memory>
#include <sstream>

namespace {

// A copy of the delivered data folder with the program's table set open on it.
struct DataCopy
{
    ScratchFolder folder;
    std::unique_ptr<TVereDivoDatabase> database;

    DataCopy()
    {
        CopyDeliveredData(folder.Path());
        Open();
    }
    void Open() { database = std::make_unique<TVereDivoDatabase>(folder.Path()); }
    void Close() { database.reset(); }

    // dbftool's dump of the records, one line a record ("*" after the number: deleted).
    std::vector<std::string> Dump(const std::string &table) const
    {
        const TCommandResult result =
            RunCommand(ShellQuoted(VEREDIVO_DBFTOOL) + " dump " +
                       ShellQuoted(ResolveFileName(folder.File(table))) + " --records");
        EXPECT_EQ(result.Status, 0) << result.Out;
        return OutputLines(result.Out);
    }
    // dbftool check of the tables: empty when every tag agrees with its records.
    std::string Check(const std::vector<std::string> &tables) const
    {
        std::string command = ShellQuoted(VEREDIVO_DBFTOOL) + " check";
        for (const std::string &table : tables) {
            command += " " + ShellQuoted(ResolveFileName(folder.File(table)));
        }
        const TCommandResult result = RunCommand(command + " 2>&1");
        return result.Status == 0 ? std::string() : result.Out;
    }
};

// The record's fields without its number.
std::string Fields(const std::string &dumpLine)
{
    return dumpLine.substr(dumpLine.find('['));
}

TRowHook FailAt(int row)
{
    auto count = std::make_shared<int>(0);
    return [count, row] {
        if (++*count == row) {
            throw std::runtime_error("injected failure");
        }
    };
}

std::vector<std::pair<std::string, std::string>>
AllCodes(const std::vector<TClassFileEntry> &entries)
{
    std::vector<std::pair<std::string, std::string>> codes;
    for (const TClassFileEntry &entry : entries) {
        codes.emplace_back(entry.Code, entry.SubCode);
    }
    return codes;
}

} // namespace

TEST(TableMaintenance, DeleteClassCodesMarksOnlyTheChosenClasses)
{
    DataCopy data;
    const auto before = data.Dump("WCCLASS.DBF");
    EXPECT_EQ(DeleteClassCodes(*data.database, 1, 13, 2, {{"5183", ""}, {"9015", ""}}), 2);
    data.Close();
    const auto after = data.Dump("WCCLASS.DBF");
    ASSERT_EQ(after.size(), before.size());
    int marked = 0;
    for (size_t i = 0; i < before.size(); ++i) {
        if (after[i] == before[i]) {
            continue;
        }
        ++marked;
        EXPECT_EQ(Fields(after[i]), Fields(before[i]));
        EXPECT_NE(after[i].find('*'), std::string::npos) << after[i];
        EXPECT_NE(after[i].find("[2  ]"), std::string::npos) << after[i]; // class file 2
        EXPECT_TRUE(after[i].find("[5183]") != std::string::npos ||
                    after[i].find("[9015]") != std::string::npos)
            << after[i];
    }
    EXPECT_EQ(marked, 2);
    EXPECT_EQ(data.Check({"WCCLASS.DBF"}), "");

    data.Open();
    try {
        DeleteClassCodes(*data.database, 1, 13, 2, {{"8810", ""}, {"5183", ""}});
        FAIL() << "a class already deleted was taken";
    } catch (const EMaintenanceError &error) {
        EXPECT_STREQ(error.what(), "Class 5183 is not in class file 2 of broker 1 MA.");
    }
    EXPECT_EQ(ClassFileEntries(*data.database, 1, 13, 2).size(),
              ClassFileEntries(*data.database, 1, 13, 1).size() - 2);
}

TEST(TableMaintenance, AddNewClassFileCopiesTheClassesAndDatesThePlan)
{
    DataCopy data;
    TVereDivoDatabase &db = *data.database;
    const auto file1 = ClassFileEntries(db, 1, 13, 1);
    ASSERT_FALSE(file1.empty());
    EXPECT_EQ(ClassFileNumbers(db, 1, 13), (std::vector<int32_t> {1, 2}));
    try {
        AddNewClassFile(db, 1, 13, 1, 2, EncodeDate(2027, 7, 1), EncodeDate(2028, 6, 30));
        FAIL() << "a class file with classes was overwritten";
    } catch (const EMaintenanceError &error) {
        EXPECT_EQ(std::string(error.what()),
                  "Class file 2 of broker 1 MA has " + std::to_string(file1.size()) +
                      " classes already.  Delete them first.");
    }
    EXPECT_THROW(AddNewClassFile(db, 1, 13, 1, 3, EncodeDate(2027, 7, 1), EncodeDate(2028, 6, 30)),
                 EMaintenanceError);
    EXPECT_THROW(AddNewClassFile(db, 1, 13, 1, 2, EncodeDate(2027, 7, 1), EncodeDate(2027, 7, 1)),
                 EMaintenanceError);

    DeleteClassCodes(db, 1, 13, 2, AllCodes(ClassFileEntries(db, 1, 13, 2)));
    EXPECT_EQ(ClassFileNumbers(db, 1, 13), (std::vector<int32_t> {1}));
    data.Close();
    const auto classesBefore = data.Dump("WCCLASS.DBF");
    const auto plansBefore = data.Dump("WCPLAN.DBF");
    data.Open();

    EXPECT_EQ(AddNewClassFile(*data.database, 1, 13, 1, 2, EncodeDate(2027, 7, 1),
                              EncodeDate(2028, 6, 30)),
              static_cast<int32_t>(file1.size()));
    EXPECT_EQ(ClassFileNumbers(*data.database, 1, 13), (std::vector<int32_t> {1, 2}));
    data.Close();

    // The classes: the old rows as they were, then one copy of each class of file 1.
    const auto classesAfter = data.Dump("WCCLASS.DBF");
    ASSERT_EQ(classesAfter.size(), classesBefore.size() + file1.size());
    for (size_t i = 0; i < classesBefore.size(); ++i) {
        EXPECT_EQ(classesAfter[i], classesBefore[i]);
    }
    std::vector<std::string> sources;
    for (const std::string &line : classesBefore) {
        if (line.find("*") == std::string::npos &&
            Fields(line).rfind("[1     ] [13    ] [1  ]", 0) == 0) {
            std::string copy = Fields(line);
            copy.replace(copy.find("[1  ]"), 5, "[2  ]");
            sources.push_back(copy);
        }
    }
    ASSERT_EQ(sources.size(), file1.size());
    for (size_t i = 0; i < sources.size(); ++i) {
        EXPECT_EQ(Fields(classesAfter[classesBefore.size() + i]), sources[i]);
    }
    // The plan: only the dates of class file 2 of broker 1 MA changed.
    const auto plansAfter = data.Dump("WCPLAN.DBF");
    ASSERT_EQ(plansAfter.size(), plansBefore.size());
    int changed = 0;
    for (size_t i = 0; i < plansBefore.size(); ++i) {
        if (plansAfter[i] != plansBefore[i]) {
            ++changed;
            EXPECT_NE(plansAfter[i].find("[20270701] [20280630]"), std::string::npos)
                << plansAfter[i];
            EXPECT_EQ(Fields(plansAfter[i]).rfind("[1     ] [13    ]", 0), 0u) << plansAfter[i];
        }
    }
    EXPECT_EQ(changed, 1);
    EXPECT_EQ(data.Check({"WCCLASS.DBF", "WCPLAN.DBF"}), "");
}

TEST(TableMaintenance, AnInterruptedClassFileLeavesTheTablesAsTheyWere)
{
    DataCopy data;
    DeleteClassCodes(*data.database, 1, 13, 2,
                     AllCodes(ClassFileEntries(*data.database, 1, 13, 2)));
    data.Close();
    const auto classesBefore = data.Dump("WCCLASS.DBF");
    const auto plansBefore = data.Dump("WCPLAN.DBF");
    data.Open();
    EXPECT_THROW(AddNewClassFile(*data.database, 1, 13, 1, 2, EncodeDate(2027, 7, 1),
                                 EncodeDate(2028, 6, 30), FailAt(5)),
                 std::runtime_error);
    // The table set goes on working on the restored tables.
    EXPECT_EQ(ClassFileNumbers(*data.database, 1, 13), (std::vector<int32_t> {1}));
    data.Close();
    EXPECT_EQ(data.Dump("WCCLASS.DBF"), classesBefore);
    EXPECT_EQ(data.Dump("WCPLAN.DBF"), plansBefore);
    EXPECT_EQ(data.Check({"WCCLASS.DBF", "WCPLAN.DBF"}), "");
}

TEST(TableMaintenance, CopyHazardCodesToANewRatePeriod)
{
    DataCopy data;
    const auto before = data.Dump("HAZ_CODE.DBF");
    EXPECT_THROW(CopyHazardCodes(*data.database, 5, 13, 1, 2), EMaintenanceError); // 2 has codes
    EXPECT_THROW(CopyHazardCodes(*data.database, 1, 13, 1, 3), EMaintenanceError); // none in 1
    EXPECT_THROW(CopyHazardCodes(*data.database, 5, 13, 1, 3, FailAt(4)), std::runtime_error);
    data.Close();
    EXPECT_EQ(data.Dump("HAZ_CODE.DBF"), before);
    EXPECT_EQ(data.Check({"HAZ_CODE.DBF"}), "");

    data.Open();
    EXPECT_EQ(CopyHazardCodes(*data.database, 5, 13, 1, 3), 9);
    data.Close();
    const auto after = data.Dump("HAZ_CODE.DBF");
    ASSERT_EQ(after.size(), before.size() + 9);
    for (size_t i = 0; i < before.size(); ++i) {
        EXPECT_EQ(after[i], before[i]);
    }
    for (size_t i = 0; i < 9; ++i) {
        std::string expected = Fields(before[i]); // period 1 comes first
        expected.replace(expected.find("[1     ] [1     ]"), 17, "[3     ] [1     ]");
        EXPECT_EQ(Fields(after[before.size() + i]), expected);
    }
    EXPECT_EQ(data.Check({"HAZ_CODE.DBF"}), "");
}

TEST(TableMaintenance, CopyInputsCopiesTheControlsAndTheirListEntries)
{
    DataCopy data;
    const auto inputsBefore = data.Dump("WCINPUTS.DBF");
    const auto entriesBefore = data.Dump("INP_DATA.DBF");
    EXPECT_THROW(CopyInputs(*data.database, 13, 1, 13, 2), EMaintenanceError); // 2 is there
    EXPECT_THROW(CopyInputs(*data.database, 13, 1, 13, 1), EMaintenanceError);
    EXPECT_THROW(CopyInputs(*data.database, 13, 1, 13, 3, FailAt(1)), std::runtime_error);
    data.Close();
    EXPECT_EQ(data.Dump("WCINPUTS.DBF"), inputsBefore);
    EXPECT_EQ(data.Dump("INP_DATA.DBF"), entriesBefore);
    EXPECT_EQ(data.Check({"WCINPUTS.DBF", "INP_DATA.DBF"}), "");

    data.Open();
    EXPECT_EQ(CopyInputs(*data.database, 13, 1, 13, 3), 58);
    data.Close();
    const auto inputsAfter = data.Dump("WCINPUTS.DBF");
    ASSERT_EQ(inputsAfter.size(), inputsBefore.size() + 58);
    for (size_t i = 0; i < inputsBefore.size(); ++i) {
        EXPECT_EQ(inputsAfter[i], inputsBefore[i]);
    }
    for (size_t i = inputsBefore.size(); i < inputsAfter.size(); ++i) {
        EXPECT_EQ(Fields(inputsAfter[i]).rfind("[13    ] [3     ]", 0), 0u) << inputsAfter[i];
    }
    const auto entriesAfter = data.Dump("INP_DATA.DBF");
    EXPECT_GT(entriesAfter.size(), entriesBefore.size());
    EXPECT_EQ(data.Check({"WCINPUTS.DBF", "INP_DATA.DBF"}), "");
}

TEST(TableMaintenance, PrepareSetupFileWritesTheBrokersTablesWithAManifest)
{
    DataCopy data;
    ScratchFolder out;
    const std::string target = out.File("setup/");
    const std::vector<std::string> manifest = PrepareSetupFile(data.folder.Path(), 13, 5, target);
    ASSERT_GE(manifest.size(), 4u);
    EXPECT_EQ(manifest[0], "Veredivo setup data");
    EXPECT_EQ(manifest[1], "Broker: 5");
    EXPECT_EQ(manifest[2], "State: MA");

    // Only broker 5's Massachusetts plan went.
    const TCommandResult plans = RunCommand(ShellQuoted(VEREDIVO_DBFTOOL) + " dump " +
                                            ShellQuoted(target + "WCPLAN.DBF") + " --records");
    ASSERT_EQ(plans.Status, 0);
    EXPECT_EQ(std::count(plans.Out.begin(), plans.Out.end(), '\n'), 1) << plans.Out;
    EXPECT_EQ(Fields(plans.Out).rfind("[5     ] [13    ]", 0), 0u) << plans.Out;
    const TCommandResult hazards = RunCommand(ShellQuoted(VEREDIVO_DBFTOOL) + " dump " +
                                              ShellQuoted(target + "HAZ_CODE.DBF") + " --records");
    EXPECT_EQ(std::count(hazards.Out.begin(), hazards.Out.end(), '\n'), 18);
    const TCommandResult inputs = RunCommand(ShellQuoted(VEREDIVO_DBFTOOL) + " dump " +
                                             ShellQuoted(target + "WCINPUTS.DBF") + " --records");
    EXPECT_EQ(std::count(inputs.Out.begin(), inputs.Out.end(), '\n'), 116); // MA's two rate sets

    // Every table checks clean, and the manifest's figures are the files'.
    std::string tables;
    for (const std::string &name : FilesWithExtension(target, ".dbf")) {
        tables += " " + ShellQuoted(target + name);
    }
    EXPECT_EQ(RunCommand(ShellQuoted(VEREDIVO_DBFTOOL) + " check" + tables).Status, 0);
    const TCommandResult crc = RunCommand("python3 -c 'import sys,zlib; print(\"%08x\" % "
                                          "zlib.crc32(open(sys.argv[1],\"rb\").read()))' " +
                                          ShellQuoted(target + "WCPLAN.DBF"));
    bool listed = false;
    for (const std::string &line : manifest) {
        if (line.rfind("WCPLAN.DBF\t", 0) == 0) {
            listed = true;
            EXPECT_EQ(line,
                      "WCPLAN.DBF\t" + std::to_string(FileSize(target + "WCPLAN.DBF")) +
                          " bytes\t1 records\tcrc32 " + Trim(crc.Out));
        }
    }
    EXPECT_TRUE(listed);
    EXPECT_TRUE(FileExists(target + "manifest.txt"));
    EXPECT_TRUE(FileExists(target + "MAApp.dat"));
    EXPECT_FALSE(FileExists(target + "CUSTGNRL.DBF"));

    // Never over an earlier setup; interrupted, nothing stays.
    EXPECT_THROW(PrepareSetupFile(data.folder.Path(), 13, 5, target), EMaintenanceError);
    EXPECT_THROW(PrepareSetupFile(data.folder.Path(), 0, 5, out.File("second/"), FailAt(30)),
                 std::runtime_error);
    EXPECT_FALSE(DirectoryExists(out.File("second/")));
}

TEST(AboutInformation, TheBrokersPlansWithTheirRateDates)
{
    DataCopy data;
    data.Close();
    const std::vector<TPlanRateDates> plans = PlanRateDates(data.folder.Path(), 5);
    ASSERT_EQ(plans.size(), 2u);
    EXPECT_EQ(PlanRateDatesText(plans[0]),
              "Massachusetts: 07/01/2024 to 06/30/2026, 07/01/2026 "
              "to 12/31/2027 (rates change 07/01/2026)");
    EXPECT_EQ(plans[1].StateName, "New Jersey");
    EXPECT_TRUE(PlanRateDates(data.folder.Path(), 9).empty());
    EXPECT_THROW(PlanRateDates(data.folder.File("missing/"), 1), std::exception);
    bool zip = false;
    for (const TThirdParty &component : ThirdPartyComponents()) {
        zip = zip || std::string(component.Name) == "libzip";
    }
    EXPECT_TRUE(zip);
}
