// Runs the built strata-report as a user would, for what only a real process shows: the exit status
// and the bytes on the two standard streams.
#include <gtest/gtest.h>

#include <cstdlib>
#include <sys/wait.h>

#include "common/TestFiles.h"

namespace {

int Shell(const std::string& command) {
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string Text(const std::filesystem::path& path) {
    const std::vector<uint8_t> bytes = ReadAll(path);
    return std::string(bytes.begin(), bytes.end());
}

} // namespace

TEST(CommandLine, ReportOnStandardOutputAndStatusInTheExitCode) {
    TempDir dir;
    const std::string level = dir.Write("old.dm1", {0x20, 0x00, 0x00, 0x00});
    const std::filesystem::path out = dir.Path() / "out", err = dir.Path() / "err";
    const std::string redirect = " >'" + out.string() + "' 2>'" + err.string() + "'";

    ASSERT_EQ(Shell(std::string("'") + STRATA_REPORT_PATH + "' '" + level + "'" + redirect), 0);
    const std::string report = Text(out);
    EXPECT_EQ(Lines(report).size(), 10u);
    EXPECT_EQ(Lines(report)[6], ";Not implemented yet");
    EXPECT_NE(report.back(), '\n');
    EXPECT_EQ(Text(err), "");

    EXPECT_EQ(Shell(std::string("'") + STRATA_REPORT_PATH + "' --details 37 '" + level + "'" + redirect), 2);
    EXPECT_EQ(Text(out), "");
}
