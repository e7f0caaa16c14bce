// Tables the engine writes: records, fields, tag upkeep, seeks, memos, pack, zap, reindex.

#include "TableFiles.h"

#include "core/Paths.h"
#include "core/Text.h"

#include "dbase/Bytes.h"
#include "dbase/Keys.h"
#include "dbase/Values.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <set>

namespace {

class Tables : public ::testing::Test
{
protected:
    std::unique_ptr<dbase::Table> Make(const std::string &name,
                                       const std::vector<dbase::FieldSpec> &fields,
                                       const std::vector<dbase::TagSpec> &tags = {})
    {
        return dbase::Table::Create(context, folder.File(name), fields, tags);
    }

    std::unique_ptr<dbase::Table> Reopen(std::unique_ptr<dbase::Table> &table)
    {
        const std::string path = table->Path();
        table->Close();
        table.reset();
        return dbase::Table::Open(context, path);
    }

    ScratchFolder folder;
    dbase::Context context;
};

const std::vector<dbase::FieldSpec> kAllTypes {
    {"CODE", 'C', 6, 0}, {"NAME", 'C', 30, 0}, {"AMT", 'N', 10, 2}, {"RATE", 'F', 12, 4},
    {"WHEN", 'D', 0, 0}, {"OK", 'L', 0, 0},    {"NOTES", 'M', 0, 0}};

// The (key, record) order a tag must have, from the records themselves.
std::vector<uint32_t> ExpectedOrder(dbase::Table &table, const dbase::Tag &tag)
{
    std::vector<std::pair<std::string, uint32_t>> keys;
    table.SelectTag(nullptr);
    for (table.Top(); !table.Eof(); table.Skip()) {
        std::string key(tag.KeyLength(), '\0');
        tag.MakeKey({table.RecordBytes().data(), table.RecordNumber()}, key.data());
        keys.emplace_back(key, table.RecordNumber());
    }
    std::stable_sort(keys.begin(), keys.end(), [&](const auto &a, const auto &b) {
        return tag.Compare(a.first.data(), b.first.data()) < 0;
    });
    std::vector<uint32_t> order;
    for (const auto &k : keys) {
        order.push_back(k.second);
    }
    return order;
}

} // namespace

TEST_F(Tables, RecordsRoundTripWithTheHeaderKeptTrue)
{
    context.SetUpdateDate(DateParts {2026, 3, 9});
    auto table = Make("T.DBF", kAllTypes);
    EXPECT_EQ(table->Header().version, 0x8B);
    EXPECT_TRUE(table->Eof());
    table->AppendBlank();
    Put(*table, "code", "8810");
    Put(*table, "NAME", "Clerical office employees who work all day");
    Put(*table, "AMT", "12.5");
    table->SetNumber(table->FieldByName("RATE"), -0.12345);
    Put(*table, "WHEN", "20090301");
    table->SetLogical(table->FieldByName("OK"), true);
    Put(*table, "NOTES", "first memo");
    table->AppendBlank();
    Put(*table, "CODE", "5506");
    table->Delete();
    table = Reopen(table);

    EXPECT_EQ(table->RecordCount(), 2u);
    const std::string bytes = FileBytes(folder.File("T.DBF"));
    const auto &h = table->Header();
    EXPECT_EQ(bytes.size(), h.headerLength + 2u * h.recordLength + 1);
    EXPECT_EQ(bytes.back(), '\x1A');
    EXPECT_EQ(bytes.substr(1, 3), std::string("\x7E\x03\x09", 3)); // 2026-03-09
    EXPECT_EQ(dbase::ReadU32(bytes.data() + 4), 2u);
    table->Go(1);
    EXPECT_EQ(Get(*table, "CODE"), "8810  ");
    EXPECT_EQ(Get(*table, "NAME"), "Clerical office employees who ");
    EXPECT_EQ(Get(*table, "AMT"), "     12.50");
    EXPECT_EQ(Get(*table, "RATE"), "     -0.1235");
    EXPECT_EQ(Get(*table, "WHEN"), "20090301");
    EXPECT_TRUE(table->GetLogical(table->FieldByName("OK")));
    EXPECT_EQ(Get(*table, "NOTES"), "first memo");
    EXPECT_FALSE(table->Deleted());
    table->Go(2);
    EXPECT_TRUE(table->Deleted());
    EXPECT_EQ(Get(*table, "AMT"), "          "); // blank, not zero
    EXPECT_EQ(Get(*table, "WHEN"), "        ");
    EXPECT_EQ(Get(*table, "OK"), " ");
    EXPECT_EQ(Get(*table, "NOTES"), "");
    EXPECT_FALSE(table->GetLogical(table->FieldByName("OK")));
    table->Recall();
    table->Skip(-1);
    table->Go(2);
    EXPECT_FALSE(table->Deleted());
}

TEST_F(Tables, NumbersThatDoNotFitAreRefusedAndTheFieldKept)
{
    auto table = Make("N.DBF", {{"SMALL", 'N', 5, 0}, {"CODE", 'C', 4, 0}, {"WHEN", 'D', 0, 0}});
    table->AppendBlank();
    table->SetNumber(table->FieldByName("SMALL"), 99999);
    try {
        table->SetNumber(table->FieldByName("SMALL"), 123456);
        FAIL() << "stored";
    } catch (const dbase::Error &error) {
        EXPECT_EQ(error.Code(), dbase::Failure::FieldWidth);
        EXPECT_EQ(context.TakeErrorCode(), -220);
    }
    EXPECT_EQ(Get(*table, "SMALL"), "99999");
    table->SetNumber(table->FieldByName("CODE"), 42);
    EXPECT_EQ(Get(*table, "CODE"), "42  ");
    EXPECT_THROW(table->SetNumber(table->FieldByName("WHEN"), 1), dbase::Error);
    EXPECT_THROW(Put(*table, "SMALL", "12x"), dbase::Error);
    EXPECT_THROW(table->FieldByName("NOSUCH"), dbase::Error);
    EXPECT_EQ(context.TakeErrorCode(), -200);
    EXPECT_EQ(context.TakeErrorCode(), 0); // reading resets it
}

TEST_F(Tables, TagsFollowAppendsAndChangesThatMoveARecord)
{
    auto table = Make("K.DBF", {{"CODE", 'C', 6, 0}, {"AMT", 'N', 10, 2}, {"WHEN", 'D', 0, 0}},
                      {{"CODE", "CODE"}, {"AMT", "AMT", true}, {"WHEN", "WHEN"}});
    const std::vector<std::string> codes {"8810", "5506", "8810", "0042", "9999", "5506"};
    for (size_t i = 0; i < codes.size(); ++i) {
        table->AppendBlank();
        Put(*table, "CODE", codes[i]);
        table->SetNumber(table->FieldByName("AMT"), static_cast<double>(i) * 1.5 - 3);
        Put(*table, "WHEN", "2009030" + std::to_string(i + 1));
    }
    table->Top();
    dbase::Tag &code = table->TagByName("CODE");
    EXPECT_EQ(TagRecords(code), (std::vector<uint32_t> {4, 2, 6, 1, 3, 5}));
    EXPECT_EQ(TagRecords(table->TagByName("AMT")), (std::vector<uint32_t> {6, 5, 4, 3, 2, 1}));
    // Record 4 moves from the front to the back of tag CODE.
    table->Go(4);
    Put(*table, "CODE", "9999");
    table->Go(1);
    EXPECT_EQ(TagRecords(code), (std::vector<uint32_t> {2, 6, 1, 3, 4, 5}));
    EXPECT_EQ(code.Name(), "CODE");
    // Navigation in tag order sees it there too, and after Skip from a changed record.
    table->SelectTag(&code);
    EXPECT_EQ(VisitedRecords(*table), (std::vector<uint32_t> {2, 6, 1, 3, 4, 5}));
    // A record whose key changes moves on from its new place.
    table->Seek("8810");
    Put(*table, "CODE", "0001");
    table->Skip();
    EXPECT_EQ(table->RecordNumber(), 2u);
    table->Top();
    EXPECT_EQ(table->RecordNumber(), 1u);
    table = Reopen(table);
    EXPECT_EQ(table->Check(), std::vector<std::string> {});
}

TEST_F(Tables, SeeksPartialExactAndNextAcrossManyDuplicates)
{
    // Long keys make small nodes, so the duplicates run over many leaves and levels.
    auto table = Make("D.DBF", {{"KEY", 'C', 100, 0}}, {{"KEY", "KEY"}});
    std::mt19937 random(7);
    std::vector<std::string> keys;
    for (int i = 0; i < 200; ++i) {
        keys.push_back("AB");
        keys.push_back("ABC");
        keys.push_back("B" + std::to_string(i % 10));
    }
    std::shuffle(keys.begin(), keys.end(), random);
    for (const std::string &key : keys) {
        table->AppendBlank();
        Put(*table, "KEY", key);
    }
    table->SelectTag(&table->TagByName("KEY"));
    const auto collect = [&](const std::string &key, bool exact) {
        std::vector<uint32_t> records;
        for (auto r = table->Seek(key, exact); r == dbase::SeekResult::Found;
             r = table->SeekNext(exact ? std::string(key).append(100 - key.size(), ' ') : key)) {
            records.push_back(table->RecordNumber());
        }
        return records;
    };
    std::vector<uint32_t> ab;
    std::vector<uint32_t> abExact;
    for (uint32_t r = 1; r <= keys.size(); ++r) {
        if (keys[r - 1].rfind("AB", 0) == 0) {
            ab.push_back(r);
        }
        if (keys[r - 1] == "AB") {
            abExact.push_back(r);
        }
    }
    // Partial: "AB" then "ABC", each in record order.
    std::vector<uint32_t> abThenAbc = abExact;
    for (uint32_t r : ab) {
        if (keys[r - 1] == "ABC") {
            abThenAbc.push_back(r);
        }
    }
    EXPECT_EQ(collect("AB", false), abThenAbc);
    EXPECT_EQ(collect("AB", true), abExact);
    EXPECT_EQ(table->Seek("B5"), dbase::SeekResult::Found);
    EXPECT_EQ(Get(*table, "KEY").substr(0, 3), "B5 ");
    EXPECT_EQ(table->Seek("AA"), dbase::SeekResult::After);
    EXPECT_EQ(Get(*table, "KEY").substr(0, 3), "AB ");
    EXPECT_EQ(table->Seek("C"), dbase::SeekResult::End);
    EXPECT_TRUE(table->Eof());
    EXPECT_EQ(table->Seek(std::string(101, 'A')), dbase::SeekResult::After);
    EXPECT_GE(table->Index()->PageLimit(), 100u); // several levels of nodes
    EXPECT_EQ(table->Check(), std::vector<std::string> {});
}

TEST_F(Tables, RandomChangesKeepEveryTagInOrder)
{
    context.SetIndexCacheBlocks(16); // blocks come and go from the cache
    auto table = Make("R.DBF", {{"NAME", 'C', 60, 0}, {"AMT", 'N', 8, 2}, {"WHEN", 'D', 0, 0}},
                      {{"NAME", "UPPER(NAME)"},
                       {"AMTDESC", "AMT", true},
                       {"WHEN", "DTOS(WHEN)+LEFT(NAME,10)"},
                       {"UNAME", "NAME", false, true}});
    std::mt19937 random(42);
    const auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    for (int step = 0; step < 2500; ++step) {
        const int action = pick(10);
        if (action < 5 || table->RecordCount() == 0) {
            table->AppendBlank();
        } else {
            table->Go(static_cast<uint32_t>(pick(static_cast<int>(table->RecordCount())) + 1));
        }
        if (action == 9) {
            table->Delete();
            continue;
        }
        Put(*table, "NAME", "name " + std::to_string(pick(300)));
        table->SetNumber(table->FieldByName("AMT"), pick(2000) / 4.0 - 250);
        if (pick(4) > 0) {
            Put(*table, "WHEN",
                "20" + std::to_string(10 + pick(20)) + "0" + std::to_string(1 + pick(9)) + "1" +
                    std::to_string(pick(9)));
        }
    }
    for (const char *name : {"NAME", "AMTDESC", "WHEN"}) {
        const dbase::Tag &tag = table->TagByName(name);
        EXPECT_EQ(TagRecords(tag), ExpectedOrder(*table, tag)) << name;
    }
    // A unique tag loses records whose key moved away from the record it indexed, until a
    // reindex; every other tag is whole.
    const auto onlyUniqueGaps = [](const std::vector<std::string> &problems) {
        return std::all_of(problems.begin(), problems.end(), [](const std::string &p) {
            return p.rfind("tag UNAME: ", 0) == 0 &&
                (p.find("is missing") != std::string::npos ||
                 p.find("more problems") != std::string::npos);
        });
    };
    EXPECT_TRUE(onlyUniqueGaps(table->Check()));
    table = Reopen(table);
    EXPECT_TRUE(onlyUniqueGaps(table->Check()));
    // Reindexing gives the same order the changes built up.
    const auto before = TagRecords(table->TagByName("WHEN"));
    table->Reindex();
    EXPECT_EQ(TagRecords(table->TagByName("WHEN")), before);
    EXPECT_EQ(table->Check(), std::vector<std::string> {});
}

TEST_F(Tables, SearchesStayShortAfterEveryKeyHasMovedTwice)
{
    // Long keys make small leaves. Each key moves twice to keys that fall between the ones
    // still there ("X3000" sorts between "X300" and "X3001"), so leaves lose their highest
    // keys while new ones arrive next to them.
    context.SetAccess(dbase::AccessMode::Exclusive);
    auto table = Make("W.DBF", {{"CODE", 'C', 100, 0}}, {{"CODE", "CODE"}});
    const uint32_t count = 2000;
    for (uint32_t r = 1; r <= count; ++r) {
        table->AppendBlank();
        Put(*table, "CODE", "C" + std::to_string(r));
    }
    for (uint32_t round = 0; round < 2; ++round) {
        for (uint32_t n = 0; n < count; ++n) {
            table->Go(n * 7 % count + 1);
            Put(*table, "CODE", "X" + std::to_string(n + round * count));
        }
    }
    table->Top();
    const dbase::Tag &tag = table->TagByName("CODE");
    dbase::TagCursor cursor(tag);
    for (uint32_t n = 0; n < count; n += 7) {
        const std::string key = PadRight("X" + std::to_string(n + count), 100);
        ASSERT_TRUE(cursor.Find(key.data(), n * 7 % count + 1)) << key;
        EXPECT_LE(cursor.LeavesVisited(), 2u) << key;
    }
    EXPECT_EQ(table->Check(), std::vector<std::string> {});
}

TEST_F(Tables, UniqueTagsKeepTheFirstRecordOfAKey)
{
    auto table = Make("U.DBF", {{"STATE", 'C', 2, 0}}, {{"STATE", "STATE", false, true}});
    for (const char *state : {"MA", "NJ", "MA", "NY"}) {
        table->AppendBlank();
        Put(*table, "STATE", state);
    }
    table->Top();
    EXPECT_EQ(TagRecords(table->TagByName("STATE")), (std::vector<uint32_t> {1, 2, 4}));
    // The record left out is not indexed even when the indexed one moves away.
    table->Go(1);
    Put(*table, "STATE", "CT");
    table->Top();
    EXPECT_EQ(TagRecords(table->TagByName("STATE")), (std::vector<uint32_t> {1, 2, 4}));
    EXPECT_EQ(table->Check(),
              std::vector<std::string> {"tag STATE: record 3 is missing from the tag"});
    table->Reindex();
    EXPECT_EQ(TagRecords(table->TagByName("STATE")), (std::vector<uint32_t> {1, 3, 2, 4}));
}

TEST_F(Tables, MemosRoundTripInBothForms)
{
    auto table = Make("M.DBF", {{"ID", 'C', 4, 0}, {"NOTES", 'M', 0, 0}});
    const std::vector<std::string> texts {"", "short", std::string(504, 'x'), std::string(505, 'y'),
                                          std::string(3000, 'z') + "\x1A!"};
    for (const std::string &text : texts) {
        table->AppendBlank();
        Put(*table, "NOTES", text);
    }
    table->Go(2);
    Put(*table, "NOTES", "replaced, longer than before");
    table = Reopen(table);
    for (uint32_t r = 1; r <= texts.size(); ++r) {
        table->Go(r);
        EXPECT_EQ(Get(*table, "NOTES"), r == 2 ? "replaced, longer than before" : texts[r - 1]);
    }
    table->Go(1);
    EXPECT_EQ(Get(*table, "NOTES"), "");
    EXPECT_EQ(std::string(table->Raw(table->FieldByName("NOTES"))), std::string(10, ' '));
    // 504 characters and the 8-byte block header fill one block exactly; 505 take two.
    const std::string memo = FileBytes(table->Memo()->GetFile().Path());
    EXPECT_EQ(memo.substr(512, 8), std::string("\xFF\xFF\x08\x00\x0D\x00\x00\x00", 8));

    // A dBASE III table: its memo text ends at the first 0x1A.
    std::string dbf = FileBytes(folder.File("M.DBF"));
    dbf[0] = '\x83';
    WriteBytes(folder.File("OLD.DBF"), dbf);
    std::string dbt(512, '\0');
    dbase::WriteU32(dbt.data(), 3);
    dbt[16] = 3;
    dbt += std::string("old text\x1A\x1A", 10) + std::string(502, '\0');
    dbt += std::string("second\x1A", 7);
    WriteBytes(folder.File("OLD.DBT"), dbt);
    auto old = dbase::Table::Open(context, folder.File("OLD.DBF"));
    old->Go(1);
    Put(*old, "NOTES", "new");
    old->Go(2);
    Put(*old, "NOTES", "");
    old = Reopen(old);
    old->Go(1);
    EXPECT_EQ(Get(*old, "NOTES"), "new");
    EXPECT_EQ(FileBytes(folder.File("OLD.DBT")).substr(1536, 5), std::string("new\x1A\x1A", 5));
    old->Go(3);
    EXPECT_EQ(Get(*old, "NOTES"), "second");
    Put(*old, "NOTES", "a\x1A");
    EXPECT_THROW(old->Flush(), dbase::Error);
    Put(*old, "NOTES", "fine");
    old = Reopen(old);
    old->Go(3);
    EXPECT_EQ(Get(*old, "NOTES"), "fine");
}

TEST_F(Tables, PackRemovesMarkedRecordsAndRebuildsTags)
{
    auto table = Make("P.DBF", {{"CODE", 'C', 6, 0}, {"NOTES", 'M', 0, 0}}, {{"CODE", "CODE"}});
    for (int i = 1; i <= 10; ++i) {
        table->AppendBlank();
        Put(*table, "CODE", std::to_string(100 - i));
        Put(*table, "NOTES", "note " + std::to_string(i));
        if (i % 3 == 0) {
            table->Delete();
        }
    }
    table->Pack();
    EXPECT_EQ(table->RecordCount(), 7u);
    EXPECT_EQ(table->RecordNumber(), 1u);
    EXPECT_EQ(Get(*table, "NOTES"), "note 1");
    table->Go(3);
    EXPECT_EQ(Get(*table, "CODE"), "96    ");
    EXPECT_EQ(Get(*table, "NOTES"), "note 4");
    EXPECT_EQ(TagRecords(table->TagByName("CODE")), (std::vector<uint32_t> {7, 6, 5, 4, 3, 2, 1}));
    EXPECT_EQ(table->Check(), std::vector<std::string> {});
    EXPECT_FALSE(FileExists(folder.File("P.DBF.tmp")));

    table->Zap(2, 3);
    EXPECT_EQ(table->RecordCount(), 5u);
    table->Go(2);
    EXPECT_EQ(Get(*table, "CODE"), "95    ");
    table->Zap(1, table->RecordCount());
    EXPECT_EQ(table->RecordCount(), 0u);
    EXPECT_TRUE(table->Eof());
    EXPECT_EQ(TagRecords(table->TagByName("CODE")), std::vector<uint32_t> {});
    EXPECT_EQ(FileBytes(folder.File("P.DBF")).size(), table->Header().headerLength + 1u);
    EXPECT_EQ(FileBytes(folder.File("P.DBT")).size(), 512u);
    table->AppendBlank();
    Put(*table, "NOTES", "after zap");
    table = Reopen(table);
    EXPECT_EQ(Get(*table, "NOTES"), "after zap");
}

TEST_F(Tables, ReindexRepairsAnIndexOutOfStep)
{
    auto table = Make("S.DBF", {{"CODE", 'C', 6, 0}}, {{"CODE", "CODE"}});
    table->AppendBlank();
    Put(*table, "CODE", "B");
    table->Flush();
    const std::string early = FileBytes(folder.File("S.MDX"));
    table->AppendBlank();
    Put(*table, "CODE", "A");
    table->Close();
    WriteBytes(folder.File("S.MDX"), early); // the index of a crash before the second record
    table = dbase::Table::Open(context, folder.File("S.DBF"));
    EXPECT_EQ(table->Check(),
              std::vector<std::string> {"tag CODE: record 2 is missing from the tag"});
    table->Reindex();
    EXPECT_EQ(TagRecords(table->TagByName("CODE")), (std::vector<uint32_t> {2, 1}));
    EXPECT_EQ(table->Check(), std::vector<std::string> {});
}

TEST_F(Tables, CountsBelowTheFileOpenAndCountsBeyondItDoNot)
{
    auto table = Make("C.DBF", {{"CODE", 'C', 6, 0}});
    for (int i = 0; i < 3; ++i) {
        table->AppendBlank();
    }
    table->Close();
    const std::string path = folder.File("C.DBF");
    std::string four(4, '\0');
    dbase::WriteU32(four.data(), 2); // a crash after the third record, before its count
    Patch(path, 4, four);
    EXPECT_EQ(dbase::Table::Open(context, path)->RecordCount(), 2u);
    EXPECT_TRUE(dbase::RepairRecordCount(path));
    EXPECT_EQ(dbase::Table::Open(context, path)->RecordCount(), 3u);
    EXPECT_FALSE(dbase::RepairRecordCount(path));

    dbase::WriteU32(four.data(), 9);
    Patch(path, 4, four);
    try {
        dbase::Table::Open(context, path);
        FAIL() << "opened";
    } catch (const dbase::Error &error) {
        EXPECT_EQ(error.Code(), dbase::Failure::RecordCount);
        EXPECT_NE(std::string(error.what()).find("counts 9 records"), std::string::npos);
    }
}

TEST_F(Tables, ExclusiveOpensExcludeEveryOtherOpen)
{
    context.SetSingleOpen(false);
    context.SetLockAttempts(1);
    auto shared = Make("X.DBF", {{"CODE", 'C', 6, 0}});
    context.SetAccess(dbase::AccessMode::Exclusive);
    EXPECT_THROW(dbase::Table::Open(context, folder.File("X.DBF")), dbase::Error);
    shared->Close();
    auto exclusive = dbase::Table::Open(context, folder.File("X.DBF"));
    context.SetAccess(dbase::AccessMode::Shared);
    try {
        dbase::Table::Open(context, folder.File("X.DBF"));
        FAIL() << "opened";
    } catch (const dbase::Error &error) {
        EXPECT_EQ(error.Code(), dbase::Failure::Lock);
    }
    exclusive->Close();
    auto first = dbase::Table::Open(context, folder.File("X.DBF"));
    auto second = dbase::Table::Open(context, folder.File("X.DBF"));
    EXPECT_THROW(first->Pack(), dbase::Error); // pack needs the table alone
    context.SetSingleOpen(true);
    EXPECT_THROW(dbase::Table::Open(context, folder.File("X.DBF")), dbase::Error);
}

TEST_F(Tables, TwoHandlesInOneProcessSeeEachOthersChanges)
{
    context.SetSingleOpen(false);
    auto writer = Make("H.DBF", {{"CODE", 'C', 6, 0}}, {{"CODE", "CODE"}});
    auto reader = dbase::Table::Open(context, folder.File("H.DBF"));
    reader->SelectTag(&reader->TagByName("CODE"));
    for (int i = 0; i < 200; ++i) {
        writer->AppendBlank();
        Put(*writer, "CODE", std::to_string(1000 - i));
        writer->Top(); // written now
        ASSERT_EQ(reader->Seek(std::to_string(1000 - i)), dbase::SeekResult::Found) << i;
        EXPECT_EQ(reader->RecordNumber(), static_cast<uint32_t>(i + 1));
    }
    EXPECT_EQ(reader->RecordCount(), 200u);
}
