// The rooms' rules: faces and sprites name the room's vertices and the level's textures, doors and
// sectors name rooms, sectors the floor data and the boxes, room static meshes a static mesh's object
// ID; the mesh data size covers the lists behind it.
#include <string>

#include "check/RuleShapes.h"

namespace check {

namespace {

using namespace format;

constexpr IndexRule kRectangleIndexes[]{
    {.Rule = "face-vertex", .Of = FieldOf(kRectangle, "Vertex(0)"), .Within = Bound::RoomVertices},
    {.Rule = "face-vertex", .Of = FieldOf(kRectangle, "Vertex(1)"), .Within = Bound::RoomVertices},
    {.Rule = "face-vertex", .Of = FieldOf(kRectangle, "Vertex(2)"), .Within = Bound::RoomVertices},
    {.Rule = "face-vertex", .Of = FieldOf(kRectangle, "Vertex(3)"), .Within = Bound::RoomVertices},
    // The top bit draws the face from both sides; the low 15 bits are the texture.
    {.Rule = "face-texture",
     .Of = FieldOf(kRectangle, "Texture"),
     .Within = Bound::ObjectTextures,
     .Mask = 0x7FFF},
};

constexpr IndexRule kTriangleIndexes[]{
    {.Rule = "face-vertex", .Of = FieldOf(kTriangle, "Vertex(0)"), .Within = Bound::RoomVertices},
    {.Rule = "face-vertex", .Of = FieldOf(kTriangle, "Vertex(1)"), .Within = Bound::RoomVertices},
    {.Rule = "face-vertex", .Of = FieldOf(kTriangle, "Vertex(2)"), .Within = Bound::RoomVertices},
    {.Rule = "face-texture",
     .Of = FieldOf(kTriangle, "Texture"),
     .Within = Bound::ObjectTextures,
     .Mask = 0x7FFF},
};

constexpr IndexRule kSpriteIndexes[]{
    {.Rule = "sprite-vertex", .Of = FieldOf(kRoomSprite, "Vertex"), .Within = Bound::RoomVertices},
    {.Rule = "sprite-texture", .Of = FieldOf(kRoomSprite, "Texture"), .Within = Bound::SpriteTextures},
};

// Sector indexes are read unsigned: a level may hold more than 32767 floor words. DM3 packs other bits
// into BoxIndex, so it is left alone there.
constexpr IndexRule kSectorIndexes[]{
    {.Rule = "sector-floor-data",
     .Of = FieldOf(kSector, "FDIndex"),
     .Within = Bound::FloorWords,
     .Mask = 0xFFFF},
    {.Rule = "sector-box",
     .Of = FieldOf(kSector, "BoxIndex"),
     .Within = Bound::Boxes,
     .None = -1,
     .Mask = 0xFFFF,
     .In = Generations::DM2Only},
    {.Rule = "sector-room", .Of = FieldOf(kSector, "RoomBelow"), .Within = Bound::Rooms, .None = kNoRoom},
    {.Rule = "sector-room", .Of = FieldOf(kSector, "RoomAbove"), .Within = Bound::Rooms, .None = kNoRoom},
};

// Heights grow downwards, in signed steps: a floor above its ceiling leaves no room to stand in.
constexpr OrderRule kSectorOrders[]{
    {.Rule = "sector-floor-ceiling",
     .Low = FieldOf(kSector, "Ceiling"),
     .High = FieldOf(kSector, "Floor"),
     .SignedBytes = true,
     .Why = "the floor stands above the ceiling"},
};

void DoorRoom(const RecordContext& at) {
    const Field& adjoining = *FieldOf(kDoor, "AdjoiningRoom");
    const std::optional<int64_t> rooms = at.Facts.Length(Bound::Rooms);
    const int64_t to = at.Stored(adjoining);
    if (!rooms || (to >= 0 && to < *rooms && to != at.Room))
        return;
    at.Found("door-room", adjoining, [&] {
        return to == at.Room
                   ? "AdjoiningRoom is " + std::to_string(to) + ", the door's own room"
                   : "AdjoiningRoom is " + std::to_string(to) + ", but " + BoundText(Bound::Rooms, *rooms);
    });
}

void StaticMeshId(const RecordContext& at) {
    const Field& id = *FieldOf(kRoomStaticMesh, "ObjectID");
    if (!at.Facts.StaticMeshIds)
        return;
    const int64_t value = at.Stored(id);
    if (at.Facts.StaticMeshIds->test(static_cast<uint16_t>(value)))
        return;
    at.Found("room-static-mesh", id, [&] {
        return "ObjectID is " + std::to_string(value) + ", but no static mesh of the level has that ObjectID";
    });
}

// The room's lists of records: the part that holds each run, where its run is kept, and its rules.
struct RoomList {
    Piece What;
    RoomRun RoomRefs::*Run;
    RecordRules Rules;
};
constexpr RoomList kRoomLists[]{
    {Piece::Rectangles, &RoomRefs::Rectangles, {.Of = &kRectangle, .Indexes = kRectangleIndexes}},
    {Piece::Triangles, &RoomRefs::Triangles, {.Of = &kTriangle, .Indexes = kTriangleIndexes}},
    {Piece::RoomSprites, &RoomRefs::Sprites, {.Of = &kRoomSprite, .Indexes = kSpriteIndexes}},
    {Piece::Doors, &RoomRefs::Doors, {.Of = &kDoor, .Extra = DoorRoom}},
    {Piece::Sectors,
     &RoomRefs::Sectors,
     {.Of = &kSector, .Indexes = kSectorIndexes, .Orders = kSectorOrders}},
    {Piece::RoomStaticMeshes, &RoomRefs::StaticMeshes, {.Of = &kRoomStaticMesh, .Extra = StaticMeshId}},
};

std::string RoomPlace(int16_t room) {
    return "Rooms > room " + std::to_string(room);
}

// A field of the room itself (not a record of a run), found at `at`, `bytes` wide.
void RoomFieldFinding(const LevelFacts& facts, Counter& out, std::string_view id, int64_t at, int32_t bytes,
                      std::string place, std::string_view field, int64_t value, std::string message) {
    if (at < 0 || at + bytes > facts.FileSize)
        return;
    out.Report({.Of = RuleById(id),
                .Offset = at,
                .Bytes = bytes,
                .Place = std::move(place),
                .Field = std::string(field),
                .Value = value,
                .Message = std::move(message)});
}

void CheckRoomFields(const LevelFile& level, const LevelFacts& facts, Counter& out, const RoomRefs& room) {
    constexpr int32_t kSizeBytes = 4; // the mesh data size field
    if (room.MeshAt >= 0 && room.MeshWhole && room.MeshEnd <= facts.FileSize) {
        const int64_t lists = int64_t{room.MeshEnd} - (room.MeshAt + kSizeBytes);
        if (int64_t{room.MeshWords} * 2 != lists)
            RoomFieldFinding(facts, out, "mesh-data-size", room.MeshAt, kSizeBytes,
                             RoomPlace(room.Index) + " > Meshes", "Size", room.MeshWords,
                             "the mesh data size is " + std::to_string(room.MeshWords) + " words (" +
                                 std::to_string(int64_t{room.MeshWords} * 2) +
                                 " bytes), but its lists take " + std::to_string(lists) + " bytes");
        if (room.Rectangles.Count <= 0 && room.Triangles.Count <= 0)
            RoomFieldFinding(facts, out, "room-empty", room.MeshAt, kSizeBytes,
                             RoomPlace(room.Index) + " > Meshes", "Size", room.MeshWords,
                             "the room has no rectangle and no triangle to draw");
    }
    if (room.AlternateAt >= 0) {
        constexpr int32_t kAlternateBytes = 2;
        const int64_t alternate = level.S16(room.AlternateAt);
        const std::optional<int64_t> rooms = facts.Length(Bound::Rooms);
        if (rooms && alternate != -1 && (alternate < 0 || alternate >= *rooms))
            RoomFieldFinding(facts, out, "alternate-room", room.AlternateAt, kAlternateBytes,
                             RoomPlace(room.Index) + " > Alternate Room", "Alternate Room", alternate,
                             "Alternate Room is " + std::to_string(alternate) + ", but " +
                                 BoundText(Bound::Rooms, *rooms));
    }
}

} // namespace

RoomRefs GatherRoom(const WalkMap& map, int32_t room) {
    RoomRefs refs;
    const Span& r = map[room];
    refs.Index = r.Index;
    for (int32_t i = room + 1; i < r.Next && i < map.Size(); ++i) {
        const Span& s = map[i];
        if (s.Kind == SpanKind::Run && s.Parent >= 0) {
            for (const RoomList& list : kRoomLists)
                if (map[s.Parent].What == list.What)
                    refs.*list.Run = {s.First, s.Count, s.End};
        } else if (s.What == Piece::RoomMeshes) {
            refs.MeshAt = s.First;
            refs.MeshWords = s.Count;
            refs.MeshEnd = s.End;
            refs.MeshWhole = !s.Has(Span::Cut) && !s.Has(Span::SteppedBack);
        } else if (s.What == Piece::Vertices) {
            refs.Vertices = std::max(s.Count, 0);
        } else if (s.What == Piece::AlternateRoom && !s.Has(Span::Cut)) {
            refs.AlternateAt = s.First;
        }
    }
    return refs;
}

void CheckRoom(const LevelFile& level, const LevelFacts& facts, Counter& out, const RoomRefs& room) {
    CheckRoomFields(level, facts, out, room);
    const std::string place = RoomPlace(room.Index);
    for (const RoomList& list : kRoomLists) {
        const RoomRun& run = room.*list.Run;
        if (run.Count > 0)
            CheckRun(level, facts, out, list.Rules, run.First, run.Count, run.End,
                     place + " > " + std::string(InfoOf(list.What).Name), room.Index, room.Vertices);
    }
}

} // namespace check
