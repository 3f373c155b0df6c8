#include "cli/ReportCommand.h"
#include "cli/SummaryCommand.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <sstream>
#include <unistd.h>

#include "common/TestFiles.h"
#include "format/walk/ReportText.h"
#include "report/OutputFileSeam.h"
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
const std::string kHelpHint = "Try 'strata-report --help' for more information.\n";

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
    EXPECT_EQ(c.Exit, kExitDoubtful);
    EXPECT_EQ(c.Out, f.TenLines());

    const std::string odd = f.dir.Write("odd", {0x01, 0x02, 0x03, 0x04, 0x05, 0x06});
    c = Invoke({odd});
    EXPECT_EQ(Lines(c.Out).size(), 9u);
    EXPECT_EQ(Lines(c.Out)[1], ";" + odd + "  Version: 04030201   Size: 6");

    // An earlier, longer file is replaced, and nothing but the report is left beside the levels.
    const std::string csv = f.dir.Write("report.csv", std::vector<uint8_t>(100000, 'x'));
    c = Invoke({"-o", csv, f.path});
    EXPECT_EQ(c.Exit, kExitDoubtful);
    EXPECT_EQ(c.Out, "");
    const std::vector<uint8_t> written = ReadAll(csv);
    EXPECT_EQ(std::string(written.begin(), written.end()), f.TenLines());
    EXPECT_EQ(f.Files(), 3);
}

// "Texture Tiles" brings "Palettes", as in the detail dialog: the bitmaps get the level's colours.
// Blanks after commas and ranges are accepted.
TEST(ReportCommand, DetailsAndTileFolder) {
    TempDir dir;
    const std::string path = dir.Write("level.dm2", levelbuilder::Build(levelbuilder::FilledLevel(2)));
    const fs::path tiles = dir.Path() / "tiles", program = dir.Path() / "bin";
    const std::string plain = Invoke({path}, program).Out;
    const Command palettes = Invoke({"--details", "1", "--tile-dir", tiles.string(), path}, program);
    ASSERT_EQ(palettes.Exit, 0) << palettes.Err;
    EXPECT_EQ(palettes.Err, "");
    EXPECT_EQ(plain.find("Palette information loaded"), std::string::npos);
    EXPECT_NE(palettes.Out.find("\r\nPalette information loaded\r\n"), std::string::npos);
    EXPECT_NE(palettes.Out.find("\r\n,Textures loaded\r\n"), std::string::npos);
    const std::vector<uint8_t> bmp = ReadAll(tiles / "Tile_1.bmp");
    ASSERT_EQ(bmp.size(), 66614u);
    EXPECT_NE(std::count(bmp.begin() + 54, bmp.begin() + 1078, 0), 1024); // not an all-black table
    EXPECT_FALSE(fs::exists(program / "TileCollection"));
    EXPECT_GT(Invoke({"--all", "--tile-dir", tiles.string(), path}).Out.size(), palettes.Out.size());
    EXPECT_EQ(Invoke({"--details", "0-5, 12,  30", "--tile-dir", tiles.string(), path}).Out,
              Invoke({"--details", "0,1,2,3,4,5,12,30", "--tile-dir", tiles.string(), path}).Out);
}

// A tile export that cannot write says so after the report (exit 1); one that was asked for a folder
// without section 1 detailed warns that it exports nothing; tiles that go to the user's data folder
// because the program's folder cannot be written say where they went.
TEST(ReportCommand, TileFolderTroubleIsNeverSilent) {
    TempDir dir;
    const std::string path = dir.Write("level.dm2", levelbuilder::Build(levelbuilder::FilledLevel(2)));
    const std::string file = dir.Write("afile", {'x'});
    const std::string report = Invoke({path}).Out;
    const std::string data = (dir.Path() / "data").string();
    ::setenv("XDG_DATA_HOME", data.c_str(), 1);
    struct Case {
        std::vector<std::string> Args;
        fs::path Program;
        int Exit;
        std::string Err;
    };
    for (const Case& c : {
             Case{Args("--details", "1", "--tile-dir", file, path),
                  {},
                  kExitUnreadable,
                  "cannot write the texture tiles into " + file + ": not a folder"},
             Case{Args("--details", "1", "--tile-dir", (fs::path(file) / "sub").string(), path),
                  {},
                  kExitUnreadable,
                  "cannot write the texture tiles into " + file + "/sub: not a folder"},
             Case{Args("--tile-dir", (dir.Path() / "unused").string(), path),
                  {},
                  kExitCompleted,
                  "no texture tiles are exported: --tile-dir needs section 1 (Texture Tiles) detailed"},
             Case{Args("--details", "1", path), dir.Path() / "gone", kExitCompleted,
                  "the texture tiles went to " + data +
                      "/strata-viewer/TileCollection, as the program's folder cannot take them"},
         }) {
        SCOPED_TRACE(testing::PrintToString(c.Args));
        const Command run = Invoke(c.Args, c.Program);
        EXPECT_EQ(run.Exit, c.Exit);
        EXPECT_EQ(run.Err, "strata-report: " + c.Err + "\n");
        EXPECT_GE(run.Out.size(), report.size()); // the report is written whatever the tiles do
    }
    ::unsetenv("XDG_DATA_HOME");
    EXPECT_EQ(fs::file_size(fs::path(data) / "strata-viewer" / "TileCollection" / "Tile_1.bmp"), 66614u);
    EXPECT_FALSE(fs::exists(dir.Path() / "unused"));
}

// A run that completed but cannot be trusted exits 4 with one line that says why, after the whole
// report; a fault (3) wins over it.
TEST(ReportCommand, ExitFourWhenTheFileIsNotAWholeLevel) {
    TempDir dir;
    const std::vector<uint8_t> whole = levelbuilder::Build(levelbuilder::FilledLevel(2));
    std::vector<uint8_t> noise(5000);
    uint32_t seed = 12345;
    for (uint8_t& byte : noise)
        byte = static_cast<uint8_t>((seed = seed * 1103515245 + 12345) >> 24);
    noise[0] = 0x11; // not a version word of a level
    std::vector<uint8_t> junk = whole;
    junk.insert(junk.end(), {1, 2, 3, 4, 5, 6, 7});
    const std::string size = std::to_string(whole.size());
    struct Case {
        std::string Name;
        std::vector<uint8_t> Bytes;
        int Exit;
        std::string Err; // after the path
    };
    for (const Case& c : {
             Case{"whole", whole, kExitCompleted, ""},
             Case{"two", {0x2D, 0x00}, kExitDoubtful, " is not a DM2 or DM3 level: it holds only 2 bytes"},
             Case{"one", {0x38}, kExitDoubtful, " is not a DM2 or DM3 level: it holds only 1 byte"},
             Case{"dm1",
                  {0x20, 0, 0, 0, 9},
                  kExitDoubtful,
                  " is not a DM2 or DM3 level: its version word is 00000020"},
             Case{"noise", noise, kExitDoubtful, " is not a DM2 or DM3 level: its version word is "},
             Case{"cut",
                  {whole.begin(), whole.begin() + 100},
                  kExitDoubtful,
                  ": walked past the end of the file, to offset "},
             Case{"junk", junk, kExitDoubtful, ": stopped at offset " + size + ", 7 bytes before the end"},
         }) {
        SCOPED_TRACE(c.Name);
        const std::string path = dir.Write(c.Name, c.Bytes);
        const Command run = Invoke({path});
        EXPECT_EQ(run.Exit, c.Exit);
        EXPECT_NE(run.Out.find(";" + path + "  END OF FILE"), std::string::npos);
        if (c.Err.empty()) {
            EXPECT_EQ(run.Err, "");
            continue;
        }
        EXPECT_EQ(run.Err.rfind("strata-report: " + path + c.Err, 0), 0u) << run.Err;
        EXPECT_EQ(std::count(run.Err.begin(), run.Err.end(), '\n'), 1) << run.Err;
    }
    const Command cut = Invoke({dir.Write("cut", {whole.begin(), whole.begin() + 100})});
    EXPECT_TRUE(cut.Err.ends_with(" of 100\n")) << cut.Err;
}

// -o never writes over the level being reported, whichever name leads to it.
TEST(ReportCommand, OutputNamingTheLevelIsRefused) {
    TempDir dir;
    const std::vector<uint8_t> bytes = levelbuilder::Build(levelbuilder::FilledLevel(3));
    const std::string level = dir.Write("level.dm3", bytes);
    fs::create_symlink(level, dir.Path() / "link");
    fs::create_hard_link(level, dir.Path() / "hard");
    for (const fs::path& output : {fs::path(level), dir.Path() / "link", dir.Path() / "hard"}) {
        const Command c = Invoke({"-o", output.string(), level});
        EXPECT_EQ(c.Exit, kExitUnreadable);
        EXPECT_EQ(c.Out, "");
        EXPECT_EQ(c.Err, "strata-report: cannot write " + output.string() +
                             ": it is the level file being reported\n");
    }
    EXPECT_EQ(ReadAll(level), bytes);
    EXPECT_TRUE(fs::is_symlink(dir.Path() / "link"));
}

TEST(ReportCommand, UsageErrorsExitWith2AndPointToHelp) {
    Dm1 f;
    const std::string dm1 = f.path;
    for (const auto& args :
         {Args("--details", "37", dm1), Args("--details", "-1", dm1), Args("--details", "x", dm1),
          Args("--details", "1,,2", dm1), Args("--details", "", dm1), Args("--details", "5-2", dm1),
          Args("--details", "0-37", dm1), Args("--details", "1-", dm1), Args("--details", "1 2", dm1),
          Args("--bogus", dm1), Args(), Args("--all", "--details", "1", dm1), Args(dm1, dm1),
          Args("--details"), Args("-o")}) {
        SCOPED_TRACE(testing::PrintToString(args));
        const Command c = Invoke(args);
        EXPECT_EQ(c.Exit, 2);
        EXPECT_EQ(c.Out, "");
        ASSERT_EQ(std::count(c.Err.begin(), c.Err.end(), '\n'), 2);
        EXPECT_EQ(c.Err.rfind("strata-report: ", 0), 0u);
        EXPECT_EQ(c.Err.substr(c.Err.find('\n') + 1), kHelpHint);
    }
}

// Each usage error in one sentence that says what was taken for what, arguments quoted and escaped.
TEST(ReportCommand, UsageErrorsSayWhatWasWrongInPlainWords) {
    const struct {
        std::vector<std::string> Args;
        std::string Message;
    } cases[] = {
        {{"--format"}, "--format needs a value: text or json (csv or json for --summary)"},
        {{"lv.dm2", "--format", "xml"}, "--format is text or json, not \"xml\""},
        {{"--details", "3", "4", "lv.dm2"},
         "--details takes one LIST, its indices joined by commas as in 3,4: the \"4\" after it was taken as "
         "the "
         "level file"},
        {{"--details"},
         "--details needs a LIST: detail indices 0 to 36 and ranges of them, comma-separated (0-5,12)"},
        {{"--details", "40", "lv.dm2"}, "--details: \"40\" is not a detail index 0 to 36 or a range of them"},
        {{"--all", "--details", "3", "lv.dm2"},
         "--all and --details cannot be used together: --all lists every section"},
        {{"--tile-dir"}, "--tile-dir needs the DIR to export the texture tiles into"},
        {{"lv.dm2", "-o"}, "-o needs the FILE to write the report into"},
        {{"--bogus", "lv.dm2"}, "--bogus is not an option of strata-report"},
        {{"a.dm2", "b.dm2"}, "strata-report reports on one level file: \"b.dm2\" is one too many"},
        {{"a.dm2", "-"}, "strata-report reports on one level file: \"-\" is one too many"}, // - is no option
        {{"a.dm2", "b\x1b[2J\n.dm2"},
         "strata-report reports on one level file: \"b\\x1b[2J\\n.dm2\" is one too many"},
        {{}, "no LEVEL_FILE given: name the level file to report on, or - for standard input"},
        {{"--summary", "--bogus", "x"}, "--bogus is not an option of --summary"},
        {{"--summary", "--format", "text", "x"}, "--format of --summary is csv or json, not \"text\""},
        {{"--summary"}, "--summary needs at least one FILE or DIR"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.Args));
        std::ostringstream out, err;
        const int exit = IsSummaryRequest(c.Args) ? RunSummaryCommand(c.Args, out, err)
                                                  : RunReportCommand(c.Args, {}, out, err);
        EXPECT_EQ(exit, kExitUsage);
        EXPECT_EQ(err.str(), "strata-report: " + c.Message + "\n" + kHelpHint);
        EXPECT_EQ(out.str(), "");
    }
}

TEST(ReportCommand, HelpVersionAndOptionListGoToStandardOutput) {
    const Command help = Invoke({"--help"}), version = Invoke({"--version"}),
                  list = Invoke({"--list-options"});
    EXPECT_EQ(help.Exit + version.Exit + list.Exit, 0);
    EXPECT_NE(help.Out.find(kUsageLine), std::string::npos);
    // The summary is one of the command's two forms: its usage line and its option are in the help.
    EXPECT_NE(help.Out.find("\n       " + std::string(kSummaryUsage) + "\n"), std::string::npos) << help.Out;
    EXPECT_NE(help.Out.find("\n  --summary "), std::string::npos) << help.Out;
    const Command summaryHelp = Invoke({"--summary", "--help"});
    EXPECT_TRUE(!IsSummaryRequest({"--summary", "--help"}) && summaryHelp.Out == help.Out);
    EXPECT_FALSE(IsSummaryRequest({"--", "--summary"})); // after --, a level file of that name
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
    const std::string dm1 =
        "\nstrata-report: " + f.path + " is not a DM2 or DM3 level: its version word is 00000020";
    using Case = std::pair<std::vector<std::string>, std::string>;
    for (const auto& [args, message] :
         {Case{Args(f.dir.Write("empty.dm2", {})), "read " + folder + "/empty.dm2: the file is empty"},
          Case{Args(missing), "read " + missing + ": no such file"},
          Case{Args(noFolder), "read " + noFolder + ": no such folder"},
          Case{Args(folder), "read " + folder + ": is a folder"},
          // The walk's own line follows the output's: every line is printed.
          Case{Args("-o", noFolder, f.path), "write " + noFolder + ": no such folder" + dm1},
          Case{Args("-o", f.path + "/x.csv", f.path), "write " + f.path + "/x.csv: not a folder" + dm1},
          Case{Args("-o", folder, f.path), "write " + folder + ": is a folder" + dm1}}) {
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

// The level lying in the tile folder under a tile's name is never written over: the report is written,
// the other tiles are exported, and one line names the tile and the reason (exit 1).
TEST(ReportCommand, TheTileExportNeverWritesOverTheLevel) {
    TempDir dir;
    const std::vector<uint8_t> bytes = levelbuilder::Build(levelbuilder::FilledLevel(2));
    const fs::path tiles = dir.Path() / "D";
    fs::create_directories(tiles);
    const std::string level = dir.Write("D/Tile_1.bmp", bytes);
    const Command c = Invoke({"--all", "--tile-dir", tiles.string(), level});
    EXPECT_EQ(c.Exit, kExitUnreadable);
    EXPECT_NE(c.Out.find(";" + level + "  END OF FILE"), std::string::npos);
    EXPECT_EQ(c.Err, "strata-report: cannot write the texture tiles into " + tiles.string() +
                         ": Tile_1.bmp: it is the level file being reported\n");
    EXPECT_EQ(ReadAll(level), bytes);
    EXPECT_EQ(fs::file_size(tiles / "Tile_2.bmp"), 66614u);
}

// An empty name names nothing (exit 2, before anything is read or written); "-o -" is standard output.
TEST(ReportCommand, EmptyNamesAreUsageErrorsAndADashIsStandardOutput) {
    Dm1 f;
    for (const auto& args : {Args("-o", "", f.path), Args("--output=", f.path),
                             Args("--tile-dir", "", f.path), Args("--all", "--tile-dir=", f.path)}) {
        SCOPED_TRACE(testing::PrintToString(args));
        const Command c = Invoke(args);
        EXPECT_EQ(c.Exit, kExitUsage);
        EXPECT_EQ(c.Out, "");
        EXPECT_EQ(c.Err.substr(c.Err.find('\n') + 1), "Try 'strata-report --help' for more information.\n");
    }
    const fs::path before = fs::current_path();
    ASSERT_EQ(::chdir(f.dir.Path().c_str()), 0);
    const Command dash = Invoke({"-o", "-", f.path});
    ASSERT_EQ(::chdir(before.c_str()), 0);
    EXPECT_EQ(dash.Exit, kExitDoubtful);
    EXPECT_EQ(dash.Out, f.TenLines());
    EXPECT_EQ(f.Files(), 1); // no file named "-"
}

// The report on its way to -o fills the disk: the old file stays, and the line gives the reason.
TEST(ReportCommand, AFullDiskUnderTheOutputKeepsTheOldFile) {
    Dm1 f;
    const std::string csv = f.dir.Write("report.csv", {'o', 'l', 'd'});
    const OutputSystemCalls saved = OutputSystemCallsForTests();
    OutputSystemCallsForTests().Write = [](int, const void*, size_t) -> ssize_t {
        return errno = ENOSPC, -1;
    };
    const Command c = Invoke({"-o", csv, f.path});
    OutputSystemCallsForTests() = saved;
    EXPECT_EQ(c.Exit, kExitUnreadable);
    EXPECT_EQ(c.Err.substr(0, c.Err.find('\n')),
              "strata-report: cannot write " + csv +
                  ": cannot hold the report in a temporary file: no space left on the device");
    EXPECT_EQ(ReadAll(csv), (std::vector<uint8_t>{'o', 'l', 'd'}));
}
