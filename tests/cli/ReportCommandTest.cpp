#include "cli/ReportCommand.h"

#include <gtest/gtest.h>

#include <sstream>
#include <unistd.h>

#include "common/TestFiles.h"
#include "engine/ReportText.h"
#include "tools/LevelBuilder.h"

namespace {

namespace fs = std::filesystem;

struct Command {
    int Exit = -1;
    std::string Out, Err;
};

Command Invoke(const std::vector<std::string>& args, const fs::path& programFolder = {}) {
    std::ostringstream out, err;
    const int exit = RunReportCommand(args, programFolder, out, err);
    return {exit, out.str(), err.str()};
}

template <class... Arg> std::vector<std::string> Args(const Arg&... args) {
    return {std::string(args)...};
}

const std::string kSep(kSeparatorLine);
const std::string kUsageLine = "Usage: " + std::string(kReportUsage) + "\n";

// A DM1 file in a folder of its own.
struct Dm1 {
    TempDir dir;
    std::string path = dir.Write("old.dm1", {0x20, 0x00, 0x00, 0x00});
    std::string TenLines() const {
        return kSep + "\r\n;" + path + "  Version: 00000020   Size: 4\r\n" + kSep +
               "\r\nWhat,Offset,, Size \r\n,Hex,Decimal\r\n" + kSep + "\r\n;Not implemented yet\r\n" + kSep +
               "\r\n;" + path + "  END OF FILE\r\n" + kSep;
    }
    long Files() const { return std::distance(fs::directory_iterator(dir.Path()), {}); }
};

} // namespace

TEST(ReportCommand, PrintsExactlyThePaneTextOnStandardOutputOrIntoTheOutputFile) {
    Dm1 f;
    Command c = Invoke({f.path});
    EXPECT_EQ(c.Exit, 0);
    EXPECT_EQ(c.Out, f.TenLines());
    EXPECT_EQ(c.Err, "");

    const std::string odd = f.dir.Write("odd", {0x01, 0x02, 0x03, 0x04, 0x05, 0x06});
    c = Invoke({odd});
    EXPECT_EQ(c.Exit, 0);
    EXPECT_EQ(Lines(c.Out).size(), 9u);
    EXPECT_EQ(Lines(c.Out)[1], ";" + odd + "  Version: 04030201   Size: 6");

    // An earlier, longer file is replaced, and nothing but the report is left beside the levels.
    const std::string csv = f.dir.Write("report.csv", std::vector<uint8_t>(100000, 'x'));
    c = Invoke({"-o", csv, f.path});
    EXPECT_EQ(c.Exit, 0);
    EXPECT_EQ(c.Out, "");
    const std::vector<uint8_t> written = ReadAll(csv);
    EXPECT_EQ(std::string(written.begin(), written.end()), f.TenLines());
    EXPECT_EQ(f.Files(), 3);
}

TEST(ReportCommand, DetailsAndTileFolder) {
    TempDir dir;
    const std::string path = dir.Write("level.dm2", levelbuilder::Build(levelbuilder::FilledLevel(2)));
    const fs::path tiles = dir.Path() / "tiles", program = dir.Path() / "bin";
    const std::string plain = Invoke({path}, program).Out;
    const Command palettes = Invoke({"--details", "0,1", "--tile-dir", tiles.string(), path}, program);
    ASSERT_EQ(palettes.Exit, 0) << palettes.Err;
    EXPECT_EQ(plain.find("Palette information loaded"), std::string::npos);
    EXPECT_NE(palettes.Out.find("\r\nPalette information loaded\r\n"), std::string::npos);
    EXPECT_NE(palettes.Out.find("\r\n,Textures loaded\r\n"), std::string::npos);
    EXPECT_TRUE(fs::exists(tiles / "Tile_1.bmp"));
    EXPECT_FALSE(fs::exists(program / "TileCollection"));
    EXPECT_GT(Invoke({"--all", "--tile-dir", tiles.string(), path}).Out.size(), palettes.Out.size());
}

TEST(ReportCommand, UsageErrorsExitWith2AndPrintTheUsage) {
    Dm1 f;
    const std::string dm1 = f.path;
    for (const auto& args :
         {Args("--details", "37", dm1), Args("--details", "-1", dm1), Args("--details", "x", dm1),
          Args("--details", "1,,2", dm1), Args("--details", "", dm1), Args("--bogus", dm1), Args(),
          Args("--all", "--details", "1", dm1), Args(dm1, dm1), Args("--details"), Args("-o")}) {
        SCOPED_TRACE(testing::PrintToString(args));
        const Command c = Invoke(args);
        EXPECT_EQ(c.Exit, 2);
        EXPECT_EQ(c.Out, "");
        ASSERT_EQ(std::count(c.Err.begin(), c.Err.end(), '\n'), 2);
        EXPECT_EQ(c.Err.rfind("strata-report: ", 0), 0u);
        EXPECT_EQ(c.Err.substr(c.Err.find('\n') + 1), kUsageLine);
    }
}

TEST(ReportCommand, HelpVersionAndOptionListGoToStandardOutput) {
    const Command help = Invoke({"--help"}), version = Invoke({"--version"}),
                  list = Invoke({"--list-options"});
    EXPECT_EQ(help.Exit + version.Exit + list.Exit, 0);
    EXPECT_NE(help.Out.find(kUsageLine), std::string::npos);
    EXPECT_EQ(help.Err + version.Err + list.Err, "");
    EXPECT_EQ(version.Out.rfind("strata-report ", 0), 0u);
    EXPECT_EQ(std::count(list.Out.begin(), list.Out.end(), '\n'), 37);
    for (const char* line : {"0 Palettes\n", "\n3 Meshes\n", "\n11 Meshes\n", "\n36 SampleIndices\n"})
        EXPECT_NE(list.Out.find(line), std::string::npos) << line;
}

TEST(ReportCommand, UnreadableLevelOrOutputExitsWith1AndNamesTheReason) {
    Dm1 f;
    const std::string missing = (f.dir.Path() / "missing.dm2").string();
    const std::string noFolder = (f.dir.Path() / "none" / "level.dm2").string();
    const std::string folder = f.dir.Path().string();
    using Case = std::pair<std::vector<std::string>, std::string>;
    for (const auto& [args, message] :
         {Case{Args(f.dir.Write("empty.dm2", {})), "read " + folder + "/empty.dm2: the file is empty"},
          Case{Args(missing), "read " + missing + ": no such file"},
          Case{Args(noFolder), "read " + noFolder + ": no such folder"},
          Case{Args(folder), "read " + folder + ": is a folder"},
          Case{Args("-o", noFolder, f.path), "write " + noFolder + ": no such folder"},
          Case{Args("-o", folder, f.path), "write " + folder + ": is a folder"}}) {
        const Command c = Invoke(args);
        EXPECT_EQ(c.Exit, 1);
        EXPECT_EQ(c.Out, "");
        EXPECT_EQ(c.Err, "strata-report: cannot " + message + "\n");
    }
    EXPECT_EQ(f.Files(), 2); // the level and the empty one: nothing was created
    if (::geteuid() != 0) {
        const std::string locked = f.dir.Write("locked.dm2", {0x2D, 0, 0, 0});
        fs::permissions(locked, fs::perms::none);
        EXPECT_EQ(Invoke({locked}).Err, "strata-report: cannot read " + locked + ": permission denied\n");
    }
}

TEST(ReportCommand, OverflowExitsWith3AfterTheLinesSoFar) {
    TempDir dir;
    levelbuilder::Level level;
    level.Tiles.Count = 40000;
    const std::string path = dir.Write("overflow.dm2", levelbuilder::Build(level));
    const Command c = Invoke({path});
    EXPECT_EQ(c.Exit, 3);
    ASSERT_GT(Lines(c.Out).size(), 6u);
    EXPECT_EQ(c.Out.find("END OF FILE"), std::string::npos);
    EXPECT_NE(c.Out.back(), '\n');
    EXPECT_EQ(c.Err, "strata-report: an overflow ended the walk at offset 0x704 (1796) of " + path + "\n");
}
