#pragma once
// The scene as Wavefront OBJ with its MTL materials and one PNG per tile beside it: the simple fallback
// for programs without glTF. Positions in metres, +y up; a group "o room N" per room, its faces
// grouped by material (usemtl), each triangle with its own three vertices and texture coordinates (v
// counted from the bottom, as OBJ has it). The materials are those of the glTF writer: per tile, alpha
// and both-sided flag (OBJ has no both-sided faces: the name keeps it), and the warning colour.
// One pass over the rooms, one room's triangles held at a time.
#include <functional>
#include <string>
#include <string_view>

#include "scene/Export.h"

namespace scene {

struct ObjFiles {
    std::string MtlName;   // the MTL file's name, relative to the .obj
    std::string ImageStem; // a tile's image is ImageStem + "tile" + N + ".png"
    // Writes one image file (its name, relative to the .obj, and its bytes): "" or what went wrong.
    std::function<std::string(const std::string& name, std::string_view png)> Image;
};

// The OBJ text into obj, the MTL text into mtl, the images through files.Image. "" or what went wrong.
std::string WriteObj(const ExportScene& scene, const ObjFiles& files, ByteSink& obj, std::string& mtl);

} // namespace scene
