#include "Schema.h"

#include "core/Text.h"

#include <fstream>
#include <sstream>

namespace {

std::vector<std::string> Words(std::string_view text)
{
    std::vector<std::string> words;
    std::istringstream in {std::string(text)};
    for (std::string word; in >> word;) {
        words.push_back(word);
    }
    return words;
}

// The line without its comment: a "#" at the start or after a blank.
std::string WithoutComment(const std::string &line)
{
    for (size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '#' && (i == 0 || line[i - 1] == ' ' || line[i - 1] == '\t')) {
            return Trim(line.substr(0, i));
        }
    }
    return Trim(line);
}

int Number(const std::string &word, const std::string &where, const char *what)
{
    int value = 0;
    if (!TryStrToInt(word, value) || value < 0) {
        throw ToolError(where + std::string(what) + " \"" + word + "\" is not a whole number");
    }
    return value;
}

} // namespace

Schema ParseSchema(std::string_view text, const std::string &source)
{
    Schema schema;
    std::istringstream in {std::string(text)};
    size_t lineNumber = 0;
    for (std::string raw; std::getline(in, raw);) {
        ++lineNumber;
        if (!raw.empty() && raw.back() == '\r') {
            raw.pop_back();
        }
        const std::string line = WithoutComment(raw);
        if (line.empty()) {
            continue;
        }
        const std::string where = source + ":" + std::to_string(lineNumber) + ": ";
        const std::vector<std::string> words = Words(line);
        const std::string keyword = LowerCase(words[0]);
        if (keyword == "table") {
            if (words.size() != 2) {
                throw ToolError(where + "\"table\" takes one file name");
            }
            if (!schema.tableName.empty()) {
                throw ToolError(where + "the table is named twice");
            }
            if (!EndsWithText(words[1], ".dbf") || words[1].find('/') != std::string::npos) {
                throw ToolError(where +
                                "the table's file name must end in .DBF and name no folder");
            }
            schema.tableName = words[1];
        } else if (keyword == "field") {
            if (words.size() < 3 || words.size() > 5) {
                throw ToolError(where + "write \"field NAME TYPE [WIDTH [DECIMALS]]\"");
            }
            dbase::FieldSpec field;
            field.name = words[1];
            if (words[2].size() != 1) {
                throw ToolError(where + "field type \"" + words[2] +
                                "\" is not one of C N F L D M");
            }
            field.type = UpperCase(words[2])[0];
            if (std::string("CNFLDM").find(field.type) == std::string::npos) {
                throw ToolError(where + "field type \"" + words[2] +
                                "\" is not one of C N F L D M");
            }
            const bool sized = field.type == 'C' || field.type == 'N' || field.type == 'F';
            if (words.size() > 3) {
                field.length = Number(words[3], where, "width");
            }
            if (words.size() > 4) {
                field.decimals = Number(words[4], where, "decimals");
            }
            if (sized && words.size() < 4) {
                throw ToolError(where + "field " + field.name + " needs a width");
            }
            if (words.size() > 4 && field.type == 'C') {
                throw ToolError(where + "character field " + field.name + " takes no decimals");
            }
            if (!sized && words.size() > 4) {
                throw ToolError(where + "field " + field.name + " takes no decimals");
            }
            schema.fields.push_back(field);
        } else if (keyword == "tag") {
            if (words.size() < 3) {
                throw ToolError(where + "write \"tag NAME EXPRESSION [descending] [unique]\"");
            }
            dbase::TagSpec tag;
            tag.name = words[1];
            // The expression runs from after the name to the trailing flag words.
            std::string rest = Trim(line.substr(line.find(words[1], 3) + words[1].size()));
            for (;;) {
                const size_t blank = rest.find_last_of(" \t");
                if (blank == std::string::npos) {
                    break;
                }
                const std::string last = LowerCase(rest.substr(blank + 1));
                if (last == "descending") {
                    tag.descending = true;
                } else if (last == "unique") {
                    tag.unique = true;
                } else {
                    break;
                }
                rest = Trim(rest.substr(0, blank));
            }
            tag.expression = rest;
            schema.tags.push_back(tag);
        } else {
            throw ToolError(where + "\"" + words[0] + "\" is not table, field or tag");
        }
    }
    const std::string where = source + ": ";
    if (schema.tableName.empty()) {
        throw ToolError(where + "no \"table\" line");
    }
    if (schema.fields.empty()) {
        throw ToolError(where + "no fields");
    }
    return schema;
}

std::string ReadWholeFile(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw ToolError(path + ": cannot be read");
    }
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

Schema ReadSchema(const std::string &path)
{
    return ParseSchema(ReadWholeFile(path), path);
}
