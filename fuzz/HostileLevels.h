#pragma once
// Hostile levels made with the level builder, shared by the fuzz seeds and the hardening tests.
#include <algorithm>
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

// The room loop above with 2000 vertices a room (25,854 bytes), padded with zeros to `bytes`: the
// report's size limit grows with the file, 64 bytes a byte, so the walk goes round for hundreds of
// megabytes of report before the limit ends it.
inline std::vector<uint8_t> PaddedRoomLoopLevel(size_t bytes) {
    std::vector<uint8_t> level = RoomLoopLevel(32767, 2000);
    level.resize(std::max(level.size(), bytes));
    return level;
}

// A level of `generation` cut behind its room count of 32767 (1,806 bytes): every room is read past
// the file's end, from zeros, the largest report a file read only once can give for its size.
inline std::vector<uint8_t> RoomsPastTheEndLevel(int16_t generation) {
    levelbuilder::Level level;
    level.Generation = generation;
    level.Rooms.Count = 32767;
    levelbuilder::Layout layout;
    std::vector<uint8_t> bytes = levelbuilder::Build(level, layout);
    bytes.resize(static_cast<size_t>(layout.RoomCount) + 2);
    return bytes;
}

} // namespace hostile
