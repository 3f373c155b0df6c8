#include "tools/DemoGeometry.h"

#include <algorithm>

namespace levelbuilder::demo {
namespace {

int16_t S16(int v) {
    return static_cast<int16_t>(v);
}

int16_t VertexOf(Room& room, const std::array<int16_t, 3>& at) {
    auto& list = room.Vertices.Items;
    const auto found = std::find_if(list.begin(), list.end(), [&](const Vertex& v) {
        return v.X == at[0] && v.Y == at[1] && v.Z == at[2];
    });
    if (found != list.end())
        return S16(static_cast<int>(found - list.begin()));
    room.Vertices.Add({at[0], at[1], at[2], {}});
    return S16(static_cast<int>(list.size()) - 1);
}

const Doorway* DoorwayAt(const std::vector<Doorway>& doorways, int column, int row, Side side) {
    for (const Doorway& d : doorways)
        if (d.Column == column && d.Row == row && d.Towards == side)
            return &d;
    return nullptr;
}

// A wall on one side of a sector from top down to bottom, in pieces of at most 1024 units from the
// bottom up, each piece showing as much of the brick picture as it is high.
enum class Plaque : uint8_t { None, Number };
void AddWall(Room& room, int column, int row, Side side, int top, int bottom, const RoomTextures& textures,
             Plaque plaque) {
    for (int b = bottom; b > top;) {
        const int t = std::max(top, b - kSectorUnits);
        const int quarters = std::clamp((b - t + kStepUnits - 1) / kStepUnits, 1, 4);
        const bool number = plaque == Plaque::Number && b == bottom && quarters == 4;
        AddQuad(room, SideQuad(column, row, side, t, b),
                number ? textures.NumberedWall : textures.Wall[static_cast<size_t>(quarters - 1)]);
        b = t;
    }
}

} // namespace

SectorSpace SpaceAt(const Room& room, int column, int row) {
    if (column < 0 || row < 0 || column >= room.XSectors || row >= room.ZSectors)
        return {};
    const size_t at = static_cast<size_t>(column * room.ZSectors + row); // x outer, z inner
    if (at >= room.Sectors.size())
        return {};
    const Sector& s = room.Sectors[at];
    const int floor = static_cast<int8_t>(s.Floor) * kStepUnits;
    const int ceiling = static_cast<int8_t>(s.Ceiling) * kStepUnits;
    const bool solid = s.Floor == kSolidStep || s.Ceiling == kSolidStep || floor <= ceiling;
    return {.Open = !solid, .Floor = floor, .Ceiling = ceiling};
}

Quad SideQuad(int column, int row, Side side, int top, int bottom) {
    const int x0 = column * kSectorUnits, x1 = x0 + kSectorUnits;
    const int z0 = row * kSectorUnits, z1 = z0 + kSectorUnits;
    // The two ends of the side, left and right as seen from inside the sector.
    int lx = x0, lz = z0, rx = x0, rz = z1; // the west side: looking west, north is on the right
    switch (side) {
    case Side::West:
        break;
    case Side::East:
        lx = rx = x1;
        lz = z1;
        rz = z0;
        break;
    case Side::South:
        lx = x1;
        rx = x0;
        lz = rz = z0;
        break;
    case Side::North:
        lx = x0;
        rx = x1;
        lz = rz = z1;
        break;
    }
    return {{{S16(lx), S16(top), S16(lz)},
             {S16(rx), S16(top), S16(rz)},
             {S16(rx), S16(bottom), S16(rz)},
             {S16(lx), S16(bottom), S16(lz)}}};
}

Quad FlatQuad(int column, int row, int y, Facing facing, int columns, int rows) {
    const int x0 = column * kSectorUnits, x1 = x0 + columns * kSectorUnits;
    const int z0 = row * kSectorUnits, z1 = z0 + rows * kSectorUnits;
    // Seen from above east is on the right; seen from below, west.
    const bool up = facing == Facing::Up;
    const int left = up ? x0 : x1, right = up ? x1 : x0;
    return {{{S16(left), S16(y), S16(z1)},
             {S16(right), S16(y), S16(z1)},
             {S16(right), S16(y), S16(z0)},
             {S16(left), S16(y), S16(z0)}}};
}

int AddQuad(Room& room, const Quad& corners, int16_t texture) {
    Rectangle face;
    for (size_t k = 0; k < 4; ++k)
        face.Vertex[k] = VertexOf(room, corners[k]);
    face.Texture = texture;
    room.Rectangles.Add(face);
    return static_cast<int>(room.Rectangles.Items.size()) - 1;
}

void AddRoomFaces(Room& room, const std::vector<Doorway>& doorways, const RoomTextures& textures) {
    bool halved = false;
    for (int column = 0; column < room.XSectors; ++column)
        for (int row = 0; row < room.ZSectors; ++row) {
            const SectorSpace here = SpaceAt(room, column, row);
            if (!here.Open)
                continue;
            const Sector& sector = room.Sectors[static_cast<size_t>(column * room.ZSectors + row)];
            const Quad floor = FlatQuad(column, row, here.Floor, Facing::Up);
            if (sector.RoomBelow != 255) {
                if (textures.FloorOpening >= 0)
                    AddQuad(room, floor, S16(textures.FloorOpening | 0x8000));
            } else if (!halved) {
                // The floor's corners cut along the diagonal from the top-left corner.
                std::array<int16_t, 4> v{};
                for (size_t k = 0; k < 4; ++k)
                    v[k] = VertexOf(room, floor[k]);
                room.Triangles.Add({{v[0], v[1], v[2]}, textures.FloorHalves[0]});
                room.Triangles.Add({{v[0], v[2], v[3]}, textures.FloorHalves[1]});
                halved = true;
            } else {
                AddQuad(room, floor, textures.Floor);
            }
            if (sector.RoomAbove == 255)
                AddQuad(room, FlatQuad(column, row, here.Ceiling, Facing::Down), textures.Ceiling);

            for (const Side side : {Side::West, Side::East, Side::South, Side::North}) {
                const int dx = side == Side::West ? -1 : side == Side::East ? 1 : 0;
                const int dz = side == Side::South ? -1 : side == Side::North ? 1 : 0;
                const SectorSpace next = SpaceAt(room, column + dx, row + dz);
                if (next.Open) { // a step up, or a lower ceiling, seen from this side
                    if (next.Floor < here.Floor)
                        AddWall(room, column, row, side, next.Floor, here.Floor, textures, Plaque::None);
                    if (next.Ceiling > here.Ceiling)
                        AddWall(room, column, row, side, here.Ceiling, next.Ceiling, textures, Plaque::None);
                } else if (const Doorway* door = DoorwayAt(doorways, column, row, side)) {
                    if (here.Ceiling < door->Top)
                        AddWall(room, column, row, side, here.Ceiling, door->Top, textures, Plaque::None);
                    if (door->Bottom < here.Floor)
                        AddWall(room, column, row, side, door->Bottom, here.Floor, textures, Plaque::None);
                } else {
                    const int along = dx != 0 ? row : column;
                    AddWall(room, column, row, side, here.Ceiling, here.Floor, textures,
                            along % 2 == 1 ? Plaque::Number : Plaque::None);
                }
            }
        }
}

} // namespace levelbuilder::demo
