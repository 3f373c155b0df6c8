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

class Canvas {
  public:
    Tile8 Pixels = Tile8(kSide * kSide, 0);
    void Set(int x, int y, uint8_t colour) {
        if (x >= 0 && x < kSide && y >= 0 && y < kSide)
            Pixels[static_cast<size_t>(y * kSide + x)] = colour;
    }
    template <class F> void Fill(F colourAt) {
        for (int y = 0; y < kSide; ++y)
            for (int x = 0; x < kSide; ++x)
                Set(x, y, colourAt(x, y));
    }
    void Block(int x0, int y0, int w, int h, uint8_t colour) {
        for (int y = y0; y < y0 + h; ++y)
            for (int x = x0; x < x0 + w; ++x)
                Set(x, y, colour);
    }
    // A white triangle with a black edge in the top-left corner: the tile's orientation mark.
    void CornerMark() {
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32 - y; ++x)
                Set(x, y, x + y < 27 ? RampColour(0, 15) : RampColour(0, 0));
    }
};

// 5 x 7 glyphs, one row a string, top row first.
struct Glyph {
    char Letter;
    std::array<std::string_view, 7> Rows;
};
constexpr std::array<Glyph, 7> kGlyphs = {{
    {'T', {"11111", "00100", "00100", "00100", "00100", "00100", "00100"}},
    {'O', {"01110", "10001", "10001", "10001", "10001", "10001", "01110"}},
    {'P', {"11110", "10001", "10001", "11110", "10000", "10000", "10000"}},
    {'D', {"11110", "10001", "10001", "10001", "10001", "10001", "11110"}},
    {'M', {"10001", "11011", "10101", "10101", "10001", "10001", "10001"}},
    {'2', {"01110", "10001", "00001", "00010", "00100", "01000", "11111"}},
    {'3', {"11110", "00001", "00001", "01110", "00001", "00001", "11110"}},
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

Tile8 Checkerboard() {
    Canvas c;
    c.Fill([](int x, int y) { return (x / 32 + y / 32) % 2 ? RampColour(3, 12) : RampColour(9, 5); });
    c.CornerMark();
    return c.Pixels;
}

// Hue across, shade down: dark at the top, light at the bottom.
Tile8 ColourSweep() {
    Canvas c;
    c.Fill([](int x, int y) { return RampColour(1 + x * 15 / kSide, y / 16); });
    c.CornerMark();
    return c.Pixels;
}

Tile8 Rings() {
    Canvas c;
    c.Fill([](int x, int y) {
        const int d =
            static_cast<int>(std::sqrt(static_cast<double>((x - 128) * (x - 128) + (y - 128) * (y - 128))));
        return RampColour(1 + (d / 12) % 15, 15 - d % 12);
    });
    c.CornerMark();
    return c.Pixels;
}

Tile8 Lettering(int16_t generation) {
    Canvas c;
    c.Fill([](int, int y) { return RampColour(0, 2 + y / 64); });
    c.Block(0, 0, kSide, 4, RampColour(6, 13)); // a bar along the top edge
    Write(c, "TOP", 48, 40, 9, RampColour(5, 14));
    Write(c, generation == 3 ? "DM3" : "DM2", 48, 140, 9, RampColour(11, 13));
    c.CornerMark();
    return c.Pixels;
}

// Rows of 64 x 32 bricks, every other row shifted by half a brick, in 4-pixel grey mortar.
Tile8 Bricks() {
    Canvas c;
    c.Fill([](int x, int y) {
        const int row = y / 32;
        const int shifted = x + (row % 2) * 32;
        if (y % 32 < 4 || shifted % 64 < 4)
            return RampColour(0, 9);
        const int brick = row * 5 + shifted / 64;
        return RampColour(2, 5 + (brick * 7) % 5);
    });
    c.CornerMark();
    return c.Pixels;
}

Tile8 Weave() {
    Canvas c;
    c.Fill([](int x, int y) { return RampColour(1 + ((x ^ y) >> 4) % 15, 4 + ((x + y) >> 5) % 12); });
    c.CornerMark();
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

std::vector<Tile8> PatternTiles(int16_t generation) {
    return {Checkerboard(), ColourSweep(), Rings(), Lettering(generation), Bricks(), Weave()};
}

} // namespace levelbuilder::demo
