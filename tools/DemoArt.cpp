#include "tools/DemoArt.h"

#include <cmath>
#include <string_view>

namespace levelbuilder::demo {
namespace {

constexpr int kSide = 256;

struct Rgb {
    int R, G, B; // 0..63
};

// Hue in degrees, saturation and value 0..63; integer maths keeps the palette the same everywhere.
Rgb FromHsv(int hue, int sat, int value) {
    const int sector = hue / 60, f = hue % 60;
    const int p = value * (63 - sat) / 63;
    const int q = value * (63 * 60 - sat * f) / (63 * 60);
    const int t = value * (63 * 60 - sat * (60 - f)) / (63 * 60);
    switch (sector) {
    case 0:
        return {value, t, p};
    case 1:
        return {q, value, p};
    case 2:
        return {p, value, t};
    case 3:
        return {p, q, value};
    case 4:
        return {t, p, value};
    default:
        return {value, p, q};
    }
}

Rgb PaletteColour(int index) {
    const int ramp = index / 16, shade = index % 16;
    if (ramp == 0) {
        const int grey = shade * 63 / 15;
        return {grey, grey, grey};
    }
    // The lightest shades fade towards white, so each ramp runs dark - full - pale.
    const int value = 8 + shade * 55 / 15;
    const int sat = shade <= 10 ? 63 : 63 - (shade - 10) * 10;
    return FromHsv((ramp - 1) * 360 / 15, sat, value);
}

// A small integer hash, so that every stone and brick gets its own shade the same way everywhere.
int Hash(int a, int b) {
    uint32_t h = static_cast<uint32_t>(a) * 73856093u ^ static_cast<uint32_t>(b) * 19349663u;
    h ^= h >> 13;
    h *= 0x5bd1e995u;
    h ^= h >> 15;
    return static_cast<int>(h & 0x7FFFFFFF);
}

class Canvas {
  public:
    Tile8 Pixels = Tile8(kSide * kSide, RampColour(0, 6));
    void Set(int x, int y, uint8_t colour) {
        if (x >= 0 && x < kSide && y >= 0 && y < kSide)
            Pixels[static_cast<size_t>(y * kSide + x)] = colour;
    }
    // Fills a region with colourAt(x, y), x and y counted from the region's top-left corner.
    template <class F> void Fill(const Region& r, F colourAt) {
        for (int y = r.Y0; y < r.Y1; ++y)
            for (int x = r.X0; x < r.X1; ++x)
                Set(x, y, colourAt(x - r.X0, y - r.Y0));
    }
    void Block(int x0, int y0, int w, int h, uint8_t colour) {
        for (int y = y0; y < y0 + h; ++y)
            for (int x = x0; x < x0 + w; ++x)
                Set(x, y, colour);
    }
};

// 5 x 7 glyphs, one row a string, top row first.
struct Glyph {
    char Letter;
    std::array<std::string_view, 7> Rows;
};
constexpr std::array<Glyph, 12> kGlyphs = {{
    {'0', {"01110", "10001", "10001", "10001", "10001", "10001", "01110"}},
    {'1', {"00100", "01100", "00100", "00100", "00100", "00100", "01110"}},
    {'2', {"01110", "10001", "00001", "00010", "00100", "01000", "11111"}},
    {'3', {"11110", "00001", "00001", "01110", "00001", "00001", "11110"}},
    {'4', {"00010", "00110", "01010", "10010", "11111", "00010", "00010"}},
    {'5', {"11111", "10000", "11110", "00001", "00001", "10001", "01110"}},
    {'6', {"00110", "01000", "10000", "11110", "10001", "10001", "01110"}},
    {'7', {"11111", "00001", "00010", "00100", "01000", "01000", "01000"}},
    {'8', {"01110", "10001", "10001", "01110", "10001", "10001", "01110"}},
    {'9', {"01110", "10001", "10001", "01111", "00001", "00010", "01100"}},
    {'D', {"11110", "10001", "10001", "10001", "10001", "10001", "11110"}},
    {'M', {"10001", "11011", "10101", "10101", "10001", "10001", "10001"}},
}};

void Write(Canvas& canvas, std::string_view text, int x0, int y0, int scale, uint8_t colour) {
    for (char letter : text) {
        for (const Glyph& glyph : kGlyphs) {
            if (glyph.Letter != letter)
                continue;
            for (int row = 0; row < 7; ++row)
                for (int col = 0; col < 5; ++col)
                    if (glyph.Rows[static_cast<size_t>(row)][static_cast<size_t>(col)] == '1')
                        canvas.Block(x0 + col * scale, y0 + row * scale, scale, scale, colour);
        }
        x0 += 6 * scale;
    }
}

// Rows of 64 x 32 bricks, every other row shifted by half a brick, in 4-pixel grey mortar; red and
// brown bricks, a few pixels of each a shade off. At 4 units a pixel a brick is 256 x 128 units, and
// the pattern repeats every 256 pixels across and 64 down, so walls pieced from parts of the tile meet.
uint8_t BrickAt(int x, int y) {
    const int row = y / 32;
    const int shifted = x + (row % 2) * 32;
    if (y % 32 < 4 || shifted % 64 < 4)
        return RampColour(0, 8 + Hash(x, y) % 2);
    const int brick = Hash(row % 8, shifted / 64 % 4);
    const int grain = Hash(x, y) % 7 == 0 ? 1 : 0;
    return RampColour(1 + brick % 2, 4 + brick / 2 % 4 + grain);
}

Tile8 Bricks() {
    Canvas c;
    c.Fill(kBricks, BrickAt);
    return c.Pixels;
}

// Flagstones in four rows of 64 pixels, each row cut into stones of its own widths and shifted, grey
// with a grain, in dark joints; the pattern meets itself at the tile's edges.
Tile8 Flagstones() {
    constexpr std::array<std::array<int, 3>, 4> kWidths = {
        {{96, 80, 80}, {64, 112, 80}, {128, 64, 64}, {80, 96, 80}}};
    constexpr std::array<int, 4> kShift = {0, 40, 88, 20};
    Canvas c;
    c.Fill(kFlagstones, [&](int x, int y) {
        const int row = y / 64;
        const int along = (x + kShift[static_cast<size_t>(row)]) % kSide;
        int stone = 0, edge = 0;
        while (stone < 2 && along >= edge + kWidths[static_cast<size_t>(row)][static_cast<size_t>(stone)])
            edge += kWidths[static_cast<size_t>(row)][static_cast<size_t>(stone++)];
        if (y % 64 < 3 || along - edge < 3)
            return RampColour(0, 3);
        const int shade = 8 + Hash(row, stone) % 4 + (Hash(x, y) % 5 == 0 ? -1 : 0);
        return RampColour(0, shade);
    });
    return c.Pixels;
}

// Planks 32 pixels wide running down the tile, with a grain and a dark seam, under two cross beams.
Tile8 Planks() {
    Canvas c;
    c.Fill(kPlanks, [](int x, int y) {
        if (y % 128 < 20)
            return RampColour(2, y % 128 < 3 || y % 128 >= 17 ? 1 : 3); // a beam with dark edges
        if (y % 128 < 24)
            return RampColour(0, 2); // its shadow on the planks
        if (x % 32 < 2)
            return RampColour(2, 2);
        const int plank = Hash(x / 32, 7);
        const int grain = Hash(x, y / 9) % 6 == 0 ? 1 : 0;
        return RampColour(2, 4 + plank % 3 + grain);
    });
    return c.Pixels;
}

// Bricks at half size (so that a 128-pixel picture covers a sector side with bricks as big as the
// plain wall's) with the number on a pale plaque.
void NumberPlaque(Canvas& c, int number) {
    const Region r = NumberedBricks(number);
    c.Fill(r, [](int x, int y) { return BrickAt(2 * x, 2 * y); });
    c.Block(r.X0 + 20, r.Y0 + 10, 88, 108, RampColour(0, 3));
    c.Block(r.X0 + 23, r.Y0 + 13, 82, 102, RampColour(0, 13));
    const char digit[2] = {static_cast<char>('0' + number), 0};
    Write(c, digit, r.X0 + 34, r.Y0 + 22, 12, RampColour(1, 3));
}

Tile8 Numbers(int first) {
    Canvas c;
    for (int n = first; n < first + 4; ++n)
        NumberPlaque(c, n);
    return c.Pixels;
}

// The grate (iron bars 12 pixels wide every 32, holes of index 0), water in waves, and the banner.
Tile8 Fittings(int16_t generation) {
    Canvas c;
    c.Fill(kGrate, [](int x, int y) {
        const int bx = (x + 6) % 32, by = (y + 6) % 32;
        if (bx >= 12 && by >= 12)
            return RampColour(0, 0);
        return RampColour(0, bx == 0 || by == 0 ? 9 : 5);
    });
    c.Fill(kWater, [](int x, int y) {
        const double wave = std::sin((x + 6.0 * std::sin(y / 9.0)) / 7.0) + std::sin((x - y) / 13.0);
        return RampColour(10, 7 + static_cast<int>(std::lround(wave * 1.5)));
    });
    c.Fill(kBanner, [](int x, int y) {
        const bool border =
            x < 4 || y < 4 || x >= kBanner.X1 - kBanner.X0 - 4 || y >= kBanner.Y1 - kBanner.Y0 - 4;
        return border ? RampColour(3, 12) : RampColour(1, 4);
    });
    Write(c, generation == 3 ? "DM3" : "DM2", 60, kBanner.Y0 + 20, 8, RampColour(3, 13));
    c.Block(0, kBanner.Y1, kSide, kSide - kBanner.Y1, RampColour(0, 6));
    return c.Pixels;
}

} // namespace

std::array<uint8_t, 768> RampPalette8() {
    std::array<uint8_t, 768> palette{};
    for (int i = 0; i < 256; ++i) {
        const Rgb rgb = PaletteColour(i);
        palette[static_cast<size_t>(3 * i)] = static_cast<uint8_t>(rgb.R);
        palette[static_cast<size_t>(3 * i + 1)] = static_cast<uint8_t>(rgb.G);
        palette[static_cast<size_t>(3 * i + 2)] = static_cast<uint8_t>(rgb.B);
    }
    return palette;
}

std::array<uint8_t, 1024> RampPalette16() {
    std::array<uint8_t, 1024> palette{};
    for (int i = 0; i < 256; ++i) {
        const Rgb rgb = PaletteColour(i);
        const int components[3] = {rgb.R, rgb.G, rgb.B};
        for (int k = 0; k < 3; ++k)
            palette[static_cast<size_t>(4 * i + k)] =
                static_cast<uint8_t>(components[k] * 4 + components[k] / 16);
        palette[static_cast<size_t>(4 * i + 3)] = 0;
    }
    return palette;
}

std::vector<Tile8> DemoTiles(int16_t generation) {
    return {Bricks(), Flagstones(), Planks(), Numbers(0), Numbers(4), Fittings(generation)};
}

} // namespace levelbuilder::demo
