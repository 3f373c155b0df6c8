#include "engine/walk/ChunkStep.h"
#include "engine/walk/Units.h"

// Animation data: animations, state changes, anim dispatches, anim commands, mesh trees, frames and
// moveables, the same in DM2 and DM3 files.

namespace {

// An animation record is read field by field as the by-path readers read it: every field unsigned,
// -99 where the record stands at a negative offset. Position 8 holds one byte, so the eight 16-bit
// fields behind it stand at the odd positions 9 to 23; bytes 25 to 31 are never shown.
void AnimationRecord(Walk& w, int32_t at) {
    ReportLine& line = w.Line();
    line.Field(w.PathDWord(at)).Field(w.PathByte(at + 4)).Field(w.PathByte(at + 5));
    line.Field(w.PathWord(at + 6)).Field(w.PathByte(at + 8));
    for (int32_t pos = 9; pos <= 21; pos += 2)
        line.Field(w.PathWord(at + pos));
    const int64_t command = w.PathWord(at + 23);
    line.Field(command).Text(",0x").HexDigits(static_cast<uint32_t>(command));
    w.End();
}

void StateChangeRecord(Walk& w, int32_t at) {
    w.Line().Field(w.S16(at)).Field(w.S16(at + 2)).Field(w.S16(at + 4));
    w.End();
}

void AnimDispatchRecord(Walk& w, int32_t at) {
    w.Line().Field(w.S16(at)).Field(w.S16(at + 2)).Field(w.S16(at + 4)).Field(w.S16(at + 6));
    w.End();
}

void AnimCommandRecord(Walk& w, int32_t at) {
    w.Line().Field(w.S16(at));
    w.End();
}

void MeshTreeNode(Walk& w, int32_t at) {
    w.Line().Field(w.S32(at)).Field(w.S32(at + 4)).Field(w.S32(at + 8)).Field(w.S32(at + 12));
    w.End();
}

void MoveableRecord(Walk& w, int32_t at) {
    w.Line().Field(w.S32(at)).Field(w.S16(at + 4)).Field(w.S16(at + 6));
    w.Line().Field(w.S32(at + 8)).Field(w.S32(at + 12)).Field(w.S16(at + 16));
    w.End();
}

constexpr ChunkShape kAnimations{
    ",Animations,", 32, optAnimations,
    "Offset Hex, Offset,Animation No,FrameOffset,FrameRate,FrameSize,StateID,Unknown2,FrameStart,FrameEnd,"
    "NextAnimation,NextFrame,NumStateChanges,StateChangeOffset,NumAnimCommands,AnimCommand (Dec), "
    "AnimCommand (Hex)",
    AnimationRecord};

constexpr ChunkShape kStateChanges{",State Changes,", 6, optStateChanges,
                                  "Offset Hex, Offset,StateChange No,StateID,NumAnimDispatches,AnimDispatch",
                                  StateChangeRecord};

constexpr ChunkShape kAnimDispatches{",Anim Dispatches,", 8, optAnimDispatches,
                                    "Offset Hex, Offset,AnimDispatch No,Low,High,NextAnimation,NextFrame",
                                    AnimDispatchRecord};

constexpr ChunkShape kAnimCommands{",Anim Commands,", 2, optAnimCommands,
                                  "Offset Hex, Offset,AnimCommand No,AnimCommand", AnimCommandRecord};

// The mesh tree count counts 32-bit words; a listed tree shows nodes of four words.
constexpr ChunkShape kMeshTreeNodes{",MeshTree,", 16, optMeshTree,
                                   "Offset Hex, Offset,Mesh Tree No, Flag, X,Y,Z", MeshTreeNode};

constexpr ChunkShape kMoveables{",Moveables,", 18, optMoveables,
                               "Offset Hex, Offset,Moveable No,ObjectID,NumMeshes,StartingMesh,MeshTree,"
                               "FrameOffset,Animation",
                               MoveableRecord};

// words / 4, rounded to the nearest whole number with ties to the even one.
int32_t NodesOfWords(int32_t words) {
    int32_t nodes = words / 4;
    const int32_t rest = words % 4;
    if (rest > 2 || (rest == 2 && nodes % 2 != 0))
        ++nodes;
    return nodes;
}

// The summary and the unlisted path cover words x 4 bytes. The listed path shows the rounded node
// count and advances 16 bytes a node, which ends elsewhere when words is not a multiple of 4; the
// header line stands whenever there are words, even when no node line follows it.
void WalkMeshTrees(Walk& w) {
    const auto [words, bytes] = SummariseChunk(w, kMeshTreeNodes.SummaryWord, 4);
    if (!w.Option(optMeshTree))
        w.Advance(bytes);
    else if (words > 0)
        ListRecords(w, NodesOfWords(words), kMeshTreeNodes);
}

// Frames are only summarised: no listing is defined for them, so the offset always steps over the
// words, whatever the options say.
void WalkFrames(Walk& w) { w.Advance(SummariseChunk(w, ",Frame,", 2).Bytes); }

} // namespace

void WalkAnimations(Walk& w) {
    ChunkStep(w, kAnimations);
    ChunkStep(w, kStateChanges);
    ChunkStep(w, kAnimDispatches);
    ChunkStep(w, kAnimCommands);
    WalkMeshTrees(w);
    WalkFrames(w);
    ChunkStep(w, kMoveables);
}
