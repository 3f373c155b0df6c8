#include "engine/walk/ChunkStep.h"
#include "engine/walk/Units.h"

// Static meshes, object textures (here in DM2 files only), sprite textures and sprite sequences.

namespace {

// Continuation lines start with five empty columns so that their values stand under the matching
// values of the record's first line.
constexpr std::string_view kContinuation = ",,,,,";

// ObjectID, Mesh, the first bounding box corner and the Flag on the first line; the other three
// corners on continuation lines. The Flag is read as the by-path word reader reads it: unsigned.
void StaticMeshRecord(Walk& w, int32_t at) {
    w.Line().Field(w.S32(at)).Field(w.S16(at + 4));
    w.Line().Field(w.S16(at + 6)).Field(w.S16(at + 8)).Field(w.S16(at + 10)).Field(w.PathWord(at + 30));
    w.End();
    for (int32_t corner = at + 12; corner <= at + 24; corner += 6) {
        w.Begin().Text(kContinuation).Dec(w.S16(corner)).Field(w.S16(corner + 2)).Field(w.S16(corner + 4));
        w.End();
    }
}

// Attribute, Tile Index and the first vertex on the first line, vertices 2 to 4 on continuation
// lines; each vertex is four unsigned bytes shown as stored.
void ObjectTextureRecord(Walk& w, int32_t at) {
    w.Line().Field(w.S16(at)).Field(w.S16(at + 2));
    w.Line().Field(w.U8(at + 4)).Field(w.U8(at + 5)).Field(w.U8(at + 6)).Field(w.U8(at + 7));
    w.End();
    for (int32_t vertex = at + 8; vertex <= at + 16; vertex += 4) {
        w.Begin().Text(kContinuation).Dec(w.U8(vertex)).Field(w.U8(vertex + 1));
        w.Line().Field(w.U8(vertex + 2)).Field(w.U8(vertex + 3));
        w.End();
    }
}

void SpriteTextureRecord(Walk& w, int32_t at) {
    w.Line().Field(w.S16(at)).Field(w.U8(at + 2)).Field(w.U8(at + 3));
    for (int32_t pos = 4; pos <= 14; pos += 2)
        w.Line().Field(w.S16(at + pos));
    w.End();
}

void SpriteSequenceRecord(Walk& w, int32_t at) {
    w.Line().Field(w.S32(at)).Field(w.S16(at + 4)).Field(w.S16(at + 6));
    w.End();
}

constexpr ChunkShape kStaticMeshes{",Static Meshes,", 32, optStaticMeshes,
                                  "Offset Hex, Offset,StaticMesh No,ObjectID,Mesh,BoundingBox Corners x,"
                                  "BoundingBox Corners y,BoundingBox Corners z, Flag ",
                                  StaticMeshRecord};

constexpr ChunkShape kSpriteTextures{",Sprite Texture,", 16, optSpriteTextures,
                                    "Offset Hex, Offset,Sprite Texture No, Tile,x,y,Width,Height,LeftSide,"
                                    "TopSide,RightSide,BottomSide",
                                    SpriteTextureRecord};

constexpr ChunkShape kSpriteSequences{",Sprite Sequence,", 8, optSpriteSequence,
                                     "Offset Hex, Offset,Sprite Sequence No,ObjectId,NegativeLength,Offset",
                                     SpriteSequenceRecord};

constexpr std::string_view kObjectTexturesHeaderDM2 =
    "Offset Hex, Offset,Object Texture No, Attribute,Tile Index,X coordinate, XPixel,Y coordinate, YPixel";

} // namespace

void WalkObjectTextures(Walk& w, std::string_view header) {
    const ChunkShape chunk{",Object Textures,", 20, optObjectTextures, header, ObjectTextureRecord};
    ChunkStep(w, chunk);
}

void WalkStaticsAndTextures(Walk& w) {
    ChunkStep(w, kStaticMeshes);
    // DM3 files hold their object textures behind the animated textures instead.
    if (!w.IsDM3())
        WalkObjectTextures(w, kObjectTexturesHeaderDM2);
    ChunkStep(w, kSpriteTextures);
    ChunkStep(w, kSpriteSequences);
}
