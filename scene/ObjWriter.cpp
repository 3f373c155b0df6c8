#include "scene/ObjWriter.h"

#include <charconv>
#include <set>
#include <vector>

#include "scene/Png.h"

namespace scene {

namespace {

void PutNumber(std::string& out, float value) {
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, value).ptr;
    out.append(text, end);
}

void PutNumber(std::string& out, int64_t value) {
    char text[24];
    const auto end = std::to_chars(text, text + sizeof text, value).ptr;
    out.append(text, end);
}

// Material names in the files: "tile 3 blend" becomes "tile_3_blend" (OBJ names end at a space).
std::string ObjName(const MaterialKey& key) {
    std::string name = MaterialName(key);
    for (char& c : name)
        if (c == ' ')
            c = '_';
    return name;
}

} // namespace

std::string WriteObj(const ExportScene& scene, const ObjFiles& files, ByteSink& obj, std::string& mtl) {
    std::set<MaterialKey> materials;
    std::string block = "# Strata Viewer\nmtllib " + files.MtlName + "\n";
    std::vector<Triangle> triangles;
    int64_t written = 0; // vertices before this room's (OBJ counts from 1)
    for (size_t r = 0; r < scene.Rooms.size(); ++r) {
        triangles.clear();
        if (scene.RoomTriangles)
            scene.RoomTriangles(static_cast<int32_t>(r), triangles);
        SortByMaterial(triangles);
        block += "o " + RoomName(scene, static_cast<int32_t>(r)) + "\n";
        for (const Triangle& t : triangles)
            for (const Corner& c : t.Corners) {
                const std::array<float, 3> m = Metres(c);
                block += "v ";
                PutNumber(block, m[0]);
                block += ' ';
                PutNumber(block, m[1]);
                block += ' ';
                PutNumber(block, m[2]);
                block += "\nvt ";
                PutNumber(block, c.U);
                block += ' ';
                PutNumber(block, 1.0f - c.V);
                block += '\n';
            }
        bool first = true;
        MaterialKey current;
        for (size_t i = 0; i < triangles.size(); ++i) {
            const MaterialKey key = MaterialOf(triangles[i]);
            if (first || !(key == current)) {
                block += "usemtl " + ObjName(key) + "\n";
                materials.insert(key);
                current = key;
                first = false;
            }
            block += 'f';
            for (int64_t k = 1; k <= 3; ++k) {
                const int64_t index = written + static_cast<int64_t>(i) * 3 + k;
                block += ' ';
                PutNumber(block, index);
                block += '/';
                PutNumber(block, index);
            }
            block += '\n';
        }
        written += static_cast<int64_t>(triangles.size()) * 3;
        if (!obj.Write(block))
            return "a write failed";
        block.clear();
    }

    mtl = "# Strata Viewer\n";
    std::set<int32_t> imaged;
    for (const MaterialKey& key : materials) {
        mtl += "\nnewmtl " + ObjName(key) + "\n";
        if (key.Warning) {
            mtl += "Kd " + std::to_string(kWarningColour.R / 255.0) + " " +
                   std::to_string(kWarningColour.G / 255.0) + " " + std::to_string(kWarningColour.B / 255.0) +
                   "\n";
            continue;
        }
        mtl += "Kd 1 1 1\n";
        const std::string image = files.ImageStem + "tile" + std::to_string(key.Tile) + ".png";
        if (!imaged.contains(key.Tile)) {
            const std::string png =
                EncodePng(scene.TilePixels ? scene.TilePixels(key.Tile) : std::vector<format::Rgba>{},
                          kTileSide, kTileSide);
            if (png.empty())
                continue; // a tile without pixels: no texture
            if (std::string wrong = files.Image ? files.Image(image, png) : ""; !wrong.empty())
                return wrong;
            imaged.insert(key.Tile);
        }
        mtl += "map_Kd " + image + "\n";
        if (key.Blend)
            mtl += "map_d " + image + "\n";
    }
    return "";
}

} // namespace scene
