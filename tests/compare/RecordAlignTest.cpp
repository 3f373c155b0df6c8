#include "compare/RecordAlign.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>

namespace {

std::vector<uint64_t> Keys(std::string_view text) {
    return {text.begin(), text.end()};
}

struct AlignCase {
    const char* A;
    const char* B;
    size_t Common; // the length of a longest common subsequence
};

const AlignCase kCases[] = {
    {"", "", 0},
    {"abc", "", 0},
    {"", "abc", 0},
    {"abc", "abc", 3},
    {"abcabba", "cbabac", 4},
    {"abcdef", "abXdef", 5},
    {"abcdef", "abcXdef", 6},
    {"xyz", "abc", 0},
    {"aaaa", "aa", 2},
    {"abab", "baba", 3},
};

TEST(RecordAlign, FindsALongestCommonSubsequence) {
    for (const AlignCase& c : kCases) {
        const auto a = Keys(c.A), b = Keys(c.B);
        std::vector<compare::AlignedPair> pairs;
        ASSERT_TRUE(compare::AlignRuns(a, b, {}, pairs)) << c.A << " / " << c.B;
        EXPECT_EQ(pairs.size(), c.Common) << c.A << " / " << c.B;
        for (size_t i = 0; i < pairs.size(); ++i) {
            EXPECT_EQ(a[static_cast<size_t>(pairs[i].A)], b[static_cast<size_t>(pairs[i].B)]);
            if (i > 0) {
                EXPECT_GT(pairs[i].A, pairs[i - 1].A);
                EXPECT_GT(pairs[i].B, pairs[i - 1].B);
            }
        }
    }
}

// The length of a longest common subsequence, by the plain quadratic table.
size_t LcsLength(const std::vector<uint64_t>& a, const std::vector<uint64_t>& b) {
    std::vector<std::vector<size_t>> t(a.size() + 1, std::vector<size_t>(b.size() + 1, 0));
    for (size_t i = 1; i <= a.size(); ++i)
        for (size_t j = 1; j <= b.size(); ++j)
            t[i][j] = a[i - 1] == b[j - 1] ? t[i - 1][j - 1] + 1 : std::max(t[i - 1][j], t[i][j - 1]);
    return t[a.size()][b.size()];
}

// Short runs over a small alphabet have many ties between equally long paths; a tie broken the wrong
// way when tracing back pairs records that are not equal. Every pair must join equal records, in
// order, and there must be as many as the table's longest common subsequence.
TEST(RecordAlign, AgreesWithThePlainLongestCommonSubsequenceOnRandomRuns) {
    std::mt19937 random(20261207);
    for (int round = 0; round < 400; ++round) {
        const auto run = [&] {
            std::vector<uint64_t> keys(random() % 9);
            for (uint64_t& k : keys)
                k = random() % 3;
            return keys;
        };
        const std::vector<uint64_t> a = run(), b = run();
        std::vector<compare::AlignedPair> pairs;
        ASSERT_TRUE(compare::AlignRuns(a, b, {}, pairs));
        ASSERT_EQ(pairs.size(), LcsLength(a, b)) << "round " << round;
        for (size_t i = 0; i < pairs.size(); ++i) {
            ASSERT_LT(static_cast<size_t>(pairs[i].A), a.size());
            ASSERT_LT(static_cast<size_t>(pairs[i].B), b.size());
            ASSERT_EQ(a[static_cast<size_t>(pairs[i].A)], b[static_cast<size_t>(pairs[i].B)])
                << "round " << round;
            if (i > 0) {
                ASSERT_GT(pairs[i].A, pairs[i - 1].A);
                ASSERT_GT(pairs[i].B, pairs[i - 1].B);
            }
        }
    }
}

TEST(RecordAlign, GivesUpBeyondItsLimits) {
    const auto a = Keys("abcdefgh"), b = Keys("abXdeYgh"); // four edits apart
    std::vector<compare::AlignedPair> pairs;
    EXPECT_FALSE(compare::AlignRuns(a, b, {.MaxEdits = 3}, pairs));
    EXPECT_TRUE(pairs.empty());
    EXPECT_TRUE(compare::AlignRuns(a, b, {.MaxEdits = 4}, pairs));
    EXPECT_EQ(pairs.size(), 6u);

    int64_t budget = 5; // fewer steps than the search needs
    EXPECT_FALSE(compare::AlignRuns(a, b, {.MaxEdits = 100, .Work = &budget}, pairs));
    EXPECT_EQ(budget, 0);
    budget = 1000;
    EXPECT_TRUE(compare::AlignRuns(a, b, {.MaxEdits = 100, .Work = &budget}, pairs));
    EXPECT_LT(budget, 1000);
}

} // namespace
