#include "report/OutputFile.h"
#include "report/OutputFileSeam.h"

#include <cctype>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/sendfile.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {

namespace fs = std::filesystem;

// Errors that say the kernel cannot copy between these two descriptors (other file systems, a target
// that is no regular file, an old kernel), not that the copy failed.
bool CannotCopyHere(int error) {
    return error == EXDEV || error == EINVAL || error == ENOSYS || error == EOPNOTSUPP || error == EBADF;
}

// Copies up to count bytes from offset *at of from to to's position, inside the kernel: between
// regular files by copy_file_range, to anything else by sendfile.
ssize_t CopyInKernel(int from, off_t* at, int to, size_t count) {
    const ssize_t n = ::copy_file_range(from, at, to, nullptr, count, 0);
    if (n >= 0 || !CannotCopyHere(errno))
        return n;
    return ::sendfile(to, from, at, count);
}

OutputSystemCalls gCalls{::write, ::fsync, ::rename, CopyInKernel};

// What a write puts in the file: text held in memory, or the bytes of a file open for reading, from
// its start to its end, copied a block at a time.
struct Content {
    std::string_view Text;
    int Source = -1;
};

// The system's own words for an error, lower-case, as a message continues them.
std::string SystemWords(int error) {
    std::string text = std::strerror(error);
    if (!text.empty())
        text[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(text[0])));
    return text;
}

// Closes the descriptor on every path.
struct FdGuard {
    int fd;
    ~FdGuard() {
        if (fd >= 0)
            ::close(fd);
    }
    int Release() { return std::exchange(fd, -1); }
};

// Only a regular file can be the level: a terminal that is both the level's standard input and the
// output is not.
bool SameFile(const struct stat& info, std::optional<FileIdentity> other) {
    return other && S_ISREG(info.st_mode) && other->Device == info.st_dev && other->Inode == info.st_ino;
}

// The descriptor a name of the process's own streams stands for ("/dev/stdout", "/dev/fd/3",
// "/proc/self/fd/1"); -1 for any other name. Such a name is the stream itself: reopening it by its
// link would truncate or replace whatever the stream was opened on.
int DescriptorNamed(const fs::path& path) {
    const std::string text = path.lexically_normal().string();
    if (text == "/dev/stdout")
        return 1;
    if (text == "/dev/stderr")
        return 2;
    for (const std::string_view prefix : {"/dev/fd/", "/proc/self/fd/"}) {
        if (!text.starts_with(prefix))
            continue;
        int fd = -1;
        const char* first = text.data() + prefix.size();
        const char* last = text.data() + text.size();
        const auto [end, error] = std::from_chars(first, last, fd);
        if (error == std::errc() && end == last && first != last)
            return fd;
    }
    return -1;
}

// Where a link that leads nowhere points: the file is made there, and the link stays a link. A path
// that is no link is its own target.
std::string FollowDanglingLinks(fs::path& path) {
    for (int hop = 0; hop < 40; ++hop) {
        struct stat info {};
        if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode))
            return "";
        std::error_code ec;
        const fs::path next = fs::read_symlink(path, ec);
        if (ec)
            return ReasonOfError(ec.value());
        path = next.is_absolute() ? next : path.parent_path() / next;
    }
    return ReasonOfError(ELOOP);
}

// Creates a fresh file beside target that nobody else can have opened. Returns its descriptor or -1.
int CreateTemporaryBeside(const fs::path& target, fs::path& temporary) {
    const fs::path folder = target.has_parent_path() ? target.parent_path() : ".";
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
        const ssize_t n = gCalls.Write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = EIO;
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

// Copies source from its start to its end to fd's position: in the kernel where it can, otherwise
// through a block read and written here, so the bytes are never held whole.
bool CopyAll(int source, int fd) {
    constexpr size_t kBlockBytes = size_t{1} << 20;
    off_t at = 0;
    bool inKernel = true;
    std::string block;
    for (;;) {
        if (inKernel) {
            const ssize_t n = gCalls.Copy(source, &at, fd, kBlockBytes);
            if (n > 0)
                continue;
            if (n == 0)
                return true;
            if (errno == EINTR)
                continue;
            if (!CannotCopyHere(errno))
                return false;
            inKernel = false;
            block.resize(kBlockBytes);
        }
        const ssize_t n = ::pread(source, block.data(), block.size(), at);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return n == 0;
        if (!WriteAll(fd, std::string_view(block.data(), static_cast<size_t>(n))))
            return false;
        at += n;
    }
}

bool WriteAll(int fd, const Content& content) {
    return content.Source >= 0 ? CopyAll(content.Source, fd) : WriteAll(fd, content.Text);
}

// The whole new file takes the target's name. A rename over an existing file makes ext4 write the new
// file's blocks out at once (its guard for writers that skip fsync), which costs more than the write
// itself; a write that need not be durable exchanges the two names instead, so the name is never
// missing, and then removes the old file. Where there is nothing to exchange with, or the file system
// cannot exchange, a plain rename.
int TakeTheName(const fs::path& temporary, const fs::path& target, bool durable) {
    if (!durable &&
        ::renameat2(AT_FDCWD, temporary.c_str(), AT_FDCWD, target.c_str(), RENAME_EXCHANGE) == 0) {
        ::unlink(temporary.c_str());
        return 0;
    }
    return gCalls.Rename(temporary.c_str(), target.c_str());
}

// A device, a FIFO or a terminal takes the text as it comes; it is never replaced by a file. A FIFO
// waits here for its reader, as it would for any writer.
std::string WriteInPlace(const fs::path& path, const Content& text) {
    FdGuard file{::open(path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC)};
    if (file.fd < 0)
        return ReasonOfError(errno);
    if (!WriteAll(file.fd, text))
        return ReasonOfError(errno);
    if (::close(file.Release()) != 0)
        return ReasonOfError(errno);
    return "";
}

// A regular file, or a new one, is written whole beside the target and then renamed over it, so the
// target is replaced whole or not at all. The temporary file lies in the target's own folder: a rename
// never crosses file systems. An existing file's mode and, where the process may keep it, its owner
// carry over.
std::string ReplaceRegular(const fs::path& target, const Content& text, const struct stat* existing,
                           bool durable) {
    const fs::path folder = target.has_parent_path() ? target.parent_path() : ".";
    struct stat folderInfo {};
    if (::stat(folder.c_str(), &folderInfo) != 0)
        return ReasonOfError(errno);
    if (!S_ISDIR(folderInfo.st_mode))
        return ReasonOfError(ENOTDIR);
    if (existing && ::access(target.c_str(), W_OK) != 0)
        return ReasonOfError(errno);

    fs::path temporary;
    FdGuard file{CreateTemporaryBeside(target, temporary)};
    if (file.fd < 0) {
        // The folder exists, so "no such file" here means the folder takes no new files (/proc).
        const int error = errno;
        return "cannot make a file in " + folder.string() + ": " +
               (error == ENOENT ? SystemWords(error) : ReasonOfError(error));
    }
    if (existing) {
        if (::fchown(file.fd, existing->st_uid, existing->st_gid) != 0) {
            // Not the owner's to give away: the file becomes the writer's, with the same mode.
        }
        ::fchmod(file.fd, existing->st_mode & 07777);
    }
    bool written = WriteAll(file.fd, text) && (!durable || gCalls.Fsync(file.fd) == 0);
    int error = written ? 0 : errno;
    if (::close(file.Release()) != 0 && written) {
        written = false;
        error = errno;
    }
    if (written && TakeTheName(temporary, target, durable) != 0) {
        written = false;
        error = errno;
    }
    if (!written) {
        ::unlink(temporary.c_str());
        return ReasonOfError(error);
    }
    return "";
}

// The name itself gets the new file (OutputRules::ReplaceTheName): only a regular file with no other
// name keeps its mode; anything else at the name is replaced by the rename, never written into.
std::string ReplaceTheName(const fs::path& path, const Content& text, const OutputRules& rules) {
    struct stat own {};
    if (::lstat(path.c_str(), &own) != 0) {
        if (errno != ENOENT)
            return ReasonOfError(errno);
        return ReplaceRegular(path, text, nullptr, rules.Durable);
    }
    // The level is kept under each of its names, links to it included, though a rename would not
    // change its bytes: the name the level was given stays the level's.
    struct stat followed {};
    if (SameFile(own, rules.NeverOver) ||
        (::stat(path.c_str(), &followed) == 0 && SameFile(followed, rules.NeverOver)))
        return std::string(kIsTheLevelFile);
    if (S_ISDIR(own.st_mode))
        return ReasonOfError(EISDIR);
    const bool alone = S_ISREG(own.st_mode) && own.st_nlink == 1;
    return ReplaceRegular(path, text, alone ? &own : nullptr, rules.Durable);
}

} // namespace

OutputSystemCalls& OutputSystemCallsForTests() {
    return gCalls;
}

bool IsTheLevel(int descriptor, std::optional<FileIdentity> level) {
    struct stat info {};
    return ::fstat(descriptor, &info) == 0 && SameFile(info, level);
}

std::string ReasonOfError(int error) {
    switch (error) {
    case ENOENT:
        return "no such folder";
    case ENOTDIR:
        return "not a folder";
    case EACCES:
    case EPERM:
        return "permission denied";
    case EISDIR:
        return "is a folder";
    case ENOSPC:
        return "no space left on the device";
    case EROFS:
        return "read-only file system";
    default:
        return SystemWords(error);
    }
}

std::optional<FileIdentity> IdentityOf(const std::filesystem::path& path) {
    struct stat info {};
    if (path.empty() || ::stat(path.c_str(), &info) != 0)
        return std::nullopt;
    return FileIdentity{info.st_dev, info.st_ino};
}

std::optional<FileIdentity> IdentityOf(int descriptor) {
    struct stat info {};
    if (::fstat(descriptor, &info) != 0)
        return std::nullopt;
    return FileIdentity{info.st_dev, info.st_ino};
}

std::string WriteToDescriptor(int descriptor, std::string_view text) {
    if (!WriteAll(descriptor, text))
        return ReasonOfError(errno);
    return "";
}

std::string WriteOutputFile(const std::filesystem::path& path, std::string_view text,
                            std::optional<FileIdentity> neverOver) {
    return WriteOutputFile(path, text, OutputRules{.NeverOver = neverOver});
}

namespace {

std::string WriteContent(const fs::path& path, const Content& text, const OutputRules& rules) {
    if (path.empty())
        return "not a file name";
    const std::optional<FileIdentity>& neverOver = rules.NeverOver;
    if (rules.ReplaceTheName)
        return path.has_filename() ? ReplaceTheName(path, text, rules) : "not a file name";
    struct stat info {};
    if (const int fd = DescriptorNamed(path); fd >= 0) {
        if (::fstat(fd, &info) != 0)
            return ReasonOfError(errno);
        if (SameFile(info, neverOver))
            return std::string(kIsTheLevelFile);
        return WriteAll(fd, text) ? "" : ReasonOfError(errno);
    }
    if (::stat(path.c_str(), &info) == 0) {
        if (SameFile(info, neverOver))
            return std::string(kIsTheLevelFile);
        if (S_ISDIR(info.st_mode))
            return ReasonOfError(EISDIR);
        if (!S_ISREG(info.st_mode))
            return WriteInPlace(path, text);
        // The file itself, wherever links lead: the link stays, its target gets the text.
        std::error_code ec;
        const fs::path target = fs::canonical(path, ec);
        if (ec)
            return ReasonOfError(ec.value());
        return ReplaceRegular(target, text, &info, rules.Durable);
    }
    if (errno != ENOENT)
        return ReasonOfError(errno);
    if (!path.has_filename())
        return "not a file name";
    fs::path target = path;
    if (std::string reason = FollowDanglingLinks(target); !reason.empty())
        return reason;
    return ReplaceRegular(target, text, nullptr, rules.Durable);
}

} // namespace

std::string WriteOutputFile(const std::filesystem::path& path, std::string_view text,
                            const OutputRules& rules) {
    return WriteContent(path, Content{.Text = text}, rules);
}

std::string CopyToOutputFile(const std::filesystem::path& path, int source, const OutputRules& rules) {
    if (source < 0)
        return ReasonOfError(EBADF);
    return WriteContent(path, Content{.Text = {}, .Source = source}, rules);
}
