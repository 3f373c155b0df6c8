#pragma once
// The demo levels: a small but lively DM2 or DM3 level, eight rooms joined by doors in a small plan on
// two storeys (a hall, a corridor stepping down to a crypt and its flooded alternate, a north wing open
// to a gallery above it, a bridge to a tower), each room's floors, ceilings and walls made from its
// sectors and painted with pictures a person can read (bricks, flagstones, planks, the room's number, a
// see-through grate), and something in every chunk, so that the report, the palette examiner, the tile
// viewer, the level map and the 3D view have something worth looking at. The same generation always
// gives the same bytes.
#include <cstdint>

#include "tools/LevelBuilder.h"

namespace levelbuilder {

Level DemoLevel(int16_t generation);
// The demo level with a handful of typical mistakes (a door to a room that is not there, a face whose
// texture is past the list, an item in a missing room, ...), for showing what the checker finds.
Level BrokenDemoLevel(int16_t generation);

} // namespace levelbuilder
