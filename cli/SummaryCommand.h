#pragma once
// strata-report --summary: one row per level file, for a whole archive at once. Each file is walked
// undetailed (mapped, so only the pages holding its count fields are read), on every core, and
// hashed; a level is then walked with every section for the checker's counts of errors and warnings.
// A file that cannot be read, is not a level or faults still gets its row.
#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

inline constexpr std::string_view kSummaryUsage = "strata-report --summary [--format csv|json] FILE|DIR...";

// Whether the arguments ask for a summary.
bool IsSummaryRequest(const std::vector<std::string>& args);

// args excludes the program name. Writes the summary to out, or when outDescriptor is not -1 to that
// descriptor (standard output, with the system's reason when it fails); a usage error goes to err.
// Returns 0 whenever the summary was written, whatever the files held; 2 for wrong arguments; 1 when
// the summary could not be written (or standard output is one of the files).
int RunSummaryCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                      int outDescriptor = -1);

// One file's row.
struct SummaryRow {
    std::string Path;
    int64_t Size = -1;                // -1: unknown (unreadable)
    std::string Version;              // 8 hex digits; empty when unreadable
    int Generation = 0;               // 2 or 3; 0 for none
    std::string Outcome;              // the walk's ending (EndingName), or unreadable
    std::optional<int64_t> EndOffset; // where the walk ended, before the file's start too; none unread
    bool AtFileEnd = false;
    std::vector<std::optional<int32_t>> Counts; // per kSummaryCounts; empty where the walk did not reach
    std::optional<uint64_t> Hash;               // XXH3 64-bit of the whole file
    std::optional<int64_t> Errors, Warnings;    // the checker's findings; none where nothing was checked
};

// The files the paths name, in order: files as given, folders recursed (sorted by name) for the files
// that start with a DM2 or DM3 version word.
std::vector<std::string> SummaryFiles(const std::vector<std::string>& paths);
// Summarises the files on `threads` threads (0: one per core).
std::vector<SummaryRow> Summarise(const std::vector<std::string>& files, unsigned threads = 0);
// The summary text: the header line and the rows.
std::string SummaryText(const std::vector<SummaryRow>& rows, bool json);
