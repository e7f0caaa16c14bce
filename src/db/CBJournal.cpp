#include "db/CBJournal.h"

#include "core/Paths.h"
#include "db/CBDatabase.h"

#include "dbase/Journal.h"
#include "dbase/Table.h"

#include <algorithm>

const char *const kTableJournalName = "TABLES.JNL";

namespace {

template<typename Action>
void Guarded(Action action)
{
    try {
        action();
    } catch (const dbase::Error &error) {
        throw ECBDBError(error.what(), error.what());
    }
}

} // namespace

TCBJournal::TCBJournal(TCBDatabase &database, const std::string &folder)
    : m_database(database),
      m_journal(std::make_unique<dbase::Journal>(database.Handle(), IncludeTrailingSlash(folder),
                                                 kTableJournalName))
{
    if (m_journal->Usable()) {
        Guarded([this] {
            m_journal->Begin();
            m_journal->Rollback();
        });
        m_database.ErrorCode();
    }
}

TCBJournal::~TCBJournal()
{
    try {
        if (m_depth > 0) {
            m_depth = 1;
            Rollback();
        }
        m_journal->Checkpoint();
    } catch (const std::exception &) {
        // The journal keeps the changes; the next user of the folder completes them.
    }
    m_database.ErrorCode();
}

void TCBJournal::Attach(TCBTable &table)
{
    if (std::find(m_tables.begin(), m_tables.end(), &table) == m_tables.end()) {
        m_tables.push_back(&table);
    }
}

std::vector<TCBTable *> TCBJournal::ActiveTables() const
{
    std::vector<TCBTable *> active;
    for (TCBTable *table : m_tables) {
        if (table->Active()) {
            active.push_back(table);
        }
    }
    return active;
}

void TCBJournal::BeginSteady(bool writing)
{
    const bool othersWrote = m_journal->OthersWrote();
    std::vector<TCBTable *> done;
    try {
        for (TCBTable *table : ActiveTables()) {
            table->Handle()->BeginSteady(writing, othersWrote);
            done.push_back(table);
        }
    } catch (...) {
        for (TCBTable *table : done) {
            table->Handle()->EndSteady();
        }
        throw;
    }
}

void TCBJournal::EndSteady()
{
    for (TCBTable *table : ActiveTables()) {
        table->Handle()->EndSteady();
    }
}

void TCBJournal::Begin()
{
    if (m_depth++ > 0) {
        return;
    }
    m_failed = false;
    m_afterCommit.clear();
    if (m_readDepth > 0) {
        EndSteady(); // the reader becomes the writer: what it read is checked again
    }
    try {
        LockSteady(true);
    } catch (...) {
        m_depth = 0;
        m_database.ErrorCode();
        ResumeReading();
        throw;
    }
}

void TCBJournal::LockSteady(bool writing)
{
    Guarded([this, writing] {
        if (writing) {
            m_journal->Begin();
        } else {
            m_journal->BeginRead();
        }
        try {
            BeginSteady(writing);
        } catch (...) {
            if (writing) {
                m_journal->Rollback();
            } else {
                m_journal->EndRead();
            }
            throw;
        }
    });
}

void TCBJournal::ResumeReading()
{
    if (m_readDepth > 0) {
        Guarded([this] { BeginSteady(false); });
    }
}

void TCBJournal::AfterCommit(std::function<void()> action)
{
    m_afterCommit.push_back(std::move(action));
}

void TCBJournal::Commit()
{
    if (m_depth == 0) {
        return;
    }
    if (--m_depth > 0) {
        return;
    }
    if (m_failed) {
        ++m_depth;
        Rollback();
        throw ECBDBError("A change of the tables in " + m_journal->Folder() +
                         " failed part way; none of it was stored.");
    }
    try {
        Guarded([this] {
            for (TCBTable *table : ActiveTables()) {
                table->Handle()->Flush(); // into the journal's hands; its commit makes it durable
            }
            m_journal->Commit();
        });
    } catch (...) {
        m_database.ErrorCode();
        if (m_journal->Active()) {
            m_journal->Rollback();
        }
        // What the tables hold is either dropped or waits in the journal: read it anew.
        for (TCBTable *table : ActiveTables()) {
            try {
                table->Handle()->Discard();
            } catch (const dbase::Error &) {
                m_database.ErrorCode();
            }
        }
        EndSteady();
        m_afterCommit.clear();
        ResumeReading();
        throw;
    }
    EndSteady();
    std::vector<std::function<void()>> actions;
    actions.swap(m_afterCommit);
    for (const auto &action : actions) {
        action();
    }
    ResumeReading();
}

void TCBJournal::Rollback()
{
    if (m_depth == 0) {
        return;
    }
    if (--m_depth > 0) {
        m_failed = true;
        return;
    }
    m_journal->Rollback();
    for (TCBTable *table : ActiveTables()) {
        try {
            table->Handle()->Discard();
        } catch (const dbase::Error &) {
            m_database.ErrorCode();
        }
    }
    EndSteady();
    m_afterCommit.clear();
    m_failed = false;
    ResumeReading();
}

void TCBJournal::BeginRead()
{
    if (m_readDepth++ > 0 || m_depth > 0) {
        return;
    }
    try {
        LockSteady(false);
    } catch (...) {
        m_readDepth = 0;
        m_database.ErrorCode();
        throw;
    }
}

void TCBJournal::EndRead()
{
    if (m_readDepth == 0) {
        return;
    }
    if (--m_readDepth > 0 || m_depth > 0) {
        return;
    }
    EndSteady();
    m_journal->EndRead();
}

void TCBJournal::Checkpoint()
{
    Guarded([this] { m_journal->Checkpoint(); });
}

bool RecoverTableJournal(const std::string &folder)
{
    dbase::Context context;
    try {
        return dbase::Journal::Recover(context, IncludeTrailingSlash(folder), kTableJournalName);
    } catch (const dbase::Error &error) {
        throw ECBDBError(error.what(), error.what());
    }
}

bool TableJournalUnfinished(const std::string &folder)
{
    return dbase::Journal::HoldsUnfinished(IncludeTrailingSlash(folder), kTableJournalName);
}
