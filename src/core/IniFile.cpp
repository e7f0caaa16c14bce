#include "core/IniFile.h"

#include "core/DiskWrites.h"
#include "core/Paths.h"
#include "core/Text.h"

#include <cstdio>
#include <fstream>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <system_error>

namespace {

struct LineRange
{
    size_t header = 0; // index of the "[section]" line
    size_t end = 0; // one past the section's last line
};

std::optional<std::string> SectionName(const std::string &line)
{
    const std::string trimmed = Trim(line);
    if (trimmed.size() >= 2 && trimmed.front() == '[') {
        const size_t close = trimmed.find(']');
        if (close != std::string::npos) {
            return Trim(std::string_view(trimmed).substr(1, close - 1));
        }
    }
    return std::nullopt;
}

bool IsComment(const std::string &line)
{
    const std::string trimmed = Trim(line);
    return trimmed.empty() || trimmed.front() == ';' || trimmed.front() == '#';
}

// The key of a "key=value" line, or nothing for any other line.
std::optional<std::string> KeyName(const std::string &line)
{
    if (IsComment(line) || SectionName(line)) {
        return std::nullopt;
    }
    const size_t eq = line.find('=');
    if (eq == std::string::npos) {
        return std::nullopt;
    }
    return Trim(std::string_view(line).substr(0, eq));
}

std::string ValueOf(const std::string &line)
{
    std::string value = Trim(std::string_view(line).substr(line.find('=') + 1));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        value = value.substr(1, value.size() - 2);
    }
    return value;
}

std::optional<LineRange> FindSection(const std::vector<std::string> &lines,
                                     std::string_view section)
{
    for (size_t i = 0; i < lines.size(); ++i) {
        const auto name = SectionName(lines[i]);
        if (name && SameText(*name, section)) {
            LineRange range {i, lines.size()};
            for (size_t j = i + 1; j < lines.size(); ++j) {
                if (SectionName(lines[j])) {
                    range.end = j;
                    break;
                }
            }
            return range;
        }
    }
    return std::nullopt;
}

std::optional<size_t> FindKey(const std::vector<std::string> &lines, const LineRange &range,
                              std::string_view key)
{
    for (size_t i = range.header + 1; i < range.end; ++i) {
        const auto name = KeyName(lines[i]);
        if (name && SameText(*name, key)) {
            return i;
        }
    }
    return std::nullopt;
}

} // namespace

std::string TIniFile::PathFor(std::string_view fileName)
{
    return IsBareName(fileName) ? SettingsFolder() + std::string(fileName) : NativePath(fileName);
}

TIniFile::TIniFile(std::string_view fileName) : m_fileName(ResolveFileName(PathFor(fileName))) { }

std::vector<std::string> TIniFile::ReadLines() const
{
    std::vector<std::string> lines;
    std::ifstream in(ResolveFileName(m_fileName), std::ios::binary);
    std::string line;
    m_crlf = false;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
            m_crlf = true;
        }
        lines.push_back(line);
    }
    return lines;
}

void TIniFile::WriteLines(const std::vector<std::string> &lines) const
{
    const std::string folder = ExtractFilePath(m_fileName);
    if (!folder.empty()) {
        ForceDirectories(folder);
    }
    std::string text;
    for (const std::string &line : lines) {
        text += line;
        text += m_crlf ? "\r\n" : "\n";
    }
    try {
        ReplaceFileDurably(m_fileName, text);
    } catch (const std::system_error &error) {
        throw std::runtime_error("Cannot write settings file " + m_fileName + " (" +
                                 error.code().message() + ")");
    }
}

std::string TIniFile::ReadString(std::string_view section, std::string_view key,
                                 std::string_view def) const
{
    const std::vector<std::string> lines = ReadLines();
    const auto range = FindSection(lines, section);
    if (!range) {
        return std::string(def);
    }
    const auto index = FindKey(lines, *range, key);
    return index ? ValueOf(lines[*index]) : std::string(def);
}

int32_t TIniFile::ReadInteger(std::string_view section, std::string_view key, int32_t def) const
{
    return StrToIntDef(ReadString(section, key, ""), def);
}

bool TIniFile::ReadBool(std::string_view section, std::string_view key, bool def) const
{
    const std::string value = ReadString(section, key, "");
    if (SameText(value, "true") || SameText(value, "yes")) {
        return true;
    }
    if (SameText(value, "false") || SameText(value, "no")) {
        return false;
    }
    return StrToIntDef(value, def ? 1 : 0) != 0;
}

namespace {

void SetValue(std::vector<std::string> &lines, std::string_view section, std::string_view key,
              std::string_view value)
{
    const auto range = FindSection(lines, section);
    if (!range) {
        if (!lines.empty() && !Trim(lines.back()).empty()) {
            lines.emplace_back();
        }
        lines.push_back("[" + std::string(section) + "]");
        lines.push_back(std::string(key) + "=" + std::string(value));
    } else if (const auto index = FindKey(lines, *range, key)) {
        lines[*index] = *KeyName(lines[*index]) + "=" + std::string(value);
    } else {
        // After the section's last non-blank line, so blank separators stay between sections.
        size_t insertAt = range->end;
        while (insertAt > range->header + 1 && Trim(lines[insertAt - 1]).empty()) {
            --insertAt;
        }
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(insertAt),
                     std::string(key) + "=" + std::string(value));
    }
}

} // namespace

void TIniFile::WriteString(std::string_view section, std::string_view key, std::string_view value)
{
    std::vector<std::string> lines = ReadLines();
    SetValue(lines, section, key, value);
    WriteLines(lines);
}

void TIniFile::WriteStrings(std::string_view section,
                            const std::vector<std::pair<std::string, std::string>> &values)
{
    std::vector<std::string> lines = ReadLines();
    for (const auto &[key, value] : values) {
        SetValue(lines, section, key, value);
    }
    WriteLines(lines);
}

void TIniFile::WriteInteger(std::string_view section, std::string_view key, int32_t value)
{
    WriteString(section, key, IntText(value));
}

void TIniFile::WriteBool(std::string_view section, std::string_view key, bool value)
{
    WriteString(section, key, value ? "1" : "0");
}

std::string ProgramSettingsFile(std::string_view programName)
{
    const std::string name = std::string(programName) + ".ini";
    const std::string beside = ResolveFileName(ProgramFolder() + name);
    const std::string userCopy = SettingsFolder() + "program/" + name;
    if (FileExists(userCopy)) {
        return userCopy;
    }
    if (CanWriteFile(beside)) {
        return beside;
    }
    std::string text;
    if (FileExists(beside) && !ReadFileBytes(beside, text)) {
        return beside;
    }
    try {
        ForceDirectories(ExtractFilePath(userCopy));
        ReplaceFileDurably(userCopy, text);
        return userCopy;
    } catch (const std::exception &) {
        return beside;
    }
}
