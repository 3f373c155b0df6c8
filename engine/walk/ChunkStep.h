#pragma once
// The chunk step shared by most chunks: read the count, write the separator and the summary line,
// then list the records (option on, count > 0) or step over them (option off).
#include <cstdint>
#include <string_view>

#include "engine/walk/Walk.h"

enum class CountField {
    S32,         // signed 32-bit count, 4 bytes
    S16,         // signed 16-bit count, 2 bytes
    S16In4Bytes, // a 4-byte field whose low 16 bits, as a signed 16-bit value, are the count
};

// Writes the fields of one record that starts at `at`. The line is already begun with the record's
// offset columns and its number; the writer appends ",field..." and calls w.End(), and may write
// continuation lines after that.
using RecordWriter = void (*)(Walk& w, int32_t at);

struct ChunkShape {
    std::string_view SummaryWord; // e.g. ",Animations,"
    int32_t RecordSize;
    int Option;
    std::string_view Header; // the detail header line
    RecordWriter Record;
    CountField Count = CountField::S32;
    bool IndexLines = false; // record lines without offset columns: number + "," + fields
};

// Runs the step at the running offset and returns the count it read.
int32_t ChunkStep(Walk& w, const ChunkShape& chunk);

// Lists n records of the chunk from the running offset: the header line, then one record each, the record
// number a 16-bit counter (more than 32767 records fault right after the header line).
void ListRecords(Walk& w, int32_t n, const ChunkShape& chunk);
