// The JSON document against the text report of the same run: parsed with a real JSON parser, every
// summary line of the text has its chunk, room or part with the same offset and count, every line the
// JSON names shows its count, byte figure and value, and every listed record rebuilds its own lines.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <functional>
#include <map>
#include <nlohmann/json.hpp>
#include <optional>

#include "common/TestFiles.h"
#include "format/Fault.h"
#include "format/LevelFormat.h"
#include "fuzz/HostileLevels.h"
#include "report/AppState.h"
#include "report/JsonReport.h"
#include "report/ReportRun.h"
#include "tools/DemoLevel.h"
#include "tools/LevelBuilder.h"

using namespace levelbuilder;
using nlohmann::json;

namespace {

std::string At(int64_t offset) {
    char text[40];
    std::snprintf(text, sizeof text, "0x%X,%lld,", static_cast<unsigned>(offset),
                  static_cast<long long>(offset));
    return text;
}

// A summary line: "0x" + hex + "," + decimal + "," + count + (" ") + "," + a word.
struct Summary {
    int64_t Offset = 0;
    int64_t Count = 0;
};
std::optional<Summary> SummaryOf(std::string_view line) {
    if (!line.starts_with("0x"))
        return std::nullopt;
    const char* p = line.data() + 2;
    const char* end = line.data() + line.size();
    uint32_t hex = 0;
    auto r = std::from_chars(p, end, hex, 16);
    if (r.ec != std::errc() || r.ptr == end || *r.ptr != ',')
        return std::nullopt;
    Summary s;
    r = std::from_chars(r.ptr + 1, end, s.Offset);
    if (r.ec != std::errc() || r.ptr == end || *r.ptr != ',' || static_cast<uint32_t>(s.Offset) != hex)
        return std::nullopt;
    r = std::from_chars(r.ptr + 1, end, s.Count);
    if (r.ec != std::errc())
        return std::nullopt;
    p = r.ptr;
    if (p != end && *p == ' ')
        ++p;
    if (end - p < 2 || *p != ',' || !(std::isalpha(static_cast<unsigned char>(p[1])) || p[1] == ' '))
        return std::nullopt;
    return s;
}

// Every node of the tree (chunks, rooms, parts) in document order.
void Nodes(const json& list, std::vector<const json*>& out) {
    for (const json& node : list) {
        out.push_back(&node);
        if (node.contains("children"))
            Nodes(node["children"], out);
    }
}

std::string Shown(const json& value) {
    return value.is_string() ? value.get<std::string>() : std::to_string(value.get<int64_t>());
}

std::vector<std::string> Columns(std::string_view header) {
    std::vector<std::string> columns;
    size_t start = 0;
    for (;;) {
        const size_t comma = std::min(header.find(',', start), header.size());
        std::string_view c = header.substr(start, comma - start);
        while (!c.empty() && c.front() == ' ')
            c.remove_prefix(1);
        while (!c.empty() && c.back() == ' ')
            c.remove_suffix(1);
        columns.emplace_back(c);
        if (comma == header.size())
            return columns;
        start = comma + 1;
    }
}

const format::Record* RecordOfHeader(std::string_view header) {
    for (const format::Record* r : format::kAllRecords)
        if (r->Header == header)
            return r;
    return nullptr;
}

// The lead columns of record line: offsets and number, as the header line announces them.
std::string Lead(const format::Record& r, int64_t offset, int64_t index, bool dm3) {
    const std::string number =
        (dm3 && &r == &format::kFloorWord ? "Room Floor Data No " : "") + std::to_string(index);
    if (r.LeadColumns == 1)
        return number;
    const std::string offsets = At(offset);
    return r.LeadColumns == 2 ? offsets.substr(0, offsets.size() - 1) : offsets + number;
}

// The text lines of one record, rebuilt from its JSON object and the format description.
std::vector<std::string> RecordLines(const format::Record& r, const json& record, int64_t index, bool dm3) {
    std::vector<std::string> lines{Lead(r, record["offset"].get<int64_t>(), index, dm3)};
    const std::vector<std::string> columns = Columns(r.Header);
    size_t keys = r.LeadColumns == 2 ? 1 : 2;
    for (const format::Field& f : r.Fields) {
        if (f.How == format::Shown::Absent) {
            EXPECT_FALSE(record.contains(std::string(f.Name))) << f.Name;
            continue;
        }
        ++keys;
        const json& value = record.at(std::string(f.Name));
        lines[0] += "," + Shown(f.Repeat > 1 ? value.at(0) : value);
        if (f.Repeat > 1) {
            EXPECT_EQ(value.size(), f.Repeat) << f.Name;
            const auto column = std::find(columns.begin(), columns.end(), f.Name) - columns.begin();
            for (int rep = 1; rep < f.Repeat; ++rep) {
                if (lines.size() <= static_cast<size_t>(rep))
                    lines.emplace_back(static_cast<size_t>(column), ',');
                else
                    lines[static_cast<size_t>(rep)] += ",";
                lines[static_cast<size_t>(rep)] += Shown(value.at(static_cast<size_t>(rep)));
            }
        }
    }
    EXPECT_EQ(record.size(), keys) << record.dump();
    return lines;
}

struct JsonRun {
    std::string Path;
    std::vector<uint8_t> Bytes;
    AppState State;
    std::vector<std::string> Text;
    json Doc;
};

// Compares a parsed document with the text report of the same run.
void CheckAgainstText(const JsonRun& run, bool wholeLevel) {
    const json& doc = run.Doc;
    const std::vector<std::string>& text = run.Text;
    EXPECT_EQ(doc["file"], run.Path);
    EXPECT_EQ(doc["size"], run.Bytes.size());
    ASSERT_GE(text.size(), 2u);
    EXPECT_EQ(text[1].substr(text[1].find("Version: ") + 9, 8), doc["version"]);
    EXPECT_EQ(doc["ended"]["how"], EndingName(run.State.Map.Ending()));
    EXPECT_EQ(doc["ended"]["offset"], run.State.LastRun.End.Offset);
    const bool dm3 = doc["generation"] == 3;

    std::vector<const json*> nodes;
    Nodes(doc["chunks"], nodes);
    std::map<int64_t, const json*> byLine; // 1-based line of each node that wrote one
    for (const json* node : nodes)
        if (node->contains("line")) {
            EXPECT_TRUE(byLine.emplace((*node)["line"].get<int64_t>(), node).second) << node->dump();
        }
    const auto nodeAt = [&](int64_t line) -> const json* {
        const auto at = byLine.find(line);
        return at == byLine.end() ? nullptr : at->second;
    };

    // Every summary line has its node with the same offset and count; the sector grid writes three.
    int summaries = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const std::optional<Summary> s = SummaryOf(text[i]);
        if (!s)
            continue;
        ++summaries;
        SCOPED_TRACE("line " + std::to_string(i + 1) + ": " + text[i]);
        const auto line = static_cast<int64_t>(i) + 1;
        if (const json* node = nodeAt(line); node && (*node)["name"] != "Sectors") {
            EXPECT_EQ((*node)["offset"], s->Offset);
            EXPECT_EQ((*node)["count"], s->Count);
        } else if (node) {
            EXPECT_EQ((*node)["offset"], s->Offset);
            EXPECT_EQ((*node)["zSectors"], s->Count);
        } else if (const json* grid = nodeAt(line - 1); grid && (*grid)["name"] == "Sectors") {
            EXPECT_EQ((*grid)["offset"].get<int64_t>() + 2, s->Offset);
            EXPECT_EQ((*grid)["xSectors"], s->Count);
        } else if (const json* grid2 = nodeAt(line - 2); grid2 && (*grid2)["name"] == "Sectors") {
            EXPECT_EQ((*grid2)["offset"].get<int64_t>() + 4, s->Offset);
            EXPECT_EQ((*grid2)["count"], s->Count);
        } else {
            ADD_FAILURE() << "no chunk in the JSON";
        }
    }
    if (run.State.LastRun.Walked() && text.size() > 12) {
        EXPECT_GT(summaries, 0);
    }

    for (const json* node : nodes) {
        SCOPED_TRACE(node->dump().substr(0, 200));
        const std::string name = (*node)["name"];
        const int64_t offset = (*node)["offset"];
        EXPECT_LE(offset, (*node)["end"].get<int64_t>());
        if (!node->contains("line"))
            continue;
        const auto line = (*node)["line"].get<size_t>() - 1;
        ASSERT_LT(line, text.size());
        const std::string& own = text[line];
        const bool grid = name == "Sectors";
        if (node->contains("count") && !grid && !name.starts_with("Textures ")) {
            EXPECT_TRUE(own.starts_with(At(offset) + std::to_string((*node)["count"].get<int64_t>()))) << own;
        }
        if (node->contains("bytes")) {
            const std::string& withBytes = text.at(grid ? line + 2 : line);
            const std::string figure = std::to_string((*node)["bytes"].get<int64_t>()) + " bytes";
            EXPECT_TRUE(withBytes.ends_with(figure) &&
                        std::string(",. ").find(withBytes[withBytes.size() - figure.size() - 1]) !=
                            std::string::npos)
                << withBytes;
        }
        if (node->contains("value")) {
            const std::string value = std::to_string((*node)["value"].get<int64_t>());
            EXPECT_TRUE(own.starts_with(At(offset)) && own.ends_with(value) &&
                        !std::isdigit(static_cast<unsigned char>(own[own.size() - value.size() - 1])))
                << own;
        }

        if (!node->contains("records"))
            continue;
        const auto header = (*node)["recordsLine"].get<size_t>() - 1;
        ASSERT_LT(header, text.size());
        const format::Record* r = RecordOfHeader(text[header]);
        ASSERT_NE(r, nullptr) << text[header];
        const json& records = (*node)["records"];
        size_t at = header + 1;
        for (size_t k = 0; k < records.size(); ++k) {
            const json& record = records[k];
            EXPECT_EQ(record["offset"],
                      records[0]["offset"].get<int64_t>() + static_cast<int64_t>(k) * r->Size);
            if (r->LeadColumns != 2) {
                EXPECT_EQ(record["index"], k);
            }
            for (const std::string& expected : RecordLines(*r, record, static_cast<int64_t>(k), dm3)) {
                ASSERT_LT(at, text.size());
                EXPECT_EQ(text[at], expected) << "record " << k;
                ++at;
            }
        }
        // The line after the last numbered record is not one more record.
        if (at < text.size() && !records.empty() && r->LeadColumns != 2) {
            const int64_t next =
                records[0]["offset"].get<int64_t>() + static_cast<int64_t>(records.size()) * r->Size;
            EXPECT_FALSE(
                text[at].starts_with(Lead(*r, next, static_cast<int64_t>(records.size()), dm3) + ","))
                << text[at];
        }
    }

    // A whole level's top-level chunks tile it from byte 4 to its end.
    if (wholeLevel) {
        const json& chunks = doc["chunks"];
        ASSERT_FALSE(chunks.empty());
        EXPECT_EQ(chunks.front()["offset"], 4);
        for (size_t i = 1; i < chunks.size(); ++i)
            EXPECT_EQ(chunks[i]["offset"], chunks[i - 1]["end"]) << chunks[i]["name"];
        EXPECT_EQ(chunks.back()["end"], run.Bytes.size());
    }
}

// Every node that reaches past the file's end says so, and no other; only the chunk the walk ended
// inside is cut, with the innermost of its children that the walk stood in, and it is the last one.
void CheckFlags(const json& doc, const char* cutChunk) {
    std::vector<const json*> nodes;
    Nodes(doc["chunks"], nodes);
    for (const json* node : nodes) {
        SCOPED_TRACE(node->dump().substr(0, 200));
        EXPECT_EQ(node->contains("pastEnd"), (*node)["end"].get<int64_t>() > doc["size"].get<int64_t>());
        if (node->contains("pastEnd")) {
            EXPECT_EQ((*node)["pastEnd"], true);
        }
    }
    const json& chunks = doc["chunks"];
    for (size_t i = 0; i < chunks.size(); ++i) {
        const bool cut = cutChunk && i + 1 == chunks.size();
        EXPECT_EQ(chunks[i].contains("cut"), cut) << chunks[i]["name"];
        if (cut) {
            EXPECT_EQ(chunks[i]["name"], cutChunk);
            EXPECT_EQ(chunks[i]["cut"], true);
        }
    }
    if (cutChunk) {
        ASSERT_FALSE(chunks.empty());
    }
}

void RunLevel(JsonRun& run, const TempDir& dir, const std::string& name, const DetailOptionSet& options,
              int64_t fixedBytes) {
    run.Path = dir.Write(name, run.Bytes);
    run.State.DetailOptions = options;
    run.State.TileFolderOverride = dir.Path() / "tiles";
    run.State.ReportFixedBytes = fixedBytes;
    ReportLevelFile(run.State, run.Path);
    run.Text = Lines(run.State.Report.Str());
    const std::string document = JsonReport(run.State);
    ASSERT_NO_THROW(run.Doc = json::parse(document)) << document.substr(0, 400);
}

std::vector<uint8_t> Patched(std::vector<uint8_t> bytes, int32_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        bytes.at(static_cast<size_t>(at + i)) = static_cast<uint8_t>(value >> (8 * i));
    return bytes;
}

struct LevelCase {
    const char* Name;
    std::function<std::vector<uint8_t>()> Bytes;
    WalkEnding Ending;
    bool Whole = false; // the top-level chunks tile the file
    int64_t FixedBytes = kReportFixedBytes;
    const char* CutChunk = nullptr; // the chunk the walk ended inside, the last one
};

void PrintTo(const LevelCase& level, std::ostream* out) {
    *out << level.Name;
}

std::vector<LevelCase> LevelCases() {
    const auto cut = [](int16_t generation, auto where) {
        return [=] {
            Layout layout;
            std::vector<uint8_t> bytes = Build(FilledLevel(generation), layout);
            bytes.resize(static_cast<size_t>(where(layout)));
            return bytes;
        };
    };
    return {
        {"FilledDM2", [] { return Build(FilledLevel(2)); }, WalkEnding::Completed, true},
        {"FilledDM3", [] { return Build(FilledLevel(3)); }, WalkEnding::Completed, true},
        {"DemoDM2", [] { return Build(DemoLevel(2)); }, WalkEnding::Completed, true},
        {"DemoDM3", [] { return Build(DemoLevel(3)); }, WalkEnding::Completed, true},
        {"CutInTheSecondRoomDM2", cut(2, [](const Layout& l) { return l.Rooms.at(1) + 37; }),
         WalkEnding::Completed},
        {"CutInTheItemsDM3", cut(3, [](const Layout& l) { return l.Items + 30; }), WalkEnding::Completed},
        {"OverflowInTheAnimationsDM2",
         [] {
             Layout layout;
             const std::vector<uint8_t> bytes = Build(FilledLevel(2), layout);
             return Patched(bytes, layout.Animations, 0x7FFFFFFF);
         },
         WalkEnding::Overflow, false, kReportFixedBytes, "Animations"},
        // Rooms that go over the same bytes again until the report's size limit stops them.
        {"SizeLimitDM2", [] { return hostile::RoomLoopLevel(32767, 200); }, WalkEnding::SizeLimit, false,
         1 << 16, "Rooms"},
        {"NotALevel", [] { return std::vector<uint8_t>{'l', 'e', 'v', 'e', 'l', '?', 0, 1, 2}; },
         WalkEnding::NotALevel},
        {"DM1", [] { return std::vector<uint8_t>{0x20, 0, 0, 0, 5, 6, 7, 8}; }, WalkEnding::NotALevel},
    };
}

} // namespace

class JsonAgainstText : public testing::TestWithParam<LevelCase> {};
INSTANTIATE_TEST_SUITE_P(, JsonAgainstText, testing::ValuesIn(LevelCases()),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST_P(JsonAgainstText, EverySummaryLineAndRecordWithNoOptionsAndAll) {
    const LevelCase& level = GetParam();
    const TempDir dir;
    for (const bool all : {false, true}) {
        SCOPED_TRACE(all ? "all options" : "no options");
        DetailOptionSet options;
        SetAllDetails(options, all);
        JsonRun run;
        run.Bytes = level.Bytes();
        RunLevel(run, dir, "level.lvl", options, level.FixedBytes);
        EXPECT_EQ(run.State.Map.Ending(), level.Ending);
        CheckAgainstText(run, level.Whole);
        CheckFlags(run.Doc, level.CutChunk);
        if (all && run.State.LastRun.Walked()) {
            EXPECT_NE(run.Doc.dump().find("\"records\""), std::string::npos);
        }
    }
}

// Listed records appear only where their section is on: a chunk that is not listed has none.
TEST(JsonReport, OnlyListedChunksCarryRecords) {
    const TempDir dir;
    for (const int16_t generation : {int16_t{2}, int16_t{3}}) {
        DetailOptionSet options;
        options.Set(optSpriteTextures, true);
        JsonRun run;
        run.Bytes = Build(FilledLevel(generation));
        RunLevel(run, dir, "level.lvl", options, kReportFixedBytes);
        std::vector<const json*> nodes;
        Nodes(run.Doc["chunks"], nodes);
        std::vector<std::string> listed;
        for (const json* node : nodes)
            if (node->contains("records"))
                listed.push_back((*node)["name"]);
        EXPECT_EQ(listed, std::vector<std::string>{"Sprite Textures"});
    }
}

TEST(JsonReport, StringsAreEscapedAndKeptValid) {
    const struct {
        std::string_view Text;
        std::string_view Json;
    } cases[] = {
        {"level.dm2", R"("level.dm2")"},
        {"a \"quoted\" \\ path", R"("a \"quoted\" \\ path")"},
        {"tab\tline\nreturn\r", R"("tab\tline\nreturn\r")"},
        {std::string_view("nul\0bell\x07", 9), R"("nul\u0000bell\u0007")"},
        {"unit\x1Fseparator\x7F", "\"unit\\u001fseparator\x7F\""},
        {"caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80", "\"caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80\""},
        {"bad \xFF byte", R"("bad \ufffd byte")"},
        {"cut \xE2\x82", R"("cut \ufffd\ufffd")"},
        {"cut \xC3", R"("cut \ufffd")"},
        {"\xC3(lead", R"("\ufffd(lead")"},
        {"cut \xF0\x9F\x98 four", R"("cut \ufffd\ufffd\ufffd four")"},
        {"overlong \xC0\xAF", R"("overlong \ufffd\ufffd")"},
        {"surrogate \xED\xA0\x80", R"("surrogate \ufffd\ufffd\ufffd")"},
        {"past the last \xF4\x90\x80\x80", R"("past the last \ufffd\ufffd\ufffd\ufffd")"},
    };
    for (const auto& c : cases) {
        std::string out;
        AppendJsonString(out, c.Text);
        EXPECT_EQ(out, c.Json);
        EXPECT_TRUE(json::accept(out)) << out;
    }
}

TEST(JsonReport, AnOddPathIsTheFileItNames) {
    const TempDir dir;
    JsonRun run;
    run.Bytes = Build(FilledLevel(2));
    RunLevel(run, dir, "a \"level\" \\ with\tcontrols \xC3\xA9.dm2", DetailOptionSet{}, kReportFixedBytes);
    EXPECT_EQ(run.Doc["file"], run.Path);
    EXPECT_TRUE(JsonReport(AppState{}).empty()); // no run, no document
}

namespace {

struct DocumentSink final : ReportSink {
    std::string Text;
    size_t Largest = 0;
    void Write(std::string_view block) override {
        Text.append(block);
        Largest = std::max(Largest, block.size());
    }
};

} // namespace

// The document handed on as the walk goes, from the file or from a level read whole (standard input),
// is the one written from the finished walk, byte for byte, for every level the size limit leaves alone.
TEST_P(JsonAgainstText, StreamedAsTheWalkGoesIsTheDocumentOfTheFinishedWalk) {
    const LevelCase& level = GetParam();
    if (level.Ending == WalkEnding::SizeLimit)
        GTEST_SKIP() << "there the limit counts the document's bytes rather than the text's";
    const TempDir dir;
    for (const bool all : {false, true}) {
        SCOPED_TRACE(all ? "all options" : "no options");
        JsonRun run;
        run.Bytes = level.Bytes();
        SetAllDetails(run.State.DetailOptions, all);
        RunLevel(run, dir, "level.lvl", run.State.DetailOptions, level.FixedBytes);
        const std::string expected = JsonReport(run.State);
        for (const bool fromMemory : {false, true}) {
            AppState state;
            state.DetailOptions = run.State.DetailOptions;
            state.TileFolderOverride = dir.Path() / "tiles";
            DocumentSink sink;
            StreamJsonReport(state, run.Path, sink,
                             fromMemory ? std::make_shared<const LevelFile>(LevelFile::FromBytes(run.Bytes))
                                        : nullptr);
            EXPECT_EQ(sink.Text, expected) << (fromMemory ? "from memory" : "from the file");
            EXPECT_EQ(state.LastRun.End.Offset, run.State.LastRun.End.Offset);
        }
    }
}

// Rooms that go over the same bytes again: the limit counts the document, which stops after the room
// that crossed it (the text alone would let the walk go on about twice as far), parses,
// says the limit ended it, and goes out in blocks of about a megabyte.
TEST(JsonReport, TheSizeLimitCountsTheDocumentsBytes) {
    const TempDir dir;
    const std::vector<uint8_t> bytes = hostile::RoomLoopLevel(32767, 200);
    const std::string path = dir.Write("loop.dm2", bytes);
    constexpr int64_t kFixed = int64_t{1} << 20;
    AppState state;
    SetAllDetails(state.DetailOptions, true);
    state.DetailOptions.Set(optTextureTiles, false);
    state.ReportFixedBytes = kFixed;
    DocumentSink sink;
    EXPECT_EQ(StreamJsonReport(state, path, sink), kReportLimitFault);
    const size_t limit = ReportByteLimit(static_cast<int64_t>(bytes.size()), kFixed);
    EXPECT_GT(sink.Text.size(), limit);
    EXPECT_LE(sink.Text.size(), limit + (size_t{64} << 10)); // a room's document, and the closing
    EXPECT_LE(sink.Largest, (size_t{1} << 20) + (size_t{64} << 10));
    json doc;
    ASSERT_NO_THROW(doc = json::parse(sink.Text));
    EXPECT_EQ(doc["ended"]["how"], "size-limit");
    EXPECT_EQ(doc["chunks"].back()["name"], "Rooms");
    EXPECT_EQ(doc["chunks"].back()["cut"], true);

    AppState text = state;
    ReportLevelFile(text, path);
    EXPECT_GT(JsonReport(text).size(), sink.Text.size() * 3 / 2);
}
