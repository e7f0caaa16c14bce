#include "core/Paths.h"

#include "support/ScratchFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>

TEST(Paths, ProgramFolderIsTheExecutablesFolderUnlessSet)
{
    const std::string exe = ProgramFile();
    ASSERT_FALSE(exe.empty());
    EXPECT_EQ(ProgramFolder(), ExtractFilePath(exe));
    EXPECT_EQ(ProgramFolder().back(), '/');
    SetProgramFolder("/opt/x");
    EXPECT_EQ(ProgramFolder(), "/opt/x/");
    SetProgramFolder("");
    EXPECT_EQ(ProgramFolder(), ExtractFilePath(exe));
}

TEST(Paths, FileNameParts)
{
    EXPECT_EQ(NativePath("Data\\WCPLAN.DBF"), "Data/WCPLAN.DBF");
    EXPECT_EQ(ExtractFileName("/a/b/c.dbf"), "c.dbf");
    EXPECT_EQ(ExtractFilePath("/a/b/c.dbf"), "/a/b/");
    EXPECT_EQ(ExtractFileExt("/a.b/c"), "");
    EXPECT_EQ(ChangeFileExt("/a/veredivo", ".ini"), "/a/veredivo.ini");
    EXPECT_EQ(ChangeFileExt("tierprem.dbf", ".mdx"), "tierprem.mdx");
    EXPECT_TRUE(IsBareName("QORWC.ini"));
    EXPECT_FALSE(IsBareName("Data\\About.ini"));
    EXPECT_EQ(FileNamePart("  ..A/B\\C\tD  ", "x"), "A-B-C-D");
    EXPECT_EQ(FileNamePart(" .. ", "New Customer"), "New Customer");
    EXPECT_EQ(FileNamePart(std::string(130, 'a'), "x").size(), 120u);
}

TEST(Paths, SettingsFolderFollowsTheEnvironment)
{
    setenv("VEREDIVO_SETTINGS_DIR", "/x/y", 1);
    EXPECT_EQ(SettingsFolder(), "/x/y/");
    unsetenv("VEREDIVO_SETTINGS_DIR");
    setenv("XDG_CONFIG_HOME", "/cfg", 1);
    EXPECT_EQ(SettingsFolder(), "/cfg/veredivo/");
    unsetenv("XDG_CONFIG_HOME");
    setenv("HOME", "/home/agent", 1);
    EXPECT_EQ(SettingsFolder(), "/home/agent/.config/veredivo/");
    EXPECT_EQ(StateFolder(), "/home/agent/.local/state/veredivo/");
}

TEST(Paths, CaseInsensitiveLookupAndListing)
{
    ScratchFolder dir;
    dir.WriteFile("WCQuote.pdf", "x");
    dir.WriteFile("b.DBF", "x");
    dir.WriteFile("a.dbf", "x");
    dir.WriteFile("c.mdx", "x");
    EXPECT_EQ(ResolveFileName(dir.File("wcquote.PDF")), dir.File("WCQuote.pdf"));
    EXPECT_EQ(ResolveFileName(dir.File("none.pdf")), dir.File("none.pdf"));
    EXPECT_EQ(FilesWithExtension(dir.Path(), ".DBF"),
              (std::vector<std::string> {"a.dbf", "b.DBF"}));
    EXPECT_EQ(FileSize(dir.File("a.dbf")), 1);
    EXPECT_EQ(FileSize(dir.File("none")), -1);
    EXPECT_TRUE(ForceDirectories(dir.Path() + "x/y/z"));
    EXPECT_TRUE(DirectoryExists(dir.Path() + "x/y/z"));
}

TEST(Paths, AFileIsReadWholeWithEveryByte)
{
    ScratchFolder dir;
    // Longer than one read, with NULs and CRs that text reading would lose.
    std::string bytes;
    for (int i = 0; i < 150000; ++i) {
        bytes.push_back(static_cast<char>(i % 251));
    }
    dir.WriteFile("form.crf", bytes);
    std::string read = "left over";
    EXPECT_TRUE(ReadFileBytes(dir.File("form.crf"), read));
    EXPECT_EQ(read, bytes);
    dir.WriteFile("empty", "");
    EXPECT_TRUE(ReadFileBytes(dir.File("empty"), read));
    EXPECT_EQ(read, "");

    read = "left over";
    EXPECT_FALSE(ReadFileBytes(dir.File("none"), read));
    EXPECT_EQ(read, "");
}
