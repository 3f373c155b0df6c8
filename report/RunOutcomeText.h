#pragma once
// How a walk ended, in words: one description of the one value (WalkEnd, format/WalkMap.h) that the
// command's standard error, the window's status line, the comparison's ending lines and the level map
// share; the JSON and the summary give the same value by its name (EndingName).
#include <string>
#include <string_view>

#include "format/WalkMap.h"
#include "report/AppState.h"

// One sentence about subject (a path, or "A"): "PATH: walked to the end of the file, 1194622 bytes",
// "an overflow ended the walk at offset 0x704 (1796) of PATH", "PATH is not a DM2 or DM3 level: its
// version word is 00000020", "PATH: the walk stepped back before the file's start, to offset -185778".
// Empty for None.
std::string DescribeWalkEnd(const WalkEnd& end, std::string_view subject);

// "byte" or "bytes", as n asks.
std::string_view Plural(int64_t n, std::string_view one, std::string_view many);

// How far a run's report can be trusted, from none to whole.
enum class RunVerdict {
    None,     // no run yet
    Unread,   // the file could not be read: no report
    Stopped,  // an overflow or the report's size limit ended the walk part-way
    Doubtful, // the run completed, but the file is not a DM2 or DM3 level, or the walk did not end
              // exactly at the file's end
    Complete, // walked from the version word to the file's last byte
};

// The verdict on a run: from whether it read its file and how its walk ended.
RunVerdict VerdictOf(const RunOutcome& outcome);

struct RunOutcomeWords {
    std::string Run;          // how the run ended; empty before the first run
    std::string Tiles;        // the tiles when they went elsewhere than asked or could not be written
    bool TilesFailed = false; // a tile bitmap, or the tile folder, could not be written
};

// The run of state.LastRun on state.LevelFilePath.
RunOutcomeWords DescribeRunOutcome(const AppState& state);

// Why a level file could not be read, from the run's status number: "no such file", "is a folder".
std::string ReasonOfStatus(const RunOutcome& outcome, const std::string& path);
