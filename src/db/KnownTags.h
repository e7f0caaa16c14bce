#pragma once

// The production index tags of every table the program is delivered with, the customer and
// quote tables included: an index that is lost or damaged is rebuilt from them. Rebuilding the
// index of an existing table is repair; the program still creates no table.

#include "dbase/Index.h"

#include <string>
#include <vector>

// The tags of the table of that file name (without folder, matched without regard to case), or
// nullptr for a table the program does not deliver.
const std::vector<dbase::TagSpec> *KnownIndexTags(const std::string &tableFileName);
// The file names of the known tables, as delivered.
std::vector<std::string> KnownTableNames();
