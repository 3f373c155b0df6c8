#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include "bench/BenchExtras.h"
#include "bench/BenchTiming.h"
#include "report/AppState.h"
#include "report/JsonReport.h"
#include "report/ReportRun.h"

namespace {

// xxd's hex dump of the file: its output bytes through a pipe, then the median of three runs into
// /dev/null. Returns 0 when xxd is not there.
double XxdMBps(const std::string& file) {
    size_t bytes = 0;
    if (RunXxd(file, &bytes) < 0 || bytes == 0)
        return 0;
    std::vector<double> ms;
    for (int i = 0; i < 3; ++i)
        ms.push_back(RunXxd(file, nullptr));
    return static_cast<double>(bytes) / 1e3 / Median(ms);
}

} // namespace

// The walk map's size beside the full-detail report it was recorded with: the map keeps spans per
// chunk, room, part and run, so it stays a small fraction of the text. Then the JSON document of the
// same run: the writer alone, and the whole run (walk and writer) as `strata-report --format json`
// does it, each beside xxd's hex dump of the same file (output bytes a second).
void BenchWalkMap(const BenchContext& context, BenchKeys& keys) {
    double jsonMBps = 0, jsonToXxd = 0, jsonRunToXxd = 0;
    for (const auto& [tag, path] : {std::pair{"dm2", context.BigDM2}, std::pair{"dm3", context.BigDM3}}) {
        AppState state;
        state.TileFolderOverride = context.Folder / "tiles";
        SetAllDetails(state.DetailOptions, true);
        state.DetailOptions.Set(optTextureTiles, false);
        ReportLevelFile(state, path);
        const double reportBytes = static_cast<double>(state.Report.Str().size());
        keys.emplace_back(std::string("walk_map_spans_") + tag, static_cast<double>(state.Map.Size()));
        keys.emplace_back(std::string("walk_map_percent_of_report_") + tag,
                          100.0 * static_cast<double>(state.Map.MemoryBytes()) / reportBytes);

        std::vector<double> writeMs, runMs;
        size_t jsonBytes = 0;
        for (int i = 0; i <= context.Repeats; ++i) { // the first round warms up
            auto start = BenchClock::now();
            const std::string json = JsonReport(state);
            const double write = MsSince(start);
            start = BenchClock::now();
            ReportLevelFile(state, path);
            const size_t again = JsonReport(state).size();
            const double whole = MsSince(start);
            jsonBytes = json.size();
            if (i > 0 && again == jsonBytes) {
                writeMs.push_back(write);
                runMs.push_back(whole);
            }
        }
        const double writeMBps = static_cast<double>(jsonBytes) / 1e3 / Median(writeMs);
        const double runMBps = static_cast<double>(jsonBytes) / 1e3 / Median(runMs);
        keys.emplace_back(std::string("json_bytes_") + tag, static_cast<double>(jsonBytes));
        keys.emplace_back(std::string("json_mb_per_s_") + tag, writeMBps);
        keys.emplace_back(std::string("json_run_mb_per_s_") + tag, runMBps);
        jsonMBps = jsonMBps == 0 ? writeMBps : std::min(jsonMBps, writeMBps);
        if (const double xxd = XxdMBps(path); xxd > 0) {
            keys.emplace_back(std::string("xxd_mb_per_s_") + tag, xxd);
            jsonToXxd = jsonToXxd == 0 ? writeMBps / xxd : std::min(jsonToXxd, writeMBps / xxd);
            jsonRunToXxd = jsonRunToXxd == 0 ? runMBps / xxd : std::min(jsonRunToXxd, runMBps / xxd);
        }
    }
    // The lower of DM2 and DM3.
    keys.emplace_back("json_mb_per_s", jsonMBps);
    keys.emplace_back("json_to_xxd", jsonToXxd);
    keys.emplace_back("json_run_to_xxd", jsonRunToXxd);
}
