#pragma once
// Runs one chunk unit of the walk on level bytes from a chosen offset, without the units before it.
#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <string>
#include <vector>

#include "common/TestFiles.h"
#include "engine/AppState.h"
#include "engine/LevelFile.h"
#include "engine/walk/Units.h"

struct UnitRun {
    std::vector<std::string> Lines; // the lines the unit wrote, in order
    int32_t End = 0;                // the running offset the unit left
};

inline DetailOptionSet OptionsOn(std::initializer_list<int> on) {
    DetailOptionSet options;
    for (int index : on)
        options.Set(index, true);
    return options;
}

inline DetailOptionSet AllOptions(bool on) {
    DetailOptionSet options;
    SetAllDetails(options, on);
    return options;
}

template <class Unit>
UnitRun RunUnit(const std::vector<uint8_t>& bytes, int16_t generation, int32_t start,
                const DetailOptionSet& options, Unit unit) {
    AppState state;
    state.DetailOptions = options;
    const LevelFile level = LevelFile::FromBytes(bytes);
    Walk w(state, level, generation, start);
    unit(w);
    UnitRun run;
    run.Lines = Lines(state.Report.Text());
    // The pane starts empty, so the first appended line brings a line break in front of it.
    if (!run.Lines.empty() && run.Lines.front().empty())
        run.Lines.erase(run.Lines.begin());
    run.End = w.Offset;
    return run;
}

// The first two columns of an offset line: "0x" + hex + "," + decimal + ",".
inline std::string At(int32_t offset) {
    char text[32];
    std::snprintf(text, sizeof text, "0x%X,%d,", static_cast<unsigned>(offset), offset);
    return text;
}

// Little-endian values written into a zero-filled image at chosen offsets.
struct ByteImage {
    std::vector<uint8_t> Bytes;
    explicit ByteImage(size_t size) : Bytes(size, 0) {}
    ByteImage& U8(size_t at, uint8_t v) {
        Bytes.at(at) = v;
        return *this;
    }
    ByteImage& U16(size_t at, uint16_t v) {
        U8(at, static_cast<uint8_t>(v));
        return U8(at + 1, static_cast<uint8_t>(v >> 8));
    }
    ByteImage& U32(size_t at, uint32_t v) {
        U16(at, static_cast<uint16_t>(v));
        return U16(at + 2, static_cast<uint16_t>(v >> 16));
    }
};

inline size_t CountOf(const std::vector<std::string>& lines, const std::string& line) {
    size_t n = 0;
    for (const std::string& l : lines)
        n += l == line;
    return n;
}

inline size_t Columns(const std::string& line) {
    size_t n = 1;
    for (char c : line)
        n += c == ',';
    return n;
}
