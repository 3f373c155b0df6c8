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
// strata-diff on two 16 MB levels that differ in one field: whole-process time and peak memory.
void BenchDiff(const BenchContext& context, BenchKeys& keys);
// The two 16 MB levels, written into folder for profiling by hand.
void WriteDiffLevels(const std::filesystem::path& folder, std::string& a, std::string& b);
// strata-bench --measure-child OUT PROGRAM ARGS...: runs the program with its output into OUT and
// prints its wall and CPU milliseconds, its peak memory in MB and its exit status.
int MeasureChild(int argc, char** argv);

// The structure views (outline, hex view, strata bar) in the main window, offscreen: selection
// round trips, painting, the outline's build and the memory they add. Measured when the windows are
// built; nothing otherwise.
void BenchViews(const BenchContext& context, BenchKeys& keys);
// The child process of that memory figure: one full-detail open, with or without the views.
int BenchViewsRun(const std::string& path, const std::string& folder, bool views);
