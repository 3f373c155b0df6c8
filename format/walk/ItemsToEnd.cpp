#include "format/walk/ChunkStep.h"
#include "format/walk/Units.h"

// The last chunks of a level: items, light map, cinematic frames, demo data, sound map, sound details
// and sample indices. The walk ends behind the sample indices, wherever that is.

namespace {

using namespace format;

// The literal carries a blank in front of its comma, so a blank follows the count.
constexpr ChunkShape kItems{.What = Piece::Items,
                            .SummaryWord = " ,Items,",
                            .Record = &kItem,
                            .Option = optItems,
                            .Write = OneLineRecord<kItem>};

// Its byte figure is a 32-bit product: a long cut-scene must not end the report here.
constexpr ChunkShape kCinematicFrames{.What = Piece::CinematicFrames,
                                      .SummaryWord = ",Cinematic Frame,",
                                      .Record = &kCinematicFrame,
                                      .Option = optCinematicFrames,
                                      .Write = OneLineRecord<kCinematicFrame>,
                                      .Count = CountField::S16};

constexpr ChunkShape kDemoDataChunk{.What = Piece::DemoData,
                                    .SummaryWord = ",Demo Data,",
                                    .Record = &format::kDemoData,
                                    .Option = optDemoData,
                                    .Write = OneLineRecord<format::kDemoData>,
                                    .Count = CountField::S16};

constexpr ChunkShape kSoundDetails{.What = Piece::SoundDetails,
                                   .SummaryWord = ",Sound Details,",
                                   .Record = &kSoundDetail,
                                   .Option = optSoundDetails,
                                   .Write = OneLineRecord<kSoundDetail>,
                                   .Count = CountField::S16In4Bytes};

// Sample indices are listed as index lines.
constexpr ChunkShape kSampleIndices{.What = Piece::SampleIndices,
                                    .SummaryWord = ",Sample Indices,",
                                    .Record = &kSampleIndex,
                                    .Option = optSampleIndices,
                                    .Write = OneLineRecord<kSampleIndex>};

// Nothing of the light map is listed; its option only adds the loaded line.
void WalkLightMap(Walk& w) {
    w.Separator();
    w.Open(SpanKind::Chunk, Piece::LightMap, w.Offset());
    w.SetCount(1);
    w.BeginAt(w.Offset()).Text("1, Light Map,8192 bytes");
    w.End();
    if (w.Option(optLightMaps))
        w.Plain("LightMap loaded.");
    w.Advance(kLightMapBytes);
    w.Close(1);
}

// The sound map has no count field; its entries are listed as index lines.
void WalkSoundMap(Walk& w) {
    w.Separator();
    w.Open(SpanKind::Chunk, Piece::SoundMap, w.Offset(), 0, &kSoundMapEntry);
    w.SetCount(kSoundMapEntries);
    w.BeginAt(w.Offset()).Dec(kSoundMapEntries).Text(",Sound Maps,");
    w.Line().Dec(kSoundMapEntries * kSoundMapEntry.Size).Text(" bytes");
    w.End();
    if (w.Option(optSoundMaps))
        ListRecords(w, kSoundMapEntries, kSoundMapEntry, OneLineRecord<kSoundMapEntry>);
    else
        w.Skip(kSoundMapEntries, kSoundMapEntry.Size);
    w.Close(kSoundMapEntries);
}

} // namespace

void WalkItemsToEnd(Walk& w) {
    ChunkStep(w, kItems);
    WalkLightMap(w);
    ChunkStep(w, kCinematicFrames);
    ChunkStep(w, kDemoDataChunk);
    WalkSoundMap(w);
    ChunkStep(w, kSoundDetails);
    ChunkStep(w, kSampleIndices);
}
