// strata-export end to end through its command: the arguments it refuses (exit 2), the levels and
// outputs it refuses (exit 1, the level left as it was), the files each format writes beside OUT, and
// --rooms read back from the .glb's JSON chunk.
#include "cli/ExportCommand.h"

#include <gtest/gtest.h>

#include <cstring>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>

#include "common/TestFiles.h"
#include "tools/LevelBuilder.h"

namespace {

namespace fs = std::filesystem;
using nlohmann::json;

struct Exported {
    int Exit = -1;
    std::string Out, Err;
};

Exported Export(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    const int exit = RunExportCommand(args, out, err);
    return {exit, out.str(), err.str()};
}

// Two rooms joined by doors, with faces over tile 1, lights, items and cameras, every reference real.
std::vector<uint8_t> TwoRooms() {
    return levelbuilder::Build(levelbuilder::ValidLevel(2));
}

// The JSON chunk of a .glb.
json GlbJson(const fs::path& path) {
    const std::vector<uint8_t> bytes = ReadAll(path);
    EXPECT_GE(bytes.size(), 20u);
    if (bytes.size() < 20)
        return {};
    uint32_t length = 0;
    std::memcpy(&length, bytes.data() + 12, 4);
    return json::parse(bytes.begin() + 20, bytes.begin() + 20 + length);
}

TEST(ExportCommand, WrongArgumentsExitTwoWithASentence) {
    TempDir dir;
    const std::string level = dir.Write("level.dm2", TwoRooms());
    const std::string out = (dir.Path() / "out.glb").string();
    const struct {
        std::vector<std::string> Args;
        std::string Says;
    } cases[] = {
        {{level}, "needs -o OUT"},
        {{"-o", out}, "needs the LEVEL"},
        {{"-o", out, level, level}, "one LEVEL at a time"},
        {{"--format", "fbx", "-o", out, level}, "--format is glb, gltf or obj, not \"fbx\""},
        {{"--tiles", "12", "-o", out, level}, "--tiles is 8 or 16"},
        {{"--rooms", "3-1", "-o", out, level}, "--rooms: \"3-1\" is not a room number"},
        {{"--rooms", "1,x", "-o", out, level}, "--rooms: \"x\""},
        {{"--rooms", "40000", "-o", out, level}, "--rooms: \"40000\""},
        {{"-o", "-", level}, "-o needs a FILE"},
        {{"--bogus", "-o", out, level}, "--bogus is not an option of strata-export"},
        {{"-o", out, level, "--format"}, "--format needs a value"},
    };
    for (const auto& c : cases) {
        const Exported run = Export(c.Args);
        EXPECT_EQ(run.Exit, 2) << c.Says;
        EXPECT_NE(run.Err.find(c.Says), std::string::npos) << run.Err;
        EXPECT_NE(run.Err.find("Try 'strata-export --help'"), std::string::npos) << run.Err;
    }
    EXPECT_FALSE(fs::exists(out));
}

TEST(ExportCommand, RefusesToWriteOverTheLevelAndExitsOne) {
    TempDir dir;
    const std::vector<uint8_t> bytes = TwoRooms();
    const std::string level = dir.Write("scene.bin", bytes);
    fs::create_symlink(level, dir.Path() / "link.glb");
    const struct {
        std::vector<std::string> Args;
        std::string Says;
    } cases[] = {
        {{"-o", level, level}, "it is the level file"},
        {{"-o", (dir.Path() / "link.glb").string(), level}, "it is the level file"},
        // The .gltf's buffer would be scene.bin beside it: the level.
        {{"-o", (dir.Path() / "scene.gltf").string(), level}, "it is the level file"},
    };
    for (const auto& c : cases) {
        const Exported run = Export(c.Args);
        EXPECT_EQ(run.Exit, 1) << c.Args[1];
        EXPECT_NE(run.Err.find(c.Says), std::string::npos) << run.Err;
        EXPECT_EQ(ReadAll(level), bytes);
    }
    // Refused before anything was written: no texture beside it either.
    EXPECT_FALSE(fs::exists(dir.Path() / "scene.gltf"));
    EXPECT_FALSE(fs::exists(dir.Path() / "scene.tile1.png"));
}

TEST(ExportCommand, LevelsThatCannotBeExportedExitOne) {
    TempDir dir;
    const std::string level = dir.Write("level.dm2", TwoRooms());
    const std::string text = dir.Write("notes.txt", {'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd'});
    const std::string empty = dir.Write("empty.dm2", {});
    const std::string out = (dir.Path() / "out.glb").string();
    const struct {
        std::vector<std::string> Args;
        std::string Says;
    } cases[] = {
        {{"-o", out, (dir.Path() / "missing.dm2").string()}, "cannot read"},
        {{"-o", out, text}, "is not a DM2 or DM3 level"},
        {{"-o", out, empty}, "the file is empty"},
        {{"--rooms", "0,7", "-o", out, level}, "room 7 is not in"},
    };
    for (const auto& c : cases) {
        const Exported run = Export(c.Args);
        EXPECT_EQ(run.Exit, 1) << c.Says;
        EXPECT_NE(run.Err.find(c.Says), std::string::npos) << run.Err;
    }
    EXPECT_FALSE(fs::exists(out));
}

TEST(ExportCommand, EachFormatWritesItsFilesBesideOut) {
    TempDir dir;
    const std::string level = dir.Write("level.dm2", TwoRooms());
    const struct {
        std::vector<std::string> Options;
        std::string Out;
        std::vector<std::string> Files; // beside OUT
        std::string Starts;             // OUT's first bytes
    } cases[] = {
        {{}, "a.glb", {}, "glTF"},
        {{}, "b.gltf", {"b.bin", "b.tile1.png"}, "{"},
        {{}, "c.obj", {"c.mtl", "c.tile1.png"}, "# Strata Viewer\nmtllib c.mtl\n"},
        {{"--format", "glb"}, "d.gltf", {}, "glTF"}, // --format wins over the extension
        {{"--format", "obj", "--tiles", "16"}, "e.txt", {"e.mtl", "e.tile1.png"}, "# Strata Viewer"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = c.Options;
        args.insert(args.end(), {"-o", (dir.Path() / c.Out).string(), level});
        const Exported run = Export(args);
        EXPECT_EQ(run.Exit, 0) << c.Out << run.Err;
        const std::vector<uint8_t> written = ReadAll(dir.Path() / c.Out);
        EXPECT_TRUE(std::string(written.begin(), written.end()).starts_with(c.Starts)) << c.Out;
        for (const std::string& file : c.Files)
            EXPECT_TRUE(fs::exists(dir.Path() / file)) << file;
    }
}

TEST(ExportCommand, RoomsListKeepsTheRoomsAskedForAndTheirMarkers) {
    TempDir dir;
    const std::string level = dir.Write("level.dm2", TwoRooms());
    const fs::path all = dir.Path() / "all.glb", one = dir.Path() / "one.glb";
    ASSERT_EQ(Export({"-o", all.string(), level}).Exit, 0);
    ASSERT_EQ(Export({"--rooms", "1", "-o", one.string(), level}).Exit, 0);
    const auto names = [](const json& doc, const std::string& prefix) {
        std::set<std::string> out;
        for (const json& node : doc["nodes"])
            if (node["name"].get<std::string>().starts_with(prefix))
                out.insert(node["name"].get<std::string>());
        return out;
    };
    const json whole = GlbJson(all), chosen = GlbJson(one);
    EXPECT_EQ(names(whole, "room "), (std::set<std::string>{"room 0", "room 1"}));
    EXPECT_EQ(names(chosen, "room "), std::set<std::string>{"room 1"});
    for (const json& node : chosen["nodes"]) {
        const std::string name = node["name"].get<std::string>();
        if (name.starts_with("door ") || name.starts_with("light ")) {
            EXPECT_NE(name.find(" 1."), std::string::npos) << name;
        }
    }
    EXPECT_LT(chosen["nodes"].size(), whole["nodes"].size());
    EXPECT_EQ(whole["asset"]["generator"], "Strata Viewer");
}

TEST(ExportCommand, FacesWithInvalidReferencesAreWrittenAndCounted) {
    TempDir dir;
    levelbuilder::Level built = levelbuilder::ValidLevel(2);
    built.Rooms.Items[0].Rectangles.Items[0].Vertex[3] = 999;
    const std::string level = dir.Write("level.dm2", levelbuilder::Build(built));
    const fs::path out = dir.Path() / "out.glb";
    const Exported run = Export({"-o", out.string(), level});
    EXPECT_EQ(run.Exit, 0) << run.Err;
    EXPECT_NE(run.Err.find("strata-export: 1 face with invalid references"), std::string::npos) << run.Err;
    const json doc = GlbJson(out);
    bool warning = false;
    for (const json& material : doc["materials"])
        warning = warning || material["name"] == "invalid reference";
    EXPECT_TRUE(warning) << doc["materials"].dump();
}

TEST(ExportCommand, ACutLevelExportsTheRoomsWalkedAndSaysSo) {
    TempDir dir;
    std::vector<uint8_t> bytes = TwoRooms();
    bytes.erase(bytes.end() - 100, bytes.end());
    const std::string level = dir.Write("cut.dm2", bytes);
    const fs::path out = dir.Path() / "cut.glb";
    const Exported run = Export({"-o", out.string(), level});
    EXPECT_EQ(run.Exit, 0) << run.Err;
    EXPECT_NE(run.Err.find("; the rooms walked are exported"), std::string::npos) << run.Err;
    EXPECT_EQ(GlbJson(out)["nodes"][1]["name"], "room 1");
}

} // namespace
