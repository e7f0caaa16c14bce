#include "StoreFixture.h"

#include "core/Text.h"
#include "dbase/Table.h"

std::map<std::string, TRowTally> TallyRows(TCBTable &table, const std::string &column)
{
    std::map<std::string, TRowTally> rows;
    table.SelectTag("");
    for (table.First(); !table.Eof(); table.Next()) {
        TRowTally &tally = rows[Trim(table.GetString(column))];
        ++(table.Deleted() ? tally.deleted : tally.live);
    }
    return rows;
}

std::string CheckTable(TCBTable &table)
{
    std::string problems;
    for (const std::string &line : table.Handle()->Check()) {
        problems += line + "\n";
    }
    return problems;
}
