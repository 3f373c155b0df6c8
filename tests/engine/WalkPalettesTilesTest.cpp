#include <gtest/gtest.h>

#include <filesystem>

#include "UnitRun.h"
#include "engine/Fault.h"
#include "engine/ReportRun.h"
#include "palette/ColourRecords.h"
#include "tiles/m_TileEngine.h"
#include "tools/LevelBuilder.h"

namespace {

using levelbuilder::Build;
using levelbuilder::Level;
using levelbuilder::Tile8;

const std::string kSeparator(kSeparatorLine);

// Walks the palettes and tiles of level with the given state (options, earlier palettes, tile
// folder) and returns the lines written; end receives the running offset left for the rooms.
std::vector<std::string> WalkStart(AppState& state, const Level& level, int32_t* end = nullptr) {
    state.Report.ReplaceAll("");
    const LevelFile file = LevelFile::FromBytes(Build(level));
    Walk w(state, file, level.Generation, 4);
    WalkPalettesAndTiles(w, 4);
    if (end)
        *end = w.Offset;
    std::vector<std::string> lines = Lines(state.Report.Text());
    lines.erase(lines.begin()); // the line break in front of the first line
    return lines;
}

Level WithTiles(int tiles) {
    Level level;
    for (int i = 0; i < tiles; ++i)
        level.Tiles.Add(Tile8{});
    return level;
}

std::shared_ptr<C_udtCol8> Colour8(AppState& state, int64_t position) {
    return state.Palette8Colours->ObjectAt<C_udtCol8>(position);
}

TEST(WalkPalettesTiles, TwelveTilesWithBothOptionsGiveTheTableAndExportEveryTile) {
    TempDir dir;
    AppState state;
    state.TileFolderOverride = dir.Path() / "tiles";
    state.DetailOptions = OptionsOn({optPalettes, optTextureTiles});
    int32_t end = 0;
    const auto lines = WalkStart(state, WithTiles(12), &end);
    const std::vector<std::string> expected = {
        "0x300,768,Palette 8 bits,768 bytes",
        "0x400,1024,Palette 16 bits,1024 bytes",
        "Palette information loaded",
        kSeparator,
        "0x704,1796,12,Texture Tiles",
        " ",
        "0x708,1800,,Textures 8 bits,256 x 3072,786432 bytes",
        " ",
        "0xC0708,788232,,Textures 16 bits,256 x 6144,1572864 bytes",
        ",Textures loaded",
    };
    EXPECT_EQ(lines, expected);
    EXPECT_EQ(end, 1804 + 196608 * 12);
    EXPECT_EQ(state.TextureTileCount, 12);
    EXPECT_TRUE(state.PalettesLoaded);
    EXPECT_TRUE(state.TexturesLoaded);
    EXPECT_TRUE(std::filesystem::exists(state.TileFolderOverride / "Tile_12.bmp"));
    EXPECT_FALSE(std::filesystem::exists(state.TileFolderOverride / "Tile_13.bmp"));
}

TEST(WalkPalettesTiles, OptionsOffWriteOnlyTheSummariesAndLeaveEarlierResults) {
    TempDir dir;
    AppState state;
    state.TileFolderOverride = dir.Path() / "tiles";
    state.PalettesLoaded = state.TexturesLoaded = true;
    state.TextureTileCount = 7;
    const auto lines = WalkStart(state, WithTiles(12));
    ASSERT_EQ(lines.size(), 8u);
    EXPECT_EQ(lines[1], "0x400,1024,Palette 16 bits,1024 bytes");
    EXPECT_EQ(lines[2], kSeparator);
    EXPECT_EQ(lines[7], "0xC0708,788232,,Textures 16 bits,256 x 6144,1572864 bytes");
    EXPECT_FALSE(state.PalettesLoaded);
    EXPECT_FALSE(state.TexturesLoaded);
    EXPECT_EQ(state.TextureTileCount, 7);
    EXPECT_EQ(state.Palette8Colours, nullptr);
    EXPECT_FALSE(std::filesystem::exists(state.TileFolderOverride));
}

TEST(WalkPalettesTiles, NoTilesPutTheRoomsAt1804) {
    AppState state;
    int32_t end = 0;
    const auto lines = WalkStart(state, WithTiles(0), &end);
    ASSERT_EQ(lines.size(), 8u);
    EXPECT_EQ(lines[3], "0x704,1796,0,Texture Tiles");
    EXPECT_EQ(lines[5], "0x708,1800,,Textures 8 bits,256 x 0,0 bytes");
    EXPECT_EQ(lines[7], "0x708,1800,,Textures 16 bits,256 x 0,0 bytes");
    EXPECT_EQ(end, 1804);
}

TEST(WalkPalettesTiles, PalettesAreScaledRebuiltAndKeptWhenTheOptionIsOff) {
    TempDir dir;
    AppState state;
    state.TileFolderOverride = dir.Path();
    state.DetailOptions = OptionsOn({optPalettes, optTextureTiles});
    Level level = WithTiles(1);
    level.Palette8 = {0x3F, 0x00, 0x20, 1, 63, 0};
    level.Palette16 = {0x10, 0x20, 0x30, 0x40};
    WalkStart(state, level);
    ASSERT_EQ(state.Palette8Colours->NumberOfItemInArray(), 256);
    ASSERT_EQ(state.Palette16Colours->NumberOfItemInArray(), 256);
    EXPECT_EQ(Colour8(state, 1)->GetR(), 252);
    EXPECT_EQ(Colour8(state, 1)->GetB(), 128);
    EXPECT_EQ(Colour8(state, 2)->GetR(), 4);
    EXPECT_EQ(Colour8(state, 2)->GetG(), 252);
    const auto c16 = state.Palette16Colours->ObjectAt<C_udtCol16>(1);
    EXPECT_EQ((std::array<int, 4>{c16->GetR(), c16->GetG(), c16->GetB(), c16->GetA()}),
              (std::array<int, 4>{16, 32, 48, 64}));
    // The tiles are exported after the fill, so they carry this file's colours (blue first).
    const auto bmp = ReadAll(dir.Path() / "Tile_1.bmp");
    ASSERT_EQ(bmp.size(), size_t(kBmpFileBytes));
    EXPECT_EQ((std::vector<uint8_t>(bmp.begin() + 54, bmp.begin() + 58)),
              (std::vector<uint8_t>{128, 0, 252, 0}));

    level.Palette8[0] = 10;
    WalkStart(state, level);
    EXPECT_EQ(state.Palette8Colours->NumberOfItemInArray(), 256);
    EXPECT_EQ(Colour8(state, 1)->GetR(), 40);

    const auto kept = state.Palette8Colours;
    state.DetailOptions = OptionsOn({});
    WalkStart(state, level);
    EXPECT_EQ(state.Palette8Colours, kept);
    EXPECT_FALSE(state.PalettesLoaded);
}

TEST(WalkPalettesTiles, NegativeTileCountMovesTheWalkBack) {
    Level level;
    level.Tiles.Count = -1;
    AppState state;
    int32_t end = 0;
    const auto lines = WalkStart(state, level, &end);
    EXPECT_EQ(lines[3], "0x704,1796,-1,Texture Tiles");
    EXPECT_EQ(lines[5], "0x708,1800,,Textures 8 bits,256 x -256,-65536 bytes");
    EXPECT_EQ(lines[7], "0xFFFF0708,-63736,,Textures 16 bits,256 x -512,-131072 bytes");
    EXPECT_EQ(end, 1804 - 196608);
}

TEST(WalkPalettesTiles, TileCountOverflowEndsTheReportAfterTheBlankLine) {
    TempDir dir;
    Level level;
    level.Tiles.Count = 16384;
    const std::string path = dir.Write("big.dm2", Build(level));
    AppState state;
    state.TileFolderOverride = dir.Path() / "tiles";
    state.DetailOptions = AllOptions(true);
    EXPECT_EQ(ReportLevelFile(state, path), kOverflowFault);
    const auto lines = Lines(state.Report.Text());
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[lines.size() - 2], "0x704,1796,16384,Texture Tiles");
    EXPECT_EQ(lines.back(), " ");
    EXPECT_EQ(state.LastRun.StopOffset, 1796);
    EXPECT_FALSE(std::filesystem::exists(state.TileFolderOverride));
}

} // namespace
