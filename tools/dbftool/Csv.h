#pragma once

// Rows of a CSV file (RFC 4180: quoted cells may hold commas, quotes and line breaks) and their
// import into a table: the first row names the fields, matched without regard to case; columns
// whose name begins with "#" are comments; UTF-8 text becomes Windows-1252.

#include "Schema.h"

#include "dbase/Table.h"

#include <string>
#include <string_view>
#include <vector>

struct CsvRow
{
    size_t line = 0; // where the row begins
    std::vector<std::string> cells;
};

// Raises ToolError "source:line: what" for an unterminated quote or text after a quote.
std::vector<CsvRow> ParseCsv(std::string_view text, const std::string &source);

// The stored text of every field of every row (blank for fields the file leaves out), checked
// against the table's fields before anything is written. Raises ToolError naming file, line
// and column.
std::vector<std::vector<std::string>> ConvertCsv(std::string_view text, const std::string &source,
                                                 const std::vector<dbase::Field> &fields);

// Appends the rows; returns how many.
size_t AppendRows(dbase::Table &table, const std::vector<std::vector<std::string>> &rows);
