// Fuzz target: the report run over arbitrary bytes as a level file, with the detail options taken from
// the input and the tile export into a temporary folder. Links either libFuzzer or the replay main.
//
// Besides "no crash, no hang", every run checks what the program promises whatever the bytes: a known
// status, a report that never ends in a line break and stays within its size limit, a level file left
// as it was, and nothing in the tile folder but Tile_n.bmp files of tiles that start inside the file.
// The JSON document of the same run is written too: one balanced document whenever a level was read.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <unistd.h>
#include <vector>

#include "engine/AppState.h"
#include "engine/Fault.h"
#include "engine/JsonReport.h"
#include "engine/ReportLimit.h"
#include "engine/ReportRun.h"
#include "fuzz/FuzzInput.h"

namespace {

// The fixed part of the report's size limit in these runs: small, so that an input that sends the
// walk over the same bytes again and again meets the limit in milliseconds instead of seconds.
constexpr int64_t kFuzzReportFixedBytes = int64_t{4} << 20;
// Longer than any single report line: the walk stops after the line that crosses the limit.
constexpr size_t kLongestLine = 4096;

struct Workspace {
    std::filesystem::path Folder;
    std::filesystem::path Tiles;
    std::string LevelPath;
    Workspace() {
        std::string pattern = (std::filesystem::temp_directory_path() / "strata-fuzz-XXXXXX").string();
        if (!::mkdtemp(pattern.data()))
            std::abort();
        Folder = pattern;
        Tiles = Folder / "TileCollection";
        LevelPath = (Folder / "level.dm2").string();
    }
    ~Workspace() {
        std::error_code ec;
        std::filesystem::remove_all(Folder, ec);
    }
};

void Check(bool promise) {
    if (!promise)
        std::abort();
}

std::vector<uint8_t> FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// Only Tile_n.bmp files, n from 1, each of a tile that starts inside the level file, each whole.
void CheckTileFolder(const std::filesystem::path& tiles, size_t levelBytes) {
    std::error_code ec;
    if (!std::filesystem::exists(tiles, ec))
        return;
    for (const auto& entry : std::filesystem::directory_iterator(tiles, ec)) {
        const std::string name = entry.path().filename().string();
        Check(entry.is_regular_file() && name.starts_with("Tile_") && name.ends_with(".bmp"));
        const long n = std::strtol(name.c_str() + 5, nullptr, 10);
        Check(n >= 1 && 1800 + int64_t{65536} * (n - 1) < static_cast<int64_t>(levelBytes));
        Check(entry.file_size() == 66614);
    }
    // Tiles of one input must not be taken for another's.
    std::filesystem::remove_all(tiles, ec);
}

// Brackets and braces pair up outside strings, strings close, and the document is one object.
bool BalancedJson(std::string_view text) {
    std::vector<char> open;
    bool inString = false;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (inString) {
            if (c == '\\')
                ++i;
            else if (c == '"')
                inString = false;
            else if (static_cast<unsigned char>(c) < 0x20)
                return false;
            continue;
        }
        if (c == '"') {
            inString = true;
        } else if (c == '{' || c == '[') {
            open.push_back(c == '{' ? '}' : ']');
        } else if (c == '}' || c == ']') {
            if (open.empty() || open.back() != c)
                return false;
            open.pop_back();
            if (open.empty() && text.substr(i + 1) != "\n")
                return false;
        }
    }
    return !inString && open.empty() && text.starts_with('{');
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Workspace workspace;
    const std::span<const uint8_t> input(data, size);
    const std::span<const uint8_t> level = fuzzinput::LevelBytes(input);
    {
        std::ofstream out(workspace.LevelPath, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(level.data()), static_cast<std::streamsize>(level.size()));
    }
    std::error_code ec;
    const auto modified = std::filesystem::last_write_time(workspace.LevelPath, ec);

    AppState state;
    state.ProgramFolder = workspace.Folder;
    state.TileFolderOverride = workspace.Tiles;
    state.ReportFixedBytes = kFuzzReportFixedBytes;
    fuzzinput::ApplyOptions(state, input);
    const int16_t status = ReportLevelFile(state, workspace.LevelPath);

    Check(status == 0 || status == kOverflowFault || status == kReportLimitFault || status == 99);
    const std::string& text = state.Report.Str();
    Check(text.empty() || text.back() != '\n');
    Check(text.size() <=
          ReportByteLimit(static_cast<int64_t>(level.size()), kFuzzReportFixedBytes) + kLongestLine);
    Check(level.empty() || status == 99 || text.starts_with(";-"));
    Check(std::filesystem::last_write_time(workspace.LevelPath, ec) == modified);
    Check(FileBytes(workspace.LevelPath) == std::vector<uint8_t>(level.begin(), level.end()));
    CheckTileFolder(workspace.Tiles, level.size());
    const std::string json = JsonReport(state);
    Check(status == 99 ? json.empty() : BalancedJson(json));
    return 0;
}
