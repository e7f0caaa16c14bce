#pragma once

#include <string>
#include <string_view>
#include <vector>

// What the log's machine header says about the computer and the program.
struct TMachineInfo
{
    std::string application; // full path of the program file
    std::string version = "UnknownVersion";
    // False when the operating system gave neither a host nor a user name.
    bool networkAvailable = true;
    std::string userDomain = "UnnamedDomain";
    std::string computerName = "UnnamedComputer";
    std::string userName = "UnnamedUser";
    std::string winDir; // the folder of the bare-named settings files
    std::string tempDir;
};

// Reads the machine information from the operating system: user name from the password
// database (or $USER), computer name and domain from the host name (the part before and after
// the first "."; the domain falls back to the NIS domain name).
TMachineInfo ReadMachineInfo();

// The program log. Every line of the run is kept in memory; a flush writes the whole run so far
// to the file, so the file always holds the complete log of one run. Without a flush interval
// the file is written only when the logger is destroyed.
class TLoggerObj
{
public:
    TLoggerObj();
    ~TLoggerObj(); // flushes; errors are swallowed here
    TLoggerObj(const TLoggerObj &) = delete;
    TLoggerObj &operator=(const TLoggerObj &) = delete;

    // Nothing happens while disabled. The first line of a run brings the machine header with it
    // (unless the header is off or an existing file is appended to); a non-empty line gets the
    // "yyyy-mm-dd hh:nn:ss.zzz " prefix while timestamps are on.
    void AddLine(std::string_view line);
    // Writes every buffered line followed by CR LF. Nothing happens without a file name, while
    // disabled or with an empty buffer; a file that cannot be created loses the log silently;
    // a failed write raises std::runtime_error.
    void Flush();

    const std::string &FileName() const { return m_fileName; }
    void SetFileName(std::string fileName) { m_fileName = std::move(fileName); }
    // Lines between automatic flushes; 0 (the default) flushes only at the end.
    int FlushInterval() const { return m_flushInterval; }
    void SetFlushInterval(int lines);
    bool Enabled() const { return m_enabled; }
    void SetEnabled(bool enabled) { m_enabled = enabled; }
    bool Timestamps() const { return m_timestamps; }
    void SetTimestamps(bool on) { m_timestamps = on; }
    bool Append() const { return m_append; }
    void SetAppend(bool on) { m_append = on; }
    bool Header() const { return m_header; }
    void SetHeader(bool on) { m_header = on; }

    // The lines of the run as they go to the file.
    const std::vector<std::string> &Buffer() const { return m_buffer; }
    const TMachineInfo &MachineInfo() const { return m_machine; }
    void SetMachineInfo(TMachineInfo info) { m_machine = std::move(info); }

private:
    void PutLine(std::string_view line);
    void PutMachineHeader();
    bool AppendsToExistingFile() const;

    std::string m_fileName;
    bool m_timestamps = true;
    bool m_enabled = true;
    bool m_append = false;
    bool m_header = true;
    std::vector<std::string> m_buffer;
    int m_flushInterval = 0;
    int m_linesSinceFlush = 0;
    size_t m_appendedLines = 0; // lines of this run already in the file (append mode)
    TMachineInfo m_machine;
};
