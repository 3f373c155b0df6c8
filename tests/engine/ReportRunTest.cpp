#include "engine/ReportRun.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

#include "common/TestFiles.h"
#include "engine/ReportText.h"
#include "tools/LevelBuilder.h"

namespace {

const std::string kSep(kSeparatorLine);

std::vector<std::string> NineLines(const std::string& path, const std::string& version, int64_t size) {
    return {kSep,
            ";" + path + "  Version: " + version + "   Size: " + std::to_string(size),
            kSep,
            "What,Offset,, Size ",
            ",Hex,Decimal",
            kSep,
            kSep,
            ";" + path + "  END OF FILE",
            kSep};
}

std::vector<std::string> RunLines(AppState& state, const std::string& path, int16_t expectedStatus = 0) {
    EXPECT_EQ(ReportLevelFile(state, path), expectedStatus);
    return Lines(state.Report.Str());
}

} // namespace

TEST(ReportRun, UnknownVersionGivesTheNineLineReport) {
    TempDir dir;
    const std::string path = dir.Write("odd.dm2", {0x01, 0x02, 0x03, 0x04, 0x05});
    AppState state;
    EXPECT_EQ(RunLines(state, path), NineLines(path, "04030201", 5));
    EXPECT_EQ(state.FileNameLabel, path);
    EXPECT_EQ(state.LevelFilePath, path);
    EXPECT_EQ(state.LastRun.Ended, RunOutcome::Kind::Completed);
    EXPECT_FALSE(state.LastRun.Walked);
    // The pane's text is the lines joined by "\r\n", with no break at either end.
    EXPECT_EQ(state.Report.Str().front(), ';');
    EXPECT_EQ(state.Report.Str().back(), '-');
}

TEST(ReportRun, FirstGameFileGetsTheNotImplementedLine) {
    TempDir dir;
    const std::string path = dir.Write("old.dm1", {0x20, 0x00, 0x00, 0x00, 0x99, 0x98});
    AppState state;
    std::vector<std::string> expected = NineLines(path, "00000020", 6);
    expected.insert(expected.begin() + 6, ";Not implemented yet");
    EXPECT_EQ(RunLines(state, path), expected);
}

TEST(ReportRun, SizeInTheHeaderIsTheFileLengthWhateverTheVersion) {
    TempDir dir;
    const std::string one = dir.Write("one", {0x07});
    AppState state;
    EXPECT_EQ(RunLines(state, one), NineLines(one, "00000007", 1));
    const std::string big = dir.Write("big", std::vector<uint8_t>(100000, 0x41));
    EXPECT_EQ(RunLines(state, big), NineLines(big, "41414141", 100000));
}

TEST(ReportRun, VersionWordSelectsTheWalk) {
    TempDir dir;
    AppState state;
    const std::string dm2 = dir.Write("bare.dm2", {0x2D, 0x00, 0x00, 0x00});
    std::vector<std::string> lines = RunLines(state, dm2);
    ASSERT_GE(lines.size(), 9u);
    EXPECT_EQ(lines[1], ";" + dm2 + "  Version: 0000002D   Size: 4");
    EXPECT_TRUE(state.LastRun.Walked);
    EXPECT_EQ(lines[lines.size() - 2], ";" + dm2 + "  END OF FILE");

    const std::string dm3 = dir.Write("bare.dm3", {0x38, 0x00, 0x18, 0xFF});
    lines = RunLines(state, dm3);
    ASSERT_GE(lines.size(), 9u);
    EXPECT_EQ(lines[1], ";" + dm3 + "  Version: FF180038   Size: 4");
    EXPECT_TRUE(state.LastRun.Walked);
}

TEST(ReportRun, RunningTwiceGivesTheSameText) {
    TempDir dir;
    const std::string path = dir.Write("level.dm2", levelbuilder::Build(levelbuilder::FilledLevel(2)));
    AppState state;
    state.ProgramFolder = dir.Path();
    SetAllDetails(state.DetailOptions, true);
    ASSERT_EQ(ReportLevelFile(state, path), 0);
    const std::string first = state.Report.Str();
    ASSERT_EQ(ReportLevelFile(state, path), 0);
    EXPECT_EQ(state.Report.Str(), first);
}

TEST(ReportRun, FailedOpensReturnTheirStatusAndKeepThePreviousReport) {
    TempDir dir;
    const std::string good = dir.Write("good", {0x01, 0x02, 0x03, 0x04});
    AppState state;
    ASSERT_EQ(ReportLevelFile(state, good), 0);
    const std::string previous = state.Report.Str();

    const std::string missingFolder = (dir.Path() / "nowhere" / "level.dm2").string();
    const std::string missingFile = (dir.Path() / "level.dm2").string();
    const std::string empty = dir.Write("empty.dm2", {});
    struct Case {
        std::string Path;
        int16_t Status;
    };
    for (const Case& c :
         {Case{missingFolder, 76}, Case{missingFile, 99}, Case{empty, 99}, Case{dir.Path().string(), 75}}) {
        SCOPED_TRACE(c.Path);
        EXPECT_EQ(ReportLevelFile(state, c.Path), c.Status);
        EXPECT_EQ(state.Report.Str(), previous);
        EXPECT_EQ(state.FileNameLabel, good);
        EXPECT_EQ(state.LevelFilePath, c.Path);
        EXPECT_EQ(state.LastRun.Ended, RunOutcome::Kind::OpenFailed);
    }
    // Nothing was created along the way, and the empty file is closed: it goes at once.
    EXPECT_FALSE(std::filesystem::exists(missingFile));
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "nowhere"));
    EXPECT_TRUE(std::filesystem::remove(empty));
}

TEST(ReportRun, UnreadableFileGives70) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "read permission is not enforced for root";
    TempDir dir;
    const std::string path = dir.Write("locked.dm2", {0x2D, 0, 0, 0});
    std::filesystem::permissions(path, std::filesystem::perms::none);
    AppState state;
    EXPECT_EQ(ReportLevelFile(state, path), 70);
    EXPECT_TRUE(state.Report.Str().empty());
}

TEST(ReportRun, TheLevelFileIsNeverModified) {
    TempDir dir;
    const std::vector<uint8_t> bytes = levelbuilder::Build(levelbuilder::FilledLevel(3));
    const std::string path = dir.Write("level.dm3", bytes);
    const auto before = std::filesystem::last_write_time(path);
    AppState state;
    state.ProgramFolder = dir.Path();
    SetAllDetails(state.DetailOptions, true);
    ASSERT_EQ(ReportLevelFile(state, path), 0);
    EXPECT_EQ(ReadAll(path), bytes);
    EXPECT_EQ(std::filesystem::last_write_time(path), before);
}

TEST(ReportRun, OverflowEndsTheRunAndKeepsTheLinesSoFar) {
    TempDir dir;
    levelbuilder::Level level;
    level.Tiles.Count = 40000; // 40000 tiles of 65536 bytes overflow the 32-bit size
    const std::string path = dir.Write("overflow.dm2", levelbuilder::Build(level));
    AppState state;
    const std::vector<std::string> lines = RunLines(state, path, 6);
    ASSERT_GT(lines.size(), 6u);
    EXPECT_EQ(lines[3], "What,Offset,, Size ");
    EXPECT_EQ(lines.back().find("END OF FILE"), std::string::npos);
    EXPECT_EQ(state.LastRun.Ended, RunOutcome::Kind::Faulted);
    EXPECT_EQ(state.LastRun.Status, 6);
    EXPECT_EQ(state.LastRun.StopOffset, 1796); // the tile count field
}
