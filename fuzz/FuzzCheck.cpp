// Fuzz target: the level checker over arbitrary bytes as a level file (the input's level bytes, as the
// report's target takes them). Links either libFuzzer or the replay main.
//
// Besides "no crash, no hang", every run checks what the checker promises whatever the bytes: each
// finding names a rule, stands on bytes inside the file (or is marked as lying past its end), and the
// counts add up with the cap per rule. The walk map the report run keeps, every room's spans in it,
// gives the same findings as the checker's own walk, which drops each room as it closes and formats no
// record.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "check/Check.h"
#include "fuzz/FuzzInput.h"
#include "report/AppState.h"
#include "report/ReportRun.h"

namespace {

// Small, so that an input that sends the walk over the same bytes again and again meets the limit soon.
constexpr int64_t kFuzzReportFixedBytes = int64_t{4} << 20;
// Findings handed on per rule; small, so the cap is met often.
constexpr int64_t kMostPerRule = 50;

void Check(bool promise) {
    if (!promise)
        std::abort();
}

// Holds what it is given as one line each, and checks each finding as it comes.
class Promises final : public check::FindingSink {
  public:
    explicit Promises(int64_t fileSize) : fileSize_(fileSize) {}
    void Found(const check::Finding& f) override {
        Check(f.Of != nullptr && check::RuleById(f.Of->Id) == f.Of);
        Check(f.Bytes >= 0 && !f.Place.empty() && !f.Message.empty());
        if (!f.PastEnd)
            Check(f.Offset >= 0 && f.Offset + f.Bytes <= fileSize_ && (f.Bytes > 0 || f.Offset < fileSize_));
        else
            Check(f.Of->Id == "walk-ended" && (f.Offset < 0 || f.Offset >= fileSize_));
        Check(++given[f.Of] <= kMostPerRule);
        (f.Of->Level == check::Severity::Error ? errors : warnings)++;
        lines.push_back(std::string(f.Of->Id) + " " + std::to_string(f.Offset) + " " + f.Place + " " +
                        f.Message);
    }
    std::map<const check::Rule*, int64_t> given;
    int64_t errors = 0, warnings = 0;
    std::vector<std::string> lines;

  private:
    int64_t fileSize_;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::span<const uint8_t> bytes = fuzzinput::LevelBytes({data, size});
    const auto level = std::make_shared<const LevelFile>(
        LevelFile::FromBytes(std::vector<uint8_t>(bytes.begin(), bytes.end())));
    check::CheckOptions options;
    options.MostPerRule = kMostPerRule;
    options.ReportFixedBytes = kFuzzReportFixedBytes;

    Promises own(level->Size());
    const check::CheckCounts counts = check::CheckLevel(*level, options, own);
    Check(counts.Errors >= own.errors && counts.Warnings >= own.warnings);
    Check(counts.Errors + counts.Warnings == own.errors + own.warnings + counts.LeftOut);

    // The same findings from the map of the report run with every section detailed.
    AppState state;
    SetAllDetails(state.DetailOptions, true);
    state.ReportFixedBytes = kFuzzReportFixedBytes;
    if (level->Size() == 0)
        return 0;
    ReportLevel(state, "", level); // the path CheckLevel counts in the header line
    if (!state.LastRun.Walked()) {
        Check(own.lines.empty());
        return 0;
    }
    Promises fromMap(level->Size());
    const check::CheckCounts mapCounts = check::CheckWalkedLevel(*level, state.Map, options, fromMap);
    Check(fromMap.lines == own.lines);
    Check(mapCounts.Errors == counts.Errors && mapCounts.Warnings == counts.Warnings &&
          mapCounts.LeftOut == counts.LeftOut);
    return 0;
}
