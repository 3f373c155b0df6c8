#pragma once
// Process-wide state, owned by main and passed by reference: the last run's path, the detail options,
// the palette store, the tile count, what the last walk loaded, the program's folder and the pane.
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

#include "format/DetailOptions.h"
#include "format/LevelFile.h"
#include "format/WalkMap.h"
#include "format/walk/ReportPane.h"
#include "report/ReportLimit.h"
#include "support/CSmartArray.h"
#include "tiles/m_TileEngine.h"

// How the last report run ended, for the status line under the pane and for the command line.
struct RunOutcome {
    WalkEnd End;            // how its walk ended; None before the first run and for a file not read
    bool Unread = false;    // the file could not be read (Status says why): the run wrote nothing
    int16_t Status = 0;     // the status ReportLevelFile returned
    bool EmptyFile = false; // the file was there but held no bytes
    TileExportResult Tiles; // what the tile export of this run wrote, or why it could not

    // A DM2 or DM3 walk ran: the run read a level, whatever ended its walk.
    bool Walked() const { return End.How != WalkEnding::None && End.How != WalkEnding::NotALevel; }
    // The run read its file and wrote a report anew.
    bool Read() const { return End.How != WalkEnding::None; }
};

struct RunHoles;

struct AppState {
    std::string LevelFilePath;
    DetailOptionSet DetailOptions;

    // Palette store: empty references until the first walk with "Palettes" on.
    std::shared_ptr<CSmartArray> Palette8Colours;
    std::shared_ptr<CSmartArray> Palette16Colours;

    int16_t TextureTileCount = 0;
    // Whether the last walk loaded the palettes and exported the tiles; the View commands follow them.
    bool PalettesLoaded = false;
    bool TexturesLoaded = false;

    // The folder the program runs from; the tiles go to its "TileCollection" unless TileFolderOverride is
    // set.
    std::filesystem::path ProgramFolder;
    std::filesystem::path TileFolderOverride;
    // TileFolderOverride is the user's data folder because the program's own folder cannot be written.
    bool TileFolderIsFallback = false;
    std::filesystem::path TileFolder() const {
        return TileFolderOverride.empty() ? ProgramFolder / "TileCollection" : TileFolderOverride;
    }

    // Caption of the main window's file name label, as the report run sets it.
    std::string FileNameLabel;

    StringPane Report;
    // The fixed part of the report's size limit (ReportLimit.h); tests and the fuzz target lower it to
    // reach the limit quickly.
    int64_t ReportFixedBytes = kReportFixedBytes;
    RunOutcome LastRun;
    // When set, the walk leaves its listed runs as holes here instead of writing their lines
    // (format/walk/RunHoles.h); the streamed report fills them.
    RunHoles* Holes = nullptr;

    // What the last run walked: the level's bytes (kept for the views) and the walk map over them.
    std::shared_ptr<const LevelFile> Level;
    WalkMap Map;
};
