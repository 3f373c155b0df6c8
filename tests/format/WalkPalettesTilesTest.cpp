#include <filesystem>

#include "UnitRun.h"
#include "palette/ColourRecords.h"
#include "tiles/m_TileEngine.h"

namespace {

void PalettesAndTiles(Walk& w) {
    WalkPalettesAndTiles(w);
}

UnitRun WalkStart(AppState& state, const DetailOptionSet& options, const Level& level) {
    return RunUnit(PalettesAndTiles, Build(level), level.Generation, 4, options, false, &state);
}

Level WithTiles(int32_t tiles) {
    Level level;
    level.Tiles.Items.resize(static_cast<size_t>(std::max(tiles, 0)));
    level.Tiles.Count = tiles;
    return level;
}

TEST(WalkPalettesTiles, TwelveTilesWithAndWithoutTheirOptions) {
    TempDir dir;
    AppState state;
    state.TileFolderOverride = dir.Path() / "tiles";
    std::vector<std::string> expected =
        Excerpt("0x300,768,Palette 8 bits,768 bytes", "0x400,1024,Palette 16 bits,1024 bytes",
                "Palette information loaded", kSep, "0x704,1796,12,Texture Tiles", " ",
                "0x708,1800,,Textures 8 bits,256 x 3072,786432 bytes", " ",
                "0xC0708,788232,,Textures 16 bits,256 x 6144,1572864 bytes", ",Textures loaded");
    UnitRun run = WalkStart(state, OptionsOn({optPalettes, optTextureTiles}), WithTiles(12));
    EXPECT_EQ(run.Lines, expected);
    EXPECT_EQ(run.End, 1804 + 196608 * 12);
    EXPECT_EQ(state.TextureTileCount, 12);
    EXPECT_TRUE(state.PalettesLoaded && state.TexturesLoaded);
    EXPECT_TRUE(std::filesystem::exists(state.TileFolderOverride / "Tile_12.bmp"));
    EXPECT_FALSE(std::filesystem::exists(state.TileFolderOverride / "Tile_13.bmp"));

    // Off: the two loaded lines go, the earlier palettes and tile count stay, nothing is exported.
    std::filesystem::remove_all(state.TileFolderOverride);
    const auto palettes = state.Palette8Colours;
    state.TextureTileCount = 7;
    run = WalkStart(state, AllOptions(false), WithTiles(12));
    expected.erase(expected.begin() + 9);
    expected.erase(expected.begin() + 2);
    EXPECT_EQ(run.Lines, expected);
    EXPECT_FALSE(state.PalettesLoaded || state.TexturesLoaded);
    EXPECT_EQ(state.TextureTileCount, 7);
    EXPECT_EQ(state.Palette8Colours, palettes);
    EXPECT_FALSE(std::filesystem::exists(state.TileFolderOverride));
}

TEST(WalkPalettesTiles, NoTilesAndANegativeTileCount) {
    struct Case {
        int32_t Tiles;
        std::string Count, Textures8, Textures16;
        int32_t End;
    };
    for (const Case& c :
         {Case{0, "0x704,1796,0,Texture Tiles", "0x708,1800,,Textures 8 bits,256 x 0,0 bytes",
               "0x708,1800,,Textures 16 bits,256 x 0,0 bytes", 1804},
          Case{-1, "0x704,1796,-1,Texture Tiles", "0x708,1800,,Textures 8 bits,256 x -256,-65536 bytes",
               "0xFFFF0708,-63736,,Textures 16 bits,256 x -512,-131072 bytes", 1804 - 196608}}) {
        AppState state;
        const UnitRun run = WalkStart(state, AllOptions(false), WithTiles(c.Tiles));
        ASSERT_EQ(run.Lines.size(), 8u);
        EXPECT_EQ(run.Lines[3], c.Count);
        EXPECT_EQ(run.Lines[5], c.Textures8);
        EXPECT_EQ(run.Lines[7], c.Textures16);
        EXPECT_EQ(run.End, c.End);
    }
}

TEST(WalkPalettesTiles, PalettesAreScaledAndRebuiltAndTheTilesCarryThem) {
    TempDir dir;
    AppState state;
    state.TileFolderOverride = dir.Path();
    Level level = WithTiles(1);
    level.Palette8 = {0x3F, 0x00, 0x20, 1, 63, 0};
    level.Palette16 = {0x10, 0x20, 0x30, 0x40};
    const DetailOptionSet options = OptionsOn({optPalettes, optTextureTiles});
    WalkStart(state, options, level);
    const auto c8 = state.Palette8Colours->ObjectAt<C_udtCol8>(1);
    const auto c16 = state.Palette16Colours->ObjectAt<C_udtCol16>(1);
    EXPECT_EQ((std::array<int, 3>{c8->GetR(), c8->GetG(), c8->GetB()}), (std::array<int, 3>{252, 0, 128}));
    EXPECT_EQ((std::array<int, 4>{c16->GetR(), c16->GetG(), c16->GetB(), c16->GetA()}),
              (std::array<int, 4>{16, 32, 48, 64}));
    // The tiles are exported after the fill, so they carry this file's colours (blue first).
    const auto bmp = ReadAll(dir.Path() / "Tile_1.bmp");
    ASSERT_EQ(bmp.size(), size_t(kBmpFileBytes));
    EXPECT_EQ((std::vector<uint8_t>(bmp.begin() + 54, bmp.begin() + 62)),
              (std::vector<uint8_t>{128, 0, 252, 0, 0, 252, 4, 0}));

    level.Palette8[0] = 10;
    WalkStart(state, options, level);
    EXPECT_EQ(state.Palette8Colours->NumberOfItemInArray(), 256);
    EXPECT_EQ(state.Palette16Colours->NumberOfItemInArray(), 256);
    EXPECT_EQ(state.Palette8Colours->ObjectAt<C_udtCol8>(1)->GetR(), 40);
}

} // namespace
