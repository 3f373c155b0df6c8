// Measures the report's size against the level file's size over saved fuzz inputs (files, or every
// file in the folders given), with the report's real size limit, and prints the figures that bound it:
// the largest report, the largest ratios of report to file, the constant K that
// report bytes <= C x file bytes + K needs for C = 33 and C = 64 over the runs the limit did not stop,
// and how far past the limit the stopped runs went.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>
#include <vector>

#include "format/Fault.h"
#include "fuzz/FuzzInput.h"
#include "report/AppState.h"
#include "report/ReportLimit.h"
#include "report/ReportRun.h"

namespace {

struct Measure {
    std::string Name;
    int64_t FileBytes = 0;
    int64_t ReportBytes = 0;
    int16_t Status = 0;
};

struct Scratch {
    std::filesystem::path Folder;
    Scratch() {
        std::string pattern = (std::filesystem::temp_directory_path() / "strata-measure-XXXXXX").string();
        if (::mkdtemp(pattern.data()))
            Folder = pattern;
    }
    ~Scratch() {
        std::error_code ec;
        std::filesystem::remove_all(Folder, ec);
    }
};

Measure Run(const Scratch& scratch, const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    const std::vector<uint8_t> input((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::span<const uint8_t> level = fuzzinput::LevelBytes(input);
    const std::string path = (scratch.Folder / "level").string();
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(level.data()), static_cast<std::streamsize>(level.size()));
    }
    AppState state;
    state.ProgramFolder = scratch.Folder;
    state.TileFolderOverride = scratch.Folder / "tiles";
    fuzzinput::ApplyOptions(state, input);
    Measure m;
    m.Name = file.string();
    m.FileBytes = static_cast<int64_t>(level.size());
    m.Status = ReportLevelFile(state, path);
    m.ReportBytes = static_cast<int64_t>(state.Report.Str().size());
    std::error_code ec;
    std::filesystem::remove_all(scratch.Folder / "tiles", ec);
    return m;
}

} // namespace

int main(int argc, char** argv) {
    Scratch scratch;
    std::vector<Measure> all;
    for (int i = 1; i < argc; ++i) {
        const std::filesystem::path arg = argv[i];
        if (std::filesystem::is_directory(arg)) {
            for (const auto& entry : std::filesystem::recursive_directory_iterator(arg))
                if (entry.is_regular_file())
                    all.push_back(Run(scratch, entry.path()));
        } else {
            all.push_back(Run(scratch, arg));
        }
    }
    if (all.empty()) {
        std::fprintf(stderr, "usage: strata-fuzz-measure FOLDER|FILE...\n");
        return 2;
    }
    int64_t largest = 0, fileBytes = 0, k33 = 0, k64 = 0, limited = 0, pastLimit = 0;
    for (const Measure& m : all) {
        largest = std::max(largest, m.ReportBytes);
        fileBytes = std::max(fileBytes, m.FileBytes);
        if (m.Status == kReportLimitFault) {
            ++limited;
            pastLimit =
                std::max(pastLimit, m.ReportBytes - static_cast<int64_t>(ReportByteLimit(m.FileBytes)));
            continue;
        }
        k33 = std::max(k33, m.ReportBytes - 33 * m.FileBytes);
        k64 = std::max(k64, m.ReportBytes - 64 * m.FileBytes);
    }
    std::sort(all.begin(), all.end(), [](const Measure& a, const Measure& b) {
        return a.ReportBytes * std::max<int64_t>(b.FileBytes, 1) >
               b.ReportBytes * std::max<int64_t>(a.FileBytes, 1);
    });
    std::printf("%zu inputs, files up to %lld bytes, reports up to %lld bytes\n", all.size(),
                static_cast<long long>(fileBytes), static_cast<long long>(largest));
    std::printf("not stopped by the size limit: report <= 33 x file + %lld, report <= 64 x file + %lld\n",
                static_cast<long long>(k33), static_cast<long long>(k64));
    std::printf("stopped by the size limit: %lld, at most %lld bytes past it\nlargest ratios:\n",
                static_cast<long long>(limited), static_cast<long long>(pastLimit));
    for (size_t i = 0; i < std::min<size_t>(all.size(), 8); ++i)
        std::printf("  %10lld / %8lld bytes  status %d  %s\n", static_cast<long long>(all[i].ReportBytes),
                    static_cast<long long>(all[i].FileBytes), all[i].Status, all[i].Name.c_str());
    return 0;
}
