#include "compare/Compare.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <nlohmann/json.hpp>
#include <tuple>
#include <utility>

#include "compare/DifferenceText.h"
#include "format/Fault.h"
#include "format/NumberText.h"
#include "fuzz/HostileLevels.h"
#include "report/ReportRun.h"
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

compare::WalkedLevel Walked(const std::vector<uint8_t>& bytes, int64_t fixedBytes = kReportFixedBytes) {
    return compare::WalkForComparison(std::make_shared<const LevelFile>(LevelFile::FromBytes(bytes)), "level",
                                      fixedBytes);
}

std::vector<std::string> DiffLines(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b,
                                   compare::CompareOptions options = {.Sections = compare::AllSections()},
                                   compare::CompareSummary* summary = nullptr) {
    std::vector<std::string> lines;
    const compare::CompareSummary s =
        compare::CompareLevels(Walked(a), Walked(b), options, [&](const compare::Difference& d) {
            lines.push_back(compare::DifferenceLine(d));
        });
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
     {"Texture Tiles > Textures 8 bits > tile 2: differs in 3 bytes, first at 0x@"}},
    {"a tile added",
     2,
     [](Level& l) { l.Tiles.Add(Tile8(65536, 1)); },
     {"Texture Tiles: count: 2 -> 3", "Texture Tiles > Textures 8 bits > tile B3: added",
      "Texture Tiles > Textures 16 bits > tile B3: added"}},
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
     {"Light Map: differs in 2 bytes, first at 0x@"}},
    {"a sound map entry", 2, [](Level& l) { l.SoundMap[7] = 42; }, {"Sound Map > entry 7: Index: -1 -> 42"}},
    {"a word of the mesh data",
     2,
     [](Level& l) { l.MeshData.Items[2] = 99; },
     {"Mesh Data: differs in 1 byte, first at 0x@"}},
    {"a byte of a zone block the report does not show",
     2,
     [](Level& l) { l.Zones[0].Rest[3] = 1; },
     {"file: differs in 1 byte the report does not show, first at 0x@"}},
};

class CompareChange : public testing::TestWithParam<ChangeCase> {};

TEST_P(CompareChange, OneLinePerDifference) {
    const ChangeCase& c = GetParam();
    Level level = Base(c.Generation);
    const std::vector<uint8_t> a = Build(level);
    c.Change(level);
    const std::vector<uint8_t> b = Build(level);
    // "@" stands for the first byte where the two files differ, in hex: where a block's change begins.
    size_t first = 0;
    while (first < std::min(a.size(), b.size()) && a[first] == b[first])
        ++first;
    std::vector<std::string> expected = c.Expected;
    for (std::string& line : expected)
        if (const size_t at = line.find('@'); at != std::string::npos)
            line.replace(at, 1, Hex(static_cast<int64_t>(first)));
    EXPECT_EQ(DiffLines(a, b), expected);
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
              "A: walked to the end of the file, " + std::to_string(a.size()) + " bytes");
    EXPECT_TRUE(lines.back().starts_with("B: walked past the end of the file, to offset ")) << lines.back();
    EXPECT_TRUE(lines.back().ends_with(" of " + std::to_string(half.size()))) << lines.back();
}

// Cut at the same offset, the two walks end alike; when the copies differ before the cut, both
// ending lines still say how far the comparison could see.
TEST(Compare, TwoCopiesCutAtTheSameOffsetThatDifferSayBothEndings) {
    Level level = Base(2);
    std::vector<uint8_t> a = Build(level);
    level.Cameras.Items[1].Y = 777;
    std::vector<uint8_t> b = Build(level);
    const size_t cut = a.size() - 20;
    a.resize(cut);
    b.resize(cut);
    const std::vector<std::string> lines = DiffLines(a, b);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "Cameras > record 1: y: -513 -> 777");
    EXPECT_TRUE(lines[1].starts_with("A: walked past the end of the file, to offset ")) << lines[1];
    EXPECT_EQ(lines[2].substr(1), lines[1].substr(1));
    // Cut alike and otherwise the same: nothing to say.
    EXPECT_EQ(DiffLines(a, a), std::vector<std::string>{});
}

TEST(Compare, AWalkEndedByAnOverflowIsComparedAsFarAsItWent) {
    Level level = Base(2);
    const std::vector<uint8_t> a = Build(level);
    level.Items.Count = 40000; // more records than a listed run can number
    level.Cameras.Items[2].Z = 1;
    const std::vector<std::string> lines = DiffLines(a, Build(level));
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "Cameras > record 2: z: 2048 -> 1");
    EXPECT_TRUE(lines[1].starts_with("A: walked to the end of the file")) << lines[1];
    EXPECT_TRUE(lines[2].starts_with("an overflow ended the walk at offset 0x")) << lines[2];
    EXPECT_TRUE(lines[2].ends_with(" of B; compared as far as both walks go")) << lines[2];
}

// DM2 against DM3: one first line for the version word, the fields only one generation has with their
// values, and the records still compared field by field, each read as its own generation.
TEST(Compare, DM2AgainstDM3NamesTheVersionAndComparesTheFloorWords) {
    Level level = Base(2);
    level.Rooms.Items[0].LightMode = 3;
    const std::vector<uint8_t> a = Build(level);
    level.Generation = 3;
    level.Rooms.Items[0].Colour = {10, 20, 30};
    const std::vector<std::string> lines = DiffLines(a, Build(level));
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0], "file: version word: 0000002D (DM2) -> FF180038 (DM3)");
    const auto has = [&](const std::string& line) {
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    };
    EXPECT_TRUE(has("Rooms > room 0: Light Mode: removed: 3"));
    EXPECT_TRUE(has("Rooms > room 0: Room Colour: added: R: 10,G: 30,B: 20"));
    // The same floor word reads as function 45 in DM2 (low eight bits) and 13 in DM3 (low five): equal
    // bytes are not equal values across generations.
    ASSERT_EQ(level.FloorData.Items[4] & 0xFF, 45);
    EXPECT_TRUE(has("Floor Data > record 4: Function (Dec): 45 -> 13"));
    EXPECT_TRUE(has("Floor Data > record 4: Function (Hex): 0x2D -> 0xD"));
    // The version line stands on the first four bytes of each file.
    compare::Difference first;
    bool seen = false;
    compare::CompareLevels(Walked(a), Walked(Build(level)), {.Sections = compare::AllSections()},
                           [&](const compare::Difference& d) {
                               if (!std::exchange(seen, true))
                                   first = d;
                           });
    EXPECT_EQ(std::tie(first.OffsetA, first.BytesA, first.OffsetB, first.BytesB),
              std::make_tuple(0, 4, 0, 4));
}

// The sections choose what is told, never how the walk goes: both files are walked one way.
TEST(Compare, SectionsFilterWhatIsToldNotTheWalk) {
    Level level = Base(2);
    const std::vector<uint8_t> a = Build(level);
    level.Rooms.Items[1].Flags = 0;
    level.Cameras.Items[0].X = 5;
    compare::CompareOptions flags;
    flags.Sections.Set(optRoomFlags, true);
    EXPECT_EQ(DiffLines(a, Build(level), flags),
              std::vector<std::string>{"Rooms > room 1: Room Flag: -32768 -> 0"});

    // Mesh data sized larger than the room's mesh lists: the walk over the lists (meshes detailed) and
    // the step over 2 x W bytes (not) part ways. The ending is the same whichever sections are asked.
    Level damaged = Base(2);
    damaged.Rooms.Items[0].MeshDataSize = damaged.Rooms.Items[0].MeshWords() + 7;
    const std::vector<uint8_t> c = Build(damaged);
    damaged.Items.Items[0].X = 9;
    const std::vector<uint8_t> d = Build(damaged);
    const auto endings = [&](const DetailOptionSet& sections) {
        std::vector<std::string> lines = DiffLines(c, d, {.Sections = sections});
        std::erase_if(lines,
                      [](const std::string& l) { return !l.starts_with("A:") && !l.starts_with("B:"); });
        return lines;
    };
    DetailOptionSet items;
    items.Set(optItems, true);
    EXPECT_EQ(endings(compare::AllSections()), std::vector<std::string>{});
    EXPECT_EQ(endings(items), std::vector<std::string>{});
    EXPECT_EQ(DiffLines(c, d, {.Sections = items}), std::vector<std::string>{"Items > record 0: x: 0 -> 9"});
    // The undetailed walk steps over 2 x W bytes and does not end at the file's end.
    AppState undetailed;
    undetailed.Level = nullptr;
    const std::string path = testing::TempDir() + "/mesh-size.lvl";
    ASSERT_TRUE(WriteFile(path, c));
    ReportLevelFile(undetailed, path);
    EXPECT_NE(undetailed.Map.EndOffset(), undetailed.Map.FileSize());
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
    EXPECT_EQ(lines[0], "Items: more than 1 record inserted or removed, or the comparison's alignment budget "
                        "spent: records from 1 on paired by index");
    EXPECT_TRUE(lines.back().starts_with("Items > record B6: added: ObjectID=51,")) << lines.back();
    // With room to align, the same two insertions are two lines.
    EXPECT_EQ(DiffLines(a, Build(level)).size(), 2u);
}

TEST(Compare, ARoomLoopEndsAtTheSizeLimitAndIsComparedWithoutRunningAway) {
    const std::vector<uint8_t> loop = hostile::RoomLoopLevel(32767, 40);
    const compare::WalkedLevel a = Walked(loop, 1 << 20);
    EXPECT_EQ(a.Map.Ending(), WalkEnding::SizeLimit);
    int64_t lines = 0;
    compare::CompareLevels(a, a, {.Sections = compare::AllSections()},
                           [&](const compare::Difference&) { ++lines; });
    EXPECT_EQ(lines, 0);
    // Against the same file walked under a larger limit, the ending line of A says how far it was compared.
    std::vector<std::string> told;
    compare::CompareLevels(a, Walked(loop, 1 << 21), {.Sections = compare::AllSections()},
                           [&](const compare::Difference& d) { told.push_back(compare::DifferenceLine(d)); });
    ASSERT_EQ(told.size(), 2u);
    for (const char* file : {"A", "B"}) {
        const std::string& line = told[*file == 'A' ? 0 : 1];
        EXPECT_TRUE(line.starts_with("the report's size limit ended the walk at offset 0x")) << line;
        EXPECT_TRUE(line.ends_with(std::string(" of ") + file + "; compared as far as both walks go"))
            << line;
    }
}

// The size limit counts the report's text, its header lines included: the comparison's walk ends where
// strata-report --all ends the same file, for every length of the file's name.
TEST(Compare, TheSizeLimitEndsTheWalkWhereItEndsTheReport) {
    const std::vector<uint8_t> loop = hostile::RoomLoopLevel(32767, 40);
    for (const std::string name : {"l", "a-level-file-with-a-name-of-sixty-bytes-or-so-in-a-folder.lvl"}) {
        const std::string path = testing::TempDir() + "/" + name;
        ASSERT_TRUE(WriteFile(path, loop));
        AppState state;
        state.ReportFixedBytes = 1 << 20;
        state.TileFolderOverride = testing::TempDir() + "/limit-tiles";
        SetAllDetails(state.DetailOptions, true);
        ASSERT_EQ(ReportLevelFile(state, path), kReportLimitFault);
        const compare::WalkedLevel walked = compare::WalkForComparison(path, 1 << 20);
        EXPECT_EQ(walked.Map.Ending(), WalkEnding::SizeLimit);
        EXPECT_EQ(walked.Map.EndOffset(), state.LastRun.End.Offset) << name;
    }
}

// The comparison's walk keeps no text but records the same spans as the report's walk with every
// section detailed.
TEST(Compare, TheWalkWithoutTextMapsWhatTheReportMaps) {
    for (const int16_t generation : {int16_t{2}, int16_t{3}}) {
        const std::vector<uint8_t> bytes = Build(Base(generation));
        AppState state;
        SetAllDetails(state.DetailOptions, true);
        state.TileFolderOverride = testing::TempDir() + "/compare-walk-tiles";
        const std::string path = testing::TempDir() + "/compare-walk.lvl";
        ASSERT_TRUE(WriteFile(path, bytes));
        ASSERT_EQ(ReportLevelFile(state, path), 0);
        const compare::WalkedLevel walked = Walked(bytes);
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

// Files that cannot be read, or are not levels (1 to 3 bytes included), are never compared.
TEST(Compare, UnreadableFilesAndFilesThatAreNoLevelsAreNotCompared) {
    const compare::WalkedLevel missing = compare::WalkForComparison(testing::TempDir() + "/no/such/level");
    EXPECT_FALSE(missing.Readable());
    EXPECT_NE(missing.Status, 0);
    const compare::WalkedLevel empty = Walked({});
    EXPECT_EQ(empty.Status, kStatusEmptyOrMissing);
    // A file that could not be read is named with the system's reason, not as a file that is no level.
    EXPECT_EQ(compare::NothingCompared(missing, "m.lvl"), "");
    EXPECT_EQ(compare::NothingCompared(Walked(Build(Base(2))), "a.lvl"), "");
    const std::vector<uint8_t> notLevels[] = {{0x2D}, {0x2D, 0}, {0x38, 0, 0x18}, {0x20, 0, 0, 0, 1}};
    for (const std::vector<uint8_t>& bytes : notLevels) {
        const compare::WalkedLevel w = Walked(bytes);
        EXPECT_TRUE(w.Readable());
        EXPECT_FALSE(w.Walked()) << bytes.size();
        EXPECT_EQ(w.Map.Ending(), WalkEnding::NotALevel);
        EXPECT_EQ(compare::NothingCompared(w, "b.lvl"), "b.lvl is not a DM2 or DM3 level: nothing compared");
        int64_t told = 0;
        compare::CompareLevels(Walked(Build(Base(2))), w, {.Sections = compare::AllSections()},
                               [&](const compare::Difference&) { ++told; });
        EXPECT_EQ(told, 0);
    }
}

// A block's difference points at its bytes: runs of differing bytes in A, the first kMostByteRuns of
// them kept and all counted; JSON gives them as [offset, length] pairs.
TEST(Compare, BlockDifferencesGiveTheirRunsOfBytes) {
    Level level = Base(2);
    Layout layout;
    const std::vector<uint8_t> a = Build(level, layout);
    for (const int at : {100, 101, 102, 200})
        level.LightMap[static_cast<size_t>(at)] ^= 1;
    for (int i = 0; i < 20; ++i)
        level.LightMap[static_cast<size_t>(1000 + 2 * i)] ^= 1;
    std::vector<compare::Difference> found;
    compare::CompareLevels(Walked(a), Walked(Build(level)), {.Sections = compare::AllSections()},
                           [&](const compare::Difference& d) { found.push_back(d); });
    ASSERT_EQ(found.size(), 1u);
    const compare::Difference& d = found[0];
    const int32_t map = layout.LightMap;
    EXPECT_EQ(d.Count, 24);
    EXPECT_EQ(d.RunCount, 22);
    ASSERT_EQ(d.Runs.size(), compare::kMostByteRuns);
    EXPECT_EQ(d.Runs[0], (compare::ByteRun{map + 100, 3}));
    EXPECT_EQ(d.Runs[1], (compare::ByteRun{map + 200, 1}));
    EXPECT_EQ(d.Runs[2], (compare::ByteRun{map + 1000, 1}));
    EXPECT_EQ(compare::DifferenceLine(d), "Light Map: differs in 24 bytes, first at 0x" + Hex(map + 100));
    const std::string json = compare::DifferenceJson(d);
    EXPECT_NE(json.find("\"bytes\": 24, \"runs\": [[" + std::to_string(map + 100) + ", 3], [" +
                        std::to_string(map + 200) + ", 1], ["),
              std::string::npos)
        << json;
    EXPECT_NE(json.find("], \"runCount\": 22, \"offsetA\": "), std::string::npos) << json;

    // A run that reaches the block's last byte keeps its whole length.
    Level tail = Base(2);
    tail.LightMap[tail.LightMap.size() - 2] ^= 1;
    tail.LightMap[tail.LightMap.size() - 1] ^= 1;
    found.clear();
    compare::CompareLevels(Walked(a), Walked(Build(tail)), {.Sections = compare::AllSections()},
                           [&](const compare::Difference& d) { found.push_back(d); });
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].RunCount, 1);
    ASSERT_EQ(found[0].Runs.size(), 1u);
    EXPECT_EQ(found[0].Runs[0], (compare::ByteRun{map + static_cast<int32_t>(tail.LightMap.size()) - 2, 2}));
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

// An added record's fields in JSON: decimal values as numbers, hex values as strings, so the document
// parses and each value reads back as the report shows it.
TEST(Compare, AnAddedRecordsHexFieldStaysAStringInJson) {
    const Level a = Base(2);
    Level b = a;
    b.MeshPointers.Add(0x1F);
    std::vector<compare::Difference> found;
    compare::CompareLevels(Walked(Build(a)), Walked(Build(b)), {.Sections = compare::AllSections()},
                           [&](const compare::Difference& d) { found.push_back(d); });
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].What, compare::Change::Added);
    const std::string text = compare::DifferenceJson(found[0]);
    const nlohmann::json parsed = nlohmann::json::parse(text, nullptr, false);
    ASSERT_FALSE(parsed.is_discarded()) << text;
    EXPECT_EQ(parsed["values"]["Pointer"], "0x1F") << text;
}
