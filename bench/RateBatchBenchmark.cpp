// The rating command on many quotes: 1,000 random Massachusetts and New Jersey requests rated
// by one `veredivo-rate --batch` process, against the same command started once per quote (the
// reference), and the start of the command alone (`--help`) against a process that does nothing.

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

extern char **environ;

namespace {

const std::string Command = VEREDIVO_RATE_COMMAND;
const std::string ProgramFolder = VEREDIVO_PROGRAM_DIR;

// Runs `arguments` with standard input and output from and to the files given (empty: none);
// the exit status.
int Run(const std::vector<std::string> &arguments, const std::string &in = {},
        const std::string &out = "/dev/null")
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (!in.empty()) {
        posix_spawn_file_actions_addopen(&actions, 0, in.c_str(), O_RDONLY, 0);
    }
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    std::vector<char *> argv;
    for (const std::string &argument : arguments) {
        argv.push_back(const_cast<char *>(argument.c_str()));
    }
    argv.push_back(nullptr);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    if (spawned != 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) {
        return -1;
    }
    return WEXITSTATUS(status);
}

// Random quotes of both states and two plans: 1 to 6 classes the plans offer, random payrolls,
// and an experience mod on every other quote. The same quotes on every run.
std::vector<std::string> RandomRequests(size_t count)
{
    const std::vector<std::string> ma = {"5645", "5437", "8810", "8742", "5183", "7380"};
    const std::vector<std::string> nj = {"5645", "5403", "8810", "8742", "5183", "7380"};
    std::mt19937 random(20261210);
    std::vector<std::string> requests;
    for (size_t i = 0; i < count; ++i) {
        const bool inMA = i % 2 == 0;
        const std::vector<std::string> &codes = inMA ? ma : nj;
        std::vector<std::string> chosen = codes;
        std::shuffle(chosen.begin(), chosen.end(), random);
        chosen.resize(1 + random() % 3);
        std::ostringstream request;
        request << R"({"state": ")" << (inMA ? "MA" : "NJ") << R"(", "broker": )"
                << (random() % 2 == 0 ? 1 : 5) << R"(, "effective": "07/01/2026", "classes": [)";
        for (size_t c = 0; c < chosen.size(); ++c) {
            request << (c == 0 ? "" : ", ") << R"({"code": ")" << chosen[c] << R"(", "payroll": )"
                    << 10000 + random() % 400000 << R"(, "employees": )" << 1 + random() % 20
                    << "}";
        }
        request << "]";
        if (i % 4 < 2) {
            request << R"(, "inputs": {"txtExpMod": ")" << 0.8 + (random() % 40) / 100.0 << R"("})";
        }
        request << "}";
        requests.push_back(request.str());
    }
    return requests;
}

// The processor time (user and system) the finished child processes have used, in seconds.
double ChildSeconds()
{
    rusage usage {};
    getrusage(RUSAGE_CHILDREN, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
        static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// The machine is shared: the children's processor time per iteration, beside the wall time.
void CountChildTime(benchmark::State &state, double startSeconds)
{
    state.counters["child_cpu_ms"] = benchmark::Counter((ChildSeconds() - startSeconds) * 1000 /
                                                        static_cast<double>(state.iterations()));
}

std::string TempFile(const std::string &name)
{
    return (std::filesystem::temp_directory_path() / ("veredivo-rate-bench-" + name)).string();
}

size_t RatedLines(const std::string &path)
{
    std::ifstream in(path);
    size_t rated = 0;
    for (std::string line; std::getline(in, line);) {
        rated += line.find("\"status\":0") != std::string::npos ? 1 : 0;
    }
    return rated;
}

// 1,000 quotes in one process.
void BM_Batch_1000Quotes(benchmark::State &state)
{
    const std::vector<std::string> requests = RandomRequests(1000);
    const std::string in = TempFile("in.jsonl");
    const std::string out = TempFile("out.jsonl");
    {
        std::ofstream file(in);
        for (const std::string &request : requests) {
            file << request << "\n";
        }
    }
    const double start = ChildSeconds();
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            Run({Command, "--program-dir", ProgramFolder, "--batch"}, in, out));
    }
    CountChildTime(state, start);
    const size_t rated = RatedLines(out);
    state.counters["rated"] = static_cast<double>(rated);
    if (rated != requests.size()) {
        state.SkipWithError("not every quote was rated");
    }
    std::filesystem::remove(in);
    std::filesystem::remove(out);
}
BENCHMARK(BM_Batch_1000Quotes)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);

// Reference: the same kind of quotes, one process each (50 of them per iteration; the time
// per 1,000 is the counter).
void BM_Reference_OneProcessPerQuote_50Quotes(benchmark::State &state)
{
    const std::vector<std::string> requests = RandomRequests(50);
    std::vector<std::string> files;
    for (size_t i = 0; i < requests.size(); ++i) {
        files.push_back(TempFile("q" + std::to_string(i) + ".json"));
        std::ofstream(files.back()) << requests[i];
    }
    int failures = 0;
    const double start = ChildSeconds();
    for (auto _ : state) {
        for (const std::string &file : files) {
            failures += Run({Command, "--program-dir", ProgramFolder, "--json", file}) != 0;
        }
    }
    CountChildTime(state, start);
    if (failures != 0) {
        state.SkipWithError("a quote did not rate");
    }
    for (const std::string &file : files) {
        std::filesystem::remove(file);
    }
}
BENCHMARK(BM_Reference_OneProcessPerQuote_50Quotes)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Help(benchmark::State &state)
{
    const double start = ChildSeconds();
    for (auto _ : state) {
        benchmark::DoNotOptimize(Run({Command, "--help"}));
    }
    CountChildTime(state, start);
}
BENCHMARK(BM_Help)->Unit(benchmark::kMillisecond)->UseRealTime();

// Reference: starting a process that does nothing.
void BM_Reference_TrueProcess(benchmark::State &state)
{
    const double start = ChildSeconds();
    for (auto _ : state) {
        benchmark::DoNotOptimize(Run({"/bin/true"}));
    }
    CountChildTime(state, start);
}
BENCHMARK(BM_Reference_TrueProcess)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
