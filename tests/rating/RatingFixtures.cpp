#include "RatingFixtures.h"

#include "Commands.h"
#include "core/Paths.h"
#include "db/CBDatabase.h"

#include <cstdio>
#include <sstream>
#include <stdexcept>
#include <vector>

namespace {

std::string SchemaFolder()
{
    return SourceFolder() + "data/tables/";
}

} // namespace

void TRatingFixtureData::Create(const std::string &name, const std::string &csvPath)
{
    std::vector<std::string> args {"create", SchemaFolder() + name + ".schema"};
    if (!csvPath.empty()) {
        args.push_back(csvPath);
    }
    args.insert(args.end(), {"--out", Folder()});
    std::ostringstream out;
    std::ostringstream err;
    if (RunDbfTool(args, out, err) != 0) {
        throw std::runtime_error("fixture table " + name + ": " + err.str());
    }
    m_made.insert(name);
}

void TRatingFixtureData::Table(const std::string &name, const std::string &csv)
{
    const std::string csvName = "rows/" + name + ".csv";
    m_folder.WriteFile(csvName, csv);
    Remove(name);
    Create(name, m_folder.File(csvName));
}

void TRatingFixtureData::EmptyTables()
{
    for (const std::string &schema : FilesWithExtension(SchemaFolder(), ".schema")) {
        const std::string name = ChangeFileExt(schema, "");
        // The customer tables belong to the quote folder.
        if (m_made.count(name) == 0 && name.rfind("CUST", 0) != 0) {
            Create(name, "");
        }
    }
}

void TRatingFixtureData::Remove(const std::string &fileName)
{
    const std::string base = Folder() + ChangeFileExt(fileName, "");
    for (const char *extension : {".dbf", ".DBF", ".mdx", ".MDX"}) {
        std::remove((base + extension).c_str());
    }
}

void TRatingFixtureData::MarkDeleted(const std::string &fileName, int32_t recordNumber)
{
    TCBDatabase database;
    int32_t id = 0;
    TCBTable &table = database.AddTable(fileName, Folder(), true, &id);
    table.SelectTag("");
    table.First();
    for (int32_t n = 1; n < recordNumber && !table.Eof(); ++n) {
        table.Next();
    }
    if (table.Eof()) {
        throw std::runtime_error("fixture table " + fileName + " has no record " +
                                 std::to_string(recordNumber));
    }
    table.Delete();
    table.Flush();
    database.RemoveTable(id);
}
