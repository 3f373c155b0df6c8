#include "report/RunOutcomeText.h"

#include "format/Fault.h"
#include "format/LevelFile.h"
#include "format/NumberText.h"
#include "report/OutputFile.h"

namespace {

std::string OffsetWords(int32_t offset) {
    return "offset 0x" + Hex(offset) + " (" + std::to_string(offset) + ")";
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

// What ended a walk that stopped part-way: "an overflow", "the report's size limit", "fault 5".
std::string WalkEndCause(const WalkEnd& end) {
    switch (end.How) {
    case WalkEnding::SizeLimit:
        return "the report's size limit";
    case WalkEnding::Overflow:
        return end.Fault != 0 ? "fault " + std::to_string(end.Fault) : "an overflow";
    case WalkEnding::None:
    case WalkEnding::Completed:
    case WalkEnding::NotALevel:
    case WalkEnding::SteppedBack:
        break;
    }
    return "";
}

} // namespace

std::string_view Plural(int64_t n, std::string_view one, std::string_view many) {
    return n == 1 ? one : many;
}

std::string DescribeWalkEnd(const WalkEnd& end, std::string_view subject) {
    const std::string who(subject);
    const std::string size = std::to_string(end.FileSize);
    switch (end.How) {
    case WalkEnding::None:
        break;
    case WalkEnding::NotALevel:
        if (end.FileSize < format::kVersionWordBytes)
            return who + " is not a DM2 or DM3 level: it holds only " + size + " " +
                   std::string(Plural(end.FileSize, "byte", "bytes"));
        return who + " is not a DM2 or DM3 level: its version word is " +
               HexOfLong(static_cast<int32_t>(end.VersionWord), 32, false);
    case WalkEnding::Overflow:
    case WalkEnding::SizeLimit:
        return WalkEndCause(end) + " ended the walk at " + OffsetWords(end.Offset) + " of " + who;
    case WalkEnding::SteppedBack:
        return who + ": the walk stepped back before the file's start, to offset " +
               std::to_string(end.Offset);
    case WalkEnding::Completed:
        if (end.Offset == end.FileSize)
            return who + ": walked to the end of the file, " + size + " bytes";
        if (end.Offset > end.FileSize)
            return who + ": walked past the end of the file, to offset " + std::to_string(end.Offset) +
                   " of " + size;
        return who + ": stopped at offset " + std::to_string(end.Offset) + ", " +
               std::to_string(end.FileSize - end.Offset) + " " +
               std::string(Plural(end.FileSize - end.Offset, "byte", "bytes")) + " before the end";
    }
    return "";
}

RunVerdict VerdictOf(const RunOutcome& outcome) {
    if (outcome.Unread)
        return RunVerdict::Unread;
    const WalkEnd& end = outcome.End;
    switch (end.How) {
    case WalkEnding::None:
        return RunVerdict::None;
    case WalkEnding::Overflow:
    case WalkEnding::SizeLimit:
        return RunVerdict::Stopped;
    case WalkEnding::Completed:
        if (end.Offset == end.FileSize)
            return RunVerdict::Complete;
        break;
    case WalkEnding::NotALevel:
    case WalkEnding::SteppedBack:
        break;
    }
    return RunVerdict::Doubtful;
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
    if (VerdictOf(outcome) == RunVerdict::Unread)
        words.Run = "cannot read " + path + ": " + ReasonOfStatus(outcome, path);
    else
        words.Run = DescribeWalkEnd(outcome.End, path);
    return words;
}
