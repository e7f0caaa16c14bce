// Pack and reindex repair a production index that is lost or damaged: the table opens without
// it, and the tags are built again from their known definitions with every record kept. The check
// reads every memo and the memo file's free chain.

#include "TableFiles.h"

#include "support/DamagedIndex.h"

#include "dbase/Bytes.h"

#include <gtest/gtest.h>

namespace {

class Repair : public ::testing::Test
{
protected:
    void SetUp() override
    {
        CopySamples(folder);
        context.SetLockAttempts(1);
        auto table = dbase::Table::Open(context, Path("RATETBL.DBF"));
        tags = table->Index()->Specs();
        records = Records(*table);
    }

    std::string Path(const std::string &name) const { return folder.File(name); }

    static std::vector<std::string> Records(dbase::Table &table)
    {
        std::vector<std::string> all;
        table.SelectTag(nullptr);
        for (table.Top(); !table.Eof(); table.Skip()) {
            all.emplace_back(table.RecordBytes());
        }
        return all;
    }

    // The table as a reader finds it afterwards: every tag in step with the records.
    void ExpectSound(const std::string &what, size_t expectedRecords)
    {
        SCOPED_TRACE(what);
        auto table = dbase::Table::Open(context, Path("RATETBL.DBF"));
        EXPECT_EQ(table->Check(), std::vector<std::string> {});
        ASSERT_NE(table->Index(), nullptr);
        EXPECT_EQ(table->Index()->Specs().size(), tags.size());
        for (const dbase::TagSpec &spec : tags) {
            EXPECT_NE(table->FindTag(spec.name), nullptr) << spec.name;
        }
        EXPECT_EQ(table->RecordCount(), expectedRecords);
        table->SelectTag(&table->TagByName("ID"));
        EXPECT_EQ(table->Seek("1     1"), dbase::SeekResult::Found);
    }

    ScratchFolder folder;
    dbase::Context context;
    std::vector<dbase::TagSpec> tags;
    std::vector<std::string> records;
};

} // namespace

TEST_F(Repair, ReindexRebuildsEveryDamagedIndexFromTheKnownTags)
{
    const std::string original = FileBytes(Path("RATETBL.MDX"));
    for (const TIndexDamage &damage : IndexDamages()) {
        WriteBytes(Path("RATETBL.MDX"), original);
        damage.Apply(Path("RATETBL.MDX"));
        context.SetAccess(dbase::AccessMode::Exclusive);
        {
            auto table = dbase::Table::OpenForRepair(context, Path("RATETBL.DBF"), tags);
            table->Reindex();
            EXPECT_EQ(Records(*table), records) << damage.What;
        }
        context.SetAccess(dbase::AccessMode::Shared);
        ExpectSound(damage.What, records.size());
    }
}

TEST_F(Repair, PackRemovesTheDeletedRecordsAndRebuildsADamagedIndex)
{
    const std::string original = FileBytes(Path("RATETBL.MDX"));
    const std::string table = FileBytes(Path("RATETBL.DBF"));
    std::vector<std::string> live;
    for (const std::string &record : records) {
        if (record[0] != '*') {
            live.push_back(record);
        }
    }
    ASSERT_EQ(records.size() - live.size(), 18u);
    for (const TIndexDamage &damage : IndexDamages()) {
        WriteBytes(Path("RATETBL.DBF"), table);
        WriteBytes(Path("RATETBL.MDX"), original);
        damage.Apply(Path("RATETBL.MDX"));
        context.SetAccess(dbase::AccessMode::Exclusive);
        {
            auto opened = dbase::Table::OpenForRepair(context, Path("RATETBL.DBF"), tags);
            opened->Pack();
            EXPECT_EQ(Records(*opened), live) << damage.What;
        }
        context.SetAccess(dbase::AccessMode::Shared);
        ExpectSound(damage.What, live.size());
    }
}

TEST_F(Repair, AnIndexThatOpensKeepsItsOwnTags)
{
    context.SetAccess(dbase::AccessMode::Exclusive);
    {
        auto table = dbase::Table::Open(context, Path("RATETBL.DBF"));
        table->CreateIndex({{"ID", "BROKER_ID"}, {"EXTRA", "STATE_ID"}});
    }
    auto table = dbase::Table::OpenForRepair(context, Path("RATETBL.DBF"), tags);
    EXPECT_EQ(table->IndexFault(), "");
    table->Reindex();
    std::vector<std::string> names;
    for (const dbase::TagSpec &spec : table->Index()->Specs()) {
        names.push_back(spec.name + "=" + spec.expression);
    }
    EXPECT_EQ(names, (std::vector<std::string> {"ID=BROKER_ID", "EXTRA=STATE_ID"}));
}

TEST_F(Repair, AnUnreadableIndexOfAnUnknownTableIsNotGuessed)
{
    WriteBytes(Path("RATETBL.MDX"), "nonsense");
    context.SetAccess(dbase::AccessMode::Exclusive);
    auto table = dbase::Table::OpenForRepair(context, Path("RATETBL.DBF"));
    EXPECT_NE(table->IndexFault().find("shorter than an index header"), std::string::npos)
        << table->IndexFault();
    try {
        table->Reindex();
        FAIL() << "rebuilt an index without knowing its tags";
    } catch (const dbase::Error &error) {
        EXPECT_EQ(error.Code(), dbase::Failure::IndexCorrupt);
        const std::string message = error.what();
        EXPECT_NE(message.find("RATETBL.DBF cannot have its index rebuilt"), std::string::npos)
            << message;
        EXPECT_NE(message.find("the tags of the table are not known"), std::string::npos);
    }
    EXPECT_EQ(FileBytes(Path("RATETBL.MDX")), "nonsense");
}

TEST_F(Repair, AKeyThatCannotBeReadNamesTheIndexAndTheTag)
{
    Patch(Path("RATETBL.MDX"), 4 * 512 + 24, std::string("NOSUCH\0", 7));
    try {
        dbase::Table::Open(context, Path("RATETBL.DBF"));
        FAIL() << "opened with an unreadable key";
    } catch (const dbase::Error &error) {
        EXPECT_EQ(error.Code(), dbase::Failure::Expression);
        const std::string message = error.what();
        EXPECT_NE(message.find("index " + Path("RATETBL.MDX") + ", tag " + tags[0].name + ":"),
                  std::string::npos)
            << message;
        EXPECT_NE(message.find("no field named NOSUCH"), std::string::npos) << message;
    }
}

TEST_F(Repair, TheCheckReadsEveryMemoAndTheFreeChain)
{
    auto check = [&] {
        auto table = dbase::Table::Open(context, Path("quotes.dbf"));
        std::string problems;
        for (const std::string &problem : table->Check()) {
            problems += problem + "\n";
        }
        return problems;
    };
    EXPECT_EQ(check(), "");
    const std::string original = FileBytes(Path("quotes.dbt"));

    // Record 2's memo is block 1: it claims 4 GB.
    Patch(Path("quotes.dbt"), 512 + 4, std::string(4, '\xFF'));
    std::string problems = check();
    EXPECT_NE(problems.find("record 2, field"), std::string::npos) << problems;
    EXPECT_NE(problems.find("claims 4294967295 bytes"), std::string::npos) << problems;

    // A free chain: the header names a free run whose link leads back to itself.
    WriteBytes(Path("quotes.dbt"), original);
    const auto blocks = static_cast<uint32_t>((original.size() + 511) / 512);
    std::string bytes = original;
    bytes.resize((blocks + 2) * 512, '\0');
    char link[4];
    dbase::WriteU32(link, blocks);
    bytes.replace(0, 4, link, 4);
    bytes.replace(static_cast<size_t>(blocks) * 512, 4, link, 4);
    WriteBytes(Path("quotes.dbt"), bytes);
    problems = check();
    EXPECT_NE(problems.find("loops back to block " + std::to_string(blocks)), std::string::npos)
        << problems;

    // A chain that ends past the file is sound.
    dbase::WriteU32(link, blocks + 2);
    bytes.replace(static_cast<size_t>(blocks) * 512, 4, link, 4);
    WriteBytes(Path("quotes.dbt"), bytes);
    EXPECT_EQ(check(), "");
}
