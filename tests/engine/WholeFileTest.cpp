#include <gtest/gtest.h>

#include <algorithm>

#include "UnitRun.h"
#include "engine/ReportRun.h"
#include "tools/LevelBuilder.h"

namespace {

using namespace levelbuilder;

const std::string kSeparator(kSeparatorLine);

// Position of the first line ending in text, or lines.size().
size_t LineEndingIn(const std::vector<std::string>& lines, const std::string& text) {
    const auto it = std::find_if(lines.begin(), lines.end(), [&](const std::string& line) {
        return line.size() >= text.size() && line.compare(line.size() - text.size(), text.size(), text) == 0;
    });
    return static_cast<size_t>(it - lines.begin());
}

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

// The object textures stand behind the static meshes in DM2 files and behind the animated textures
// in DM3 files; everything else keeps its order.
TEST(WholeFile, ObjectTexturesAtTheirPlaceInEachGeneration) {
    for (const int16_t generation : {int16_t{2}, int16_t{3}}) {
        TempDir dir;
        const std::string path = dir.Write("filled", Build(FilledLevel(generation)));
        AppState state;
        ASSERT_EQ(ReportLevelFile(state, path), 0);
        const std::vector<std::string> lines = Lines(state.Report.Text());
        const size_t statics = LineEndingIn(lines, ",Static Meshes,64 bytes");
        const size_t textures = LineEndingIn(lines, ",Object Textures,40 bytes");
        const size_t sprites = LineEndingIn(lines, ",Sprite Texture,16 bytes");
        const size_t animated = LineEndingIn(lines, ",Animated Textures,6 bytes");
        const size_t items = LineEndingIn(lines, " ,Items,48 bytes");
        ASSERT_LT(items, lines.size());
        EXPECT_EQ(CountOf(lines, lines[textures]), 1u);
        if (generation == 2) {
            EXPECT_EQ(textures, statics + 2);
            EXPECT_EQ(sprites, textures + 2);
            EXPECT_EQ(items, animated + 2);
        } else {
            EXPECT_EQ(sprites, statics + 2);
            EXPECT_EQ(textures, animated + 2);
            EXPECT_EQ(items, textures + 2);
        }
    }
}

} // namespace
