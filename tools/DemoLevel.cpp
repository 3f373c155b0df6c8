#include "tools/DemoLevel.h"

#include "tools/DemoArt.h"

namespace levelbuilder {
namespace {

constexpr int kRooms = 4;
constexpr int kSectorsX = 5, kSectorsZ = 4;
constexpr int kSector = 1024; // world units a sector
constexpr int kTextures = 6;  // one object texture per tile

int16_t S16(int v) {
    return static_cast<int16_t>(v);
}

// Four rooms in a row along x, each 5 x 4 sectors with a wall ring round a 3 x 2 floor, joined by
// doors to their neighbours.
Room DemoRoom(int r) {
    Room room;
    room.Xoffset = r * kSectorsX * kSector;
    room.Zoffset = 0;
    room.Ybottom = 0;
    room.lngYtop = -2048 - 256 * r;

    // A 4 x 4 grid of floor vertices, then the four ceiling corners.
    for (int j = 0; j < 4; ++j)
        for (int i = 0; i < 4; ++i)
            room.Vertices.Add(
                {S16(1024 + i * 1024),
                 S16(-64 * ((i + j + r) % 3)),
                 S16(1024 + j * 1024),
                 {static_cast<uint8_t>(0x10 * (i + 1)), 0x1F, 0, 0, static_cast<uint8_t>(j), 0x42}});
    for (int k = 0; k < 4; ++k)
        room.Vertices.Add({S16(1024 + (k % 2) * 3072), S16(room.lngYtop), S16(1024 + (k / 2) * 3072), {}});

    for (int j = 0; j < 3; ++j)
        for (int i = 0; i < 3; ++i) {
            const int v = 4 * j + i;
            room.Rectangles.Add({{S16(v), S16(v + 1), S16(v + 5), S16(v + 4)}, S16((i + j + r) % kTextures)});
        }
    room.Triangles.Add({{16, 17, 18}, S16((r + 2) % kTextures)});
    room.Triangles.Add({{17, 19, 18}, S16((r + 3) % kTextures)});
    if (r % 2 == 1)
        room.Sprites.Add({5, 0});

    // Doors in the walls shared with the neighbours, their normals pointing into this room.
    const auto door = [&](int neighbour, int side) {
        Door d;
        d.AdjoiningRoom = S16(neighbour);
        d.Normal = {S16(-side), 0, 0};
        const int16_t x = S16(side > 0 ? kSectorsX * kSector : 0);
        d.Vertices = {{{x, 0, 1024}, {x, 0, 3072}, {x, -1024, 3072}, {x, -1024, 1024}}};
        room.Doors.Add(d);
    };
    if (r > 0)
        door(r - 1, -1);
    if (r < kRooms - 1)
        door(r + 1, 1);

    room.ZSectors = kSectorsZ;
    room.XSectors = kSectorsX;
    for (int x = 0; x < kSectorsX; ++x)
        for (int z = 0; z < kSectorsZ; ++z) {
            const bool wall = x == 0 || z == 0 || x == kSectorsX - 1 || z == kSectorsZ - 1;
            Sector s;
            s.FDIndex = S16(wall ? 0 : 1 + (x + z) % 4);
            s.BoxIndex = S16(wall ? -1 : r);
            s.Floor = static_cast<uint8_t>(wall ? 0x81 : 0);
            s.Ceiling = static_cast<uint8_t>(wall ? 0x81 : 0xF8 - r);
            room.Sectors.push_back(s);
        }

    room.Intensity1 = S16(0x1000 + 0x400 * r);
    room.Intensity2 = -1;
    room.LightMode = S16(r % 2);
    room.Lights.Add({room.Xoffset + 2560, -1536, 2048, S16(0x1800 - 0x100 * r), -1, 4096, 1024});
    if (r == 2)
        room.Lights.Add({room.Xoffset + 1024, -512, 3072, 0x0800, -1, 2048, 512});
    room.StaticMeshes.Add({room.Xoffset + 3584, 0, 1536, S16(0x4000 * r), 0x1000, -1, S16(10 + r % 3)});
    room.AlternateRoom = -1;
    room.Flags = S16(r == 2 ? 1 : 0); // the third room is under water
    room.Colour = {static_cast<uint8_t>(40 * r), static_cast<uint8_t>(200 - 30 * r), 128};
    return room;
}

void AddAnimationData(Level& level) {
    for (int i = 0; i < 6; ++i) {
        Animation a;
        a.FrameOffset = static_cast<uint32_t>(i * 240);
        a.FrameRate = static_cast<uint8_t>(1 + i % 2);
        a.FrameSize = 20;
        a.StateID = static_cast<uint16_t>(i % 3);
        a.FrameStart = static_cast<uint16_t>(10 * i);
        a.FrameEnd = static_cast<uint16_t>(10 * i + 9);
        a.NextAnimation = static_cast<uint16_t>((i + 1) % 6);
        a.NextFrame = static_cast<uint16_t>(10 * ((i + 1) % 6));
        a.NumStateChanges = 1;
        a.StateChangeOffset = static_cast<uint16_t>(i);
        a.NumAnimCommands = static_cast<uint16_t>(i % 2);
        a.AnimCommand = static_cast<uint16_t>(i % 2 ? 2 * i : 0);
        level.Animations.Add(a);
        level.StateChanges.Add({S16(i % 3), 1, S16(i)});
        level.AnimDispatches.Add({S16(10 * i), S16(10 * i + 9), S16((i + 2) % 6), S16(10 * ((i + 2) % 6))});
    }
    level.AnimCommands.Items = {1, 0, 0, 5, -1, 2, 3, 300};
    // Three nodes of four words: Flag, X, Y, Z.
    level.MeshTrees.Items = {0, 0, 0, 0, 2, 0, -128, 0, 1, 64, 0, 32};
    for (int i = 0; i < 60; ++i)
        level.Frames.Add(static_cast<uint16_t>(i * 3));
    level.Moveables.Items = {{0, 4, 0, 0, 0, 0}, {7, 2, 4, 4, 240, 2}, {12, 1, 6, 8, 720, 4}};
}

void AddTexturesAndStatics(Level& level) {
    for (int i = 0; i < 3; ++i) {
        StaticMesh mesh;
        mesh.ObjectID = 10 + i;
        mesh.Mesh = S16(3 + i);
        const int16_t half = S16(256 * (i + 1));
        mesh.Corners = {{{S16(-half), S16(-2 * half), S16(-half)},
                         {half, 0, half},
                         {S16(-half / 2), S16(-half), S16(-half / 2)},
                         {S16(half / 2), 0, S16(half / 2)}}};
        mesh.Flag = static_cast<uint16_t>(i == 2 ? 0xFFFF : 1 + i);
        level.StaticMeshes.Add(mesh);
    }
    for (int t = 0; t < kTextures; ++t) {
        ObjectTexture texture;
        texture.Attribute = S16(t % 2);
        texture.TileIndex = S16(t);
        texture.Vertices = {{{1, 0, 1, 0}, {255, 255, 1, 0}, {255, 255, 255, 255}, {1, 0, 255, 255}}};
        level.ObjectTextures.Add(texture);
    }
    level.SpriteTextures.Add({3, 0, 0, 64, 64, -32, -64, 32, 0});
    level.SpriteTextures.Add({3, 128, 128, 32, 32, -16, -32, 16, 0});
    level.SpriteSequences.Add({160, -2, 0});
    level.SpriteSequences.Add({161, -1, 2});
}

void AddNavigation(Level& level) {
    level.Cameras.Add({2560, -1024, 2048, 0, 0});
    level.Cameras.Add({7680, -1024, 2048, 1, 1});
    level.Cameras.Add({12800, -1536, 3072, 2, 0});
    level.SoundSources.Add({2048, -512, 2048, 12, 0x80});
    level.SoundSources.Add({12800, 0, 2048, 42, 0x80});
    level.SoundSources.Add({17920, -256, 3072, 7, 0x40});
    // One box a room, then two small ones along the doorways.
    for (int r = 0; r < kRooms; ++r)
        level.Boxes.Add({1, 3, static_cast<uint8_t>(5 * r + 1), static_cast<uint8_t>(5 * r + 4), 0,
                         static_cast<uint16_t>(2 * r)});
    level.Boxes.Add({1, 3, 4, 6, 0xFF00, 8});
    level.Boxes.Add({1, 3, 9, 11, 256, 0x8009});
    level.Overlaps.Items = {4, 0x8001, 0, 0x8002, 1, 0x8003, 2, 0x8005, 0x8000, 0x8001};
    for (int b = 0; b < 6; ++b)
        level.Zones.push_back({S16(b < 4 ? 1 : 2), {}});
    level.AnimatedTextures.Items = {1, 3, 4, 5, 0};
}

void AddItemsToEnd(Level& level) {
    const int16_t angles[4] = {0, 0x4000, S16(0x8000), S16(0xC000)};
    for (int i = 0; i < 8; ++i) {
        const int room = i % kRooms;
        level.Items.Add({S16(i == 0 ? 0 : 100 + i), S16(room),
                         room * kSectorsX * kSector + 1536 + 512 * (i / 4), -256 * (i % 2),
                         1536 + 1024 * (i / 4), angles[i % 4], -1, -1, S16(i % 3 ? 0 : 0x3E00)});
    }
    for (size_t i = 0; i < level.LightMap.size(); ++i)
        level.LightMap[i] = static_cast<uint8_t>((i / 256) * 8 + (i % 256) / 32);
    for (int f = 0; f < 4; ++f)
        level.CinematicFrames.Add(
            {S16(f * 0x1000), 0, 0, S16(2048 + 256 * f), -1024, S16(512 * f), 0, S16(-f * 0x400)});
    for (int d = 0; d < 16; ++d)
        level.DemoData.Add(static_cast<uint8_t>(d * 17));
    for (size_t j = 0; j < level.SoundMap.size(); ++j)
        level.SoundMap[j] = S16(j < 60 && j % 3 == 0 ? static_cast<int>(j / 3) : -1);
    for (int s = 0; s < 5; ++s)
        level.SoundDetails.Add({S16(s), S16(0x7FFF - 0x1000 * s), S16(s % 2), S16(0x100 * s)});
    level.SampleIndices.Items = {0, 4410, 22050, 30870, 44100};
}

} // namespace

Level DemoLevel(int16_t generation) {
    Level level;
    level.Generation = generation;
    level.Palette8 = demo::RampPalette8();
    level.Palette16 = demo::RampPalette16();
    for (Tile8& tile : demo::PatternTiles(generation))
        level.Tiles.Add(tile);
    for (int r = 0; r < kRooms; ++r)
        level.Rooms.Add(DemoRoom(r));
    level.FloorData.Items = {0x0000, 0x8001, 0x0003, 0x8004, 0x0102, 0x8005, 0x1801, 0x0007};
    for (int w = 0; w < 48; ++w)
        level.MeshData.Add(static_cast<uint16_t>(w * 37 % 4096));
    level.MeshPointers.Items = {0, 32, 64};
    AddAnimationData(level);
    AddTexturesAndStatics(level);
    AddNavigation(level);
    AddItemsToEnd(level);
    return level;
}

} // namespace levelbuilder
