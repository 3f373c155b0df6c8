#include <gtest/gtest.h>

#include "UnitRun.h"
#include "tools/LevelBuilder.h"

namespace {

using namespace levelbuilder;

const std::string kSeparator(kSeparatorLine);

struct Built {
    std::vector<uint8_t> Bytes;
    Layout Where;
};

Built BuildLevel(const Level& level) {
    Built built;
    built.Bytes = Build(level, built.Where);
    return built;
}

UnitRun ItemsToEnd(const Built& built, const DetailOptionSet& options) {
    return RunUnit(built.Bytes, 2, built.Where.Items, options, [](Walk& w) { WalkItemsToEnd(w); });
}

TEST(WalkItemsToEnd, AllOptionsOffGiveSevenSummaries) {
    const Built built = BuildLevel(FilledLevel(2));
    const Layout& at = built.Where;
    const UnitRun run = ItemsToEnd(built, AllOptions(false));
    const std::vector<std::string> expected = {
        kSeparator, At(at.Items) + "2 ,Items,48 bytes",
        kSeparator, At(at.LightMap) + "1, Light Map,8192 bytes",
        kSeparator, At(at.CinematicFrames) + "1,Cinematic Frame,16 bytes",
        kSeparator, At(at.DemoData) + "3,Demo Data,3 bytes",
        kSeparator, At(at.SoundMap) + "370,Sound Maps,740 bytes",
        kSeparator, At(at.SoundDetails) + "2,Sound Details,16 bytes",
        kSeparator, At(at.SampleIndices) + "3,Sample Indices,12 bytes",
    };
    EXPECT_EQ(run.Lines, expected);
    EXPECT_EQ(run.End, at.End);
}

TEST(WalkItemsToEnd, LightMapOptionAddsOnlyTheLoadedLine) {
    const Built built = BuildLevel(FilledLevel(2));
    const UnitRun off = ItemsToEnd(built, AllOptions(false));
    const UnitRun on = ItemsToEnd(built, OptionsOn({optLightMaps}));
    std::vector<std::string> expected = off.Lines;
    expected.insert(expected.begin() + 4, "LightMap loaded.");
    EXPECT_EQ(on.Lines, expected);
    EXPECT_EQ(on.End, off.End);
}

TEST(WalkItemsToEnd, EveryListOfTheFilledLevel) {
    Level level = FilledLevel(2);
    level.LightMap.fill(0x7F); // what follows the last item must not leak into its line
    const Built built = BuildLevel(level);
    const Layout& at = built.Where;
    const UnitRun run = ItemsToEnd(built, AllOptions(true));

    std::vector<std::string> expected = {
        kSeparator,
        At(at.Items) + "2 ,Items,48 bytes",
        "Offset Hex, Offset,Item No,ObjectID,Room,x,y,z,Angle,Intensity1,Intensity2,Flags",
        At(at.Items + 4) + "0,0,0,512,0,512,-32768,-1,-1,15872",
        At(at.Items + 28) + "1,100,1,-512,-256,1024,16384,4000,4000,0",
        kSeparator,
        At(at.LightMap) + "1, Light Map,8192 bytes",
        "LightMap loaded.",
        kSeparator,
        At(at.CinematicFrames) + "1,Cinematic Frame,16 bytes",
        "Offset Hex,Offset,CinematicFrame No,rotY,rotZ,rotZ2,posZ,posY,posX,unknown,rotX",
        At(at.CinematicFrames + 2) + "0,1,2,3,4,5,6,7,8",
        kSeparator,
        At(at.DemoData) + "3,Demo Data,3 bytes",
        "Offset Hex,Offset,DemoData No,DATA",
        At(at.DemoData + 2) + "0,0",
        At(at.DemoData + 3) + "1,128",
        At(at.DemoData + 4) + "2,255",
        kSeparator,
        At(at.SoundMap) + "370,Sound Maps,740 bytes",
        "Sound No, Index",
    };
    for (int j = 0; j < 370; ++j)
        expected.push_back(std::to_string(j) + "," + std::to_string(j % 5 == 0 ? j / 5 : -1));
    const std::vector<std::string> tail = {
        kSeparator,
        At(at.SoundDetails) + "2,Sound Details,16 bytes",
        "Offset Hex, Offset,Sample No,Sample,Volume,Unknown1,Unknown2",
        At(at.SoundDetails + 4) + "0,0,32767,0,1",
        At(at.SoundDetails + 12) + "1,1,16000,2,3",
        kSeparator,
        At(at.SampleIndices) + "3,Sample Indices,12 bytes",
        "SampleIndice No,Index",
        "0,0",
        "1,1000",
        "2,25000",
    };
    expected.insert(expected.end(), tail.begin(), tail.end());
    EXPECT_EQ(run.Lines, expected);
    EXPECT_EQ(run.End, at.End);
}

TEST(WalkItemsToEnd, SoundDetailCountIsTheLowWordOfItsField) {
    Level level;
    level.SoundDetails.Items.resize(3);
    level.SoundDetailsHighWord = 1; // the field reads 03 00 01 00
    const Built built = BuildLevel(level);
    for (const bool on : {false, true}) {
        const UnitRun run = ItemsToEnd(built, OptionsOn(on ? std::initializer_list<int>{optSoundDetails}
                                                           : std::initializer_list<int>{}));
        EXPECT_EQ(CountOf(run.Lines, At(built.Where.SoundDetails) + "3,Sound Details,24 bytes"), 1u);
        EXPECT_EQ(CountOf(run.Lines, At(built.Where.SoundDetails + 20) + "2,0,0,0,0"), on ? 1u : 0u);
        EXPECT_EQ(run.End, built.Where.End);
    }
}

TEST(WalkItemsToEnd, LongCutScenesAndManySoundDetailsDoNotOverflowTheirByteFigures) {
    Level frames;
    frames.CinematicFrames.Count = 32767;
    const Built framesBuilt = BuildLevel(frames);
    const UnitRun framesRun = ItemsToEnd(framesBuilt, AllOptions(false));
    ASSERT_EQ(framesRun.Lines.size(), 14u);
    EXPECT_EQ(framesRun.Lines[5],
              At(framesBuilt.Where.CinematicFrames) + "32767,Cinematic Frame,524272 bytes");

    Level details;
    details.SoundDetails.Count = 4096;
    const Built detailsBuilt = BuildLevel(details);
    const UnitRun detailsRun = ItemsToEnd(detailsBuilt, AllOptions(false));
    ASSERT_EQ(detailsRun.Lines.size(), 14u);
    EXPECT_EQ(detailsRun.Lines[11], At(detailsBuilt.Where.SoundDetails) + "4096,Sound Details,32768 bytes");
}

TEST(WalkItemsToEnd, EmptyDemoDataWritesNoHeader) {
    const Built built = BuildLevel(Level{});
    const UnitRun run = ItemsToEnd(built, AllOptions(true));
    EXPECT_EQ(run.Lines[8], At(built.Where.DemoData) + "0,Demo Data,0 bytes");
    EXPECT_EQ(run.Lines[9], kSeparator);
    EXPECT_EQ(run.End, built.Where.End);
}

} // namespace
