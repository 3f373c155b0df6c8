#include <algorithm>
#include <cstdint>

#include "format/walk/Units.h"

// The two palettes and the two texture tile chunks at the start of a DM2 or DM3 file. Neither tile
// chunk is read; the report run loads the palettes and exports the tiles after the walk, from the spans
// recorded here.

namespace {

void TileChunkLine(Walk& w, int32_t at, std::string_view name, int32_t size) {
    // The quotient is the size over 256 (256N bytes of 8-bit rows, 512N of 16-bit rows); sizes are
    // multiples of 65536, so it is always whole.
    w.BeginAt(at).Text(name).Dec(size / 256).Comma().Dec(size).Text(" bytes");
    w.End();
}

} // namespace

void WalkPalettesAndTiles(Walk& w) {
    // The offset columns of these two lines hold the palettes' sizes, not their offsets.
    w.Open(SpanKind::Chunk, Piece::Palette8, w.Offset());
    w.BeginAt(format::kPalette8Bytes).Text("Palette 8 bits,768 bytes");
    w.End();
    w.Advance(format::kPalette8Bytes);
    w.Close();
    w.Open(SpanKind::Chunk, Piece::Palette16, w.Offset());
    w.BeginAt(format::kPalette16Bytes).Text("Palette 16 bits,1024 bytes");
    w.End();
    if (w.Option(optPalettes))
        w.Plain("Palette information loaded");
    w.Advance(format::kPalette16Bytes);
    w.Close();

    const int32_t at = w.Offset();
    const int32_t n = w.S32(at);
    w.Separator();
    w.Open(SpanKind::Chunk, Piece::TextureTiles, at, 4);
    w.SetCount(n);
    w.BeginAt(at).Dec(n).Text(",Texture Tiles");
    w.End();
    w.Blank();

    // A count of 32768 or more overflows the 8-bit size, 16384 or more the 16-bit size; a negative
    // count gives negative sizes and moves the walk back.
    const int32_t size8 = checkedMul32(n, format::kTile8Bytes);
    const int32_t size16 = checkedMul32(n, format::kTile16Bytes);
    w.Advance(4);
    const int32_t start8 = w.Offset();
    const int32_t start16 = checkedAdd32(start8, size8);
    w.Open(SpanKind::Part, Piece::Tiles8, start8);
    w.SetCount(n);
    TileChunkLine(w, start8, ",Textures 8 bits,256 x ", size8);
    w.Advance(size8);
    w.Close(n);
    w.Blank();
    w.Open(SpanKind::Part, Piece::Tiles16, start16);
    w.SetCount(n);
    TileChunkLine(w, start16, ",Textures 16 bits,256 x ", size16);
    if (w.Option(optTextureTiles))
        w.Plain(",Textures loaded");
    w.CloseAt(int64_t{start16} + size16, n);

    // Over the 16-bit tiles and the unread 4-byte field behind them, to the room count.
    w.Advance(checkedAdd32(size16, format::kAfterTilesBytes));
    const int64_t field = int64_t{w.Offset()} - format::kAfterTilesBytes;
    w.Open(SpanKind::Field, Piece::AfterTiles, static_cast<int32_t>(std::max<int64_t>(field, INT32_MIN)),
           format::kAfterTilesBytes);
    w.Close();
    w.Close(n);
}
