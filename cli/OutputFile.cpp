#include "cli/OutputFile.h"

#include <cctype>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

std::string ReasonOfError(int error) {
    switch (error) {
    case ENOENT:
    case ENOTDIR:
        return "no such folder";
    case EACCES:
    case EPERM:
        return "permission denied";
    case EISDIR:
        return "is a folder";
    case ENOSPC:
        return "no space left on the device";
    case EROFS:
        return "read-only file system";
    default: {
        std::string text = std::strerror(error);
        if (!text.empty())
            text[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(text[0])));
        return text;
    }
    }
}

namespace {

// Creates a fresh file beside target that nobody else can have opened. Returns its descriptor or -1.
int CreateTemporaryBeside(const std::filesystem::path& target, std::filesystem::path& temporary) {
    const std::filesystem::path folder = target.has_parent_path() ? target.parent_path() : ".";
    // Hidden, and named after the target and this process, so a stray one says where it came from.
    std::string stem(".");
    stem += target.filename().string();
    stem += ".part-";
    stem += std::to_string(::getpid());
    stem += '-';
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary = folder / (stem + std::to_string(attempt));
        const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    errno = EEXIST;
    return -1;
}

bool WriteAll(int fd, std::string_view text) {
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

} // namespace

std::string WriteWholeFile(const std::filesystem::path& path, std::string_view text) {
    std::error_code ec;
    if (path.empty() || !path.has_filename())
        return "not a file name";
    if (std::filesystem::is_directory(path, ec))
        return "is a folder";

    std::filesystem::path temporary;
    const int fd = CreateTemporaryBeside(path, temporary);
    if (fd < 0)
        return ReasonOfError(errno);
    bool written = WriteAll(fd, text);
    int error = written ? 0 : errno;
    if (::close(fd) != 0 && written) {
        written = false;
        error = errno;
    }
    if (written && ::rename(temporary.c_str(), path.c_str()) != 0) {
        written = false;
        error = errno;
    }
    if (!written) {
        ::unlink(temporary.c_str());
        return ReasonOfError(error);
    }
    return "";
}
