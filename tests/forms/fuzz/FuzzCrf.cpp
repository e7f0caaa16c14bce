// Fuzz target: the records of a .crf file.

#include "forms/FormErrors.h"
#include "forms/FormItems.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    TFieldItems fields("");
    try {
        fields.ReadRecords(std::string_view(reinterpret_cast<const char *>(data), size), "FUZZ");
        size_t index = 0;
        for (size_t i = 0; i < fields.Count(); ++i) {
            fields.IndexOfNumber(fields[i].LinkNumber, index);
        }
    } catch (const EFormDataError &) {
        // A clear error is the expected end for most inputs.
    }
    return 0;
}
