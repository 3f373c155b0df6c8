#include "scene/Scene.h"

#include <gtest/gtest.h>

#include "tools/LevelBuilder.h"

namespace {

namespace lb = levelbuilder;

// A room at Xoffset 2048, Zoffset 3072 with a floor rectangle, a wall triangle and two object textures
// over one 8-bit tile.
lb::Level OneRoom() {
    lb::Level level;
    level.Tiles.Add(lb::Tile8(65536, 0));
    lb::ObjectTexture texture;
    texture.TileIndex = 0;
    // Corners (X coordinate, XPixel, Y coordinate, YPixel): (0,0) (64,0) (64,32) (0,32), the second
    // with a sub-pixel 128 across.
    texture.Vertices = {{{0, 0, 0, 0}, {128, 64, 0, 0}, {0, 64, 0, 32}, {0, 0, 0, 32}}};
    level.ObjectTextures.Add(texture);
    lb::Room room;
    room.Xoffset = 2048;
    room.Zoffset = 3072;
    room.Vertices.Add({.X = 512, .Y = -256, .Z = 1024});
    room.Vertices.Add({.X = 0, .Y = 0, .Z = 0});
    room.Vertices.Add({.X = 1024, .Y = 0, .Z = 0});
    room.Vertices.Add({.X = 1024, .Y = 0, .Z = 1024});
    room.Rectangles.Add({.Vertex = {0, 1, 2, 3}, .Texture = 0});
    room.Triangles.Add({.Vertex = {0, 1, 2}, .Texture = 0});
    level.Rooms.Add(room);
    return level;
}

struct Walked {
    LevelFile Level;
    WalkMap Map;
};

Walked Walk(const lb::Level& level) {
    Walked w{.Level = LevelFile::FromBytes(lb::Build(level)), .Map = {}};
    scene::WalkForScene(w.Level, w.Map);
    return w;
}

TEST(Scene, KnownVertexStandsAtItsWorldPositionTurnedUpright) {
    const Walked w = Walk(OneRoom());
    const scene::Scene s = scene::BuildScene(w.Map, w.Level);
    ASSERT_EQ(s.Rooms.size(), 1u);
    ASSERT_EQ(s.Triangles.size(), 3u);
    // Vertex 0 (512, -256, 1024) in a room at (2048, 3072): scene (2560, 256, -4096). It is corner 0 of
    // every triangle, since each triangle keeps the face's first corner first.
    const scene::Corner& c = s.Triangles[0].Corners[0];
    EXPECT_FLOAT_EQ(c.X, 2560.0f);
    EXPECT_FLOAT_EQ(c.Y, 256.0f);
    EXPECT_FLOAT_EQ(c.Z, -4096.0f);
    EXPECT_EQ(s.InvalidFaces, 0);
    EXPECT_EQ(s.InvalidText(), "");
}

} // namespace
