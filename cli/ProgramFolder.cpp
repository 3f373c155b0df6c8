#include "cli/ProgramFolder.h"

std::filesystem::path ProgramFolderOf(const char* argv0) {
    std::error_code ec;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (!ec && exe.has_parent_path())
        return exe.parent_path();
    if (argv0 != nullptr && *argv0 != '\0') {
        const std::filesystem::path given = std::filesystem::absolute(argv0, ec);
        if (!ec)
            return given.parent_path();
    }
    return std::filesystem::current_path(ec);
}
