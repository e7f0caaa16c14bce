#pragma once

// Little-endian integers and doubles inside byte buffers, as all three file formats store them.

#include <bit>
#include <cstdint>
#include <cstring>

namespace dbase {

inline uint16_t ReadU16(const char *p)
{
    return static_cast<uint16_t>(static_cast<unsigned char>(p[0]) |
                                 (static_cast<unsigned char>(p[1]) << 8));
}

inline uint32_t ReadU32(const char *p)
{
    return static_cast<uint32_t>(static_cast<unsigned char>(p[0])) |
        (static_cast<uint32_t>(static_cast<unsigned char>(p[1])) << 8) |
        (static_cast<uint32_t>(static_cast<unsigned char>(p[2])) << 16) |
        (static_cast<uint32_t>(static_cast<unsigned char>(p[3])) << 24);
}

inline void WriteU16(char *p, uint16_t value)
{
    p[0] = static_cast<char>(value & 0xFF);
    p[1] = static_cast<char>(value >> 8);
}

inline void WriteU32(char *p, uint32_t value)
{
    for (int i = 0; i < 4; ++i) {
        p[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    }
}

inline double ReadF64(const char *p)
{
    uint64_t bits = 0;
    for (int i = 7; i >= 0; --i) {
        bits = (bits << 8) | static_cast<unsigned char>(p[i]);
    }
    return std::bit_cast<double>(bits);
}

inline void WriteF64(char *p, double value)
{
    const auto bits = std::bit_cast<uint64_t>(value);
    for (int i = 0; i < 8; ++i) {
        p[i] = static_cast<char>((bits >> (8 * i)) & 0xFF);
    }
}

inline unsigned char Byte(const char *p, size_t offset)
{
    return static_cast<unsigned char>(p[offset]);
}

} // namespace dbase
