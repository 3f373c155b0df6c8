// strata-check end to end: its exit status, the three formats (JSON and SARIF read back by a real JSON
// parser), rule and severity filters, folders in a stable order whatever the threads, the per-rule cap,
// and -o through the one output writer.
#include "cli/CheckCommand.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <nlohmann/json.hpp>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

#include "check/Check.h"
#include "common/TestFiles.h"
#include "tools/LevelBuilder.h"

namespace {

namespace fs = std::filesystem;
using namespace levelbuilder;
using nlohmann::json;

struct Checked {
    int Exit = -1;
    std::string Out, Err;
};

Checked Check(const std::vector<std::string>& args, unsigned threads = 0) {
    std::ostringstream out, err;
    const int exit = RunCheckCommand(args, out, err, -1, threads);
    return {exit, out.str(), err.str()};
}

// Two rooms joined by a door each way, and every other reference pointing at something real.
Level TwoRooms(int16_t generation = 2) {
    return ValidLevel(generation);
}

// The first room's door leads to room `to`, which the level does not have.
std::vector<uint8_t> DoorTo(int16_t to, int16_t generation = 2) {
    Level level = TwoRooms(generation);
    level.Rooms.Items[0].Doors.Items[0].AdjoiningRoom = to;
    return Build(level);
}

std::vector<uint8_t> Cut(std::vector<uint8_t> bytes) {
    bytes.erase(bytes.end() - 100, bytes.end());
    return bytes;
}

// The findings the checker itself gives for the bytes, to compare the program's output with.
std::vector<check::Finding> FindingsOf(const std::vector<uint8_t>& bytes) {
    const LevelFile level = LevelFile::FromBytes(bytes);
    check::FindingList found;
    check::CheckLevel(level, {}, found);
    return found.Items;
}

std::string Hex(int64_t offset) {
    std::ostringstream text;
    text << "0x" << std::uppercase << std::hex << offset;
    return text.str();
}

// A path in single quotes, for a shell.
std::string Quoted(const std::string& path) {
    std::string quoted(1, '\'');
    quoted += path;
    quoted += '\'';
    return quoted;
}

const std::string kHelpHint = "Try 'strata-check --help' for more information.\n";

} // namespace

TEST(CheckCommand, ExitStatusFromTheWorstFinding) {
    TempDir dir;
    const std::string clean = dir.Write("clean.dm2", Build(TwoRooms()));
    const std::string error = dir.Write("error.dm3", DoorTo(7, 3));
    const std::string cut = dir.Write("cut.dm2", Cut(Build(TwoRooms())));
    const std::string missing = (dir.Path() / "missing.dm2").string();
    const std::string text = dir.Write("notes.txt", {'n', 'o', 't', 'e', 's'});
    const std::string empty = dir.Write("empty.dm2", {});
    struct Case {
        std::vector<std::string> Args;
        int Exit;
        std::string Err; // what standard error starts with ("": nothing on it)
    } cases[] = {
        {{clean}, kCheckClean, ""},
        {{"--format", "json", clean}, kCheckClean, ""},
        {{error}, kCheckErrors, ""},
        {{cut}, kCheckErrors, ""},
        {{clean, error}, kCheckErrors, ""},
        // A rule left out finds nothing.
        {{"--rules", "walk-ended", error}, kCheckClean, ""},
        {{missing}, kCheckTrouble, "strata-check: cannot read " + missing + ": no such file\n"},
        // A folder is searched for the files that start with a level's version word: not the text, nor
        // the empty file.
        {{dir.Path().string() + "/"}, kCheckErrors, ""},
        {{text}, kCheckTrouble, "strata-check: " + text + " is not a DM2 or DM3 level: nothing checked\n"},
        {{empty},
         kCheckTrouble,
         "strata-check: " + empty + " is not a DM2 or DM3 level: the file is empty\n"},
        // Trouble wins over an error found in another file.
        {{error, missing}, kCheckTrouble, "strata-check: cannot read "},
        {{},
         kCheckTrouble,
         "strata-check: strata-check needs at least one FILE or DIR to check\n" + kHelpHint},
        {{"--format", "xml", clean},
         kCheckTrouble,
         "strata-check: --format is text, json or sarif, not \"xml\"\n"},
        {{"--format"}, kCheckTrouble, "strata-check: --format needs a value: text, json or sarif\n"},
        {{"--severity", "note", clean},
         kCheckTrouble,
         "strata-check: --severity is error or warning, not \"note\""},
        {{"--rules", "door-room,nosuch", clean},
         kCheckTrouble,
         "strata-check: --rules: \"nosuch\" is not a rule of strata-check (--list-rules lists them)\n"},
        {{"--bogus", clean}, kCheckTrouble, "strata-check: --bogus is not an option of strata-check\n"},
        {{"-o", "", clean}, kCheckTrouble, "strata-check: -o needs a FILE, not an empty name"},
    };
    for (const Case& c : cases) {
        const Checked run = Check(c.Args);
        std::string args;
        for (const std::string& a : c.Args)
            args += a + " ";
        EXPECT_EQ(run.Exit, c.Exit) << args << run.Err;
        if (c.Err.empty()) {
            EXPECT_EQ(run.Err, "") << args;
        } else {
            EXPECT_TRUE(run.Err.starts_with(c.Err)) << args << "\n" << run.Err;
        }
        if (c.Exit == kCheckTrouble && run.Err.ends_with(kHelpHint)) {
            EXPECT_EQ(run.Out, "") << args; // a usage error writes no document
        }
    }
}

TEST(CheckCommand, TextFindingsReadLikeACompilersThenTheCounts) {
    TempDir dir;
    const std::vector<uint8_t> bytes = DoorTo(7);
    const std::string path = dir.Write("level.dm2", bytes);
    const std::vector<check::Finding> found = FindingsOf(bytes);
    ASSERT_EQ(found.size(), 1u);
    const std::string clean = dir.Write("clean.dm2", Build(TwoRooms()));
    const Checked run = Check({path, clean});
    EXPECT_EQ(run.Out, path + ":" + Hex(found[0].Offset) +
                           ": error: Rooms > room 0 > Doors > door 0: AdjoiningRoom is 7, but the level has "
                           "2 rooms [door-room]\n"
                           "1 error, 0 warnings in 2 files\n");
    EXPECT_EQ(Check({clean}).Out, "0 errors, 0 warnings in 1 file\n");
}

TEST(CheckCommand, JsonDocumentParsesWithEveryFileInOrder) {
    TempDir dir;
    const std::vector<uint8_t> bytes = DoorTo(-1, 3);
    const std::string error = dir.Write("a \"quoted\" level.dm3", bytes);
    const std::string clean = dir.Write("clean.dm2", Build(TwoRooms()));
    const std::string missing = (dir.Path() / "missing.dm2").string();
    const std::vector<check::Finding> found = FindingsOf(bytes);
    ASSERT_EQ(found.size(), 1u);

    const Checked run = Check({"--format", "json", error, clean, missing});
    EXPECT_EQ(run.Exit, kCheckTrouble);
    const json doc = json::parse(run.Out);
    ASSERT_EQ(doc["files"].size(), 3u);
    const json& first = doc["files"][0];
    EXPECT_EQ(first["path"], error);
    EXPECT_EQ(first["outcome"], "completed");
    EXPECT_EQ(first["errors"], 1);
    ASSERT_EQ(first["findings"].size(), 1u);
    const json& finding = first["findings"][0];
    EXPECT_EQ(finding["rule"], "door-room");
    EXPECT_EQ(finding["severity"], "error");
    EXPECT_EQ(finding["offset"], found[0].Offset);
    EXPECT_EQ(finding["bytes"], 2);
    EXPECT_EQ(finding["place"], "Rooms > room 0 > Doors > door 0");
    EXPECT_EQ(finding["field"], "AdjoiningRoom");
    EXPECT_EQ(finding["value"], -1);
    EXPECT_EQ(finding["message"], found[0].Message);
    EXPECT_EQ(doc["files"][1]["path"], clean);
    EXPECT_TRUE(doc["files"][1]["findings"].empty());
    EXPECT_EQ(doc["files"][2]["outcome"], "unreadable");
    EXPECT_EQ(doc["files"][2]["trouble"], "cannot read " + missing + ": no such file");
    EXPECT_EQ(doc["errors"], 1);
    EXPECT_EQ(doc["warnings"], 0);
    EXPECT_EQ(doc["files_not_checked"], 1);
    // A cut file's walk ending is a finding; its walk read zeros past the file's end to its last chunk.
    const json cut =
        json::parse(Check({"--format", "json", dir.Write("cut.dm2", Cut(Build(TwoRooms())))}).Out);
    EXPECT_EQ(cut["files"][0]["findings"][0]["rule"], "walk-ended");
    EXPECT_EQ(cut["files"][0]["outcome"], "completed");
}

TEST(CheckCommand, SarifLogHasOneRunItsRulesAndByteRegions) {
    TempDir dir;
    const std::vector<uint8_t> bytes = DoorTo(2);
    const std::string path = dir.Write("with space%.dm2", bytes);
    const std::vector<check::Finding> found = FindingsOf(bytes);
    ASSERT_EQ(found.size(), 1u);
    const std::string cut = dir.Write("cut.dm2", Cut(Build(TwoRooms())));

    const Checked run = Check({"--format", "sarif", path, dir.Write("clean.dm2", Build(TwoRooms())), cut});
    EXPECT_EQ(run.Exit, kCheckErrors);
    const json log = json::parse(run.Out);
    EXPECT_EQ(log["version"], "2.1.0");
    EXPECT_TRUE(log["$schema"].get<std::string>().ends_with("sarif-2.1.0.json"));
    ASSERT_EQ(log["runs"].size(), 1u);
    const json& sarifRun = log["runs"][0];
    const json& driver = sarifRun["tool"]["driver"];
    EXPECT_EQ(driver["name"], "strata-check");
    ASSERT_EQ(driver["rules"].size(), check::Rules().size());
    for (size_t i = 0; i < check::Rules().size(); ++i) {
        EXPECT_EQ(driver["rules"][i]["id"], check::Rules()[i].Id);
        EXPECT_TRUE(
            driver["rules"][i]["help"]["text"].get<std::string>().starts_with(check::Rules()[i].Help));
    }
    const json& results = sarifRun["results"];
    ASSERT_EQ(results.size(), 2u); // the door, then the cut file's ending: in the order named
    for (const json& result : results) {
        const json& rule = driver["rules"][result["ruleIndex"].get<size_t>()];
        EXPECT_EQ(result["ruleId"], rule["id"]);
        EXPECT_EQ(result["level"], rule["defaultConfiguration"]["level"]);
        EXPECT_FALSE(result["message"]["text"].get<std::string>().empty());
    }
    EXPECT_EQ(results[0]["ruleId"], "door-room");
    EXPECT_EQ(results[0]["message"]["text"],
              "Rooms > room 0 > Doors > door 0: AdjoiningRoom is 2, but the level has 2 rooms.");
    const json& location = results[0]["locations"][0]["physicalLocation"];
    EXPECT_EQ(location["artifactLocation"]["uri"], "file://" + dir.Path().string() + "/with%20space%25.dm2");
    EXPECT_EQ(location["region"]["byteOffset"], found[0].Offset);
    EXPECT_EQ(location["region"]["byteLength"], 2);
    EXPECT_EQ(results[1]["ruleId"], "walk-ended");
    EXPECT_EQ(results[1]["locations"][0]["physicalLocation"]["artifactLocation"]["uri"], "file://" + cut);
    EXPECT_EQ(sarifRun["invocations"][0]["executionSuccessful"], true);

    // A file that cannot be read is the run's notification, and the run did not succeed.
    const json troubled = json::parse(Check({"--format", "sarif", (dir.Path() / "gone").string()}).Out);
    EXPECT_TRUE(troubled["runs"][0]["results"].empty());
    EXPECT_EQ(troubled["runs"][0]["invocations"][0]["executionSuccessful"], false);
    EXPECT_EQ(troubled["runs"][0]["invocations"][0]["toolExecutionNotifications"][0]["message"]["text"],
              "cannot read " + (dir.Path() / "gone").string() + ": no such file.");
}

TEST(CheckCommand, RulesAndSeverityChooseWhatIsRunAndTold) {
    TempDir dir;
    // A door to a missing room, in a file cut short: one finding of each rule.
    const std::string path = dir.Write("both.dm2", Cut(DoorTo(9)));
    const auto rulesOf = [](const Checked& run) {
        std::vector<std::string> rules;
        const json doc = json::parse(run.Out);
        for (const json& file : doc["files"])
            for (const json& finding : file["findings"])
                rules.push_back(finding["rule"]);
        std::sort(rules.begin(), rules.end());
        return rules;
    };
    using Rules = std::vector<std::string>;
    EXPECT_EQ(rulesOf(Check({"--format", "json", path})), (Rules{"door-room", "walk-ended"}));
    EXPECT_EQ(rulesOf(Check({"--format", "json", "--rules", "door-room", path})), Rules{"door-room"});
    EXPECT_EQ(rulesOf(Check({"--format", "json", "--rules", "walk-ended", path})), Rules{"walk-ended"});
    EXPECT_EQ(rulesOf(Check({"--format", "json", "--rules", "walk-ended", "--rules", "door-room", path})),
              (Rules{"door-room", "walk-ended"}));
    EXPECT_EQ(rulesOf(Check({"--format", "json", "--rules", " door-room , walk-ended", path})),
              (Rules{"door-room", "walk-ended"}));
    // --severity error runs every error rule and no warning rule.
    const json errorsOnly = json::parse(Check({"--format", "json", "--severity", "error", path}).Out);
    EXPECT_EQ(errorsOnly["errors"], 2);
    EXPECT_EQ(errorsOnly["warnings"], 0);
    for (const json& finding : errorsOnly["files"][0]["findings"])
        EXPECT_EQ(finding["severity"], "error");

    // --list-rules: every rule, one a line, tab-separated.
    const Checked list = Check({"--list-rules"});
    EXPECT_EQ(list.Exit, kCheckClean);
    std::istringstream lines(list.Out);
    size_t n = 0;
    for (std::string line; std::getline(lines, line); ++n) {
        ASSERT_LT(n, check::Rules().size());
        EXPECT_EQ(line, std::string(check::Rules()[n].Id) + "\t" +
                            std::string(check::SeverityName(check::Rules()[n].Level)) + "\t" +
                            std::string(check::Rules()[n].Help));
    }
    EXPECT_EQ(n, check::Rules().size());
}

TEST(CheckCommand, FoldersAreSearchedAndTheOutputIsTheSameWhateverTheThreads) {
    TempDir dir;
    fs::create_directories(dir.Path() / "b" / "deeper");
    std::vector<std::string> levels;
    // Errors in some files and not others, with more files than threads, so parts finish out of order.
    for (int i = 0; i < 12; ++i) {
        const std::string name =
            (i < 6 ? "b/deeper/" : "b/") + std::string(1, static_cast<char>('a' + i)) + ".lvl";
        levels.push_back(
            dir.Write(name, i % 3 == 0 ? Build(TwoRooms()) : DoorTo(static_cast<int16_t>(10 + i))));
    }
    dir.Write("b/readme.txt", {'h', 'i'});
    dir.Write("b/dm1.dm2", {0x20, 0, 0, 0}); // a first-game level word: not searched
    for (const char* format : {"text", "json", "sarif"}) {
        const Checked one = Check({"--format", format, dir.Path().string()}, 1);
        EXPECT_EQ(one.Exit, kCheckErrors) << one.Err;
        for (unsigned threads : {2u, 5u, 16u})
            EXPECT_EQ(Check({"--format", format, dir.Path().string()}, threads).Out, one.Out) << format;
    }
    // A folder's entries sorted by name, a subfolder where its name falls: b/deeper/ before b/g.lvl.
    const json doc = json::parse(Check({"--format", "json", dir.Path().string()}).Out);
    ASSERT_EQ(doc["files"].size(), levels.size());
    for (size_t i = 0; i < levels.size(); ++i)
        EXPECT_EQ(doc["files"][i]["path"], levels[i]);
    EXPECT_EQ(doc["errors"], 8);
}

TEST(CheckCommand, FindingsPastTheCapOfARuleAreCountedAndSaid) {
    TempDir dir;
    Level level = TwoRooms();
    for (int d = 0; d < 1004; ++d) {
        Door door;
        door.AdjoiningRoom = 40;
        level.Rooms.Items[1].Doors.Add(door);
    }
    const std::string path = dir.Write("many.dm2", Build(level));
    const Checked text = Check({path});
    EXPECT_EQ(text.Exit, kCheckErrors);
    EXPECT_TRUE(text.Out.ends_with(
        "\n1004 errors, 0 warnings in 1 file; 4 findings past the first 1000 of a rule in a file left out\n"))
        << text.Out.substr(text.Out.size() - 200);
    EXPECT_EQ(std::count(text.Out.begin(), text.Out.end(), '\n'), 1001);
    const json doc = json::parse(Check({"--format", "json", path}).Out);
    EXPECT_EQ(doc["files"][0]["findings"].size(), 1000u);
    EXPECT_EQ(doc["files"][0]["errors"], 1004);
    EXPECT_EQ(doc["files"][0]["left_out"], 4);
}

TEST(CheckCommand, OutputFileGoesThroughTheWriterAndNeverOverALevel) {
    TempDir dir;
    const std::vector<uint8_t> bytes = DoorTo(5);
    const std::string level = dir.Write("level.dm2", bytes);
    const std::string target = (dir.Path() / "findings.sarif").string();
    const Checked toFile = Check({"--format", "sarif", "-o", target, level});
    EXPECT_EQ(toFile.Exit, kCheckErrors);
    EXPECT_EQ(toFile.Out, "");
    const std::vector<uint8_t> written = ReadAll(target);
    EXPECT_EQ(json::parse(written.begin(), written.end())["runs"][0]["results"].size(), 1u);
    // Over a file already there, the same as to standard output.
    EXPECT_EQ(Check({"-o", target, level}).Exit, kCheckErrors);
    const std::vector<uint8_t> text = ReadAll(target);
    EXPECT_EQ(std::string(text.begin(), text.end()), Check({level}).Out);

    // -o naming a level being checked, by its name or a link: refused before anything is written.
    fs::create_symlink(level, dir.Path() / "link");
    for (const std::string& over : {level, (dir.Path() / "link").string()}) {
        const Checked refused = Check({"-o", over, dir.Write("other.dm2", Build(TwoRooms())), level});
        EXPECT_EQ(refused.Exit, kCheckTrouble);
        EXPECT_EQ(refused.Err, "strata-check: cannot write " + over + ": it is a level being checked\n");
        EXPECT_EQ(ReadAll(level), bytes);
    }
    const Checked noFolder = Check({"-o", (dir.Path() / "no" / "such.txt").string(), level});
    EXPECT_EQ(noFolder.Exit, kCheckTrouble);
    EXPECT_TRUE(noFolder.Err.starts_with("strata-check: cannot write " +
                                         (dir.Path() / "no" / "such.txt").string() + ": "))
        << noFolder.Err;

    // A standard output opened on a level (`>> level`) is refused too.
    const int appended = ::open(level.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
    ASSERT_GE(appended, 0);
    std::ostringstream out, err;
    EXPECT_EQ(RunCheckCommand({level}, out, err, appended), kCheckTrouble);
    ::close(appended);
    EXPECT_EQ(err.str(), "strata-check: cannot write the findings to standard output: it is " + level +
                             ", a level being checked\n");
    EXPECT_EQ(ReadAll(level), bytes);
}

TEST(CheckCommand, TheInstalledProgramExitsByItsFindings) {
    TempDir dir;
    const std::string clean = dir.Write("clean.dm2", Build(TwoRooms()));
    const std::string error = dir.Write("error.dm2", DoorTo(3));
    const struct {
        std::string Args;
        int Exit;
    } cases[] = {{Quoted(clean), 0},
                 {Quoted(error), 1},
                 {"--format sarif " + Quoted(clean) + " " + Quoted(error), 1},
                 {Quoted((dir.Path() / "missing").string()), 2},
                 {"--format", 2}};
    for (const auto& c : cases) {
        const int status =
            std::system((std::string(STRATA_CHECK_PATH) + " " + c.Args + " >/dev/null 2>&1").c_str());
        ASSERT_TRUE(WIFEXITED(status)) << c.Args;
        EXPECT_EQ(WEXITSTATUS(status), c.Exit) << c.Args;
    }
    // Standard output that cannot take the findings is trouble, with the system's reason.
    const std::string full = dir.Write("full.txt", {});
    const int status = std::system(
        (std::string(STRATA_CHECK_PATH) + " '" + error + "' >/dev/full 2>'" + full + "'").c_str());
    EXPECT_EQ(WEXITSTATUS(status), 2);
    const std::vector<uint8_t> said = ReadAll(full);
    EXPECT_EQ(std::string(said.begin(), said.end()),
              "strata-check: cannot write the findings to standard output: no space left on the device\n");
}
