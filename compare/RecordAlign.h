#pragma once
// Aligns two runs of records by a longest common subsequence of their values, with Myers' O(ND)
// algorithm (the one diff uses for lines), so that one inserted record reads as one insertion and not
// as every later record changed. Records are compared by a 64-bit key of their shown values.
#include <cstdint>
#include <span>
#include <vector>

namespace compare {

// Record a of the first run aligned with record b of the second.
struct AlignedPair {
    int32_t A = 0;
    int32_t B = 0;
    bool operator==(const AlignedPair&) const = default;
};

struct AlignLimits {
    // The most records inserted plus removed the search looks for; the trace it keeps grows with the
    // square of this.
    int32_t MaxEdits = 1000;
    // Steps left of a budget that every run of one comparison draws on; null for none.
    int64_t* Work = nullptr;
};

// The aligned pairs of a longest common subsequence of a and b, in order, into `pairs`. Returns false,
// with `pairs` empty, when the two differ by more than limits.MaxEdits records or the work budget runs
// out first.
bool AlignRuns(std::span<const uint64_t> a, std::span<const uint64_t> b, const AlignLimits& limits,
               std::vector<AlignedPair>& pairs);

} // namespace compare
