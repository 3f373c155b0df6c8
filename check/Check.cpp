#include "check/Check.h"

#include <algorithm>
#include <array>
#include <climits>

#include "check/RuleShapes.h"
#include "format/Fault.h"
#include "format/FieldValue.h"
#include "format/walk/RunHoles.h"
#include "format/walk/Walker.h"
#include "report/ReportLimit.h"
#include "report/ReportRun.h"

namespace check {

namespace {

constexpr Severity E = Severity::Error;
constexpr Severity W = Severity::Warning;

constexpr std::array kRules{
    Rule{"walk-ended", E,
         "The walk ended early (an overflow or the size limit) or did not end at the file's last byte: the "
         "level's structure cannot be read to its end."},
    // Rooms
    Rule{"face-vertex", E,
         "A rectangle's or triangle's Vertex(n) is one of its room's vertices: a face drawn from a vertex "
         "that is not there takes its corner from whatever memory follows."},
    Rule{"face-texture", E,
         "A face's Texture (its low 15 bits; the top bit draws it from both sides) is one of the level's "
         "object textures: past the list the face is painted from random data or crashes the game."},
    Rule{"sprite-vertex", E,
         "A room sprite's Vertex is one of its room's vertices: the sprite stands there."},
    Rule{"sprite-texture", E, "A room sprite's Texture is one of the level's sprite textures."},
    Rule{"door-room", E,
         "A door's AdjoiningRoom is a room of the level and not the room itself: the game follows it to "
         "draw and to move through the door."},
    Rule{"sector-room", E,
         "A sector's RoomBelow and RoomAbove are 255 (none) or a room of the level: falling or climbing "
         "through the sector leads there."},
    Rule{"sector-floor-data", E,
         "A sector's FDIndex is a word of the floor data: the game reads the sector's slopes, triggers and "
         "portals from there."},
    Rule{"sector-box", E,
         "In DM2, a sector's BoxIndex is 0xFFFF (none) or one of the level's boxes: the creatures' paths "
         "start from it."},
    Rule{"alternate-room", E,
         "A room's alternate room is -1 (none) or a room of the level: the game swaps the two when the "
         "level flips."},
    Rule{"room-static-mesh", E,
         "A room static mesh's ObjectID is the ObjectID of a static mesh of the level: otherwise there is "
         "nothing to draw."},
    Rule{"mesh-data-size", E,
         "A room's mesh data size equals the bytes of the vertex, rectangle, triangle and sprite lists it "
         "covers: the game steps over the meshes by that size."},
    Rule{"room-empty", W,
         "A room has at least one rectangle or triangle: a room without faces shows nothing."},
    Rule{"sector-floor-ceiling", W,
         "A sector's floor is not above its ceiling (heights grow downwards): such a sector has no space "
         "to stand in."},
    // Meshes and animation
    Rule{"mesh-pointer", E,
         "A mesh pointer is a byte offset inside the mesh data: a mesh read from past its end is garbage."},
    Rule{"static-mesh-mesh", E, "A static mesh's Mesh is one of the level's mesh pointers."},
    Rule{"moveable-meshes", E,
         "A moveable's StartingMesh + NumMeshes stays within the mesh pointers: each of its meshes is one "
         "of them."},
    Rule{"moveable-mesh-tree", E,
         "A moveable's MeshTree + 4 x (NumMeshes - 1) stays within the mesh tree words: each mesh after the "
         "first has a node of four words there."},
    Rule{"moveable-frame", E,
         "A moveable's FrameOffset is a byte offset inside the frames (for a moveable with animations): "
         "its poses are read from there."},
    Rule{"moveable-animation", E, "A moveable's Animation is -1 (none) or one of the level's animations."},
    Rule{"animation-next", E,
         "An animation's NextAnimation is one of the level's animations: the game plays it when this one "
         "ends."},
    Rule{"animation-state-changes", E,
         "An animation's StateChangeOffset + NumStateChanges stays within the state changes."},
    Rule{"animation-commands", E,
         "An animation's AnimCommand + NumAnimCommands stays within the anim command words."},
    Rule{"animation-frame", E,
         "An animation's FrameOffset is a byte offset inside the frames: its poses are read from there."},
    Rule{"animation-frame-range", W, "An animation's FrameStart is not after its FrameEnd."},
    Rule{"state-change-dispatches", E,
         "A state change's AnimDispatch + NumAnimDispatches stays within the anim dispatches."},
    Rule{"dispatch-next", E, "An anim dispatch's NextAnimation is one of the level's animations."},
    Rule{"dispatch-range", W, "An anim dispatch's Low frame is not after its High frame."},
    Rule{"mesh-tree-words", E,
         "The mesh tree's word count is a multiple of 4: the tree is made of nodes of four words."},
    // Textures
    Rule{"texture-tile", E,
         "An object texture's Tile Index (its low 15 bits) is one of the level's texture tiles: its pixels "
         "come from there."},
    Rule{"sprite-tile", E, "A sprite texture's Tile is one of the level's texture tiles."},
    Rule{"sprite-sequence", E,
         "A sprite sequence's Offset + (-NegativeLength) stays within the sprite textures: its frames are "
         "those textures."},
    // Navigation and the rest
    Rule{"camera-room", E, "A camera's Room is a room of the level: the view is drawn from that room."},
    Rule{"item-room", E, "An item's Room is a room of the level: the item is placed in it."},
    Rule{"item-object", W,
         "An item's ObjectID is that of a moveable or a sprite sequence of the level: otherwise the game "
         "may have nothing to make it from."},
    Rule{"sound-map", E, "A sound map entry is -1 (no sound) or one of the level's sound details."},
    Rule{"sound-sample", E, "A sound detail's Sample is one of the level's sample indices."},
    Rule{"box-overlap", E,
         "In DM2, a box's OverlapIndex (its low 14 bits) is a word of the overlaps: the creatures' paths "
         "go on from there."},
    Rule{"box-bounds", W, "A box's Zmin is not above its Zmax, nor its Xmin above its Xmax."},
};

// How the walk ended, in words: "the walk ended at offset 1200, 300 bytes before the file's end".
std::string WalkEndingText(const WalkMap& map) {
    const int64_t end = map.EndOffset(), size = map.FileSize();
    std::string out = "the walk ended at offset " + std::to_string(end);
    switch (map.Ending()) {
    case WalkEnding::Overflow:
        return out + ": a count or offset there leaves 32 bits";
    case WalkEnding::SizeLimit:
        return out + ": the report grew past its size limit there";
    case WalkEnding::SteppedBack:
        return out + ", before the file's first byte: a negative count sent it back";
    case WalkEnding::Completed:
        if (end < size)
            return out + ", " + std::to_string(size - end) + " bytes before the file's end";
        return out + ", " + std::to_string(end - size) + " bytes past the file's end: the file is cut";
    case WalkEnding::None:
    case WalkEnding::NotALevel:
        break;
    }
    return out;
}

void CheckWalkEnding(const WalkMap& map, Counter& out) {
    const bool atEnd = map.Ending() == WalkEnding::Completed && map.EndOffset() == map.FileSize();
    if (atEnd || map.Ending() == WalkEnding::NotALevel || map.Ending() == WalkEnding::None)
        return;
    out.Report({.Of = RuleById("walk-ended"),
                .Offset = map.EndOffset(),
                .Bytes = 0,
                .Place = "File",
                .Field = {},
                .Value = map.EndOffset(),
                .Message = WalkEndingText(map),
                .PastEnd = map.EndOffset() < 0 || map.EndOffset() >= map.FileSize()});
}

// The lengths of the lists a reference can point into: a chunk's count, in the unit its references
// count.
struct ChunkLength {
    Piece What;
    Bound Gives;
    int32_t UnitBytes = 1;
};
constexpr ChunkLength kChunkLengths[]{
    {Piece::Rooms, Bound::Rooms},
    {Piece::TextureTiles, Bound::Tiles},
    {Piece::FloorData, Bound::FloorWords},
    {Piece::MeshData, Bound::MeshDataBytes, 2},
    {Piece::MeshPointers, Bound::MeshPointers},
    {Piece::Animations, Bound::Animations},
    {Piece::StateChanges, Bound::StateChanges},
    {Piece::AnimDispatches, Bound::AnimDispatches},
    {Piece::AnimCommands, Bound::AnimCommands},
    {Piece::MeshTrees, Bound::MeshTreeWords},
    {Piece::Frames, Bound::FrameBytes, 2},
    {Piece::ObjectTextures, Bound::ObjectTextures},
    {Piece::SpriteTextures, Bound::SpriteTextures},
    {Piece::Boxes, Bound::Boxes},
    {Piece::Overlaps, Bound::Overlaps},
    {Piece::SoundDetails, Bound::SoundDetails},
    {Piece::SampleIndices, Bound::SampleIndices},
};

// Marks the 16-bit object IDs of the records of a chunk's run.
void MarkIds(const LevelFile& level, const WalkMap& map, int32_t chunk, const format::Field& id,
             std::bitset<65536>& ids) {
    for (const int32_t run : map.Children(chunk)) {
        const Span& s = map[run];
        if (s.Kind != SpanKind::Run || !s.Record())
            continue;
        const int64_t size = s.Record()->Size;
        const int64_t end = std::min<int64_t>(s.End, level.Size());
        for (int64_t at = s.First, i = 0; i < s.Count && at >= 0 && at + size <= end; ++i, at += size) {
            const int64_t value = StoredValue(level, id, at);
            if (value >= INT16_MIN && value <= INT16_MAX)
                ids.set(static_cast<uint16_t>(value));
        }
    }
}

LevelFacts GatherFacts(const LevelFile& level, const WalkMap& map) {
    LevelFacts facts;
    facts.FileSize = level.Size();
    facts.Generation = map.Generation() == 3 ? format::Generation::DM3 : format::Generation::DM2;
    for (const int32_t chunk : map.TopLevel()) {
        const Span& s = map[chunk];
        // A count read past the file's end is no count the file holds: what it bounds stays unknown, and
        // the references into it are not judged.
        const bool countInFile = s.First >= 0 && int64_t{s.First} + s.CountWidth <= facts.FileSize;
        for (const ChunkLength& length : kChunkLengths)
            if (s.What == length.What && countInFile)
                facts.SetLength(length.Gives, int64_t{s.Count} * length.UnitBytes);
        if (s.What == Piece::StaticMeshes) {
            facts.StaticMeshIds.emplace();
            MarkIds(level, map, chunk, *FieldOf(format::kStaticMesh, "ObjectID"), *facts.StaticMeshIds);
        } else if (s.What == Piece::Moveables) {
            facts.ObjectIds.emplace();
            MarkIds(level, map, chunk, *FieldOf(format::kMoveable, "ObjectID"), *facts.ObjectIds);
        } else if (s.What == Piece::SpriteSequences && facts.ObjectIds) {
            MarkIds(level, map, chunk, *FieldOf(format::kSpriteSequence, "ObjectId"), *facts.ObjectIds);
        }
    }
    // Items name moveables and sprite sequences: both lists must have been reached.
    if (map.Find(Piece::SpriteSequences) < 0)
        facts.ObjectIds.reset();
    return facts;
}

// The mesh tree is read in nodes of four words.
void CheckMeshTreeWords(const WalkMap& map, int32_t chunk, Counter& out) {
    const Span& s = map[chunk];
    if (s.Count <= 0 || s.Count % 4 == 0 || s.First < 0 || s.First + s.CountWidth > map.FileSize())
        return;
    out.Report({.Of = RuleById("mesh-tree-words"),
                .Offset = s.First,
                .Bytes = s.CountWidth,
                .Place = std::string(InfoOf(Piece::MeshTrees).Name),
                .Field = "Count",
                .Value = s.Count,
                .Message = "the mesh tree has " + std::to_string(s.Count) +
                           " words, not a whole number of nodes of four words"});
}

// Checks every run of the chunks behind the rooms, in file order.
void CheckChunks(const LevelFile& level, const WalkMap& map, const LevelFacts& facts, Counter& out) {
    for (const int32_t chunk : map.TopLevel()) {
        const Span& s = map[chunk];
        if (s.What == Piece::Rooms)
            continue;
        if (s.What == Piece::MeshTrees)
            CheckMeshTreeWords(map, chunk, out);
        for (const int32_t run : map.Children(chunk)) {
            const Span& r = map[run];
            if (r.Kind != SpanKind::Run)
                continue;
            if (const RecordRules* rules = RulesOf(r.Record()))
                CheckRun(level, facts, out, *rules, r.First, r.Count, r.End, s.Name());
        }
    }
}

// Gathers each room as the walk closes it, so that the map can drop the room's spans, and lets go of
// the runs a walk leaving holes leaves behind (the checker formats none of them).
class RoomGatherer final : public SpanWatcher {
  public:
    RoomGatherer(std::vector<RoomRefs>& rooms, RunHoles& holes) : rooms_(rooms), holes_(holes) {}
    void Opened(const WalkMap& map, int32_t span) override {
        const Span& s = map[span];
        if (s.Kind == SpanKind::Room && s.Index == 0 && s.Parent >= 0)
            rooms_.reserve(static_cast<size_t>(std::max(map[s.Parent].Count, 0)));
    }
    bool Closed(const WalkMap& map, int32_t span) override {
        const Span& s = map[span];
        if (s.Kind == SpanKind::Room)
            rooms_.push_back(GatherRoom(map, span));
        if (s.Kind == SpanKind::Room || s.Kind == SpanKind::Chunk)
            holes_.Holes.clear();
        return true;
    }

  private:
    std::vector<RoomRefs>& rooms_;
    RunHoles& holes_;
};

} // namespace

Counter::Counter(const CheckOptions& options, FindingSink& sink)
    : options_(options), sink_(sink), given_(Rules().size(), 0) {}

bool Counter::Runs(const Rule& rule) const {
    if (rule.Level == Severity::Warning && options_.Least == Severity::Error)
        return false;
    return options_.Only.empty() ||
           std::find(options_.Only.begin(), options_.Only.end(), &rule) != options_.Only.end();
}

bool Counter::Take(const Rule& rule) {
    if (!Runs(rule))
        return false;
    (rule.Level == Severity::Error ? counts_.Errors : counts_.Warnings)++;
    if (++given_[static_cast<size_t>(&rule - Rules().data())] > options_.MostPerRule) {
        ++counts_.LeftOut;
        return false;
    }
    return true;
}

std::string_view SeverityName(Severity s) {
    return s == Severity::Error ? "error" : "warning";
}

std::span<const Rule> Rules() {
    return kRules;
}

const Rule* RuleById(std::string_view id) {
    for (const Rule& rule : kRules)
        if (rule.Id == id)
            return &rule;
    return nullptr;
}

namespace {

// The checks once the walk is over: its ending, the rooms (each handed to checkRoom by visitRooms), then
// the chunks behind them.
template <class VisitRooms>
CheckCounts CheckAfterWalk(const LevelFile& level, const WalkMap& map, const CheckOptions& options,
                           FindingSink& sink, VisitRooms visitRooms) {
    Counter out(options, sink);
    CheckWalkEnding(map, out);
    const LevelFacts facts = GatherFacts(level, map);
    visitRooms([&](const RoomRefs& room) { CheckRoom(level, facts, out, room); });
    CheckChunks(level, map, facts, out);
    return out.Counts();
}

// Walks the level with every section detailed, as the report would, into map. The records of listed
// runs are left as holes (never formatted) while the walk can be sure to end where the report ends;
// otherwise it walks again formatting every line, the text counted and dropped.
void WalkForCheck(const LevelFile& level, format::Generation generation, const CheckOptions& options,
                  WalkMap& map, std::vector<RoomRefs>& rooms) {
    DetailOptionSet all;
    SetAllDetails(all, true);
    const size_t limit = ReportByteLimit(level.FileLength(), options.ReportFixedBytes);
    RunHoles holes;
    // The text beside the holes is held until the walk ends. A level's rooms are linked by bytes that name
    // at most 255 of them, and a room writes about a kilobyte of summary lines: past a megabyte the level
    // is no ordinary one, and the walk writing every line (none held) takes over.
    holes.TextCap = size_t{1} << 20;
    RoomGatherer gatherer(rooms, holes);
    map.Watch(&gatherer, ClosedRooms::Dropped);
    try {
        StringPane text;
        AppendReportHeader(text, options.Path, level);
        WalkLevel({.Text = text, .Map = map, .Options = all, .TextLimit = limit, .Holes = &holes}, level,
                  generation, format::kVersionWordBytes);
    } catch (const WalkFault&) {
        // The map says where and how the walk ended; the records walked are still checked.
    } catch (const HolesAbandoned&) {
        rooms.clear();
        holes.Holes.clear();
        StringPane text;
        text.KeepNoText();
        AppendReportHeader(text, options.Path, level);
        try {
            WalkLevel({.Text = text, .Map = map, .Options = all, .TextLimit = limit}, level, generation,
                      format::kVersionWordBytes);
        } catch (const WalkFault&) {
        }
    }
    map.Watch(nullptr);
}

} // namespace

CheckCounts CheckWalkedLevel(const LevelFile& level, const WalkMap& map, const CheckOptions& options,
                             FindingSink& sink) {
    return CheckAfterWalk(level, map, options, sink, [&](auto check) {
        for (int32_t i = 0; i < map.Size(); ++i)
            if (map[i].Kind == SpanKind::Room)
                check(GatherRoom(map, i));
    });
}

CheckCounts CheckLevel(const LevelFile& level, const CheckOptions& options, FindingSink& sink) {
    WalkMap map;
    std::vector<RoomRefs> rooms;
    if (const auto generation = LevelGeneration(level)) {
        WalkForCheck(level, *generation, options, map, rooms);
    } else {
        map.Reset(level.FileLength(), 0);
        map.Finish(WalkEnding::NotALevel, format::kVersionWordBytes, 0);
    }
    CheckCounts counts = CheckAfterWalk(level, map, options, sink, [&](auto check) {
        for (const RoomRefs& room : rooms)
            check(room);
    });
    counts.End = map.End();
    return counts;
}

} // namespace check
