#pragma once

// An open file of the engine: positioned reads and writes that either complete or raise, and
// advisory byte-range locks.
//
// Locks are open-file-description locks (F_OFD_SETLK). Classic POSIX record locks belong to
// the process: two handles of one process on the same file would never exclude each other,
// and closing either handle would silently drop the locks of both. Open-file-description locks
// belong to the open file, so two handles in one process exclude each other exactly as two
// processes do, while still conflicting with classic locks other programs take.

#include "dbase/Context.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace dbase {

// What changes when another process writes the file (used to notice that cached pages went
// stale; see Table).
struct FileStamp
{
    int64_t size = -1;
    int64_t modified = 0; // nanoseconds
    int64_t changed = 0;
    uint64_t inode = 0;
    uint64_t changes = 0; // by handles of this process, counted exactly (see NoteChange)
    bool operator==(const FileStamp &) const = default;
};

class File;

// Holds the writes of a context to some files instead of letting them reach the disk (a journal
// transaction, see Journal): the files' reads, sizes and flushes go through it too.
class WriteCapture
{
public:
    virtual ~WriteCapture() = default;
    virtual bool Holds(const File &file) const = 0;
    virtual bool HoldsPath(const std::string &path) const = 0;
    virtual void Write(const File &file, int64_t offset, std::string_view data) = 0;
    virtual size_t Read(const File &file, int64_t offset, char *data, size_t size) = 0;
    virtual int64_t Size(const File &file) = 0;
};

class File
{
public:
    enum class Mode { Read, ReadWrite };

    File() = default;
    // Raises FileOpen.
    static File Open(Context *context, const std::string &path, Mode mode);
    // Creates or truncates the file (mode 0644 less the umask). Raises FileCreate.
    static File Create(Context *context, const std::string &path);

    File(File &&other) noexcept;
    File &operator=(File &&other) noexcept;
    ~File();
    File(const File &) = delete;
    File &operator=(const File &) = delete;

    bool IsOpen() const { return m_fd >= 0; }
    bool Writable() const { return m_writable; }
    const std::string &Path() const { return m_path; }
    void Close();

    // The size as readers see it (with the writes a journal holds).
    int64_t Size() const;
    // The size on the disk.
    int64_t DiskSize() const;
    FileStamp Stamp() const;
    Context::FileIdentity Identity() const;

    // Reads exactly `size` bytes at `offset`; a file that ends first raises `shortFailure`.
    void ReadExact(int64_t offset, char *data, size_t size, Failure shortFailure) const;
    // Reads up to `size` bytes; returns how many were there.
    size_t ReadSome(int64_t offset, char *data, size_t size) const;
    // The same from the disk, past any writes a journal holds.
    size_t ReadDisk(int64_t offset, char *data, size_t size) const;
    void Write(int64_t offset, std::string_view data);
    void Truncate(int64_t size);
    // Counts a change for other handles of this process on the same file: timestamps alone can
    // miss a change made within the same clock tick.
    void NoteChange();
    // Makes written data durable (fdatasync).
    void Sync();
    // Copies the permission bits of `other` (a replacement file keeps the original's mode).
    void CopyModeFrom(const File &other);

    // One attempt at a lock of `length` bytes from `start`; false when another holder refuses.
    bool TryLock(int64_t start, int64_t length, bool exclusive);
    // Tries `attempts` times with short pauses between (0 or less: waits until granted).
    bool Lock(int64_t start, int64_t length, bool exclusive, int attempts);
    void Unlock(int64_t start, int64_t length);

private:
    File(Context *context, int fd, std::string path, bool writable);
    // The journal holding this file's writes, if any.
    WriteCapture *Capture() const;

    Context *m_context = nullptr;
    int m_fd = -1;
    Context::FileIdentity m_identity {};
    std::string m_path;
    bool m_writable = false;
};

// Replaces `target` by `replacement` in one step (rename); raises FileCreate.
void ReplaceFile(Context *context, const std::string &replacement, const std::string &target);
// Makes the folder's entries (a rename) durable.
void SyncFolderOf(const std::string &path);

} // namespace dbase
