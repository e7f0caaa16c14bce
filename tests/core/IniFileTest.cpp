#include "core/IniFile.h"
#include "core/Paths.h"

#include "support/ScratchFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>

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
    EXPECT_EQ(dir.ReadFile("b.ini"),
              "; agency settings\r\n"
              "[Agency]\r\n"
              "Name = Smith & Sons \r\n"
              "City=Boston\r\n"
              "\r\n"
              "[Other]\r\n"
              "Keep=\"quoted value\"\r\n");

    ini.WriteString("New", "Key", "v");
    EXPECT_EQ(ini.ReadString("new", "key", ""), "v");
    EXPECT_EQ(ini.ReadSection("Agency"), (std::vector<std::string> {"Name", "City"}));
    ini.DeleteKey("Agency", "City");
    ini.EraseSection("New");
    EXPECT_FALSE(ini.SectionExists("New"));
    EXPECT_EQ(dir.ReadFile("b.ini"), original + "\r\n");
}

TEST(IniFile, NumbersAndBooleans)
{
    ScratchFolder dir;
    TIniFile ini(dir.File("n.ini"));
    ini.WriteInteger("S", "I", -12);
    ini.WriteBool("S", "B", true);
    ini.WriteFloat("S", "F", 0.3);
    ini.WriteString("S", "T", "True");
    ini.WriteString("S", "Bad", "12abc");
    EXPECT_EQ(ini.ReadInteger("S", "I", 0), -12);
    EXPECT_TRUE(ini.ReadBool("S", "B", false));
    EXPECT_TRUE(ini.ReadBool("S", "T", false));
    EXPECT_DOUBLE_EQ(ini.ReadFloat("S", "F", 0), 0.3);
    EXPECT_EQ(ini.ReadInteger("S", "Bad", 9), 9);
    EXPECT_EQ(dir.ReadFile("n.ini"), "[S]\nI=-12\nB=1\nF=0.3\nT=True\nBad=12abc\n");
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
