#include <gtest/gtest.h>

#include "UnitRun.h"
#include "engine/Fault.h"
#include "tools/LevelBuilder.h"

namespace {

using namespace levelbuilder;

const std::string kSeparator(kSeparatorLine);

UnitRun Navigation(const std::vector<uint8_t>& bytes, int16_t generation, int32_t start,
                   const DetailOptionSet& options) {
    return RunUnit(bytes, generation, start, options, [](Walk& w) { WalkNavigation(w); });
}

TEST(WalkNavigation, AllOptionsOffGiveSixSummariesInDM2AndSevenInDM3) {
    for (const int16_t generation : {int16_t{2}, int16_t{3}}) {
        Layout layout;
        const std::vector<uint8_t> bytes = Build(FilledLevel(generation), layout);
        const UnitRun run = Navigation(bytes, generation, layout.Cameras, AllOptions(false));
        std::vector<std::string> expected = {
            kSeparator,
            At(layout.Cameras) + "1,Cameras,16 bytes",
            kSeparator,
            At(layout.SoundSources) + "1,Sound Sources,16 bytes",
            kSeparator,
            At(layout.Boxes) + "3,Boxes,24 bytes",
            kSeparator,
            At(layout.Overlaps) + "3,Overlaps,6 bytes",
            // No count field: the box count, standing right after the last overlap word.
            kSeparator,
            At(layout.Overlaps + 4 + 6) + "3,Zones,60 bytes",
            kSeparator,
            At(layout.AnimatedTextures) + "3,Animated Textures,6 bytes",
        };
        if (generation == 3) {
            expected.push_back(kSeparator);
            expected.push_back(At(layout.ObjectTextures) + "2,Object Textures,40 bytes");
        }
        EXPECT_EQ(run.Lines, expected);
        EXPECT_EQ(run.End, layout.Items);
    }
}

TEST(WalkNavigation, ListedRecordsOfTheFilledLevel) {
    Layout layout;
    const std::vector<uint8_t> bytes = Build(FilledLevel(2), layout);
    const UnitRun run = Navigation(bytes, 2, layout.Cameras, AllOptions(true));
    const std::vector<std::string> expected = {
        kSeparator,
        At(layout.Cameras) + "1,Cameras,16 bytes",
        "Offset Hex, Offset,Camera No,x,y,z,Room,Unknown",
        At(layout.Cameras + 4) + "0,1024,-512,2048,1,0",
        kSeparator,
        At(layout.SoundSources) + "1,Sound Sources,16 bytes",
        "Offset Hex,Offset,SoundSource No,x,y,z,SoundID,Flags",
        At(layout.SoundSources + 4) + "0,-1024,0,512,42,128",
        kSeparator,
        At(layout.Boxes) + "3,Boxes,24 bytes",
        "Offset Hex, Offset,Box No,Zmin,Zmax,Xmin,Xmax,TrueFloor,OverlapIndex",
        // TrueFloor bytes 00 FF, OverlapIndex 0x8001: box fields never carry a sign.
        At(layout.Boxes + 4) + "0,0,3,0,4,65280,0",
        At(layout.Boxes + 12) + "1,3,6,0,4,256,1",
        At(layout.Boxes + 20) + "2,6,9,1,2,512,32769",
        kSeparator,
        At(layout.Overlaps) + "3,Overlaps,6 bytes",
        "Offset Hex, Offset,Overlap No,Overlap",
        At(layout.Overlaps + 4) + "0,1",
        At(layout.Overlaps + 6) + "1,32768",
        At(layout.Overlaps + 8) + "2,2",
        kSeparator,
        At(layout.Zones) + "3,Zones,60 bytes",
        "Offset Hex, Offset,Zone No, ZoneID",
        At(layout.Zones) + "0,5",
        At(layout.Zones + 20) + "1,-3",
        At(layout.Zones + 40) + "2,7",
        kSeparator,
        At(layout.Zones + 60) + "3,Animated Textures,6 bytes",
        "Offset Hex, Offset,Animated Texture No, AnimatedTexture",
        At(layout.AnimatedTextures + 4) + "0,1",
        At(layout.AnimatedTextures + 6) + "1,2",
        At(layout.AnimatedTextures + 8) + "2,-1",
    };
    EXPECT_EQ(run.Lines, expected);
    EXPECT_EQ(run.End, layout.Items);
}

// Cameras, sound sources and boxes empty at 0..11; the overlap count at 12, its words from 16.
std::vector<uint8_t> OverlapImage(int32_t words) {
    ByteImage image(16 + 2 * static_cast<size_t>(words) + 4);
    image.U32(12, static_cast<uint32_t>(words));
    image.U16(16 + 2 * static_cast<size_t>(words - 1), 0xFFFF);
    return image.Bytes;
}

TEST(WalkNavigation, AListOf32767RecordsIsFineAndOneMoreFaultsAfterItsHeader) {
    const UnitRun run = Navigation(OverlapImage(32767), 2, 0, OptionsOn({optOverlaps}));
    ASSERT_EQ(run.Lines.size(), 6u + 3u + 32767u + 4u);
    EXPECT_EQ(run.Lines[9 + 32766], At(16 + 2 * 32766) + "32766,65535");
    EXPECT_EQ(run.End, 16 + 2 * 32767 + 4);

    AppState state;
    state.DetailOptions = OptionsOn({optOverlaps});
    const LevelFile level = LevelFile::FromBytes(OverlapImage(32768));
    Walk w(state, level, 2, 0);
    EXPECT_THROW(WalkNavigation(w), WalkFault);
    EXPECT_EQ(Lines(state.Report.Text()).back(), "Offset Hex, Offset,Overlap No,Overlap");
}

} // namespace
