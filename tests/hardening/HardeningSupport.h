#pragma once
// Shared pieces of the hostile-input tests: small builder-made levels, the option sets every hostile
// case runs with, a walk over bytes in memory that reports how it ended, and the count of open handles.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "common/TestFiles.h"
#include "engine/AppState.h"
#include "engine/Fault.h"
#include "engine/LevelFile.h"
#include "engine/Walker.h"
#include "tools/LevelBuilder.h"

namespace hardening {

// A level with something in every chunk but no texture tiles: about 12 KB, most of it the light map.
inline levelbuilder::Level SmallLevel(int16_t generation) {
    levelbuilder::Level level = levelbuilder::FilledLevel(generation);
    level.Tiles.Items.clear();
    return level;
}

struct OptionSet {
    const char* Name;
    DetailOptionSet Options;
};

// None, all, and two mixed sets that between them turn every option on once with its neighbours off
// (so a list option can be on while the option of its group is off, and the other way round).
inline std::vector<OptionSet> OptionSets() {
    std::vector<OptionSet> sets{{"none", {}}, {"all", {}}, {"even", {}}, {"odd", {}}};
    for (int i = 0; i < kDetailOptionCount; ++i) {
        sets[1].Options.Set(i, true);
        sets[2].Options.Set(i, i % 2 == 0);
        sets[3].Options.Set(i, i % 2 == 1);
    }
    return sets;
}

// How a walk over level bytes ended: completed, or a fault with its number and offset; the report
// holds the lines written either way.
struct WalkEnd {
    bool Completed = false;
    int Fault = 0;
    int32_t Offset = 0;
    std::string Report;
};

// tiles is the folder the texture tiles option exports into.
inline WalkEnd WalkBytes(std::vector<uint8_t> bytes, int16_t generation, const DetailOptionSet& options,
                         const TempDir& tiles, int64_t reportFixedBytes = kReportFixedBytes) {
    AppState state;
    state.DetailOptions = options;
    state.ReportFixedBytes = reportFixedBytes;
    state.TileFolderOverride = tiles.Path();
    const LevelFile level = LevelFile::FromBytes(std::move(bytes));
    WalkEnd end;
    try {
        end.Offset = WalkLevel(state, level, generation, 4);
        end.Completed = true;
    } catch (const WalkFault& fault) {
        end.Fault = fault.Number;
        end.Offset = fault.Offset;
    }
    end.Report = state.Report.Take();
    return end;
}

// The first two columns of an offset line: "0x" + hex + "," + decimal + ",".
inline std::string At(int32_t offset) {
    char text[32];
    std::snprintf(text, sizeof text, "0x%X,%d,", static_cast<unsigned>(offset), offset);
    return text;
}

// The report text up to (not including) the line break in front of the first line that starts with
// prefix; the whole text when no line does.
inline std::string_view TextBeforeLine(std::string_view report, const std::string& prefix) {
    if (report.starts_with(prefix))
        return {};
    const size_t at = report.find("\r\n" + prefix);
    return at == std::string_view::npos ? report : report.substr(0, at);
}

// Handles this process has open.
inline size_t OpenHandles() {
    size_t n = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd"))
        ++n;
    return n;
}

} // namespace hardening
