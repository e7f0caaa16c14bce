// LibreOffice run headless as a document converter.

#include "export/LibreOffice.h"

#include "core/Paths.h"
#include "core/Text.h"
#include "export/DocxDocument.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <spawn.h>
#include <sstream>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace fs = std::filesystem;

namespace {

std::string EnvironmentText(const char *name)
{
    const char *value = std::getenv(name);
    return value ? value : "";
}

bool Executable(const std::string &path)
{
    struct stat info
    { };
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
        ::access(path.c_str(), X_OK) == 0;
}

std::string ProfileFolder()
{
    std::string folder = EnvironmentText("VEREDIVO_OFFICE_PROFILE");
    if (folder.empty()) {
        std::string cache = EnvironmentText("XDG_CACHE_HOME");
        if (cache.empty()) {
            cache = IncludeTrailingSlash(EnvironmentText("HOME")) + ".cache";
        }
        folder = IncludeTrailingSlash(cache) + "veredivo/office-profile";
    }
    return folder;
}

// "file://" address of a folder, with the characters a URL cannot hold escaped.
std::string FileUrl(const std::string &path)
{
    std::string url = "file://";
    for (const char c : fs::absolute(path).string()) {
        const auto byte = static_cast<unsigned char>(c);
        if (std::isalnum(byte) || std::strchr("/-_.~", c)) {
            url += c;
        } else {
            char escaped[4];
            std::snprintf(escaped, sizeof escaped, "%%%02X", byte);
            url += escaped;
        }
    }
    return url;
}

std::string ReadText(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return Trim(text.str());
}

// Holds the profile's lock file locked while a conversion runs: two LibreOffice processes on one
// profile would hand their work to each other.
class TProfileLock
{
public:
    explicit TProfileLock(const std::string &profile)
    {
        ForceDirectories(ExtractFilePath(profile));
        m_descriptor = ::open((profile + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (m_descriptor >= 0) {
            while (::flock(m_descriptor, LOCK_EX) != 0 && errno == EINTR) { }
        }
    }
    ~TProfileLock()
    {
        if (m_descriptor >= 0) {
            ::close(m_descriptor);
        }
    }
    TProfileLock(const TProfileLock &) = delete;
    TProfileLock &operator=(const TProfileLock &) = delete;

private:
    int m_descriptor = -1;
};

} // namespace

std::string FindLibreOffice()
{
    const std::string given = EnvironmentText("VEREDIVO_SOFFICE");
    if (!given.empty()) {
        return Executable(given) ? given : std::string();
    }
    std::istringstream folders(EnvironmentText("PATH"));
    std::string folder;
    while (std::getline(folders, folder, ':')) {
        if (!folder.empty() && Executable(IncludeTrailingSlash(folder) + "soffice")) {
            return IncludeTrailingSlash(folder) + "soffice";
        }
    }
    return {};
}

std::string LibreOfficeMissingMessage(const std::string &what)
{
    return what +
        " needs LibreOffice, which is not installed.  Install LibreOffice Writer "
        "(the Debian package libreoffice-writer-nogui) and try again.";
}

void ConvertWithLibreOffice(const std::string &input, const std::string &output, int timeoutSeconds)
{
    const std::string soffice = FindLibreOffice();
    if (soffice.empty()) {
        throw EDocumentError(LibreOfficeMissingMessage("Converting " + ExtractFileName(input)));
    }
    if (!FileExists(input)) {
        throw EDocumentError("The document " + input + " does not exist.");
    }
    std::string format = LowerCase(ExtractFileExt(output));
    if (format.size() < 2) {
        throw EDocumentError("The document " + output + " has no extension to name its format.");
    }
    format.erase(0, 1);

    std::string work = TempFolder() + "veredivo-convert-XXXXXX";
    if (!::mkdtemp(work.data())) {
        throw EDocumentError("No temporary folder for converting " + input + ": " +
                             std::strerror(errno));
    }
    const auto cleanUp = [&work] {
        std::error_code ignored;
        fs::remove_all(work, ignored);
    };
    const std::string profile = ProfileFolder();
    TProfileLock lock(profile);

    std::vector<std::string> arguments = {
        soffice,        "-env:UserInstallation=" + FileUrl(profile),
        "--headless",   "--norestore",
        "--nologo",     "--nolockcheck",
        "--convert-to", format,
        "--outdir",     work,
        input};
    std::vector<char *> argv;
    for (std::string &argument : arguments) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);

    const std::string messages = work + "/messages.txt";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, messages.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    pid_t child = 0;
    const int spawned =
        posix_spawn(&child, soffice.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        cleanUp();
        throw EDocumentError("LibreOffice (" + soffice +
                             ") cannot be started: " + std::strerror(spawned));
    }

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutSeconds);
    int status = 0;
    for (;;) {
        const pid_t done = ::waitpid(child, &status, WNOHANG);
        if (done == child || (done < 0 && errno != EINTR)) {
            break;
        }
        if (std::chrono::steady_clock::now() > deadline) {
            ::kill(child, SIGKILL);
            ::waitpid(child, &status, 0);
            cleanUp();
            throw EDocumentError("LibreOffice did not finish converting " + input + " within " +
                                 std::to_string(timeoutSeconds) + " seconds.");
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }

    const std::string produced = work + "/" + ChangeFileExt(ExtractFileName(input), "." + format);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || !FileExists(produced)) {
        const std::string said = ReadText(messages);
        cleanUp();
        throw EDocumentError("LibreOffice could not convert " + input + " to " + format +
                             (said.empty() ? std::string(".") : ": " + said));
    }
    // Beside the target first, then renamed: the target is whole or absent.
    const std::string partial = output + ".part" + std::to_string(::getpid());
    std::error_code error;
    fs::copy_file(produced, partial, fs::copy_options::overwrite_existing, error);
    if (!error) {
        fs::rename(partial, output, error);
    }
    cleanUp();
    if (error) {
        fs::remove(partial, error);
        throw EDocumentError("The document " + output + " cannot be written: " + error.message());
    }
}

std::string FillableTemplate(const std::string &templatePath)
{
    const std::string path = ResolveFileName(templatePath);
    if (!FileExists(path)) {
        throw EDocumentError("The pool application template " + templatePath + " does not exist.");
    }
    if (!SameText(ExtractFileExt(path), ".doc")) {
        return path;
    }
    if (FindLibreOffice().empty()) {
        throw EDocumentError(LibreOfficeMissingMessage("The Office 2003 pool application (" +
                                                       ExtractFileName(path) + ")"));
    }
    struct stat info
    { };
    ::stat(path.c_str(), &info);
    const std::string folder =
        TempFolder() + "veredivo-templates-" + std::to_string(::getuid()) + "/";
    ForceDirectories(folder);
    const std::string converted = folder + ChangeFileExt(ExtractFileName(path), "") + "-" +
        std::to_string(info.st_size) + "-" + std::to_string(info.st_mtim.tv_sec) + "." +
        std::to_string(info.st_mtim.tv_nsec) + ".docx";
    if (!FileExists(converted)) {
        ConvertWithLibreOffice(path, converted);
    }
    return converted;
}
