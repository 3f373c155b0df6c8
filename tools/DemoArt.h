#pragma once
// The pictures of the demo levels: a palette of smooth colour ramps and texture tiles a person can read
// in 3D: a brick wall, flagstones, a plank ceiling, bricks with each room's number on a plaque, an iron
// grate with holes, water and a banner.
#include <array>
#include <cstdint>
#include <vector>

#include "tools/LevelBuilder.h"

namespace levelbuilder::demo {

// The 8-bit palette is 16 ramps of 16 shades, dark to light: ramp 0 is grey, ramps 1 to 15 walk once
// around the colour wheel. A palette index is ramp x 16 + shade. Index 0 (black) is transparent in a
// tile: only the grate's holes use it.
constexpr uint8_t RampColour(int ramp, int shade) {
    return static_cast<uint8_t>(16 * ramp + shade);
}

std::array<uint8_t, 768> RampPalette8();   // 6-bit components
std::array<uint8_t, 1024> RampPalette16(); // the same colours at 8 bits, fourth byte 0

// A picture within a tile: pixels [X0, X1) across and [Y0, Y1) down. A whole tile covers one sector
// side (1024 units) at 4 units a pixel; the half-size pictures cover it at 8.
struct Region {
    int Tile, X0, Y0, X1, Y1;
};
inline constexpr Region kBricks{0, 0, 0, 256, 256};
inline constexpr Region kFlagstones{1, 0, 0, 256, 256};
inline constexpr Region kPlanks{2, 0, 0, 256, 256};
inline constexpr Region kGrate{5, 0, 0, 128, 128}; // iron bars round holes of index 0
inline constexpr Region kWater{5, 128, 0, 256, 128};
inline constexpr Region kBanner{5, 0, 128, 256, 224}; // "DM2" or "DM3" on red cloth
inline constexpr int kRoomNumbers = 8;
// Bricks with the number 0 to 7 on a plaque: tiles 3 and 4, four numbers a tile, left to right and
// top to bottom.
constexpr Region NumberedBricks(int number) {
    const int x = 128 * (number % 2), y = 128 * (number / 2 % 2);
    return {3 + number / 4, x, y, x + 128, y + 128};
}

// Six tiles: bricks, flagstones, planks, the numbers 0 to 3, the numbers 4 to 7, and the grate, water
// and banner.
std::vector<Tile8> DemoTiles(int16_t generation);

} // namespace levelbuilder::demo
