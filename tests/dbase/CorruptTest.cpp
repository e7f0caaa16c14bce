// Damaged tables, indexes and memo files give a clear error; nothing crashes or hangs.

#include "TableFiles.h"

#include "dbase/Bytes.h"

#include <gtest/gtest.h>

namespace {

class Corrupt : public ::testing::Test
{
protected:
    void SetUp() override
    {
        CopySamples(folder);
        context.SetLockAttempts(1);
    }

    // The failure of opening the table and walking every tag, or None.
    std::pair<dbase::Failure, std::string> Use(const std::string &name)
    {
        try {
            auto table = dbase::Table::Open(context, folder.File(name));
            for (table->Top(); !table->Eof(); table->Skip()) {
                for (const dbase::Field &field : table->Fields()) {
                    table->GetText(field);
                }
            }
            if (table->Index() != nullptr) {
                for (const auto &tag : table->Index()->Tags()) {
                    table->SelectTag(tag.get());
                    for (table->Top(); !table->Eof(); table->Skip()) { }
                    table->Bottom();
                    table->Skip(-5);
                }
            }
            return {dbase::Failure::None, ""};
        } catch (const dbase::Error &error) {
            return {error.Code(), error.what()};
        }
    }

    std::string Path(const std::string &name) const { return folder.File(name); }

    ScratchFolder folder;
    dbase::Context context;
};

std::string U16(uint16_t value)
{
    std::string bytes(2, '\0');
    dbase::WriteU16(bytes.data(), value);
    return bytes;
}

std::string U32(uint32_t value)
{
    std::string bytes(4, '\0');
    dbase::WriteU32(bytes.data(), value);
    return bytes;
}

#define EXPECT_FAILURE(result, failure, text)                                                      \
    do {                                                                                           \
        const auto r = (result);                                                                   \
        EXPECT_EQ(r.first, failure) << r.second;                                                   \
        EXPECT_NE(r.second.find(text), std::string::npos) << r.second;                             \
    } while (false)

} // namespace

TEST_F(Corrupt, TablesWithImpossibleHeaders)
{
    const std::string original = FileBytes(Path("RATETBL.DBF"));
    WriteBytes(Path("RATETBL.DBF"), original.substr(0, 20));
    EXPECT_FAILURE(Use("RATETBL.DBF"), dbase::Failure::TableCorrupt, "shorter than a table header");
    WriteBytes(Path("RATETBL.DBF"), original.substr(0, 200));
    EXPECT_FAILURE(Use("RATETBL.DBF"), dbase::Failure::TableCorrupt, "ends inside its header");

    const std::vector<std::tuple<size_t, std::string, std::string>> damage {
        {8, U16(40), "header length 40 is too small"},
        {8, U16(120), "run past the header length"},
        {10, U16(66), "differs from the fields' total"},
        {32 + 11, "X", "has type 'X'"},
        {32 + 16, std::string(1, '\0'), "with length 0"},
        {0, std::string(1, '\x8C'), "dBASE 7"},
        {15, std::string(1, '\1'), "encrypted"},
        {4, U32(3241), "counts 3241 records"},
        {4, U32(0xFFFFFFFF), "counts 4294967295 records"},
    };
    for (const auto &[offset, bytes, message] : damage) {
        WriteBytes(Path("RATETBL.DBF"), original);
        Patch(Path("RATETBL.DBF"), offset, bytes);
        const auto result = Use("RATETBL.DBF");
        EXPECT_NE(result.first, dbase::Failure::None) << message;
        EXPECT_NE(result.second.find(message), std::string::npos)
            << message << ": " << result.second;
    }
    // Cut inside the last record: the count is beyond what the file holds.
    WriteBytes(Path("RATETBL.DBF"), original.substr(0, original.size() - 30));
    EXPECT_FAILURE(Use("RATETBL.DBF"), dbase::Failure::RecordCount, "holds only 3239");
}

TEST_F(Corrupt, IndexesWithImpossibleHeadersOrKeys)
{
    const std::string original = FileBytes(Path("RATETBL.MDX"));
    const size_t tagHeader = 4 * 512; // first tag's header block
    const std::vector<std::tuple<size_t, std::string, std::string>> damage {
        {0, std::string(1, '\x07'), "unknown version"},
        {22, U16(1000), "block size"},
        {28, U16(48), "48 tags"},
        {544, U32(100000), "lies outside the file"},
        {tagHeader + 9, "L", "key type 'L'"},
        {tagHeader + 12, U16(0), "impossible key length of 0"},
        {tagHeader + 12, U16(200), "impossible key length of 200"},
        {tagHeader + 18, U16(20), "entries of 20 bytes"},
        {tagHeader + 14, U16(200), "claims 200 keys per node"},
        {tagHeader + 24, std::string("NOSUCH\0", 7), "no field named NOSUCH"},
        {tagHeader + 245, std::string(1, '\1'), "FOR condition"},
        {tagHeader, U32(2), "points at page 2"},
        {tagHeader, U32(400000), "outside the file"},
    };
    for (const auto &[offset, bytes, message] : damage) {
        WriteBytes(Path("RATETBL.MDX"), original);
        Patch(Path("RATETBL.MDX"), offset, bytes);
        const auto result = Use("RATETBL.DBF");
        EXPECT_NE(result.first, dbase::Failure::None) << message;
        EXPECT_NE(result.second.find(message), std::string::npos)
            << message << ": " << result.second;
    }
    WriteBytes(Path("RATETBL.MDX"), original.substr(0, 1500));
    EXPECT_FAILURE(Use("RATETBL.DBF"), dbase::Failure::IndexCorrupt,
                   "shorter than an index header");
    std::remove(Path("RATETBL.MDX").c_str());
    EXPECT_FAILURE(Use("RATETBL.DBF"), dbase::Failure::IndexMissing, "lost its production index");
}

TEST_F(Corrupt, LoopsInTreePointersEndInAnError)
{
    const std::string original = FileBytes(Path("RATETBL.MDX"));
    const uint32_t root = dbase::ReadU32(original.data() + 4 * 512);
    const size_t rootOffset = static_cast<size_t>(root) * 512;

    // The root's first child is the root itself.
    Patch(Path("RATETBL.MDX"), rootOffset + 8, U32(root));
    EXPECT_FAILURE(Use("RATETBL.DBF"), dbase::Failure::IndexCorrupt, "deeper than 32 levels");

    // A leaf that claims more keys than fit.
    WriteBytes(Path("RATETBL.MDX"), original);
    Patch(Path("RATETBL.MDX"), rootOffset, U32(5000));
    EXPECT_FAILURE(Use("RATETBL.DBF"), dbase::Failure::IndexCorrupt, "holds more keys");

    // A leaf pointing at a record the table does not have.
    WriteBytes(Path("RATETBL.MDX"), original);
    auto table = dbase::Table::Open(context, Path("RATETBL.DBF"));
    dbase::TagCursor cursor(table->TagByName("ID"));
    cursor.First();
    table.reset();
    const std::string bytes = FileBytes(Path("RATETBL.MDX"));
    const size_t at = bytes.find(std::string("\x1D\x03\x00\x00", 4) + "1     1     ");
    ASSERT_NE(at, std::string::npos); // record 797, the first entry of tag ID
    Patch(Path("RATETBL.MDX"), at, U32(99999));
    EXPECT_FAILURE(Use("RATETBL.DBF"), dbase::Failure::IndexCorrupt, "points at record 99999");
}

TEST_F(Corrupt, BranchesSharingChildrenAreWalkedOnceAtMost)
{
    // Small nodes (long keys) make a deep tree; then every branch points all its children at
    // its first child, so a walk would meet the same leaves thousands of times over.
    {
        auto table = dbase::Table::Create(context, Path("DAG.DBF"), {{"KEY", 'C', 100, 0}},
                                          {{"KEY", "KEY"}});
        for (int i = 0; i < 800; ++i) {
            table->AppendBlank();
            Put(*table, "KEY", std::to_string(i));
        }
    }
    std::string index = FileBytes(Path("DAG.MDX"));
    const uint32_t tagHeader = dbase::ReadU32(index.data() + 544);
    uint32_t page = dbase::ReadU32(index.data() + tagHeader * 512);
    size_t levels = 0;
    for (;;) {
        char *node = index.data() + static_cast<size_t>(page) * 512;
        const uint32_t count = dbase::ReadU32(node);
        if (dbase::ReadU32(node + 8 + count * 104) == 0) {
            break; // a leaf
        }
        const uint32_t first = dbase::ReadU32(node + 8);
        constexpr uint32_t maxKeys = 9; // (1024 - 12) / 104
        for (uint32_t i = 0; i <= maxKeys; ++i) {
            dbase::WriteU32(node + 8 + i * 104, first);
        }
        dbase::WriteU32(node, maxKeys);
        page = first;
        ++levels;
    }
    ASSERT_GE(levels, 3u);
    WriteBytes(Path("DAG.MDX"), index);
    EXPECT_FAILURE(Use("DAG.DBF"), dbase::Failure::IndexCorrupt, "lead in a circle");
}

TEST_F(Corrupt, MemoFilesWithBadBlocks)
{
    const std::string original = FileBytes(Path("quotes.dbt"));
    // Record 2's memo is block 1: claim more bytes than the file has.
    Patch(Path("quotes.dbt"), 512 + 4, U32(0x7FFFFFFF));
    EXPECT_FAILURE(Use("quotes.dbf"), dbase::Failure::MemoCorrupt, "more than the file holds");
    WriteBytes(Path("quotes.dbt"), original);
    Patch(Path("quotes.dbt"), 512, "ABCD");
    EXPECT_FAILURE(Use("quotes.dbf"), dbase::Failure::MemoCorrupt, "does not start a memo");
    WriteBytes(Path("quotes.dbt"), original.substr(0, 2000));
    EXPECT_FAILURE(Use("quotes.dbf"), dbase::Failure::MemoCorrupt, "claims 1318 bytes");
    WriteBytes(Path("quotes.dbt"), original.substr(0, 1100));
    EXPECT_FAILURE(Use("quotes.dbf"), dbase::Failure::MemoCorrupt, "lies outside the file");
    WriteBytes(Path("quotes.dbt"), original.substr(0, 10));
    EXPECT_FAILURE(Use("quotes.dbf"), dbase::Failure::MemoCorrupt,
                   "shorter than a memo file header");
    std::remove(Path("quotes.dbt").c_str());
    EXPECT_FAILURE(Use("quotes.dbf"), dbase::Failure::FileOpen, "memo file");
}
