#pragma once
// The walk the checker reads: every section detailed, as strata-report --all walks the level, so the
// report's size limit ends it where it ends the report. The records' lines are never formatted: their
// runs are left as holes whose most bytes are counted instead, and only where those could reach the
// size limit is the level walked again writing (and counting, not keeping) every line.
#include <string>

#include "format/LevelFile.h"
#include "format/WalkMap.h"

namespace check {

// Walks level into map; path is the name the report's header line would show.
void WalkForCheck(const LevelFile& level, const std::string& path, WalkMap& map);

} // namespace check
