#pragma once
// The scene as glTF 2.0: binary (.glb, one file) or text (.gltf with its .bin buffer and one PNG per
// tile beside it).
//
// One node per room, "room N", holding its mesh: one primitive per material, non-indexed triangles,
// POSITION in metres (+y up) and TEXCOORD_0 (0 at the tile's top-left corner), interleaved in one buffer
// view per room. A material per kind of face (tile, alpha, both-sided): alphaMode OPAQUE where the
// object texture's Attribute is 0 and BLEND for any other value, doubleSided from the face's flag, the
// tile's PNG as its base colour texture (nearest filtering, as the tiles are pixel art); the faces with
// invalid references one material of the warning colour without a texture. Doors are empty nodes
// "door R.I" at the centre of their portal quad, children of their room; lights are KHR_lights_punctual
// point lights "light R.I"; static meshes ("static mesh R.I"), items ("item I") and cameras
// ("camera I") are empty nodes at their position. Every such node's extras name its record: the chunk
// as the report names it, its index and its file offset.
//
// Two passes over the rooms: the first counts each room's vertices by material and their bounds (the
// accessors' layout), the second builds each room again and streams its vertices, so only one room's
// triangles are held at a time.
#include <functional>
#include <string>
#include <string_view>

#include "scene/Export.h"

namespace scene {

struct GltfOptions {
    std::string Name; // the scene's name (the level's file name)
};

// The whole .glb into out. "" or what went wrong.
std::string WriteGlb(const ExportScene& scene, const GltfOptions& options, ByteSink& out);

// The files a .gltf names beside itself.
struct GltfFiles {
    std::string BinName;   // the buffer's file name, relative to the .gltf
    std::string ImageStem; // a tile's image is ImageStem + "tile" + N + ".png"
    // Writes one image file (its name, relative to the .gltf, and its bytes): "" or what went wrong.
    std::function<std::string(const std::string& name, std::string_view png)> Image;
};

// The .gltf's JSON into json, its buffer into bin, its images through files.Image. "" or what went
// wrong.
std::string WriteGltf(const ExportScene& scene, const GltfOptions& options, const GltfFiles& files,
                      std::string& json, ByteSink& bin);

} // namespace scene
