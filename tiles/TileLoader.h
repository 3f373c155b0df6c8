#pragma once
// Loading the exported tile bitmaps for the tile viewer.
#include <cstdint>
#include <filesystem>

#include <QImage>
#include <QList>

// The bitmap of tile n in the tile folder: "Tile_" + n + ".bmp".
std::filesystem::path TileFilePath(const std::filesystem::path& folder, int32_t n);

// The images of tiles 1 to count, each loaded by its own name, so image n is tile n whatever order
// the folder lists its files in. Loading stops at the first tile that is missing or unreadable.
QList<QImage> LoadTileImages(const std::filesystem::path& folder, int32_t count);
