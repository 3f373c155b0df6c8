#include "scene/GltfWriter.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>
#include <map>
#include <nlohmann/json.hpp>
#include <vector>

#include "scene/Png.h"

namespace scene {

namespace {

static_assert(std::endian::native == std::endian::little, "the buffer is written in the host's byte order");

using Json = nlohmann::ordered_json;

constexpr int32_t kFloat = 5126;            // componentType FLOAT
constexpr int32_t kArrayBuffer = 34962;     // bufferView target ARRAY_BUFFER
constexpr int32_t kNearest = 9728;          // sampler filter NEAREST
constexpr int32_t kClampToEdge = 33071;     // sampler wrap CLAMP_TO_EDGE
constexpr int32_t kTriangles = 4;           // primitive mode TRIANGLES
constexpr size_t kVertexBytes = 5 * 4;      // x, y, z, u, v as floats
constexpr uint32_t kGlbMagic = 0x46546C67;  // "glTF"
constexpr uint32_t kJsonChunk = 0x4E4F534A; // "JSON"
constexpr uint32_t kBinChunk = 0x004E4942;  // "BIN\0"
// Stands for the nodes in the document until its text is made (no name or number holds it).
constexpr std::string_view kNodesStandIn = "\x01nodes\x01";

struct Primitive {
    MaterialKey Key;
    int64_t First = 0, Count = 0; // vertices within the room's view
    std::array<float, 3> Min{}, Max{};
};

struct RoomLayout {
    std::vector<Primitive> Primitives;
    int64_t Vertices = 0;
    int64_t ByteOffset = 0; // of its view within the buffer
};

struct Image {
    int32_t Tile = -1;
    bool Present = false;   // the tile has pixels: its image is written
    std::string Png;        // held until it is written into the .glb's buffer
    int64_t ByteOffset = 0; // within the buffer (.glb)
};

int64_t Padded4(int64_t n) {
    return (n + 3) / 4 * 4;
}

// A file name as a URI reference: bytes other than letters, digits and -._~ percent-encoded (a space is
// %20), so that a name with spaces or non-ASCII letters is still a valid URI.
std::string UriOf(std::string_view name) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string uri;
    for (const char c : name) {
        const auto b = static_cast<unsigned char>(c);
        if ((b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z') || (b >= '0' && b <= '9') || c == '-' ||
            c == '.' || c == '_' || c == '~') {
            uri += c;
        } else {
            uri += '%';
            uri += kHex[b >> 4];
            uri += kHex[b & 15];
        }
    }
    return uri;
}

Json Extras(std::string_view chunk, int32_t index, int32_t offset) {
    return Json{{"chunk", chunk}, {"index", index}, {"offset", offset}};
}

Json Translation(const std::array<float, 3>& metres) {
    return Json::array({metres[0], metres[1], metres[2]});
}

class Writer {
  public:
    Writer(const ExportScene& scene, const GltfOptions& options) : scene_(scene), options_(options) {}

    // Pass one: each room's primitives and bounds, the materials and tiles they use.
    void Lay() {
        std::vector<Triangle> triangles;
        int64_t offset = 0;
        for (size_t r = 0; r < scene_.Rooms.size(); ++r) {
            Room(r, triangles);
            RoomLayout layout;
            layout.ByteOffset = offset;
            for (size_t i = 0; i < triangles.size(); ++i) {
                const MaterialKey key = MaterialOf(triangles[i]);
                if (layout.Primitives.empty() || !(layout.Primitives.back().Key == key)) {
                    Primitive p;
                    p.Key = key;
                    p.First = layout.Vertices;
                    p.Min.fill(std::numeric_limits<float>::max());
                    p.Max.fill(std::numeric_limits<float>::lowest());
                    layout.Primitives.push_back(p);
                    materials_.emplace(key, 0);
                }
                Primitive& p = layout.Primitives.back();
                for (const Corner& c : triangles[i].Corners) {
                    const std::array<float, 3> m = Metres(c);
                    for (size_t a = 0; a < 3; ++a) {
                        p.Min[a] = std::min(p.Min[a], m[a]);
                        p.Max[a] = std::max(p.Max[a], m[a]);
                    }
                }
                p.Count += 3;
                layout.Vertices += 3;
            }
            offset += layout.Vertices * static_cast<int64_t>(kVertexBytes);
            rooms_.push_back(std::move(layout));
        }
        vertexBytes_ = offset;
        int32_t index = 0;
        for (auto& [key, number] : materials_) {
            number = index++;
            if (!key.Warning && std::none_of(images_.begin(), images_.end(),
                                             [&](const Image& i) { return i.Tile == key.Tile; }))
                images_.push_back(Image{.Tile = key.Tile, .Present = false, .Png = {}, .ByteOffset = 0});
        }
    }

    // The tiles' PNGs, in the buffer after the vertices (.glb) or handed to write (.gltf).
    std::string EncodeImages(const std::function<std::string(Image&)>& write) {
        int64_t offset = vertexBytes_;
        for (Image& image : images_) {
            image.Png =
                EncodePng(scene_.TilePixels ? scene_.TilePixels(image.Tile) : std::vector<format::Rgba>{},
                          kTileSide, kTileSide);
            if (image.Png.empty())
                continue; // a tile without pixels: its materials get no texture
            image.Present = true;
            image.ByteOffset = offset;
            offset = Padded4(offset + static_cast<int64_t>(image.Png.size()));
            if (std::string wrong = write(image); !wrong.empty())
                return wrong;
        }
        bufferBytes_ = offset;
        return "";
    }

    // The JSON text; indent as nlohmann's dump (-1: none).
    std::string Document(const std::string* binUri, const std::string* imageStem, int indent) const {
        Json doc;
        doc["asset"] = Json{{"version", "2.0"}, {"generator", "Strata Viewer"}};
        doc["scene"] = 0;
        const bool anyLight = std::any_of(scene_.Markers.begin(), scene_.Markers.end(),
                                          [](const Marker& m) { return m.Kind == MarkerKind::Light; });
        if (anyLight)
            doc["extensionsUsed"] = Json::array({"KHR_lights_punctual"});

        // The nodes are many (a marker each): each is written out as text as soon as it is made, and the
        // text takes the place of a stand-in in the document.
        std::string nodes;
        const auto addNode = [&nodes](const Json& node) {
            nodes += nodes.empty() ? "[\n" : ",\n";
            nodes += node.dump();
        };
        const size_t roomCount = scene_.Rooms.size();
        std::vector<Json> children(roomCount, Json::array());
        Json roots = Json::array();
        for (size_t r = 0; r < roomCount; ++r)
            roots.push_back(r);
        const auto place = [&](int32_t room, size_t node) {
            if (room >= 0 && static_cast<size_t>(room) < roomCount)
                children[static_cast<size_t>(room)].push_back(node);
            else
                roots.push_back(node);
        };
        for (size_t p = 0; p < scene_.Portals.size(); ++p)
            place(scene_.Portals[p].Room, roomCount + p);
        for (size_t m = 0; m < scene_.Markers.size(); ++m)
            place(scene_.Markers[m].Room, roomCount + scene_.Portals.size() + m);

        Json meshes = Json::array(), accessors = Json::array(), views = Json::array();
        Json lights = Json::array();
        for (size_t r = 0; r < roomCount; ++r) {
            const RoomLayout& layout = rooms_[r];
            Json node{{"name", RoomName(scene_, static_cast<int32_t>(r))}};
            if (!layout.Primitives.empty()) {
                const int32_t view = static_cast<int32_t>(views.size());
                views.push_back(Json{{"buffer", 0},
                                     {"byteOffset", layout.ByteOffset},
                                     {"byteLength", layout.Vertices * static_cast<int64_t>(kVertexBytes)},
                                     {"byteStride", kVertexBytes},
                                     {"target", kArrayBuffer}});
                Json primitives = Json::array();
                for (const Primitive& p : layout.Primitives) {
                    const int64_t at = p.First * static_cast<int64_t>(kVertexBytes);
                    const int32_t position = static_cast<int32_t>(accessors.size());
                    accessors.push_back(Json{{"bufferView", view},
                                             {"byteOffset", at},
                                             {"componentType", kFloat},
                                             {"count", p.Count},
                                             {"type", "VEC3"},
                                             {"min", Translation(p.Min)},
                                             {"max", Translation(p.Max)}});
                    accessors.push_back(Json{{"bufferView", view},
                                             {"byteOffset", at + 12},
                                             {"componentType", kFloat},
                                             {"count", p.Count},
                                             {"type", "VEC2"}});
                    primitives.push_back(
                        Json{{"attributes", {{"POSITION", position}, {"TEXCOORD_0", position + 1}}},
                             {"material", materials_.at(p.Key)},
                             {"mode", kTriangles}});
                }
                node["mesh"] = meshes.size();
                meshes.push_back(Json{{"name", node["name"]}, {"primitives", std::move(primitives)}});
            }
            if (!children[r].empty())
                node["children"] = std::move(children[r]);
            node["extras"] = Extras(InfoOf(Piece::Room).Name, scene_.Rooms[r].Number,
                                    r < scene_.RoomAt.size() ? scene_.RoomAt[r] : -1);
            addNode(node);
        }
        for (const Portal& portal : scene_.Portals) {
            std::array<float, 3> centre{};
            for (const auto& corner : portal.Corners)
                for (size_t a = 0; a < 3; ++a)
                    centre[a] += corner[a] / 4;
            Json extras = Extras(ChunkOfPortals(), portal.Index, portal.RecordAt);
            extras["adjoiningRoom"] = portal.Adjoining;
            addNode(Json{{"name", PortalName(scene_, portal)},
                         {"translation", Translation(Metres(centre))},
                         {"extras", std::move(extras)}});
        }
        for (const Marker& marker : scene_.Markers) {
            Json node{{"name", MarkerName(scene_, marker)},
                      {"translation", Translation(Metres(marker.Position))},
                      {"extras", Extras(ChunkOf(marker.Kind), marker.Index, marker.RecordAt)}};
            if (marker.Kind == MarkerKind::Light) {
                node["extensions"]["KHR_lights_punctual"]["light"] = lights.size();
                lights.push_back(Json{{"name", node["name"]},
                                      {"type", "point"},
                                      {"color", {1.0, 1.0, 1.0}},
                                      {"intensity", 1.0}});
            }
            addNode(node);
        }
        nodes += nodes.empty() ? "[]" : "\n]";

        // A level without rooms (cut before them) is an empty scene: glTF allows no empty list.
        Json theScene{{"name", options_.Name}};
        if (!roots.empty())
            theScene["nodes"] = std::move(roots);
        doc["scenes"] = Json::array({std::move(theScene)});
        if (roomCount + scene_.Portals.size() + scene_.Markers.size() > 0)
            doc["nodes"] = kNodesStandIn;
        if (!meshes.empty())
            doc["meshes"] = std::move(meshes);

        std::map<int32_t, int32_t> textureOfTile;
        Json images = Json::array(), textures = Json::array();
        for (const Image& image : images_) {
            if (!image.Present)
                continue;
            Json entry{{"name", "tile " + std::to_string(image.Tile)}};
            if (imageStem) {
                entry["uri"] = UriOf(*imageStem + "tile" + std::to_string(image.Tile) + ".png");
            } else {
                entry["bufferView"] = views.size();
                entry["mimeType"] = "image/png";
                views.push_back(
                    Json{{"buffer", 0}, {"byteOffset", image.ByteOffset}, {"byteLength", image.Png.size()}});
            }
            textureOfTile[image.Tile] = static_cast<int32_t>(textures.size());
            textures.push_back(Json{{"sampler", 0}, {"source", images.size()}});
            images.push_back(std::move(entry));
        }
        Json materials = Json::array();
        for (const auto& [key, number] : materials_) {
            Json pbr{{"metallicFactor", 0.0}, {"roughnessFactor", 1.0}};
            if (key.Warning) {
                pbr["baseColorFactor"] = {kWarningColour.R / 255.0, kWarningColour.G / 255.0,
                                          kWarningColour.B / 255.0, kWarningColour.A / 255.0};
            } else if (const auto t = textureOfTile.find(key.Tile); t != textureOfTile.end()) {
                pbr["baseColorTexture"] = Json{{"index", t->second}};
            }
            Json material{{"name", MaterialName(key)}, {"pbrMetallicRoughness", std::move(pbr)}};
            if (key.Blend)
                material["alphaMode"] = "BLEND";
            material["doubleSided"] = key.Warning || key.DoubleSided;
            materials.push_back(std::move(material));
        }
        if (!materials.empty())
            doc["materials"] = std::move(materials);
        if (!textures.empty()) {
            doc["textures"] = std::move(textures);
            doc["images"] = std::move(images);
            doc["samplers"] = Json::array({Json{{"magFilter", kNearest},
                                                {"minFilter", kNearest},
                                                {"wrapS", kClampToEdge},
                                                {"wrapT", kClampToEdge}}});
        }
        if (!accessors.empty())
            doc["accessors"] = std::move(accessors);
        if (!views.empty())
            doc["bufferViews"] = std::move(views);
        const int64_t bytes = BufferBytes(binUri != nullptr);
        if (bytes > 0) {
            Json buffer{{"byteLength", bytes}};
            if (binUri)
                buffer["uri"] = UriOf(*binUri);
            doc["buffers"] = Json::array({std::move(buffer)});
        }
        if (anyLight)
            doc["extensions"]["KHR_lights_punctual"]["lights"] = std::move(lights);
        std::string text = indent < 0 ? doc.dump() : doc.dump(indent, '\t');
        const std::string standIn = Json(kNodesStandIn).dump();
        if (const size_t at = text.find(standIn); at != std::string::npos)
            text.replace(at, standIn.size(), nodes);
        return text;
    }

    // The buffer's length: the vertices, and in a .glb the images after them.
    int64_t BufferBytes(bool apart) const { return apart ? vertexBytes_ : bufferBytes_; }

    // Pass two: every room's vertices in the order laid out.
    std::string StreamVertices(ByteSink& out) {
        std::vector<Triangle> triangles;
        std::string block;
        for (size_t r = 0; r < scene_.Rooms.size(); ++r) {
            Room(r, triangles);
            if (static_cast<int64_t>(triangles.size()) * 3 != rooms_[r].Vertices)
                return RoomName(scene_, static_cast<int32_t>(r)) + " changed between its two builds";
            block.resize(triangles.size() * 3 * kVertexBytes);
            char* at = block.data();
            for (const Triangle& t : triangles)
                for (const Corner& c : t.Corners) {
                    const std::array<float, 3> m = Metres(c);
                    const float vertex[5] = {m[0], m[1], m[2], c.U, c.V};
                    std::memcpy(at, vertex, kVertexBytes);
                    at += kVertexBytes;
                }
            if (!out.Write(block))
                return "a write failed";
        }
        return "";
    }

    const std::vector<Image>& Images() const { return images_; }

  private:
    void Room(size_t r, std::vector<Triangle>& triangles) const {
        triangles.clear();
        if (scene_.RoomTriangles)
            scene_.RoomTriangles(static_cast<int32_t>(r), triangles);
        SortByMaterial(triangles);
    }

    const ExportScene& scene_;
    const GltfOptions& options_;
    std::vector<RoomLayout> rooms_;
    std::map<MaterialKey, int32_t> materials_;
    std::vector<Image> images_;
    int64_t vertexBytes_ = 0, bufferBytes_ = 0;
};

void Put32(std::string& out, uint32_t v) {
    const char bytes[4] = {static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16),
                           static_cast<char>(v >> 24)};
    out.append(bytes, 4);
}

} // namespace

std::string WriteGlb(const ExportScene& scene, const GltfOptions& options, ByteSink& out) {
    Writer writer(scene, options);
    writer.Lay();
    if (std::string wrong = writer.EncodeImages([](Image&) { return std::string(); }); !wrong.empty())
        return wrong;
    std::string json = writer.Document(nullptr, nullptr, -1);
    json.append(
        static_cast<size_t>(Padded4(static_cast<int64_t>(json.size())) - static_cast<int64_t>(json.size())),
        ' ');
    const int64_t bin = writer.BufferBytes(false);
    const int64_t total = 12 + 8 + static_cast<int64_t>(json.size()) + (bin > 0 ? 8 + bin : 0);
    if (total > std::numeric_limits<uint32_t>::max())
        return "the scene needs more than the 4 GB a .glb can hold";
    std::string head;
    Put32(head, kGlbMagic);
    Put32(head, 2);
    Put32(head, static_cast<uint32_t>(total));
    Put32(head, static_cast<uint32_t>(json.size()));
    Put32(head, kJsonChunk);
    head += json;
    if (bin > 0) {
        Put32(head, static_cast<uint32_t>(bin));
        Put32(head, kBinChunk);
    }
    if (!out.Write(head))
        return "a write failed";
    json.clear();
    json.shrink_to_fit();
    if (std::string wrong = writer.StreamVertices(out); !wrong.empty())
        return wrong;
    int64_t written = writer.BufferBytes(true);
    for (const Image& image : writer.Images()) {
        if (!image.Present)
            continue;
        const std::string gap(static_cast<size_t>(image.ByteOffset - written), '\0');
        if (!out.Write(gap) || !out.Write(image.Png))
            return "a write failed";
        written = image.ByteOffset + static_cast<int64_t>(image.Png.size());
    }
    if (!out.Write(std::string(static_cast<size_t>(bin - written), '\0')))
        return "a write failed";
    return "";
}

std::string WriteGltf(const ExportScene& scene, const GltfOptions& options, const GltfFiles& files,
                      std::string& json, ByteSink& bin) {
    Writer writer(scene, options);
    writer.Lay();
    const std::string wrong = writer.EncodeImages([&](Image& image) {
        const std::string name = files.ImageStem + "tile" + std::to_string(image.Tile) + ".png";
        std::string reason = files.Image ? files.Image(name, image.Png) : "";
        image.Png.clear();
        image.Png.shrink_to_fit();
        return reason;
    });
    if (!wrong.empty())
        return wrong;
    json = writer.Document(&files.BinName, &files.ImageStem, 1);
    json += '\n';
    return writer.StreamVertices(bin);
}

} // namespace scene
