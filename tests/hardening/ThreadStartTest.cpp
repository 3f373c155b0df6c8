// Threads the system refuses: the streamed report and the summary go on with the helpers that started
// (none, one, some) and the calling thread, and write the same bytes as one thread does.
#include <gtest/gtest.h>

#include "cli/SummaryCommand.h"
#include "hardening/HardeningSupport.h"
#include "report/ReportRun.h"
#include "report/StreamedReport.h"
#include "report/ThreadStart.h"

using namespace hardening;
using namespace levelbuilder;

namespace {

struct TextSink final : ReportSink {
    std::string Text;
    void Write(std::string_view block) override { Text.append(block); }
};

// Lifts the test's thread limit on every way out.
struct StartLimit {
    explicit StartLimit(int starts) { LimitThreadStarts(starts); }
    ~StartLimit() { LimitThreadStarts(-1); }
};

// The helper starts the system allows before it refuses one, and the threads asked for.
struct Refusal {
    int Starts;
    unsigned Threads;
};
constexpr Refusal kRefusals[] = {{1, 3}, {0, 2}, {0, 8}, {1, 2}, {1, 8}, {2, 8}, {6, 8}};

std::string StreamedText(const std::string& path, const TempDir& tiles, unsigned threads) {
    AppState state = StateWith(tiles.Path());
    TextSink sink;
    EXPECT_EQ(StreamLevelReport(state, path, sink, threads), 0);
    return sink.Text;
}

} // namespace

// Long runs cut into many pieces, so every helper that starts has work, and the pieces outnumber the
// buffers they are formatted into.
TEST(ThreadStart, StreamedReportGoesOnWithTheThreadsThatStarted) {
    TempDir dir, tiles;
    for (int16_t generation : {int16_t{2}, int16_t{3}}) {
        Level level = SmallLevel(generation);
        level.FloorData.Items.assign(30000, 0x8104);
        level.MeshPointers.Items.assign(30000, -4);
        level.Frames.Items.assign(30000, 3);
        level.Overlaps.Items.assign(30000, 0x8001);
        const std::string path = dir.Write("long.dm2", Build(level));
        const std::string serial = StreamedText(path, tiles, 1);
        ASSERT_GT(serial.size(), size_t{2} << 20);
        for (const Refusal& refusal : kRefusals) {
            const StartLimit limit(refusal.Starts);
            const std::string text = StreamedText(path, tiles, refusal.Threads);
            EXPECT_TRUE(text == serial) << "DM" << generation << ", " << refusal.Starts << " of "
                                        << refusal.Threads - 1 << " helpers started";
        }
    }
}

TEST(ThreadStart, SummaryGoesOnWithTheThreadsThatStarted) {
    TempDir dir;
    std::vector<std::string> files;
    for (int i = 0; i < 12; ++i) {
        Level level = SmallLevel(i % 2 == 0 ? 2 : 3);
        level.Cameras.Items.resize(static_cast<size_t>(i));
        files.push_back(dir.Write("level" + std::to_string(i) + ".dm2", Build(level)));
    }
    files.push_back(dir.Write("not-a-level", {1, 2, 3}));
    const std::string serial = SummaryText(Summarise(files, 1), false);
    for (const Refusal& refusal : kRefusals) {
        const StartLimit limit(refusal.Starts);
        EXPECT_EQ(SummaryText(Summarise(files, refusal.Threads), false), serial)
            << refusal.Starts << " of " << refusal.Threads - 1 << " helpers started";
    }
}

// The test limit lets exactly the starts it names go, then refuses each one after; lifted, all start.
TEST(ThreadStart, TheLimitLetsTheStartsItNames) {
    for (const int starts : {0, 1, 3}) {
        SCOPED_TRACE(starts);
        const StartLimit limit(starts);
        int started = 0;
        for (int i = 0; i < starts + 2; ++i)
            started += TryStartThread([] {}).joinable();
        EXPECT_EQ(started, starts);
    }
    EXPECT_TRUE(TryStartThread([] {}).joinable());
}
