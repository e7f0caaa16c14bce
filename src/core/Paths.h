#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Folders and file names. Folders are always returned with a trailing "/".

// The folder of the running executable. Tools and tests may point it elsewhere with
// SetProgramFolder (an empty text returns to the executable's folder).
std::string ProgramFolder();
void SetProgramFolder(std::string_view folder);
// The full path of the running executable.
std::string ProgramFile();

// Where ini files given with a bare name live: $VEREDIVO_SETTINGS_DIR when set, else
// $XDG_CONFIG_HOME/veredivo/, else ~/.config/veredivo/. Not created here.
std::string SettingsFolder();
// The system temporary folder ($TMPDIR or /tmp/).
std::string TempFolder();
// $XDG_STATE_HOME/veredivo/ (default ~/.local/state/veredivo/); may not exist.
std::string StateFolder();

// Paths written with "\" in tables and settings read with "/".
std::string NativePath(std::string_view path);
std::string IncludeTrailingSlash(std::string_view folder);
std::string ExtractFilePath(std::string_view path); // with trailing "/", or empty
std::string ExtractFileName(std::string_view path);
std::string ExtractFileExt(std::string_view path); // with the dot, or empty
std::string ChangeFileExt(std::string_view path, std::string_view extension);
// A text made into part of a file name: folder separators and control characters become "-",
// leading dots go, at most 120 characters; `fallback` when nothing is left.
std::string FileNamePart(const std::string &text, const std::string &fallback);
// A name without any folder part ("QORWC.ini").
bool IsBareName(std::string_view path);

bool FileExists(const std::string &path);
bool DirectoryExists(const std::string &path);
// Whether files can be made in the folder (not in a program folder under /usr or /opt).
bool CanWriteIn(const std::string &folder);
// Whether the file can be written: the file itself when it exists, else its folder.
bool CanWriteFile(const std::string &path);
// Creates the folder and any missing parents; true when it exists afterwards.
bool ForceDirectories(const std::string &path);
int64_t FileSize(const std::string &path); // -1 when the file cannot be read
// The whole file's bytes into `bytes`; false (and `bytes` empty) when it cannot be opened or
// read to its end.
bool ReadFileBytes(const std::string &path, std::string &bytes);

// The path of an existing file, looking the name up without regard to case inside its folder
// when the exact name is absent ("About.ini" finds "about.ini"). Without a match the path is
// returned as given.
std::string ResolveFileName(const std::string &path);

// The names (not paths) of the files in `folder` whose extension equals `extension`
// without regard to case, in name order.
std::vector<std::string> FilesWithExtension(const std::string &folder, std::string_view extension);
