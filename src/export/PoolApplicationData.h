#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

class TVereDivoQuote;

// One value for the document: the number of its form field and the text (trimmed).
struct TQuoteDataInfo
{
    int32_t Field = 0;
    std::string Text;
};

// A mapping file that cannot be read; the message names the file and the line.
class EMappingFileError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// The kind of application with a mapping file.
constexpr int32_t PoolApplicationKind = 3;
// The mapping file of the pool application, in the data folder.
inline const char *const PoolApplicationMappingFile = "MAApp.dat";
// Mapping items that write the class lines: every line, or all but the clerical, sales and
// drivers classes.
constexpr int32_t ItemAllClasses = 201;
constexpr int32_t ItemRatedClasses = 200;
// The fields a class line's row spans; six are written.
constexpr int32_t ClassRowStride = 8;

// One line of the mapping file: field number "=" item number.
struct TFieldMapping
{
    int32_t Field = 0;
    int32_t Item = 0;
};

// Reads a mapping file. Blank lines are passed over; a line that is not two whole numbers
// around "=" raises EMappingFileError naming the line, as does a missing file.
std::vector<TFieldMapping> ReadFieldMappings(const std::string &path);

// The values of the quote for the document of `kind`, in the mapping file's order (the data
// folder's "MAApp.dat"); any kind but the pool application gives none.
std::vector<TQuoteDataInfo> BuildApplicationData(const TVereDivoQuote &quote, int32_t kind);
// The same from a mapping already read.
std::vector<TQuoteDataInfo> BuildApplicationData(const TVereDivoQuote &quote,
                                                 const std::vector<TFieldMapping> &mappings);
