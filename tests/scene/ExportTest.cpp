// The glTF and OBJ writers, read back: the glTF by Debian's tinygltf (a reader of its own, which also
// decodes the PNG textures), the OBJ as text. The level is built with its rooms, faces, tile pixels and
// records placed on purpose, so every value checked is worked out by hand.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <tiny_gltf.h>

#include "common/TestFiles.h"
#include "scene/Export.h"
#include "scene/GltfWriter.h"
#include "scene/ObjWriter.h"
#include "tools/LevelBuilder.h"

namespace {

namespace lb = levelbuilder;

// Palette entries: 5 is (10, 20, 30), 7 is (63, 0, 31); as colours (40, 80, 120) and (252, 0, 124).
// Tile 0 is entry 5 everywhere but pixel (3, 2), entry 7, and pixel (0, 0), entry 0 (transparent).
// Room 0 at (2048, 3072): a rectangle and a triangle with object texture 0 (opaque) and a triangle with
// texture 1 (Attribute 1: blended) drawn from both sides; a door to room 1, a light, a camera. Room 1: a
// rectangle naming vertex 9 of 4 (invalid), a static mesh and an item.
lb::Level Placed() {
    lb::Level level;
    level.Palette8[5 * 3 + 0] = 10;
    level.Palette8[5 * 3 + 1] = 20;
    level.Palette8[5 * 3 + 2] = 30;
    level.Palette8[7 * 3 + 0] = 63;
    level.Palette8[7 * 3 + 2] = 31;
    lb::Tile8 tile(65536, 5);
    tile[2 * 256 + 3] = 7;
    tile[0] = 0;
    level.Tiles.Add(tile);
    lb::ObjectTexture opaque;
    opaque.Vertices = {{{0, 0, 0, 0}, {0, 255, 0, 0}, {0, 255, 0, 255}, {0, 0, 0, 255}}};
    level.ObjectTextures.Add(opaque);
    lb::ObjectTexture blended = opaque;
    blended.Attribute = 1;
    level.ObjectTextures.Add(blended);

    lb::Room room0;
    room0.Xoffset = 2048;
    room0.Zoffset = 3072;
    room0.Vertices.Add({.X = 512, .Y = -256, .Z = 1024});
    room0.Vertices.Add({.X = 0, .Y = 0, .Z = 0});
    room0.Vertices.Add({.X = 1024, .Y = 0, .Z = 0});
    room0.Vertices.Add({.X = 1024, .Y = 0, .Z = 1024});
    room0.Rectangles.Add({.Vertex = {0, 1, 2, 3}, .Texture = 0});
    room0.Triangles.Add({.Vertex = {0, 1, 2}, .Texture = 0});
    room0.Triangles.Add({.Vertex = {1, 2, 3}, .Texture = static_cast<int16_t>(0x8001)});
    room0.Doors.Add({.AdjoiningRoom = 1, .Normal = {1, 0, 0}, .Vertices = {}});
    room0.Lights.Add({.X = 1024, .Y = -2048, .Z = 4096});
    level.Rooms.Add(room0);

    lb::Room room1;
    room1.Vertices = room0.Vertices;
    room1.Rectangles.Add({.Vertex = {0, 1, 2, 9}, .Texture = 0});
    room1.StaticMeshes.Add({.X = 100, .Y = 0, .Z = 100});
    level.Rooms.Add(room1);
    level.Items.Add({.ObjectID = 1, .Room = 1, .X = 512, .Y = 0, .Z = 512});
    level.Cameras.Add({.X = 0, .Y = -1024, .Z = 0, .Room = 0});
    return level;
}

struct Exported {
    LevelFile Level;
    WalkMap Map;
    lb::Layout Layout;
    scene::SceneLevel Prepared;
    scene::ExportScene Scene;
};

// Built in place: the export reads the prepared scene, which reads the map and the level.
void Export(const lb::Level& built, Exported& e) {
    e.Level = LevelFile::FromBytes(lb::Build(built, e.Layout));
    scene::WalkForScene(e.Level, e.Map);
    e.Prepared = scene::PrepareScene(e.Map, e.Level);
    e.Scene = scene::ExportOf(e.Prepared, scene::TileDepth::Bits8);
}

// The .glb read from memory, or the .gltf read from its files with the .bin and PNGs beside it.
enum class Form { Binary, Text };

tinygltf::Model ReadBack(const scene::ExportScene& exported, Form form, const TempDir& dir) {
    tinygltf::TinyGLTF reader;
    tinygltf::Model model;
    std::string error, warning;
    if (form == Form::Binary) {
        scene::StringSink glb;
        EXPECT_EQ(scene::WriteGlb(exported, {.Name = "placed.dm2"}, glb), "");
        EXPECT_TRUE(reader.LoadBinaryFromMemory(&model, &error, &warning,
                                                reinterpret_cast<const unsigned char*>(glb.Text.data()),
                                                static_cast<unsigned>(glb.Text.size())))
            << error;
    } else {
        std::string json;
        scene::StringSink bin;
        const scene::GltfFiles files{.BinName = "placed.bin",
                                     .ImageStem = "placed.",
                                     .Image = [&](const std::string& name, std::string_view png) {
                                         dir.Write(name, {png.begin(), png.end()});
                                         return std::string();
                                     }};
        EXPECT_EQ(scene::WriteGltf(exported, {.Name = "placed.dm2"}, files, json, bin), "");
        dir.Write("placed.bin", {bin.Text.begin(), bin.Text.end()});
        const std::string path = dir.Write("placed.gltf", {json.begin(), json.end()});
        EXPECT_TRUE(reader.LoadASCIIFromFile(&model, &error, &warning, path)) << error;
    }
    EXPECT_EQ(error, "");
    return model;
}

const tinygltf::Node* NodeNamed(const tinygltf::Model& model, const std::string& name) {
    for (const tinygltf::Node& node : model.nodes)
        if (node.name == name)
            return &node;
    return nullptr;
}

// The positions of a mesh's primitives, three floats a vertex, read through accessor and buffer view.
std::vector<std::array<float, 3>> Positions(const tinygltf::Model& model, int mesh) {
    std::vector<std::array<float, 3>> out;
    for (const tinygltf::Primitive& p : model.meshes[static_cast<size_t>(mesh)].primitives) {
        const tinygltf::Accessor& a = model.accessors[static_cast<size_t>(p.attributes.at("POSITION"))];
        const tinygltf::BufferView& v = model.bufferViews[static_cast<size_t>(a.bufferView)];
        const std::vector<unsigned char>& data = model.buffers[static_cast<size_t>(v.buffer)].data;
        const size_t stride = v.byteStride != 0 ? v.byteStride : 12;
        for (size_t i = 0; i < a.count; ++i) {
            std::array<float, 3> xyz{};
            std::memcpy(xyz.data(), data.data() + v.byteOffset + a.byteOffset + i * stride, sizeof xyz);
            out.push_back(xyz);
        }
    }
    return out;
}

const tinygltf::Material& MaterialNamed(const tinygltf::Model& model, const std::string& name) {
    for (const tinygltf::Material& m : model.materials)
        if (m.name == name)
            return m;
    ADD_FAILURE() << "no material " << name;
    return model.materials.front();
}

std::array<int, 4> Pixel(const tinygltf::Image& image, int x, int y) {
    const size_t at =
        (static_cast<size_t>(y) * static_cast<size_t>(image.width) + static_cast<size_t>(x)) * 4;
    return {image.image[at], image.image[at + 1], image.image[at + 2], image.image[at + 3]};
}

TEST(Export, GltfReadsBackWithRoomsMarkersMaterialsAndTexturePixels) {
    Exported e;
    Export(Placed(), e);
    for (const Form form : {Form::Binary, Form::Text}) {
        SCOPED_TRACE(form == Form::Binary ? "glb" : "gltf");
        TempDir dir;
        const tinygltf::Model model = ReadBack(e.Scene, form, dir);
        ASSERT_FALSE(model.nodes.empty());
        EXPECT_EQ(model.asset.generator, "Strata Viewer");

        std::set<std::string> names;
        for (const tinygltf::Node& node : model.nodes)
            names.insert(node.name);
        EXPECT_EQ(names, (std::set<std::string>{"room 0", "room 1", "door 0.0", "light 0.0",
                                                "static mesh 1.0", "item 0", "camera 0"}));

        // Room 0: a rectangle (two triangles) and two triangles; room 1: one rectangle.
        const tinygltf::Node* room0 = NodeNamed(model, "room 0");
        const tinygltf::Node* room1 = NodeNamed(model, "room 1");
        ASSERT_TRUE(room0 && room1);
        const std::vector<std::array<float, 3>> positions = Positions(model, room0->mesh);
        EXPECT_EQ(positions.size(), 12u);
        EXPECT_EQ(Positions(model, room1->mesh).size(), 6u);
        // Vertex 0 (512, -256, 1024) of the room at (2048, 3072): scene (2560, 256, -4096), in metres
        // (2.5, 0.25, -4).
        EXPECT_NE(std::find(positions.begin(), positions.end(), std::array<float, 3>{2.5f, 0.25f, -4.0f}),
                  positions.end());

        // The door is a child of its room, its extras naming its record; the light is a point light.
        const tinygltf::Node* door = NodeNamed(model, "door 0.0");
        ASSERT_TRUE(door);
        const int doorIndex = static_cast<int>(door - model.nodes.data());
        EXPECT_NE(std::find(room0->children.begin(), room0->children.end(), doorIndex),
                  room0->children.end());
        EXPECT_EQ(door->extras.Get("chunk").Get<std::string>(), "Doors");
        EXPECT_EQ(door->extras.Get("index").GetNumberAsInt(), 0);
        EXPECT_EQ(door->extras.Get("offset").GetNumberAsInt(), e.Layout.Parts[0].Doors + 2);
        const tinygltf::Node* light = NodeNamed(model, "light 0.0");
        ASSERT_TRUE(light);
        EXPECT_EQ(light->extras.Get("offset").GetNumberAsInt(), e.Layout.Parts[0].Lights + 2);
        ASSERT_EQ(model.lights.size(), 1u);
        EXPECT_EQ(model.lights[0].type, "point");
        EXPECT_TRUE(light->extensions.contains("KHR_lights_punctual"));
        // Light (1024, -2048, 4096), world units already: scene (1024, 2048, -4096), in metres (1, 2, -4).
        EXPECT_EQ(light->translation, (std::vector<double>{1.0, 2.0, -4.0}));
        EXPECT_EQ(NodeNamed(model, "item 0")->extras.Get("offset").GetNumberAsInt(), e.Layout.Items + 4);

        // Materials: opaque one-sided, blended both-sided, and the warning colour without a texture.
        const tinygltf::Material& opaque = MaterialNamed(model, "tile 0");
        EXPECT_EQ(opaque.alphaMode, "OPAQUE");
        EXPECT_FALSE(opaque.doubleSided);
        const tinygltf::Material& blended = MaterialNamed(model, "tile 0 blend double-sided");
        EXPECT_EQ(blended.alphaMode, "BLEND");
        EXPECT_TRUE(blended.doubleSided);
        const tinygltf::Material& warning = MaterialNamed(model, "invalid reference");
        EXPECT_EQ(warning.pbrMetallicRoughness.baseColorTexture.index, -1);
        EXPECT_EQ(warning.pbrMetallicRoughness.baseColorFactor, (std::vector<double>{1.0, 0.0, 1.0, 1.0}));
        EXPECT_EQ(room1->mesh >= 0 ? model.meshes[static_cast<size_t>(room1->mesh)].primitives[0].material
                                   : -1,
                  static_cast<int>(&warning - model.materials.data()));

        // The tile's pixels through the 8-bit palette (six-bit components times 4), index 0 transparent.
        const int texture = opaque.pbrMetallicRoughness.baseColorTexture.index;
        ASSERT_GE(texture, 0);
        const tinygltf::Image& image =
            model.images[static_cast<size_t>(model.textures[static_cast<size_t>(texture)].source)];
        ASSERT_EQ(image.width, 256);
        ASSERT_EQ(image.component, 4);
        EXPECT_EQ(Pixel(image, 3, 2), (std::array<int, 4>{252, 0, 124, 255}));
        EXPECT_EQ(Pixel(image, 1, 0), (std::array<int, 4>{40, 80, 120, 255}));
        EXPECT_EQ(Pixel(image, 0, 0)[3], 0);
    }
}

TEST(Export, ObjReadsBackWithRoomGroupsMetresAndMaterials) {
    Exported e;
    Export(Placed(), e);
    scene::StringSink obj;
    std::string mtl;
    std::set<std::string> images;
    const scene::ObjFiles files{.MtlName = "placed.mtl",
                                .ImageStem = "placed.",
                                .Image = [&](const std::string& name, std::string_view png) {
                                    EXPECT_TRUE(png.starts_with("\x89PNG"));
                                    images.insert(name);
                                    return std::string();
                                }};
    ASSERT_EQ(scene::WriteObj(e.Scene, files, obj, mtl), "");
    const std::string& text = obj.Text;
    EXPECT_NE(text.find("mtllib placed.mtl\n"), std::string::npos);
    EXPECT_NE(text.find("o room 0\n"), std::string::npos);
    EXPECT_NE(text.find("o room 1\n"), std::string::npos);
    // The known vertex in metres, with the corner's texture coordinates (U 0, V 0 at the tile's top: OBJ's
    // v counts from the bottom).
    EXPECT_NE(text.find("\nv 2.5 0.25 -4\nvt 0 1\n"), std::string::npos);
    size_t faces = 0;
    for (size_t at = text.find("\nf "); at != std::string::npos; at = text.find("\nf ", at + 1))
        ++faces;
    EXPECT_EQ(faces, 6u);
    // Room 1's faces come after room 0's 12 vertices.
    EXPECT_NE(text.find("usemtl invalid_reference\nf 13/13 14/14 15/15\n"), std::string::npos);
    EXPECT_NE(mtl.find("newmtl tile_0\nKd 1 1 1\nmap_Kd placed.tile0.png\n"), std::string::npos);
    EXPECT_NE(mtl.find("newmtl tile_0_blend_double-sided\n"), std::string::npos);
    EXPECT_NE(mtl.find("newmtl invalid_reference\nKd 1"), std::string::npos);
    EXPECT_EQ(images, std::set<std::string>{"placed.tile0.png"});
}

} // namespace
