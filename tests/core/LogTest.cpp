#include "core/Log.h"
#include "core/AppInfo.h"
#include "core/Check.h"
#include "core/Paths.h"

#include "support/ScopedEnv.h"
#include "support/ScratchFolder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

using testing::ElementsAre;
using testing::MatchesRegex;

namespace {

TMachineInfo KnownMachine()
{
    TMachineInfo info;
    info.application = "/opt/veredivo/veredivo";
    info.version = "1.2.0";
    info.userDomain = "example.org";
    info.computerName = "desk7";
    info.userName = "agent";
    info.winDir = "/home/agent/.config/veredivo/";
    info.tempDir = "/tmp/";
    return info;
}

const char *const kTimestamp = "[0-9]{4}-[0-9]{2}-[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2}\\.[0-9]{3} ";

size_t Count(const std::string &text, const std::string &part)
{
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

} // namespace

TEST(Logger, MachineHeaderComesBeforeTheFirstLineAndEmptyLinesStayEmpty)
{
    TLoggerObj logger;
    logger.SetFileName("");
    logger.SetMachineInfo(KnownMachine());
    logger.AddLine("WCForm - App Log Start");
    logger.AddLine("");
    logger.AddLine("WCForm - New Quote Method");
    const auto &lines = logger.Buffer();
    ASSERT_EQ(lines.size(), 15u);
    EXPECT_THAT(std::vector<std::string>(lines.begin(), lines.begin() + 12),
                ElementsAre("", "[MachineInfo]", "---< MachineInfo >---",
                            "Application=/opt/veredivo/veredivo", "ApplicationVersion=1.2.0",
                            "UserDomain=example.org", "ComputerName=desk7", "UserName=agent",
                            "WinDir=/home/agent/.config/veredivo/", "TempDir=/tmp/",
                            "---< MachineInfo >---\r\n", "[Log]"));
    EXPECT_THAT(lines[12], MatchesRegex(std::string(kTimestamp) + "WCForm - App Log Start"));
    EXPECT_EQ(lines[13], "");
    EXPECT_THAT(lines[14], MatchesRegex(std::string(kTimestamp) + "WCForm - New Quote Method"));
    EXPECT_TRUE(logger.Timestamps());
}

TEST(Logger, WithoutNetworkInformationTheDefaultsAreUsed)
{
    TLoggerObj logger;
    TMachineInfo info;
    info.networkAvailable = false;
    logger.SetMachineInfo(info);
    logger.SetTimestamps(false);
    logger.AddLine("x");
    const auto &lines = logger.Buffer();
    ASSERT_GE(lines.size(), 9u);
    EXPECT_EQ(lines[4], "ApplicationVersion=UnknownVersion");
    EXPECT_EQ(lines[5], "Network information not available.");
    EXPECT_EQ(lines[6], "UserDomain=UnnamedDomain");
    EXPECT_EQ(lines[7], "ComputerName=UnnamedComputer");
    EXPECT_EQ(lines[8], "UserName=UnnamedUser");
    EXPECT_EQ(lines.back(), "x");
    logger.SetFileName("");
}

TEST(Logger, MachineInformationComesFromTheSystem)
{
    const TMachineInfo info = ReadMachineInfo();
    EXPECT_EQ(info.application, ProgramFile());
    EXPECT_EQ(info.winDir, SettingsFolder());
    EXPECT_EQ(info.tempDir, TempFolder());
    EXPECT_TRUE(info.networkAvailable);
    EXPECT_FALSE(info.userName.empty());
    EXPECT_EQ(info.computerName.find('.'), std::string::npos);
}

TEST(Logger, EachRunReplacesTheFileWithItsOwnLines)
{
    ScratchFolder dir;
    const std::string file = dir.File("veredivo.log");
    for (const char *run : {"first run", "second run"}) {
        TLoggerObj logger;
        logger.SetFileName(file);
        logger.SetMachineInfo(KnownMachine());
        logger.SetTimestamps(false);
        logger.AddLine(run);
        logger.AddLine("");
        EXPECT_FALSE(FileExists(file) &&
                     dir.ReadFile("veredivo.log").find(run) != std::string::npos)
            << "written before the end of the run";
    }
    const std::string text = dir.ReadFile("veredivo.log");
    EXPECT_EQ(Count(text, "[MachineInfo]"), 1u);
    EXPECT_EQ(Count(text, "second run"), 1u);
    EXPECT_EQ(Count(text, "first run"), 0u);
    // Every line ends in CR LF; the header's closing line carries one more.
    EXPECT_NE(
        text.find("TempDir=/tmp/\r\n---< MachineInfo >---\r\n\r\n[Log]\r\nsecond run\r\n\r\n"),
        std::string::npos);
    EXPECT_EQ(text.substr(0, 17), "\r\n[MachineInfo]\r\n");
}

TEST(Logger, FlushIntervalWritesTheWholeRunSoFar)
{
    ScratchFolder dir;
    TLoggerObj logger;
    logger.SetFileName(dir.File("a.log"));
    logger.SetTimestamps(false);
    logger.SetFlushInterval(2);
    logger.AddLine("one");
    EXPECT_FALSE(FileExists(dir.File("a.log")));
    logger.AddLine("two");
    EXPECT_EQ(Count(dir.ReadFile("a.log"), "\r\n"), logger.Buffer().size() + 1);
    logger.AddLine("three");
    logger.AddLine("four");
    const std::string text = dir.ReadFile("a.log");
    EXPECT_EQ(Count(text, "one\r\n"), 1u);
    EXPECT_NE(text.find("three\r\nfour\r\n"), std::string::npos);
}

TEST(Logger, DisabledLoggerKeepsNothingAndEmptyBufferWritesNothing)
{
    ScratchFolder dir;
    {
        TLoggerObj logger;
        logger.SetFileName(dir.File("off.log"));
        logger.SetEnabled(false);
        logger.AddLine("ignored");
        EXPECT_TRUE(logger.Buffer().empty());
        logger.SetEnabled(true);
        logger.Flush();
    }
    EXPECT_FALSE(FileExists(dir.File("off.log")));
}

TEST(Logger, AFileThatCannotBeCreatedLosesTheLogQuietly)
{
    ScratchFolder dir;
    TLoggerObj logger;
    logger.SetFileName(dir.File("missing/folder/x.log"));
    logger.AddLine("lost");
    EXPECT_NO_THROW(logger.Flush());
    EXPECT_FALSE(FileExists(dir.File("missing/folder/x.log")));
}

TEST(Logger, AppendModeAddsTheRunOnceWithoutAHeader)
{
    ScratchFolder dir;
    dir.WriteFile("a.log", "earlier run\r\n");
    TLoggerObj logger;
    logger.SetFileName(dir.File("a.log"));
    logger.SetAppend(true);
    logger.SetTimestamps(false);
    logger.SetFlushInterval(1);
    logger.AddLine("one");
    logger.AddLine("two");
    logger.Flush();
    EXPECT_EQ(dir.ReadFile("a.log"), "earlier run\r\none\r\ntwo\r\n");
}

TEST(AppInfoLog, StartLogWritesTheOpeningLinesAndTheFileAtTheEnd)
{
    ScratchFolder dir;
    ScopedEnv state("XDG_STATE_HOME", dir.Path());
    ForceDirectories(dir.File("veredivo"));
    std::string logFile;
    {
        TAppInfo info;
        logFile = info.LogFileName();
        info.LogLine("before the start");
        EXPECT_TRUE(info.LoggedLines().empty());
        EXPECT_EQ(CurrentAppInfo(), &info);
        info.StartLog();
        AppLogLine("WCForm - App Log Start");
        EXPECT_THAT(info.LoggedLines(),
                    ElementsAre("Application Path: ", "Data Path: ", "Log File Name: " + logFile,
                                "", "WCForm - App Log Start"));
        EXPECT_EQ(info.LogPrefix(), "");
        EXPECT_FALSE(FileExists(logFile));
    }
    EXPECT_EQ(CurrentAppInfo(), nullptr);
    const std::string text = [&] {
        std::ifstream in(logFile, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }();
    EXPECT_LT(text.find("[Log]\r\n"), text.find("Application Path: \r\n"));
    EXPECT_THAT(text, testing::EndsWith("WCForm - App Log Start\r\n"));
}

TEST(AppInfoLog, TheFixedFolderGetsALogsSubfolder)
{
    ScratchFolder dir;
    ScopedEnv state("XDG_STATE_HOME", dir.Path());
    const std::string name = ChangeFileExt(ExtractFileName(ProgramFile()), ".log");
    ForceDirectories(dir.File("veredivo"));
    EXPECT_EQ(TAppInfo::LogFileNameFor(ProgramFile()), dir.File("veredivo/Logs/") + name);
    EXPECT_TRUE(DirectoryExists(dir.File("veredivo/Logs")));
    EXPECT_EQ(TAppInfo::LogFileNameFor("/opt/x/veredivo"), dir.File("veredivo/Logs/veredivo.log"));
}

TEST(AppInfoLog, WithoutTheFixedFolderTheLogGoesBesideTheProgram)
{
    ScratchFolder dir;
    ScopedEnv state("XDG_STATE_HOME", dir.File("state"));
    ForceDirectories(dir.File("program"));
    SetProgramFolder(dir.File("program"));
    EXPECT_EQ(TAppInfo::LogFileNameFor("/opt/x/veredivo"), dir.File("program/veredivo.log"));
    EXPECT_FALSE(DirectoryExists(dir.File("state/veredivo")));
    // A program folder that cannot be written sends the log to the fixed folder, created now.
    SetProgramFolder(dir.File("no such folder"));
    EXPECT_EQ(TAppInfo::LogFileNameFor("/opt/x/veredivo"),
              dir.File("state/veredivo/Logs/veredivo.log"));
    SetProgramFolder("");
}

TEST(SoftCheck, AFailedCheckIsLoggedWithItsPlaceAndTheCallerGoesOn)
{
    ScratchFolder dir;
    ScopedEnv state("XDG_STATE_HOME", dir.Path());
    TAppInfo info;
    info.StartLog();
    const int64_t failedBefore = FailedCheckCount();
    const std::vector<int> rows {1, 2};

    const size_t row = 5;
    const int value = VEREDIVO_CHECK(row < rows.size()) ? rows[row] : -1;
    EXPECT_EQ(value, -1);
    const int checkLine = __LINE__ - 2;
    EXPECT_TRUE(VEREDIVO_CHECK(rows.size() == 2));

    EXPECT_EQ(FailedCheckCount(), failedBefore + 1);
    EXPECT_EQ(info.LoggedLines().back(),
              "Check failed: row < rows.size() at tests/core/LogTest.cpp:" +
                  std::to_string(checkLine));
}
