#include "core/Check.h"

#include "core/AppInfo.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <string>

namespace {

std::atomic<int64_t> g_failedChecks {0};

} // namespace

bool ReportFailedCheck(std::string_view condition, std::string_view file, int line)
{
    ++g_failedChecks;
    // The place inside the source tree says enough; the build machine's folders do not.
    size_t start = 0;
    for (const std::string_view root : {"/src/", "/tests/"}) {
        if (const size_t at = file.rfind(root); at != std::string_view::npos) {
            start = std::max(start, at + 1);
        }
    }
    const std::string where = std::string(file.substr(start)) + ":" + std::to_string(line);
    const std::string message = "Check failed: " + std::string(condition) + " at " + where;
    AppLogLine(message);
    std::fprintf(stderr, "%s\n", message.c_str());
    return false;
}

int64_t FailedCheckCount()
{
    return g_failedChecks.load();
}
