#include "format/WalkMap.h"

#include <algorithm>
#include <array>

namespace {

using G = ChunkGroup;

// Name, the detail option that lists it, strata group, count field width, unit bytes.
constexpr std::array<PieceInfo, static_cast<size_t>(Piece::Records) + 1> kPieces{{
    {"Palette 8 bits", optPalettes, G::Graphics, 0, 0},
    {"Palette 16 bits", optPalettes, G::Graphics, 0, 0},
    {"Texture Tiles", optTextureTiles, G::Textures, 4, 0},
    {"Textures 8 bits", optTextureTiles, G::Textures, 0, format::kTile8Bytes},
    {"Textures 16 bits", optTextureTiles, G::Textures, 0, format::kTile16Bytes},
    {"Unread field", kNoDetailOption, G::Textures, 4, 0},
    {"Rooms", kNoDetailOption, G::Rooms, 2, 0},
    {"Room", kNoDetailOption, G::Rooms, 0, 0},
    {"Room Header", optRoomInfo, G::Rooms, 0, 0},
    {"Meshes", optRoomMeshes, G::Rooms, 4, 2},
    {"Vertices", optRoomMeshes, G::Rooms, 2, 0},
    {"Rectangles", optRoomMeshes, G::Rooms, 2, 0},
    {"Triangles", optRoomMeshes, G::Rooms, 2, 0},
    {"Sprites", optRoomSprites, G::Rooms, 2, 0},
    {"Doors", optRoomDoors, G::Rooms, 2, 0},
    {"Sectors", optRoomSectors, G::Rooms, 4, 0},
    {"Intensity 1", kNoDetailOption, G::Rooms, 2, 0},
    {"Intensity 2", kNoDetailOption, G::Rooms, 2, 0},
    {"Light Mode", kNoDetailOption, G::Rooms, 2, 0},
    {"Lights", optRoomLights, G::Rooms, 2, 0},
    {"Static Meshes", optRoomStaticMeshes, G::Rooms, 2, 0},
    {"Alternate Room", kNoDetailOption, G::Rooms, 2, 0},
    {"Room Flag", optRoomFlags, G::Rooms, 2, 0},
    {"Room Colour", kNoDetailOption, G::Rooms, 0, 0},
    {"Floor Data", optFloors, G::Geometry, 4, 0},
    {"Mesh Data", optMeshes, G::Geometry, 4, 2},
    {"Mesh Pointers", optMeshPointers, G::Geometry, 4, 0},
    {"Animations", optAnimations, G::Animation, 4, 0},
    {"State Changes", optStateChanges, G::Animation, 4, 0},
    {"Anim Dispatches", optAnimDispatches, G::Animation, 4, 0},
    {"Anim Commands", optAnimCommands, G::Animation, 4, 0},
    {"Mesh Trees", optMeshTree, G::Animation, 4, 4},
    {"Frames", optFrames, G::Animation, 4, 2},
    {"Moveables", optMoveables, G::Animation, 4, 0},
    {"Static Meshes", optStaticMeshes, G::Geometry, 4, 0},
    {"Object Textures", optObjectTextures, G::Textures, 4, 0},
    {"Sprite Textures", optSpriteTextures, G::Textures, 4, 0},
    {"Sprite Sequences", optSpriteSequence, G::Textures, 4, 0},
    {"Cameras", optCameras, G::Navigation, 4, 0},
    {"Sound Sources", optSoundSources, G::Sound, 4, 0},
    {"Boxes", optBoxes, G::Navigation, 4, 0},
    {"Overlaps", optOverlaps, G::Navigation, 4, 0},
    {"Zones", optZones, G::Navigation, 0, 0},
    {"Animated Textures", optAnimatedTextures, G::Textures, 4, 0},
    {"Items", optItems, G::Navigation, 4, 0},
    {"Light Map", optLightMaps, G::Graphics, 0, 0},
    {"Cinematic Frames", optCinematicFrames, G::Animation, 2, 0},
    {"Demo Data", optDemoData, G::Animation, 2, 0},
    {"Sound Map", optSoundMaps, G::Sound, 0, 0},
    {"Sound Details", optSoundDetails, G::Sound, 4, 0},
    {"Sample Indices", optSampleIndices, G::Sound, 4, 0},
    {"Records", kNoDetailOption, G::Rooms, 0, 0},
}};
static_assert(kPieces.back().Name == "Records", "one row for every piece, in the order of Piece");

uint8_t KindOf(const format::Record* record) {
    if (!record)
        return 0;
    const auto* at = std::find(format::kAllRecords.begin(), format::kAllRecords.end(), record);
    return at == format::kAllRecords.end() ? 0 : static_cast<uint8_t>(at - format::kAllRecords.begin() + 1);
}

bool HoldsByte(const Span& s, int64_t offset) {
    return offset >= s.First && offset < s.End;
}
bool HoldsLine(const Span& s, int32_t line) {
    return line >= s.Line && line < s.EndLine;
}

} // namespace

const PieceInfo& InfoOf(Piece piece) {
    return kPieces[static_cast<size_t>(piece)];
}

std::string_view EndingName(WalkEnding how) {
    switch (how) {
    case WalkEnding::Completed:
        return "completed";
    case WalkEnding::Overflow:
        return "overflow";
    case WalkEnding::SizeLimit:
        return "size-limit";
    case WalkEnding::NotALevel:
        return "not-a-level";
    case WalkEnding::SteppedBack:
        return "stepped-back";
    case WalkEnding::None:
        break;
    }
    return "none";
}

void WalkMap::Reset(int64_t fileSize, int16_t generation) {
    spans_.clear();
    open_.clear();
    fileSize_ = fileSize;
    generation_ = generation;
    ending_ = WalkEnding::None;
    endOffset_ = 0;
    endLine_ = 0;
    fault_ = 0;
}

int32_t WalkMap::Open(SpanKind kind, Piece what, int32_t first, int32_t line, uint8_t countWidth,
                      const format::Record* record, int16_t index) {
    Span s;
    s.Kind = kind;
    s.What = what;
    s.First = first;
    s.End = first;
    s.Line = line;
    s.EndLine = line;
    s.CountWidth = countWidth;
    s.RecordKind = KindOf(record);
    s.Index = index;
    if (!open_.empty()) {
        s.Parent = open_.back();
        s.Depth = static_cast<uint8_t>(std::min(spans_[static_cast<size_t>(s.Parent)].Depth + 1, 255));
    }
    const auto at = static_cast<int32_t>(spans_.size());
    spans_.push_back(s);
    open_.push_back(at);
    if (watcher_)
        watcher_->Opened(*this, at);
    return at;
}

void WalkMap::SetCount(int32_t count) {
    if (!open_.empty())
        spans_[static_cast<size_t>(open_.back())].Count = count;
}

bool WalkMap::Close(int32_t end, int32_t endLine, int32_t count) {
    if (open_.empty())
        return true;
    const int32_t at = open_.back();
    Span& s = spans_[static_cast<size_t>(at)];
    open_.pop_back();
    s.Count = count;
    s.EndLine = std::max(endLine, s.Line);
    if (end < s.First) {
        s.Flags |= Span::SteppedBack;
        end = s.First + s.CountWidth;
    }
    s.End = end;
    if (s.End > fileSize_)
        s.Flags |= Span::PastEnd;
    s.Next = static_cast<int32_t>(spans_.size());
    const bool goOn = !watcher_ || watcher_->Closed(*this, at);
    // The room's spans are the last ones: the next room takes their place.
    if (rooms_ == ClosedRooms::Dropped && s.Kind == SpanKind::Room)
        spans_.resize(static_cast<size_t>(at));
    return goOn;
}

void WalkMap::Finish(WalkEnding how, int32_t offset, int32_t endLine, int16_t fault) {
    while (!open_.empty()) {
        spans_[static_cast<size_t>(open_.back())].Flags |= Span::Cut;
        Close(std::max(offset, spans_[static_cast<size_t>(open_.back())].First), endLine,
              spans_[static_cast<size_t>(open_.back())].Count);
    }
    ending_ = how;
    endOffset_ = offset;
    endLine_ = endLine;
    fault_ = fault;
    spans_.shrink_to_fit();
}

// Spans are nested in walk order, so a search goes down from the top-level span that holds what it
// looks for into the child that holds it, skipping whole subtrees. `holds` says whether a span holds it;
// `pastIt` whether a span and all after it lie beyond it.
template <class Holds, class PastIt> int32_t WalkMap::Descend(Holds holds, PastIt pastIt) const {
    int32_t found = -1;
    int32_t i = 0;
    int32_t end = Size();
    while (i < end) {
        const Span& s = spans_[static_cast<size_t>(i)];
        if (holds(s)) {
            found = i;
            end = s.Next;
            ++i;
        } else if (pastIt(s)) {
            break;
        } else {
            i = std::max(s.Next, i + 1);
        }
    }
    return found;
}

// A damaged walk can step back and cover bytes twice: the first holder wins.
int32_t WalkMap::SpanAt(int64_t offset) const {
    return Descend([&](const Span& s) { return HoldsByte(s, offset); }, [](const Span&) { return false; });
}

// Lines only grow in walk order.
int32_t WalkMap::SpanOfLine(int32_t line) const {
    return Descend([&](const Span& s) { return HoldsLine(s, line); },
                   [&](const Span& s) { return s.Line > line; });
}

int32_t WalkMap::RecordOfLine(int32_t span, int32_t line) const {
    if (span < 0 || span >= Size())
        return -1;
    const Span& s = (*this)[span];
    if (s.Kind != SpanKind::Run || !s.Record() || line <= s.Line || line >= s.EndLine)
        return -1;
    return (line - s.Line - 1) / std::max<int32_t>(s.Record()->LinesPerRecord, 1);
}

int32_t WalkMap::LineOfRecord(int32_t span, int32_t record) const {
    const Span& s = (*this)[span];
    return s.Line + 1 + record * (s.Record() ? s.Record()->LinesPerRecord : 1);
}

int32_t WalkMap::RecordFirst(int32_t span, int32_t record) const {
    const Span& s = (*this)[span];
    return s.First + record * (s.Record() ? s.Record()->Size : 0);
}

int32_t WalkMap::LineAt(int64_t offset) const {
    int32_t span = SpanAt(offset);
    if (span < 0)
        return -1;
    const Span& s = (*this)[span];
    if (s.Kind == SpanKind::Run && s.Record() && s.Record()->Size > 0) {
        const auto record = static_cast<int32_t>((offset - s.First) / s.Record()->Size);
        const int32_t line = LineOfRecord(span, record);
        if (line < s.EndLine)
            return line;
    }
    // A part that lists its one record itself (a room's header) writes the column header line and then
    // the record's line, which describes the byte more closely.
    if (s.Kind == SpanKind::Part && s.CountWidth == 0 && s.Record() && s.EndLine > s.Line + 1)
        return s.Line + 1;
    // A span that wrote no line of its own (a field stepped over) shows through its parent.
    while (span >= 0 && (*this)[span].EndLine <= (*this)[span].Line)
        span = (*this)[span].Parent;
    return span < 0 ? -1 : (*this)[span].Line;
}

LineBytes WalkMap::BytesOfLine(int32_t line) const {
    LineBytes out;
    out.Span = SpanOfLine(line);
    if (out.Span < 0)
        return out;
    const Span& s = (*this)[out.Span];
    out.First = s.First;
    out.End = s.End;
    if (s.Kind == SpanKind::Run) {
        out.Record = RecordOfLine(out.Span, line);
        if (out.Record >= 0) {
            out.First = RecordFirst(out.Span, out.Record);
            out.End = out.First + s.Record()->Size;
            out.DimFirst = s.First;
            out.DimEnd = s.End;
        }
    } else if (s.CountWidth > 0 && line == s.Line) {
        // A summary line: its count field, and dimmer the chunk it counts.
        out.End = s.First + s.CountWidth;
        out.DimFirst = s.First;
        out.DimEnd = s.End;
    }
    return out;
}

std::vector<int32_t> WalkMap::TopLevel() const {
    return Children(-1);
}

std::vector<int32_t> WalkMap::Children(int32_t span) const {
    std::vector<int32_t> out;
    int32_t i = span < 0 ? 0 : span + 1;
    const int32_t end = span < 0 ? Size() : (*this)[span].Next;
    while (i < end) {
        out.push_back(i);
        i = std::max((*this)[i].Next, i + 1);
    }
    return out;
}

int32_t WalkMap::Find(Piece what) const {
    for (int32_t i = 0; i < Size(); ++i)
        if ((*this)[i].What == what)
            return i;
    return -1;
}
