#include "UnitRun.h"

namespace {

const std::string kFloorHeader =
    "Offset Hex,Offset,Floor Data No,Function (Dec),SubFunction (Dec),Function (Hex),SubFunction (Hex)";

Built FloorLevel(int16_t generation, Level level = {}) {
    level.Generation = generation;
    return Built(level);
}

UnitRun FloorAndMeshes(const Built& b, int16_t generation, const DetailOptionSet& options,
                       bool faults = false) {
    return RunUnit(WalkFloorAndMeshes, b.Bytes, generation, b.Where.FloorData, options, faults);
}

Level FloorWords() {
    Level level;
    level.FloorData.Items = {0x0000, 0x8004, 0x80E4, 0x0007, 0x002D};
    level.MeshData.Items.assign(3, 0);
    level.MeshPointers.Items = {2604, -1};
    return level;
}

TEST(WalkFloorMeshes, FloorWordsSplitByGeneration) {
    const std::vector<std::string> dm2 = {"0,0,0,0x0,0x0", "1,4,128,0x4,0x80", "2,228,128,0xE4,0x80",
                                          "3,7,0,0x7,0x0", "4,45,0,0x2D,0x0"};
    const std::vector<std::string> dm3 = {"0,0,0,0x0,0x0", "1,4,128,0x4,0x80", "2,4,128,0x4,0x80",
                                          "3,7,0,0x7,0x0", "4,13,0,0xD,0x0"};
    for (int16_t generation : {2, 3}) {
        const Built b = FloorLevel(generation, FloorWords());
        const int32_t f = b.Where.FloorData;
        const UnitRun run = FloorAndMeshes(b, generation, OptionsOn({optFloors}));
        std::vector<std::string> expected = {kSep, At(f) + "5,Floor,10 bytes", kFloorHeader};
        for (int j = 0; j < 5; ++j)
            expected.push_back(At(f + 4 + 2 * j) + (generation == 3 ? "Room Floor Data No " : "") +
                               (generation == 3 ? dm3 : dm2)[j]);
        EXPECT_EQ(std::vector<std::string>(run.Lines.begin(), run.Lines.begin() + 8), expected);
        EXPECT_EQ(run.End, b.Where.Animations);
    }
}

TEST(WalkFloorMeshes, ChunksAreSizedSteppedOverAndThePointersListedInHex) {
    const Built b = FloorLevel(2, FloorWords());
    const int32_t f = b.Where.FloorData, p = b.Where.MeshPointers;
    std::vector<std::string> expected = {kSep, At(f) + "5,Floor,10 bytes",
                                         kSep, At(f + 14) + "3,Mesh Data,6 bytes",
                                         kSep, At(p) + "2,Mesh Data Pointer,8 bytes"};
    // The meshes option changes nothing.
    for (const DetailOptionSet& options : {AllOptions(false), OptionsOn({optMeshes})}) {
        const UnitRun run = FloorAndMeshes(b, 2, options);
        EXPECT_EQ(run.Lines, expected);
        EXPECT_EQ(run.End, b.Where.Animations);
    }
    expected.insert(expected.end(), {"Offset Hex, Offset,MeshPointer No, Pointer", At(p + 4) + "0,0xA2C",
                                     At(p + 8) + "1,0xFFFFFFFF"});
    const UnitRun run = FloorAndMeshes(b, 2, OptionsOn({optMeshPointers}));
    EXPECT_EQ(run.Lines, expected);
    EXPECT_EQ(run.End, b.Where.Animations);
}

TEST(WalkFloorMeshes, EmptyNegativeAndOverlongCounts) {
    Level level;
    level.MeshPointers.Count = -1;
    Built b = FloorLevel(3, level);
    const UnitRun run = FloorAndMeshes(b, 3, AllOptions(true));
    EXPECT_EQ(run.Lines[1], At(b.Where.FloorData) + "0,Floor,0 bytes");
    EXPECT_EQ(run.Lines[2], kSep); // no header for an empty list
    EXPECT_EQ(run.Lines[5], At(b.Where.MeshPointers) + "-1,Mesh Data Pointer,-4 bytes");
    // A negative count steps back over count x 4 bytes, with the option on too.
    EXPECT_EQ(run.End, b.Where.MeshPointers);

    level = Level{};
    level.FloorData.Count = 40000;
    b = FloorLevel(2, level);
    EXPECT_EQ(FloorAndMeshes(b, 2, AllOptions(false)).End, b.Where.FloorData + 4 + 80000 + 8);
    const std::vector<std::string> lines = FloorAndMeshes(b, 2, OptionsOn({optFloors}), true).Lines;
    EXPECT_EQ(Last(lines, 2), Excerpt(At(b.Where.FloorData) + "40000,Floor,80000 bytes", kFloorHeader));
}

} // namespace
