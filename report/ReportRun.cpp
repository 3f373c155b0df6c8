#include "report/ReportRun.h"

#include <algorithm>
#include <array>
#include <unistd.h>

#include "format/Fault.h"
#include "format/NumberText.h"
#include "format/walk/ReportText.h"
#include "format/walk/Walker.h"
#include "palette/PaletteStore.h"
#include "tiles/m_TileEngine.h"

namespace {

// A full-detail report runs to roughly ten times the level's size; reserving ahead spares the
// pane's string most of its regrowth.
size_t ExpectedReportBytes(const AppState& state, int64_t fileSize) {
    for (int i = 2; i < kDetailOptionCount; ++i)
        if (state.DetailOptions.On(i))
            return static_cast<size_t>(std::min<int64_t>(fileSize, int64_t{1} << 28)) * 4;
    // Undetailed, a few summary lines a room: about one byte of report for 60 of the level.
    return static_cast<size_t>(std::clamp<int64_t>(fileSize / 48, 1 << 16, 1 << 20));
}

// The palettes stand at fixed offsets; both lists are made new, so a second run replaces the first
// run's colours instead of adding to them.
void LoadPalettes(AppState& state, const LevelFile& level) {
    std::array<uint8_t, format::kPalette8Bytes> p8{};
    for (int32_t i = 0; i < format::kPalette8Bytes; ++i)
        p8[static_cast<size_t>(i)] = level.U8(format::kPalette8At + i);
    std::array<uint8_t, format::kPalette16Bytes> p16{};
    for (int32_t i = 0; i < format::kPalette16Bytes; ++i)
        p16[static_cast<size_t>(i)] = level.U8(format::kPalette16At + i);
    state.Palette8Colours = MakePalette8(p8);
    state.Palette16Colours = MakePalette16(p16);
}

// The tile folder as the export expects it: ending in a separator, never doubled.
std::string TileFolderText(const AppState& state) {
    std::string folder = state.TileFolder().string();
    if (folder.empty() || folder.back() != '/')
        folder += '/';
    return folder;
}

// How the run's walk ended: the map's ending, with the version word a file that is no level is named by.
WalkEnd EndOfRun(const WalkMap& map, const LevelFile& level) {
    WalkEnd end = map.End();
    end.VersionWord = level.U32(0);
    return end;
}

} // namespace

void LoadPalettesAndExportTiles(AppState& state, const LevelFile& level) {
    const WalkMap& map = state.Map;
    if (map.Empty())
        return;
    state.PalettesLoaded = state.DetailOptions.On(optPalettes);
    if (state.PalettesLoaded)
        LoadPalettes(state, level);
    const int32_t tiles = map.Find(Piece::TextureTiles);
    if (tiles < 0 || map.Find(Piece::Tiles16) < 0)
        return;
    state.TexturesLoaded = state.DetailOptions.On(optTextureTiles);
    if (state.TexturesLoaded) {
        // The 16-bit size has been checked, so the count lies within -16384..16383.
        const auto count = static_cast<int16_t>(map[tiles].Count);
        // Standard input ("-") may be the level file itself, redirected.
        const std::optional<FileIdentity> identity =
            state.LevelFilePath == "-" ? IdentityOf(STDIN_FILENO) : IdentityOf(state.LevelFilePath);
        state.LastRun.Tiles = ExportTiles(level.Bytes(), TileFolderText(state), count,
                                          state.Palette8Colours.get(), TileWriter(identity));
        state.TextureTileCount = count;
    }
}

BitmapWriter TileWriter(std::optional<FileIdentity> level) {
    return [level](const std::filesystem::path& file, std::string_view bytes) {
        // Whole or not at all, but not forced to the disk: every run makes the tiles again, and 64
        // fsyncs would take longer than the report.
        return WriteOutputFile(file, bytes,
                               OutputRules{.NeverOver = level, .ReplaceTheName = true, .Durable = false});
    };
}

std::string ReadVersionCode(const LevelFile& level, int32_t offset) {
    return HexOfLong(level.S32(offset), 32, false);
}

void AppendReportHeader(ReportPane& pane, const std::string& path, const LevelFile& level) {
    AppendSeparatorLine(pane, true);
    AppendReportLine(";" + path + "  Version: " + ReadVersionCode(level, 0) +
                         "   Size: " + std::to_string(level.FileLength()),
                     pane);
    AppendSeparatorLine(pane);
    AppendReportLine("What,Offset,, Size ", pane);
    AppendReportLine(",Hex,Decimal", pane);
    AppendSeparatorLine(pane);
}

WalkOutput WalkOutputOf(AppState& state, const LevelFile& level) {
    return {.Text = state.Report,
            .Map = state.Map,
            .Options = state.DetailOptions,
            .TextLimit = ReportByteLimit(level.FileLength(), state.ReportFixedBytes),
            .Holes = state.Holes};
}

int16_t ReportLevelFile(AppState& state, const std::string& path) {
    state.LevelFilePath = path;
    RunOutcome& outcome = state.LastRun;
    outcome = RunOutcome{};

    auto opened = std::make_shared<LevelFile>();
    const int16_t openStatus = opened->Open(path);
    if (openStatus != 0) {
        outcome.Unread = true;
        outcome.Status = openStatus;
        return openStatus;
    }
    return ReportLevel(state, path, std::move(opened));
}

int16_t ReportLevel(AppState& state, const std::string& path, std::shared_ptr<const LevelFile> opened) {
    const LevelFile& level = *opened;
    state.LevelFilePath = path;
    RunOutcome& outcome = state.LastRun;
    outcome = RunOutcome{};
    if (level.FileLength() == 0) {
        outcome.Unread = true;
        outcome.Status = kStatusEmptyOrMissing;
        outcome.EmptyFile = true;
        return kStatusEmptyOrMissing;
    }
    // From here on the report is written anew, and the walk map and level bytes with it; a run that
    // could not read its file leaves the last report, map and bytes as they were.
    state.FileNameLabel = path;
    state.Level = opened;
    state.Map.Reset(level.FileLength(), 0);

    ReportPane& pane = state.Report;
    AppendReportHeader(pane, path, level);
    pane.Reserve(ExpectedReportBytes(state, level.Size()));

    bool walked = false;
    try {
        if (const auto generation = LevelGeneration(level)) {
            walked = true;
            WalkLevel(WalkOutputOf(state, level), level, *generation, format::kVersionWordBytes);
        } else if (level.U32(0) == format::kVersionDM1) {
            AppendReportLine(";Not implemented yet", pane);
        }
        LoadPalettesAndExportTiles(state, level);
    } catch (const WalkFault& fault) {
        LoadPalettesAndExportTiles(state, level);
        // The walk ends here, as the map says; the lines written so far stay and no closing lines follow.
        outcome.End = EndOfRun(state.Map, level);
        outcome.Status = static_cast<int16_t>(fault.Number);
        return outcome.Status;
    }

    if (!walked)
        state.Map.Finish(WalkEnding::NotALevel, format::kVersionWordBytes, 0);
    outcome.End = EndOfRun(state.Map, level);
    AppendSeparatorLine(pane);
    AppendReportLine(";" + path + "  END OF FILE", pane);
    AppendSeparatorLine(pane);
    return 0;
}
