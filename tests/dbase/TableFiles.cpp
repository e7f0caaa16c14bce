#include "TableFiles.h"

#include <filesystem>
#include <fstream>
#include <sstream>

std::string SampleFolder()
{
    return SourceFolder() + "tests/dbase/samples/";
}

void CopySamples(const ScratchFolder &folder)
{
    for (const char *name : {"RATETBL.DBF", "RATETBL.MDX", "CUSTOMER.DBF", "CUSTOMER.MDX",
                             "quotes.dbf", "quotes.mdx", "quotes.dbt"}) {
        std::filesystem::copy_file(SampleFolder() + name, folder.File(name),
                                   std::filesystem::copy_options::overwrite_existing);
        std::filesystem::permissions(folder.File(name), std::filesystem::perms::owner_write,
                                     std::filesystem::perm_options::add);
    }
}

std::vector<std::pair<uint32_t, std::string>> WalkTag(const dbase::Tag &tag)
{
    std::vector<std::pair<uint32_t, std::string>> entries;
    dbase::TagCursor cursor(tag);
    for (cursor.First(); !cursor.AtEnd(); cursor.Next()) {
        entries.emplace_back(cursor.Record(), std::string(cursor.Key(), tag.KeyLength()));
    }
    return entries;
}

std::vector<uint32_t> TagRecords(const dbase::Tag &tag)
{
    std::vector<uint32_t> records;
    for (const auto &entry : WalkTag(tag)) {
        records.push_back(entry.first);
    }
    return records;
}

std::vector<uint32_t> VisitedRecords(dbase::Table &table)
{
    std::vector<uint32_t> records;
    for (table.Top(); !table.Eof(); table.Skip()) {
        records.push_back(table.RecordNumber());
    }
    return records;
}

void Put(dbase::Table &table, const std::string &field, const std::string &text)
{
    table.SetText(table.FieldByName(field), text);
}

std::string Get(dbase::Table &table, const std::string &field)
{
    return table.GetText(table.FieldByName(field));
}

std::string FileBytes(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void WriteBytes(const std::string &path, const std::string &bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

void Patch(const std::string &path, size_t offset, const std::string &bytes)
{
    std::string all = FileBytes(path);
    all.replace(offset, bytes.size(), bytes);
    WriteBytes(path, all);
}
