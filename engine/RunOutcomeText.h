#pragma once
// How a report run ended, in words: one description that the command's standard error, the window's
// status line and every later summary of a run share.
#include <string>

#include "engine/AppState.h"

// How far a run's report can be trusted, from none to whole.
enum class RunVerdict {
    None,      // no run yet
    Unread,    // the file could not be read: no report
    Stopped,   // an overflow or the report's size limit ended the walk part-way
    Doubtful,  // the run completed, but the file is not a DM2 or DM3 level, or the walk did not end
               // exactly at the file's end
    Complete,  // walked from the version word to the file's last byte
};

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
