#include "engine/ReportRun.h"

#include <algorithm>
#include <strings.h>

#include "engine/Fault.h"
#include "engine/NumberText.h"
#include "engine/ReportText.h"
#include "engine/Walker.h"

namespace {

bool SameVersion(const std::string& version, const char* text) { return ::strcasecmp(version.c_str(), text) == 0; }

// A full-detail report runs to roughly ten times the level's size; reserving ahead spares the
// pane's string most of its regrowth.
size_t ExpectedReportBytes(const AppState& state, int64_t fileSize) {
    for (int i = 2; i < kDetailOptionCount; ++i)
        if (state.DetailOptions.On(i))
            return static_cast<size_t>(std::min<int64_t>(fileSize, int64_t{1} << 28)) * 4;
    return 1 << 16;
}

} // namespace

std::string ReadVersionCode(const LevelFile& level, int32_t offset) {
    return HexOfLong(level.S32(offset), 32, false);
}

int16_t ReportLevelFile(AppState& state, const std::string& path) {
    state.LevelFilePath = path;
    RunOutcome& outcome = state.LastRun;
    outcome = RunOutcome{};

    LevelFile level;
    const int16_t openStatus = level.Open(path);
    if (openStatus != 0) {
        outcome.Ended = RunOutcome::Kind::OpenFailed;
        outcome.Status = openStatus;
        return openStatus;
    }
    return ReportLevel(state, path, level);
}

int16_t ReportLevel(AppState& state, const std::string& path, const LevelFile& level) {
    state.LevelFilePath = path;
    RunOutcome& outcome = state.LastRun;
    outcome = RunOutcome{};
    outcome.FileSize = level.FileLength();
    if (level.FileLength() == 0) {
        outcome.Ended = RunOutcome::Kind::OpenFailed;
        outcome.Status = kStatusEmptyOrMissing;
        outcome.EmptyFile = true;
        return kStatusEmptyOrMissing;
    }
    state.FileNameLabel = path;
    const std::string version = ReadVersionCode(level, 0);
    outcome.Version = version;

    ReportPane& pane = state.Report;
    AppendSeparatorLine(pane, true);
    pane.Reserve(ExpectedReportBytes(state, level.Size()));
    AppendReportLine(";" + path + "  Version: " + version + "   Size: " + std::to_string(level.FileLength()), pane);
    AppendSeparatorLine(pane);
    AppendReportLine("What,Offset,, Size ", pane);
    AppendReportLine(",Hex,Decimal", pane);
    AppendSeparatorLine(pane);

    outcome.StopOffset = 4;
    try {
        if (SameVersion(version, "00000020")) {
            AppendReportLine(";Not implemented yet", pane);
        } else if (SameVersion(version, "0000002D")) {
            outcome.Walked = true;
            outcome.StopOffset = WalkLevel(state, level, 2, 4);
        } else if (SameVersion(version, "FF180038")) {
            outcome.Walked = true;
            outcome.StopOffset = WalkLevel(state, level, 3, 4);
        }
    } catch (const WalkFault& fault) {
        // The walk ends here; the lines written so far stay and no closing lines follow.
        outcome.Ended = RunOutcome::Kind::Faulted;
        outcome.Status = static_cast<int16_t>(fault.Number);
        outcome.StopOffset = fault.Offset;
        return outcome.Status;
    }

    AppendSeparatorLine(pane);
    AppendReportLine(";" + path + "  END OF FILE", pane);
    AppendSeparatorLine(pane);
    outcome.Ended = RunOutcome::Kind::Completed;
    return 0;
}
