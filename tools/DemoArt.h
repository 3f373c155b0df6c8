#pragma once
// The pictures of the demo levels: a palette of smooth colour ramps and patterned texture tiles.
#include <array>
#include <cstdint>
#include <vector>

#include "tools/LevelBuilder.h"

namespace levelbuilder::demo {

// The 8-bit palette is 16 ramps of 16 shades, dark to light: ramp 0 is grey, ramps 1 to 15 walk once
// around the colour wheel. A palette index is ramp x 16 + shade.
constexpr uint8_t RampColour(int ramp, int shade) {
    return static_cast<uint8_t>(16 * ramp + shade);
}

std::array<uint8_t, 768> RampPalette8();   // 6-bit components
std::array<uint8_t, 1024> RampPalette16(); // the same colours at 8 bits, fourth byte 0

// Six tiles, each with a marker triangle in its top-left corner so that a flipped or mirrored tile
// shows at once: a checkerboard, a colour sweep, rings, the words "TOP" and "DM2"/"DM3", bricks and
// a woven pattern.
std::vector<Tile8> PatternTiles(int16_t generation);

} // namespace levelbuilder::demo
