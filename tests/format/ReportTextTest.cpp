// Report text and numbers: the pane operations, the number conversions and the by-path readers.
#include <gtest/gtest.h>

#include <filesystem>
#include <limits>

#include "common/TestFiles.h"
#include "format/ByPathReaders.h"
#include "format/DetailOptions.h"
#include "format/NumberText.h"
#include "format/walk/ReportText.h"

// Line breaks go in front of appended lines, never behind; empty text writes nothing, also when replacing;
// a replacing separator clears an earlier report.
TEST(ReportText, PaneOperations) {
    StringPane pane;
    AppendReportLine("first", pane, true);
    AppendReportLine("second", pane);
    AppendBlankLine(pane);
    AppendReportLine("", pane);
    AppendReportLine("", pane, true);
    AppendOffsetLine(pane, 0, "x");
    AppendOffsetLine(pane, -1, "x");
    AppendOffsetLine(pane, 1796, "12,Texture Tiles");
    AppendSeparatorLine(pane);
    EXPECT_EQ(pane.Str(),
              "first\r\nsecond\r\n \r\n0x0,0,x\r\n0xFFFFFFFF,-1,x\r\n0x704,1796,12,Texture Tiles\r\n;"
              "---------------------------------------------------------");
    AppendSeparatorLine(pane, true);
    EXPECT_EQ(pane.Str(), ";---------------------------------------------------------");
}

// A digit not below the base is not refused, and a character outside the alphabet counts as -1; empty
// text and bases outside 2 to 36 are refused; the running sum keeps 15 significant digits; an overflow
// gives minus the fault's number (the weights run one place beyond the text).
TEST(NumberText, ConvertBaseNToDec) {
    struct Case {
        std::string Digits;
        int Base;
        double Value;
    };
    for (const Case& c :
         {Case{"ff", 16, 255}, Case{"FF", 16, 255}, Case{"00000101", 2, 5}, Case{"zz", 36, 35 * 36 + 35},
          Case{"FFFFFFFF", 16, 4294967295.0}, Case{"1G", 16, 32}, Case{"1!", 10, 9}, Case{"", 16, -99},
          Case{"1", 1, -99}, Case{"1", 0, -99}, Case{"1", 37, -99},
          Case{"123456789012345678", 10, 123456789012346000.0},
          Case{"FFFFFFFFFFFFFFFF", 16, 1.84467440737096e19}, Case{"1" + std::string(400, '0'), 10, -6},
          Case{"1" + std::string(1023, '0'), 2, -6}})
        EXPECT_EQ(ConvertBaseNToDec(c.Digits, c.Base), c.Value) << c.Digits << " base " << c.Base;
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

    std::string digits; // one digit or none for each text
    for (const char* nibble : {"0000", "1001", "1010", "1111", "101", "10101", "abcd"})
        digits += HexDigitOfNibble(nibble) + "|";
    EXPECT_EQ(digits, "0|9|A|F||||");
}

TEST(ByPathReaders, ValuesBytesPastTheEndAndFailures) {
    TempDir dir;
    std::vector<uint8_t> bytes(14, 0xEE);
    bytes[10] = 0x05, bytes[11] = 0x01, bytes[12] = 0x00, bytes[13] = 0x00;
    const std::string path = dir.Write("level.dm2", bytes);
    EXPECT_EQ(ReadByteAt(path, 10, true), 5);
    EXPECT_EQ(ReadWordAt(path, 10, true), 261);
    EXPECT_EQ(ReadWordAt(path, 10, false), 1281);
    EXPECT_EQ(ReadDWordAt(path, 10, false), 83951616);
    EXPECT_EQ(ReadDWordAt(dir.Write("dword", {0x00, 0x00, 0x01, 0x00}), 0, true), 65536);
    EXPECT_EQ(ReadDWordAt(dir.Write("high", {0xFF, 0xFF, 0xFF, 0xFF}), 0, true), 4294967295.0);

    const std::string shortFile = dir.Write("short", {0x34, 0x12, 0x7F});
    EXPECT_EQ(ReadWordAt(shortFile, 2, false), 0x7F00);
    EXPECT_EQ(ReadDWordAt(shortFile, 0, true), 0x7F1234);
    EXPECT_EQ(ReadDWordAt(shortFile, 1000000, true), 0);

    // -99 for a negative offset, an empty path, a missing file or a folder, and no file is touched.
    const std::string missing = (dir.Path() / "missing").string();
    using Case = std::pair<std::string, int32_t>;
    for (const auto& [where, offset] :
         {Case{path, -1}, Case{"", 0}, Case{missing, 0}, Case{dir.Path().string(), 0}}) {
        EXPECT_EQ(ReadByteAt(where, offset), -99) << where;
        EXPECT_EQ(ReadWordAt(where, offset), -99) << where;
        EXPECT_EQ(ReadDWordAt(where, offset), -99) << where;
    }
    EXPECT_FALSE(std::filesystem::exists(missing));
    EXPECT_EQ(ReadAll(path), bytes);
}

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
