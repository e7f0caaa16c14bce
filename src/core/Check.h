#pragma once

#include <cstdint>
#include <string_view>

// A broken invariant the program can live through. A crash there would take the agent's unsaved
// quote with it, so the failure is written to the log and to standard error with the file and
// line, and the caller carries on on a safe path:
//
//     if (!VEREDIVO_CHECK(quote.HasClass(*line))) {
//         return; // a stale row: do nothing rather than touch a line the quote no longer owns
//     }
//
// Evaluates to the condition. Use it for what must never happen, never for bad input.
#define VEREDIVO_CHECK(condition)                                                                  \
    (static_cast<bool>(condition) ? true : ReportFailedCheck(#condition, __FILE__, __LINE__))

// Logs "Check failed: <condition> at <file>:<line>" and returns false.
bool ReportFailedCheck(std::string_view condition, std::string_view file, int line);

// How many checks have failed in this process (the tests look at it).
int64_t FailedCheckCount();
