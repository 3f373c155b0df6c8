// Bounded memory as the user runs the command: strata-report started as a child process, its peak
// memory as the system counts it at most the level's size + 16 MiB, for the text and the JSON, from
// the file and from standard input. The levels are those that held the whole report before: a room
// loop padded to 8 MiB (its JSON peaked at 1.96 GB, its text from standard input at 1 GB) and a
// 1,806-byte file whose 32767 rooms lie past its end.
#include <gtest/gtest.h>

#include <algorithm>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "common/TestFiles.h"
#include "engine/ReportLimit.h"
#include "fuzz/HostileLevels.h"

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
};

const PeakCase kCases[] = {
    {"text", {}, false},
    {"text, every section", {"--all"}, false},
    {"JSON, every section", {"--format", "json", "--all"}, false},
    {"JSON", {"--format", "json"}, false},
    {"standard input, every section", {"--all", "-"}, true},
    {"standard input, JSON, every section", {"--format", "json", "--all", "-"}, true},
};

// exit: the exit status with every section listed, and with none.
void ExpectBoundedPeak(const std::string& path, size_t levelBytes, std::pair<int, int> exit) {
    for (const PeakCase& c : kCases) {
        SCOPED_TRACE(c.Name);
        std::vector<std::string> args = c.Options;
        if (!c.FromInput)
            args.push_back(path);
        const Child child = RunReport(args, c.FromInput ? path : "");
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
