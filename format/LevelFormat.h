#pragma once
// The level format written down once: the version words, the two generations, and for every record
// kind its size, its detail header line and its fields (the column name, the offset within the
// record, the width and sign, how the report shows it). The walker's record writers, the JSON writer,
// the comparison and the level builder all take sizes and offsets from here.
//
// This header depends on nothing but the standard library, so the level builder can use it too.
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace format {

inline constexpr uint32_t kVersionDM1 = 0x00000020;
inline constexpr uint32_t kVersionDM2 = 0x0000002D;
inline constexpr uint32_t kVersionDM3 = 0xFF180038;

// The two generations the walker reads; the number is the one the report and the JSON show.
enum class Generation : int16_t { DM2 = 2, DM3 = 3 };

// The bytes of the version word at the file's start.
inline constexpr int32_t kVersionWordBytes = 4;

// The generation a version word names; none for DM1's word and every other.
constexpr std::optional<Generation> GenerationOf(uint32_t word) {
    if (word == kVersionDM2)
        return Generation::DM2;
    if (word == kVersionDM3)
        return Generation::DM3;
    return std::nullopt;
}

// Fixed blocks at the start and near the end of a level.
inline constexpr int32_t kPalette8At = 4;
inline constexpr int32_t kPalette8Bytes = 768;
inline constexpr int32_t kPalette16At = 772;
inline constexpr int32_t kPalette16Bytes = 1024;
inline constexpr int32_t kTileCountAt = kPalette16At + kPalette16Bytes;
inline constexpr int32_t kTile8Bytes = 65536;
inline constexpr int32_t kTile16Bytes = 131072;
inline constexpr int32_t kAfterTilesBytes = 4; // the unread field behind the 16-bit tiles
inline constexpr int32_t kLightMapBytes = 8192;
inline constexpr int32_t kSoundMapEntries = 370;

// How a field is stored.
enum class Width : uint8_t {
    U8,
    S16,
    U16,
    S32,
    U32,
    None, // a column of the header line with no bytes behind it
};

// How the report shows a field's value.
enum class Shown : uint8_t {
    Dec,              // decimal
    PlusOne,          // decimal, the stored value + 1 (texture numbers)
    Hex,              // "0x" + upper-case hex digits of the value's low 32 bits
    FloorFunction,    // a floor word's function: the low byte (DM2) or its bits 0 to 4 (DM3), decimal
    FloorSubFunction, // a floor word's high byte, decimal
    FloorFunctionHex,
    FloorSubFunctionHex,
    Absent, // the column stays empty
};

struct Field {
    std::string_view Name; // the column name of the detail header line, without its surrounding blanks
    int32_t Offset;        // within the record
    Width Type;
    Shown How = Shown::Dec;
    // Read as the by-path readers read: unsigned, and -99 where the field stands at a negative offset.
    bool ByPath = false;
    // A column repeated on continuation lines: Repeat values, Stride bytes apart.
    uint8_t Repeat = 1;
    uint8_t Stride = 0;
};

struct Record {
    std::string_view Name;   // one record, as the outline and the comparison name it
    int32_t Size;            // bytes a record takes
    std::string_view Header; // the detail header line, exactly as the report writes it
    uint8_t LeadColumns;     // header columns in front of the fields: offset, offset, number (3);
                             // offset, offset (2); a number alone on index lines (1)
    uint8_t LinesPerRecord;  // report lines each record takes
    std::span<const Field> Fields;
};

inline constexpr int32_t FieldBytes(Width w) {
    switch (w) {
    case Width::U8:
        return 1;
    case Width::S16:
    case Width::U16:
        return 2;
    case Width::S32:
    case Width::U32:
        return 4;
    case Width::None:
        break;
    }
    return 0;
}

// A field of a table by its column name, for code that reads one field by what it means rather than
// by its place in the table. A name the table lacks stops the build.
consteval const Field& FieldNamed(std::span<const Field> fields, std::string_view name) {
    for (const Field& f : fields)
        if (f.Name == name)
            return f;
    throw "no field of that name in the table";
}

// ---- Rooms ----------------------------------------------------------------------------------------

inline constexpr std::array kRoomHeaderFields{
    Field{"Xoffset", 0, Width::S32}, Field{"Zoffset", 4, Width::S32}, Field{"Ybottom", 8, Width::S32},
    Field{"lngYtop", 12, Width::S32}};
inline constexpr Record kRoomHeader{
    "Room header", 16, "Offset Hex, Offset,Xoffset,Zoffset,Ybottom,lngYtop", 2, 1, kRoomHeaderFields};
inline constexpr const Field& kRoomX = FieldNamed(kRoomHeaderFields, "Xoffset");
inline constexpr const Field& kRoomZ = FieldNamed(kRoomHeaderFields, "Zoffset");
inline constexpr const Field& kRoomYBottom = FieldNamed(kRoomHeaderFields, "Ybottom");
inline constexpr const Field& kRoomYTop = FieldNamed(kRoomHeaderFields, "lngYtop");

inline constexpr std::array kVertexFields{Field{"x", 0, Width::S16}, Field{"y", 2, Width::S16},
                                          Field{"z", 4, Width::S16}};
inline constexpr Record kVertex{"Vertex", 12, "Offset Hex, Offset,Room vertex No,x,y,z", 3, 1, kVertexFields};

inline constexpr std::array kRectangleFields{Field{"Vertex(0)", 0, Width::S16},
                                             Field{"Vertex(1)", 2, Width::S16},
                                             Field{"Vertex(2)", 4, Width::S16},
                                             Field{"Vertex(3)", 6, Width::S16},
                                             Field{"Texture", 8, Width::S16, Shown::PlusOne},
                                             Field{"Colorindex_8", 0, Width::None, Shown::Absent},
                                             Field{"Colorindex_16", 0, Width::None, Shown::Absent}};
inline constexpr Record kRectangle{"Rectangle",
                                   10,
                                   "Offset Hex, Offset,Rectangle No,Vertex(0),Vertex(1),Vertex(2),Vertex(3),"
                                   "Texture,Colorindex_8,Colorindex_16",
                                   3,
                                   1,
                                   kRectangleFields};

inline constexpr std::array kTriangleFields{
    Field{"Vertex(0)", 0, Width::S16}, Field{"Vertex(1)", 2, Width::S16}, Field{"Vertex(2)", 4, Width::S16},
    Field{"Texture", 6, Width::S16, Shown::PlusOne}};
inline constexpr Record kTriangle{
    "Triangle", 8, "Offset Hex, Offset,Triangle No,Vertex(0),Vertex(1),Vertex(2),Texture",
    3,          1, kTriangleFields};

inline constexpr std::array kRoomSpriteFields{Field{"Vertex", 0, Width::S16},
                                              Field{"Texture", 2, Width::S16}};
inline constexpr Record kRoomSprite{"Sprite", 4, "Offset Hex, Offset,Sprite No,Vertex,Texture",
                                    3,        1, kRoomSpriteFields};

// A door's four corners stand on four lines under the three vertex columns.
inline constexpr std::array kDoorFields{Field{"AdjoiningRoom", 0, Width::S16},
                                        Field{"Normal.x", 2, Width::S16},
                                        Field{"Normal.y", 4, Width::S16},
                                        Field{"Normal.z", 6, Width::S16},
                                        Field{"Vertices(n).x", 8, Width::S16, Shown::Dec, false, 4, 6},
                                        Field{"Vertices(n).y", 10, Width::S16, Shown::Dec, false, 4, 6},
                                        Field{"Vertices(n).z", 12, Width::S16, Shown::Dec, false, 4, 6}};
inline constexpr Record kDoor{"Door",
                              32,
                              "Offset Hex, Offset,Door No,AdjoiningRoom,Normal.x,Normal.y,Normal.z,"
                              "Vertices(n).x,Vertices(n).y,Vertices(n).z",
                              3,
                              4,
                              kDoorFields};
inline constexpr const Field& kDoorAdjoiningRoom = FieldNamed(kDoorFields, "AdjoiningRoom");
inline constexpr const Field& kDoorCornerX = FieldNamed(kDoorFields, "Vertices(n).x");
inline constexpr const Field& kDoorCornerY = FieldNamed(kDoorFields, "Vertices(n).y");
inline constexpr const Field& kDoorCornerZ = FieldNamed(kDoorFields, "Vertices(n).z");

inline constexpr std::array kSectorFields{Field{"FDIndex", 0, Width::S16},  Field{"BoxIndex", 2, Width::S16},
                                          Field{"RoomBelow", 4, Width::U8}, Field{"Floor", 5, Width::U8},
                                          Field{"RoomAbove", 6, Width::U8}, Field{"Ceiling", 7, Width::U8}};
inline constexpr Record kSector{
    "Sector", 8, "Offset Hex, Offset,Room Sector,FDIndex,BoxIndex,RoomBelow,Floor,RoomAbove,Ceiling",
    3,        1, kSectorFields};
inline constexpr const Field& kSectorFDIndex = FieldNamed(kSectorFields, "FDIndex");
inline constexpr const Field& kSectorBoxIndex = FieldNamed(kSectorFields, "BoxIndex");
inline constexpr const Field& kSectorRoomBelow = FieldNamed(kSectorFields, "RoomBelow");
inline constexpr const Field& kSectorFloor = FieldNamed(kSectorFields, "Floor");
inline constexpr const Field& kSectorRoomAbove = FieldNamed(kSectorFields, "RoomAbove");
inline constexpr const Field& kSectorCeiling = FieldNamed(kSectorFields, "Ceiling");
// A sector is 1024 world units square; a room byte of 255 means no room.
inline constexpr int32_t kSectorUnits = 1024;
inline constexpr uint8_t kNoRoom = 255;

inline constexpr std::array kLightFields{
    Field{"x", 0, Width::S32},           Field{"y", 4, Width::S32},           Field{"z", 8, Width::S32},
    Field{"Intensity1", 12, Width::S16}, Field{"Intensity2", 14, Width::S16}, Field{"Fade1", 16, Width::S32},
    Field{"Fade2", 20, Width::S32}};
inline constexpr Record kLight{
    "Light", 24, "Offset Hex, Offset,Room light,x,y,z,Intensity1,Intensity2,Fade1,Fade2", 3, 1, kLightFields};
inline constexpr const Field& kLightX = FieldNamed(kLightFields, "x");
inline constexpr const Field& kLightY = FieldNamed(kLightFields, "y");
inline constexpr const Field& kLightZ = FieldNamed(kLightFields, "z");

inline constexpr std::array kRoomStaticMeshFields{
    Field{"x", 0, Width::S32},           Field{"y", 4, Width::S32},
    Field{"z", 8, Width::S32},           Field{"Rotation", 12, Width::S16},
    Field{"Intensity1", 14, Width::S16}, Field{"Intensity2", 16, Width::S16},
    Field{"ObjectID", 18, Width::S16}};
inline constexpr Record kRoomStaticMesh{
    "Static Mesh",
    20,
    "Offset Hex, Offset,Room StaticMesh,x,y,z,Rotation,Intensity1,Intensity2,ObjectID",
    3,
    1,
    kRoomStaticMeshFields};
inline constexpr const Field& kRoomStaticMeshX = FieldNamed(kRoomStaticMeshFields, "x");
inline constexpr const Field& kRoomStaticMeshY = FieldNamed(kRoomStaticMeshFields, "y");
inline constexpr const Field& kRoomStaticMeshZ = FieldNamed(kRoomStaticMeshFields, "z");

// A DM3 room ends with its colour: three bytes that stand in the file as red, blue, green.
inline constexpr int32_t kRoomColourBytes = 3;
struct Rgb {
    uint8_t R = 0, G = 0, B = 0;
    bool operator==(const Rgb&) const = default;
};
// The colour of the three bytes in file order.
constexpr Rgb RoomColourOf(uint8_t first, uint8_t second, uint8_t third) {
    return {.R = first, .G = third, .B = second};
}

// ---- Floor data, meshes ------------------------------------------------------------------------------

inline constexpr std::array kFloorWordFields{
    Field{"Function (Dec)", 0, Width::U16, Shown::FloorFunction},
    Field{"SubFunction (Dec)", 0, Width::U16, Shown::FloorSubFunction},
    Field{"Function (Hex)", 0, Width::U16, Shown::FloorFunctionHex},
    Field{"SubFunction (Hex)", 0, Width::U16, Shown::FloorSubFunctionHex}};
inline constexpr Record kFloorWord{
    "Floor Data",
    2,
    "Offset Hex,Offset,Floor Data No,Function (Dec),SubFunction (Dec),Function (Hex),SubFunction (Hex)",
    3,
    1,
    kFloorWordFields};

inline constexpr std::array kMeshPointerFields{Field{"Pointer", 0, Width::S32, Shown::Hex}};
inline constexpr Record kMeshPointer{"Mesh Pointer",    4, "Offset Hex, Offset,MeshPointer No, Pointer", 3, 1,
                                     kMeshPointerFields};

// ---- Animation data ------------------------------------------------------------------------------------

// Position 8 holds one byte, so the 16-bit fields behind it stand at odd positions; bytes 25 to 31 are
// never shown. Every field is read as the by-path readers read.
inline constexpr std::array kAnimationFields{Field{"FrameOffset", 0, Width::U32, Shown::Dec, true},
                                             Field{"FrameRate", 4, Width::U8, Shown::Dec, true},
                                             Field{"FrameSize", 5, Width::U8, Shown::Dec, true},
                                             Field{"StateID", 6, Width::U16, Shown::Dec, true},
                                             Field{"Unknown2", 8, Width::U8, Shown::Dec, true},
                                             Field{"FrameStart", 9, Width::U16, Shown::Dec, true},
                                             Field{"FrameEnd", 11, Width::U16, Shown::Dec, true},
                                             Field{"NextAnimation", 13, Width::U16, Shown::Dec, true},
                                             Field{"NextFrame", 15, Width::U16, Shown::Dec, true},
                                             Field{"NumStateChanges", 17, Width::U16, Shown::Dec, true},
                                             Field{"StateChangeOffset", 19, Width::U16, Shown::Dec, true},
                                             Field{"NumAnimCommands", 21, Width::U16, Shown::Dec, true},
                                             Field{"AnimCommand (Dec)", 23, Width::U16, Shown::Dec, true},
                                             Field{"AnimCommand (Hex)", 23, Width::U16, Shown::Hex, true}};
inline constexpr Record kAnimation{
    "Animation",
    32,
    "Offset Hex, Offset,Animation No,FrameOffset,FrameRate,FrameSize,StateID,Unknown2,FrameStart,FrameEnd,"
    "NextAnimation,NextFrame,NumStateChanges,StateChangeOffset,NumAnimCommands,AnimCommand (Dec), "
    "AnimCommand (Hex)",
    3,
    1,
    kAnimationFields};

inline constexpr std::array kStateChangeFields{Field{"StateID", 0, Width::S16},
                                               Field{"NumAnimDispatches", 2, Width::S16},
                                               Field{"AnimDispatch", 4, Width::S16}};
inline constexpr Record kStateChange{
    "State Change",    6, "Offset Hex, Offset,StateChange No,StateID,NumAnimDispatches,AnimDispatch", 3, 1,
    kStateChangeFields};

inline constexpr std::array kAnimDispatchFields{Field{"Low", 0, Width::S16}, Field{"High", 2, Width::S16},
                                                Field{"NextAnimation", 4, Width::S16},
                                                Field{"NextFrame", 6, Width::S16}};
inline constexpr Record kAnimDispatch{
    "Anim Dispatch",    8, "Offset Hex, Offset,AnimDispatch No,Low,High,NextAnimation,NextFrame", 3, 1,
    kAnimDispatchFields};

inline constexpr std::array kAnimCommandFields{Field{"AnimCommand", 0, Width::S16}};
inline constexpr Record kAnimCommand{
    "Anim Command", 2, "Offset Hex, Offset,AnimCommand No,AnimCommand", 3, 1, kAnimCommandFields};

// The mesh tree's count counts 32-bit words; a listed tree shows nodes of four words.
inline constexpr std::array kMeshTreeNodeFields{Field{"Flag", 0, Width::S32}, Field{"X", 4, Width::S32},
                                                Field{"Y", 8, Width::S32}, Field{"Z", 12, Width::S32}};
inline constexpr Record kMeshTreeNode{
    "Mesh Tree Node", 16, "Offset Hex, Offset,Mesh Tree No, Flag, X,Y,Z", 3, 1, kMeshTreeNodeFields};

inline constexpr std::array kMoveableFields{
    Field{"ObjectID", 0, Width::S32},     Field{"NumMeshes", 4, Width::S16},
    Field{"StartingMesh", 6, Width::S16}, Field{"MeshTree", 8, Width::S32},
    Field{"FrameOffset", 12, Width::S32}, Field{"Animation", 16, Width::S16}};
inline constexpr Record kMoveable{"Moveable",
                                  18,
                                  "Offset Hex, Offset,Moveable No,ObjectID,NumMeshes,StartingMesh,MeshTree,"
                                  "FrameOffset,Animation",
                                  3,
                                  1,
                                  kMoveableFields};

// ---- Static meshes, object and sprite textures
// -------------------------------------------------------------

// The first bounding box corner and the Flag on the record's first line, the other three corners on
// continuation lines under the corner columns.
inline constexpr std::array kStaticMeshFields{
    Field{"ObjectID", 0, Width::S32},
    Field{"Mesh", 4, Width::S16},
    Field{"BoundingBox Corners x", 6, Width::S16, Shown::Dec, false, 4, 6},
    Field{"BoundingBox Corners y", 8, Width::S16, Shown::Dec, false, 4, 6},
    Field{"BoundingBox Corners z", 10, Width::S16, Shown::Dec, false, 4, 6},
    Field{"Flag", 30, Width::U16, Shown::Dec, true}};
inline constexpr Record kStaticMesh{"Static Mesh",
                                    32,
                                    "Offset Hex, Offset,StaticMesh No,ObjectID,Mesh,BoundingBox Corners x,"
                                    "BoundingBox Corners y,BoundingBox Corners z, Flag ",
                                    3,
                                    4,
                                    kStaticMeshFields};

// Four vertices of four unsigned bytes, one vertex a line.
inline constexpr std::array kObjectTextureFields{Field{"Attribute", 0, Width::S16},
                                                 Field{"Tile Index", 2, Width::S16},
                                                 Field{"X coordinate", 4, Width::U8, Shown::Dec, false, 4, 4},
                                                 Field{"XPixel", 5, Width::U8, Shown::Dec, false, 4, 4},
                                                 Field{"Y coordinate", 6, Width::U8, Shown::Dec, false, 4, 4},
                                                 Field{"YPixel", 7, Width::U8, Shown::Dec, false, 4, 4}};
// The two places of the object textures differ only in one blank of their header lines.
inline constexpr Record kObjectTextureDM2{
    "Object Texture",
    20,
    "Offset Hex, Offset,Object Texture No, Attribute,Tile Index,X coordinate, XPixel,Y coordinate, YPixel",
    3,
    4,
    kObjectTextureFields};
inline constexpr Record kObjectTextureDM3{
    "Object Texture",
    20,
    "Offset Hex,Offset,Object Texture No, Attribute,Tile Index,X coordinate, XPixel,Y coordinate, YPixel",
    3,
    4,
    kObjectTextureFields};

inline constexpr std::array kSpriteTextureFields{
    Field{"Tile", 0, Width::S16},       Field{"x", 2, Width::U8},
    Field{"y", 3, Width::U8},           Field{"Width", 4, Width::S16},
    Field{"Height", 6, Width::S16},     Field{"LeftSide", 8, Width::S16},
    Field{"TopSide", 10, Width::S16},   Field{"RightSide", 12, Width::S16},
    Field{"BottomSide", 14, Width::S16}};
inline constexpr Record kSpriteTexture{"Sprite Texture",
                                       16,
                                       "Offset Hex, Offset,Sprite Texture No, Tile,x,y,Width,Height,LeftSide,"
                                       "TopSide,RightSide,BottomSide",
                                       3,
                                       1,
                                       kSpriteTextureFields};

inline constexpr std::array kSpriteSequenceFields{
    Field{"ObjectId", 0, Width::S32}, Field{"NegativeLength", 4, Width::S16}, Field{"Offset", 6, Width::S16}};
inline constexpr Record kSpriteSequence{
    "Sprite Sequence",    8, "Offset Hex, Offset,Sprite Sequence No,ObjectId,NegativeLength,Offset", 3, 1,
    kSpriteSequenceFields};

// ---- Cameras, sound sources, navigation
// ---------------------------------------------------------------------

inline constexpr std::array kCameraFields{Field{"x", 0, Width::S32}, Field{"y", 4, Width::S32},
                                          Field{"z", 8, Width::S32}, Field{"Room", 12, Width::S16},
                                          Field{"Unknown", 14, Width::S16}};
inline constexpr Record kCamera{"Camera", 16, "Offset Hex, Offset,Camera No,x,y,z,Room,Unknown",
                                3,        1,  kCameraFields};

inline constexpr std::array kSoundSourceFields{Field{"x", 0, Width::S32}, Field{"y", 4, Width::S32},
                                               Field{"z", 8, Width::S32}, Field{"SoundID", 12, Width::S16},
                                               Field{"Flags", 14, Width::S16}};
inline constexpr Record kSoundSource{
    "Sound Source", 16, "Offset Hex,Offset,SoundSource No,x,y,z,SoundID,Flags", 3, 1, kSoundSourceFields};

inline constexpr std::array kBoxFields{Field{"Zmin", 0, Width::U8, Shown::Dec, true},
                                       Field{"Zmax", 1, Width::U8, Shown::Dec, true},
                                       Field{"Xmin", 2, Width::U8, Shown::Dec, true},
                                       Field{"Xmax", 3, Width::U8, Shown::Dec, true},
                                       Field{"TrueFloor", 4, Width::U16, Shown::Dec, true},
                                       Field{"OverlapIndex", 6, Width::U16, Shown::Dec, true}};
inline constexpr Record kBox{"Box", 8, "Offset Hex, Offset,Box No,Zmin,Zmax,Xmin,Xmax,TrueFloor,OverlapIndex",
                             3,     1, kBoxFields};

inline constexpr std::array kOverlapFields{Field{"Overlap", 0, Width::U16, Shown::Dec, true}};
inline constexpr Record kOverlap{"Overlap", 2, "Offset Hex, Offset,Overlap No,Overlap", 3, 1, kOverlapFields};

// Only the first two bytes of a zone block are shown.
inline constexpr std::array kZoneFields{Field{"ZoneID", 0, Width::S16}};
inline constexpr Record kZone{"Zone", 20, "Offset Hex, Offset,Zone No, ZoneID", 3, 1, kZoneFields};

inline constexpr std::array kAnimatedTextureFields{Field{"AnimatedTexture", 0, Width::S16}};
inline constexpr Record kAnimatedTexture{
    "Animated Texture",    2, "Offset Hex, Offset,Animated Texture No, AnimatedTexture", 3, 1,
    kAnimatedTextureFields};

// ---- Items to the end
// ----------------------------------------------------------------------------------------

inline constexpr std::array kItemFields{
    Field{"ObjectID", 0, Width::S16},    Field{"Room", 2, Width::S16},        Field{"x", 4, Width::S32},
    Field{"y", 8, Width::S32},           Field{"z", 12, Width::S32},          Field{"Angle", 16, Width::S16},
    Field{"Intensity1", 18, Width::S16}, Field{"Intensity2", 20, Width::S16}, Field{"Flags", 22, Width::S16}};
inline constexpr Record kItem{
    "Item", 24, "Offset Hex, Offset,Item No,ObjectID,Room,x,y,z,Angle,Intensity1,Intensity2,Flags",
    3,      1,  kItemFields};

inline constexpr std::array kCinematicFrameFields{
    Field{"rotY", 0, Width::S16},     Field{"rotZ", 2, Width::S16}, Field{"rotZ2", 4, Width::S16},
    Field{"posZ", 6, Width::S16},     Field{"posY", 8, Width::S16}, Field{"posX", 10, Width::S16},
    Field{"unknown", 12, Width::S16}, Field{"rotX", 14, Width::S16}};
inline constexpr Record kCinematicFrame{
    "Cinematic Frame",
    16,
    "Offset Hex,Offset,CinematicFrame No,rotY,rotZ,rotZ2,posZ,posY,posX,unknown,rotX",
    3,
    1,
    kCinematicFrameFields};

inline constexpr std::array kDemoDataFields{Field{"DATA", 0, Width::U8}};
inline constexpr Record kDemoData{"Demo Data", 1, "Offset Hex,Offset,DemoData No,DATA",
                                  3,           1, kDemoDataFields};

// The sound map and the sample indices are listed as index lines: the number, then the value.
inline constexpr std::array kSoundMapFields{Field{"Index", 0, Width::S16}};
inline constexpr Record kSoundMapEntry{"Sound Map Entry", 2, "Sound No, Index", 1, 1, kSoundMapFields};

inline constexpr std::array kSoundDetailFields{Field{"Sample", 0, Width::S16}, Field{"Volume", 2, Width::S16},
                                               Field{"Unknown1", 4, Width::S16},
                                               Field{"Unknown2", 6, Width::S16}};
inline constexpr Record kSoundDetail{
    "Sound Detail",    8, "Offset Hex, Offset,Sample No,Sample,Volume,Unknown1,Unknown2", 3, 1,
    kSoundDetailFields};

inline constexpr std::array kSampleIndexFields{Field{"Index", 0, Width::S32}};
inline constexpr Record kSampleIndex{"Sample Index", 4, "SampleIndice No,Index", 1, 1, kSampleIndexFields};

// Every record kind, for tests and tools that go over them all.
inline constexpr std::array<const Record*, 34> kAllRecords{&kRoomHeader,
                                                           &kVertex,
                                                           &kRectangle,
                                                           &kTriangle,
                                                           &kRoomSprite,
                                                           &kDoor,
                                                           &kSector,
                                                           &kLight,
                                                           &kRoomStaticMesh,
                                                           &kFloorWord,
                                                           &kMeshPointer,
                                                           &kAnimation,
                                                           &kStateChange,
                                                           &kAnimDispatch,
                                                           &kAnimCommand,
                                                           &kMeshTreeNode,
                                                           &kMoveable,
                                                           &kStaticMesh,
                                                           &kObjectTextureDM2,
                                                           &kObjectTextureDM3,
                                                           &kSpriteTexture,
                                                           &kSpriteSequence,
                                                           &kCamera,
                                                           &kSoundSource,
                                                           &kBox,
                                                           &kOverlap,
                                                           &kZone,
                                                           &kAnimatedTexture,
                                                           &kItem,
                                                           &kCinematicFrame,
                                                           &kDemoData,
                                                           &kSoundMapEntry,
                                                           &kSoundDetail,
                                                           &kSampleIndex};

// The bytes a record's fields reach must lie within the record.
consteval bool FieldsFit(const Record& r) {
    for (const Field& f : r.Fields) {
        const int32_t last = f.Offset + (f.Repeat - 1) * f.Stride + FieldBytes(f.Type);
        if (f.Offset < 0 || last > r.Size)
            return false;
    }
    return true;
}
consteval bool AllFieldsFit() {
    for (const Record* r : kAllRecords)
        if (!FieldsFit(*r))
            return false;
    return true;
}
static_assert(AllFieldsFit());

} // namespace format
