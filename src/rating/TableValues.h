#pragma once

// Reading rate-table columns the way every reader of the rate tables does it.

#include <cstdint>
#include <string>

class TCBTable;

// The column's text without surrounding blanks.
std::string TrimmedString(const TCBTable &table, const std::string &field);
// The column read as a whole number from its trimmed text, whatever the column's type; an
// empty text gives 0. Text that is no number raises ECBDBError naming table and column.
int32_t TextInteger(const TCBTable &table, const std::string &field);
