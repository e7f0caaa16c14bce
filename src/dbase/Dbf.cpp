#include "dbase/Dbf.h"

#include "core/Text.h"

#include "dbase/Bytes.h"
#include "dbase/File.h"

#include <algorithm>
#include <cstdio>

namespace dbase {

namespace {

std::string Hex(unsigned value)
{
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "0x%02X", value);
    return buffer;
}

// The allowed widths of a field type; decimals only for N and F.
bool ValidField(char type, int length, int decimals, bool creating)
{
    switch (type) {
    case 'C':
        return length >= 1 && length <= 254 && decimals == 0;
    case 'N':
    case 'F':
        if (length < 1 || length > 20 || decimals < 0 || decimals > 18) {
            return false;
        }
        return decimals == 0 || (creating ? length >= decimals + 2 : length > decimals);
    case 'L':
        return length == 1 && decimals == 0;
    case 'D':
        return length == 8 && decimals == 0;
    case 'M':
        return length == 10 && decimals == 0;
    default:
        return false;
    }
}

bool ValidFieldName(const std::string &name)
{
    if (name.empty() || name.size() > 10) {
        return false;
    }
    const auto isLetter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
    if (!isLetter(name[0])) {
        return false;
    }
    return std::all_of(name.begin(), name.end(),
                       [&](char c) { return isLetter(c) || (c >= '0' && c <= '9') || c == '_'; });
}

} // namespace

bool DbfHeader::HasMemo() const
{
    return std::any_of(fields.begin(), fields.end(), [](const Field &f) { return f.type == 'M'; });
}

void DbfHeader::SetRecordCount(uint32_t count)
{
    recordCount = count;
    WriteU32(raw.data() + 4, count);
}

void DbfHeader::SetUpdateDate(const DateParts &date)
{
    raw[1] = static_cast<char>(std::clamp(date.year - 1900, 0, 255));
    raw[2] = static_cast<char>(date.month);
    raw[3] = static_cast<char>(date.day);
}

void DbfHeader::SetProductionIndex(bool present)
{
    raw[28] = present ? 1 : 0;
}

void DbfHeader::SetIndexFlags(const std::vector<std::string> &indexedFields)
{
    for (size_t i = 0; i < fields.size(); ++i) {
        const bool flagged =
            std::any_of(indexedFields.begin(), indexedFields.end(),
                        [&](const std::string &name) { return SameText(name, fields[i].name); });
        raw[32 + 32 * i + 31] = flagged ? 1 : 0;
    }
}

DbfHeader ParseDbfHeader(Context *context, std::string_view bytes, const std::string &name)
{
    const auto corrupt = [&](const std::string &what) {
        Raise(context, Failure::TableCorrupt, name + " is not a valid dBASE table: " + what);
    };
    if (bytes.size() < 32) {
        corrupt("the file is shorter than a table header");
    }
    DbfHeader header;
    header.version = Byte(bytes.data(), 0);
    switch (header.version) {
    case 0x03:
    case 0x83:
    case 0x8B:
    case 0x43:
    case 0x63:
    case 0xCB:
        break;
    case 0x04:
    case 0x8C:
        corrupt("dBASE 7 tables (version byte " + Hex(header.version) + ") are not supported");
        break;
    default:
        corrupt("unknown version byte " + Hex(header.version));
    }
    if (Byte(bytes.data(), 15) != 0) {
        corrupt("the table is encrypted");
    }
    header.recordCount = ReadU32(bytes.data() + 4);
    header.headerLength = ReadU16(bytes.data() + 8);
    header.recordLength = ReadU16(bytes.data() + 10);
    if (header.headerLength < 65) {
        corrupt("header length " + std::to_string(header.headerLength) + " is too small");
    }
    if (bytes.size() < header.headerLength) {
        corrupt("the file ends inside its header");
    }
    size_t at = 32;
    uint32_t offset = 1;
    while (at < header.headerLength && bytes[at] != kHeaderTerminator) {
        if (at + 32 > header.headerLength) {
            corrupt("field descriptors run past the header length");
        }
        if (header.fields.size() == 255) {
            corrupt("more than 255 fields");
        }
        const char *d = bytes.data() + at;
        Field field;
        size_t nameLength = 0;
        while (nameLength < 11 && d[nameLength] != '\0') {
            ++nameLength;
        }
        field.name = Trim(std::string_view(d, nameLength));
        field.type = d[11];
        field.length = Byte(d, 16);
        field.decimals = Byte(d, 17);
        field.offset = offset;
        const std::string number = "field " + std::to_string(header.fields.size() + 1);
        if (field.name.empty()) {
            corrupt(number + " has no name");
        }
        if (!ValidField(field.type, field.length, field.decimals, false)) {
            corrupt(number + " (" + field.name + ") has type '" + std::string(1, field.type) +
                    "' with length " + std::to_string(field.length) + " and " +
                    std::to_string(field.decimals) + " decimals");
        }
        if (FindField(header.fields, field.name) >= 0) {
            corrupt("field name " + field.name + " occurs twice");
        }
        offset += field.length;
        header.fields.push_back(std::move(field));
        at += 32;
    }
    if (header.fields.empty()) {
        corrupt("no fields");
    }
    if (at >= header.headerLength) {
        corrupt("the field list has no terminator within the header length");
    }
    if (offset != header.recordLength) {
        corrupt("record length " + std::to_string(header.recordLength) +
                " differs from the fields' total of " + std::to_string(offset));
    }
    header.raw.assign(bytes.substr(0, header.headerLength));
    return header;
}

DbfHeader ReadDbfHeader(Context *context, const File &file)
{
    std::string start(32, '\0');
    const size_t got = file.ReadSome(0, start.data(), start.size());
    start.resize(got);
    if (got < 32) {
        return ParseDbfHeader(context, start, file.Path());
    }
    const uint16_t length = ReadU16(start.data() + 8);
    if (length <= 32) {
        return ParseDbfHeader(context, start, file.Path());
    }
    std::string bytes(length, '\0');
    bytes.resize(file.ReadSome(0, bytes.data(), bytes.size()));
    return ParseDbfHeader(context, bytes, file.Path());
}

DbfHeader BuildDbfHeader(Context *context, const std::vector<FieldSpec> &fields,
                         uint8_t languageDriver, const DateParts &date)
{
    if (fields.empty() || fields.size() > 255) {
        Raise(context, Failure::FieldType, "a table needs 1 to 255 fields");
    }
    DbfHeader header;
    header.raw.assign(32 + 32 * fields.size() + 1, '\0');
    uint32_t offset = 1;
    bool memo = false;
    for (size_t i = 0; i < fields.size(); ++i) {
        const FieldSpec &spec = fields[i];
        Field field;
        field.name = UpperCase(spec.name);
        field.type = static_cast<char>(UpperCase(std::string(1, spec.type))[0]);
        int length = spec.length;
        if (length == 0) {
            length = field.type == 'D' ? 8 : field.type == 'L' ? 1 : field.type == 'M' ? 10 : 0;
        }
        if (!ValidFieldName(field.name)) {
            Raise(context, Failure::FieldType,
                  "field name \"" + spec.name +
                      "\" is not 1 to 10 letters, digits or _ beginning with a letter");
        }
        if (FindField(header.fields, field.name) >= 0) {
            Raise(context, Failure::FieldType, "field " + field.name + " is named twice");
        }
        if (!ValidField(field.type, length, spec.decimals, true)) {
            Raise(context, Failure::FieldType,
                  "field " + field.name + ": type '" + std::string(1, spec.type) +
                      "' cannot have length " + std::to_string(length) + " and " +
                      std::to_string(spec.decimals) + " decimals");
        }
        field.length = static_cast<uint8_t>(length);
        field.decimals = static_cast<uint8_t>(spec.decimals);
        field.offset = offset;
        offset += field.length;
        memo = memo || field.type == 'M';
        char *d = header.raw.data() + 32 + 32 * i;
        std::copy(field.name.begin(), field.name.end(), d);
        d[11] = field.type;
        d[16] = static_cast<char>(field.length);
        d[17] = static_cast<char>(field.decimals);
        header.fields.push_back(std::move(field));
    }
    if (offset > 4000) {
        Raise(context, Failure::FieldType,
              "records of " + std::to_string(offset) + " bytes exceed the 4000 dBASE allows");
    }
    header.version = memo ? 0x8B : 0x03;
    header.headerLength = static_cast<uint16_t>(header.raw.size());
    header.recordLength = static_cast<uint16_t>(offset);
    header.raw[0] = static_cast<char>(header.version);
    header.raw.back() = kHeaderTerminator;
    WriteU16(header.raw.data() + 8, header.headerLength);
    WriteU16(header.raw.data() + 10, header.recordLength);
    header.raw[29] = static_cast<char>(languageDriver);
    header.SetUpdateDate(date);
    return header;
}

int64_t RecordsInFile(int64_t fileSize, uint16_t headerLength, uint16_t recordLength)
{
    if (fileSize < headerLength) {
        return -1;
    }
    return recordLength == 0 ? 0 : (fileSize - headerLength) / recordLength;
}

int FindField(const std::vector<Field> &fields, std::string_view name)
{
    const std::string wanted = Trim(name);
    for (size_t i = 0; i < fields.size(); ++i) {
        if (SameText(fields[i].name, wanted)) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

} // namespace dbase
