#include "engine/walk/ChunkStep.h"
#include "engine/walk/Units.h"

// The three chunks behind the rooms: floor data (words split into function and sub-function), mesh
// data (only sized and stepped over) and mesh pointers (listed in hexadecimal).

namespace {

// DM3 keeps flags in bits 5 to 7 of the low byte, so only bits 0 to 4 are its function.
void FloorWordLine(Walk& w, int32_t at, int32_t number) {
    const uint16_t word = w.U16(at);
    const uint32_t function = w.IsDM3() ? (word & 0x1Fu) : (word & 0xFFu);
    const uint32_t subFunction = word >> 8;
    ReportLine& line = w.BeginAt(at);
    if (w.IsDM3())
        line.Text("Room Floor Data No ");
    line.Dec(number).Field(function).Field(subFunction);
    line.Text(",0x").HexDigits(function).Text(",0x").HexDigits(subFunction);
    w.End();
}

void FloorData(Walk& w) {
    const auto [n, bytes] = SummariseChunk(w, ",Floor,", 2);
    if (!w.Option(optFloors) || n < 1) {
        w.Advance(bytes);
        return;
    }
    w.Plain(
        "Offset Hex,Offset,Floor Data No,Function (Dec),SubFunction (Dec),Function (Hex),SubFunction (Hex)");
    const int16_t count = toInt16(n);
    for (int32_t j = 0; j < count; ++j) {
        FloorWordLine(w, w.Offset, j);
        w.Advance(2);
    }
}

void MeshData(Walk& w) { w.Advance(SummariseChunk(w, ",Mesh Data,", 2).Bytes); }

// A pointer is read signed, so one with the top bit set shows all eight hex digits.
void MeshPointerRecord(Walk& w, int32_t at) {
    w.Line().Text(",0x").HexDigits(static_cast<uint32_t>(w.S32(at)));
    w.End();
}

// Unlike most chunks, an unlisted negative count here steps back over count x 4 bytes, with the
// option on as well as off.
constexpr ChunkShape kMeshPointers{",Mesh Data Pointer,", 4, optMeshPointers,
                                   "Offset Hex, Offset,MeshPointer No, Pointer", MeshPointerRecord,
                                   CountField::S32, false, true};

} // namespace

void WalkFloorAndMeshes(Walk& w) {
    FloorData(w);
    MeshData(w);
    ChunkStep(w, kMeshPointers);
}
