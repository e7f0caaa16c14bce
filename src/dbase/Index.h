#pragma once

// The MDX production index: a header with a table of up to 47 tags, each tag a B-tree of
// fixed-size nodes. Nodes are read through a bounded page cache, so opening an index costs the
// same whatever its size. Changes are written in an order that keeps the file readable when the
// process dies between two writes (see Commit).

#include "dbase/Expression.h"
#include "dbase/File.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace dbase {

struct TagSpec
{
    std::string name;
    std::string expression;
    bool descending = false;
    bool unique = false;
};

class IndexFile;

// Key order of one key type, ascending.
int CompareKeyBytes(char keyType, size_t keyLength, const char *a, const char *b);

class Tag
{
public:
    Tag(IndexFile &file, std::string name, Expression expression);

    const std::string &Name() const { return m_name; }
    const Expression &Key() const { return m_expression; }
    char KeyType() const { return m_keyType; }
    size_t KeyLength() const { return m_keyLength; }
    bool Descending() const { return m_descending; }
    bool Unique() const { return m_unique; }
    TagSpec Spec() const { return {m_name, m_expression.Text(), m_descending, m_unique}; }
    size_t MaxKeys() const { return m_maxKeys; }

    // Key order of this tag (descending tags reversed); equal keys are ordered by record.
    int Compare(const char *a, const char *b) const;
    // Compares only the first `length` bytes of a character key (a partial key).
    int ComparePrefix(const char *entryKey, const char *probe, size_t length) const;

    // The key of a record.
    void MakeKey(const RecordView &record, char *key) const
    {
        m_expression.EvaluateKey(record, key, m_keyLength);
    }

    // Changes with every insert and removal; cursors positioned before a change are stale.
    uint64_t Version() const { return m_version; }

private:
    friend class IndexFile;
    friend class TagCursor;

    int RawCompare(const char *a, const char *b) const;

    IndexFile &m_file;
    std::string m_name;
    Expression m_expression;
    uint32_t m_headerPage = 0;
    mutable uint32_t m_root = 0;
    mutable bool m_rootKnown = true; // false: read it from the tag's header before use
    char m_keyType = 'C';
    uint16_t m_keyLength = 0;
    uint16_t m_maxKeys = 0;
    uint16_t m_itemLength = 0;
    bool m_descending = false;
    bool m_unique = false;
    uint64_t m_version = 0;
    bool m_touched = false; // change counter already raised since the file was opened
};

// A position in a tag: the path of (node, entry) from the root down to a leaf entry.
class TagCursor
{
public:
    explicit TagCursor(const Tag &tag) : m_tag(&tag) { }

    bool AtEnd() const { return m_path.empty(); }
    // Whether the tag has not changed since the cursor was positioned.
    bool Current() const { return !m_path.empty() && m_version == m_tag->Version(); }
    uint32_t Record() const;
    // Points into the page cache; valid until the next operation on the index.
    const char *Key() const;

    void First();
    void Last();
    bool Next();
    bool Prev();
    // The first entry whose key is at least `probe`, comparing `length` bytes (a partial
    // character key) or the whole key.
    void LowerBound(const char *probe, size_t length);
    // The first entry whose key is above `key`.
    void UpperBound(const char *key);
    // The entry of `key` and `recno`; false (and at end) when the tag has none.
    bool Find(const char *key, uint32_t recno);
    // Leaves met since the cursor was last positioned from the root (a search meets one,
    // rarely two).
    uint64_t LeavesVisited() const { return m_leavesVisited; }

private:
    friend class IndexFile;

    struct Level
    {
        uint32_t page;
        uint32_t index;
    };
    enum class Aim { Lower, Upper, First, Last };

    void Descend(Aim aim, const char *probe, size_t length);
    // The path the search for the first key above `key` takes down to its leaf, without
    // stepping on to the next leaf.
    std::vector<Level> LandingPath(const char *key);
    bool NextLeaf();
    bool PrevLeaf();
    void Visit();

    const Tag *m_tag;
    std::vector<Level> m_path;
    uint64_t m_version = 0;
    uint64_t m_leavesVisited = 0;
};

// A table's records, streamed for a rebuild.
class RecordSource
{
public:
    virtual ~RecordSource() = default;
    // The next record, or false at the end.
    virtual bool Next(RecordView &record) = 0;
};

// What a new index file holds.
struct IndexDefinition
{
    std::string tableBaseName;
    uint8_t languageDriver = 0;
    DateParts date;
    std::vector<TagSpec> tags;
};

class IndexFile
{
public:
    // Raises FileOpen, IndexCorrupt or Expression.
    static std::unique_ptr<IndexFile> Open(Context *context, const std::string &path,
                                           const std::vector<Field> &fields, bool writable,
                                           size_t cacheBlocks);
    // Checks the tags against the fields without writing anything; raises Expression.
    static void CheckDefinition(Context *context, const std::vector<TagSpec> &tags,
                                const std::vector<Field> &fields);
    // Writes a complete index file with every tag built from the records.
    static void Build(Context *context, const std::string &path, const IndexDefinition &definition,
                      const std::vector<Field> &fields, RecordSource &records);

    IndexFile(Context *context, File file, size_t cacheBlocks);

    const std::string &Path() const { return m_file.Path(); }
    const std::vector<std::unique_ptr<Tag>> &Tags() const { return m_tags; }
    Tag *FindTag(std::string_view name) const;
    std::vector<TagSpec> Specs() const;

    // False when a unique tag already holds the key (the record is then not indexed).
    bool Insert(Tag &tag, const char *key, uint32_t recno);
    // False when the tag has no such entry.
    bool Remove(Tag &tag, const char *key, uint32_t recno);

    // Writes every changed block: new blocks first, then the header with the new page count,
    // then changed blocks parents before children. A process that dies half way leaves a tree
    // that still reads (at worst with entries doubled or missing, which a reindex repairs).
    void Commit(const DateParts &date);
    // Blocks changed and not yet written.
    size_t DirtyBlocks() const { return m_dirty.size(); }
    // Forgets cached blocks and rereads the tag roots (another process may have written).
    void Reload();
    // Evicts the least recently used clean blocks beyond the cache limit.
    void TrimCache();
    FileStamp Stamp() const { return m_file.Stamp(); }
    void Sync() { m_file.Sync(); }

    // For checks: every page a tag's tree uses must lie inside the file.
    uint32_t PageLimit() const { return m_pageLimit; }
    size_t BlockSize() const { return m_blockSize; }

private:
    friend class TagCursor;

    struct Block
    {
        std::string data;
        uint64_t lastUse = 0;
        uint64_t dirtySince = 0; // 0: clean
        bool fresh = false; // allocated, never written
    };

    // A node's key count and kind, as CheckedNode reads them.
    struct NodeView
    {
        const char *data;
        uint32_t count;
        bool branch;
    };

    [[noreturn]] void Corrupt(const Tag &tag, const std::string &what) const;
    const char *Read(uint32_t page);
    // The node at `page` on a path `depth` levels below the root; raises IndexCorrupt for a path
    // too deep to be a tree (pointers that loop) or a node holding more keys than it can.
    NodeView CheckedNode(const Tag &tag, uint32_t page, size_t depth);
    char *Modify(uint32_t page);
    uint32_t Allocate();
    void ReadTagHeader(Tag &tag);
    void TouchTag(Tag &tag, bool holdsKeys);
    void InsertAt(Tag &tag, std::vector<TagCursor::Level> path, const char *key, uint32_t recno);
    void AddToParent(Tag &tag, const std::vector<TagCursor::Level> &path, size_t level,
                     uint32_t left, const std::string &separator, uint32_t right);
    void RemoveAt(Tag &tag, const std::vector<TagCursor::Level> &path);
    void RemoveChild(Tag &tag, const std::vector<TagCursor::Level> &path, size_t level);
    // The tag's root page, read from its header when a reload left it unknown.
    uint32_t RootOf(const Tag &tag);
    void SetRoot(Tag &tag, uint32_t page);

    Context *m_context;
    File m_file;
    size_t m_cacheBlocks;
    size_t m_blockSize = 1024;
    uint32_t m_pagesPerBlock = 2;
    uint32_t m_pageCount = 0; // header bytes 32-35
    uint32_t m_pageLimit = 0; // pages the file holds
    std::string m_header; // bytes 0-2047
    bool m_headerDirty = false;
    bool m_dated = false;
    std::vector<std::unique_ptr<Tag>> m_tags;
    std::unordered_map<uint32_t, Block> m_cache;
    std::vector<uint32_t> m_dirty; // pages changed since the last commit
    uint64_t m_clock = 0;
};

} // namespace dbase
