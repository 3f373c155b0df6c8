// Paths that are not level files (a folder, a FIFO with and without a writer, a device that never
// ends, a link to itself, an unreadable file) and files of 1 to 3 bytes: every run returns at once with
// its status, leaves the path as it was and keeps no handle open.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "engine/ReportRun.h"
#include "hardening/HardeningSupport.h"

using namespace hardening;
namespace fs = std::filesystem;

namespace {

// A run on a path that cannot be read as a level: the status, no report, the previous pane kept.
void ExpectRefused(const std::string& path, int16_t status) {
    SCOPED_TRACE(path);
    AppState state;
    state.Report.ReplaceAll("earlier report");
    const size_t handles = OpenHandles();
    EXPECT_EQ(ReportLevelFile(state, path), status);
    EXPECT_EQ(state.LastRun.Ended, RunOutcome::Kind::OpenFailed);
    EXPECT_EQ(state.Report.Str(), "earlier report");
    EXPECT_EQ(OpenHandles(), handles);
}

} // namespace

TEST(HostileFiles, PathsThatAreNotLevelFilesAreRefusedAtOnce) {
    TempDir dir;
    ExpectRefused(dir.Path().string(), kStatusPathAccessError);

    // Opening a FIFO for reading would wait for a writer; the run must not.
    const fs::path fifo = dir.Path() / "level.dm2";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    ExpectRefused(fifo.string(), kStatusPathAccessError);
    {
        // With a writer that has put bytes in and keeps it open, the run reads nothing from it either.
        const int writer = ::open(fifo.c_str(), O_RDWR | O_NONBLOCK);
        ASSERT_GE(writer, 0);
        ASSERT_EQ(::write(writer, "\x2D\0\0\0", 4), 4);
        ExpectRefused(fifo.string(), kStatusPathAccessError);
        char back[4] = {};
        EXPECT_EQ(::read(writer, back, 4), 4); // the bytes are still in the pipe: nobody took them
        ::close(writer);
    }
    EXPECT_TRUE(fs::is_fifo(fifo));

    // A device that never ends would fill memory if it were read to its end.
    if (fs::exists("/dev/zero"))
        ExpectRefused("/dev/zero", kStatusPathAccessError);

    const fs::path loop = dir.Path() / "loop.dm2";
    fs::create_symlink(loop, loop);
    ExpectRefused(loop.string(), kStatusPathAccessError);
    EXPECT_TRUE(fs::is_symlink(loop));
}

TEST(HostileFiles, UnreadableFileIsRefused) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "read permission is not enforced for root";
    TempDir dir;
    const std::string path = dir.Write("locked.dm2", levelbuilder::Build(SmallLevel(2)));
    fs::permissions(path, fs::perms::none);
    ExpectRefused(path, kStatusPermissionDenied);
    EXPECT_EQ(fs::status(path).permissions(), fs::perms::none);
}

// The missing bytes of a version word read as 0: the first byte of a DM2 word alone is a DM2 file
// with nothing to walk, the first bytes of a DM3 word are an unknown version.
TEST(HostileFiles, FilesOfOneToThreeBytesGiveWholeReports) {
    TempDir dir;
    const std::vector<uint8_t> dm2{0x2D, 0x00, 0x00}, dm3{0x38, 0x00, 0x18};
    for (size_t n = 1; n <= 3; ++n) {
        for (const auto* word : {&dm2, &dm3}) {
            const std::vector<uint8_t> bytes(word->begin(), word->begin() + static_cast<long>(n));
            const std::string path = dir.Write("short", bytes);
            SCOPED_TRACE(std::to_string(n) + " bytes of " + (word == &dm2 ? "DM2" : "DM3"));
            for (const OptionSet& set : OptionSets()) {
                AppState state;
                state.DetailOptions = set.Options;
                state.TileFolderOverride = dir.Path() / "tiles";
                ASSERT_EQ(ReportLevelFile(state, path), 0) << set.Name;
                EXPECT_EQ(state.LastRun.Walked, word == &dm2);
                const std::vector<std::string> lines = Lines(state.Report.Str());
                ASSERT_GE(lines.size(), 9u);
                EXPECT_TRUE(lines[1].ends_with("   Size: " + std::to_string(n))) << lines[1];
                EXPECT_EQ(lines[lines.size() - 2], ";" + path + "  END OF FILE");
                EXPECT_EQ(ReadAll(path), bytes);
            }
        }
    }
    EXPECT_FALSE(fs::exists(dir.Path() / "tiles")); // no tiles in so short a file
}
