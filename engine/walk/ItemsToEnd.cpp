#include "engine/walk/ChunkStep.h"
#include "engine/walk/Units.h"

// The last chunks of a level: items, light map, cinematic frames, demo data, sound map, sound details
// and sample indices. The walk ends behind the sample indices, wherever that is.

namespace {

constexpr int32_t kLightMapBytes = 8192;
constexpr int32_t kSoundMapEntries = 370;

// Every value of an item comes from the item's own 24 bytes.
void ItemRecord(Walk& w, int32_t at) {
    w.Line().Field(w.S16(at)).Field(w.S16(at + 2));
    w.Line().Field(w.S32(at + 4)).Field(w.S32(at + 8)).Field(w.S32(at + 12));
    for (int32_t pos = 16; pos <= 22; pos += 2)
        w.Line().Field(w.S16(at + pos));
    w.End();
}

// Cinematic frames (eight words) and sound details (four words) are runs of signed 16-bit fields.
template <int32_t Words> void WordsRecord(Walk& w, int32_t at) {
    ReportLine& line = w.Line();
    for (int32_t pos = 0; pos < 2 * Words; pos += 2)
        line.Field(w.S16(at + pos));
    w.End();
}

void ByteRecord(Walk& w, int32_t at) {
    w.Line().Field(w.U8(at));
    w.End();
}

void SampleIndexRecord(Walk& w, int32_t at) {
    w.Line().Field(w.S32(at));
    w.End();
}

// The literal carries a blank in front of its comma, so a blank follows the count.
constexpr ChunkShape kItems{" ,Items,", 24, optItems,
                           "Offset Hex, Offset,Item No,ObjectID,Room,x,y,z,Angle,Intensity1,Intensity2,Flags",
                           ItemRecord};

// Its byte figure is a 32-bit product: a long cut-scene must not end the report here.
constexpr ChunkShape kCinematicFrames{",Cinematic Frame,",
                                     16,
                                     optCinematicFrames,
                                     "Offset Hex,Offset,CinematicFrame No,rotY,rotZ,rotZ2,posZ,posY,posX,"
                                     "unknown,rotX",
                                     WordsRecord<8>,
                                     CountField::S16};

constexpr ChunkShape kDemoData{
    ",Demo Data,", 1, optDemoData, "Offset Hex,Offset,DemoData No,DATA", ByteRecord, CountField::S16};

// The sound map has no count field; its entries are listed as index lines.
constexpr ChunkShape kSoundMap{",Sound Maps,",  2,   optSoundMaps, "Sound No, Index", WordsRecord<1>,
                              CountField::S32, true};

constexpr ChunkShape kSoundDetails{
    ",Sound Details,", 8,
    optSoundDetails,   "Offset Hex, Offset,Sample No,Sample,Volume,Unknown1,Unknown2",
    WordsRecord<4>,    CountField::S16In4Bytes};

constexpr ChunkShape kSampleIndices{
    ",Sample Indices,", 4,   optSampleIndices, "SampleIndice No,Index", SampleIndexRecord,
    CountField::S32,    true};

// Nothing of the light map is listed; its option only adds the loaded line.
void WalkLightMap(Walk& w) {
    w.Separator();
    w.BeginAt(w.Offset).Text("1, Light Map,8192 bytes");
    w.End();
    if (w.Option(optLightMaps))
        w.Plain("LightMap loaded.");
    w.Advance(kLightMapBytes);
}

void WalkSoundMap(Walk& w) {
    w.Separator();
    w.BeginAt(w.Offset).Dec(kSoundMapEntries).Text(kSoundMap.SummaryWord);
    w.Line().Dec(kSoundMapEntries * kSoundMap.RecordSize).Text(" bytes");
    w.End();
    if (w.Option(kSoundMap.Option))
        ListRecords(w, kSoundMapEntries, kSoundMap);
    else
        w.Skip(kSoundMapEntries, kSoundMap.RecordSize);
}

} // namespace

void WalkItemsToEnd(Walk& w) {
    ChunkStep(w, kItems);
    WalkLightMap(w);
    ChunkStep(w, kCinematicFrames);
    ChunkStep(w, kDemoData);
    WalkSoundMap(w);
    ChunkStep(w, kSoundDetails);
    ChunkStep(w, kSampleIndices);
}
