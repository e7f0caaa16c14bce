#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// An ini file read and written the way the profile functions do it: every read looks at the
// file as it is now and returns the default when the key is missing; every write goes to disk
// at once. Sections and keys are found without regard to case; a key that exists keeps its
// spelling and position, and every other line of the file is kept as it was.
//
// A bare file name ("QORWC.ini") lives in the per-user settings folder (see SettingsFolder);
// any other name is used as given, looked up without regard to case in its folder.
class TIniFile
{
public:
    explicit TIniFile(std::string_view fileName);

    const std::string &FileName() const { return m_fileName; }

    std::string ReadString(std::string_view section, std::string_view key,
                           std::string_view def) const;
    // A value that is not a whole number gives the default.
    int32_t ReadInteger(std::string_view section, std::string_view key, int32_t def) const;
    // "1"/"0" as written by WriteBool; "true"/"false" and "yes"/"no" are understood too.
    bool ReadBool(std::string_view section, std::string_view key, bool def) const;

    // Raise std::runtime_error when the file cannot be written.
    void WriteString(std::string_view section, std::string_view key, std::string_view value);
    void WriteInteger(std::string_view section, std::string_view key, int32_t value);
    // Several keys of one section in one replacement of the file: all of them or none.
    void WriteStrings(std::string_view section,
                      const std::vector<std::pair<std::string, std::string>> &values);
    void WriteBool(std::string_view section, std::string_view key, bool value);

    // Where a bare name is kept: SettingsFolder() + name.
    static std::string PathFor(std::string_view fileName);

private:
    std::vector<std::string> ReadLines() const;
    void WriteLines(const std::vector<std::string> &lines) const;

    std::string m_fileName;
    // The line ending of the file as last read, kept when it is written back.
    mutable bool m_crlf = false;
};

// The settings file that goes with the program: `programName` + ".ini" beside it. A program
// installed in a folder the user cannot write (under /usr or /opt) keeps the user's copy,
// SettingsFolder() + "program/" + the same name, instead: made from the file beside the program
// the first time, read and written from then on. Without a settings folder either, the file
// beside the program is read and a save says why it cannot be written.
std::string ProgramSettingsFile(std::string_view programName);
