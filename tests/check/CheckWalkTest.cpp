// The checker's walk leaves the records' lines unformatted; it must still end where the walk that
// formats every line ends (the report's size limit included), and so give the same findings.
#include "check/CheckWalk.h"

#include <gtest/gtest.h>

#include "check/Check.h"
#include "fuzz/HostileLevels.h"
#include "tools/LevelBuilder.h"

using namespace levelbuilder;

TEST(CheckWalk, EndsWhereTheWalkWritingEveryLineEndsWithTheSameFindings) {
    Level doors;
    doors.Generation = 3;
    for (int16_t r = 0; r < 3; ++r) {
        Room room;
        Door door;
        door.AdjoiningRoom = static_cast<int16_t>(r == 1 ? 7 : 2 - r);
        room.Doors.Add(door);
        doors.Rooms.Add(room);
    }
    Layout layout;
    const std::vector<uint8_t> filled = Build(FilledLevel(2), layout);
    std::vector<uint8_t> overflow = filled;
    overflow[static_cast<size_t>(layout.Frames) + 3] = 0x40; // 0x40000000 frames leave 32 bits
    const struct {
        const char* Name;
        std::vector<uint8_t> Bytes;
    } cases[] = {
        {"doors", Build(doors)},
        {"filled", filled},
        {"cut", std::vector<uint8_t>(filled.begin(), filled.begin() + layout.Cameras)},
        {"overflow", overflow},
        {"size limit", hostile::RoomLoopLevel(32767, 2000)},
        {"rooms past the end", hostile::RoomsPastTheEndLevel(3)},
        {"not a level", {'n', 'o', 't', 'e', 's'}},
    };
    const auto same = [](const check::Finding& a, const check::Finding& b) {
        return a.Of == b.Of && a.Offset == b.Offset && a.Bytes == b.Bytes && a.Place == b.Place &&
               a.Value == b.Value && a.Message == b.Message;
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        const LevelFile level = LevelFile::FromBytes(c.Bytes);
        check::FindingList full;
        const check::CheckCounts fullCounts = check::CheckLevel(level, {}, full);

        WalkMap map;
        check::WalkForCheck(level, "", map);
        check::FindingList fast;
        const check::CheckCounts fastCounts = check::CheckWalkedLevel(level, map, {}, fast);
        EXPECT_EQ(fastCounts.Errors, fullCounts.Errors);
        EXPECT_EQ(fastCounts.Warnings, fullCounts.Warnings);
        ASSERT_EQ(fast.Items.size(), full.Items.size());
        for (size_t i = 0; i < full.Items.size(); ++i)
            EXPECT_TRUE(same(fast.Items[i], full.Items[i]))
                << full.Items[i].Message << " / " << fast.Items[i].Message;
    }
}
