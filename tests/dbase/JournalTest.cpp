// The journal of a folder's tables: a transaction reaches the tables wholly or not at all, a
// transaction a writer died in is completed by the next holder, one cut short in the journal is
// dropped, and tables in a transaction trust their caches only when no one else wrote.

#include "TableFiles.h"
#include "support/JournalBytes.h"

#include "core/DiskWrites.h"
#include "core/Text.h"

#include "dbase/Bytes.h"
#include "dbase/Journal.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <stdexcept>

namespace {

constexpr const char *kJournal = "TEST.JNL";

const std::vector<dbase::FieldSpec> kFields {{"KEY", 'C', 8, 0}, {"AMT", 'N', 10, 2}};
const std::vector<dbase::TagSpec> kTags {{"KEY", "KEY"}, {"AMT", "AMT"}};

class Journals : public ::testing::Test
{
protected:
    void SetUp() override
    {
        auto table = dbase::Table::Create(context, Path(), kFields, kTags);
        for (int i = 0; i < 50; ++i) {
            Append(*table, "K" + std::to_string(i), i);
        }
    }

    std::string Path() const { return folder.File("T.DBF"); }

    static void Append(dbase::Table &table, const std::string &key, double amount)
    {
        table.AppendBlank();
        table.SetText(table.FieldByName("KEY"), key);
        table.SetNumber(table.FieldByName("AMT"), amount);
    }

    // The table's files as they are on disk.
    std::string Files() const { return FileBytes(Path()) + FileBytes(folder.File("T.MDX")); }

    // Keys in the order of tag KEY, from a fresh open.
    std::vector<std::string> Keys()
    {
        dbase::Context other;
        auto table = dbase::Table::Open(other, Path());
        EXPECT_EQ(table->Check(), std::vector<std::string> {});
        table->SelectTag(&table->TagByName("KEY"));
        std::vector<std::string> keys;
        for (table->Top(); !table->Eof(); table->Skip()) {
            keys.push_back(Trim(table->GetText(table->FieldByName("KEY"))));
        }
        return keys;
    }

    // A transaction adding 30 rows and changing row 1's key.
    void Change(dbase::Journal &journal, dbase::Table &table)
    {
        journal.Begin();
        table.BeginSteady(true, journal.OthersWrote());
        for (int i = 0; i < 30; ++i) {
            Append(table, "N" + std::to_string(i), 1000 + i);
        }
        table.Go(1);
        table.SetText(table.FieldByName("KEY"), "A0");
        table.Flush();
    }

    ScratchFolder folder;
    dbase::Context context;
};

int g_writes = 0;
int g_failAt = 0;

void FailAtWrite()
{
    if (++g_writes == g_failAt) {
        throw std::runtime_error("the disk is gone");
    }
}

struct Probe
{
    explicit Probe(int failAt)
    {
        g_writes = 0;
        g_failAt = failAt;
        SetDiskWriteProbe(FailAtWrite);
    }
    ~Probe() { SetDiskWriteProbe(nullptr); }
};

} // namespace

TEST_F(Journals, ACommittedTransactionReachesTheTablesAndARolledBackOneLeavesThemAsTheyWere)
{
    const std::string before = Files();
    const std::vector<std::string> keysBefore = Keys();
    {
        dbase::Journal journal(context, folder.Path(), kJournal);
        auto table = dbase::Table::Open(context, Path());
        Change(journal, *table);
        // Inside, the table sees its changes; the disk does not have them.
        EXPECT_EQ(table->RecordCount(), 80u);
        EXPECT_EQ(Files(), before);
        EXPECT_EQ(Keys(), keysBefore);
        journal.Rollback();
        table->Discard();
        table->EndSteady();
        EXPECT_EQ(Files(), before);
        EXPECT_EQ(table->RecordCount(), 50u);
        table->SelectTag(&table->TagByName("KEY"));
        EXPECT_EQ(table->Seek("N0"), dbase::SeekResult::End);
        EXPECT_EQ(table->Check(), std::vector<std::string> {});

        Change(journal, *table);
        journal.Commit();
        table->EndSteady();
        EXPECT_EQ(table->Check(), std::vector<std::string> {});
        EXPECT_GT(FileBytes(folder.File(kJournal)).size(), 64u);
        // A checkpoint flushes the tables and empties the journal.
        journal.Checkpoint();
        EXPECT_EQ(FileBytes(folder.File(kJournal)).size(), 64u);
    }
    const std::vector<std::string> keys = Keys();
    ASSERT_EQ(keys.size(), 80u);
    EXPECT_EQ(keys.front(), "A0");
    EXPECT_EQ(
        std::count_if(keys.begin(), keys.end(), [](const std::string &k) { return k[0] == 'N'; }),
        30);
}

TEST_F(Journals, AWriterThatDiesWritingTheTablesIsCompletedByTheNextHolder)
{
    // The committed changes wait in the journal; the tables got only part of them.
    const std::string tableBefore = FileBytes(Path());
    const std::string indexBefore = FileBytes(folder.File("T.MDX"));
    std::string expected;
    {
        ScratchFolder copy;
        // The same transaction in a copy of the folder, completed, gives the files expected.
        WriteBytes(copy.File("T.DBF"), tableBefore);
        WriteBytes(copy.File("T.MDX"), indexBefore);
        dbase::Context other;
        dbase::Journal journal(other, copy.Path(), kJournal);
        auto table = dbase::Table::Open(other, copy.File("T.DBF"));
        Change(journal, *table);
        journal.Commit();
        table->EndSteady();
        table.reset();
        expected = FileBytes(copy.File("T.DBF")) + FileBytes(copy.File("T.MDX"));
    }
    // Here the writes to the tables fail after the journal's flush: writes 1 and 2 are the
    // journal's record and its flush.
    for (int failAt = 3; failAt <= 5; ++failAt) {
        {
            dbase::Context own;
            dbase::Journal journal(own, folder.Path(), kJournal);
            auto table = dbase::Table::Open(own, Path());
            Change(journal, *table);
            Probe probe(failAt);
            EXPECT_THROW(journal.Commit(), std::runtime_error);
        }
        EXPECT_TRUE(dbase::Journal::HoldsUnfinished(folder.Path(), kJournal));
        EXPECT_NE(Files(), expected);
        dbase::Context next;
        dbase::Journal journal(next, folder.Path(), kJournal);
        journal.BeginRead();
        EXPECT_TRUE(journal.OthersWrote());
        journal.EndRead();
        EXPECT_EQ(Files(), expected) << "failed at write " << failAt;
        EXPECT_FALSE(dbase::Journal::HoldsUnfinished(folder.Path(), kJournal));
        // Back to the start for the next round.
        journal.Checkpoint();
        WriteBytes(Path(), tableBefore);
        WriteBytes(folder.File("T.MDX"), indexBefore);
    }
}

TEST_F(Journals, AJournalCutShortLosesTheLastTransactionAndTheTablesNeverSawIt)
{
    const std::string before = Files();
    const std::string tableBefore = FileBytes(Path());
    {
        dbase::Journal journal(context, folder.Path(), kJournal);
        auto table = dbase::Table::Open(context, Path());
        Change(journal, *table);
        // The journal's write fails: nothing happens, and the journal holds nothing.
        Probe probe(1);
        EXPECT_THROW(journal.Commit(), std::runtime_error);
    }
    EXPECT_EQ(Files(), before);
    EXPECT_EQ(FileBytes(folder.File(kJournal)).size(), 64u);

    // A record written whole but cut short afterwards, as a power cut during its write leaves it.
    std::string journalBytes;
    {
        dbase::Context own;
        dbase::Journal journal(own, folder.Path(), kJournal);
        auto table = dbase::Table::Open(own, Path());
        Change(journal, *table);
        Probe probe(3); // dies at the first table write, after the record and its flush
        EXPECT_THROW(journal.Commit(), std::runtime_error);
        journalBytes = FileBytes(folder.File(kJournal));
    }
    WriteBytes(Path(), tableBefore);
    WriteBytes(folder.File(kJournal), journalBytes.substr(0, journalBytes.size() - 7));
    EXPECT_FALSE(dbase::Journal::HoldsUnfinished(folder.Path(), kJournal));
    EXPECT_FALSE(dbase::Journal::Recover(context, folder.Path(), kJournal));
    EXPECT_EQ(Files(), before);
    EXPECT_EQ(FileBytes(folder.File(kJournal)).size(), 64u);
}

TEST_F(Journals, AfterAMachineStartsAgainEveryTransactionIsWrittenAgain)
{
    {
        dbase::Journal journal(context, folder.Path(), kJournal);
        auto table = dbase::Table::Open(context, Path());
        Change(journal, *table);
        journal.Commit();
        table->EndSteady();
        // The owner is killed here: the journal keeps its record, marked as written.
        const std::string bytes = FileBytes(folder.File(kJournal));
        ASSERT_GT(bytes.size(), 64u);
        const std::string expected = Files();
        // As if the machine lost the table writes in a power cut and started again.
        std::string otherBoot = bytes;
        otherBoot.replace(24, 8, "00000000");
        WriteBytes(folder.File(kJournal), otherBoot);
        Patch(Path(), 4, std::string("\x32\0\0\0", 4)); // back to 50 records
        EXPECT_TRUE(dbase::Journal::HoldsUnfinished(folder.Path(), kJournal));
        dbase::Context next;
        EXPECT_TRUE(dbase::Journal::Recover(next, folder.Path(), kJournal));
        EXPECT_EQ(Files(), expected);
        table.reset();
    }
    EXPECT_EQ(Keys().size(), 80u);
}

TEST_F(Journals, ATableReplacedSinceTakesNothingOfTheJournal)
{
    std::string journalBytes;
    {
        dbase::Journal journal(context, folder.Path(), kJournal);
        auto table = dbase::Table::Open(context, Path());
        Change(journal, *table);
        Probe probe(3);
        EXPECT_THROW(journal.Commit(), std::runtime_error);
    }
    // A pack writes new files beside the old and renames them into place.
    const std::string table = FileBytes(Path());
    const std::string index = FileBytes(folder.File("T.MDX"));
    for (const std::string &path : {Path(), folder.File("T.MDX")}) {
        WriteBytes(path + ".tmp", FileBytes(path));
        ASSERT_EQ(std::rename((path + ".tmp").c_str(), path.c_str()), 0);
    }
    dbase::Journal::Recover(context, folder.Path(), kJournal);
    EXPECT_EQ(FileBytes(Path()), table);
    EXPECT_EQ(FileBytes(folder.File("T.MDX")), index);
}

TEST_F(Journals, AWriterWaitsForTheOtherAndTrustsItsCachesOnlyWhenNoOneElseWrote)
{
    dbase::Context first;
    dbase::Context second;
    dbase::Journal one(first, folder.Path(), kJournal);
    dbase::Journal two(second, folder.Path(), kJournal);
    two.SetPatience(std::chrono::milliseconds(100));
    auto tableOne = dbase::Table::Open(first, Path());
    auto tableTwo = dbase::Table::Open(second, Path());

    one.Begin();
    EXPECT_THROW(two.Begin(), dbase::Error);
    EXPECT_THROW(two.BeginRead(), dbase::Error);
    one.Rollback();

    one.BeginRead();
    two.BeginRead(); // readers share
    EXPECT_THROW(two.Begin(), dbase::Error);
    two.EndRead();
    one.EndRead();

    // One writes; two learns of it at its next lock and reads the change.
    Change(one, *tableOne);
    one.Commit();
    tableOne->EndSteady();
    two.BeginRead();
    EXPECT_TRUE(two.OthersWrote());
    tableTwo->BeginSteady(false, two.OthersWrote());
    EXPECT_EQ(tableTwo->RecordCount(), 80u);
    tableTwo->SelectTag(&tableTwo->TagByName("KEY"));
    EXPECT_EQ(tableTwo->Seek("A0"), dbase::SeekResult::Found);
    tableTwo->EndSteady();
    two.EndRead();
    two.BeginRead();
    EXPECT_FALSE(two.OthersWrote());
    two.EndRead();
    one.Begin();
    EXPECT_FALSE(one.OthersWrote()); // a reader changes nothing
    one.Rollback();
    two.Begin();
    two.Commit(); // writes nothing: nothing changes
    one.Begin();
    EXPECT_FALSE(one.OthersWrote());
    one.Rollback();
}

TEST_F(Journals, AfterAReadScopeATableLooksAgainAtAnIndexChangedMeanwhile)
{
    // A writer that does not hold the journal (another handle of the same process) must not
    // leave a reader trusting the index it read before that write once its scope is over.
    dbase::Context readerContext;
    auto reader = dbase::Table::Open(readerContext, Path());
    auto writer = dbase::Table::Open(context, Path());
    reader->SelectTag(&reader->TagByName("KEY"));
    EXPECT_EQ(reader->Seek("K7"), dbase::SeekResult::Found);

    reader->BeginSteady(false, false);
    Append(*writer, "Z9", 9);
    writer->Flush();
    reader->EndSteady();

    EXPECT_EQ(reader->Seek("Z9"), dbase::SeekResult::Found);
    EXPECT_EQ(reader->RecordCount(), 51u);
}

namespace {

// A journal holding one committed record, not yet written to the tables, of one file change
// whose name is given by its length field and bytes, with a correct checksum.
std::string JournalWithOneRecord(uint32_t nameLength, const std::string &name)
{
    std::string journal = "VDJOURNL";
    PutLittleEndian(journal, 1, 4);
    PutLittleEndian(journal, 64, 4);
    PutLittleEndian(journal, 0, 8);
    journal.resize(64, '\0');
    std::string payload;
    PutLittleEndian(payload, nameLength, 4);
    payload += name;
    payload += std::string(20, '\0'); // device, inode, no runs
    std::string checked;
    PutLittleEndian(checked, 1, 8); // sequence
    PutLittleEndian(checked, payload.size(), 8);
    PutLittleEndian(checked, 1, 4); // one file
    PutLittleEndian(journal, 0x58544A56, 4);
    PutLittleEndian(journal, 0, 4); // committed
    journal += checked;
    PutLittleEndian(journal, 0, 4); // the checksum
    journal += payload;
    FixJournalChecksums(journal);
    return journal;
}

} // namespace

TEST_F(Journals, ARecordThatReachesBeyondItsBytesOrItsFolderIsTakenAsCutShort)
{
    const auto unfinished = [this](const std::string &journal) {
        folder.WriteFile(kJournal, journal);
        return dbase::Journal::HoldsUnfinished(folder.Path(), kJournal);
    };
    ASSERT_TRUE(unfinished(JournalWithOneRecord(5, "T.DBF")));
    // A length that wraps the bounds check would read four gigabytes past the record.
    EXPECT_FALSE(unfinished(JournalWithOneRecord(0xFFFFFFF0u, "T.DBF")));
    EXPECT_FALSE(unfinished(JournalWithOneRecord(8, "../T.DBF")));
}
