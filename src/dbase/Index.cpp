#include "dbase/Index.h"

#include "core/Text.h"

#include "dbase/Bytes.h"
#include "dbase/Keys.h"

#include <algorithm>
#include <cstring>
#include <numeric>
#include <optional>

namespace dbase {

namespace {

constexpr uint32_t kPageSize = 512;
constexpr size_t kHeaderBytes = 2048;
constexpr uint32_t kFirstBlockPage = kHeaderBytes / kPageSize;
constexpr size_t kTagTable = 544;
constexpr size_t kTagEntryLength = 32;
constexpr size_t kMaxTags = 47;
constexpr size_t kMaxDepth = 32;
constexpr size_t kWriteBlockSize = 1024;
constexpr size_t kMaxCharacterKey = 100;

constexpr uint8_t kFlagDescending = 0x08;
constexpr uint8_t kFlagFields = 0x10;
constexpr uint8_t kFlagUnique = 0x40;

size_t ItemLength(size_t keyLength)
{
    return (4 + keyLength + 3) / 4 * 4;
}

bool ValidTagName(const std::string &name)
{
    if (name.empty() || name.size() > 10 || !((name[0] >= 'A' && name[0] <= 'Z'))) {
        return false;
    }
    return std::all_of(name.begin(), name.end(), [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
    });
}

char KeyTypeOf(Expression::Type type)
{
    switch (type) {
    case Expression::Type::Character:
        return 'C';
    case Expression::Type::Numeric:
        return 'N';
    case Expression::Type::Date:
        return 'D';
    case Expression::Type::Logical:
        break;
    }
    return '?';
}

size_t KeyLengthOf(const Expression &expression)
{
    switch (expression.ResultType()) {
    case Expression::Type::Numeric:
        return kNumericKeyLength;
    case Expression::Type::Date:
        return kDateKeyLength;
    default:
        return expression.Width();
    }
}

// Blocks written one after another, in few system calls.
class BlockWriter
{
public:
    explicit BlockWriter(File &file) : m_file(file) { }

    void Put(uint32_t page, const std::string &block)
    {
        const int64_t offset = static_cast<int64_t>(page) * kPageSize;
        if (offset != m_start + static_cast<int64_t>(m_buffer.size())) {
            Flush();
            m_start = offset;
        }
        m_buffer += block;
        if (m_buffer.size() >= (1u << 20)) {
            Flush();
        }
    }

    void Flush()
    {
        if (!m_buffer.empty()) {
            m_file.Write(m_start, m_buffer);
            m_start += static_cast<int64_t>(m_buffer.size());
            m_buffer.clear();
        }
    }

private:
    File &m_file;
    int64_t m_start = 0;
    std::string m_buffer;
};

} // namespace

// ---------------------------------------------------------------------------------------------
// Tag

Tag::Tag(IndexFile &file, std::string name, Expression expression)
    : m_file(file), m_name(std::move(name)), m_expression(std::move(expression))
{ }

int CompareKeyBytes(char keyType, size_t keyLength, const char *a, const char *b)
{
    switch (keyType) {
    case 'N':
        return CompareNumericKeys(a, b);
    case 'D':
        return CompareDateKeys(a, b);
    default:
        return CompareCharacterKeys(a, b, keyLength);
    }
}

int Tag::RawCompare(const char *a, const char *b) const
{
    return CompareKeyBytes(m_keyType, m_keyLength, a, b);
}

int Tag::Compare(const char *a, const char *b) const
{
    const int order = RawCompare(a, b);
    return m_descending ? -order : order;
}

int Tag::ComparePrefix(const char *entryKey, const char *probe, size_t length) const
{
    if (m_keyType != 'C' || length >= m_keyLength) {
        return Compare(entryKey, probe);
    }
    const int order = CompareCharacterKeys(entryKey, probe, length);
    return m_descending ? -order : order;
}

// ---------------------------------------------------------------------------------------------
// TagCursor

uint32_t TagCursor::Record() const
{
    const Level &leaf = m_path.back();
    const char *node = m_tag->m_file.Read(leaf.page);
    return ReadU32(node + 8 + static_cast<size_t>(leaf.index) * m_tag->m_itemLength);
}

const char *TagCursor::Key() const
{
    const Level &leaf = m_path.back();
    const char *node = m_tag->m_file.Read(leaf.page);
    return node + 8 + static_cast<size_t>(leaf.index) * m_tag->m_itemLength + 4;
}

// A count above the maximum marks the node as corrupt. A branch has a child pointer after its last
// key, a leaf zero there. Some writers fill branches up to the maximum; a full node is taken for a
// branch only when every pointer in it names a page.
IndexFile::NodeView IndexFile::CheckedNode(const Tag &tag, uint32_t page, size_t depth)
{
    if (depth >= kMaxDepth) {
        Corrupt(tag, "its tree is deeper than 32 levels (its pointers loop)");
    }
    const char *data = Read(page);
    const uint32_t count = ReadU32(data);
    if (count > tag.m_maxKeys) {
        Corrupt(tag,
                "the node at page " + std::to_string(page) + " holds more keys than a node can");
    }
    NodeView view {data, count, false};
    const size_t itemLength = tag.m_itemLength;
    const size_t slot = 8 + static_cast<size_t>(count) * itemLength;
    view.branch = slot + 4 <= m_blockSize && ReadU32(data + slot) != 0;
    for (uint32_t i = 0; view.branch && count == tag.m_maxKeys && i <= count; ++i) {
        const uint32_t child = ReadU32(data + 8 + static_cast<size_t>(i) * itemLength);
        view.branch = child >= kFirstBlockPage && child < m_pageLimit;
    }
    return view;
}

void TagCursor::Visit()
{
    if (++m_leavesVisited > m_tag->m_file.PageLimit()) {
        m_tag->m_file.Corrupt(*m_tag, "its leaves lead in a circle");
    }
}

void TagCursor::Descend(Aim aim, const char *probe, size_t length)
{
    const Tag &tag = *m_tag;
    IndexFile &file = tag.m_file;
    const size_t L = tag.m_itemLength;
    m_path.clear();
    m_version = tag.m_version;
    m_leavesVisited = 0;
    uint32_t page = file.RootOf(tag);
    for (;;) {
        const IndexFile::NodeView node = file.CheckedNode(tag, page, m_path.size());
        const char *keys = node.data + 8 + 4;
        uint32_t lo = 0;
        uint32_t hi = node.count;
        switch (aim) {
        case Aim::Lower:
            while (lo < hi) {
                const uint32_t mid = lo + (hi - lo) / 2;
                if (tag.ComparePrefix(keys + static_cast<size_t>(mid) * L, probe, length) < 0) {
                    lo = mid + 1;
                } else {
                    hi = mid;
                }
            }
            break;
        case Aim::Upper:
            while (lo < hi) {
                const uint32_t mid = lo + (hi - lo) / 2;
                if (tag.Compare(keys + static_cast<size_t>(mid) * L, probe) <= 0) {
                    lo = mid + 1;
                } else {
                    hi = mid;
                }
            }
            break;
        case Aim::First:
            lo = 0;
            break;
        case Aim::Last:
            lo = node.branch ? node.count : (node.count == 0 ? 0 : node.count - 1);
            break;
        }
        m_path.push_back({page, lo});
        if (!node.branch) {
            Visit();
            if (aim == Aim::Last ? node.count == 0 : lo >= node.count) {
                if (aim == Aim::Last ? !PrevLeaf() : !NextLeaf()) {
                    m_path.clear();
                }
            }
            // A separator above may be higher than what is left below it after removals, so
            // the next leaf can still begin with keys short of the probe.
            if (aim == Aim::Lower) {
                while (!m_path.empty() && tag.ComparePrefix(Key(), probe, length) < 0) {
                    Next();
                }
            } else if (aim == Aim::Upper) {
                while (!m_path.empty() && tag.Compare(Key(), probe) <= 0) {
                    Next();
                }
            }
            return;
        }
        page = ReadU32(node.data + 8 + static_cast<size_t>(lo) * L);
    }
}

bool TagCursor::NextLeaf()
{
    const Tag &tag = *m_tag;
    IndexFile &file = tag.m_file;
    const size_t L = tag.m_itemLength;
    m_path.pop_back();
    while (!m_path.empty()) {
        Level &top = m_path.back();
        const IndexFile::NodeView parent = file.CheckedNode(tag, top.page, m_path.size() - 1);
        if (top.index >= parent.count) {
            m_path.pop_back();
            continue;
        }
        ++top.index;
        uint32_t page = ReadU32(parent.data + 8 + static_cast<size_t>(top.index) * L);
        for (;;) {
            const IndexFile::NodeView node = file.CheckedNode(tag, page, m_path.size());
            m_path.push_back({page, 0});
            if (node.branch) {
                page = ReadU32(node.data + 8);
                continue;
            }
            Visit();
            if (node.count > 0) {
                return true;
            }
            m_path.pop_back(); // an empty leaf: go on to the next
            break;
        }
    }
    return false;
}

bool TagCursor::PrevLeaf()
{
    const Tag &tag = *m_tag;
    IndexFile &file = tag.m_file;
    const size_t L = tag.m_itemLength;
    m_path.pop_back();
    while (!m_path.empty()) {
        Level &top = m_path.back();
        if (top.index == 0) {
            m_path.pop_back();
            continue;
        }
        --top.index;
        const char *parent = file.Read(top.page);
        uint32_t page = ReadU32(parent + 8 + static_cast<size_t>(top.index) * L);
        for (;;) {
            const IndexFile::NodeView node = file.CheckedNode(tag, page, m_path.size());
            if (node.branch) {
                m_path.push_back({page, node.count});
                page = ReadU32(node.data + 8 + static_cast<size_t>(node.count) * L);
                continue;
            }
            Visit();
            if (node.count > 0) {
                m_path.push_back({page, node.count - 1});
                return true;
            }
            break;
        }
    }
    return false;
}

std::vector<TagCursor::Level> TagCursor::LandingPath(const char *key)
{
    const Tag &tag = *m_tag;
    IndexFile &file = tag.m_file;
    const size_t L = tag.m_itemLength;
    std::vector<Level> path;
    uint32_t page = file.RootOf(tag);
    for (;;) {
        const IndexFile::NodeView node = file.CheckedNode(tag, page, path.size());
        uint32_t lo = 0;
        uint32_t hi = node.count;
        while (lo < hi) {
            const uint32_t mid = lo + (hi - lo) / 2;
            if (tag.Compare(node.data + 12 + static_cast<size_t>(mid) * L, key) <= 0) {
                lo = mid + 1;
            } else {
                hi = mid;
            }
        }
        path.push_back({page, lo});
        if (!node.branch) {
            return path;
        }
        page = ReadU32(node.data + 8 + static_cast<size_t>(lo) * L);
    }
}

void TagCursor::First()
{
    Descend(Aim::First, nullptr, 0);
}

void TagCursor::Last()
{
    Descend(Aim::Last, nullptr, 0);
}

bool TagCursor::Next()
{
    if (m_path.empty()) {
        return false;
    }
    Level &leaf = m_path.back();
    const uint32_t count = ReadU32(m_tag->m_file.Read(leaf.page));
    if (leaf.index + 1 < count) {
        ++leaf.index;
        return true;
    }
    if (!NextLeaf()) {
        m_path.clear();
        return false;
    }
    return true;
}

bool TagCursor::Prev()
{
    if (m_path.empty()) {
        Last();
        return !m_path.empty();
    }
    Level &leaf = m_path.back();
    if (leaf.index > 0) {
        --leaf.index;
        return true;
    }
    if (!PrevLeaf()) {
        m_path.clear();
        return false;
    }
    return true;
}

void TagCursor::LowerBound(const char *probe, size_t length)
{
    Descend(Aim::Lower, probe, length);
}

void TagCursor::UpperBound(const char *key)
{
    Descend(Aim::Upper, key, m_tag->m_keyLength);
}

bool TagCursor::Find(const char *key, uint32_t recno)
{
    LowerBound(key, m_tag->m_keyLength);
    while (!m_path.empty() && m_tag->Compare(Key(), key) == 0) {
        if (Record() == recno) {
            return true;
        }
        Next();
    }
    m_path.clear();
    return false;
}

// ---------------------------------------------------------------------------------------------
// IndexFile: opening and the page cache

IndexFile::IndexFile(Context *context, File file, size_t cacheBlocks)
    : m_context(context), m_file(std::move(file)), m_cacheBlocks(std::max<size_t>(cacheBlocks, 16))
{ }

void IndexFile::Corrupt(const Tag &tag, const std::string &what) const
{
    Raise(m_context, Failure::IndexCorrupt,
          "index " + m_file.Path() + ", tag " + tag.Name() + ": " + what +
              "; pack and reindex the table");
}

std::unique_ptr<IndexFile> IndexFile::Open(Context *context, const std::string &path,
                                           const std::vector<Field> &fields, bool writable,
                                           size_t cacheBlocks)
{
    auto index = std::make_unique<IndexFile>(
        context, File::Open(context, path, writable ? File::Mode::ReadWrite : File::Mode::Read),
        cacheBlocks);
    IndexFile &x = *index;
    const auto corrupt = [&](const std::string &what) {
        Raise(context, Failure::IndexCorrupt,
              path + " is not a valid dBASE IV index: " + what + "; pack and reindex the table");
    };
    x.m_header.resize(kHeaderBytes);
    if (x.m_file.ReadSome(0, x.m_header.data(), kHeaderBytes) < kHeaderBytes) {
        corrupt("the file is shorter than an index header");
    }
    const char *h = x.m_header.data();
    if (Byte(h, 0) == 3) {
        corrupt("dBASE 7 indexes are not supported");
    }
    if (Byte(h, 0) != 2) {
        corrupt("unknown version " + std::to_string(Byte(h, 0)));
    }
    x.m_pagesPerBlock = ReadU16(h + 20);
    x.m_blockSize = ReadU16(h + 22);
    if (x.m_blockSize < 1024 || x.m_blockSize % kPageSize != 0 ||
        x.m_blockSize != x.m_pagesPerBlock * kPageSize) {
        corrupt("block size " + std::to_string(x.m_blockSize) + " bytes in " +
                std::to_string(x.m_pagesPerBlock) + " pages");
    }
    if (Byte(h, 26) != kTagEntryLength) {
        corrupt("tag entries of " + std::to_string(Byte(h, 26)) + " bytes");
    }
    const uint16_t tagCount = ReadU16(h + 28);
    if (tagCount > kMaxTags) {
        corrupt(std::to_string(tagCount) + " tags (at most 47 fit)");
    }
    x.m_pageCount = ReadU32(h + 32);
    const int64_t pages = x.m_file.Size() / kPageSize;
    x.m_pageLimit = static_cast<uint32_t>(std::min<int64_t>(pages, UINT32_MAX));
    if (x.m_pageCount < kFirstBlockPage) {
        corrupt("a page count of " + std::to_string(x.m_pageCount));
    }
    for (size_t i = 0; i < tagCount; ++i) {
        const char *entry = h + kTagTable + i * kTagEntryLength;
        size_t nameLength = 0;
        while (nameLength < 11 && entry[4 + nameLength] != '\0') {
            ++nameLength;
        }
        const std::string name = Trim(std::string_view(entry + 4, nameLength));
        if (name.empty()) {
            corrupt("tag " + std::to_string(i + 1) + " has no name");
        }
        const uint32_t headerPage = ReadU32(entry);
        if (headerPage < kFirstBlockPage || headerPage > x.m_pageLimit ||
            x.m_pageLimit - headerPage < x.m_pagesPerBlock) {
            corrupt("the header of tag " + name + " lies outside the file");
        }
        std::string block(x.m_blockSize, '\0');
        x.m_file.ReadExact(static_cast<int64_t>(headerPage) * kPageSize, block.data(), block.size(),
                           Failure::IndexCorrupt);
        const char *t = block.data();
        const char keyType = t[9];
        const uint16_t keyLength = ReadU16(t + 12);
        const uint16_t maxKeys = ReadU16(t + 14);
        const uint16_t itemLength = ReadU16(t + 18);
        const std::string what = "tag " + name + " ";
        if (keyType != 'C' && keyType != 'N' && keyType != 'D') {
            corrupt(what + "has key type '" + std::string(1, keyType) + "'");
        }
        if ((keyType == 'C' && (keyLength < 1 || keyLength > kMaxCharacterKey)) ||
            (keyType == 'N' && keyLength != kNumericKeyLength) ||
            (keyType == 'D' && keyLength != kDateKeyLength)) {
            corrupt(what + "has an impossible key length of " + std::to_string(keyLength));
        }
        if (itemLength != ItemLength(keyLength)) {
            corrupt(what + "has entries of " + std::to_string(itemLength) + " bytes for keys of " +
                    std::to_string(keyLength));
        }
        if (maxKeys < 1 || static_cast<size_t>(maxKeys) * itemLength + 8 > x.m_blockSize) {
            corrupt(what + "claims " + std::to_string(maxKeys) + " keys per node");
        }
        if (t[245] != 0) {
            corrupt(what + "has a FOR condition, which this engine does not keep up to date");
        }
        size_t expressionLength = 0;
        while (expressionLength < 220 && t[24 + expressionLength] != '\0') {
            ++expressionLength;
        }
        // A key that cannot be read names the index and the tag: the table opens with none.
        std::optional<Expression> parsed;
        try {
            parsed = Expression::Parse(context, std::string_view(t + 24, expressionLength), fields);
        } catch (const Error &error) {
            Raise(context, Failure::Expression,
                  "index " + path + ", tag " + name + ": " + error.what() +
                      "; pack and reindex the table");
        }
        Expression expression = std::move(*parsed);
        if (KeyTypeOf(expression.ResultType()) != keyType) {
            corrupt(what + "has key type '" + std::string(1, keyType) + "' but its expression \"" +
                    expression.Text() + "\" gives another type");
        }
        auto tag = std::make_unique<Tag>(x, name, std::move(expression));
        tag->m_headerPage = headerPage;
        tag->m_root = ReadU32(t);
        tag->m_keyType = keyType;
        tag->m_keyLength = keyLength;
        tag->m_maxKeys = maxKeys;
        tag->m_itemLength = itemLength;
        tag->m_descending = (Byte(t, 8) & kFlagDescending) != 0;
        tag->m_unique = (Byte(t, 8) & kFlagUnique) != 0 || t[23] != 0;
        x.m_tags.push_back(std::move(tag));
    }
    return index;
}

Tag *IndexFile::FindTag(std::string_view name) const
{
    const std::string wanted = Trim(name);
    for (const auto &tag : m_tags) {
        if (SameText(tag->Name(), wanted)) {
            return tag.get();
        }
    }
    return nullptr;
}

std::vector<TagSpec> IndexFile::Specs() const
{
    std::vector<TagSpec> specs;
    for (const auto &tag : m_tags) {
        specs.push_back(tag->Spec());
    }
    return specs;
}

const char *IndexFile::Read(uint32_t page)
{
    auto found = m_cache.find(page);
    if (found == m_cache.end()) {
        if (page < kFirstBlockPage || page > m_pageLimit || m_pageLimit - page < m_pagesPerBlock) {
            Raise(m_context, Failure::IndexCorrupt,
                  "index " + m_file.Path() + " points at page " + std::to_string(page) +
                      ", outside the file; pack and reindex the table");
        }
        std::string data(m_blockSize, '\0');
        m_file.ReadExact(static_cast<int64_t>(page) * kPageSize, data.data(), data.size(),
                         Failure::IndexCorrupt);
        found = m_cache.emplace(page, Block {std::move(data), 0, 0, false}).first;
    }
    found->second.lastUse = ++m_clock;
    return found->second.data.data();
}

char *IndexFile::Modify(uint32_t page)
{
    Read(page);
    Block &block = m_cache.at(page);
    if (block.dirtySince == 0) {
        block.dirtySince = ++m_clock;
        m_dirty.push_back(page);
    }
    return block.data.data();
}

uint32_t IndexFile::Allocate()
{
    if (m_pageCount > UINT32_MAX - 2 * m_pagesPerBlock) {
        Raise(m_context, Failure::Write, "index " + m_file.Path() + " is full");
    }
    const uint32_t page = m_pageCount;
    m_pageCount += m_pagesPerBlock;
    WriteU32(m_header.data() + 32, m_pageCount);
    m_headerDirty = true;
    m_pageLimit = std::max(m_pageLimit, m_pageCount);
    Block block {std::string(m_blockSize, '\0'), ++m_clock, 0, true};
    block.dirtySince = m_clock;
    m_cache.insert_or_assign(page, std::move(block));
    m_dirty.push_back(page);
    return page;
}

void IndexFile::Commit(const DateParts &date)
{
    std::vector<std::pair<uint32_t, Block *>> fresh;
    std::vector<std::pair<uint32_t, Block *>> changed;
    for (uint32_t page : m_dirty) {
        Block &block = m_cache.at(page);
        (block.fresh ? fresh : changed).emplace_back(page, &block);
    }
    if (fresh.empty() && changed.empty() && !m_headerDirty) {
        return;
    }
    std::sort(fresh.begin(), fresh.end());
    BlockWriter writer(m_file);
    for (const auto &[page, block] : fresh) {
        writer.Put(page, block->data);
    }
    writer.Flush();
    if (!m_dated) {
        m_header[44] = static_cast<char>(std::clamp(date.year - 1900, 0, 255));
        m_header[45] = static_cast<char>(date.month);
        m_header[46] = static_cast<char>(date.day);
        m_dated = true;
        m_headerDirty = true;
    }
    if (m_headerDirty) {
        m_file.Write(0, std::string_view(m_header.data(), kPageSize));
        m_headerDirty = false;
    }
    std::sort(changed.begin(), changed.end(), [](const auto &a, const auto &b) {
        return a.second->dirtySince > b.second->dirtySince;
    });
    for (const auto &[page, block] : changed) {
        m_file.Write(static_cast<int64_t>(page) * kPageSize, block->data);
    }
    for (uint32_t page : m_dirty) {
        Block &block = m_cache.at(page);
        block.dirtySince = 0;
        block.fresh = false;
    }
    m_dirty.clear();
    m_file.NoteChange();
    TrimCache();
}

void IndexFile::Reload()
{
    m_cache.clear();
    m_dirty.clear();
    m_file.ReadExact(0, m_header.data(), kHeaderBytes, Failure::IndexCorrupt);
    m_pageCount = ReadU32(m_header.data() + 32);
    m_pageLimit = static_cast<uint32_t>(std::min<int64_t>(m_file.Size() / kPageSize, UINT32_MAX));
    // A tag's root is read again when the tag is next used: a write that changes one key
    // reads the header of that tag alone.
    for (auto &tag : m_tags) {
        tag->m_rootKnown = false;
        ++tag->m_version;
    }
}

void IndexFile::TrimCache()
{
    if (m_cache.size() <= m_cacheBlocks) {
        return;
    }
    std::vector<std::pair<uint64_t, uint32_t>> clean;
    for (const auto &[page, block] : m_cache) {
        if (block.dirtySince == 0) {
            clean.emplace_back(block.lastUse, page);
        }
    }
    std::sort(clean.begin(), clean.end());
    const size_t target = m_cacheBlocks * 3 / 4;
    for (const auto &[use, page] : clean) {
        if (m_cache.size() <= target) {
            break;
        }
        m_cache.erase(page);
    }
}

// ---------------------------------------------------------------------------------------------
// IndexFile: changing entries

void IndexFile::TouchTag(Tag &tag, bool holdsKeys)
{
    char *header = nullptr;
    if (!tag.m_touched) {
        header = Modify(tag.m_headerPage);
        header[20] = static_cast<char>(static_cast<unsigned char>(header[20]) + 1);
        tag.m_touched = true;
    }
    const char *current = Read(tag.m_headerPage);
    if ((current[246] != 0) != holdsKeys) {
        Modify(tag.m_headerPage)[246] = holdsKeys ? 1 : 0;
    }
}

uint32_t IndexFile::RootOf(const Tag &tag)
{
    if (!tag.m_rootKnown) {
        tag.m_root = ReadU32(Read(tag.m_headerPage));
        tag.m_rootKnown = true;
    }
    return tag.m_root;
}

void IndexFile::SetRoot(Tag &tag, uint32_t page)
{
    tag.m_root = page;
    tag.m_rootKnown = true;
    WriteU32(Modify(tag.m_headerPage), page);
}

bool IndexFile::Insert(Tag &tag, const char *key, uint32_t recno)
{
    if (!m_file.Writable()) {
        Raise(m_context, Failure::ReadOnly, "index " + m_file.Path() + " is open for reading only");
    }
    if (tag.m_maxKeys < 3) {
        Corrupt(tag, "its nodes hold too few keys to be changed");
    }
    TagCursor cursor(tag);
    if (tag.m_unique) {
        cursor.LowerBound(key, tag.m_keyLength);
        if (!cursor.AtEnd() && tag.Compare(cursor.Key(), key) == 0) {
            return false;
        }
    }
    // In front of the first entry above (key, recno): after every greater key, then back over
    // equal keys of later records.
    cursor.UpperBound(key);
    for (;;) {
        TagCursor before = cursor;
        if (!before.Prev() || tag.Compare(before.Key(), key) != 0 || before.Record() < recno) {
            break;
        }
        cursor = std::move(before);
    }
    std::vector<TagCursor::Level> path = cursor.m_path;
    if (!path.empty() && path.back().index == 0) {
        // At the start of a leaf right after the leaf the search came down to: append to that
        // one instead. Its separator is above the key already (it may be higher than what is
        // left in it after removals); putting the key in the next leaf would make every later
        // search walk on through it.
        const std::vector<TagCursor::Level> landing = cursor.LandingPath(key);
        TagCursor before = cursor;
        if (before.Prev() && before.m_path.back().page == landing.back().page &&
            landing.back().page != path.back().page) {
            path = landing;
            path.back().index = ReadU32(Read(landing.back().page));
        }
    }
    if (path.empty()) {
        // After the last entry: the end of the last leaf.
        const size_t L = tag.m_itemLength;
        uint32_t page = RootOf(tag);
        for (;;) {
            const IndexFile::NodeView node = CheckedNode(tag, page, path.size());
            path.push_back({page, node.count});
            if (!node.branch) {
                break;
            }
            page = ReadU32(node.data + 8 + static_cast<size_t>(node.count) * L);
        }
    }
    InsertAt(tag, std::move(path), key, recno);
    ++tag.m_version;
    TouchTag(tag, true);
    return true;
}

void IndexFile::InsertAt(Tag &tag, std::vector<TagCursor::Level> path, const char *key,
                         uint32_t recno)
{
    const size_t L = tag.m_itemLength;
    const size_t maxKeys = tag.m_maxKeys;
    const TagCursor::Level leaf = path.back();
    char *node = Modify(leaf.page);
    const size_t count = ReadU32(node);
    const size_t at = std::min<size_t>(leaf.index, count);
    std::string item(L, '\0');
    WriteU32(item.data(), recno);
    std::memcpy(item.data() + 4, key, tag.m_keyLength);
    if (count < maxKeys) {
        char *slot = node + 8 + at * L;
        std::memmove(slot + L, slot, (count - at) * L);
        std::memcpy(slot, item.data(), L);
        WriteU32(node, static_cast<uint32_t>(count + 1));
        std::memset(node + 8 + (count + 1) * L, 0, m_blockSize - 8 - (count + 1) * L);
        return;
    }
    std::string all(node + 8, at * L);
    all += item;
    all.append(node + 8 + at * L, (count - at) * L);
    const size_t total = count + 1;
    // Appending at the end (records added in key order) keeps the left node full.
    const size_t leftCount = at == count ? count : total / 2;
    const uint32_t right = Allocate();
    node = Modify(leaf.page);
    std::memset(node, 0, m_blockSize);
    WriteU32(node, static_cast<uint32_t>(leftCount));
    std::memcpy(node + 8, all.data(), leftCount * L);
    char *rightNode = Modify(right);
    WriteU32(rightNode, static_cast<uint32_t>(total - leftCount));
    std::memcpy(rightNode + 8, all.data() + leftCount * L, (total - leftCount) * L);
    const std::string separator(all.data() + (leftCount - 1) * L + 4, tag.m_keyLength);
    AddToParent(tag, path, path.size() - 1, leaf.page, separator, right);
}

void IndexFile::AddToParent(Tag &tag, const std::vector<TagCursor::Level> &path, size_t level,
                            uint32_t left, const std::string &separator, uint32_t right)
{
    const size_t L = tag.m_itemLength;
    const size_t maxKeys = tag.m_maxKeys;
    if (level == 0) {
        const uint32_t root = Allocate();
        char *node = Modify(root);
        WriteU32(node, 1);
        WriteU32(node + 8, left);
        std::memcpy(node + 12, separator.data(), tag.m_keyLength);
        WriteU32(node + 8 + L, right);
        SetRoot(tag, root);
        return;
    }
    const TagCursor::Level parent = path[level - 1];
    char *node = Modify(parent.page);
    const size_t count = ReadU32(node);
    const size_t j = std::min<size_t>(parent.index, count);
    const std::string slots(node + 8, (count + 1) * L);
    std::string entry(L, '\0');
    WriteU32(entry.data(), left);
    std::memcpy(entry.data() + 4, separator.data(), tag.m_keyLength);
    std::string moved = slots.substr(j * L, L);
    WriteU32(moved.data(), right);
    std::string updated = slots.substr(0, j * L);
    updated += entry;
    updated += moved;
    updated += slots.substr((j + 1) * L);
    const size_t keys = count + 1; // updated holds keys + 1 slots, the last a pointer only
    std::memset(updated.data() + keys * L + 4, 0, L - 4);
    if (keys <= maxKeys - 1) {
        std::memset(node, 0, m_blockSize);
        WriteU32(node, static_cast<uint32_t>(keys));
        std::memcpy(node + 8, updated.data(), (keys + 1) * L);
        return;
    }
    // Split the branch: the middle key moves up.
    const size_t leftKeys = keys / 2;
    const std::string middle = updated.substr(leftKeys * L + 4, tag.m_keyLength);
    const uint32_t newRight = Allocate();
    node = Modify(parent.page);
    std::memset(node, 0, m_blockSize);
    WriteU32(node, static_cast<uint32_t>(leftKeys));
    std::memcpy(node + 8, updated.data(), (leftKeys + 1) * L);
    std::memset(node + 8 + leftKeys * L + 4, 0, L - 4);
    char *rightNode = Modify(newRight);
    const size_t rightKeys = keys - leftKeys - 1;
    WriteU32(rightNode, static_cast<uint32_t>(rightKeys));
    std::memcpy(rightNode + 8, updated.data() + (leftKeys + 1) * L, (rightKeys + 1) * L);
    AddToParent(tag, path, level - 1, parent.page, middle, newRight);
}

bool IndexFile::Remove(Tag &tag, const char *key, uint32_t recno)
{
    if (!m_file.Writable()) {
        Raise(m_context, Failure::ReadOnly, "index " + m_file.Path() + " is open for reading only");
    }
    TagCursor cursor(tag);
    if (!cursor.Find(key, recno)) {
        return false;
    }
    RemoveAt(tag, cursor.m_path);
    ++tag.m_version;
    const char *root = Read(RootOf(tag));
    TouchTag(tag, ReadU32(root) != 0 || ReadU32(root + 8) != 0);
    return true;
}

void IndexFile::RemoveAt(Tag &tag, const std::vector<TagCursor::Level> &path)
{
    const size_t L = tag.m_itemLength;
    const TagCursor::Level leaf = path.back();
    char *node = Modify(leaf.page);
    const size_t count = ReadU32(node);
    char *slot = node + 8 + static_cast<size_t>(leaf.index) * L;
    std::memmove(slot, slot + L, (count - leaf.index - 1) * L);
    WriteU32(node, static_cast<uint32_t>(count - 1));
    std::memset(node + 8 + (count - 1) * L, 0, m_blockSize - 8 - (count - 1) * L);
    if (count == 1 && path.size() > 1) {
        RemoveChild(tag, path, path.size() - 2);
    }
}

void IndexFile::RemoveChild(Tag &tag, const std::vector<TagCursor::Level> &path, size_t level)
{
    const size_t L = tag.m_itemLength;
    const TagCursor::Level parent = path[level];
    char *node = Modify(parent.page);
    const size_t count = ReadU32(node);
    if (count == 0) {
        // Its only child is gone, so the branch goes too (the root becomes an empty leaf).
        if (level == 0) {
            std::memset(node, 0, m_blockSize);
            return;
        }
        RemoveChild(tag, path, level - 1);
        return;
    }
    const size_t j = std::min<size_t>(parent.index, count);
    if (j < count) {
        std::memmove(node + 8 + j * L, node + 8 + (j + 1) * L, (count - j) * L);
    }
    // The slot after the last key now holds the rightmost pointer alone.
    WriteU32(node, static_cast<uint32_t>(count - 1));
    std::memset(node + 8 + (count - 1) * L + 4, 0, m_blockSize - 8 - (count - 1) * L - 4);
    if (level == 0) {
        // A root left with one child hands the root over to it.
        for (size_t depth = 0; depth < kMaxDepth; ++depth) {
            const char *root = Read(RootOf(tag));
            if (ReadU32(root) != 0 || ReadU32(root + 8) == 0) {
                break;
            }
            SetRoot(tag, ReadU32(root + 8));
        }
    }
}

// ---------------------------------------------------------------------------------------------
// IndexFile: building a whole file

void IndexFile::CheckDefinition(Context *context, const std::vector<TagSpec> &tags,
                                const std::vector<Field> &fields)
{
    if (tags.size() > kMaxTags) {
        Raise(context, Failure::Expression, "an index holds at most 47 tags");
    }
    for (size_t i = 0; i < tags.size(); ++i) {
        const std::string name = UpperCase(Trim(tags[i].name));
        if (!ValidTagName(name)) {
            Raise(context, Failure::Expression,
                  "tag name \"" + tags[i].name +
                      "\" is not 1 to 10 letters, digits or _ beginning with a letter");
        }
        for (size_t k = 0; k < i; ++k) {
            if (SameText(Trim(tags[k].name), name)) {
                Raise(context, Failure::Expression, "tag " + name + " is named twice");
            }
        }
        const Expression expression = Expression::Parse(context, tags[i].expression, fields);
        if (expression.ResultType() == Expression::Type::Logical) {
            Raise(context, Failure::Expression,
                  "tag " + name + ": a key cannot be a logical value");
        }
        const size_t length = KeyLengthOf(expression);
        if (length < 1 || length > kMaxCharacterKey) {
            Raise(context, Failure::Expression,
                  "tag " + name + ": key \"" + expression.Text() + "\" is " +
                      std::to_string(length) + " characters long (1 to 100 allowed)");
        }
    }
}

void IndexFile::Build(Context *context, const std::string &path, const IndexDefinition &definition,
                      const std::vector<Field> &fields, RecordSource &records)
{
    CheckDefinition(context, definition.tags, fields);
    struct Work
    {
        std::string name;
        Expression expression;
        char keyType;
        size_t keyLength;
        size_t itemLength;
        size_t maxKeys;
        bool descending;
        bool unique;
        std::string keys;
        std::vector<uint32_t> recnos;
    };
    std::vector<Work> work;
    for (const TagSpec &spec : definition.tags) {
        Expression expression = Expression::Parse(context, spec.expression, fields);
        const char type = KeyTypeOf(expression.ResultType());
        const size_t length = KeyLengthOf(expression);
        const size_t item = ItemLength(length);
        work.push_back({UpperCase(Trim(spec.name)),
                        std::move(expression),
                        type,
                        length,
                        item,
                        (kWriteBlockSize - 12) / item,
                        spec.descending,
                        spec.unique,
                        {},
                        {}});
    }
    RecordView record;
    while (records.Next(record)) {
        for (Work &w : work) {
            const size_t at = w.keys.size();
            w.keys.resize(at + w.keyLength);
            w.expression.EvaluateKey(record, w.keys.data() + at, w.keyLength);
            w.recnos.push_back(record.recno);
        }
    }

    constexpr uint32_t pagesPerBlock = kWriteBlockSize / kPageSize;
    std::string header(kHeaderBytes, '\0');
    header[0] = 2;
    header[1] = static_cast<char>(std::clamp(definition.date.year - 1900, 0, 255));
    header[2] = static_cast<char>(definition.date.month);
    header[3] = static_cast<char>(definition.date.day);
    const std::string baseName = UpperCase(definition.tableBaseName).substr(0, 15);
    std::copy(baseName.begin(), baseName.end(), header.begin() + 4);
    WriteU16(header.data() + 20, pagesPerBlock);
    WriteU16(header.data() + 22, kWriteBlockSize);
    header[24] = 1;
    header[25] = 48;
    header[26] = kTagEntryLength;
    WriteU16(header.data() + 28, static_cast<uint16_t>(work.size()));
    header[30] = static_cast<char>(work.size() + 1);
    header[31] = static_cast<char>(definition.languageDriver);
    std::copy(header.begin() + 1, header.begin() + 4, header.begin() + 44);
    header[529] = 1;

    File out = File::Create(context, path);
    BlockWriter writer(out);
    uint32_t page = kFirstBlockPage;
    for (size_t t = 0; t < work.size(); ++t) {
        Work &w = work[t];
        const size_t L = w.itemLength;
        std::vector<uint32_t> order(w.recnos.size());
        std::iota(order.begin(), order.end(), 0u);
        // Tag order; equal keys stay in record order (records arrive in it).
        const char *keys = w.keys.data();
        const auto compare = [&](uint32_t a, uint32_t b) {
            const int raw = CompareKeyBytes(w.keyType, w.keyLength, keys + a * w.keyLength,
                                            keys + b * w.keyLength);
            return w.descending ? -raw : raw;
        };
        std::stable_sort(order.begin(), order.end(),
                         [&](uint32_t a, uint32_t b) { return compare(a, b) < 0; });
        if (w.unique) {
            // The first record of each key alone.
            const auto last = std::unique(order.begin(), order.end(), [&](uint32_t a, uint32_t b) {
                return compare(a, b) == 0;
            });
            order.erase(last, order.end());
        }
        const size_t entries = order.size();
        // Node counts level by level: leaves full, branches with up to maxKeys children.
        std::vector<size_t> levelSizes {std::max<size_t>(1, (entries + w.maxKeys - 1) / w.maxKeys)};
        while (levelSizes.back() > 1) {
            levelSizes.push_back((levelSizes.back() + w.maxKeys - 1) / w.maxKeys);
        }
        size_t nodes = 0;
        for (size_t size : levelSizes) {
            nodes += size;
        }
        const uint32_t headerPage = page;
        const uint32_t firstNode = headerPage + pagesPerBlock;
        const auto rootPage = static_cast<uint32_t>(firstNode + (nodes - 1) * pagesPerBlock);

        std::string tagHeader(kWriteBlockSize, '\0');
        WriteU32(tagHeader.data(), rootPage);
        WriteU32(tagHeader.data() + 4, static_cast<uint32_t>(nodes * pagesPerBlock));
        tagHeader[8] = static_cast<char>(kFlagFields | (w.descending ? kFlagDescending : 0) |
                                         (w.unique ? kFlagUnique : 0));
        tagHeader[9] = w.keyType;
        tagHeader[11] = static_cast<char>(definition.languageDriver);
        WriteU16(tagHeader.data() + 12, static_cast<uint16_t>(w.keyLength));
        WriteU16(tagHeader.data() + 14, static_cast<uint16_t>(w.maxKeys));
        WriteU16(tagHeader.data() + 16, w.keyType == 'D' ? 1 : 0);
        WriteU16(tagHeader.data() + 18, static_cast<uint16_t>(L));
        tagHeader[20] = 1;
        tagHeader[23] = w.unique ? 1 : 0;
        const std::string &text = w.expression.Text();
        std::copy(text.begin(), text.end(), tagHeader.begin() + 24);
        tagHeader[246] = entries > 0 ? 1 : 0;
        writer.Put(headerPage, tagHeader);

        // Leaves, each remembering its last entry for the separator above it.
        struct Child
        {
            uint32_t page;
            size_t lastEntry;
        };
        std::vector<Child> level;
        uint32_t nodePage = firstNode;
        std::string block(kWriteBlockSize, '\0');
        for (size_t leaf = 0; leaf < levelSizes[0]; ++leaf) {
            const size_t begin = leaf * w.maxKeys;
            const size_t end = std::min(entries, begin + w.maxKeys);
            std::fill(block.begin(), block.end(), '\0');
            WriteU32(block.data(), static_cast<uint32_t>(end - begin));
            for (size_t e = begin; e < end; ++e) {
                char *slot = block.data() + 8 + (e - begin) * L;
                WriteU32(slot, w.recnos[order[e]]);
                std::memcpy(slot + 4, keys + order[e] * w.keyLength, w.keyLength);
            }
            writer.Put(nodePage, block);
            level.push_back({nodePage, end == 0 ? 0 : end - 1});
            nodePage += pagesPerBlock;
        }
        while (level.size() > 1) {
            const size_t groups = (level.size() + w.maxKeys - 1) / w.maxKeys;
            // Full groups; a last group of one child takes one from the group before it.
            std::vector<size_t> sizes(groups, w.maxKeys);
            sizes[groups - 1] = level.size() - (groups - 1) * w.maxKeys;
            if (groups > 1 && sizes[groups - 1] == 1) {
                --sizes[groups - 2];
                ++sizes[groups - 1];
            }
            std::vector<Child> upper;
            size_t at = 0;
            for (size_t g = 0; g < groups; ++g) {
                std::fill(block.begin(), block.end(), '\0');
                const size_t children = sizes[g];
                WriteU32(block.data(), static_cast<uint32_t>(children - 1));
                for (size_t c = 0; c < children; ++c) {
                    const Child &child = level[at + c];
                    char *slot = block.data() + 8 + c * L;
                    WriteU32(slot, child.page);
                    if (c + 1 < children) {
                        std::memcpy(slot + 4, keys + order[child.lastEntry] * w.keyLength,
                                    w.keyLength);
                    }
                }
                writer.Put(nodePage, block);
                upper.push_back({nodePage, level[at + children - 1].lastEntry});
                nodePage += pagesPerBlock;
                at += children;
            }
            level = std::move(upper);
        }
        page = nodePage;

        char *entry = header.data() + kTagTable + t * kTagEntryLength;
        WriteU32(entry, headerPage);
        std::copy(w.name.begin(), w.name.end(), entry + 4);
        entry[15] = kFlagFields;
        entry[19] = 2;
        entry[20] = w.keyType;
        // The name tree: each tag hangs below the first free link on its path from tag 1.
        if (t > 0) {
            size_t node = 0;
            for (;;) {
                char *at = header.data() + kTagTable + node * kTagEntryLength;
                const bool less = work[t].name < work[node].name;
                const size_t link = less ? 16 : 17;
                if (at[link] == 0) {
                    at[link] = static_cast<char>(t + 1);
                    entry[18] = static_cast<char>(node + 1);
                    break;
                }
                node = static_cast<size_t>(static_cast<unsigned char>(at[link])) - 1;
            }
        }
    }
    WriteU32(header.data() + 32, page);
    writer.Flush();
    out.Write(0, header);
}

} // namespace dbase
