#pragma once
// Shared pieces of the hostile-input tests: small builder-made levels, the option sets every hostile
// case runs with, a walk over bytes in memory that reports how it ended, and the names in a folder
// (Names("/proc/self/fd") counts the open handles).
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <set>

#include "common/TestFiles.h"
#include "format/Fault.h"
#include "format/LevelFile.h"
#include "format/walk/Walker.h"
#include "report/AppState.h"
#include "report/ReportRun.h"
#include "tools/LevelBuilder.h"

namespace hardening {

// The largest single allocation since it was last set to 0 (counted by ReportSizeTest.cpp's new).
extern std::atomic<size_t> largestAllocation;

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

// None, all, and two mixed sets that between them turn every option on once with its neighbours off.
inline std::vector<OptionSet> OptionSets() {
    std::vector<OptionSet> sets{{"none", {}}, {"all", {}}, {"even", {}}, {"odd", {}}};
    for (int i = 0; i < kDetailOptionCount; ++i) {
        sets[1].Options.Set(i, true);
        sets[2].Options.Set(i, i % 2 == 0);
        sets[3].Options.Set(i, i % 2 == 1);
    }
    return sets;
}

// A state with the given options (by default all) that exports the texture tiles into tiles.
inline AppState StateWith(const std::filesystem::path& tiles,
                          const DetailOptionSet& options = OptionSets()[1].Options) {
    AppState state;
    state.DetailOptions = options;
    state.TileFolderOverride = tiles;
    return state;
}

// How a walk over level bytes ended: the fault's number (0: completed), where it ended, and the lines
// written either way.
struct WalkedBytes {
    int Fault = 0;
    int32_t Offset = 0;
    std::string Report;
};

// Walks bytes with the texture tiles exported into tiles. Every walk must end as a completed run or an
// overflow, and allocate nothing larger than a few times the file, twice the report, or one bitmap:
// nothing sized by a count the file holds.
inline WalkedBytes WalkBytes(std::vector<uint8_t> bytes, int16_t generation, const DetailOptionSet& options,
                             const TempDir& tiles) {
    AppState state = StateWith(tiles.Path(), options);
    const LevelFile level = LevelFile::FromBytes(std::move(bytes));
    WalkedBytes end;
    largestAllocation = 0;
    try {
        end.Offset = WalkLevel(WalkOutputOf(state, level), level, static_cast<format::Generation>(generation),
                               format::kVersionWordBytes);
    } catch (const WalkFault& fault) {
        end.Fault = fault.Number;
        end.Offset = fault.Offset;
    }
    end.Report = state.Report.Take();
    EXPECT_TRUE(end.Fault == 0 || end.Fault == kOverflowFault) << "fault " << end.Fault;
    EXPECT_FALSE(end.Report.ends_with("\n"));
    const size_t bitmap = options.On(optTextureTiles) ? 66614 : 0;
    EXPECT_LE(largestAllocation, std::max({4 * level.Bytes().size() + 4096, 2 * end.Report.size(), bitmap}));
    return end;
}

// The first two columns of an offset line: "0x" + hex + "," + decimal + ",".
inline std::string At(int32_t offset) {
    char text[32];
    std::snprintf(text, sizeof text, "0x%X,%d,", static_cast<unsigned>(offset), offset);
    return text;
}

// The names in a folder.
inline std::set<std::string> Names(const std::filesystem::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

} // namespace hardening
