#pragma once
// What a byte of the level is, in the report's words: the chunk and the spans inside it that hold it,
// the record of a listed run and its number, and the fields of that record at the byte with their
// values as the report shows them. The hex view's tooltip is this text.
#include <cstdint>

#include <QString>

class LevelFile;
class WalkMap;

// Several lines: where the byte stands, the spans from the chunk down, the record and its fields.
QString DescribeByte(const WalkMap& map, const LevelFile& level, int64_t offset);
