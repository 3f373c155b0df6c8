#include "bench/BigLevel.h"

using namespace levelbuilder;

// 300 rooms with full lists, 30,000 floor words, 20,000 overlaps, 5,000 object textures and 64 tiles:
// a large level of the kind modders open, about 25 MB on disk.
Level BigLevel(int16_t generation, int rooms, int tiles) {
    Level level = FilledLevel(generation);
    level.Tiles.Items.clear();
    for (int t = 0; t < tiles; ++t) {
        Tile8 tile(65536);
        for (size_t p = 0; p < tile.size(); ++p)
            tile[p] = static_cast<uint8_t>((p * (t + 1)) >> 8);
        level.Tiles.Add(tile);
    }

    const Room pattern = level.Rooms.Items[0];
    level.Rooms.Items.clear();
    for (int r = 0; r < rooms; ++r) {
        Room room = pattern;
        room.Xoffset = r * 1024;
        room.Vertices.Items.clear();
        for (int v = 0; v < 1300; ++v)
            room.Vertices.Add(
                {static_cast<int16_t>(v * 7), static_cast<int16_t>(-v), static_cast<int16_t>(r), {}});
        room.Rectangles.Items.assign(1100, {{1, 2, 3, 4}, static_cast<int16_t>(r)});
        room.Triangles.Items.assign(300, {{5, 6, 7}, 12});
        room.Sprites.Items.assign(20, {3, 4});
        room.Doors.Items.assign(4, pattern.Doors.Items[0]);
        room.ZSectors = 20;
        room.XSectors = 20;
        room.Sectors.assign(400, {1, 2, 255, 3, 255, 4});
        room.Lights.Items.assign(16, pattern.Lights.Items[0]);
        room.StaticMeshes.Items.assign(24, pattern.StaticMeshes.Items[0]);
        level.Rooms.Add(room);
    }
    level.FloorData.Items.assign(30000, 0x8004);
    level.MeshData.Items.assign(200000, 7);
    level.MeshPointers.Items.assign(2000, 2604);
    level.Animations.Items.assign(2000, level.Animations.Items[0]);
    level.StateChanges.Items.assign(2000, level.StateChanges.Items[0]);
    level.AnimDispatches.Items.assign(2000, level.AnimDispatches.Items[0]);
    level.AnimCommands.Items.assign(4000, 300);
    level.MeshTrees.Items.assign(4000, 16);
    level.Frames.Items.assign(100000, 1);
    level.Moveables.Items.assign(300, level.Moveables.Items[1]);
    level.StaticMeshes.Items.assign(200, level.StaticMeshes.Items[0]);
    level.ObjectTextures.Items.assign(5000, level.ObjectTextures.Items[0]);
    level.SpriteTextures.Items.assign(500, level.SpriteTextures.Items[0]);
    level.SpriteSequences.Items.assign(100, level.SpriteSequences.Items[0]);
    level.Cameras.Items.assign(200, level.Cameras.Items[0]);
    level.SoundSources.Items.assign(300, level.SoundSources.Items[0]);
    level.Boxes.Items.assign(3000, level.Boxes.Items[0]);
    level.Zones.clear();
    level.Overlaps.Items.assign(20000, 3);
    level.AnimatedTextures.Items.assign(300, 2);
    level.Items.Items.assign(3000, level.Items.Items[0]);
    level.CinematicFrames.Items.assign(2000, level.CinematicFrames.Items[0]);
    level.DemoData.Items.assign(5000, 9);
    level.SoundDetails.Items.assign(400, level.SoundDetails.Items[0]);
    level.SampleIndices.Items.assign(400, 77);
    return level;
}
