#pragma once
// Hostile levels made with the level builder, shared by the fuzz seeds and the hardening tests.
#include <cstdint>
#include <vector>

#include "tools/LevelBuilder.h"

namespace hostile {

// A DM2 level whose room count asks for `rooms` rooms but holds one: a room that lists `vertices`
// vertices and then steps back to its own first byte through a sector grid of -1 x X sectors. Every
// room the count asks for goes over the same bytes again, so the report grows by the whole room each
// time while the file stays a few kilobytes. The file ends behind the room.
inline std::vector<uint8_t> RoomLoopLevel(int16_t rooms, int16_t vertices) {
    levelbuilder::Level level;
    level.Generation = 2;
    levelbuilder::Room room;
    for (int16_t i = 0; i < vertices; ++i)
        room.Vertices.Add({static_cast<int16_t>(i), static_cast<int16_t>(-i), 7, {}});
    // Header 16, mesh data size 4, vertex count 2 and the vertices, the three other mesh counts, the door
    // count and the two sector counts: 34 + 12 x vertices bytes up to the sectors. The sectors step back
    // 14 bytes further, so that the room's last 14 bytes (intensities, light mode, light and static mesh
    // counts, alternate room, flags) are read from the 14 bytes in front of the room (the tile count's
    // high half, the field behind the tiles, the room count), whose zeros leave the lights and static
    // meshes empty, and the room ends on its own first byte.
    const int32_t stepBack = 34 + 12 * int32_t{vertices} + 14;
    room.ZSectors = -1;
    room.XSectors = static_cast<int16_t>(stepBack / 8); // whole sectors: vertices must be even
    level.Rooms.Add(room);
    level.Rooms.Count = rooms;
    levelbuilder::Layout layout;
    std::vector<uint8_t> bytes = levelbuilder::Build(level, layout);
    bytes.resize(static_cast<size_t>(layout.FloorData));
    return bytes;
}

} // namespace hostile
