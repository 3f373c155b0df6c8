#pragma once
// The faces of a demo room, made from its sectors: a floor and a ceiling over every open sector, and
// walls wherever an open sector meets a solid one, the room's edge or a higher floor, each face facing
// into the room. Corners are given clockwise as seen from the face's front, top-left first, and an
// object texture's corners in the same order (its picture's top-left first), so pictures stand upright
// and unmirrored.
#include <array>
#include <cstdint>
#include <vector>

#include "tools/LevelBuilder.h"

namespace levelbuilder::demo {

inline constexpr int kSectorUnits = 1024;
inline constexpr int kStepUnits = 256; // a floor or ceiling byte counts in steps of 256 units
inline constexpr uint8_t kSolidStep = 0x81;

// The open space of one sector: y from Ceiling down to Floor (y grows downwards).
struct SectorSpace {
    bool Open = false;
    int Floor = 0, Ceiling = 0;
};
SectorSpace SpaceAt(const Room& room, int column, int row); // closed outside the sector grid

enum class Side : uint8_t { West, East, South, North };

// Room-relative corners of a quad.
using Quad = std::array<std::array<int16_t, 3>, 4>;
// The quad on the given side of sector (column, row), from y = top to y = bottom, as seen from inside
// the sector: top-left, top-right, bottom-right, bottom-left.
Quad SideQuad(int column, int row, Side side, int top, int bottom);
// The quad over the sectors [column, column + columns) x [row, row + rows) at height y, as seen from
// above (a floor, facing up) or from below (a ceiling, facing down), the picture's top to the north.
enum class Facing : uint8_t { Up, Down };
Quad FlatQuad(int column, int row, int y, Facing facing, int columns = 1, int rows = 1);

// Where a door leads on through the room's edge: the open span from Top down to Bottom on that side
// of the sector; the walls round it fill the rest of the sector's side.
struct Doorway {
    int Column = 0, Row = 0;
    Side Towards = Side::West;
    int Top = 0, Bottom = 0;
};

// Object texture numbers.
struct RoomTextures {
    std::array<int16_t, 4> Wall{}; // brick pieces 256, 512, 768 and 1024 units high
    int16_t NumberedWall = 0;      // a 1024-unit piece with the room's number
    int16_t Floor = 0, Ceiling = 0;
    std::array<int16_t, 2> FloorHalves{}; // the floor's picture cut along its diagonal, for two triangles
    int16_t FloorOpening = -1;            // a both-sided face over a sector open to the room below; -1: none
};

// Adds the faces (and their vertices) of the room's sectors. Walls are cut into pieces of at most
// 1024 units from the floor up; the lowest full piece of every other sector side shows the room's
// number. The first sector with a floor gets two triangles instead of a rectangle.
void AddRoomFaces(Room& room, const std::vector<Doorway>& doorways, const RoomTextures& textures);

// Adds a quad with its vertices; returns the rectangle's number.
int AddQuad(Room& room, const Quad& corners, int16_t texture);

} // namespace levelbuilder::demo
