// Runs the built strata-report (and make-demo-level) as a user would, for what only a real process
// shows: the exit status and the bytes on the standard streams, standard input as the level, and a
// standard output that fails.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "common/TestFiles.h"
#include "tools/LevelBuilder.h"

extern char** environ;

namespace {

struct Result {
    int Exit = -1;
    std::string Out, Err;
};

// Runs command line (shell words) in dir with stdout and stderr caught, unless redirected in line.
Result Shell(const TempDir& dir, const std::string& line) {
    const std::filesystem::path out = dir.Path() / "out", err = dir.Path() / "err";
    const int status = std::system(
        ("cd '" + dir.Path().string() + "' && " + line + " >'" + out.string() + "' 2>'" + err.string() + "'")
            .c_str());
    const std::vector<uint8_t> o = ReadAll(out), e = ReadAll(err);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, {o.begin(), o.end()}, {e.begin(), e.end()}};
}

const std::string kReport = "'" STRATA_REPORT_PATH "'";

// text as one word of a POSIX shell, its bytes made by printf (a name may end in no special byte).
std::string ShellWord(const std::string& text) {
    std::string octal;
    for (const unsigned char c : text) {
        char code[5];
        std::snprintf(code, sizeof code, "\\%03o", c);
        octal += code;
    }
    return "\"$(printf '" + octal + "')\"";
}

} // namespace

TEST(CommandLine, ReportOnStandardOutputAndStatusInTheExitCode) {
    TempDir dir;
    dir.Write("old.dm1", {0x20, 0x00, 0x00, 0x00});
    Result run = Shell(dir, kReport + " old.dm1");
    EXPECT_EQ(run.Exit, 4);
    EXPECT_EQ(Lines(run.Out).size(), 10u);
    EXPECT_NE(run.Out.back(), '\n');
    EXPECT_EQ(run.Err, "strata-report: old.dm1 is not a DM2 or DM3 level: its version word is 00000020\n");
    run = Shell(dir, kReport + " --details 37 old.dm1");
    EXPECT_EQ(run.Exit, 2);
    EXPECT_TRUE(run.Out.empty());
}

// "-" reads the level from standard input; the header names it "-".
TEST(CommandLine, LevelFromStandardInput) {
    TempDir dir;
    const std::vector<uint8_t> bytes = levelbuilder::Build(levelbuilder::FilledLevel(2));
    dir.Write("level.dm2", bytes);
    const Result fromFile = Shell(dir, kReport + " level.dm2");
    const Result fromInput = Shell(dir, kReport + " - <level.dm2");
    EXPECT_EQ(fromInput.Exit, 0) << fromInput.Err;
    ASSERT_GT(Lines(fromInput.Out).size(), 3u);
    EXPECT_EQ(Lines(fromInput.Out)[1], ";-  Version: 0000002D   Size: " + std::to_string(bytes.size()));
    EXPECT_EQ(Lines(fromInput.Out).size(), Lines(fromFile.Out).size());
    const Result empty = Shell(dir, kReport + " - </dev/null");
    EXPECT_EQ(empty.Exit, 1);
    EXPECT_EQ(empty.Err, "strata-report: cannot read -: the file is empty\n");
}

// A standard output that cannot take the report: a full device, and a pipe whose reader has gone.
TEST(CommandLine, FailingStandardOutputExitsWith1AndTheReason) {
    TempDir dir;
    const std::string level = dir.Write("level.dm2", levelbuilder::Build(levelbuilder::FilledLevel(2)));
    const std::string err = (dir.Path() / "err").string();
    const int status = std::system((kReport + " '" + level + "' >/dev/full 2>'" + err + "'").c_str());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1);
    std::vector<uint8_t> e = ReadAll(err);
    EXPECT_EQ(std::string(e.begin(), e.end()),
              "strata-report: cannot write the report to standard output: no space left on the device\n");

    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    ::close(ends[0]); // the reader is gone before the command starts
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, ends[1], STDOUT_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    std::string program = STRATA_REPORT_PATH, path = level;
    char* argv[] = {program.data(), path.data(), nullptr};
    pid_t pid = 0;
    ASSERT_EQ(posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    ::close(ends[1]);
    int piped = 0;
    ASSERT_EQ(::waitpid(pid, &piped, 0), pid);
    EXPECT_TRUE(WIFEXITED(piped) && WEXITSTATUS(piped) == 1) << piped;
    e = ReadAll(err);
    EXPECT_EQ(std::string(e.begin(), e.end()),
              "strata-report: cannot write the report to standard output: broken pipe\n");
}

TEST(CommandLine, MakeDemoLevelHelpPrintsItsUsage) {
    TempDir dir;
    for (const char* option : {"--help", "-h"}) {
        const Result run = Shell(dir, std::string("'" MAKE_DEMO_LEVEL_PATH "' ") + option);
        EXPECT_EQ(run.Exit, 0);
        EXPECT_EQ(run.Out.rfind("usage: make-demo-level OUTDIR\n", 0), 0u) << run.Out;
        EXPECT_FALSE(std::filesystem::exists(dir.Path() / option));
    }
    EXPECT_EQ(Shell(dir, "'" MAKE_DEMO_LEVEL_PATH "'").Exit, 2);
}

// A standard output opened on the level (`>> level`) is refused like an input file that is the output:
// exit 1 (2 for the diff) and one line, whatever writes, and the level keeps its bytes. A standard
// output that is another file still gets the report.
TEST(CommandLine, AStandardOutputThatIsTheLevelIsRefused) {
    TempDir dir;
    const std::vector<uint8_t> bytes = levelbuilder::Build(levelbuilder::FilledLevel(2));
    dir.Write("lv.dm2", bytes);
    dir.Write("other.dm2", levelbuilder::Build(levelbuilder::FilledLevel(3)));
    const std::string diff = "'" STRATA_DIFF_PATH "'";
    const std::string report = "strata-report: cannot write the report to standard output: it is the level "
                               "file being reported\n";
    struct Case {
        std::string Line;
        int Exit;
        std::string Err;
    };
    for (const Case& c : {
             Case{kReport + " lv.dm2 >>lv.dm2", 1, report},
             Case{kReport + " --all --format json lv.dm2 >>lv.dm2", 1, report},
             Case{kReport + " - <lv.dm2 >>lv.dm2", 1, report},
             Case{kReport + " -o /dev/stdout lv.dm2 >>lv.dm2", 1,
                  "strata-report: cannot write /dev/stdout: it is the level file being reported\n"},
             Case{kReport + " --summary . >>lv.dm2", 1,
                  "strata-report: cannot write the summary to standard output: it is ./lv.dm2, a file being "
                  "summarised\n"},
             Case{diff + " other.dm2 lv.dm2 >>lv.dm2", 2,
                  "strata-diff: cannot write to standard output: it is lv.dm2, a level being compared\n"},
             Case{diff + " other.dm2 - <lv.dm2 >>lv.dm2", 2,
                  "strata-diff: cannot write to standard output: it is -, a level being compared\n"},
         }) {
        SCOPED_TRACE(c.Line);
        const Result run = Shell(dir, "(" + c.Line + ")");
        EXPECT_EQ(run.Exit, c.Exit);
        EXPECT_EQ(run.Err, c.Err);
        EXPECT_EQ(ReadAll(dir.Path() / "lv.dm2"), bytes);
    }
    const Result other = Shell(dir, "(" + kReport + " lv.dm2 >>other.txt)");
    EXPECT_EQ(other.Exit, 0) << other.Err;
    EXPECT_GT(ReadAll(dir.Path() / "other.txt").size(), bytes.size() / 100);
}

// Every output that cannot be written says so with the system's reason, each on its own line, and
// leaves no empty or cut file behind.
TEST(CommandLine, EveryWriteFailureGivesTheSystemsReason) {
    TempDir dir;
    dir.Write("a.dm2", levelbuilder::Build(levelbuilder::FilledLevel(2)));
    dir.Write("b.dm3", levelbuilder::Build(levelbuilder::FilledLevel(3)));
    const std::string diff = "'" STRATA_DIFF_PATH "'";
    struct Case {
        std::string Line;
        int Exit;
        std::string Err;
    };
    for (const Case& c : {
             Case{kReport + " --summary a.dm2 >/dev/full", 1,
                  "strata-report: cannot write the summary: no space left on the device\n"},
             Case{diff + " a.dm2 b.dm3 >/dev/full", 2,
                  "strata-diff: cannot write to standard output: no space left on the device\n"},
             Case{kReport + " --details 1 --tile-dir /dev/null -o /dev/full a.dm2", 1,
                  "strata-report: cannot write /dev/full: no space left on the device\n"
                  "strata-report: cannot write the texture tiles into /dev/null: not a folder\n"},
             // A file size limit stands in for a full disk: the write fails part-way.
             Case{"trap '' XFSZ; ulimit -f 8; '" MAKE_DEMO_LEVEL_PATH "' demo", 1,
                  "make-demo-level: cannot write demo/demo.dm2: file too large\n"},
         }) {
        SCOPED_TRACE(c.Line);
        const Result run = Shell(dir, "(" + c.Line + ")");
        EXPECT_EQ(run.Exit, c.Exit);
        EXPECT_EQ(run.Err, c.Err);
    }
    EXPECT_TRUE(std::filesystem::is_empty(dir.Path() / "demo"));
}

// strata-diff takes one of its levels from standard input.
TEST(CommandLine, DiffReadsOneLevelFromStandardInput) {
    TempDir dir;
    dir.Write("a.dm2", levelbuilder::Build(levelbuilder::FilledLevel(2)));
    dir.Write("b.dm3", levelbuilder::Build(levelbuilder::FilledLevel(3)));
    const std::string diff = "'" STRATA_DIFF_PATH "'";
    const Result byName = Shell(dir, diff + " a.dm2 b.dm3");
    ASSERT_EQ(byName.Exit, 1) << byName.Err;
    const Result asA = Shell(dir, diff + " - b.dm3 <a.dm2");
    EXPECT_EQ(asA.Exit, 1) << asA.Err;
    EXPECT_EQ(asA.Out, byName.Out);
    EXPECT_EQ(Shell(dir, diff + " b.dm3 - <b.dm3").Exit, 0);
    const Result both = Shell(dir, diff + " - - <a.dm2");
    EXPECT_EQ(both.Exit, 2);
    EXPECT_EQ(both.Err.rfind("strata-diff: only one of A and B can be - (standard input)\n", 0), 0u)
        << both.Err;
}

// A file name cannot drive the terminal that shows standard error: its control bytes come out escaped,
// in the run's ending words, in a write failure and in strata-diff's unreadable file alike.
TEST(CommandLine, NamesWithControlBytesAreEscapedOnStandardError) {
    TempDir dir;
    const std::string name = "old\x1b]0;owned\a\x1b[2J\n.dm1";
    dir.Write(name, {0x20, 0x00, 0x00, 0x00});
    const std::string shown = "old\\x1b]0;owned\\x07\\x1b[2J\\n.dm1";
    const std::string quoted = ShellWord(name);

    Result run = Shell(dir, kReport + " " + quoted);
    EXPECT_EQ(run.Exit, 4);
    EXPECT_EQ(run.Err,
              "strata-report: " + shown + " is not a DM2 or DM3 level: its version word is 00000020\n");
    run = Shell(dir, kReport + " -o " + ShellWord("no\x1b[1mdir/r.txt") + " " + quoted);
    EXPECT_EQ(run.Exit, 1);
    EXPECT_EQ(run.Err.rfind("strata-report: cannot write no\\x1b[1mdir/r.txt: ", 0), 0u) << run.Err;
    run = Shell(dir, "'" STRATA_DIFF_PATH "' " + quoted + " " + ShellWord("gone\r.dm2"));
    EXPECT_EQ(run.Exit, 2);
    EXPECT_EQ(run.Err, "strata-diff: cannot read gone\\r.dm2: no such file\n");
    for (const Result& r : {run, Shell(dir, kReport + " --summary --format " + ShellWord("\x1b[2J"))})
        EXPECT_EQ(r.Err.find('\x1b'), std::string::npos) << r.Err;
}
