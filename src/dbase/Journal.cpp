#include "dbase/Journal.h"

#include "core/DiskWrites.h"
#include "core/Paths.h"
#include "core/Text.h"

#include "dbase/Bytes.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fstream>
#include <set>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace dbase {

namespace {

// File header: magic, version, header size, checkpoint count, the boot the records were
// written in.
constexpr char kMagic[8] = {'V', 'D', 'J', 'O', 'U', 'R', 'N', 'L'};
constexpr uint32_t kVersion = 1;
constexpr size_t kHeaderSize = 64;
constexpr size_t kBootIdOffset = 24;
constexpr size_t kBootIdLength = 36;

// Record: magic, state (outside the checksum), sequence, payload length, file count, checksum
// of the rest and the payload.
constexpr uint32_t kRecordMagic = 0x5854'4A56; // "VJTX"
constexpr size_t kRecordHeader = 32;
constexpr uint32_t kCommitted = 0;
constexpr uint32_t kWritten = 1;

// A transaction is written to the tables straight away, so the journal only grows while its
// owner runs; past this size the next commit empties it.
constexpr int64_t kCheckpointSize = 1 << 20;

// The lock byte, far beyond any data the journal holds.
constexpr int64_t kLockByte = 0x7FFFFFF0;

uint32_t Crc32(const char *data, size_t size, uint32_t crc = 0)
{
    static const std::array<uint32_t, 256> table = [] {
        std::array<uint32_t, 256> t {};
        for (uint32_t i = 0; i < 256; ++i) {
            uint32_t c = i;
            for (int k = 0; k < 8; ++k) {
                c = (c & 1) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            }
            t[i] = c;
        }
        return t;
    }();
    crc = ~crc;
    for (size_t i = 0; i < size; ++i) {
        crc = table[(crc ^ static_cast<unsigned char>(data[i])) & 0xFF] ^ (crc >> 8);
    }
    return ~crc;
}

std::string BootId()
{
    std::ifstream in("/proc/sys/kernel/random/boot_id");
    std::string id;
    std::getline(in, id);
    id.resize(kBootIdLength, ' ');
    return id;
}

void PutU64(std::string &out, uint64_t value)
{
    char bytes[8];
    WriteU32(bytes, static_cast<uint32_t>(value));
    WriteU32(bytes + 4, static_cast<uint32_t>(value >> 32));
    out.append(bytes, 8);
}

void PutU32(std::string &out, uint32_t value)
{
    char bytes[4];
    WriteU32(bytes, value);
    out.append(bytes, 4);
}

uint64_t GetU64(const char *p)
{
    return ReadU32(p) | (static_cast<uint64_t>(ReadU32(p + 4)) << 32);
}

struct FileChanges
{
    std::string name;
    uint64_t device = 0;
    uint64_t inode = 0;
    std::vector<std::pair<int64_t, std::string>> runs;
};

struct Record
{
    int64_t at = 0; // of its header in the journal
    bool written = false;
    std::vector<FileChanges> files;
};

// A payload: per file its name, device and inode, then its runs (offset, bytes).
std::string EncodePayload(const std::vector<FileChanges> &files)
{
    std::string out;
    for (const FileChanges &file : files) {
        PutU32(out, static_cast<uint32_t>(file.name.size()));
        out += file.name;
        PutU64(out, file.device);
        PutU64(out, file.inode);
        PutU32(out, static_cast<uint32_t>(file.runs.size()));
        for (const auto &[offset, bytes] : file.runs) {
            PutU64(out, static_cast<uint64_t>(offset));
            PutU32(out, static_cast<uint32_t>(bytes.size()));
            out += bytes;
        }
    }
    return out;
}

// False for a payload that does not hold `count` files (a record never written whole).
bool DecodePayload(std::string_view payload, uint32_t count, std::vector<FileChanges> &files)
{
    size_t at = 0;
    const auto need = [&](size_t bytes) { return payload.size() - at >= bytes; };
    for (uint32_t f = 0; f < count; ++f) {
        FileChanges file;
        if (!need(4)) {
            return false;
        }
        const uint32_t nameLength = ReadU32(payload.data() + at);
        at += 4;
        if (!need(size_t {nameLength} + 20)) {
            return false;
        }
        file.name.assign(payload.data() + at, nameLength);
        // The journal changes only files of its own folder.
        if (file.name.empty() || file.name.find('/') != std::string::npos) {
            return false;
        }
        at += nameLength;
        file.device = GetU64(payload.data() + at);
        file.inode = GetU64(payload.data() + at + 8);
        const uint32_t runs = ReadU32(payload.data() + at + 16);
        at += 20;
        for (uint32_t r = 0; r < runs; ++r) {
            if (!need(12)) {
                return false;
            }
            const auto offset = static_cast<int64_t>(GetU64(payload.data() + at));
            const uint32_t length = ReadU32(payload.data() + at + 8);
            at += 12;
            if (!need(length) || offset < 0) {
                return false;
            }
            file.runs.emplace_back(offset, std::string(payload.substr(at, length)));
            at += length;
        }
        files.push_back(std::move(file));
    }
    return at == payload.size();
}

// The records of a journal's bytes up to the first one not written whole; `end` is where that
// one (or the end) begins.
std::vector<Record> ParseRecords(const std::string &bytes, int64_t &end)
{
    std::vector<Record> records;
    size_t at = kHeaderSize;
    while (bytes.size() - at >= kRecordHeader) {
        const char *h = bytes.data() + at;
        if (ReadU32(h) != kRecordMagic) {
            break;
        }
        const uint64_t length = GetU64(h + 16);
        const uint32_t count = ReadU32(h + 24);
        if (length > bytes.size() - at - kRecordHeader) {
            break;
        }
        const std::string_view payload(h + kRecordHeader, static_cast<size_t>(length));
        uint32_t crc = Crc32(h + 8, 20);
        crc = Crc32(payload.data(), payload.size(), crc);
        Record record;
        if (crc != ReadU32(h + 28) || !DecodePayload(payload, count, record.files)) {
            break;
        }
        record.at = static_cast<int64_t>(at);
        record.written = ReadU32(h + 4) == kWritten;
        records.push_back(std::move(record));
        at += kRecordHeader + static_cast<size_t>(length);
    }
    end = static_cast<int64_t>(at);
    return records;
}

// The order the changes of a transaction reach the files in: memo texts, then records, then
// index blocks, each file from its end to its start, so what points (counts, roots, headers)
// comes after what it points at, as the engine writes them itself.
int FileRank(const std::string &name)
{
    const std::string ext = UpperCase(ExtractFileExt(name));
    return ext == ".DBT" ? 0 : ext == ".DBF" ? 1 : ext == ".MDX" ? 2 : 3;
}

class RawFile
{
public:
    explicit RawFile(const std::string &path) : m_fd(::open(path.c_str(), O_WRONLY | O_CLOEXEC)) { }
    ~RawFile()
    {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }
    RawFile(const RawFile &) = delete;
    RawFile &operator=(const RawFile &) = delete;

    bool Open() const { return m_fd >= 0; }
    // The file the record named: a file since replaced (a pack renames a new one into place)
    // takes nothing of it.
    bool Is(uint64_t device, uint64_t inode) const
    {
        struct stat info
        { };
        return ::fstat(m_fd, &info) == 0 && static_cast<uint64_t>(info.st_dev) == device &&
            static_cast<uint64_t>(info.st_ino) == inode;
    }
    bool Write(int64_t offset, std::string_view bytes) const
    {
        size_t done = 0;
        while (done < bytes.size()) {
            BeforeDiskWrite();
            const ssize_t put = ::pwrite(m_fd, bytes.data() + done, bytes.size() - done,
                                         offset + static_cast<int64_t>(done));
            if (put < 0) {
                if (errno == EINTR) {
                    continue;
                }
                return false;
            }
            done += static_cast<size_t>(put);
        }
        return true;
    }
    bool Sync() const
    {
        BeforeDiskWrite();
        return ::fdatasync(m_fd) == 0;
    }

private:
    int m_fd;
};

} // namespace

// ---------------------------------------------------------------------------------------------

Journal::Journal(Context &context, std::string folder, const std::string &fileName)
    : m_context(context), m_folder(std::move(folder)), m_path(m_folder + fileName)
{
    const int fd = ::open(m_path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd >= 0) {
        ::close(fd);
        m_file = File::Open(&m_context, m_path, File::Mode::ReadWrite);
    } else if (FileExists(m_path)) {
        m_file = File::Open(&m_context, m_path, File::Mode::Read);
    }
}

Journal::~Journal()
{
    if (m_active) {
        Rollback();
    }
    if (m_held != Held::None) {
        m_file.Unlock(kLockByte, 1);
    }
}

int64_t Journal::Size() const
{
    return m_file.IsOpen() ? m_file.DiskSize() : 0;
}

void Journal::Lock(bool exclusive)
{
    if (!m_file.IsOpen()) {
        return;
    }
    const auto until = std::chrono::steady_clock::now() + m_patience;
    for (int attempt = 1;; ++attempt) {
        if (m_file.TryLock(kLockByte, 1, exclusive)) {
            m_held = exclusive ? Held::Alone : Held::Shared;
            return;
        }
        if (std::chrono::steady_clock::now() >= until) {
            Raise(&m_context, Failure::Lock,
                  "the tables of " + m_folder + " are being " + (exclusive ? "used" : "written") +
                      " by another program (waited " + std::to_string(m_patience.count() / 1000) +
                      " seconds for " + m_path + ")");
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(std::min(5 * attempt, 100)));
    }
}

void Journal::Unlock()
{
    if (m_held != Held::None) {
        m_file.Unlock(kLockByte, 1);
        m_held = Held::None;
    }
}

Journal::State Journal::ReadState() const
{
    State state;
    state.size = m_file.DiskSize();
    char header[kHeaderSize];
    if (state.size >= static_cast<int64_t>(kHeaderSize) &&
        m_file.ReadDisk(0, header, kHeaderSize) == kHeaderSize &&
        std::equal(kMagic, kMagic + 8, header)) {
        state.generation = GetU64(header + 16);
    }
    return state;
}

void Journal::WriteHeader(uint64_t generation)
{
    std::string header(kMagic, 8);
    PutU32(header, kVersion);
    PutU32(header, kHeaderSize);
    PutU64(header, generation);
    header += BootId();
    header.resize(kHeaderSize, '\0');
    m_file.Write(0, header);
}

bool Journal::RecoverLocked()
{
    const State state = ReadState();
    const int64_t size = state.size;
    std::string bytes(static_cast<size_t>(std::max<int64_t>(size, 0)), '\0');
    if (size > 0 && m_file.ReadDisk(0, bytes.data(), bytes.size()) != bytes.size()) {
        Raise(&m_context, Failure::Read, "cannot read the journal " + m_path);
    }
    if (size < static_cast<int64_t>(kHeaderSize) || !std::equal(kMagic, kMagic + 8, bytes.data())) {
        // New, or not a journal this program wrote: it holds nothing to bring in.
        m_file.Truncate(0);
        WriteHeader(state.generation + 1);
        m_file.Sync();
        m_known = ReadState();
        return false;
    }
    int64_t end = 0;
    const std::vector<Record> records = ParseRecords(bytes, end);
    const bool sameBoot = bytes.compare(kBootIdOffset, kBootIdLength, BootId()) == 0;
    // After the machine started again every record is written again, and the journal starts
    // anew in this boot even when it holds none.
    const bool replay = !sameBoot ||
        std::any_of(records.begin(), records.end(), [](const Record &r) { return !r.written; });
    if (replay) {
        std::set<std::string> written;
        for (const Record &record : records) {
            std::vector<const FileChanges *> files;
            for (const FileChanges &file : record.files) {
                files.push_back(&file);
            }
            std::stable_sort(files.begin(), files.end(), [](const auto *a, const auto *b) {
                return FileRank(a->name) < FileRank(b->name);
            });
            for (const FileChanges *file : files) {
                RawFile target(m_folder + file->name);
                if (!target.Open() || !target.Is(file->device, file->inode)) {
                    continue; // gone or replaced since: what it held is no longer there
                }
                for (auto run = file->runs.rbegin(); run != file->runs.rend(); ++run) {
                    if (!target.Write(run->first, run->second)) {
                        Raise(&m_context, Failure::Write,
                              "cannot complete a saved change of " + m_folder + file->name +
                                  " from the journal: " + std::strerror(errno));
                    }
                }
                written.insert(file->name);
            }
        }
        for (const std::string &name : written) {
            RawFile target(m_folder + name);
            if (target.Open() && !target.Sync()) {
                Raise(&m_context, Failure::Write, "cannot flush " + m_folder + name);
            }
        }
        m_file.Truncate(kHeaderSize);
        WriteHeader(state.generation + 1);
        m_file.Sync();
    } else if (end < size) {
        // A record cut short never reached the files.
        m_file.Truncate(end);
        m_file.Sync();
    }
    m_known = ReadState();
    return replay && !records.empty();
}

void Journal::CheckpointLocked()
{
    RecoverLocked();
    const State state = ReadState();
    if (state.size <= static_cast<int64_t>(kHeaderSize)) {
        return;
    }
    std::string bytes(static_cast<size_t>(state.size), '\0');
    m_file.ReadDisk(0, bytes.data(), bytes.size());
    int64_t end = 0;
    std::set<std::string> names;
    for (const Record &record : ParseRecords(bytes, end)) {
        for (const FileChanges &file : record.files) {
            names.insert(file.name);
        }
    }
    // The tables are durable before the journal lets go of their changes.
    for (const std::string &name : names) {
        RawFile target(m_folder + name);
        if (target.Open() && !target.Sync()) {
            Raise(&m_context, Failure::Write, "cannot flush " + m_folder + name);
        }
    }
    m_file.Truncate(kHeaderSize);
    WriteHeader(state.generation + 1);
    m_file.Sync();
    m_known = ReadState();
}

void Journal::Checkpoint()
{
    if (m_active) {
        Raise(&m_context, Failure::Usage, "the journal " + m_path + " is inside a transaction");
    }
    if (!Usable()) {
        return;
    }
    const Held before = m_held;
    if (before != Held::Alone) {
        Unlock();
        Lock(true);
    }
    try {
        CheckpointLocked();
    } catch (...) {
        Unlock();
        if (before == Held::Shared) {
            Lock(false);
        }
        throw;
    }
    Unlock();
    if (before == Held::Shared) {
        Lock(false);
    }
}

void Journal::Begin()
{
    if (m_active) {
        Raise(&m_context, Failure::Usage, "transactions on " + m_folder + " do not nest");
    }
    if (!Usable()) {
        Raise(&m_context, Failure::ReadOnly,
              "the tables of " + m_folder + " cannot be changed: its journal " + m_path +
                  " cannot be written");
    }
    if (m_context.Capture() != nullptr) {
        Raise(&m_context, Failure::Usage, "another journal holds the writes of this context");
    }
    if (m_held == Held::Shared) {
        Unlock(); // a reader becoming the writer waits like any other
    }
    if (m_held != Held::Alone) {
        Lock(true);
    }
    try {
        const State state = ReadState();
        m_othersWrote = !(state == m_known);
        if (m_othersWrote) {
            RecoverLocked();
        }
    } catch (...) {
        Unlock();
        if (m_readDepth > 0) {
            Lock(false);
        }
        throw;
    }
    m_overlays.clear();
    m_context.SetCapture(this);
    m_active = true;
}

void Journal::EndTransaction()
{
    if (m_context.Capture() == this) {
        m_context.SetCapture(nullptr);
    }
    m_overlays.clear();
    m_active = false;
    Unlock();
    if (m_readDepth > 0) {
        // Back to reading: a writer may have come in between.
        Lock(false);
        m_othersWrote = !(ReadState() == m_known);
    }
}

void Journal::Rollback()
{
    if (m_active) {
        EndTransaction();
    }
}

void Journal::Commit()
{
    if (!m_active) {
        return;
    }
    m_context.SetCapture(nullptr);
    std::vector<FileChanges> files;
    for (auto &[path, overlay] : m_overlays) {
        if (overlay.runs.empty()) {
            continue;
        }
        FileChanges file {overlay.name, overlay.device, overlay.inode, {}};
        for (auto &[offset, bytes] : overlay.runs) {
            file.runs.emplace_back(offset, std::move(bytes));
        }
        files.push_back(std::move(file));
    }
    if (files.empty()) {
        EndTransaction();
        return;
    }
    const std::string payload = EncodePayload(files);
    std::string record;
    PutU32(record, kRecordMagic);
    PutU32(record, kCommitted);
    PutU64(record, m_known.generation);
    PutU64(record, payload.size());
    PutU32(record, static_cast<uint32_t>(files.size()));
    // The checksum covers the header fields after the state, and the payload.
    PutU32(record, Crc32(payload.data(), payload.size(), Crc32(record.data() + 8, 20)));
    record += payload;

    const int64_t at = m_file.DiskSize();
    try {
        m_file.Write(at, record);
        m_file.Sync();
    } catch (...) {
        // Not durable, so not done: the journal loses the record again, the files never saw it.
        try {
            m_file.Truncate(at);
        } catch (const Error &) {
            // A record that is not whole is dropped by the next holder of the lock.
        }
        EndTransaction();
        throw;
    }
    // Durable: from here on the change happens, now or when the next holder finds it. A failure
    // below leaves it in the journal, not marked as written, for the next holder to complete.
    try {
        std::stable_sort(files.begin(), files.end(),
                         [](const FileChanges &a, const FileChanges &b) {
                             return FileRank(a.name) < FileRank(b.name);
                         });
        for (const FileChanges &file : files) {
            RawFile target(m_folder + file.name);
            bool done = target.Open() && target.Is(file.device, file.inode);
            for (auto run = file.runs.rbegin(); done && run != file.runs.rend(); ++run) {
                done = target.Write(run->first, run->second);
            }
            if (!done) {
                Raise(&m_context, Failure::Write,
                      "cannot write " + m_folder + file.name + ": " + std::strerror(errno) +
                          "; the change is kept in the journal and completed when the tables "
                          "are next changed or packed");
            }
        }
        char state[4];
        WriteU32(state, kWritten);
        m_file.Write(at + 4, std::string_view(state, 4));
        m_known = ReadState();
        if (m_known.size > kCheckpointSize) {
            CheckpointLocked();
        }
    } catch (...) {
        EndTransaction();
        throw;
    }
    EndTransaction();
}

void Journal::BeginRead()
{
    if (m_readDepth++ > 0 || m_active || !m_file.IsOpen()) {
        if (!m_file.IsOpen()) {
            m_othersWrote = true;
        }
        return;
    }
    try {
        Lock(false);
        m_othersWrote = !(ReadState() == m_known);
        if (m_othersWrote && Usable() && ReplayNeeded(m_path)) {
            // A writer died with a transaction half written: it is completed first. Readers
            // that only see that someone wrote share the lock as they are.
            Unlock();
            Lock(true);
            RecoverLocked();
            Unlock();
            Lock(false);
        }
        m_known = ReadState();
    } catch (...) {
        --m_readDepth;
        Unlock();
        throw;
    }
}

void Journal::EndRead()
{
    if (m_readDepth == 0) {
        return;
    }
    if (--m_readDepth == 0 && !m_active) {
        Unlock();
    }
}

bool Journal::Recover(Context &context, const std::string &folder, const std::string &fileName)
{
    if (!FileExists(folder + fileName)) {
        return false;
    }
    Journal journal(context, folder, fileName);
    if (!journal.Usable()) {
        return false;
    }
    journal.Lock(true);
    bool replayed = false;
    try {
        replayed = journal.RecoverLocked();
        journal.CheckpointLocked();
    } catch (...) {
        journal.Unlock();
        throw;
    }
    journal.Unlock();
    return replayed;
}

bool Journal::HoldsUnfinished(const std::string &folder, const std::string &fileName)
{
    return ReplayNeeded(folder + fileName);
}

bool Journal::ReplayNeeded(const std::string &path)
{
    std::string bytes;
    ReadFileBytes(path, bytes);
    if (bytes.size() < kHeaderSize || !std::equal(kMagic, kMagic + 8, bytes.data())) {
        return false;
    }
    int64_t end = 0;
    const std::vector<Record> records = ParseRecords(bytes, end);
    const bool sameBoot = bytes.compare(kBootIdOffset, kBootIdLength, BootId()) == 0;
    return std::any_of(records.begin(), records.end(),
                       [&](const Record &r) { return !r.written || !sameBoot; });
}

// ---------------------------------------------------------------------------------------------
// Holding the writes

bool Journal::HoldsPath(const std::string &path) const
{
    return m_active && path.size() > m_folder.size() &&
        path.compare(0, m_folder.size(), m_folder) == 0 &&
        path.find('/', m_folder.size()) == std::string::npos && path != m_path;
}

bool Journal::Holds(const File &file) const
{
    return HoldsPath(file.Path());
}

Journal::Overlay &Journal::OverlayOf(const File &file)
{
    auto found = m_overlays.find(file.Path());
    if (found == m_overlays.end()) {
        Overlay overlay;
        overlay.name = file.Path().substr(m_folder.size());
        overlay.device = file.Identity().first;
        overlay.inode = file.Identity().second;
        overlay.diskSize = file.DiskSize();
        overlay.size = overlay.diskSize;
        found = m_overlays.emplace(file.Path(), std::move(overlay)).first;
    }
    return found->second;
}

void Journal::Write(const File &file, int64_t offset, std::string_view data)
{
    if (data.empty()) {
        return;
    }
    Overlay &overlay = OverlayOf(file);
    int64_t start = offset;
    int64_t end = offset + static_cast<int64_t>(data.size());
    // Runs that overlap or touch the new bytes merge with them into one.
    auto first = overlay.runs.upper_bound(start);
    if (first != overlay.runs.begin()) {
        auto before = std::prev(first);
        if (before->first + static_cast<int64_t>(before->second.size()) >= start) {
            first = before;
        }
    }
    auto last = first;
    while (last != overlay.runs.end() && last->first <= end) {
        start = std::min(start, last->first);
        end = std::max(end, last->first + static_cast<int64_t>(last->second.size()));
        ++last;
    }
    std::string merged(static_cast<size_t>(end - start), '\0');
    for (auto run = first; run != last; ++run) {
        merged.replace(static_cast<size_t>(run->first - start), run->second.size(), run->second);
    }
    merged.replace(static_cast<size_t>(offset - start), data.size(), data);
    overlay.runs.erase(first, last);
    overlay.runs.emplace(start, std::move(merged));
    overlay.size = std::max(overlay.size, end);
}

size_t Journal::Read(const File &file, int64_t offset, char *data, size_t size)
{
    const auto found = m_overlays.find(file.Path());
    if (found == m_overlays.end()) {
        return file.ReadDisk(offset, data, size);
    }
    const Overlay &overlay = found->second;
    if (offset >= overlay.size) {
        return 0;
    }
    const size_t length =
        static_cast<size_t>(std::min<int64_t>(static_cast<int64_t>(size), overlay.size - offset));
    size_t got = 0;
    if (offset < overlay.diskSize) {
        got = file.ReadDisk(offset, data,
                            static_cast<size_t>(std::min<int64_t>(static_cast<int64_t>(length),
                                                                  overlay.diskSize - offset)));
    }
    std::fill(data + got, data + length, '\0');
    const int64_t end = offset + static_cast<int64_t>(length);
    auto run = overlay.runs.upper_bound(offset);
    if (run != overlay.runs.begin()) {
        --run;
    }
    for (; run != overlay.runs.end() && run->first < end; ++run) {
        const int64_t runEnd = run->first + static_cast<int64_t>(run->second.size());
        const int64_t from = std::max(run->first, offset);
        const int64_t to = std::min(runEnd, end);
        if (from < to) {
            std::memcpy(data + (from - offset), run->second.data() + (from - run->first),
                        static_cast<size_t>(to - from));
        }
    }
    return length;
}

int64_t Journal::Size(const File &file)
{
    const auto found = m_overlays.find(file.Path());
    return found == m_overlays.end() ? file.DiskSize() : found->second.size;
}

} // namespace dbase
