// strata-bench: times the report run, the tile export and (with the windows built) the report pane on
// two big builder-made levels, and compares the report's throughput with xxd's hex dump of the same
// file. Prints one table, or JSON with --json.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "bench/BenchExtras.h"
#include "bench/BenchPane.h"
#include "bench/BenchTiming.h"
#include "bench/BigLevel.h"
#include "format/LevelFile.h"
#include "report/AppState.h"
#include "report/ReportRun.h"
#include "tiles/m_TileEngine.h"

extern char** environ;

namespace {

using Clock = BenchClock;

// Milliseconds of each of `repeats` runs of f, after one warm-up run.
std::vector<double> Time(int repeats, const std::function<void()>& f) {
    f();
    std::vector<double> ms;
    for (int i = 0; i < repeats; ++i) {
        const auto start = Clock::now();
        f();
        ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    return ms;
}

size_t CountLines(const std::string& text) {
    return text.empty() ? 0 : static_cast<size_t>(std::count(text.begin(), text.end(), '\n')) + 1;
}

struct Row {
    std::string Name;
    double Ms = 0;
    double MBps = 0;
    double LinesPerSec = 0;
    std::string Note;
};

// What the program does for one Open with every detail on, in a process of its own so that its peak
// memory is the program's and not the benchmark's: read the level, write the report, export the
// tiles, show the report in the pane. Prints the peak resident size and the report's size in bytes.
int ProgramRun(const std::string& path, const std::filesystem::path& tileFolder) {
    AppState state;
    state.TileFolderOverride = tileFolder;
    SetAllDetails(state.DetailOptions, true);
    ReportLevelFile(state, path);
    if (BenchPaneAvailable())
        BenchShowInPane(state.Report.Str());
    struct rusage usage {};
    ::getrusage(RUSAGE_SELF, &usage);
    std::printf("%ld %zu\n", usage.ru_maxrss, state.Report.Str().size());
    return 0;
}

// Peak memory of ProgramRun on path, in MB, and the report's size; -1 when the run failed.
double ProgramPeakMB(const std::string& path, const std::filesystem::path& tileFolder, size_t* reportBytes) {
    std::error_code ec;
    const std::string self = std::filesystem::read_symlink("/proc/self/exe", ec).string();
    const std::string command = "'" + self + "' --program-run '" + path + "' '" + tileFolder.string() + "'";
    FILE* child = ::popen(command.c_str(), "r");
    if (!child)
        return -1;
    long peakKB = -1;
    if (std::fscanf(child, "%ld %zu", &peakKB, reportBytes) != 2)
        peakKB = -1;
    ::pclose(child);
    return peakKB < 0 ? -1 : static_cast<double>(peakKB) / 1024.0;
}

} // namespace

double RunXxd(const std::string& file, size_t* outputBytes) {
    int pipeFds[2] = {-1, -1};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (outputBytes) {
        if (::pipe(pipeFds) != 0)
            return -1;
        posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 1);
        posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
    } else {
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    }
    std::string prog = "xxd";
    char* argv[] = {prog.data(), const_cast<char*>(file.c_str()), nullptr};
    pid_t pid;
    const auto start = Clock::now();
    const int rc = posix_spawnp(&pid, "xxd", &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0)
        return -1;
    if (outputBytes) {
        ::close(pipeFds[1]);
        *outputBytes = 0;
        char buf[1 << 16];
        ssize_t n;
        while ((n = ::read(pipeFds[0], buf, sizeof buf)) > 0)
            *outputBytes += static_cast<size_t>(n);
        ::close(pipeFds[0]);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? ms : -1;
}

int main(int argc, char** argv) {
    bool json = false;
    int repeats = 7;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--json")
            json = true;
        else if (arg == "--quick")
            repeats = 3;
        else if (arg == "--peak-of" && i + 2 < argc)
            return PeakOf(argv[i + 1], argv + i + 2);
        else if (arg == "--measure-child")
            return MeasureChild(argc - i - 1, argv + i + 1);
        else if (arg == "--program-run" && i + 2 < argc)
            return ProgramRun(argv[i + 1], argv[i + 2]);
        else if (arg == "--view3d-frame" && i + 2 < argc)
            return View3DFrameRun(argv[i + 1], std::atoi(argv[i + 2]));
        else if (arg == "--views-run" && i + 3 < argc)
            return BenchViewsRun(argv[i + 1], argv[i + 2], std::string(argv[i + 3]) == "1");
        else if (arg == "--write-levels" && i + 1 < argc) {
            // Writes the two levels for profiling by hand, and stops.
            const std::filesystem::path out = argv[++i];
            std::filesystem::create_directories(out);
            levelbuilder::WriteFile((out / "big.DM2").string(), levelbuilder::Build(BigLevel(2)));
            levelbuilder::WriteFile((out / "big.DM3").string(), levelbuilder::Build(BigLevel(3)));
            levelbuilder::WriteFile((out / "whole16.DM2").string(), levelbuilder::Build(WholeRunLevel()));
            std::string a, b;
            WriteDiffLevels(out, a, b);
            return 0;
        } else {
            std::fprintf(stderr, "usage: strata-bench [--json] [--quick] [--write-levels DIR]\n");
            return 2;
        }
    }

    std::string pattern = (std::filesystem::temp_directory_path() / "strata-bench-XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
        return 1;
    const std::filesystem::path folder = pattern;

    std::vector<Row> rows;
    double peakToReport = 0;
    double ratioToXxd = 0;
    size_t biggestReport = 0;
    for (int16_t generation : {int16_t{2}, int16_t{3}}) {
        const std::string tag = generation == 2 ? "DM2" : "DM3";
        const auto bytes = levelbuilder::Build(BigLevel(generation));
        const std::string path = (folder / ("big." + tag)).string();
        levelbuilder::WriteFile(path, bytes);
        const double levelMB = static_cast<double>(bytes.size()) / 1e6;

        AppState state;
        state.ProgramFolder = folder;
        state.TileFolderOverride = folder / "tiles";

        SetAllDetails(state.DetailOptions, false);
        const double offMs = Median(Time(repeats * 5, [&] { ReportLevelFile(state, path); }));
        rows.push_back({tag + " report, all options off", offMs,
                        static_cast<double>(state.Report.Str().size()) / 1e3 / offMs,
                        CountLines(state.Report.Str()) * 1e3 / offMs,
                        std::to_string(bytes.size()) + " byte level"});

        SetAllDetails(state.DetailOptions, true);
        state.DetailOptions.Set(optTextureTiles, false); // the export is timed on its own below
        const double onMs = Median(Time(repeats, [&] { ReportLevelFile(state, path); }));
        const std::string& report = state.Report.Str();
        const double reportMBps = static_cast<double>(report.size()) / 1e3 / onMs;
        biggestReport = std::max(biggestReport, report.size());
        rows.push_back({tag + " report, all detail options on", onMs, reportMBps,
                        CountLines(report) * 1e3 / onMs,
                        std::to_string(report.size()) + " report bytes, " +
                            std::to_string(CountLines(report)) + " lines"});

        LevelFile level;
        level.Open(path);
        const double exportMs = Median(Time(repeats, [&] {
            ExportTiles(level.Bytes(), (folder / "tiles").string() + "/", 64, state.Palette8Colours.get(),
                        TileWriter(std::nullopt));
        }));
        rows.push_back({tag + " export of 64 tiles", exportMs, 64.0 * kBmpFileBytes / 1e3 / exportMs, 0,
                        "over the files of the run before"});
        int fresh = 0;
        const double freshMs = Median(Time(repeats, [&] {
            const std::filesystem::path dir = folder / ("fresh-" + tag + "-" + std::to_string(fresh++));
            ExportTiles(level.Bytes(), dir.string() + "/", 64, state.Palette8Colours.get(),
                        TileWriter(std::nullopt));
        }));
        rows.push_back({tag + " export of 64 tiles, new folder", freshMs,
                        64.0 * kBmpFileBytes / 1e3 / freshMs, 0, "folder and files created"});

        size_t xxdBytes = 0;
        if (RunXxd(path, &xxdBytes) >= 0) {
            std::vector<double> xxdMs;
            for (int i = 0; i < 3; ++i)
                xxdMs.push_back(RunXxd(path, nullptr));
            const double ms = Median(xxdMs);
            const double xxdMBps = static_cast<double>(xxdBytes) / 1e3 / ms;
            rows.push_back({tag + " xxd hex dump to /dev/null", ms, xxdMBps, 0,
                            std::to_string(xxdBytes) + " dump bytes"});
            const double ratio = reportMBps / xxdMBps;
            ratioToXxd = ratioToXxd == 0 ? ratio : std::min(ratioToXxd, ratio);
        }

        if (BenchPaneAvailable()) {
            const double paneMs = Median(Time(3, [&] { BenchShowInPane(report); }));
            rows.push_back({tag + " full report shown in the pane", paneMs, 0, 0, "offscreen"});
        }
        (void)levelMB;

        size_t reportBytes = 0;
        const double peakMB = ProgramPeakMB(path, folder / "tiles", &reportBytes);
        if (peakMB > 0 && reportBytes > 0) {
            const double ratio = peakMB * 1024 * 1024 / static_cast<double>(reportBytes);
            peakToReport = std::max(peakToReport, ratio);
            char note[96];
            std::snprintf(note, sizeof note, "%.1f MB, %.2f x the report", peakMB, ratio);
            rows.push_back({tag + " open with all details: peak memory", 0, 0, 0, note});
        }
    }

    BenchContext context{folder, (folder / "big.DM2").string(), (folder / "big.DM3").string(), repeats};
    BenchKeys keys;
    BenchWalkMap(context, keys);
    BenchLevelMap(context, keys);
    BenchDiff(context, keys);
    BenchByteSearch(context, keys);
    BenchScene(context, keys);
    BenchSideBySide(context, keys);
    BenchView3D(context, keys);
    if (BenchPaneAvailable())
        BenchViews(context, keys);
    BenchWholeRuns(context, keys);

    struct rusage usage {};
    ::getrusage(RUSAGE_SELF, &usage);
    const double peakMB = static_cast<double>(usage.ru_maxrss) / 1024.0;
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);

    if (json) {
        std::printf("{\n  \"results\": [\n");
        for (size_t i = 0; i < rows.size(); ++i)
            std::printf(
                "    {\"name\": \"%s\", \"median_ms\": %.3f, \"mb_per_s\": %.1f, \"lines_per_s\": %.0f}%s\n",
                rows[i].Name.c_str(), rows[i].Ms, rows[i].MBps, rows[i].LinesPerSec,
                i + 1 < rows.size() ? "," : "");
        std::printf("  ],\n");
        for (const auto& [key, value] : keys)
            std::printf("  \"%s\": %.3f,\n", key.c_str(), value);
        std::printf("  \"ratio_to_xxd\": %.2f,\n  \"program_peak_to_report\": %.2f,\n"
                    "  \"bench_peak_rss_mb\": %.1f,\n  \"largest_report_mb\": %.1f\n}\n",
                    ratioToXxd, peakToReport, peakMB, static_cast<double>(biggestReport) / 1e6);
        return 0;
    }
    std::printf("%-40s %12s %10s %14s  %s\n", "measure (median)", "ms", "MB/s", "lines/s", "note");
    const auto cell = [](double v, const char* format) {
        char text[32] = "";
        if (v > 0)
            std::snprintf(text, sizeof text, format, v);
        return std::string(text);
    };
    for (const Row& r : rows)
        std::printf("%-40s %12s %10s %14s  %s\n", r.Name.c_str(), cell(r.Ms, "%.2f").c_str(),
                    cell(r.MBps, "%.1f").c_str(), cell(r.LinesPerSec, "%.0f").c_str(), r.Note.c_str());
    for (const auto& [key, value] : keys)
        std::printf("%-40s %12.3f\n", key.c_str(), value);
    std::printf("\nfull-detail report throughput / xxd output throughput: %.2f (the lower of DM2 and DM3)\n",
                ratioToXxd);
    std::printf("program's peak memory / report size: %.2f (the higher of DM2 and DM3)\n", peakToReport);
    std::printf("benchmark's own peak memory: %.1f MB (largest report %.1f MB)\n", peakMB,
                static_cast<double>(biggestReport) / 1e6);
    return 0;
}
