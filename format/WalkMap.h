#pragma once
// The walk map: which bytes every chunk, room, room part, field and listed run of records covers, and
// which report lines it wrote. The walker records it while it writes the text; the JSON writer, the
// views, the comparison and the summary read it.
//
// Spans are kept per chunk, room, part and run, never per record: record i of a run starts at
// First + i x size, and its lines follow the run's header line, LinesPerRecord lines each.
#include <cstdint>
#include <string_view>
#include <vector>

#include "format/DetailOptions.h"
#include "format/LevelFormat.h"

// What a span is, in the order of the file.
enum class Piece : uint8_t {
    Palette8,
    Palette16,
    TextureTiles,
    Tiles8,
    Tiles16,
    AfterTiles,
    Rooms,
    Room,
    RoomHeader,
    RoomMeshes,
    Vertices,
    Rectangles,
    Triangles,
    RoomSprites,
    Doors,
    Sectors,
    Intensity1,
    Intensity2,
    LightMode,
    Lights,
    RoomStaticMeshes,
    AlternateRoom,
    RoomFlag,
    RoomColour,
    FloorData,
    MeshData,
    MeshPointers,
    Animations,
    StateChanges,
    AnimDispatches,
    AnimCommands,
    MeshTrees,
    Frames,
    Moveables,
    StaticMeshes,
    ObjectTextures,
    SpriteTextures,
    SpriteSequences,
    Cameras,
    SoundSources,
    Boxes,
    Overlaps,
    Zones,
    AnimatedTextures,
    Items,
    LightMap,
    CinematicFrames,
    DemoData,
    SoundMap,
    SoundDetails,
    SampleIndices,
    Records, // a listed run of records
};

// The groups the strata bar colours chunks by.
enum class ChunkGroup : uint8_t { Graphics, Rooms, Geometry, Animation, Textures, Navigation, Sound };

// What every consumer knows of a piece, in one place: a new piece is described here and in the switches
// over Piece (none has a default, so the compiler names each one that misses it).
struct PieceInfo {
    std::string_view Name;
    int8_t Option; // the detail option (DetailOption) that lists it, kNoDetailOption where none does
    ChunkGroup Group;
    uint8_t CountWidth; // bytes of the count or value field the walk reads at its first byte; 0: none
    int32_t UnitBytes;  // bytes of one unit of its count where the piece fixes it (tiles, words); 0 where
                        // its records' kind gives it, or it has none
};
const PieceInfo& InfoOf(Piece piece);

enum class SpanKind : uint8_t {
    Chunk, // a top-level chunk
    Room,  // one room of the room chunk
    Part,  // a part of a room, or of the tile chunk
    Field, // a fixed field the walk steps over
    Run,   // a listed run of records
};

struct Span {
    enum Flag : uint8_t {
        Cut = 1, // the walk ended inside it: End is where it stood
        SteppedBack =
            2,       // a negative count moved the running offset back; End stops at First + the count field
        PastEnd = 4, // it reaches past the end of the file
    };
    int32_t First = 0;      // first byte (the count field, where it has one)
    int32_t End = 0;        // one past the last byte; never below First
    int32_t Count = 0;      // the count as the report shows it (records of a run; 0 where there is none)
    int32_t Line = 0;       // 0-based report line it wrote first (a chunk's summary, a run's header line)
    int32_t EndLine = 0;    // one past the last report line it wrote
    int32_t Parent = -1;    // index of the enclosing span
    int32_t Next = 0;       // index of the first span after its own children (spans are kept in walk order)
    int16_t Index = -1;     // a room's number
    uint8_t RecordKind = 0; // 1 + the index in format::kAllRecords of its records' kind; 0 for none
    Piece What = Piece::Records;
    SpanKind Kind = SpanKind::Chunk;
    uint8_t Depth = 0;
    uint8_t CountWidth = 0; // bytes of the count field at First (0: none)
    uint8_t Flags = 0;

    bool Has(Flag f) const { return (Flags & f) != 0; }
    // The kind of its records (runs, and the chunks that hold them); null for none.
    const format::Record* Record() const {
        return RecordKind == 0 ? nullptr : format::kAllRecords[static_cast<size_t>(RecordKind - 1)];
    }
    std::string_view Name() const {
        return What == Piece::Records && Record() ? Record()->Name : InfoOf(What).Name;
    }
};

// How a walk ended. Completed is a walk that came to its last chunk, wherever that left it; SteppedBack
// one that came there before the file's first byte.
enum class WalkEnding : uint8_t { None, Completed, Overflow, SizeLimit, NotALevel, SteppedBack };

// How a walk ended and where it stood then: the one value every output describes (the report run
// words it, EndingName names it).
struct WalkEnd {
    WalkEnding How = WalkEnding::None;
    int32_t Offset = 0; // the running offset where the walk ended, or where a fault stopped it
    int64_t FileSize = 0;
    uint32_t VersionWord = 0; // the file's first word, for a file that is not a level
    int16_t Fault = 0;        // a fault other than an overflow or the size limit, for its number
};

// The bytes a report line describes: the main range, and a wider one shown dimmer (a summary line's
// chunk around its count field). Empty ranges where a line describes no bytes.
struct LineBytes {
    int32_t First = 0, End = 0;
    int32_t DimFirst = 0, DimEnd = 0;
    int32_t Span = -1;   // the span that wrote the line
    int32_t Record = -1; // the record of a run the line belongs to, -1 for the run's own lines
};

class WalkMap;

// Told of every span as the walk opens and closes it, for a reader that writes while the walk goes on
// (the streamed JSON document). A span's children are closed before it.
class SpanWatcher {
  public:
    virtual ~SpanWatcher() = default;
    virtual void Opened(const WalkMap& map, int32_t span) = 0;
    // False asks the walk to stop here: what the watcher wrote has outgrown the report's size limit.
    virtual bool Closed(const WalkMap& map, int32_t span) = 0;
};

// Whether the map keeps the spans of the rooms it has closed. A command that streams its report needs
// none of them afterwards, and 32767 rooms would hold some 20 MB of spans.
enum class ClosedRooms : uint8_t { Kept, Dropped };

class WalkMap {
  public:
    // ---- Recording (the walker) ----
    void Reset(int64_t fileSize, int16_t generation);
    // Opens a span at first, inside the innermost open span; line is the next report line.
    int32_t Open(SpanKind kind, Piece what, int32_t first, int32_t line, uint8_t countWidth = 0,
                 const format::Record* record = nullptr, int16_t index = -1);
    // Closes the innermost open span at end, after the last line it wrote. False when the watcher asks
    // the walk to stop.
    bool Close(int32_t end, int32_t endLine, int32_t count);
    // Sets the count of the innermost open span (known before its end).
    void SetCount(int32_t count);
    // Spans open now: 0 outside every span.
    int32_t OpenSpans() const { return static_cast<int32_t>(open_.size()); }
    // Ends the walk: every span still open is cut at offset. fault is the number of a fault other than
    // an overflow or the size limit that ended it, 0 for none.
    void Finish(WalkEnding how, int32_t offset, int32_t endLine, int16_t fault = 0);
    // From the next walk on, tells watcher (null: none) of every span, and keeps or drops the rooms
    // once they are closed and told. Reset leaves both as they are.
    void Watch(SpanWatcher* watcher, ClosedRooms rooms = ClosedRooms::Kept) {
        watcher_ = watcher;
        rooms_ = rooms;
    }

    // ---- Reading ----
    const std::vector<Span>& Spans() const { return spans_; }
    const Span& operator[](int32_t i) const { return spans_[static_cast<size_t>(i)]; }
    int32_t Size() const { return static_cast<int32_t>(spans_.size()); }
    bool Empty() const { return spans_.empty(); }
    int64_t FileSize() const { return fileSize_; }
    int16_t Generation() const { return generation_; }
    WalkEnding Ending() const { return ending_; }
    int32_t EndOffset() const { return endOffset_; } // where the walk stood when it ended
    // How the walk ended, as one value (its version word is not known to the map: 0).
    WalkEnd End() const {
        return {.How = ending_, .Offset = endOffset_, .FileSize = fileSize_, .Fault = fault_};
    }
    int32_t LineCount() const { return endLine_; }

    // The most specific span whose bytes hold offset; -1 where none does.
    int32_t SpanAt(int64_t offset) const;
    // The most specific span that wrote line; -1 for the lines before and after the walk.
    int32_t SpanOfLine(int32_t line) const;
    // The record of a run a line belongs to; -1 for the run's header line or a span that is no run.
    int32_t RecordOfLine(int32_t span, int32_t line) const;
    // The first report line of record i of a run.
    int32_t LineOfRecord(int32_t span, int32_t record) const;
    // The bytes of record i of a run.
    int32_t RecordFirst(int32_t span, int32_t record) const;
    // The most specific line that covers offset: the record line of a run, or the span's first line.
    int32_t LineAt(int64_t offset) const;
    // What a report line describes.
    LineBytes BytesOfLine(int32_t line) const;
    // The top-level chunks in file order (the order the walk met them).
    std::vector<int32_t> TopLevel() const;
    // The children of a span, in order.
    std::vector<int32_t> Children(int32_t span) const;
    // The first span of a kind, -1 when the walk did not reach one.
    int32_t Find(Piece what) const;

    // Bytes the map holds, for the memory budget.
    size_t MemoryBytes() const {
        return spans_.capacity() * sizeof(Span) + open_.capacity() * sizeof(int32_t);
    }

  private:
    template <class Holds, class PastIt> int32_t Descend(Holds holds, PastIt pastIt) const;

    std::vector<Span> spans_;
    std::vector<int32_t> open_; // the stack of open spans
    SpanWatcher* watcher_ = nullptr;
    ClosedRooms rooms_ = ClosedRooms::Kept;
    int64_t fileSize_ = 0;
    int16_t generation_ = 0;
    WalkEnding ending_ = WalkEnding::None;
    int32_t endOffset_ = 0;
    int32_t endLine_ = 0;
    int16_t fault_ = 0;
};

// The name a walk ending is known by in the JSON and the summary.
std::string_view EndingName(WalkEnding how);
