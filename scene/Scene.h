#pragma once
// The level as a 3D scene: every room's rectangles and triangles as triangles in world coordinates with
// texture coordinates into the tiles, the doors as portal quads, and markers for the lights, static
// meshes, items and cameras. Built from a walk map and the level bytes behind its spans, without Qt; the
// 3D view draws it and the exporters write it as glTF or OBJ.
//
// Axes and units. The file's world has x to the east, y downwards and z to the north, in units of
// 1/1024 of a sector. The scene turns it half a turn about the x axis, so that up is up without
// mirroring the level: scene (x, y, z) = file (x, -y, -z), still in file units (the exporters divide by
// kUnitsPerMetre). Room vertices are relative to the room's Xoffset and Zoffset (y is absolute);
// lights, static meshes, items and cameras are in world units already.
//
// Faces. A rectangle is split into the triangles of its corners (0, 1, 2) and (0, 2, 3). The file gives
// a face's corners clockwise as seen from its front; the scene gives every triangle counter-clockwise
// seen from its front (the glTF and OpenGL convention). A face's Texture field holds an object texture
// number in its low 15 bits; its top bit draws the face from both sides.
//
// Texture coordinates. An object texture names a tile (the low 15 bits of its Tile Index) and four
// corners; a corner's position in the 256 x 256 tile is XPixel + X coordinate / 256 across and
// YPixel + Y coordinate / 256 down (the coordinate byte is the sub-pixel part). U and V are that
// position over 256: 0 at the tile's left and top edges, 1 at its right and bottom edges. A triangle
// uses the object texture's first three corners, a rectangle all four, in the face's corner order.
//
// Damage. A face whose vertex index lies past the room's vertex list, whose object texture lies past the
// list, or whose tile lies past the tile count is kept, flagged Invalid and counted: it is drawn in the
// warning colour, and whatever it could not name reads as 0 (a corner at the room's origin, U and V 0).
// Nothing is sized by a count from the file beyond what its bytes hold: lists are bounded by their
// part's bytes and the file's size.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "format/Colours.h"
#include "format/LevelFile.h"
#include "format/WalkMap.h"

namespace scene {

inline constexpr double kUnitsPerMetre = 1024.0;
inline constexpr int32_t kTileSide = 256;
// The colour of a face that names something the level does not hold.
inline constexpr format::Rgba kWarningColour{.R = 255, .G = 0, .B = 255, .A = 255};

enum class FaceKind : uint8_t { Rectangle, Triangle };

struct Corner {
    float X = 0, Y = 0, Z = 0; // scene coordinates, file units
    float U = 0, V = 0;        // within the face's tile
};

struct Triangle {
    enum Flag : uint8_t {
        DoubleSided = 1, // the Texture field's top bit
        Invalid = 2,     // a vertex, object texture or tile it names is not there
    };
    std::array<Corner, 3> Corners{};
    int32_t Room = -1;          // index into Scene::Rooms
    int32_t Face = -1;          // the rectangle's or triangle's number within its room's list
    int32_t RecordAt = -1;      // file offset of the face's record
    int32_t ObjectTexture = -1; // -1 where the number lies past the object textures
    int32_t Tile = -1;          // -1 where the object texture is missing or its tile lies past the count
    int16_t Attribute = 0;      // the object texture's Attribute: 0 opaque, others drawn with alpha
    FaceKind Kind = FaceKind::Rectangle;
    uint8_t Flags = 0;
    bool Has(Flag f) const { return (Flags & f) != 0; }
};

// A door: the portal quad of its four corners, in scene coordinates, and the room it leads to.
struct Portal {
    std::array<std::array<float, 3>, 4> Corners{};
    std::array<float, 3> Normal{}; // the Normal field, turned as the corners are (not normalised)
    int32_t Room = -1;             // index into Scene::Rooms of the room that holds it
    int32_t Index = -1;            // its number in the room's door list
    int16_t Adjoining = -1;        // the AdjoiningRoom field
    int32_t RecordAt = -1;
};

enum class MarkerKind : uint8_t { Light, StaticMesh, Item, Camera };

struct Marker {
    MarkerKind Kind = MarkerKind::Light;
    std::array<float, 3> Position{}; // scene coordinates
    int32_t Room = -1;               // index into Scene::Rooms; -1 where the record names no room held
    int32_t Index = -1;              // its number in its list (the room's, or the level's)
    int32_t RecordAt = -1;
};

struct SceneRoom {
    int32_t Number = -1;  // the room's number in the walk
    int32_t Span = -1;    // its span in the walk map
    int32_t X = 0, Z = 0; // Xoffset and Zoffset
    // Its triangles are Scene::Triangles[FirstTriangle, FirstTriangle + Triangles).
    int32_t FirstTriangle = 0, Triangles = 0;
    int32_t Vertices = 0, Rectangles = 0, Faces3 = 0; // list lengths as read (bounded by the bytes)
    std::vector<int32_t> Neighbours;   // indices into Scene::Rooms its doors lead to, each once
    std::array<float, 3> Min{}, Max{}; // bounds of its triangles in scene coordinates
};

struct SceneOptions {
    // Rooms to build by number; empty builds every room.
    std::vector<int32_t> Rooms;
};

struct Scene {
    std::vector<SceneRoom> Rooms;
    std::vector<Triangle> Triangles;
    std::vector<Portal> Portals;
    std::vector<Marker> Markers;
    int32_t InvalidFaces = 0; // faces flagged Invalid
    int32_t TileCount = 0;    // tiles the level's bytes hold (bounded by the file's size)
    int32_t ObjectTextures = 0;
    std::array<float, 3> Min{}, Max{}; // bounds of every triangle

    // Index into Rooms of room number n, -1 where the scene does not hold it.
    int32_t IndexOfRoom(int32_t number) const;
    // "12 faces with invalid references", or empty when there are none.
    std::string InvalidText() const;
};

// The map must come from a walk that listed the room meshes (WalkForScene's does, as does a report
// walk with the Room Meshes section on): only a listed mesh has spans for its vertices, rectangles and
// triangles, and the rooms of any other map hold no triangles.
Scene BuildScene(const WalkMap& map, const LevelFile& level, const SceneOptions& options = {});
// Whether the map's walk listed the room meshes, or the level has none: false where a scene of it would
// lack the faces the level holds, and the level wants walking again with WalkForScene.
bool HoldsRoomMeshes(const WalkMap& map);

// Building room by room, for a writer that keeps one room's triangles at a time (the exporters).
// Where a room's lists stand in the file, each bounded by its part's bytes and the file's size.
struct RoomSource {
    int32_t VerticesAt = 0, RectanglesAt = 0, TrianglesAt = 0; // first record of each list
    int32_t Doors = 0, DoorsAt = 0;
    int32_t Lights = 0, LightsAt = 0;
    int32_t StaticMeshes = 0, StaticMeshesAt = 0;
};
// What every room's build shares: the level, the object textures' place and count, the tile count, and
// the scene without its triangles (rooms with their lists' lengths and neighbours, portals, markers).
struct SceneLevel {
    const WalkMap* Map = nullptr;
    const LevelFile* Level = nullptr;
    Scene Base;                      // Triangles empty, InvalidFaces 0, rooms' bounds and triangles unset
    std::vector<RoomSource> Sources; // one a room of Base.Rooms
    int32_t ObjectTexturesAt = 0;    // first object texture record
};
SceneLevel PrepareScene(const WalkMap& map, const LevelFile& level, const SceneOptions& options = {});
// Appends the triangles of Base.Rooms[room] to out (nothing for a room the scene does not hold) and
// returns how many of its faces are flagged Invalid (a rectangle is one face of two triangles).
int32_t BuildRoom(const SceneLevel& level, int32_t room, std::vector<Triangle>& out);

enum class TileDepth : uint8_t { Bits8, Bits16 };

// One tile as 256 x 256 pixels, row by row from the top. 8-bit tiles read through the 8-bit palette,
// index 0 transparent; 16-bit tiles by their 5-5-5 words and alpha bit. Empty where the tile lies past
// the count or the file. Computed when asked: a scene holds no pixels.
std::vector<format::Rgba> TilePixels(const WalkMap& map, const LevelFile& level, int32_t tile,
                                     TileDepth depth);

// A ray in scene coordinates, for picking: from the eye through a pixel.
struct Ray {
    std::array<float, 3> Origin{}, Direction{};
};
struct Hit {
    int32_t Triangle = -1; // index into Scene::Triangles, -1 for none
    float Distance = 0;    // along the ray, in units of Direction's length
    bool Valid() const { return Triangle >= 0; }
};
// The nearest triangle the ray meets in the given rooms (indices into Scene::Rooms; empty: every room).
// A one-sided triangle is met only from its front; invalid faces only when includeInvalid.
Hit Pick(const Scene& scene, const Ray& ray, const std::vector<int32_t>& rooms = {},
         bool includeInvalid = true);

// Walks a level as the report does without listing any section, for a program that needs the scene of
// a file it has not walked. The map keeps its rooms.
void WalkForScene(const LevelFile& level, WalkMap& map);

} // namespace scene
