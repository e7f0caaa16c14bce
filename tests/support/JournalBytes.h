#pragma once

// The bytes of a table journal as tests and the journal's fuzz target make them: little-endian
// fields and the checksum its records carry.

#include <cstddef>
#include <cstdint>
#include <string>

// `bytes` bytes of `value`, lowest first.
void PutLittleEndian(std::string &out, uint64_t value, int bytes);
// Makes the checksum of every whole record after the file header right, so that a reader takes
// the records for written whole.
void FixJournalChecksums(std::string &journal);
