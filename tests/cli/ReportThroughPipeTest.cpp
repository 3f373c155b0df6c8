// The report of a level of several megabytes, every section detailed, written by the real strata-report
// into a pipe that a slow reader empties a little at a time (so the writer waits on a full pipe again
// and again), is byte for byte the report it writes with -o, for DM2 and DM3. And the pipe it was
// given is left at least as large as it was, at 1 MiB where the system allows a pipe that large.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include "common/TestFiles.h"
#include "tools/LevelBuilder.h"

extern char** environ;

namespace {

using namespace levelbuilder;

// Every section but the texture tiles, which go to files rather than into the text.
const std::string kSections = [] {
    std::string list = "0";
    for (int i = 2; i <= 36; ++i)
        list.append(",").append(std::to_string(i));
    return list;
}();

// Rooms of long lists and long chunk lists: a report of several megabytes, many runs and pieces.
Level ManyRecordsLevel(int16_t generation) {
    Level level = FilledLevel(generation);
    Room room = level.Rooms.Items.at(0);
    room.Vertices.Items.assign(400, {7, -3, 11, {}});
    room.Rectangles.Items.assign(300, {{1, 2, 3, 4}, 5});
    room.Triangles.Items.assign(100, {{5, 6, 7}, 12});
    level.Rooms.Items.assign(100, room);
    level.FloorData.Items.assign(30000, 0x8004);
    level.Overlaps.Items.assign(20000, 3);
    return level;
}

struct PipedRun {
    int Exit = -1;
    std::string Text;
    int PipeBytesAfter = -1; // the pipe's size once the report ended
};

// Runs strata-report with args and its standard output on a pipe of pipeBytes (0: the system's),
// read 4 KiB at a time with a pause after every 256 KiB.
PipedRun RunIntoSlowPipe(const std::vector<std::string>& args, int pipeBytes) {
    PipedRun run;
    int ends[2];
    if (::pipe(ends) != 0)
        return run;
    if (pipeBytes > 0 && ::fcntl(ends[1], F_SETPIPE_SZ, pipeBytes) < pipeBytes) {
        ::close(ends[0]);
        ::close(ends[1]);
        return run;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, ends[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, ends[0]);
    posix_spawn_file_actions_addclose(&actions, ends[1]);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    std::vector<std::string> words{STRATA_REPORT_PATH};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, STRATA_REPORT_PATH, &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(ends[1]);
    char block[4096];
    size_t sincePause = 0;
    for (ssize_t n; spawned == 0 && (n = ::read(ends[0], block, sizeof block)) > 0;) {
        run.Text.append(block, static_cast<size_t>(n));
        if ((sincePause += static_cast<size_t>(n)) >= (size_t{256} << 10)) {
            sincePause = 0;
            const timespec pause{0, 2'000'000};
            ::nanosleep(&pause, nullptr);
        }
    }
    run.PipeBytesAfter = ::fcntl(ends[0], F_GETPIPE_SZ);
    ::close(ends[0]);
    int status = 0;
    if (spawned == 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status))
        run.Exit = WEXITSTATUS(status);
    return run;
}

// Whether this process may make a pipe of bytes: the program's own widening is ignored where it may not.
bool SystemAllowsPipeOf(int bytes) {
    int ends[2];
    if (::pipe(ends) != 0)
        return false;
    const bool allowed = ::fcntl(ends[1], F_SETPIPE_SZ, bytes) >= bytes;
    ::close(ends[0]);
    ::close(ends[1]);
    return allowed;
}

} // namespace

TEST(ReportThroughPipe, ASlowReaderGetsTheBytesOfTheOutputFile) {
    TempDir dir;
    for (int16_t generation : {int16_t{2}, int16_t{3}}) {
        const std::string tag = generation == 2 ? "DM2" : "DM3";
        SCOPED_TRACE(tag);
        const std::string level = dir.Write("level." + tag, Build(ManyRecordsLevel(generation)));
        const std::string file = (dir.Path() / ("report." + tag)).string();
        const PipedRun toFile = RunIntoSlowPipe({"--details", kSections, "-o", file, level}, 0);
        ASSERT_EQ(toFile.Exit, 0);
        EXPECT_TRUE(toFile.Text.empty());
        const std::vector<uint8_t> bytes = ReadAll(file);
        const std::string expected(bytes.begin(), bytes.end());
        ASSERT_GT(expected.size(), size_t{3} << 20); // several times the pipe's largest buffer
        // The system's pipe, and one made larger than the program asks for before it starts.
        for (const int pipeBytes : {0, 2 << 20}) {
            if (pipeBytes > 0 && !SystemAllowsPipeOf(pipeBytes))
                continue;
            SCOPED_TRACE(testing::Message() << "pipe of " << pipeBytes);
            const PipedRun piped = RunIntoSlowPipe({"--details", kSections, level}, pipeBytes);
            EXPECT_EQ(piped.Exit, 0);
            ASSERT_EQ(piped.Text.size(), expected.size());
            EXPECT_TRUE(piped.Text == expected);
            if (pipeBytes > 0) {
                EXPECT_EQ(piped.PipeBytesAfter, pipeBytes); // not shrunk
            } else if (SystemAllowsPipeOf(1 << 20)) {
                EXPECT_EQ(piped.PipeBytesAfter, 1 << 20);
            }
        }
    }
}
