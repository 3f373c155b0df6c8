#include "engine/DetailOptions.h"

#include <gtest/gtest.h>

TEST(DetailOptions, TableHoldsTheCaptionsInChunkOrder) {
    EXPECT_EQ(kDetailOptionTable[optPalettes].Caption, "Palettes");
    EXPECT_EQ(kDetailOptionTable[optTextureTiles].Caption, "Texture Tiles");
    EXPECT_EQ(kDetailOptionTable[optSampleIndices].Caption, "SampleIndices");
    // Two captions occur twice; the group tells them apart.
    EXPECT_EQ(kDetailOptionTable[optRoomMeshes].Caption, kDetailOptionTable[optMeshes].Caption);
    EXPECT_EQ(kDetailOptionTable[optRoomMeshes].Group, DetailGroup::Rooms);
    EXPECT_EQ(kDetailOptionTable[optMeshes].Group, DetailGroup::LeftColumn);
    EXPECT_EQ(kDetailOptionTable[optRoomStaticMeshes].Caption, "StaticMeshes");
    EXPECT_EQ(kDetailOptionTable[optStaticMeshes].Caption, "StaticMeshes");
    EXPECT_EQ(DetailGroupName(kDetailOptionTable[optTextureTiles].Group), "fraGraphics");
}

TEST(DetailOptions, StartOffAndFollowThePresets) {
    DetailOptionSet options;
    EXPECT_FALSE(AllDetailsSelected(options));

    SetAllDetails(options, true);
    EXPECT_TRUE(AllDetailsSelected(options));
    EXPECT_EQ(options.Value[0], -1);

    options.Set(optMeshes, false); // one off is not all
    EXPECT_FALSE(AllDetailsSelected(options));
    EXPECT_TRUE(options.On(optRoomMeshes));

    options.Value[optMeshes] = 1; // any non-zero value reads as on
    EXPECT_TRUE(AllDetailsSelected(options));

    SetAllDetails(options, false);
    for (int i = 0; i < kDetailOptionCount; ++i)
        EXPECT_FALSE(options.On(i));
}
