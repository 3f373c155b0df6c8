#include <gtest/gtest.h>

#include "UnitRun.h"
#include "engine/Fault.h"
#include "tools/LevelBuilder.h"

namespace {

using namespace levelbuilder;

const std::string kSep(kSeparatorLine);
const std::string kFloorHeader =
    "Offset Hex,Offset,Floor Data No,Function (Dec),SubFunction (Dec),Function (Hex),SubFunction (Hex)";

struct Built {
    std::vector<uint8_t> Bytes;
    Layout Offsets;
};

Built BuildChunks(int16_t generation, const Level& base) {
    Level level = base;
    level.Generation = generation;
    Built b;
    b.Bytes = Build(level, b.Offsets);
    return b;
}

UnitRun FloorAndMeshes(const Built& b, int16_t generation, const DetailOptionSet& options) {
    return RunUnit(b.Bytes, generation, b.Offsets.FloorData, options, [](Walk& w) { WalkFloorAndMeshes(w); });
}

Level FloorWords() {
    Level level;
    for (uint16_t word : {0x0000, 0x8004, 0x80E4, 0x0007, 0x002D})
        level.FloorData.Add(word);
    level.MeshData.Items.assign(3, 0);
    level.MeshPointers.Add(2604);
    level.MeshPointers.Add(-1);
    return level;
}

TEST(WalkFloorMeshes, FloorWordsSplitByGeneration) {
    const std::vector<std::string> dm2 = {"0,0,0,0x0,0x0", "1,4,128,0x4,0x80", "2,228,128,0xE4,0x80",
                                          "3,7,0,0x7,0x0", "4,45,0,0x2D,0x0"};
    const std::vector<std::string> dm3 = {"0,0,0,0x0,0x0", "1,4,128,0x4,0x80", "2,4,128,0x4,0x80",
                                          "3,7,0,0x7,0x0", "4,13,0,0xD,0x0"};
    for (int16_t generation : {2, 3}) {
        const Built b = BuildChunks(generation, FloorWords());
        const int32_t f = b.Offsets.FloorData;
        const UnitRun run = FloorAndMeshes(b, generation, OptionsOn({optFloors}));
        ASSERT_GE(run.Lines.size(), 8u);
        EXPECT_EQ(run.Lines[1], At(f) + "5,Floor,10 bytes");
        EXPECT_EQ(run.Lines[2], kFloorHeader);
        for (int j = 0; j < 5; ++j) {
            const std::string prefix = generation == 3 ? "Room Floor Data No " : "";
            EXPECT_EQ(run.Lines[3 + j], At(f + 4 + 2 * j) + prefix + (generation == 3 ? dm3 : dm2)[j]);
        }
        EXPECT_EQ(run.End, b.Offsets.Animations);
    }
}

TEST(WalkFloorMeshes, UnlistedChunksAreSizedAndSteppedOver) {
    const Built b = BuildChunks(2, FloorWords());
    const int32_t f = b.Offsets.FloorData;
    const std::vector<std::string> expected = {kSep, At(f) + "5,Floor,10 bytes",
                                               kSep, At(f + 14) + "3,Mesh Data,6 bytes",
                                               kSep, At(f + 24) + "2,Mesh Data Pointer,8 bytes"};
    const UnitRun off = FloorAndMeshes(b, 2, AllOptions(false));
    EXPECT_EQ(off.Lines, expected);
    EXPECT_EQ(off.End, b.Offsets.Animations);
    // The meshes option changes nothing.
    EXPECT_EQ(FloorAndMeshes(b, 2, OptionsOn({optMeshes})).Lines, expected);
}

TEST(WalkFloorMeshes, MeshPointersListInHexadecimal) {
    const Built b = BuildChunks(2, FloorWords());
    const int32_t p = b.Offsets.MeshPointers;
    const UnitRun run = FloorAndMeshes(b, 2, OptionsOn({optMeshPointers}));
    ASSERT_EQ(run.Lines.size(), 9u);
    EXPECT_EQ(run.Lines[6], "Offset Hex, Offset,MeshPointer No, Pointer");
    EXPECT_EQ(run.Lines[7], At(p + 4) + "0,0xA2C");
    EXPECT_EQ(run.Lines[8], At(p + 8) + "1,0xFFFFFFFF");
    EXPECT_EQ(run.End, b.Offsets.Animations);
}

TEST(WalkFloorMeshes, EmptyAndNegativeCounts) {
    Level level;
    level.MeshPointers.Count = -1;
    const Built b = BuildChunks(3, level);
    const UnitRun run = FloorAndMeshes(b, 3, AllOptions(true));
    EXPECT_EQ(run.Lines[1], At(b.Offsets.FloorData) + "0,Floor,0 bytes");
    EXPECT_EQ(run.Lines[2], kSep); // no header for an empty list
    EXPECT_EQ(run.Lines[5], At(b.Offsets.MeshPointers) + "-1,Mesh Data Pointer,-4 bytes");
    // A negative count steps back over count x 4 bytes, with the option on too.
    EXPECT_EQ(run.End, b.Offsets.MeshPointers);
}

TEST(WalkFloorMeshes, ListedFloorDataBeyond32767WordsFaultsAfterItsHeader) {
    Level level;
    level.FloorData.Count = 40000;
    const Built b = BuildChunks(2, level);
    EXPECT_EQ(FloorAndMeshes(b, 2, AllOptions(false)).End, b.Offsets.FloorData + 4 + 80000 + 8);

    AppState state;
    state.DetailOptions = OptionsOn({optFloors});
    const LevelFile file = LevelFile::FromBytes(b.Bytes);
    Walk w(state, file, 2, b.Offsets.FloorData);
    EXPECT_THROW(WalkFloorAndMeshes(w), WalkFault);
    EXPECT_TRUE(state.Report.Text().ends_with("40000,Floor,80000 bytes\r\n" + kFloorHeader));
}

} // namespace
