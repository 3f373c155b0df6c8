#pragma once
#include <cstddef>
#include <limits>

#include "format/DetailOptions.h"
#include "format/WalkMap.h"
#include "format/walk/ReportPane.h"

struct RunHoles;

// What a walk is given: where its lines go, the map it records, the options it consults, how much text
// it may write and, for a streamed report, where it leaves its listed runs as holes. Nothing else of the
// program reaches the walk.
struct WalkOutput {
    StringPane& Text;
    WalkMap& Map;
    const DetailOptionSet& Options;
    // The report's size limit in bytes, counted from the pane's first byte: past it the walk ends.
    size_t TextLimit = std::numeric_limits<size_t>::max();
    RunHoles* Holes = nullptr;
};
