// The one writer of output files: what a path points at is written, never destroyed; the level being
// reported is never written over; failures carry the system's reason.
#include "report/OutputFile.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <optional>
#include <set>
#include <sys/stat.h>
#include <thread>
#include <tuple>
#include <unistd.h>

#include "common/TestFiles.h"
#include "report/OutputFileSeam.h"

namespace {

namespace fs = std::filesystem;

const std::string kText = "report\r\nlines";
const std::vector<uint8_t> kTextBytes(kText.begin(), kText.end());
const std::vector<uint8_t> kOld{'o', 'l', 'd', ' ', 'b', 'y', 't', 'e', 's', '!'};

std::set<std::string> Names(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

mode_t ModeOf(const fs::path& path, bool followLinks = true) {
    struct stat info {};
    if ((followLinks ? ::stat(path.c_str(), &info) : ::lstat(path.c_str(), &info)) != 0)
        return 0;
    return info.st_mode;
}

// A file open for reading that holds bytes, its position left at its end as the report's temporary
// file leaves it: what CopyToOutputFile copies from.
class SourceFile {
  public:
    explicit SourceFile(std::string_view bytes) : file_(std::tmpfile()) {
        if (file_)
            std::fwrite(bytes.data(), 1, bytes.size(), file_);
        if (file_)
            std::fflush(file_);
    }
    ~SourceFile() {
        if (file_)
            std::fclose(file_);
    }
    SourceFile(const SourceFile&) = delete;
    SourceFile& operator=(const SourceFile&) = delete;
    int Descriptor() const { return file_ ? ::fileno(file_) : -1; }

  private:
    std::FILE* file_;
};

// The writer's two entry points, which keep the same rules: the text held in memory, and the same
// bytes copied from a file.
struct Writer {
    const char* Name;
    std::string (*Write)(const fs::path& path, std::string_view text, const OutputRules& rules);
};
const Writer kWriters[] = {
    {"text", [](const fs::path& path, std::string_view text,
                const OutputRules& rules) { return WriteOutputFile(path, text, rules); }},
    {"copied from a file",
     [](const fs::path& path, std::string_view text, const OutputRules& rules) {
         const SourceFile source(text);
         return CopyToOutputFile(path, source.Descriptor(), rules);
     }},
};

// Each case makes its path in a fresh folder ("a" and "b" exist in it), writes, and checks what the
// path pointed at afterwards.
struct WriteCase {
    const char* Name;
    std::function<fs::path(const fs::path& dir)> Make;
    std::function<void(const fs::path& dir)> Check;
};

} // namespace

TEST(OutputFile, WritesWhatThePathPointsAtAndKeepsItsKind) {
    const std::vector<WriteCase> cases{
        {"a new file", [](const fs::path& d) { return d / "a" / "new.csv"; },
         [](const fs::path& d) {
             EXPECT_EQ(ReadAll(d / "a" / "new.csv"), kTextBytes);
             EXPECT_EQ(Names(d / "a"), std::set<std::string>{"new.csv"});
         }},
        {"a longer file, mode 0640",
         [](const fs::path& d) {
             WriteFileAt(d / "a" / "old.csv", std::vector<uint8_t>(5000, 'x'));
             ::chmod((d / "a" / "old.csv").c_str(), 0640);
             return d / "a" / "old.csv";
         },
         [](const fs::path& d) {
             EXPECT_EQ(ReadAll(d / "a" / "old.csv"), kTextBytes);
             EXPECT_EQ(ModeOf(d / "a" / "old.csv") & 07777, 0640u);
             EXPECT_EQ(Names(d / "a"), std::set<std::string>{"old.csv"});
         }},
        {"a link to a file in another folder",
         [](const fs::path& d) {
             WriteFileAt(d / "b" / "target.csv", kOld);
             ::chmod((d / "b" / "target.csv").c_str(), 0600);
             fs::create_symlink("../b/target.csv", d / "a" / "link.csv");
             return d / "a" / "link.csv";
         },
         [](const fs::path& d) {
             EXPECT_TRUE(fs::is_symlink(d / "a" / "link.csv"));
             EXPECT_EQ(ReadAll(d / "b" / "target.csv"), kTextBytes);
             EXPECT_EQ(ModeOf(d / "b" / "target.csv") & 07777, 0600u);
             EXPECT_EQ(Names(d / "a"), std::set<std::string>{"link.csv"});
             EXPECT_EQ(Names(d / "b"), std::set<std::string>{"target.csv"});
         }},
        {"a link that leads nowhere yet",
         [](const fs::path& d) {
             fs::create_symlink(d / "b" / "made.csv", d / "a" / "link.csv");
             return d / "a" / "link.csv";
         },
         [](const fs::path& d) {
             EXPECT_TRUE(fs::is_symlink(d / "a" / "link.csv"));
             EXPECT_EQ(ReadAll(d / "b" / "made.csv"), kTextBytes);
         }},
        {"the null device", [](const fs::path&) { return fs::path("/dev/null"); },
         [](const fs::path&) { EXPECT_TRUE(S_ISCHR(ModeOf("/dev/null"))); }},
    };
    for (const Writer& writer : kWriters)
        for (const WriteCase& c : cases) {
            SCOPED_TRACE(std::string(writer.Name) + ": " + c.Name);
            TempDir dir;
            fs::create_directories(dir.Path() / "a");
            fs::create_directories(dir.Path() / "b");
            EXPECT_EQ(writer.Write(c.Make(dir.Path()), kText, {}), "");
            c.Check(dir.Path());
        }
}

TEST(OutputFile, FifoReaderGetsTheBytesAndTheFifoStays) {
    for (const Writer& writer : kWriters) {
        SCOPED_TRACE(writer.Name);
        TempDir dir;
        const fs::path fifo = dir.Path() / "pipe";
        ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
        std::vector<uint8_t> received;
        std::thread reader([&] { received = ReadAll(fifo); });
        EXPECT_EQ(writer.Write(fifo, kText, {}), "");
        reader.join();
        EXPECT_EQ(received, kTextBytes);
        EXPECT_TRUE(fs::is_fifo(fifo));
        EXPECT_EQ(Names(dir.Path()), std::set<std::string>{"pipe"});
    }
}

// The level, a link to it and a hard link to it are refused; so is what cannot be written, with the
// system's reason. Nothing is left behind and nothing changes.
TEST(OutputFile, RefusalsAndFailuresNameTheReasonAndChangeNothing) {
    TempDir dir;
    const fs::path level = dir.Write("level.dm2", kOld);
    fs::create_symlink(level, dir.Path() / "link");
    fs::create_hard_link(level, dir.Path() / "hard");
    dir.Write("file", kOld);
    const std::optional<FileIdentity> identity = IdentityOf(level);
    ASSERT_TRUE(identity);
    using Case = std::pair<fs::path, std::string>;
    for (const auto& [path, reason] :
         {Case{level, std::string(kIsTheLevelFile)}, Case{dir.Path() / "link", std::string(kIsTheLevelFile)},
          Case{dir.Path() / "hard", std::string(kIsTheLevelFile)}, Case{dir.Path(), "is a folder"},
          Case{dir.Path() / "none" / "x.csv", "no such folder"},
          Case{dir.Path() / "file" / "x.csv", "not a folder"},
          Case{"/dev/full", "no space left on the device"},
          // A read-only file in a folder that takes no new files: the reason is one of those, not a
          // missing folder.
          Case{"/proc/version", ::geteuid() == 0 ? "cannot make a file in /proc: no such file or directory"
                                                 : "permission denied"}}) {
        SCOPED_TRACE(path);
        for (const Writer& writer : kWriters)
            EXPECT_EQ(writer.Write(path, kText, {.NeverOver = identity}), reason) << writer.Name;
    }
    EXPECT_EQ(ReadAll(level), kOld);
    EXPECT_TRUE(fs::is_symlink(dir.Path() / "link"));
    EXPECT_EQ(Names(dir.Path()), (std::set<std::string>{"level.dm2", "link", "hard", "file"}));
    if (::geteuid() != 0) {
        ::chmod(level.c_str(), 0444);
        for (const Writer& writer : kWriters)
            EXPECT_EQ(writer.Write(level, kText, {}), "permission denied") << writer.Name;
        EXPECT_EQ(ReadAll(level), kOld);
    }
}

// The temporary file lies beside the target: with a working folder that no longer exists, the write
// still succeeds and nothing else is made.
TEST(OutputFile, TemporaryFileIsMadeBesideTheTarget) {
    TempDir dir, gone;
    const fs::path before = fs::current_path();
    const fs::path cwd = gone.Path() / "cwd";
    fs::create_directories(cwd);
    ASSERT_EQ(::chdir(cwd.c_str()), 0);
    fs::remove(cwd);
    const std::string reason = WriteOutputFile(dir.Path() / "report.csv", kText);
    ASSERT_EQ(::chdir(before.c_str()), 0);
    EXPECT_EQ(reason, "");
    EXPECT_EQ(ReadAll(dir.Path() / "report.csv"), kTextBytes);
    EXPECT_EQ(Names(dir.Path()), std::set<std::string>{"report.csv"});
}

TEST(OutputFile, DescriptorWritesGiveTheSystemsReason) {
    const int full = ::open("/dev/full", O_WRONLY | O_CLOEXEC);
    ASSERT_GE(full, 0);
    EXPECT_EQ(WriteToDescriptor(full, kText), "no space left on the device");
    ::close(full);
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    ::close(ends[0]);
    const auto old = std::signal(SIGPIPE, SIG_IGN);
    EXPECT_EQ(WriteToDescriptor(ends[1], kText), "broken pipe");
    std::signal(SIGPIPE, old);
    ::close(ends[1]);
}

// A relative link that leads nowhere yet is read from the link's own folder: the file is made beside
// the link, wherever the process works.
TEST(OutputFile, RelativeLinkToAFileNotYetMadeIsResolvedBesideTheLink) {
    TempDir dir;
    fs::create_directories(dir.Path() / "a" / "sub");
    fs::create_directories(dir.Path() / "cwd" / "sub");
    fs::create_symlink("sub/made.csv", dir.Path() / "a" / "link.csv");
    const fs::path before = fs::current_path();
    ASSERT_EQ(::chdir((dir.Path() / "cwd").c_str()), 0);
    const std::string reason = WriteOutputFile(dir.Path() / "a" / "link.csv", kText);
    ASSERT_EQ(::chdir(before.c_str()), 0);
    EXPECT_EQ(reason, "");
    EXPECT_TRUE(fs::is_symlink(dir.Path() / "a" / "link.csv"));
    EXPECT_EQ(ReadAll(dir.Path() / "a" / "sub" / "made.csv"), kTextBytes);
    EXPECT_TRUE(fs::is_empty(dir.Path() / "cwd" / "sub"));
}

// The names of the process's own streams lead to whatever the stream was opened on: the level opened
// for appending as a descriptor (as `>> level` does) is refused under each of them.
TEST(OutputFile, AStreamThatIsTheLevelIsRefusedByEveryNameOfIt) {
    TempDir dir;
    const fs::path level = dir.Write("level.dm2", kOld);
    const std::optional<FileIdentity> identity = IdentityOf(level);
    const int appending = ::open(level.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
    ASSERT_GE(appending, 3);
    const std::string fd = std::to_string(appending);
    for (const std::string& name : {"/dev/fd/" + fd, "/proc/self/fd/" + fd, "/dev/fd/./" + fd}) {
        SCOPED_TRACE(name);
        for (const Writer& writer : kWriters)
            EXPECT_EQ(writer.Write(name, kText, {.NeverOver = identity}), kIsTheLevelFile) << writer.Name;
    }
    // Standard output itself, for the time of one call.
    std::fflush(stdout);
    const int savedOut = ::dup(STDOUT_FILENO);
    ASSERT_GE(savedOut, 0);
    ::dup2(appending, STDOUT_FILENO);
    const std::string viaStdout = WriteOutputFile("/dev/stdout", kText, identity);
    const bool stdoutIsLevel = IsTheLevel(STDOUT_FILENO, identity);
    ::dup2(savedOut, STDOUT_FILENO);
    ::close(savedOut);
    ::close(appending);
    EXPECT_EQ(viaStdout, kIsTheLevelFile);
    EXPECT_TRUE(stdoutIsLevel);
    EXPECT_EQ(ReadAll(level), kOld);
    // Another file on a descriptor is written to; a descriptor that is no regular file is never the level.
    const fs::path other = dir.Write("other", {});
    const int otherFd = ::open(other.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
    EXPECT_EQ(WriteOutputFile("/dev/fd/" + std::to_string(otherFd), kText, identity), "");
    ::close(otherFd);
    EXPECT_EQ(ReadAll(other), kTextBytes);
    const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    struct stat info {};
    ::fstat(null, &info);
    EXPECT_FALSE(IsTheLevel(null, FileIdentity{info.st_dev, info.st_ino}));
    ::close(null);
}

namespace {

// Makes one of the writer's system calls fail with an error while it lives.
class FailingCall {
  public:
    // Write: every way the bytes go out fails (a write, a copy inside the kernel). CopyRefused: the
    // kernel cannot copy here, so the bytes are read and written instead.
    enum Which { Write, Fsync, Rename, CopyRefused };
    FailingCall(Which which, int error) : saved_(OutputSystemCallsForTests()) {
        error_ = error;
        OutputSystemCalls& calls = OutputSystemCallsForTests();
        if (which == Write) {
            calls.Write = [](int, const void*, size_t) -> ssize_t { return errno = error_, -1; };
            calls.Copy = [](int, off_t*, int, size_t) -> ssize_t { return errno = error_, -1; };
        }
        if (which == CopyRefused)
            calls.Copy = [](int, off_t*, int, size_t) -> ssize_t { return errno = EXDEV, -1; };
        if (which == Fsync)
            calls.Fsync = [](int) { return errno = error_, -1; };
        if (which == Rename)
            calls.Rename = [](const char*, const char*) { return errno = error_, -1; };
    }
    ~FailingCall() { OutputSystemCallsForTests() = saved_; }
    FailingCall(const FailingCall&) = delete;
    FailingCall& operator=(const FailingCall&) = delete;

  private:
    OutputSystemCalls saved_;
    static inline int error_ = 0;
};

} // namespace

// A write, fsync or rename that fails leaves the old file as it was and no temporary file, and says why.
TEST(OutputFile, AFailingSystemCallKeepsTheOldFileAndGivesTheReason) {
    using Case = std::tuple<const char*, FailingCall::Which, int, std::string>;
    for (const auto& [name, which, error, reason] :
         {Case{"fsync", FailingCall::Fsync, EIO, "input/output error"},
          Case{"write", FailingCall::Write, ENOSPC, "no space left on the device"},
          Case{"write, quota", FailingCall::Write, EDQUOT, "disk quota exceeded"},
          Case{"rename", FailingCall::Rename, EACCES, "permission denied"}}) {
        SCOPED_TRACE(name);
        TempDir dir;
        const fs::path file = dir.Write("report.csv", kOld);
        {
            FailingCall failing(which, error);
            for (const Writer& writer : kWriters) {
                SCOPED_TRACE(writer.Name);
                EXPECT_EQ(writer.Write(file, kText, {}), reason);
                EXPECT_EQ(writer.Write(dir.Path() / "new.csv", kText, {}), reason);
                EXPECT_EQ(writer.Write(file, kText, {.ReplaceTheName = true}), reason);
            }
        }
        EXPECT_EQ(ReadAll(file), kOld);
        EXPECT_EQ(Names(dir.Path()), std::set<std::string>{"report.csv"});
    }
}

// ReplaceTheName: the name gets a new regular file, and nothing it led to changes, except that the
// level is refused under every name that leads to it.
TEST(OutputFile, ReplacingTheNameNeverChangesAnotherFile) {
    TempDir dir;
    const fs::path level = dir.Write("level.dm2", kOld);
    const fs::path outside = dir.Write("outside", kOld);
    const OutputRules rules{.NeverOver = IdentityOf(level), .ReplaceTheName = true};
    fs::create_directories(dir.Path() / "t");
    const auto at = [&](const char* name) { return dir.Path() / "t" / name; };
    fs::create_symlink(outside, at("link"));
    fs::create_symlink(dir.Path() / "t" / "nowhere", at("dangling"));
    fs::create_hard_link(outside, at("hard"));
    ::chmod(outside.c_str(), 0604); // not the mode a new file gets: the file at "hard" does not keep it
    const fs::path alone = dir.Write("t/alone", kOld);
    ::chmod(alone.c_str(), 0604);
    ASSERT_EQ(::mkfifo(at("fifo").c_str(), 0600), 0);
    fs::create_hard_link(level, at("hard-level"));
    fs::create_symlink(level, at("link-level"));
    fs::create_directories(at("folder"));
    for (const char* name : {"link", "dangling", "hard", "fifo", "new", "alone"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(WriteOutputFile(at(name), kText, rules), "");
        EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(at(name))));
        EXPECT_EQ(fs::hard_link_count(at(name)), 1u);
        EXPECT_EQ(ReadAll(at(name)), kTextBytes);
    }
    // Only a regular file with no other name keeps its mode.
    const auto mode = [&](const char* name) { return fs::status(at(name)).permissions(); };
    EXPECT_EQ(mode("alone"), fs::perms(0604));
    ASSERT_NE(mode("new"), fs::perms(0604));
    EXPECT_EQ(mode("hard"), mode("new"));
    EXPECT_EQ(fs::status(outside).permissions(), fs::perms(0604));
    for (const fs::path& path : {level, at("hard-level"), at("link-level")})
        EXPECT_EQ(WriteOutputFile(path, kText, rules), kIsTheLevelFile) << path;
    // A folder at the name is never exchanged for the new file, durable or not; a name of no file is
    // refused before anything is made.
    for (const bool durable : {true, false}) {
        OutputRules folderRules = rules;
        folderRules.Durable = durable;
        EXPECT_EQ(WriteOutputFile(at("folder"), kText, folderRules), "is a folder") << durable;
        EXPECT_TRUE(fs::is_directory(fs::symlink_status(at("folder")))) << durable;
        EXPECT_EQ(WriteOutputFile(dir.Path() / "t" / "gone/", kText, folderRules), "not a file name");
    }
    EXPECT_EQ(ReadAll(level), kOld);
    EXPECT_EQ(ReadAll(outside), kOld);
    EXPECT_FALSE(fs::exists(at("nowhere")));
    EXPECT_TRUE(fs::is_symlink(at("link-level")));
    EXPECT_EQ(Names(dir.Path() / "t"),
              (std::set<std::string>{"link", "dangling", "hard", "fifo", "new", "alone", "hard-level",
                                     "link-level", "folder"}));
}

// Copied from a file, the bytes go out a block at a time, from the file's start whatever its position,
// inside the kernel or, where it cannot copy, read and written: the target holds exactly the source,
// several blocks long, and nothing else is left in its folder.
TEST(OutputFile, CopiedBytesArriveWholeWhicheverWayTheyGo) {
    std::string big(size_t{3} << 20, '\0');
    for (size_t i = 0; i < big.size(); ++i)
        big[i] = static_cast<char>((i * 131 + i / 4099) & 0xFF);
    big += "tail";
    const std::vector<uint8_t> bigBytes(big.begin(), big.end());
    using Case = std::tuple<const char*, std::string, bool>; // name, bytes, kernel copy refused
    for (const auto& [name, bytes, refused] : {Case{"empty", "", false}, Case{"several blocks", big, false},
                                               Case{"several blocks, read and written", big, true}}) {
        SCOPED_TRACE(name);
        const std::vector<uint8_t> expected(bytes.begin(), bytes.end());
        TempDir dir;
        const fs::path file = dir.Write("report.txt", kOld);
        ::chmod(file.c_str(), 0604);
        // A descriptor opened for appending (standard output as `>> file` leaves it) takes the bytes
        // after what it holds.
        const fs::path appended = dir.Write("appended.txt", kOld);
        const int appending = ::open(appended.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
        ASSERT_GE(appending, 0);
        const SourceFile source(bytes);
        {
            std::optional<FailingCall> failing;
            if (refused)
                failing.emplace(FailingCall::CopyRefused, 0);
            EXPECT_EQ(CopyToOutputFile(file, source.Descriptor()), "");
            EXPECT_EQ(CopyToOutputFile("/dev/fd/" + std::to_string(appending), source.Descriptor()), "");
            EXPECT_EQ(CopyToOutputFile("/dev/null", source.Descriptor()), "");
        }
        ::close(appending);
        EXPECT_EQ(ReadAll(file), expected);
        EXPECT_EQ(ModeOf(file) & 07777, 0604u);
        std::vector<uint8_t> both = kOld;
        both.insert(both.end(), expected.begin(), expected.end());
        EXPECT_EQ(ReadAll(appended), both);
        EXPECT_EQ(Names(dir.Path()), (std::set<std::string>{"report.txt", "appended.txt"}));
    }
    // A source that is not open is a reason, and nothing is made.
    TempDir dir;
    EXPECT_EQ(CopyToOutputFile(dir.Path() / "x.txt", -1), "bad file descriptor");
    EXPECT_TRUE(fs::is_empty(dir.Path()));
}
