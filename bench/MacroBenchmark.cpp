// The script engine's own cost per step, without a browser: a loop of variable, condition and
// block commands played on the headless event loop, beside the same counting done directly on
// a name=value list (the floor any step pays for its variables).

#include "core/EventLoop.h"
#include "core/NameValues.h"
#include "core/Text.h"
#include "macro/Macro.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

constexpr int kRounds = 2000;

std::string Command(int type, const std::string &elements)
{
    return "<Command><ObjectType>" + std::to_string(type) + "</ObjectType>" + elements +
        "</Command>";
}

// Each round: While, Adjust Var, If (false, its body skipped), End If, Set Var, End While.
std::string LoopScript()
{
    return "<Macro><Commands>" + Command(209, "<VarName>I</VarName><VarValue>0</VarValue>") +
        Command(207, "<A>I</A><B>" + std::to_string(kRounds) + "</B><Expression>2</Expression>") +
        Command(210, "<VarName>I</VarName><VarValue>1</VarValue>") +
        Command(205, "<A>I</A><B>-1</B><Expression>0</Expression>") +
        Command(209, "<VarName>NEVER</VarName><VarValue>x</VarValue>") + Command(206, "") +
        Command(209, "<VarName>LAST</VarName><VarValue>row %I% of %ROWS%</VarValue>") +
        Command(208, "") + "</Commands></Macro>";
}

void EngineStep(benchmark::State &state)
{
    const std::string folder = std::filesystem::temp_directory_path().string() + "/";
    const std::string name = "veredivo-bench-loop.xml";
    std::ofstream(folder + name) << LoopScript();
    TimerEventLoop loop;
    TMacro macro(loop);
    macro.ScriptFolder = folder;
    macro.ScriptFileName = name;
    TNameValueList variables;
    TNameValueList dataIn = {"ROWS=" + std::to_string(kRounds), "COMPANY=Acme Roofing"};
    macro.Variables = &variables;
    macro.DataIn = &dataIn;
    int64_t steps = 0;
    macro.OnStep = [&steps](TMacro &, TMacroCommand &, bool &, int, int) { ++steps; };
    for (auto _ : state) {
        variables.clear();
        macro.Play();
        benchmark::DoNotOptimize(variables);
    }
    std::remove((folder + name).c_str());
    // Items are steps: the time of one step is the inverse of items per second.
    state.SetItemsProcessed(steps);
}
BENCHMARK(EngineStep)->Unit(benchmark::kMillisecond);

// The reference: the same variable work of a round written directly in C++.
void DirectListWork(benchmark::State &state)
{
    TNameValueList variables;
    const TNameValueList dataIn = {"ROWS=" + std::to_string(kRounds), "COMPANY=Acme Roofing"};
    int64_t rounds = 0;
    for (auto _ : state) {
        variables.clear();
        SetNameValue(variables, "I", "0");
        for (int i = 0; StrToInt(NameValue(variables, "I")) < kRounds; ++i) {
            SetNameValue(variables, "I", IntText(StrToInt(NameValue(variables, "I")) + 1));
            if (NameValue(variables, "I") == "-1") {
                SetNameValue(variables, "NEVER", "x");
            }
            SetNameValue(variables, "LAST",
                         "row " + NameValue(variables, "I") + " of " + NameValue(dataIn, "ROWS"));
            ++rounds;
        }
        benchmark::DoNotOptimize(variables);
    }
    state.SetItemsProcessed(rounds * 6);
}
BENCHMARK(DirectListWork)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
