// The checker's walk leaves the records' lines unformatted and drops each room once gathered; it must
// still end where the walk that formats every line and keeps every span ends (the report's size limit
// included), and so give the same findings.
#include <gtest/gtest.h>

#include "check/Check.h"
#include "format/Fault.h"
#include "format/walk/Walker.h"
#include "fuzz/HostileLevels.h"
#include "report/ReportRun.h"
#include "tools/LevelBuilder.h"

using namespace levelbuilder;

namespace {

// The plain walk: every section detailed, every line formatted (counted, not kept), every span kept.
WalkMap WalkWritingEveryLine(const LevelFile& level) {
    WalkMap map;
    StringPane text;
    text.KeepNoText();
    DetailOptionSet all;
    SetAllDetails(all, true);
    AppendReportHeader(text, "", level);
    const WalkOutput output{.Text = text,
                            .Map = map,
                            .Options = all,
                            .TextLimit = ReportByteLimit(level.FileLength(), kReportFixedBytes)};
    try {
        if (const auto generation = LevelGeneration(level)) {
            WalkLevel(output, level, *generation, format::kVersionWordBytes);
        } else {
            map.Reset(level.FileLength(), 0);
            map.Finish(WalkEnding::NotALevel, format::kVersionWordBytes, 0);
        }
    } catch (const WalkFault&) {
    }
    return map;
}

} // namespace

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
        const WalkMap map = WalkWritingEveryLine(level);
        check::FindingList full;
        const check::CheckCounts fullCounts = check::CheckWalkedLevel(level, map, {}, full);

        check::FindingList fast;
        const check::CheckCounts fastCounts = check::CheckLevel(level, {}, fast);
        EXPECT_EQ(fastCounts.End.How, map.Ending());
        EXPECT_EQ(fastCounts.End.Offset, map.EndOffset());
        EXPECT_EQ(fastCounts.Errors, fullCounts.Errors);
        EXPECT_EQ(fastCounts.Warnings, fullCounts.Warnings);
        ASSERT_EQ(fast.Items.size(), full.Items.size());
        for (size_t i = 0; i < full.Items.size(); ++i)
            EXPECT_TRUE(same(fast.Items[i], full.Items[i]))
                << full.Items[i].Message << " / " << fast.Items[i].Message;
    }
}
