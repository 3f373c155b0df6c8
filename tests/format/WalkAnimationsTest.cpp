#include "UnitRun.h"

namespace {

const std::string kAnimationHeader =
    "Offset Hex, Offset,Animation No,FrameOffset,FrameRate,FrameSize,StateID,Unknown2,FrameStart,FrameEnd,"
    "NextAnimation,NextFrame,NumStateChanges,StateChangeOffset,NumAnimCommands,AnimCommand (Dec), "
    "AnimCommand (Hex)";
const std::string kMeshTreeHeader = "Offset Hex, Offset,Mesh Tree No, Flag, X,Y,Z";

UnitRun Animations(const std::vector<uint8_t>& bytes, int32_t start, const DetailOptionSet& options,
                   bool faults = false) {
    return RunUnit(WalkAnimations, bytes, 2, start, options, faults);
}

TEST(WalkAnimations, AllOptionsOffGiveSevenSummariesAndStepOverTheRecords) {
    // 35 animations whose count field stands at byte 7980; the chunks behind them read as empty.
    ByteImage image(7984 + 35 * 32);
    image.U32(7980, 35);
    const UnitRun run = Animations(image.Bytes, 7980, AllOptions(false));
    EXPECT_EQ(run.Lines,
              (std::vector<std::string>{
                  kSep, "0x1F2C,7980,35,Animations,1120 bytes", kSep, "0x2390,9104,0,State Changes,0 bytes",
                  kSep, "0x2394,9108,0,Anim Dispatches,0 bytes", kSep, "0x2398,9112,0,Anim Commands,0 bytes",
                  kSep, "0x239C,9116,0,MeshTree,0 bytes", kSep, "0x23A0,9120,0,Frame,0 bytes", kSep,
                  "0x23A4,9124,0,Moveables,0 bytes"}));
    EXPECT_EQ(run.End, 9128);
}

TEST(WalkAnimations, AnimationLinesReadTheOddPositionedFieldsUnsigned) {
    // Three animations from byte 8192; the third is the example record at byte 8256.
    ByteImage image(8188 + 4 + 3 * 32 + 24);
    image.U32(8188, 3);
    // Record 0: every field at its limit, so a signed or misaligned read shows.
    image.U32(8192, 0xFFFFFFFF).U8(8196, 255).U8(8197, 254);
    image.U16(8198, 0xFFFF).U8(8200, 200).U16(8192 + 23, 300);
    for (size_t pos = 9; pos <= 21; pos += 2)
        image.U16(8192 + pos, static_cast<uint16_t>(60000 + pos));
    // Record 2: the example, with its unread tail bytes filled.
    image.U32(8256, 1200).U8(8260, 1).U8(8261, 20).U16(8262, 2);
    image.U16(8256 + 11, 40).U16(8256 + 13, 3).U16(8256 + 17, 1).U16(8256 + 19, 5);
    for (size_t pos = 25; pos < 32; ++pos)
        image.U8(8256 + pos, 0xEE);

    const UnitRun run = Animations(image.Bytes, 8188, OptionsOn({optAnimations}));
    const std::vector<std::string> expected = Excerpt(
        kSep, "0x1FFC,8188,3,Animations,96 bytes", kAnimationHeader,
        "0x2000,8192,0,4294967295,255,254,65535,200,60009,60011,60013,60015,60017,60019,60021,300,0x12C",
        "0x2020,8224,1,0,0,0,0,0,0,0,0,0,0,0,0,0,0x0", "0x2040,8256,2,1200,1,20,2,0,0,40,3,0,1,5,0,0,0x0");
    EXPECT_EQ(std::vector<std::string>(run.Lines.begin(), run.Lines.begin() + 6), expected);
    for (size_t i = 2; i <= 5; ++i)
        EXPECT_EQ(std::count(run.Lines[i].begin(), run.Lines[i].end(), ','), 16) << run.Lines[i];
    EXPECT_EQ(run.End, 8192 + 96 + 6 * 4);
}

TEST(WalkAnimations, ListedChunksOfTheFilledLevel) {
    const Built b(FilledLevel(2));
    const Layout& at = b.Where;
    const UnitRun run = Animations(b.Bytes, at.Animations,
                                   OptionsOn({optAnimations, optStateChanges, optAnimDispatches,
                                              optAnimCommands, optMeshTree, optFrames, optMoveables}));
    // An animation's StateID FF FF is unsigned; a state change's is signed.
    ExpectEach(
        run.Lines,
        {At(at.Animations + 36) + "1,1200,1,20,65535,0,0,40,3,0,1,5,0,300,0x12C",
         "Offset Hex, Offset,StateChange No,StateID,NumAnimDispatches,AnimDispatch",
         At(at.StateChanges + 10) + "1,-1,2,1",
         "Offset Hex, Offset,AnimDispatch No,Low,High,NextAnimation,NextFrame",
         At(at.AnimDispatches + 12) + "1,11,20,4,5", "Offset Hex, Offset,AnimCommand No,AnimCommand",
         At(at.AnimCommands + 6) + "1,-2", kMeshTreeHeader, At(at.MeshTrees + 20) + "1,0,-50,0,25",
         At(at.Frames) + "10,Frame,20 bytes",
         "Offset Hex, Offset,Moveable No,ObjectID,NumMeshes,StartingMesh,MeshTree,FrameOffset,Animation",
         At(at.Moveables + 22) + "1,7,1,15,8,1200,1"});
    // Listed or not, the walk leaves the same offset.
    EXPECT_EQ(run.End, at.StaticMeshes);
    EXPECT_EQ(Animations(b.Bytes, at.Animations, AllOptions(false)).End, at.StaticMeshes);
}

// Mesh trees counted in words: listed as round-half-even(words / 4) nodes of 16 bytes, stepped over as
// words x 4 bytes. The header stands whenever there are words, even with no node line behind it.
TEST(WalkAnimations, MeshTreeNodes) {
    struct Case {
        int32_t Words, Nodes;
    };
    for (const Case c :
         {Case{8, 2}, Case{1, 0}, Case{2, 0}, Case{3, 1}, Case{6, 2}, Case{10, 2}, Case{14, 4}}) {
        SCOPED_TRACE(c.Words);
        // The four chunks before it empty at 0..15, the mesh tree count at 16, its words from 20.
        ByteImage image(20 + 4 * static_cast<size_t>(c.Words) + 64);
        image.U32(16, static_cast<uint32_t>(c.Words));
        if (c.Words == 8)
            image.U32(20, 2).U32(28, 100).U32(40, static_cast<uint32_t>(-50)).U32(48, 25);
        const UnitRun listed = Animations(image.Bytes, 0, OptionsOn({optMeshTree}));
        ASSERT_EQ(listed.Lines.size(), 15u + static_cast<size_t>(c.Nodes));
        EXPECT_EQ(listed.Lines[9],
                  At(16) + std::to_string(c.Words) + ",MeshTree," + std::to_string(4 * c.Words) + " bytes");
        EXPECT_EQ(listed.Lines[10], kMeshTreeHeader);
        EXPECT_EQ(listed.Lines[12 + c.Nodes], At(20 + 16 * c.Nodes) + "0,Frame,0 bytes");
        if (c.Words == 8) { // the frames count 36 bytes after the chunk's start
            EXPECT_EQ(std::vector<std::string>(listed.Lines.begin() + 11, listed.Lines.begin() + 13),
                      (std::vector<std::string>{"0x14,20,0,2,0,100,0", "0x24,36,1,0,-50,0,25"}));
        }
        EXPECT_EQ(Animations(image.Bytes, 0, AllOptions(false)).Lines[11],
                  At(20 + 4 * c.Words) + "0,Frame,0 bytes");
    }
    ByteImage image(24);
    image.U32(16, 4 * 32768);
    EXPECT_EQ(Animations(image.Bytes, 0, OptionsOn({optMeshTree}), true).Lines.back(), kMeshTreeHeader);
}

TEST(WalkAnimations, FramesAreOnlySummarisedAndCountsBelowOneListNothing) {
    ByteImage image(24 + 20 + 4);
    image.U32(20, 10).U32(44, 1); // ten frame words, then one moveable
    const UnitRun off = Animations(image.Bytes, 0, AllOptions(false));
    const UnitRun on = Animations(image.Bytes, 0, OptionsOn({optMeshes, optFrames}));
    EXPECT_EQ(off.Lines, on.Lines);
    EXPECT_EQ(off.End, on.End);
    EXPECT_EQ(on.Lines[11], "0x14,20,10,Frame,20 bytes");
    EXPECT_EQ(on.Lines[13], "0x2C,44,1,Moveables,18 bytes");

    ByteImage negative(64);
    negative.U32(0, static_cast<uint32_t>(-2)); // animations
    const UnitRun run = Animations(negative.Bytes, 0, AllOptions(true));
    ASSERT_EQ(run.Lines.size(), 14u);
    EXPECT_EQ(run.Lines[1], "0x0,0,-2,Animations,-64 bytes");
    // The offset stays just past each count field.
    EXPECT_EQ(run.Lines[3], "0x4,4,0,State Changes,0 bytes");
    EXPECT_EQ(run.End, 28);
}

} // namespace
