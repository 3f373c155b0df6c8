#include <gtest/gtest.h>

#include "UnitRun.h"
#include "engine/ReportRun.h"
#include "tools/LevelBuilder.h"

namespace {

using namespace levelbuilder;

const std::string kSeparator(kSeparatorLine);

// A level with every chunk filled, reported with all options off and with all on: the report ends in
// its closing lines and the walk stops exactly at the end of the file.
TEST(WholeFile, FilledLevelsAreWalkedToTheirLastByte) {
    for (const int16_t generation : {int16_t{2}, int16_t{3}}) {
        for (const bool allOn : {false, true}) {
            SCOPED_TRACE(testing::Message() << "DM" << generation << (allOn ? " all on" : " all off"));
            TempDir dir;
            const std::vector<uint8_t> bytes = Build(FilledLevel(generation));
            const std::string path = dir.Write("filled.dm" + std::to_string(generation), bytes);
            AppState state;
            state.TileFolderOverride = dir.Path() / "tiles";
            SetAllDetails(state.DetailOptions, allOn);

            ASSERT_EQ(ReportLevelFile(state, path), 0);
            EXPECT_EQ(state.LastRun.Ended, RunOutcome::Kind::Completed);
            EXPECT_EQ(state.LastRun.StopOffset, static_cast<int64_t>(bytes.size()));

            const std::vector<std::string> lines = Lines(state.Report.Text());
            ASSERT_GE(lines.size(), 3u);
            const std::vector<std::string> closing(lines.end() - 3, lines.end());
            EXPECT_EQ(closing,
                      (std::vector<std::string>{kSeparator, ";" + path + "  END OF FILE", kSeparator}));
        }
    }
}

} // namespace
