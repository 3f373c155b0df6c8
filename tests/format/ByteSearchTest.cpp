// The byte search: patterns parsed from hex, text and numbers of each width, and hits found forwards,
// backwards, round the ends and counted. The expected offsets are worked out by hand from the bytes.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "format/ByteSearch.h"

namespace {

using format::NumberWidth;

std::vector<uint8_t> Hex(const std::string& text) {
    const auto parsed = format::ParseHexPattern(text);
    EXPECT_TRUE(parsed.Pattern) << text;
    std::vector<uint8_t> bytes;
    for (size_t i = 0; i < text.size(); i += 3)
        bytes.push_back(static_cast<uint8_t>(std::stoi(text.substr(i, 2), nullptr, 16)));
    return bytes;
}

format::BytePattern Pattern(const std::string& hex) {
    const auto parsed = format::ParseHexPattern(hex);
    EXPECT_TRUE(parsed.Pattern) << hex << ": " << parsed.Error;
    return parsed.Pattern.value_or(format::BytePattern{});
}

std::vector<int64_t> AllHits(const format::BytePattern& pattern, const std::vector<uint8_t>& data) {
    std::vector<int64_t> hits;
    for (auto hit = pattern.FindIn(data, 0, 1 << 30); hit; hit = pattern.FindIn(data, *hit + 1, 1 << 30))
        hits.push_back(*hit);
    return hits;
}

TEST(HexSearch, ParsesHexPatternsWithWildcards) {
    struct Case {
        std::string Text;
        std::string Shown; // empty: no pattern, and Error holds a word of the message
        std::string Error;
    } cases[] = {
        {"2D 00 ?? 00", "2D 00 ?? 00", ""}, {"2d00??00", "2D 00 ?? 00", ""}, {"  ff,\t0a ", "FF 0A", ""},
        {"??", "", "at least one"},         {"", "", "Type the bytes"},      {"2D 0", "", "half a byte"},
        {"2D0", "", "half a byte"},         {"2G", "", "\"2G\" is no byte"}, {"2?", "", "\"2?\" is no byte"},
    };
    for (const Case& c : cases) {
        const auto parsed = format::ParseHexPattern(c.Text);
        if (c.Shown.empty()) {
            EXPECT_FALSE(parsed.Pattern) << c.Text;
            EXPECT_NE(parsed.Error.find(c.Error), std::string::npos) << c.Text << ": " << parsed.Error;
        } else {
            ASSERT_TRUE(parsed.Pattern) << c.Text << ": " << parsed.Error;
            EXPECT_EQ(parsed.Pattern->Text(), c.Shown);
        }
    }
}

TEST(HexSearch, ParsesNumbersOfEachWidthAsLittleEndianBytes) {
    struct Case {
        std::string Text;
        NumberWidth Width;
        std::string Shown; // empty: out of range or no number
    } cases[] = {
        {"-512", NumberWidth::S16, "00 FE"},
        {"4096", NumberWidth::S32, "00 10 00 00"},
        {"0x1000", NumberWidth::U32, "00 10 00 00"},
        {"-1", NumberWidth::S8, "FF"},
        {"-128", NumberWidth::S8, "80"},
        {"128", NumberWidth::S8, ""},
        {"255", NumberWidth::U8, "FF"},
        {"256", NumberWidth::U8, ""},
        {"-1", NumberWidth::U8, ""},
        {"65535", NumberWidth::U16, "FF FF"},
        {"-32768", NumberWidth::S16, "00 80"},
        {"32768", NumberWidth::S16, ""},
        {"-2147483648", NumberWidth::S32, "00 00 00 80"},
        {"2147483648", NumberWidth::S32, ""},
        {"4294967295", NumberWidth::U32, "FF FF FF FF"},
        {"4294967296", NumberWidth::U32, ""},
        {"99999999999999999999999", NumberWidth::U32, ""},
        {"-9223372036854775808", NumberWidth::S32, ""},
        {"12a", NumberWidth::U32, ""},
        {"", NumberWidth::U32, ""},
        {"-", NumberWidth::S16, ""},
    };
    for (const Case& c : cases) {
        const auto parsed = format::ParseNumberPattern(c.Text, c.Width);
        if (c.Shown.empty()) {
            EXPECT_FALSE(parsed.Pattern) << c.Text;
            EXPECT_FALSE(parsed.Error.empty()) << c.Text;
        } else {
            ASSERT_TRUE(parsed.Pattern) << c.Text << ": " << parsed.Error;
            EXPECT_EQ(parsed.Pattern->Text(), c.Shown) << c.Text;
        }
    }
    EXPECT_EQ(format::ParseNumberPattern("256", NumberWidth::U8).Error,
              "\"256\" does not fit in u8 (0 to 255).");
}

TEST(HexSearch, FindsWildcardsTextAndNumbersWithOverlappingHits) {
    //                                 0  1  2  3  4  5  6  7  8  9 10 11 12 13 14 15
    const std::vector<uint8_t> data = Hex("2D 00 07 00 2D 00 2D 00 00 00 41 42 41 42 00 FE");
    EXPECT_EQ(AllHits(Pattern("2D 00 ?? 00"), data), (std::vector<int64_t>{0, 4, 6}));
    EXPECT_EQ(AllHits(Pattern("00 00"), data), (std::vector<int64_t>{7, 8}));
    EXPECT_EQ(AllHits(*format::ParseTextPattern("AB").Pattern, data), (std::vector<int64_t>{10, 12}));
    EXPECT_EQ(AllHits(*format::ParseNumberPattern("-512", NumberWidth::S16).Pattern, data),
              (std::vector<int64_t>{14})); // the last two bytes of the file
    EXPECT_EQ(AllHits(*format::ParseNumberPattern("45", NumberWidth::U16).Pattern, data),
              (std::vector<int64_t>{0, 4, 6}));
    EXPECT_EQ(AllHits(*format::ParseNumberPattern("7", NumberWidth::S32).Pattern, data),
              (std::vector<int64_t>{}));
    EXPECT_EQ(Pattern("2D 00 ?? 00").Count(data), 3);
    EXPECT_EQ(Pattern("00 FE").Count(data), 1);
    EXPECT_EQ(Pattern("FE ??").Count(data), 0); // would run past the end
    EXPECT_EQ(Pattern("2D 00 07 00 2D 00 2D 00 00 00 41 42 41 42 00 FE 00").Count(data), 0);
    EXPECT_EQ(Pattern("2D").Count(std::vector<uint8_t>{}), 0);
}

TEST(HexSearch, NextAndPreviousFromAPositionWrapRound) {
    const std::vector<uint8_t> data = Hex("2D 00 07 00 2D 00 2D 00 00 00 41 42 41 42 00 FE");
    const format::BytePattern pattern = Pattern("2D 00 ?? 00");
    struct Case {
        bool Forwards;
        int64_t From;
        int64_t Hit;
        bool Wrapped;
    } cases[] = {
        {true, 0, 0, false}, {true, 1, 4, false},   {true, 5, 6, false},   {true, 7, 0, true},
        {true, 16, 0, true}, {false, 16, 6, false}, {false, 6, 4, false},  {false, 1, 0, false},
        {false, 0, 6, true}, {true, -5, 0, false},  {false, 99, 6, false},
    };
    for (const Case& c : cases) {
        const auto hit = c.Forwards ? format::FindNext(pattern, data, c.From)
                                    : format::FindPrevious(pattern, data, c.From);
        ASSERT_TRUE(hit) << c.From;
        EXPECT_EQ(hit->Offset, c.Hit) << (c.Forwards ? "on from " : "back from ") << c.From;
        EXPECT_EQ(hit->Wrapped, c.Wrapped) << c.From;
    }
    EXPECT_FALSE(format::FindNext(Pattern("2D 01"), data, 3));
    EXPECT_FALSE(format::FindPrevious(Pattern("2D 01"), data, 3));
    EXPECT_FALSE(format::FindNext(Pattern("00 FE 00"), data, 0)); // longer than what is left
}

TEST(HexSearch, BackwardsAcrossBlocksOfALargeFileFindsTheNearestHit) {
    // Hits far apart in a file of several megabytes: backwards goes block by block.
    std::vector<uint8_t> data(3 << 20, 0);
    for (size_t at : {size_t{5}, size_t{(1 << 20) - 1}, size_t{(2 << 20) + 7}, data.size() - 2}) {
        data[at] = 0x2D;
        data[at + 1] = 0x01;
    }
    const format::BytePattern pattern = Pattern("2D 01");
    EXPECT_EQ(pattern.Count(data), 4);
    EXPECT_EQ(format::FindPrevious(pattern, data, (2 << 20) + 7)->Offset, (1 << 20) - 1);
    EXPECT_EQ(format::FindPrevious(pattern, data, (1 << 20) - 1)->Offset, 5);
    EXPECT_EQ(format::FindPrevious(pattern, data, 5)->Offset, static_cast<int64_t>(data.size() - 2));
    EXPECT_EQ(format::FindNext(pattern, data, (2 << 20) + 8)->Offset, static_cast<int64_t>(data.size() - 2));
    EXPECT_EQ(pattern.CountIn(data, 0, (2 << 20) + 7), 2);
}

TEST(HexSearch, AgreesWithAByteByByteComparisonOverZerosAndScatteredBytes) {
    // Mostly zeros with a few other bytes, over several of the dense search's blocks: every pattern's
    // hits, counts and nearest hits on and back agree with comparing at every offset.
    std::vector<uint8_t> data(3 * 4096 + 77, 0);
    uint32_t seed = 12345;
    for (uint8_t& b : data) {
        seed = seed * 1103515245 + 12345;
        const uint32_t r = (seed >> 16) % 16;
        b = r < 11 ? 0x00 : r < 13 ? 0xFF : static_cast<uint8_t>(r);
    }
    data.back() = 0x0D; // a hit on the last byte
    for (const char* text : {"00 00", "00", "FF 00 ?? FF", "00 00 00 00 00 00", "?? FF", "0D", "00 0D",
                             "0E ?? 00", "FF ?? ?? 0F"}) {
        const format::BytePattern pattern = Pattern(text);
        std::vector<int64_t> expected;
        for (size_t at = 0; at + pattern.Size() <= data.size(); ++at)
            if (pattern.MatchesAt(data, at))
                expected.push_back(static_cast<int64_t>(at));
        ASSERT_EQ(AllHits(pattern, data), expected) << text;
        ASSERT_FALSE(expected.empty()) << text;
        EXPECT_EQ(pattern.Count(data), static_cast<int64_t>(expected.size())) << text;
        EXPECT_EQ(format::FindPrevious(pattern, data, static_cast<int64_t>(data.size()))->Offset,
                  expected.back())
            << text;
        const int64_t middle = expected[expected.size() / 2];
        EXPECT_EQ(format::FindPrevious(pattern, data, middle)->Offset, expected[expected.size() / 2 - 1])
            << text;
        EXPECT_EQ(pattern.CountIn(data, 0, middle), static_cast<int64_t>(expected.size() / 2)) << text;
    }
}

} // namespace
