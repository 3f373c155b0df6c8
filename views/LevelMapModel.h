#pragma once
// The level map's model: the rooms of the last walk as boxes in one world, read from the walk map's
// room spans and the level bytes behind them. No painting here, so every question the map answers
// (which room and sector lie under a point, what a tooltip says, which line a click selects) can be
// asked without a screen.
//
// World axes: x to the east, z to the north, y downwards (a smaller y is higher). A sector is 1024
// units square; its Floor and Ceiling bytes are signed steps of 256 units of y, and a step of 0x81
// (-127, far below any floor a room can hold) marks a solid sector.
//
// Nothing is allocated by a count from the file: rooms come from the spans the walk recorded, and
// each list (sectors, doors, lights, static meshes) is read from the bytes behind its count field,
// bounded by the part's byte range and the file's size.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "format/LevelFile.h"
#include "format/WalkMap.h"

struct MapSector {
    int16_t FDIndex = 0, BoxIndex = 0;
    uint8_t RoomBelow = format::kNoRoom, Floor = 0, RoomAbove = format::kNoRoom, Ceiling = 0;

    static constexpr uint8_t kSolidStep = 0x81;
    static constexpr int32_t kStepUnits = 256;
    int32_t FloorY() const { return static_cast<int8_t>(Floor) * kStepUnits; }
    int32_t CeilingY() const { return static_cast<int8_t>(Ceiling) * kStepUnits; }
    // A wall: a floor or ceiling byte of 0x81, or no room between the floor and the ceiling.
    bool Solid() const { return Floor == kSolidStep || Ceiling == kSolidStep || FloorY() <= CeilingY(); }
};

struct MapRoom {
    int32_t Number = -1;           // the room's number in the walk
    int32_t Span = -1;             // its span in the walk map
    int32_t HeaderAt = -1;         // first byte of its header
    int64_t X = 0, Z = 0;          // world position of the sector grid's corner (Xoffset, Zoffset)
    int32_t YTop = 0, YBottom = 0; // the room's height band, YTop <= YBottom
    int32_t Columns = 0, Rows = 0; // X and Z sectors
    int32_t SectorsAt = -1;        // first sector record
    int32_t SectorRun = -1;        // the listed run of its sectors, -1 when the sectors were not listed
    int32_t DoorsAt = -1, Doors = 0, DoorRun = -1;
    int32_t LightsAt = -1, Lights = 0;
    int32_t MeshesAt = -1, Meshes = 0;
    int16_t Alternate = -1;   // the room's alternate room field
    bool IsAlternate = false; // another room names this one as its alternate

    int64_t Right() const { return X + int64_t{Columns} * format::kSectorUnits; }
    int64_t Far() const { return Z + int64_t{Rows} * format::kSectorUnits; }
    bool Holds(double x, double z) const { return x >= X && x < Right() && z >= Z && z < Far(); }
};

// A door seen from above: its four corners in world x and z (a vertical door is a line).
struct MapDoor {
    int32_t At = -1; // its record
    int32_t Room = -1, Index = -1;
    int16_t Adjoining = -1;
    std::array<std::array<double, 2>, 4> Corners{};
};

// A light or a static mesh.
struct MapMark {
    int32_t At = -1;
    double X = 0, Z = 0;
    int32_t Y = 0;
};

// Why a room the walk met is not on the map.
enum class SkipReason : uint8_t {
    PastEnd,
    WalkEnded,
    GridTooLarge,
    GridCut,
    EmptyGrid,
    OffWorld,
    OverBudget
};
inline constexpr int kSkipReasons = 7;

struct SkippedRoom {
    int32_t Number = -1;
    SkipReason Why = SkipReason::PastEnd;
    std::string Reason;
};

// What lies under a point: the room (index into Rooms()), the sector's column and row, or a door.
struct MapHit {
    int32_t Room = -1;
    int32_t Column = -1, Row = -1;
    MapDoor Door; // Door.At >= 0 when a door was hit
    bool Valid() const { return Room >= 0; }
};

// What a click selects: a report line, or (where no line lists the record) a byte.
struct MapTarget {
    int32_t Line = -1;
    int64_t Offset = -1;
};

// The height band a map shows: rooms whose band meets it are drawn.
struct HeightBand {
    int64_t Top = INT32_MIN, Bottom = INT32_MAX;
};

class LevelMapModel {
  public:
    // The world beyond which a room's corner is taken for damage and the room left out.
    static constexpr int64_t kWorldLimit = int64_t{1} << 26;
    // At most this many doors, lights and static meshes of one room are read.
    static constexpr int32_t kMarksPerRoom = 1024;
    // Sectors the map holds at most, over all rooms: a damaged walk that steps back can go over the same
    // bytes many times, and each room's grid becomes an image.
    static constexpr int64_t kSectorBudget = int64_t{1} << 22;

    void Build(const WalkMap& map, const LevelFile* level);
    void Clear();

    const std::vector<MapRoom>& Rooms() const { return rooms_; }
    // Index into Rooms() of room number n, -1 when the map does not hold it.
    int32_t IndexOfRoom(int32_t number) const;
    // Room indices from the lowest room to the highest, alternate rooms first: the order they are drawn in.
    const std::vector<int32_t>& DrawOrder() const { return order_; }
    const std::vector<SkippedRoom>& Skipped() const { return skipped_; }

    MapSector Sector(const MapRoom& room, int32_t column, int32_t row) const;
    // Only the Floor and Ceiling bytes, all that a sector's shade needs.
    MapSector Heights(const MapRoom& room, int32_t column, int32_t row) const;
    int32_t SectorOffset(const MapRoom& room, int32_t column, int32_t row) const;
    MapDoor Door(int32_t roomIndex, int32_t i) const;
    MapMark Light(const MapRoom& room, int32_t i) const;
    MapMark Mesh(const MapRoom& room, int32_t i) const;

    // The level's y range: the highest room top and the lowest room bottom; and the floors' range.
    int64_t TopY() const { return topY_; }
    int64_t BottomY() const { return bottomY_; }
    int32_t HighestFloorY() const { return highestFloor_; }
    int32_t LowestFloorY() const { return lowestFloor_; }
    // World bounds of the rooms: x from MinX to MaxX, z from MinZ to MaxZ.
    double MinX() const { return minX_; }
    double MaxX() const { return maxX_; }
    double MinZ() const { return minZ_; }
    double MaxZ() const { return maxZ_; }

    static bool Shown(const MapRoom& room, const HeightBand& band);
    // The top room shown under a world point (an alternate room only where no other room is), and its sector;
    // with a tolerance in world units, a door of a shown room within it. A raised room (an index, drawn
    // over all others) is on top wherever it lies.
    MapHit Pick(double x, double z, const HeightBand& band, double doorTolerance = -1,
                int32_t raised = -1) const;
    // The room a door leads to, as an index into Rooms(); -1 when the map does not hold it.
    int32_t RoomOfDoor(const MapDoor& door) const { return IndexOfRoom(door.Adjoining); }
    // The room index that holds a span (a room, its part, or a run inside it); -1 for none.
    int32_t RoomOfSpan(int32_t span) const;

    // The tooltip: room, sector column and row, floor and ceiling, rooms below and above.
    std::string Describe(const MapHit& hit) const;
    // The line (or byte) a click on the hit selects: the door's record, the sector's record, else the room.
    MapTarget TargetOf(const MapHit& hit) const;
    MapTarget TargetOfRoom(int32_t roomIndex) const;
    // What the map drew and left out, and how the walk ended.
    std::string Status() const;

  private:
    int32_t ReadRoom(int32_t span, SkippedRoom& skipped);
    template <class Skip> int32_t SkipGrid(const Span& s, int32_t rows, int32_t columns, Skip& skip) const;
    int64_t Usable(int32_t first, int32_t end) const; // bytes of [first, end) inside the file

    const WalkMap* map_ = nullptr;
    const LevelFile* level_ = nullptr;
    std::vector<MapRoom> rooms_;
    std::vector<int32_t> byNumber_;
    std::vector<int32_t> order_;
    std::vector<SkippedRoom> skipped_;
    int32_t skippedCount_ = 0;
    std::array<int32_t, kSkipReasons> skippedBy_{};
    int64_t sectorsHeld_ = 0;
    int32_t walkedRooms_ = 0, declaredRooms_ = 0;
    int64_t topY_ = 0, bottomY_ = 0;
    int32_t highestFloor_ = 0, lowestFloor_ = 0;
    double minX_ = 0, maxX_ = 0, minZ_ = 0, maxZ_ = 0;
};
