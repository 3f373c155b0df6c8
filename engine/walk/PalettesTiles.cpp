#include <array>
#include <string>

#include "engine/walk/Units.h"
#include "palette/PaletteStore.h"
#include "tiles/m_TileEngine.h"

// The two palettes and the two texture tile chunks at the start of a DM2 or DM3 file. The palettes
// fill the palette store; the 8-bit tiles are exported as bitmaps; neither tile chunk is read.

namespace {

constexpr int32_t kPalette8At = 4;
constexpr int32_t kPalette8Bytes = 768;
constexpr int32_t kPalette16At = 772;
constexpr int32_t kPalette16Bytes = 1024;

// The palettes stand at fixed offsets whatever the walk's start offset is. Both lists are made new,
// so a second run replaces the first run's colours instead of adding to them.
void LoadPalettes(Walk& w) {
    std::array<uint8_t, kPalette8Bytes> p8{};
    for (int32_t i = 0; i < kPalette8Bytes; ++i)
        p8[static_cast<size_t>(i)] = w.U8(kPalette8At + i);
    std::array<uint8_t, kPalette16Bytes> p16{};
    for (int32_t i = 0; i < kPalette16Bytes; ++i)
        p16[static_cast<size_t>(i)] = w.U8(kPalette16At + i);
    w.State.Palette8Colours = MakePalette8(p8);
    w.State.Palette16Colours = MakePalette16(p16);
}

// The tile folder as the export expects it: ending in a separator, never doubled.
std::string TileFolderText(const AppState& state) {
    std::string folder = state.TileFolder().string();
    if (folder.empty() || folder.back() != '/')
        folder += '/';
    return folder;
}

void TileChunkLine(Walk& w, int32_t at, std::string_view name, int32_t size) {
    // The quotient is the size over 256 (256N bytes of 8-bit rows, 512N of 16-bit rows); sizes are
    // multiples of 65536, so it is always whole.
    w.BeginAt(at).Text(name).Dec(size / 256).Comma().Dec(size).Text(" bytes");
    w.End();
}

} // namespace

void WalkPalettesAndTiles(Walk& w, int32_t startOffset) {
    // The offset columns of these two lines hold the palettes' sizes, not their offsets.
    w.BeginAt(kPalette8Bytes).Text("Palette 8 bits,768 bytes");
    w.End();
    w.BeginAt(kPalette16Bytes).Text("Palette 16 bits,1024 bytes");
    w.End();

    AppState& state = w.State;
    state.PalettesLoaded = w.Option(optPalettes);
    if (state.PalettesLoaded) {
        w.Plain("Palette information loaded");
        LoadPalettes(w);
    }

    w.Offset = startOffset;
    w.Advance(kPalette16Bytes + kPalette8Bytes);
    const int32_t n = w.S32(w.Offset);
    w.Separator();
    w.BeginAt(w.Offset).Dec(n).Text(",Texture Tiles");
    w.End();
    w.Blank();

    // A count of 32768 or more overflows the 8-bit size, 16384 or more the 16-bit size; a negative
    // count gives negative sizes and moves the walk back.
    const int32_t size8 = checkedMul32(n, 65536);
    const int32_t size16 = checkedMul32(n, 131072);
    w.Advance(4);
    const int32_t start8 = w.Offset;
    const int32_t start16 = checkedAdd32(start8, size8);
    TileChunkLine(w, start8, ",Textures 8 bits,256 x ", size8);
    w.Advance(size8);
    w.Blank();
    TileChunkLine(w, start16, ",Textures 16 bits,256 x ", size16);

    state.TexturesLoaded = w.Option(optTextureTiles);
    if (state.TexturesLoaded) {
        w.Plain(",Textures loaded");
        // The 16-bit size has been checked, so n lies within -16384..16383 and fits the 16-bit count.
        const int16_t count = toInt16(n);
        state.LastRun.Tiles =
            ExportTiles(w.Level.Bytes(), TileFolderText(state), count, state.Palette8Colours.get());
        state.TextureTileCount = count;
    }

    // Over the 16-bit tiles and the unread 4-byte field behind them, to the room count.
    w.Advance(checkedAdd32(size16, 4));
}
