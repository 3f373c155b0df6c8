#include "engine/NumberText.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>

TEST(ConvertBaseNToDec, DigitStringsInAnyBase) {
    EXPECT_EQ(ConvertBaseNToDec("ff", 16), 255);
    EXPECT_EQ(ConvertBaseNToDec("FF", 16), 255);
    EXPECT_EQ(ConvertBaseNToDec("00000101", 2), 5);
    EXPECT_EQ(ConvertBaseNToDec("zz", 36), 35 * 36 + 35);
    EXPECT_EQ(ConvertBaseNToDec("FFFFFFFF", 16), 4294967295.0);
    // A digit not below the base is not refused; a character outside the alphabet counts as -1.
    EXPECT_EQ(ConvertBaseNToDec("1G", 16), 32);
    EXPECT_EQ(ConvertBaseNToDec("1!", 10), 9);
}

TEST(ConvertBaseNToDec, RefusesEmptyTextAndBasesOutside2To36) {
    EXPECT_EQ(ConvertBaseNToDec("", 16), -99);
    EXPECT_EQ(ConvertBaseNToDec("1", 1), -99);
    EXPECT_EQ(ConvertBaseNToDec("1", 0), -99);
    EXPECT_EQ(ConvertBaseNToDec("1", 37), -99);
}

TEST(ConvertBaseNToDec, RunningSumKeeps15SignificantDigits) {
    EXPECT_EQ(ConvertBaseNToDec("123456789012345678", 10), 123456789012346000.0);
    EXPECT_EQ(ConvertBaseNToDec("FFFFFFFFFFFFFFFF", 16), 1.84467440737096e19);
}

TEST(ConvertBaseNToDec, OverflowGivesMinusTheFaultNumber) {
    EXPECT_EQ(ConvertBaseNToDec("1" + std::string(400, '0'), 10), -6);
    // The weights run one place beyond the text: 2^1024 no longer fits, although 2^1023 would.
    EXPECT_EQ(ConvertBaseNToDec("1" + std::string(1023, '0'), 2), -6);
    EXPECT_GT(ConvertBaseNToDec("1" + std::string(1022, '0'), 2), 0);
}

TEST(HexOfLong, ThirtyTwoBitsGiveEightDigitsInTwosComplement) {
    EXPECT_EQ(HexOfLong(45, 32, false), "0000002D");
    EXPECT_EQ(HexOfLong(static_cast<int32_t>(0xFF180038u), 32, false), "FF180038");
    EXPECT_EQ(HexOfLong(-1, 32, false), "FFFFFFFF");
    EXPECT_EQ(HexOfLong(std::numeric_limits<int32_t>::min(), 32, false), "80000000");
    EXPECT_EQ(HexOfLong(0, 32, false), "00000000");
    EXPECT_EQ(HexOfLong(45, 32, true), "2D000000");
}

TEST(BinaryBytesOfLong, CutsIntoBytesMostSignificantFirst) {
    using V = std::vector<std::string>;
    EXPECT_EQ(BinaryBytesOfLong(45, 32, false), (V{"00000000", "00000000", "00000000", "00101101"}));
    EXPECT_EQ(BinaryBytesOfLong(45, 32, true), (V{"00101101", "00000000", "00000000", "00000000"}));
    EXPECT_EQ(BinaryBytesOfLong(-2, 16, false), (V{"11111111", "11111110"}));
    // Fewer than two bytes: the whole digit string is one byte string.
    EXPECT_EQ(BinaryBytesOfLong(5, 8, false), (V{"00000101"}));
    EXPECT_EQ(BinaryBytesOfLong(5, 4, false), (V{"0101"}));
    // bitCount / 8 rounds half to even: 12 bits make 2 byte strings, 20 bits also 2.
    EXPECT_EQ(BinaryBytesOfLong(5, 12, false).size(), 2u);
    EXPECT_EQ(BinaryBytesOfLong(5, 20, false).size(), 2u);
}

TEST(HexDigitOfNibble, MapsTheSixteenNibblesAndNothingElse) {
    EXPECT_EQ(HexDigitOfNibble("0000"), "0");
    EXPECT_EQ(HexDigitOfNibble("1001"), "9");
    EXPECT_EQ(HexDigitOfNibble("1010"), "A");
    EXPECT_EQ(HexDigitOfNibble("1111"), "F");
    EXPECT_EQ(HexDigitOfNibble("101"), "");
    EXPECT_EQ(HexDigitOfNibble("10101"), "");
    EXPECT_EQ(HexDigitOfNibble("abcd"), "");
    EXPECT_EQ(HexDigitOfNibble(""), "");
}
