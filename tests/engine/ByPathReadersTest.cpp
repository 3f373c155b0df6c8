#include "engine/ByPathReaders.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "common/TestFiles.h"

namespace {

std::vector<uint8_t> BytesWith(size_t size, size_t at, std::initializer_list<uint8_t> values) {
    std::vector<uint8_t> bytes(size, 0xEE);
    std::copy(values.begin(), values.end(), bytes.begin() + static_cast<std::ptrdiff_t>(at));
    return bytes;
}

} // namespace

TEST(ByPathReaders, ReadLittleAndBigEndianValues) {
    TempDir dir;
    const std::string path = dir.Write("level.dm2", BytesWith(16, 10, {0x05, 0x01, 0x00, 0x00}));
    EXPECT_EQ(ReadByteAt(path, 10, true), 5);
    EXPECT_EQ(ReadByteAt(path, 11, false), 1);
    EXPECT_EQ(ReadWordAt(path, 10, true), 261);
    EXPECT_EQ(ReadWordAt(path, 10, false), 1281);
    EXPECT_EQ(ReadDWordAt(path, 10, true), 261);
    EXPECT_EQ(ReadDWordAt(path, 10, false), 83951616);

    const std::string dword = dir.Write("dword", {0x00, 0x00, 0x01, 0x00});
    EXPECT_EQ(ReadDWordAt(dword, 0, true), 65536);
    const std::string high = dir.Write("high", {0xFF, 0xFF, 0xFF, 0xFF});
    EXPECT_EQ(ReadDWordAt(high, 0, true), 4294967295.0);
    EXPECT_EQ(ReadWordAt(high, 2, true), 65535);
}

TEST(ByPathReaders, BytesPastTheEndReadAsZero) {
    TempDir dir;
    const std::string path = dir.Write("short", {0x34, 0x12, 0x7F});
    EXPECT_EQ(ReadWordAt(path, 2, true), 0x7F);
    EXPECT_EQ(ReadWordAt(path, 2, false), 0x7F00);
    EXPECT_EQ(ReadDWordAt(path, 0, true), 0x7F1234);
    EXPECT_EQ(ReadByteAt(path, 3), 0);
    EXPECT_EQ(ReadDWordAt(path, 1000000, true), 0);
    const std::string empty = dir.Write("empty", {});
    EXPECT_EQ(ReadByteAt(empty, 0), 0);
}

TEST(ByPathReaders, FailureIsMinus99WithoutTouchingAnyFile) {
    TempDir dir;
    const std::string path = dir.Write("level", {1, 2, 3, 4});
    EXPECT_EQ(ReadByteAt(path, -1), -99);
    EXPECT_EQ(ReadWordAt(path, -1), -99);
    EXPECT_EQ(ReadDWordAt(path, -1), -99);
    EXPECT_EQ(ReadByteAt("", 0), -99);
    EXPECT_EQ(ReadWordAt("", 0), -99);
    EXPECT_EQ(ReadDWordAt("", 0), -99);

    const std::string missing = (dir.Path() / "missing").string();
    EXPECT_EQ(ReadWordAt(missing, 0), -99);
    EXPECT_FALSE(std::filesystem::exists(missing));
    EXPECT_EQ(ReadDWordAt(dir.Path().string(), 0), -99); // a folder
    EXPECT_EQ(ReadAll(path), (std::vector<uint8_t>{1, 2, 3, 4}));
}
