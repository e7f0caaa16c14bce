#include "core/Guid.h"

#include <array>
#include <cstdint>
#include <random>

std::string NewGuidText()
{
    // One generator per thread, seeded once from the system's entropy source.
    thread_local std::mt19937_64 generator {[] {
        std::random_device device;
        std::seed_seq seed {device(), device(), device(), device()};
        return std::mt19937_64(seed);
    }()};
    std::array<uint8_t, 16> bytes {};
    for (size_t i = 0; i < bytes.size(); i += 8) {
        uint64_t value = generator();
        for (size_t j = 0; j < 8; ++j) {
            bytes[i + j] = static_cast<uint8_t>(value >> (8 * j));
        }
    }
    bytes[6] = static_cast<uint8_t>((bytes[6] & 0x0F) | 0x40); // version 4
    bytes[8] = static_cast<uint8_t>((bytes[8] & 0x3F) | 0x80); // RFC 4122 variant
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (i == 4 || i == 6 || i == 8 || i == 10) {
            text += '-';
        }
        text += digits[bytes[i] >> 4];
        text += digits[bytes[i] & 0x0F];
    }
    return text;
}
