#include "scene/Scene.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "format/Fault.h"
#include "format/walk/Walker.h"
#include "fuzz/HostileLevels.h"
#include "tools/LevelBuilder.h"

namespace {

namespace lb = levelbuilder;
using scene::Triangle;
using Vec = std::array<float, 3>;

constexpr int32_t kRoomX = 2048, kRoomZ = 3072;

// Corners (X coordinate, XPixel, Y coordinate, YPixel) of an object texture.
lb::ObjectTexture Texture(int16_t tile, std::array<std::array<uint8_t, 4>, 4> corners,
                          int16_t attribute = 0) {
    lb::ObjectTexture t;
    t.Attribute = attribute;
    t.TileIndex = tile;
    t.Vertices = corners;
    return t;
}

// A level of one 8-bit tile, two object textures on it, and one room at (2048, 3072) whose vertices are
// given; the faces are added by each test.
lb::Level OneRoom(std::vector<lb::Vertex> vertices) {
    lb::Level level;
    level.Tiles.Add(lb::Tile8(65536, 0));
    // Corners (0,0) (64.5,0) (64,32) (0,32): the second corner has a sub-pixel byte of 128 across.
    level.ObjectTextures.Add(Texture(0, {{{0, 0, 0, 0}, {128, 64, 0, 0}, {0, 64, 0, 32}, {0, 0, 0, 32}}}));
    level.ObjectTextures.Add(
        Texture(0, {{{0, 128, 0, 128}, {0, 255, 0, 128}, {0, 255, 0, 255}, {0, 128, 0, 255}}}, 1));
    lb::Room room;
    room.Xoffset = kRoomX;
    room.Zoffset = kRoomZ;
    for (const lb::Vertex& v : vertices)
        room.Vertices.Add(v);
    level.Rooms.Add(room);
    return level;
}

// A floor square 1024 units across at file height y: corners clockwise seen from above (north-west,
// north-east, south-east, south-west), so its front faces up.
std::vector<lb::Vertex> FloorAt(int16_t y) {
    return {{.X = 0, .Y = y, .Z = 1024},
            {.X = 1024, .Y = y, .Z = 1024},
            {.X = 1024, .Y = y, .Z = 0},
            {.X = 0, .Y = y, .Z = 0}};
}

struct Walked {
    LevelFile Level;
    WalkMap Map;
    scene::Scene Scene;
};

Walked Walk(std::vector<uint8_t> bytes) {
    Walked w{.Level = LevelFile::FromBytes(std::move(bytes)), .Map = {}, .Scene = {}};
    scene::WalkForScene(w.Level, w.Map);
    w.Scene = scene::BuildScene(w.Map, w.Level);
    return w;
}
Walked Walk(const lb::Level& level) {
    return Walk(lb::Build(level));
}

Vec At(const scene::Corner& c) {
    return {c.X, c.Y, c.Z};
}
Vec Normal(const Triangle& t) {
    const Vec a = At(t.Corners[0]), b = At(t.Corners[1]), c = At(t.Corners[2]);
    const Vec e1{b[0] - a[0], b[1] - a[1], b[2] - a[2]}, e2{c[0] - a[0], c[1] - a[1], c[2] - a[2]};
    return {e1[1] * e2[2] - e1[2] * e2[1], e1[2] * e2[0] - e1[0] * e2[2], e1[0] * e2[1] - e1[1] * e2[0]};
}

TEST(Scene, KnownVertexStandsAtItsWorldPositionTurnedUpright) {
    lb::Level level = OneRoom({{.X = 512, .Y = -256, .Z = 1024}, {}, {.X = 1024}});
    level.Rooms.Items[0].Triangles.Add({.Vertex = {0, 1, 2}, .Texture = 0});
    const Walked w = Walk(level);
    const scene::Scene& s = w.Scene;
    ASSERT_EQ(s.Rooms.size(), 1u);
    ASSERT_EQ(s.Triangles.size(), 1u);
    EXPECT_EQ(s.Rooms[0].X, kRoomX);
    EXPECT_EQ(s.Rooms[0].Z, kRoomZ);
    EXPECT_EQ(s.Rooms[0].Vertices, 3);
    // Vertex 0 (512, -256, 1024) in a room at (2048, 3072): scene (2560, 256, -4096). Every triangle
    // keeps its face's first corner first.
    const scene::Corner& c = s.Triangles[0].Corners[0];
    EXPECT_FLOAT_EQ(c.X, 2560.0f);
    EXPECT_FLOAT_EQ(c.Y, 256.0f);
    EXPECT_FLOAT_EQ(c.Z, -4096.0f);
    EXPECT_EQ(s.InvalidFaces, 0);
    EXPECT_EQ(s.InvalidText(), "");
    // The scene's and the room's bounds hold the three corners: x 2048..3072, y 0..256, z -4096..-3072.
    for (const auto& [min, max] : {std::pair{s.Min, s.Max}, std::pair{s.Rooms[0].Min, s.Rooms[0].Max}}) {
        EXPECT_EQ(min, (Vec{2048, 0, -4096}));
        EXPECT_EQ(max, (Vec{3072, 256, -3072}));
    }
}

// The texture coordinates of each corner of a known face, in the order the scene gives its corners.
TEST(Scene, FaceCornersTakeTheirObjectTextureCornersOverTheTile) {
    lb::Level level = OneRoom(FloorAt(0));
    level.Rooms.Items[0].Rectangles.Add({.Vertex = {0, 1, 2, 3}, .Texture = 0});
    level.Rooms.Items[0].Triangles.Add({.Vertex = {3, 2, 1}, .Texture = 1});
    const Walked w = Walk(level);
    ASSERT_EQ(w.Scene.Triangles.size(), 3u);
    struct Expected {
        size_t Triangle;
        std::array<std::array<float, 2>, 3> UV; // per scene corner
    };
    // Texture 0's corners over 256: (0,0) (64.5/256, 0) (0.25, 0.125) (0, 0.125). The rectangle's
    // triangles are its corners (0, 2, 1) and (0, 3, 2); the triangle's are (0, 2, 1) of texture 1:
    // (0.5, 0.5) (255/256, 0.5) (255/256, 255/256).
    const Expected cases[] = {
        {0, {{{0, 0}, {0.25f, 0.125f}, {64.5f / 256, 0}}}},
        {1, {{{0, 0}, {0, 0.125f}, {0.25f, 0.125f}}}},
        {2, {{{0.5f, 0.5f}, {255.0f / 256, 255.0f / 256}, {255.0f / 256, 0.5f}}}},
    };
    for (const Expected& e : cases) {
        const Triangle& t = w.Scene.Triangles[e.Triangle];
        for (size_t k = 0; k < 3; ++k) {
            EXPECT_FLOAT_EQ(t.Corners[k].U, e.UV[k][0]) << e.Triangle << " corner " << k;
            EXPECT_FLOAT_EQ(t.Corners[k].V, e.UV[k][1]) << e.Triangle << " corner " << k;
        }
    }
    const Triangle& face3 = w.Scene.Triangles[2];
    EXPECT_EQ(face3.Kind, scene::FaceKind::Triangle);
    EXPECT_EQ(face3.ObjectTexture, 1);
    EXPECT_EQ(face3.Attribute, 1);
    EXPECT_EQ(face3.Tile, 0);
}

// A rectangle is split along its corners 0 and 2, and both halves turn counter-clockwise towards the
// face's front, worked out by hand for each face.
TEST(Scene, RectanglesSplitIntoTwoTrianglesCounterClockwiseSeenFromTheFront) {
    struct Case {
        const char* Name;
        std::vector<lb::Vertex> Corners; // clockwise seen from the front
        Vec Front;                       // in scene axes
    };
    const Case cases[] = {
        {"floor", FloorAt(0), {0, 1, 0}},
        // Seen from below: south-west, south-east, north-east, north-west.
        {"ceiling",
         {{.X = 0, .Y = -1024, .Z = 0},
          {.X = 1024, .Y = -1024, .Z = 0},
          {.X = 1024, .Y = -1024, .Z = 1024},
          {.X = 0, .Y = -1024, .Z = 1024}},
         {0, -1, 0}},
        // A wall facing south, seen from the south: top west, top east, bottom east, bottom west. South
        // is the file's -z, the scene's +z.
        {"south wall",
         {{.X = 0, .Y = -1024, .Z = 0},
          {.X = 1024, .Y = -1024, .Z = 0},
          {.X = 1024, .Y = 0, .Z = 0},
          {.X = 0, .Y = 0, .Z = 0}},
         {0, 0, 1}},
        // A wall facing east, seen from the east: top south, top north, bottom north, bottom south.
        {"east wall",
         {{.X = 0, .Y = -1024, .Z = 0},
          {.X = 0, .Y = -1024, .Z = 1024},
          {.X = 0, .Y = 0, .Z = 1024},
          {.X = 0, .Y = 0, .Z = 0}},
         {1, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        lb::Level level = OneRoom(c.Corners);
        level.Rooms.Items[0].Rectangles.Add({.Vertex = {0, 1, 2, 3}, .Texture = 0});
        level.Rooms.Items[0].Triangles.Add({.Vertex = {0, 1, 2}, .Texture = 0});
        const Walked w = Walk(level);
        ASSERT_EQ(w.Scene.Triangles.size(), 3u);
        for (const Triangle& t : w.Scene.Triangles) {
            const Vec n = Normal(t);
            EXPECT_GT(n[0] * c.Front[0] + n[1] * c.Front[1] + n[2] * c.Front[2], 0);
        }
        // The halves: corners {0, 1, 2} and {0, 2, 3} of the rectangle, which share its diagonal 0-2.
        const auto corner = [&](size_t k) {
            const lb::Vertex& v = c.Corners[k];
            return Vec{float(kRoomX + v.X), float(-v.Y), float(-(kRoomZ + v.Z))};
        };
        const auto holds = [&](const Triangle& t, std::array<size_t, 3> ks) {
            for (size_t k : ks)
                if (std::none_of(t.Corners.begin(), t.Corners.end(),
                                 [&](const scene::Corner& x) { return At(x) == corner(k); }))
                    return false;
            return true;
        };
        EXPECT_TRUE(holds(w.Scene.Triangles[0], {0, 1, 2}));
        EXPECT_TRUE(holds(w.Scene.Triangles[1], {0, 2, 3}));
        EXPECT_EQ(w.Scene.Triangles[1].Face, 0);
        EXPECT_EQ(w.Scene.Triangles[1].Kind, scene::FaceKind::Rectangle);
    }
}

TEST(Scene, TheTextureFieldsTopBitDrawsAFaceFromBothSides) {
    struct Case {
        uint16_t Texture;
        bool DoubleSided;
        int32_t ObjectTexture;
    };
    const Case cases[] = {{0x0000, false, 0}, {0x0001, false, 1}, {0x8000, true, 0}, {0x8001, true, 1}};
    for (const Case& c : cases) {
        lb::Level level = OneRoom(FloorAt(0));
        level.Rooms.Items[0].Rectangles.Add(
            {.Vertex = {0, 1, 2, 3}, .Texture = static_cast<int16_t>(c.Texture)});
        const Walked w = Walk(level);
        ASSERT_EQ(w.Scene.Triangles.size(), 2u);
        for (const Triangle& t : w.Scene.Triangles) {
            EXPECT_EQ(t.Has(Triangle::DoubleSided), c.DoubleSided) << c.Texture;
            EXPECT_EQ(t.ObjectTexture, c.ObjectTexture) << c.Texture;
            EXPECT_FALSE(t.Has(Triangle::Invalid)) << c.Texture;
        }
    }
}

// A face that names a vertex, object texture or tile the level does not hold is kept, flagged and
// counted; what it could not name reads as 0.
TEST(Scene, FacesWithInvalidReferencesAreFlaggedCountedAndReadNothingOutside) {
    struct Case {
        const char* Name;
        lb::Rectangle Face;
        int32_t ObjectTexture, Tile;
        bool CornerAtOrigin; // its corner 1 (scene corner 2) stands at the room's origin
    };
    const Case cases[] = {
        {"vertex past the list", {.Vertex = {0, 4, 2, 3}, .Texture = 0}, 0, 0, true},
        {"negative vertex", {.Vertex = {0, -1, 2, 3}, .Texture = 0}, 0, 0, true},
        {"object texture past the list", {.Vertex = {0, 1, 2, 3}, .Texture = 3}, -1, -1, false},
        {"tile past the count", {.Vertex = {0, 1, 2, 3}, .Texture = 2}, 2, -1, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        lb::Level level = OneRoom(FloorAt(-512));
        level.ObjectTextures.Add(Texture(1, {})); // texture 2 names tile 1 of a level of one tile
        level.Rooms.Items[0].Rectangles.Add({.Vertex = {0, 1, 2, 3}, .Texture = 0});
        level.Rooms.Items[0].Rectangles.Add(c.Face);
        const Walked w = Walk(level);
        ASSERT_EQ(w.Scene.Triangles.size(), 4u);
        EXPECT_EQ(w.Scene.InvalidFaces, 1);
        EXPECT_EQ(w.Scene.InvalidText(), "1 face with invalid references");
        EXPECT_FALSE(w.Scene.Triangles[0].Has(Triangle::Invalid));
        for (size_t i : {2u, 3u}) {
            const Triangle& t = w.Scene.Triangles[i];
            EXPECT_TRUE(t.Has(Triangle::Invalid));
            EXPECT_EQ(t.Face, 1);
            EXPECT_EQ(t.ObjectTexture, c.ObjectTexture);
            EXPECT_EQ(t.Tile, c.Tile);
        }
        const scene::Corner& second = w.Scene.Triangles[2].Corners[2];
        const Vec origin{kRoomX, 0, -kRoomZ}, vertex1{kRoomX + 1024, 512, -(kRoomZ + 1024)};
        EXPECT_EQ(At(second), c.CornerAtOrigin ? origin : vertex1);
        if (c.ObjectTexture < 0) {
            EXPECT_EQ(second.U + second.V, 0.0f);
        }
    }

    // Several at once, rectangles and triangles alike, counted by face.
    lb::Level level = OneRoom(FloorAt(0));
    level.Rooms.Items[0].Rectangles.Add({.Vertex = {0, 1, 2, 9}, .Texture = 0});
    level.Rooms.Items[0].Rectangles.Add({.Vertex = {0, 1, 2, 3}, .Texture = 0x7FFF});
    level.Rooms.Items[0].Triangles.Add({.Vertex = {0, 1, 2}, .Texture = 0});
    level.Rooms.Items[0].Triangles.Add({.Vertex = {0, 1, 200}, .Texture = 0});
    const Walked w = Walk(level);
    EXPECT_EQ(w.Scene.InvalidFaces, 3);
    EXPECT_EQ(w.Scene.InvalidText(), "3 faces with invalid references");
}

// A walk that ended inside a room's rectangles: the scene takes the records the walk recorded whole,
// though the file holds more behind them.
TEST(Scene, ACutWalkGivesOnlyTheFacesItRecorded) {
    lb::Level level = OneRoom(FloorAt(0));
    for (int i = 0; i < 40; ++i)
        level.Rooms.Items[0].Rectangles.Add({.Vertex = {0, 1, 2, 3}, .Texture = 0});
    const LevelFile file = LevelFile::FromBytes(lb::Build(level));
    // The smallest report size limit that ends the walk inside the rectangles, a few records in.
    for (size_t limit = 0; limit < 100000; limit += 8) {
        StringPane text;
        text.KeepNoText();
        DetailOptionSet options;
        options.Set(optRoomMeshes, true);
        WalkMap map;
        try {
            WalkLevel({.Text = text, .Map = map, .Options = options, .TextLimit = limit}, file,
                      format::Generation::DM2, format::kVersionWordBytes);
        } catch (const WalkFault&) {
        }
        const int32_t rectangles = map.Find(Piece::Rectangles);
        if (rectangles < 0 || !map[rectangles].Has(Span::Cut))
            continue;
        const Span& s = map[rectangles];
        const int32_t recorded = (s.End - s.First - s.CountWidth) / format::kRectangle.Size;
        if (recorded < 3)
            continue;
        ASSERT_LT(recorded, 40);
        const scene::Scene cut = scene::BuildScene(map, file);
        ASSERT_EQ(cut.Rooms.size(), 1u);
        EXPECT_EQ(cut.Rooms[0].Rectangles, recorded);
        EXPECT_EQ(cut.Triangles.size(), 2u * static_cast<size_t>(recorded));
        // The walk never came to the object textures, so every face names one the scene does not hold.
        EXPECT_EQ(cut.ObjectTextures, 0);
        EXPECT_EQ(cut.InvalidFaces, recorded);
        return;
    }
    FAIL() << "no limit ended the walk inside the rectangles";
}

// A file cut inside the rectangles: the walk reads on past its end, the scene stops at the last whole
// record the file holds.
TEST(Scene, AFileCutInsideTheFacesGivesTheWholeRecordsItHolds) {
    lb::Level level = OneRoom(FloorAt(0));
    for (int i = 0; i < 10; ++i)
        level.Rooms.Items[0].Rectangles.Add({.Vertex = {0, 1, 2, 3}, .Texture = 0});
    lb::Layout layout;
    std::vector<uint8_t> bytes = lb::Build(level, layout);
    const int32_t first = layout.Parts[0].Rectangles + 2;
    bytes.erase(bytes.begin() + first + 4 * format::kRectangle.Size + 3, bytes.end());
    const Walked w = Walk(bytes);
    ASSERT_EQ(w.Scene.Rooms.size(), 1u);
    EXPECT_EQ(w.Scene.Rooms[0].Rectangles, 4);
    EXPECT_EQ(w.Scene.Triangles.size(), 8u);
    EXPECT_EQ(w.Scene.Triangles[7].RecordAt, first + 3 * format::kRectangle.Size);
}

TEST(Scene, TilePixelsTakeTheirColoursFromThePaletteOrTheirFiveBitWords) {
    lb::Level level = OneRoom({});
    level.Palette8[5 * 3 + 0] = 63; // 63 x 4 = 252
    level.Palette8[5 * 3 + 1] = 32;
    level.Palette8[5 * 3 + 2] = 1;
    level.Tiles.Items[0][3 * 256 + 10] = 5;
    level.Tiles.Add(lb::Tile8(65536, 0));
    std::vector<uint8_t> bytes = lb::Build(level);
    // The builder writes the 16-bit tiles as zeros: the word of tile 1's pixel (7, 200) is set here.
    // Red 31, green 16, blue 1 with the alpha bit: 255, (16 x 255 + 15) / 31 = 132, (255 + 15) / 31 = 8.
    const size_t tiles16 = format::kTileCountAt + 4 + 2 * format::kTile8Bytes;
    const size_t word = tiles16 + format::kTile16Bytes + (200 * 256 + 7) * 2;
    // The word 1 11111 10000 00001 is 0xFE01, low byte first.
    bytes[word] = 0x01;
    bytes[word + 1] = 0xFE;
    const Walked w = Walk(bytes);
    EXPECT_EQ(w.Scene.TileCount, 2);

    const auto tile0 = scene::TilePixels(w.Map, w.Level, 0, scene::TileDepth::Bits8);
    ASSERT_EQ(tile0.size(), 65536u);
    EXPECT_EQ(tile0[3 * 256 + 10], (format::Rgba{.R = 252, .G = 128, .B = 4, .A = 255}));
    EXPECT_EQ(tile0[0].A, 0); // index 0 is transparent
    const auto wide = scene::TilePixels(w.Map, w.Level, 1, scene::TileDepth::Bits16);
    ASSERT_EQ(wide.size(), 65536u);
    EXPECT_EQ(wide[200 * 256 + 7], (format::Rgba{.R = 255, .G = 132, .B = 8, .A = 255}));
    EXPECT_EQ(wide[0], (format::Rgba{}));
    for (int32_t past : {-1, 2, 40000}) {
        EXPECT_TRUE(scene::TilePixels(w.Map, w.Level, past, scene::TileDepth::Bits8).empty()) << past;
        EXPECT_TRUE(scene::TilePixels(w.Map, w.Level, past, scene::TileDepth::Bits16).empty()) << past;
    }

    // A file that ends inside the 16-bit tiles holds the 8-bit ones whole, and no 16-bit tile.
    bytes.resize(tiles16 + 1000);
    const Walked cut = Walk(bytes);
    EXPECT_EQ(scene::TilePixels(cut.Map, cut.Level, 1, scene::TileDepth::Bits8).size(), 65536u);
    EXPECT_TRUE(scene::TilePixels(cut.Map, cut.Level, 0, scene::TileDepth::Bits16).empty());
}

// Two floors of one room, one above the other, and a one-sided and a both-sided ceiling in another.
TEST(Scene, PickMeetsTheNearestFaceFromItsFrontOnly) {
    lb::Level level = OneRoom(FloorAt(0));
    lb::Room& lower = level.Rooms.Items[0];
    for (const lb::Vertex& v : FloorAt(-1024))
        lower.Vertices.Add(v);
    lower.Rectangles.Add({.Vertex = {0, 1, 2, 3}, .Texture = 0});
    lower.Rectangles.Add({.Vertex = {4, 5, 6, 7}, .Texture = 0});
    lb::Room other;
    other.Xoffset = 8192;
    other.Zoffset = 0;
    for (const lb::Vertex& v : FloorAt(0))
        other.Vertices.Add(v);
    other.Rectangles.Add({.Vertex = {0, 1, 2, 3}, .Texture = static_cast<int16_t>(0x8000)});
    level.Rooms.Add(other);
    const Walked w = Walk(level);
    ASSERT_EQ(w.Scene.Triangles.size(), 6u);

    const Vec down{0, -1, 0}, up{0, 1, 0};
    const Vec overRoom0{kRoomX + 300, 5000, -(kRoomZ + 700)},
        underRoom0{kRoomX + 300, -5000, -(kRoomZ + 700)};
    struct Case {
        const char* Name;
        Vec Origin, Direction;
        std::vector<int32_t> Rooms;
        int32_t Room, Face; // -1: no hit
        float Distance;
    };
    const Case cases[] = {
        {"from above: the upper floor", overRoom0, down, {}, 0, 1, 5000 - 1024},
        {"from below: both floors face away", underRoom0, up, {}, -1, -1, 0},
        {"from above, only the other room", overRoom0, down, {1}, -1, -1, 0},
        {"both-sided, from above", {8192 + 100, 5000, -100}, down, {}, 1, 0, 5000},
        {"both-sided, from below", {8192 + 100, -5000, -100}, up, {}, 1, 0, 5000},
        {"beside every face", {-9000, 5000, 0}, down, {}, -1, -1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        const scene::Hit hit = scene::Pick(w.Scene, {.Origin = c.Origin, .Direction = c.Direction}, c.Rooms);
        if (c.Room < 0) {
            EXPECT_FALSE(hit.Valid());
            continue;
        }
        ASSERT_TRUE(hit.Valid());
        const Triangle& t = w.Scene.Triangles[static_cast<size_t>(hit.Triangle)];
        EXPECT_EQ(t.Room, c.Room);
        EXPECT_EQ(t.Face, c.Face);
        EXPECT_FLOAT_EQ(hit.Distance, c.Distance);
    }
}

TEST(Scene, PickPassesInvalidFacesWhenAskedTo) {
    lb::Level level = OneRoom(FloorAt(0));
    for (const lb::Vertex& v : FloorAt(-1024))
        level.Rooms.Items[0].Vertices.Add(v);
    level.Rooms.Items[0].Rectangles.Add({.Vertex = {0, 1, 2, 3}, .Texture = 0});
    level.Rooms.Items[0].Rectangles.Add({.Vertex = {4, 5, 6, 7}, .Texture = 99});
    const Walked w = Walk(level);
    const scene::Ray ray{.Origin = {kRoomX + 300, 5000, -(kRoomZ + 700)}, .Direction = {0, -1, 0}};
    const scene::Hit any = scene::Pick(w.Scene, ray), valid = scene::Pick(w.Scene, ray, {}, false);
    ASSERT_TRUE(any.Valid() && valid.Valid());
    EXPECT_EQ(w.Scene.Triangles[static_cast<size_t>(any.Triangle)].Face, 1);
    EXPECT_EQ(w.Scene.Triangles[static_cast<size_t>(valid.Triangle)].Face, 0);
}

TEST(Scene, DoorsBecomePortalsAndRecordsWithPlacesBecomeMarkers) {
    lb::Level level = OneRoom(FloorAt(0));
    lb::Door door;
    door.AdjoiningRoom = 1;
    door.Normal = {-1, 0, 0};
    door.Vertices = {{{1024, -1024, 0}, {1024, -1024, 1024}, {1024, 0, 1024}, {1024, 0, 0}}};
    level.Rooms.Items[0].Doors.Add(door);
    level.Rooms.Items[0].Doors.Add(door); // a second door to the same room
    level.Rooms.Items[0].Lights.Add({.X = 2500, .Y = -300, .Z = 3500});
    level.Rooms.Items[0].StaticMeshes.Add({.X = 2600, .Y = 0, .Z = 3600});
    lb::Room next;
    next.Xoffset = 3072;
    next.Zoffset = 3072;
    level.Rooms.Add(next);
    level.Items.Add({.ObjectID = 1, .Room = 1, .X = 3500, .Y = -100, .Z = 3300});
    level.Items.Add({.ObjectID = 2, .Room = 7, .X = 1, .Y = 2, .Z = 3});
    level.Cameras.Add({.X = 2100, .Y = -2000, .Z = 3100, .Room = 0});
    lb::Layout layout;
    const Walked w = Walk(lb::Build(level, layout));
    const scene::Scene& s = w.Scene;

    ASSERT_EQ(s.Portals.size(), 2u);
    const scene::Portal& p = s.Portals[1];
    EXPECT_EQ(p.Room, 0);
    EXPECT_EQ(p.Index, 1);
    EXPECT_EQ(p.Adjoining, 1);
    EXPECT_EQ(p.RecordAt, layout.Parts[0].Doors + 2 + format::kDoor.Size);
    // Door corners stand relative to the room, like its vertices.
    EXPECT_EQ(p.Corners[1], (Vec{kRoomX + 1024, 1024, -(kRoomZ + 1024)}));
    EXPECT_EQ(p.Normal, (Vec{-1, 0, 0}));
    EXPECT_EQ(s.Rooms[0].Neighbours, std::vector<int32_t>{1});
    EXPECT_TRUE(s.Rooms[1].Neighbours.empty());

    struct Expected {
        scene::MarkerKind Kind;
        Vec Position;
        int32_t Room, Index, RecordAt;
    };
    const Expected expected[] = {
        {scene::MarkerKind::Light, {2500, 300, -3500}, 0, 0, layout.Parts[0].Lights + 2},
        {scene::MarkerKind::StaticMesh, {2600, 0, -3600}, 0, 0, layout.Parts[0].StaticMeshes + 2},
        {scene::MarkerKind::Item, {3500, 100, -3300}, 1, 0, layout.Items + 4},
        {scene::MarkerKind::Item, {1, -2, -3}, -1, 1, layout.Items + 4 + format::kItem.Size},
        {scene::MarkerKind::Camera, {2100, 2000, -3100}, 0, 0, layout.Cameras + 4},
    };
    ASSERT_EQ(s.Markers.size(), std::size(expected));
    for (size_t i = 0; i < s.Markers.size(); ++i) {
        const scene::Marker& m = s.Markers[i];
        EXPECT_EQ(m.Kind, expected[i].Kind) << i;
        EXPECT_EQ(m.Position, expected[i].Position) << i;
        EXPECT_EQ(m.Room, expected[i].Room) << i;
        EXPECT_EQ(m.Index, expected[i].Index) << i;
        EXPECT_EQ(m.RecordAt, expected[i].RecordAt) << i;
    }
}

// A report walk without the Room Meshes section has no spans for the faces: the scene says so, and its
// own walk has them.
TEST(Scene, OnlyAWalkThatListedTheMeshesHoldsTheFaces) {
    lb::Level level = OneRoom(FloorAt(0));
    level.Rooms.Items[0].Rectangles.Add({.Vertex = {0, 1, 2, 3}, .Texture = 0});
    const LevelFile file = LevelFile::FromBytes(lb::Build(level));
    for (const bool meshes : {false, true}) {
        StringPane text;
        text.KeepNoText();
        DetailOptionSet options;
        SetAllDetails(options, true);
        options.Set(optRoomMeshes, meshes);
        WalkMap map;
        WalkLevel({.Text = text, .Map = map, .Options = options}, file, format::Generation::DM2,
                  format::kVersionWordBytes);
        EXPECT_EQ(scene::HoldsRoomMeshes(map), meshes);
        EXPECT_EQ(scene::BuildScene(map, file).Triangles.size(), meshes ? 2u : 0u);
    }
    WalkMap empty;
    EXPECT_TRUE(scene::HoldsRoomMeshes(empty));
}

// Room by room, as the exporters build, gives the triangles the whole scene holds; a scene of chosen
// rooms holds those rooms alone.
TEST(Scene, RoomByRoomAndChosenRoomsGiveTheWholeScenesTriangles) {
    lb::Level level = lb::ValidLevel(2);
    ASSERT_GE(level.Rooms.Items.size(), 2u);
    const Walked w = Walk(level);
    ASSERT_GT(w.Scene.Triangles.size(), 0u);
    const scene::SceneLevel prepared = scene::PrepareScene(w.Map, w.Level);
    const auto same = [](const Triangle& a, const Triangle& b) {
        return std::memcmp(&a.Corners, &b.Corners, sizeof a.Corners) == 0 && a.Room == b.Room &&
               a.Face == b.Face && a.RecordAt == b.RecordAt && a.ObjectTexture == b.ObjectTexture &&
               a.Tile == b.Tile && a.Kind == b.Kind && a.Flags == b.Flags;
    };
    for (size_t r = 0; r < w.Scene.Rooms.size(); ++r) {
        std::vector<Triangle> room;
        scene::BuildRoom(prepared, static_cast<int32_t>(r), room);
        const scene::SceneRoom& whole = w.Scene.Rooms[r];
        ASSERT_EQ(room.size(), static_cast<size_t>(whole.Triangles));
        for (size_t i = 0; i < room.size(); ++i)
            EXPECT_TRUE(same(room[i], w.Scene.Triangles[static_cast<size_t>(whole.FirstTriangle) + i]));
    }

    const int32_t last = w.Scene.Rooms.back().Number;
    const scene::Scene chosen = scene::BuildScene(w.Map, w.Level, {.Rooms = {last}});
    ASSERT_EQ(chosen.Rooms.size(), 1u);
    EXPECT_EQ(chosen.IndexOfRoom(last), 0);
    EXPECT_EQ(chosen.IndexOfRoom(0), last == 0 ? 0 : -1);
    EXPECT_EQ(chosen.Triangles.size(), static_cast<size_t>(w.Scene.Rooms.back().Triangles));
    for (const Triangle& t : chosen.Triangles)
        EXPECT_EQ(t.Room, 0);
}

// hostile::RoomLoopLevel with faces: one room of one vertex and two rectangles whose sector grid of -1 x 10
// sectors steps back to the room's first byte (34 + 12 + 2 x 10 bytes up to the sectors, and the room's
// last 14 bytes read from the zeros in front of it), walked again for each of the 4000 rooms the count
// asks for: 16,000 triangles from a file of 2 KB unless the scene takes the bytes once.
std::vector<uint8_t> FaceLoopLevel() {
    lb::Level level;
    lb::Room room;
    room.Vertices.Add({.X = 1, .Y = 2, .Z = 3});
    room.Rectangles.Add({.Vertex = {0, 0, 0, 0}, .Texture = 0});
    room.Rectangles.Add({.Vertex = {0, 0, 0, 0}, .Texture = 0});
    room.ZSectors = -1;
    room.XSectors = (34 + 12 + 2 * 10 + 14) / 8;
    level.Rooms.Add(room);
    level.Rooms.Count = 4000;
    lb::Layout layout;
    std::vector<uint8_t> bytes = lb::Build(level, layout);
    bytes.resize(static_cast<size_t>(layout.FloorData));
    return bytes;
}

// Levels made to go round the same bytes or past the file's end: the scene is built from what the
// bytes hold, without reading outside them (the sanitizer build checks), and nothing fails.
TEST(Scene, HostileLevelsBuildWithinTheirBytes) {
    const std::vector<uint8_t> levels[] = {
        FaceLoopLevel(), hostile::RoomLoopLevel(300, 200), hostile::RoomsPastTheEndLevel(3), {0x2D, 0, 0}, {},
    };
    for (const std::vector<uint8_t>& bytes : levels) {
        const Walked w = Walk(bytes);
        for (int32_t tile = 0; tile < std::min(w.Scene.TileCount, 2); ++tile)
            scene::TilePixels(w.Map, w.Level, tile, scene::TileDepth::Bits16);
        scene::Pick(w.Scene, {.Origin = {0, 100000, 0}, .Direction = {0.001f, -1, 0.001f}});
        // A rectangle's 10 bytes give two triangles, a marker's record takes at least 16 bytes.
        EXPECT_LE(w.Scene.Triangles.size() * 5, bytes.size()) << bytes.size();
        EXPECT_LE(w.Scene.Rooms.size(), 32767u);
        EXPECT_LE(w.Scene.Markers.size() * 16, bytes.size()) << bytes.size();
    }
}

} // namespace
