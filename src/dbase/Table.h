#pragma once

// One open dBASE table: the DBF with its memo file and production index, a current record,
// navigation in record order or in the order of a tag, seeks, and field access.
//
// Changes to the current record are kept in its buffer and written, with every tag brought up
// to date, when the table moves to another record, is flushed or closed. Writes go in an order
// that survives the process dying at any moment: data before the counts and pointers that refer
// to it (see docs/ARCHITECTURE.md).
//
// Sharing: in shared mode every write takes the table's write lock (retried as the context
// says), rereads what another process may have changed, and releases it when done; reads check
// the index file's change stamp before they use cached blocks. In exclusive mode the table is
// ours alone and nothing is reread.

#include "dbase/Dbf.h"
#include "dbase/File.h"
#include "dbase/Index.h"
#include "dbase/Memo.h"

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace dbase {

enum class SeekResult {
    Found, // the current record has the key
    After, // no record has it; the current record is the next one in the tag
    End, // no record has it or any key after it; the table is at its end
};

class Table
{
public:
    // Opens a table with the context's access mode and auto-open setting. Raises FileOpen,
    // TableCorrupt, RecordCount, Lock, InUse, MemoCorrupt, IndexMissing or IndexCorrupt.
    static std::unique_ptr<Table> Open(Context &context, const std::string &path);
    // Creates an empty table, its memo file when it has memo fields and its production index
    // when tags are given, and opens it. An existing table of that name is replaced.
    static std::unique_ptr<Table> Create(Context &context, const std::string &path,
                                         const std::vector<FieldSpec> &fields,
                                         const std::vector<TagSpec> &tags,
                                         uint8_t languageDriver = 0);

    // Opens a table for repair ("pack and reindex"): like Open, except that a production index
    // which cannot be opened (lost, cut short, damaged, keyed on what the table cannot give)
    // leaves the table without it; IndexFault() tells why, and Pack and Reindex build a new one
    // with the known tags.
    static std::unique_ptr<Table> OpenForRepair(Context &context, const std::string &path,
                                                std::vector<TagSpec> knownTags = {});

    // Use Open or Create.
    Table(Context &context, File file, bool exclusive);
    ~Table();
    Table(const Table &) = delete;
    Table &operator=(const Table &) = delete;

    // Writes what is pending and closes the files.
    void Close();

    const std::string &Path() const { return m_dbf.Path(); }
    const DbfHeader &Header() const { return m_header; }
    const std::vector<Field> &Fields() const { return m_header.fields; }
    const Field *FindField(std::string_view name) const;
    // Raises FieldUnknown.
    const Field &FieldByName(std::string_view name) const;
    bool Exclusive() const { return m_exclusive; }
    bool ReadOnly() const { return !m_dbf.Writable() || !m_header.Writable(); }
    const MemoFile *Memo() const { return m_memo.get(); }

    // Records, deleted ones included.
    uint32_t RecordCount();
    // The current record, or RecordCount() + 1 at the end.
    uint32_t RecordNumber() const { return m_recno; }
    bool Eof() const { return m_eof; }
    bool Bof() const { return m_bof; }

    void Top();
    void Bottom();
    // Moves `count` records forward (backward when negative) in the selected order.
    void Skip(int64_t count = 1);
    void Go(uint32_t recno);

    // Appends a blank record and makes it current.
    void AppendBlank();
    void Delete();
    void Recall();
    bool Deleted() const;
    // Writes pending changes and makes them durable.
    void Flush();

    // The caller holds a lock that keeps every other writer of the table out until EndSteady
    // (the journal of its folder): the table then trusts what it has read instead of checking
    // the files again before every operation, and a `writing` holder also writes without taking
    // the table's write lock, keeping its index blocks until the flush. `othersWrote`: another
    // writer may have changed the files since the table last looked, so everything is read anew
    // now. Calls nest.
    void BeginSteady(bool writing, bool othersWrote);
    void EndSteady();
    bool Steady() const { return m_steadyDepth > 0; }
    // Forgets changes not yet written and everything read from the files (a journal transaction
    // was dropped); the table is at its end afterwards.
    void Discard();

    // The production index, if open.
    IndexFile *Index() const { return m_index.get(); }
    Tag *FindTag(std::string_view name) const;
    // Raises TagUnknown.
    Tag &TagByName(std::string_view name) const;
    // nullptr: record-number order.
    void SelectTag(Tag *tag);
    Tag *SelectedTag() const { return m_selected; }

    // Seeks the key (text; numbers and CCYYMMDD dates for numeric and date tags) in the
    // selected tag, or in the first tag when none is selected. A character key shorter than the
    // tag's matches the first entry that begins with it; `exact` pads it to the full length.
    SeekResult Seek(std::string_view key, bool exact = false);
    // The next record with the same key after the current one; a seek when the current record
    // does not have the key.
    SeekResult SeekNext(std::string_view key);

    // Fields of the current record (blank at the end of the table).
    std::string_view Raw(const Field &field) const;
    // The whole record, deletion flag first.
    std::string_view RecordBytes() const { return m_record; }
    // Character, numeric, date and logical fields at full width; memo fields as their text.
    std::string GetText(const Field &field) const;
    double GetNumber(const Field &field) const;
    bool GetLogical(const Field &field) const;
    // Character fields padded or cut; numeric fields formatted; memo fields replaced.
    void SetText(const Field &field, std::string_view text);
    void SetNumber(const Field &field, double value);
    void SetLogical(const Field &field, bool value);

    // Maintenance; each needs the table to itself (exclusive, or no other process has it).
    // Removes the records marked deleted and rebuilds every tag.
    void Pack();
    // Removes records first to last (all of them: the memo file is emptied too).
    void Zap(uint32_t first, uint32_t last);
    // Rebuilds every tag from the records.
    void Reindex();
    // Replaces the production index by a new one with these tags (none: an empty index).
    void CreateIndex(const std::vector<TagSpec> &tags);
    // The tags this table is known to have (the program's own tables): Pack and Reindex build
    // them when the production index cannot be read.
    void SetKnownTags(std::vector<TagSpec> tags) { m_knownTags = std::move(tags); }
    // Why the production index was not opened by OpenForRepair; empty when it was (or when the
    // table has none).
    const std::string &IndexFault() const { return m_indexFault; }
    // The tags Pack and Reindex give the table: those of its own index when it can be read (also
    // when the table was opened without it), else the known ones. None when the table has no
    // production index. Raises IndexCorrupt or IndexMissing when the index cannot be read and
    // no tags are known.
    std::optional<std::vector<TagSpec>> TagsToBuild();

    // Every tag's entries against the records, every memo the records name, the memo file's
    // free-block chain, and the header against the file; one line per problem, empty when all is
    // well.
    std::vector<std::string> Check();

private:
    // Top (first) or Bottom: the first or last record in the selected order.
    void GoToEnd(bool first);
    class WriteGuard;
    friend class WriteGuard;

    void LoadAfterOpen();
    void OpenCompanions();
    std::string CompanionPath(std::string_view extension) const;
    [[noreturn]] void Fail(Failure failure, const std::string &what) const;
    void Commit();
    void CommitIndex();
    void RequireRecord() const;
    void RequireWritable() const;
    void RequireExclusiveUse();
    void ReleaseExclusiveUse();
    void RefreshIfStale();
    void RefreshCount();
    void ReadRecord(uint32_t recno);
    bool CachesRecords() const;
    void ForgetRecords();
    const char *CachedRecord(uint32_t recno);
    // A record's bytes (and the end-of-file byte after a new one) to the file and the chunk
    // that holds it.
    void WriteRecordBytes(uint32_t recno, std::string_view bytes);
    void SetEnd();
    void LoadFromCursor();
    Tag &SeekTag() const;
    std::string Probe(const Tag &tag, std::string_view key, bool exact, size_t &length,
                      bool &possible) const;
    void EnsureCursor(Tag &tag, bool &onEntry);
    void WriteHeaderPrefix();
    uint32_t MemoBlock(const Field &field, std::string_view raw) const;
    void Rebuild(const std::function<bool(const RecordView &)> &keep, bool emptyMemo);
    void ReopenFiles();
    IndexDefinition Definition(const std::vector<TagSpec> &tags) const;
    void CheckMemos(std::vector<std::string> &problems);

    Context &m_context;
    File m_dbf;
    bool m_exclusive;
    bool m_exclusiveForMaintenance = false;
    int m_steadyDepth = 0;
    bool m_steadyWriting = false;
    DbfHeader m_header;
    std::unique_ptr<MemoFile> m_memo;
    std::unique_ptr<IndexFile> m_index;
    std::string m_indexPath;
    std::string m_indexFault;
    std::vector<TagSpec> m_knownTags;
    FileStamp m_indexStamp;
    Context::FileIdentity m_identity {};
    bool m_registered = false;

    uint32_t m_recno = 0;
    bool m_eof = true;
    bool m_bof = true;
    std::string m_record; // the current record as the caller sees it
    std::string m_original; // as it was read, for the keys it had
    bool m_changed = false;
    bool m_appended = false; // its keys are not in the tags yet
    bool m_unwritten = false; // appended in exclusive mode, not yet in the file
    std::map<size_t, std::string> m_memos; // new memo texts by field index
    bool m_dated = false;

    struct RecordChunk
    {
        std::string bytes;
        uint32_t count = 0; // records in it
        uint64_t lastUse = 0;
    };
    std::unordered_map<uint32_t, RecordChunk> m_chunks; // by chunk number

    struct NameHash
    {
        using is_transparent = void;
        size_t operator()(std::string_view name) const
        {
            return std::hash<std::string_view> {}(name);
        }
    };
    // Fields by the names callers used (the header's fields never move while the table is open).
    mutable std::unordered_map<std::string, const Field *, NameHash, std::equal_to<>>
        m_fieldsByName;
    uint64_t m_chunkClock = 0;

    Tag *m_selected = nullptr;
    std::optional<TagCursor> m_cursor;
    Tag *m_cursorTag = nullptr;
};

// `tablePath` with the extension of a companion file (".mdx", ".dbt") in the case of the table's
// own extension, or the existing file of that name in any case.
std::string CompanionPath(const std::string &tablePath, std::string_view extension);

// The record count of a DBF file against its size, and its repair.
struct RecordCountCheck
{
    bool readable = false; // the header was there and sensible
    uint32_t stored = 0;
    int64_t held = 0; // whole records after the header
};
RecordCountCheck CheckRecordCount(const std::string &path);
// Writes the count the file's size supports at byte 4 when it differs; nothing else changes.
// True when it wrote.
bool RepairRecordCount(const std::string &path);

} // namespace dbase
