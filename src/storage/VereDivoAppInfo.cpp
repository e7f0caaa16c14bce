#include "storage/VereDivoAppInfo.h"

#include "core/IniFile.h"
#include "core/Paths.h"
#include "core/Text.h"
#include "db/VereDivoDatabase.h"

#include <cerrno>
#include <limits>
#include <stdexcept>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

// Programs sharing a quote folder hold the folder's lock while they count, so no two of them
// hand out the same number (and their rewrites of the counter file do not cross). Where the
// file system cannot lock, counting goes on unlocked.
class TFolderLock
{
public:
    explicit TFolderLock(const std::string &folder)
        : m_fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC))
    {
        if (m_fd >= 0) {
            while (::flock(m_fd, LOCK_EX) != 0 && errno == EINTR) { }
        }
    }
    ~TFolderLock()
    {
        if (m_fd >= 0) {
            ::close(m_fd); // releases the lock
        }
    }
    TFolderLock(const TFolderLock &) = delete;
    TFolderLock &operator=(const TFolderLock &) = delete;

private:
    int m_fd;
};

std::string ProgramName()
{
    return ChangeFileExt(ExtractFileName(ProgramFile()), "");
}

// The folder a section of the folder settings names instead of `normal`, or `normal` when the
// section does not ask for one. A blank alternate path counts as missing.
std::string AlternateFolder(const TIniFile &settings, const std::string &programFolder,
                            const char *section, const char *useKey, const char *pathKey,
                            const std::string &normal, const std::string &fallback)
{
    if (!settings.ReadBool(section, useKey, false)) {
        return normal;
    }
    const std::string path = NativePath(Trim(settings.ReadString(section, pathKey, "")));
    if (path.empty()) {
        return fallback;
    }
    return IncludeTrailingSlash(path.front() == '/' ? path : programFolder + path);
}

} // namespace

TVereDivoAppInfo::TVereDivoAppInfo()
{
    ResolveFolders();
}

TVereDivoAppInfo::~TVereDivoAppInfo() = default;

void TVereDivoAppInfo::ResolveFolders()
{
    m_programFolder = ::ProgramFolder();
    m_settingsIni = SettingsFolder() + ProgramName() + ".ini";
    m_programSettingsFile = m_programFolder + ProgramName() + ".ini";

    const TIniFile settings(m_settingsIni);
    const std::string data = m_programFolder + "Data/";
    m_dataFolder = AlternateFolder(settings, m_programFolder, "DataPath", "UseAltDataPath",
                                   "AlternateDataPath", data, data);
    m_quoteFolder = AlternateFolder(settings, m_programFolder, "QuotePath", "UseAltQuotePath",
                                    "AlternateQuotePath", m_dataFolder, m_dataFolder);
    m_acordFolder =
        AlternateFolder(settings, m_programFolder, "ACORDPath", "UseAltACORDPath",
                        "AlternateACORDPath", m_programFolder + "ACORD/", m_quoteFolder);
}

void TVereDivoAppInfo::OpenData()
{
    const TIniFile about(m_dataFolder + "About.ini");
    m_activeState = Trim(about.ReadString("Detail", "Active_State", ""));
    m_database.reset();
    m_database = std::make_unique<TVereDivoDatabase>(m_dataFolder);
}

int32_t TVereDivoAppInfo::NextNumber(const char *key)
{
    const TFolderLock lock(m_quoteFolder);
    TIniFile info(m_quoteFolder + "datainfo.ini");
    const int32_t last = info.ReadInteger("General", key, 0);
    if (last == std::numeric_limits<int32_t>::max()) {
        throw std::runtime_error(std::string("No numbers are left for ") + key + " in " +
                                 info.FileName());
    }
    // A negative count would hand out numbers that mean "not stored yet".
    const int32_t next = last < 0 ? 1 : last + 1;
    info.WriteInteger("General", key, next);
    return next;
}

int32_t TVereDivoAppInfo::NextCustomerNumber()
{
    return NextNumber("LastCustID");
}

int32_t TVereDivoAppInfo::NextQuoteID()
{
    return NextNumber("LastQuoteID");
}
