#pragma once

// All-or-nothing changes to the tables of one folder: the table layer over the engine's journal
// (dbase::Journal). A transaction holds every write to the folder's tables in memory, makes them
// durable with one write and one flush of the journal file "TABLES.JNL" beside the tables, then
// writes the tables; a process that dies at any moment leaves either all of a transaction or
// none of it, which the next user of the folder (or "pack and reindex") completes or drops. The
// tables stay plain dBASE files.
//
// While a transaction or a read scope holds the journal's lock, the attached tables are steady:
// no other writer can change them, so they trust what they have read (see dbase::Table) and a
// reader never sees half a transaction.

#include <functional>
#include <memory>
#include <string>
#include <vector>

class TCBDatabase;
class TCBTable;

namespace dbase {
class Journal;
} // namespace dbase

// The journal file of a folder's tables.
extern const char *const kTableJournalName;

class TCBJournal
{
public:
    // The journal of `folder` (trailing "/") in the database's context; what a writer that died
    // left there is completed (or dropped) at once, so open the folder's tables afterwards.
    TCBJournal(TCBDatabase &database, const std::string &folder);
    // Empties the journal, the tables made durable (errors are not reported from here).
    ~TCBJournal();
    TCBJournal(const TCBJournal &) = delete;
    TCBJournal &operator=(const TCBJournal &) = delete;

    // The tables written under the journal (they must be in its folder).
    void Attach(TCBTable &table);

    // Transactions nest: the outermost Begin takes the lock and the outermost Commit writes.
    void Begin();
    // Writes what the attached tables hold pending, then the journal and the tables; the
    // actions given with AfterCommit run once the change is durable and written.
    void Commit();
    // Drops every change since the outermost Begin (an inner Rollback drops the whole
    // transaction); the attached tables forget what they held.
    void Rollback();
    bool InTransaction() const { return m_depth > 0; }
    void AfterCommit(std::function<void()> action);

    // Read scopes nest, also inside a transaction.
    void BeginRead();
    void EndRead();

    // Makes the tables durable and empties the journal (before maintenance).
    void Checkpoint();

private:
    // Takes the journal's lock, alone to write or shared to read, and makes the tables steady
    // under it; a failure gives the lock back and raises ECBDBError.
    void LockSteady(bool writing);
    void BeginSteady(bool writing);
    void EndSteady();
    void ResumeReading();
    std::vector<TCBTable *> ActiveTables() const;

    TCBDatabase &m_database;
    std::unique_ptr<dbase::Journal> m_journal;
    std::vector<TCBTable *> m_tables;
    int m_depth = 0;
    int m_readDepth = 0;
    bool m_failed = false; // an inner transaction failed: the outermost rolls back
    std::vector<std::function<void()>> m_afterCommit;
};

// Completes and empties the journal of a folder, if it has one (before its tables are packed or
// repaired); true when it held a change the tables did not have yet.
bool RecoverTableJournal(const std::string &folder);
// Whether the folder's journal holds a change its tables do not have yet.
bool TableJournalUnfinished(const std::string &folder);
