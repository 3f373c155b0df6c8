#include "engine/walk/ChunkStep.h"
#include "engine/walk/Units.h"

// The room chunk: the room count, then every room field by field. DM2 rooms carry a light mode word
// before their lights, DM3 rooms three colour bytes at their end; everything else is shared.

namespace {

void VertexRecord(Walk& w, int32_t at) {
    w.Line().Field(w.S16(at)).Field(w.S16(at + 2)).Field(w.S16(at + 4));
    w.End();
}

// Rectangles (four vertex indices) and triangles (three), then the texture index shown one-based;
// computed in 32 bits, a stored 32767 shows 32768.
template <int32_t Vertices> void FaceRecord(Walk& w, int32_t at) {
    ReportLine& line = w.Line();
    for (int32_t k = 0; k < Vertices; ++k)
        line.Field(w.S16(at + 2 * k));
    line.Field(int32_t{w.S16(at + 2 * Vertices)} + 1);
    w.End();
}

// Unlike rectangles and triangles, a sprite shows its texture as stored.
void SpriteRecord(Walk& w, int32_t at) {
    w.Line().Field(w.S16(at)).Field(w.S16(at + 2));
    w.End();
}

// A door takes four lines: its own with the first vertex, then one for each further vertex with the
// values under the three vertex columns.
void DoorRecord(Walk& w, int32_t at) {
    ReportLine& line = w.Line();
    for (int32_t k = 0; k < 7; ++k)
        line.Field(w.S16(at + 2 * k));
    w.End();
    for (int32_t v = 1; v < 4; ++v) {
        const int32_t vertex = at + 8 + 6 * v;
        w.Begin().Text(",,,,,,,").Dec(w.S16(vertex)).Field(w.S16(vertex + 2)).Field(w.S16(vertex + 4));
        w.End();
    }
}

void SectorRecord(Walk& w, int32_t at) {
    w.Line().Field(w.S16(at)).Field(w.S16(at + 2));
    w.Line().Field(w.U8(at + 4)).Field(w.U8(at + 5)).Field(w.U8(at + 6)).Field(w.U8(at + 7));
    w.End();
}

void LightRecord(Walk& w, int32_t at) {
    w.Line().Field(w.S32(at)).Field(w.S32(at + 4)).Field(w.S32(at + 8));
    w.Line().Field(w.S16(at + 12)).Field(w.S16(at + 14)).Field(w.S32(at + 16)).Field(w.S32(at + 20));
    w.End();
}

void StaticMeshRecord(Walk& w, int32_t at) {
    w.Line().Field(w.S32(at)).Field(w.S32(at + 4)).Field(w.S32(at + 8));
    w.Line().Field(w.S16(at + 12)).Field(w.S16(at + 14)).Field(w.S16(at + 16)).Field(w.S16(at + 18));
    w.End();
}

// Room lists have 16-bit counts. The mesh lists walk only what they list, so a count of 0 or less
// leaves the offset past the count; the other lists step over count x size bytes whenever they do
// not list, which moves the offset back for a negative count.
constexpr CountField S16 = CountField::S16;
constexpr ChunkShape kVertices{", vertices,", 12, optRoomMeshes, "Offset Hex, Offset,Room vertex No,x,y,z",
                               VertexRecord, S16};
constexpr ChunkShape kRectangles{",rectangles,", 10, optRoomMeshes,
                                 "Offset Hex, Offset,Rectangle No,Vertex(0),Vertex(1),Vertex(2),Vertex(3),"
                                 "Texture,Colorindex_8,Colorindex_16",
                                 FaceRecord<4>, S16};
constexpr ChunkShape kTriangles{", triangles,", 8, optRoomMeshes,
                                "Offset Hex, Offset,Triangle No,Vertex(0),Vertex(1),Vertex(2),Texture",
                                FaceRecord<3>, S16};
constexpr ChunkShape kSprites{",sprites.", 4, optRoomSprites, "Offset Hex, Offset,Sprite No,Vertex,Texture",
                              SpriteRecord, S16, false, true};
constexpr ChunkShape kDoors{",doors,", 32, optRoomDoors,
                            "Offset Hex, Offset,Door No,AdjoiningRoom,Normal.x,Normal.y,Normal.z,"
                            "Vertices(n).x,Vertices(n).y,Vertices(n).z",
                            DoorRecord, S16, false, true};
constexpr ChunkShape kSectors{
    ",sectors,", 8, optRoomSectors,
    "Offset Hex, Offset,Room Sector,FDIndex,BoxIndex,RoomBelow,Floor,RoomAbove,Ceiling", SectorRecord};
constexpr ChunkShape kLights{",Lights,", 24, optRoomLights,
                             "Offset Hex, Offset,Room light,x,y,z,Intensity1,Intensity2,Fade1,Fade2",
                             LightRecord, S16, false, true};
constexpr ChunkShape kStaticMeshes{
    ",Static Meshes,", 20, optRoomStaticMeshes,
    "Offset Hex, Offset,Room StaticMesh,x,y,z,Rotation,Intensity1,Intensity2,ObjectID", StaticMeshRecord,
    S16, false, true};

void RoomHeader(Walk& w) {
    const int32_t at = w.Offset;
    if (w.Option(optRoomInfo)) {
        w.Separator();
        w.Plain("Offset Hex, Offset,Xoffset,Zoffset,Ybottom,lngYtop");
        w.BeginAt(at).Dec(w.S32(at)).Field(w.S32(at + 4)).Field(w.S32(at + 8)).Field(w.S32(at + 12));
        w.End();
    }
    w.Advance(16);
}

// The mesh data size W counts 16-bit words. With the meshes option off the room's end is reached by
// stepping 2 x W bytes; with it on, by walking the four mesh lists, and W is only shown.
void RoomMeshes(Walk& w) {
    const int32_t at = w.Offset;
    const int32_t words = w.S32(at);
    const int32_t bytes = checkedMul32(2, words);
    w.BeginAt(at).Dec(words).Text(", meshes,").Dec(bytes).Text(" bytes");
    w.End();
    w.Advance(4);
    if (!w.Option(optRoomMeshes)) {
        w.Advance(bytes);
        return;
    }
    ChunkStep(w, kVertices, true);
    ChunkStep(w, kRectangles, true);
    ChunkStep(w, kTriangles, true);
    ChunkStep(w, kSprites);
}

// The sector grid: Z and X counts, then Z x X sectors in file order, numbered straight through.
void RoomSectors(Walk& w) {
    const int32_t zAt = w.Offset;
    const int32_t z = w.S16(zAt);
    w.Separator();
    w.BeginAt(zAt).Dec(z).Text(",Z sectors");
    w.End();
    w.Advance(2);
    const int32_t xAt = w.Offset;
    const int32_t x = w.S16(xAt);
    w.BeginAt(xAt).Dec(x).Text(",X sectors");
    w.End();
    w.Advance(2);

    const int32_t k = z * x; // two 16-bit factors cannot leave 32 bits
    const int32_t bytes = checkedMul32(k, kSectors.RecordSize);
    w.BeginAt(w.Offset).Dec(k).Text(",sectors,").Dec(bytes).Text(" bytes");
    w.End();
    w.Begin().Text(",,").Dec(k).Text(",sectors,").Dec(bytes).Text(" bytes");
    w.End();
    if (w.Option(optRoomSectors) && k > 0)
        ListRecords(w, k, kSectors);
    else
        w.Advance(bytes);
}

// A 16-bit field on its own summary line: separator (when asked), then the line from prefix + value.
void FieldLine(Walk& w, std::string_view prefix, bool separator) {
    if (separator)
        w.Separator();
    w.BeginAt(w.Offset).Text(prefix).Dec(w.S16(w.Offset));
    w.End();
    w.Advance(2);
}

// DM3 colour bytes stand in the file as R, B, G: the second byte is shown as blue, the third as green.
void RoomColour(Walk& w) {
    const int32_t at = w.Offset;
    w.Separator();
    w.BeginAt(at).Text("Room Color :R: ").Dec(w.U8(at)).Text(",G: ").Dec(w.U8(at + 2));
    w.Line().Text(",B: ").Dec(w.U8(at + 1)).Text(", 3 bytes");
    w.End();
    w.Advance(3);
}

void WalkRoom(Walk& w, int32_t number) {
    w.Begin().Text(", ,Room no ").Dec(number);
    w.End();
    w.Separator();
    RoomHeader(w);
    RoomMeshes(w);
    ChunkStep(w, kDoors);
    RoomSectors(w);
    FieldLine(w, ",iIntensity1,", true);
    FieldLine(w, ",iIntensity2,", false);
    if (!w.IsDM3())
        FieldLine(w, ",LightMode,", true);
    ChunkStep(w, kLights);
    ChunkStep(w, kStaticMeshes);

    w.Separator();
    w.BeginAt(w.Offset).Dec(w.S16(w.Offset)).Text(",Alternate Rooms, 2 bytes");
    w.End();
    w.Advance(2);
    if (w.Option(optRoomFlags))
        FieldLine(w, ",Room Flag :", true);
    else
        w.Advance(2);
    if (w.IsDM3())
        RoomColour(w);
    w.Separator();
}

} // namespace

void WalkRooms(Walk& w) {
    const int32_t at = w.Offset;
    const int16_t rooms = w.S16(at);
    w.Separator();
    w.BeginAt(at).Dec(rooms).Text(",rooms,2 bytes");
    w.End();
    w.Advance(2);
    w.Separator();
    for (int32_t r = 0; r < rooms; ++r)
        WalkRoom(w, r);
}
