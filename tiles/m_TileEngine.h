#pragma once
// Export of the 8-bit texture tiles of a level file as 256 x 256, 8-bit palettized bitmap files.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "support/CSmartArray.h"

inline constexpr int32_t kTileBytes = 65536;
inline constexpr int32_t kFirstTileOffset = 1800;
inline constexpr int32_t kBmpFileBytes = 66614;
inline constexpr int32_t kBmpPixelOffset = 1078;

// What an export did: the folder it wrote into, how many bitmaps, and the first thing it could not
// write: the folder itself (with the system's error number) or one tile's file name (with the
// writer's reason).
struct TileExportResult {
    std::string Folder; // without its closing separator; empty when there was nothing to export
    int32_t Written = 0;
    std::string Failed; // empty when every bitmap was written
    int Error = 0;      // errno of a folder that could not be made
    std::string Reason; // why a tile's file could not be written, in the writer's words
    bool Ok() const { return Failed.empty(); }
};

// Writes one bitmap as the whole content of file: "" or the reason it could not. The report run
// passes the program's one output writer, which writes each tile whole or not at all and never into
// another file (TileWriter in the report run).
using BitmapWriter = std::function<std::string(const std::filesystem::path& file, std::string_view bytes)>;

// Writes "Tile_" + n + ".bmp" for n = 1 to count into folder (created when missing) through write,
// coloured with palette8 (a list of C_udtCol8; null or empty gives an all-zero colour table). A tile
// whose bytes all lie past the end of the level is not written. A file that cannot be written is
// skipped and the first such failure is returned; a folder that cannot be made ends the export at once.
TileExportResult ExportTiles(std::span<const uint8_t> level, const std::string& folder, int16_t count,
                             const CSmartArray* palette8, const BitmapWriter& write);

// The same, reading the level file by its path.
TileExportResult ExportTiles(const std::string& levelPath, const std::string& folder, int16_t count,
                             const CSmartArray* palette8, const BitmapWriter& write);

// The three parts of one bitmap, written into a 66614-byte buffer.
void WriteBmpHeader(uint8_t* bmp);
int16_t WriteBmpPalette(uint8_t* bmp, const CSmartArray* palette8); // 0, or 99 when the list is empty
void WriteBmpPixels(uint8_t* bmp, std::span<const uint8_t> level, int32_t n);
