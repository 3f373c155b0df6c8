#include "palette/PaletteStore.h"

#include <gtest/gtest.h>

#include <array>

TEST(PaletteStore, EightBitComponentsAreScaledFourfoldAndCappedAt255) {
    std::array<uint8_t, 768> bytes{};
    bytes[0] = 0, bytes[1] = 1, bytes[2] = 63;          // colour 0
    bytes[765] = 10, bytes[766] = 64, bytes[767] = 255; // colour 255: beyond 6 bits
    auto list = MakePalette8(bytes);
    ASSERT_EQ(list->NumberOfItemInArray(), 256);
    auto first = list->ObjectAt<C_udtCol8>(1);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->GetR(), 0);
    EXPECT_EQ(first->GetG(), 4);
    EXPECT_EQ(first->GetB(), 252);
    auto last = list->ObjectAt<C_udtCol8>(256);
    ASSERT_TRUE(last);
    EXPECT_EQ(last->GetR(), 40);
    EXPECT_EQ(last->GetG(), 255);
    EXPECT_EQ(last->GetB(), 255);
}

TEST(PaletteStore, SixteenBitEntriesKeepTheirFourBytes) {
    std::array<uint8_t, 1024> bytes{};
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<uint8_t>(i * 7);
    auto list = MakePalette16(bytes);
    ASSERT_EQ(list->NumberOfItemInArray(), 256);
    for (int64_t n : {1, 100, 256}) {
        auto c = list->ObjectAt<C_udtCol16>(n);
        ASSERT_TRUE(c);
        const size_t at = static_cast<size_t>(n - 1) * 4;
        EXPECT_EQ(c->GetR(), bytes[at]);
        EXPECT_EQ(c->GetG(), bytes[at + 1]);
        EXPECT_EQ(c->GetB(), bytes[at + 2]);
        EXPECT_EQ(c->GetA(), bytes[at + 3]);
    }
}
