#pragma once
// The demo levels: a small but lively DM2 or DM3 level with coloured ramps, patterned tiles, four
// connected rooms and something in every chunk, so that the report, the palette examiner and the
// tile viewer have something worth looking at. The same generation always gives the same bytes.
#include <cstdint>

#include "tools/LevelBuilder.h"

namespace levelbuilder {

Level DemoLevel(int16_t generation);

} // namespace levelbuilder
