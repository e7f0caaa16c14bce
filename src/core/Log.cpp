#include "core/Log.h"

#include "core/Dates.h"
#include "core/Paths.h"
#include "core/Text.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <stdexcept>

#ifndef VEREDIVO_VERSION
#define VEREDIVO_VERSION ""
#endif

namespace {

std::string HostName()
{
    char buffer[256] = {};
    if (gethostname(buffer, sizeof buffer - 1) != 0) {
        return {};
    }
    return buffer;
}

std::string NisDomainName()
{
    char buffer[256] = {};
    if (getdomainname(buffer, sizeof buffer - 1) != 0) {
        return {};
    }
    const std::string name = buffer;
    return name == "(none)" ? std::string() : name;
}

std::string LoginName()
{
    if (const passwd *entry = getpwuid(geteuid()); entry != nullptr && entry->pw_name != nullptr) {
        return entry->pw_name;
    }
    const char *user = std::getenv("USER");
    return user != nullptr ? std::string(user) : std::string();
}

} // namespace

TMachineInfo ReadMachineInfo()
{
    TMachineInfo info;
    info.application = ProgramFile();
    if (std::string_view(VEREDIVO_VERSION).size() > 0) {
        info.version = VEREDIVO_VERSION;
    }
    const std::string host = HostName();
    const std::string user = LoginName();
    info.networkAvailable = !host.empty() || !user.empty();
    const size_t dot = host.find('.');
    const std::string computer = host.substr(0, dot);
    const std::string domain = dot == std::string::npos ? NisDomainName() : host.substr(dot + 1);
    if (!computer.empty()) {
        info.computerName = computer;
    }
    if (!domain.empty()) {
        info.userDomain = domain;
    }
    if (!user.empty()) {
        info.userName = user;
    }
    info.winDir = SettingsFolder();
    info.tempDir = TempFolder();
    return info;
}

TLoggerObj::TLoggerObj()
    : m_fileName(ChangeFileExt(ProgramFile(), ".log")), m_machine(ReadMachineInfo())
{ }

TLoggerObj::~TLoggerObj()
{
    try {
        Flush();
    } catch (...) {
        // A log that cannot be written at program end is lost; the program still ends cleanly.
    }
}

void TLoggerObj::SetFlushInterval(int lines)
{
    m_flushInterval = lines > 0 ? lines : 0;
    m_linesSinceFlush = 0;
}

bool TLoggerObj::AppendsToExistingFile() const
{
    return m_append && FileExists(m_fileName);
}

void TLoggerObj::PutLine(std::string_view line)
{
    if (m_timestamps && !line.empty()) {
        m_buffer.push_back(TimestampText(Now()) + " " + std::string(line));
    } else {
        m_buffer.emplace_back(line);
    }
}

void TLoggerObj::PutMachineHeader()
{
    const bool timestamps = m_timestamps;
    m_timestamps = false;
    PutLine("");
    PutLine("[MachineInfo]");
    PutLine("---< MachineInfo >---");
    PutLine("Application=" + m_machine.application);
    PutLine("ApplicationVersion=" + m_machine.version);
    if (!m_machine.networkAvailable) {
        PutLine("Network information not available.");
    }
    PutLine("UserDomain=" + m_machine.userDomain);
    PutLine("ComputerName=" + m_machine.computerName);
    PutLine("UserName=" + m_machine.userName);
    PutLine("WinDir=" + m_machine.winDir);
    PutLine("TempDir=" + m_machine.tempDir);
    PutLine("---< MachineInfo >---\r\n");
    PutLine("[Log]");
    m_timestamps = timestamps;
}

void TLoggerObj::AddLine(std::string_view line)
{
    if (!m_enabled) {
        return;
    }
    if (m_buffer.empty() && m_header && !AppendsToExistingFile()) {
        PutMachineHeader();
    }
    PutLine(line);
    if (m_flushInterval > 0 && ++m_linesSinceFlush >= m_flushInterval) {
        Flush();
        m_linesSinceFlush = 0;
    }
}

void TLoggerObj::Flush()
{
    if (m_fileName.empty() || !m_enabled || m_buffer.empty()) {
        return;
    }
    // Appending adds only what earlier flushes of this run did not write, so the file holds the
    // earlier runs and this one once.
    const bool appending = AppendsToExistingFile();
    std::ofstream out(m_fileName,
                      appending ? std::ios::binary | std::ios::app
                                : std::ios::binary | std::ios::trunc);
    if (!out) {
        return;
    }
    for (size_t i = appending ? m_appendedLines : 0; i < m_buffer.size(); ++i) {
        out << m_buffer[i] << "\r\n";
    }
    out.flush();
    if (!out) {
        throw std::runtime_error("The log file " + m_fileName + " could not be written");
    }
    m_appendedLines = m_buffer.size();
}
