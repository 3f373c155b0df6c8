#include "engine/ByPathReaders.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "common/TestFiles.h"

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
    for (const auto& [where, offset] : std::vector<std::pair<std::string, int32_t>>{
             {path, -1}, {"", 0}, {missing, 0}, {dir.Path().string(), 0}}) {
        EXPECT_EQ(ReadByteAt(where, offset), -99) << where;
        EXPECT_EQ(ReadWordAt(where, offset), -99) << where;
        EXPECT_EQ(ReadDWordAt(where, offset), -99) << where;
    }
    EXPECT_FALSE(std::filesystem::exists(missing));
    EXPECT_EQ(ReadAll(path), bytes);
}
