#pragma once
// The report run for a command line: the same text as ReportLevelFile leaves in the pane, handed to a
// sink in order as it is made, never held whole.
//
// With more than one thread, a first walk writes every line but the records of the listed runs and
// leaves those as holes (walk/RunHoles.h); the runs, with the text between them, are then cut into
// pieces of a bounded size (a long run into several, short runs and the lines between them together)
// that the threads format side by side into a few buffers, and the buffers go to the sink in report
// order, a stretch of text too long for a piece on its own between them. A fault that ended the first
// walk inside a run ended it after the same record as the walk writing every line, so the text is the
// same byte for byte. Where the first walk could come near the report's size limit it gives up, and
// the walk runs again writing every line itself, streamed.
#include <cstdint>
#include <memory>
#include <string>

#include "format/walk/ReportPane.h"
#include "report/AppState.h"

// Returns what ReportLevelFile returns and leaves state as it does (map, outcome, palettes, tiles),
// except that the text went to sink and the pane is left empty. threads 0: one per core.
int16_t StreamLevelReport(AppState& state, const std::string& path, ReportSink& sink, unsigned threads = 0);

// The same run over a level already read whole (standard input); path is what the report's lines show.
int16_t StreamLevelReport(AppState& state, const std::string& path, std::shared_ptr<const LevelFile> level,
                          ReportSink& sink, unsigned threads = 0);
