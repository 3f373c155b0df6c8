#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <vector>

#include "bench/BenchExtras.h"
#include "bench/BigLevel.h"

extern char** environ;

namespace {

// The benchmark level cut down to 16 MB: its records whole, 25 of its 64 tiles, cameras each their own.
levelbuilder::Level Level16MB() {
    levelbuilder::Level level = BigLevel(2);
    level.Tiles.Items.resize(25);
    for (size_t i = 0; i < level.Cameras.Items.size(); ++i)
        level.Cameras.Items[i].X = static_cast<int32_t>(i) * 1024;
    return level;
}

struct ChildRun {
    double Ms = -1;
    double CpuMs = 0;
    double PeakMB = 0;
    int Exit = -1;
};

// Starts argv[0] with its standard output into outPath and waits for it. Its rusage is only its own
// when the process that starts it is small: a child spawned from a big process inherits that process's
// peak memory (the peak survives exec), so the benchmark starts itself small to start strata-diff.
ChildRun SpawnAndWait(char** argv, const char* outPath) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outPath, O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ChildRun run;
    pid_t pid;
    const auto start = std::chrono::steady_clock::now();
    const int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0)
        return run;
    int status = 0;
    struct rusage usage {};
    ::wait4(pid, &status, 0, &usage);
    run.Ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    run.CpuMs = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
                static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
    run.PeakMB = static_cast<double>(usage.ru_maxrss) / 1024.0;
    run.Exit = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

// strata-diff a b through a fresh, small strata-bench --measure-child.
ChildRun RunDiff(const std::string& a, const std::string& b, const std::string& outPath) {
    std::error_code ec;
    std::string self = std::filesystem::read_symlink("/proc/self/exe", ec).string();
    std::string mode = "--measure-child", out = outPath, program = STRATA_DIFF_PATH, argA = a, argB = b;
    char* argv[] = {self.data(), mode.data(), out.data(), program.data(), argA.data(), argB.data(), nullptr};
    const std::string figures = outPath + ".figures";
    SpawnAndWait(argv, figures.c_str());
    ChildRun run;
    if (FILE* f = std::fopen(figures.c_str(), "r")) {
        if (std::fscanf(f, "%lf %lf %lf %d", &run.Ms, &run.CpuMs, &run.PeakMB, &run.Exit) != 4)
            run = ChildRun{};
        std::fclose(f);
    }
    return run;
}

} // namespace

int MeasureChild(int argc, char** argv) {
    if (argc < 2)
        return 2;
    const ChildRun run = SpawnAndWait(argv + 1, argv[0]);
    std::printf("%.3f %.3f %.3f %d\n", run.Ms, run.CpuMs, run.PeakMB, run.Exit);
    return 0;
}

void WriteDiffLevels(const std::filesystem::path& folder, std::string& a, std::string& b) {
    levelbuilder::Level level = Level16MB();
    a = (folder / "diff-a.DM2").string();
    b = (folder / "diff-b.DM2").string();
    levelbuilder::WriteFile(a, levelbuilder::Build(level));
    level.Cameras.Items[level.Cameras.Items.size() / 2].X += 1;
    levelbuilder::WriteFile(b, levelbuilder::Build(level));
}

// strata-diff, the whole process, on two 16 MB levels that differ in one field of one camera: the
// median time from start to exit, its CPU time and its peak memory beside the two files' sizes.
void BenchDiff(const BenchContext& context, BenchKeys& keys) {
    std::string a, b;
    WriteDiffLevels(context.Folder, a, b);
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
    const double levelMB = static_cast<double>(std::filesystem::file_size(a)) / (1024.0 * 1024.0);
    keys.emplace_back("diff_16mb_level_mb", levelMB);
    keys.emplace_back("diff_16mb_ms", ms[ms.size() / 2]);
    keys.emplace_back("diff_16mb_cpu_ms", cpu[cpu.size() / 2]);
    keys.emplace_back("diff_peak_mb", peak);
    keys.emplace_back("diff_peak_to_files", peak / (2 * levelMB));
    keys.emplace_back("diff_16mb_exit", exit);
}
