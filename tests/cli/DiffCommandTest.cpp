#include "cli/DiffCommand.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sstream>
#include <sys/wait.h>

#include "common/TestFiles.h"
#include "report/OutputFileSeam.h"
#include "tools/LevelBuilder.h"

namespace {

struct Diff {
    int Exit = -1;
    std::string Out, Err;
};

Diff RunDiff(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    const int exit = RunDiffCommand(args, out, err);
    return {exit, out.str(), err.str()};
}

// Level A, and B with one camera moved and one item inserted in the middle of the items.
struct Pair {
    TempDir dir;
    std::string A, B;
    levelbuilder::Layout LayoutA, LayoutB;
    Pair() {
        levelbuilder::Level level = levelbuilder::FilledLevel(2);
        level.Items.Add({7, 1, 10, 20, 30, 0, 5, 5, 0});
        A = dir.Write("a.lvl", levelbuilder::Build(level, LayoutA));
        level.Cameras.Items[0].Z = 99;
        level.Items.Items.insert(level.Items.Items.begin() + 1, {9, 0, 1, 2, 3, 4, 5, 6, 7});
        B = dir.Write("b.lvl", levelbuilder::Build(level, LayoutB));
        Short = dir.Write("short.lvl", {0x2D, 0, 0});
        Text = dir.Write("notes.txt", {'n', 'o', 't', 'e', 's'});
    }
    std::string Short, Text; // three bytes that begin like DM2's version word; a text file
};

const std::string kHelpHint = "Try 'strata-diff --help' for more information.\n";

} // namespace

TEST(DiffCommand, ExitStatusLikeDiff) {
    Pair p;
    const std::string missing = (p.dir.Path() / "missing.lvl").string();
    struct Case {
        std::vector<std::string> Args;
        int Exit;
        std::string Err; // what standard error starts with
    } cases[] = {
        {{p.A, p.A}, kDiffSame, ""},
        {{"--stat", p.B, p.B}, kDiffSame, ""},
        {{p.A, p.B}, kDiffDifferent, ""},
        {{p.A, missing}, kDiffTrouble, "strata-diff: cannot read " + missing + ": no such file\n"},
        {{p.dir.Path().string(), p.A},
         kDiffTrouble,
         "strata-diff: cannot read " + p.dir.Path().string() + ": is a folder\n"},
        {{p.A, p.Short},
         kDiffTrouble,
         "strata-diff: " + p.Short + " is not a DM2 or DM3 level: nothing compared\n"},
        {{p.Text, p.A},
         kDiffTrouble,
         "strata-diff: " + p.Text + " is not a DM2 or DM3 level: nothing compared\n"},
        {{p.A},
         kDiffTrouble,
         "strata-diff: strata-diff compares two files, A and B: B is missing\n" + kHelpHint},
        {{},
         kDiffTrouble,
         "strata-diff: strata-diff compares two files, A and B: none was given\n" + kHelpHint},
        {{p.A, p.B, "c.lvl"},
         kDiffTrouble,
         "strata-diff: strata-diff compares two files: \"c.lvl\" is one too many\n" + kHelpHint},
        {{"3", p.A, p.B}, // a file named like a LIST, with no --sections before it
         kDiffTrouble,
         "strata-diff: strata-diff compares two files: \"" + p.B + "\" is one too many\n" + kHelpHint},
        {{"--format", "xml", p.A, p.B},
         kDiffTrouble,
         "strata-diff: --format is text or json, not \"xml\"\n" + kHelpHint},
        {{p.A, p.B, "--format"},
         kDiffTrouble,
         "strata-diff: --format needs a value: text or json\n" + kHelpHint},
        {{"--sections", "37", p.A, p.B},
         kDiffTrouble,
         "strata-diff: --sections: \"37\" is not a detail index 0 to 36 or a range of them\n" + kHelpHint},
        {{"--sections", "1,x", p.A, p.B}, kDiffTrouble, "strata-diff: --sections: "},
        {{"--sections", "3", "4", p.A, p.B},
         kDiffTrouble,
         "strata-diff: --sections takes one LIST, its indices joined by commas as in 3,4: the \"4\" after it "
         "was "
         "taken as file A\n" +
             kHelpHint},
        {{"-x", p.A, p.B}, kDiffTrouble, "strata-diff: -x is not an option of strata-diff\n" + kHelpHint},
    };
    for (const Case& c : cases) {
        const Diff d = RunDiff(c.Args);
        EXPECT_EQ(d.Exit, c.Exit) << c.Args[0];
        EXPECT_TRUE(d.Err.starts_with(c.Err)) << d.Err;
        if (c.Exit == kDiffTrouble && !c.Err.ends_with(": ")) {
            EXPECT_EQ(d.Err, c.Err);
        }
        if (c.Exit != kDiffDifferent) {
            EXPECT_EQ(d.Out, "") << c.Args[0];
        }
    }
}

TEST(DiffCommand, OneLinePerDifferenceAsTextJsonOrCounts) {
    Pair p;
    EXPECT_EQ(RunDiff({p.A, p.B}).Out,
              "Cameras > record 0: z: 2048 -> 99\n"
              "Items > record B1: added: ObjectID=9, Room=0, x=1, y=2, z=3, Angle=4, "
              "Intensity1=5, Intensity2=6, Flags=7\n");
    // The offsets: z is 8 bytes into the first camera, behind the 4-byte count; the new item is the second.
    const std::string zA = std::to_string(p.LayoutA.Cameras + 4 + 8),
                      zB = std::to_string(p.LayoutB.Cameras + 4 + 8);
    const std::string item = std::to_string(p.LayoutB.Items + 4 + 24);
    EXPECT_EQ(
        RunDiff({"--format", "json", p.A, p.B}).Out,
        "[\n"
        "  {\"kind\": \"changed\", \"chunk\": \"Cameras\", \"element\": \"record\", \"a\": 0, \"b\": 0, "
        "\"field\": \"z\", \"valueA\": \"2048\", \"valueB\": \"99\", \"offsetA\": " +
            zA + ", \"offsetB\": " + zB +
            "},\n"
            "  {\"kind\": \"added\", \"chunk\": \"Items\", \"element\": \"record\", \"b\": 1, \"values\": "
            "{\"ObjectID\": 9, \"Room\": 0, \"x\": 1, \"y\": 2, \"z\": 3, \"Angle\": 4, \"Intensity1\": 5, "
            "\"Intensity2\": 6, \"Flags\": 7}, \"offsetB\": " +
            item +
            "}\n"
            "]\n");
    EXPECT_EQ(RunDiff({"--stat", p.A, p.B}).Out, "Cameras: 1 changed, 0 added, 0 removed\n"
                                                 "Items: 0 changed, 1 added, 0 removed\n");
    EXPECT_EQ(RunDiff({"--stat", "--format", "json", p.A, p.B}).Out,
              "[\n"
              "  {\"chunk\": \"Cameras\", \"changed\": 1, \"added\": 0, \"removed\": 0},\n"
              "  {\"chunk\": \"Items\", \"changed\": 0, \"added\": 1, \"removed\": 0}\n"
              "]\n");
    EXPECT_EQ(RunDiff({"--format", "json", p.A, p.A}).Out, "[]\n");
    // Only the items: the cameras are section 24, the items 30.
    EXPECT_EQ(RunDiff({"--sections", "30", p.A, p.B}).Out.substr(0, 27), "Items > record B1: added: O");
    EXPECT_EQ(RunDiff({"--sections", "24,30", "--stat", p.A, p.B}).Exit, kDiffDifferent);
    EXPECT_EQ(RunDiff({"--sections", "0,1,2", p.A, p.B}).Exit, kDiffSame);
}

// The real program, for its exit status.
TEST(DiffCommand, TheInstalledProgramExitsLikeDiff) {
    Pair p;
    const auto run = [&](const std::string& a, const std::string& b) {
        const int status =
            std::system(("'" STRATA_DIFF_PATH "' '" + a + "' '" + b + "' >/dev/null 2>&1").c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };
    EXPECT_EQ(run(p.A, p.A), 0);
    EXPECT_EQ(run(p.A, p.B), 1);
    EXPECT_EQ(run(p.A, (p.dir.Path() / "none").string()), 2);
}

// Written to a descriptor, the differences go out in blocks; the first block that cannot be written is
// told, though a later block would go through.
TEST(DiffCommand, AWriteThatFailsOnceIsTold) {
    TempDir dir;
    levelbuilder::Level level = levelbuilder::FilledLevel(2);
    level.Items.Items.assign(4000, {7, 1, 10, 20, 30, 0, 5, 5, 0});
    const std::string a = dir.Write("a.lvl", levelbuilder::Build(level));
    for (auto& item : level.Items.Items)
        item.X = 11;
    const std::string b = dir.Write("b.lvl", levelbuilder::Build(level));
    const int fd = ::open((dir.Path() / "out").c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    ASSERT_GE(fd, 0);
    OutputSystemCalls& calls = OutputSystemCallsForTests();
    struct Restore {
        OutputSystemCalls Saved = OutputSystemCallsForTests();
        ~Restore() { OutputSystemCallsForTests() = Saved; }
    } const restore; // on every way out
    static int writes = 0;
    writes = 0;
    calls.Write = [](int descriptor, const void* bytes, size_t count) -> ssize_t {
        if (writes++ == 0)
            return errno = ENOSPC, -1;
        return ::write(descriptor, bytes, count);
    };
    std::ostringstream out, err;
    const int exit = RunDiffCommand({a, b}, out, err, fd);
    calls = restore.Saved;
    ::close(fd);
    EXPECT_GT(RunDiff({a, b}).Out.size(), size_t{1} << 16); // the differences take more than one block
    EXPECT_EQ(exit, kDiffTrouble);
    EXPECT_EQ(err.str(), "strata-diff: cannot write to standard output: no space left on the device\n");

    // Every write going through, the differences still go out as they come, never held whole.
    const int again = ::open((dir.Path() / "out").c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    ASSERT_GE(again, 0);
    writes = 0;
    calls.Write = [](int descriptor, const void* bytes, size_t count) -> ssize_t {
        ++writes;
        return ::write(descriptor, bytes, count);
    };
    std::ostringstream out2, err2;
    EXPECT_EQ(RunDiffCommand({a, b}, out2, err2, again), kDiffDifferent);
    calls = restore.Saved;
    ::close(again);
    EXPECT_GT(writes, 1);
    EXPECT_EQ(err2.str(), "");
}
