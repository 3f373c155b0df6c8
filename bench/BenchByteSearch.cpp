// The byte search over the 16 MB level the whole-process figures use: a hex pattern with a wildcard
// counted over the whole file (hex_search_ms, the figure with a target), the same for a pattern of zero
// bytes, which fill long stretches of a level and so are the slowest to count (hex_search_zeros_ms), and
// the hits of the first (hex_search_hits).
#include <string>
#include <vector>

#include "bench/BenchExtras.h"
#include "bench/BenchTiming.h"
#include "bench/BigLevel.h"
#include "format/ByteSearch.h"

namespace {

double CountMs(const format::BytePattern& pattern, const std::vector<uint8_t>& bytes, int repeats,
               int64_t* hits) {
    std::vector<double> ms;
    for (int i = 0; i <= repeats; ++i) { // the first round warms up
        const auto start = BenchClock::now();
        *hits = pattern.Count(bytes);
        if (i > 0)
            ms.push_back(MsSince(start));
    }
    return Median(ms);
}

} // namespace

void BenchByteSearch(const BenchContext& context, BenchKeys& keys) {
    const std::vector<uint8_t> bytes = levelbuilder::Build(WholeRunLevel());
    int64_t hits = 0, zeros = 0;
    const double ms = CountMs(*format::ParseHexPattern("2D 00 ?? 00").Pattern, bytes, context.Repeats, &hits);
    const double zerosMs = CountMs(*format::ParseHexPattern("00 00").Pattern, bytes, context.Repeats, &zeros);
    keys.emplace_back("hex_search_ms", ms);
    keys.emplace_back("hex_search_hits", static_cast<double>(hits));
    keys.emplace_back("hex_search_zeros_ms", zerosMs);
}
