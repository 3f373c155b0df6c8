#include "tools/LevelBuilder.h"

namespace levelbuilder {

// Small but complete: two or three records in every list, values that differ from record to record
// (and some negative ones), so whole-file tests see every chunk and every column.
Level FilledLevel(int16_t generation) {
    Level level;
    level.Generation = generation;
    for (int i = 0; i < 256; ++i) {
        level.Palette8[static_cast<size_t>(3 * i)] = static_cast<uint8_t>(i % 64);
        level.Palette8[static_cast<size_t>(3 * i + 1)] = static_cast<uint8_t>((i / 4) % 64);
        level.Palette8[static_cast<size_t>(3 * i + 2)] = static_cast<uint8_t>(63 - i % 64);
        for (int c = 0; c < 4; ++c)
            level.Palette16[static_cast<size_t>(4 * i + c)] = static_cast<uint8_t>(i + 64 * c);
    }
    for (int t = 0; t < 2; ++t) {
        Tile8 tile(65536);
        for (size_t p = 0; p < tile.size(); ++p)
            tile[p] = static_cast<uint8_t>((p / 256 + p % 256 + 37 * t) % 256);
        level.Tiles.Add(tile);
    }

    for (int r = 0; r < 2; ++r) {
        Room room;
        room.Xoffset = 1024 * r;
        room.Zoffset = -2048 * r;
        room.Ybottom = 512;
        room.lngYtop = -1536;
        for (int v = 0; v < 4; ++v)
            room.Vertices.Add({static_cast<int16_t>(v * 1024),
                               static_cast<int16_t>(-256 * r),
                               static_cast<int16_t>(1024 - v * 512),
                               {1, 2, 3, 4, 5, 6}});
        room.Rectangles.Add({{0, 1, 2, 3}, static_cast<int16_t>(5 + r)});
        room.Triangles.Add({{0, 1, 2}, 0});
        room.Triangles.Add({{1, 2, 3}, 7});
        room.Sprites.Add({2, 9});
        Door door;
        door.AdjoiningRoom = static_cast<int16_t>(1 - r);
        door.Normal = {0, 0, -1};
        door.Vertices = {{{0, 0, 0}, {1024, 0, 0}, {1024, -1024, 0}, {0, -1024, 0}}};
        room.Doors.Add(door);
        room.ZSectors = 3;
        room.XSectors = 4;
        for (int s = 0; s < 12; ++s)
            room.Sectors.push_back({static_cast<int16_t>(s), static_cast<int16_t>(s % 3 - 1), 255,
                                    static_cast<uint8_t>(250 + s % 3), 255, 2});
        room.Intensity1 = 8000;
        room.Intensity2 = -1;
        room.LightMode = 1;
        room.Lights.Add({100, -200, 300, 4096, 4096, 1024, 2048});
        room.StaticMeshes.Add({512, 0, 512, static_cast<int16_t>(0x4000), 100, 200, 7});
        room.AlternateRoom = -1;
        room.Flags = static_cast<int16_t>(r == 0 ? 0 : 0x8000);
        room.Colour = {10, 20, 30};
        level.Rooms.Add(room);
    }

    level.FloorData.Items = {0x0000, 0x8004, 0x80E4, 0x0007, 0x002D};
    level.MeshData.Items = {1, 2, 3, 4, 5, 6};
    level.MeshPointers.Items = {0, 2604, -4};

    Animation anim;
    anim.FrameOffset = 1200;
    anim.FrameRate = 1;
    anim.FrameSize = 20;
    anim.StateID = 2;
    anim.FrameEnd = 40;
    anim.NextAnimation = 3;
    anim.NumStateChanges = 1;
    anim.StateChangeOffset = 5;
    level.Animations.Add(anim);
    anim.StateID = 0xFFFF;
    anim.AnimCommand = 300;
    level.Animations.Add(anim);
    level.StateChanges.Items = {{2, 1, 0}, {-1, 2, 1}};
    level.AnimDispatches.Items = {{0, 10, 3, 0}, {11, 20, 4, 5}};
    level.AnimCommands.Items = {1, -2, 300};
    level.MeshTrees.Items = {2, 0, 100, 0, 0, -50, 0, 25};
    level.Frames.Items = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
    level.Moveables.Items = {{0, 15, 0, 0, 0, 0}, {7, 1, 15, 8, 1200, 1}};

    StaticMesh mesh;
    mesh.ObjectID = 10;
    mesh.Mesh = 3;
    mesh.Corners = {{{-512, -1024, -512}, {512, 0, 512}, {-256, -768, -256}, {256, 0, 256}}};
    mesh.Flag = 3;
    level.StaticMeshes.Add(mesh);
    mesh.Flag = 0xFFFF;
    level.StaticMeshes.Add(mesh);
    ObjectTexture texture;
    texture.Attribute = 1;
    texture.TileIndex = 1;
    texture.Vertices = {{{0, 1, 0, 1}, {255, 255, 0, 1}, {255, 255, 255, 255}, {0, 1, 128, 200}}};
    level.ObjectTextures.Add(texture);
    level.ObjectTextures.Add(texture);
    level.SpriteTextures.Add({0, 200, 16, 64, 64, -32, -64, 32, 0});
    level.SpriteSequences.Add({160, -1, 0});

    level.Cameras.Add({1024, -512, 2048, 1, 0});
    level.SoundSources.Add({-1024, 0, 512, 42, 0x80});
    level.Boxes.Items = {{0, 3, 0, 4, 0xFF00, 0}, {3, 6, 0, 4, 256, 1}, {6, 9, 1, 2, 512, 0x8001}};
    level.Overlaps.Items = {1, 0x8000, 2};
    level.Zones = {{5, {}}, {-3, {}}, {7, {}}};
    level.AnimatedTextures.Items = {1, 2, -1};

    level.Items.Add({0, 0, 512, 0, 512, static_cast<int16_t>(0x8000), -1, -1, 0x3E00});
    level.Items.Add({100, 1, -512, -256, 1024, 0x4000, 4000, 4000, 0});
    for (size_t i = 0; i < level.LightMap.size(); ++i)
        level.LightMap[i] = static_cast<uint8_t>(i);
    level.CinematicFrames.Add({1, 2, 3, 4, 5, 6, 7, 8});
    level.DemoData.Items = {0, 128, 255};
    for (size_t i = 0; i < level.SoundMap.size(); ++i)
        level.SoundMap[i] = static_cast<int16_t>(i % 5 == 0 ? i / 5 : -1);
    level.SoundDetails.Items = {{0, 32767, 0, 1}, {1, 16000, 2, 3}};
    level.SampleIndices.Items = {0, 1000, 25000};
    return level;
}

Level ValidLevel(int16_t generation) {
    Level level = FilledLevel(generation);
    for (size_t r = 0; r < level.Rooms.Items.size(); ++r) {
        Room& room = level.Rooms.Items[r];
        room.Rectangles.Items[0].Texture = static_cast<int16_t>(r);
        // The top bit draws the face from both sides; the texture is the low 15 bits.
        room.Triangles.Items[1].Texture = static_cast<int16_t>(0x8001);
        room.Sprites.Items[0].Texture = 0;
        for (size_t s = 0; s < room.Sectors.size(); ++s) {
            Sector& sector = room.Sectors[s];
            sector.FDIndex = static_cast<int16_t>(s % level.FloorData.Items.size());
            sector.Floor = 4;
            sector.Ceiling = static_cast<uint8_t>(-6);
        }
        room.StaticMeshes.Items[0].ObjectID = 10;
    }
    level.MeshPointers.Items = {0, 4, 8};
    for (size_t a = 0; a < level.Animations.Items.size(); ++a) {
        Animation& anim = level.Animations.Items[a];
        anim.FrameOffset = static_cast<uint32_t>(8 * a);
        anim.NextAnimation = static_cast<uint16_t>(1 - a);
        anim.StateChangeOffset = static_cast<uint16_t>(a);
        anim.NumAnimCommands = 1;
        anim.AnimCommand = static_cast<uint16_t>(2 * a);
    }
    level.StateChanges.Items = {{2, 1, 0}, {-1, 1, 1}};
    level.AnimDispatches.Items = {{0, 10, 1, 0}, {11, 20, 0, 5}};
    level.Moveables.Items = {{0, 3, 0, 0, 0, 0}, {7, 1, 2, 0, 4, 1}};
    level.StaticMeshes.Items[0].Mesh = 2;
    level.StaticMeshes.Items[1].Mesh = 1;
    level.ObjectTextures.Items[1].TileIndex = static_cast<int16_t>(0x8001);
    level.Items.Items[1].ObjectID = 160; // the sprite sequence
    for (size_t i = 0; i < level.SoundMap.size(); ++i)
        level.SoundMap[i] = static_cast<int16_t>(i % 5 == 0 ? (i / 5) % 2 : -1);
    return level;
}

} // namespace levelbuilder
