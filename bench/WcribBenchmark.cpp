// A full "Submit to WCRIB" of a 12-class quote through the delivered script to the simulated
// bureau site, with the real browser engine offscreen (the script makes no pauses of its own).

#include "../tests/macro/qt/WcribRun.h"

#include "core/EventLoop.h"
#include "macro/qt/QtWebEngineSetup.h"
#include "ui/QtEventLoop.h"

#include <QApplication>
#include <QJsonArray>

#include <benchmark/benchmark.h>

#include <cstdlib>

namespace {

MaQuote::TClasses TwelveClasses()
{
    return {{"0042", 80000, 4},  {"2003", 150000, 8}, {"5183", 210000, 6}, {"5190", 175000, 5},
            {"5403", 320000, 9}, {"5551", 120000, 6}, {"5645", 95000, 3},  {"6217", 60000, 2},
            {"7219", 140000, 4}, {"7380", 60000, 3},  {"8742", 70000, 2},  {"8810", 45000, 2}};
}

void FullSubmission(benchmark::State &state)
{
    for (auto _ : state) {
        state.PauseTiming();
        WcribSite().Post("/_test/reset", "{}");
        WcribSite().AddAccount("agent7", kWcribPassword);
        WcribRun run("/", kWcribPassword, true, TwelveClasses());
        state.ResumeTiming();
        run.Run();
        state.PauseTiming();
        if (run.result != "Finished" || run.Record().value("classes").toArray().size() != 12) {
            state.SkipWithError("the submission did not finish with 12 classes");
        }
        state.ResumeTiming();
    }
}
BENCHMARK(FullSubmission)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char **argv)
{
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    PrepareWebEngine();
    QApplication application(argc, argv);
    QtEventLoop loop;
    SetEventLoop(&loop);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    EndWcribSite();
    SetEventLoop(nullptr);
    return 0;
}
