#pragma once

#include "support/ScratchFolder.h"

#include <cstdint>
#include <set>
#include <string>

// A scratch program folder whose "Data/" holds rate tables made by the table tool from the
// delivered schemas (data/tables/NAME.schema) with the rows a test gives.
class TRatingFixtureData
{
public:
    const std::string &ProgramFolder() const { return m_folder.Path(); }
    std::string Folder() const { return m_folder.Path() + "Data/"; }

    // The table of schema NAME holding the rows of a CSV text (field names in the first row).
    void Table(const std::string &name, const std::string &csv);
    // Every other table of the data folder, empty.
    void EmptyTables();
    // Deletes a table and its index.
    void Remove(const std::string &fileName);
    // Marks record `recordNumber` (1-based, in record order) deleted.
    void MarkDeleted(const std::string &fileName, int32_t recordNumber);

private:
    void Create(const std::string &name, const std::string &csvPath);

    ScratchFolder m_folder;
    std::set<std::string> m_made;
};
