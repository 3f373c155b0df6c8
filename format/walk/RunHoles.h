#pragma once
// Listed runs left as holes in the report text, to be formatted afterwards (by several threads) and
// put in their places. The walk still reads every count, writes every summary and header line and
// records the walk map; only the record lines of the runs are left out, and where they stood.
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "format/LevelFormat.h"

class Walk;

// Writes the fields of one record that starts at `at`. The line is already begun with the record's
// lead columns; the writer appends ",field..." and calls w.End(), and may write continuation lines.
using RecordWriter = void (*)(Walk& w, int32_t at);

struct RunHole {
    size_t TextAt = 0; // where the run's record lines stand in the text written without them
    int32_t First = 0; // offset of record 0
    int32_t Count = 0; // records the run lists (fewer than its count where an overflow ends it)
    const format::Record* Record = nullptr;
    RecordWriter Write = nullptr;
    std::string_view NumberPrefix; // text between the offset columns and the record number
};

struct RunHoles {
    std::vector<RunHole> Holes;
    // The most bytes the holes' lines can take, added up: as long as the text written plus this stays
    // within the report's size limit, the limit cannot end the walk inside a run.
    size_t BoundBytes = 0;
    // Past this much text written beside the holes, the walk gives up leaving holes.
    size_t TextCap = size_t{4} << 20;
};

// Thrown when a walk that leaves holes cannot be sure to match the walk that writes every line (the
// report could reach its size limit, or the text beside the holes grew too large). The caller runs
// the walk again, writing every line.
struct HolesAbandoned {};

// The most bytes the lines of one record of this kind can take, "\r\n" in front of each included.
inline size_t MaxRecordBytes(const format::Record& record, size_t prefixBytes) {
    // Offset columns (23), number (6), a continuation's empty columns (8); 12 for any field's value.
    return record.LinesPerRecord * (2 + 23 + 6 + 8 + prefixBytes + 12 * record.Fields.size());
}
