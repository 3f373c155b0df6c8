#include "tiles/m_TileEngine.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

#include "palette/ColourRecords.h"

namespace {

constexpr int32_t kTileSide = 256;
constexpr int32_t kPaletteOffset = 54;
constexpr int32_t kPaletteEntries = 256;

void PutU16(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}

void PutU32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<uint8_t>(v >> (8 * i));
}

// First byte of tile n (1-based) in the level, in 64 bits so no tile number can wrap it.
int64_t TileStart(int32_t n) {
    return kFirstTileOffset + int64_t{kTileBytes} * (n - 1);
}

} // namespace

void WriteBmpHeader(uint8_t* bmp) {
    bmp[0] = 'B';
    bmp[1] = 'M';
    PutU32(bmp + 2, kBmpFileBytes);
    PutU32(bmp + 6, 0);
    PutU32(bmp + 10, kBmpPixelOffset);
    PutU32(bmp + 14, 40);
    PutU32(bmp + 18, kTileSide);
    PutU32(bmp + 22, kTileSide); // positive height: rows stored bottom-up
    PutU16(bmp + 26, 1);
    PutU16(bmp + 28, 8);
    PutU32(bmp + 30, 0);
    PutU32(bmp + 34, kTileBytes);
    PutU32(bmp + 38, 2834);
    PutU32(bmp + 42, 2834);
    PutU32(bmp + 46, kPaletteEntries);
    PutU32(bmp + 50, kPaletteEntries);
}

int16_t WriteBmpPalette(uint8_t* bmp, const CSmartArray* palette8) {
    if (!palette8 || palette8->NumberOfItemInArray() == 0)
        return 99;
    // The colour table has room for 256 entries; a longer list must not spill into the pixels.
    const int64_t count = std::min<int64_t>(palette8->NumberOfItemInArray(), kPaletteEntries);
    for (int64_t i = 1; i <= count; ++i) {
        uint8_t* entry = bmp + kPaletteOffset + 4 * (i - 1);
        const auto colour = palette8->ObjectAt<C_udtCol8>(i);
        entry[0] = colour ? colour->GetB() : 0;
        entry[1] = colour ? colour->GetG() : 0;
        entry[2] = colour ? colour->GetR() : 0;
        entry[3] = 0;
    }
    return 0;
}

void WriteBmpPixels(uint8_t* bmp, std::span<const uint8_t> level, int32_t n) {
    const int64_t size = static_cast<int64_t>(level.size());
    const int64_t tile = TileStart(n);
    for (int32_t y = 0; y < kTileSide; ++y) {
        // Tile rows run top-down, bitmap rows bottom-up; bytes past the end of the level are 0.
        uint8_t* row = bmp + kBmpPixelOffset + kTileSide * (kTileSide - 1 - y);
        const int64_t from = tile + int64_t{kTileSide} * y;
        const int64_t lo = std::clamp<int64_t>(-from, 0, kTileSide);
        const int64_t hi = std::clamp<int64_t>(size - from, 0, kTileSide);
        std::memset(row, 0, kTileSide);
        if (lo < hi)
            std::memcpy(row + lo, level.data() + from + lo, static_cast<size_t>(hi - lo));
    }
}

TileExportResult ExportTiles(std::span<const uint8_t> level, const std::string& folder, int16_t count,
                             const CSmartArray* palette8, const BitmapWriter& write) {
    TileExportResult result;
    if (folder.empty() || count <= 0)
        return result;
    const std::filesystem::path dir(folder);
    result.Folder = dir.has_filename() ? dir.string() : dir.parent_path().string();
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    if (!ec && !std::filesystem::is_directory(dir, ec))
        ec = std::make_error_code(std::errc::not_a_directory);
    if (ec) {
        // A name already taken by a file reads as "not a folder", as the system says for a path through one.
        result.Failed = result.Folder;
        result.Error = ec.value() == EEXIST ? ENOTDIR : ec.value();
        return result;
    }

    // Header and colour table are the same for every tile; only the pixels change.
    std::vector<uint8_t> bmp(kBmpFileBytes, 0);
    WriteBmpHeader(bmp.data());
    WriteBmpPalette(bmp.data(), palette8);

    for (int32_t n = 1; n <= count; ++n) {
        // A tile that starts at or past the end of the level would be all black; so would every
        // later one. A short file with a large tile count must not fill the disk with them.
        if (TileStart(n) >= static_cast<int64_t>(level.size()))
            break;
        WriteBmpPixels(bmp.data(), level, n);
        const std::string name = "Tile_" + std::to_string(n) + ".bmp";
        const std::string reason =
            write(dir / name, std::string_view(reinterpret_cast<const char*>(bmp.data()), bmp.size()));
        if (reason.empty()) {
            ++result.Written;
        } else if (result.Ok()) {
            result.Failed = name;
            result.Reason = reason;
        }
    }
    return result;
}

TileExportResult ExportTiles(const std::string& levelPath, const std::string& folder, int16_t count,
                             const CSmartArray* palette8, const BitmapWriter& write) {
    if (levelPath.empty() || folder.empty() || count <= 0)
        return {};
    std::ifstream in(levelPath, std::ios::binary);
    if (!in)
        return {};
    const std::vector<uint8_t> level((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return ExportTiles(std::span<const uint8_t>(level), folder, count, palette8, write);
}
