#include "format/walk/ChunkStep.h"
#include "format/walk/Units.h"

// Static meshes, object textures (here in DM2 files only), sprite textures and sprite sequences.

namespace {

using namespace format;

// Continuation lines start with empty columns so that their values stand under the matching values of
// the record's first line.
constexpr std::string_view kContinuation = ",,,,";

// ObjectID, Mesh, the first bounding box corner and the Flag on the first line; the other three
// corners on continuation lines.
void StaticMeshRecord(Walk& w, int32_t at) {
    w.Fields<kStaticMesh>(at);
    w.End();
    for (int corner = 1; corner < 4; ++corner) {
        w.Begin().Text(kContinuation);
        w.Fields<kStaticMesh, 2, 5>(at, corner);
        w.End();
    }
}

// Attribute, Tile Index and the first vertex on the first line, vertices 2 to 4 on continuation lines.
void ObjectTextureRecord(Walk& w, int32_t at) {
    w.Fields<kObjectTextureDM2>(at);
    w.End();
    for (int vertex = 1; vertex < 4; ++vertex) {
        w.Begin().Text(kContinuation);
        w.Fields<kObjectTextureDM2, 2, 6>(at, vertex);
        w.End();
    }
}

constexpr ChunkShape kStaticMeshes{.What = Piece::StaticMeshes,
                                   .SummaryWord = ",Static Meshes,",
                                   .Record = &kStaticMesh,
                                   .Option = optStaticMeshes,
                                   .Write = StaticMeshRecord};

constexpr ChunkShape kSpriteTextures{.What = Piece::SpriteTextures,
                                     .SummaryWord = ",Sprite Texture,",
                                     .Record = &kSpriteTexture,
                                     .Option = optSpriteTextures,
                                     .Write = OneLineRecord<kSpriteTexture>};

constexpr ChunkShape kSpriteSequences{.What = Piece::SpriteSequences,
                                      .SummaryWord = ",Sprite Sequence,",
                                      .Record = &kSpriteSequence,
                                      .Option = optSpriteSequence,
                                      .Write = OneLineRecord<kSpriteSequence>};

} // namespace

void WalkObjectTextures(Walk& w) {
    // The two places differ only in the detail header line.
    const ChunkShape chunk{.What = Piece::ObjectTextures,
                           .SummaryWord = ",Object Textures,",
                           .Record = w.IsDM3() ? &kObjectTextureDM3 : &kObjectTextureDM2,
                           .Option = optObjectTextures,
                           .Write = ObjectTextureRecord};
    ChunkStep(w, chunk);
}

void WalkStaticsAndTextures(Walk& w) {
    ChunkStep(w, kStaticMeshes);
    // DM3 files hold their object textures behind the animated textures instead.
    if (!w.IsDM3())
        WalkObjectTextures(w);
    ChunkStep(w, kSpriteTextures);
    ChunkStep(w, kSpriteSequences);
}
