#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>

#include "common/TestFiles.h"
#include "palette/ColourRecords.h"
#include "tiles/m_TileEngine.h"

namespace {

namespace fs = std::filesystem;

// A level image of `tiles` zero tiles plus `extra` bytes, with chosen bytes of tile n set.
std::vector<uint8_t> LevelWithTiles(int tiles, size_t extra = 0) {
    return std::vector<uint8_t>(kFirstTileOffset + size_t(kTileBytes) * tiles + extra, 0);
}
uint8_t& TileByte(std::vector<uint8_t>& level, int n, int row, int column) {
    return level.at(kFirstTileOffset + size_t(kTileBytes) * (n - 1) + 256 * row + column);
}

std::shared_ptr<CSmartArray> Palette(std::initializer_list<std::array<uint8_t, 3>> first) {
    auto list = std::make_shared<CSmartArray>();
    auto it = first.begin();
    for (int i = 0; i < 256; ++i) {
        auto colour = std::make_shared<C_udtCol8>();
        if (it != first.end()) {
            colour->LetR((*it)[0]);
            colour->LetG((*it)[1]);
            colour->LetB((*it)[2]);
            ++it;
        }
        list->AddOneItem(std::shared_ptr<SmartObject>(colour));
    }
    return list;
}

std::set<std::string> Names(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

uint32_t U32At(const std::vector<uint8_t>& b, size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (uint32_t(b[at + 3]) << 24);
}

TEST(TileEngine, BitmapHoldsHeaderColourTableAndRowsBottomUp) {
    TempDir dir;
    std::vector<uint8_t> level = LevelWithTiles(1);
    TileByte(level, 1, 0, 0) = 5;      // top-left
    TileByte(level, 1, 255, 0) = 7;    // bottom-left
    TileByte(level, 1, 1, 2) = 9;      // second row from the top
    TileByte(level, 1, 255, 255) = 11; // bottom-right
    const auto palette = Palette({{252, 0, 4}, {1, 2, 3}});
    // The folder is missing, two levels deep: the export creates it.
    ExportTiles(level, (dir.Path() / "a" / "TileCollection").string() + "/", 1, palette.get());

    const auto bmp = ReadAll(dir.Path() / "a" / "TileCollection" / "Tile_1.bmp");
    ASSERT_EQ(bmp.size(), 66614u);
    EXPECT_EQ(bmp[0], 'B');
    EXPECT_EQ(bmp[1], 'M');
    const std::vector<std::pair<size_t, uint32_t>> fields = {
        {2, 66614}, {6, 0},      {10, 1078}, {14, 40},   {18, 256}, {22, 256}, {26, 1 | (8 << 16)},
        {30, 0},    {34, 65536}, {38, 2834}, {42, 2834}, {46, 256}, {50, 256}};
    for (const auto& [at, value] : fields)
        EXPECT_EQ(U32At(bmp, at), value) << "at " << at;
    EXPECT_EQ(U32At(bmp, 54), 0x00FC0004u); // blue 4, green 0, red 252, 0
    EXPECT_EQ(U32At(bmp, 58), 0x00010203u);
    EXPECT_EQ(U32At(bmp, 62), 0u);
    EXPECT_EQ(bmp[1078 + 256 * 255], 5);
    EXPECT_EQ(bmp[1078], 7);
    EXPECT_EQ(bmp[1078 + 256 * 254 + 2], 9);
    EXPECT_EQ(bmp[1078 + 255], 11);
}

TEST(TileEngine, MissingPaletteGivesAnAllZeroColourTable) {
    std::vector<uint8_t> bmp(kBmpFileBytes, 0);
    EXPECT_EQ(WriteBmpPalette(bmp.data(), nullptr), 99);
    CSmartArray empty;
    EXPECT_EQ(WriteBmpPalette(bmp.data(), &empty), 99);
    EXPECT_EQ(WriteBmpPalette(bmp.data(), Palette({{1, 2, 3}}).get()), 0);

    TempDir dir;
    std::vector<uint8_t> level = LevelWithTiles(1);
    ExportTiles(level, dir.Path().string() + "/", 1, nullptr);
    const auto file = ReadAll(dir.Path() / "Tile_1.bmp");
    ASSERT_EQ(file.size(), 66614u);
    EXPECT_EQ(std::count(file.begin() + 54, file.begin() + 1078, 0), 1024);
}

TEST(TileEngine, NoFileForNoTilesAndNoneForTilesPastTheEndOfTheLevel) {
    TempDir dir;
    const fs::path folder = dir.Path() / "tiles";
    std::vector<uint8_t> level = LevelWithTiles(1, 100);
    ExportTiles(level, folder.string() + "/", 0, nullptr);
    ExportTiles(level, folder.string() + "/", -5, nullptr);
    EXPECT_FALSE(fs::exists(folder));

    // Tile 2 starts inside the file and is written with its missing bytes as 0; tile 3 is not.
    TileByte(level, 2, 0, 99) = 42;
    ExportTiles(level, folder.string() + "/", 3, nullptr);
    EXPECT_EQ(Names(folder), (std::set<std::string>{"Tile_1.bmp", "Tile_2.bmp"}));
    const auto bmp = ReadAll(folder / "Tile_2.bmp");
    ASSERT_EQ(bmp.size(), 66614u);
    EXPECT_EQ(bmp[1078 + 256 * 255 + 99], 42);
    EXPECT_EQ(std::count(bmp.begin() + 1078, bmp.end(), 0), 65535);
}

TEST(TileEngine, ExistingFilesAreOverwrittenAndAnUnwritableOneIsSkipped) {
    TempDir dir;
    const fs::path folder = dir.Path();
    std::vector<uint8_t> level = LevelWithTiles(3);
    ExportTiles(level, folder.string() + "/", 3, nullptr);

    fs::remove(folder / "Tile_1.bmp");
    fs::create_directory(folder / "Tile_1.bmp");
    dir.Write("Tile_2.bmp", std::vector<uint8_t>(100000, 0xAA));
    TileByte(level, 2, 0, 0) = 1;
    ExportTiles(level, folder.string() + "/", 2, nullptr);

    EXPECT_TRUE(fs::is_directory(folder / "Tile_1.bmp"));
    const auto bmp = ReadAll(folder / "Tile_2.bmp");
    ASSERT_EQ(bmp.size(), 66614u);
    EXPECT_EQ(bmp[1078 + 256 * 255], 1);
    EXPECT_EQ(fs::file_size(folder / "Tile_3.bmp"), 66614u); // above the new count: left from before
}

TEST(TileEngine, ByPathExportWritesWhatTheBytesExportWrites) {
    TempDir dir;
    std::vector<uint8_t> level = LevelWithTiles(2);
    TileByte(level, 2, 17, 33) = 200;
    const std::string path = dir.Write("level.dm2", level);
    const auto palette = Palette({{4, 8, 12}});
    ExportTiles(path, (dir.Path() / "byPath").string() + "/", 2, palette.get());
    ExportTiles(level, (dir.Path() / "bytes").string() + "/", 2, palette.get());
    EXPECT_EQ(ReadAll(dir.Path() / "byPath" / "Tile_2.bmp"), ReadAll(dir.Path() / "bytes" / "Tile_2.bmp"));

    ExportTiles("", (dir.Path() / "none").string() + "/", 2, palette.get());
    EXPECT_FALSE(fs::exists(dir.Path() / "none"));
}

} // namespace
