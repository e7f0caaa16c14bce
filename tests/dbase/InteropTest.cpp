// Tables the engine writes read back the same through independent software from Debian:
// python3-dbfread (records, deletion flags, memos) and Perl's XBase with XBase::Index (records,
// memos, and each tag's order); and a table Perl's XBase writes reads the same through the engine.

#include "TableFiles.h"

#include "core/Text.h"

#include "dbase/Values.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <random>
#include <sstream>

namespace {

// Standard output of a command; the test fails when it does not end well.
std::string Output(const std::string &command)
{
    std::string out;
    FILE *pipe = ::popen((command + " 2>&1").c_str(), "r");
    if (pipe == nullptr) {
        ADD_FAILURE() << "cannot run " << command;
        return out;
    }
    std::array<char, 4096> buffer {};
    size_t got = 0;
    while ((got = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0) {
        out.append(buffer.data(), got);
    }
    const int status = ::pclose(pipe);
    EXPECT_EQ(status, 0) << command << "\n" << out;
    return out;
}

std::string Hex(std::string_view bytes)
{
    std::string hex;
    for (char c : bytes) {
        char b[3];
        std::snprintf(b, sizeof b, "%02x", static_cast<unsigned char>(c));
        hex += b;
    }
    return hex;
}

std::vector<std::string> Lines(const std::string &text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

const char *const kPythonRecords = R"(
import sys, dbfread
raw = dbfread.DBF(sys.argv[1], raw=True)
text = dbfread.DBF(sys.argv[1], encoding='latin-1')
memos = [f.name for f in raw.fields if f.type == 'M']
def show(fields, memo, flag):
    cells = []
    for name, value in fields.items():
        if name in memos:
            value = (memo[name] or '').encode('latin-1')
            if raw.header.dbversion == 0x8B and value:
                value = value[:-8]  # dbfread counts the memo block header as text
        cells.append(value.hex())
    print(flag + ' ' + ' '.join(cells))
for fields, memo in zip(raw, text):
    show(fields, memo, ' ')
for fields, memo in zip(raw.deleted, text.deleted):
    show(fields, memo, '*')
)";

const char *const kPerlRecords = R"(
use XBase;
my $t = new XBase $ARGV[0] or die XBase->errstr;
for my $i (0 .. $t->last_record) {
    my ($deleted, @values) = $t->get_record($i);
    print(($deleted ? '*' : ' '), ' ', join(' ', map { unpack('H*', defined $_ ? $_ : '') } @values), "\n");
}
)";

const char *const kPerlTag = R"(
use XBase::Index;
my $index = new XBase::Index $ARGV[0], tag => $ARGV[1] or die XBase::Index->errstr;
if (@ARGV > 2) { $index->prepare_select_eq($ARGV[2]) or die $index->errstr; }
else { $index->prepare_select or die $index->errstr; }
while (my ($key, $record) = $index->fetch) { print unpack('H*', $key), " $record\n"; }
die $index->errstr if $index->errstr;
)";

class Interop : public ::testing::Test
{
protected:
    void SetUp() override
    {
        folder.WriteFile("records.py", kPythonRecords);
        folder.WriteFile("records.pl", kPerlRecords);
        folder.WriteFile("tag.pl", kPerlTag);
    }

    std::string Python(const std::string &table)
    {
        return Output(std::string(VEREDIVO_PYTHON3) + " " + folder.File("records.py") + " " +
                      table);
    }
    std::string Perl(const std::string &script, const std::string &arguments)
    {
        return Output(std::string(VEREDIVO_PERL) + " " + folder.File(script) + " " + arguments);
    }

    ScratchFolder folder;
    dbase::Context context;
};

// What python3-dbfread gives for each record: deletion flag, then each field's bytes in hex
// (memo fields: their text).
std::string ExpectedRecord(dbase::Table &table)
{
    std::string line = table.Deleted() ? "*" : " ";
    for (const dbase::Field &field : table.Fields()) {
        line += " " + Hex(table.GetText(field));
    }
    return line;
}

// What Perl's XBase gives: character fields without trailing blanks, numbers as numbers,
// logicals as 1, 0 or nothing, memo texts whole.
std::string ExpectedPerlRecord(dbase::Table &table)
{
    std::string line = table.Deleted() ? "*" : " ";
    for (const dbase::Field &field : table.Fields()) {
        std::string value = table.GetText(field);
        if (field.type == 'C') {
            value = TrimRight(value);
        } else if (field.type == 'N' || field.type == 'F') {
            value = Trim(value).empty() ? "" : FloatText(dbase::ParseNumber(value).value);
        } else if (field.type == 'L') {
            value = value == " " ? "" : (table.GetLogical(field) ? "1" : "0");
        } else if (field.type == 'D') {
            value = Trim(value);
        }
        line += " " + Hex(value);
    }
    return line;
}

} // namespace

TEST_F(Interop, EngineTablesReadTheSameOutside)
{
    const std::string path = folder.File("WRITTEN.DBF");
    auto table = dbase::Table::Create(context, path,
                                      {{"CODE", 'C', 6, 0},
                                       {"NAME", 'C', 24, 0},
                                       {"AMT", 'N', 12, 2},
                                       {"WHEN", 'D', 0, 0},
                                       {"OK", 'L', 0, 0},
                                       {"NOTES", 'M', 0, 0}},
                                      {{"CODE", "CODE"},
                                       {"CODENAME", "CODE+UPPER(NAME)"},
                                       {"NAMEDESC", "NAME", true},
                                       {"UCODE", "CODE", false, true},
                                       {"AMT", "AMT"},
                                       {"WHEN", "WHEN"}});
    std::mt19937 random(3);
    for (int i = 1; i <= 1500; ++i) {
        table->AppendBlank();
        Put(*table, "CODE", std::to_string(random() % 400));
        Put(*table, "NAME", "Name " + std::to_string(random() % 1000) + (i % 2 ? " inc" : " Co"));
        table->SetNumber(table->FieldByName("AMT"),
                         static_cast<double>(static_cast<int>(random() % 200000) - 100000) / 100);
        if (i % 9 != 0) {
            Put(*table, "WHEN",
                "20" + std::to_string(10 + random() % 15) + "0" + std::to_string(1 + random() % 9) +
                    "1" + std::to_string(random() % 10));
        }
        table->SetLogical(table->FieldByName("OK"), i % 3 == 0);
        if (i % 4 == 0) {
            Put(*table, "NOTES", "Memo " + std::to_string(i) + "\r\n" + std::string(i % 700, 'm'));
        }
        if (i % 17 == 0) {
            table->Delete();
        }
    }
    // Changes after the first writes, some moving records within the tags.
    for (uint32_t r = 3; r <= 1500; r += 7) {
        table->Go(r);
        Put(*table, "CODE", std::to_string(r % 50));
        Put(*table, "NAME", "Changed " + std::to_string(r));
    }
    table->Flush();

    std::vector<std::string> live;
    std::vector<std::string> deleted;
    std::vector<std::string> all;
    for (table->Top(); !table->Eof(); table->Skip()) {
        (table->Deleted() ? deleted : live).push_back(ExpectedRecord(*table));
        all.push_back(ExpectedRecord(*table));
    }
    std::vector<std::string> pythonExpected = live;
    pythonExpected.insert(pythonExpected.end(), deleted.begin(), deleted.end());
    EXPECT_EQ(Lines(Python(path)), pythonExpected);
    EXPECT_EQ(Lines(Perl("records.pl", path)).size(), all.size());
    // Perl gives numbers as numbers; compare its view of each record.
    std::vector<std::string> perlExpected;
    for (table->Top(); !table->Eof(); table->Skip()) {
        perlExpected.push_back(ExpectedPerlRecord(*table));
    }
    const auto perl = Lines(Perl("records.pl", path));
    ASSERT_EQ(perl.size(), perlExpected.size());
    for (size_t i = 0; i < perl.size(); ++i) {
        EXPECT_EQ(perl[i], perlExpected[i]) << "record " << i + 1;
    }

    // Every tag walks in the same order through XBase::Index (character tags with the same
    // keys; numeric and date keys compared by their record order).
    const std::string index = folder.File("WRITTEN.MDX");
    for (const auto &tag : table->Index()->Tags()) {
        std::vector<std::string> expected;
        for (const auto &[record, key] : WalkTag(*tag)) {
            expected.push_back(Hex(key) + " " + std::to_string(record));
        }
        const auto walked = Lines(Perl("tag.pl", index + " " + tag->Name()));
        ASSERT_EQ(walked.size(), expected.size()) << tag->Name();
        for (size_t i = 0; i < walked.size(); ++i) {
            const std::string recordOf = walked[i].substr(walked[i].find(' ') + 1);
            EXPECT_EQ(recordOf, expected[i].substr(expected[i].find(' ') + 1))
                << tag->Name() << " position " << i + 1;
            if (tag->KeyType() == 'C') {
                EXPECT_EQ(walked[i], expected[i]) << tag->Name() << " position " << i + 1;
            }
        }
    }
    // A partial key positions both at the same first entry.
    table->SelectTag(&table->TagByName("CODENAME"));
    ASSERT_EQ(table->Seek("12"), dbase::SeekResult::Found);
    const auto fromPerl = Lines(Perl("tag.pl", index + " CODENAME 12"));
    ASSERT_FALSE(fromPerl.empty());
    EXPECT_EQ(fromPerl[0].substr(fromPerl[0].find(' ') + 1), std::to_string(table->RecordNumber()));
}

TEST_F(Interop, SampleFilesReadTheSameThroughTheEngineAndPython)
{
    CopySamples(folder);
    for (const char *name : {"RATETBL.DBF", "CUSTOMER.DBF", "quotes.dbf"}) {
        auto table = dbase::Table::Open(context, folder.File(name));
        std::vector<std::string> live;
        std::vector<std::string> deleted;
        for (table->Top(); !table->Eof(); table->Skip()) {
            (table->Deleted() ? deleted : live).push_back(ExpectedRecord(*table));
        }
        live.insert(live.end(), deleted.begin(), deleted.end());
        EXPECT_EQ(Lines(Python(folder.File(name))), live) << name;
    }
}

TEST_F(Interop, TablesPerlWritesReadThroughTheEngine)
{
    const std::string path = folder.File("perl.dbf");
    folder.WriteFile("write.pl", R"(
use XBase;
my $t = XBase->create(name => $ARGV[0], version => 0x8B,
    field_names => ['ID', 'NAME', 'AMT', 'WHEN', 'OK', 'NOTES'],
    field_types => ['C', 'C', 'N', 'D', 'L', 'M'],
    field_lengths => [4, 20, 10, 8, 1, 10],
    field_decimals => [0, 0, 2, 0, 0, 0]) or die XBase->errstr;
for my $i (0 .. 99) {
    $t->set_record($i, sprintf('%d', $i), "Perl name $i", $i * 1.25 - 30, '20240' . (1 + $i % 9) . '15',
        $i % 2 ? 1 : 0, $i % 3 ? "memo of record $i\r\nsecond line" : '') or die $t->errstr;
}
$t->delete_record(7);
$t->close;
)");
    Output(std::string(VEREDIVO_PERL) + " " + folder.File("write.pl") + " " + path);
    auto table = dbase::Table::Open(context, path);
    ASSERT_EQ(table->RecordCount(), 100u);
    for (uint32_t r = 1; r <= 100; ++r) {
        table->Go(r);
        const int i = static_cast<int>(r) - 1;
        EXPECT_EQ(Get(*table, "ID"), PadRight(std::to_string(i), 4));
        EXPECT_EQ(Trim(Get(*table, "NAME")), "Perl name " + std::to_string(i));
        EXPECT_DOUBLE_EQ(table->GetNumber(table->FieldByName("AMT")), i * 1.25 - 30);
        EXPECT_EQ(Get(*table, "WHEN"), "20240" + std::to_string(1 + i % 9) + "15");
        EXPECT_EQ(table->GetLogical(table->FieldByName("OK")), i % 2 == 1);
        EXPECT_EQ(Get(*table, "NOTES"),
                  i % 3 ? "memo of record " + std::to_string(i) + "\r\nsecond line" : "");
        EXPECT_EQ(table->Deleted(), r == 8);
    }
    // And the engine can keep writing it: new memos, a new index.
    table->Go(1);
    Put(*table, "NOTES", "written by the engine");
    table->CreateIndex({{"NAME", "UPPER(NAME)"}});
    EXPECT_EQ(table->Check(), std::vector<std::string> {});
    table->Close();
    const auto perl = Lines(Perl("records.pl", path));
    ASSERT_EQ(perl.size(), 100u);
    EXPECT_NE(perl[0].find(Hex("written by the engine")), std::string::npos) << perl[0];
}
