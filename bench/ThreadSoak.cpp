// strata-thread-soak: the threaded paths run many times over, for a build with ThreadSanitizer
// (scripts/tsan-soak.sh). Full reports (every detail option) of builder-made levels, whole, cut short
// and with a count that faults, streamed with 2 and 8 threads, each compared with the serial text; and
// summaries of a folder of levels on 8 threads, each compared with the serial summary. Prints the
// counts and exits 1 on any difference; the sanitizer reports races itself.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "cli/SummaryCommand.h"
#include "report/AppState.h"
#include "report/StreamedReport.h"
#include "tools/LevelBuilder.h"

namespace fs = std::filesystem;
using namespace levelbuilder;

namespace {

struct TextSink final : ReportSink {
    std::string Text;
    void Write(std::string_view block) override { Text.append(block); }
};

std::string Write(const fs::path& path, const std::vector<uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return path.string();
}

// Long runs, so that each report is cut into many pieces.
Level LongLists(int16_t generation) {
    Level level = FilledLevel(generation);
    level.Tiles.Items.resize(1);
    level.FloorData.Items.assign(30000, 0x8104);
    level.Frames.Items.assign(40000, 3);
    level.Overlaps.Items.assign(9000, 0x8001);
    return level;
}

std::string Report(const std::string& path, const fs::path& tiles, unsigned threads) {
    AppState state;
    SetAllDetails(state.DetailOptions, true);
    state.TileFolderOverride = tiles;
    TextSink sink;
    StreamLevelReport(state, path, sink, threads);
    return sink.Text;
}

} // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 40;
    char name[] = "/tmp/strata-soak-XXXXXX";
    if (!::mkdtemp(name))
        return 2;
    const fs::path dir = name;
    const fs::path tiles = dir / "tiles";
    fs::create_directory(tiles);

    std::vector<std::string> levels;
    for (int16_t generation : {int16_t{2}, int16_t{3}}) {
        const std::string tag = std::to_string(generation);
        Layout at;
        const std::vector<uint8_t> bytes = Build(LongLists(generation), at);
        levels.push_back(Write(dir / ("long." + tag), bytes));
        levels.push_back(Write(dir / ("cut." + tag),
                               std::vector<uint8_t>(bytes.begin(), bytes.begin() + at.Frames + 20001)));
        std::vector<uint8_t> faulting = bytes;
        faulting[static_cast<size_t>(at.Overlaps) + 3] = 0x7F; // a count whose byte figure overflows
        levels.push_back(Write(dir / ("fault." + tag), faulting));
    }

    int reports = 0, summaries = 0, differences = 0;
    for (const std::string& level : levels) {
        const std::string serial = Report(level, tiles, 1);
        for (int round = 0; round < rounds; ++round)
            for (unsigned threads : {2u, 8u}) {
                differences += Report(level, tiles, threads) != serial;
                ++reports;
            }
    }

    std::vector<std::string> files = levels;
    for (int i = 0; i < 16; ++i) {
        Level level = FilledLevel(i % 2 == 0 ? 2 : 3);
        level.Tiles.Items.resize(1);
        level.Cameras.Items.resize(static_cast<size_t>(i));
        files.push_back(Write(dir / ("level" + std::to_string(i)), Build(level)));
    }
    const std::string serial = SummaryText(Summarise(files, 1), false);
    for (int round = 0; round < 2 * rounds; ++round) {
        differences += SummaryText(Summarise(files, 8), false) != serial;
        ++summaries;
    }
    fs::remove_all(dir);
    std::printf("%d reports (2 and 8 threads), %d summaries (8 threads), %d differing from the serial text\n",
                reports, summaries, differences);
    return differences == 0 ? 0 : 1;
}
