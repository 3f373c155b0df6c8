#include "format/LevelFile.h"

#include "format/MappedBytes.h"

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

LevelFile& LevelFile::operator=(LevelFile&& other) noexcept {
    if (this == &other)
        return *this;
    Release();
    const bool ownBytes = !other.mapped_;
    bytes_ = std::move(other.bytes_);
    data_ = ownBytes ? bytes_.data() : other.data_;
    size_ = other.size_;
    length_ = other.length_;
    mapped_ = other.mapped_;
    other.data_ = nullptr;
    other.size_ = 0;
    other.length_ = 0;
    other.mapped_ = false;
    return *this;
}

void LevelFile::Release() {
    if (mapped_)
        mapped::Unmap(data_, static_cast<size_t>(size_));
    bytes_.clear();
    data_ = nullptr;
    size_ = 0;
    length_ = 0;
    mapped_ = false;
}

int16_t LevelFile::Open(const std::string& path) {
    Release();
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
    if (wanted >= kMapFrom) {
        // The mapping reads nothing now: a walk faults in only the pages it reads.
        if (const uint8_t* data = mapped::Map(file.fd, static_cast<size_t>(wanted))) {
            data_ = data;
            size_ = wanted;
            mapped_ = true;
            return 0;
        }
    }
    bytes_.resize(static_cast<size_t>(wanted));
    size_t got = 0;
    while (got < bytes_.size()) {
        const ssize_t n = ::read(file.fd, bytes_.data() + got, bytes_.size() - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            const int error = errno;
            bytes_.clear();
            length_ = 0;
            return error == EISDIR ? kStatusPathAccessError : StatusOfOpenError(error, path);
        }
        if (n == 0)
            break; // the file shrank while it was read: keep what is there
        got += static_cast<size_t>(n);
    }
    bytes_.resize(got);
    data_ = bytes_.data();
    size_ = static_cast<int64_t>(got);
    return 0;
}

LevelFile LevelFile::FromBytes(std::vector<uint8_t> bytes) {
    LevelFile level;
    level.bytes_ = std::move(bytes);
    level.data_ = level.bytes_.data();
    level.size_ = static_cast<int64_t>(level.bytes_.size());
    return level;
}
