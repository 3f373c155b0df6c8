#include "engine/NumberText.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>

TEST(NumberText, ConvertBaseNToDec) {
    struct Case {
        std::string Digits;
        int Base;
        double Value;
    };
    for (const Case& c : std::vector<Case>{
             {"ff", 16, 255},
             {"FF", 16, 255},
             {"00000101", 2, 5},
             {"zz", 36, 35 * 36 + 35},
             {"FFFFFFFF", 16, 4294967295.0},
             // A digit not below the base is not refused; a character outside the alphabet counts as -1.
             {"1G", 16, 32},
             {"1!", 10, 9},
             // Empty text and bases outside 2 to 36 are refused.
             {"", 16, -99},
             {"1", 1, -99},
             {"1", 0, -99},
             {"1", 37, -99},
             // The running sum keeps 15 significant digits.
             {"123456789012345678", 10, 123456789012346000.0},
             {"FFFFFFFFFFFFFFFF", 16, 1.84467440737096e19},
             // An overflow gives minus the fault's number; the weights run one place beyond the text.
             {"1" + std::string(400, '0'), 10, -6},
             {"1" + std::string(1023, '0'), 2, -6}}) {
        EXPECT_EQ(ConvertBaseNToDec(c.Digits, c.Base), c.Value) << c.Digits << " base " << c.Base;
    }
    EXPECT_GT(ConvertBaseNToDec("1" + std::string(1022, '0'), 2), 0);
}

TEST(NumberText, HexBinaryAndNibbleDigits) {
    EXPECT_EQ(HexOfLong(45, 32, false), "0000002D");
    EXPECT_EQ(HexOfLong(static_cast<int32_t>(0xFF180038u), 32, false), "FF180038");
    EXPECT_EQ(HexOfLong(-1, 32, false), "FFFFFFFF");
    EXPECT_EQ(HexOfLong(std::numeric_limits<int32_t>::min(), 32, false), "80000000");
    EXPECT_EQ(HexOfLong(45, 32, true), "2D000000");

    using V = std::vector<std::string>;
    EXPECT_EQ(BinaryBytesOfLong(45, 32, false), (V{"00000000", "00000000", "00000000", "00101101"}));
    EXPECT_EQ(BinaryBytesOfLong(45, 32, true), (V{"00101101", "00000000", "00000000", "00000000"}));
    EXPECT_EQ(BinaryBytesOfLong(-2, 16, false), (V{"11111111", "11111110"}));
    // Fewer than two bytes: the whole digit string is one byte string. bitCount / 8 rounds half to even.
    EXPECT_EQ(BinaryBytesOfLong(5, 4, false), (V{"0101"}));
    EXPECT_EQ(BinaryBytesOfLong(5, 12, false).size(), 2u);
    EXPECT_EQ(BinaryBytesOfLong(5, 20, false).size(), 2u);

    for (const auto& [nibble, digit] : std::vector<std::pair<std::string, std::string>>{{"0000", "0"},
                                                                                        {"1001", "9"},
                                                                                        {"1010", "A"},
                                                                                        {"1111", "F"},
                                                                                        {"101", ""},
                                                                                        {"10101", ""},
                                                                                        {"abcd", ""}})
        EXPECT_EQ(HexDigitOfNibble(nibble), digit) << nibble;
}
