#pragma once
// The report of a walk as one JSON document, written from the walk map and the level bytes: the file,
// its version and generation, every chunk with its byte range, count, byte figure and summary line,
// the rooms and room parts as children, the records of every listed run, and how the walk ended.
//
//   {"file": "...", "size": 1194622, "version": "0000002D", "generation": 2,
//    "chunks": [
//     {"name": "Rooms", "offset": 198412, "count": 4, "bytes": 2, "line": 57, "children": [...], "end":
//     204021},
//     {"name": "Sprite Textures", "section": 22, "offset": ..., "end": ..., "count": 3, "bytes": 48, "line":
//     402,
//      "recordsLine": 403, "records": [{"offset": ..., "index": 0, "Tile": 1, "x": 0, ...}, ...]}
//    ],
//    "ended": {"how": "completed", "offset": 1194622}}
//
// Lines are 1-based lines of the text report of the same run. Values are those the text shows; hex
// columns are "0x.." strings, columns repeated on continuation lines are arrays. The document is
// written as the walk goes, a chunk when it closes and a room when it closes, so what is known only at
// the end comes last: the ending, and the Rooms chunk's "end" and flags behind its rooms.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "format/LevelFile.h"
#include "format/WalkMap.h"
#include "format/walk/ReportPane.h"
#include "report/AppState.h"
#include "report/JsonString.h"

// Appends the document of a walk over level, recorded in map, to out. path is shown as "file".
void AppendJsonReport(std::string& out, std::string_view path, const LevelFile& level, const WalkMap& map);

// The document of the last report run in state; empty when that run read no level.
std::string JsonReport(const AppState& state);

// The report run of the command line for --format json: the document handed to sink as the walk makes
// it, about a megabyte at a time, never held whole, with the report's size limit (ReportLimit.h)
// counting its bytes: the walk stops after the span whose document crossed it. Nothing is written when
// the file could not be read. Returns what ReportLevelFile returns; the map is left without its rooms
// and the pane empty. With level, the run reads that level (standard input) instead of path's file.
int16_t StreamJsonReport(AppState& state, const std::string& path, ReportSink& sink,
                         std::shared_ptr<const LevelFile> level = nullptr);
