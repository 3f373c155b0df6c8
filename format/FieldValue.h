#pragma once
// A record field's value as the report shows it, read from the level bytes through the format
// description. The text writer, the JSON writer and the comparison all show values through here.
#include <cstdint>

#include "format/LevelFile.h"
#include "format/LevelFormat.h"

// The stored value of repeat `rep` of field f in the record at `at`. By-path fields read unsigned and
// -99 where the field stands at a negative offset; other fields read 0 outside the file.
inline int64_t StoredValue(const LevelFile& level, const format::Field& f, int64_t at, int rep = 0) {
    const int64_t where = at + f.Offset + int64_t{rep} * f.Stride;
    if (f.ByPath && where < 0)
        return -99;
    switch (f.Type) {
    case format::Width::U8:
        return level.U8(where);
    case format::Width::S16:
        return level.S16(where);
    case format::Width::U16:
        return level.U16(where);
    case format::Width::S32:
        return level.S32(where);
    case format::Width::U32:
        return level.U32(where);
    case format::Width::None:
        break;
    }
    return 0;
}

// The number the report shows for a stored value.
inline int64_t ShownValue(const format::Field& f, int64_t stored, format::Generation g) {
    switch (f.How) {
    case format::Shown::PlusOne:
        return stored + 1;
    case format::Shown::FloorFunction:
    case format::Shown::FloorFunctionHex:
        // DM3 keeps flags in bits 5 to 7 of the low byte, so only bits 0 to 4 are its function.
        return g == format::Generation::DM3 ? (stored & 0x1F) : (stored & 0xFF);
    case format::Shown::FloorSubFunction:
    case format::Shown::FloorSubFunctionHex:
        return (stored >> 8) & 0xFF;
    case format::Shown::Dec:
    case format::Shown::Hex:
    case format::Shown::Absent:
        break;
    }
    return stored;
}

// Whether the report shows the value as "0x" + hex digits of its low 32 bits.
inline constexpr bool ShownAsHex(format::Shown how) {
    return how == format::Shown::Hex || how == format::Shown::FloorFunctionHex ||
           how == format::Shown::FloorSubFunctionHex;
}

inline int64_t FieldValue(const LevelFile& level, const format::Field& f, int64_t at, format::Generation g,
                          int rep = 0) {
    return ShownValue(f, StoredValue(level, f, at, rep), g);
}

// The DM3 room colour whose three bytes start at `at`.
inline format::Rgb RoomColourAt(const LevelFile& level, int64_t at) {
    return format::RoomColourOf(level.U8(at), level.U8(at + 1), level.U8(at + 2));
}
