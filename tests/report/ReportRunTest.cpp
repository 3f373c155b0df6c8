#include "report/ReportRun.h"

#include <cstdlib>
#include <filesystem>

#include "format/UnitRun.h"
#include "report/RunOutcomeText.h"
#include "report/TileFolder.h"
#include "tools/DemoLevel.h"

namespace {

namespace fs = std::filesystem;

std::vector<std::string> NineLines(const std::string& path, const std::string& version, int64_t size) {
    return Excerpt(kSep, ";" + path + "  Version: " + version + "   Size: " + std::to_string(size), kSep,
                   "What,Offset,, Size ", ",Hex,Decimal", kSep, kSep, ";" + path + "  END OF FILE", kSep);
}

std::vector<std::string> RunLines(AppState& state, const std::string& path, int16_t expectedStatus = 0) {
    EXPECT_EQ(ReportLevelFile(state, path), expectedStatus);
    return Lines(state.Report.Str());
}

// A walk that came to its last chunk is told by where it stopped against the file's size: its start,
// one byte short, the end, past the end, before the start.
TEST(ReportRun, AWalksEndingIsToldByWhereItStopped) {
    struct Case {
        int32_t Stop;
        WalkEnding How;
        RunVerdict Verdict;
        std::string Words;
    };
    for (const Case& c : {
             Case{0, WalkEnding::Completed, RunVerdict::Doubtful,
                  "L: stopped at offset 0, 10 bytes before the end"},
             Case{9, WalkEnding::Completed, RunVerdict::Doubtful,
                  "L: stopped at offset 9, 1 byte before the end"},
             Case{10, WalkEnding::Completed, RunVerdict::Complete,
                  "L: walked to the end of the file, 10 bytes"},
             Case{11, WalkEnding::Completed, RunVerdict::Doubtful,
                  "L: walked past the end of the file, to offset 11 of 10"},
             Case{-1, WalkEnding::SteppedBack, RunVerdict::Doubtful,
                  "L: the walk stepped back before the file's start, to offset -1"},
         }) {
        SCOPED_TRACE(c.Stop);
        RunOutcome outcome;
        outcome.End = {.How = c.How, .Offset = c.Stop, .FileSize = 10};
        EXPECT_TRUE(outcome.Walked());
        EXPECT_EQ(VerdictOf(outcome), c.Verdict);
        EXPECT_EQ(DescribeWalkEnd(outcome.End, "L"), c.Words);
    }
}

TEST(ReportRun, HeaderAndClosingLinesForEveryVersion) {
    TempDir dir;
    AppState state;
    // Unknown versions give the nine lines; the size is the file's length whatever the version.
    const std::string odd = dir.Write("odd.dm2", {0x01, 0x02, 0x03, 0x04, 0x05});
    EXPECT_EQ(RunLines(state, odd), NineLines(odd, "04030201", 5));
    EXPECT_EQ(state.FileNameLabel, odd);
    EXPECT_EQ(state.LastRun.End.How, WalkEnding::NotALevel);
    EXPECT_FALSE(state.LastRun.Walked());
    const std::string one = dir.Write("one", {0x07});
    EXPECT_EQ(RunLines(state, one), NineLines(one, "00000007", 1));

    const std::string dm1 = dir.Write("old.dm1", {0x20, 0x00, 0x00, 0x00, 0x99, 0x98});
    std::vector<std::string> expected = NineLines(dm1, "00000020", 6);
    expected.insert(expected.begin() + 6, ";Not implemented yet");
    EXPECT_EQ(RunLines(state, dm1), expected);

    // The DM2 and DM3 words start a walk, which finds nothing to read in a 4-byte file.
    for (const auto& [bytes, version] :
         {std::pair<std::vector<uint8_t>, std::string>{{0x2D, 0, 0, 0}, "0000002D"},
          {{0x38, 0x00, 0x18, 0xFF}, "FF180038"}}) {
        const std::string path = dir.Write("bare", bytes);
        const std::vector<std::string> lines = RunLines(state, path);
        ASSERT_GE(lines.size(), 9u);
        EXPECT_EQ(lines[1], ";" + path + "  Version: " + version + "   Size: 4");
        EXPECT_EQ(lines[lines.size() - 2], ";" + path + "  END OF FILE");
        EXPECT_TRUE(state.LastRun.Walked());
    }
}

TEST(ReportRun, FailedOpensReturnTheirStatusAndKeepThePreviousReport) {
    TempDir dir;
    const std::string good = dir.Write("good", {0x01, 0x02, 0x03, 0x04});
    AppState state;
    const std::vector<std::string> previous = RunLines(state, good);
    const std::string missingFile = (dir.Path() / "level.dm2").string();
    const std::string empty = dir.Write("empty.dm2", {});
    using Case = std::pair<std::string, int16_t>;
    // A path through a regular file has no folder (76); a bare name that is not there is a missing file.
    for (const auto& [path, status] :
         {Case{(dir.Path() / "no" / "level.dm2").string(), 76}, Case{(fs::path(good) / "x").string(), 76},
          Case{missingFile, 99}, Case{"no-such-level-in-the-working-folder.dm2", 99}, Case{empty, 99},
          Case{dir.Path().string(), 75}}) {
        SCOPED_TRACE(path);
        EXPECT_EQ(RunLines(state, path, status), previous);
        EXPECT_EQ(state.FileNameLabel, good);
        EXPECT_EQ(state.LevelFilePath, path);
        EXPECT_TRUE(state.LastRun.Unread);
    }
    // Nothing was created along the way.
    EXPECT_FALSE(std::filesystem::exists(missingFile));
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "no"));
}

// 16384 tiles of 65536 16-bit pixels overflow the 32-bit size: the run ends after the blank line behind
// the tile count, before any tile is exported.
TEST(ReportRun, OverflowEndsTheRunAndKeepsTheLinesSoFar) {
    TempDir dir;
    Level level;
    level.Tiles.Count = 16384;
    const std::string path = dir.Write("big.dm2", Build(level));
    AppState state;
    state.TileFolderOverride = dir.Path() / "tiles";
    SetAllDetails(state.DetailOptions, true);
    const std::vector<std::string> lines = RunLines(state, path, kOverflowFault);
    ASSERT_GE(lines.size(), 8u);
    EXPECT_EQ(lines[3], "What,Offset,, Size ");
    EXPECT_EQ(Last(lines, 2), Excerpt("0x704,1796,16384,Texture Tiles", " "));
    EXPECT_EQ(state.LastRun.End.How, WalkEnding::Overflow);
    EXPECT_EQ(state.LastRun.End.Offset, 1796);
    EXPECT_FALSE(std::filesystem::exists(state.TileFolderOverride));
}

// Levels with every chunk filled, reported with all options off and with all on: the report ends in its
// closing lines and the walk stops exactly at the end of the file, run after run. No chunk from the floor
// data on is empty, so that the report has something to show everywhere.
TEST(ReportRun, FilledAndDemoLevelsAreWalkedToTheirLastByte) {
    for (const int16_t generation : {int16_t{2}, int16_t{3}}) {
        for (const Level& level : {FilledLevel(generation), DemoLevel(generation)}) {
            for (const bool allOn : {false, true}) {
                SCOPED_TRACE(testing::Message() << "DM" << generation << (allOn ? " all on" : " all off"));
                TempDir dir;
                const std::vector<uint8_t> bytes = Build(level);
                const std::string path = dir.Write("level", bytes);
                AppState state;
                state.TileFolderOverride = dir.Path() / "tiles";
                SetAllDetails(state.DetailOptions, allOn);
                ASSERT_EQ(ReportLevelFile(state, path), 0);
                EXPECT_EQ(state.LastRun.End.Offset, static_cast<int64_t>(bytes.size()));
                const std::vector<std::string> lines = Lines(state.Report.Text());
                ASSERT_EQ(ReportLevelFile(state, path), 0); // a second run gives the same text
                EXPECT_EQ(Lines(state.Report.Text()), lines);
                EXPECT_EQ(Last(lines, 3), Excerpt(kSep, ";" + path + "  END OF FILE", kSep));
                size_t summaries = 0; // every summary from the floor data on counts something
                for (size_t i = 1; !allOn && i + 3 < lines.size(); ++i) {
                    if (lines[i - 1] != kSep ||
                        (summaries == 0 && lines[i].find(",Floor,") == std::string::npos))
                        continue;
                    EXPECT_NE(lines[i].substr(lines[i].find(',', lines[i].find(',') + 1) + 1, 2), "0,")
                        << lines[i];
                    ++summaries;
                }
                EXPECT_EQ(summaries, allOn ? 0u : 27u);
            }
        }
    }
}

// A writable program folder takes the tiles itself; one the user cannot write (here: one that is gone)
// sends them to the user's data folder.
TEST(ReportRun, TilesGoToTheUsersDataFolderWhenTheProgramFolderIsNotWritable) {
    TempDir dir;
    EXPECT_TRUE(FallbackTileFolder(dir.Path()).empty());
    ::setenv("XDG_DATA_HOME", (dir.Path() / "data").c_str(), 1);
    EXPECT_EQ(FallbackTileFolder(dir.Path() / "gone"),
              dir.Path() / "data" / "strata-viewer" / "TileCollection");
    // Installed under a prefix chosen at install time, writable or not: never beside the program.
    fs::create_directories(dir.Path() / "opt" / "bin");
    for (const fs::path& installed : {dir.Path() / "opt" / "bin", dir.Path() / "opt" / "bin" / ""})
        EXPECT_EQ(FallbackTileFolder(installed), dir.Path() / "data" / "strata-viewer" / "TileCollection")
            << installed;
    EXPECT_TRUE(FallbackTileFolder(dir.Path() / "opt").empty());
    ::unsetenv("XDG_DATA_HOME");
}

} // namespace
