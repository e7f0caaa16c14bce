#pragma once

#include "ScriptText.h"

#include "core/EventLoop.h"
#include "core/NameValues.h"
#include "macro/Macro.h"

#include "support/ScratchFolder.h"

#include <string>
#include <vector>

// A macro over a script file of a scratch folder, on a loop of its own, with its log kept.
struct MacroHarness
{
    explicit MacroHarness(std::unique_ptr<TMacroCommandInterface> factory = nullptr,
                          std::unique_ptr<TMacroInterface> executor = nullptr);

    // Writes the script as "test.xml" and points the macro at it.
    void Write(const std::vector<ScriptLine> &lines, const std::string &rootSettings = {});
    // Plays the script to its end.
    void Run() { macro.Play(); }
    bool Logged(const std::string &line) const;
    // The log lines from the first one starting with `prefix` on.
    std::vector<std::string> LogFrom(const std::string &prefix) const;

    ScratchFolder folder;
    TimerEventLoop loop;
    TNameValueList variables {"TRACE="};
    TNameValueList dataIn;
    std::vector<std::string> log;
    int stopped = 0;
    TMacro macro;
};
