#pragma once
// What the interchange writers (glTF, OBJ) read: the rooms, doors and markers of a scene without their
// triangles, and a way to build one room's triangles and one tile's pixels when they are wanted. A
// writer holds one room's triangles at a time, so a level of any size is written in bounded memory.
//
// Units and axes: metres (file units / kUnitsPerMetre), +y up, as the scene turns the level.
// Materials: one per kind of face, that is per tile, alpha (the object texture's Attribute: 0 opaque,
// any other value blended) and both-sided flag; faces with invalid references share one material of the
// warning colour without a texture.
#include <array>
#include <compare>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "scene/Scene.h"

namespace scene {

// Where a writer puts its bytes, in order (a temporary file, a string). False when a write failed.
class ByteSink {
  public:
    virtual ~ByteSink() = default;
    virtual bool Write(std::string_view bytes) = 0;
};

class StringSink final : public ByteSink {
  public:
    bool Write(std::string_view bytes) override {
        Text.append(bytes);
        return true;
    }
    std::string Text;
};

struct ExportScene {
    std::vector<SceneRoom> Rooms; // the rooms written, in this order
    std::vector<int32_t> RoomAt;  // file offset of each room's record, beside Rooms
    std::vector<Portal> Portals;  // Portal::Room indexes Rooms
    std::vector<Marker> Markers;  // Marker::Room indexes Rooms (-1: the level's, in no room written)
    // Fills out with the triangles of Rooms[room] (out is cleared first).
    std::function<void(int32_t room, std::vector<Triangle>& out)> RoomTriangles;
    // The tile's pixels, 256 x 256 row by row from the top; empty where there is none.
    std::function<std::vector<format::Rgba>(int32_t tile)> TilePixels;
};

// What a prepared scene exports: its rooms, doors and markers, a room's triangles built when asked, the tiles
// read at depth. invalid, when given, gets each room's count of faces with invalid references as the room is
// built. level must outlive the result.
ExportScene ExportOf(const SceneLevel& level, TileDepth depth, std::vector<int32_t>* invalid = nullptr);

// The kind of material a face is drawn with.
struct MaterialKey {
    bool Warning = false; // invalid references: the warning colour, no texture
    int32_t Tile = -1;
    bool Blend = false;
    bool DoubleSided = false;
    auto operator<=>(const MaterialKey&) const = default;
};

MaterialKey MaterialOf(const Triangle& triangle);
// "tile 3", "tile 3 blend", "tile 3 double-sided", "invalid reference".
std::string MaterialName(const MaterialKey& key);
// Orders a room's triangles by their material, keeping the order of the faces within each.
void SortByMaterial(std::vector<Triangle>& triangles);

// A corner's position in metres, as every writer writes it.
inline std::array<float, 3> Metres(const Corner& c) {
    return {static_cast<float>(c.X / kUnitsPerMetre), static_cast<float>(c.Y / kUnitsPerMetre),
            static_cast<float>(c.Z / kUnitsPerMetre)};
}
inline std::array<float, 3> Metres(const std::array<float, 3>& p) {
    return {static_cast<float>(p[0] / kUnitsPerMetre), static_cast<float>(p[1] / kUnitsPerMetre),
            static_cast<float>(p[2] / kUnitsPerMetre)};
}

// The names of the nodes: "room 4", "door 4.1", "light 4.0", "static mesh 4.2", "item 7", "camera 0".
std::string RoomName(const ExportScene& scene, int32_t room);
std::string PortalName(const ExportScene& scene, const Portal& portal);
std::string MarkerName(const ExportScene& scene, const Marker& marker);
// The chunk a door's or marker's record stands in, as the report names it.
std::string_view ChunkOfPortals();
std::string_view ChunkOf(MarkerKind kind);

} // namespace scene
