#pragma once
// Shared by the window tests: builder-made levels written into a temporary folder.
#include <string>

#include "common/TestFiles.h"
#include "tools/LevelBuilder.h"

inline std::string WriteLevel(const TempDir& dir, const std::string& name, const levelbuilder::Level& level) {
    return dir.Write(name, levelbuilder::Build(level));
}

inline std::string WriteFilledLevel(const TempDir& dir, const std::string& name, int16_t generation = 2) {
    return WriteLevel(dir, name, levelbuilder::FilledLevel(generation));
}
