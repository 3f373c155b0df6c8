#pragma once
// The benchmark's levels: about 25 MB each, with every list full.
#include "tools/LevelBuilder.h"

levelbuilder::Level BigLevel(int16_t generation, int rooms = 300, int tiles = 64);

// A 16 MB DM2 level of the same make (32 tiles, 257 rooms): the level the whole-process figures are
// measured on.
inline levelbuilder::Level WholeRunLevel() {
    return BigLevel(2, 257, 32);
}
