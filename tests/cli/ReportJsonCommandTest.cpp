// strata-report --format json: the same run, exit status and error lines as the text, with the JSON
// document on standard output or in the output file.
#include <gtest/gtest.h>

#include <sstream>

#include "cli/ReportCommand.h"
#include "common/TestFiles.h"
#include "report/JsonReport.h"
#include "report/ReportRun.h"
#include "tools/LevelBuilder.h"

namespace {

struct Command {
    int Exit = -1;
    std::string Out, Err;
};

Command Invoke(std::vector<std::string> args) {
    std::ostringstream out, err;
    const int exit = RunReportCommand(args, {}, out, err);
    return {exit, out.str(), err.str()};
}

std::vector<std::string> With(std::vector<std::string> args, std::vector<std::string> more) {
    args.insert(args.begin(), more.begin(), more.end());
    return args;
}

} // namespace

TEST(ReportJsonCommand, SameExitAndErrorLinesAsTheTextForEveryKindOfRun) {
    const TempDir dir;
    levelbuilder::Level overflow;
    overflow.Tiles.Count = 40000;
    const std::string tiles = (dir.Path() / "tiles").string();
    const std::string level = dir.Write("level.dm2", levelbuilder::Build(levelbuilder::FilledLevel(2)));
    const struct {
        const char* Name;
        std::vector<std::string> Args;
        int Exit;
    } cases[] = {
        {"complete", {"--all", "--tile-dir", tiles, level}, kExitCompleted},
        {"overflow", {dir.Write("overflow.dm2", levelbuilder::Build(overflow))}, kExitOverflow},
        {"not a level", {dir.Write("old.dm1", {0x20, 0, 0, 0})}, -1}, // whatever the text run gives
        {"empty", {dir.Write("empty.dm2", {})}, kExitUnreadable},
        {"missing", {(dir.Path() / "missing.dm2").string()}, kExitUnreadable},
        {"output is a folder", {"-o", dir.Path().string(), level}, kExitUnreadable},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        const Command text = Invoke(c.Args);
        const Command json = Invoke(With(c.Args, {"--format", "json"}));
        EXPECT_EQ(Invoke(With(c.Args, {"--format", "text"})).Out, text.Out);
        if (c.Exit >= 0) {
            EXPECT_EQ(text.Exit, c.Exit);
        }
        EXPECT_EQ(json.Exit, text.Exit);
        EXPECT_EQ(json.Err, text.Err);
        if (text.Exit == kExitUnreadable) {
            EXPECT_EQ(json.Out, "");
        } else {
            EXPECT_TRUE(json.Out.starts_with("{\"file\": ") && json.Out.ends_with("}}\n")) << json.Out;
        }
    }
}

TEST(ReportJsonCommand, TheDocumentOfTheRunOnStandardOutputOrInTheOutputFile) {
    const TempDir dir;
    const std::string level = dir.Write("level.dm3", levelbuilder::Build(levelbuilder::FilledLevel(3)));
    AppState state;
    state.TileFolderOverride = dir.Path() / "tiles";
    state.DetailOptions.Set(optItems, true);
    ReportLevelFile(state, level);
    const std::string expected = JsonReport(state);

    const std::string tiles = (dir.Path() / "tiles").string();
    const Command out = Invoke({"--format", "json", "--details", "30", "--tile-dir", tiles, level});
    EXPECT_EQ(out.Exit, kExitCompleted);
    EXPECT_EQ(out.Out, expected);
    const std::string file = (dir.Path() / "level.json").string();
    const Command written =
        Invoke({"--format", "json", "--details", "30", "-o", file, "--tile-dir", tiles, level});
    EXPECT_EQ(written.Out, "");
    const std::vector<uint8_t> bytes = ReadAll(file);
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), expected);
    EXPECT_NE(expected.find("\"name\": \"Items\""), std::string::npos);
    EXPECT_NE(expected.find("\"records\""), std::string::npos);
}

TEST(ReportJsonCommand, AnUnknownFormatIsAUsageError) {
    for (const auto& args : {std::vector<std::string>{"--format", "xml", "level.dm2"},
                             std::vector<std::string>{"--format", "JSON", "level.dm2"},
                             std::vector<std::string>{"level.dm2", "--format"}}) {
        const Command c = Invoke(args);
        EXPECT_EQ(c.Exit, kExitUsage);
        EXPECT_EQ(c.Out, "");
        EXPECT_TRUE(c.Err.ends_with("\nTry 'strata-report --help' for more information.\n")) << c.Err;
    }
}
