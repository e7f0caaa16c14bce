// Fuzz target: a rating command request (a quote file, or one line of a batch) read. A request
// the command cannot use must be refused with ERateRequestError naming where and why; any other
// exception, or a request taken with a state the quote would cut, is a fault.

#include "RateRequest.h"

#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string text(reinterpret_cast<const char *>(data), size);
    for (const char *source : {"file", "line"}) {
        try {
            const TRateRequest request = ParseRateRequest(text, source);
            if (request.State.size() != 2) {
                std::abort();
            }
        } catch (const ERateRequestError &error) {
            if (std::string(error.what()).empty()) {
                std::abort();
            }
        }
    }
    return 0;
}
