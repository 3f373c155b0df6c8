#include "format/walk/ChunkStep.h"
#include "format/walk/Units.h"

// Cameras, sound sources, the navigation data (boxes, overlaps, zones), the animated textures and,
// in DM3 files, the object textures.

namespace {

using namespace format;

constexpr ChunkShape kCameras{.What = Piece::Cameras,
                              .SummaryWord = ",Cameras,",
                              .Record = &kCamera,
                              .Option = optCameras,
                              .Write = OneLineRecord<kCamera>};

constexpr ChunkShape kSoundSources{.What = Piece::SoundSources,
                                   .SummaryWord = ",Sound Sources,",
                                   .Record = &kSoundSource,
                                   .Option = optSoundSources,
                                   .Write = OneLineRecord<kSoundSource>};

// Box fields and overlap words are read as the by-path readers read them, so they never show a sign.
constexpr ChunkShape kBoxes{.What = Piece::Boxes,
                            .SummaryWord = ",Boxes,",
                            .Record = &kBox,
                            .Option = optBoxes,
                            .Write = OneLineRecord<kBox>};

constexpr ChunkShape kOverlaps{.What = Piece::Overlaps,
                               .SummaryWord = ",Overlaps,",
                               .Record = &kOverlap,
                               .Option = optOverlaps,
                               .Write = OneLineRecord<kOverlap>};

constexpr ChunkShape kAnimatedTextures{.What = Piece::AnimatedTextures,
                                       .SummaryWord = ",Animated Textures,",
                                       .Record = &kAnimatedTexture,
                                       .Option = optAnimatedTextures,
                                       .Write = OneLineRecord<kAnimatedTexture>};

// The zones have no count field: one 20-byte block per box, the summary standing at the first byte
// of the zone data. Only the first two bytes of a block are shown.
void WalkZones(Walk& w, int32_t boxCount) {
    w.Separator();
    w.Open(SpanKind::Chunk, Piece::Zones, w.Offset(), 0, &kZone);
    w.SetCount(boxCount);
    const int32_t bytes = checkedMul32(boxCount, kZone.Size);
    w.BeginAt(w.Offset()).Dec(boxCount).Text(",Zones,").Dec(bytes).Text(" bytes");
    w.End();
    if (!w.Option(optZones))
        w.Advance(bytes);
    else if (boxCount > 0)
        ListRecords(w, boxCount, kZone, OneLineRecord<kZone>);
    w.Close(boxCount);
}

} // namespace

void WalkNavigation(Walk& w) {
    ChunkStep(w, kCameras);
    ChunkStep(w, kSoundSources);
    const int32_t boxCount = ChunkStep(w, kBoxes);
    ChunkStep(w, kOverlaps);
    WalkZones(w, boxCount);
    ChunkStep(w, kAnimatedTextures);
    if (w.IsDM3())
        WalkObjectTextures(w);
}
