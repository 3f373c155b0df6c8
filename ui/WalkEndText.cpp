#include "ui/WalkEndText.h"

#include "engine/Fault.h"
#include "engine/LevelFile.h"

namespace {

std::string OpenFailureReason(int16_t status) {
    switch (status) {
    case kStatusEmptyOrMissing:
        return "the file is empty or missing";
    case kStatusPathNotFound:
        return "the folder does not exist";
    case kStatusPermissionDenied:
        return "permission denied";
    case kStatusPathAccessError:
        return "not a regular file";
    default:
        return "status " + std::to_string(status);
    }
}

} // namespace

std::string WalkEndText(const RunOutcome& outcome, const std::string& path) {
    const std::string offset = std::to_string(outcome.StopOffset);
    switch (outcome.Ended) {
    case RunOutcome::Kind::None:
        return "";
    case RunOutcome::Kind::OpenFailed:
        return "Could not read " + path + ": " + OpenFailureReason(outcome.Status);
    case RunOutcome::Kind::Faulted:
        if (outcome.Status == kOverflowFault)
            return "Overflow stopped the walk at offset " + offset + "; the report is partial";
        if (outcome.Status == kReportLimitFault)
            return "The report's size limit stopped the walk at offset " + offset +
                   " (the file's counts send the walk over the same bytes again and again); the report is partial";
        return "Fault " + std::to_string(outcome.Status) + " stopped the walk at offset " + offset +
               "; the report is partial";
    case RunOutcome::Kind::Completed:
        break;
    }
    if (!outcome.Walked)
        return "Not a DM2 or DM3 file: nothing walked (" + std::to_string(outcome.FileSize) + " bytes)";
    return "Walk ended at offset " + offset + " of " + std::to_string(outcome.FileSize) + " bytes";
}
