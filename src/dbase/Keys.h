#pragma once

// Index key encodings of the MDX file: character keys as blank-padded bytes, numeric keys as
// dBASE IV's 12-byte decimal (exponent byte, sign and digit count, packed BCD digits), date keys
// as a little-endian double holding the Julian day.

#include <cstddef>

namespace dbase {

constexpr size_t kNumericKeyLength = 12;
constexpr size_t kDateKeyLength = 8;

void EncodeNumericKey(double value, char *key);
double DecodeNumericKey(const char *key);
// Orders by value; zero is told apart first (its exponent byte sorts above 0.05's).
int CompareNumericKeys(const char *a, const char *b);

void EncodeDateKey(double julian, char *key);
double DecodeDateKey(const char *key);
int CompareDateKeys(const char *a, const char *b);

// Unsigned byte order.
int CompareCharacterKeys(const char *a, const char *b, size_t length);

} // namespace dbase
