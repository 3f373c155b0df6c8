#pragma once
// The folder the running program was started from; the tile folder lies beneath it.
#include <filesystem>

// From the kernel's link to the running executable; when that cannot be read, from argv0.
std::filesystem::path ProgramFolderOf(const char* argv0);
