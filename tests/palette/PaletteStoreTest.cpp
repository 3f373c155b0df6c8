#include "palette/PaletteStore.h"

#include <gtest/gtest.h>

#include <array>

// 8-bit components are scaled fourfold and capped at 255; 16-bit entries keep their four bytes.
TEST(PaletteStore, ColourRecordsOfBothLists) {
    std::array<uint8_t, 768> bytes8{};
    bytes8[0] = 0, bytes8[1] = 1, bytes8[2] = 63;          // colour 1
    bytes8[765] = 10, bytes8[766] = 64, bytes8[767] = 255; // colour 256: beyond 6 bits
    std::array<uint8_t, 1024> bytes16{};
    bytes16[1020] = 1, bytes16[1021] = 2, bytes16[1022] = 3, bytes16[1023] = 4;
    const auto list8 = MakePalette8(bytes8);
    const auto list16 = MakePalette16(bytes16);
    ASSERT_EQ(list8->NumberOfItemInArray(), 256);
    ASSERT_EQ(list16->NumberOfItemInArray(), 256);
    const auto first = list8->ObjectAt<C_udtCol8>(1), last = list8->ObjectAt<C_udtCol8>(256);
    EXPECT_EQ((std::array<int, 6>{first->GetR(), first->GetG(), first->GetB(), last->GetR(), last->GetG(),
                                  last->GetB()}),
              (std::array<int, 6>{0, 4, 252, 40, 255, 255}));
    const auto c16 = list16->ObjectAt<C_udtCol16>(256);
    EXPECT_EQ((std::array<int, 4>{c16->GetR(), c16->GetG(), c16->GetB(), c16->GetA()}),
              (std::array<int, 4>{1, 2, 3, 4}));
}
