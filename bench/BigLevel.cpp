#include "bench/BigLevel.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <map>
#include <vector>

using namespace levelbuilder;

namespace {

constexpr int kSectors = 20;      // a room's side in sectors, as its sector grid
constexpr int16_t kSector = 1024; // a sector's side in file units
constexpr int kStoreys = 4;       // walls and pillars four sectors high

using Point = std::array<int, 3>; // file coordinates relative to the room, y growing downwards

// A room's mesh as rooms are built: a 20 x 20 floor (250 squares, 150 more split into two triangles
// each), a ceiling above it four sectors up, walls around it, four pillars of 2 x 2 sectors and a
// banner of two squares seen from both sides. Every face fronts into the room. 1,100 rectangles, 300
// triangles and 1,224 vertices, the vertex list filled up to 1,300 with unused ones.
class RoomMesh {
  public:
    explicit RoomMesh(Room& room, int16_t texture) : room_(room), texture_(texture) {
        room_.Vertices.Items.clear();
        room_.Rectangles.Items.clear();
        room_.Triangles.Items.clear();
        const int top = -kStoreys * kSector;
        for (int x = 0; x < kSectors; ++x)
            for (int z = 0; z < kSectors; ++z) {
                const Point a = At(x, 0, z), b = At(x + 1, 0, z), c = At(x + 1, 0, z + 1),
                            d = At(x, 0, z + 1);
                if ((x * kSectors + z) % 8 < 3) {
                    Face({a, b, c}, {0, -1, 0});
                    Face({a, c, d}, {0, -1, 0});
                } else {
                    Face({a, b, c, d}, {0, -1, 0});
                }
                Face({At(x, 0, z, top), At(x + 1, 0, z, top), At(x + 1, 0, z + 1, top), At(x, 0, z + 1, top)},
                     {0, 1, 0});
            }
        // The walls, each facing the middle of the room.
        for (int i = 0; i < kSectors; ++i)
            for (int storey = 0; storey < kStoreys; ++storey) {
                Wall(At(0, 0, i), At(0, 0, i + 1), storey, {1, 0, 0});
                Wall(At(kSectors, 0, i), At(kSectors, 0, i + 1), storey, {-1, 0, 0});
                Wall(At(i, 0, 0), At(i + 1, 0, 0), storey, {0, 0, 1});
                Wall(At(i, 0, kSectors), At(i + 1, 0, kSectors), storey, {0, 0, -1});
            }
        // Pillars, each side facing away from the pillar.
        for (const auto& [px, pz] : {std::pair{4, 4}, std::pair{14, 4}, std::pair{4, 14}, std::pair{14, 14}})
            for (int i = 0; i < 2; ++i)
                for (int storey = 0; storey < kStoreys; ++storey) {
                    Wall(At(px, 0, pz + i), At(px, 0, pz + i + 1), storey, {-1, 0, 0});
                    Wall(At(px + 2, 0, pz + i), At(px + 2, 0, pz + i + 1), storey, {1, 0, 0});
                    Wall(At(px + i, 0, pz), At(px + i + 1, 0, pz), storey, {0, 0, -1});
                    Wall(At(px + i, 0, pz + 2), At(px + i + 1, 0, pz + 2), storey, {0, 0, 1});
                }
        // A banner across the middle, two sectors wide, hanging from two sectors below the ceiling.
        texture_ = static_cast<int16_t>(texture_ | 0x8000);
        for (int i = 9; i < 11; ++i)
            Face({At(i, -3 * kSector, 10), At(i + 1, -3 * kSector, 10), At(i + 1, -kSector, 10),
                  At(i, -kSector, 10)},
                 {0, 0, 1});
        while (room_.Vertices.Items.size() < 1300)
            room_.Vertices.Add(room_.Vertices.Items.back());
    }

  private:
    static Point At(int x, int y, int z, int dy = 0) { return {x * kSector, y + dy, z * kSector}; }

    int16_t Index(const Point& p) {
        const auto [at, fresh] = indices_.emplace(p, static_cast<int16_t>(room_.Vertices.Items.size()));
        if (fresh)
            room_.Vertices.Add(
                {static_cast<int16_t>(p[0]), static_cast<int16_t>(p[1]), static_cast<int16_t>(p[2]), {}});
        return at->second;
    }

    // One storey of wall between the floor points a and b.
    void Wall(Point a, Point b, int storey, Point facing) {
        const int low = -storey * kSector, high = low - kSector;
        Face({{a[0], low, a[2]}, {b[0], low, b[2]}, {b[0], high, b[2]}, {a[0], high, a[2]}}, facing);
    }

    // A rectangle (four corners) or triangle (three), its corners turned so that it fronts towards
    // facing: clockwise seen from there, as the file gives them.
    void Face(std::vector<Point> corners, Point facing) {
        const auto less = [](const Point& p, const Point& q) {
            return Point{p[0] - q[0], p[1] - q[1], p[2] - q[2]};
        };
        const Point u = less(corners[1], corners[0]), v = less(corners[2], corners[0]);
        const long long normal[3] = {1LL * u[1] * v[2] - 1LL * u[2] * v[1],
                                     1LL * u[2] * v[0] - 1LL * u[0] * v[2],
                                     1LL * u[0] * v[1] - 1LL * u[1] * v[0]};
        if (normal[0] * facing[0] + normal[1] * facing[1] + normal[2] * facing[2] > 0)
            std::reverse(corners.begin() + 1, corners.end());
        if (corners.size() == 4)
            room_.Rectangles.Add(
                {{Index(corners[0]), Index(corners[1]), Index(corners[2]), Index(corners[3])}, texture_});
        else
            room_.Triangles.Add({{Index(corners[0]), Index(corners[1]), Index(corners[2])}, texture_});
    }

    Room& room_;
    int16_t texture_;
    std::map<Point, int16_t> indices_;
};

} // namespace

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
        // Twenty rooms side by side, fifteen rows of them.
        room.Xoffset = (r % 20) * kSectors * kSector;
        room.Zoffset = (r / 20) * kSectors * kSector;
        RoomMesh(room, static_cast<int16_t>(r));
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
