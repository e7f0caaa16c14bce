// Fuzz target: a folder's table journal (TABLES.JNL) checked for an unfinished change and
// completed into its folder. Each record's checksum is made right first, so that the inputs
// reach the reader's decoding instead of ending at the checksum.

#include "support/FuzzFiles.h"
#include "support/JournalBytes.h"

#include "dbase/Context.h"
#include "dbase/Errors.h"
#include "dbase/Journal.h"

#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::string journal(reinterpret_cast<const char *>(data), size);
    FixJournalChecksums(journal);
    const std::string folder = FuzzFolder();
    WriteFuzzFile(folder + "TABLES.JNL", reinterpret_cast<const uint8_t *>(journal.data()),
                  journal.size());
    (void)dbase::Journal::HoldsUnfinished(folder, "TABLES.JNL");
    dbase::Context context;
    try {
        (void)dbase::Journal::Recover(context, folder, "TABLES.JNL");
    } catch (const dbase::Error &) {
        // A change for a file that is not there (or not the same file) stays unfinished.
    }
    return 0;
}
