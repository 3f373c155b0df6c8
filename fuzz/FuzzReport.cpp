// Fuzz target: the report run over arbitrary bytes as a level file, with the detail options taken from
// the input and the tile export into a temporary folder. Links either libFuzzer or the replay main.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

#include "engine/AppState.h"
#include "engine/ReportRun.h"

namespace {

struct Workspace {
    std::filesystem::path Folder;
    std::string LevelPath;
    Workspace() {
        std::string pattern = (std::filesystem::temp_directory_path() / "strata-fuzz-XXXXXX").string();
        if (!::mkdtemp(pattern.data()))
            std::abort();
        Folder = pattern;
        LevelPath = (Folder / "level.dm2").string();
    }
    ~Workspace() {
        std::error_code ec;
        std::filesystem::remove_all(Folder, ec);
    }
};

// An input is six option bytes followed by the level file. The first byte picks the option set: none,
// all, or mixed from the bits of the next five.
constexpr size_t kOptionBytes = 6;

void ApplyOptions(AppState& state, const uint8_t* data, size_t size) {
    const uint8_t mode = size > 0 ? data[0] % 3 : 0;
    for (int i = 0; i < kDetailOptionCount; ++i) {
        bool on = mode == 1;
        if (mode == 2) {
            const size_t byte = 1 + static_cast<size_t>(i / 8);
            on = byte < size && ((data[byte] >> (i % 8)) & 1) != 0;
        }
        state.DetailOptions.Set(i, on);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Workspace workspace;
    {
        std::ofstream out(workspace.LevelPath, std::ios::binary | std::ios::trunc);
        if (size > kOptionBytes)
            out.write(reinterpret_cast<const char*>(data + kOptionBytes),
                      static_cast<std::streamsize>(size - kOptionBytes));
    }
    AppState state;
    state.ProgramFolder = workspace.Folder;
    state.TileFolderOverride = workspace.Folder / "TileCollection";
    ApplyOptions(state, data, size);
    const int16_t status = ReportLevelFile(state, workspace.LevelPath);
    // What the run promises whatever the bytes: a known status, and a report that never ends in a break.
    if (status != 0 && status != 6 && status != 99)
        std::abort();
    const std::string& text = state.Report.Str();
    if (!text.empty() && text.back() == '\n')
        std::abort();
    return 0;
}
