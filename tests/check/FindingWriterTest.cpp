// The findings' writers: a compiler-like line per finding, paths as SARIF URI references, and a file's
// part handed on in blocks whatever its size.
#include "check/FindingWriter.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

namespace {

check::Finding DoorFinding(int64_t offset) {
    check::Finding f;
    f.Of = check::RuleById("door-room");
    f.Offset = offset;
    f.Bytes = 2;
    f.Place = "Rooms > room 1 > Doors > door 0";
    f.Field = "AdjoiningRoom";
    f.Value = 7;
    f.Message = "AdjoiningRoom is 7, but the level has 3 rooms";
    return f;
}

} // namespace

TEST(CheckFindingText, OneLineLikeACompilersDiagnostic) {
    struct Case {
        std::string Path;
        int64_t Offset;
        std::string Place;
        std::string Line;
    } cases[] = {
        {"level.dm2", 0x12091A, "Rooms > room 1 > Doors > door 0",
         "level.dm2:0x12091A: error: Rooms > room 1 > Doors > door 0: AdjoiningRoom is 7, but the level has "
         "3 "
         "rooms [door-room]"},
        {"a/b.dm3", 0, "Rooms > room 1 > Doors > door 0",
         "a/b.dm3:0x0: error: Rooms > room 1 > Doors > door 0: AdjoiningRoom is 7, but the level has 3 rooms "
         "[door-room]"},
        // A walk that stepped back before the file's start; no place.
        {"x.dm2", -0x2B, "", "x.dm2:-0x2B: error: AdjoiningRoom is 7, but the level has 3 rooms [door-room]"},
        // A name that could drive a terminal is escaped.
        {"evil\n\x1b[2J.dm2", 16, "",
         "evil\\n\\x1b[2J.dm2:0x10: error: AdjoiningRoom is 7, but the level has 3 "
         "rooms [door-room]"},
    };
    for (const Case& c : cases) {
        check::Finding f = DoorFinding(c.Offset);
        f.Place = c.Place;
        EXPECT_EQ(check::FindingLine(c.Path, f), c.Line);
    }
}

TEST(CheckSarif, PathsBecomeUriReferences) {
    const struct {
        std::string Path, Uri;
    } cases[] = {
        {"level.dm2", "level.dm2"},
        {"mods/a b/level.dm2", "mods/a%20b/level.dm2"},
        {"/abs/level.dm2", "file:///abs/level.dm2"},
        {"50%.dm2", "50%25.dm2"},
        {"c:level#1?.dm2", "c%3Alevel%231%3F.dm2"}, // not a scheme, nor a fragment or a query
        {"caf\xc3\xa9.dm2", "caf%C3%A9.dm2"},
        {"./x.dm2", "./x.dm2"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(check::PathUri(c.Path), c.Uri) << c.Path;
}

TEST(CheckSarif, AFindingBeforeTheFileStartHasNoRegion) {
    const auto format = check::MakeFindingFormat("sarif", "1.0.0");
    for (const int64_t offset : {int64_t{-5}, int64_t{12}}) {
        std::string text;
        format->AppendFinding(text, "x.dm2", DoorFinding(offset));
        const nlohmann::json result = nlohmann::json::parse(text);
        const nlohmann::json& location = result["locations"][0]["physicalLocation"];
        EXPECT_EQ(location.contains("region"), offset >= 0) << offset;
        if (offset >= 0) {
            EXPECT_EQ(location["region"]["byteOffset"], offset);
            EXPECT_EQ(location["region"]["byteLength"], 2);
        }
    }
}

TEST(CheckFindingWriter, APartIsHandedOnInBlocksAndWholeAtTheEnd) {
    for (const char* name : {"text", "json", "sarif"}) {
        SCOPED_TRACE(name);
        const auto format = check::MakeFindingFormat(name, "1.0.0");
        ASSERT_TRUE(format);
        std::string whole;
        int blocks = 0;
        bool ended = false;
        check::FindingWriter writer(*format, "level.dm2", [&](std::string& text, bool last) {
            EXPECT_FALSE(ended);
            whole += text;
            text.clear();
            ++blocks;
            ended = last;
        });
        std::string expected = format->FileHead("level.dm2");
        for (int i = 0; i < 2000; ++i) {
            if (i > 0)
                expected += format->FindingSeparator();
            format->AppendFinding(expected, "level.dm2", DoorFinding(i));
            writer.Found(DoorFinding(i));
        }
        check::CheckedFile file;
        file.Path = "level.dm2";
        file.Outcome = "completed";
        expected += format->FileTail(file);
        writer.Finish(file);
        EXPECT_TRUE(ended);
        EXPECT_GT(blocks, 2); // 2000 findings are well over one block
        EXPECT_EQ(whole, expected);
    }
    EXPECT_FALSE(check::MakeFindingFormat("xml"));
}
