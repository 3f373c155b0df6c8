#include "engine/TileFolder.h"

#include <cstdlib>
#include <unistd.h>

std::filesystem::path FallbackTileFolder(const std::filesystem::path& programFolder) {
    std::error_code ec;
    const std::filesystem::path beside = programFolder / "TileCollection";
    bool besideUsable = std::filesystem::is_directory(beside, ec) ? ::access(beside.c_str(), W_OK) == 0
                                                                   : ::access(programFolder.c_str(), W_OK) == 0;
#ifdef STRATA_INSTALL_BINDIR
    // An installed program never writes beside itself, not even for root: the package owns that folder.
    const std::filesystem::path installed = std::filesystem::weakly_canonical(STRATA_INSTALL_BINDIR, ec);
    if (!ec && std::filesystem::weakly_canonical(programFolder, ec) == installed)
        besideUsable = false;
#endif
    if (besideUsable)
        return {};
    std::filesystem::path data;
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg)
        data = xdg;
    else if (const char* home = std::getenv("HOME"); home && *home)
        data = std::filesystem::path(home) / ".local" / "share";
    else
        return {};
    return data / "strata-viewer" / "TileCollection";
}
