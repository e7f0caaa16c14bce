#include "storage/VereDivoAppInfo.h"

#include "core/IniFile.h"
#include "core/Paths.h"
#include "core/Text.h"
#include "db/CBJournal.h"
#include "db/VereDivoDatabase.h"
#include "rating/QuoteApplication.h"
#include "rating/RateBook.h"
#include "rating/VereDivoQuote.h"
#include "storage/VereDivoCustDBO.h"
#include "storage/VereDivoQuoteDBInterface.h"

#include <algorithm>
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

namespace {

// What a quote needs of the program, answered by the application information object.
class TAppQuoteApplication final : public TQuoteApplication
{
public:
    explicit TAppQuoteApplication(TVereDivoAppInfo &info) : m_info(info) { }

    std::string ProgramFolder() const override { return m_info.ProgramFolder(); }
    std::string DataFolder() const override { return m_info.DataFolder(); }
    std::string AcordFolder() const override { return m_info.ACORDFolder(); }
    TVereDivoDatabase &Database() override { return m_info.Tables(); }
    void Log(const std::string &line) override { m_info.LogLine(line); }
    bool SaveQuote(TVereDivoQuote &quote) override { return m_info.QuoteDB().SaveQuote(quote); }
    int32_t StoredPlan(int32_t quoteId, int32_t def) override
    {
        return m_info.QuoteDB().CustDBO().GetPlan(quoteId, def);
    }
    void LoadCustomer(TVereDivoQuote &quote) override
    {
        // A quote opened from the listing knows its customer from its header.
        if (quote.Customer().CustomerNumber() <= 0) {
            quote.Customer().SetCustomerNumber(quote.QuoteInfo().CustomerNumber());
        }
        m_info.QuoteDB().CustDBO().LoadCustomer(quote.Customer());
    }
    TAgencyAddress Agency() const override { return m_info.Agency(); }

private:
    TVereDivoAppInfo &m_info;
};

} // namespace

TVereDivoAppInfo::TVereDivoAppInfo(const std::string &programName)
    : m_quoteDB(std::make_unique<TVereDivoQuoteDBInterface>(*this)),
      m_quoteApplication(std::make_unique<TAppQuoteApplication>(*this))
{
    ResolveFolders(programName.empty() ? ProgramName() : programName);
}

TVereDivoAppInfo::~TVereDivoAppInfo() = default;

void TVereDivoAppInfo::ResolveFolders(const std::string &programName)
{
    m_programFolder = ::ProgramFolder();
    m_settingsIni = SettingsFolder() + programName + ".ini";
    m_programSettingsFile = ::ProgramSettingsFile(programName);

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
    m_quoteDB->ReleaseCustDBO();
    m_database.reset();
    m_database = std::make_unique<TVereDivoDatabase>(m_dataFolder);
}

TVereDivoDatabase &TVereDivoAppInfo::Tables() const
{
    if (!m_database) {
        throw ECBDBError("The tables of the data folder " + m_dataFolder + " are not open.");
    }
    return *m_database;
}

void TVereDivoAppInfo::SetAgencySource(std::function<TAgencyAddress()> source)
{
    m_agencySource = std::move(source);
}

TAgencyAddress TVereDivoAppInfo::Agency() const
{
    return m_agencySource ? m_agencySource() : TAgencyAddress {};
}

void TVereDivoAppInfo::FillBrokerAndStateLists(TChoiceList &brokers, TChoiceList &states) const
{
    TVereDivoDatabase &tables = Tables();
    ::FillBrokerAndStateLists(tables.Brokers(), tables.Plans(), brokers, states);
}

void TVereDivoAppInfo::PackAndReindexData()
{
    const bool wasOpen = m_database != nullptr;
    std::unique_ptr<TCBDatabase> scratch;
    TCBDatabase *database = m_database.get();
    if (wasOpen) {
        m_database->CloseAll();
    } else {
        scratch = std::make_unique<TCBDatabase>();
        database = scratch.get();
    }
    std::exception_ptr failure;
    try {
        // What a program died saving is completed before the counts are repaired.
        RecoverTableJournal(m_quoteFolder);
        FixRecordCounts(m_quoteFolder);
        PackFolder(m_quoteFolder, *database);
        if (m_dataFolder != m_quoteFolder) {
            RebuildBrokenIndexes(m_dataFolder, *database);
        }
    } catch (...) {
        failure = std::current_exception();
    }
    scratch.reset();
    try {
        if (wasOpen) {
            m_database->OpenAll();
        } else {
            OpenData();
        }
    } catch (...) {
        if (!failure) {
            failure = std::current_exception();
        }
    }
    if (failure) {
        std::rethrow_exception(failure);
    }
}

int32_t TVereDivoAppInfo::PendingNumber(const char *key, int32_t above) const
{
    const TIniFile info(m_quoteFolder + "datainfo.ini");
    const int32_t last = std::max(info.ReadInteger("General", key, 0), above);
    if (last == std::numeric_limits<int32_t>::max()) {
        throw std::runtime_error(std::string("No numbers are left for ") + key + " in " +
                                 info.FileName());
    }
    // A negative count would hand out numbers that mean "not stored yet".
    return last < 0 ? 1 : last + 1;
}

int32_t TVereDivoAppInfo::NextNumber(const char *key, int32_t above)
{
    const TFolderLock lock(m_quoteFolder);
    const int32_t next = PendingNumber(key, above);
    TIniFile(m_quoteFolder + "datainfo.ini").WriteInteger("General", key, next);
    return next;
}

void TVereDivoAppInfo::CountNumbers(int32_t customerNumber, int32_t quoteID)
{
    if (customerNumber <= 0 && quoteID <= 0) {
        return;
    }
    const TFolderLock lock(m_quoteFolder);
    TIniFile info(m_quoteFolder + "datainfo.ini");
    // Both counters in one write, so a kill never counts one without the other.
    std::vector<std::pair<std::string, std::string>> counted;
    for (const auto &[key, number] :
         {std::pair {"LastCustID", customerNumber}, std::pair {"LastQuoteID", quoteID}}) {
        if (number > 0 && number > info.ReadInteger("General", key, 0)) {
            counted.emplace_back(key, IntText(number));
        }
    }
    if (!counted.empty()) {
        info.WriteStrings("General", counted);
    }
}

int32_t TVereDivoAppInfo::PendingCustomerNumber(int32_t above) const
{
    return PendingNumber("LastCustID", above);
}

int32_t TVereDivoAppInfo::PendingQuoteID(int32_t above) const
{
    return PendingNumber("LastQuoteID", above);
}

int32_t TVereDivoAppInfo::NextCustomerNumber(int32_t above)
{
    return NextNumber("LastCustID", above);
}

int32_t TVereDivoAppInfo::NextQuoteID(int32_t above)
{
    return NextNumber("LastQuoteID", above);
}
