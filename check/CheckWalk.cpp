#include "check/CheckWalk.h"

#include <limits>

#include "format/Fault.h"
#include "format/walk/RunHoles.h"
#include "format/walk/Walker.h"
#include "report/ReportRun.h"

namespace check {

namespace {

// One walk: with holes (the lines beside them kept, for the size limit's count), or without (every
// line counted and dropped). False when the walk with holes could not be sure to end where the report
// would.
bool WalkOnce(const LevelFile& level, const std::string& path, WalkMap& map, RunHoles* holes) {
    StringPane text;
    if (!holes)
        text.KeepNoText();
    DetailOptionSet all;
    SetAllDetails(all, true);
    map = WalkMap();
    AppendReportHeader(text, path, level);
    const WalkOutput output{.Text = text,
                            .Map = map,
                            .Options = all,
                            .TextLimit = ReportByteLimit(level.FileLength(), kReportFixedBytes),
                            .Holes = holes};
    try {
        if (const auto generation = LevelGeneration(level)) {
            WalkLevel(output, level, *generation, format::kVersionWordBytes);
        } else {
            map.Reset(level.FileLength(), 0);
            map.Finish(WalkEnding::NotALevel, format::kVersionWordBytes, 0);
        }
    } catch (const HolesAbandoned&) {
        return false;
    } catch (const WalkFault&) {
        // The map says where and how the walk ended; the records walked are still checked.
    }
    return true;
}

} // namespace

void WalkForCheck(const LevelFile& level, const std::string& path, WalkMap& map) {
    RunHoles holes;
    if (!WalkOnce(level, path, map, &holes))
        WalkOnce(level, path, map, nullptr);
}

} // namespace check
