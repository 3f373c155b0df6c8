// Fuzz target: the report run over arbitrary bytes as a level file, with the detail options taken from
// the input and the tile export into a temporary folder. Links either libFuzzer or the replay main.
//
// Besides "no crash, no hang", every run checks what the program promises whatever the bytes: a known
// status, a report that never ends in a line break and stays within its size limit, a level file left
// as it was, and nothing in the tile folder but Tile_n.bmp files of tiles that start inside the file.
// The same report streamed as strata-report writes it, its listed runs formatted by 2 or 3 threads,
// must be the same text byte for byte. And the JSON document is written as --format json writes it,
// under the real size limit: one balanced document, its size within the limit and a span, handed on
// in blocks, with the memory the run holds at most the level's size + 16 MiB at every block.
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

#include "format/Fault.h"
#include "fuzz/FuzzInput.h"
#include "report/AppState.h"
#include "report/JsonReport.h"
#include "report/ReportLimit.h"
#include "report/ReportRun.h"
#include "report/StreamedReport.h"

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define STRATA_FUZZ_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define STRATA_FUZZ_SANITIZED 1
#endif
#endif

#if defined(STRATA_FUZZ_SANITIZED)
// The sanitizer runtime's count of the bytes its allocator holds for the program.
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#elif defined(__GLIBC__)
#include <malloc.h>
#endif

namespace {

// The fixed part of the report's size limit in these runs: small, so that an input that sends the
// walk over the same bytes again and again meets the limit in milliseconds instead of seconds.
constexpr int64_t kFuzzReportFixedBytes = int64_t{4} << 20;
// Longer than any single report line: the walk stops after the line that crosses the limit.
constexpr size_t kLongestLine = 4096;
// Inputs up to this size have their serial report held in the pane, as the window holds it.
constexpr size_t kHeldReportInputBytes = size_t{1} << 20;
// More than the document of any one span, a run of 32767 records of the widest kind: the JSON walk
// stops after the span whose document crossed the limit.
constexpr size_t kJsonSpanBytes = size_t{32} << 20;

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

// Brackets and braces pair up outside strings, strings close, no control byte stands in a string, and
// the document is one object with a line break behind it. Fed block by block.
class JsonShape {
  public:
    void Feed(std::string_view block) {
        for (const char c : block) {
            if (broken_)
                return;
            if (closed_) {
                broken_ = c != '\n' || newline_;
                newline_ = true;
            } else if (inString_) {
                if (escaped_)
                    escaped_ = false;
                else if (c == '\\')
                    escaped_ = true;
                else if (c == '"')
                    inString_ = false;
                else if (static_cast<unsigned char>(c) < 0x20)
                    broken_ = true;
            } else if (c == '"') {
                inString_ = true;
            } else if (c == '{' || c == '[') {
                broken_ = open_.empty() && (started_ || c != '{');
                started_ = true;
                open_.push_back(c == '{' ? '}' : ']');
            } else if (c == '}' || c == ']') {
                broken_ = open_.empty() || open_.back() != c;
                if (!broken_)
                    open_.pop_back();
                closed_ = open_.empty();
            } else {
                broken_ = !started_;
            }
        }
    }
    bool Whole() const { return !broken_ && closed_ && newline_; }

  private:
    std::vector<char> open_;
    bool started_ = false, inString_ = false, escaped_ = false, closed_ = false, newline_ = false,
         broken_ = false;
};

// Bytes the allocator has handed out and not taken back.
size_t AllocatedBytes() {
#if defined(STRATA_FUZZ_SANITIZED)
    return __sanitizer_get_current_allocated_bytes();
#elif defined(__GLIBC__)
    const struct mallinfo2 info = ::mallinfo2();
    return info.uordblks + info.hblkhd;
#else
    return 0;
#endif
}

// The JSON document as it is handed on: its shape, its size, and the most memory held beyond what was
// held before it started, looked at with every block.
struct JsonCheck final : ReportSink {
    JsonShape Shape;
    size_t Bytes = 0;
    size_t Before = AllocatedBytes();
    size_t MostHeld = 0;
    void Write(std::string_view block) override {
        Shape.Feed(block);
        Bytes += block.size();
        const size_t now = AllocatedBytes();
        MostHeld = std::max(MostHeld, now > Before ? now - Before : 0);
    }
};

// A text as it is handed on, whatever its blocks: its size, a hash of its bytes, its first two bytes
// and its last.
struct TextDigest final : ReportSink {
    size_t Bytes = 0;
    uint64_t Hash = 14695981039346656037u; // 64-bit FNV-1a
    std::string First;
    char Last = 0;
    void Write(std::string_view block) override {
        for (const char c : block)
            Hash = (Hash ^ static_cast<uint8_t>(c)) * 1099511628211u;
        if (First.size() < 2)
            First.append(block.substr(0, 2 - First.size()));
        if (!block.empty())
            Last = block.back();
        Bytes += block.size();
    }
};

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
    const auto fresh = [&](int64_t fixedBytes) {
        AppState state;
        state.ProgramFolder = workspace.Folder;
        state.TileFolderOverride = workspace.Tiles;
        state.ReportFixedBytes = fixedBytes;
        fuzzinput::ApplyOptions(state, input);
        return state;
    };

    // The serial text: the pane's, or for a saved input larger than any fuzzed one (whose report runs
    // to hundreds of megabytes) streamed by one thread.
    AppState serial = fresh(kFuzzReportFixedBytes);
    TextDigest text;
    int16_t status = 0;
    if (level.size() <= kHeldReportInputBytes) {
        status = ReportLevelFile(serial, workspace.LevelPath);
        text.Write(serial.Report.Str());
    } else {
        status = StreamLevelReport(serial, workspace.LevelPath, text, 1);
    }
    Check(status == 0 || status == kOverflowFault || status == kReportLimitFault || status == 99);
    Check(text.Bytes == 0 || text.Last != '\n');
    Check(text.Bytes <=
          ReportByteLimit(static_cast<int64_t>(level.size()), kFuzzReportFixedBytes) + kLongestLine);
    Check(level.empty() || status == 99 || text.First == ";-");
    Check(std::filesystem::last_write_time(workspace.LevelPath, ec) == modified);
    Check(FileBytes(workspace.LevelPath) == std::vector<uint8_t>(level.begin(), level.end()));
    CheckTileFolder(workspace.Tiles, level.size());

    // The same text streamed with its listed runs formatted by 2 or 3 threads.
    AppState parallel = fresh(kFuzzReportFixedBytes);
    TextDigest streamed;
    const unsigned threads = 2 + (size > 0 ? data[size - 1] % 2 : 0);
    Check(StreamLevelReport(parallel, workspace.LevelPath, streamed, threads) == status);
    Check(streamed.Bytes == text.Bytes && streamed.Hash == text.Hash);
    Check(parallel.Map.Ending() == serial.Map.Ending() && parallel.Map.EndOffset() == serial.Map.EndOffset());
    CheckTileFolder(workspace.Tiles, level.size());

    // The JSON document under the real limit, never held whole. The limits differ: either run may
    // meet its own where the other does not.
    AppState json = fresh(kReportFixedBytes);
    JsonCheck document;
    const int16_t jsonStatus = StreamJsonReport(json, workspace.LevelPath, document);
    Check(jsonStatus == status || jsonStatus == kReportLimitFault || status == kReportLimitFault);
    Check(status == 99 ? document.Bytes == 0 : document.Shape.Whole());
    Check(document.Bytes <= ReportByteLimit(static_cast<int64_t>(level.size())) + kJsonSpanBytes);
    Check(document.MostHeld <= level.size() + (size_t{16} << 20));
    CheckTileFolder(workspace.Tiles, level.size());
    return 0;
}
