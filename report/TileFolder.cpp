#include "report/TileFolder.h"

#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

// Whether programFolder is where the programs are installed: the folder the build was configured to
// install into, or any folder that ends as the install's program folder does (<prefix>/bin), since the
// prefix may be chosen only when installing (`cmake --install --prefix`, a package's staging folder).
bool IsInstalledFolder([[maybe_unused]] const fs::path& programFolder) {
#ifdef STRATA_INSTALL_BINDIR
    std::error_code ec;
    const fs::path configured = fs::weakly_canonical(STRATA_INSTALL_BINDIR, ec);
    const fs::path folder = fs::weakly_canonical(programFolder, ec);
    if (!ec && folder == configured)
        return true;
    const fs::path relative = STRATA_INSTALL_BINDIR_NAME;
    if (!relative.empty() && relative.is_relative()) {
        std::string tail(1, '/');
        tail += relative.lexically_normal().string();
        std::string text = (ec ? programFolder : folder).lexically_normal().string();
        while (text.size() > 1 && text.back() == '/')
            text.pop_back();
        return text.ends_with(tail);
    }
#endif
    return false;
}

} // namespace

std::filesystem::path FallbackTileFolder(const std::filesystem::path& programFolder) {
    std::error_code ec;
    const std::filesystem::path beside = programFolder / "TileCollection";
    // An installed program never writes beside itself, not even for root: the package owns that folder.
    const bool besideUsable =
        !IsInstalledFolder(programFolder) &&
        (std::filesystem::is_directory(beside, ec) ? ::access(beside.c_str(), W_OK) == 0
                                                   : ::access(programFolder.c_str(), W_OK) == 0);
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
