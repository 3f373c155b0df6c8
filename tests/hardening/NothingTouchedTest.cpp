// Nothing lost or touched: the level file keeps its bytes and time whatever the run does; the tile export
// writes only Tile_n.bmp files inside its folder, none for tiles wholly past the end of the file, and
// keeps no handle open when a file cannot be written; a tile folder that cannot be made does not end the
// report; the command's -o never leaves a half-written file.
#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <set>
#include <sstream>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "cli/ReportCommand.h"
#include "engine/ReportRun.h"
#include "fuzz/HostileLevels.h"
#include "hardening/HardeningSupport.h"

using namespace hardening;
namespace fs = std::filesystem;

namespace {

std::set<std::string> Names(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

AppState StateWith(const DetailOptionSet& options, const fs::path& tiles) {
    AppState state;
    state.DetailOptions = options;
    state.TileFolderOverride = tiles;
    return state;
}

DetailOptionSet TilesOption() {
    DetailOptionSet options;
    options.Set(optPalettes, true);
    options.Set(optTextureTiles, true);
    return options;
}

} // namespace

TEST(NothingTouched, LevelFilesKeepTheirBytesAndTimeThroughEveryKindOfRun) {
    TempDir dir;
    levelbuilder::Level overflow = SmallLevel(3);
    overflow.Items.Count = 0x7FFFFFFF;
    const std::vector<uint8_t> whole = levelbuilder::Build(levelbuilder::FilledLevel(2));
    const std::vector<std::vector<uint8_t>> levels{
        whole,                                                      // completes, exports two tiles
        std::vector<uint8_t>(whole.begin(), whole.begin() + 70000), // cut inside the second tile
        levelbuilder::Build(overflow),                              // ends with an overflow
        hostile::RoomLoopLevel(32767, 40),                          // ends at the report's size limit
    };
    const fs::path tiles = dir.Path() / "tiles";
    for (size_t i = 0; i < levels.size(); ++i) {
        const std::string path = dir.Write("level" + std::to_string(i), levels[i]);
        // A time well in the past, so that a write, even of the same bytes, would show.
        const auto stamp = fs::file_time_type::clock::now() - std::chrono::hours(24 * 400);
        fs::last_write_time(path, stamp);
        ::chmod(path.c_str(), 0644);
        for (const OptionSet& set : OptionSets()) {
            AppState state = StateWith(set.Options, tiles);
            state.ReportFixedBytes = 1 << 20;
            const int16_t status = ReportLevelFile(state, path);
            EXPECT_TRUE(status == 0 || status == kOverflowFault || status == kReportLimitFault) << status;
        }
        EXPECT_EQ(ReadAll(path), levels[i]) << path;
        EXPECT_EQ(fs::last_write_time(path), stamp) << path;
    }
    // Nothing beside the levels but the tile folder.
    EXPECT_EQ(Names(dir.Path()), (std::set<std::string>{"level0", "level1", "level2", "level3", "tiles"}));
}

TEST(NothingTouched, TileExportWritesOnlyItsOwnFilesAndNoneForTilesPastTheEnd) {
    TempDir dir;
    const fs::path tiles = dir.Path() / "tiles";
    fs::create_directory(tiles);
    const std::vector<uint8_t> notes{'k', 'e', 'e', 'p'};
    for (const char* name : {"notes.txt", "Tile_1.bmp.old", "tile_2.bmp"})
        dir.Write("tiles/" + std::string(name), notes);

    // Two whole tiles and the first 100 bytes of a third; the count asks for 16383. The 16-bit tiles
    // are cut away, so the walk then ends with an overflow past the tiles.
    std::vector<uint8_t> bytes = levelbuilder::Build(levelbuilder::FilledLevel(2));
    bytes.resize(1800 + 2 * 65536 + 100);
    bytes[1796] = 0xFF;
    bytes[1797] = 0x3F; // 16383
    const std::string path = dir.Write("level.dm2", bytes);
    AppState state = StateWith(TilesOption(), tiles);
    EXPECT_EQ(ReportLevelFile(state, path), kOverflowFault);
    EXPECT_EQ(state.TextureTileCount, 16383);
    EXPECT_EQ(Names(tiles), (std::set<std::string>{"notes.txt", "Tile_1.bmp.old", "tile_2.bmp", "Tile_1.bmp",
                                                   "Tile_2.bmp", "Tile_3.bmp"}));
    for (const char* name : {"notes.txt", "Tile_1.bmp.old", "tile_2.bmp"})
        EXPECT_EQ(ReadAll(tiles / name), notes) << name;
    for (const char* name : {"Tile_1.bmp", "Tile_2.bmp", "Tile_3.bmp"})
        EXPECT_EQ(fs::file_size(tiles / name), 66614u) << name;
    EXPECT_EQ(Names(dir.Path()), (std::set<std::string>{"level.dm2", "tiles"}));
}

TEST(NothingTouched, TileFilesThatCannotBeWrittenAreSkippedWithNoHandleLeftOpen) {
    TempDir dir;
    const fs::path tiles = dir.Path() / "tiles";
    fs::create_directory(tiles);
    levelbuilder::Level level = levelbuilder::FilledLevel(3);
    level.Tiles.Add(level.Tiles.Items[0]);
    level.Tiles.Add(level.Tiles.Items[1]);
    const std::string path = dir.Write("level.dm3", levelbuilder::Build(level));

    // Tile 1 is a folder, tile 2 a FIFO nobody reads, tile 3 a link to a file outside the folder.
    fs::create_directory(tiles / "Tile_1.bmp");
    ASSERT_EQ(::mkfifo((tiles / "Tile_2.bmp").c_str(), 0600), 0);
    const std::vector<uint8_t> outside{'o', 'u', 't'};
    const std::string target = dir.Write("outside.txt", outside);
    fs::create_symlink(target, tiles / "Tile_3.bmp");

    const size_t handles = OpenHandles();
    AppState state = StateWith(TilesOption(), tiles);
    ASSERT_EQ(ReportLevelFile(state, path), 0);
    EXPECT_EQ(OpenHandles(), handles);
    EXPECT_TRUE(fs::is_directory(tiles / "Tile_1.bmp"));
    EXPECT_TRUE(fs::is_empty(tiles / "Tile_1.bmp"));
    EXPECT_TRUE(fs::is_fifo(tiles / "Tile_2.bmp"));
    EXPECT_TRUE(fs::is_symlink(tiles / "Tile_3.bmp"));
    EXPECT_EQ(ReadAll(target), outside);
    EXPECT_EQ(fs::file_size(tiles / "Tile_4.bmp"), 66614u); // the one writable name is written
}

TEST(NothingTouched, TileFolderThatCannotBeMadeDoesNotEndTheReport) {
    TempDir dir;
    const std::string path = dir.Write("level.dm2", levelbuilder::Build(levelbuilder::FilledLevel(2)));
    AppState good = StateWith(TilesOption(), dir.Path() / "tiles");
    ASSERT_EQ(ReportLevelFile(good, path), 0);

    // Below a plain file no folder can be made, not even by root.
    const fs::path blocked = fs::path(path) / "tiles";
    const size_t handles = OpenHandles();
    AppState state = StateWith(TilesOption(), blocked);
    EXPECT_EQ(ReportLevelFile(state, path), 0);
    EXPECT_EQ(state.LastRun.Ended, RunOutcome::Kind::Completed);
    EXPECT_EQ(state.Report.Str(), good.Report.Str());
    EXPECT_EQ(state.TextureTileCount, 2);
    EXPECT_EQ(OpenHandles(), handles);
    EXPECT_FALSE(fs::exists(blocked));
}

// A file size limit makes the write of the report fail part-way, as a full disk would.
TEST(NothingTouched, ReportFileIsWrittenWholeOrNotAtAll) {
    TempDir dir;
    const std::string level = dir.Write("level.dm2", levelbuilder::Build(SmallLevel(2)));
    const std::vector<uint8_t> earlier{'e', 'a', 'r', 'l', 'i', 'e', 'r'};
    const std::string csv = dir.Write("report.csv", earlier);

    ReportRequest request;
    request.AllDetails = true;
    request.LevelPath = level;
    request.OutputPath = csv;
    request.TileDir = (dir.Path() / "tiles").string();
    std::ostringstream out, err;
    int exit = 0;
    {
        struct rlimit old {};
        ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
        const auto oldSignal = std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit small = old;
        small.rlim_cur = 4096;
        ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
        AppState state;
        exit = RunReportRequest(request, state, out, err);
        ::setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, oldSignal);
    }
    EXPECT_EQ(exit, kExitUnreadable);
    EXPECT_TRUE(err.str().starts_with("strata-report: cannot write " + csv + ": ")) << err.str();
    EXPECT_EQ(ReadAll(csv), earlier);
    EXPECT_EQ(Names(dir.Path()), (std::set<std::string>{"level.dm2", "report.csv"}));

    // Without the limit the same request replaces the file with the whole report.
    AppState state;
    std::ostringstream out2, err2;
    ASSERT_EQ(RunReportRequest(request, state, out2, err2), kExitCompleted) << err2.str();
    const std::vector<uint8_t> written = ReadAll(csv);
    EXPECT_EQ(std::string(written.begin(), written.end()), state.Report.Str());
    EXPECT_GT(written.size(), 4096u);
}
