#include "UnitRun.h"

namespace {

TEST(WalkNavigation, AllOptionsOffGiveSixSummariesInDM2AndSevenInDM3) {
    for (const int16_t generation : {int16_t{2}, int16_t{3}}) {
        const Built b(FilledLevel(generation));
        const Layout& at = b.Where;
        // The zones have no count field: they show the box count, right after the last overlap word.
        std::vector<std::string> expected = {kSep, At(at.Cameras) + "1,Cameras,16 bytes",
                                             kSep, At(at.SoundSources) + "1,Sound Sources,16 bytes",
                                             kSep, At(at.Boxes) + "3,Boxes,24 bytes",
                                             kSep, At(at.Overlaps) + "3,Overlaps,6 bytes",
                                             kSep, At(at.Overlaps + 10) + "3,Zones,60 bytes",
                                             kSep, At(at.AnimatedTextures) + "3,Animated Textures,6 bytes"};
        if (generation == 3)
            expected.insert(expected.end(), {kSep, At(at.ObjectTextures) + "2,Object Textures,40 bytes"});
        const UnitRun run = RunUnit(WalkNavigation, b.Bytes, generation, at.Cameras, AllOptions(false));
        EXPECT_EQ(run.Lines, expected);
        EXPECT_EQ(run.End, at.Items);
    }
}

TEST(WalkNavigation, ListedRecordsOfTheFilledLevel) {
    const Built b(FilledLevel(2));
    const Layout& at = b.Where;
    const UnitRun run = RunUnit(WalkNavigation, b.Bytes, 2, at.Cameras, AllOptions(true));
    const std::vector<std::string> expected = {
        kSep, At(at.Cameras) + "1,Cameras,16 bytes", "Offset Hex, Offset,Camera No,x,y,z,Room,Unknown",
        At(at.Cameras + 4) + "0,1024,-512,2048,1,0", kSep, At(at.SoundSources) + "1,Sound Sources,16 bytes",
        "Offset Hex,Offset,SoundSource No,x,y,z,SoundID,Flags",
        At(at.SoundSources + 4) + "0,-1024,0,512,42,128", kSep, At(at.Boxes) + "3,Boxes,24 bytes",
        "Offset Hex, Offset,Box No,Zmin,Zmax,Xmin,Xmax,TrueFloor,OverlapIndex",
        // TrueFloor bytes 00 FF, OverlapIndex 0x8001: box fields never carry a sign.
        At(at.Boxes + 4) + "0,0,3,0,4,65280,0", At(at.Boxes + 12) + "1,3,6,0,4,256,1",
        At(at.Boxes + 20) + "2,6,9,1,2,512,32769", kSep, At(at.Overlaps) + "3,Overlaps,6 bytes",
        "Offset Hex, Offset,Overlap No,Overlap", At(at.Overlaps + 4) + "0,1", At(at.Overlaps + 6) + "1,32768",
        At(at.Overlaps + 8) + "2,2", kSep, At(at.Zones) + "3,Zones,60 bytes",
        "Offset Hex, Offset,Zone No, ZoneID", At(at.Zones) + "0,5", At(at.Zones + 20) + "1,-3",
        At(at.Zones + 40) + "2,7", kSep, At(at.Zones + 60) + "3,Animated Textures,6 bytes",
        "Offset Hex, Offset,Animated Texture No, AnimatedTexture", At(at.AnimatedTextures + 4) + "0,1",
        At(at.AnimatedTextures + 6) + "1,2", At(at.AnimatedTextures + 8) + "2,-1"};
    EXPECT_EQ(run.Lines, expected);
    EXPECT_EQ(run.End, at.Items);
}

TEST(WalkNavigation, AListOf32767RecordsIsFineAndOneMoreFaultsAfterItsHeader) {
    for (const int32_t words : {32767, 32768}) {
        // Cameras, sound sources and boxes empty at 0..11; the overlap count at 12, its words from 16.
        ByteImage image(16 + 2 * static_cast<size_t>(words) + 4);
        image.U32(12, static_cast<uint32_t>(words)).U16(16 + 2 * static_cast<size_t>(words - 1), 0xFFFF);
        const UnitRun run =
            RunUnit(WalkNavigation, image.Bytes, 2, 0, OptionsOn({optOverlaps}), words > 32767);
        if (words > 32767) {
            EXPECT_EQ(run.Lines.back(), "Offset Hex, Offset,Overlap No,Overlap");
            continue;
        }
        ASSERT_EQ(run.Lines.size(), 6u + 3u + 32767u + 4u);
        EXPECT_EQ(run.Lines[9 + 32766], At(16 + 2 * 32766) + "32766,65535");
        EXPECT_EQ(run.End, 16 + 2 * 32767 + 4);
    }
}

} // namespace
