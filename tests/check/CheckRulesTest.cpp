// Every rule against the builder's layout: a level made valid on purpose gives no finding; broken in one
// field it gives exactly one finding, of the expected rule, on that field's bytes, with the value the
// report shows.
#include <functional>
#include <gtest/gtest.h>
#include <set>

#include "check/Check.h"
#include "format/DetailOptions.h"
#include "report/AppState.h"
#include "report/ReportRun.h"
#include "tools/DemoLevel.h"
#include "tools/LevelBuilder.h"

using namespace levelbuilder;

namespace {

std::vector<check::Finding> CheckBytes(const std::vector<uint8_t>& bytes,
                                       const check::CheckOptions& options = {}) {
    const LevelFile level = LevelFile::FromBytes(bytes);
    check::FindingList found;
    check::CheckLevel(level, options, found);
    return found.Items;
}

std::string Describe(const std::vector<check::Finding>& found) {
    std::string out;
    for (const check::Finding& f : found)
        out +=
            std::string(f.Of->Id) + " @" + std::to_string(f.Offset) + " " + f.Place + ": " + f.Message + "\n";
    return out;
}

const format::Field& FieldNamed(const format::Record& record, std::string_view name) {
    for (const format::Field& f : record.Fields)
        if (f.Name == name)
            return f;
    throw std::logic_error("no field " + std::string(name));
}

// The offset of a field of record i of a list whose count field (countBytes wide) stands at list.
int64_t At(int32_t list, int32_t countBytes, const format::Record& record, int i, std::string_view field) {
    return list + countBytes + int64_t{i} * record.Size + FieldNamed(record, field).Offset;
}

struct Row {
    const char* Name;
    std::function<void(Level&)> Break;
    std::string_view Rule; // empty: no finding
    std::function<int64_t(const Layout&)> Offset;
    int64_t Value;
    bool DM2Only = false; // in DM3 the same change gives no finding
};

using namespace format;

const std::vector<Row>& Rows() {
    static const std::vector<Row> rows{
        {"rectangle vertex past the room's",
         [](Level& l) { l.Rooms.Items[1].Rectangles.Items[0].Vertex[2] = 4; }, "face-vertex",
         [](const Layout& w) { return At(w.Parts[1].Rectangles, 2, kRectangle, 0, "Vertex(2)"); }, 4},
        {"triangle vertex negative", [](Level& l) { l.Rooms.Items[0].Triangles.Items[1].Vertex[0] = -1; },
         "face-vertex",
         [](const Layout& w) { return At(w.Parts[0].Triangles, 2, kTriangle, 1, "Vertex(0)"); }, -1},
        {"face texture past the list", [](Level& l) { l.Rooms.Items[0].Rectangles.Items[0].Texture = 2; },
         "face-texture",
         [](const Layout& w) { return At(w.Parts[0].Rectangles, 2, kRectangle, 0, "Texture"); }, 3},
        {"double-sided face texture past the list",
         [](Level& l) { l.Rooms.Items[1].Triangles.Items[1].Texture = static_cast<int16_t>(0x8002); },
         "face-texture", [](const Layout& w) { return At(w.Parts[1].Triangles, 2, kTriangle, 1, "Texture"); },
         -32766 + 1},
        {"sprite vertex", [](Level& l) { l.Rooms.Items[0].Sprites.Items[0].Vertex = 4; }, "sprite-vertex",
         [](const Layout& w) { return At(w.Parts[0].Sprites, 2, kRoomSprite, 0, "Vertex"); }, 4},
        {"sprite texture", [](Level& l) { l.Rooms.Items[1].Sprites.Items[0].Texture = 1; }, "sprite-texture",
         [](const Layout& w) { return At(w.Parts[1].Sprites, 2, kRoomSprite, 0, "Texture"); }, 1},
        {"door to a missing room", [](Level& l) { l.Rooms.Items[1].Doors.Items[0].AdjoiningRoom = 7; },
         "door-room", [](const Layout& w) { return At(w.Parts[1].Doors, 2, kDoor, 0, "AdjoiningRoom"); }, 7},
        {"door to its own room", [](Level& l) { l.Rooms.Items[0].Doors.Items[0].AdjoiningRoom = 0; },
         "door-room", [](const Layout& w) { return At(w.Parts[0].Doors, 2, kDoor, 0, "AdjoiningRoom"); }, 0},
        {"room below missing", [](Level& l) { l.Rooms.Items[0].Sectors[3].RoomBelow = 2; }, "sector-room",
         [](const Layout& w) { return At(w.Parts[0].Sectors, 4, kSector, 3, "RoomBelow"); }, 2},
        {"room above missing", [](Level& l) { l.Rooms.Items[1].Sectors[11].RoomAbove = 254; }, "sector-room",
         [](const Layout& w) { return At(w.Parts[1].Sectors, 4, kSector, 11, "RoomAbove"); }, 254},
        {"floor data index past the words", [](Level& l) { l.Rooms.Items[0].Sectors[5].FDIndex = 5; },
         "sector-floor-data",
         [](const Layout& w) { return At(w.Parts[0].Sectors, 4, kSector, 5, "FDIndex"); }, 5},
        {"box index past the boxes", [](Level& l) { l.Rooms.Items[1].Sectors[0].BoxIndex = 3; }, "sector-box",
         [](const Layout& w) { return At(w.Parts[1].Sectors, 4, kSector, 0, "BoxIndex"); }, 3, true},
        {"alternate room missing", [](Level& l) { l.Rooms.Items[1].AlternateRoom = 2; }, "alternate-room",
         [](const Layout& w) { return int64_t{w.Parts[1].AlternateRoom}; }, 2},
        {"room static mesh of no static mesh",
         [](Level& l) { l.Rooms.Items[0].StaticMeshes.Items[0].ObjectID = 11; }, "room-static-mesh",
         [](const Layout& w) { return At(w.Parts[0].StaticMeshes, 2, kRoomStaticMesh, 0, "ObjectID"); }, 11},
        {"mesh data size one word long",
         [](Level& l) { l.Rooms.Items[1].MeshDataSize = l.Rooms.Items[1].MeshWords() + 1; }, "mesh-data-size",
         [](const Layout& w) { return int64_t{w.Rooms[1]} + kRoomHeader.Size; }, 44},
        {"room without faces",
         [](Level& l) {
             l.Rooms.Items[0].Rectangles.Items.clear();
             l.Rooms.Items[0].Triangles.Items.clear();
         },
         "room-empty", [](const Layout& w) { return int64_t{w.Rooms[0]} + kRoomHeader.Size; }, 30},
        {"floor above the ceiling",
         [](Level& l) { l.Rooms.Items[0].Sectors[2].Floor = static_cast<uint8_t>(-7); },
         "sector-floor-ceiling",
         [](const Layout& w) { return At(w.Parts[0].Sectors, 4, kSector, 2, "Ceiling"); }, 250},
        {"mesh pointer past the mesh data", [](Level& l) { l.MeshPointers.Items[1] = 12; }, "mesh-pointer",
         [](const Layout& w) { return At(w.MeshPointers, 4, kMeshPointer, 1, "Pointer"); }, 12},
        {"static mesh past the mesh pointers", [](Level& l) { l.StaticMeshes.Items[1].Mesh = 3; },
         "static-mesh-mesh", [](const Layout& w) { return At(w.StaticMeshes, 4, kStaticMesh, 1, "Mesh"); },
         3},
        {"moveable meshes past the pointers", [](Level& l) { l.Moveables.Items[1].StartingMesh = 3; },
         "moveable-meshes", [](const Layout& w) { return At(w.Moveables, 4, kMoveable, 1, "StartingMesh"); },
         3},
        {"moveable tree past the words", [](Level& l) { l.Moveables.Items[0].MeshTree = 1; },
         "moveable-mesh-tree", [](const Layout& w) { return At(w.Moveables, 4, kMoveable, 0, "MeshTree"); },
         1},
        {"moveable frames past the frames", [](Level& l) { l.Moveables.Items[1].FrameOffset = 20; },
         "moveable-frame", [](const Layout& w) { return At(w.Moveables, 4, kMoveable, 1, "FrameOffset"); },
         20},
        {"moveable animation missing", [](Level& l) { l.Moveables.Items[1].Animation = 2; },
         "moveable-animation", [](const Layout& w) { return At(w.Moveables, 4, kMoveable, 1, "Animation"); },
         2},
        {"next animation missing", [](Level& l) { l.Animations.Items[0].NextAnimation = 2; },
         "animation-next",
         [](const Layout& w) { return At(w.Animations, 4, kAnimation, 0, "NextAnimation"); }, 2},
        {"state changes past the list", [](Level& l) { l.Animations.Items[1].StateChangeOffset = 2; },
         "animation-state-changes",
         [](const Layout& w) { return At(w.Animations, 4, kAnimation, 1, "StateChangeOffset"); }, 2},
        {"anim commands past the words", [](Level& l) { l.Animations.Items[1].NumAnimCommands = 2; },
         "animation-commands",
         [](const Layout& w) { return At(w.Animations, 4, kAnimation, 1, "AnimCommand (Dec)"); }, 2},
        {"animation frames past the frames", [](Level& l) { l.Animations.Items[0].FrameOffset = 20; },
         "animation-frame", [](const Layout& w) { return At(w.Animations, 4, kAnimation, 0, "FrameOffset"); },
         20},
        {"frame start after frame end", [](Level& l) { l.Animations.Items[1].FrameStart = 41; },
         "animation-frame-range",
         [](const Layout& w) { return At(w.Animations, 4, kAnimation, 1, "FrameStart"); }, 41},
        {"dispatches past the list", [](Level& l) { l.StateChanges.Items[0].NumAnimDispatches = 3; },
         "state-change-dispatches",
         [](const Layout& w) { return At(w.StateChanges, 4, kStateChange, 0, "AnimDispatch"); }, 0},
        {"dispatch to a missing animation", [](Level& l) { l.AnimDispatches.Items[1].NextAnimation = -1; },
         "dispatch-next",
         [](const Layout& w) { return At(w.AnimDispatches, 4, kAnimDispatch, 1, "NextAnimation"); }, -1},
        {"dispatch low after high", [](Level& l) { l.AnimDispatches.Items[0].Low = 11; }, "dispatch-range",
         [](const Layout& w) { return At(w.AnimDispatches, 4, kAnimDispatch, 0, "Low"); }, 11},
        // A listed tree of 10 words shows 2 nodes and steps 32 bytes, so the walk reads the frame count
        // from word 8: 14 frame words cover word 9, the real count and the 10 frames behind it, and the
        // walk goes on in step.
        {"mesh tree of half a node",
         [](Level& l) {
             l.MeshTrees.Items.insert(l.MeshTrees.Items.end(), {14, 0});
         },
         "mesh-tree-words", [](const Layout& w) { return int64_t{w.MeshTrees}; }, 10},
        {"object texture past the tiles", [](Level& l) { l.ObjectTextures.Items[0].TileIndex = 2; },
         "texture-tile",
         [](const Layout& w) { return At(w.ObjectTextures, 4, kObjectTextureDM2, 0, "Tile Index"); }, 2},
        {"flagged object texture past the tiles",
         [](Level& l) { l.ObjectTextures.Items[1].TileIndex = static_cast<int16_t>(0x8002); }, "texture-tile",
         [](const Layout& w) { return At(w.ObjectTextures, 4, kObjectTextureDM2, 1, "Tile Index"); }, -32766},
        {"sprite texture past the tiles", [](Level& l) { l.SpriteTextures.Items[0].Tile = 2; }, "sprite-tile",
         [](const Layout& w) { return At(w.SpriteTextures, 4, kSpriteTexture, 0, "Tile"); }, 2},
        {"sprite sequence past the textures",
         [](Level& l) { l.SpriteSequences.Items[0].NegativeLength = -2; }, "sprite-sequence",
         [](const Layout& w) { return At(w.SpriteSequences, 4, kSpriteSequence, 0, "Offset"); }, 0},
        {"camera in a missing room", [](Level& l) { l.Cameras.Items[0].Room = 2; }, "camera-room",
         [](const Layout& w) { return At(w.Cameras, 4, kCamera, 0, "Room"); }, 2},
        {"item in a missing room", [](Level& l) { l.Items.Items[0].Room = -1; }, "item-room",
         [](const Layout& w) { return At(w.Items, 4, kItem, 0, "Room"); }, -1},
        {"item of no object", [](Level& l) { l.Items.Items[1].ObjectID = 8; }, "item-object",
         [](const Layout& w) { return At(w.Items, 4, kItem, 1, "ObjectID"); }, 8},
        {"sound map past the details", [](Level& l) { l.SoundMap[5] = 2; }, "sound-map",
         [](const Layout& w) { return At(w.SoundMap, 0, kSoundMapEntry, 5, "Index"); }, 2},
        {"sound sample past the indices", [](Level& l) { l.SoundDetails.Items[1].Sample = 3; },
         "sound-sample", [](const Layout& w) { return At(w.SoundDetails, 4, kSoundDetail, 1, "Sample"); }, 3},
        {"box overlap past the words", [](Level& l) { l.Boxes.Items[1].OverlapIndex = 0xC003; },
         "box-overlap", [](const Layout& w) { return At(w.Boxes, 4, kBox, 1, "OverlapIndex"); }, 0xC003,
         true},
        {"box z bounds reversed", [](Level& l) { l.Boxes.Items[0].Zmin = 4; }, "box-bounds",
         [](const Layout& w) { return At(w.Boxes, 4, kBox, 0, "Zmin"); }, 4},
        {"box x bounds reversed", [](Level& l) { l.Boxes.Items[2].Xmax = 0; }, "box-bounds",
         [](const Layout& w) { return At(w.Boxes, 4, kBox, 2, "Xmin"); }, 1},
    };
    return rows;
}

} // namespace

TEST(CheckRules, AValidLevelBrokenInOneFieldGivesOneFindingOnThatField) {
    for (int16_t generation : {2, 3}) {
        for (const Row& row : Rows()) {
            Level level = ValidLevel(generation);
            row.Break(level);
            Layout where;
            const auto found = CheckBytes(Build(level, where));
            if (row.DM2Only && generation == 3) {
                EXPECT_TRUE(found.empty()) << row.Name << " in DM3:\n" << Describe(found);
                continue;
            }
            ASSERT_EQ(found.size(), 1u) << row.Name << " in DM" << generation << ":\n" << Describe(found);
            const check::Finding& f = found[0];
            EXPECT_EQ(f.Of->Id, row.Rule) << row.Name;
            EXPECT_EQ(f.Offset, row.Offset(where)) << row.Name << " in DM" << generation;
            EXPECT_EQ(f.Value, row.Value) << row.Name;
            EXPECT_FALSE(f.PastEnd) << row.Name;
            EXPECT_FALSE(f.Message.empty()) << row.Name;
            EXPECT_GT(f.Bytes, 0) << row.Name;
        }
    }
}

TEST(CheckRules, EveryRuleHasARowAndTheRowsNameOnlyRules) {
    std::set<std::string_view> covered{"walk-ended"};
    for (const Row& row : Rows()) {
        EXPECT_NE(check::RuleById(row.Rule), nullptr) << row.Rule;
        covered.insert(row.Rule);
    }
    for (const check::Rule& rule : check::Rules()) {
        EXPECT_TRUE(covered.count(rule.Id)) << rule.Id << " has no row";
        EXPECT_FALSE(rule.Help.empty()) << rule.Id;
    }
}

TEST(CheckRules, PlacesAndMessagesNameTheRecordAndWhatItMissed) {
    Level level = ValidLevel(2);
    level.Rooms.Items[0].Rectangles.Items[0].Texture = 2;
    level.Rooms.Items[1].Doors.Items[0].AdjoiningRoom = 7;
    level.Items.Items[0].Room = 3;
    level.Moveables.Items[1].StartingMesh = 3;
    const auto found = CheckBytes(Build(level));
    ASSERT_EQ(found.size(), 4u) << Describe(found);
    // The report shows texture numbers from 1: the message gives the index too.
    EXPECT_EQ(found[0].Place, "Rooms > room 0 > Rectangles > rectangle 0");
    EXPECT_EQ(found[0].Message, "Texture is 3 (index 2), but the level has 2 object textures");
    EXPECT_EQ(found[1].Place, "Rooms > room 1 > Doors > door 0");
    EXPECT_EQ(found[1].Field, "AdjoiningRoom");
    EXPECT_EQ(found[1].Message, "AdjoiningRoom is 7, but the level has 2 rooms");
    EXPECT_EQ(found[1].Bytes, 2);
    EXPECT_EQ(found[2].Place, "Moveables > moveable 1");
    EXPECT_EQ(found[2].Message,
              "StartingMesh is 3 and NumMeshes is 1: they reach entry 3, but the level has 3 mesh pointers");
    EXPECT_EQ(found[3].Place, "Items > item 0");
    EXPECT_EQ(found[3].Message, "Room is 3, but the level has 2 rooms");
}

TEST(CheckRules, ValidAndDemoLevelsGiveNoFinding) {
    for (int16_t generation : {2, 3}) {
        for (const auto& [name, level] :
             {std::pair{"valid", ValidLevel(generation)}, std::pair{"demo", DemoLevel(generation)}}) {
            const auto found = CheckBytes(Build(level));
            EXPECT_TRUE(found.empty()) << name << " DM" << generation << ":\n" << Describe(found);
        }
    }
}

TEST(CheckRules, TheBrokenDemoLevelShowsAHandfulOfTypicalMistakes) {
    for (int16_t generation : {2, 3}) {
        const auto found = CheckBytes(Build(BrokenDemoLevel(generation)));
        std::multiset<std::string_view> ids;
        for (const check::Finding& f : found)
            ids.insert(f.Of->Id);
        EXPECT_EQ(ids, (std::multiset<std::string_view>{"door-room", "face-texture", "sector-floor-data",
                                                        "moveable-meshes", "item-room", "item-object"}))
            << Describe(found);
    }
}

// The map the report run keeps (every room's spans) and the checker's own walk (rooms dropped as they
// close, records never formatted) give the same findings.
TEST(CheckRules, TheReportsMapAndTheCheckersOwnWalkAgree) {
    for (int16_t generation : {2, 3}) {
        const auto bytes = Build(BrokenDemoLevel(generation));
        AppState state;
        SetAllDetails(state.DetailOptions, true);
        const auto level = std::make_shared<const LevelFile>(LevelFile::FromBytes(bytes));
        ReportLevel(state, "broken", level);
        check::FindingList fromMap;
        check::CheckWalkedLevel(*level, state.Map, {}, fromMap);
        const auto own = CheckBytes(bytes);
        ASSERT_EQ(Describe(fromMap.Items), Describe(own));
        ASSERT_FALSE(own.empty());
    }
}

TEST(CheckRules, OptionsChooseRulesAndSeverities) {
    const auto bytes = Build(BrokenDemoLevel(2));
    check::CheckOptions errors;
    errors.Least = check::Severity::Error;
    for (const check::Finding& f : CheckBytes(bytes, errors))
        EXPECT_EQ(f.Of->Level, check::Severity::Error) << f.Of->Id;
    check::CheckOptions doors;
    doors.Only = {check::RuleById("door-room")};
    const auto found = CheckBytes(bytes, doors);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].Of->Id, "door-room");
}

// A cut file: the walk ends past the file's last byte, one finding marked so; the records walked before
// are still checked, and records past the end (read as zeros) are not.
TEST(CheckWalk, ACutFileIsCheckedUpToWhereItEnds) {
    for (int16_t generation : {2, 3}) {
        Level level = ValidLevel(generation);
        level.Rooms.Items[1].Doors.Items[0].AdjoiningRoom = 5;
        Layout where;
        auto bytes = Build(level, where);
        bytes.resize(static_cast<size_t>(where.Items) + 30);
        const auto found = CheckBytes(bytes);
        ASSERT_EQ(found.size(), 2u) << Describe(found);
        EXPECT_EQ(found[0].Of->Id, "walk-ended");
        EXPECT_TRUE(found[0].PastEnd);
        EXPECT_GT(found[0].Offset, static_cast<int64_t>(bytes.size()));
        EXPECT_EQ(found[1].Of->Id, "door-room");
        EXPECT_EQ(found[1].Offset, At(where.Parts[1].Doors, 2, kDoor, 0, "AdjoiningRoom"));
    }
}

// An overflowing count ends the walk inside the file; what came before is checked.
TEST(CheckWalk, AnOverflowIsOneFindingWhereTheWalkStopped) {
    for (int16_t generation : {2, 3}) {
        Level level = ValidLevel(generation);
        level.Cameras.Items[0].Room = 9;
        level.Items.Count = 0x7FFFFFFF;
        Layout where;
        const auto bytes = Build(level, where);
        const auto found = CheckBytes(bytes);
        ASSERT_EQ(found.size(), 2u) << Describe(found);
        EXPECT_EQ(found[0].Of->Id, "walk-ended");
        EXPECT_FALSE(found[0].PastEnd);
        EXPECT_GE(found[0].Offset, where.Items);
        EXPECT_LT(found[0].Offset, static_cast<int64_t>(bytes.size()));
        EXPECT_EQ(found[1].Of->Id, "camera-room");
    }
}

// Findings past the cap of their rule are counted, not handed on: many broken sectors give a handful of
// findings and exact counts.
TEST(CheckCounts, FindingsPastTheCapAreCountedAsLeftOut) {
    Level level = ValidLevel(2);
    const Room pattern = level.Rooms.Items[0];
    level.Rooms.Items.clear();
    constexpr int kRooms = 500, kSectors = 100;
    for (int r = 0; r < kRooms; ++r) {
        Room room = pattern;
        room.Doors.Items[0].AdjoiningRoom = static_cast<int16_t>(r == 0 ? 1 : 0);
        room.ZSectors = 10;
        room.XSectors = 10;
        room.Sectors.assign(kSectors, {999, -1, 255, 4, 255, static_cast<uint8_t>(-6)});
        level.Rooms.Add(room);
    }
    const LevelFile file = LevelFile::FromBytes(Build(level));
    check::CheckOptions options;
    options.MostPerRule = 10;
    check::FindingList found;
    const check::CheckCounts counts = check::CheckLevel(file, options, found);
    EXPECT_EQ(found.Items.size(), 10u) << Describe(found.Items);
    EXPECT_EQ(counts.Errors, kRooms * kSectors);
    EXPECT_EQ(counts.Warnings, 0);
    EXPECT_EQ(counts.LeftOut, kRooms * kSectors - 10);
}

// The walk-ended finding says how the walk ended and where, in the file's terms.
TEST(CheckWalk, TheEndingIsWordedByHowTheWalkEnded) {
    Level trailing = ValidLevel(2);
    trailing.Trailing.assign(300, 0);
    Level overflow = ValidLevel(2);
    overflow.Items.Count = 0x7FFFFFFF;
    Level back = ValidLevel(2);
    back.MeshPointers.Count = -0x10000000; // stepped over 4 bytes each, back before the first byte
    Layout where;
    const auto cut = [&] {
        auto bytes = Build(ValidLevel(2), where);
        bytes.erase(bytes.end() - 10, bytes.end());
        return bytes;
    }();
    struct Case {
        const char* Name;
        std::vector<uint8_t> Bytes;
        std::string Message;
    };
    const Case cases[]{
        {"trailing bytes", Build(trailing, where),
         "the walk ended at offset " + std::to_string(where.End) + ", 300 bytes before the file's end"},
        {"cut", cut,
         "the walk ended at offset " + std::to_string(where.End) +
             ", 10 bytes past the file's end: the file is cut"},
        {"overflow", Build(overflow), "a count or offset there leaves 32 bits"},
        {"stepped back", Build(back), "before the file's first byte: a negative count sent it back"},
    };
    for (const Case& c : cases) {
        const auto found = CheckBytes(c.Bytes);
        ASSERT_FALSE(found.empty()) << c.Name;
        EXPECT_EQ(found[0].Of->Id, "walk-ended") << c.Name;
        EXPECT_NE(found[0].Message.find(c.Message), std::string::npos) << c.Name << ": " << found[0].Message;
    }
}

// So many rooms that their summary lines outgrow what a walk leaving holes holds beside them: the checker
// walks again writing every line, and still finds what the report's map shows, the last room's too.
TEST(CheckRules, ALevelOfManyRoomsIsCheckedAsTheReportsMapShowsIt) {
    Level level = ValidLevel(3);
    const Room pattern = level.Rooms.Items[1];
    for (int r = 2; r < 9000; ++r)
        level.Rooms.Add(pattern);
    level.Rooms.Items.back().Doors.Items[0].AdjoiningRoom = 9000;
    level.Rooms.Items[4000].Sectors[1].FDIndex = 999;
    const auto bytes = Build(level);
    AppState state;
    SetAllDetails(state.DetailOptions, true);
    const auto file = std::make_shared<const LevelFile>(LevelFile::FromBytes(bytes));
    ReportLevel(state, "", file);
    ASSERT_GT(state.Report.Text().size(), size_t{4} << 20);
    check::FindingList fromMap;
    check::CheckWalkedLevel(*file, state.Map, {}, fromMap);
    const auto own = CheckBytes(bytes);
    EXPECT_EQ(Describe(own), Describe(fromMap.Items));
    std::multiset<std::string_view> ids;
    for (const check::Finding& f : own)
        ids.insert(f.Of->Id);
    EXPECT_EQ(ids, (std::multiset<std::string_view>{"sector-floor-data", "door-room"})) << Describe(own);
}
