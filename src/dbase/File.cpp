#include "dbase/File.h"

#include "core/DiskWrites.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <map>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace dbase {

namespace {

std::string SystemText(int error)
{
    return std::strerror(error);
}

// Changes per file (device, inode) made through any handle of this process. The program runs
// its tables on one thread.
std::map<Context::FileIdentity, uint64_t> &ChangeCounts()
{
    static std::map<Context::FileIdentity, uint64_t> counts;
    return counts;
}

} // namespace

File::File(Context *context, int fd, std::string path, bool writable)
    : m_context(context), m_fd(fd), m_path(std::move(path)), m_writable(writable)
{
    struct stat info
    { };
    if (::fstat(fd, &info) == 0) {
        m_identity = {static_cast<uint64_t>(info.st_dev), static_cast<uint64_t>(info.st_ino)};
    }
}

File File::Open(Context *context, const std::string &path, Mode mode)
{
    const int flags = (mode == Mode::ReadWrite ? O_RDWR : O_RDONLY) | O_CLOEXEC;
    const int fd = ::open(path.c_str(), flags);
    if (fd < 0) {
        Raise(context, Failure::FileOpen, "cannot open " + path + ": " + SystemText(errno));
    }
    struct stat info
    { };
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        Raise(context, Failure::FileOpen, path + " is not a regular file");
    }
    return File(context, fd, path, mode == Mode::ReadWrite);
}

File File::Create(Context *context, const std::string &path)
{
    if (context != nullptr && context->Capture() != nullptr &&
        context->Capture()->HoldsPath(path)) {
        Raise(context, Failure::Usage, "cannot create " + path + " inside a journal transaction");
    }
    BeforeDiskWrite();
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        Raise(context, Failure::FileCreate, "cannot create " + path + ": " + SystemText(errno));
    }
    return File(context, fd, path, true);
}

File::File(File &&other) noexcept
    : m_context(other.m_context),
      m_fd(std::exchange(other.m_fd, -1)),
      m_identity(other.m_identity),
      m_path(std::move(other.m_path)),
      m_writable(other.m_writable)
{ }

File &File::operator=(File &&other) noexcept
{
    if (this != &other) {
        Close();
        m_context = other.m_context;
        m_fd = std::exchange(other.m_fd, -1);
        m_identity = other.m_identity;
        m_path = std::move(other.m_path);
        m_writable = other.m_writable;
    }
    return *this;
}

File::~File()
{
    Close();
}

void File::Close()
{
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

WriteCapture *File::Capture() const
{
    if (m_context == nullptr || m_context->Capture() == nullptr) {
        return nullptr;
    }
    WriteCapture *capture = m_context->Capture();
    return capture->Holds(*this) ? capture : nullptr;
}

int64_t File::Size() const
{
    if (WriteCapture *capture = Capture()) {
        return capture->Size(*this);
    }
    return DiskSize();
}

int64_t File::DiskSize() const
{
    struct stat info
    { };
    if (::fstat(m_fd, &info) != 0) {
        Raise(m_context, Failure::Read, "cannot read the size of " + m_path);
    }
    return info.st_size;
}

FileStamp File::Stamp() const
{
    struct stat info
    { };
    if (::fstat(m_fd, &info) != 0) {
        Raise(m_context, Failure::Read, "cannot read the state of " + m_path);
    }
    const Context::FileIdentity identity {static_cast<uint64_t>(info.st_dev),
                                          static_cast<uint64_t>(info.st_ino)};
    const auto counted = ChangeCounts().find(identity);
    return {info.st_size, info.st_mtim.tv_sec * 1000000000LL + info.st_mtim.tv_nsec,
            info.st_ctim.tv_sec * 1000000000LL + info.st_ctim.tv_nsec, info.st_ino,
            counted == ChangeCounts().end() ? 0 : counted->second};
}

void File::NoteChange()
{
    ++ChangeCounts()[m_identity];
}

Context::FileIdentity File::Identity() const
{
    return m_identity;
}

size_t File::ReadSome(int64_t offset, char *data, size_t size) const
{
    if (WriteCapture *capture = Capture()) {
        return capture->Read(*this, offset, data, size);
    }
    return ReadDisk(offset, data, size);
}

size_t File::ReadDisk(int64_t offset, char *data, size_t size) const
{
    size_t done = 0;
    while (done < size) {
        const ssize_t got =
            ::pread(m_fd, data + done, size - done, offset + static_cast<int64_t>(done));
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            Raise(m_context, Failure::Read, "cannot read " + m_path + ": " + SystemText(errno));
        }
        if (got == 0) {
            break;
        }
        done += static_cast<size_t>(got);
    }
    return done;
}

void File::ReadExact(int64_t offset, char *data, size_t size, Failure shortFailure) const
{
    if (offset < 0 || ReadSome(offset, data, size) != size) {
        Raise(m_context, shortFailure,
              m_path + " ends before byte " + std::to_string(offset + static_cast<int64_t>(size)));
    }
}

void File::Write(int64_t offset, std::string_view data)
{
    if (!m_writable) {
        Raise(m_context, Failure::ReadOnly, m_path + " is open for reading only");
    }
    if (WriteCapture *capture = Capture()) {
        capture->Write(*this, offset, data);
        return;
    }
    BeforeDiskWrite();
    size_t done = 0;
    while (done < data.size()) {
        const ssize_t put = ::pwrite(m_fd, data.data() + done, data.size() - done,
                                     offset + static_cast<int64_t>(done));
        if (put < 0) {
            if (errno == EINTR) {
                continue;
            }
            Raise(m_context, Failure::Write, "cannot write " + m_path + ": " + SystemText(errno));
        }
        done += static_cast<size_t>(put);
    }
}

void File::Truncate(int64_t size)
{
    if (Capture() != nullptr) {
        Raise(m_context, Failure::Usage,
              "cannot shorten " + m_path + " inside a journal transaction");
    }
    BeforeDiskWrite();
    if (::ftruncate(m_fd, size) != 0) {
        Raise(m_context, Failure::Write, "cannot shorten " + m_path + ": " + SystemText(errno));
    }
}

void File::Sync()
{
    if (Capture() != nullptr) {
        return; // the journal's commit makes the writes durable
    }
    if (m_writable) {
        BeforeDiskWrite();
    }
    if (m_writable && ::fdatasync(m_fd) != 0) {
        Raise(m_context, Failure::Write, "cannot flush " + m_path + ": " + SystemText(errno));
    }
}

void File::CopyModeFrom(const File &other)
{
    struct stat info
    { };
    if (::fstat(other.m_fd, &info) == 0) {
        ::fchmod(m_fd, info.st_mode & 07777);
    }
}

bool File::TryLock(int64_t start, int64_t length, bool exclusive)
{
    struct flock lock
    { };
    lock.l_type = static_cast<short>(exclusive ? F_WRLCK : F_RDLCK);
    lock.l_whence = SEEK_SET;
    lock.l_start = start;
    lock.l_len = length;
    while (::fcntl(m_fd, F_OFD_SETLK, &lock) != 0) {
        if (errno == EINTR) {
            continue;
        }
        if (errno == EAGAIN || errno == EACCES) {
            return false;
        }
        Raise(m_context, Failure::Lock, "cannot lock " + m_path + ": " + SystemText(errno));
    }
    return true;
}

bool File::Lock(int64_t start, int64_t length, bool exclusive, int attempts)
{
    if (attempts <= 0) {
        struct flock lock
        { };
        lock.l_type = static_cast<short>(exclusive ? F_WRLCK : F_RDLCK);
        lock.l_whence = SEEK_SET;
        lock.l_start = start;
        lock.l_len = length;
        while (::fcntl(m_fd, F_OFD_SETLKW, &lock) != 0) {
            if (errno != EINTR) {
                Raise(m_context, Failure::Lock, "cannot lock " + m_path + ": " + SystemText(errno));
            }
        }
        return true;
    }
    for (int attempt = 1; attempt <= attempts; ++attempt) {
        if (TryLock(start, length, exclusive)) {
            return true;
        }
        if (attempt < attempts) {
            // Writers hold their locks for a few milliseconds at most.
            std::this_thread::sleep_for(std::chrono::milliseconds(20 * attempt));
        }
    }
    return false;
}

void File::Unlock(int64_t start, int64_t length)
{
    struct flock lock
    { };
    lock.l_type = F_UNLCK;
    lock.l_whence = SEEK_SET;
    lock.l_start = start;
    lock.l_len = length;
    ::fcntl(m_fd, F_OFD_SETLK, &lock);
}

void ReplaceFile(Context *context, const std::string &replacement, const std::string &target)
{
    if (context != nullptr && context->Capture() != nullptr &&
        context->Capture()->HoldsPath(target)) {
        Raise(context, Failure::Usage,
              "cannot replace " + target + " inside a journal transaction");
    }
    BeforeDiskWrite();
    if (::rename(replacement.c_str(), target.c_str()) != 0) {
        Raise(context, Failure::FileCreate, "cannot replace " + target + ": " + SystemText(errno));
    }
}

void SyncFolderOf(const std::string &path)
{
    const size_t slash = path.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace dbase
