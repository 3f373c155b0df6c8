#pragma once
// The report of a walk as one JSON document, written from the walk map and the level bytes: the file,
// its version and generation, how the walk ended, and every chunk with its byte range, count, byte
// figure and summary line, the rooms and room parts as children, and the records of every listed run.
//
//   {"file": "...", "size": 1194622, "version": "0000002D", "generation": 2,
//    "ended": {"how": "completed", "offset": 1194622},
//    "chunks": [
//     {"name": "Rooms", "offset": 198412, "end": 204021, "count": 4, "bytes": 2, "line": 57, "children": [...]},
//     {"name": "Sprite Textures", "section": 22, "offset": ..., "end": ..., "count": 3, "bytes": 48, "line": 402,
//      "recordsLine": 403, "records": [{"offset": ..., "index": 0, "Tile": 1, "x": 0, ...}, ...]}]}
//
// Lines are 1-based lines of the text report of the same run. Values are those the text shows; hex
// columns are "0x.." strings, columns repeated on continuation lines are arrays. Written in place
// into one growing buffer, with no document tree in between.
#include <string>
#include <string_view>

#include "engine/AppState.h"
#include "engine/LevelFile.h"
#include "engine/WalkMap.h"

// Appends the document of a walk over level, recorded in map, to out. path is shown as "file".
void AppendJsonReport(std::string& out, std::string_view path, const LevelFile& level, const WalkMap& map);

// The document of the last report run in state; empty when that run read no level.
std::string JsonReport(const AppState& state);

// Appends text as a JSON string, quotes included. Bytes that are not UTF-8 become U+FFFD.
void AppendJsonString(std::string& out, std::string_view text);
