#include <gtest/gtest.h>

#include <cstdlib>

#include "common/TestFiles.h"
#include "engine/TileFolder.h"

// A writable program folder takes the tiles itself; one the user cannot write (here: one that is gone)
// sends them to the user's data folder.
TEST(TileFolder, FallbackOnlyForAnUnwritableProgramFolder) {
    TempDir dir;
    EXPECT_TRUE(FallbackTileFolder(dir.Path()).empty());
    ::setenv("XDG_DATA_HOME", (dir.Path() / "data").c_str(), 1);
    EXPECT_EQ(FallbackTileFolder(dir.Path() / "gone"),
              dir.Path() / "data" / "strata-viewer" / "TileCollection");
    ::unsetenv("XDG_DATA_HOME");
}
