#include "core/Paths.h"

#include "core/Text.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::string &ProgramFolderOverride()
{
    static std::string folder;
    return folder;
}

std::string EnvOr(const char *name, const std::string &fallback)
{
    const char *value = std::getenv(name);
    return value != nullptr && *value != '\0' ? std::string(value) : fallback;
}

std::string HomeFolder()
{
    return IncludeTrailingSlash(EnvOr("HOME", "/tmp"));
}

} // namespace

std::string ProgramFile()
{
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : exe.string();
}

std::string ProgramFolder()
{
    if (!ProgramFolderOverride().empty()) {
        return ProgramFolderOverride();
    }
    return ExtractFilePath(ProgramFile());
}

void SetProgramFolder(std::string_view folder)
{
    ProgramFolderOverride() = folder.empty() ? std::string() : IncludeTrailingSlash(folder);
}

std::string SettingsFolder()
{
    if (const char *dir = std::getenv("VEREDIVO_SETTINGS_DIR"); dir != nullptr && *dir != '\0') {
        return IncludeTrailingSlash(dir);
    }
    const std::string config = EnvOr("XDG_CONFIG_HOME", HomeFolder() + ".config");
    return IncludeTrailingSlash(config) + "veredivo/";
}

std::string TempFolder()
{
    return IncludeTrailingSlash(EnvOr("TMPDIR", "/tmp"));
}

std::string StateFolder()
{
    const std::string state = EnvOr("XDG_STATE_HOME", HomeFolder() + ".local/state");
    return IncludeTrailingSlash(state) + "veredivo/";
}

std::string NativePath(std::string_view path)
{
    std::string result(path);
    std::replace(result.begin(), result.end(), '\\', '/');
    return result;
}

std::string IncludeTrailingSlash(std::string_view folder)
{
    std::string result(folder);
    if (result.empty() || result.back() != '/') {
        result += '/';
    }
    return result;
}

std::string ExtractFilePath(std::string_view path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? std::string() : std::string(path.substr(0, slash + 1));
}

std::string ExtractFileName(std::string_view path)
{
    const size_t slash = path.rfind('/');
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string ExtractFileExt(std::string_view path)
{
    const std::string name = ExtractFileName(path);
    const size_t dot = name.rfind('.');
    return dot == std::string::npos ? std::string() : name.substr(dot);
}

std::string ChangeFileExt(std::string_view path, std::string_view extension)
{
    const std::string ext = ExtractFileExt(path);
    std::string result(path.substr(0, path.size() - ext.size()));
    result += extension;
    return result;
}

std::string FileNamePart(const std::string &text, const std::string &fallback)
{
    std::string out;
    for (const char c : Trim(text)) {
        const auto byte = static_cast<unsigned char>(c);
        out += (c == '/' || c == '\\' || byte < 0x20) ? '-' : c;
    }
    while (!out.empty() && out.front() == '.') {
        out.erase(0, 1);
    }
    if (out.size() > 120) {
        out.resize(120);
    }
    out = Trim(out);
    return out.empty() ? fallback : out;
}

bool IsBareName(std::string_view path)
{
    return path.find('/') == std::string_view::npos && path.find('\\') == std::string_view::npos;
}

bool FileExists(const std::string &path)
{
    std::error_code ec;
    return fs::is_regular_file(path, ec);
}

bool ReadFileBytes(const std::string &path, std::string &bytes)
{
    bytes.clear();
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return false;
    }
    // Read in chunks rather than by the size asked for first: the file may be a pipe or grow.
    char chunk[65536];
    while (in.read(chunk, sizeof chunk) || in.gcount() > 0) {
        bytes.append(chunk, static_cast<size_t>(in.gcount()));
    }
    if (in.bad()) {
        bytes.clear();
        return false;
    }
    return true;
}

bool DirectoryExists(const std::string &path)
{
    std::error_code ec;
    return fs::is_directory(path, ec);
}

bool CanWriteIn(const std::string &folder)
{
    return !folder.empty() && access(folder.c_str(), W_OK | X_OK) == 0;
}

bool CanWriteFile(const std::string &path)
{
    return FileExists(path) ? access(path.c_str(), W_OK) == 0 : CanWriteIn(ExtractFilePath(path));
}

bool ForceDirectories(const std::string &path)
{
    std::error_code ec;
    fs::create_directories(path, ec);
    return DirectoryExists(path);
}

int64_t FileSize(const std::string &path)
{
    std::error_code ec;
    const auto size = fs::file_size(path, ec);
    return ec ? -1 : static_cast<int64_t>(size);
}

std::string ResolveFileName(const std::string &path)
{
    if (FileExists(path)) {
        return path;
    }
    const std::string folder = ExtractFilePath(path);
    const std::string name = ExtractFileName(path);
    std::error_code ec;
    for (fs::directory_iterator it(folder.empty() ? "." : folder, ec), end; !ec && it != end;
         it.increment(ec)) {
        const std::string candidate = it->path().filename().string();
        if (SameText(candidate, name) && it->is_regular_file(ec)) {
            return folder + candidate;
        }
    }
    return path;
}

std::vector<std::string> FilesWithExtension(const std::string &folder, std::string_view extension)
{
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(folder.empty() ? "." : folder, ec), end; !ec && it != end;
         it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (it->is_regular_file(ec) && SameText(ExtractFileExt(name), extension)) {
            names.push_back(name);
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}
