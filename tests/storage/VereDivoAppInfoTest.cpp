#include "storage/VereDivoAppInfo.h"

#include "core/IniFile.h"
#include "core/Paths.h"
#include "db/VereDivoDatabase.h"
#include "storage/PlanStateTable.h"

#include "support/ScopedEnv.h"
#include "support/ScratchFolder.h"

#include "core/Text.h"

#include <gtest/gtest.h>

#include <set>

#include <sys/wait.h>
#include <unistd.h>

namespace {

// A program folder and a settings folder of their own for each test.
class AppInfoFolders : public testing::Test
{
protected:
    AppInfoFolders()
        : settings("VEREDIVO_SETTINGS_DIR", dir.File("settings/")),
          state("XDG_STATE_HOME", dir.File("state/"))
    {
        SetProgramFolder(dir.File("program/"));
        ForceDirectories(dir.File("program/Data"));
    }
    ~AppInfoFolders() override { SetProgramFolder(""); }

    std::string Program(const std::string &name = {}) const { return dir.File("program/") + name; }
    std::string SettingsIniPath() const
    {
        return dir.File("settings/") + ChangeFileExt(ExtractFileName(ProgramFile()), ".ini");
    }

    ScratchFolder dir;
    ScopedEnv settings;
    ScopedEnv state;
};

} // namespace

TEST_F(AppInfoFolders, FoldersFollowTheProgramFolder)
{
    const TVereDivoAppInfo info;
    const std::string name = ChangeFileExt(ExtractFileName(ProgramFile()), ".ini");
    EXPECT_EQ(info.ProgramFolder(), Program());
    EXPECT_EQ(info.DataFolder(), Program("Data/"));
    EXPECT_EQ(info.QuoteFolder(), Program("Data/"));
    EXPECT_EQ(info.ACORDFolder(), Program("ACORD/"));
    EXPECT_EQ(info.SettingsIni(), SettingsIniPath());
    EXPECT_EQ(info.ProgramSettingsFile(), Program(name));
    EXPECT_EQ(info.LogFileName(), Program(ChangeFileExt(name, ".log")));
}

TEST_F(AppInfoFolders, AlternatePathsMoveTheFoldersWhenSwitchedOn)
{
    TIniFile ini(SettingsIniPath());
    ini.WriteBool("DataPath", "UseAltDataPath", true);
    ini.WriteString("DataPath", "AlternateDataPath", "  /srv/rates  ");
    ini.WriteBool("QuotePath", "UseAltQuotePath", true);
    ini.WriteString("QuotePath", "AlternateQuotePath", "Shared\\Quotes\\");
    ini.WriteBool("ACORDPath", "UseAltACORDPath", false);
    ini.WriteString("ACORDPath", "AlternateACORDPath", "/ignored/");
    const TVereDivoAppInfo info;
    EXPECT_EQ(info.DataFolder(), "/srv/rates/");
    EXPECT_EQ(info.QuoteFolder(), Program("Shared/Quotes/"));
    EXPECT_EQ(info.ACORDFolder(), Program("ACORD/"));
}

TEST_F(AppInfoFolders, SwitchedOnWithoutAPathKeepsTheDefaults)
{
    TIniFile ini(SettingsIniPath());
    ini.WriteBool("DataPath", "UseAltDataPath", true);
    ini.WriteBool("QuotePath", "UseAltQuotePath", true);
    ini.WriteString("QuotePath", "AlternateQuotePath", "   ");
    ini.WriteBool("ACORDPath", "UseAltACORDPath", true);
    const TVereDivoAppInfo info;
    EXPECT_EQ(info.DataFolder(), Program("Data/"));
    EXPECT_EQ(info.QuoteFolder(), Program("Data/"));
    // The ACORD folder's default alternate is the quote folder.
    EXPECT_EQ(info.ACORDFolder(), Program("Data/"));
}

TEST_F(AppInfoFolders, ActiveStateComesFromTheDataFoldersAboutFile)
{
    dir.WriteFile("program/Data/about.ini", "[Detail]\r\nActive_Broker=5\r\nActive_State= MA \r\n");
    TVereDivoAppInfo info;
    EXPECT_EQ(info.ActiveState(), "");
    // Without the delivered tables the table set does not open; the state is read all the same.
    EXPECT_THROW(info.OpenData(), ECBDBError);
    EXPECT_EQ(info.Database(), nullptr);
    EXPECT_EQ(info.ActiveState(), "MA");
}

TEST_F(AppInfoFolders, OpenDataOpensTheTableSetOnTheDataFolder)
{
    CopyDeliveredData(dir.File("program/Data/"));
    TVereDivoAppInfo info;
    info.OpenData();
    ASSERT_NE(info.Database(), nullptr);
    EXPECT_EQ(info.Database()->DataFolder(), Program("Data/"));
    TPlanStateTable states(info.Database()->Plans());
    const std::vector<TStateRow> rows = states.Rows();
    ASSERT_FALSE(rows.empty());
    EXPECT_EQ(Trim(rows[0].Broker_ID), "1");
    EXPECT_EQ(Trim(rows[0].State_Name), "Massachusetts");
}

TEST_F(AppInfoFolders, CustomerNumbersAndQuoteIDsCountUpInTheQuoteFolder)
{
    TVereDivoAppInfo info;
    EXPECT_EQ(info.NextCustomerNumber(), 1);
    EXPECT_EQ(info.NextCustomerNumber(), 2);
    EXPECT_EQ(info.NextQuoteID(), 1);
    EXPECT_EQ(dir.ReadFile("program/Data/datainfo.ini"),
              "[General]\nLastCustID=2\nLastQuoteID=1\n");
    dir.WriteFile("program/Data/datainfo.ini", "[General]\r\nLastQuoteID=41\r\nLastCustID=-3\r\n");
    EXPECT_EQ(info.NextQuoteID(), 42);
    EXPECT_EQ(info.NextCustomerNumber(), 1);
    EXPECT_EQ(dir.ReadFile("program/Data/datainfo.ini"),
              "[General]\r\nLastQuoteID=42\r\nLastCustID=1\r\n");
    dir.WriteFile("program/Data/datainfo.ini", "[General]\nLastQuoteID=2147483647\n");
    EXPECT_THROW(info.NextQuoteID(), std::runtime_error);
}

TEST_F(AppInfoFolders, TwoProgramsCountingAtOnceNeverGetTheSameQuoteID)
{
    constexpr int kEach = 150;
    int report[2];
    ASSERT_EQ(::pipe(report), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::close(report[0]);
        TVereDivoAppInfo info;
        for (int i = 0; i < kEach; ++i) {
            const int32_t id = info.NextQuoteID();
            if (::write(report[1], &id, sizeof id) != sizeof id) {
                ::_exit(2);
            }
        }
        ::_exit(0);
    }
    ::close(report[1]);
    std::set<int32_t> ids;
    TVereDivoAppInfo info;
    for (int i = 0; i < kEach; ++i) {
        ids.insert(info.NextQuoteID());
    }
    int32_t id = 0;
    while (::read(report[0], &id, sizeof id) == sizeof id) {
        ids.insert(id);
    }
    ::close(report[0]);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(ids.size(), 2u * kEach);
    EXPECT_EQ(*ids.rbegin(), 2 * kEach);
    EXPECT_EQ(TIniFile(Program("Data/datainfo.ini")).ReadInteger("General", "LastQuoteID", 0),
              2 * kEach);
}
