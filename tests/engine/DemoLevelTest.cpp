#include <gtest/gtest.h>

#include "UnitRun.h"
#include "engine/ReportRun.h"
#include "tools/DemoLevel.h"

namespace {

using namespace levelbuilder;

// The demo levels must show a whole report: walked to their last byte with any options, and no
// chunk from the floor data on left empty.
TEST(DemoLevel, WalksToItsLastByteWithEveryChunkFilled) {
    for (const int16_t generation : {int16_t{2}, int16_t{3}}) {
        SCOPED_TRACE(testing::Message() << "DM" << generation);
        TempDir dir;
        const std::vector<uint8_t> bytes = Build(DemoLevel(generation));
        EXPECT_EQ(bytes, Build(DemoLevel(generation)));
        const std::string path = dir.Write("demo", bytes);
        for (const bool allOn : {false, true}) {
            AppState state;
            state.TileFolderOverride = dir.Path() / "tiles";
            SetAllDetails(state.DetailOptions, allOn);
            ASSERT_EQ(ReportLevelFile(state, path), 0);
            EXPECT_EQ(state.LastRun.StopOffset, static_cast<int64_t>(bytes.size()));
            if (allOn) {
                EXPECT_EQ(state.TextureTileCount, 6);
                continue;
            }
            const std::vector<std::string> lines = Lines(state.Report.Text());
            size_t floor = 0;
            while (floor < lines.size() && lines[floor].find(",Floor,") == std::string::npos)
                ++floor;
            size_t summaries = 0;
            for (size_t i = floor; i + 3 < lines.size(); ++i) {
                if (i > floor && lines[i - 1] != std::string(kSeparatorLine))
                    continue;
                const size_t second = lines[i].find(',', lines[i].find(',') + 1);
                EXPECT_NE(lines[i].substr(second + 1, 2), "0,") << lines[i];
                ++summaries;
            }
            EXPECT_EQ(summaries, 27u);
        }
    }
}

} // namespace
