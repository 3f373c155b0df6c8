#include <string>

#include "bench/BenchExtras.h"
#include "engine/AppState.h"
#include "engine/ReportRun.h"

// The walk map's size beside the full-detail report it was recorded with: the map keeps spans per
// chunk, room, part and run, so it stays a small fraction of the text.
void BenchWalkMap(const BenchContext& context, BenchKeys& keys) {
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
    }
}
