#pragma once
// Runs one chunk unit of the walk on level bytes from a chosen offset, without the units before it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <string>
#include <vector>

#include "common/TestFiles.h"
#include "format/Fault.h"
#include "format/LevelFile.h"
#include "format/walk/ReportText.h"
#include "format/walk/Units.h"
#include "report/AppState.h"
#include "report/ReportRun.h"
#include "tools/LevelBuilder.h"

using namespace levelbuilder;

inline const std::string kSep(kSeparatorLine);

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

// A fault ends the unit as it ends a walk; faults says whether one is expected. The state, when given,
// carries results from run to run (palettes, tile count).
inline UnitRun RunUnit(void (*unit)(Walk&), const std::vector<uint8_t>& bytes, int16_t generation,
                       int32_t start, const DetailOptionSet& options, bool faults = false,
                       AppState* kept = nullptr) {
    AppState fresh;
    AppState& state = kept ? *kept : fresh;
    state.DetailOptions = options;
    state.Report.ReplaceAll("");
    const LevelFile level = LevelFile::FromBytes(bytes);
    state.Map.Reset(level.FileLength(), generation);
    Walk w(WalkOutputOf(state, level), level, static_cast<format::Generation>(generation), start);
    bool faulted = false;
    try {
        unit(w);
    } catch (const WalkFault&) {
        faulted = true;
    }
    state.Map.Finish(faulted ? WalkEnding::Overflow : WalkEnding::Completed, w.Offset(), w.NextLine());
    LoadPalettesAndExportTiles(state, level);
    EXPECT_EQ(faulted, faults);
    UnitRun run{Lines(state.Report.Text()), w.Offset()};
    // The pane starts empty, so the first appended line brings a line break in front of it.
    if (!run.Lines.empty() && run.Lines.front().empty())
        run.Lines.erase(run.Lines.begin());
    return run;
}

// A builder-made level with the offsets of its chunks.
struct Built {
    std::vector<uint8_t> Bytes;
    Layout Where;
    explicit Built(const Level& level) { Bytes = Build(level, Where); }
};

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
    ByteImage& U16(size_t at, uint16_t v) { return U8(at, static_cast<uint8_t>(v)).U8(at + 1, v >> 8); }
    ByteImage& U32(size_t at, uint32_t v) { return U16(at, static_cast<uint16_t>(v)).U16(at + 2, v >> 16); }
};

// Each expected line stands exactly once in lines.
inline void ExpectEach(const std::vector<std::string>& lines, const std::vector<std::string>& expected) {
    for (const std::string& line : expected)
        EXPECT_EQ(std::count(lines.begin(), lines.end(), line), 1) << line;
}

// Report lines in order, packed as call arguments.
template <class... Line> std::vector<std::string> Excerpt(const Line&... lines) {
    return {std::string(lines)...};
}

inline std::vector<std::string> Last(const std::vector<std::string>& lines, size_t n) {
    return {lines.end() - static_cast<std::ptrdiff_t>(std::min(n, lines.size())), lines.end()};
}
