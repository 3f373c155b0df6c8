#pragma once
// The colours a level's bytes stand for, in one place: the 8-bit palette's six-bit components and the
// 16-bit tiles' 5-5-5 words with their alpha bit. The readings, the tile pictures and the 3D scene
// read them alike.
#include <algorithm>
#include <cstdint>

namespace format {

// A palette component of 0 to 63 as 0 to 255, as the palette windows show it.
constexpr uint8_t PaletteComponent(uint8_t sixBits) {
    return static_cast<uint8_t>(std::min(sixBits * 4, 255));
}

struct Rgba {
    uint8_t R = 0, G = 0, B = 0, A = 0;
    bool operator==(const Rgba&) const = default;
};

// A 16-bit colour word: bit 15 alpha (set: opaque), then five bits each of red, green and blue.
constexpr Rgba Colour555(uint16_t word) {
    const auto scale = [](int c) { return static_cast<uint8_t>((c * 255 + 15) / 31); };
    return {.R = scale((word >> 10) & 31),
            .G = scale((word >> 5) & 31),
            .B = scale(word & 31),
            .A = static_cast<uint8_t>((word & 0x8000) != 0 ? 255 : 0)};
}

} // namespace format
