#include "MacroHarness.h"

#include <algorithm>

MacroHarness::MacroHarness(std::unique_ptr<TMacroCommandInterface> factory,
                           std::unique_ptr<TMacroInterface> executor)
    : macro(loop, std::move(factory), std::move(executor))
{
    macro.ScriptFolder = folder.Path();
    macro.ScriptFileName = "test.xml";
    macro.Variables = &variables;
    macro.DataIn = &dataIn;
    macro.OnLog = [this](TMacro &, const std::string &line) { log.push_back(line); };
    macro.OnStopped = [this](TMacro &) { ++stopped; };
}

void MacroHarness::Write(const std::vector<ScriptLine> &lines, const std::string &rootSettings)
{
    folder.WriteFile("test.xml", ScriptXml(lines, rootSettings));
}

bool MacroHarness::Logged(const std::string &line) const
{
    return std::find(log.begin(), log.end(), line) != log.end();
}

std::vector<std::string> MacroHarness::LogFrom(const std::string &prefix) const
{
    for (size_t i = 0; i < log.size(); ++i) {
        if (log[i].rfind(prefix, 0) == 0) {
            return {log.begin() + static_cast<long>(i), log.end()};
        }
    }
    return {};
}
