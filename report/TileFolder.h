#pragma once
// Where the tile bitmaps go when the program's own folder cannot take them.
#include <filesystem>

// Empty when programFolder is writable and is not a folder the programs are installed into (the tiles
// then go to its "TileCollection"); otherwise the per-user folder
// $XDG_DATA_HOME/strata-viewer/TileCollection (or ~/.local/share/...), so that an installed program
// can still export its tiles. Installed means the configured install folder or, whatever the prefix,
// one named as the install's program folder is under it (<prefix>/bin).
std::filesystem::path FallbackTileFolder(const std::filesystem::path& programFolder);
