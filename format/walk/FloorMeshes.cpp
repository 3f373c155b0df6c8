#include "format/walk/ChunkStep.h"
#include "format/walk/Units.h"

// The three chunks behind the rooms: floor data (words split into function and sub-function), mesh
// data (only sized and stepped over) and mesh pointers (listed in hexadecimal).

namespace {

using namespace format;

// A DM3 floor word line names itself in front of its number.
constexpr std::string_view kDM3FloorWordPrefix = "Room Floor Data No ";

void FloorData(Walk& w) {
    const auto [n, bytes] =
        SummariseChunk(w, Piece::FloorData, ",Floor,", kFloorWord.Size, CountField::S32, &kFloorWord);
    if (!w.Option(optFloors) || n < 1)
        w.Advance(bytes);
    else
        ListRecords(w, n, kFloorWord, OneLineRecord<kFloorWord>,
                    w.IsDM3() ? kDM3FloorWordPrefix : std::string_view{});
    w.Close(n);
}

void MeshData(Walk& w) {
    const ChunkCount count = SummariseChunk(w, Piece::MeshData, ",Mesh Data,", 2);
    w.Advance(count.Bytes);
    w.Close(count.N);
}

// A pointer is read signed, so one with the top bit set shows all eight hex digits. Unlike most
// chunks, an unlisted negative count here steps back over count x 4 bytes, with the option on as well
// as off.
constexpr ChunkShape kMeshPointers{.What = Piece::MeshPointers,
                                   .SummaryWord = ",Mesh Data Pointer,",
                                   .Record = &kMeshPointer,
                                   .Option = optMeshPointers,
                                   .Write = OneLineRecord<kMeshPointer>,
                                   .StepOverUnlisted = true};

} // namespace

void WalkFloorAndMeshes(Walk& w) {
    FloorData(w);
    MeshData(w);
    ChunkStep(w, kMeshPointers);
}
