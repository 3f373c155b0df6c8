#pragma once
// Where a report line shows a field: the characters of the column that holds the value of the field
// whose bytes are selected. A record's line has its lead columns (offsets, number), then a column for
// each name of the record's detail header line; a repeated column's values stand in the same column
// of the record's continuation lines, one repeat a line. Bytes some columns show twice (a word in
// decimal and in hex) mark every column that shows them.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <utility>

class WalkMap;

// The characters [first, end) of lineText, report line `line`, that show the value of the field whose
// bytes are first..end (from the first such column to the last); nothing when those bytes are no
// field of a record written on that line, or the line has no such column.
std::optional<std::pair<size_t, size_t>> FieldColumn(const WalkMap& map, int32_t line,
                                                     std::string_view lineText, int64_t first, int64_t end);
