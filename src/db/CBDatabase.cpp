#include "db/CBDatabase.h"

#include "core/AppInfo.h"
#include "core/Check.h"
#include "core/Paths.h"
#include "core/Text.h"

#include "db/CBJournal.h"
#include "db/KnownTags.h"
#include "dbase/Context.h"
#include "dbase/Table.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <utility>

namespace {

constexpr size_t kMaxFileName = 256;

std::string FileWithoutExtension(const std::string &name)
{
    const size_t dot = name.find_last_of('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

void LogCloseFailure(const TCBTable &table, const std::exception &error)
{
    AppLogLine("CBDatabase - Close Table - " + table.Folder() + table.TableName() + " - " +
               error.what());
}

// Whether the table itself opens (its production index left closed).
bool TableOpensWithoutIndex(const std::string &path, dbase::Context &context)
{
    const bool autoOpen = context.AutoOpen();
    context.SetAutoOpen(false);
    bool tableOpens = false;
    try {
        dbase::Table::Open(context, path);
        tableOpens = true;
    } catch (const dbase::Error &) {
        context.TakeErrorCode();
    }
    context.SetAutoOpen(autoOpen);
    return tableOpens;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// TCBTable

TCBTable::TCBTable(TCBDatabase &database, TTableHolder &holder)
    : m_database(database), m_holder(holder)
{ }

TCBTable::~TCBTable() = default;

void TCBTable::RequireActive() const
{
    if (!Active()) {
        throw ECBDBError("Table " + m_folder + m_tableName + " is not open.");
    }
}

void TCBTable::RaiseEngineError(const std::exception &error) const
{
    m_database.ErrorCode(); // taken by this exception
    throw ECBDBError(error.what(), error.what());
}

void TCBTable::Open()
{
    if (Active()) {
        return;
    }
    const std::string name = m_folder + m_tableName;
    try {
        if (name.size() > kMaxFileName) {
            dbase::Raise(&m_database.Handle(), dbase::Failure::FileName,
                         "table names longer than 256 characters are not supported");
        }
        m_handle = dbase::Table::Open(m_database.Handle(), ResolveFileName(name));
        if (const auto *known = KnownIndexTags(m_tableName)) {
            m_handle->SetKnownTags(*known);
        }
    } catch (const dbase::Error &error) {
        throw ECBDBError("Error opening table " + m_folder + m_tableName +
                             " - error code: " + std::to_string(m_database.ErrorCode()),
                         error.what());
    }
}

void TCBTable::Close()
{
    if (!Active()) {
        return;
    }
    std::unique_ptr<dbase::Table> table = std::move(m_handle);
    try {
        table->Close();
    } catch (const dbase::Error &error) {
        RaiseEngineError(error);
    }
}

void TCBTable::Pack()
{
    if (!Active()) {
        return;
    }
    BeginMaintenance();
    try {
        m_handle->Pack();
    } catch (const dbase::Error &error) {
        const std::string message = error.what();
        m_database.ErrorCode();
        EndMaintenance();
        throw ECBDBError(message, message);
    }
    EndMaintenance();
}

void TCBTable::Zap()
{
    RequireActive();
    try {
        m_handle->Zap(1, m_handle->RecordCount());
        m_handle->Top();
    } catch (const dbase::Error &error) {
        RaiseEngineError(error);
    }
}

void TCBTable::Flush()
{
    RequireActive();
    try {
        m_handle->Flush();
    } catch (const dbase::Error &error) {
        RaiseEngineError(error);
    }
}

void TCBTable::First()
{
    RequireActive();
    try {
        m_handle->Top();
    } catch (const dbase::Error &error) {
        RaiseEngineError(error);
    }
}

void TCBTable::Next()
{
    RequireActive();
    try {
        m_handle->Skip(1);
    } catch (const dbase::Error &error) {
        RaiseEngineError(error);
    }
}

bool TCBTable::Eof() const
{
    RequireActive();
    return m_handle->Eof();
}

int32_t TCBTable::RecordCount() const
{
    RequireActive();
    try {
        return static_cast<int32_t>(m_handle->RecordCount());
    } catch (const dbase::Error &error) {
        RaiseEngineError(error);
    }
}

bool TCBTable::IsEmpty() const
{
    return RecordCount() == 0;
}

bool TCBTable::AppendBlank()
{
    RequireActive();
    try {
        m_handle->AppendBlank();
        return true;
    } catch (const dbase::Error &) {
        // The error code stays for the caller (and stops field writes on the wrong record).
        return false;
    }
}

void TCBTable::Delete()
{
    RequireActive();
    try {
        m_handle->Delete();
    } catch (const dbase::Error &error) {
        RaiseEngineError(error);
    }
}

void TCBTable::Recall()
{
    RequireActive();
    try {
        m_handle->Recall();
    } catch (const dbase::Error &error) {
        RaiseEngineError(error);
    }
}

bool TCBTable::Deleted() const
{
    RequireActive();
    return m_handle->Deleted();
}

void TCBTable::TagByName(const std::string &tagName) const
{
    RequireActive();
    if (m_handle->FindTag(tagName) == nullptr) {
        throw ECBDBError("Tag \"" + tagName + "\" not found in table " + m_folder + m_tableName +
                         ".");
    }
}

void TCBTable::SelectTag(const std::string &tagName)
{
    RequireActive();
    if (tagName.empty()) {
        m_handle->SelectTag(nullptr);
        return;
    }
    TagByName(tagName);
    try {
        m_handle->SelectTag(m_handle->FindTag(tagName));
    } catch (const dbase::Error &error) {
        RaiseEngineError(error);
    }
}

std::string TCBTable::SelectedTag() const
{
    const dbase::Tag *tag = Active() ? m_handle->SelectedTag() : nullptr;
    return tag == nullptr ? std::string() : tag->Name();
}

bool TCBTable::Seek(const std::string &key, const std::string &tagName)
{
    RequireActive();
    if (!tagName.empty()) {
        SelectTag(tagName);
    }
    try {
        return m_handle->Seek(key) == dbase::SeekResult::Found;
    } catch (const dbase::Error &error) {
        RaiseEngineError(error);
    }
}

bool TCBTable::SeekNext(const std::string &key)
{
    RequireActive();
    try {
        return m_handle->SeekNext(key) == dbase::SeekResult::Found;
    } catch (const dbase::Error &error) {
        RaiseEngineError(error);
    }
}

// ---------------------------------------------------------------------------------------------
// TCBTable fields: every operation ends with the check of the engine's error code.

void TCBTable::CheckFieldError(const std::string &field, bool reading,
                               const std::string &detail) const
{
    const int32_t code = m_database.ErrorCode();
    if (code < 0) {
        throw ECBDBError(std::string("Error ") + (reading ? "reading" : "writing") + " field " +
                             field + " in table " + m_tableName + "\r\n" + "\r\n" +
                             "Codebase Error Code = " + std::to_string(code),
                         detail);
    }
}

template<typename Op>
auto TCBTable::ReadField(const std::string &field, Op op) const
{
    RequireActive();
    decltype(op(std::declval<const dbase::Field &>())) value {};
    std::string detail;
    const dbase::Field *f = m_handle->FindField(field);
    try {
        if (f == nullptr) {
            m_handle->FieldByName(field); // raises, leaving the engine's code
        } else {
            value = op(*f);
        }
    } catch (const dbase::Error &error) {
        detail = error.what();
    }
    CheckFieldError(field, true, detail);
    return value;
}

template<typename Op>
void TCBTable::WriteField(const std::string &field, Op op)
{
    RequireActive();
    std::string detail;
    try {
        op(m_handle->FieldByName(field));
    } catch (const dbase::Error &error) {
        detail = error.what();
    }
    CheckFieldError(field, false, detail);
}

namespace {

int32_t WholeNumber(dbase::Context &context, const dbase::Field &field, double value)
{
    if (!(value > -2147483649.0 && value < 2147483648.0)) {
        dbase::Raise(&context, dbase::Failure::FieldWidth,
                     "field " + field.name + " holds a number beyond 32 bits");
    }
    return static_cast<int32_t>(std::trunc(value));
}

} // namespace

std::string TCBTable::GetString(const std::string &field) const
{
    RequireActive();
    if (m_handle->FindField(field) == nullptr) {
        throw ECBDBError("Field \"" + field + "\" not found in " + m_tableName + ".");
    }
    return ReadField(field, [&](const dbase::Field &f) { return m_handle->GetText(f); });
}

int32_t TCBTable::GetInteger(const std::string &field) const
{
    return ReadField(field, [&](const dbase::Field &f) {
        return WholeNumber(m_database.Handle(), f, m_handle->GetNumber(f));
    });
}

int32_t TCBTable::GetLong(const std::string &field) const
{
    return GetInteger(field);
}

double TCBTable::GetDouble(const std::string &field) const
{
    return ReadField(field, [&](const dbase::Field &f) { return m_handle->GetNumber(f); });
}

bool TCBTable::GetBoolean(const std::string &field) const
{
    return ReadField(field, [&](const dbase::Field &f) { return m_handle->GetLogical(f); });
}

std::string TCBTable::GetDateString(const std::string &field) const
{
    const std::string stored =
        ReadField(field, [&](const dbase::Field &f) { return std::string(m_handle->Raw(f)); });
    if (Trim(stored).empty()) {
        return {};
    }
    // The picture MM/DD/CCYY over the stored CCYYMMDD.
    const std::string digits = PadRight(stored, 8);
    return digits.substr(4, 2) + "/" + digits.substr(6, 2) + "/" + digits.substr(0, 4);
}

TDateTime TCBTable::GetDate(const std::string &field) const
{
    const std::string stored =
        ReadField(field, [&](const dbase::Field &f) { return std::string(m_handle->Raw(f)); });
    return StorageToDate(stored);
}

void TCBTable::SetString(const std::string &field, const std::string &text)
{
    WriteField(field, [&](const dbase::Field &f) { m_handle->SetText(f, text); });
}

void TCBTable::SetInteger(const std::string &field, int32_t value)
{
    WriteField(field, [&](const dbase::Field &f) { m_handle->SetNumber(f, value); });
}

void TCBTable::SetLong(const std::string &field, int32_t value)
{
    SetInteger(field, value);
}

void TCBTable::SetDouble(const std::string &field, double value)
{
    WriteField(field, [&](const dbase::Field &f) { m_handle->SetNumber(f, value); });
}

void TCBTable::SetBoolean(const std::string &field, bool value)
{
    WriteField(field, [&](const dbase::Field &f) { m_handle->SetLogical(f, value); });
}

void TCBTable::SetDate(const std::string &field, TDateTime date)
{
    WriteField(field, [&](const dbase::Field &f) {
        const std::string stored = DateToStorage(date);
        if (stored.size() != 8) {
            dbase::Raise(&m_database.Handle(), dbase::Failure::FieldType,
                         "field " + f.name + ": the date lies outside the years 1 to 9999");
        }
        m_handle->SetText(f, stored);
    });
}

// ---------------------------------------------------------------------------------------------
// TCBTable maintenance

void TCBTable::BeginMaintenance()
{
    m_savedAccessMode = m_database.GetAccessMode();
    m_savedActive = Active();
    Close();
    m_database.SetAccessMode(1);
    try {
        Open();
    } catch (...) {
        // Someone else has the table: back to how it was, so later opens are not exclusive.
        m_database.SetAccessMode(static_cast<int16_t>(m_savedAccessMode));
        if (m_savedActive) {
            try {
                Open();
            } catch (const ECBDBError &) {
                // The first failure is the one to report.
            }
        }
        throw;
    }
}

void TCBTable::EndMaintenance()
{
    Close();
    m_database.SetAccessMode(static_cast<int16_t>(m_savedAccessMode));
    if (m_savedActive) {
        Open();
        First();
    }
}

void TCBTable::ResetIndex()
{
    const bool wasActive = Active();
    if (wasActive) {
        Close();
    }
    const std::string index =
        ResolveFileName(m_folder + FileWithoutExtension(m_tableName) + ".mdx");
    if (FileExists(index)) {
        std::error_code ignored;
        std::filesystem::remove(index, ignored);
    }
    // The modes end at shared and auto-open, also when something below fails.
    struct Restore
    {
        TCBDatabase &database;
        ~Restore()
        {
            database.SetAccessMode(0);
            database.SetAutoOpen(true);
        }
    } restore {m_database};
    m_database.SetAccessMode(1);
    m_database.SetAutoOpen(false);
    Open();
    try {
        m_handle->CreateIndex({});
    } catch (const dbase::Error &error) {
        const std::string message = error.what();
        m_database.ErrorCode();
        Close();
        throw ECBDBError(message, message);
    }
    Close();
    m_database.SetAccessMode(0);
    m_database.SetAutoOpen(true);
    if (wasActive) {
        Open();
    }
    Open();
}

void TCBTable::RebuildIndex()
{
    const bool wasActive = Active();
    Close();
    const int16_t mode = m_database.GetAccessMode();
    m_database.SetAccessMode(1);
    try {
        const std::string name = ResolveFileName(m_folder + m_tableName);
        const auto *known = KnownIndexTags(m_tableName);
        auto table = dbase::Table::OpenForRepair(m_database.Handle(), name,
                                                 known ? *known : std::vector<dbase::TagSpec> {});
        table->Reindex();
        table->Close();
    } catch (const dbase::Error &error) {
        const std::string message = error.what();
        m_database.ErrorCode();
        m_database.SetAccessMode(mode);
        throw ECBDBError("The index of table " + m_folder + m_tableName +
                             " cannot be rebuilt: " + message,
                         message);
    }
    m_database.SetAccessMode(mode);
    if (wasActive) {
        Open();
    }
}

// ---------------------------------------------------------------------------------------------
// TTableHolder

TTableHolder::TTableHolder(TCBDatabase &database)
    : m_database(database), m_table(std::make_unique<TCBTable>(database, *this))
{ }

TTableHolder::~TTableHolder()
{
    try {
        m_table->Close();
    } catch (const std::exception &error) {
        // Nothing can be told from a destructor; what was written stays written.
        LogCloseFailure(*m_table, error);
    }
}

// ---------------------------------------------------------------------------------------------
// TCBDatabase

TCBDatabase::TCBDatabase() : m_handle(std::make_unique<dbase::Context>())
{
    m_handle->SetSingleOpen(false);
    m_handle->SetLockAttempts(5);
    m_initialized = true;
}

TCBDatabase::~TCBDatabase()
{
    m_tables.clear();
    if (m_initialized) {
        m_handle.reset();
    }
}

void TCBDatabase::Initialize()
{
    if (m_registered) {
        throw std::logic_error("the tables of a database are registered once");
    }
    m_registered = true;
    RegisterTables();
}

TCBTable &TCBDatabase::AddTable(const std::string &tableName, const std::string &folder, bool open,
                                int32_t *tableID)
{
    if (!FileExists(ResolveFileName(folder + tableName))) {
        throw ECBDBError("Cannot add table to database that does not exist\r\nTable, " + folder +
                         tableName + ", not found.");
    }
    auto holder = std::make_unique<TTableHolder>(*this);
    TCBTable &table = holder->Table();
    table.m_tableName = tableName;
    table.m_folder = folder;
    table.m_tableID = ++m_lastTableID;
    if (tableID != nullptr) {
        *tableID = table.m_tableID;
    }
    m_tables.push_back(std::move(holder));
    if (open) {
        table.Open();
    }
    return table;
}

void TCBDatabase::RemoveTable(int32_t tableID)
{
    const auto it = std::lower_bound(m_tables.begin(), m_tables.end(), tableID,
                                     [](const std::unique_ptr<TTableHolder> &h, int32_t id) {
                                         return h->Table().TableID() < id;
                                     });
    if (it == m_tables.end() || (*it)->Table().TableID() != tableID) {
        return;
    }
    std::unique_ptr<TTableHolder> holder = std::move(*it);
    m_tables.erase(it);
    holder->Table().Close();
}

TTableHolder *TCBDatabase::FindTable(int32_t tableID) const
{
    const auto it = std::lower_bound(m_tables.begin(), m_tables.end(), tableID,
                                     [](const std::unique_ptr<TTableHolder> &h, int32_t id) {
                                         return h->Table().TableID() < id;
                                     });
    return it != m_tables.end() && (*it)->Table().TableID() == tableID ? it->get() : nullptr;
}

void TCBDatabase::OpenAll()
{
    for (const auto &holder : m_tables) {
        holder->Table().Open();
    }
}

void TCBDatabase::CloseAll()
{
    for (const auto &holder : m_tables) {
        holder->Table().Close();
    }
}

void TCBDatabase::PackAll()
{
    for (const auto &holder : m_tables) {
        TCBTable &table = holder->Table();
        if (!FileExists(ResolveFileName(table.Folder() + table.TableName()))) {
            continue;
        }
        const bool opened = !table.Active();
        table.Open();
        try {
            table.Handle()->Pack();
            table.Handle()->Top();
        } catch (const dbase::Error &error) {
            const std::string message = error.what();
            ErrorCode();
            if (opened) {
                table.Close();
            }
            throw ECBDBError(message, message);
        }
        if (opened) {
            table.Close();
        }
    }
}

void TCBDatabase::CopyTablesTo(const std::string &destination)
{
    for (const auto &holder : m_tables) {
        TCBTable &table = holder->Table();
        if (table.Active()) {
            table.Flush();
        }
        CopyTableFiles(table.Folder(), FileWithoutExtension(table.TableName()), destination);
    }
}

void CopyTableFiles(const std::string &folder, const std::string &baseName,
                    const std::string &destination)
{
    for (const char *extension : {".dbf", ".mdx", ".dbt"}) {
        const std::string source = ResolveFileName(folder + baseName + extension);
        if (!FileExists(source)) {
            continue;
        }
        // The copy keeps the name's spelling, so the table opens there as it does here.
        const std::string target = destination + ExtractFileName(source);
        std::error_code error;
        std::filesystem::copy_file(source, target,
                                   std::filesystem::copy_options::overwrite_existing, error);
        if (error) {
            throw ECBDBError("Cannot copy " + source + " to " + target + ": " + error.message());
        }
    }
}

int16_t TCBDatabase::GetAccessMode() const
{
    return static_cast<int16_t>(m_handle->Access());
}

void TCBDatabase::SetAccessMode(int16_t mode)
{
    m_handle->SetAccess(mode == 0 ? dbase::AccessMode::Shared : dbase::AccessMode::Exclusive);
}

void TCBDatabase::SetAutoOpen(bool autoOpen)
{
    m_handle->SetAutoOpen(autoOpen);
}

int32_t TCBDatabase::ErrorCode()
{
    return m_handle->TakeErrorCode();
}

// ---------------------------------------------------------------------------------------------
// Free routines

TCBDatabase &DefaultDatabase()
{
    static TCBDatabase database;
    return database;
}

void FixRecordCounts(const std::string &folder)
{
    for (const std::string &name : FilesWithExtension(folder, ".DBF")) {
        try {
            dbase::RepairRecordCount(folder + name);
        } catch (const dbase::Error &error) {
            throw ECBDBError(error.what(), error.what());
        }
    }
}

void PackFolder(const std::string &folder, TCBDatabase &database)
{
    // A change a program died writing is completed first: packing moves the records it names.
    RecoverTableJournal(folder);
    for (const std::string &name : FilesWithExtension(folder, ".DBF")) {
        TTableRegistration table(database, name, folder, false);
        try {
            table->Open();
        } catch (const ECBDBError &) {
            // A lost or damaged index is what pack and reindex repairs; anything wrong with the
            // table itself is reported as it was.
            if (!TableOpensWithoutIndex(folder + name, database.Handle())) {
                throw;
            }
            table->RebuildIndex();
            table->Open();
        }
        table->Pack();
        table->Close();
    }
}

std::vector<std::string> RebuildBrokenIndexes(const std::string &folder, TCBDatabase &database)
{
    std::vector<std::string> repaired;
    for (const std::string &name : FilesWithExtension(folder, ".DBF")) {
        dbase::Context &context = database.Handle();
        try {
            dbase::Table::Open(context, folder + name);
            continue;
        } catch (const dbase::Error &) {
            context.TakeErrorCode();
        }
        if (!TableOpensWithoutIndex(folder + name, context)) {
            continue; // not an index fault: the table's own users report it
        }
        TTableRegistration table(database, name, folder, false);
        table->RebuildIndex();
        repaired.push_back(name);
    }
    return repaired;
}

// ---------------------------------------------------------------------------------------------
// TTableRegistration

TTableRegistration::TTableRegistration(TCBDatabase &database, const std::string &tableName,
                                       const std::string &folder, bool open)
    : m_database(&database)
{
    m_table = &database.AddTable(tableName, folder, false, &m_tableID);
    if (open) {
        try {
            m_table->Open();
        } catch (...) {
            Release();
            throw;
        }
    }
}

TTableRegistration::TTableRegistration(TTableRegistration &&other) noexcept
    : m_database(std::exchange(other.m_database, nullptr)),
      m_table(std::exchange(other.m_table, nullptr)),
      m_tableID(std::exchange(other.m_tableID, 0))
{ }

TTableRegistration &TTableRegistration::operator=(TTableRegistration &&other) noexcept
{
    if (this != &other) {
        Release();
        m_database = std::exchange(other.m_database, nullptr);
        m_table = std::exchange(other.m_table, nullptr);
        m_tableID = std::exchange(other.m_tableID, 0);
    }
    return *this;
}

void TTableRegistration::Release() noexcept
{
    if (m_table == nullptr) {
        return;
    }
    TCBTable &table = *std::exchange(m_table, nullptr);
    // Only this registration removes its table; if it has gone, the table is freed already.
    if (!VEREDIVO_CHECK(m_database->FindTable(m_tableID) != nullptr)) {
        m_tableID = 0;
        return;
    }
    try {
        table.Close();
    } catch (const std::exception &error) {
        LogCloseFailure(table, error);
    }
    // Closed (or given up): removing the holder cannot fail any more.
    m_database->RemoveTable(std::exchange(m_tableID, 0));
}
