// Fuzz target: a DOCX package opened as a template, every field read and filled, and the
// package written; a clear error is the only other way out.

#include "export/DocxDocument.h"
#include "support/FuzzFiles.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string input = FuzzFolder() + "input.docx";
    WriteFuzzFile(input, data, size);
    try {
        TDocxDocument document(input);
        const std::vector<TDocumentField> fields = document.Fields();
        for (int32_t n = 1; n <= document.FieldCount(); ++n) {
            try {
                document.SetFieldResult(n, n % 2 ? "Yes" : "a\tb\r\nc & <d>");
            } catch (const EDocumentError &) {
                // A drop-down without that entry.
            }
        }
        document.TextOutsideFields();
        document.SaveAs(FuzzFolder() + "output.docx", true);
        TDocxDocument again(FuzzFolder() + "output.docx");
        if (again.FieldCount() != document.FieldCount()) {
            __builtin_trap(); // a written document must count the same fields
        }
    } catch (const EDocumentError &) { }
    return 0;
}
