#pragma once
// Measures beyond the report run, each in a file of its own, reported as top-level keys of the
// benchmark's JSON (and lines under its table).
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

struct BenchContext {
    std::filesystem::path Folder; // a scratch folder, removed afterwards
    std::string BigDM2;           // the full-detail DM2 benchmark level
    std::string BigDM3;
    int Repeats = 7;
};
using BenchKeys = std::vector<std::pair<std::string, double>>;

// The walk map: its memory beside the full-detail report, and the JSON writer's throughput.
void BenchWalkMap(const BenchContext& context, BenchKeys& keys);

// Whole processes: strata-report timed as a child beside xxd and cat on a 16 MB level (report_full_to_xxd,
// report_undetailed_to_cat, report_full_peak_mb), and its summary over 200 links (summary_200_links_ms).
void BenchWholeRuns(const BenchContext& context, BenchKeys& keys);
// Runs argv as a child of this small process and writes its peak memory in KB into file (--peak-of).
int PeakOf(const char* file, char** argv);
