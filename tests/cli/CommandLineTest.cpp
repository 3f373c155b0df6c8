// Runs the built strata-report as a user would, for what only a real process shows: the exit status
// and the bytes on the two standard streams.
#include <gtest/gtest.h>

#include <cstdlib>
#include <sys/wait.h>

#include "common/TestFiles.h"

TEST(CommandLine, ReportOnStandardOutputAndStatusInTheExitCode) {
    TempDir dir;
    const std::string level = dir.Write("old.dm1", {0x20, 0x00, 0x00, 0x00});
    const std::filesystem::path out = dir.Path() / "out", err = dir.Path() / "err";
    const auto run = [&](const std::string& args) {
        const int status = std::system(("'" STRATA_REPORT_PATH "' " + args + " '" + level + "' >'" +
                                        out.string() + "' 2>'" + err.string() + "'")
                                           .c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };
    ASSERT_EQ(run(""), 0);
    const std::vector<uint8_t> report = ReadAll(out);
    EXPECT_EQ(Lines(std::string(report.begin(), report.end())).size(), 10u);
    EXPECT_NE(report.back(), '\n');
    EXPECT_TRUE(ReadAll(err).empty());
    EXPECT_EQ(run("--details 37"), 2);
    EXPECT_TRUE(ReadAll(out).empty());
}
