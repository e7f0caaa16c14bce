#pragma once

// Reading columns by their text, the one way every reader of the tables does it. A rate table
// with a wrong value is a fault of the delivered data and stops the lookup with a message; the
// agent's own stored rows must be readable whatever one of them holds, so their readers ask
// for a fallback instead.

#include <cstdint>
#include <string>

class TCBTable;

// The column's text without surrounding blanks.
std::string TrimmedString(const TCBTable &table, const std::string &field);
// The column read as a whole number from its trimmed text, whatever the column's type ("13",
// "13.00"); an empty text gives 0. Text that is no whole number within 32 bits raises
// ECBDBError naming table and column.
int32_t TextInteger(const TCBTable &table, const std::string &field);
// The same reading, with `fallback` for text that is no whole number within 32 bits.
int32_t TextIntegerOr(const TCBTable &table, const std::string &field, int32_t fallback);
