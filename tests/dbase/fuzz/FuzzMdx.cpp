// Fuzz target: an index file over a fixed set of fields, walked, searched and changed.

#include "support/FuzzFiles.h"

#include "dbase/Index.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const std::vector<dbase::Field> fields =
        dbase::BuildDbfHeader(
            nullptr,
            {{"CODE", 'C', 6, 0}, {"NAME", 'C', 20, 0}, {"AMT", 'N', 10, 2}, {"WHEN", 'D', 0, 0}},
            0, DateParts {})
            .fields;
    const std::string path = FuzzFolder() + "t.mdx";
    WriteFuzzFile(path, data, size);
    const std::string record = " 8810  Clerical office          12.5020090301";
    try {
        auto index = dbase::IndexFile::Open(nullptr, path, fields, true, 16);
        for (const auto &tag : index->Tags()) {
            dbase::TagCursor cursor(*tag);
            size_t entries = 0;
            for (cursor.First(); !cursor.AtEnd() && entries < 100000; cursor.Next()) {
                cursor.Record();
                ++entries;
            }
            cursor.Last();
            for (int i = 0; i < 50 && cursor.Prev(); ++i) { }
            std::string key(tag->KeyLength(), '\0');
            tag->MakeKey({record.data(), 1}, key.data());
            cursor.LowerBound(key.data(), 1);
            cursor.UpperBound(key.data());
            index->Insert(*tag, key.data(), 12345);
            index->Remove(*tag, key.data(), 12345);
            index->Commit(DateParts {2026, 1, 1});
            index->TrimCache();
        }
    } catch (const dbase::Error &) {
        // A clear error is the expected end for most inputs.
    }
    return 0;
}
