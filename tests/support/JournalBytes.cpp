#include "support/JournalBytes.h"

namespace {

constexpr size_t kFileHeader = 64;
constexpr size_t kRecordHeader = 32;
constexpr uint32_t kRecordMagic = 0x5854'4A56;

uint64_t GetLittleEndian(const char *at, int bytes)
{
    uint64_t value = 0;
    for (int i = bytes - 1; i >= 0; --i) {
        value = (value << 8) | static_cast<unsigned char>(at[i]);
    }
    return value;
}

// The CRC-32 (reflected, polynomial 0xEDB88320) of the data, continued from `crc`.
uint32_t JournalCrc32(const char *data, size_t size, uint32_t crc = 0)
{
    crc = ~crc;
    for (size_t i = 0; i < size; ++i) {
        crc ^= static_cast<unsigned char>(data[i]);
        for (int k = 0; k < 8; ++k) {
            crc = (crc & 1) != 0 ? 0xEDB88320u ^ (crc >> 1) : crc >> 1;
        }
    }
    return ~crc;
}

} // namespace

void PutLittleEndian(std::string &out, uint64_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i) {
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
    }
}

void FixJournalChecksums(std::string &journal)
{
    size_t at = kFileHeader;
    while (journal.size() >= at && journal.size() - at >= kRecordHeader) {
        char *header = journal.data() + at;
        if (GetLittleEndian(header, 4) != kRecordMagic) {
            return;
        }
        const uint64_t length = GetLittleEndian(header + 16, 8);
        if (length > journal.size() - at - kRecordHeader) {
            return;
        }
        const uint32_t crc =
            JournalCrc32(header + kRecordHeader, length, JournalCrc32(header + 8, 20));
        for (int i = 0; i < 4; ++i) {
            header[28 + i] = static_cast<char>((crc >> (8 * i)) & 0xFF);
        }
        at += kRecordHeader + length;
    }
}
