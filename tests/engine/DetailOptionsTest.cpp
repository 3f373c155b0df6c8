#include "engine/DetailOptions.h"

#include <gtest/gtest.h>

TEST(DetailOptions, StartOffAndFollowThePresets) {
    DetailOptionSet options;
    EXPECT_FALSE(AllDetailsSelected(options));
    SetAllDetails(options, true);
    EXPECT_TRUE(AllDetailsSelected(options));
    options.Set(optMeshes, false); // one off is not all, and "Meshes" of the rooms is another option
    EXPECT_FALSE(AllDetailsSelected(options));
    EXPECT_TRUE(options.On(optRoomMeshes));
    options.Value[optMeshes] = 1; // any non-zero value reads as on
    EXPECT_TRUE(AllDetailsSelected(options));
    SetAllDetails(options, false);
    for (int i = 0; i < kDetailOptionCount; ++i)
        EXPECT_FALSE(options.On(i));
}
