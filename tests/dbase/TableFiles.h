#pragma once

// Helpers of the engine tests: the sample tables copied into a scratch folder, tables made on
// the spot, and walks of a tag.

#include "support/ScratchFolder.h"

#include "dbase/Table.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// Copies the sample files (DBF with MDX and DBT) into the folder.
void CopySamples(const ScratchFolder &folder);
std::string SampleFolder();

// (record, key bytes) of every entry of the tag, in tag order.
std::vector<std::pair<uint32_t, std::string>> WalkTag(const dbase::Tag &tag);
// The record numbers alone.
std::vector<uint32_t> TagRecords(const dbase::Tag &tag);

// The record numbers a Table visits from Top with Skip in its selected order.
std::vector<uint32_t> VisitedRecords(dbase::Table &table);

// Sets a field of the current record by name from text.
void Put(dbase::Table &table, const std::string &field, const std::string &text);
std::string Get(dbase::Table &table, const std::string &field);

// The bytes of a file, and a file rewritten with some bytes changed.
std::string FileBytes(const std::string &path);
void WriteBytes(const std::string &path, const std::string &bytes);
void Patch(const std::string &path, size_t offset, const std::string &bytes);
