#include "Csv.h"

#include "core/Dates.h"
#include "core/Encoding.h"
#include "core/Text.h"

#include "dbase/Values.h"

#include <algorithm>
#include <optional>

std::vector<CsvRow> ParseCsv(std::string_view text, const std::string &source)
{
    if (text.substr(0, 3) == "\xEF\xBB\xBF") {
        text.remove_prefix(3);
    }
    std::vector<CsvRow> rows;
    size_t line = 1;
    size_t at = 0;
    while (at < text.size()) {
        CsvRow row;
        row.line = line;
        std::string cell;
        bool rowDone = false;
        while (!rowDone) {
            cell.clear();
            if (at < text.size() && text[at] == '"') {
                const size_t quoteLine = line;
                ++at;
                for (;;) {
                    if (at >= text.size()) {
                        throw ToolError(source + ":" + std::to_string(quoteLine) +
                                        ": a quoted cell has no closing quote");
                    }
                    const char c = text[at++];
                    if (c == '"') {
                        if (at < text.size() && text[at] == '"') {
                            cell += '"';
                            ++at;
                            continue;
                        }
                        break;
                    }
                    if (c == '\n') {
                        ++line;
                    }
                    cell += c;
                }
                if (at < text.size() && text[at] != ',' && text[at] != '\n' && text[at] != '\r') {
                    throw ToolError(source + ":" + std::to_string(line) +
                                    ": text follows a closing quote");
                }
            } else {
                while (at < text.size() && text[at] != ',' && text[at] != '\n' &&
                       text[at] != '\r') {
                    cell += text[at++];
                }
            }
            row.cells.push_back(cell);
            if (at < text.size() && text[at] == ',') {
                ++at;
                continue;
            }
            if (at < text.size() && text[at] == '\r') {
                ++at;
            }
            if (at < text.size() && text[at] == '\n') {
                ++at;
            }
            ++line;
            rowDone = true;
        }
        // A blank line is no row.
        if (!(row.cells.size() == 1 && row.cells[0].empty())) {
            rows.push_back(std::move(row));
        }
    }
    return rows;
}

namespace {

// The stored text of one cell for its field; empty optional with `problem` set when it cannot
// be stored.
std::optional<std::string> StoredText(const dbase::Field &field, const std::string &value,
                                      std::string &problem)
{
    const std::string trimmed = Trim(value);
    switch (field.type) {
    case 'C':
        if (value.size() > field.length) {
            problem = "\"" + Windows1252ToUtf8(value) + "\" is longer than the field's " +
                std::to_string(field.length) + " characters";
            return std::nullopt;
        }
        return PadRight(value, field.length);
    case 'N':
    case 'F': {
        if (trimmed.empty()) {
            return std::string(field.length, ' ');
        }
        double number = 0;
        const bool plain = trimmed.find_first_not_of("+-0123456789.") == std::string::npos;
        if (!plain || !TryStrToFloat(trimmed, number)) {
            problem = "\"" + value + "\" is not a decimal number";
            return std::nullopt;
        }
        const size_t point = trimmed.find('.');
        if (point != std::string::npos) {
            const std::string decimals = trimmed.substr(point + 1);
            if (decimals.size() > field.decimals &&
                decimals.find_first_not_of('0', field.decimals) != std::string::npos) {
                problem = trimmed + " has more than the field's " + std::to_string(field.decimals) +
                    " decimals";
                return std::nullopt;
            }
        }
        const auto text = dbase::FormatNumber(number, field.length, field.decimals);
        if (!text) {
            problem = trimmed + " is too wide for the field (" + std::to_string(field.length) +
                " characters, " + std::to_string(field.decimals) + " decimals)";
            return std::nullopt;
        }
        return *text;
    }
    case 'D': {
        if (trimmed.empty()) {
            return std::string(8, ' ');
        }
        if (trimmed.size() == 8 && trimmed.find_first_not_of("0123456789") == std::string::npos) {
            if (dbase::JulianFromStorage(trimmed) != 0) {
                return trimmed;
            }
        } else {
            TDateTime date = 0;
            if (trimmed.size() == 10 && TryStrToDate(trimmed, date)) {
                return DateToStorage(date);
            }
        }
        problem = "\"" + value + "\" is not a date (CCYYMMDD or mm/dd/yyyy)";
        return std::nullopt;
    }
    case 'L': {
        if (trimmed.empty()) {
            return std::string(" ");
        }
        const std::string letter = UpperCase(trimmed);
        if (letter == "T" || letter == "Y") {
            return std::string("T");
        }
        if (letter == "F" || letter == "N") {
            return std::string("F");
        }
        problem = "\"" + value + "\" is not T, F, Y or N";
        return std::nullopt;
    }
    default:
        return value; // memo text
    }
}

} // namespace

std::vector<std::vector<std::string>> ConvertCsv(std::string_view text, const std::string &source,
                                                 const std::vector<dbase::Field> &fields)
{
    const std::vector<CsvRow> rows = ParseCsv(text, source);
    std::vector<std::vector<std::string>> result;
    if (rows.empty()) {
        return result;
    }
    // Which field each column fills (-1: a comment column).
    std::vector<int> columns;
    for (const std::string &name : rows[0].cells) {
        const std::string trimmed = Trim(name);
        if (!trimmed.empty() && trimmed[0] == '#') {
            columns.push_back(-1);
            continue;
        }
        const int field = dbase::FindField(fields, trimmed);
        const std::string where =
            source + ":" + std::to_string(rows[0].line) + ": column \"" + trimmed + "\"";
        if (field < 0) {
            throw ToolError(where + " is not a field of the table");
        }
        if (std::find(columns.begin(), columns.end(), field) != columns.end()) {
            throw ToolError(where + " appears twice");
        }
        columns.push_back(field);
    }
    for (size_t r = 1; r < rows.size(); ++r) {
        const CsvRow &row = rows[r];
        const std::string line = source + ":" + std::to_string(row.line) + ": ";
        if (row.cells.size() > columns.size()) {
            throw ToolError(line + "the row has " + std::to_string(row.cells.size()) +
                            " cells, the header " + std::to_string(columns.size()));
        }
        std::vector<std::string> stored;
        for (const dbase::Field &field : fields) {
            stored.push_back(field.type == 'M' ? std::string() : std::string(field.length, ' '));
        }
        for (size_t c = 0; c < row.cells.size(); ++c) {
            if (columns[c] < 0) {
                continue;
            }
            const dbase::Field &field = fields[static_cast<size_t>(columns[c])];
            const std::string where = line + "column " + field.name + ": ";
            const std::string converted = Utf8ToWindows1252(row.cells[c]);
            if (Windows1252ToUtf8(converted) != row.cells[c]) {
                throw ToolError(where + "the text is not UTF-8 that Windows-1252 can hold");
            }
            std::string problem;
            const auto value = StoredText(field, converted, problem);
            if (!value) {
                throw ToolError(where + problem);
            }
            stored[static_cast<size_t>(columns[c])] = *value;
        }
        result.push_back(std::move(stored));
    }
    return result;
}

size_t AppendRows(dbase::Table &table, const std::vector<std::vector<std::string>> &rows)
{
    const std::vector<dbase::Field> &fields = table.Fields();
    for (const std::vector<std::string> &row : rows) {
        table.AppendBlank();
        for (size_t i = 0; i < fields.size(); ++i) {
            const bool blank = fields[i].type == 'M'
                ? row[i].empty()
                : row[i].find_first_not_of(' ') == std::string::npos;
            if (!blank) {
                table.SetText(fields[i], row[i]);
            }
        }
    }
    table.Flush();
    return rows.size();
}
