#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <functional>
#include <sys/stat.h>
#include <tuple>
#include <filesystem>
#include <set>

#include "common/TestFiles.h"
#include "palette/PaletteStore.h"
#include "tiles/m_TileEngine.h"

namespace {

namespace fs = std::filesystem;

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
    ExportTiles(level, (dir.Path() / "a" / "TileCollection").string() + "/", 1, MakePalette8(palette).get());
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
    ExportTiles(LevelWithTiles(1), dir.Path().string() + "/", 1, nullptr);
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
    ExportTiles(level, folder.string() + "/", 0, nullptr);
    ExportTiles(level, folder.string() + "/", -5, nullptr);
    EXPECT_FALSE(fs::exists(folder));

    TileByte(level, 2, 0, 99) = 42;
    EXPECT_EQ(ExportTiles(level, folder.string() + "/", 3, nullptr).Written, 2);
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    EXPECT_EQ(names, (std::set<std::string>{"Tile_1.bmp", "Tile_2.bmp"}));
    auto bmp = ReadAll(folder / "Tile_2.bmp");
    ASSERT_EQ(bmp.size(), 66614u);
    EXPECT_EQ(Pixel(bmp, 0, 99), 42);
    EXPECT_EQ(std::count(bmp.begin() + 1078, bmp.end(), 0), 65535);

    level = LevelWithTiles(3);
    ExportTiles(level, folder.string() + "/", 3, nullptr);
    TileByte(level, 1, 17, 33) = 200;
    dir.Write("tiles/Tile_1.bmp", std::vector<uint8_t>(100000, 0xAA));
    ExportTiles(dir.Write("level.dm2", level), folder.string() + "/", 1, nullptr);
    bmp = ReadAll(folder / "Tile_1.bmp");
    ASSERT_EQ(bmp.size(), 66614u);
    EXPECT_EQ(Pixel(bmp, 17, 33), 200);
    EXPECT_EQ(fs::file_size(folder / "Tile_3.bmp"), 66614u);
    ExportTiles("", (dir.Path() / "none").string() + "/", 2, nullptr);
    EXPECT_FALSE(fs::exists(dir.Path() / "none"));

    // A level that ends exactly where tile 3 would start holds two tiles: no third, black bitmap.
    const fs::path exact = dir.Path() / "exact";
    EXPECT_EQ(ExportTiles(LevelWithTiles(2), exact.string() + "/", 3, nullptr).Written, 2);
    EXPECT_EQ(std::distance(fs::directory_iterator(exact), {}), 2);
}

// What the export could not write comes back with the system's reason: a folder that cannot be made
// ends it at once; a tile name taken by a folder, a FIFO or a link is skipped and the first one named.
TEST(TileEngine, ResultNamesTheFirstThingThatCouldNotBeWritten) {
    TempDir dir;
    const std::vector<uint8_t> level = LevelWithTiles(3);
    const std::string file = dir.Write("file", {'x'});
    TileExportResult r = ExportTiles(level, file + "/", 3, nullptr);
    EXPECT_EQ(r.Folder, file);
    EXPECT_EQ(r.Failed, file);
    EXPECT_EQ(r.Error, ENOTDIR);
    EXPECT_EQ(r.Written, 0);
    r = ExportTiles(level, (fs::path(file) / "tiles").string(), 3, nullptr);
    EXPECT_EQ(r.Failed, (fs::path(file) / "tiles").string());
    EXPECT_EQ(r.Error, ENOTDIR);

    using Case = std::tuple<const char*, std::function<void(const fs::path&)>, int, bool>;
    for (const auto& [name, take, error, notAFile] : {
             Case{"a folder", [](const fs::path& p) { fs::create_directories(p); }, EISDIR, false},
             Case{"a FIFO", [](const fs::path& p) { ::mkfifo(p.c_str(), 0600); }, 0, true},
             Case{"a link", [](const fs::path& p) { fs::create_symlink("/dev/null", p); }, 0, true},
         }) {
        SCOPED_TRACE(name);
        TempDir tiles;
        take(tiles.Path() / "Tile_2.bmp");
        take(tiles.Path() / "Tile_3.bmp");
        r = ExportTiles(level, tiles.Path().string() + "/", 3, nullptr);
        EXPECT_EQ(r.Folder, tiles.Path().string());
        EXPECT_EQ(r.Failed, "Tile_2.bmp");
        EXPECT_EQ(r.Error, error);
        EXPECT_EQ(r.NotAFile, notAFile);
        EXPECT_EQ(r.Written, 1);
    }
    EXPECT_TRUE(ExportTiles(level, (dir.Path() / "fine").string(), 3, nullptr).Ok());
}

} // namespace
