#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "common/TestFiles.h"
#include "engine/TileFolder.h"

TEST(TileFolder, BesideAWritableProgramFolderNeedsNoFallback) {
    TempDir dir;
    EXPECT_TRUE(FallbackTileFolder(dir.Path()).empty());
}

// A program folder the user cannot write (here: one that is gone) sends the tiles to the user's data folder.
TEST(TileFolder, AnUnwritableProgramFolderSendsTheTilesToTheUsersDataFolder) {
    TempDir dir;
    ::setenv("XDG_DATA_HOME", (dir.Path() / "data").c_str(), 1);
    EXPECT_EQ(FallbackTileFolder(dir.Path() / "gone"), dir.Path() / "data" / "strata-viewer" / "TileCollection");
    ::unsetenv("XDG_DATA_HOME");
}
