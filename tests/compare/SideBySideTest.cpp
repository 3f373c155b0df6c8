// The map from bytes of one level to the bytes that stand for them in another, which the side-by-side
// hex panes scroll by: worked cases over hand-made anchors, then two builder levels told apart by one
// inserted record, whose anchors come from the comparison itself.
#include "compare/OffsetAlignment.h"

#include <gtest/gtest.h>

#include "common/TestFiles.h"
#include "tools/LevelBuilder.h"

namespace {

using compare::Anchor;
using compare::OffsetAlignment;

struct MapCase {
    const char* What;
    std::vector<Anchor> Anchors;
    int64_t SizeA, SizeB;
    std::vector<std::pair<int64_t, int64_t>> AtoB; // a byte of A, the byte of B expected
};

// A run of 4-byte records at 10 in A and 10 in B, behind a 2-byte count: A holds r0 r1 r2, B holds
// r0 X r1 r2 (one record inserted), and the chunk behind the run starts 4 bytes later in B.
const std::vector<Anchor> kInserted = {
    {10, 24, 10, 28}, // the run
    {12, 16, 12, 16}, // r0
    {16, 20, 20, 24}, // r1
    {20, 24, 24, 28}, // r2
    {24, 40, 28, 44}, // the next chunk
};

const MapCase kCases[] = {
    {"no anchors: the files byte for byte", {}, 100, 100, {{0, 0}, {57, 57}, {99, 99}}},
    {"no anchors: held inside the shorter file", {}, 100, 50, {{10, 10}, {70, 49}, {500, 49}}},
    {"one inserted record",
     kInserted,
     40,
     44,
     {{0, 0},
      {10, 10},
      {11, 11},
      {12, 12},
      {15, 15},
      {16, 20},
      {19, 23},
      {21, 25},
      {23, 27},
      {24, 28},
      {39, 43}}},
    {"a record only in A stands behind the last aligned one",
     {{0, 20, 0, 16}, {4, 8, 4, 8}, {12, 16, 8, 12}},
     20,
     16,
     {{5, 5}, {8, 8}, {11, 11}, {12, 8}, {16, 12}, {19, 15}}},
    {"a span longer in A is held inside its match in B",
     {{0, 8, 0, 8}, {8, 30, 8, 12}, {30, 40, 12, 22}},
     40,
     22,
     {{9, 9}, {11, 11}, {12, 11}, {29, 11}, {30, 12}, {39, 21}}},
    {"a span empty in B maps to where it stands",
     {{0, 8, 0, 8}, {8, 16, 8, 8}, {16, 20, 8, 12}},
     20,
     12,
     {{8, 8}, {15, 8}, {16, 8}, {19, 11}}},
    {"anchors that overlap without nesting are cut",
     {{0, 10, 0, 10}, {5, 15, 20, 30}, {10, 20, 10, 20}},
     20,
     30,
     {{4, 4}, {6, 21}, {9, 24}, {10, 10}, {19, 19}}},
};

TEST(SideBySideAlignment, MapsEachByteToTheByteThatStandsForIt) {
    for (const MapCase& c : kCases) {
        const OffsetAlignment map(c.Anchors, c.SizeA, c.SizeB);
        for (const auto& [a, b] : c.AtoB)
            EXPECT_EQ(map.Map(a), b) << c.What << ", byte " << a;
    }
}

TEST(SideBySideAlignment, TurnedRoundMapsBack) {
    const OffsetAlignment map(kInserted, 40, 44);
    const OffsetAlignment back = map.Reversed();
    // Every byte of an aligned record comes back to itself; the inserted record (16..20 in B) stands
    // behind r0 in A.
    for (int64_t a : {0, 12, 15, 16, 19, 20, 23, 24, 39})
        EXPECT_EQ(back.Map(map.Map(a)), a) << a;
    EXPECT_EQ(back.Map(16), 16);
    EXPECT_EQ(back.Map(19), 19);
    EXPECT_EQ(OffsetAlignment({}, 10, 0).Map(3), -1);
    EXPECT_EQ(OffsetAlignment({}, 0, 10).Map(3), -1);
}

// One vertex inserted into the first room of B: each vertex behind it in A stands beside its match,
// 12 bytes on, and so does everything behind the room.
TEST(SideBySideAlignment, ComparedLevelsAlignAcrossAnInsertedRecord) {
    levelbuilder::Level level = levelbuilder::FilledLevel(2);
    auto& vertices = level.Rooms.Items[0].Vertices.Items;
    vertices.clear();
    for (int16_t v = 0; v < 6; ++v)
        vertices.push_back({static_cast<int16_t>(100 * v), static_cast<int16_t>(-7 * v), 3, {}});
    levelbuilder::Layout layoutA, layoutB;
    TempDir dir;
    const std::string a = dir.Write("a.dm2", levelbuilder::Build(level, layoutA));
    vertices.insert(vertices.begin() + 2, levelbuilder::Vertex{5555, 1, 2, {}});
    const std::string b = dir.Write("b.dm2", levelbuilder::Build(level, layoutB));

    const compare::WalkedLevel wa = compare::WalkForComparison(a), wb = compare::WalkForComparison(b);
    ASSERT_TRUE(wa.Walked() && wb.Walked());
    std::vector<Anchor> anchors;
    compare::CompareOptions options;
    options.Sections = compare::AllSections();
    options.Anchors = &anchors;
    compare::CompareLevels(wa, wb, options, [](const compare::Difference&) {});
    const OffsetAlignment map(anchors, wa.Level->Size(), wb.Level->Size());

    const int64_t firstA = layoutA.Parts[0].Vertices + 2, firstB = layoutB.Parts[0].Vertices + 2;
    ASSERT_EQ(firstA, firstB);
    for (int64_t v = 0; v < 6; ++v) {
        const int64_t inB = v < 2 ? v : v + 1;
        for (int64_t within : {0, 5, 11})
            EXPECT_EQ(map.Map(firstA + 12 * v + within), firstB + 12 * inB + within) << "vertex " << v;
    }
    EXPECT_EQ(map.Map(layoutA.Cameras), layoutB.Cameras);
    EXPECT_EQ(map.Map(layoutA.Items + 3), layoutB.Items + 3);
    EXPECT_EQ(layoutB.Items, layoutA.Items + 12);
    // B's inserted vertex stands behind A's second one.
    EXPECT_EQ(map.Reversed().Map(firstB + 24 + 4), firstA + 24 + 4);
}

// Records aligned one after another on both sides make one anchor: a run of 3,000 vertices with one
// inserted costs a handful of anchors, not one a vertex, and still maps every vertex to its match.
TEST(SideBySideAlignment, AlignedRecordsInARowAreOneAnchor) {
    levelbuilder::Level level = levelbuilder::FilledLevel(2);
    auto& vertices = level.Rooms.Items[0].Vertices.Items;
    vertices.clear();
    for (int v = 0; v < 3000; ++v)
        vertices.push_back(
            {static_cast<int16_t>(v), static_cast<int16_t>(v / 7), static_cast<int16_t>(-v), {}});
    levelbuilder::Layout layoutA, layoutB;
    TempDir dir;
    const std::string a = dir.Write("a.dm2", levelbuilder::Build(level, layoutA));
    vertices.insert(vertices.begin() + 1234, levelbuilder::Vertex{-1, -1, -1, {}});
    const std::string b = dir.Write("b.dm2", levelbuilder::Build(level, layoutB));
    const compare::WalkedLevel wa = compare::WalkForComparison(a), wb = compare::WalkForComparison(b);
    std::vector<Anchor> anchors;
    compare::CompareOptions options;
    options.Sections = compare::AllSections();
    options.Anchors = &anchors;
    compare::CompareLevels(wa, wb, options, [](const compare::Difference&) {});
    EXPECT_LT(anchors.size(), 400u); // the level's spans, and two stretches of vertices
    const OffsetAlignment map(anchors, wa.Level->Size(), wb.Level->Size());
    const int64_t firstA = layoutA.Parts[0].Vertices + 2, firstB = layoutB.Parts[0].Vertices + 2;
    for (int64_t v : {0, 1233, 1234, 2999})
        EXPECT_EQ(map.Map(firstA + 12 * v + 7), firstB + 12 * (v < 1234 ? v : v + 1) + 7) << v;
}

} // namespace
