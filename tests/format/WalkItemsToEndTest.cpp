#include "UnitRun.h"

namespace {

UnitRun ItemsToEnd(const Built& b, const DetailOptionSet& options) {
    return RunUnit(WalkItemsToEnd, b.Bytes, 2, b.Where.Items, options);
}

TEST(WalkItemsToEnd, EveryChunkOfTheFilledLevelWithAllOptionsOffAndOn) {
    Level level = FilledLevel(2);
    level.LightMap.fill(0x7F); // what follows the last item must not leak into its line
    const Built b(level);
    const Layout& at = b.Where;
    UnitRun run = ItemsToEnd(b, AllOptions(false));
    EXPECT_EQ(run.Lines, (std::vector<std::string>{kSep, At(at.Items) + "2 ,Items,48 bytes", kSep,
                                                   At(at.LightMap) + "1, Light Map,8192 bytes", kSep,
                                                   At(at.CinematicFrames) + "1,Cinematic Frame,16 bytes",
                                                   kSep, At(at.DemoData) + "3,Demo Data,3 bytes", kSep,
                                                   At(at.SoundMap) + "370,Sound Maps,740 bytes", kSep,
                                                   At(at.SoundDetails) + "2,Sound Details,16 bytes", kSep,
                                                   At(at.SampleIndices) + "3,Sample Indices,12 bytes"}));
    EXPECT_EQ(run.End, at.End);

    std::vector<std::string> expected = Excerpt(
        kSep, At(at.Items) + "2 ,Items,48 bytes",
        "Offset Hex, Offset,Item No,ObjectID,Room,x,y,z,Angle,Intensity1,Intensity2,Flags",
        At(at.Items + 4) + "0,0,0,512,0,512,-32768,-1,-1,15872",
        At(at.Items + 28) + "1,100,1,-512,-256,1024,16384,4000,4000,0", kSep,
        At(at.LightMap) + "1, Light Map,8192 bytes", "LightMap loaded.", kSep,
        At(at.CinematicFrames) + "1,Cinematic Frame,16 bytes",
        "Offset Hex,Offset,CinematicFrame No,rotY,rotZ,rotZ2,posZ,posY,posX,unknown,rotX",
        At(at.CinematicFrames + 2) + "0,1,2,3,4,5,6,7,8", kSep, At(at.DemoData) + "3,Demo Data,3 bytes",
        "Offset Hex,Offset,DemoData No,DATA", At(at.DemoData + 2) + "0,0", At(at.DemoData + 3) + "1,128",
        At(at.DemoData + 4) + "2,255", kSep, At(at.SoundMap) + "370,Sound Maps,740 bytes", "Sound No, Index");
    for (int j = 0; j < 370; ++j)
        expected.push_back(std::to_string(j) + "," + std::to_string(j % 5 == 0 ? j / 5 : -1));
    expected.insert(expected.end(),
                    {kSep, At(at.SoundDetails) + "2,Sound Details,16 bytes",
                     "Offset Hex, Offset,Sample No,Sample,Volume,Unknown1,Unknown2",
                     At(at.SoundDetails + 4) + "0,0,32767,0,1", At(at.SoundDetails + 12) + "1,1,16000,2,3",
                     kSep, At(at.SampleIndices) + "3,Sample Indices,12 bytes", "SampleIndice No,Index", "0,0",
                     "1,1000", "2,25000"});
    run = ItemsToEnd(b, AllOptions(true));
    EXPECT_EQ(run.Lines, expected);
    EXPECT_EQ(run.End, at.End);
}

TEST(WalkItemsToEnd, SoundDetailCountIsTheLowWordOfItsFieldAndEmptyDemoDataHasNoHeader) {
    Level level;
    level.SoundDetails.Items.resize(3);
    level.SoundDetailsHighWord = 1; // the field reads 03 00 01 00
    const Built b(level);
    for (const bool on : {false, true}) {
        const UnitRun run = ItemsToEnd(b, on ? AllOptions(true) : AllOptions(false));
        ExpectEach(run.Lines, {At(b.Where.SoundDetails) + "3,Sound Details,24 bytes",
                               At(b.Where.DemoData) + "0,Demo Data,0 bytes"});
        EXPECT_EQ(std::count(run.Lines.begin(), run.Lines.end(), At(b.Where.SoundDetails + 20) + "2,0,0,0,0"),
                  on ? 1 : 0);
        EXPECT_EQ(std::count(run.Lines.begin(), run.Lines.end(), "Offset Hex,Offset,DemoData No,DATA"), 0);
        EXPECT_EQ(run.End, b.Where.End);
    }
}

TEST(WalkItemsToEnd, LongCutScenesAndManySoundDetailsDoNotOverflowTheirByteFigures) {
    Level frames, details;
    frames.CinematicFrames.Count = 32767;
    details.SoundDetails.Count = 4096;
    const Built a(frames), b(details);
    ExpectEach(ItemsToEnd(a, AllOptions(false)).Lines,
               {At(a.Where.CinematicFrames) + "32767,Cinematic Frame,524272 bytes"});
    ExpectEach(ItemsToEnd(b, AllOptions(false)).Lines,
               {At(b.Where.SoundDetails) + "4096,Sound Details,32768 bytes"});
}

} // namespace
