// Bounded memory: the report of a level file stays within 64 bytes a file byte plus 128 MiB. A crafted
// file whose rooms go over the same bytes again ends at that limit like an overflow, with the lines so
// far; a cut file whose 32767 rooms all lie past its end, the largest honest report there is for its
// size, completes within it. No allocation is sized by a count the file holds: every walk of WalkBytes
// checks it with the counting new below (in a thread sanitizer build, that runtime's allocation hook).
#include <gtest/gtest.h>

#include <cstdlib>
#include <new>
#include <sstream>

#include "cli/ReportCommand.h"
#include "fuzz/HostileLevels.h"
#include "hardening/HardeningSupport.h"
#include "report/ReportRun.h"

using namespace hardening;

std::atomic<size_t> hardening::largestAllocation{0};

namespace {

void Count(size_t size) {
    size_t seen = largestAllocation.load(std::memory_order_relaxed);
    while (size > seen && !largestAllocation.compare_exchange_weak(seen, size, std::memory_order_relaxed)) {
    }
}

} // namespace

#if defined(__SANITIZE_THREAD__)
#define STRATA_THREAD_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define STRATA_THREAD_SANITIZER 1
#endif
#endif

#ifdef STRATA_THREAD_SANITIZER
// The thread sanitizer's runtime has its own operator new (with clang it is linked into the program, and
// a second one does not link): the sizes come from its allocation hook instead, which every allocation
// passes, new's and malloc's alike.
extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*onAllocate)(const volatile void*, size_t),
                                                         void (*onFree)(const volatile void*));
namespace {
[[maybe_unused]] const int countingHook = __sanitizer_install_malloc_and_free_hooks(
    [](const volatile void*, size_t size) { Count(size); }, [](const volatile void*) {});
} // namespace
#else
// Kept out of line, so that the compiler does not pair a delete inlined at its call site with the
// built-in new instead of this one.
[[gnu::noinline]] void* operator new(size_t size) {
    Count(size);
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
#endif

// 32767 rooms over the same bytes would write a gigabyte; a limit of 1 MiB + 64 bytes a file byte stops
// the walk after the line that crosses it. The command writes the lines so far, says on its error
// stream why it stopped, exit 3. The limit only cuts: the lines so far are those a higher limit gives.
TEST(ReportSize, RoomsThatGoOverTheSameBytesEndAtTheLimit) {
    TempDir dir;
    const std::vector<uint8_t> bytes = hostile::RoomLoopLevel(32767, 200);
    ReportRequest request;
    request.AllDetails = true;
    request.LevelPath = dir.Write("loop.dm2", bytes);
    request.TileDir = dir.Path().string();
    constexpr int64_t kFixed = 1 << 20;
    AppState state, more;
    state.ReportFixedBytes = kFixed;
    more.ReportFixedBytes = 2 * kFixed;
    std::ostringstream out, err, longer;
    EXPECT_EQ(RunReportRequest(request, state, out, err), kExitOverflow);
    EXPECT_TRUE(err.str().starts_with("strata-report: the report's size limit ended the walk at offset "));
    const std::string report = out.str();
    const size_t limit = ReportByteLimit(static_cast<int64_t>(bytes.size()), kFixed);
    EXPECT_GT(report.size(), limit);
    EXPECT_LE(report.size(), limit + 4096); // longer than any one line
    EXPECT_EQ(RunReportRequest(request, more, longer, longer), kExitOverflow);
    EXPECT_TRUE(longer.str().starts_with(report + "\r\n"));
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
        AppState state = StateWith(dir.Path());
        largestAllocation = 0;
        ASSERT_EQ(ReportLevelFile(state, dir.Write("cut", bytes)), 0) << generation;
        const size_t report = state.Report.Str().size();
        EXPECT_GT(report, 50'000'000u);
        EXPECT_LT(report, ReportByteLimit(static_cast<int64_t>(bytes.size())) / 2);
        EXPECT_GE(largestAllocation, report); // the count sees it
        EXPECT_LE(largestAllocation, 2 * report);
    }
}
