#include "cli/ReportCommand.h"

#include <gtest/gtest.h>

#include <sstream>
#include <unistd.h>

#include "common/TestFiles.h"
#include "engine/ReportText.h"
#include "tools/LevelBuilder.h"

namespace {

struct Command {
    int Exit = -1;
    std::string Out, Err;
};

Command Invoke(const std::vector<std::string>& args, const std::filesystem::path& programFolder = {}) {
    std::ostringstream out, err;
    Command c;
    c.Exit = RunReportCommand(args, programFolder, out, err);
    c.Out = out.str();
    c.Err = err.str();
    return c;
}

const std::string kSep(kSeparatorLine);
const std::string kUsageLine = "Usage: " + std::string(kReportUsage) + "\n";

std::string TenLines(const std::string& path, int64_t size) {
    return kSep + "\r\n;" + path + "  Version: 00000020   Size: " + std::to_string(size) + "\r\n" + kSep +
           "\r\nWhat,Offset,, Size \r\n,Hex,Decimal\r\n" + kSep + "\r\n;Not implemented yet\r\n" + kSep +
           "\r\n;" + path + "  END OF FILE\r\n" + kSep;
}

} // namespace

TEST(ReportCommand, PrintsExactlyThePaneText) {
    TempDir dir;
    const std::string dm1 = dir.Write("old.dm1", {0x20, 0x00, 0x00, 0x00});
    Command c = Invoke({dm1});
    EXPECT_EQ(c.Exit, 0);
    EXPECT_EQ(c.Out, TenLines(dm1, 4));
    EXPECT_EQ(c.Err, "");

    const std::string odd = dir.Write("odd", {0x01, 0x02, 0x03, 0x04, 0x05, 0x06});
    c = Invoke({odd});
    EXPECT_EQ(c.Exit, 0);
    EXPECT_EQ(Lines(c.Out).size(), 9u);
    EXPECT_EQ(Lines(c.Out)[1], ";" + odd + "  Version: 04030201   Size: 6");
}

TEST(ReportCommand, DetailsListTurnsOnTheNamedOptions) {
    std::ostringstream out, err;
    ParsedArguments p = ParseReportArguments({"--details", "0,36,5", "level.dm2"}, out, err);
    ASSERT_TRUE(p.Request);
    EXPECT_EQ(p.Request->Details, (std::vector<int>{0, 36, 5}));
    EXPECT_EQ(p.Request->LevelPath, "level.dm2");
    p = ParseReportArguments({"--details", "1", "--details=2", "-o", "out.csv", "--tile-dir", "t", "x"}, out,
                             err);
    ASSERT_TRUE(p.Request);
    EXPECT_EQ(p.Request->Details, (std::vector<int>{1, 2}));
    EXPECT_EQ(p.Request->OutputPath, "out.csv");
    EXPECT_EQ(p.Request->TileDir, "t");
    EXPECT_TRUE(out.str().empty() && err.str().empty());

    TempDir dir;
    const std::string path = dir.Write("level.dm2", levelbuilder::Build(levelbuilder::FilledLevel(2)));
    const std::string plain = Invoke({path}, dir.Path()).Out;
    const std::string palettes = Invoke({"--details", "0", path}, dir.Path()).Out;
    EXPECT_EQ(plain.find("Palette information loaded"), std::string::npos);
    EXPECT_NE(palettes.find("\r\nPalette information loaded\r\n"), std::string::npos);
    EXPECT_GT(Invoke({"--all", path}, dir.Path()).Out.size(), palettes.size());
}

TEST(ReportCommand, UsageErrorsExitWith2AndPrintTheUsage) {
    TempDir dir;
    const std::string dm1 = dir.Write("old.dm1", {0x20, 0x00, 0x00, 0x00});
    const std::vector<std::vector<std::string>> wrong = {{"--details", "37", dm1},
                                                         {"--details", "-1", dm1},
                                                         {"--details", "x", dm1},
                                                         {"--details", "1,,2", dm1},
                                                         {"--details", "", dm1},
                                                         {"--bogus", dm1},
                                                         {},
                                                         {"--all", "--details", "1", dm1},
                                                         {dm1, dm1},
                                                         {"--details"},
                                                         {"-o"}};
    for (const auto& args : wrong) {
        SCOPED_TRACE(testing::PrintToString(args));
        Command c = Invoke(args);
        EXPECT_EQ(c.Exit, 2);
        EXPECT_EQ(c.Out, "");
        ASSERT_EQ(std::count(c.Err.begin(), c.Err.end(), '\n'), 2);
        EXPECT_EQ(c.Err.rfind("strata-report: ", 0), 0u);
        EXPECT_EQ(c.Err.substr(c.Err.find('\n') + 1), kUsageLine);
    }
}

TEST(ReportCommand, HelpVersionAndOptionListGoToStandardOutput) {
    Command help = Invoke({"--help"});
    EXPECT_EQ(help.Exit, 0);
    EXPECT_NE(help.Out.find(kUsageLine), std::string::npos);
    EXPECT_EQ(help.Err, "");

    Command version = Invoke({"--version"});
    EXPECT_EQ(version.Exit, 0);
    EXPECT_EQ(version.Out.rfind("strata-report ", 0), 0u);

    Command list = Invoke({"--list-options"});
    EXPECT_EQ(list.Exit, 0);
    std::istringstream in(list.Out);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    ASSERT_EQ(lines.size(), 37u);
    EXPECT_EQ(lines[0], "0 Palettes");
    EXPECT_EQ(lines[11], "11 Meshes");
    EXPECT_EQ(lines[36], "36 SampleIndices");
}

TEST(ReportCommand, UnreadableLevelExitsWith1AndNamesTheReason) {
    TempDir dir;
    const std::string empty = dir.Write("empty.dm2", {});
    const std::string missing = (dir.Path() / "missing.dm2").string();
    const std::string noFolder = (dir.Path() / "none" / "level.dm2").string();
    const std::string folder = dir.Path().string();
    struct Case {
        std::string Path, Reason;
    };
    for (const Case& c : {Case{empty, "the file is empty"}, Case{missing, "no such file"},
                          Case{noFolder, "no such folder"}, Case{folder, "is a folder"}}) {
        Command r = Invoke({c.Path});
        EXPECT_EQ(r.Exit, 1);
        EXPECT_EQ(r.Out, "");
        EXPECT_EQ(r.Err, "strata-report: cannot read " + c.Path + ": " + c.Reason + "\n");
    }
    EXPECT_FALSE(std::filesystem::exists(missing));
    if (::geteuid() != 0) {
        const std::string locked = dir.Write("locked.dm2", {0x2D, 0, 0, 0});
        std::filesystem::permissions(locked, std::filesystem::perms::none);
        EXPECT_EQ(Invoke({locked}).Err, "strata-report: cannot read " + locked + ": permission denied\n");
    }
}

TEST(ReportCommand, OverflowExitsWith3AfterTheLinesSoFar) {
    TempDir dir;
    levelbuilder::Level level;
    level.Tiles.Count = 40000;
    const std::string path = dir.Write("overflow.dm2", levelbuilder::Build(level));
    Command c = Invoke({path});
    EXPECT_EQ(c.Exit, 3);
    ASSERT_GT(Lines(c.Out).size(), 6u);
    EXPECT_EQ(c.Out.find("END OF FILE"), std::string::npos);
    EXPECT_NE(c.Out.back(), '\n');
    EXPECT_EQ(c.Err, "strata-report: an overflow ended the walk at offset 0x704 (1796) of " + path + "\n");
}

TEST(ReportCommand, OutputFileGetsTheReportWhole) {
    TempDir dir;
    const std::string dm1 = dir.Write("old.dm1", {0x20, 0x00, 0x00, 0x00});
    const std::string csv = (dir.Path() / "report.csv").string();
    dir.Write("report.csv", std::vector<uint8_t>(100000, 'x')); // an earlier, longer file is replaced
    Command c = Invoke({"-o", csv, dm1});
    EXPECT_EQ(c.Exit, 0);
    EXPECT_EQ(c.Out, "");
    const std::vector<uint8_t> written = ReadAll(csv);
    EXPECT_EQ(std::string(written.begin(), written.end()), TenLines(dm1, 4));
    // Nothing but the level and the report is left in the folder.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 2);
}

TEST(ReportCommand, OutputThatCannotBeWrittenExitsWith1AndLeavesNoFile) {
    TempDir dir;
    const std::string dm1 = dir.Write("old.dm1", {0x20, 0x00, 0x00, 0x00});
    const std::string nowhere = (dir.Path() / "none" / "report.csv").string();
    Command c = Invoke({"-o", nowhere, dm1});
    EXPECT_EQ(c.Exit, 1);
    EXPECT_EQ(c.Out, "");
    EXPECT_EQ(c.Err, "strata-report: cannot write " + nowhere + ": no such folder\n");
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "none"));

    c = Invoke({"-o", dir.Path().string(), dm1});
    EXPECT_EQ(c.Exit, 1);
    EXPECT_EQ(c.Err, "strata-report: cannot write " + dir.Path().string() + ": is a folder\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1);
}

TEST(ReportCommand, TilesGoToTheTileFolder) {
    TempDir dir;
    const std::string path = dir.Write("level.dm2", levelbuilder::Build(levelbuilder::FilledLevel(2)));
    const std::filesystem::path tiles = dir.Path() / "tiles";
    std::filesystem::create_directory(tiles);
    const std::filesystem::path program = dir.Path() / "bin";
    Command c = Invoke({"--details", "0,1", "--tile-dir", tiles.string(), path}, program);
    ASSERT_EQ(c.Exit, 0) << c.Err;
    EXPECT_NE(c.Out.find("\r\n,Textures loaded\r\n"), std::string::npos);
    EXPECT_FALSE(std::filesystem::is_empty(tiles));
    EXPECT_FALSE(std::filesystem::exists(program / "TileCollection"));
}
