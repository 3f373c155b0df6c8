#include <gtest/gtest.h>

#include "tools/LevelBuilder.h"

using namespace levelbuilder;

namespace {
int32_t S32At(const std::vector<uint8_t>& b, int32_t at) {
    return static_cast<int32_t>(b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<uint32_t>(b[at + 3]) << 24));
}
} // namespace

TEST(LevelBuilder, EmptyLevelHasTheFixedChunksOnly) {
    Layout layout;
    const auto bytes = Build(Level{}, layout);
    // version, palettes, tile count, skipped field, room count, 23 s32 counts, light map,
    // 2 s16 counts, sound map, the 4-byte sound detail field
    EXPECT_EQ(layout.RoomCount, 1804);
    EXPECT_EQ(static_cast<int32_t>(bytes.size()), layout.End);
    EXPECT_EQ(layout.End, 1804 + 2 + 4 * 20 + 8192 + 2 + 2 + 740 + 4 + 4);
    EXPECT_EQ(S32At(bytes, 0), 0x2D);
}

TEST(LevelBuilder, RoomLayoutDiffersByGeneration) {
    Level dm2 = FilledLevel(2), dm3 = FilledLevel(3);
    Layout l2, l3;
    Build(dm2, l2);
    const auto b3 = Build(dm3, l3);
    ASSERT_EQ(l2.Rooms.size(), 2u);
    // A DM2 room carries a 2-byte light mode, a DM3 room three colour bytes.
    EXPECT_EQ((l3.Rooms[1] - l3.Rooms[0]) - (l2.Rooms[1] - l2.Rooms[0]), 1);
    EXPECT_EQ(static_cast<uint32_t>(S32At(b3, 0)), kVersionDM3);
    // Mesh data size in words covers the four mesh lists with their counts.
    EXPECT_EQ(S32At(b3, l3.Rooms[0] + 16), dm3.Rooms.Items[0].MeshWords());
    EXPECT_EQ(dm3.Rooms.Items[0].MeshWords(), (8 + 4 * 12 + 10 + 2 * 8 + 4) / 2);
}

TEST(LevelBuilder, CountOverrideIsWrittenInPlaceOfTheListSize) {
    Level level;
    level.MeshPointers.Items = {1, 2};
    level.MeshPointers.Count = -1;
    Layout layout;
    const auto bytes = Build(level, layout);
    EXPECT_EQ(S32At(bytes, layout.MeshPointers), -1);
    EXPECT_EQ(layout.Animations - layout.MeshPointers, 4 + 8);
}
