#pragma once
// The benchmark's levels: about 25 MB each, with every list full.
#include "tools/LevelBuilder.h"

levelbuilder::Level BigLevel(int16_t generation);
