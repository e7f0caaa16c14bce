#pragma once

// All-or-nothing changes to the tables of one folder, kept in a journal file beside them.
//
// Between Begin and Commit every change the context writes to a file of the folder stays in
// memory (reads see it). Commit writes all of them to the journal in one write and makes it
// durable with one flush: from then on the change happens even if the process dies. Then the
// tables get the changes, without a flush of their own, and the transaction is marked as
// written. Whoever takes the journal's lock next and finds a transaction not marked, or one
// written before the machine last started (a power cut may have lost table writes still in
// the system's cache), writes every transaction of the journal again, flushes the tables and
// empties the journal. A transaction cut short in the journal itself never reached a table and
// is dropped. The tables stay plain dBASE files throughout; the journal is emptied (a
// checkpoint: the tables flushed first) when it grows past a limit, before maintenance, and by
// its owner at the end.
//
// The journal's lock orders the writers of the folder's tables: writers hold it alone from Begin
// to the end of Commit, readers share it (BeginRead), so a reader never sees half a transaction.
// Its header counts checkpoints, so a holder knows whether anyone else wrote since it last held
// the lock (OthersWrote) and can trust what it has cached when no one did.

#include "dbase/File.h"

#include <chrono>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace dbase {

class Journal final : public WriteCapture
{
public:
    // The journal `fileName` of `folder` (with a trailing "/"), created when missing. A folder
    // that cannot be written gets none: Begin then raises ReadOnly, reads go unlocked.
    Journal(Context &context, std::string folder, const std::string &fileName);
    ~Journal() override;
    Journal(const Journal &) = delete;
    Journal &operator=(const Journal &) = delete;

    const std::string &Path() const { return m_path; }
    // How long Begin and BeginRead wait for another program's transaction (10 seconds).
    void SetPatience(std::chrono::milliseconds patience) { m_patience = patience; }
    const std::string &Folder() const { return m_folder; }
    bool Usable() const { return m_file.IsOpen() && m_file.Writable(); }

    // Waits for the journal's lock as the one writer (raising Lock after some seconds), brings in
    // what a writer that died left, and holds the context's writes to the folder's files from now
    // on. Transactions do not nest.
    void Begin();
    // Makes the held changes durable and writes them to the files; the lock is released. When
    // writing the journal fails nothing has changed; when writing the tables fails afterwards the
    // change is kept in the journal and completed by the next holder of the lock.
    void Commit();
    // Drops the held changes; the files are as they were before Begin.
    void Rollback();
    bool Active() const { return m_active; }

    // Shares the lock with other readers (nested calls count); inside a transaction it is held
    // already. What a writer that died left is brought in first.
    void BeginRead();
    void EndRead();

    // Whether a writer other than this journal's owner changed the folder's tables since the
    // owner last held the lock; valid while it is held.
    bool OthersWrote() const { return m_othersWrote; }

    // Flushes every file the journal names and empties it (no transaction may be open).
    void Checkpoint();
    // Bytes the journal file holds.
    int64_t Size() const;

    // Completes and empties the journal of a folder, if it has one: true when it held changes.
    static bool Recover(Context &context, const std::string &folder, const std::string &fileName);
    // Whether the folder's journal holds a transaction not yet written to the files.
    static bool HoldsUnfinished(const std::string &folder, const std::string &fileName);

    // WriteCapture
    bool Holds(const File &file) const override;
    bool HoldsPath(const std::string &path) const override;
    void Write(const File &file, int64_t offset, std::string_view data) override;
    size_t Read(const File &file, int64_t offset, char *data, size_t size) override;
    int64_t Size(const File &file) override;

    // A held file's changes (exposed for the tests of the format).
    struct Overlay
    {
        std::string name; // inside the folder
        uint64_t device = 0;
        uint64_t inode = 0;
        int64_t diskSize = 0;
        int64_t size = 0;
        std::map<int64_t, std::string> runs; // changed bytes by offset, never touching
    };

private:
    struct State
    {
        uint64_t generation = 0;
        int64_t size = -1;
        bool operator==(const State &) const = default;
    };

    void Lock(bool exclusive);
    void Unlock();
    State ReadState() const;
    // Whether the journal at `path` holds a transaction the files may lack.
    static bool ReplayNeeded(const std::string &path);
    // With the lock held alone: replays what needs it, cuts off a torn tail; true when the
    // files were changed by the replay.
    bool RecoverLocked();
    void CheckpointLocked();
    void WriteHeader(uint64_t generation);
    Overlay &OverlayOf(const File &file);
    void EndTransaction();

    Context &m_context;
    std::string m_folder;
    std::string m_path;
    File m_file;
    bool m_active = false;
    int m_readDepth = 0;
    enum class Held { None, Shared, Alone } m_held = Held::None;
    State m_known; // as this journal left it
    bool m_othersWrote = true;
    std::chrono::milliseconds m_patience {10000};
    std::map<std::string, Overlay> m_overlays; // by path
};

} // namespace dbase
