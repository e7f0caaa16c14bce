#include "core/AppInfo.h"

#include "core/Paths.h"

namespace {

TAppInfo *&Current()
{
    static TAppInfo *current = nullptr;
    return current;
}

// The log goes into "Logs/" below `folder` when that can be made, else into `folder` itself;
// empty when neither exists afterwards.
std::string LogFolderBelow(const std::string &folder)
{
    if (ForceDirectories(folder + "Logs/")) {
        return folder + "Logs/";
    }
    return DirectoryExists(folder) ? folder : std::string();
}

} // namespace

TAppInfo::TAppInfo() : m_logFileName(LogFileNameFor(ProgramFile()))
{
    Current() = this;
}

TAppInfo::~TAppInfo()
{
    StopLog();
    if (Current() == this) {
        Current() = nullptr;
    }
}

std::string TAppInfo::LogFileNameFor(const std::string &programFile)
{
    const std::string name = ChangeFileExt(ExtractFileName(programFile), ".log");
    const std::string fixed = StateFolder();
    if (DirectoryExists(fixed)) {
        return LogFolderBelow(fixed) + name;
    }
    // The program folder of an installed program may be read-only; the per-user state folder
    // is then the natural place, and the temporary folder the last resort.
    if (const std::string program = ProgramFolder(); CanWriteIn(program)) {
        return program + name;
    }
    if (const std::string folder = LogFolderBelow(fixed); !folder.empty()) {
        return folder + name;
    }
    return TempFolder() + name;
}

void TAppInfo::StartLog()
{
    if (!m_logger) {
        m_logger = std::make_unique<TLoggerObj>();
    }
    m_logger->SetFileName(m_logFileName);
    m_logger->SetEnabled(true);
    m_loggedLines.clear();
    m_logStarted = true;
    LogLine("Application Path: " + ApplicationPath());
    LogLine("Data Path: " + DataPath());
    LogLine("Log File Name: " + m_logFileName);
    if (m_logger->FlushInterval() > 0) {
        LogLine("WARNING: Log Flush Interval is set to " +
                std::to_string(m_logger->FlushInterval()) + ".  Affects speed.");
    }
    LogLine("");
}

void TAppInfo::StopLog()
{
    m_logger.reset();
    m_logStarted = false;
}

void TAppInfo::LogLine(std::string_view text)
{
    if (!m_logStarted) {
        return;
    }
    std::string line = m_logPrefix + std::string(text);
    m_loggedLines.push_back(line);
    m_logger->AddLine(line);
}

TAppInfo *CurrentAppInfo()
{
    return Current();
}

void AppLogLine(std::string_view text)
{
    if (TAppInfo *info = Current()) {
        info->LogLine(text);
    }
}
