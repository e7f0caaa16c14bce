// The values the pool application document receives, built from the quote's data items through
// the mapping file.

#include "export/PoolApplicationData.h"

#include "core/Paths.h"
#include "core/Text.h"
#include "rating/VereDivoQuote.h"

#include <fstream>

namespace {

// Telephone items print "(508) 555-1212" as "508- 555-1212".
bool IsTelephoneItem(int32_t item)
{
    return item == 29 || item == 50;
}

std::string TelephoneText(const std::string &text)
{
    std::string out;
    for (const char c : text) {
        if (c == ')') {
            out += '-';
        } else if (c != '(') {
            out += c;
        }
    }
    return out;
}

} // namespace

std::vector<TFieldMapping> ReadFieldMappings(const std::string &path)
{
    const std::string resolved = ResolveFileName(path);
    std::ifstream in(resolved, std::ios::binary);
    if (!in) {
        throw EMappingFileError("The mapping file " + path + " cannot be read.");
    }
    std::vector<TFieldMapping> mappings;
    std::string line;
    int lineNumber = 0;
    while (std::getline(in, line)) {
        ++lineNumber;
        if (Trim(line).empty()) {
            continue;
        }
        const size_t equals = line.find('=');
        TFieldMapping mapping;
        if (equals == std::string::npos || !TryStrToInt(line.substr(0, equals), mapping.Field) ||
            !TryStrToInt(line.substr(equals + 1), mapping.Item) || mapping.Field < 1) {
            throw EMappingFileError("Line " + std::to_string(lineNumber) + " of " + path +
                                    " is not a field number, \"=\" and an item number: \"" +
                                    Trim(line) + "\"");
        }
        mappings.push_back(mapping);
    }
    return mappings;
}

std::vector<TQuoteDataInfo> BuildApplicationData(const TVereDivoQuote &quote,
                                                 const std::vector<TFieldMapping> &mappings)
{
    std::vector<TQuoteDataInfo> values;
    for (const TFieldMapping &mapping : mappings) {
        if (mapping.Item != ItemAllClasses && mapping.Item != ItemRatedClasses) {
            std::string text = Trim(quote.GetDataItem(mapping.Item, 0));
            if (IsTelephoneItem(mapping.Item)) {
                text = TelephoneText(text);
            }
            values.push_back({mapping.Field, text});
            continue;
        }
        int32_t row = 0;
        for (const TVereDivoClass *line : quote.Classes()) {
            if (mapping.Item == ItemRatedClasses &&
                (line == quote.ClericalClass || line == quote.SalesClass ||
                 line == quote.DriversClass)) {
                continue;
            }
            const int32_t first = mapping.Field + row * ClassRowStride;
            const std::string texts[] = {line->Description,        line->Code,
                                         IntText(line->Employees), IntText(line->GetPayroll()),
                                         FixedText(line->Rate, 2), IntText(line->GetPremium())};
            for (int32_t column = 0; column < 6; ++column) {
                values.push_back({first + column, Trim(texts[column])});
            }
            ++row;
        }
    }
    return values;
}

std::vector<TQuoteDataInfo> BuildApplicationData(const TVereDivoQuote &quote, int32_t kind)
{
    if (kind != PoolApplicationKind) {
        return {};
    }
    return BuildApplicationData(
        quote, ReadFieldMappings(quote.Application().DataFolder() + PoolApplicationMappingFile));
}
