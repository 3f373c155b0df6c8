#pragma once
// Writes DM2 and DM3 level files field by field, chunk by chunk, in the layout the walker reads.
// Every record value is settable, and every count can be set apart from its list (List::Count), so
// damaged and hostile files are as easy to make as well-formed ones.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "format/LevelFormat.h"

namespace levelbuilder {

// A chunk's records and the count written in front of them: by default the number of records.
template <class T> struct List {
    std::vector<T> Items;
    std::optional<int32_t> Count; // written instead of Items.size() when set (truncated to the field's width)
    int32_t CountValue() const { return Count ? *Count : static_cast<int32_t>(Items.size()); }
    void Add(const T& item) { Items.push_back(item); }
};

struct Vertex {
    int16_t X = 0, Y = 0, Z = 0;
    std::array<uint8_t, 6> Rest{}; // the 6 bytes the walker steps over
};
struct Rectangle {
    std::array<int16_t, 4> Vertex{};
    int16_t Texture = 0;
};
struct Triangle {
    std::array<int16_t, 3> Vertex{};
    int16_t Texture = 0;
};
struct RoomSprite {
    int16_t Vertex = 0, Texture = 0;
};
struct Door {
    int16_t AdjoiningRoom = 0;
    std::array<int16_t, 3> Normal{};
    std::array<std::array<int16_t, 3>, 4> Vertices{};
};
struct Sector {
    int16_t FDIndex = 0, BoxIndex = 0;
    uint8_t RoomBelow = 255, Floor = 0, RoomAbove = 255, Ceiling = 0;
};
struct Light {
    int32_t X = 0, Y = 0, Z = 0;
    int16_t Intensity1 = 0, Intensity2 = 0;
    int32_t Fade1 = 0, Fade2 = 0;
};
struct RoomStaticMesh {
    int32_t X = 0, Y = 0, Z = 0;
    int16_t Rotation = 0, Intensity1 = 0, Intensity2 = 0, ObjectID = 0;
};

struct Room {
    int32_t Xoffset = 0, Zoffset = 0, Ybottom = 0, lngYtop = 0;
    // Mesh data size in 16-bit words; by default the size of the four mesh lists with their counts.
    std::optional<int32_t> MeshDataSize;
    List<Vertex> Vertices;
    List<Rectangle> Rectangles;
    List<Triangle> Triangles;
    List<RoomSprite> Sprites;
    List<Door> Doors;
    int16_t ZSectors = 0, XSectors = 0; // written as given
    std::vector<Sector> Sectors;        // written as given (normally ZSectors x XSectors of them)
    int16_t Intensity1 = 0, Intensity2 = 0;
    int16_t LightMode = 0; // DM2 only
    List<Light> Lights;
    List<RoomStaticMesh> StaticMeshes;
    int16_t AlternateRoom = -1, Flags = 0;
    std::array<uint8_t, 3> Colour{}; // DM3 only, file order
    int32_t MeshWords() const;       // the default mesh data size
};

struct Animation { // 32 bytes; the 16-bit fields stand at odd positions from 9
    uint32_t FrameOffset = 0;
    uint8_t FrameRate = 0, FrameSize = 0;
    uint16_t StateID = 0;
    uint8_t Unknown2 = 0;
    uint16_t FrameStart = 0, FrameEnd = 0, NextAnimation = 0, NextFrame = 0, NumStateChanges = 0,
             StateChangeOffset = 0, NumAnimCommands = 0, AnimCommand = 0;
    std::array<uint8_t, 7> Tail{}; // bytes 25 to 31
};
struct StateChange {
    int16_t StateID = 0, NumAnimDispatches = 0, AnimDispatch = 0;
};
struct AnimDispatch {
    int16_t Low = 0, High = 0, NextAnimation = 0, NextFrame = 0;
};
struct Moveable { // 18 bytes, packed
    int32_t ObjectID = 0;
    int16_t NumMeshes = 0, StartingMesh = 0;
    int32_t MeshTree = 0, FrameOffset = 0;
    int16_t Animation = 0;
};
struct StaticMesh { // 32 bytes
    int32_t ObjectID = 0;
    int16_t Mesh = 0;
    std::array<std::array<int16_t, 3>, 4> Corners{};
    uint16_t Flag = 0;
};
struct ObjectTexture { // 20 bytes
    int16_t Attribute = 0, TileIndex = 0;
    std::array<std::array<uint8_t, 4>, 4> Vertices{}; // X coordinate, XPixel, Y coordinate, YPixel
};
struct SpriteTexture { // 16 bytes
    int16_t Tile = 0;
    uint8_t X = 0, Y = 0;
    int16_t Width = 0, Height = 0, LeftSide = 0, TopSide = 0, RightSide = 0, BottomSide = 0;
};
struct SpriteSequence {
    int32_t ObjectId = 0;
    int16_t NegativeLength = 0, Offset = 0;
};
struct Camera {
    int32_t X = 0, Y = 0, Z = 0;
    int16_t Room = 0, Unknown = 0;
};
struct SoundSource {
    int32_t X = 0, Y = 0, Z = 0;
    int16_t SoundID = 0, Flags = 0;
};
struct Box {
    uint8_t Zmin = 0, Zmax = 0, Xmin = 0, Xmax = 0;
    uint16_t TrueFloor = 0, OverlapIndex = 0;
};
struct Zone { // 20 bytes; the report shows the first two
    int16_t ZoneID = 0;
    std::array<uint8_t, 18> Rest{};
};
struct Item {
    int16_t ObjectID = 0, Room = 0;
    int32_t X = 0, Y = 0, Z = 0;
    int16_t Angle = 0, Intensity1 = 0, Intensity2 = 0, Flags = 0;
};
struct CinematicFrame {
    int16_t rotY = 0, rotZ = 0, rotZ2 = 0, posZ = 0, posY = 0, posX = 0, unknown = 0, rotX = 0;
};
struct SoundDetail {
    int16_t Sample = 0, Volume = 0, Unknown1 = 0, Unknown2 = 0;
};

using Tile8 = std::vector<uint8_t>; // 65536 palette indices, row by row from the top (shorter: zero-filled)
// 65536 colour words (bit 15 alpha, then 5 bits each of red, green, blue), row by row from the top
// (shorter: zero-filled).
using Tile16 = std::vector<uint16_t>;
// The 8-bit tile's colours as a 16-bit tile: each component's top five of its six bits, alpha set, and
// index 0 (transparent in an 8-bit tile) with alpha clear.
Tile16 Tile16From8(const Tile8& tile, const std::array<uint8_t, 768>& palette8);

struct Level {
    int16_t Generation = 2;              // 2 (DM2) or 3 (DM3)
    std::optional<uint32_t> VersionWord; // written instead of the generation's version word when set
    std::array<uint8_t, 768> Palette8{}; // red, green, blue; 0..63 each
    std::array<uint8_t, 1024> Palette16{};
    List<Tile8> Tiles;           // 8-bit tiles
    std::vector<Tile16> Tiles16; // the 16-bit tile of each 8-bit tile where given; zeros for the rest
    uint32_t AfterTiles = 0;     // the skipped 4-byte field behind the tiles
    List<Room> Rooms;            // s16 count
    List<uint16_t> FloorData;
    List<uint16_t> MeshData;
    List<int32_t> MeshPointers;
    List<Animation> Animations;
    List<StateChange> StateChanges;
    List<AnimDispatch> AnimDispatches;
    List<int16_t> AnimCommands;
    List<int32_t> MeshTrees; // 32-bit words
    List<uint16_t> Frames;
    List<Moveable> Moveables;
    List<StaticMesh> StaticMeshes;
    List<ObjectTexture> ObjectTextures; // after the static meshes in DM2, after the animated textures in DM3
    List<SpriteTexture> SpriteTextures;
    List<SpriteSequence> SpriteSequences;
    List<Camera> Cameras;
    List<SoundSource> SoundSources;
    List<Box> Boxes;
    List<uint16_t> Overlaps;
    // One 20-byte block per box: Zones[i] where given, zeros for the rest. Set ZoneBlocks to write
    // another number of blocks.
    std::vector<Zone> Zones;
    std::optional<int32_t> ZoneBlocks;
    List<int16_t> AnimatedTextures;
    List<Item> Items;
    std::array<uint8_t, 8192> LightMap{};
    List<CinematicFrame> CinematicFrames; // s16 count
    List<uint8_t> DemoData;               // s16 count of bytes
    std::array<int16_t, 370> SoundMap{};
    List<SoundDetail> SoundDetails;    // count in the low 16 bits of a 4-byte field
    uint16_t SoundDetailsHighWord = 0; // the high 16 bits of that field
    List<int32_t> SampleIndices;
    std::vector<uint8_t> Trailing; // bytes written after the sample indices
};

inline constexpr uint32_t kVersionDM1 = format::kVersionDM1;
inline constexpr uint32_t kVersionDM2 = format::kVersionDM2;
inline constexpr uint32_t kVersionDM3 = format::kVersionDM3;

std::vector<uint8_t> Build(const Level& level);

// Byte offsets of the chunks' count fields in the built file, for tests that check where lines stand.
struct Layout {
    int32_t RoomCount = 0, FloorData = 0, MeshData = 0, MeshPointers = 0, Animations = 0, StateChanges = 0,
            AnimDispatches = 0, AnimCommands = 0, MeshTrees = 0, Frames = 0, Moveables = 0, StaticMeshes = 0,
            ObjectTextures = 0, SpriteTextures = 0, SpriteSequences = 0, Cameras = 0, SoundSources = 0,
            Boxes = 0, Overlaps = 0, Zones = 0, AnimatedTextures = 0, Items = 0, LightMap = 0,
            CinematicFrames = 0, DemoData = 0, SoundMap = 0, SoundDetails = 0, SampleIndices = 0, End = 0;
    std::vector<int32_t> Rooms; // first byte of each room
    // The count fields of each room's lists (the Z count for the sectors), and its alternate room field.
    struct RoomParts {
        int32_t Vertices = 0, Rectangles = 0, Triangles = 0, Sprites = 0, Doors = 0, Sectors = 0, Lights = 0,
                StaticMeshes = 0, AlternateRoom = 0;
    };
    std::vector<RoomParts> Parts;
};
std::vector<uint8_t> Build(const Level& level, Layout& layout);

// A level with something in every chunk, for whole-file tests and the demo.
Level FilledLevel(int16_t generation);
// FilledLevel with every reference pointing at something real (faces at the room's vertices and the
// object textures, doors and sectors at rooms, moveables within the mesh pointers, the mesh tree and the
// frames, ...): a level the checker finds nothing in, for tests that break one field of it.
Level ValidLevel(int16_t generation);

bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes);

} // namespace levelbuilder
