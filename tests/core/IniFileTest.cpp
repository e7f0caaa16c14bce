#include "core/IniFile.h"
#include "core/Paths.h"

#include "support/ScopedEnv.h"
#include "support/ScratchFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

TEST(IniFile, MissingFileSectionOrKeyGivesTheDefault)
{
    ScratchFolder dir;
    TIniFile ini(dir.File("none.ini"));
    EXPECT_EQ(ini.ReadString("General", "LastCustID", "x"), "x");
    EXPECT_EQ(ini.ReadInteger("General", "LastCustID", 7), 7);
    EXPECT_TRUE(ini.ReadBool("General", "Debug", true));
    dir.WriteFile("some.ini", "[General]\nOther=1\n");
    TIniFile some(dir.File("some.ini"));
    EXPECT_EQ(some.ReadInteger("General", "LastCustID", 3), 3);
    EXPECT_EQ(some.ReadInteger("Missing", "Other", 4), 4);
    EXPECT_EQ(some.ReadInteger("General", "Other", 4), 1);
}

TEST(IniFile, SectionsAndKeysIgnoreCaseAndKeepTheirSpelling)
{
    ScratchFolder dir;
    dir.WriteFile("a.ini", "[Detail]\nActive_Broker=5\n");
    TIniFile ini(dir.File("a.ini"));
    EXPECT_EQ(ini.ReadInteger("DETAIL", "active_broker", 0), 5);
    ini.WriteInteger("detail", "ACTIVE_BROKER", 6);
    EXPECT_EQ(dir.ReadFile("a.ini"), "[Detail]\nActive_Broker=6\n");
}

TEST(IniFile, WriteGoesToDiskAtOnceAndKeepsOtherLines)
{
    ScratchFolder dir;
    const std::string original = "; agency settings\r\n"
                                 "[Agency]\r\n"
                                 "Name = Smith & Sons \r\n"
                                 "\r\n"
                                 "[Other]\r\n"
                                 "Keep=\"quoted value\"\r\n";
    dir.WriteFile("b.ini", original);
    TIniFile ini(dir.File("b.ini"));
    EXPECT_EQ(ini.ReadString("Agency", "Name", ""), "Smith & Sons");
    EXPECT_EQ(ini.ReadString("Other", "Keep", ""), "quoted value");

    ini.WriteString("Agency", "City", "Boston");
    // A second object sees the value at once: nothing is cached.
    EXPECT_EQ(TIniFile(dir.File("b.ini")).ReadString("Agency", "City", ""), "Boston");
    const std::string withCity = "; agency settings\r\n"
                                 "[Agency]\r\n"
                                 "Name = Smith & Sons \r\n"
                                 "City=Boston\r\n"
                                 "\r\n"
                                 "[Other]\r\n"
                                 "Keep=\"quoted value\"\r\n";
    EXPECT_EQ(dir.ReadFile("b.ini"), withCity);

    ini.WriteString("New", "Key", "v");
    EXPECT_EQ(ini.ReadString("new", "key", ""), "v");
    EXPECT_EQ(dir.ReadFile("b.ini"), withCity + "\r\n[New]\r\nKey=v\r\n");
}

TEST(IniFile, WritersNeverShareATemporaryFileAndKeepTheFilesMode)
{
    ScratchFolder dir;
    const std::string file = dir.File("c.ini");
    // Where a fixed temporary name would go, something else is.
    std::filesystem::create_directory(file + ".tmp");
    TIniFile ini(file);
    ini.WriteString("A", "k", "1");
    EXPECT_EQ(ini.ReadString("A", "k", ""), "1");

    ASSERT_EQ(chmod(file.c_str(), 0640), 0);
    ini.WriteString("A", "k", "2");
    struct stat status
    { };
    ASSERT_EQ(stat(file.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0640U);

    // Two programs writing the same settings at once: every write succeeds with a whole file
    // (one may write over the other's last change, never over half a file).
    const auto writeMany = [&file](const char *section) {
        int failures = 0;
        for (int i = 1; i <= 40; ++i) {
            try {
                TIniFile(file).WriteInteger(section, "n", i);
            } catch (const std::exception &) {
                ++failures;
            }
        }
        return failures;
    };
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        _exit(writeMany("Child"));
    }
    EXPECT_EQ(writeMany("Parent"), 0);
    int childStatus = 0;
    ASSERT_EQ(waitpid(child, &childStatus, 0), child);
    ASSERT_TRUE(WIFEXITED(childStatus));
    EXPECT_EQ(WEXITSTATUS(childStatus), 0);
    EXPECT_EQ(TIniFile(file).ReadString("A", "k", ""), "2");

    // Nothing is left beside the file but what was there.
    int entries = 0;
    for ([[maybe_unused]] const auto &entry :
         std::filesystem::directory_iterator(std::filesystem::path(file).parent_path())) {
        ++entries;
    }
    EXPECT_EQ(entries, 2);
}

TEST(IniFile, AWriteThatCannotReplaceTheFileIsReportedAndLeavesNothingBehind)
{
    ScratchFolder dir;
    const std::string file = dir.File("c.ini");
    // A folder where the settings file should be: the rename over it fails.
    std::filesystem::create_directory(file);
    EXPECT_THROW(TIniFile(file).WriteString("A", "k", "1"), std::runtime_error);
    int entries = 0;
    for ([[maybe_unused]] const auto &entry : std::filesystem::directory_iterator(dir.Path())) {
        ++entries;
    }
    EXPECT_EQ(entries, 1);
}

TEST(IniFile, NumbersAndBooleans)
{
    ScratchFolder dir;
    TIniFile ini(dir.File("n.ini"));
    ini.WriteInteger("S", "I", -12);
    ini.WriteBool("S", "B", true);
    ini.WriteString("S", "T", "True");
    ini.WriteString("S", "Bad", "12abc");
    EXPECT_EQ(ini.ReadInteger("S", "I", 0), -12);
    EXPECT_TRUE(ini.ReadBool("S", "B", false));
    EXPECT_TRUE(ini.ReadBool("S", "T", false));
    EXPECT_EQ(ini.ReadInteger("S", "Bad", 9), 9);
    EXPECT_EQ(dir.ReadFile("n.ini"), "[S]\nI=-12\nB=1\nT=True\nBad=12abc\n");
}

TEST(IniFile, BareNamesLiveInTheSettingsFolder)
{
    ScratchFolder dir;
    const std::string settings = dir.Path() + "settings/";
    setenv("VEREDIVO_SETTINGS_DIR", settings.c_str(), 1);
    TIniFile ini("QORWC.ini");
    EXPECT_EQ(ini.FileName(), settings + "QORWC.ini");
    // The folder is made on the first write.
    EXPECT_FALSE(DirectoryExists(settings));
    ini.WriteString("Install_Info", "1_MA", "/opt/veredivo/");
    EXPECT_EQ(dir.ReadFile("settings/QORWC.ini"), "[Install_Info]\n1_MA=/opt/veredivo/\n");
    unsetenv("VEREDIVO_SETTINGS_DIR");
}

TEST(IniFile, FileNameFoundWithoutRegardToCase)
{
    ScratchFolder dir;
    dir.WriteFile("about.ini", "[Detail]\nActive_State=MA\n");
    TIniFile ini(dir.File("About.ini"));
    EXPECT_EQ(ini.ReadString("Detail", "Active_State", ""), "MA");
    EXPECT_EQ(ini.FileName(), dir.File("about.ini"));
}

namespace {

// Runs `body` in a child process that cannot write the folders made read-only for it: root
// writes anywhere, so as root the child becomes "nobody" first. Returns the child's exit code.
template<typename Body>
int RunAsUnprivilegedChild(Body body)
{
    const pid_t child = fork();
    if (child == 0) {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) {
            _exit(90);
        }
        _exit(body());
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 99;
}

} // namespace

TEST(ProgramSettings, AWritableProgramFolderKeepsItsOwnFileAndAUserCopyWins)
{
    ScratchFolder dir;
    dir.WriteFile("program/veredivo.ini", "[Agency]\nName=Beside\n");
    SetProgramFolder(dir.File("program/"));
    const std::string settings = dir.File("settings/");
    const ScopedEnv settingsFolder("VEREDIVO_SETTINGS_DIR", settings);

    EXPECT_EQ(ProgramSettingsFile("veredivo"), dir.File("program/veredivo.ini"));
    EXPECT_FALSE(DirectoryExists(settings));

    dir.WriteFile("settings/program/veredivo.ini", "[Agency]\nName=Mine\n");
    EXPECT_EQ(TIniFile(ProgramSettingsFile("veredivo")).ReadString("Agency", "Name", ""), "Mine");
    SetProgramFolder("");
}

TEST(ProgramSettings, AReadOnlyProgramFolderSavesToTheUsersCopy)
{
    ScratchFolder dir;
    const std::string beside = "[Agency]\nName=Delivered Agency\n[Web]\nNoticeAddress=x\n";
    dir.WriteFile("program/veredivo.ini", beside);
    ForceDirectories(dir.File("settings"));
    chmod(dir.Path().c_str(), 0755);
    chmod(dir.File("settings").c_str(), 0777);
    chmod(dir.File("program/veredivo.ini").c_str(), 0444);
    chmod(dir.File("program").c_str(), 0555);

    const int code = RunAsUnprivilegedChild([&dir] {
        SetProgramFolder(dir.File("program/"));
        setenv("VEREDIVO_SETTINGS_DIR", dir.File("settings/").c_str(), 1);
        if (CanWriteIn(dir.File("program/"))) {
            return 2; // the folder is writable after all: nothing to show here
        }
        const std::string file = ProgramSettingsFile("veredivo");
        if (file != dir.File("settings/program/veredivo.ini")) {
            return 3;
        }
        TIniFile ini(file);
        if (ini.ReadString("Agency", "Name", "") != "Delivered Agency") {
            return 4;
        }
        try {
            ini.WriteString("Agency", "Name", "Saved Agency");
        } catch (const std::exception &) {
            return 5;
        }
        const TIniFile again(ProgramSettingsFile("veredivo"));
        if (again.ReadString("Agency", "Name", "") != "Saved Agency" ||
            again.ReadString("Web", "NoticeAddress", "") != "x") {
            return 6;
        }
        return 0;
    });
    chmod(dir.File("program").c_str(), 0755);
    EXPECT_EQ(code, 0);
    EXPECT_EQ(dir.ReadFile("program/veredivo.ini"), beside);
}
