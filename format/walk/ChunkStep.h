#pragma once
// The chunk step shared by most chunks: write the separator, read the count, write the summary line,
// then list the records (option on, count > 0) or step over them (option off). Each step records its
// chunk's span, and a listed run's span, in the walk map.
#include <cstdint>
#include <string_view>

#include "format/walk/Walk.h"

enum class CountField {
    S32,         // signed 32-bit count, 4 bytes
    S16,         // signed 16-bit count, 2 bytes
    S16In4Bytes, // a 4-byte field whose low 16 bits, as a signed 16-bit value, are the count
};

// The writer of records whose fields all stand on one line, in the order of their description. It runs
// for every record of a million-line report, so everything it calls is inlined into it.
template <const format::Record& R> [[gnu::flatten]] void OneLineRecord(Walk& w, int32_t at) {
    w.Fields<R>(at);
    w.End();
}

struct ChunkShape {
    Piece What;
    std::string_view SummaryWord; // e.g. ",Animations,"
    const format::Record* Record; // size, detail header line and fields of its records
    int Option;
    RecordWriter Write;
    CountField Count = CountField::S32;
    // Where the records are not listed, most chunks step over count x size only with their option
    // off; some ("otherwise advance") also with it on and a count of 0 or less, which moves the
    // offset back for a negative count.
    bool StepOverUnlisted = false;
};

struct ChunkCount {
    int32_t N;     // the count read
    int32_t Bytes; // N x the unit size, checked 32-bit
};

// Writes the separator, opens the chunk's span at the count field, reads the count, writes the summary
// line (count + word + bytes + " bytes") and advances past the count field. The caller closes the span.
ChunkCount SummariseChunk(Walk& w, Piece what, std::string_view word, int32_t unitSize,
                          CountField field = CountField::S32, const format::Record* record = nullptr);

// Runs the step at the running offset and returns the count it read. The records are listed when
// `listed` (by default: the chunk's option is on) and the count is above 0.
int32_t ChunkStep(Walk& w, const ChunkShape& chunk);
int32_t ChunkStep(Walk& w, const ChunkShape& chunk, bool listed);

// Lists n records from the running offset as a run: the header line, then one record each, the record
// number a 16-bit counter (more than 32767 records fault right after the header line). numberPrefix
// stands between a record's offset columns and its number. A walk leaving holes leaves the records.
void ListRecords(Walk& w, int32_t n, const format::Record& record, RecordWriter write,
                 std::string_view numberPrefix = {});
// Writes records [first, first + count) of a run whose record 0 stands at `at`, as ListRecords does.
void WriteRecords(Walk& w, const RunHole& run, int32_t first, int32_t count);
inline void ListRecords(Walk& w, int32_t n, const ChunkShape& chunk) {
    ListRecords(w, n, *chunk.Record, chunk.Write);
}
