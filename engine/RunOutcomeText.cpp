#include "engine/RunOutcomeText.h"

#include "engine/Fault.h"
#include "engine/LevelFile.h"
#include "engine/NumberText.h"
#include "engine/OutputFile.h"

namespace {

constexpr int64_t kVersionWordBytes = 4;

bool IsLevelVersion(const std::string& version) {
    return version == "0000002D" || version == "FF180038";
}

std::string OffsetWords(int32_t offset) {
    return "offset 0x" + Hex(offset) + " (" + std::to_string(offset) + ")";
}

std::string NotALevel(const RunOutcome& outcome, const std::string& path) {
    if (outcome.FileSize < kVersionWordBytes)
        return path + " is not a DM2 or DM3 level: it holds only " + std::to_string(outcome.FileSize) +
               (outcome.FileSize == 1 ? " byte" : " bytes");
    return path + " is not a DM2 or DM3 level: its version word is " + outcome.Version;
}

std::string TileWords(const AppState& state, bool& failed) {
    const TileExportResult& tiles = state.LastRun.Tiles;
    failed = !tiles.Ok();
    if (failed) {
        std::string reason = tiles.Reason.empty() ? ReasonOfError(tiles.Error) : tiles.Reason;
        if (tiles.Failed != tiles.Folder)
            reason = tiles.Failed + ": " + reason;
        return "cannot write the texture tiles into " + tiles.Folder + ": " + reason;
    }
    if (state.TileFolderIsFallback && !tiles.Folder.empty())
        return "the texture tiles went to " + tiles.Folder + ", as the program's folder cannot take them";
    return "";
}

} // namespace

RunVerdict VerdictOf(const RunOutcome& outcome) {
    switch (outcome.Ended) {
    case RunOutcome::Kind::None:
        return RunVerdict::None;
    case RunOutcome::Kind::OpenFailed:
        return RunVerdict::Unread;
    case RunOutcome::Kind::Faulted:
        return RunVerdict::Stopped;
    case RunOutcome::Kind::Completed:
        break;
    }
    if (outcome.FileSize < kVersionWordBytes || !outcome.Walked || !IsLevelVersion(outcome.Version))
        return RunVerdict::Doubtful;
    return outcome.StopOffset == outcome.FileSize ? RunVerdict::Complete : RunVerdict::Doubtful;
}

std::string ReasonOfStatus(const RunOutcome& outcome, const std::string& path) {
    std::error_code ec;
    switch (outcome.Status) {
    case kStatusEmptyOrMissing:
        return outcome.EmptyFile || std::filesystem::exists(path, ec) ? "the file is empty" : "no such file";
    case kStatusPathNotFound:
        return "no such folder";
    case kStatusPermissionDenied:
        return "permission denied";
    case kStatusPathAccessError:
        return std::filesystem::is_directory(path, ec) ? "is a folder" : "not a regular file";
    default:
        return "status " + std::to_string(outcome.Status);
    }
}

RunOutcomeWords DescribeRunOutcome(const AppState& state) {
    const RunOutcome& outcome = state.LastRun;
    const std::string& path = state.LevelFilePath;
    RunOutcomeWords words;
    words.Tiles = TileWords(state, words.TilesFailed);
    const std::string size = std::to_string(outcome.FileSize);
    switch (VerdictOf(outcome)) {
    case RunVerdict::None:
        break;
    case RunVerdict::Unread:
        words.Run = "cannot read " + path + ": " + ReasonOfStatus(outcome, path);
        break;
    case RunVerdict::Stopped: {
        const std::string cause = outcome.Status == kOverflowFault      ? "an overflow"
                                  : outcome.Status == kReportLimitFault ? "the report's size limit"
                                                                        : "fault " + std::to_string(outcome.Status);
        words.Run = cause + " ended the walk at " + OffsetWords(outcome.StopOffset) + " of " + path;
        break;
    }
    case RunVerdict::Doubtful:
        if (outcome.FileSize < kVersionWordBytes || !outcome.Walked)
            words.Run = NotALevel(outcome, path);
        else if (outcome.StopOffset > outcome.FileSize)
            words.Run = path + ": walked past the end of the file, to offset " +
                        std::to_string(outcome.StopOffset) + " of " + size;
        else
            words.Run = path + ": stopped at offset " + std::to_string(outcome.StopOffset) + ", " +
                        std::to_string(outcome.FileSize - outcome.StopOffset) + " bytes before the end";
        break;
    case RunVerdict::Complete:
        words.Run = path + ": walked to the end of the file, " + size + " bytes";
        break;
    }
    return words;
}
