// A DM3 room colour's three bytes stand in the file as red, blue, green; the report's line, the JSON
// report and the comparison all read them in that order.
#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "common/TestFiles.h"
#include "compare/Compare.h"
#include "compare/DifferenceText.h"
#include "report/AppState.h"
#include "report/JsonReport.h"
#include "report/ReportRun.h"
#include "tools/LevelBuilder.h"

namespace {

std::vector<uint8_t> LevelWithColours(std::array<uint8_t, 3> first, std::array<uint8_t, 3> second) {
    levelbuilder::Level level = levelbuilder::FilledLevel(3);
    level.Rooms.Items.at(0).Colour = first;
    level.Rooms.Items.at(1).Colour = second;
    return levelbuilder::Build(level);
}

void FindColours(const nlohmann::json& node, std::vector<nlohmann::json>& out) {
    if (node.is_array()) {
        for (const auto& e : node)
            FindColours(e, out);
    } else if (node.is_object()) {
        if (node.value("name", "") == "Room Colour")
            out.push_back(node);
        for (const char* key : {"chunks", "children"})
            if (node.contains(key))
                FindColours(node[key], out);
    }
}

compare::WalkedLevel Walked(const std::vector<uint8_t>& bytes) {
    return compare::WalkForComparison(std::make_shared<const LevelFile>(LevelFile::FromBytes(bytes)),
                                      "level");
}

TEST(RoomColour, TheReportTheJsonAndTheComparisonReadRedBlueGreen) {
    // File order: room 0 holds 1, 2, 3 (red 1, blue 2, green 3); room 1 holds 200, 0, 255.
    const std::vector<uint8_t> bytes = LevelWithColours({1, 2, 3}, {200, 0, 255});

    TempDir dir;
    AppState state;
    state.TileFolderOverride = dir.Path() / "tiles";
    SetAllDetails(state.DetailOptions, true);
    ASSERT_EQ(ReportLevelFile(state, dir.Write("level.dm3", bytes)), 0);
    const std::string& text = state.Report.Str();
    EXPECT_NE(text.find("Room Color :R: 1,G: 3,B: 2, 3 bytes"), std::string::npos);
    EXPECT_NE(text.find("Room Color :R: 200,G: 255,B: 0, 3 bytes"), std::string::npos);

    std::string json;
    AppendJsonReport(json, "level.dm3", *state.Level, state.Map);
    std::vector<nlohmann::json> colours;
    FindColours(nlohmann::json::parse(json), colours);
    ASSERT_EQ(colours.size(), 2u);
    const int expected[2][3] = {{1, 3, 2}, {200, 255, 0}};
    for (size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(colours[i]["r"], expected[i][0]) << i;
        EXPECT_EQ(colours[i]["g"], expected[i][1]) << i;
        EXPECT_EQ(colours[i]["b"], expected[i][2]) << i;
        EXPECT_EQ(colours[i]["bytes"], 3);
    }

    // Only room 0's third byte (its green) changes.
    std::vector<std::string> lines;
    compare::CompareLevels(Walked(bytes), Walked(LevelWithColours({1, 2, 9}, {200, 0, 255})),
                           {.Sections = compare::AllSections()}, [&](const compare::Difference& d) {
                               lines.push_back(compare::DifferenceLine(d));
                           });
    EXPECT_EQ(lines,
              std::vector<std::string>{"Rooms > room 0: Room Colour: R: 1,G: 3,B: 2 -> R: 1,G: 9,B: 2"});
}

} // namespace
