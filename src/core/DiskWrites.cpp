#include "core/DiskWrites.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>
#include <utility>

namespace {

DiskWriteProbe g_probe = nullptr;

} // namespace

DiskWriteProbe SetDiskWriteProbe(DiskWriteProbe probe)
{
    return std::exchange(g_probe, probe);
}

void BeforeDiskWrite()
{
    if (g_probe != nullptr) {
        g_probe();
    }
}

namespace {

bool WriteAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        bytes.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

} // namespace

void ReplaceFileDurably(const std::string &path, std::string_view bytes)
{
    std::string temporary = path + ".XXXXXX";
    BeforeDiskWrite();
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0) {
        throw std::system_error(errno, std::generic_category(), path);
    }
    struct stat old
    { };
    const mode_t mode = ::stat(path.c_str(), &old) == 0 ? (old.st_mode & 07777) : 0644;
    bool written = ::fchmod(fd, mode) == 0 && WriteAll(fd, bytes) && ::fsync(fd) == 0;
    int error = errno;
    written = ::close(fd) == 0 && written;
    if (written) {
        BeforeDiskWrite();
        written = std::rename(temporary.c_str(), path.c_str()) == 0;
        error = errno;
    }
    if (!written) {
        std::remove(temporary.c_str());
        throw std::system_error(error, std::generic_category(), path);
    }
    const size_t slash = path.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
}
