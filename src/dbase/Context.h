#pragma once

// The settings every table opened through a context shares, and its error code.

#include "core/Dates.h"

#include "dbase/Errors.h"

#include <cstdint>
#include <optional>
#include <set>
#include <utility>

namespace dbase {

class WriteCapture;

enum class AccessMode : int16_t {
    Shared = 0, // other processes may open and change the table at the same time
    Exclusive = 1, // the table is ours alone (maintenance: pack, reindex)
};

class Context
{
public:
    Context() = default;
    Context(const Context &) = delete;
    Context &operator=(const Context &) = delete;

    // With single-open on, a file can be open only once at a time through this context.
    bool SingleOpen() const { return m_singleOpen; }
    void SetSingleOpen(bool singleOpen) { m_singleOpen = singleOpen; }

    // How often a refused lock is tried before the operation fails; 0 or less waits until
    // the lock is granted.
    int LockAttempts() const { return m_lockAttempts; }
    void SetLockAttempts(int attempts) { m_lockAttempts = attempts; }

    // The mode of later opens.
    AccessMode Access() const { return m_access; }
    void SetAccess(AccessMode mode) { m_access = mode; }

    // Whether opening a table also opens its production index.
    bool AutoOpen() const { return m_autoOpen; }
    void SetAutoOpen(bool autoOpen) { m_autoOpen = autoOpen; }

    // The code of the last failure (negative), or 0; reading it resets it to 0.
    int32_t TakeErrorCode() { return std::exchange(m_errorCode, 0); }
    int32_t PeekErrorCode() const { return m_errorCode; }
    void SetErrorCode(Failure failure) { m_errorCode = static_cast<int32_t>(failure); }

    // Index blocks each open index keeps in memory (at least 16).
    size_t IndexCacheBlocks() const { return m_indexCacheBlocks; }
    void SetIndexCacheBlocks(size_t blocks) { m_indexCacheBlocks = blocks; }

    // The date written into headers when a file changes: today unless fixed (reproducible
    // builds of the delivered tables).
    void SetUpdateDate(std::optional<DateParts> date) { m_updateDate = date; }
    DateParts UpdateDate() const;

    // The journal transaction holding this context's writes (see Journal), or nullptr.
    WriteCapture *Capture() const { return m_capture; }
    void SetCapture(WriteCapture *capture) { m_capture = capture; }

    // Bookkeeping of open files for single-open; Register fails when the file is open.
    using FileIdentity = std::pair<uint64_t, uint64_t>; // device, inode
    void RegisterOpen(const FileIdentity &identity, const std::string &path);
    void UnregisterOpen(const FileIdentity &identity);

private:
    bool m_singleOpen = true;
    int m_lockAttempts = 5;
    AccessMode m_access = AccessMode::Shared;
    bool m_autoOpen = true;
    int32_t m_errorCode = 0;
    size_t m_indexCacheBlocks = 2048;
    std::optional<DateParts> m_updateDate;
    std::multiset<FileIdentity> m_open;
    WriteCapture *m_capture = nullptr;
};

} // namespace dbase
