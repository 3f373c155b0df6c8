#include "format/walk/ChunkStep.h"
#include "format/walk/Units.h"

// Animation data: animations, state changes, anim dispatches, anim commands, mesh trees, frames and
// moveables, the same in DM2 and DM3 files.

namespace {

using namespace format;

// Every animation field is read as the by-path readers read it; the last one is shown in decimal and
// in hexadecimal.
constexpr ChunkShape kAnimations{.What = Piece::Animations,
                                 .SummaryWord = ",Animations,",
                                 .Record = &kAnimation,
                                 .Option = optAnimations,
                                 .Write = OneLineRecord<kAnimation>};

constexpr ChunkShape kStateChanges{.What = Piece::StateChanges,
                                   .SummaryWord = ",State Changes,",
                                   .Record = &kStateChange,
                                   .Option = optStateChanges,
                                   .Write = OneLineRecord<kStateChange>};

constexpr ChunkShape kAnimDispatches{.What = Piece::AnimDispatches,
                                     .SummaryWord = ",Anim Dispatches,",
                                     .Record = &kAnimDispatch,
                                     .Option = optAnimDispatches,
                                     .Write = OneLineRecord<kAnimDispatch>};

constexpr ChunkShape kAnimCommands{.What = Piece::AnimCommands,
                                   .SummaryWord = ",Anim Commands,",
                                   .Record = &kAnimCommand,
                                   .Option = optAnimCommands,
                                   .Write = OneLineRecord<kAnimCommand>};

constexpr ChunkShape kMoveables{.What = Piece::Moveables,
                                .SummaryWord = ",Moveables,",
                                .Record = &kMoveable,
                                .Option = optMoveables,
                                .Write = OneLineRecord<kMoveable>};

constexpr int32_t kMeshTreeWordBytes = 4;
constexpr int32_t kFrameWordBytes = 2;

// words / 4, rounded to the nearest whole number with ties to the even one.
int32_t NodesOfWords(int32_t words) {
    int32_t nodes = words / 4;
    const int32_t rest = words % 4;
    if (rest > 2 || (rest == 2 && nodes % 2 != 0))
        ++nodes;
    return nodes;
}

// The mesh tree count counts 32-bit words. The summary and the unlisted path cover words x 4 bytes.
// The listed path shows the rounded node count and advances 16 bytes a node, which ends elsewhere when
// words is not a multiple of 4; the header line stands whenever there are words, even when no node
// line follows it.
void WalkMeshTrees(Walk& w) {
    const auto [words, bytes] = SummariseChunk(w, Piece::MeshTrees, ",MeshTree,", kMeshTreeWordBytes,
                                               CountField::S32, &kMeshTreeNode);
    if (!w.Option(optMeshTree))
        w.Advance(bytes);
    else if (words > 0)
        ListRecords(w, NodesOfWords(words), kMeshTreeNode, OneLineRecord<kMeshTreeNode>);
    w.Close(words);
}

// Frames are only summarised: no listing is defined for them, so the offset always steps over the
// words, whatever the options say.
void WalkFrames(Walk& w) {
    const ChunkCount count = SummariseChunk(w, Piece::Frames, ",Frame,", kFrameWordBytes);
    w.Advance(count.Bytes);
    w.Close(count.N);
}

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
