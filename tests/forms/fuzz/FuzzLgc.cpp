// Fuzz target: the rules of a .lgc file.

#include "forms/FormErrors.h"
#include "forms/FormItems.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    TLogicItems rules("");
    try {
        rules.ReadRules(std::string_view(reinterpret_cast<const char *>(data), size));
    } catch (const EFormDataError &) {
        // A clear error is the expected end for most inputs.
    }
    return 0;
}
