#include "report/JsonReport.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>
#include <optional>
#include <vector>
#ifdef __linux__
#include <sys/mman.h>
#endif

#include "format/FieldText.h"
#include "format/FieldValue.h"
#include "format/LevelFormat.h"
#include "format/NumberText.h"
#include "report/ReportLimit.h"
#include "report/ReportRun.h"

namespace {

// How each record kind is written: the key in front of every field (",\"Name\":", empty for a column
// the text leaves empty) and the most bytes one record can take, so a record is written without a
// bounds check per value.
struct RecordShape {
    std::vector<std::string> Keys;
    size_t MostBytes = 0;
    size_t TypicalBytes = 0;
};

constexpr size_t kLongestNumber = 21;     // "-9223372036854775808" and one to spare
constexpr size_t kLongestHex = 12;        // "\"0x" + 8 digits + "\""
constexpr size_t kLongestRecordLead = 64; // {"offset":...,"index":...}
constexpr size_t kDeepestIndent = 16;     // a record's line break and indent, at most

std::vector<RecordShape> MakeShapes() {
    std::vector<RecordShape> shapes;
    for (const format::Record* record : format::kAllRecords) {
        RecordShape shape;
        shape.MostBytes = kLongestRecordLead + kDeepestIndent + 2;
        shape.TypicalBytes = 32;
        for (const format::Field& f : record->Fields) {
            std::string key;
            if (f.How != format::Shown::Absent) {
                key = ",";
                AppendJsonString(key, f.Name);
                key += ':';
            }
            const size_t value = ShownAsHex(f.How) ? kLongestHex : kLongestNumber;
            shape.MostBytes += key.size() + 2 + f.Repeat * (value + 1);
            shape.TypicalBytes += key.size() + f.Repeat * (ShownAsHex(f.How) ? 8 : 4);
            shape.Keys.push_back(std::move(key));
        }
        shapes.push_back(std::move(shape));
    }
    return shapes;
}

const RecordShape& ShapeOf(uint8_t recordKind) {
    static const std::vector<RecordShape> shapes = MakeShapes();
    return shapes[static_cast<size_t>(recordKind - 1)];
}

char* Copy(char* p, std::string_view s) {
    if (!s.empty())
        std::memcpy(p, s.data(), s.size());
    return p + s.size();
}

char* Number(char* p, int64_t v) {
    return std::to_chars(p, p + kLongestNumber, v).ptr;
}

// One value as the text shows it: a number, or the hex text as a string.
char* Value(char* p, const format::Field& f, const LevelFile& level, int64_t at, format::Generation g,
            int rep) {
    const int64_t v = FieldValue(level, f, at, g, rep);
    if (!ShownAsHex(f.How))
        return format::AppendFieldText(p, f, v);
    *p++ = '"';
    p = format::AppendFieldText(p, f, v);
    *p++ = '"';
    return p;
}

// Bytes of one unit of a chunk's count, where the byte figure of its summary line is count x unit.
int64_t UnitBytes(const Span& s) {
    if (const int32_t unit = InfoOf(s.What).UnitBytes; unit > 0)
        return unit;
    return s.Record() ? s.Record()->Size : -1;
}

// Records whose lines are all in the text: a walk cut inside a record leaves that one out.
int32_t WholeRecords(const Span& run) {
    const int32_t per = std::max<int32_t>(run.Record()->LinesPerRecord, 1);
    const int32_t written = std::max(run.EndLine - run.Line - 1, 0) / per;
    return std::clamp(run.Count, 0, written);
}

// A document of many megabytes held in memory (the window's) is written into fresh memory: room for it
// at a guess from its records spares the string its regrowth, and large pages spare the kernel a fault
// every 4 KiB of it, which costs more than the writing itself.
void ReserveForDocument(std::string& out, const WalkMap& map) {
    size_t guess = 512 + static_cast<size_t>(map.Size()) * 160;
    for (const Span& s : map.Spans())
        if (s.Kind == SpanKind::Run && s.Record())
            guess += static_cast<size_t>(WholeRecords(s)) * ShapeOf(s.RecordKind).TypicalBytes;
    out.reserve(out.size() + guess + 4096);
#ifdef __linux__
    constexpr uintptr_t kLarge = uintptr_t{2} << 20;
    const auto data = reinterpret_cast<uintptr_t>(out.data());
    const uintptr_t first = (data + kLarge - 1) & ~(kLarge - 1);
    const uintptr_t end = (data + out.capacity()) & ~(kLarge - 1);
    if (end > first + 4 * kLarge)
        ::madvise(reinterpret_cast<void*>(first), end - first, MADV_HUGEPAGE);
#endif
}

// Writes the document into a buffer of about a block and hands each block to a sink. Spans come in as
// the walk closes them: a top-level chunk is written whole when it closes, a room when it closes, and
// the Rooms chunk around its rooms, its head when the first room opens.
class Writer {
  public:
    static constexpr size_t kBlockBytes = size_t{1} << 20;

    Writer(ReportSink& sink, const LevelFile& level, const WalkMap& map)
        : sink_(sink), level_(level), map_(map),
          generation_(static_cast<format::Generation>(map.Generation())) {
        out_.resize(kBlockBytes + (size_t{64} << 10));
    }

    void Head(std::string_view path) {
        Raw("{\"file\": ");
        String(path);
        Raw(", \"size\": ");
        Int(level_.FileLength());
        Raw(", \"version\": \"");
        Raw(ReadVersionCode(level_, 0));
        Raw("\", \"generation\": ");
        if (map_.Generation() == 0)
            Raw("null");
        else
            Int(map_.Generation());
        Raw(",\n \"chunks\": [");
    }

    // A room opens: the first one of the Rooms chunk writes the chunk's head.
    void RoomOpened(int32_t room) {
        const int32_t rooms = map_[room].Parent;
        if (rooms < 0 || rooms == roomsHead_)
            return;
        const Span& s = map_[rooms];
        TopLevelComma();
        Indent(1);
        Begin(s, map_[room].Line - s.Line);
        Raw(", \"children\": [");
        roomsHead_ = rooms;
        roomsWritten_ = 0;
    }

    void Closed(int32_t span) {
        const Span& s = map_[span];
        if (s.Kind == SpanKind::Room && s.Parent >= 0 && s.Parent == roomsHead_) {
            if (roomsWritten_++ > 0)
                Raw(",");
            Node(span, 2);
        } else if (s.Parent < 0 && span == roomsHead_) {
            Raw("], \"end\": ");
            Int(s.End);
            Flags(s);
            Raw("}");
            roomsHead_ = -1;
        } else if (s.Parent < 0) {
            TopLevelComma();
            Node(span, 1);
        }
        if (len_ >= kBlockBytes)
            Flush();
    }

    void Tail() {
        Raw("\n ],\n ");
        Ended();
        Raw("}\n");
        Flush();
    }

    // Bytes of the document so far.
    size_t Bytes() const { return handed_ + len_; }

  private:
    void Flush() {
        if (len_ > 0)
            sink_.Write(std::string_view(out_.data(), len_));
        handed_ += len_;
        len_ = 0;
    }
    char* Room(size_t n) {
        if (len_ + n > out_.size()) {
            Flush();
            if (n > out_.size())
                out_.resize(n);
        }
        return out_.data() + len_;
    }
    void Raw(std::string_view s) { len_ = static_cast<size_t>(Copy(Room(s.size()), s) - out_.data()); }
    void Int(int64_t v) { len_ = static_cast<size_t>(Number(Room(kLongestNumber), v) - out_.data()); }
    void Key(std::string_view key, int64_t v) {
        Raw(", \"");
        Raw(key);
        Raw("\": ");
        Int(v);
    }
    void String(std::string_view s) {
        scratch_.clear();
        AppendJsonString(scratch_, s);
        Raw(scratch_);
    }
    void Indent(int depth) {
        char* p = Room(static_cast<size_t>(depth) + 1);
        *p++ = '\n';
        std::memset(p, ' ', static_cast<size_t>(depth));
        len_ += static_cast<size_t>(depth) + 1;
    }
    void TopLevelComma() {
        if (chunksWritten_++ > 0)
            Raw(",");
    }

    // How the walk ended. Kept apart: the ending is worded in one place.
    void Ended() {
        Raw("\"ended\": {\"how\": \"");
        Raw(EndingName(map_.Ending()));
        Raw("\", \"offset\": ");
        Int(map_.EndOffset());
        Raw("}");
    }

    // What a node shows first: its name, number, section, first byte and the facts of the lines it
    // wrote itself.
    void Begin(const Span& s, int32_t ownLines) {
        Raw("{\"name\": ");
        String(s.Name());
        if (s.Kind == SpanKind::Room)
            Key("index", s.Index);
        if (const int option = InfoOf(s.What).Option; option != kNoDetailOption)
            Key("section", option);
        Key("offset", s.First);
        if (ownLines > 0)
            Facts(s, ownLines);
    }

    // The facts of a span's own lines: its count, byte figure and line where the text shows them.
    void Facts(const Span& s, int32_t lines) {
        switch (s.What) {
        case Piece::Palette8:
            Key("bytes", format::kPalette8Bytes);
            break;
        case Piece::Palette16:
            Key("bytes", format::kPalette16Bytes);
            break;
        case Piece::TextureTiles:
            Key("count", s.Count);
            break;
        case Piece::Room:
        case Piece::RoomHeader:
        case Piece::AfterTiles:
            break;
        case Piece::Rooms:
        case Piece::AlternateRoom:
            Key("count", s.Count);
            Key("bytes", InfoOf(s.What).CountWidth);
            break;
        case Piece::Intensity1:
        case Piece::Intensity2:
        case Piece::LightMode:
        case Piece::RoomFlag:
            Key("value", s.Count);
            break;
        case Piece::RoomColour: {
            const format::Rgb colour = RoomColourAt(level_, s.First);
            Key("r", colour.R);
            Key("g", colour.G);
            Key("b", colour.B);
            Key("bytes", format::kRoomColourBytes);
            break;
        }
        case Piece::LightMap:
            Key("count", s.Count);
            Key("bytes", format::kLightMapBytes);
            break;
        case Piece::Sectors: // a line each for the Z and X counts, then the sector count
            Key("zSectors", level_.S16(s.First));
            if (lines >= 2)
                Key("xSectors", level_.S16(int64_t{s.First} + 2));
            if (lines >= 3) {
                Key("count", s.Count);
                Key("bytes", int64_t{s.Count} * format::kSector.Size);
            }
            break;
        case Piece::Tiles8:
        case Piece::Tiles16:
        case Piece::RoomMeshes:
        case Piece::Vertices:
        case Piece::Rectangles:
        case Piece::Triangles:
        case Piece::RoomSprites:
        case Piece::Doors:
        case Piece::Lights:
        case Piece::RoomStaticMeshes:
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
        case Piece::CinematicFrames:
        case Piece::DemoData:
        case Piece::SoundMap:
        case Piece::SoundDetails:
        case Piece::SampleIndices:
        case Piece::Records:
            Key("count", s.Count);
            if (const int64_t unit = UnitBytes(s); unit >= 0)
                Key("bytes", s.Count * unit);
            break;
        }
        Key("line", int64_t{s.Line} + 1);
    }

    void Flags(const Span& s) {
        if (s.Has(Span::Cut))
            Raw(", \"cut\": true");
        if (s.Has(Span::SteppedBack))
            Raw(", \"steppedBack\": true");
        if (s.Has(Span::PastEnd))
            Raw(", \"pastEnd\": true");
    }

    // count records from the span's first byte (a run's, or the one of a shown room header), behind
    // `before` records already written.
    void Records(const Span& s, int32_t count, int32_t before, int depth) {
        const std::string_view indent =
            std::string_view("\n               ")
                .substr(0, static_cast<size_t>(std::min<int>(depth, kDeepestIndent - 1)) + 1);
        const format::Record& record = *s.Record();
        const RecordShape& shape = ShapeOf(s.RecordKind);
        const bool indexed = record.LeadColumns != 2;
        for (int32_t i = 0; i < count; ++i) {
            const int64_t at = int64_t{s.First} + int64_t{i} * record.Size;
            char* p = Room(shape.MostBytes);
            if (before + i > 0)
                *p++ = ',';
            p = Copy(p, indent);
            p = Copy(p, "{\"offset\":");
            p = Number(p, at);
            if (indexed) {
                p = Copy(p, ",\"index\":");
                p = Number(p, i);
            }
            for (size_t k = 0; k < record.Fields.size(); ++k) {
                const format::Field& f = record.Fields[k];
                if (shape.Keys[k].empty())
                    continue;
                p = Copy(p, shape.Keys[k]);
                if (f.Repeat > 1) {
                    *p++ = '[';
                    for (int rep = 0; rep < f.Repeat; ++rep) {
                        if (rep > 0)
                            *p++ = ',';
                        p = Value(p, f, level_, at, generation_, rep);
                    }
                    *p++ = ']';
                } else {
                    p = Value(p, f, level_, at, generation_, 0);
                }
            }
            *p++ = '}';
            len_ = static_cast<size_t>(p - out_.data());
        }
    }

    // A span and everything inside it.
    void Node(int32_t index, int depth) {
        const Span& s = map_[index];
        Indent(depth);
        Begin(s, s.EndLine - s.Line);
        Key("end", s.End);
        Flags(s);

        std::vector<int32_t> parts;
        std::vector<int32_t> runs;
        for (int32_t child : map_.Children(index))
            (map_[child].Kind == SpanKind::Run && map_[child].Record() ? runs : parts).push_back(child);
        if (s.What == Piece::RoomHeader && s.Record() && s.EndLine - s.Line >= 2) {
            // The header line, then the values: one record without a number.
            Key("recordsLine", int64_t{s.Line} + 1);
            Raw(", \"records\": [");
            Records(s, 1, 0, depth + 1);
            Raw("]");
        } else if (!runs.empty()) {
            Key("recordsLine", int64_t{map_[runs.front()].Line} + 1);
            Raw(", \"records\": [");
            int32_t written = 0;
            for (int32_t run : runs) {
                const int32_t n = WholeRecords(map_[run]);
                Records(map_[run], n, written, depth + 1);
                written += n;
            }
            Raw("]");
        }
        if (!parts.empty()) {
            Raw(", \"children\": [");
            for (size_t i = 0; i < parts.size(); ++i) {
                if (i > 0)
                    Raw(",");
                Node(parts[i], depth + 1);
            }
            Raw("]");
        }
        Raw("}");
    }

    ReportSink& sink_;
    std::string out_;   // the block being written
    size_t len_ = 0;    // bytes of out_ written; the rest is room ahead
    size_t handed_ = 0; // bytes handed to the sink
    std::string scratch_;
    const LevelFile& level_;
    const WalkMap& map_;
    const format::Generation generation_;
    int32_t chunksWritten_ = 0;
    int32_t roomsHead_ = -1; // the Rooms chunk whose head is written and whose rooms follow
    int32_t roomsWritten_ = 0;
};

struct StringSink final : ReportSink {
    std::string& Out;
    explicit StringSink(std::string& out) : Out(out) {}
    void Write(std::string_view block) override { Out.append(block); }
};

// Writes the document as the walk goes. The writer is made at the walk's first span, once the run
// has read its level.
class JsonStream final : public SpanWatcher {
  public:
    JsonStream(const AppState& state, ReportSink& sink) : state_(state), sink_(sink) {}

    void Opened(const WalkMap& map, int32_t span) override {
        Start();
        if (map[span].Kind == SpanKind::Room)
            writer_->RoomOpened(span);
    }
    bool Closed(const WalkMap&, int32_t span) override {
        Start();
        writer_->Closed(span);
        return writer_->Bytes() <= limit_;
    }
    void Finish() {
        Start();
        writer_->Tail();
    }

  private:
    void Start() {
        if (writer_)
            return;
        writer_.emplace(sink_, *state_.Level, state_.Map);
        writer_->Head(state_.LevelFilePath);
        limit_ = ReportByteLimit(state_.Level->FileLength(), state_.ReportFixedBytes);
    }

    const AppState& state_;
    ReportSink& sink_;
    std::optional<Writer> writer_;
    size_t limit_ = 0;
};

} // namespace

void AppendJsonReport(std::string& out, std::string_view path, const LevelFile& level, const WalkMap& map) {
    ReserveForDocument(out, map);
    StringSink sink(out);
    Writer writer(sink, level, map);
    writer.Head(path);
    // The spans as the walk closed them: a chunk's rooms before the chunk.
    for (int32_t chunk : map.TopLevel()) {
        const std::vector<int32_t> children = map.Children(chunk);
        if (!children.empty() && map[children.front()].Kind == SpanKind::Room) {
            writer.RoomOpened(children.front());
            for (int32_t room : children)
                writer.Closed(room);
        }
        writer.Closed(chunk);
    }
    writer.Tail();
}

std::string JsonReport(const AppState& state) {
    std::string out;
    if (state.Level)
        AppendJsonReport(out, state.LevelFilePath, *state.Level, state.Map);
    return out;
}

int16_t StreamJsonReport(AppState& state, const std::string& path, ReportSink& sink,
                         std::shared_ptr<const LevelFile> level) {
    JsonStream stream(state, sink);
    // The text is counted and dropped a small block at a time; the map drops each room once written.
    struct Restore {
        AppState& State;
        ~Restore() {
            State.Map.Watch(nullptr);
            State.Report.StreamTo(nullptr, 0);
            State.Report.ReplaceAll("");
        }
    } restore{state};
    state.Map.Watch(&stream, ClosedRooms::Dropped);
    state.Report.KeepNoText();
    const int16_t status = level ? ReportLevel(state, path, std::move(level)) : ReportLevelFile(state, path);
    if (!state.LastRun.Unread)
        stream.Finish();
    return status;
}
