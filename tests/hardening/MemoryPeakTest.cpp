// Bounded memory as the user runs the command: strata-report started as a child process, its peak
// memory as the system counts it at most the level's size + 16 MiB, for the text and the JSON, from
// the file and from standard input, to standard output and to a file (-o), and for the summary. The
// levels are those that held the whole report before: a room loop padded to 8 MiB (its JSON peaked at
// 1.96 GB, its text from standard input at 1 GB, its report to -o at 660 MB) and a 1,806-byte file
// whose 32767 rooms lie past its end.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <tuple>
#include <unistd.h>

#include "common/TestFiles.h"
#include "fuzz/HostileLevels.h"
#include "report/ReportLimit.h"

extern char** environ;

namespace {

constexpr size_t kHeadroomBytes = size_t{16} << 20;

struct Child {
    int Exit = -1;
    size_t PeakBytes = 0;
    size_t OutputBytes = 0;
    std::string Tail; // the output's last bytes
};

// Runs strata-report with args, standard input from input (or none), standard output read here and
// counted, and waits for it.
Child RunReport(const std::vector<std::string>& args, const std::string& input) {
    int out[2];
    if (::pipe(out) != 0)
        return {};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    posix_spawn_file_actions_addclose(&actions, out[1]);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, input.empty() ? "/dev/null" : input.c_str(),
                                     O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    std::vector<char*> argv{const_cast<char*>(STRATA_REPORT_PATH)};
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, STRATA_REPORT_PATH, &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    Child child;
    static char block[1 << 16];
    for (ssize_t n; spawned == 0 && (n = ::read(out[0], block, sizeof block)) > 0;) {
        child.OutputBytes += static_cast<size_t>(n);
        child.Tail.append(block, static_cast<size_t>(n));
        if (child.Tail.size() > 256)
            child.Tail.erase(0, child.Tail.size() - 256);
    }
    ::close(out[0]);
    int status = 0;
    struct rusage usage {};
    if (spawned != 0 || ::wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status))
        return child;
    child.Exit = WEXITSTATUS(status);
    child.PeakBytes = static_cast<size_t>(usage.ru_maxrss) * 1024;
    return child;
}

struct PeakCase {
    const char* Name;
    std::vector<std::string> Options;
    bool FromInput;
    bool ToFile = false; // -o FILE: the report is read back from the file
};

const PeakCase kCases[] = {
    {"text", {}, false},
    {"text, every section", {"--all"}, false},
    {"JSON, every section", {"--format", "json", "--all"}, false},
    {"JSON", {"--format", "json"}, false},
    {"standard input, every section", {"--all", "-"}, true},
    {"standard input, JSON, every section", {"--format", "json", "--all", "-"}, true},
    {"-o, every section", {"--all"}, false, true},
    {"-o, JSON, every section", {"--format", "json", "--all"}, false, true},
};

// The size of the file at path and its last bytes, read without holding the file: a child spawned
// later would count this process's peak as its own.
std::pair<size_t, std::string> SizeAndTail(const std::string& path) {
    struct stat info {};
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0 || ::fstat(fd, &info) != 0)
        return {0, ""};
    const auto size = static_cast<size_t>(info.st_size);
    std::string tail(std::min<size_t>(size, 256), '\0');
    const ssize_t n = ::pread(fd, tail.data(), tail.size(), static_cast<off_t>(size - tail.size()));
    ::close(fd);
    tail.resize(n > 0 ? static_cast<size_t>(n) : 0);
    return {size, tail};
}

// exit: the exit status with every section listed, and with none.
void ExpectBoundedPeak(const std::string& path, size_t levelBytes, std::pair<int, int> exit) {
    for (const PeakCase& c : kCases) {
        SCOPED_TRACE(c.Name);
        std::vector<std::string> args = c.Options;
        const std::string written = path + ".report";
        if (c.ToFile)
            args.insert(args.end(), {"-o", written});
        if (!c.FromInput)
            args.push_back(path);
        Child child = RunReport(args, c.FromInput ? path : "");
        if (c.ToFile) {
            EXPECT_EQ(child.OutputBytes, 0u);
            std::tie(child.OutputBytes, child.Tail) = SizeAndTail(written);
            std::remove(written.c_str());
        }
        const bool all = std::find(args.begin(), args.end(), "--all") != args.end();
        EXPECT_EQ(child.Exit, all ? exit.first : exit.second);
        EXPECT_LE(child.PeakBytes, levelBytes + kHeadroomBytes);
        EXPECT_GT(child.OutputBytes, 0u);
        // The document is whole and its size limit counts its own bytes: at most a span's more.
        if (std::find(args.begin(), args.end(), "json") != args.end()) {
            EXPECT_TRUE(child.Tail.ends_with("}}\n")) << child.Tail;
            EXPECT_LE(child.OutputBytes,
                      ReportByteLimit(static_cast<int64_t>(levelBytes)) + (size_t{1} << 20));
        }
    }
    // The summary's row comes from a walk that keeps neither the text nor the rooms.
    SCOPED_TRACE("summary");
    const Child summary = RunReport({"--summary", path}, "");
    EXPECT_EQ(summary.Exit, 0);
    EXPECT_LE(summary.PeakBytes, levelBytes + kHeadroomBytes);
    EXPECT_EQ(std::count(summary.Tail.begin(), summary.Tail.end(), '\n'), 2) << summary.Tail;
}

bool Sanitized() {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    return true;
#else
    return false;
#endif
}

} // namespace

TEST(MemoryPeak, PaddedRoomLoopStaysWithinTheLevelAndSixteenMebibytes) {
    if (Sanitized())
        GTEST_SKIP() << "a sanitizer's shadow memory is no measure of the program's";
    const TempDir dir;
    constexpr size_t kBytes = size_t{8} << 20;
    const std::string path = dir.Write("loop.dm2", hostile::PaddedRoomLoopLevel(kBytes));
    ExpectBoundedPeak(path, kBytes, {3, 4}); // listed, the rooms run into the size limit
}

TEST(MemoryPeak, ThirtyTwoThousandRoomsPastTheEndStayWithinSixteenMebibytes) {
    if (Sanitized())
        GTEST_SKIP() << "a sanitizer's shadow memory is no measure of the program's";
    const TempDir dir;
    const std::vector<uint8_t> level = hostile::RoomsPastTheEndLevel(2);
    ASSERT_EQ(level.size(), 1806u);
    // Complete, but not at the file's end.
    ExpectBoundedPeak(dir.Write("rooms.dm2", level), level.size(), {4, 4});
}
