#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <functional>
#include <set>
#include <sys/stat.h>
#include <tuple>

#include "common/TestFiles.h"
#include "palette/PaletteStore.h"
#include "report/OutputFileSeam.h"
#include "report/ReportRun.h"
#include "tiles/m_TileEngine.h"

namespace {

namespace fs = std::filesystem;

// The export as the report run makes it: through the one output writer.
template <class Level>
TileExportResult Export(const Level& level, const std::string& folder, int16_t count,
                        const CSmartArray* palette, std::optional<FileIdentity> levelFile = std::nullopt) {
    return ExportTiles(level, folder, count, palette, TileWriter(levelFile));
}

std::set<std::string> Names(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

// A level image of `tiles` zero tiles plus `extra` bytes.
std::vector<uint8_t> LevelWithTiles(int tiles, size_t extra = 0) {
    return std::vector<uint8_t>(kFirstTileOffset + size_t(kTileBytes) * tiles + extra, 0);
}
uint8_t& TileByte(std::vector<uint8_t>& level, int n, int row, int column) {
    return level.at(kFirstTileOffset + size_t(kTileBytes) * (n - 1) + 256 * row + column);
}
// The pixel byte of a bitmap for a tile's row (from the top) and column: rows are stored bottom-up.
uint8_t Pixel(const std::vector<uint8_t>& bmp, int row, int column) {
    return bmp.at(kBmpPixelOffset + 256 * (255 - row) + column);
}

uint32_t U32At(const std::vector<uint8_t>& b, size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (uint32_t(b[at + 3]) << 24);
}

TEST(TileEngine, BitmapHoldsHeaderColourTableAndRowsBottomUp) {
    TempDir dir;
    std::vector<uint8_t> level = LevelWithTiles(1);
    TileByte(level, 1, 0, 0) = 5, TileByte(level, 1, 255, 0) = 7, TileByte(level, 1, 1, 2) = 9;
    TileByte(level, 1, 255, 255) = 11;
    // The folder is missing, two levels deep: the export creates it. Colours 252, 0, 4 and 4, 8, 12.
    const std::array<uint8_t, 768> palette{63, 0, 1, 1, 2, 3};
    Export(level, (dir.Path() / "a" / "TileCollection").string() + "/", 1, MakePalette8(palette).get());
    const auto bmp = ReadAll(dir.Path() / "a" / "TileCollection" / "Tile_1.bmp");
    ASSERT_EQ(bmp.size(), 66614u);
    EXPECT_EQ(std::string(bmp.begin(), bmp.begin() + 2), "BM");
    const std::vector<std::pair<size_t, uint32_t>> fields = {
        {2, 66614},        {6, 0},      {10, 1078}, {14, 40},   {18, 256}, {22, 256}, {26, 1 | (8 << 16)},
        {30, 0},           {34, 65536}, {38, 2834}, {42, 2834}, {46, 256}, {50, 256}, {54, 0x00FC0004u},
        {58, 0x0004080Cu}, {62, 0}}; // colours blue, green, red, 0
    for (const auto& [at, value] : fields)
        EXPECT_EQ(U32At(bmp, at), value) << "at " << at;
    EXPECT_EQ(bmp[1078 + 256 * 255], 5); // the top-left byte
    EXPECT_EQ(bmp[1078], 7);             // the bottom-left byte
    EXPECT_EQ(Pixel(bmp, 1, 2), 9);
    EXPECT_EQ(Pixel(bmp, 255, 255), 11);
}

TEST(TileEngine, WithoutAPaletteTheColourTableIsAllZero) {
    std::vector<uint8_t> bmp(kBmpFileBytes, 0);
    CSmartArray empty;
    EXPECT_EQ(WriteBmpPalette(bmp.data(), nullptr), 99);
    EXPECT_EQ(WriteBmpPalette(bmp.data(), &empty), 99);
    TempDir dir;
    Export(LevelWithTiles(1), dir.Path().string() + "/", 1, nullptr);
    const auto file = ReadAll(dir.Path() / "Tile_1.bmp");
    ASSERT_EQ(file.size(), 66614u);
    EXPECT_EQ(std::count(file.begin() + 54, file.begin() + 1078, 0), 1024);
}

// No file for a count of 0 or less, nor for a tile wholly past the end of the level; a tile that starts
// inside it is written with its missing bytes as 0. A second export overwrites from tile 1 on and leaves
// the files above its count; by path it writes what the bytes give.
TEST(TileEngine, WhichFilesAreWritten) {
    TempDir dir;
    const fs::path folder = dir.Path() / "tiles";
    std::vector<uint8_t> level = LevelWithTiles(1, 100);
    Export(level, folder.string() + "/", 0, nullptr);
    Export(level, folder.string() + "/", -5, nullptr);
    EXPECT_FALSE(fs::exists(folder));

    TileByte(level, 2, 0, 99) = 42;
    EXPECT_EQ(Export(level, folder.string() + "/", 3, nullptr).Written, 2);
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    EXPECT_EQ(names, (std::set<std::string>{"Tile_1.bmp", "Tile_2.bmp"}));
    auto bmp = ReadAll(folder / "Tile_2.bmp");
    ASSERT_EQ(bmp.size(), 66614u);
    EXPECT_EQ(Pixel(bmp, 0, 99), 42);
    EXPECT_EQ(std::count(bmp.begin() + 1078, bmp.end(), 0), 65535);

    level = LevelWithTiles(3);
    Export(level, folder.string() + "/", 3, nullptr);
    TileByte(level, 1, 17, 33) = 200;
    dir.Write("tiles/Tile_1.bmp", std::vector<uint8_t>(100000, 0xAA));
    Export(dir.Write("level.dm2", level), folder.string() + "/", 1, nullptr);
    bmp = ReadAll(folder / "Tile_1.bmp");
    ASSERT_EQ(bmp.size(), 66614u);
    EXPECT_EQ(Pixel(bmp, 17, 33), 200);
    EXPECT_EQ(fs::file_size(folder / "Tile_3.bmp"), 66614u);
    Export("", (dir.Path() / "none").string() + "/", 2, nullptr);
    EXPECT_FALSE(fs::exists(dir.Path() / "none"));

    // A level that ends exactly where tile 3 would start holds two tiles: no third, black bitmap.
    const fs::path exact = dir.Path() / "exact";
    EXPECT_EQ(Export(LevelWithTiles(2), exact.string() + "/", 3, nullptr).Written, 2);
    EXPECT_EQ(std::distance(fs::directory_iterator(exact), {}), 2);
}

// What the export could not write comes back with the reason: a folder that cannot be made ends it at
// once; a tile name taken by a folder is skipped and named. A FIFO, a device or a link at a tile's name
// is replaced by the bitmap, never written into or through.
TEST(TileEngine, ResultNamesTheFirstThingThatCouldNotBeWritten) {
    TempDir dir;
    const std::vector<uint8_t> level = LevelWithTiles(3);
    const std::string file = dir.Write("file", {'x'});
    TileExportResult r = Export(level, file + "/", 3, nullptr);
    EXPECT_EQ(r.Folder, file);
    EXPECT_EQ(r.Failed, file);
    EXPECT_EQ(r.Error, ENOTDIR);
    EXPECT_EQ(r.Written, 0);
    r = Export(level, (fs::path(file) / "tiles").string(), 3, nullptr);
    EXPECT_EQ(r.Failed, (fs::path(file) / "tiles").string());
    EXPECT_EQ(r.Error, ENOTDIR);

    using Case = std::tuple<const char*, std::function<void(const fs::path&)>, std::string>;
    for (const auto& [name, take, reason] : {
             Case{"a folder", [](const fs::path& p) { fs::create_directories(p); }, "is a folder"},
             Case{"a FIFO", [](const fs::path& p) { ::mkfifo(p.c_str(), 0600); }, ""},
             Case{"a link", [](const fs::path& p) { fs::create_symlink("/dev/null", p); }, ""},
         }) {
        SCOPED_TRACE(name);
        TempDir tiles;
        take(tiles.Path() / "Tile_2.bmp");
        take(tiles.Path() / "Tile_3.bmp");
        r = Export(level, tiles.Path().string() + "/", 3, nullptr);
        EXPECT_EQ(r.Folder, tiles.Path().string());
        EXPECT_EQ(r.Failed, reason.empty() ? "" : "Tile_2.bmp");
        EXPECT_EQ(r.Reason, reason);
        EXPECT_EQ(r.Written, reason.empty() ? 3 : 1);
        if (reason.empty())
            for (const char* tile : {"Tile_2.bmp", "Tile_3.bmp"}) {
                EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(tiles.Path() / tile))) << tile;
                EXPECT_EQ(ReadAll(tiles.Path() / tile).size(), 66614u) << tile;
            }
    }
    EXPECT_TRUE(Export(level, (dir.Path() / "fine").string(), 3, nullptr).Ok());
}

// A tile never changes a file other than its own: the level in the tile folder (under a tile's name, or
// a hard link to it) is refused and named; a hard link to any other file gets a new file of its own.
TEST(TileEngine, TheLevelAndOtherFilesBehindATilesNameStayAsTheyWere) {
    TempDir dir;
    std::vector<uint8_t> bytes = LevelWithTiles(3);
    TileByte(bytes, 3, 0, 0) = 77;
    const fs::path tiles = dir.Path() / "tiles";
    fs::create_directories(tiles);
    const std::string level = dir.Write("tiles/Tile_1.bmp", bytes);
    fs::create_hard_link(level, tiles / "Tile_2.bmp");
    const std::string other = dir.Write("other.txt", {'k', 'e', 'e', 'p'});
    fs::create_hard_link(other, tiles / "Tile_3.bmp");
    const TileExportResult r = Export(bytes, tiles.string() + "/", 3, nullptr, IdentityOf(level));
    EXPECT_EQ(r.Failed, "Tile_1.bmp");
    EXPECT_EQ(r.Reason, kIsTheLevelFile);
    EXPECT_EQ(r.Written, 1);
    EXPECT_EQ(ReadAll(level), bytes);
    EXPECT_EQ(ReadAll(tiles / "Tile_2.bmp"), bytes);
    EXPECT_EQ(ReadAll(other), (std::vector<uint8_t>{'k', 'e', 'e', 'p'}));
    const std::vector<uint8_t> third = ReadAll(tiles / "Tile_3.bmp");
    ASSERT_EQ(third.size(), 66614u);
    EXPECT_EQ(Pixel(third, 0, 0), 77);
    EXPECT_EQ(fs::hard_link_count(tiles / "Tile_3.bmp"), 1u);
    EXPECT_EQ(Names(tiles), (std::set<std::string>{"Tile_1.bmp", "Tile_2.bmp", "Tile_3.bmp"}));
}

// A disk that fills up part-way: the tiles written before stay whole, the one that did not fit keeps its
// old bytes, and no cut or empty bitmap is left.
TEST(TileEngine, EachTileIsWrittenWholeOrNotAtAll) {
    TempDir dir;
    const fs::path tiles = dir.Path() / "tiles";
    const std::vector<uint8_t> old(66614, 0xAA);
    fs::create_directories(tiles);
    WriteFileAt(tiles / "Tile_2.bmp", old);
    static int writes = 0;
    writes = 0;
    const OutputSystemCalls saved = OutputSystemCallsForTests();
    // Room for one bitmap and the first 4096 bytes of the next.
    OutputSystemCallsForTests().Write = [](int fd, const void* bytes, size_t count) -> ssize_t {
        if (++writes == 1)
            return ::write(fd, bytes, count);
        if (writes == 2)
            return ::write(fd, bytes, std::min<size_t>(count, 4096));
        errno = ENOSPC;
        return -1;
    };
    const TileExportResult r = Export(LevelWithTiles(6), tiles.string() + "/", 6, nullptr);
    OutputSystemCallsForTests() = saved;
    EXPECT_EQ(r.Written, 1);
    EXPECT_EQ(r.Failed, "Tile_2.bmp");
    EXPECT_EQ(r.Reason, "no space left on the device");
    EXPECT_EQ(fs::file_size(tiles / "Tile_1.bmp"), 66614u);
    EXPECT_EQ(ReadAll(tiles / "Tile_2.bmp"), old);
    EXPECT_EQ(Names(tiles), (std::set<std::string>{"Tile_1.bmp", "Tile_2.bmp"}));
}

} // namespace
