#include "dbase/Keys.h"

#include "dbase/Bytes.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

namespace dbase {

namespace {

constexpr int kExponentBias = 0x34;
constexpr int kMaxDigits = 20;

int DigitCount(const char *key)
{
    return std::min((Byte(key, 1) >> 2) & 0x1F, kMaxDigits);
}

int Nibble(const char *key, int index)
{
    const unsigned char pair = Byte(key, 2 + static_cast<size_t>(index / 2));
    return index % 2 == 0 ? pair >> 4 : pair & 0x0F;
}

// -1, 0 or 1.
int SignOf(const char *key)
{
    const int count = DigitCount(key);
    bool zero = true;
    for (int i = 0; i < count && zero; ++i) {
        zero = Nibble(key, i) == 0;
    }
    if (zero) {
        return 0;
    }
    return (Byte(key, 1) & 0x80) != 0 ? -1 : 1;
}

} // namespace

void EncodeNumericKey(double value, char *key)
{
    std::memset(key, 0, kNumericKeyLength);
    key[0] = static_cast<char>(kExponentBias);
    key[1] = 0x01;
    if (!std::isfinite(value) || value == 0) {
        return;
    }
    const bool negative = value < 0;
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value),
                                      std::chars_format::scientific);
    const std::string_view text(buffer, static_cast<size_t>(result.ptr - buffer));
    const size_t e = text.find('e');
    std::string digits;
    for (char c : text.substr(0, e)) {
        if (c != '.') {
            digits += c;
        }
    }
    int exponent = 0;
    const std::string_view exponentText = text.substr(e + 1);
    std::from_chars(exponentText.data() + (exponentText.front() == '+' ? 1 : 0),
                    exponentText.data() + exponentText.size(), exponent);
    while (digits.size() > 1 && digits.back() == '0') {
        digits.pop_back();
    }
    const int integerDigits = exponent + 1;
    // The integer part is written in full (100 has the digits 1 0 0).
    if (integerDigits > static_cast<int>(digits.size()) && integerDigits <= kMaxDigits) {
        digits.resize(static_cast<size_t>(integerDigits), '0');
    }
    if (digits.size() > kMaxDigits) {
        digits.resize(kMaxDigits);
    }
    key[0] = static_cast<char>(std::clamp(kExponentBias + integerDigits, 0, 255));
    key[1] = static_cast<char>((negative ? 0x80 : 0) | (static_cast<int>(digits.size()) << 2) | 1);
    for (size_t i = 0; i < digits.size(); ++i) {
        const int digit = digits[i] - '0';
        char &pair = key[2 + i / 2];
        pair =
            static_cast<char>(static_cast<unsigned char>(pair) | (i % 2 == 0 ? digit << 4 : digit));
    }
}

double DecodeNumericKey(const char *key)
{
    const int sign = SignOf(key);
    if (sign == 0) {
        return 0;
    }
    char text[40] = "0.";
    size_t length = 2;
    for (int i = 0; i < DigitCount(key); ++i) {
        text[length++] = static_cast<char>('0' + std::min(Nibble(key, i), 9));
    }
    length += static_cast<size_t>(std::snprintf(text + length, sizeof text - length, "e%d",
                                                static_cast<int>(Byte(key, 0)) - kExponentBias));
    double value = 0;
    std::from_chars(text, text + length, value);
    return sign < 0 ? -value : value;
}

int CompareNumericKeys(const char *a, const char *b)
{
    const int signA = SignOf(a);
    const int signB = SignOf(b);
    if (signA != signB) {
        return signA < signB ? -1 : 1;
    }
    if (signA == 0) {
        return 0;
    }
    int magnitude = 0;
    if (Byte(a, 0) != Byte(b, 0)) {
        magnitude = Byte(a, 0) < Byte(b, 0) ? -1 : 1;
    } else {
        const int countA = DigitCount(a);
        const int countB = DigitCount(b);
        for (int i = 0; i < kMaxDigits && magnitude == 0; ++i) {
            const int da = i < countA ? Nibble(a, i) : 0;
            const int db = i < countB ? Nibble(b, i) : 0;
            magnitude = da == db ? 0 : (da < db ? -1 : 1);
        }
    }
    return signA > 0 ? magnitude : -magnitude;
}

void EncodeDateKey(double julian, char *key)
{
    WriteF64(key, julian);
}

double DecodeDateKey(const char *key)
{
    return ReadF64(key);
}

int CompareDateKeys(const char *a, const char *b)
{
    const double x = ReadF64(a);
    const double y = ReadF64(b);
    if (x < y) {
        return -1;
    }
    if (y < x) {
        return 1;
    }
    // A NaN in a damaged file still needs a consistent place.
    return std::isnan(x) == std::isnan(y) ? 0 : (std::isnan(x) ? -1 : 1);
}

int CompareCharacterKeys(const char *a, const char *b, size_t length)
{
    return std::memcmp(a, b, length);
}

} // namespace dbase
