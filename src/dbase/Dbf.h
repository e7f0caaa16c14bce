#pragma once

// The DBF table file: its header with the field descriptors, and where records lie.

#include "core/Dates.h"

#include "dbase/Context.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace dbase {

class File;

struct Field
{
    std::string name; // as stored, upper case by convention
    char type = 'C'; // C N F L D M
    uint8_t length = 0;
    uint8_t decimals = 0;
    uint32_t offset = 0; // of the field inside the record (the deletion flag is byte 0)
};

// A field of a table to be created: D, L and M take their standard widths when `length` is 0.
struct FieldSpec
{
    std::string name;
    char type = 'C';
    int length = 0;
    int decimals = 0;
};

constexpr char kHeaderTerminator = 0x0D;
constexpr char kEndOfFile = 0x1A;
constexpr char kActiveFlag = ' ';
constexpr char kDeletedFlag = '*';

struct DbfHeader
{
    std::string raw; // the header as read, rewritten with only the bytes the engine owns changed
    uint8_t version = 0x03;
    uint32_t recordCount = 0;
    uint16_t headerLength = 0;
    uint16_t recordLength = 0;
    std::vector<Field> fields;

    bool HasMemo() const;
    bool ProductionIndex() const { return raw.size() > 28 && raw[28] == 1; }
    uint8_t LanguageDriver() const { return static_cast<uint8_t>(raw.size() > 29 ? raw[29] : 0); }
    // dBASE III memo blocks (0x83) rather than dBASE IV ones.
    bool Dbase3Memo() const { return version == 0x83; }
    // SQL tables are read only.
    bool Writable() const { return version == 0x03 || version == 0x83 || version == 0x8B; }

    void SetRecordCount(uint32_t count);
    void SetUpdateDate(const DateParts &date);
    void SetProductionIndex(bool present);
    // Marks the fields that are the whole key of some tag (descriptor byte 31).
    void SetIndexFlags(const std::vector<std::string> &indexedFields);
};

// Checks and parses the header bytes (at least the header length) of a table; `name` goes into
// messages. Raises TableCorrupt.
DbfHeader ParseDbfHeader(Context *context, std::string_view bytes, const std::string &name);
// Reads and parses the header of an open table file.
DbfHeader ReadDbfHeader(Context *context, const File &file);
// The header of a new, empty table; raises FieldType for a field that is not possible.
DbfHeader BuildDbfHeader(Context *context, const std::vector<FieldSpec> &fields,
                         uint8_t languageDriver, const DateParts &date);

// Whole records the file holds after its header (a trailing end-of-file byte or a partial record
// does not count); negative when the file is shorter than its header.
int64_t RecordsInFile(int64_t fileSize, uint16_t headerLength, uint16_t recordLength);

// The index of the field named `name` (without regard to case), or -1.
int FindField(const std::vector<Field> &fields, std::string_view name);

// The byte offset of record `recno` (1-based).
inline int64_t RecordOffset(const DbfHeader &header, uint32_t recno)
{
    return header.headerLength + static_cast<int64_t>(recno - 1) * header.recordLength;
}

} // namespace dbase
