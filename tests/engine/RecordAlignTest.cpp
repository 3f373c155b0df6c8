#include "engine/RecordAlign.h"

#include <gtest/gtest.h>

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
