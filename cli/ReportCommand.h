#pragma once
// strata-report: the report of one level file on standard output or into a file, byte for byte the
// text the window's pane would hold after the same run.
#include <filesystem>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "report/AppState.h"

inline constexpr std::string_view kReportUsage =
    "strata-report [--all | --details LIST] [--tile-dir DIR] [--format text|json] [-o FILE] LEVEL_FILE";

enum ReportExit : int {
    kExitCompleted = 0,  // the run completed
    kExitUnreadable = 1, // the level file could not be read, or the report could not be written
    kExitUsage = 2,      // the arguments were wrong
    kExitOverflow = 3,   // an overflow or the report's size limit ended the walk part-way; the lines so
                         // far were written
    kExitDoubtful = 4,   // the run completed, but the file is not a DM2 or DM3 level or the walk did not
                         // end at the file's end
};

struct ReportRequest {
    bool AllDetails = false;
    std::vector<int> Details;    // option indices 0..36 to turn on
    std::string TileDir;         // empty: the TileCollection folder beside the program
    std::string OutputPath;      // empty: standard output
    std::string Format = "text"; // "text" or "json"
    std::string LevelPath;       // "-": standard input
    bool ListOptions = false;
    int OutputDescriptor = -1; // standard output as a descriptor, written directly; -1: the stream out
};

struct ParsedArguments {
    std::optional<ReportRequest> Request; // absent when the parse already decided the exit
    int Exit = kExitCompleted;
};

// args excludes the program name. --help and --version print to out; a usage error prints a one-line
// message and the usage to err.
ParsedArguments ParseReportArguments(const std::vector<std::string>& args, std::ostream& out,
                                     std::ostream& err);

// Sets the options of the request on state, runs the report and writes it. Returns the exit code.
int RunReportRequest(const ReportRequest& request, AppState& state, std::ostream& out, std::ostream& err);

// Both of the above: the whole command. outDescriptor as in ReportRequest.
int RunReportCommand(const std::vector<std::string>& args, const std::filesystem::path& programFolder,
                     std::ostream& out, std::ostream& err, int outDescriptor = -1);

// The indices of a --details LIST ("0-5, 12"), or what is wrong with it.
std::string ParseDetailList(const std::string& text, std::vector<int>* out);
