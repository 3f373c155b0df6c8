// strata-report --summary: a row for every file whatever it holds, counts from the walk, folders
// searched by version word, links to one file walked once, and the command's exit status.
#include "cli/SummaryCommand.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <set>
#include <sstream>
#include <unistd.h>

#include "cli/ReportCommand.h"
#include "common/TestFiles.h"
#include "format/WalkMap.h"
#include "fuzz/HostileLevels.h"
#include "report/AppState.h"
#include "report/ReportRun.h"
#include "tools/LevelBuilder.h"

namespace {

namespace fs = std::filesystem;
using namespace levelbuilder;

// The CSV's cells, row by row (no cell of these tests holds a comma).
std::vector<std::vector<std::string>> Cells(const std::string& csv) {
    std::vector<std::vector<std::string>> rows;
    std::istringstream lines(csv);
    for (std::string line; std::getline(lines, line);) {
        std::vector<std::string> cells;
        size_t start = 0;
        for (size_t comma; (comma = line.find(',', start)) != std::string::npos; start = comma + 1)
            cells.push_back(line.substr(start, comma - start));
        cells.push_back(line.substr(start));
        rows.push_back(cells);
    }
    return rows;
}

struct Command {
    int Exit = -1;
    std::string Out, Err;
};
Command Summary(std::vector<std::string> args) {
    args.insert(args.begin(), "--summary");
    std::ostringstream out, err;
    const int exit = RunSummaryCommand(args, out, err);
    return {exit, out.str(), err.str()};
}

} // namespace

TEST(SummaryCommand, EveryFileGetsItsRow) {
    TempDir dir;
    const Level dm2 = ValidLevel(2);
    Layout l;
    const std::vector<uint8_t> dm3Bytes = Build(FilledLevel(3), l);
    std::vector<uint8_t> overflow = dm3Bytes;
    overflow[static_cast<size_t>(l.Frames) + 3] = 0x40; // 0x40000000 frames of 2 bytes leave 32 bits
    const std::vector<uint8_t> cut(dm3Bytes.begin(), dm3Bytes.begin() + l.SoundSources);
    Level doorToNowhere = FilledLevel(2);
    for (Room& room : doorToNowhere.Rooms.Items)
        for (Door& door : room.Doors.Items)
            door.AdjoiningRoom = 99;
    const std::vector<std::string> paths = {dir.Write("a.dm2", Build(dm2)),
                                            dir.Write("b.dm3", dm3Bytes),
                                            dir.Write("cut.dm3", cut),
                                            (dir.Path() / "missing.dm2").string(),
                                            dir.Write("text.txt", {'h', 'i'}),
                                            dir.Write("overflow.dm3", overflow),
                                            dir.Write("empty", {}),
                                            dir.Write("door.dm2", Build(doorToNowhere))};
    const Command c = Summary(paths);
    ASSERT_EQ(c.Exit, 0) << c.Err;
    const auto rows = Cells(c.Out);
    ASSERT_EQ(rows.size(), paths.size() + 1);
    const std::vector<std::string> header = rows[0];
    ASSERT_EQ(header.size(), 23u);
    EXPECT_EQ(header[0], "path");
    EXPECT_EQ(header[4], "outcome");
    EXPECT_EQ(header[20], "xxh3");
    EXPECT_EQ(header[21], "errors");
    EXPECT_EQ(header[22], "warnings");
    for (size_t r = 1; r < rows.size(); ++r) {
        ASSERT_EQ(rows[r].size(), header.size()) << r;
        EXPECT_EQ(rows[r][0], paths[r - 1]);
    }
    const auto cell = [&](size_t row, std::string_view column) {
        const size_t c =
            static_cast<size_t>(std::find(header.begin(), header.end(), column) - header.begin());
        return rows[row + 1].at(c);
    };

    struct Expected {
        const char* Outcome;
        const char* Version;
        const char* Generation;
        const char* AtEnd;
        bool Checked; // the checker ran (a walk that ended at the file's end): numbers in errors, warnings
        bool Errors;  // and found an error
    };
    const Expected expected[] = {{"completed", "0000002D", "2", "yes", true, false},
                                 {"completed", "FF180038", "3", "yes", true, true},
                                 {"completed", "FF180038", "3", "no", false, false},
                                 {"unreadable", "", "", "", false, false},
                                 {"not-a-level", "00006968", "", "no", false, false},
                                 {"overflow", "FF180038", "3", "no", false, false},
                                 {"not-a-level", "", "", "", false, false},
                                 {"completed", "0000002D", "2", "yes", true, true}};
    for (size_t i = 0; i < std::size(expected); ++i) {
        EXPECT_EQ(cell(i, "outcome"), expected[i].Outcome) << paths[i];
        EXPECT_EQ(cell(i, "version"), expected[i].Version) << paths[i];
        EXPECT_EQ(cell(i, "generation"), expected[i].Generation) << paths[i];
        EXPECT_EQ(cell(i, "at_file_end"), expected[i].AtEnd) << paths[i];
        EXPECT_EQ(!cell(i, "errors").empty(), expected[i].Checked) << paths[i];
        EXPECT_EQ(!cell(i, "warnings").empty(), expected[i].Checked) << paths[i];
        if (expected[i].Checked) {
            EXPECT_EQ(std::stoi(cell(i, "errors")) > 0, expected[i].Errors) << paths[i];
        }
    }
    // Counts as the builder wrote them; sizes and ends as the files hold them.
    EXPECT_EQ(cell(0, "rooms"), std::to_string(dm2.Rooms.Items.size()));
    EXPECT_EQ(cell(0, "floor_words"), std::to_string(dm2.FloorData.Items.size()));
    EXPECT_EQ(cell(0, "items"), std::to_string(dm2.Items.Items.size()));
    EXPECT_EQ(cell(0, "sound_details"), std::to_string(dm2.SoundDetails.Items.size()));
    EXPECT_EQ(cell(0, "end_offset"), cell(0, "size"));
    EXPECT_EQ(cell(1, "size"), std::to_string(dm3Bytes.size()));
    EXPECT_EQ(cell(1, "object_textures"), std::to_string(FilledLevel(3).ObjectTextures.Items.size()));
    EXPECT_EQ(cell(2, "size"), std::to_string(cut.size()));
    EXPECT_EQ(cell(2, "boxes"), "0");                           // read past the cut
    EXPECT_EQ(cell(5, "end_offset"), std::to_string(l.Frames)); // at the count that overflowed
    EXPECT_EQ(cell(5, "moveables"), "");                        // not reached
    EXPECT_EQ(cell(3, "size"), "");
    EXPECT_EQ(cell(3, "xxh3"), "");
    EXPECT_EQ(cell(6, "size"), "0");
    // The hash tells the files apart, and equal files alike.
    EXPECT_EQ(cell(0, "xxh3").size(), 16u);
    EXPECT_NE(cell(0, "xxh3"), cell(1, "xxh3"));
    EXPECT_EQ(Cells(Summary({dir.Write("copy.dm2", Build(dm2))}).Out)[1][20], cell(0, "xxh3"));
}

TEST(SummaryCommand, FoldersAreSearchedByVersionWordAndLinksShareTheirFilesRow) {
    TempDir dir;
    const fs::path sub = dir.Path() / "deeper" / "still";
    fs::create_directories(sub);
    const std::string named = dir.Write("level.dm2", Build(FilledLevel(2)));
    const std::string unnamed = dir.Write("deeper/still/data.bin", Build(FilledLevel(3)));
    dir.Write("deeper/notes.dm2", {'n', 'o', 't', 'e', 's'}); // named like a level, not one
    dir.Write("deeper/dm1.dm2", {0x20, 0, 0, 0});
    fs::create_symlink(named, dir.Path() / "deeper" / "link.dm2");
    fs::create_directory_symlink(dir.Path(), sub / "loop"); // not followed

    const Command c = Summary({dir.Path().string()});
    ASSERT_EQ(c.Exit, 0) << c.Err;
    const auto rows = Cells(c.Out);
    ASSERT_EQ(rows.size(), 4u) << c.Out;
    EXPECT_EQ(rows[1][0], (dir.Path() / "deeper" / "link.dm2").string());
    EXPECT_EQ(rows[2][0], unnamed);
    EXPECT_EQ(rows[3][0], named);
    EXPECT_EQ(std::vector(rows[1].begin() + 1, rows[1].end()),
              std::vector(rows[3].begin() + 1, rows[3].end()));
}

TEST(SummaryCommand, JsonRowsAndArguments) {
    TempDir dir;
    const std::string level = dir.Write("a \"quoted\", name.dm2", Build(FilledLevel(2)));
    const Command json = Summary({"--format", "json", level, (dir.Path() / "gone").string()});
    ASSERT_EQ(json.Exit, 0);
    EXPECT_TRUE(json.Out.starts_with("{\"summary\": [\n{\"path\": \"" + dir.Path().string() +
                                     "/a \\\"quoted\\\", name.dm2\", \"size\": "))
        << json.Out;
    EXPECT_NE(json.Out.find("\"outcome\": \"completed\", \"end_offset\": "), std::string::npos);
    EXPECT_NE(json.Out.find(
                  "{\"path\": \"" + (dir.Path() / "gone").string() +
                  "\", \"size\": null, \"version\": null, \"generation\": null, \"outcome\": \"unreadable\""),
              std::string::npos);
    EXPECT_TRUE(json.Out.ends_with("}\n]}\n"));
    // A CSV path with a comma or a quote is quoted.
    EXPECT_TRUE(Summary({level}).Out.find("\n\"" + dir.Path().string() + "/a \"\"quoted\"\", name.dm2\",") !=
                std::string::npos);

    for (const std::vector<std::string>& wrong : std::vector<std::vector<std::string>>{
             {}, {"--format", "xml", level}, {"--format"}, {"--all", level}}) {
        const Command c = Summary(wrong);
        EXPECT_EQ(c.Exit, 2);
        EXPECT_EQ(c.Out, "");
        EXPECT_TRUE(c.Err.ends_with("\nTry 'strata-report --help' for more information.\n")) << c.Err;
    }
    EXPECT_TRUE(IsSummaryRequest({"x", "--summary"}));
    EXPECT_FALSE(IsSummaryRequest({"--all", "x"}));
}

// A summary that cannot be written is not a success: exit 1 and the reason, on a stream that failed and
// on a descriptor that cannot take it.
TEST(SummaryCommand, AFailingOutputExitsWith1) {
    TempDir dir;
    const std::string level = dir.Write("a.dm2", Build(FilledLevel(2)));
    std::ostringstream out, err;
    out.setstate(std::ios::badbit);
    EXPECT_EQ(RunSummaryCommand({"--summary", level}, out, err), 1);
    EXPECT_EQ(err.str(), "strata-report: cannot write the summary: the stream failed\n");
    const int full = ::open("/dev/full", O_WRONLY | O_CLOEXEC);
    ASSERT_GE(full, 0);
    std::ostringstream unused, fullErr;
    EXPECT_EQ(RunSummaryCommand({"--summary", level}, unused, fullErr, full), 1);
    ::close(full);
    EXPECT_EQ(fullErr.str(), "strata-report: cannot write the summary: no space left on the device\n");
}

// One walk, one ending: for the same file the summary's outcome and end offset, the JSON's "ended"
// object and the line on standard error tell the same story.
TEST(SummaryCommand, EveryOutputTellsTheSameEnding) {
    TempDir dir;
    Level back = FilledLevel(2);
    back.Tiles.Count = -1; // a negative tile count steps the walk back before the file's start
    struct Case {
        std::string Path;
        std::string Outcome;
        std::string Generation; // the summary's cell, "" for none
        std::string Err;        // what the report's line on standard error holds
    } cases[] = {
        {dir.Write("one", {0x2D}), "not-a-level", "", " is not a DM2 or DM3 level: it holds only 1 byte"},
        {dir.Write("two", {0x2D, 0}), "not-a-level", "", " is not a DM2 or DM3 level: it holds only 2 bytes"},
        {dir.Write("three", {0x38, 0, 0x18}), "not-a-level", "",
         " is not a DM2 or DM3 level: it holds only 3 bytes"},
        {dir.Write("back.dm2", Build(back)), "stepped-back", "2",
         ": the walk stepped back before the file's start, to offset -"},
    };
    for (const Case& c : cases) {
        const auto rows = Cells(Summary({c.Path}).Out);
        ASSERT_EQ(rows.size(), 2u);
        const auto cell = [&](std::string_view column) {
            return rows[1].at(
                static_cast<size_t>(std::find(rows[0].begin(), rows[0].end(), column) - rows[0].begin()));
        };
        EXPECT_EQ(cell("outcome"), c.Outcome) << c.Path;
        EXPECT_EQ(cell("generation"), c.Generation) << c.Path;

        std::ostringstream out, err;
        const int exit = RunReportCommand({"--format", "json", c.Path}, dir.Path(), out, err);
        EXPECT_EQ(exit, 4) << c.Path;
        EXPECT_NE(out.str().find("\"ended\": {\"how\": \"" + c.Outcome +
                                 "\", \"offset\": " + cell("end_offset") + "}"),
                  std::string::npos)
            << out.str().substr(0, 200);
        EXPECT_NE(out.str().find("\"generation\": " + (c.Generation.empty() ? "null" : c.Generation)),
                  std::string::npos);
        EXPECT_NE(err.str().find(c.Err), std::string::npos) << err.str();
        if (c.Outcome == "stepped-back") {
            EXPECT_TRUE(cell("end_offset").starts_with("-"));
            EXPECT_NE(err.str().find("to offset " + cell("end_offset") + "\n"), std::string::npos)
                << err.str();
        }
    }
}

TEST(SummaryCommand, ANameWithALineBreakIsQuotedInItsCell) {
    SummaryRow row;
    row.Path = "two\nlines.dm2";
    row.Outcome = "unreadable";
    const std::string csv = SummaryText({row}, false);
    EXPECT_NE(csv.find("\n\"two\nlines.dm2\",,,,unreadable,"), std::string::npos) << csv;
}

// A row comes from a walk that keeps no text and drops each room once closed. Against the walk that
// holds its whole text and every room, each column agrees, for levels that end every way a summarised
// walk can end.
TEST(SummaryCommand, ARowTellsWhatTheWalkHoldingEverythingTells) {
    TempDir dir;
    Layout l;
    const std::vector<uint8_t> dm3 = Build(FilledLevel(3), l);
    std::vector<uint8_t> overflow = dm3;
    overflow[static_cast<size_t>(l.Frames) + 3] = 0x40;
    Level back = FilledLevel(2);
    back.Tiles.Count = -1;
    const std::vector<std::string> paths = {
        dir.Write("filled.dm2", Build(FilledLevel(2))),
        dir.Write("filled.dm3", dm3),
        dir.Write("cut.dm3", std::vector<uint8_t>(dm3.begin(), dm3.begin() + l.SoundSources)),
        dir.Write("overflow.dm3", overflow),
        dir.Write("back.dm2", Build(back)),
        dir.Write("loop.dm2", hostile::RoomLoopLevel(300, 40)),
        dir.Write("rooms-past-end.dm2", hostile::RoomsPastTheEndLevel(2)),
        dir.Write("rooms-past-end.dm3", hostile::RoomsPastTheEndLevel(3)),
        dir.Write("short", {0x2D, 0}),
    };
    // The count columns in the order of the summary's header, and the chunks they count.
    const std::pair<const char*, Piece> columns[] = {
        {"tiles", Piece::TextureTiles},
        {"rooms", Piece::Rooms},
        {"floor_words", Piece::FloorData},
        {"animations", Piece::Animations},
        {"moveables", Piece::Moveables},
        {"static_meshes", Piece::StaticMeshes},
        {"object_textures", Piece::ObjectTextures},
        {"sprite_textures", Piece::SpriteTextures},
        {"cameras", Piece::Cameras},
        {"sound_sources", Piece::SoundSources},
        {"boxes", Piece::Boxes},
        {"items", Piece::Items},
        {"sound_details", Piece::SoundDetails},
    };
    const std::vector<std::string> header = Cells(SummaryText({}, false)).at(0);
    ASSERT_EQ(header.size(), 7 + std::size(columns) + 3); // then xxh3, errors, warnings
    for (size_t c = 0; c < std::size(columns); ++c)
        ASSERT_EQ(header[7 + c], columns[c].first);

    const std::vector<SummaryRow> rows = Summarise(paths, 2);
    ASSERT_EQ(rows.size(), paths.size());
    std::set<std::string> endings;
    for (size_t i = 0; i < paths.size(); ++i) {
        SCOPED_TRACE(paths[i]);
        AppState whole;
        ReportLevelFile(whole, paths[i]);
        ASSERT_TRUE(whole.Level);
        EXPECT_FALSE(whole.Report.Text().empty());
        const WalkMap& map = whole.Map;
        const SummaryRow& row = rows[i];
        EXPECT_EQ(row.Outcome, EndingName(map.Ending()));
        endings.insert(row.Outcome);
        EXPECT_EQ(row.Generation, whole.LastRun.Walked() ? map.Generation() : 0);
        EXPECT_EQ(row.EndOffset, whole.LastRun.Walked() ? map.EndOffset() : 4);
        EXPECT_EQ(row.Size, whole.Level->FileLength());
        ASSERT_EQ(row.Counts.size(), std::size(columns));
        for (size_t c = 0; c < std::size(columns); ++c) {
            const int32_t span = whole.LastRun.Walked() ? map.Find(columns[c].second) : -1;
            EXPECT_EQ(row.Counts[c], span >= 0 ? std::optional<int32_t>(map[span].Count) : std::nullopt)
                << columns[c].first;
        }
    }
    EXPECT_EQ(endings, (std::set<std::string>{"completed", "overflow", "stepped-back", "not-a-level"}));
}
