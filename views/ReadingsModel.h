#pragma once
// The byte readings's readings: the bytes at one offset of the level read as each kind of number, as
// hex and binary, as a 16-bit colour and as an index into the level's 8-bit palette, and the record
// field that holds the offset. Plain functions over the bytes, so the dock only shows what they give.
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include <QColor>
#include <QString>

class LevelFile;
class WalkMap;
struct AppState;

namespace readings {

// What a row reads the bytes as, in the order the dock lists them.
enum class Reading : uint8_t {
    U8,
    S8,
    U16,
    S16,
    U32,
    S32,
    U64,
    S64,
    F32,
    F64,
    Hex,
    Binary,
    Colour16,
    PaletteIndex,
};
inline constexpr int kReadings = 14;

// The bytes a reading takes.
int BytesOf(Reading r);
// The name the dock shows for a reading ("u16", "f32", "Colour 5-5-5").
QString NameOf(Reading r);

struct Row {
    Reading What = Reading::U8;
    QString Value;         // the value's text, or why there is none
    bool Complete = false; // every byte it reads is inside the file
    QColor Swatch;         // the colour shown beside the two colour readings; invalid for none
};

// The 256 colours of the 8-bit palette, components scaled to 0..255.
using Palette = std::array<QRgb, 256>;

// The 8-bit palette of the level shown: the palette store when the last walk loaded it, else the 768
// bytes of 6-bit components at the palette's place in the level (scaled as the store scales them, x 4
// up to 255). None when no level is open or it is too short to hold a palette.
std::optional<Palette> Palette8Of(const AppState& state);

// Scales one 6-bit palette component as the palette store does.
uint8_t PaletteComponent(uint8_t sixBits);
// The colour of a 5-5-5 word (bit 15 alpha, then red, green, blue), each component scaled to 0..255;
// alpha 255 where bit 15 is set, else 0.
QColor Colour555(uint16_t word);

// Every reading of bytes, the first of which is the byte at the offset; fewer than 8 bytes are those
// up to the end of the file. bigEndian reads the numbers and the colour word most significant byte
// first. palette: the colours for the palette index, null where there are none.
std::vector<Row> Read(std::span<const uint8_t> bytes, bool bigEndian, const Palette* palette);
// The same for the byte at offset of level (up to 8 bytes from it).
std::vector<Row> ReadAt(const LevelFile& level, int64_t offset, bool bigEndian, const Palette* palette);

// The record field, or the count field, that holds a byte.
struct FieldHere {
    QString Name;  // as the report's header line names it ("Vertices(2).x"), or "<span> count"
    QString Value; // as the report shows it
    QString Place; // the record and its number, or the span ("Rooms > room 0 > Vertices No 3")
    int64_t First = 0;
    int32_t Bytes = 0;
};
std::optional<FieldHere> FieldAt(const WalkMap& map, const LevelFile& level, int64_t offset);

} // namespace readings
