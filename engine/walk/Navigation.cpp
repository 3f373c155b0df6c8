#include "engine/walk/ChunkStep.h"
#include "engine/walk/Units.h"

// Cameras, sound sources, the navigation data (boxes, overlaps, zones), the animated textures and,
// in DM3 files, the object textures.

namespace {

// Cameras and sound sources share one shape: x, y, z, then two 16-bit fields.
void PositionRecord(Walk& w, int32_t at) {
    w.Line().Field(w.S32(at)).Field(w.S32(at + 4)).Field(w.S32(at + 8));
    w.Line().Field(w.S16(at + 12)).Field(w.S16(at + 14));
    w.End();
}

// Box fields and overlap words are read as the by-path readers read them, so they never show a sign.
void BoxRecord(Walk& w, int32_t at) {
    w.Line()
        .Field(w.PathByte(at))
        .Field(w.PathByte(at + 1))
        .Field(w.PathByte(at + 2))
        .Field(w.PathByte(at + 3));
    w.Line().Field(w.PathWord(at + 4)).Field(w.PathWord(at + 6));
    w.End();
}

void OverlapRecord(Walk& w, int32_t at) {
    w.Line().Field(w.PathWord(at));
    w.End();
}

// Only the first two bytes of a zone block are shown; the other 18 are stepped over.
void ZoneRecord(Walk& w, int32_t at) {
    w.Line().Field(w.S16(at));
    w.End();
}

void AnimatedTextureRecord(Walk& w, int32_t at) {
    w.Line().Field(w.S16(at));
    w.End();
}

constexpr ChunkShape kCameras{",Cameras,", 16, optCameras, "Offset Hex, Offset,Camera No,x,y,z,Room,Unknown",
                             PositionRecord};

constexpr ChunkShape kSoundSources{",Sound Sources,", 16, optSoundSources,
                                  "Offset Hex,Offset,SoundSource No,x,y,z,SoundID,Flags", PositionRecord};

constexpr ChunkShape kBoxes{",Boxes,", 8, optBoxes,
                           "Offset Hex, Offset,Box No,Zmin,Zmax,Xmin,Xmax,TrueFloor,OverlapIndex", BoxRecord};

constexpr ChunkShape kOverlaps{",Overlaps,", 2, optOverlaps, "Offset Hex, Offset,Overlap No,Overlap",
                              OverlapRecord};

constexpr ChunkShape kZones{",Zones,", 20, optZones, "Offset Hex, Offset,Zone No, ZoneID", ZoneRecord};

constexpr ChunkShape kAnimatedTextures{",Animated Textures,", 2, optAnimatedTextures,
                                      "Offset Hex, Offset,Animated Texture No, AnimatedTexture",
                                      AnimatedTextureRecord};

constexpr std::string_view kObjectTexturesHeaderDM3 =
    "Offset Hex,Offset,Object Texture No, Attribute,Tile Index,X coordinate, XPixel,Y coordinate, YPixel";

// The zones have no count field: one 20-byte block per box, the summary standing at the first byte
// of the zone data.
void WalkZones(Walk& w, int32_t boxCount) {
    const int32_t bytes = checkedMul32(boxCount, kZones.RecordSize);
    w.Separator();
    w.BeginAt(w.Offset).Dec(boxCount).Text(kZones.SummaryWord).Dec(bytes).Text(" bytes");
    w.End();
    if (!w.Option(kZones.Option))
        w.Advance(bytes);
    else if (boxCount > 0)
        ListRecords(w, boxCount, kZones);
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
        WalkObjectTextures(w, kObjectTexturesHeaderDM3);
}
