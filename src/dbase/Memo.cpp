#include "dbase/Memo.h"

#include "dbase/Bytes.h"

#include <algorithm>
#include <unordered_set>

namespace dbase {

namespace {

constexpr char kMemoSignature[4] = {'\xFF', '\xFF', 0x08, 0x00};
constexpr uint32_t kHeaderSize = 512;
constexpr char kEndOfMemo = 0x1A;

} // namespace

MemoFile::MemoFile(Context *context, File file, bool dbase3, uint32_t blockSize)
    : m_context(context), m_file(std::move(file)), m_dbase3(dbase3), m_blockSize(blockSize)
{ }

std::unique_ptr<MemoFile> MemoFile::Open(Context *context, const std::string &path, bool dbase3,
                                         bool writable)
{
    File file = File::Open(context, path, writable ? File::Mode::ReadWrite : File::Mode::Read);
    char header[24] = {};
    if (file.ReadSome(0, header, sizeof header) < sizeof header) {
        Raise(context, Failure::MemoCorrupt, path + " is shorter than a memo file header");
    }
    uint32_t blockSize = 512;
    if (!dbase3) {
        blockSize = ReadU16(header + 20);
        if (blockSize == 0) {
            blockSize = 512; // some writers leave it out
        }
        if (blockSize < 32) {
            Raise(context, Failure::MemoCorrupt,
                  path + " has a block size of " + std::to_string(blockSize) + " bytes");
        }
    }
    return std::make_unique<MemoFile>(context, std::move(file), dbase3, blockSize);
}

void MemoFile::Create(Context *context, const std::string &path, bool dbase3,
                      std::string_view tableBaseName)
{
    std::string header(kHeaderSize, '\0');
    WriteU32(header.data(), 1);
    if (dbase3) {
        header[16] = 0x03;
    } else {
        std::copy_n(tableBaseName.begin(), std::min<size_t>(tableBaseName.size(), 8),
                    header.begin() + 8);
        WriteU16(header.data() + 20, static_cast<uint16_t>(kHeaderSize));
    }
    File file = File::Create(context, path);
    file.Write(0, header);
}

uint32_t MemoFile::EndBlock() const
{
    const int64_t size = m_file.Size();
    return static_cast<uint32_t>((size + m_blockSize - 1) / m_blockSize);
}

std::string MemoFile::Read(uint32_t block) const
{
    const int64_t size = m_file.Size();
    const int64_t offset = static_cast<int64_t>(block) * m_blockSize;
    const std::string where = "memo block " + std::to_string(block) + " of " + m_file.Path();
    if (block == 0 || offset >= size) {
        Raise(m_context, Failure::MemoCorrupt, where + " lies outside the file");
    }
    char start[8] = {};
    const size_t got = m_file.ReadSome(offset, start, sizeof start);
    if (got == sizeof start && std::equal(start, start + 4, kMemoSignature)) {
        const uint32_t length = ReadU32(start + 4);
        if (length < 8 || offset + static_cast<int64_t>(length) > size) {
            Raise(m_context, Failure::MemoCorrupt,
                  where + " claims " + std::to_string(length) + " bytes, more than the file holds");
        }
        std::string text(length - 8, '\0');
        m_file.ReadExact(offset + 8, text.data(), text.size(), Failure::MemoCorrupt);
        return text;
    }
    if (!m_dbase3) {
        Raise(m_context, Failure::MemoCorrupt, where + " does not start a memo");
    }
    // dBASE III: the text runs until the first 0x1A.
    std::string text;
    std::string chunk(m_blockSize, '\0');
    for (int64_t at = offset; at < size; at += m_blockSize) {
        chunk.resize(m_file.ReadSome(at, chunk.data(), m_blockSize));
        const size_t end = chunk.find(kEndOfMemo);
        if (end != std::string::npos) {
            text.append(chunk, 0, end);
            return text;
        }
        text += chunk;
        chunk.resize(m_blockSize);
    }
    return text;
}

uint32_t MemoFile::Write(std::string_view text)
{
    const uint32_t oldEnd = EndBlock();
    std::string data;
    if (m_dbase3) {
        if (text.find(kEndOfMemo) != std::string_view::npos) {
            Raise(m_context, Failure::FieldType,
                  "a dBASE III memo cannot hold the byte 0x1A (" + m_file.Path() + ")");
        }
        data.assign(text);
        data += kEndOfMemo;
        data += kEndOfMemo;
    } else {
        if (text.size() > 0xFFFFFFF0u) {
            Raise(m_context, Failure::FieldWidth, "memo text too long for " + m_file.Path());
        }
        data.assign(kMemoSignature, 4);
        data.resize(8);
        WriteU32(data.data() + 4, static_cast<uint32_t>(text.size() + 8));
        data += text;
    }
    data.resize((data.size() + m_blockSize - 1) / m_blockSize * m_blockSize, '\0');
    const auto blocks = static_cast<uint32_t>(data.size() / m_blockSize);
    const uint32_t newEnd = oldEnd + blocks;
    // The text first, then the pointers to it: a crash leaves unreferenced blocks only.
    m_file.Write(static_cast<int64_t>(oldEnd) * m_blockSize, data);
    char next[4];
    m_file.ReadExact(0, next, 4, Failure::MemoCorrupt);
    uint32_t link = ReadU32(next);
    if (m_dbase3 || link >= oldEnd) {
        WriteU32(next, newEnd);
        m_file.Write(0, std::string_view(next, 4));
        return oldEnd;
    }
    // A free chain exists (left by other software): its last link must now point past the
    // new memo, or the memo would count as free space.
    for (uint32_t steps = 0; steps <= oldEnd; ++steps) {
        char run[4];
        m_file.ReadExact(static_cast<int64_t>(link) * m_blockSize, run, 4, Failure::MemoCorrupt);
        const uint32_t following = ReadU32(run);
        if (following >= oldEnd) {
            WriteU32(run, newEnd);
            m_file.Write(static_cast<int64_t>(link) * m_blockSize, std::string_view(run, 4));
            return oldEnd;
        }
        link = following;
    }
    Raise(m_context, Failure::MemoCorrupt, "the free block chain of " + m_file.Path() + " loops");
}

std::string MemoFile::CheckFreeChain() const
{
    if (m_dbase3) {
        return {}; // dBASE III memo files only ever grow at their end
    }
    const uint32_t end = EndBlock();
    char next[4];
    m_file.ReadExact(0, next, 4, Failure::MemoCorrupt);
    uint32_t link = ReadU32(next);
    if (link == 0) {
        return "the header names block 0 as the next free block";
    }
    std::unordered_set<uint32_t> seen;
    // A link at or past the end of the file ends the chain.
    while (link < end) {
        if (!seen.insert(link).second) {
            return "the chain of free blocks loops back to block " + std::to_string(link);
        }
        char run[4];
        m_file.ReadExact(static_cast<int64_t>(link) * m_blockSize, run, 4, Failure::MemoCorrupt);
        const uint32_t following = ReadU32(run);
        if (following == 0) {
            return "the free run at block " + std::to_string(link) + " links to block 0";
        }
        link = following;
    }
    return {};
}

void MemoFile::Reset()
{
    char next[4];
    WriteU32(next, 1);
    m_file.Truncate(m_blockSize);
    m_file.Write(0, std::string_view(next, 4));
}

} // namespace dbase
