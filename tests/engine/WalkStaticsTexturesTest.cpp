#include <gtest/gtest.h>

#include "UnitRun.h"
#include "tools/LevelBuilder.h"

namespace {

using namespace levelbuilder;

const std::string kSeparator(kSeparatorLine);

const std::string kStaticMeshHeader = "Offset Hex, Offset,StaticMesh No,ObjectID,Mesh,BoundingBox Corners x,"
                                      "BoundingBox Corners y,BoundingBox Corners z, Flag ";

UnitRun Statics(const std::vector<uint8_t>& bytes, int16_t generation, int32_t start,
                const DetailOptionSet& options) {
    return RunUnit(bytes, generation, start, options, [](Walk& w) { WalkStaticsAndTextures(w); });
}

// The summary lines a run wrote, without their offset columns.
std::vector<std::string> SummaryTexts(const std::vector<std::string>& lines) {
    std::vector<std::string> texts;
    for (size_t i = 1; i < lines.size(); ++i)
        if (lines[i - 1] == kSeparator) {
            const size_t second = lines[i].find(',', lines[i].find(',') + 1);
            texts.push_back(lines[i].substr(second + 1));
        }
    return texts;
}

TEST(WalkStaticsAndTextures, StaticMeshesTakeFourLinesARecord) {
    // Two static meshes from byte 4096: the example record, then one with Mesh and Flag FF FF.
    ByteImage image(4092 + 4 + 2 * 32 + 12);
    image.U32(4092, 2).U32(4096, 10).U16(4100, 3);
    const int16_t corners[12] = {-512, -1024, -512, 512, 0, 512, -256, -768, -256, 256, 0, 256};
    for (size_t i = 0; i < 12; ++i)
        image.U16(4102 + 2 * i, static_cast<uint16_t>(corners[i]));
    image.U16(4126, 3);
    image.U16(4128 + 4, 0xFFFF).U16(4128 + 30, 0xFFFF);

    const UnitRun run = Statics(image.Bytes, 2, 4092, OptionsOn({optStaticMeshes}));
    const std::vector<std::string> expected = {
        kSeparator,        "0xFFC,4092,2,Static Meshes,64 bytes",
        kStaticMeshHeader, "0x1000,4096,0,10,3,-512,-1024,-512,3",
        ",,,,,512,0,512",  ",,,,,-256,-768,-256",
        ",,,,,256,0,256",  "0x1020,4128,1,0,-1,0,0,0,65535",
        ",,,,,0,0,0",      ",,,,,0,0,0",
        ",,,,,0,0,0",
    };
    ASSERT_GE(run.Lines.size(), expected.size());
    EXPECT_EQ(std::vector<std::string>(run.Lines.begin(), run.Lines.begin() + 11), expected);
    EXPECT_EQ(run.End, 4160 + 3 * 4);
}

TEST(WalkStaticsAndTextures, ObjectTexturesFollowTheStaticMeshesOnlyInDM2Files) {
    for (const int16_t generation : {int16_t{2}, int16_t{3}}) {
        Layout layout;
        const std::vector<uint8_t> bytes = Build(FilledLevel(generation), layout);
        const UnitRun run = Statics(bytes, generation, layout.StaticMeshes, AllOptions(false));
        const std::vector<std::string> dm2 = {"2,Static Meshes,64 bytes", "2,Object Textures,40 bytes",
                                              "1,Sprite Texture,16 bytes", "1,Sprite Sequence,8 bytes"};
        const std::vector<std::string> dm3 = {"2,Static Meshes,64 bytes", "1,Sprite Texture,16 bytes",
                                              "1,Sprite Sequence,8 bytes"};
        EXPECT_EQ(SummaryTexts(run.Lines), generation == 2 ? dm2 : dm3);
        EXPECT_EQ(run.Lines.size(), 2 * (generation == 2 ? dm2 : dm3).size());
        EXPECT_EQ(run.End, layout.Cameras);
    }
}

// The object texture records read the same at both places; only the header line differs.
TEST(WalkStaticsAndTextures, ObjectTexturesListedAtTheirTwoPlaces) {
    const auto recordLines = [](int32_t count) {
        std::vector<std::string> lines;
        for (int32_t i = 0; i < 2; ++i) {
            lines.push_back(At(count + 4 + 20 * i) + std::to_string(i) + ",1,1,0,1,0,1");
            lines.push_back(",,,,,255,255,0,1");
            lines.push_back(",,,,,255,255,255,255");
            lines.push_back(",,,,,0,1,128,200");
        }
        return lines;
    };
    const auto listing = [](const std::vector<std::string>& lines, const std::string& header) {
        for (size_t i = 0; i < lines.size(); ++i)
            if (lines[i] == header && i + 9 <= lines.size())
                return std::vector<std::string>(lines.begin() + static_cast<std::ptrdiff_t>(i) + 1,
                                                lines.begin() + static_cast<std::ptrdiff_t>(i) + 9);
        return std::vector<std::string>{};
    };
    const DetailOptionSet options = OptionsOn({optObjectTextures});

    Layout dm2;
    const std::vector<uint8_t> dm2Bytes = Build(FilledLevel(2), dm2);
    const UnitRun dm2Run = Statics(dm2Bytes, 2, dm2.StaticMeshes, options);
    EXPECT_EQ(CountOf(dm2Run.Lines, At(dm2.ObjectTextures) + "2,Object Textures,40 bytes"), 1u);
    EXPECT_EQ(listing(dm2Run.Lines,
                      "Offset Hex, Offset,Object Texture No, Attribute,Tile Index,X coordinate, "
                      "XPixel,Y coordinate, YPixel"),
              recordLines(dm2.ObjectTextures));
    EXPECT_EQ(dm2Run.End, dm2.Cameras);

    Layout dm3;
    const std::vector<uint8_t> dm3Bytes = Build(FilledLevel(3), dm3);
    EXPECT_EQ(Statics(dm3Bytes, 3, dm3.StaticMeshes, options).End, dm3.Cameras);
    const UnitRun dm3Run = RunUnit(dm3Bytes, 3, dm3.Cameras, options, [](Walk& w) { WalkNavigation(w); });
    ASSERT_GE(dm3Run.Lines.size(), 11u);
    // The DM3 object textures close the navigation step, directly before the items.
    EXPECT_EQ(dm3Run.Lines[dm3Run.Lines.size() - 10], At(dm3.ObjectTextures) + "2,Object Textures,40 bytes");
    EXPECT_EQ(listing(dm3Run.Lines, "Offset Hex,Offset,Object Texture No, Attribute,Tile Index,X coordinate, "
                                    "XPixel,Y coordinate, YPixel"),
              recordLines(dm3.ObjectTextures));
    EXPECT_EQ(dm3Run.End, dm3.Items);
}

TEST(WalkStaticsAndTextures, SpriteTexturesAndSequences) {
    Layout layout;
    const std::vector<uint8_t> bytes = Build(FilledLevel(2), layout);
    const UnitRun run =
        Statics(bytes, 2, layout.StaticMeshes, OptionsOn({optSpriteTextures, optSpriteSequence}));
    const std::vector<std::string> tail = {
        kSeparator,
        At(layout.SpriteTextures) + "1,Sprite Texture,16 bytes",
        "Offset Hex, Offset,Sprite Texture No, Tile,x,y,Width,Height,LeftSide,TopSide,RightSide,BottomSide",
        At(layout.SpriteTextures + 4) + "0,0,200,16,64,64,-32,-64,32,0",
        kSeparator,
        At(layout.SpriteSequences) + "1,Sprite Sequence,8 bytes",
        "Offset Hex, Offset,Sprite Sequence No,ObjectId,NegativeLength,Offset",
        At(layout.SpriteSequences + 4) + "0,160,-1,0",
    };
    ASSERT_GE(run.Lines.size(), tail.size());
    EXPECT_EQ(std::vector<std::string>(run.Lines.end() - 8, run.Lines.end()), tail);
    EXPECT_EQ(run.End, layout.Cameras);
}

} // namespace
