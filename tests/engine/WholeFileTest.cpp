#include "UnitRun.h"
#include "engine/ReportRun.h"
#include "tools/DemoLevel.h"

namespace {

// Levels with every chunk filled, reported with all options off and with all on: the report ends in its
// closing lines and the walk stops exactly at the end of the file. The demo levels leave no chunk from
// the floor data on empty, so that the report has something to show everywhere.
TEST(WholeFile, FilledAndDemoLevelsAreWalkedToTheirLastByte) {
    for (const int16_t generation : {int16_t{2}, int16_t{3}}) {
        for (const Level& level : {FilledLevel(generation), DemoLevel(generation)}) {
            for (const bool allOn : {false, true}) {
                SCOPED_TRACE(testing::Message() << "DM" << generation << (allOn ? " all on" : " all off"));
                TempDir dir;
                const std::vector<uint8_t> bytes = Build(level);
                const std::string path = dir.Write("level", bytes);
                AppState state;
                state.TileFolderOverride = dir.Path() / "tiles";
                SetAllDetails(state.DetailOptions, allOn);
                ASSERT_EQ(ReportLevelFile(state, path), 0);
                EXPECT_EQ(state.LastRun.StopOffset, static_cast<int64_t>(bytes.size()));
                const std::vector<std::string> lines = Lines(state.Report.Text());
                EXPECT_EQ(std::vector<std::string>(lines.end() - 3, lines.end()),
                          (std::vector<std::string>{kSep, ";" + path + "  END OF FILE", kSep}));
            }
        }
        // Every summary from the floor data on counts something.
        TempDir dir;
        AppState state;
        ASSERT_EQ(ReportLevelFile(state, dir.Write("demo", Build(DemoLevel(generation)))), 0);
        const std::vector<std::string> lines = Lines(state.Report.Text());
        size_t summaries = 0;
        for (size_t i = 1; i + 3 < lines.size(); ++i) {
            if (lines[i - 1] != kSep || (summaries == 0 && lines[i].find(",Floor,") == std::string::npos))
                continue;
            EXPECT_NE(lines[i].substr(lines[i].find(',', lines[i].find(',') + 1) + 1, 2), "0,") << lines[i];
            ++summaries;
        }
        EXPECT_EQ(summaries, 27u);
    }
}

} // namespace
