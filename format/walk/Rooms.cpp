#include "format/walk/ChunkStep.h"
#include "format/walk/Units.h"

// The room chunk: the room count, then every room field by field. DM2 rooms carry a light mode word
// before their lights, DM3 rooms three colour bytes at their end; everything else is shared.

namespace {

using namespace format;

// A door takes four lines: its own with the first vertex, then one for each further vertex with the
// values under the three vertex columns.
void DoorRecord(Walk& w, int32_t at) {
    w.Fields<kDoor>(at);
    w.End();
    for (int v = 1; v < 4; ++v) {
        w.Begin().Text(",,,,,,");
        w.Fields<kDoor, 4, 7>(at, v);
        w.End();
    }
}

// Room lists have 16-bit counts. The mesh lists walk only what they list, so a count of 0 or less
// leaves the offset past the count; the other lists step over count x size bytes whenever they do
// not list, which moves the offset back for a negative count.
constexpr CountField S16 = CountField::S16;
constexpr ChunkShape kVertices{.What = Piece::Vertices,
                               .SummaryWord = ", vertices,",
                               .Record = &kVertex,
                               .Option = optRoomMeshes,
                               .Write = OneLineRecord<kVertex>,
                               .Count = S16};
constexpr ChunkShape kRectangles{.What = Piece::Rectangles,
                                 .SummaryWord = ",rectangles,",
                                 .Record = &kRectangle,
                                 .Option = optRoomMeshes,
                                 .Write = OneLineRecord<kRectangle>,
                                 .Count = S16};
constexpr ChunkShape kTriangles{.What = Piece::Triangles,
                                .SummaryWord = ", triangles,",
                                .Record = &kTriangle,
                                .Option = optRoomMeshes,
                                .Write = OneLineRecord<kTriangle>,
                                .Count = S16};
constexpr ChunkShape kSprites{.What = Piece::RoomSprites,
                              .SummaryWord = ",sprites.",
                              .Record = &kRoomSprite,
                              .Option = optRoomSprites,
                              .Write = OneLineRecord<kRoomSprite>,
                              .Count = S16,
                              .StepOverUnlisted = true};
constexpr ChunkShape kDoors{.What = Piece::Doors,
                            .SummaryWord = ",doors,",
                            .Record = &kDoor,
                            .Option = optRoomDoors,
                            .Write = DoorRecord,
                            .Count = S16,
                            .StepOverUnlisted = true};
constexpr ChunkShape kLights{.What = Piece::Lights,
                             .SummaryWord = ",Lights,",
                             .Record = &kLight,
                             .Option = optRoomLights,
                             .Write = OneLineRecord<kLight>,
                             .Count = S16,
                             .StepOverUnlisted = true};
constexpr ChunkShape kStaticMeshes{.What = Piece::RoomStaticMeshes,
                                   .SummaryWord = ",Static Meshes,",
                                   .Record = &kRoomStaticMesh,
                                   .Option = optRoomStaticMeshes,
                                   .Write = OneLineRecord<kRoomStaticMesh>,
                                   .Count = S16,
                                   .StepOverUnlisted = true};

void RoomHeader(Walk& w) {
    const int32_t at = w.Offset();
    const bool shown = w.Option(optRoomInfo);
    if (shown)
        w.Separator();
    w.Open(SpanKind::Part, Piece::RoomHeader, at, 0, &kRoomHeader);
    if (shown) {
        w.Plain(kRoomHeader.Header);
        w.BeginAt(at).Dec(w.S32(at));
        w.Fields<kRoomHeader, 1>(at);
        w.End();
    }
    w.Advance(kRoomHeader.Size);
    w.Close();
}

// The mesh data size W counts 16-bit words. With the meshes option off the room's end is reached by
// stepping 2 x W bytes; with it on, by walking the four mesh lists, and W is only shown.
void RoomMeshes(Walk& w) {
    const int32_t at = w.Offset();
    const int32_t words = w.S32(at);
    w.Open(SpanKind::Part, Piece::RoomMeshes, at, 4);
    w.SetCount(words); // known before its line, so a span cut inside the meshes keeps it
    const int32_t bytes = checkedMul32(2, words);
    w.BeginAt(at).Dec(words).Text(", meshes,").Dec(bytes).Text(" bytes");
    w.End();
    w.Advance(4);
    if (!w.Option(optRoomMeshes)) {
        w.Advance(bytes);
    } else {
        ChunkStep(w, kVertices, true);
        ChunkStep(w, kRectangles, true);
        ChunkStep(w, kTriangles, true);
        ChunkStep(w, kSprites);
    }
    w.Close(words);
}

// The sector grid: Z and X counts, then Z x X sectors in file order, numbered straight through.
void RoomSectors(Walk& w) {
    const int32_t zAt = w.Offset();
    const int32_t z = w.S16(zAt);
    w.Separator();
    w.Open(SpanKind::Part, Piece::Sectors, zAt, 4, &kSector);
    w.BeginAt(zAt).Dec(z).Text(",Z sectors");
    w.End();
    w.Advance(2);
    const int32_t xAt = w.Offset();
    const int32_t x = w.S16(xAt);
    w.BeginAt(xAt).Dec(x).Text(",X sectors");
    w.End();
    w.Advance(2);

    const int32_t k = z * x; // two 16-bit factors cannot leave 32 bits
    w.SetCount(k);
    const int32_t bytes = checkedMul32(k, kSector.Size);
    w.BeginAt(w.Offset()).Dec(k).Text(",sectors,").Dec(bytes).Text(" bytes");
    w.End();
    w.Begin().Text(",,").Dec(k).Text(",sectors,").Dec(bytes).Text(" bytes");
    w.End();
    if (w.Option(optRoomSectors) && k > 0)
        ListRecords(w, k, kSector, OneLineRecord<kSector>);
    else
        w.Advance(bytes);
    w.Close(k);
}

// A 16-bit field on its own summary line: separator (when asked), then the line from prefix + value.
void FieldLine(Walk& w, Piece what, std::string_view prefix, bool separator) {
    if (separator)
        w.Separator();
    const int32_t at = w.Offset();
    const int16_t value = w.S16(at);
    w.Open(SpanKind::Field, what, at, 2);
    w.SetCount(value);
    w.BeginAt(at).Text(prefix).Dec(value);
    w.End();
    w.Advance(2);
    w.Close(value);
}

// A field stepped over without a line.
void UnshownField(Walk& w, Piece what, int32_t bytes) {
    w.Open(SpanKind::Field, what, w.Offset(), static_cast<uint8_t>(bytes));
    w.Advance(bytes);
    w.Close();
}

void RoomColour(Walk& w) {
    const int32_t at = w.Offset();
    const format::Rgb colour = RoomColourAt(w.Level, at);
    w.Separator();
    w.Open(SpanKind::Field, Piece::RoomColour, at);
    w.BeginAt(at).Text("Room Color :R: ").Dec(colour.R).Text(",G: ").Dec(colour.G);
    w.Line().Text(",B: ").Dec(colour.B).Text(", 3 bytes");
    w.End();
    w.Advance(format::kRoomColourBytes);
    w.Close();
}

void WalkRoom(Walk& w, int32_t number) {
    w.Open(SpanKind::Room, Piece::Room, w.Offset(), 0, nullptr, static_cast<int16_t>(number));
    w.Begin().Text(", ,Room no ").Dec(number);
    w.End();
    w.Separator();
    RoomHeader(w);
    RoomMeshes(w);
    ChunkStep(w, kDoors);
    RoomSectors(w);
    FieldLine(w, Piece::Intensity1, ",iIntensity1,", true);
    FieldLine(w, Piece::Intensity2, ",iIntensity2,", false);
    if (!w.IsDM3())
        FieldLine(w, Piece::LightMode, ",LightMode,", true);
    ChunkStep(w, kLights);
    ChunkStep(w, kStaticMeshes);

    w.Separator();
    const int32_t at = w.Offset();
    const int16_t alternate = w.S16(at);
    w.Open(SpanKind::Field, Piece::AlternateRoom, at, 2);
    w.SetCount(alternate);
    w.BeginAt(at).Dec(alternate).Text(",Alternate Rooms, 2 bytes");
    w.End();
    w.Advance(2);
    w.Close(alternate);
    if (w.Option(optRoomFlags))
        FieldLine(w, Piece::RoomFlag, ",Room Flag :", true);
    else
        UnshownField(w, Piece::RoomFlag, 2);
    if (w.IsDM3())
        RoomColour(w);
    w.Separator();
    w.Close();
}

} // namespace

void WalkRooms(Walk& w) {
    const int32_t at = w.Offset();
    const int16_t rooms = w.S16(at);
    w.Separator();
    w.Open(SpanKind::Chunk, Piece::Rooms, at, 2);
    w.SetCount(rooms);
    w.BeginAt(at).Dec(rooms).Text(",rooms,2 bytes");
    w.End();
    w.Advance(2);
    w.Separator();
    for (int32_t r = 0; r < rooms; ++r)
        WalkRoom(w, r);
    w.Close(rooms);
}
