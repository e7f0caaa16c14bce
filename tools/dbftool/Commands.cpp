#include "Commands.h"

#include "Csv.h"
#include "Schema.h"

#include "core/Encoding.h"
#include "core/Paths.h"
#include "core/Text.h"

#include "db/CBJournal.h"
#include "db/KnownTags.h"
#include "dbase/Keys.h"
#include "dbase/Table.h"
#include "dbase/Values.h"

#include <cstdlib>
#include <ctime>
#include <iomanip>
#include <set>
#include <sstream>

namespace {

const char *const kUsage =
    "usage: dbftool COMMAND ...\n"
    "  create SCHEMA [CSV] --out FOLDER   a new table (and its index and memo file)\n"
    "  import TABLE CSV                   append the rows of a CSV file\n"
    "  dump TABLE [--header] [--fields] [--records]\n"
    "  tags TABLE                         the tags and their expressions\n"
    "  keys TABLE TAG                     a tag's keys in order with record numbers\n"
    "  seek TABLE TAG KEY [--exact]       the records with the key\n"
    "  pack TABLE | reindex TABLE         also rebuild a lost or damaged index\n"
    "  check TABLE...                     every tag and memo against the records\n"
    "  fix-counts FOLDER|TABLE...         repair header record counts\n";

std::string Show(std::string_view text)
{
    return Windows1252ToUtf8(text);
}

// The date stamped into headers: SOURCE_DATE_EPOCH (UTC) when set.
void ApplySourceDate(dbase::Context &context)
{
    const char *epoch = std::getenv("SOURCE_DATE_EPOCH");
    if (epoch == nullptr || *epoch == '\0') {
        return;
    }
    char *end = nullptr;
    const long long seconds = std::strtoll(epoch, &end, 10);
    if (end == nullptr || *end != '\0' || seconds < 0) {
        throw ToolError("SOURCE_DATE_EPOCH \"" + std::string(epoch) +
                        "\" is not a number of seconds");
    }
    const auto time = static_cast<std::time_t>(seconds);
    std::tm utc {};
    gmtime_r(&time, &utc);
    context.SetUpdateDate(DateParts {utc.tm_year + 1900, utc.tm_mon + 1, utc.tm_mday});
}

std::string KeyText(const dbase::Tag &tag, const char *key)
{
    switch (tag.KeyType()) {
    case 'N':
        return FloatText(dbase::DecodeNumericKey(key));
    case 'D': {
        const double julian = dbase::DecodeDateKey(key);
        return Trim(dbase::StorageFromJulian(julian)).empty()
            ? "blank"
            : dbase::StorageFromJulian(julian) + " (jd " + FloatText(julian) + ")";
    }
    default:
        return "[" + Show(std::string_view(key, tag.KeyLength())) + "]";
    }
}

void PrintRecord(dbase::Table &table, std::ostream &out)
{
    out << std::setw(6) << table.RecordNumber() << (table.Deleted() ? " * " : "   ");
    for (const dbase::Field &field : table.Fields()) {
        out << " [" << Show(table.Raw(field)) << "]";
        if (field.type == 'M' && !Trim(table.Raw(field)).empty()) {
            const std::string text = table.GetText(field);
            std::string shown = Show(text.substr(0, 60));
            shown = ReplaceAll(ReplaceAll(shown, "\r", "\\r"), "\n", "\\n");
            out << "=>\"" << shown << (text.size() > 60 ? "..." : "") << "\"(" << text.size()
                << ")";
        }
    }
    out << "\n";
}

std::unique_ptr<dbase::Table> OpenTable(dbase::Context &context, const std::string &path,
                                        bool exclusive)
{
    context.SetAccess(exclusive ? dbase::AccessMode::Exclusive : dbase::AccessMode::Shared);
    return dbase::Table::Open(context, ResolveFileName(path));
}

void Need(const std::vector<std::string> &args, size_t count)
{
    if (args.size() < count) {
        throw ToolError(std::string("missing arguments\n") + kUsage);
    }
}

int Create(const std::vector<std::string> &args, std::ostream &out)
{
    std::string folder;
    std::vector<std::string> files;
    for (size_t i = 1; i < args.size(); ++i) {
        if (args[i] == "--out" && i + 1 < args.size()) {
            folder = args[++i];
        } else {
            files.push_back(args[i]);
        }
    }
    if (folder.empty() || files.empty() || files.size() > 2) {
        throw ToolError(std::string("create needs SCHEMA [CSV] --out FOLDER\n") + kUsage);
    }
    const Schema schema = ReadSchema(files[0]);
    dbase::Context context;
    ApplySourceDate(context);
    context.SetAccess(dbase::AccessMode::Exclusive);
    // The fields as the table will hold them, to check the rows before anything is written.
    const dbase::DbfHeader header =
        dbase::BuildDbfHeader(&context, schema.fields, 0, context.UpdateDate());
    dbase::IndexFile::CheckDefinition(&context, schema.tags, header.fields);
    std::vector<std::vector<std::string>> rows;
    if (files.size() == 2) {
        rows = ConvertCsv(ReadWholeFile(files[1]), files[1], header.fields);
    }
    if (!ForceDirectories(folder)) {
        throw ToolError(folder + ": cannot be created");
    }
    const std::string path = IncludeTrailingSlash(folder) + schema.tableName;
    auto table = dbase::Table::Create(context, path, schema.fields, {});
    AppendRows(*table, rows);
    // Tags built in one pass over the finished records; a table without tags still gets its
    // (empty) production index, as every delivered table has one.
    table->CreateIndex(schema.tags);
    table->Close();
    out << path << ": " << rows.size() << " records, " << schema.tags.size() << " tags\n";
    return 0;
}

int Import(const std::vector<std::string> &args, std::ostream &out)
{
    Need(args, 3);
    dbase::Context context;
    ApplySourceDate(context);
    auto table = OpenTable(context, args[1], false);
    const auto rows = ConvertCsv(ReadWholeFile(args[2]), args[2], table->Fields());
    AppendRows(*table, rows);
    table->Close();
    out << args[1] << ": " << rows.size() << " records added\n";
    return 0;
}

int Dump(const std::vector<std::string> &args, std::ostream &out)
{
    Need(args, 2);
    bool header = false;
    bool fields = false;
    bool records = false;
    for (size_t i = 2; i < args.size(); ++i) {
        header = header || args[i] == "--header";
        fields = fields || args[i] == "--fields";
        records = records || args[i] == "--records";
    }
    if (!header && !fields && !records) {
        header = fields = records = true;
    }
    dbase::Context context;
    context.SetAutoOpen(false);
    auto table = OpenTable(context, args[1], false);
    const dbase::DbfHeader &h = table->Header();
    if (header) {
        char version[8];
        std::snprintf(version, sizeof version, "0x%02X", h.version);
        out << "version " << version << ", last update "
            << 1900 + static_cast<unsigned char>(h.raw[1]) << "-" << std::setw(2)
            << std::setfill('0') << static_cast<int>(h.raw[2]) << "-" << std::setw(2)
            << static_cast<int>(h.raw[3]) << std::setfill(' ') << ", " << table->RecordCount()
            << " records, header " << h.headerLength << " bytes, record " << h.recordLength
            << " bytes, production index " << (h.ProductionIndex() ? "yes" : "no")
            << ", language driver " << static_cast<int>(h.LanguageDriver()) << "\n";
    }
    if (fields) {
        for (size_t i = 0; i < h.fields.size(); ++i) {
            const dbase::Field &f = h.fields[i];
            out << std::setw(3) << i + 1 << "  " << std::left << std::setw(10) << f.name
                << std::right << " " << f.type << " " << std::setw(3) << static_cast<int>(f.length)
                << " " << std::setw(2) << static_cast<int>(f.decimals) << "  offset " << f.offset
                << "\n";
        }
    }
    if (records) {
        for (table->Top(); !table->Eof(); table->Skip()) {
            PrintRecord(*table, out);
        }
    }
    return 0;
}

int Tags(const std::vector<std::string> &args, std::ostream &out)
{
    Need(args, 2);
    dbase::Context context;
    auto table = OpenTable(context, args[1], false);
    if (table->Index() == nullptr) {
        out << "no production index\n";
        return 0;
    }
    for (const auto &tag : table->Index()->Tags()) {
        out << std::left << std::setw(10) << tag->Name() << std::right << " " << tag->KeyType()
            << std::setw(4) << tag->KeyLength() << (tag->Descending() ? " descending" : "")
            << (tag->Unique() ? " unique" : "") << "  " << Show(tag->Key().Text()) << "\n";
    }
    return 0;
}

int Keys(const std::vector<std::string> &args, std::ostream &out)
{
    Need(args, 3);
    dbase::Context context;
    auto table = OpenTable(context, args[1], false);
    const dbase::Tag &tag = table->TagByName(args[2]);
    dbase::TagCursor cursor(tag);
    out << "position  record  key\n";
    size_t position = 0;
    for (cursor.First(); !cursor.AtEnd(); cursor.Next()) {
        out << std::setw(8) << ++position << "  " << std::setw(6) << cursor.Record() << "  "
            << KeyText(tag, cursor.Key()) << "\n";
    }
    return 0;
}

int Seek(const std::vector<std::string> &args, std::ostream &out)
{
    Need(args, 4);
    const bool exact = args.size() > 4 && args[4] == "--exact";
    dbase::Context context;
    auto table = OpenTable(context, args[1], false);
    dbase::Tag &tag = table->TagByName(args[2]);
    table->SelectTag(&tag);
    std::string key = Utf8ToWindows1252(args[3]);
    if (exact && tag.KeyType() == 'C') {
        key = PadRight(key, tag.KeyLength()); // the whole key must match
    }
    size_t found = 0;
    for (dbase::SeekResult result = table->Seek(key); result == dbase::SeekResult::Found;
         result = table->SeekNext(key)) {
        PrintRecord(*table, out);
        ++found;
    }
    if (found == 0) {
        out << "not found\n";
        return 1;
    }
    return 0;
}

// A change the program died writing into the table's folder is completed before the table is
// repaired: the journal names places in the files as they are.
void CompleteJournal(const std::string &tablePath, std::ostream &out)
{
    const std::string folder = IncludeTrailingSlash(ExtractFilePath(tablePath));
    if (RecoverTableJournal(folder.empty() ? "./" : folder)) {
        out << folder << kTableJournalName << ": completed a change the program was writing\n";
    }
}

int Maintain(const std::vector<std::string> &args, std::ostream &out)
{
    Need(args, 2);
    dbase::Context context;
    ApplySourceDate(context);
    context.SetAccess(dbase::AccessMode::Exclusive);
    // A lost or damaged index is what these commands repair: the table opens without it, and the
    // tags come from the program's own definition of the table where the index cannot tell.
    const std::string path = ResolveFileName(args[1]);
    CompleteJournal(path, out);
    const auto *known = KnownIndexTags(ExtractFileName(path));
    auto table =
        dbase::Table::OpenForRepair(context, path, known ? *known : std::vector<dbase::TagSpec> {});
    if (!table->IndexFault().empty()) {
        out << args[1] << ": " << table->IndexFault() << "; "
            << (known ? "rebuilding it from the table's known tags\n"
                      : "rebuilding it from its own tags\n");
    }
    if (args[0] == "pack") {
        const uint32_t before = table->RecordCount();
        table->Pack();
        out << args[1] << ": " << before - table->RecordCount() << " deleted records removed, "
            << table->RecordCount() << " left\n";
    } else {
        table->Reindex();
        out << args[1] << ": reindexed\n";
    }
    table->Close();
    return 0;
}

int Check(const std::vector<std::string> &args, std::ostream &out)
{
    Need(args, 2);
    int status = 0;
    for (size_t i = 1; i < args.size(); ++i) {
        dbase::Context context;
        std::vector<std::string> problems;
        try {
            auto table = OpenTable(context, args[i], false);
            problems = table->Check();
        } catch (const dbase::Error &error) {
            problems.push_back(error.what());
        }
        const std::string folder = IncludeTrailingSlash(ExtractFilePath(ResolveFileName(args[i])));
        if (TableJournalUnfinished(folder.empty() ? "./" : folder)) {
            problems.push_back(std::string("the folder's journal ") + kTableJournalName +
                               " holds a change the tables do not have yet (pack or reindex the "
                               "table, or open the folder in the program, to complete it)");
        }
        for (const std::string &problem : problems) {
            out << args[i] << ": " << problem << "\n";
        }
        if (problems.empty()) {
            out << args[i] << ": ok\n";
        } else {
            status = 1;
        }
    }
    return status;
}

int FixCounts(const std::vector<std::string> &args, std::ostream &out)
{
    Need(args, 2);
    std::vector<std::string> paths;
    for (size_t i = 1; i < args.size(); ++i) {
        if (DirectoryExists(args[i])) {
            const std::string folder = IncludeTrailingSlash(args[i]);
            for (const std::string &name : FilesWithExtension(folder, ".DBF")) {
                paths.push_back(folder + name);
            }
        } else {
            paths.push_back(args[i]);
        }
    }
    std::set<std::string> folders;
    for (const std::string &path : paths) {
        if (folders.insert(ExtractFilePath(path)).second) {
            CompleteJournal(path, out);
        }
    }
    for (const std::string &path : paths) {
        const dbase::RecordCountCheck check = dbase::CheckRecordCount(path);
        if (!check.readable) {
            out << path << ": header unreadable, left alone\n";
        } else if (dbase::RepairRecordCount(path)) {
            out << path << ": record count " << check.stored << " -> " << check.held << "\n";
        } else {
            out << path << ": record count " << check.stored << " ok\n";
        }
    }
    return 0;
}

} // namespace

int RunDbfTool(const std::vector<std::string> &args, std::ostream &out, std::ostream &err)
{
    if (args.empty()) {
        err << kUsage;
        return 2;
    }
    try {
        const std::string &command = args[0];
        if (command == "create") {
            return Create(args, out);
        }
        if (command == "import") {
            return Import(args, out);
        }
        if (command == "dump") {
            return Dump(args, out);
        }
        if (command == "tags") {
            return Tags(args, out);
        }
        if (command == "keys") {
            return Keys(args, out);
        }
        if (command == "seek") {
            return Seek(args, out);
        }
        if (command == "pack" || command == "reindex") {
            return Maintain(args, out);
        }
        if (command == "check") {
            return Check(args, out);
        }
        if (command == "fix-counts") {
            return FixCounts(args, out);
        }
        err << "unknown command \"" << command << "\"\n" << kUsage;
        return 2;
    } catch (const ToolError &error) {
        err << error.what() << "\n";
        return 1;
    } catch (const dbase::Error &error) {
        err << error.what() << "\n";
        return 1;
    }
}
