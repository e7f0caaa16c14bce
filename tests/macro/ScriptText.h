#pragma once

#include <string>
#include <utility>
#include <vector>

// Scripts written for the tests: one line per command, its elements in order.
struct ScriptLine
{
    int objectType = 0;
    std::vector<std::pair<std::string, std::string>> elements;
};

// The XML of a script; `rootSettings` is put under the root before the commands.
std::string ScriptXml(const std::vector<ScriptLine> &lines, const std::string &rootSettings = {});

ScriptLine SetVar(const std::string &name, const std::string &value);
ScriptLine AdjustVar(const std::string &name, const std::string &by);
ScriptLine If(const std::string &a, int expression, const std::string &b);
ScriptLine EndIf();
ScriptLine While(const std::string &a, int expression, const std::string &b);
ScriptLine WhileEnd();
ScriptLine Pause(const std::string &seconds);
ScriptLine Callback(const std::string &identifier);
ScriptLine ErrorLine(const std::string &caption);
ScriptLine Dialog(const std::string &caption);
// Appends the text to the variable TRACE, so a test sees which lines ran, in order.
ScriptLine Trace(const std::string &text);
// The same line with an element set (replaced when the line has it, else added).
ScriptLine With(ScriptLine line, const std::string &element, const std::string &value);

// Lines of web commands for scripts written by the tests.
// An element command of a command type (200 set, 201 click, 202 follow) found by id and name.
ScriptLine Element(int commandType, const std::string &id, const std::string &value = {});
ScriptLine Scrape(int type, const std::string &valueName, const std::string &first,
                  const std::string &second = {}, const std::string &third = {},
                  const std::string &fourth = {});
