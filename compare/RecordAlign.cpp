#include "compare/RecordAlign.h"

#include <algorithm>

namespace compare {

// The greedy forward search: for d = 0, 1, ... the furthest reaching path with d edits on every
// diagonal k = x - y, kept per d so the path can be traced back. V[k] is stored for k in -d-1..d+1,
// the range step d + 1 reads.
bool AlignRuns(std::span<const uint64_t> a, std::span<const uint64_t> b, const AlignLimits& limits,
               std::vector<AlignedPair>& pairs) {
    pairs.clear();
    const auto n = static_cast<int32_t>(a.size());
    const auto m = static_cast<int32_t>(b.size());
    const int32_t maxD = std::min<int64_t>(int64_t{n} + m, std::max(limits.MaxEdits, 0));
    const int32_t offset = maxD + 1;
    std::vector<int32_t> v(static_cast<size_t>(2 * maxD + 3), 0);
    std::vector<int32_t> trace;     // V before step d, for k in -d-1..d+1
    std::vector<size_t> traceStart; // where step d's copy begins in trace
    int64_t work = 0;
    int32_t found = -1;

    for (int32_t d = 0; d <= maxD && found < 0; ++d) {
        traceStart.push_back(trace.size());
        trace.insert(trace.end(), v.begin() + (offset - d - 1), v.begin() + (offset + d + 2));
        for (int32_t k = -d; k <= d; k += 2) {
            int32_t& here = v[static_cast<size_t>(offset + k)];
            const int32_t down = v[static_cast<size_t>(offset + k + 1)];
            const int32_t right = v[static_cast<size_t>(offset + k - 1)];
            int32_t x = (k == -d || (k != d && right < down)) ? down : right + 1;
            int32_t y = x - k;
            const int32_t start = x;
            while (x < n && y < m && a[static_cast<size_t>(x)] == b[static_cast<size_t>(y)]) {
                ++x;
                ++y;
            }
            work += 1 + (x - start);
            here = x;
            if (x >= n && y >= m) {
                found = d;
                break;
            }
        }
        if (limits.Work && work > *limits.Work) {
            *limits.Work = 0;
            return false;
        }
    }
    if (limits.Work)
        *limits.Work -= std::min(work, *limits.Work);
    if (found < 0)
        return false;

    // Back from (n, m): each step d came from diagonal k + 1 (a record of b inserted) or k - 1 (one of
    // a removed), after which a snake of equal records led to where step d ended.
    int32_t x = n, y = m;
    for (int32_t d = found; d >= 0; --d) {
        const int32_t* prev = trace.data() + traceStart[static_cast<size_t>(d)] + (d + 1); // prev[k] = V[k]
        const int32_t k = x - y;
        const bool fromDown = k == -d || (k != d && prev[k - 1] < prev[k + 1]);
        const int32_t prevK = fromDown ? k + 1 : k - 1;
        const int32_t prevX = d == 0 ? 0 : prev[prevK];
        const int32_t prevY = d == 0 ? 0 : prevX - prevK;
        const int32_t snakeX = d == 0 ? 0 : (fromDown ? prevX : prevX + 1);
        while (x > snakeX && y > snakeX - k) {
            --x;
            --y;
            pairs.push_back({x, y});
        }
        x = prevX;
        y = prevY;
    }
    std::reverse(pairs.begin(), pairs.end());
    return true;
}

} // namespace compare
