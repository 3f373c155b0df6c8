// The demo levels as a 3D place, checked on the builder's records without the 3D view: faces name what
// exists, face into their rooms with upright pictures, doors join open space of both rooms; and the
// 16-bit tiles the builder writes show the 8-bit tiles' colours.
#include <array>
#include <cmath>
#include <cstdint>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "format/Colours.h"
#include "tools/DemoLevel.h"
#include "tools/LevelBuilder.h"

using namespace levelbuilder;

namespace {

using Point = std::array<double, 3>;

Point Minus(const Point& a, const Point& b) {
    return {a[0] - b[0], a[1] - b[1], a[2] - b[2]};
}
Point Cross(const Point& a, const Point& b) {
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}
Point Along(const Point& p, const Point& n, double d) { // p moved d units along n
    const double length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
    return {p[0] + d * n[0] / length, p[1] + d * n[1] / length, p[2] + d * n[2] / length};
}

Point World(const Room& room, int16_t vertex) {
    const Vertex& v = room.Vertices.Items[static_cast<size_t>(vertex)];
    return {room.Xoffset + static_cast<double>(v.X), static_cast<double>(v.Y),
            room.Zoffset + static_cast<double>(v.Z)};
}

// Whether a world point lies in the room's open space, read from its sectors as the level map reads
// them: column by column, heights in signed steps of 256 units (y down), 0x81 a wall.
bool InOpenSpace(const Room& room, const Point& p) {
    const double x = p[0] - room.Xoffset, z = p[2] - room.Zoffset;
    const int column = static_cast<int>(std::floor(x / 1024)), row = static_cast<int>(std::floor(z / 1024));
    if (column < 0 || row < 0 || column >= room.XSectors || row >= room.ZSectors)
        return false;
    const Sector& s = room.Sectors[static_cast<size_t>(column * room.ZSectors + row)];
    const int floor = static_cast<int8_t>(s.Floor) * 256, ceiling = static_cast<int8_t>(s.Ceiling) * 256;
    if (s.Floor == 0x81 || s.Ceiling == 0x81 || floor <= ceiling)
        return false;
    return p[1] >= ceiling && p[1] <= floor;
}

struct Face {
    std::vector<int16_t> Vertices;
    int16_t Texture;
};
std::vector<Face> FacesOf(const Room& room) {
    std::vector<Face> faces;
    for (const Rectangle& r : room.Rectangles.Items)
        faces.push_back({{r.Vertex.begin(), r.Vertex.end()}, r.Texture});
    for (const Triangle& t : room.Triangles.Items)
        faces.push_back({{t.Vertex.begin(), t.Vertex.end()}, t.Texture});
    return faces;
}

// The face's front: its corners run clockwise seen from the front, so in these right-handed axes
// (x east, y down, z north) the front lies on the side of (v2 - v0) x (v1 - v0).
Point FrontOf(const Room& room, const Face& face) {
    const Point v0 = World(room, face.Vertices[0]);
    return Cross(Minus(World(room, face.Vertices[2]), v0), Minus(World(room, face.Vertices[1]), v0));
}
Point CentreOf(const Room& room, const Face& face) {
    Point c{};
    for (int16_t v : face.Vertices)
        for (size_t k = 0; k < 3; ++k)
            c[k] += World(room, v)[k] / static_cast<double>(face.Vertices.size());
    return c;
}

// A texture corner's place in its tile, in pixels: XPixel plus the coordinate byte's fraction.
std::array<double, 2> PixelOf(const ObjectTexture& t, size_t corner) {
    const auto& c = t.Vertices[corner];
    return {c[1] + c[0] / 256.0, c[3] + c[2] / 256.0};
}

std::string Named(int16_t generation, size_t room, size_t face) {
    return "DM" + std::to_string(generation) + " room " + std::to_string(room) + " face " +
           std::to_string(face);
}

} // namespace

TEST(DemoScene, FacesNameVerticesObjectTexturesAndTilesThatExist) {
    for (int16_t generation : {2, 3}) {
        const Level level = DemoLevel(generation);
        int bothSided = 0, seeThrough = 0;
        for (size_t r = 0; r < level.Rooms.Items.size(); ++r) {
            const Room& room = level.Rooms.Items[r];
            const std::vector<Face> faces = FacesOf(room);
            ASSERT_GT(room.Rectangles.Items.size(), 20u) << Named(generation, r, 0);
            ASSERT_GE(room.Triangles.Items.size(), 2u) << Named(generation, r, 0);
            for (size_t f = 0; f < faces.size(); ++f) {
                for (int16_t v : faces[f].Vertices)
                    ASSERT_TRUE(v >= 0 && static_cast<size_t>(v) < room.Vertices.Items.size())
                        << Named(generation, r, f);
                const size_t texture = static_cast<uint16_t>(faces[f].Texture) & 0x7FFF;
                ASSERT_LT(texture, level.ObjectTextures.Items.size()) << Named(generation, r, f);
                const ObjectTexture& t = level.ObjectTextures.Items[texture];
                ASSERT_TRUE(t.TileIndex >= 0 && static_cast<size_t>(t.TileIndex) < level.Tiles.Items.size());
                bothSided += faces[f].Texture < 0 ? 1 : 0;
                seeThrough += t.Attribute == 1 ? 1 : 0;
            }
        }
        EXPECT_GE(bothSided, 2) << "DM" << generation;
        EXPECT_GE(seeThrough, 1) << "DM" << generation;
    }
}

// Just in front of every face is the room's open space; just behind a one-sided face is none (a wall,
// the room's edge, below the floor or above the ceiling). Pictures are not mirrored, and on walls they
// stand upright: the first two corners are the top edge in the face and in the picture.
TEST(DemoScene, EveryFaceFacesIntoItsRoomWithItsPictureUpright) {
    for (int16_t generation : {2, 3}) {
        const Level level = DemoLevel(generation);
        for (size_t r = 0; r < level.Rooms.Items.size(); ++r) {
            const Room& room = level.Rooms.Items[r];
            const std::vector<Face> faces = FacesOf(room);
            for (size_t f = 0; f < faces.size(); ++f) {
                const Face& face = faces[f];
                const Point front = FrontOf(room, face), centre = CentreOf(room, face);
                EXPECT_TRUE(InOpenSpace(room, Along(centre, front, 16))) << Named(generation, r, f);
                if (face.Texture >= 0) {
                    EXPECT_FALSE(InOpenSpace(room, Along(centre, front, -16))) << Named(generation, r, f);
                }

                const ObjectTexture& t =
                    level.ObjectTextures.Items[static_cast<uint16_t>(face.Texture) & 0x7FFF];
                const auto p0 = PixelOf(t, 0), p1 = PixelOf(t, 1), p2 = PixelOf(t, 2);
                // Clockwise in the picture (x right, y down), as the corners are seen from the front.
                EXPECT_GT((p1[0] - p0[0]) * (p2[1] - p0[1]) - (p1[1] - p0[1]) * (p2[0] - p0[0]), 0)
                    << Named(generation, r, f);
                if (front[1] == 0 && face.Vertices.size() == 4) { // a wall
                    const double topY = World(room, face.Vertices[0])[1];
                    EXPECT_EQ(World(room, face.Vertices[1])[1], topY) << Named(generation, r, f);
                    EXPECT_GT(World(room, face.Vertices[2])[1], topY) << Named(generation, r, f);
                    EXPECT_EQ(p0[1], p1[1]) << Named(generation, r, f);
                    EXPECT_GT(PixelOf(t, 3)[1], p0[1]) << Named(generation, r, f);
                }
            }
        }
    }
}

// Each door has its twin in the room it leads to, at the same four world corners with the opposite
// normal; its normal points into its own room's open space, and behind it lies the other room's, all
// over the door: it spans no more than is open on both sides.
TEST(DemoScene, DoorsLieOnTheWallBetweenTheOpenSpacesOfBothRooms) {
    for (int16_t generation : {2, 3}) {
        const Level level = DemoLevel(generation);
        int doors = 0;
        for (size_t r = 0; r < level.Rooms.Items.size(); ++r) {
            const Room& room = level.Rooms.Items[r];
            for (size_t d = 0; d < room.Doors.Items.size(); ++d) {
                const Door& door = room.Doors.Items[d];
                const std::string name = "DM" + std::to_string(generation) + " room " + std::to_string(r) +
                                         " door " + std::to_string(d);
                ASSERT_TRUE(door.AdjoiningRoom >= 0 &&
                            static_cast<size_t>(door.AdjoiningRoom) < level.Rooms.Items.size());
                const Room& other = level.Rooms.Items[static_cast<size_t>(door.AdjoiningRoom)];
                std::array<Point, 4> corners{};
                Point centre{};
                for (size_t k = 0; k < 4; ++k) {
                    const auto& c = door.Vertices[k];
                    corners[k] = {room.Xoffset + static_cast<double>(c[0]), static_cast<double>(c[1]),
                                  room.Zoffset + static_cast<double>(c[2])};
                    for (size_t a = 0; a < 3; ++a)
                        centre[a] += corners[k][a] / 4;
                }
                const Point normal{static_cast<double>(door.Normal[0]), static_cast<double>(door.Normal[1]),
                                   static_cast<double>(door.Normal[2])};
                // Its centre and its corners (a little in from each) open on both sides.
                for (size_t k = 0; k < 5; ++k) {
                    Point p = centre;
                    if (k < 4)
                        for (size_t a = 0; a < 3; ++a)
                            p[a] = corners[k][a] + (centre[a] - corners[k][a]) / 32;
                    EXPECT_TRUE(InOpenSpace(room, Along(p, normal, 16))) << name << " point " << k;
                    EXPECT_TRUE(InOpenSpace(other, Along(p, normal, -16))) << name << " point " << k;
                }
                int twins = 0;
                for (const Door& back : other.Doors.Items) {
                    if (back.AdjoiningRoom != static_cast<int16_t>(r))
                        continue;
                    int same = 0;
                    for (const auto& c : back.Vertices)
                        for (const Point& p : corners)
                            same +=
                                other.Xoffset + c[0] == p[0] && c[1] == p[1] && other.Zoffset + c[2] == p[2];
                    const bool opposite = back.Normal[0] == -door.Normal[0] &&
                                          back.Normal[1] == -door.Normal[1] &&
                                          back.Normal[2] == -door.Normal[2];
                    twins += same == 4 && opposite ? 1 : 0;
                }
                EXPECT_EQ(twins, 1) << name;
                ++doors;
            }
        }
        EXPECT_EQ(doors, 14) << "DM" << generation;
    }
}

// What the 3D view marks stands inside its room: lights and static meshes in their room's open space,
// items and cameras in that of the room they name; static meshes and items on the floor.
TEST(DemoScene, MarkersStandInTheOpenSpaceOfTheirRooms) {
    for (int16_t generation : {2, 3}) {
        const Level level = DemoLevel(generation);
        const auto& rooms = level.Rooms.Items;
        const auto at = [](int32_t x, int32_t y, int32_t z) {
            return Point{static_cast<double>(x), static_cast<double>(y), static_cast<double>(z)};
        };
        for (size_t r = 0; r < rooms.size(); ++r) {
            for (const Light& l : rooms[r].Lights.Items)
                EXPECT_TRUE(InOpenSpace(rooms[r], at(l.X, l.Y, l.Z))) << "light in room " << r;
            for (const RoomStaticMesh& m : rooms[r].StaticMeshes.Items) {
                EXPECT_TRUE(InOpenSpace(rooms[r], at(m.X, m.Y, m.Z))) << "static mesh in room " << r;
                EXPECT_FALSE(InOpenSpace(rooms[r], at(m.X, m.Y + 16, m.Z))) << "static mesh in room " << r;
            }
        }
        for (size_t i = 0; i < level.Items.Items.size(); ++i) {
            const Item& it = level.Items.Items[i];
            const Room& room = rooms[static_cast<size_t>(it.Room)];
            EXPECT_TRUE(InOpenSpace(room, at(it.X, it.Y, it.Z))) << "item " << i;
            EXPECT_FALSE(InOpenSpace(room, at(it.X, it.Y + 16, it.Z))) << "item " << i;
        }
        for (size_t i = 0; i < level.Cameras.Items.size(); ++i) {
            const Camera& c = level.Cameras.Items[i];
            EXPECT_TRUE(InOpenSpace(rooms[static_cast<size_t>(c.Room)], at(c.X, c.Y, c.Z))) << "camera " << i;
        }
    }
}

// The 16-bit tiles follow the 8-bit tiles, one colour word a pixel: the demo level's show its 8-bit
// pixels' palette colours (each component within a step of five bits), opaque, and index 0 with
// alpha clear. Tiles not given are written as zeros, in the same place as before.
TEST(DemoTiles, SixteenBitTilesShowTheEightBitTilesColours) {
    constexpr size_t kTiles8At = 4 + 768 + 1024 + 4;
    const Level level = DemoLevel(2);
    const std::vector<uint8_t> bytes = Build(level);
    const size_t tiles = level.Tiles.Items.size();
    int transparent = 0;
    for (size_t t = 0; t < tiles; ++t)
        for (size_t i = 0; i < 65536; i += 7) {
            const uint8_t index = bytes[kTiles8At + 65536 * t + i];
            const size_t at = kTiles8At + 65536 * tiles + 131072 * t + 2 * i;
            const format::Rgba shown =
                format::Colour555(static_cast<uint16_t>(bytes[at] | bytes[at + 1] << 8));
            const std::array<uint8_t, 3> got{shown.R, shown.G, shown.B};
            for (size_t k = 0; k < 3; ++k) {
                const int want = format::PaletteComponent(level.Palette8[3 * index + k]);
                ASSERT_LE(std::abs(got[k] - want), 8) << "tile " << t << " pixel " << i;
            }
            ASSERT_EQ(shown.A, index == 0 ? 0 : 255) << "tile " << t << " pixel " << i;
            transparent += index == 0 ? 1 : 0;
        }
    EXPECT_GT(transparent, 0); // the grate's holes

    Level plain = FilledLevel(2);
    const std::vector<uint8_t> zeros = Build(plain);
    plain.Tiles16 = {Tile16(3, 0x8421)}; // the first tile's first three pixels only
    const std::vector<uint8_t> given = Build(plain);
    ASSERT_EQ(given.size(), zeros.size());
    const size_t first16 = kTiles8At + 65536 * plain.Tiles.Items.size();
    for (size_t i = 0; i < given.size(); ++i)
        if (i < first16 || i >= first16 + 6)
            ASSERT_EQ(given[i], zeros[i]) << i;
        else
            EXPECT_EQ(given[i], i % 2 == first16 % 2 ? 0x21 : 0x84) << i;
}
