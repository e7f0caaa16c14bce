#pragma once

// What the fuzz targets share: a private folder for the file under test.

#include <cstddef>
#include <cstdint>
#include <string>

// A folder of this process, made on first use, with a trailing "/".
std::string FuzzFolder();
void WriteFuzzFile(const std::string &path, const uint8_t *data, size_t size);
