#include "compare/Compare.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <map>
#include <utility>
#include <vector>

#include "compare/RecordAlign.h"
#include "format/Fault.h"
#include "format/FieldText.h"
#include "format/FieldValue.h"
#include "format/NumberText.h"
#include "format/walk/Walker.h"
#include "report/ReportRun.h"

namespace compare {

DetailOptionSet AllSections() {
    DetailOptionSet all;
    SetAllDetails(all, true);
    return all;
}

WalkedLevel WalkForComparison(std::shared_ptr<const LevelFile> level, const std::string& path,
                              int64_t fixedBytes) {
    WalkedLevel out;
    if (!level || level->FileLength() == 0) {
        out.Status = kStatusEmptyOrMissing;
        return out;
    }
    out.Level = level;
    // The walk counts its text, as the report's does, so that the size limit falls at the same line; it
    // keeps none of it.
    StringPane text;
    text.KeepNoText();
    const DetailOptionSet options = AllSections();
    AppendReportHeader(text, path, *level);
    const WalkOutput output{.Text = text,
                            .Map = out.Map,
                            .Options = options,
                            .TextLimit = ReportByteLimit(level->FileLength(), fixedBytes)};
    try {
        if (const auto generation = LevelGeneration(*level)) {
            WalkLevel(output, *level, *generation, format::kVersionWordBytes);
        } else {
            out.Map.Reset(level->FileLength(), 0);
            out.Map.Finish(WalkEnding::NotALevel, format::kVersionWordBytes, 0);
        }
    } catch (const WalkFault&) {
        // The map says where and how the walk ended.
    }
    return out;
}

WalkedLevel WalkForComparison(const std::string& path, int64_t fixedBytes) {
    auto level = std::make_shared<LevelFile>();
    if (const int16_t status = level->Open(path); status != 0) {
        WalkedLevel out;
        out.Status = status;
        return out;
    }
    return WalkForComparison(std::shared_ptr<const LevelFile>(std::move(level)), path, fixedBytes);
}

std::string NothingCompared(const WalkedLevel& level, std::string_view name) {
    if (level.Walked() || !level.Readable())
        return "";
    return std::string(name) + " is not a DM2 or DM3 level: nothing compared";
}

namespace {

// The section a piece belongs to for --sections: its detail option, the room fields that have none
// with the room info, the room chunk with every room section.
constexpr int kAnyRoomSection = -3;
constexpr int kInherited = -4;
int SectionOf(Piece p) {
    switch (p) {
    case Piece::Intensity1:
    case Piece::Intensity2:
    case Piece::LightMode:
    case Piece::AlternateRoom:
    case Piece::RoomColour:
        return optRoomInfo;
    case Piece::Rooms:
    case Piece::Room:
        return kAnyRoomSection;
    case Piece::Records:
        return kInherited;
    case Piece::Palette8:
    case Piece::Palette16:
    case Piece::TextureTiles:
    case Piece::Tiles8:
    case Piece::Tiles16:
    case Piece::AfterTiles: // no option: the unread field behind the tiles
    case Piece::RoomHeader:
    case Piece::RoomMeshes:
    case Piece::Vertices:
    case Piece::Rectangles:
    case Piece::Triangles:
    case Piece::RoomSprites:
    case Piece::Doors:
    case Piece::Sectors:
    case Piece::Lights:
    case Piece::RoomStaticMeshes:
    case Piece::RoomFlag:
    case Piece::FloorData:
    case Piece::MeshData:
    case Piece::MeshPointers:
    case Piece::Animations:
    case Piece::StateChanges:
    case Piece::AnimDispatches:
    case Piece::AnimCommands:
    case Piece::MeshTrees:
    case Piece::Frames:
    case Piece::Moveables:
    case Piece::StaticMeshes:
    case Piece::ObjectTextures:
    case Piece::SpriteTextures:
    case Piece::SpriteSequences:
    case Piece::Cameras:
    case Piece::SoundSources:
    case Piece::Boxes:
    case Piece::Overlaps:
    case Piece::Zones:
    case Piece::AnimatedTextures:
    case Piece::Items:
    case Piece::LightMap:
    case Piece::CinematicFrames:
    case Piece::DemoData:
    case Piece::SoundMap:
    case Piece::SoundDetails:
    case Piece::SampleIndices:
        break;
    }
    return InfoOf(p).Option;
}

uint64_t Mix(uint64_t h, uint64_t v) {
    h ^= v + 0x9E3779B97F4A7C15ull + (h << 6) + (h >> 2);
    h *= 0xBF58476D1CE4E5B9ull;
    return h ^ (h >> 31);
}

struct Side {
    const LevelFile& File;
    const WalkMap& Map;
    format::Generation Gen;
    int64_t Size() const { return File.Size(); }
    bool Holds(int64_t at, int64_t bytes) const { return at >= 0 && at + bytes <= File.Size(); }
};

// Both levels were walked, so each map holds the generation its version word named.
format::Generation GenerationOfMap(const WalkMap& map) {
    return static_cast<format::Generation>(map.Generation());
}

// Where a difference lies, as the descent builds it.
struct Place {
    Piece Chunk = Piece::Records;
    int16_t Room = -1;
    Piece Part = Piece::Records;
};

// Bytes that differ between len bytes at a in A and at b in B; a byte outside its file reads 0.
int64_t DifferingBytes(const Side& A, int64_t a, const Side& B, int64_t b, int64_t len) {
    if (len <= 0)
        return 0;
    const auto bytesA = A.File.Bytes();
    const auto bytesB = B.File.Bytes();
    if (A.Holds(a, len) && B.Holds(b, len)) {
        const uint8_t* pa = bytesA.data() + a;
        const uint8_t* pb = bytesB.data() + b;
        if (std::memcmp(pa, pb, static_cast<size_t>(len)) == 0)
            return 0;
        int64_t n = 0;
        for (int64_t i = 0; i < len; ++i)
            n += pa[i] != pb[i];
        return n;
    }
    int64_t n = 0;
    for (int64_t i = 0; i < len; ++i)
        n += A.File.U8(a + i) != B.File.U8(b + i);
    return n;
}

// The runs of differing bytes of a block, as DifferingBytes counts them.
struct DifferingRuns {
    int64_t Count = 0;
    int64_t RunCount = 0;
    std::vector<ByteRun> Runs;
};
DifferingRuns RunsOfDifference(const Side& A, int64_t a, const Side& B, int64_t b, int64_t len) {
    DifferingRuns out;
    int64_t runStart = -1;
    const auto close = [&](int64_t end) {
        ++out.RunCount;
        if (out.Runs.size() < kMostByteRuns)
            out.Runs.push_back({static_cast<int32_t>(a + runStart), static_cast<int32_t>(end - runStart)});
        runStart = -1;
    };
    const bool inside = A.Holds(a, len) && B.Holds(b, len);
    const uint8_t* pa = inside ? A.File.Bytes().data() + a : nullptr;
    const uint8_t* pb = inside ? B.File.Bytes().data() + b : nullptr;
    for (int64_t i = 0; i < len; ++i) {
        const bool differs = inside ? pa[i] != pb[i] : A.File.U8(a + i) != B.File.U8(b + i);
        out.Count += differs;
        if (differs && runStart < 0)
            runStart = i;
        else if (!differs && runStart >= 0)
            close(i);
    }
    if (runStart >= 0)
        close(len);
    return out;
}

// The room colour as the report shows it.
std::string ColourText(const LevelFile& f, int64_t at) {
    const format::Rgb c = RoomColourAt(f, at);
    return "R: " + std::to_string(c.R) + ",G: " + std::to_string(c.G) + ",B: " + std::to_string(c.B);
}

class Comparison {
  public:
    Comparison(const WalkedLevel& a, const WalkedLevel& b, const CompareOptions& options,
               const DifferenceSink& sink)
        : A{*a.Level, a.Map, GenerationOfMap(a.Map)}, B{*b.Level, b.Map, GenerationOfMap(b.Map)},
          options_(options), sink_(sink), work_(options.WorkBudget) {}

    CompareSummary Run() {
        VersionWords();
        Children(-1, -1, Place{});
        Endings();
        UnshownBytes();
        return summary_;
    }

  private:
    const Side A, B;
    const CompareOptions& options_;
    const DifferenceSink& sink_;
    int64_t work_;
    CompareSummary summary_;
    bool lastWasRecord_ = false; // the last anchor is a record's (or records')

    void Anchored(int64_t a, int64_t endA, int64_t b, int64_t endB) {
        if (options_.Anchors)
            options_.Anchors->push_back({a, endA, b, endB});
        lastWasRecord_ = false;
    }
    // A record right behind the last one anchored on both sides widens that anchor: a run whose records
    // all align costs one anchor, not one a record.
    void AnchoredRecord(const format::Record& rec, int64_t a, int64_t b) {
        if (!options_.Anchors)
            return;
        if (lastWasRecord_ && options_.Anchors->back().EndA == a && options_.Anchors->back().EndB == b) {
            options_.Anchors->back().EndA += rec.Size;
            options_.Anchors->back().EndB += rec.Size;
            return;
        }
        Anchored(a, a + rec.Size, b, b + rec.Size);
        lastWasRecord_ = true;
    }

    void Emit(const Difference& d) {
        ++summary_.Differences;
        sink_(d);
    }
    Difference At(Change what, const Place& place, int32_t spanA, int32_t spanB) const {
        Difference d;
        d.What = what;
        d.Chunk = place.Chunk;
        d.Room = place.Room;
        d.Part = place.Part;
        d.SpanA = spanA;
        d.SpanB = spanB;
        return d;
    }

    bool Selected(Piece p) const {
        const int section = SectionOf(p);
        if (section == kInherited)
            return true;
        if (section == kAnyRoomSection) {
            for (int i = optRoomInfo; i <= optRoomFlags; ++i)
                if (options_.Sections.On(i))
                    return true;
            return false;
        }
        return section >= 0 && options_.Sections.On(section);
    }

    // ---- Matching spans -------------------------------------------------------------------------

    // Children match by kind and order among their kind; rooms by their number.
    using Seen = std::array<int, static_cast<size_t>(Piece::Records) + 1>;
    static std::pair<int, int> MatchKey(const Span& s, Seen& seen) {
        if (s.What == Piece::Room)
            return {static_cast<int>(s.What), s.Index};
        return {static_cast<int>(s.What), seen[static_cast<size_t>(s.What)]++};
    }

    void Children(int32_t pa, int32_t pb, const Place& place) {
        const std::vector<int32_t> ca = A.Map.Children(pa);
        const std::vector<int32_t> cb = B.Map.Children(pb);
        Seen seen{};
        std::map<std::pair<int, int>, size_t> inB;
        for (size_t j = 0; j < cb.size(); ++j)
            inB.emplace(MatchKey(B.Map[cb[j]], seen), j);
        seen.fill(0);
        std::vector<bool> matched(cb.size(), false);
        for (int32_t ia : ca) {
            const auto found = inB.find(MatchKey(A.Map[ia], seen));
            if (found != inB.end() && !matched[found->second]) {
                matched[found->second] = true;
                Pair(ia, cb[found->second], place);
            } else {
                Pair(ia, -1, place);
            }
        }
        for (size_t j = 0; j < cb.size(); ++j)
            if (!matched[j])
                Pair(-1, cb[j], place);
    }

    void Pair(int32_t ia, int32_t ib, Place place) {
        const Span& s = ia >= 0 ? A.Map[ia] : B.Map[ib];
        if (!Selected(s.What))
            return;
        if (s.Kind == SpanKind::Chunk)
            place.Chunk = s.What;
        else if (s.Kind == SpanKind::Room)
            place.Room = s.Index;
        else if (s.Kind == SpanKind::Part)
            place.Part = s.What;
        if (ia < 0 || ib < 0) {
            OnlyInOne(ia, ib, place);
            return;
        }
        const Span& sa = A.Map[ia];
        const Span& sb = B.Map[ib];
        Anchored(sa.First, sa.End, sb.First, sb.End);
        switch (s.What) {
        case Piece::Palette8:
            Palette(ia, ib, place, 3, "R,G,B");
            return;
        case Piece::Palette16:
            Palette(ia, ib, place, 4, "R,G,B,A");
            return;
        case Piece::Tiles8:
            Tiles(ia, ib, place, format::kTile8Bytes);
            return;
        case Piece::Tiles16:
            Tiles(ia, ib, place, format::kTile16Bytes);
            return;
        case Piece::LightMap:
            Block(ia, ib, place, sa.First, sb.First, format::kLightMapBytes);
            return;
        case Piece::SoundMap:
            SoundMap(ia, ib, place);
            return;
        case Piece::MeshData:
        case Piece::Frames:
            Words(ia, ib, place);
            return;
        case Piece::Intensity1:
        case Piece::Intensity2:
        case Piece::LightMode:
        case Piece::AlternateRoom:
            Value(ia, ib, place, InfoOf(s.What).Name, sa.Count, sb.Count, InfoOf(s.What).CountWidth);
            return;
        case Piece::RoomFlag:
            Value(ia, ib, place, InfoOf(s.What).Name, A.File.S16(sa.First), B.File.S16(sb.First),
                  InfoOf(s.What).CountWidth);
            return;
        case Piece::RoomColour:
            RoomColour(ia, ib, place);
            return;
        case Piece::RoomHeader:
            if (sa.Record())
                RecordFields(ia, ib, place, *sa.Record(), sa.First, sb.First, "", -1, -1);
            return;
        case Piece::TextureTiles:
            if (sa.Count != sb.Count)
                Value(ia, ib, place, "count", sa.Count, sb.Count, sa.CountWidth);
            break;
        case Piece::Sectors:
            Value(ia, ib, place, "Z sectors", A.File.S16(sa.First), B.File.S16(sb.First), 2);
            Value(ia, ib, place, "X sectors", A.File.S16(sa.First + 2), B.File.S16(sb.First + 2), 2, 2);
            break;
        case Piece::AfterTiles:
        case Piece::Rooms:
        case Piece::Room:
        case Piece::RoomMeshes:
        case Piece::Vertices:
        case Piece::Rectangles:
        case Piece::Triangles:
        case Piece::RoomSprites:
        case Piece::Doors:
        case Piece::Lights:
        case Piece::RoomStaticMeshes:
        case Piece::FloorData:
        case Piece::MeshPointers:
        case Piece::Animations:
        case Piece::StateChanges:
        case Piece::AnimDispatches:
        case Piece::AnimCommands:
        case Piece::MeshTrees:
        case Piece::Moveables:
        case Piece::StaticMeshes:
        case Piece::ObjectTextures:
        case Piece::SpriteTextures:
        case Piece::SpriteSequences:
        case Piece::Cameras:
        case Piece::SoundSources:
        case Piece::Boxes:
        case Piece::Overlaps:
        case Piece::Zones:
        case Piece::AnimatedTextures:
        case Piece::Items:
        case Piece::CinematicFrames:
        case Piece::DemoData:
        case Piece::SoundDetails:
        case Piece::SampleIndices:
        case Piece::Records:
            break; // records and children, below
        }
        if (s.Kind == SpanKind::Run)
            Runs(ia, ib, place);
        else
            Children(ia, ib, place);
    }

    // A span one walk has and the other has not. Nothing is said when the other walk ended before it
    // got there; a run missing on one side is a run of no records there.
    void OnlyInOne(int32_t ia, int32_t ib, const Place& place) {
        const Side& other = ia >= 0 ? B : A;
        if (other.Map.Ending() != WalkEnding::Completed)
            return;
        const Span& s = ia >= 0 ? A.Map[ia] : B.Map[ib];
        if (s.Kind == SpanKind::Run) {
            Runs(ia, ib, place);
            return;
        }
        Difference d = At(ia >= 0 ? Change::Removed : Change::Added, place, ia, ib);
        if (s.Kind == SpanKind::Field) {
            // A field one generation has and the other not (Light Mode, Room Colour): with its value.
            d.Field = std::string(InfoOf(s.What).Name);
            const LevelFile& file = ia >= 0 ? A.File : B.File;
            (ia >= 0 ? d.ValueA : d.ValueB) =
                s.What == Piece::RoomColour ? ColourText(file, s.First) : std::to_string(file.S16(s.First));
        }
        (ia >= 0 ? d.OffsetA : d.OffsetB) = s.First;
        (ia >= 0 ? d.BytesA : d.BytesB) = s.End - s.First;
        Emit(d);
    }

    // ---- Values and blocks ----------------------------------------------------------------------

    void Value(int32_t ia, int32_t ib, const Place& place, std::string_view field, int64_t va, int64_t vb,
               int32_t bytes, int32_t at = 0) {
        if (va == vb)
            return;
        Difference d = At(Change::Changed, place, ia, ib);
        d.Field = std::string(field);
        d.ValueA = std::to_string(va);
        d.ValueB = std::to_string(vb);
        d.OffsetA = A.Map[ia].First + at;
        d.OffsetB = B.Map[ib].First + at;
        d.BytesA = d.BytesB = bytes;
        Emit(d);
    }

    void Block(int32_t ia, int32_t ib, const Place& place, int64_t a, int64_t b, int64_t len,
               std::string_view element = {}, int32_t index = -1) {
        if (DifferingBytes(A, a, B, b, len) == 0)
            return;
        DifferingRuns runs = RunsOfDifference(A, a, B, b, len);
        Difference d = At(Change::Bytes, place, ia, ib);
        d.Element = element;
        d.IndexA = d.IndexB = index;
        d.Count = runs.Count;
        d.Runs = std::move(runs.Runs);
        d.RunCount = runs.RunCount;
        d.OffsetA = static_cast<int32_t>(a);
        d.OffsetB = static_cast<int32_t>(b);
        d.BytesA = d.BytesB = static_cast<int32_t>(len);
        Emit(d);
    }

    // Colours of bytes bytes each, compared colour by colour.
    void Palette(int32_t ia, int32_t ib, const Place& place, int32_t bytes, std::string_view field) {
        const int32_t a = A.Map[ia].First, b = B.Map[ib].First;
        const auto text = [bytes](const LevelFile& f, int32_t at) {
            std::string t;
            for (int32_t i = 0; i < bytes; ++i)
                t.append(i ? "," : "").append(std::to_string(f.U8(at + i)));
            return t;
        };
        for (int32_t c = 0; c < 256; ++c) {
            if (DifferingBytes(A, a + c * bytes, B, b + c * bytes, bytes) == 0)
                continue;
            Difference d = At(Change::Changed, place, ia, ib);
            d.Element = "colour";
            d.IndexA = d.IndexB = c;
            d.Field = std::string(field);
            d.ValueA = text(A.File, a + c * bytes);
            d.ValueB = text(B.File, b + c * bytes);
            d.OffsetA = a + c * bytes;
            d.OffsetB = b + c * bytes;
            d.BytesA = d.BytesB = bytes;
            Emit(d);
        }
    }

    // Whole tiles. Only tiles that start inside a file are looked at: past both files' ends every tile
    // reads as zeros, so a count read from a damaged file costs nothing beyond the file's bytes.
    void Tiles(int32_t ia, int32_t ib, const Place& place, int32_t tileBytes) {
        const Span& sa = A.Map[ia];
        const Span& sb = B.Map[ib];
        const int32_t na = std::max(sa.Count, 0), nb = std::max(sb.Count, 0);
        for (int32_t t = 0; t < std::min(na, nb); ++t) {
            const int64_t a = sa.First + int64_t{t} * tileBytes, b = sb.First + int64_t{t} * tileBytes;
            if (a >= A.Size() && b >= B.Size())
                break;
            Block(ia, ib, place, a, b, tileBytes, "tile", t + 1); // numbered as Tile_1.bmp ... are
        }
        for (int pass = 0; pass < 2; ++pass) {
            const bool inA = pass == 0;
            const Span& s = inA ? sa : sb;
            const Side& side = inA ? A : B;
            for (int32_t t = std::min(na, nb); t < (inA ? na : nb); ++t) {
                const int64_t at = s.First + int64_t{t} * tileBytes;
                if (at >= side.Size())
                    break;
                Difference d = At(inA ? Change::Removed : Change::Added, place, ia, ib);
                d.Element = "tile";
                (inA ? d.IndexA : d.IndexB) = t + 1;
                (inA ? d.OffsetA : d.OffsetB) = static_cast<int32_t>(at);
                (inA ? d.BytesA : d.BytesB) = tileBytes;
                Emit(d);
            }
        }
    }

    // Mesh data and frames: counted 16-bit words that no section lists. A different count is one
    // difference; with the same count the words are compared as a block.
    void Words(int32_t ia, int32_t ib, const Place& place) {
        const Span& sa = A.Map[ia];
        const Span& sb = B.Map[ib];
        if (sa.Count != sb.Count) {
            Value(ia, ib, place, "count", sa.Count, sb.Count, sa.CountWidth);
            return;
        }
        const int64_t a = int64_t{sa.First} + sa.CountWidth, b = int64_t{sb.First} + sb.CountWidth;
        // Past both files' ends the words read as zeros on both sides.
        const int64_t len = std::min<int64_t>(int64_t{std::max(sa.Count, 0)} * 2,
                                              std::max<int64_t>({A.Size() - a, B.Size() - b, 0}));
        Block(ia, ib, place, a, b, len);
    }

    void RoomColour(int32_t ia, int32_t ib, const Place& place) {
        const int32_t a = A.Map[ia].First, b = B.Map[ib].First;
        if (DifferingBytes(A, a, B, b, format::kRoomColourBytes) == 0)
            return;
        Difference d = At(Change::Changed, place, ia, ib);
        d.Field = std::string(InfoOf(Piece::RoomColour).Name);
        d.ValueA = ColourText(A.File, a);
        d.ValueB = ColourText(B.File, b);
        d.OffsetA = a;
        d.OffsetB = b;
        d.BytesA = d.BytesB = format::kRoomColourBytes;
        Emit(d);
    }

    // The sound map's entries stand for sound numbers: compared entry by entry, never realigned.
    void SoundMap(int32_t ia, int32_t ib, const Place& place) {
        const auto& rec = format::kSoundMapEntry;
        const int32_t n = std::min(Listed(&A.Map[ia], rec), Listed(&B.Map[ib], rec));
        for (int32_t i = 0; i < n; ++i)
            RecordFields(ia, ib, place, rec, A.Map[ia].First + int64_t{i} * rec.Size,
                         B.Map[ib].First + int64_t{i} * rec.Size, "entry", i, i);
    }

    // ---- Records --------------------------------------------------------------------------------

    // Records a run lists: its count, or as far as the walk got when it ended inside the run.
    static int32_t Listed(const Span* s, const format::Record& rec) {
        if (!s)
            return 0;
        int32_t n = std::max(s->Count, 0);
        if (s->Has(Span::Cut) && rec.Size > 0)
            n = std::min(n, (s->End - s->First) / rec.Size);
        return n;
    }

    template <class F> static void ForEachValue(const format::Record& rec, F&& f) {
        for (size_t i = 0; i < rec.Fields.size(); ++i) {
            const format::Field& field = rec.Fields[i];
            if (field.How == format::Shown::Absent)
                continue;
            for (int rep = 0; rep < field.Repeat; ++rep)
                f(field, rep);
        }
    }

    bool SameRecord(const format::Record& rec, int64_t a, int64_t b) const {
        // Equal bytes show equal values when both files are read the same way.
        if (A.Gen == B.Gen && A.Holds(a, rec.Size) && B.Holds(b, rec.Size) &&
            std::memcmp(A.File.Bytes().data() + a, B.File.Bytes().data() + b,
                        static_cast<size_t>(rec.Size)) == 0)
            return true;
        bool same = true;
        ForEachValue(rec, [&](const format::Field& f, int rep) {
            same = same && FieldValue(A.File, f, a, A.Gen, rep) == FieldValue(B.File, f, b, B.Gen, rep);
        });
        return same;
    }

    static uint64_t KeyOf(const Side& side, const format::Record& rec, int64_t at) {
        uint64_t h = 0;
        ForEachValue(rec, [&](const format::Field& f, int rep) {
            h = Mix(h, static_cast<uint64_t>(FieldValue(side.File, f, at, side.Gen, rep)));
        });
        return h;
    }

    static std::vector<FieldText> Values(const Side& side, const format::Record& rec, int64_t at) {
        std::vector<FieldText> values;
        ForEachValue(rec, [&](const format::Field& f, int rep) {
            values.push_back({format::FieldName(f, rep),
                              format::FieldText(f, FieldValue(side.File, f, at, side.Gen, rep))});
        });
        return values;
    }

    // One line for each field of two aligned records whose shown values differ.
    void RecordFields(int32_t ia, int32_t ib, const Place& place, const format::Record& rec, int64_t a,
                      int64_t b, std::string_view element, int32_t indexA, int32_t indexB) {
        AnchoredRecord(rec, a, b);
        if (SameRecord(rec, a, b))
            return;
        ForEachValue(rec, [&](const format::Field& f, int rep) {
            const int64_t va = FieldValue(A.File, f, a, A.Gen, rep);
            const int64_t vb = FieldValue(B.File, f, b, B.Gen, rep);
            if (va == vb)
                return;
            Difference d = At(Change::Changed, place, ia, ib);
            d.Element = element;
            d.IndexA = indexA;
            d.IndexB = indexB;
            d.Field = format::FieldName(f, rep);
            d.ValueA = format::FieldText(f, va);
            d.ValueB = format::FieldText(f, vb);
            const int32_t within = f.Offset + rep * f.Stride;
            d.OffsetA = static_cast<int32_t>(a + within);
            d.OffsetB = static_cast<int32_t>(b + within);
            d.BytesA = d.BytesB = format::FieldBytes(f.Type);
            Emit(d);
        });
    }

    void OneRecord(bool inA, int32_t ia, int32_t ib, const Place& place, const format::Record& rec,
                   int32_t i) {
        const Side& side = inA ? A : B;
        const int64_t at = side.Map[inA ? ia : ib].First + int64_t{i} * rec.Size;
        Difference d = At(inA ? Change::Removed : Change::Added, place, ia, ib);
        d.Element = "record";
        (inA ? d.IndexA : d.IndexB) = i;
        d.Values = Values(side, rec, at);
        std::string& text = inA ? d.ValueA : d.ValueB;
        for (const FieldText& v : d.Values)
            text.append(text.empty() ? "" : ", ").append(v.Name).append("=").append(v.Value);
        (inA ? d.OffsetA : d.OffsetB) = static_cast<int32_t>(at);
        (inA ? d.BytesA : d.BytesB) = rec.Size;
        Emit(d);
    }

    // Records a0.. (na of them) of A against b0.. (nb) of B between two aligned pairs: the first
    // min(na, nb) pairs are changed records, the rest of the longer side removed or added.
    void Hunk(int32_t ia, int32_t ib, const Place& place, const format::Record& rec, int32_t a0, int32_t na,
              int32_t b0, int32_t nb) {
        const int32_t paired = std::min(na, nb);
        for (int32_t i = 0; i < paired; ++i)
            RecordFields(ia, ib, place, rec, RecordAt(A, ia, rec, a0 + i), RecordAt(B, ib, rec, b0 + i),
                         "record", a0 + i, b0 + i);
        for (int32_t i = paired; i < na; ++i)
            OneRecord(true, ia, ib, place, rec, a0 + i);
        for (int32_t i = paired; i < nb; ++i)
            OneRecord(false, ia, ib, place, rec, b0 + i);
    }

    static int64_t RecordAt(const Side& side, int32_t span, const format::Record& rec, int32_t i) {
        return side.Map[span].First + int64_t{i} * rec.Size;
    }

    void Runs(int32_t ia, int32_t ib, const Place& place) {
        const Span* ra = ia >= 0 ? &A.Map[ia] : nullptr;
        const Span* rb = ib >= 0 ? &B.Map[ib] : nullptr;
        const format::Record* rec = ra ? ra->Record() : rb->Record();
        if (!rec || (ra && rb && rb->Record() && rb->Record()->Fields.size() != rec->Fields.size()))
            return;
        int32_t na = Listed(ra, *rec), nb = Listed(rb, *rec);
        // A walk that ended inside the run is compared as far as it got.
        if ((ra && ra->Has(Span::Cut)) || (rb && rb->Has(Span::Cut)))
            na = nb = std::min(na, nb);

        int32_t prefix = 0;
        while (prefix < na && prefix < nb &&
               SameRecord(*rec, RecordAt(A, ia, *rec, prefix), RecordAt(B, ib, *rec, prefix))) {
            AnchoredRecord(*rec, RecordAt(A, ia, *rec, prefix), RecordAt(B, ib, *rec, prefix));
            ++prefix;
        }
        int32_t suffix = 0;
        while (
            suffix < na - prefix && suffix < nb - prefix &&
            SameRecord(*rec, RecordAt(A, ia, *rec, na - 1 - suffix), RecordAt(B, ib, *rec, nb - 1 - suffix)))
            ++suffix;
        for (int32_t i = suffix; i >= 1; --i)
            AnchoredRecord(*rec, RecordAt(A, ia, *rec, na - i), RecordAt(B, ib, *rec, nb - i));
        const int32_t lenA = na - prefix - suffix, lenB = nb - prefix - suffix;
        if (lenA == 0 || lenB == 0) {
            Hunk(ia, ib, place, *rec, prefix, lenA, prefix, lenB);
            return;
        }

        std::vector<uint64_t> keysA(static_cast<size_t>(lenA)), keysB(static_cast<size_t>(lenB));
        for (int32_t i = 0; i < lenA; ++i)
            keysA[static_cast<size_t>(i)] = KeyOf(A, *rec, RecordAt(A, ia, *rec, prefix + i));
        for (int32_t i = 0; i < lenB; ++i)
            keysB[static_cast<size_t>(i)] = KeyOf(B, *rec, RecordAt(B, ib, *rec, prefix + i));
        std::vector<AlignedPair> pairs;
        if (!AlignRuns(keysA, keysB, {.MaxEdits = options_.MaxEdits, .Work = &work_}, pairs)) {
            ++summary_.RunsPairedByIndex;
            Difference d = At(Change::Note, place, ia, ib);
            d.ValueA = "more than " + std::to_string(options_.MaxEdits) +
                       (options_.MaxEdits == 1 ? " record" : " records") +
                       " inserted or removed, or the comparison's alignment budget spent: records from " +
                       std::to_string(prefix) + " on paired by index";
            Emit(d);
            Hunk(ia, ib, place, *rec, prefix, lenA, prefix, lenB);
            return;
        }
        int32_t nextA = 0, nextB = 0;
        for (const AlignedPair& p : pairs) {
            Hunk(ia, ib, place, *rec, prefix + nextA, p.A - nextA, prefix + nextB, p.B - nextB);
            // Equal keys: the values are compared once more, so a key collision cannot hide a change.
            RecordFields(ia, ib, place, *rec, RecordAt(A, ia, *rec, prefix + p.A),
                         RecordAt(B, ib, *rec, prefix + p.B), "record", prefix + p.A, prefix + p.B);
            nextA = p.A + 1;
            nextB = p.B + 1;
        }
        Hunk(ia, ib, place, *rec, prefix + nextA, lenA - nextA, prefix + nextB, lenB - nextB);
    }

    // ---- The file as a whole --------------------------------------------------------------------

    static bool CompletedAtEnd(const WalkMap& m) {
        return m.Ending() == WalkEnding::Completed && m.EndOffset() == m.FileSize();
    }

    void Endings() {
        const WalkMap& a = A.Map;
        const WalkMap& b = B.Map;
        if (CompletedAtEnd(a) && CompletedAtEnd(b))
            return;
        const bool alike =
            a.Ending() == b.Ending() && a.EndOffset() == b.EndOffset() && a.FileSize() == b.FileSize();
        if (alike && summary_.Differences == 0)
            return;
        for (const WalkMap* m : {&a, &b}) {
            Difference d;
            d.What = Change::Ending;
            d.File = m == &a ? 'A' : 'B';
            d.Field = std::string(EndingName(m->Ending()));
            d.Ended = m->End();
            (m == &a ? d.OffsetA : d.OffsetB) = m->EndOffset();
            d.Count = m->FileSize();
            Emit(d);
        }
    }

    // DM2 against DM3: one first line names the two words and generations; the walks are compared
    // field by field all the same, each read as its own generation.
    void VersionWords() {
        if (A.Gen == B.Gen)
            return;
        const auto text = [](const Side& side) {
            return HexOfLong(side.File.S32(0), 32, false) + " (DM" +
                   std::to_string(static_cast<int>(side.Gen)) + ")";
        };
        Difference d = At(Change::Changed, Place{}, -1, -1);
        d.Field = "version word";
        d.ValueA = text(A);
        d.ValueB = text(B);
        d.OffsetA = d.OffsetB = 0;
        d.BytesA = d.BytesB = format::kVersionWordBytes;
        Emit(d);
    }

    // Files that differ only where the report shows no value (bytes a zone block does not show, the
    // tail of an animation record) still differ: one line says so, when every section was compared.
    void UnshownBytes() {
        if (summary_.Differences > 0)
            return;
        for (int i = 0; i < kDetailOptionCount; ++i)
            if (!options_.Sections.On(i))
                return;
        Difference d = At(Change::Changed, Place{}, -1, -1);
        if (A.File.FileLength() != B.File.FileLength()) {
            d.Field = "size";
            d.ValueA = std::to_string(A.File.FileLength());
            d.ValueB = std::to_string(B.File.FileLength());
            Emit(d);
            return;
        }
        if (DifferingBytes(A, 0, B, 0, A.Size()) == 0)
            return;
        DifferingRuns runs = RunsOfDifference(A, 0, B, 0, A.Size());
        d.What = Change::Bytes;
        d.Count = runs.Count;
        d.Runs = std::move(runs.Runs);
        d.RunCount = runs.RunCount;
        d.OffsetA = d.OffsetB = 0;
        d.BytesA = d.BytesB = static_cast<int32_t>(A.Size());
        Emit(d);
    }
};

} // namespace

CompareSummary CompareLevels(const WalkedLevel& a, const WalkedLevel& b, const CompareOptions& options,
                             const DifferenceSink& sink) {
    if (!a.Walked() || !b.Walked())
        return {};
    return Comparison(a, b, options, sink).Run();
}

} // namespace compare
