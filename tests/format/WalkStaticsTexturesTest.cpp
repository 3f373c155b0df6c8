#include "UnitRun.h"

namespace {

UnitRun Statics(const std::vector<uint8_t>& bytes, int16_t generation, int32_t start,
                const DetailOptionSet& options) {
    return RunUnit(WalkStaticsAndTextures, bytes, generation, start, options);
}

TEST(WalkStaticsAndTextures, StaticMeshesTakeFourLinesARecord) {
    // Two static meshes from byte 4096: the example record, then one with Mesh and Flag FF FF.
    ByteImage image(4092 + 4 + 2 * 32 + 12);
    image.U32(4092, 2).U32(4096, 10).U16(4100, 3).U16(4126, 3).U16(4128 + 4, 0xFFFF).U16(4128 + 30, 0xFFFF);
    const int16_t corners[12] = {-512, -1024, -512, 512, 0, 512, -256, -768, -256, 256, 0, 256};
    for (size_t i = 0; i < 12; ++i)
        image.U16(4102 + 2 * i, static_cast<uint16_t>(corners[i]));
    const UnitRun run = Statics(image.Bytes, 2, 4092, OptionsOn({optStaticMeshes}));
    const std::vector<std::string> expected = {
        kSep,
        "0xFFC,4092,2,Static Meshes,64 bytes",
        "Offset Hex, Offset,StaticMesh No,ObjectID,Mesh,BoundingBox Corners x,BoundingBox Corners y,"
        "BoundingBox Corners z, Flag ",
        "0x1000,4096,0,10,3,-512,-1024,-512,3",
        ",,,,,512,0,512",
        ",,,,,-256,-768,-256",
        ",,,,,256,0,256",
        "0x1020,4128,1,0,-1,0,0,0,65535",
        ",,,,,0,0,0",
        ",,,,,0,0,0",
        ",,,,,0,0,0"};
    ASSERT_GE(run.Lines.size(), expected.size());
    EXPECT_EQ(std::vector<std::string>(run.Lines.begin(), run.Lines.begin() + 11), expected);
    EXPECT_EQ(run.End, 4160 + 3 * 4);
}

// Unlisted, a DM2 file has its object textures behind the static meshes and a DM3 file does not; listed,
// the records read the same at both places and only the header line differs. The DM3 object textures
// close the navigation step, directly before the items.
TEST(WalkStaticsAndTextures, ObjectTexturesAtTheirTwoPlaces) {
    for (const int16_t generation : {int16_t{2}, int16_t{3}}) {
        const Built b(FilledLevel(generation));
        const Layout& at = b.Where;
        std::vector<std::string> expected = {kSep, At(at.StaticMeshes) + "2,Static Meshes,64 bytes"};
        if (generation == 2)
            expected.insert(expected.end(), {kSep, At(at.ObjectTextures) + "2,Object Textures,40 bytes"});
        expected.insert(expected.end(), {kSep, At(at.SpriteTextures) + "1,Sprite Texture,16 bytes", kSep,
                                         At(at.SpriteSequences) + "1,Sprite Sequence,8 bytes"});
        UnitRun run = Statics(b.Bytes, generation, at.StaticMeshes, AllOptions(false));
        EXPECT_EQ(run.Lines, expected);
        EXPECT_EQ(run.End, at.Cameras);

        const DetailOptionSet options = OptionsOn({optObjectTextures});
        EXPECT_EQ(Statics(b.Bytes, generation, at.StaticMeshes, options).End, at.Cameras);
        run = generation == 2 ? Statics(b.Bytes, 2, at.StaticMeshes, options)
                              : RunUnit(WalkNavigation, b.Bytes, 3, at.Cameras, options);
        expected = {
            kSep, At(at.ObjectTextures) + "2,Object Textures,40 bytes",
            std::string("Offset Hex,") + (generation == 2 ? " " : "") +
                "Offset,Object Texture No, Attribute,Tile Index,X coordinate, XPixel,Y coordinate, YPixel"};
        for (int32_t i = 0; i < 2; ++i)
            expected.insert(expected.end(),
                            {At(at.ObjectTextures + 4 + 20 * i) + std::to_string(i) + ",1,1,0,1,0,1",
                             ",,,,,255,255,0,1", ",,,,,255,255,255,255", ",,,,,0,1,128,200"});
        const size_t first = static_cast<size_t>(std::find(run.Lines.begin(), run.Lines.end(), expected[1]) -
                                                 run.Lines.begin()) -
                             1;
        ASSERT_LE(first + 11, run.Lines.size());
        EXPECT_EQ(std::vector<std::string>(run.Lines.begin() + first, run.Lines.begin() + first + 11),
                  expected);
        EXPECT_EQ(run.End, generation == 2 ? at.Cameras : at.Items);
        EXPECT_EQ(first + 11 == run.Lines.size(), generation == 3);
    }
}

TEST(WalkStaticsAndTextures, SpriteTexturesAndSequences) {
    const Built b(FilledLevel(2));
    const Layout& at = b.Where;
    const UnitRun run =
        Statics(b.Bytes, 2, at.StaticMeshes, OptionsOn({optSpriteTextures, optSpriteSequence}));
    EXPECT_EQ(
        Last(run.Lines, 8),
        Excerpt(kSep, At(at.SpriteTextures) + "1,Sprite Texture,16 bytes",
                "Offset Hex, Offset,Sprite Texture No, Tile,x,y,Width,Height,LeftSide,TopSide,RightSide,"
                "BottomSide",
                At(at.SpriteTextures + 4) + "0,0,200,16,64,64,-32,-64,32,0", kSep,
                At(at.SpriteSequences) + "1,Sprite Sequence,8 bytes",
                "Offset Hex, Offset,Sprite Sequence No,ObjectId,NegativeLength,Offset",
                At(at.SpriteSequences + 4) + "0,160,-1,0"));
    EXPECT_EQ(run.End, at.Cameras);
}

} // namespace
