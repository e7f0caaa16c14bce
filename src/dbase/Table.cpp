#include "dbase/Table.h"

#include "core/Paths.h"
#include "core/Text.h"

#include "dbase/Bytes.h"
#include "dbase/Keys.h"
#include "dbase/Values.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>
#include <unistd.h>

namespace dbase {

namespace {

// Advisory lock bytes far beyond any data. Every open table holds the open byte, shared or (in
// exclusive mode) alone; writers in shared mode hold the write byte while they write.
constexpr int64_t kOpenLock = 0x7FFFFFF0;
constexpr int64_t kWriteLock = 0x7FFFFFF1;

constexpr uint32_t kMaxRecords = 1000000000;

// Records kept while no one else can write the table: chunks of 8 KB, at most 2 MB a table.
constexpr uint32_t kRecordChunkBytes = 8192;
constexpr size_t kRecordChunks = 256;

std::string BaseName(const std::string &path)
{
    const std::string name = ExtractFileName(path);
    const size_t dot = name.find_last_of('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

// Records of a table file read in large chunks (pack, reindex).
class FileRecords : public RecordSource
{
public:
    FileRecords(const File &file, const DbfHeader &header, uint32_t count)
        : m_file(file), m_header(header), m_count(count)
    { }

    bool Next(RecordView &record) override
    {
        if (m_next > m_count) {
            return false;
        }
        const size_t length = m_header.recordLength;
        if (m_at >= m_buffer.size()) {
            const uint32_t chunk = std::min<uint32_t>(
                m_count - m_next + 1,
                std::max<uint32_t>(1, static_cast<uint32_t>((1u << 18) / length)));
            m_buffer.resize(static_cast<size_t>(chunk) * length);
            m_file.ReadExact(RecordOffset(m_header, m_next), m_buffer.data(), m_buffer.size(),
                             Failure::TableCorrupt);
            m_at = 0;
        }
        record.data = m_buffer.data() + m_at;
        record.recno = m_next++;
        m_at += length;
        return true;
    }

private:
    const File &m_file;
    const DbfHeader &m_header;
    uint32_t m_count;
    uint32_t m_next = 1;
    std::string m_buffer;
    size_t m_at = 0;
};

// No records (an empty index).
class NoRecords : public RecordSource
{
public:
    bool Next(RecordView &) override { return false; }
};

} // namespace

// Holds the table's write lock in shared mode and rereads what others may have changed.
class Table::WriteGuard
{
public:
    explicit WriteGuard(Table &table) : m_table(table)
    {
        table.RequireWritable();
        if (table.m_exclusive || table.m_steadyWriting) {
            return;
        }
        const int attempts = table.m_context.LockAttempts();
        if (!table.m_dbf.Lock(kWriteLock, 1, true, attempts)) {
            table.Fail(Failure::Lock,
                       "is being written by another process (tried " + std::to_string(attempts) +
                           " times)");
        }
        m_locked = true;
        try {
            table.RefreshCount();
            if (table.m_index) {
                table.m_index->Reload();
            }
        } catch (...) {
            table.m_dbf.Unlock(kWriteLock, 1);
            throw;
        }
    }

    ~WriteGuard()
    {
        if (m_locked) {
            try {
                if (m_table.m_index) {
                    m_table.m_indexStamp = m_table.m_index->Stamp();
                }
            } catch (...) {
                m_table.m_indexStamp = {};
            }
            m_table.m_dbf.Unlock(kWriteLock, 1);
        }
    }

    WriteGuard(const WriteGuard &) = delete;
    WriteGuard &operator=(const WriteGuard &) = delete;

private:
    Table &m_table;
    bool m_locked = false;
};

// ---------------------------------------------------------------------------------------------
// Opening and closing

Table::Table(Context &context, File file, bool exclusive)
    : m_context(context), m_dbf(std::move(file)), m_exclusive(exclusive)
{ }

Table::~Table()
{
    try {
        Close();
    } catch (const std::exception &) {
        // The error code of the context tells; a destructor cannot.
    }
}

void Table::Fail(Failure failure, const std::string &what) const
{
    Raise(&m_context, failure, "table " + m_dbf.Path() + " " + what);
}

std::unique_ptr<Table> Table::Open(Context &context, const std::string &path)
{
    if (path.empty()) {
        Raise(&context, Failure::FileName, "no table name given");
    }
    // A table we may not write is opened for reading.
    const bool writable = ::access(path.c_str(), W_OK) == 0;
    File file = File::Open(&context, path, writable ? File::Mode::ReadWrite : File::Mode::Read);
    const bool exclusive = context.Access() == AccessMode::Exclusive;
    auto table = std::make_unique<Table>(context, std::move(file), exclusive);
    table->m_identity = table->m_dbf.Identity();
    context.RegisterOpen(table->m_identity, path);
    table->m_registered = true;
    if (!table->m_dbf.Lock(kOpenLock, 1, exclusive, context.LockAttempts())) {
        table->Fail(exclusive ? Failure::InUse : Failure::Lock,
                    exclusive ? "is open in another process, so it cannot be opened exclusively"
                              : "is open exclusively in another process");
    }
    table->LoadAfterOpen();
    return table;
}

std::unique_ptr<Table> Table::OpenForRepair(Context &context, const std::string &path,
                                            std::vector<TagSpec> knownTags)
{
    const bool autoOpen = context.AutoOpen();
    context.SetAutoOpen(false);
    std::unique_ptr<Table> table;
    try {
        table = Open(context, path);
    } catch (...) {
        context.SetAutoOpen(autoOpen);
        throw;
    }
    context.SetAutoOpen(autoOpen);
    table->m_knownTags = std::move(knownTags);
    if (!table->m_header.ProductionIndex()) {
        return table;
    }
    table->m_indexPath = table->CompanionPath(".mdx");
    if (!FileExists(table->m_indexPath)) {
        table->m_indexFault = "the production index " + table->m_indexPath + " is missing";
        return table;
    }
    try {
        table->m_index = IndexFile::Open(&context, table->m_indexPath, table->m_header.fields,
                                         !table->ReadOnly(), context.IndexCacheBlocks());
        table->m_indexStamp = table->m_index->Stamp();
    } catch (const Error &error) {
        context.TakeErrorCode();
        table->m_index.reset();
        table->m_indexFault = error.what();
    }
    return table;
}

void Table::LoadAfterOpen()
{
    ForgetRecords();
    m_fieldsByName.clear();
    m_header = ReadDbfHeader(&m_context, m_dbf);
    const int64_t held = RecordsInFile(m_dbf.Size(), m_header.headerLength, m_header.recordLength);
    if (held < static_cast<int64_t>(m_header.recordCount)) {
        Fail(Failure::RecordCount,
             "counts " + std::to_string(m_header.recordCount) +
                 " records in its header but the file holds only " +
                 std::to_string(std::max<int64_t>(held, 0)) + "; repair the record count");
    }
    if (m_header.recordCount > kMaxRecords) {
        Fail(Failure::TableCorrupt, "counts more than 1,000,000,000 records");
    }
    OpenCompanions();
    m_record.assign(m_header.recordLength, ' ');
    m_original = m_record;
    Top();
}

std::string CompanionPath(const std::string &tablePath, std::string_view extension)
{
    // The companion's extension takes the case of the table's (".DBF" -> ".MDX"); an existing
    // file is found without regard to case.
    const std::string ext = ExtractFileExt(tablePath);
    const bool lower = !ext.empty() && LowerCase(ext) == ext;
    return ResolveFileName(
        ChangeFileExt(tablePath, lower ? LowerCase(extension) : UpperCase(extension)));
}

std::string Table::CompanionPath(std::string_view extension) const
{
    return dbase::CompanionPath(m_dbf.Path(), extension);
}

void Table::OpenCompanions()
{
    const bool writable = !ReadOnly();
    m_memo.reset();
    m_index.reset();
    if (m_header.HasMemo()) {
        const std::string memoPath = CompanionPath(".dbt");
        if (!FileExists(memoPath)) {
            Fail(Failure::FileOpen,
                 "has memo fields but its memo file " + memoPath + " is missing");
        }
        m_memo = MemoFile::Open(&m_context, memoPath, m_header.Dbase3Memo(), writable);
    }
    if (m_context.AutoOpen() && m_header.ProductionIndex()) {
        m_indexPath = CompanionPath(".mdx");
        if (!FileExists(m_indexPath)) {
            Fail(Failure::IndexMissing,
                 "has lost its production index " + m_indexPath + "; pack and reindex it");
        }
        m_index = IndexFile::Open(&m_context, m_indexPath, m_header.fields, writable,
                                  m_context.IndexCacheBlocks());
        m_indexStamp = m_index->Stamp();
    }
    m_selected = nullptr;
    m_cursor.reset();
    m_cursorTag = nullptr;
}

std::unique_ptr<Table> Table::Create(Context &context, const std::string &path,
                                     const std::vector<FieldSpec> &fields,
                                     const std::vector<TagSpec> &tags, uint8_t languageDriver)
{
    DbfHeader header = BuildDbfHeader(&context, fields, languageDriver, context.UpdateDate());
    IndexFile::CheckDefinition(&context, tags, header.fields);
    {
        File file = File::Create(&context, path);
        file.Write(0, header.raw);
        file.Write(header.headerLength, std::string(1, kEndOfFile));
    }
    if (header.HasMemo()) {
        MemoFile::Create(&context, dbase::CompanionPath(path, ".dbt"), false, BaseName(path));
    }
    auto table = Open(context, path);
    if (!tags.empty()) {
        table->CreateIndex(tags);
    }
    return table;
}

void Table::Close()
{
    if (!m_dbf.IsOpen()) {
        return;
    }
    std::exception_ptr failure;
    try {
        Commit();
        CommitIndex();
    } catch (...) {
        failure = std::current_exception();
    }
    m_index.reset();
    m_memo.reset();
    m_dbf.Close();
    if (m_registered) {
        m_context.UnregisterOpen(m_identity);
        m_registered = false;
    }
    if (failure) {
        std::rethrow_exception(failure);
    }
}

const Field *Table::FindField(std::string_view name) const
{
    // Callers name the same fields over and over (every row of a listing): each spelling is
    // looked up once.
    const auto known = m_fieldsByName.find(name);
    if (known != m_fieldsByName.end()) {
        return known->second;
    }
    const int index = dbase::FindField(m_header.fields, name);
    const Field *field = index < 0 ? nullptr : &m_header.fields[static_cast<size_t>(index)];
    if (m_fieldsByName.size() < 256) {
        m_fieldsByName.emplace(std::string(name), field);
    }
    return field;
}

const Field &Table::FieldByName(std::string_view name) const
{
    const Field *field = FindField(name);
    if (field == nullptr) {
        Fail(Failure::FieldUnknown, "has no field " + std::string(name));
    }
    return *field;
}

Tag *Table::FindTag(std::string_view name) const
{
    return m_index ? m_index->FindTag(name) : nullptr;
}

Tag &Table::TagByName(std::string_view name) const
{
    Tag *tag = FindTag(name);
    if (tag == nullptr) {
        Fail(Failure::TagUnknown, "has no tag " + std::string(name));
    }
    return *tag;
}

// ---------------------------------------------------------------------------------------------
// Records and navigation

void Table::RequireRecord() const
{
    if (m_eof || m_recno == 0) {
        Fail(Failure::Usage, "has no current record (it is at its end)");
    }
}

void Table::RequireWritable() const
{
    if (ReadOnly()) {
        Fail(Failure::ReadOnly, "can only be read");
    }
}

void Table::RefreshCount()
{
    if (m_exclusive || m_steadyDepth > 0) {
        return;
    }
    char count[4];
    m_dbf.ReadExact(4, count, 4, Failure::TableCorrupt);
    m_header.SetRecordCount(ReadU32(count));
}

void Table::RefreshIfStale()
{
    if (m_exclusive || !m_index || m_steadyDepth > 0) {
        return;
    }
    const FileStamp stamp = m_index->Stamp();
    if (!(stamp == m_indexStamp)) {
        m_index->Reload();
        m_indexStamp = stamp;
    }
}

uint32_t Table::RecordCount()
{
    RefreshCount();
    return m_header.recordCount;
}

bool Table::CachesRecords() const
{
    return m_exclusive || m_steadyDepth > 0;
}

void Table::ForgetRecords()
{
    m_chunks.clear();
}

// While no one else can write the table, records are read a chunk at a time and kept: a walk
// through the table, or through the records a tag names close together, takes a system call per
// chunk instead of one per record.
const char *Table::CachedRecord(uint32_t recno)
{
    const uint32_t length = m_header.recordLength;
    const uint32_t perChunk = std::max<uint32_t>(1, kRecordChunkBytes / length);
    const uint32_t chunk = (recno - 1) / perChunk;
    auto found = m_chunks.find(chunk);
    if (found == m_chunks.end() || recno - 1 - chunk * perChunk >= found->second.count) {
        if (found == m_chunks.end() && m_chunks.size() >= kRecordChunks) {
            // The least recently used half goes.
            std::vector<std::pair<uint64_t, uint32_t>> uses;
            for (const auto &[index, cached] : m_chunks) {
                uses.emplace_back(cached.lastUse, index);
            }
            std::sort(uses.begin(), uses.end());
            for (size_t i = 0; i < uses.size() / 2; ++i) {
                m_chunks.erase(uses[i].second);
            }
        }
        const uint32_t first = chunk * perChunk + 1;
        const uint32_t count = std::min(perChunk, m_header.recordCount - first + 1);
        RecordChunk loaded;
        loaded.bytes.resize(static_cast<size_t>(count) * length);
        m_dbf.ReadExact(RecordOffset(m_header, first), loaded.bytes.data(), loaded.bytes.size(),
                        Failure::TableCorrupt);
        loaded.count = count;
        found = m_chunks.insert_or_assign(chunk, std::move(loaded)).first;
    }
    found->second.lastUse = ++m_chunkClock;
    return found->second.bytes.data() + static_cast<size_t>(recno - 1 - chunk * perChunk) * length;
}

void Table::WriteRecordBytes(uint32_t recno, std::string_view bytes)
{
    m_dbf.Write(RecordOffset(m_header, recno), bytes);
    if (m_chunks.empty()) {
        return;
    }
    const uint32_t length = m_header.recordLength;
    const uint32_t perChunk = std::max<uint32_t>(1, kRecordChunkBytes / length);
    const uint32_t chunk = (recno - 1) / perChunk;
    const auto found = m_chunks.find(chunk);
    if (found != m_chunks.end() && recno - 1 - chunk * perChunk < found->second.count) {
        std::copy_n(bytes.begin(), length,
                    found->second.bytes.begin() +
                        static_cast<std::ptrdiff_t>((recno - 1 - chunk * perChunk) * length));
    }
}

void Table::ReadRecord(uint32_t recno)
{
    m_record.resize(m_header.recordLength);
    if (CachesRecords()) {
        m_record.assign(CachedRecord(recno), m_header.recordLength);
        m_original = m_record;
        m_recno = recno;
        m_eof = false;
        m_bof = false;
        return;
    }
    ForgetRecords();
    m_dbf.ReadExact(RecordOffset(m_header, recno), m_record.data(), m_record.size(),
                    Failure::TableCorrupt);
    m_original = m_record;
    m_recno = recno;
    m_eof = false;
    m_bof = false;
}

void Table::SetEnd()
{
    m_record.assign(m_header.recordLength, ' ');
    m_original = m_record;
    m_recno = m_header.recordCount + 1;
    m_eof = true;
}

void Table::LoadFromCursor()
{
    if (m_cursor->AtEnd()) {
        SetEnd();
        return;
    }
    const uint32_t recno = m_cursor->Record();
    if (recno == 0 || recno > m_header.recordCount) {
        RefreshCount();
        if (recno == 0 || recno > m_header.recordCount) {
            Raise(&m_context, Failure::IndexCorrupt,
                  "index " + m_index->Path() + ", tag " + m_cursorTag->Name() +
                      ": an entry points at record " + std::to_string(recno) + " of " +
                      std::to_string(m_header.recordCount) + "; pack and reindex the table");
        }
    }
    ReadRecord(recno);
}

void Table::Top()
{
    GoToEnd(true);
}

void Table::Bottom()
{
    GoToEnd(false);
}

void Table::GoToEnd(bool first)
{
    Commit();
    RefreshIfStale();
    RefreshCount();
    m_bof = false;
    if (m_selected != nullptr) {
        m_cursor.emplace(*m_selected);
        m_cursorTag = m_selected;
        if (first) {
            m_cursor->First();
        } else {
            m_cursor->Last();
        }
        LoadFromCursor();
    } else if (m_header.recordCount == 0) {
        SetEnd();
    } else {
        ReadRecord(first ? 1 : m_header.recordCount);
    }
    if (m_eof) {
        m_bof = true;
    }
    if (m_index) {
        m_index->TrimCache();
    }
}

void Table::Go(uint32_t recno)
{
    Commit();
    RefreshCount();
    if (recno < 1 || recno > m_header.recordCount) {
        Fail(Failure::Usage, "has no record " + std::to_string(recno));
    }
    ReadRecord(recno);
}

// Puts the cursor of `tag` on the current record's entry; `onEntry` is false when the record is
// not in the tag (a unique tag), and the cursor then stands on the entry after it.
void Table::EnsureCursor(Tag &tag, bool &onEntry)
{
    onEntry = true;
    if (m_cursor && m_cursorTag == &tag && m_cursor->Current() && !m_cursor->AtEnd() &&
        m_cursor->Record() == m_recno) {
        return;
    }
    m_cursor.emplace(tag);
    m_cursorTag = &tag;
    std::string key(tag.KeyLength(), '\0');
    tag.MakeKey({m_record.data(), m_recno}, key.data());
    if (!m_cursor->Find(key.data(), m_recno)) {
        m_cursor->LowerBound(key.data(), key.size());
        onEntry = false;
    }
}

void Table::Skip(int64_t count)
{
    Commit();
    RefreshIfStale();
    if (m_selected == nullptr || m_eof) {
        RefreshCount(); // record order needs the count; tag order finds its end itself
    }
    if (count == 0) {
        return;
    }
    if (m_eof) {
        if (count > 0) {
            return;
        }
        Bottom();
        ++count;
        if (count == 0 || m_eof) {
            return;
        }
    }
    if (m_selected == nullptr) {
        const int64_t target = static_cast<int64_t>(m_recno) + count;
        if (target > static_cast<int64_t>(m_header.recordCount)) {
            SetEnd();
        } else if (target < 1) {
            ReadRecord(1);
            m_bof = true;
        } else {
            ReadRecord(static_cast<uint32_t>(target));
        }
        return;
    }
    bool onEntry = true;
    EnsureCursor(*m_selected, onEntry);
    if (!onEntry && count > 0) {
        --count; // the entry after the record is already one step on
    }
    for (; count > 0; --count) {
        if (!m_cursor->Next()) {
            break;
        }
    }
    for (; count < 0; ++count) {
        if (!m_cursor->Prev()) {
            m_cursor->First();
            LoadFromCursor();
            m_bof = true;
            m_index->TrimCache();
            return;
        }
    }
    LoadFromCursor();
    m_index->TrimCache();
}

void Table::SelectTag(Tag *tag)
{
    Commit();
    m_selected = tag;
}

bool Table::Deleted() const
{
    return !m_eof && m_record[0] == kDeletedFlag;
}

void Table::Delete()
{
    RequireRecord();
    RequireWritable();
    if (m_record[0] != kDeletedFlag) {
        m_record[0] = kDeletedFlag;
        m_changed = true;
    }
}

void Table::Recall()
{
    RequireRecord();
    RequireWritable();
    if (m_record[0] != kActiveFlag) {
        m_record[0] = kActiveFlag;
        m_changed = true;
    }
}

// ---------------------------------------------------------------------------------------------
// Writing

void Table::WriteHeaderPrefix()
{
    // Date and record count, one write.
    if (!m_dated) {
        m_header.SetUpdateDate(m_context.UpdateDate());
        m_dated = true;
    }
    m_dbf.Write(1, std::string_view(m_header.raw.data() + 1, 7));
}

void Table::AppendBlank()
{
    Commit();
    {
        WriteGuard guard(*this);
        const uint32_t count = m_header.recordCount;
        if (count >= kMaxRecords) {
            Fail(Failure::Write, "cannot hold more than 1,000,000,000 records");
        }
        const uint32_t recno = count + 1;
        std::string blank(m_header.recordLength, ' ');
        if (m_exclusive || m_steadyWriting) {
            // No one else reads the table: the record goes to the file with its values.
            m_header.SetRecordCount(recno);
            m_unwritten = true;
        } else {
            // The record and the end-of-file byte first, then the count that takes it in.
            WriteRecordBytes(recno, blank + kEndOfFile);
            m_header.SetRecordCount(recno);
            WriteHeaderPrefix();
        }
        m_record = blank;
        m_original = blank;
        m_recno = recno;
    }
    m_eof = false;
    m_bof = false;
    m_appended = true;
    m_changed = false;
}

void Table::Commit()
{
    if (!m_changed && !m_appended && m_memos.empty()) {
        return;
    }
    WriteGuard guard(*this);
    if (m_recno < 1 || m_recno > m_header.recordCount) {
        Fail(Failure::Usage, "lost record " + std::to_string(m_recno) + " to another process");
    }
    // Memo texts before the record that points at them.
    for (const auto &[index, text] : m_memos) {
        const Field &field = m_header.fields[index];
        std::string pointer(field.length, ' ');
        if (!text.empty()) {
            const std::string digits = std::to_string(m_memo->Write(text));
            pointer.replace(pointer.size() - digits.size(), digits.size(), digits);
        }
        std::copy(pointer.begin(), pointer.end(), m_record.begin() + field.offset);
    }
    m_memos.clear();
    if (!m_exclusive && !m_steadyWriting && !m_appended) {
        // Another process may have changed the record: its keys are what the tags hold now.
        m_dbf.ReadExact(RecordOffset(m_header, m_recno), m_original.data(), m_original.size(),
                        Failure::TableCorrupt);
    }
    if (m_unwritten) {
        WriteRecordBytes(m_recno, m_record + kEndOfFile);
        WriteHeaderPrefix();
        m_unwritten = false;
    } else {
        WriteRecordBytes(m_recno, m_record);
    }
    if (!m_dated) {
        WriteHeaderPrefix();
    }
    if (m_index) {
        std::string oldKey;
        std::string newKey;
        for (const auto &tag : m_index->Tags()) {
            newKey.assign(tag->KeyLength(), '\0');
            tag->MakeKey({m_record.data(), m_recno}, newKey.data());
            if (m_appended) {
                m_index->Insert(*tag, newKey.data(), m_recno);
                continue;
            }
            oldKey.assign(tag->KeyLength(), '\0');
            tag->MakeKey({m_original.data(), m_recno}, oldKey.data());
            if (oldKey != newKey) {
                m_index->Remove(*tag, oldKey.data(), m_recno);
                m_index->Insert(*tag, newKey.data(), m_recno);
            }
        }
        // Shared: others read the file, so it is written at once. Exclusive: at the latest on
        // flush or close, or when half the cache waits to be written.
        if ((!m_exclusive && !m_steadyWriting) ||
            m_index->DirtyBlocks() > m_context.IndexCacheBlocks() / 2) {
            m_index->Commit(m_context.UpdateDate());
        }
    }
    m_original = m_record;
    m_changed = false;
    m_appended = false;
}

void Table::CommitIndex()
{
    if (m_index) {
        m_index->Commit(m_context.UpdateDate());
    }
}

void Table::Flush()
{
    Commit();
    CommitIndex();
    if (!ReadOnly()) {
        m_dbf.Sync();
        if (m_memo) {
            m_memo->Sync();
        }
        if (m_index) {
            m_index->Sync();
        }
    }
}

void Table::BeginSteady(bool writing, bool othersWrote)
{
    if (m_steadyDepth > 0) {
        ++m_steadyDepth;
        m_steadyWriting = m_steadyWriting || writing;
        return;
    }
    // Once now, what every operation would otherwise check.
    RefreshCount();
    if (m_index) {
        // The lock keeps the file as it is now, so one look gives the stamp to keep as well.
        const FileStamp stamp = m_index->Stamp();
        if (othersWrote || !(stamp == m_indexStamp)) {
            m_index->Reload();
        }
        m_indexStamp = stamp;
    }
    ForgetRecords();
    m_steadyDepth = 1;
    m_steadyWriting = writing;
    if (othersWrote) {
        m_cursor.reset();
        m_cursorTag = nullptr;
    }
}

void Table::EndSteady()
{
    if (m_steadyDepth == 0 || --m_steadyDepth > 0) {
        return;
    }
    const bool wrote = m_steadyWriting;
    m_steadyWriting = false;
    if (!m_exclusive) {
        ForgetRecords(); // others may write the records from now on
    }
    // A reader changed nothing: the stamp taken at the start still describes the index it holds
    // (and any change made meanwhile through another handle is found at the next look).
    if (m_index && wrote) {
        try {
            m_indexStamp = m_index->Stamp();
        } catch (const Error &) {
            m_indexStamp = {}; // read anew next time
        }
    }
}

void Table::Discard()
{
    ForgetRecords();
    m_changed = false;
    m_appended = false;
    m_unwritten = false;
    m_memos.clear();
    m_dated = false;
    m_cursor.reset();
    m_cursorTag = nullptr;
    char count[4];
    m_dbf.ReadExact(4, count, 4, Failure::TableCorrupt);
    m_header.SetRecordCount(ReadU32(count));
    if (m_index) {
        m_index->Reload();
        m_indexStamp = m_index->Stamp();
    }
    SetEnd();
}

// ---------------------------------------------------------------------------------------------
// Seeking

Tag &Table::SeekTag() const
{
    if (m_selected != nullptr) {
        return *m_selected;
    }
    if (!m_index || m_index->Tags().empty()) {
        Fail(Failure::Usage, "has no index tag to seek in");
    }
    return *m_index->Tags().front();
}

std::string Table::Probe(const Tag &tag, std::string_view key, bool exact, size_t &length,
                         bool &possible) const
{
    possible = true;
    std::string probe(tag.KeyLength(), '\0');
    switch (tag.KeyType()) {
    case 'N':
        EncodeNumericKey(ParseNumber(key).value, probe.data());
        length = probe.size();
        return probe;
    case 'D': {
        const std::string text = Trim(key);
        EncodeDateKey(text.empty() ? 0 : JulianFromStorage(text), probe.data());
        length = probe.size();
        return probe;
    }
    default:
        break;
    }
    std::string_view text = key;
    if (text.size() > tag.KeyLength()) {
        // Beyond the key only blanks can match.
        possible = text.find_first_not_of(' ', tag.KeyLength()) == std::string_view::npos;
        text = text.substr(0, tag.KeyLength());
    }
    probe.assign(text);
    length = probe.size();
    if (exact) {
        probe.resize(tag.KeyLength(), ' ');
        length = probe.size();
    }
    probe.resize(tag.KeyLength(), ' ');
    return probe;
}

SeekResult Table::Seek(std::string_view key, bool exact)
{
    Commit();
    RefreshIfStale();
    Tag &tag = SeekTag();
    size_t length = 0;
    bool possible = true;
    const std::string probe = Probe(tag, key, exact, length, possible);
    m_cursor.emplace(tag);
    m_cursorTag = &tag;
    m_cursor->LowerBound(probe.data(), length);
    LoadFromCursor();
    m_index->TrimCache();
    if (m_eof) {
        return SeekResult::End;
    }
    return possible && tag.ComparePrefix(m_cursor->Key(), probe.data(), length) == 0
        ? SeekResult::Found
        : SeekResult::After;
}

SeekResult Table::SeekNext(std::string_view key)
{
    Commit();
    RefreshIfStale();
    Tag &tag = SeekTag();
    size_t length = 0;
    bool possible = true;
    const std::string probe = Probe(tag, key, false, length, possible);
    if (m_eof || !possible) {
        return Seek(key);
    }
    bool onEntry = true;
    EnsureCursor(tag, onEntry);
    if (!onEntry || m_cursor->AtEnd() ||
        tag.ComparePrefix(m_cursor->Key(), probe.data(), length) != 0) {
        return Seek(key);
    }
    m_cursor->Next();
    LoadFromCursor();
    m_index->TrimCache();
    if (m_eof) {
        return SeekResult::End;
    }
    return tag.ComparePrefix(m_cursor->Key(), probe.data(), length) == 0 ? SeekResult::Found
                                                                         : SeekResult::After;
}

// ---------------------------------------------------------------------------------------------
// Fields

std::string_view Table::Raw(const Field &field) const
{
    return std::string_view(m_record.data() + field.offset, field.length);
}

uint32_t Table::MemoBlock(const Field &field, std::string_view raw) const
{
    const NumberText number = ParseNumber(raw);
    if (number.blank || number.value == 0) {
        return 0;
    }
    if (number.value < 0 || number.value > UINT32_MAX ||
        number.value != static_cast<uint32_t>(number.value)) {
        Fail(Failure::MemoCorrupt,
             "record " + std::to_string(m_recno) + ", field " + field.name + ": \"" +
                 std::string(raw) + "\" is no memo block");
    }
    return static_cast<uint32_t>(number.value);
}

std::string Table::GetText(const Field &field) const
{
    if (field.type != 'M') {
        return std::string(Raw(field));
    }
    const size_t index = static_cast<size_t>(&field - m_header.fields.data());
    const auto pending = m_memos.find(index);
    if (pending != m_memos.end()) {
        return pending->second;
    }
    const uint32_t block = MemoBlock(field, Raw(field));
    if (block == 0 || m_eof) {
        return {};
    }
    return m_memo->Read(block);
}

double Table::GetNumber(const Field &field) const
{
    return ParseNumber(Raw(field)).value;
}

bool Table::GetLogical(const Field &field) const
{
    return IsTrueLetter(m_record[field.offset]);
}

void Table::SetText(const Field &field, std::string_view text)
{
    RequireRecord();
    RequireWritable();
    switch (field.type) {
    case 'M':
        m_memos[static_cast<size_t>(&field - m_header.fields.data())] = std::string(text);
        m_changed = true;
        return;
    case 'N':
    case 'F': {
        const std::string trimmed = Trim(text);
        if (trimmed.empty()) {
            std::fill_n(m_record.begin() + field.offset, field.length, ' ');
            m_changed = true;
            return;
        }
        double value = 0;
        if (!TryStrToFloat(trimmed, value)) {
            Fail(Failure::FieldType,
                 "field " + field.name + ": \"" + trimmed + "\" is not a number");
        }
        SetNumber(field, value);
        return;
    }
    default: {
        const size_t length = std::min<size_t>(text.size(), field.length);
        std::copy_n(text.begin(), length, m_record.begin() + field.offset);
        std::fill_n(m_record.begin() + field.offset + static_cast<std::ptrdiff_t>(length),
                    field.length - length, ' ');
        m_changed = true;
        return;
    }
    }
}

void Table::SetNumber(const Field &field, double value)
{
    RequireRecord();
    RequireWritable();
    std::string text;
    if (field.type == 'N' || field.type == 'F') {
        const auto formatted = FormatNumber(value, field.length, field.decimals);
        if (!formatted) {
            Fail(Failure::FieldWidth,
                 "field " + field.name + ": " + FloatText(value) + " does not fit in " +
                     std::to_string(field.length) + " characters with " +
                     std::to_string(field.decimals) + " decimals");
        }
        text = *formatted;
    } else if (field.type == 'C') {
        text = FloatText(value);
        if (text.size() > field.length) {
            Fail(Failure::FieldWidth,
                 "field " + field.name + ": " + text + " is wider than " +
                     std::to_string(field.length) + " characters");
        }
        text.resize(field.length, ' ');
    } else {
        Fail(Failure::FieldType,
             "field " + field.name + " of type " + std::string(1, field.type) +
                 " cannot hold a number");
    }
    std::copy(text.begin(), text.end(), m_record.begin() + field.offset);
    m_changed = true;
}

void Table::SetLogical(const Field &field, bool value)
{
    RequireRecord();
    RequireWritable();
    if (field.type != 'L' && field.type != 'C') {
        Fail(Failure::FieldType,
             "field " + field.name + " of type " + std::string(1, field.type) +
                 " cannot hold a logical value");
    }
    std::fill_n(m_record.begin() + field.offset, field.length, ' ');
    m_record[field.offset] = value ? 'T' : 'F';
    m_changed = true;
}

// ---------------------------------------------------------------------------------------------
// Maintenance

void Table::RequireExclusiveUse()
{
    RequireWritable();
    if (m_exclusive) {
        return;
    }
    // Raise our share of the open lock to the whole of it: granted only when no one else has
    // the table open.
    if (!m_dbf.Lock(kOpenLock, 1, true, m_context.LockAttempts())) {
        Fail(Failure::InUse, "is open in another process; it must be closed there first");
    }
    m_exclusive = true;
    m_exclusiveForMaintenance = true;
    RefreshCount();
    if (m_index) {
        m_index->Reload();
    }
}

void Table::ReleaseExclusiveUse()
{
    if (m_exclusiveForMaintenance) {
        m_dbf.TryLock(kOpenLock, 1, false);
        m_exclusive = false;
        ForgetRecords();
        m_exclusiveForMaintenance = false;
        if (m_index) {
            m_indexStamp = m_index->Stamp();
        }
    }
}

IndexDefinition Table::Definition(const std::vector<TagSpec> &tags) const
{
    return {BaseName(m_dbf.Path()), m_header.LanguageDriver(), m_context.UpdateDate(), tags};
}

void Table::ReopenFiles()
{
    const std::string path = m_dbf.Path();
    const bool writable = m_dbf.Writable();
    m_index.reset();
    m_memo.reset();
    m_dbf = File::Open(&m_context, path, writable ? File::Mode::ReadWrite : File::Mode::Read);
    if (m_registered) {
        m_context.UnregisterOpen(m_identity);
        m_registered = false;
    }
    m_identity = m_dbf.Identity();
    m_context.RegisterOpen(m_identity, path);
    m_registered = true;
    if (!m_dbf.Lock(kOpenLock, 1, m_exclusive, m_context.LockAttempts())) {
        Fail(Failure::Lock, "was opened by another process while it was rebuilt");
    }
    LoadAfterOpen();
}

std::optional<std::vector<TagSpec>> Table::TagsToBuild()
{
    if (m_index) {
        return m_index->Specs();
    }
    if (!m_header.ProductionIndex()) {
        return std::nullopt;
    }
    // The index's own tags when it can be read, else the tags the table is known to have.
    const std::string indexPath = CompanionPath(".mdx");
    std::string fault = "the production index " + indexPath + " is missing";
    if (FileExists(indexPath)) {
        try {
            return IndexFile::Open(&m_context, indexPath, m_header.fields, false, 16)->Specs();
        } catch (const Error &error) {
            m_context.TakeErrorCode();
            fault = error.what();
        }
    }
    if (m_knownTags.empty()) {
        Fail(FileExists(indexPath) ? Failure::IndexCorrupt : Failure::IndexMissing,
             "cannot have its index rebuilt: " + fault +
                 ", and the tags of the table are not known");
    }
    return m_knownTags;
}

// Writes the records to keep into a new file and a new index built from it, then puts both in
// place of the old ones. Until the table's rename the old files stand untouched; a process that
// dies between the two renames leaves the new table with the old index, which the next pack and
// reindex replaces.
void Table::Rebuild(const std::function<bool(const RecordView &)> &keep, bool emptyMemo)
{
    Commit();
    RequireExclusiveUse();
    try {
        const std::string path = m_dbf.Path();
        const std::string temporary = path + ".tmp";
        DbfHeader header = m_header;
        uint32_t kept = 0;
        {
            File out = File::Create(&m_context, temporary);
            out.CopyModeFrom(m_dbf);
            FileRecords records(m_dbf, m_header, m_header.recordCount);
            std::string buffer;
            int64_t at = header.headerLength;
            RecordView record;
            while (records.Next(record)) {
                if (!keep(record)) {
                    continue;
                }
                buffer.append(record.data, header.recordLength);
                ++kept;
                if (buffer.size() >= (1u << 20)) {
                    out.Write(at, buffer);
                    at += static_cast<int64_t>(buffer.size());
                    buffer.clear();
                }
            }
            buffer += kEndOfFile;
            out.Write(at, buffer);
            header.SetRecordCount(kept);
            header.SetUpdateDate(m_context.UpdateDate());
            out.Write(0, header.raw);
            out.Sync();
        }
        // The index is rebuilt also when it was not opened with the table (its record numbers
        // are about to change), and when it could not be read.
        const std::optional<std::vector<TagSpec>> specs = TagsToBuild();
        std::string indexPath;
        std::string indexTemporary;
        if (specs) {
            IndexFile::CheckDefinition(&m_context, *specs, m_header.fields);
            indexPath = m_index ? m_indexPath : CompanionPath(".mdx");
            indexTemporary = indexPath + ".tmp";
            File packed = File::Open(&m_context, temporary, File::Mode::Read);
            FileRecords records(packed, header, kept);
            IndexFile::Build(&m_context, indexTemporary, Definition(*specs), header.fields,
                             records);
            File::Open(&m_context, indexTemporary, File::Mode::ReadWrite).Sync();
        }
        ReplaceFile(&m_context, temporary, path);
        if (!indexTemporary.empty()) {
            ReplaceFile(&m_context, indexTemporary, indexPath);
            m_indexFault.clear();
        }
        SyncFolderOf(path);
        if (emptyMemo && m_memo) {
            MemoFile::Open(&m_context, m_memo->GetFile().Path(), m_memo->Dbase3(), true)->Reset();
        }
        ReopenFiles();
    } catch (...) {
        ReleaseExclusiveUse();
        throw;
    }
    ReleaseExclusiveUse();
}

void Table::Pack()
{
    Rebuild([](const RecordView &record) { return record.data[0] != kDeletedFlag; }, false);
}

void Table::Zap(uint32_t first, uint32_t last)
{
    Commit();
    RefreshCount();
    const bool all = first <= 1 && last >= m_header.recordCount;
    Rebuild([first, last](
                const RecordView &record) { return record.recno < first || record.recno > last; },
            all);
}

void Table::Reindex()
{
    Commit();
    if (const std::optional<std::vector<TagSpec>> tags = TagsToBuild()) {
        CreateIndex(*tags);
    }
}

void Table::CreateIndex(const std::vector<TagSpec> &tags)
{
    Commit();
    RequireExclusiveUse();
    try {
        IndexFile::CheckDefinition(&m_context, tags, m_header.fields);
        const std::string indexPath = m_index ? m_indexPath : CompanionPath(".mdx");
        const std::string temporary = indexPath + ".tmp";
        m_index.reset();
        FileRecords records(m_dbf, m_header, m_header.recordCount);
        IndexFile::Build(&m_context, temporary, Definition(tags), m_header.fields, records);
        File::Open(&m_context, temporary, File::Mode::ReadWrite).Sync();
        ReplaceFile(&m_context, temporary, indexPath);
        SyncFolderOf(indexPath);
        m_indexFault.clear();
        // The table learns of its index after the index is in place.
        std::vector<std::string> indexed;
        for (const TagSpec &spec : tags) {
            const Expression e = Expression::Parse(&m_context, spec.expression, m_header.fields);
            if (e.SingleField() >= 0) {
                indexed.push_back(m_header.fields[static_cast<size_t>(e.SingleField())].name);
            }
        }
        m_header.SetProductionIndex(true);
        m_header.SetIndexFlags(indexed);
        m_dbf.Write(0, m_header.raw);
        const bool autoOpen = m_context.AutoOpen();
        m_context.SetAutoOpen(true);
        try {
            OpenCompanions();
        } catch (...) {
            m_context.SetAutoOpen(autoOpen);
            throw;
        }
        m_context.SetAutoOpen(autoOpen);
        Top();
    } catch (...) {
        ReleaseExclusiveUse();
        throw;
    }
    ReleaseExclusiveUse();
}

std::vector<std::string> Table::Check()
{
    Commit();
    RefreshIfStale();
    RefreshCount();
    std::vector<std::string> problems;
    const int64_t held = RecordsInFile(m_dbf.Size(), m_header.headerLength, m_header.recordLength);
    if (held != m_header.recordCount) {
        problems.push_back("the header counts " + std::to_string(m_header.recordCount) +
                           " records, the file holds " + std::to_string(held));
    }
    CheckMemos(problems);
    if (!m_indexFault.empty()) {
        problems.push_back(m_indexFault);
    }
    if (!m_index) {
        return problems;
    }
    const uint32_t count = m_header.recordCount;
    for (const auto &tagPointer : m_index->Tags()) {
        const Tag &tag = *tagPointer;
        const std::string name = "tag " + tag.Name() + ": ";
        const size_t limit = 20;
        const size_t before = problems.size();
        const auto report = [&](const std::string &what) {
            if (problems.size() - before < limit) {
                problems.push_back(name + what);
            }
        };
        // Each record's key, computed afresh.
        std::string keys(static_cast<size_t>(count) * tag.KeyLength(), '\0');
        {
            FileRecords records(m_dbf, m_header, count);
            RecordView record;
            while (records.Next(record)) {
                tag.MakeKey(record, keys.data() + (record.recno - 1) * tag.KeyLength());
            }
        }
        const auto keyOf = [&](uint32_t recno) {
            return keys.data() + (recno - 1) * tag.KeyLength();
        };
        std::vector<bool> seen(static_cast<size_t>(count) + 1, false);
        TagCursor cursor(tag);
        std::string previousKey;
        uint32_t previousRecord = 0;
        size_t entries = 0;
        try {
            for (cursor.First(); !cursor.AtEnd(); cursor.Next()) {
                ++entries;
                const uint32_t recno = cursor.Record();
                const char *key = cursor.Key();
                if (recno < 1 || recno > count) {
                    report("entry " + std::to_string(entries) + " points at record " +
                           std::to_string(recno) + " of " + std::to_string(count));
                    continue;
                }
                if (seen[recno]) {
                    report("record " + std::to_string(recno) + " is in the tag twice");
                }
                seen[recno] = true;
                if (tag.Compare(key, keyOf(recno)) != 0) {
                    report("the entry of record " + std::to_string(recno) +
                           " holds another key than the record gives");
                }
                if (!previousKey.empty()) {
                    const int order = tag.Compare(previousKey.data(), key);
                    if (order > 0 || (order == 0 && (tag.Unique() || previousRecord > recno))) {
                        report("entry " + std::to_string(entries) + " (record " +
                               std::to_string(recno) + ") is out of order");
                    }
                }
                previousKey.assign(key, tag.KeyLength());
                previousRecord = recno;
            }
        } catch (const Error &error) {
            report(error.what());
        }
        for (uint32_t recno = 1; recno <= count; ++recno) {
            if (seen[recno]) {
                continue;
            }
            if (tag.Unique()) {
                // Left out rightly when an earlier record holds the key.
                TagCursor probe(tag);
                probe.LowerBound(keyOf(recno), tag.KeyLength());
                if (!probe.AtEnd() && tag.Compare(probe.Key(), keyOf(recno)) == 0 &&
                    probe.Record() < recno) {
                    continue;
                }
            }
            report("record " + std::to_string(recno) + " is missing from the tag");
        }
        if (problems.size() - before >= limit) {
            problems.push_back(name + "more problems not shown");
        }
    }
    m_index->TrimCache();
    return problems;
}

void Table::CheckMemos(std::vector<std::string> &problems)
{
    if (!m_memo) {
        return;
    }
    const std::string memoName = "memo file " + m_memo->GetFile().Path() + ": ";
    try {
        const std::string chain = m_memo->CheckFreeChain();
        if (!chain.empty()) {
            problems.push_back(memoName + chain);
        }
    } catch (const Error &error) {
        m_context.TakeErrorCode();
        problems.push_back(memoName + error.what());
    }
    std::vector<const Field *> memoFields;
    for (const Field &field : m_header.fields) {
        if (field.type == 'M') {
            memoFields.push_back(&field);
        }
    }
    const size_t limit = 20;
    size_t reported = 0;
    FileRecords records(m_dbf, m_header, m_header.recordCount);
    RecordView record;
    while (records.Next(record)) {
        for (const Field *field : memoFields) {
            const std::string_view raw(record.data + field->offset, field->length);
            const std::string where =
                "record " + std::to_string(record.recno) + ", field " + field->name + ": ";
            try {
                const NumberText number = ParseNumber(raw);
                if (number.blank || number.value == 0) {
                    continue;
                }
                if (number.value < 0 || number.value > UINT32_MAX ||
                    number.value != static_cast<uint32_t>(number.value)) {
                    Raise(&m_context, Failure::MemoCorrupt,
                          "\"" + std::string(raw) + "\" is no memo block");
                }
                m_memo->Read(static_cast<uint32_t>(number.value));
            } catch (const Error &error) {
                m_context.TakeErrorCode();
                if (++reported <= limit) {
                    problems.push_back(where + error.what());
                }
            }
        }
    }
    if (reported > limit) {
        problems.push_back(memoName + std::to_string(reported - limit) +
                           " more memo problems not shown");
    }
}

// ---------------------------------------------------------------------------------------------
// Record counts

RecordCountCheck CheckRecordCount(const std::string &path)
{
    RecordCountCheck check;
    Context context;
    try {
        File file = File::Open(&context, path, File::Mode::Read);
        char header[12];
        if (file.ReadSome(0, header, sizeof header) < sizeof header) {
            return check;
        }
        const uint16_t headerLength = ReadU16(header + 8);
        const uint16_t recordLength = ReadU16(header + 10);
        check.stored = ReadU32(header + 4);
        check.held = RecordsInFile(file.Size(), headerLength, recordLength);
        // A header cut short, or one without records, cannot tell the count.
        check.readable = recordLength > 0 && check.held >= 0 && check.held <= UINT32_MAX;
    } catch (const Error &) {
        check.readable = false;
    }
    return check;
}

bool RepairRecordCount(const std::string &path)
{
    const RecordCountCheck check = CheckRecordCount(path);
    if (!check.readable || check.held == check.stored) {
        return false;
    }
    Context context;
    File file = File::Open(&context, path, File::Mode::ReadWrite);
    char count[4];
    WriteU32(count, static_cast<uint32_t>(check.held));
    file.Write(4, std::string_view(count, 4));
    return true;
}

} // namespace dbase
