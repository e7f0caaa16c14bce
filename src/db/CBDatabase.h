#pragma once

// The program's table layer: a database is a set of registered dBASE tables sharing one engine
// context; a table gives record navigation, seeks on named index tags and typed access to fields
// by column name. Every engine failure surfaces as ECBDBError with a readable message.

#include "core/Dates.h"

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

class ECBDBError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
    // `detail`: the engine's own explanation (which file, what is wrong), for the log.
    ECBDBError(const std::string &message, std::string detail)
        : std::runtime_error(message), m_detail(std::move(detail))
    { }

    const std::string &Detail() const { return m_detail; }

private:
    std::string m_detail;
};

class TCBDatabase;
class TTableHolder;

namespace dbase {
class Context;
class Table;
} // namespace dbase

class TCBTable
{
public:
    TCBTable(TCBDatabase &database, TTableHolder &holder);
    ~TCBTable();
    TCBTable(const TCBTable &) = delete;
    TCBTable &operator=(const TCBTable &) = delete;

    TCBDatabase &Database() const { return m_database; }
    TTableHolder &Holder() const { return m_holder; }

    const std::string &Folder() const { return m_folder; }
    const std::string &TableName() const { return m_tableName; }
    int32_t TableID() const { return m_tableID; }
    bool Active() const { return m_handle != nullptr; }

    // Records and indexes; the table must be open.
    void Open();
    void Close();
    void Pack();
    void Zap();
    void Flush();
    void First();
    void Next();
    bool Eof() const;
    int32_t RecordCount() const;
    bool IsEmpty() const;
    bool AppendBlank();
    void Delete();
    void Recall();
    bool Deleted() const;
    void SelectTag(const std::string &tagName);
    // The selected tag's name; empty in record order or while the table is closed.
    std::string SelectedTag() const;
    // Raises ECBDBError when the table has no such tag.
    void TagByName(const std::string &tagName) const;
    // True only on an exact match; a key shorter than the tag's key matches the first entry
    // that begins with it. A non-empty tag name selects that tag for later calls.
    bool Seek(const std::string &key, const std::string &tagName = {});
    bool SeekNext(const std::string &key);

    // Fields by column name (matched without regard to case).
    std::string GetString(const std::string &field) const; // full stored width, blank padded
    int32_t GetInteger(const std::string &field) const;
    int32_t GetLong(const std::string &field) const;
    double GetDouble(const std::string &field) const;
    bool GetBoolean(const std::string &field) const;
    std::string GetDateString(const std::string &field) const; // "MM/DD/CCYY" or empty
    TDateTime GetDate(const std::string &field) const; // 0 for blank or invalid
    void SetString(const std::string &field, const std::string &text);
    void SetInteger(const std::string &field, int32_t value);
    void SetLong(const std::string &field, int32_t value);
    void SetDouble(const std::string &field, double value);
    void SetBoolean(const std::string &field, bool value);
    void SetDate(const std::string &field, TDateTime date);

    // Maintenance: reopen exclusively (access mode 1) and back.
    void BeginMaintenance();
    void EndMaintenance();
    // Replaces the production index by an empty one (a table brought in from outside).
    void ResetIndex();
    // Rebuilds a lost or damaged production index: the table is opened alone (access mode 1)
    // without its index and every tag built anew, from the program's known tags of the table
    // (KnownIndexTags) and whatever further tags its own index still defines. An open table is
    // open again afterwards. Raises ECBDBError when the table itself cannot be opened or no tags
    // are known for an index that cannot be read.
    void RebuildIndex();

    // The engine's table while Active: for db itself and the tools; the modules above db go
    // through this class.
    dbase::Table *Handle() const { return m_handle.get(); }

private:
    friend class TCBDatabase;

    void RequireActive() const;
    [[noreturn]] void RaiseEngineError(const std::exception &error) const;
    void CheckFieldError(const std::string &field, bool reading, const std::string &detail) const;
    template<typename Op>
    auto ReadField(const std::string &field, Op op) const;
    template<typename Op>
    void WriteField(const std::string &field, Op op);

    TCBDatabase &m_database;
    TTableHolder &m_holder;
    std::unique_ptr<dbase::Table> m_handle;
    std::string m_folder;
    std::string m_tableName;
    int32_t m_tableID = 0;
    int32_t m_savedAccessMode = 0;
    bool m_savedActive = false;
};

// Owns one registered table; destroying it closes the table.
class TTableHolder
{
public:
    explicit TTableHolder(TCBDatabase &database);
    ~TTableHolder();
    TTableHolder(const TTableHolder &) = delete;
    TTableHolder &operator=(const TTableHolder &) = delete;

    TCBDatabase &Database() const { return m_database; }
    TCBTable &Table() const { return *m_table; }

private:
    TCBDatabase &m_database;
    std::unique_ptr<TCBTable> m_table;
};

class TCBDatabase
{
public:
    TCBDatabase();
    virtual ~TCBDatabase();
    TCBDatabase(const TCBDatabase &) = delete;
    TCBDatabase &operator=(const TCBDatabase &) = delete;

    // Registers Folder + TableName (the folder keeps its trailing "/"); raises ECBDBError
    // "Cannot add table to database that does not exist..." when the file is missing.
    TCBTable &AddTable(const std::string &tableName, const std::string &folder, bool open,
                       int32_t *tableID = nullptr);
    void RemoveTable(int32_t tableID);
    TTableHolder *FindTable(int32_t tableID) const;

    void OpenAll();
    void CloseAll();
    void PackAll();
    void CopyTablesTo(const std::string &destination);

    int16_t GetAccessMode() const;
    void SetAccessMode(int16_t mode);
    void SetAutoOpen(bool autoOpen);
    // The engine's current error code (negative after a failure), reset by reading it.
    int32_t ErrorCode();

    dbase::Context &Handle() const { return *m_handle; }

protected:
    // Registers the tables of a descendant. A constructor cannot reach an override, so the
    // base constructor registers nothing: a class that overrides RegisterTables is final and
    // calls Initialize() as the last statement of its constructor, which calls it once.
    virtual void RegisterTables() { }
    void Initialize();

private:
    std::unique_ptr<dbase::Context> m_handle;
    bool m_initialized = false;
    bool m_registered = false;
    int32_t m_lastTableID = 0;
    std::vector<std::unique_ptr<TTableHolder>> m_tables; // in TableID order
};

// One table registered in a database for as long as the handle lives: the way to register a
// table that is taken out again (a rate book's tables, the customer store's). Ending the
// registration never throws, since it runs in destructors: a table that fails to close (its
// pending writes lost, the file gone) is logged and the program goes on.
class TTableRegistration
{
public:
    TTableRegistration() = default;
    // Registers folder + tableName and opens it when asked; raises ECBDBError as AddTable and
    // Open do, leaving nothing registered.
    TTableRegistration(TCBDatabase &database, const std::string &tableName,
                       const std::string &folder, bool open);
    ~TTableRegistration() { Release(); }
    TTableRegistration(TTableRegistration &&other) noexcept;
    TTableRegistration &operator=(TTableRegistration &&other) noexcept;
    TTableRegistration(const TTableRegistration &) = delete;
    TTableRegistration &operator=(const TTableRegistration &) = delete;

    explicit operator bool() const { return m_table != nullptr; }
    // The registered table; the handle must hold one.
    TCBTable &Table() const { return *m_table; }
    TCBTable *operator->() const { return m_table; }
    int32_t TableID() const { return m_tableID; }

    // Takes the table out of the database now (nothing when none is held).
    void Release() noexcept;

private:
    TCBDatabase *m_database = nullptr;
    TCBTable *m_table = nullptr;
    int32_t m_tableID = 0;
};

// The process-wide database, created on first use and freed at program end.
TCBDatabase &DefaultDatabase();
// Rewrites the record count of every DBF in the folder whose header disagrees with its size.
void FixRecordCounts(const std::string &folder);
// Packs every DBF in the folder through the database (register, pack, close, remove). The
// folder's table journal is completed first (see TCBJournal); a table whose production index
// cannot be opened gets it rebuilt first (TCBTable::RebuildIndex).
void PackFolder(const std::string &folder, TCBDatabase &database);
// Rebuilds the production index of every DBF in the folder that opens only without it (see
// TCBTable::RebuildIndex); the records stay as they are. The names of the repaired tables.
std::vector<std::string> RebuildBrokenIndexes(const std::string &folder, TCBDatabase &database);
// Copies folder + baseName with each of ".dbf", ".mdx", ".dbt" that exists (found without regard
// to case) into destination, replacing what is there; raises ECBDBError when a copy fails.
void CopyTableFiles(const std::string &folder, const std::string &baseName,
                    const std::string &destination);
