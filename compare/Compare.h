#pragma once
// Comparing two levels by their structure, never by offset: each is walked with every section detailed
// (the text is counted, not kept), then chunks are matched by kind and order, rooms by number,
// room parts by kind, the records of a run aligned by their values (RecordAlign.h), and aligned
// records compared field by field. Values read as the text report shows them (FieldValue.h). Fixed
// blocks are compared element by element: palette colours, sound map entries, and the tiles and the
// light map as whole blocks ("tile 3: differs in 1,204 bytes, first at 0x30A04").
//
// Differences go to a sink as they are found, so the comparison holds no list of its own: its memory
// is the two levels' bytes, their walk maps and the run being aligned.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "format/DetailOptions.h"
#include "format/LevelFile.h"
#include "format/WalkMap.h"
#include "report/ReportLimit.h"

namespace compare {

// One level walked for the comparison.
struct WalkedLevel {
    int16_t Status = 0; // 0, or the open's status number (LevelFile.h) when the file could not be read
    std::shared_ptr<const LevelFile> Level;
    WalkMap Map;
    bool Readable() const { return Status == 0 && Level != nullptr; }
    // Whether there is a walk to compare: a DM2 or DM3 level whose walk mapped something.
    bool Walked() const { return Readable() && Map.Ending() != WalkEnding::NotALevel && !Map.Empty(); }
};

// Walks the level at path as strata-report --all walks it, whatever sections are compared later: every
// detail option on, its header lines counted, so the report's size limit ends the walk where it ends
// the report's (palettes and tiles are compared from their bytes; nothing is loaded or exported).
// fixedBytes is the fixed part of that limit, which bounds a walk over the same bytes again and again.
WalkedLevel WalkForComparison(const std::string& path, int64_t fixedBytes = kReportFixedBytes);
// The same over a level already read; path is the name its header line shows.
WalkedLevel WalkForComparison(std::shared_ptr<const LevelFile> level, const std::string& path,
                              int64_t fixedBytes = kReportFixedBytes);

// Why a walked level cannot be compared, about name (its path): "NAME is not a DM2 or DM3 level:
// nothing compared"; empty when it can be. The caller says first when it could not be read.
std::string NothingCompared(const WalkedLevel& level, std::string_view name);

enum class Change : uint8_t {
    Changed, // a field of two aligned records, or a single value, differs
    Added,   // a record, room or part only in B
    Removed, // only in A
    Bytes,   // a block (a tile, the light map, an unlisted chunk) differs in Count bytes
    Ending,  // where a walk ended, when the two walks did not both complete at their files' ends
    Note,    // a run whose records were paired by index: too many edits to align
};

// One difference. The place is the chunk, the room, the part and the element's index in A and B;
// values are the text the report shows.
// Bytes of a block that differ, as runs of consecutive bytes in A: (offset, length). The same runs
// stand in B shifted by OffsetB - OffsetA.
struct ByteRun {
    int32_t Offset = 0;
    int32_t Length = 0;
    bool operator==(const ByteRun&) const = default;
};
inline constexpr size_t kMostByteRuns = 16; // runs kept of one block; RunCount counts them all

// A field's name and its value as the report shows it: decimal, or "0x" and hex digits.
struct FieldText {
    std::string Name;
    std::string Value;
};

struct Difference {
    Change What = Change::Changed;
    Piece Chunk = Piece::Records; // the top-level chunk; Records for the file as a whole
    int16_t Room = -1;
    Piece Part = Piece::Records; // a part of the room or chunk; Records for none
    std::string_view Element;    // "record", "tile", "colour", "entry"; empty for none
    int32_t IndexA = -1;         // the element's index in A, -1 where it has none there (tiles count from 1)
    int32_t IndexB = -1;
    std::string Field; // the column name of the detail header line; the ending's name for Ending
    std::string ValueA, ValueB;
    std::vector<FieldText> Values; // Added and Removed records: every field with its value
    int64_t Count = 0;             // Bytes: the bytes that differ; Ending: the file's size
    std::vector<ByteRun> Runs;     // Bytes: the first kMostByteRuns runs of differing bytes
    int64_t RunCount = 0;          // Bytes: all the runs
    char File = 0;                 // Ending: 'A' or 'B'
    WalkEnd Ended;                 // Ending: how that walk ended
    // The bytes it concerns in each file (offset, length); -1 where it has none there.
    int32_t OffsetA = -1, OffsetB = -1;
    int32_t BytesA = 0, BytesB = 0;
    // The spans of the two walk maps it lies in, -1 for none.
    int32_t SpanA = -1, SpanB = -1;
};

using DifferenceSink = std::function<void(const Difference&)>;

// Bytes of A that stand for bytes of B: two matched spans (chunks, rooms, parts, runs) or two aligned
// records. Anchors nest as the spans do; OffsetAlignment.h turns them into a map of offsets.
struct Anchor {
    int64_t FirstA = 0, EndA = 0;
    int64_t FirstB = 0, EndB = 0;
    bool operator==(const Anchor&) const = default;
};

struct CompareOptions {
    DetailOptionSet Sections;              // the sections compared; set them all for a whole comparison
    int32_t MaxEdits = 1000;               // a run further apart than this is paired by index
    int64_t WorkBudget = int64_t{1} << 27; // alignment steps for the whole comparison
    // When set, every matched span and every pair of aligned or paired records is added here (a run's
    // equal tail ahead of its middle; records that follow each other on both sides as one anchor).
    std::vector<Anchor>* Anchors = nullptr;
};

struct CompareSummary {
    int64_t Differences = 0; // everything sent to the sink
    int32_t RunsPairedByIndex = 0;
};

// Compares two walked levels, both walked (WalkedLevel::Walked). Sends every difference to sink, in the
// order of A's walk, behind a first line for different version words; after them, when the walks did
// not both complete at their files' ends, where each ended. Only the sections of options.Sections are
// compared; where the walks ended is said whatever they are.
CompareSummary CompareLevels(const WalkedLevel& a, const WalkedLevel& b, const CompareOptions& options,
                             const DifferenceSink& sink);

// All 37 sections.
DetailOptionSet AllSections();

} // namespace compare
