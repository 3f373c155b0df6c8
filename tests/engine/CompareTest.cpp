#include "engine/Compare.h"

#include <gtest/gtest.h>

#include <functional>

#include "engine/DifferenceText.h"
#include "engine/ReportRun.h"
#include "fuzz/HostileLevels.h"
#include "tools/LevelBuilder.h"

using namespace levelbuilder;

namespace {

// The filled level with lists long enough for a record to go in the middle, each record its own.
Level Base(int16_t generation) {
    Level level = FilledLevel(generation);
    level.Cameras.Items.clear();
    for (int i = 0; i < 3; ++i)
        level.Cameras.Add({i * 1024, -512 - i, 2048, static_cast<int16_t>(i), 0});
    level.Items.Items.clear();
    for (int i = 0; i < 8; ++i)
        level.Items.Add(
            {static_cast<int16_t>(i), static_cast<int16_t>(i % 2), i * 1000, -i, i * 7, 0, 100, 100, 0});
    return level;
}

compare::WalkedLevel Walked(const std::vector<uint8_t>& bytes, const DetailOptionSet& sections) {
    return compare::WalkForComparison(std::make_shared<const LevelFile>(LevelFile::FromBytes(bytes)),
                                      sections);
}

std::vector<std::string> DiffLines(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b,
                                   compare::CompareOptions options = {.Sections = compare::AllSections()},
                                   compare::CompareSummary* summary = nullptr) {
    std::vector<std::string> lines;
    const compare::CompareSummary s = compare::CompareLevels(
        Walked(a, options.Sections), Walked(b, options.Sections), options,
        [&](const compare::Difference& d) { lines.push_back(compare::DifferenceLine(d)); });
    EXPECT_EQ(s.Differences, static_cast<int64_t>(lines.size()));
    if (summary)
        *summary = s;
    return lines;
}

struct ChangeCase {
    const char* Name;
    int16_t Generation;
    std::function<void(Level&)> Change;
    std::vector<std::string> Expected;
};

const ChangeCase kChanges[] = {
    {"same level", 2, [](Level&) {}, {}},
    {"same DM3 level", 3, [](Level&) {}, {}},
    {"one field of one camera",
     2,
     [](Level& l) { l.Cameras.Items[1].Y = 777; },
     {"Cameras > record 1: y: -513 -> 777"}},
    {"an item inserted in the middle",
     2,
     [](Level& l) {
         l.Items.Items.insert(l.Items.Items.begin() + 4, Item{77, 1, 5, 6, 7, 8, 9, 10, 11});
     },
     {"Items > record B4: added: ObjectID=77, Room=1, x=5, y=6, z=7, Angle=8, Intensity1=9, Intensity2=10, "
      "Flags=11"}},
    {"an item removed",
     3,
     [](Level& l) { l.Items.Items.erase(l.Items.Items.begin() + 2); },
     {"Items > record A2: removed: ObjectID=2, Room=0, x=2000, y=-2, z=14, Angle=0, Intensity1=100, "
      "Intensity2=100, Flags=0"}},
    {"a room's sector floor",
     2,
     [](Level& l) { l.Rooms.Items[1].Sectors[5].Floor = 9; },
     {"Rooms > room 1 > Sectors > record 5: Floor: 252 -> 9"}},
    {"a door's third corner",
     2,
     [](Level& l) { l.Rooms.Items[0].Doors.Items[0].Vertices[2][1] = 5; },
     {"Rooms > room 0 > Doors > record 0: Vertices(2).y: -1024 -> 5"}},
    {"a room's intensity and flag",
     2,
     [](Level& l) {
         l.Rooms.Items[0].Intensity1 = 7000;
         l.Rooms.Items[1].Flags = 0;
     },
     {"Rooms > room 0: Intensity 1: 8000 -> 7000", "Rooms > room 1: Room Flag: -32768 -> 0"}},
    {"a DM3 room colour, shown as the report shows it",
     3,
     [](Level& l) { l.Rooms.Items[0].Colour[2] = 99; },
     {"Rooms > room 0: Room Colour: R: 10,G: 30,B: 20 -> R: 10,G: 99,B: 20"}},
    {"a room added", 2, [](Level& l) { l.Rooms.Add(l.Rooms.Items[0]); }, {"Rooms > room 2: added"}},
    {"a floor word, in decimal and in hex",
     2,
     [](Level& l) { l.FloorData.Items[1] = 0x8005; },
     {"Floor Data > record 1: Function (Dec): 4 -> 5", "Floor Data > record 1: Function (Hex): 0x4 -> 0x5"}},
    {"a mesh pointer, in hex",
     2,
     [](Level& l) { l.MeshPointers.Items[2] = -5; },
     {"Mesh Pointers > record 2: Pointer: 0xFFFFFFFC -> 0xFFFFFFFB"}},
    {"three bytes of a tile",
     2,
     [](Level& l) {
         for (int p = 0; p < 3; ++p)
             l.Tiles.Items[1][static_cast<size_t>(p)] = 0;
     },
     {"Texture Tiles > Textures 8 bits > tile 1: differs in 3 bytes"}},
    {"a tile added",
     2,
     [](Level& l) { l.Tiles.Add(Tile8(65536, 1)); },
     {"Texture Tiles: count: 2 -> 3", "Texture Tiles > Textures 8 bits > tile B2: added",
      "Texture Tiles > Textures 16 bits > tile B2: added"}},
    {"a palette colour",
     2,
     [](Level& l) { l.Palette8[3 * 17 + 2] = 0; },
     {"Palette 8 bits > colour 17: R,G,B: 17,4,46 -> 17,4,0"}},
    {"two bytes of the light map",
     2,
     [](Level& l) {
         l.LightMap[100] ^= 1;
         l.LightMap[8000] ^= 1;
     },
     {"Light Map: differs in 2 bytes"}},
    {"a sound map entry", 2, [](Level& l) { l.SoundMap[7] = 42; }, {"Sound Map > entry 7: Index: -1 -> 42"}},
    {"a word of the mesh data",
     2,
     [](Level& l) { l.MeshData.Items[2] = 99; },
     {"Mesh Data: differs in 1 byte"}},
    {"a byte of a zone block the report does not show",
     2,
     [](Level& l) { l.Zones[0].Rest[3] = 1; },
     {"file: differs in 1 byte the report does not show"}},
};

class CompareChange : public testing::TestWithParam<ChangeCase> {};

TEST_P(CompareChange, OneLinePerDifference) {
    const ChangeCase& c = GetParam();
    Level level = Base(c.Generation);
    const std::vector<uint8_t> a = Build(level);
    c.Change(level);
    EXPECT_EQ(DiffLines(a, Build(level)), c.Expected);
}

INSTANTIATE_TEST_SUITE_P(Levels, CompareChange, testing::ValuesIn(kChanges),
                         [](const testing::TestParamInfo<ChangeCase>& info) {
                             std::string name;
                             for (const char* p = info.param.Name; *p; ++p)
                                 name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
                             return name;
                         });

TEST(Compare, OnlyTheSectionsAsked) {
    Level level = Base(2);
    const std::vector<uint8_t> a = Build(level);
    level.Cameras.Items[0].X = 5;
    level.Items.Items[0].X = 5;
    compare::CompareOptions options;
    options.Sections.Set(optCameras, true);
    EXPECT_EQ(DiffLines(a, Build(level), options), std::vector<std::string>{"Cameras > record 0: x: 0 -> 5"});
}

TEST(Compare, ACopyCutInHalfSaysWhereItsWalkEnded) {
    const std::vector<uint8_t> a = Build(Base(2));
    const std::vector<uint8_t> half(a.begin(), a.begin() + static_cast<long>(a.size() / 2));
    const std::vector<std::string> lines = DiffLines(a, half);
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[lines.size() - 2],
              "A: the walk ended at the file's end (" + compare::Grouped(a.size()) + " bytes)");
    EXPECT_TRUE(lines.back().starts_with("B: the walk ended at offset 0x")) << lines.back();
    EXPECT_TRUE(
        lines.back().ends_with(", past the file's end (" + compare::Grouped(half.size()) + " bytes)"));
}

TEST(Compare, AWalkEndedByAnOverflowIsComparedAsFarAsItWent) {
    Level level = Base(2);
    const std::vector<uint8_t> a = Build(level);
    level.Items.Count = 40000; // more records than a listed run can number
    level.Cameras.Items[2].Z = 1;
    const std::vector<std::string> lines = DiffLines(a, Build(level));
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "Cameras > record 2: z: 2048 -> 1");
    EXPECT_TRUE(lines[1].starts_with("A: the walk ended at the file's end")) << lines[1];
    EXPECT_TRUE(lines[2].starts_with("B: an overflow ended the walk at offset 0x")) << lines[2];
    EXPECT_TRUE(lines[2].ends_with("; compared as far as both walks go")) << lines[2];
}

TEST(Compare, RunsTooFarApartArePairedByIndexAndSaySo) {
    Level level = Base(2);
    const std::vector<uint8_t> a = Build(level);
    level.Items.Items.insert(level.Items.Items.begin() + 1, Item{50, 0, 1, 1, 1, 1, 1, 1, 1});
    level.Items.Items.insert(level.Items.Items.begin() + 6, Item{51, 0, 1, 1, 1, 1, 1, 1, 1});
    compare::CompareSummary summary;
    const auto lines =
        DiffLines(a, Build(level), {.Sections = compare::AllSections(), .MaxEdits = 1}, &summary);
    EXPECT_EQ(summary.RunsPairedByIndex, 1);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0],
              "Items: more than 1 records inserted or removed, or the comparison's alignment budget "
              "spent: records 1 on paired by index");
    EXPECT_TRUE(lines.back().starts_with("Items > record B6: added: ObjectID=51,")) << lines.back();
    // With room to align, the same two insertions are two lines.
    EXPECT_EQ(DiffLines(a, Build(level)).size(), 2u);
}

TEST(Compare, ARoomLoopEndsAtTheSizeLimitAndIsComparedWithoutRunningAway) {
    const std::vector<uint8_t> loop = hostile::RoomLoopLevel(32767, 40);
    const auto sections = compare::AllSections();
    const compare::WalkedLevel a = compare::WalkForComparison(
        std::make_shared<const LevelFile>(LevelFile::FromBytes(loop)), sections, 1 << 20);
    EXPECT_EQ(a.Map.Ending(), WalkEnding::SizeLimit);
    int64_t lines = 0;
    compare::CompareLevels(a, a, {.Sections = sections}, [&](const compare::Difference&) { ++lines; });
    EXPECT_EQ(lines, 0);
}

// The comparison's walk keeps no text but records the same spans as the report's walk.
TEST(Compare, TheWalkWithoutTextMapsWhatTheReportMaps) {
    for (const int16_t generation : {int16_t{2}, int16_t{3}}) {
        const std::vector<uint8_t> bytes = Build(Base(generation));
        AppState state;
        SetAllDetails(state.DetailOptions, true);
        state.DetailOptions.Set(optPalettes, false);
        state.DetailOptions.Set(optTextureTiles, false);
        const std::string path = testing::TempDir() + "/compare-walk.lvl";
        ASSERT_TRUE(WriteFile(path, bytes));
        ASSERT_EQ(ReportLevelFile(state, path), 0);
        const compare::WalkedLevel walked = Walked(bytes, compare::AllSections());
        ASSERT_EQ(walked.Map.Size(), state.Map.Size());
        for (int32_t i = 0; i < walked.Map.Size(); ++i) {
            const Span& s = walked.Map[i];
            const Span& r = state.Map[i];
            EXPECT_EQ(std::tuple(s.First, s.End, s.Count, s.What, s.Kind),
                      std::tuple(r.First, r.End, r.Count, r.What, r.Kind));
            // The comparison's walk numbers its lines from its own first line, the report's after its header.
            EXPECT_EQ(s.Line - walked.Map[0].Line, r.Line - state.Map[0].Line);
        }
    }
}

TEST(Compare, UnreadableFilesAreNotCompared) {
    const compare::WalkedLevel missing =
        compare::WalkForComparison(testing::TempDir() + "/no/such/level", compare::AllSections());
    EXPECT_FALSE(missing.Readable());
    EXPECT_NE(missing.Status, 0);
    const compare::WalkedLevel empty = Walked({}, compare::AllSections());
    EXPECT_EQ(empty.Status, kStatusEmptyOrMissing);
}

TEST(StringPane, KeepingNoTextStillCountsItsBytes) {
    StringPane pane;
    pane.ReplaceAll("one");
    pane.KeepNoText();
    pane.InsertAtEnd("\r\ntwo");
    pane.Flush();
    EXPECT_EQ(pane.Text(), "");
    EXPECT_EQ(pane.Length(), 8u);
    pane.ReplaceAll("four");
    EXPECT_EQ(pane.Length(), 4u);
}

} // namespace
