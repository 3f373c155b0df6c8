#include "check/Check.h"

#include <gtest/gtest.h>

#include "tools/LevelBuilder.h"

using namespace levelbuilder;

namespace {

// The findings of the door and walk rules (these bare rooms break others: no faces, no sound details).
std::vector<check::Finding> Check(const std::vector<uint8_t>& bytes) {
    const LevelFile level = LevelFile::FromBytes(bytes);
    check::FindingList found;
    check::CheckOptions doorsAndWalk;
    doorsAndWalk.Only = {check::RuleById("door-room"), check::RuleById("walk-ended")};
    check::CheckLevel(level, doorsAndWalk, found);
    return found.Items;
}

// Two rooms joined by a door each way.
Level TwoRooms(int16_t generation) {
    Level level;
    level.Generation = generation;
    for (int16_t r = 0; r < 2; ++r) {
        Room room;
        Door door;
        door.AdjoiningRoom = static_cast<int16_t>(1 - r);
        room.Doors.Add(door);
        level.Rooms.Add(room);
    }
    return level;
}

} // namespace

TEST(CheckDoors, ADoorLeadsToAnotherRoomOfTheLevel) {
    struct Case {
        int16_t To;
        bool Found;
    };
    for (int16_t generation : {2, 3}) {
        for (const Case c : {Case{1, false}, Case{0, true}, Case{2, true}, Case{-1, true}}) {
            Level level = TwoRooms(generation);
            level.Rooms.Items[0].Doors.Items[0].AdjoiningRoom = c.To;
            Layout where;
            const auto found = Check(Build(level, where));
            ASSERT_EQ(found.size(), c.Found ? 1u : 0u) << "DM" << generation << " to " << c.To;
            if (!c.Found)
                continue;
            EXPECT_EQ(found[0].Of->Id, "door-room");
            EXPECT_EQ(found[0].Place, "Rooms > room 0 > Doors > door 0");
            EXPECT_EQ(found[0].Value, c.To);
            EXPECT_EQ(found[0].Bytes, 2);
            // The door's first field follows the room's header and its mesh data.
            EXPECT_GT(found[0].Offset, where.Rooms[0]);
            EXPECT_LT(found[0].Offset, where.Rooms[1]);
        }
    }
}

TEST(CheckWalk, ACutLevelIsOneErrorWhereTheWalkStopped) {
    std::vector<uint8_t> bytes = Build(TwoRooms(2));
    EXPECT_TRUE(Check(bytes).empty());
    bytes.erase(bytes.end() - 100, bytes.end());
    const auto found = Check(bytes);
    ASSERT_FALSE(found.empty());
    EXPECT_EQ(found[0].Of->Id, "walk-ended");
    EXPECT_EQ(found[0].Of->Level, check::Severity::Error);
}
