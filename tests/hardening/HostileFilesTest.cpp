// Level files on disk. Paths that are not level files (a folder, a FIFO nobody writes, a device that
// never ends, a link to itself, an unreadable file) are refused at once with their status and no handle
// left open. Nothing lost or touched: the level file keeps its bytes and time whatever the run does
// (files of 1 to 3 bytes among them, which give whole reports); the tile export writes only Tile_n.bmp
// files inside its folder, none for tiles wholly past the end of the file, and keeps no handle open when
// a file cannot be written; a tile folder that cannot be made does not end the report; the command's -o
// never leaves a half-written file.
#include <gtest/gtest.h>

#include <csignal>
#include <sstream>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "cli/ReportCommand.h"
#include "fuzz/HostileLevels.h"
#include "hardening/HardeningSupport.h"
#include "report/ReportRun.h"

using namespace hardening;
namespace fs = std::filesystem;

static void ExpectRefused(const fs::path& path, int16_t status) {
    SCOPED_TRACE(path);
    AppState state;
    const size_t handles = Names("/proc/self/fd").size();
    EXPECT_EQ(ReportLevelFile(state, path.string()), status);
    EXPECT_EQ(Names("/proc/self/fd").size(), handles);
}

TEST(HostileFiles, PathsThatAreNotLevelFilesAreRefusedAtOnce) {
    TempDir dir;
    const fs::path fifo = dir.Path() / "level.dm2", loop = dir.Path() / "loop.dm2";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0); // opening it for reading would wait for a writer
    fs::create_symlink(loop, loop);
    for (const fs::path& path : {dir.Path(), fifo, loop, fs::path("/dev/zero")})
        ExpectRefused(path, kStatusPathAccessError);
    EXPECT_TRUE(fs::is_fifo(fifo) && fs::is_symlink(loop));
}

TEST(HostileFiles, UnreadableFileIsRefused) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "read permission is not enforced for root";
    TempDir dir;
    const std::string path = dir.Write("locked.dm2", levelbuilder::Build(SmallLevel(2)));
    fs::permissions(path, fs::perms::none);
    ExpectRefused(path, kStatusPermissionDenied);
}

// A level that exports two tiles, the same cut inside the second tile, one that ends with an overflow,
// one that ends at the report's size limit, and files of 1 to 3 bytes, which give whole reports (the
// missing bytes of a version word read as 0: the first byte of a DM2 word alone is a DM2 file with
// nothing to walk, the first bytes of a DM3 word are an unknown version).
TEST(NothingTouched, LevelFilesKeepTheirBytesAndTimeThroughEveryKindOfRun) {
    TempDir dir;
    levelbuilder::Level overflow = SmallLevel(3);
    overflow.Items.Count = 0x7FFFFFFF;
    const std::vector<uint8_t> whole = levelbuilder::Build(levelbuilder::FilledLevel(2));
    std::vector<std::vector<uint8_t>> levels{whole,
                                             {whole.begin(), whole.begin() + 70000},
                                             levelbuilder::Build(overflow),
                                             hostile::RoomLoopLevel(32767, 40)};
    const uint8_t dm2[] = {0x2D, 0x00, 0x00}, dm3[] = {0x38, 0x00, 0x18};
    for (long n = 1; n <= 3; ++n)
        for (const uint8_t* word : {dm2, dm3})
            levels.emplace_back(word, word + n);
    for (size_t i = 0; i < levels.size(); ++i) {
        const std::string path = dir.Write("level" + std::to_string(i), levels[i]);
        // A time well in the past, so that a write, even of the same bytes, would show.
        const auto stamp = fs::file_time_type::clock::now() - std::chrono::hours(24 * 400);
        fs::last_write_time(path, stamp);
        for (const OptionSet& set : OptionSets()) {
            SCOPED_TRACE(path + ", options " + set.Name);
            AppState state = StateWith(dir.Path() / "tiles", set.Options);
            state.ReportFixedBytes = 1 << 20;
            const int16_t status = ReportLevelFile(state, path);
            EXPECT_TRUE(status == 0 || status == kOverflowFault || status == kReportLimitFault) << status;
            EXPECT_TRUE(levels[i].size() > 3 ||
                        state.Report.Str().find("\r\n;" + path + "  END OF FILE\r\n") != std::string::npos);
        }
        EXPECT_EQ(ReadAll(path), levels[i]) << path;
        EXPECT_EQ(fs::last_write_time(path), stamp) << path;
    }
    EXPECT_EQ(Names(dir.Path()).size(), levels.size() + 1); // nothing beside them but the tile folder
}

// The count asks for 16383 tiles; the file holds four whole ones and the first 100 bytes of a fifth. The
// names of tiles 1 to 3 are a folder, a FIFO nobody reads and a link to a file outside the folder: the
// folder is left alone, the FIFO and the link are replaced by bitmaps (never opened, never followed).
// Below a plain file no folder can be made, not even by root: the export then writes nothing, and the
// report is the same.
TEST(NothingTouched, TileExportWritesOnlyItsOwnFilesAndGoesOnWhenItCannotWrite) {
    TempDir dir;
    const fs::path tiles = dir.Path() / "tiles";
    fs::create_directories(tiles / "Tile_1.bmp");
    ASSERT_EQ(::mkfifo((tiles / "Tile_2.bmp").c_str(), 0600), 0);
    const std::vector<uint8_t> keep{'k', 'e', 'e', 'p'};
    fs::create_symlink(dir.Write("outside.txt", keep), tiles / "Tile_3.bmp");
    for (const char* name : {"notes.txt", "Tile_4.bmp.old", "tile_5.bmp"})
        dir.Write("tiles/" + std::string(name), keep);
    levelbuilder::Level level = levelbuilder::FilledLevel(2);
    level.Tiles.Count = 16383;
    std::vector<uint8_t> bytes = levelbuilder::Build(level);
    bytes.resize(1800 + 4 * 65536 + 100);
    const std::string path = dir.Write("level.dm2", bytes);

    const size_t handles = Names("/proc/self/fd").size();
    AppState state = StateWith(tiles), blocked = StateWith(fs::path(path) / "tiles");
    EXPECT_EQ(ReportLevelFile(state, path), kOverflowFault);
    EXPECT_EQ(ReportLevelFile(blocked, path), kOverflowFault);
    EXPECT_EQ(blocked.Report.Str(), state.Report.Str());
    EXPECT_EQ(Names("/proc/self/fd").size(), handles);
    EXPECT_EQ(Names(tiles), (std::set<std::string>{"notes.txt", "Tile_4.bmp.old", "tile_5.bmp", "Tile_1.bmp",
                                                   "Tile_2.bmp", "Tile_3.bmp", "Tile_4.bmp", "Tile_5.bmp"}));
    EXPECT_EQ(Names(dir.Path()), (std::set<std::string>{"level.dm2", "outside.txt", "tiles"}));
    EXPECT_TRUE(fs::is_empty(tiles / "Tile_1.bmp"));
    for (const char* name : {"notes.txt", "Tile_4.bmp.old", "tile_5.bmp"})
        EXPECT_EQ(ReadAll(tiles / name), keep) << name;
    EXPECT_EQ(ReadAll(dir.Path() / "outside.txt"), keep);
    for (const char* name : {"Tile_2.bmp", "Tile_3.bmp", "Tile_4.bmp", "Tile_5.bmp"}) {
        EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(tiles / name))) << name;
        EXPECT_EQ(fs::file_size(tiles / name), 66614u) << name;
    }
}

// A file size limit makes the write of the report fail part-way, as a full disk would: the earlier file
// stays as it was, and nothing is left beside it.
TEST(NothingTouched, ReportFileIsWrittenWholeOrNotAtAll) {
    TempDir dir;
    const std::vector<uint8_t> earlier{'e', 'a', 'r', 'l', 'i', 'e', 'r'};
    ReportRequest request;
    request.AllDetails = true;
    request.LevelPath = dir.Write("level.dm2", levelbuilder::Build(SmallLevel(2)));
    request.OutputPath = dir.Write("report.csv", earlier);
    request.TileDir = (dir.Path() / "tiles").string();
    AppState state;
    std::ostringstream out, err;
    struct rlimit old {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    const struct rlimit small { 4096, old.rlim_max };
    const auto oldSignal = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const int exit = RunReportRequest(request, state, out, err);
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldSignal);
    EXPECT_EQ(exit, kExitUnreadable);
    EXPECT_EQ(ReadAll(request.OutputPath), earlier);
    EXPECT_EQ(Names(dir.Path()), (std::set<std::string>{"level.dm2", "report.csv"}));
}
