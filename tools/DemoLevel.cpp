#include "tools/DemoLevel.h"

#include "tools/DemoArt.h"
#include "tools/DemoGeometry.h"

#include <algorithm>
#include <iterator>
#include <utility>
#include <vector>

namespace levelbuilder {
namespace {

constexpr int kSector = demo::kSectorUnits;
constexpr int kBoxRooms = 4;                 // rooms the navigation boxes cover
constexpr uint8_t kSolid = demo::kSolidStep; // the floor and ceiling step of a wall sector

int16_t S16(int v) {
    return static_cast<int16_t>(v);
}
uint8_t Step(int y) { // a height as a floor or ceiling byte: signed steps of 256 units
    return static_cast<uint8_t>(static_cast<int8_t>(y / 256));
}

// The plan, in sectors (x east, z north). On the ground: a hall, a corridor stepping down east to a
// crypt, and a north wing; one storey up: a gallery over the north wing, open to it through the floor,
// and a bridge to a tower. The last room is the crypt flooded, its alternate room.
struct RoomPlan {
    int X, Z, Columns, Rows;
    int Top, Floor; // ceiling and floor heights (y grows downwards)
};
constexpr RoomPlan kPlan[] = {
    {0, 0, 6, 6, -2048, 0},      // 0 hall
    {6, 2, 8, 3, -1024, 0},      // 1 corridor, its floor stepping down east
    {14, 0, 6, 7, -1280, 768},   // 2 crypt
    {1, 6, 5, 6, -3072, 0},      // 3 north wing
    {0, 7, 7, 6, -5120, -3072},  // 4 gallery
    {7, 9, 7, 3, -4864, -3072},  // 5 bridge
    {14, 8, 6, 6, -5632, -3328}, // 6 tower
    {14, 0, 6, 7, -1280, 512},   // 7 the crypt flooded
};
constexpr int kRooms = static_cast<int>(std::size(kPlan));

// Doors in walls: between room A (west or south) and room B, along a boundary at sector line `at`
// (x when Vertical, z otherwise), one sector wide from `from`.
struct WallDoor {
    int A, B;
    bool Vertical;
    int At, From;
};
constexpr WallDoor kWallDoors[] = {
    {0, 1, true, 6, 3},   // hall - corridor
    {1, 2, true, 14, 3},  // corridor - crypt
    {0, 3, false, 6, 3},  // hall - north wing
    {4, 5, true, 7, 10},  // gallery - bridge
    {5, 6, true, 14, 10}, // bridge - tower
    {1, 7, true, 14, 3},  // corridor - flooded crypt
};
// The opening between the north wing's ceiling and the gallery's floor, in sectors.
constexpr int kOpenX0 = 2, kOpenX1 = 4, kOpenZ0 = 9, kOpenZ1 = 11;
constexpr int kNorthWing = 3, kGallery = 4;

int FloorAt(int r, int x) { // world sector column x of room r
    const RoomPlan& p = kPlan[r];
    if (r == 1) // the corridor steps down a quarter sector every two sectors
        return 256 * std::min(3, (x - p.X) / 2);
    if (r == 0 && x >= 2 && x < 4)
        return -256; // a dais in the hall
    return p.Floor;
}

// The object textures: pieces of the brick picture for walls 256 to 1024 units high, the floor (whole
// and cut in two for triangles), the ceiling, the numbered bricks, the grate (drawn with alpha), water
// in two phases and the banner.
enum : int16_t {
    kWallPieces = 0, // four of them
    kFloor = 4,
    kFloorHalves = 5, // two of them
    kCeiling = 7,
    kNumbered = 8, // one a room number
    kGrate = kNumbered + demo::kRoomNumbers,
    kWater,
    kWaterLater,
    kBanner,
    kTextures
};
constexpr int16_t kBothSides = static_cast<int16_t>(0x8000); // a face's Texture bit: drawn from both sides

// An object texture of a picture, its corners in the given order of the picture's top-left, top-right,
// bottom-right and bottom-left corners. The coordinate bytes put the corners on the picture's outer
// pixel edges.
ObjectTexture TextureOf(const demo::Region& r, int16_t attribute, std::array<int, 4> order = {0, 1, 2, 3}) {
    const std::array<std::array<uint8_t, 4>, 4> corners = {{
        {0, static_cast<uint8_t>(r.X0), 0, static_cast<uint8_t>(r.Y0)},
        {255, static_cast<uint8_t>(r.X1 - 1), 0, static_cast<uint8_t>(r.Y0)},
        {255, static_cast<uint8_t>(r.X1 - 1), 255, static_cast<uint8_t>(r.Y1 - 1)},
        {0, static_cast<uint8_t>(r.X0), 255, static_cast<uint8_t>(r.Y1 - 1)},
    }};
    ObjectTexture t;
    t.Attribute = attribute;
    t.TileIndex = S16(r.Tile);
    for (size_t k = 0; k < 4; ++k)
        t.Vertices[k] = corners[static_cast<size_t>(order[k])];
    return t;
}

void AddObjectTextures(Level& level) {
    for (int quarters = 1; quarters <= 4; ++quarters) { // the bottom of the bricks, as high as the piece
        demo::Region piece = demo::kBricks;
        piece.Y0 = piece.Y1 - 64 * quarters;
        level.ObjectTextures.Add(TextureOf(piece, 0));
    }
    level.ObjectTextures.Add(TextureOf(demo::kFlagstones, 0));
    level.ObjectTextures.Add(TextureOf(demo::kFlagstones, 0, {0, 1, 2, 3}));
    level.ObjectTextures.Add(TextureOf(demo::kFlagstones, 0, {0, 2, 3, 1}));
    level.ObjectTextures.Add(TextureOf(demo::kPlanks, 0));
    for (int n = 0; n < demo::kRoomNumbers; ++n)
        level.ObjectTextures.Add(TextureOf(demo::NumberedBricks(n), 0));
    level.ObjectTextures.Add(TextureOf(demo::kGrate, 1));
    level.ObjectTextures.Add(TextureOf(demo::kWater, 0));
    level.ObjectTextures.Add(TextureOf(demo::kWater, 0, {1, 0, 3, 2})); // mirrored: the waves move
    level.ObjectTextures.Add(TextureOf(demo::kBanner, 0));
}

// The sector of a room next to a door in a wall, and the side of it the door stands on.
struct DoorSide {
    int Room, Column, Row;
    demo::Side Towards;
};
DoorSide SideOf(const WallDoor& w, int r) {
    const bool roomA = r == w.A;
    const RoomPlan& p = kPlan[r];
    const int at = roomA ? w.At - 1 : w.At;
    if (w.Vertical)
        return {r, at - p.X, w.From - p.Z, roomA ? demo::Side::East : demo::Side::West};
    return {r, w.From - p.X, at - p.Z, roomA ? demo::Side::North : demo::Side::South};
}

// Doors, their normals pointing into the room that holds them, and the doorways they open in its
// walls: a door spans what is open on both sides, from the lower ceiling to the higher floor.
void AddDoors(Level& level, std::vector<std::vector<demo::Doorway>>& doorways) {
    for (const WallDoor& w : kWallDoors) {
        const DoorSide a = SideOf(w, w.A), b = SideOf(w, w.B);
        const demo::SectorSpace sa =
            demo::SpaceAt(level.Rooms.Items[static_cast<size_t>(a.Room)], a.Column, a.Row);
        const demo::SectorSpace sb =
            demo::SpaceAt(level.Rooms.Items[static_cast<size_t>(b.Room)], b.Column, b.Row);
        const int top = std::max(sa.Ceiling, sb.Ceiling), bottom = std::min(sa.Floor, sb.Floor);
        for (const auto& [here, there] : {std::pair{a, b}, std::pair{b, a}}) {
            Door d;
            d.AdjoiningRoom = S16(there.Room);
            const int inwards =
                here.Towards == demo::Side::West || here.Towards == demo::Side::South ? 1 : -1;
            d.Normal = w.Vertical ? std::array<int16_t, 3>{S16(inwards), 0, 0}
                                  : std::array<int16_t, 3>{0, 0, S16(inwards)};
            d.Vertices = demo::SideQuad(here.Column, here.Row, here.Towards, top, bottom);
            level.Rooms.Items[static_cast<size_t>(here.Room)].Doors.Add(d);
            doorways[static_cast<size_t>(here.Room)].push_back(
                {here.Column, here.Row, here.Towards, top, bottom});
        }
    }
    // The opening in the floor between the north wing and the gallery: a door lying flat at the
    // gallery's floor, facing down into the north wing and up into the gallery.
    for (const int r : {kNorthWing, kGallery}) {
        const RoomPlan& p = kPlan[r];
        Door d;
        d.AdjoiningRoom = S16(r == kNorthWing ? kGallery : kNorthWing);
        d.Normal = {0, S16(r == kNorthWing ? 1 : -1), 0};
        d.Vertices = demo::FlatQuad(kOpenX0 - p.X, kOpenZ0 - p.Z, kPlan[kGallery].Floor,
                                    r == kGallery ? demo::Facing::Up : demo::Facing::Down, kOpenX1 - kOpenX0,
                                    kOpenZ1 - kOpenZ0);
        level.Rooms.Items[static_cast<size_t>(r)].Doors.Add(d);
    }
}

Room DemoRoom(int r) {
    const RoomPlan& p = kPlan[r];
    Room room;
    room.Xoffset = p.X * kSector;
    room.Zoffset = p.Z * kSector;
    room.Ybottom = r == 1 ? 768 : p.Floor;
    room.lngYtop = p.Top;

    // A ring of walls round the floor; doorways open the ring where a door stands.
    room.ZSectors = S16(p.Rows);
    room.XSectors = S16(p.Columns);
    const auto opening = [&](int x, int z) {
        for (const WallDoor& w : kWallDoors) {
            if (w.A != r && w.B != r)
                continue;
            const int side = w.A == r ? 1 : -1; // the door lies east (north) of room A
            if (w.Vertical && z == w.From && x == w.At - (side > 0 ? 1 : 0))
                return true;
            if (!w.Vertical && x == w.From && z == w.At - (side > 0 ? 1 : 0))
                return true;
        }
        return false;
    };
    for (int c = 0; c < p.Columns; ++c)
        for (int row = 0; row < p.Rows; ++row) {
            const int x = p.X + c, z = p.Z + row;
            const bool wall =
                (c == 0 || row == 0 || c == p.Columns - 1 || row == p.Rows - 1) && !opening(x, z);
            const bool open = x >= kOpenX0 && x < kOpenX1 && z >= kOpenZ0 && z < kOpenZ1;
            Sector s;
            s.FDIndex = S16(wall ? 0 : 1 + (c + row) % 4);
            s.BoxIndex = S16(wall ? -1 : r % kBoxRooms);
            s.Floor = wall ? kSolid : Step(FloorAt(r, x));
            s.Ceiling = wall ? kSolid : Step(p.Top);
            if (!wall && open && r == kNorthWing)
                s.RoomAbove = kGallery;
            if (!wall && open && r == kGallery)
                s.RoomBelow = kNorthWing;
            room.Sectors.push_back(s);
        }

    room.Intensity1 = S16(0x1000 + 0x400 * (r % 4));
    room.Intensity2 = -1;
    room.LightMode = S16(r % 2);
    // A light over the middle sector, half a sector under the ceiling.
    const int cx = room.Xoffset + p.Columns / 2 * kSector + 512,
              cz = room.Zoffset + p.Rows / 2 * kSector + 512;
    room.Lights.Add({cx, p.Top + 512, cz, S16(0x1800 - 0x100 * (r % 4)), -1, 4096, 1024});
    if (r == 2 || r == 6)
        room.Lights.Add({room.Xoffset + 1536, p.Top + 256, room.Zoffset + 1536, 0x0800, -1, 2048, 512});
    room.StaticMeshes.Add({room.Xoffset + (p.Columns - 2) * kSector + 512, FloorAt(r, p.X + p.Columns - 2),
                           room.Zoffset + 1536, S16(0x4000 * r), 0x1000, -1, S16(10 + r % 3)});
    room.AlternateRoom = S16(r == 2 ? 7 : -1);
    room.Flags = S16(r == 7 ? 1 : 0); // the flooded crypt is under water
    room.Colour = {static_cast<uint8_t>(30 * r), static_cast<uint8_t>(200 - 20 * r), 128};
    return room;
}

// Every room's faces from its sectors; the gallery's opening to the north wing under a grate, the
// flooded crypt's floor under water, and a banner hung over the hall's dais, seen from both sides.
void AddFaces(Level& level, const std::vector<std::vector<demo::Doorway>>& doorways) {
    for (int r = 0; r < kRooms; ++r) {
        Room& room = level.Rooms.Items[static_cast<size_t>(r)];
        demo::RoomTextures textures;
        textures.Wall = {kWallPieces, kWallPieces + 1, kWallPieces + 2, kWallPieces + 3};
        textures.NumberedWall = S16(kNumbered + r % demo::kRoomNumbers);
        textures.Floor = r == 7 ? kWater : kFloor;
        textures.FloorHalves = {kFloorHalves, kFloorHalves + 1};
        textures.Ceiling = kCeiling;
        textures.FloorOpening = r == kGallery ? kGrate : -1;
        demo::AddRoomFaces(room, doorways[static_cast<size_t>(r)], textures);
        if (r % 2 == 1)
            room.Sprites.Add({5, 0});
    }
    // 2048 x 768 units across the hall at z = 3072, as the banner's picture is, its front to the south
    // (looking north, east is on the right).
    Room& hall = level.Rooms.Items[0];
    const int16_t top = S16(kPlan[0].Top), bottom = S16(kPlan[0].Top + 768);
    demo::AddQuad(hall, {{{2048, top, 3072}, {4096, top, 3072}, {4096, bottom, 3072}, {2048, bottom, 3072}}},
                  S16(kBanner | kBothSides));
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
    level.AnimCommands.Items = {1, 0, 0, 5, -1, 2, 3, 300, 4, 0, 7, 1};
    // Three nodes of four words: Flag, X, Y, Z.
    level.MeshTrees.Items = {0, 0, 0, 0, 2, 0, -128, 0, 1, 64, 0, 32};
    // Six animations of 240 bytes of frames each.
    for (int i = 0; i < 720; ++i)
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
    AddObjectTextures(level);
    level.SpriteTextures.Add({3, 0, 0, 64, 64, -32, -64, 32, 0});
    level.SpriteTextures.Add({3, 128, 128, 32, 32, -16, -32, 16, 0});
    level.SpriteTextures.Add({3, 128, 0, 32, 32, -16, -32, 16, 0});
    level.SpriteSequences.Add({160, -2, 0});
    level.SpriteSequences.Add({161, -1, 2});
}

void AddNavigation(Level& level) {
    level.Cameras.Add({2560, -1024, 2048, 0, 0});
    level.Cameras.Add({7680, -512, 3584, 1, 1});
    level.Cameras.Add({17408, -512, 3584, 2, 0});
    level.SoundSources.Add({2048, -512, 2048, 12, 0x80});
    level.SoundSources.Add({12800, 0, 2048, 42, 0x80});
    level.SoundSources.Add({17920, -256, 3072, 7, 0x40});
    // One box a room, then two small ones along the doorways.
    for (int r = 0; r < kBoxRooms; ++r)
        level.Boxes.Add({1, 3, static_cast<uint8_t>(5 * r + 1), static_cast<uint8_t>(5 * r + 4), 0,
                         static_cast<uint16_t>(2 * r)});
    level.Boxes.Add({1, 3, 4, 6, 0xFF00, 8});
    level.Boxes.Add({1, 3, 9, 11, 256, 0x8009});
    level.Overlaps.Items = {4, 0x8001, 0, 0x8002, 1, 0x8003, 2, 0x8005, 0x8000, 0x8001};
    for (int b = 0; b < 6; ++b)
        level.Zones.push_back({S16(b < 4 ? 1 : 2), {}});
    level.AnimatedTextures.Items = {1, 1, kWater, kWaterLater}; // one range: the water's two phases
}

void AddItemsToEnd(Level& level) {
    const int16_t angles[4] = {0, 0x4000, S16(0x8000), S16(0xC000)};
    // The moveables' and the sprite sequences' object IDs.
    const int16_t objects[5] = {0, 7, 12, 160, 161};
    for (int i = 0; i < 8; ++i) {
        const int room = i % kRooms;
        const RoomPlan& p = kPlan[room];
        const int x = p.X + 2 + i / 4; // on the floor of a sector inside the room
        level.Items.Add({objects[i % 5], S16(room), x * kSector + 512, FloorAt(room, x),
                         (p.Z + 1) * kSector + 512, angles[i % 4], -1, -1, S16(i % 3 ? 0 : 0x3E00)});
    }
    for (size_t i = 0; i < level.LightMap.size(); ++i)
        level.LightMap[i] = static_cast<uint8_t>((i / 256) * 8 + (i % 256) / 32);
    for (int f = 0; f < 4; ++f)
        level.CinematicFrames.Add(
            {S16(f * 0x1000), 0, 0, S16(2048 + 256 * f), -1024, S16(512 * f), 0, S16(-f * 0x400)});
    for (int d = 0; d < 16; ++d)
        level.DemoData.Add(static_cast<uint8_t>(d * 17));
    for (size_t j = 0; j < level.SoundMap.size(); ++j)
        level.SoundMap[j] = S16(j < 60 && j % 3 == 0 ? static_cast<int>(j / 3 % 5) : -1);
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
    for (Tile8& tile : demo::DemoTiles(generation)) {
        level.Tiles16.push_back(Tile16From8(tile, level.Palette8));
        level.Tiles.Add(std::move(tile));
    }
    for (int r = 0; r < kRooms; ++r)
        level.Rooms.Add(DemoRoom(r));
    std::vector<std::vector<demo::Doorway>> doorways(kRooms);
    AddDoors(level, doorways);
    AddFaces(level, doorways);
    level.FloorData.Items = {0x0000, 0x8001, 0x0003, 0x8004, 0x0102, 0x8005, 0x1801, 0x0007};
    for (int w = 0; w < 48; ++w)
        level.MeshData.Add(static_cast<uint16_t>(w * 37 % 4096));
    level.MeshPointers.Items = {0, 16, 32, 48, 64, 80, 88};
    AddAnimationData(level);
    AddTexturesAndStatics(level);
    AddNavigation(level);
    AddItemsToEnd(level);
    return level;
}

Level BrokenDemoLevel(int16_t generation) {
    Level level = DemoLevel(generation);
    level.Rooms.Items[1].Doors.Items[0].AdjoiningRoom = 9;        // a door to a room that is not there
    level.Rooms.Items[2].Rectangles.Items[4].Texture = kTextures; // a face's texture past the list
    level.Rooms.Items[0].Sectors[14].FDIndex = 40;                // a sector past the floor data
    level.Moveables.Items[2].NumMeshes = 2;                       // meshes past the mesh pointers
    level.Items.Items[3].Room = S16(kRooms + 4);                  // an item in a room that is not there
    level.Items.Items[5].ObjectID = 99;                           // an item of no moveable (a warning)
    return level;
}

} // namespace levelbuilder
