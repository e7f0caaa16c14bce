#pragma once

#include "core/Log.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

// The shared part of the application information object: the program log. The program's own
// object (in storage) derives from it and works out the folders; the process-wide default
// table set is the table layer's DefaultDatabase().
class TAppInfo
{
public:
    TAppInfo();
    virtual ~TAppInfo(); // writes the log
    TAppInfo(const TAppInfo &) = delete;
    TAppInfo &operator=(const TAppInfo &) = delete;

    // Where this run's log goes, fixed at creation (see LogFileNameFor).
    const std::string &LogFileName() const { return m_logFileName; }

    // Creates and enables the logger and writes the opening lines of the run.
    void StartLog();
    // Writes the log and frees the logger; later lines are not logged.
    void StopLog();
    // Hands the prefix + text to the logger and keeps it in LoggedLines(). Without a started
    // log nothing is recorded.
    void LogLine(std::string_view text);

    TLoggerObj *Logger() const { return m_logger.get(); }
    const std::vector<std::string> &LoggedLines() const { return m_loggedLines; }
    const std::string &LogPrefix() const { return m_logPrefix; }

    // The log file for a program file: with the fixed log folder (StateFolder()) present, its
    // "Logs/" subfolder (created) or, failing that, the folder itself; otherwise the program
    // folder when it can be written, else the fixed log folder created for it, else the
    // temporary folder. The name is the program file's with the extension ".log".
    static std::string LogFileNameFor(const std::string &programFile);

protected:
    // The folders the opening lines of the log name; the base knows none.
    virtual std::string ApplicationPath() const { return {}; }
    virtual std::string DataPath() const { return {}; }

private:
    std::string m_logFileName;
    std::unique_ptr<TLoggerObj> m_logger;
    std::vector<std::string> m_loggedLines;
    bool m_logStarted = false;
    std::string m_logPrefix;
};

// The application information object of the running program (the most recently created one
// still alive), or nullptr. Lets windows and dialogs log without being handed the object.
TAppInfo *CurrentAppInfo();
// LogLine on CurrentAppInfo() when there is one.
void AppLogLine(std::string_view text);
