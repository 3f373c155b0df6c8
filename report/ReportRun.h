#pragma once
// The report run: opens a level file, writes the header, walks it by version, writes the closing lines.
#include <cstdint>
#include <memory>
#include <string>

#include "format/LevelFile.h"
#include "format/walk/WalkOutput.h"
#include "report/AppState.h"
#include "report/OutputFile.h"
#include "tiles/m_TileEngine.h"

// 0 when the report was written; 99 empty or missing file; the open's status number; 6 when an
// overflow ended the walk, 7 when the report outgrew its size limit (ReportLimit.h); after either the
// lines written so far stay in state.Report.
int16_t ReportLevelFile(AppState& state, const std::string& path);

// The same run over a level already read (standard input); path is what the report's lines show.
int16_t ReportLevel(AppState& state, const std::string& path, std::shared_ptr<const LevelFile> level);

// What the walk of a report run is given from the application's state: the report pane, the walk map,
// the detail options, the size limit for this level and the holes of a streamed report.
WalkOutput WalkOutputOf(AppState& state, const LevelFile& level);

// The report's opening lines: a separator, the file as path with its version word and size, the column
// heads. Every walk that counts its text against the size limit writes them first, so the limit falls
// at the same line for the report, its JSON and the comparison.
void AppendReportHeader(ReportPane& pane, const std::string& path, const LevelFile& level);

// What a walk leaves behind beside the text, from its map: the palette store when the palettes are
// detailed, and the tile bitmaps when the tiles are, once the walk got past the tile chunk's lines (also
// when a fault ended it later). The report run calls it after every walk.
void LoadPalettesAndExportTiles(AppState& state, const LevelFile& level);

// The tile export's writer: each bitmap through the one output writer, whole or not at all, into a new
// file under its own name (a link, a FIFO or a file with other hard links at that name is replaced, not
// written into); level, the file being reported, is refused under every name that leads to it.
BitmapWriter TileWriter(std::optional<FileIdentity> level);

// The 4 bytes at offset as a little-endian 32-bit value in 8 upper-case hex digits.
std::string ReadVersionCode(const LevelFile& level, int32_t offset);
