#include "scene/Export.h"

#include <algorithm>

#include "format/WalkMap.h"

namespace scene {

ExportScene ExportOf(const SceneLevel& level, TileDepth depth, std::vector<int32_t>* invalid) {
    ExportScene out;
    const Scene& base = level.Base;
    out.Rooms = base.Rooms;
    for (const SceneRoom& room : out.Rooms)
        out.RoomAt.push_back(level.Map && room.Span >= 0 && room.Span < level.Map->Size()
                                 ? (*level.Map)[room.Span].First
                                 : -1);
    out.Portals = base.Portals;
    out.Markers =
        base.Markers; // the scene keeps the level's markers in no room only when it holds every room
    if (invalid)
        invalid->assign(out.Rooms.size(), 0);
    out.RoomTriangles = [&level, invalid](int32_t room, std::vector<Triangle>& triangles) {
        triangles.clear();
        const int32_t faces = BuildRoom(level, room, triangles);
        if (invalid)
            (*invalid)[static_cast<size_t>(room)] = faces;
    };
    out.TilePixels = [&level, depth](int32_t tile) {
        if (!level.Map || !level.Level)
            return std::vector<format::Rgba>{};
        return TilePixels(*level.Map, *level.Level, tile, depth);
    };
    return out;
}

MaterialKey MaterialOf(const Triangle& triangle) {
    if (triangle.Has(Triangle::Invalid) || triangle.Tile < 0)
        return {.Warning = true};
    return {.Tile = triangle.Tile,
            .Blend = triangle.Attribute != 0,
            .DoubleSided = triangle.Has(Triangle::DoubleSided)};
}

std::string MaterialName(const MaterialKey& key) {
    if (key.Warning)
        return "invalid reference";
    std::string name = "tile " + std::to_string(key.Tile);
    if (key.Blend)
        name += " blend";
    if (key.DoubleSided)
        name += " double-sided";
    return name;
}

void SortByMaterial(std::vector<Triangle>& triangles) {
    const auto before = [](const Triangle& a, const Triangle& b) { return MaterialOf(a) < MaterialOf(b); };
    if (std::is_sorted(triangles.begin(), triangles.end(), before))
        return; // most rooms: one material, or faces already in order
    std::stable_sort(triangles.begin(), triangles.end(),
                     [](const Triangle& a, const Triangle& b) { return MaterialOf(a) < MaterialOf(b); });
}

namespace {

std::string RoomNumber(const ExportScene& scene, int32_t room) {
    if (room < 0 || static_cast<size_t>(room) >= scene.Rooms.size())
        return "?";
    return std::to_string(scene.Rooms[static_cast<size_t>(room)].Number);
}

} // namespace

std::string RoomName(const ExportScene& scene, int32_t room) {
    return "room " + RoomNumber(scene, room);
}

std::string PortalName(const ExportScene& scene, const Portal& portal) {
    return "door " + RoomNumber(scene, portal.Room) + "." + std::to_string(portal.Index);
}

std::string MarkerName(const ExportScene& scene, const Marker& marker) {
    switch (marker.Kind) {
    case MarkerKind::Light:
        return "light " + RoomNumber(scene, marker.Room) + "." + std::to_string(marker.Index);
    case MarkerKind::StaticMesh:
        return "static mesh " + RoomNumber(scene, marker.Room) + "." + std::to_string(marker.Index);
    case MarkerKind::Item:
        return "item " + std::to_string(marker.Index);
    case MarkerKind::Camera:
        return "camera " + std::to_string(marker.Index);
    }
    return "";
}

std::string_view ChunkOfPortals() {
    return InfoOf(Piece::Doors).Name;
}

std::string_view ChunkOf(MarkerKind kind) {
    switch (kind) {
    case MarkerKind::Light:
        return InfoOf(Piece::Lights).Name;
    case MarkerKind::StaticMesh:
        return InfoOf(Piece::RoomStaticMeshes).Name;
    case MarkerKind::Item:
        return InfoOf(Piece::Items).Name;
    case MarkerKind::Camera:
        return InfoOf(Piece::Cameras).Name;
    }
    return "";
}

} // namespace scene
