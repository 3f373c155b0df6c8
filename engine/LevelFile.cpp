#include "engine/LevelFile.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Offsets are signed 32-bit, so nothing past the first 2 GiB can be addressed: there is no need to
// hold more of a file than that.
constexpr int64_t kAddressableBytes = int64_t{1} << 31;

int16_t StatusOfOpenError(int error, const std::string& path) {
    switch (error) {
    case ENOENT: {
        std::error_code ec;
        const std::filesystem::path parent = std::filesystem::path(path).parent_path();
        const bool folderExists = parent.empty() || std::filesystem::is_directory(parent, ec);
        return folderExists ? kStatusEmptyOrMissing : kStatusPathNotFound;
    }
    case ENOTDIR:
        return kStatusPathNotFound;
    case EACCES:
    case EPERM:
        return kStatusPermissionDenied;
    default:
        return kStatusPathAccessError;
    }
}

// Closes the descriptor on every path.
struct FdGuard {
    int fd;
    ~FdGuard() {
        if (fd >= 0)
            ::close(fd);
    }
};

} // namespace

int16_t LevelFile::Open(const std::string& path) {
    bytes_.clear();
    length_ = 0;
    if (path.empty())
        return kStatusPathNotFound;
    // Read-only, never created; non-blocking so that a FIFO cannot hang the open.
    FdGuard file{::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)};
    if (file.fd < 0)
        return StatusOfOpenError(errno, path);
    struct stat info {};
    if (::fstat(file.fd, &info) != 0)
        return kStatusPathAccessError;
    if (S_ISDIR(info.st_mode) || !S_ISREG(info.st_mode))
        return kStatusPathAccessError;

    length_ = info.st_size;
    const int64_t wanted = std::min<int64_t>(info.st_size, kAddressableBytes);
    bytes_.resize(static_cast<size_t>(wanted));
    size_t got = 0;
    while (got < bytes_.size()) {
        const ssize_t n = ::read(file.fd, bytes_.data() + got, bytes_.size() - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            const int error = errno;
            bytes_.clear();
            return error == EISDIR ? kStatusPathAccessError : StatusOfOpenError(error, path);
        }
        if (n == 0)
            break; // the file shrank while it was read: keep what is there
        got += static_cast<size_t>(n);
    }
    bytes_.resize(got);
    return 0;
}

LevelFile LevelFile::FromBytes(std::vector<uint8_t> bytes) {
    LevelFile level;
    level.bytes_ = std::move(bytes);
    return level;
}
