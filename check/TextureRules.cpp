// The textures' rules: object and sprite textures name a texture tile, sprite sequences a stretch of the
// sprite textures.
#include "check/RuleShapes.h"

namespace check {

namespace {

using namespace format;

// The top bit of Tile Index is a flag; the low 15 bits are the tile. Both places of the object textures
// share one field table.
constexpr IndexRule kObjectTextureIndexes[]{
    {.Rule = "texture-tile",
     .Of = FieldOf(kObjectTextureDM2, "Tile Index"),
     .Within = Bound::Tiles,
     .Mask = 0x7FFF},
};

constexpr IndexRule kSpriteTextureIndexes[]{
    {.Rule = "sprite-tile", .Of = FieldOf(kSpriteTexture, "Tile"), .Within = Bound::Tiles},
};

// A sequence of -NegativeLength sprite textures from Offset.
constexpr ReachRule kSpriteSequenceReaches[]{
    {.Rule = "sprite-sequence",
     .Start = FieldOf(kSpriteSequence, "Offset"),
     .Count = FieldOf(kSpriteSequence, "NegativeLength"),
     .Within = Bound::SpriteTextures,
     .Negated = true},
};

constexpr RecordRules kTextureRules[]{
    {.Of = &kObjectTextureDM2, .Indexes = kObjectTextureIndexes},
    {.Of = &kObjectTextureDM3, .Indexes = kObjectTextureIndexes},
    {.Of = &kSpriteTexture, .Indexes = kSpriteTextureIndexes},
    {.Of = &kSpriteSequence, .Reaches = kSpriteSequenceReaches},
};

} // namespace

std::span<const RecordRules> TextureRecordRules() {
    return kTextureRules;
}

} // namespace check
