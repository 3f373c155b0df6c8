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
// The level map over the 300-room level: its build, one frame painted offscreen at 1600 x 1000 fitted
// to the window (map_paint_ms), and the room and sector under a point (map_pick_ms). Adds nothing
// when the windows are not built.
void BenchLevelMap(const BenchContext& context, BenchKeys& keys);
// strata-diff on two 16 MB levels that differ in one field: whole-process time and peak memory.
void BenchDiff(const BenchContext& context, BenchKeys& keys);
// The two 16 MB levels, written into folder for profiling by hand.
void WriteDiffLevels(const std::filesystem::path& folder, std::string& a, std::string& b);
// strata-bench --measure-child OUT PROGRAM ARGS...: runs the program with its output into OUT and
// prints its wall and CPU milliseconds, its peak memory in MB and its exit status.
int MeasureChild(int argc, char** argv);

// The compared level's hex pane beside the hex view on the 16 MB level: one page scrolled, both panes
// painted, lined up through the alignment (side_by_side_scroll_ms). Nothing without the windows.
void BenchSideBySide(const BenchContext& context, BenchKeys& keys);

// The byte search on the 16 MB level: a wildcard pattern counted over the whole file (hex_search_ms).
void BenchByteSearch(const BenchContext& context, BenchKeys& keys);

// The 3D scene of the 300-room DM2 level: scene_build_ms (BuildScene on its walked map), scene_rooms_ms
// (room by room), scene_walk_ms (WalkForScene), scene_triangles and scene_mb.
void BenchScene(const BenchContext& context, BenchKeys& keys);

// The 3D view over the 300-room DM2 level at 1600 x 1000, every room drawn: view3d_frame_ms (one frame on
// OpenGL, in a child under Xvfb where this process has none) and view3d_pick_ms (the face under a pixel).
// Nothing without the windows.
void BenchView3D(const BenchContext& context, BenchKeys& keys);
// strata-bench --view3d-frame LEVEL REPEATS: prints the median frame's milliseconds (the child above).
int View3DFrameRun(const std::string& path, int repeats);

// The structure views (outline, hex view, strata bar) in the main window, offscreen: selection
// round trips, painting, the outline's build and the memory they add. Measured when the windows are
// built; nothing otherwise.
void BenchViews(const BenchContext& context, BenchKeys& keys);
// The child process of that memory figure: one full-detail open, with or without the views.
int BenchViewsRun(const std::string& path, const std::string& folder, bool views);

// Whole processes: strata-report timed as a child beside xxd and cat on a 16 MB level (report_full_to_xxd,
// report_undetailed_to_cat, report_full_peak_mb), its JSON of every section (json_full_ms, json_peak_mb),
// its summary over 200 links (summary_200_links_ms), and strata-check on the same level beside the
// full-detail report (check_16mb_ms, check_to_report_full, check_peak_mb), and strata-export writing it
// as a .glb (export_16mb_ms, export_glb_mb_per_s, export_peak_mb, export_peak_to_level).
void BenchWholeRuns(const BenchContext& context, BenchKeys& keys);
// Runs argv as a child of this small process and writes its peak memory in KB and its exit status into
// file (--peak-of).
int PeakOf(const char* file, char** argv);
