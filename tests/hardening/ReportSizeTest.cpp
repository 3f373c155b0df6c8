// Bounded memory: the report of a level file stays within 64 bytes a file byte plus 128 MiB. A crafted
// file whose rooms go over the same bytes again ends at that limit like an overflow, with the lines so
// far; a cut file whose 32767 rooms all lie past its end, the largest honest report there is for its
// size, completes within it; and no allocation of a run is sized by a count the file holds.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <sstream>

#include "cli/ReportCommand.h"
#include "engine/ReportRun.h"
#include "fuzz/HostileLevels.h"
#include "hardening/HardeningSupport.h"

using namespace hardening;

// The largest single allocation since the last reset, across the whole test program.
namespace {
std::atomic<size_t> largestAllocation{0};
}

// Kept out of line, so that the compiler does not pair a delete inlined at its call site with the
// built-in new instead of this one.
[[gnu::noinline]] void* operator new(size_t size) {
    size_t seen = largestAllocation.load(std::memory_order_relaxed);
    while (size > seen && !largestAllocation.compare_exchange_weak(seen, size, std::memory_order_relaxed)) {
    }
    if (void* p = std::malloc(size == 0 ? 1 : size))
        return p;
    throw std::bad_alloc();
}
[[gnu::noinline]] void* operator new[](size_t size) {
    return operator new(size);
}
[[gnu::noinline]] void operator delete(void* p) noexcept {
    std::free(p);
}
[[gnu::noinline]] void operator delete[](void* p) noexcept {
    std::free(p);
}
[[gnu::noinline]] void operator delete(void* p, size_t) noexcept {
    std::free(p);
}
[[gnu::noinline]] void operator delete[](void* p, size_t) noexcept {
    std::free(p);
}

namespace {

// Longer than any one report line: the walk stops after the line that crosses the limit.
constexpr size_t kLongestLine = 4096;

AppState AllOptions(const TempDir& tiles, int64_t fixedBytes = kReportFixedBytes) {
    AppState state;
    SetAllDetails(state.DetailOptions, true);
    state.TileFolderOverride = tiles.Path();
    state.ReportFixedBytes = fixedBytes;
    return state;
}

} // namespace

TEST(ReportSize, RoomsThatGoOverTheSameBytesEndAtTheLimit) {
    TempDir dir;
    const std::vector<uint8_t> bytes = hostile::RoomLoopLevel(32767, 200);
    ASSERT_LT(bytes.size(), 5000u);
    const std::string path = dir.Write("loop.dm2", bytes);

    // A few such rooms are a report like any other.
    AppState few = AllOptions(dir);
    EXPECT_EQ(ReportLevelFile(few, dir.Write("few.dm2", hostile::RoomLoopLevel(3, 200))), 0);

    // 32767 of them would write a gigabyte; a limit of 1 MiB + 64 bytes a file byte stops the walk.
    constexpr int64_t kFixed = 1 << 20;
    AppState state = AllOptions(dir, kFixed);
    EXPECT_EQ(ReportLevelFile(state, path), kReportLimitFault);
    EXPECT_EQ(state.LastRun.Ended, RunOutcome::Kind::Faulted);
    EXPECT_EQ(state.LastRun.Status, kReportLimitFault);
    const std::string& report = state.Report.Str();
    const size_t limit = ReportByteLimit(static_cast<int64_t>(bytes.size()), kFixed);
    EXPECT_GT(report.size(), limit);
    EXPECT_LE(report.size(), limit + kLongestLine);
    EXPECT_EQ(report.find("END OF FILE"), std::string::npos);
    // The limit only cuts: the lines so far are those a higher limit gives, up to a line's end.
    AppState more = AllOptions(dir, 2 * kFixed);
    EXPECT_EQ(ReportLevelFile(more, path), kReportLimitFault);
    EXPECT_TRUE(more.Report.Str().starts_with(report + "\r\n"));
    // The walk stopped within the room, or the 14 bytes in front of it that the room reads.
    EXPECT_GE(state.LastRun.StopOffset, 1806 - 14);
    EXPECT_LT(state.LastRun.StopOffset, static_cast<int32_t>(bytes.size()));

    // The command writes the lines so far, then says on its error stream why it stopped, exit 3.
    ReportRequest request;
    request.AllDetails = true;
    request.LevelPath = path;
    request.TileDir = dir.Path().string();
    AppState command;
    command.ReportFixedBytes = kFixed;
    std::ostringstream out, err;
    EXPECT_EQ(RunReportRequest(request, command, out, err), kExitOverflow);
    EXPECT_EQ(out.str(), report);
    const int32_t stop = command.LastRun.StopOffset;
    char expected[64];
    std::snprintf(expected, sizeof expected, "0x%X (%d)", static_cast<unsigned>(stop), stop);
    EXPECT_EQ(err.str(), "strata-report: the report's size limit ended the walk at offset " +
                             std::string(expected) + " of " + path + "\n");
}

// 32767 rooms read past the end of a file cut behind its room count, every option on: about 51 MB of
// report from 1806 bytes, the largest report a file that is never read twice can give for its size.
// The run's largest allocation is the report's string.
TEST(ReportSize, HonestWorstCaseCompletesWithinTheLimit) {
    TempDir dir;
    for (int16_t generation : {int16_t{2}, int16_t{3}}) {
        levelbuilder::Level level;
        level.Generation = generation;
        level.Rooms.Count = 32767;
        levelbuilder::Layout layout;
        std::vector<uint8_t> bytes = levelbuilder::Build(level, layout);
        bytes.resize(static_cast<size_t>(layout.RoomCount) + 2);
        AppState state = AllOptions(dir);
        largestAllocation = 0;
        ASSERT_EQ(ReportLevelFile(state, dir.Write("cut", bytes)), 0) << generation;
        const size_t report = state.Report.Str().size();
        EXPECT_GT(report, 50'000'000u);
        EXPECT_LT(report, ReportByteLimit(static_cast<int64_t>(bytes.size())) / 2);
        EXPECT_LE(largestAllocation, 2 * report);
    }
}

// A run's largest allocation is the report's string, the reserve made for it by the file's size, or a
// bitmap: nothing is sized by a count, however large the file says it is.
TEST(ReportSize, NoAllocationIsSizedByACount) {
    TempDir dir;
    struct Case {
        const char* Name;
        void (*Damage)(levelbuilder::Level&);
    };
    const Case cases[] = {
        {"tiles 16383", [](levelbuilder::Level& l) { l.Tiles.Count = 16383; }},
        {"room doors 32767", [](levelbuilder::Level& l) { l.Rooms.Items[0].Doors.Count = 32767; }},
        {"floor data 32767", [](levelbuilder::Level& l) { l.FloorData.Count = 32767; }},
        {"mesh data 0x7FFFFFF", [](levelbuilder::Level& l) { l.MeshData.Count = 0x7FFFFFF; }},
        {"animations 32767", [](levelbuilder::Level& l) { l.Animations.Count = 32767; }},
        {"boxes 32767", [](levelbuilder::Level& l) { l.Boxes.Count = 32767; }},
        {"items 32767", [](levelbuilder::Level& l) { l.Items.Count = 32767; }},
        {"sound details 32767", [](levelbuilder::Level& l) { l.SoundDetails.Count = 32767; }},
        {"sample indices 0x7FFFFFF", [](levelbuilder::Level& l) { l.SampleIndices.Count = 0x7FFFFFF; }},
    };
    for (const Case& c : cases) {
        for (const OptionSet& set : OptionSets()) {
            SCOPED_TRACE(std::string(c.Name) + ", options " + set.Name);
            levelbuilder::Level level = SmallLevel(2);
            c.Damage(level);
            const std::vector<uint8_t> bytes = levelbuilder::Build(level);
            const std::string path = dir.Write("level.dm2", bytes);
            AppState state;
            state.DetailOptions = set.Options;
            state.TileFolderOverride = dir.Path() / "tiles";
            largestAllocation = 0;
            ReportLevelFile(state, path);
            const size_t largest = largestAllocation;
            const size_t allowed =
                std::max({4 * bytes.size() + 4096, 2 * state.Report.Str().size(), size_t{66614}});
            EXPECT_LE(largest, allowed) << state.Report.Str().size() << " bytes of report";
        }
    }
}
