#pragma once

// The DBT memo file: an array of blocks, block 0 its header. dBASE IV memos start with a
// block header giving their length; dBASE III memos run until a 0x1A byte.

#include "dbase/File.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace dbase {

class MemoFile
{
public:
    // Raises FileOpen or MemoCorrupt.
    static std::unique_ptr<MemoFile> Open(Context *context, const std::string &path, bool dbase3,
                                          bool writable);
    // Writes an empty memo file (the header block alone).
    static void Create(Context *context, const std::string &path, bool dbase3,
                       std::string_view tableBaseName);

    uint32_t BlockSize() const { return m_blockSize; }
    bool Dbase3() const { return m_dbase3; }

    // The text of the memo starting at `block`; raises MemoCorrupt for a block that holds
    // none.
    std::string Read(uint32_t block) const;
    // Appends a memo and returns its first block; old blocks are never reused.
    uint32_t Write(std::string_view text);
    // Empties the file (all memos gone).
    void Reset();
    // The chain of free blocks from the header: every link inside the file and no link met
    // twice. Empty when sound, else what is wrong.
    std::string CheckFreeChain() const;
    void Sync() { m_file.Sync(); }
    const File &GetFile() const { return m_file; }

    MemoFile(Context *context, File file, bool dbase3, uint32_t blockSize);

private:
    uint32_t EndBlock() const;

    Context *m_context;
    File m_file;
    bool m_dbase3;
    uint32_t m_blockSize;
};

} // namespace dbase
