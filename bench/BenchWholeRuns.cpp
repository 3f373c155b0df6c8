// Whole-process figures: strata-report started as a child process, as a user runs it, timed beside xxd
// and cat on the same 16 MB level in the same run, its output read through a pipe. Each figure is the
// median of pairs run in turn (report, yardstick, report, ...), so a change in the machine's speed
// during the run moves both sides of a pair alike. And the summary over 200 links to that level.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "bench/BenchExtras.h"
#include "bench/BigLevel.h"

extern char** environ;

namespace {

struct ChildRun {
    double Ms = -1; // wall time from the start to the exit, -1 when it failed to start or run
};

// Starts argv with its standard output on a pipe that this process reads and throws away, as a shell
// pipeline into cat would, and waits for it. An exit status above worstExit is a failed run (strata-check
// exits 1 for the errors it finds, which is a run like any other).
ChildRun RunChild(const std::vector<std::string>& argv, int worstExit = 0) {
    int fds[2];
    if (::pipe(fds) != 0)
        return {};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    posix_spawn_file_actions_addclose(&actions, fds[1]);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    std::vector<char*> args;
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    pid_t pid = 0;
    const auto start = std::chrono::steady_clock::now();
    const int rc = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(fds[1]);
    if (rc != 0) {
        ::close(fds[0]);
        return {};
    }
    static char sinkBuffer[1 << 16];
    while (::read(fds[0], sinkBuffer, sizeof sinkBuffer) > 0) {
    }
    ::close(fds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    if (!WIFEXITED(status) || WEXITSTATUS(status) > worstExit)
        return {};
    return {ms};
}

double Median(std::vector<double> v) {
    if (v.empty())
        return -1;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// The peak memory of a command, in MB, -1 when it failed. A child's peak as the system counts it
// includes the memory of the process it was started from, so the command is started from a fresh
// small process (this program again, with --peak-of) rather than from the benchmark with its levels.
double PeakMB(const std::vector<std::string>& argv, const std::filesystem::path& scratch, int worstExit = 0) {
    std::error_code ec;
    const std::string self = std::filesystem::read_symlink("/proc/self/exe", ec).string();
    const std::string file = (scratch / "peak.txt").string();
    std::vector<std::string> helper{self, "--peak-of", file};
    helper.insert(helper.end(), argv.begin(), argv.end());
    if (RunChild(helper).Ms < 0)
        return -1;
    FILE* in = std::fopen(file.c_str(), "r");
    long kb = -1;
    int exit = -1;
    if (!in || std::fscanf(in, "%ld %d", &kb, &exit) != 2 || exit < 0 || exit > worstExit)
        kb = -1;
    if (in)
        std::fclose(in);
    return kb < 0 ? -1 : static_cast<double>(kb) / 1024.0;
}

struct Paired {
    double Ms = -1, YardstickMs = -1, Ratio = -1;
};

// Runs a and b in turn, after one warm-up of each; medians of each side and of the pairs' ratios.
Paired RunPairs(const std::vector<std::string>& a, const std::vector<std::string>& b, int pairs,
                int aWorstExit = 0) {
    RunChild(a, aWorstExit);
    RunChild(b);
    std::vector<double> aMs, bMs, ratios;
    for (int i = 0; i < pairs; ++i) {
        const ChildRun x = RunChild(a, aWorstExit);
        const ChildRun y = RunChild(b);
        if (x.Ms < 0 || y.Ms < 0)
            return {};
        aMs.push_back(x.Ms);
        bMs.push_back(y.Ms);
        ratios.push_back(x.Ms / y.Ms);
    }
    return {Median(aMs), Median(bMs), Median(ratios)};
}

// strata-check walks every section as the full-detail report does but formats no report: timed in pairs
// with that report's run on the same level (its exit 1, errors found, is a run like exit 0).
void BenchChecker(const std::string& level, const std::vector<std::string>& fullReport, int pairs,
                  const std::filesystem::path& scratch, BenchKeys& keys) {
    const std::string checker = STRATA_CHECK_PATH;
    std::error_code ec;
    if (!std::filesystem::exists(checker, ec))
        return;
    const Paired check = RunPairs({checker, level}, fullReport, pairs, 1);
    if (check.Ms <= 0)
        return;
    keys.emplace_back("check_16mb_ms", check.Ms);
    keys.emplace_back("check_to_report_full", check.Ratio);
    keys.emplace_back("check_peak_mb", PeakMB({checker, level}, scratch, 1));
}

// strata-export writing the level as one .glb: the whole process, its throughput over the level's bytes
// and its peak memory (the target: at most three times the level's size).
void BenchExport(const std::string& level, double levelMB, int pairs, const std::filesystem::path& scratch,
                 BenchKeys& keys) {
    const std::string exporter = STRATA_EXPORT_PATH;
    std::error_code ec;
    if (!std::filesystem::exists(exporter, ec))
        return;
    const std::vector<std::string> run{exporter, "-o", (scratch / "whole16.glb").string(), level};
    RunChild(run);
    std::vector<double> ms;
    for (int i = 0; i < pairs; ++i)
        ms.push_back(RunChild(run).Ms);
    if (*std::min_element(ms.begin(), ms.end()) <= 0)
        return;
    const double median = Median(ms);
    keys.emplace_back("export_16mb_ms", median);
    keys.emplace_back("export_glb_mb_per_s", levelMB / (median / 1000.0));
    const double peak = PeakMB(run, scratch);
    keys.emplace_back("export_peak_mb", peak);
    keys.emplace_back("export_peak_to_level", peak / levelMB);
}

} // namespace

int PeakOf(const char* file, char** argv) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::execvp(argv[0], argv);
        ::_exit(127);
    }
    int status = 0;
    struct rusage usage {};
    if (pid < 0 || ::wait4(pid, &status, 0, &usage) < 0 || !WIFEXITED(status))
        return 1;
    FILE* out = std::fopen(file, "w");
    if (!out)
        return 1;
    // The exit status beside the peak: the caller decides which statuses are a run.
    std::fprintf(out, "%ld %d\n", usage.ru_maxrss, WEXITSTATUS(status));
    return std::fclose(out) == 0 ? 0 : 1;
}

void BenchWholeRuns(const BenchContext& context, BenchKeys& keys) {
    const std::string report = STRATA_REPORT_PATH;
    std::error_code ec;
    if (!std::filesystem::exists(report, ec))
        return;
    const std::string level = (context.Folder / "whole16.DM2").string();
    const std::vector<uint8_t> bytes = levelbuilder::Build(WholeRunLevel());
    if (!levelbuilder::WriteFile(level, bytes))
        return;
    // Every section but the tile export, which writes files rather than text.
    std::string sections = "0";
    for (int i = 2; i <= 36; ++i)
        sections.append(",").append(std::to_string(i));
    const int pairs = std::max(5, context.Repeats);

    keys.emplace_back("whole_run_level_mb", static_cast<double>(bytes.size()) / 1e6);
    const Paired full = RunPairs({report, "--details", sections, level}, {"xxd", level}, pairs);
    if (full.Ms > 0) {
        keys.emplace_back("report_full_ms", full.Ms);
        keys.emplace_back("xxd_ms", full.YardstickMs);
        keys.emplace_back("report_full_to_xxd", full.Ratio);
        keys.emplace_back("report_full_peak_mb",
                          PeakMB({report, "--details", sections, level}, context.Folder));
    }
    // The JSON document of every section, streamed as the text is.
    const std::vector<std::string> json{report, "--format", "json", "--details", sections, level};
    const Paired document = RunPairs(json, {"xxd", level}, pairs);
    if (document.Ms > 0) {
        keys.emplace_back("json_full_ms", document.Ms);
        keys.emplace_back("json_full_to_xxd", document.Ratio);
        keys.emplace_back("json_peak_mb", PeakMB(json, context.Folder));
    }
    BenchChecker(level, {report, "--details", sections, level}, pairs, context.Folder, keys);
    BenchExport(level, static_cast<double>(bytes.size()) / (1024.0 * 1024.0), pairs, context.Folder, keys);
    const Paired plain = RunPairs({report, level}, {"cat", level}, pairs);
    if (plain.Ms > 0) {
        keys.emplace_back("report_undetailed_ms", plain.Ms);
        keys.emplace_back("cat_ms", plain.YardstickMs);
        keys.emplace_back("report_undetailed_to_cat", plain.Ratio);
        keys.emplace_back("report_undetailed_peak_mb", PeakMB({report, level}, context.Folder));
    }

    const std::filesystem::path links = context.Folder / "links";
    std::filesystem::create_directories(links, ec);
    for (int i = 0; i < 200; ++i)
        std::filesystem::create_symlink(level, links / ("level" + std::to_string(i) + ".DM2"), ec);
    std::vector<double> summaryMs;
    RunChild({report, "--summary", links.string()});
    for (int i = 0; i < pairs; ++i)
        summaryMs.push_back(RunChild({report, "--summary", links.string()}).Ms);
    if (*std::min_element(summaryMs.begin(), summaryMs.end()) > 0)
        keys.emplace_back("summary_200_links_ms", Median(summaryMs));
    // Ten distinct copies: each file walked and hashed on its own.
    const std::filesystem::path copies = context.Folder / "copies";
    std::filesystem::create_directories(copies, ec);
    for (int i = 0; i < 10; ++i) {
        std::vector<uint8_t> copy = bytes;
        if (copy.empty())
            break;
        copy.back() = static_cast<uint8_t>(i);
        levelbuilder::WriteFile((copies / ("level" + std::to_string(i) + ".DM2")).string(), copy);
    }
    std::vector<double> copiesMs;
    RunChild({report, "--summary", copies.string()});
    for (int i = 0; i < pairs; ++i)
        copiesMs.push_back(RunChild({report, "--summary", copies.string()}).Ms);
    if (*std::min_element(copiesMs.begin(), copiesMs.end()) > 0)
        keys.emplace_back("summary_10_distinct_ms", Median(copiesMs));
}
