#include <algorithm>
#include <chrono>
#include <fcntl.h>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <vector>

#include "bench/BenchExtras.h"
#include "bench/BigLevel.h"

extern char** environ;

namespace {

// The benchmark level cut down to 16 MB: its records whole, 25 of its 64 tiles.
levelbuilder::Level Level16MB() {
    levelbuilder::Level level = BigLevel(2);
    level.Tiles.Items.resize(25);
    for (size_t i = 0; i < level.Cameras.Items.size(); ++i)
        level.Cameras.Items[i].X = static_cast<int32_t>(i) * 1024;
    return level;
}

struct ChildRun {
    double Ms = -1;
    double PeakMB = 0;
    double CpuMs = 0;
    int Exit = -1;
};

// Runs strata-diff on a and b, its output into outPath, and takes its time and peak memory.
ChildRun RunDiff(const std::string& a, const std::string& b, const std::string& outPath) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    std::string program = STRATA_DIFF_PATH;
    std::string argA = a, argB = b;
    char* argv[] = {program.data(), argA.data(), argB.data(), nullptr};
    ChildRun run;
    pid_t pid;
    const auto start = std::chrono::steady_clock::now();
    const int rc = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0)
        return run;
    int status = 0;
    struct rusage usage {};
    ::wait4(pid, &status, 0, &usage);
    run.Ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    run.PeakMB = static_cast<double>(usage.ru_maxrss) / 1024.0;
    run.CpuMs = (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
                (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
    run.Exit = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

} // namespace

// strata-diff, the whole process, on two 16 MB levels that differ in one field of one camera: the
// median time from start to exit, its CPU time and its peak memory beside the two files' sizes.
void BenchDiff(const BenchContext& context, BenchKeys& keys) {
    levelbuilder::Level level = Level16MB();
    const auto bytesA = levelbuilder::Build(level);
    level.Cameras.Items[level.Cameras.Items.size() / 2].X += 1;
    const auto bytesB = levelbuilder::Build(level);
    const std::string a = (context.Folder / "diff-a.DM2").string();
    const std::string b = (context.Folder / "diff-b.DM2").string();
    levelbuilder::WriteFile(a, bytesA);
    levelbuilder::WriteFile(b, bytesB);
    const std::string out = (context.Folder / "diff.txt").string();

    RunDiff(a, b, out); // warm-up: the files into the page cache
    std::vector<double> ms, cpu;
    double peak = 0;
    int exit = -1;
    for (int i = 0; i < context.Repeats; ++i) {
        const ChildRun run = RunDiff(a, b, out);
        ms.push_back(run.Ms);
        cpu.push_back(run.CpuMs);
        peak = std::max(peak, run.PeakMB);
        exit = run.Exit;
    }
    std::sort(ms.begin(), ms.end());
    std::sort(cpu.begin(), cpu.end());
    keys.emplace_back("diff_16mb_level_mb", static_cast<double>(bytesA.size()) / (1024.0 * 1024.0));
    keys.emplace_back("diff_16mb_ms", ms[ms.size() / 2]);
    keys.emplace_back("diff_16mb_cpu_ms", cpu[cpu.size() / 2]);
    keys.emplace_back("diff_peak_mb", peak);
    keys.emplace_back("diff_16mb_exit", exit);
}
