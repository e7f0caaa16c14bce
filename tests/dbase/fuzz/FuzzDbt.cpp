// Fuzz target: a memo file read in both forms and appended to.

#include "support/FuzzFiles.h"

#include "dbase/Memo.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string path = FuzzFolder() + "t.dbt";
    for (const bool dbase3 : {false, true}) {
        WriteFuzzFile(path, data, size);
        try {
            auto memo = dbase::MemoFile::Open(nullptr, path, dbase3, true);
            const uint32_t blocks = static_cast<uint32_t>(size / memo->BlockSize()) + 2;
            for (uint32_t block = 0; block < blocks && block < 64; ++block) {
                try {
                    memo->Read(block);
                } catch (const dbase::Error &) {
                    // Blocks that hold no memo.
                }
            }
            const uint32_t written = memo->Write("text the fuzz target writes");
            if (memo->Read(written) != "text the fuzz target writes") {
                __builtin_trap();
            }
        } catch (const dbase::Error &) {
            // A clear error is the expected end for most inputs.
        }
    }
    return 0;
}
