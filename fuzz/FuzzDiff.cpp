// Fuzz target: the comparison of two levels made from one input. The six option bytes pick the sections
// compared; the level bytes behind them are A, and the input's last three bytes say how B is made from
// A: the same bytes, A cut short, A with one byte changed, or A with bytes inserted (which shifts every
// later chunk). Links either libFuzzer or the replay main.
//
// Besides "no crash, no hang", every run checks: a level compared with itself has no difference, every
// difference reads as one line, and the summary counts what the sink was sent.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

#include "compare/Compare.h"
#include "compare/DifferenceText.h"
#include "fuzz/FuzzInput.h"
#include "report/AppState.h"

namespace {

// As in the report's target: a walk that goes over the same bytes again and again stops quickly.
constexpr int64_t kFuzzReportFixedBytes = int64_t{4} << 20;

void Check(bool promise) {
    if (!promise)
        std::abort();
}

std::vector<uint8_t> MakeB(const std::vector<uint8_t>& a, uint8_t mode, uint16_t where) {
    std::vector<uint8_t> b = a;
    const size_t at = a.empty() ? 0 : where % (a.size() + 1);
    switch (mode % 4) {
    case 1:
        b.resize(at);
        break;
    case 2:
        if (at < b.size())
            b[at] = static_cast<uint8_t>(b[at] + 1 + (where >> 8));
        break;
    case 3:
        b.insert(b.begin() + static_cast<long>(at), static_cast<size_t>(1 + (where >> 12)),
                 static_cast<uint8_t>(where));
        break;
    default:
        break;
    }
    return b;
}

compare::WalkedLevel Walk(std::vector<uint8_t> bytes) {
    return compare::WalkForComparison(
        std::make_shared<const LevelFile>(LevelFile::FromBytes(std::move(bytes))), "level",
        kFuzzReportFixedBytes);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::span<const uint8_t> input(data, size);
    AppState options;
    fuzzinput::ApplyOptions(options, input);
    std::span<const uint8_t> level = fuzzinput::LevelBytes(input);
    uint8_t mode = 0;
    uint16_t where = 0;
    if (level.size() >= 3) {
        const size_t n = level.size();
        mode = level[n - 3];
        where = static_cast<uint16_t>(level[n - 2] | (level[n - 1] << 8));
        level = level.first(n - 3);
    }
    const std::vector<uint8_t> a(level.begin(), level.end());
    const std::vector<uint8_t> b = MakeB(a, mode, where);

    compare::CompareOptions compareOptions;
    compareOptions.Sections = mode & 4 ? compare::AllSections() : options.DetailOptions;
    const compare::WalkedLevel walkedA = Walk(a);
    const compare::WalkedLevel walkedB = Walk(b);
    Check(walkedA.Readable() == !a.empty() && walkedB.Readable() == !b.empty());
    if (!walkedA.Readable() || !walkedB.Readable())
        return 0;

    int64_t sent = 0;
    compare::DifferenceStats stats;
    const compare::CompareSummary summary =
        compare::CompareLevels(walkedA, walkedB, compareOptions, [&](const compare::Difference& d) {
            ++sent;
            const std::string line = compare::DifferenceLine(d);
            Check(!line.empty() && line.find('\n') == std::string::npos);
            Check(compare::DifferenceJson(d).starts_with("{\"kind\": "));
            stats.Add(d);
        });
    Check(summary.Differences == sent);
    if (a == b)
        Check(sent == 0);
    return 0;
}
