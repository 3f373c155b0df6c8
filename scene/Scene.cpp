#include "scene/Scene.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <sys/mman.h>

#include "format/Fault.h"
#include "format/FieldValue.h"
#include "format/walk/Walker.h"

namespace scene {
namespace {

using format::Field;
using format::FieldNamed;

constexpr const Field& kVertexX = FieldNamed(format::kVertexFields, "x");
constexpr const Field& kVertexY = FieldNamed(format::kVertexFields, "y");
constexpr const Field& kVertexZ = FieldNamed(format::kVertexFields, "z");
constexpr std::array<const Field*, 4> kRectangleVertex{
    &FieldNamed(format::kRectangleFields, "Vertex(0)"), &FieldNamed(format::kRectangleFields, "Vertex(1)"),
    &FieldNamed(format::kRectangleFields, "Vertex(2)"), &FieldNamed(format::kRectangleFields, "Vertex(3)")};
constexpr const Field& kRectangleTexture = FieldNamed(format::kRectangleFields, "Texture");
constexpr std::array<const Field*, 3> kTriangleVertex{&FieldNamed(format::kTriangleFields, "Vertex(0)"),
                                                      &FieldNamed(format::kTriangleFields, "Vertex(1)"),
                                                      &FieldNamed(format::kTriangleFields, "Vertex(2)")};
constexpr const Field& kTriangleTexture = FieldNamed(format::kTriangleFields, "Texture");
constexpr const Field& kTextureAttribute = FieldNamed(format::kObjectTextureFields, "Attribute");
constexpr const Field& kTextureTile = FieldNamed(format::kObjectTextureFields, "Tile Index");
constexpr const Field& kTextureX = FieldNamed(format::kObjectTextureFields, "X coordinate");
constexpr const Field& kTextureXPixel = FieldNamed(format::kObjectTextureFields, "XPixel");
constexpr const Field& kTextureY = FieldNamed(format::kObjectTextureFields, "Y coordinate");
constexpr const Field& kTextureYPixel = FieldNamed(format::kObjectTextureFields, "YPixel");
constexpr const Field& kDoorNormalX = FieldNamed(format::kDoorFields, "Normal.x");
constexpr const Field& kDoorNormalY = FieldNamed(format::kDoorFields, "Normal.y");
constexpr const Field& kDoorNormalZ = FieldNamed(format::kDoorFields, "Normal.z");
constexpr const Field& kItemRoom = FieldNamed(format::kItemFields, "Room");
constexpr const Field& kItemX = FieldNamed(format::kItemFields, "x");
constexpr const Field& kItemY = FieldNamed(format::kItemFields, "y");
constexpr const Field& kItemZ = FieldNamed(format::kItemFields, "z");
constexpr const Field& kCameraRoom = FieldNamed(format::kCameraFields, "Room");
constexpr const Field& kCameraX = FieldNamed(format::kCameraFields, "x");
constexpr const Field& kCameraY = FieldNamed(format::kCameraFields, "y");
constexpr const Field& kCameraZ = FieldNamed(format::kCameraFields, "z");

constexpr int32_t kObjectTextureBytes = format::kObjectTextureDM2.Size;
static_assert(format::kObjectTextureDM3.Size == kObjectTextureBytes);
constexpr int64_t kTextureNumberBits = 0x7FFF; // the low 15 bits of a Texture or Tile Index field
constexpr int64_t kDoubleSidedBit = 0x8000;

// The bytes of [first, end) that the file holds.
int64_t Usable(const LevelFile& level, int64_t first, int64_t end) {
    return std::max<int64_t>(0, std::min<int64_t>(end, level.Size()) - first);
}

// The records of a list part whose count field stands at its first byte: its count, bounded by the
// whole records its bytes and the file hold.
int32_t RecordsOf(const LevelFile& level, const Span& s, int32_t recordBytes) {
    const int64_t held = Usable(level, int64_t{s.First} + s.CountWidth, s.End) / recordBytes;
    return static_cast<int32_t>(std::clamp<int64_t>(s.Count, 0, held));
}

int64_t Stored(const LevelFile& level, const Field& f, int64_t at, int rep = 0) {
    return StoredValue(level, f, at, rep);
}

std::array<float, 3> FileToScene(int64_t x, int64_t y, int64_t z) {
    return {static_cast<float>(x), static_cast<float>(-y), static_cast<float>(-z)};
}

// The bounds of corners; none at all give zeros.
class Bounds {
  public:
    void Add(const Corner& c) {
        min_ = {std::min(min_[0], c.X), std::min(min_[1], c.Y), std::min(min_[2], c.Z)};
        max_ = {std::max(max_[0], c.X), std::max(max_[1], c.Y), std::max(max_[2], c.Z)};
    }
    void Add(const Bounds& b) {
        for (size_t i = 0; i < 3; ++i) {
            min_[i] = std::min(min_[i], b.min_[i]);
            max_[i] = std::max(max_[i], b.max_[i]);
        }
    }
    void Into(std::array<float, 3>& min, std::array<float, 3>& max) const {
        const bool none = min_[0] > max_[0];
        min = none ? std::array<float, 3>{} : min_;
        max = none ? std::array<float, 3>{} : max_;
    }

  private:
    static constexpr float kFar = std::numeric_limits<float>::max();
    std::array<float, 3> min_{kFar, kFar, kFar}, max_{-kFar, -kFar, -kFar};
};

// The bytes of the lists a scene turns into triangles, portals and markers, over every room: at most the
// file's size. A walk that a negative count sent back over the same bytes reads them again for every
// room it walks there; the scene takes them once, not once a room.
class ListBudget {
  public:
    explicit ListBudget(int64_t bytes) : left_(bytes) {}
    // The records of n that the budget still holds, taken from it.
    int32_t Take(int32_t n, int32_t recordBytes) {
        const auto taken = static_cast<int32_t>(std::min<int64_t>(n, left_ / recordBytes));
        left_ -= int64_t{taken} * recordBytes;
        return taken;
    }

  private:
    int64_t left_;
};

// A room's part spans, read into its scene room and its sources. False where its header is not all there.
bool ReadRoom(const WalkMap& map, const LevelFile& level, int32_t span, ListBudget& budget, SceneRoom& room,
              RoomSource& source) {
    room.Number = map[span].Index;
    room.Span = span;
    bool header = false;
    const auto listAt = [](const Span& s) { return s.First + s.CountWidth; };
    for (int32_t part : map.Children(span)) {
        const Span& s = map[part];
        switch (s.What) {
        case Piece::RoomHeader:
            if (Usable(level, s.First, s.End) < format::kRoomHeader.Size)
                return false;
            header = true;
            room.X = static_cast<int32_t>(Stored(level, format::kRoomX, s.First));
            room.Z = static_cast<int32_t>(Stored(level, format::kRoomZ, s.First));
            break;
        case Piece::RoomMeshes:
            for (int32_t list : map.Children(part)) {
                const Span& l = map[list];
                if (l.What == Piece::Vertices) {
                    room.Vertices = RecordsOf(level, l, format::kVertex.Size);
                    source.VerticesAt = listAt(l);
                } else if (l.What == Piece::Rectangles) {
                    room.Rectangles =
                        budget.Take(RecordsOf(level, l, format::kRectangle.Size), format::kRectangle.Size);
                    source.RectanglesAt = listAt(l);
                } else if (l.What == Piece::Triangles) {
                    room.Faces3 =
                        budget.Take(RecordsOf(level, l, format::kTriangle.Size), format::kTriangle.Size);
                    source.TrianglesAt = listAt(l);
                }
            }
            break;
        case Piece::Doors:
            source.Doors = budget.Take(RecordsOf(level, s, format::kDoor.Size), format::kDoor.Size);
            source.DoorsAt = listAt(s);
            break;
        case Piece::Lights:
            source.Lights = budget.Take(RecordsOf(level, s, format::kLight.Size), format::kLight.Size);
            source.LightsAt = listAt(s);
            break;
        case Piece::RoomStaticMeshes:
            source.StaticMeshes =
                budget.Take(RecordsOf(level, s, format::kRoomStaticMesh.Size), format::kRoomStaticMesh.Size);
            source.StaticMeshesAt = listAt(s);
            break;
        default:
            break;
        }
    }
    return header;
}

// The level-wide markers of a chunk (items, cameras), each in the room its Room field names.
void AddLevelMarkers(const WalkMap& map, const LevelFile& level, Piece what, const format::Record& record,
                     const Field& roomField, const std::array<const Field*, 3>& xyz, MarkerKind kind,
                     bool everyRoom, Scene& scene) {
    const int32_t chunk = map.Find(what);
    if (chunk < 0)
        return;
    const Span& s = map[chunk];
    const int32_t n = RecordsOf(level, s, record.Size);
    const int64_t first = int64_t{s.First} + s.CountWidth;
    for (int32_t i = 0; i < n; ++i) {
        const int64_t at = first + int64_t{i} * record.Size;
        const int32_t room = scene.IndexOfRoom(static_cast<int32_t>(Stored(level, roomField, at)));
        if (room < 0 && !everyRoom)
            continue;
        scene.Markers.push_back(
            {.Kind = kind,
             .Position = FileToScene(Stored(level, *xyz[0], at), Stored(level, *xyz[1], at),
                                     Stored(level, *xyz[2], at)),
             .Room = room,
             .Index = i,
             .RecordAt = static_cast<int32_t>(at)});
    }
}

// The markers of a room's own list (lights, static meshes), in world units.
void AddRoomMarkers(const LevelFile& level, int32_t room, int32_t n, int32_t first,
                    const format::Record& record, const std::array<const Field*, 3>& xyz, MarkerKind kind,
                    Scene& scene) {
    for (int32_t i = 0; i < n; ++i) {
        const int64_t at = int64_t{first} + int64_t{i} * record.Size;
        scene.Markers.push_back(
            {.Kind = kind,
             .Position = FileToScene(Stored(level, *xyz[0], at), Stored(level, *xyz[1], at),
                                     Stored(level, *xyz[2], at)),
             .Room = room,
             .Index = i,
             .RecordAt = static_cast<int32_t>(at)});
    }
}

// A field of a record that the file holds whole, read straight from its bytes: the lists a scene reads
// are bounded by the file, so none of their bytes lies outside it.
[[gnu::always_inline]] inline int64_t Held(const uint8_t* record, const Field& f, int rep = 0) {
    const uint8_t* p = record + f.Offset + rep * f.Stride;
    switch (f.Type) {
    case format::Width::U8:
        return p[0];
    case format::Width::S16:
        return static_cast<int16_t>(p[0] | (p[1] << 8));
    case format::Width::U16:
        return static_cast<uint16_t>(p[0] | (p[1] << 8));
    case format::Width::S32:
    case format::Width::U32: {
        const uint32_t v = static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
                           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
        return f.Type == format::Width::S32 ? int64_t{static_cast<int32_t>(v)} : int64_t{v};
    }
    case format::Width::None:
        break;
    }
    return 0;
}

// Reads the faces of one room. Corners that name nothing read as the room's origin, U and V as 0.
class FaceReader {
  public:
    FaceReader(const SceneLevel& level, int32_t room)
        : bytes_(level.Level->Bytes().data()), scene_(level.Base),
          room_(scene_.Rooms[static_cast<size_t>(room)]),
          vertices_(bytes_ + level.Sources[static_cast<size_t>(room)].VerticesAt),
          textures_(bytes_ + level.ObjectTexturesAt), index_(room) {}

    // One face of N corners (3 or 4) whose record stands at `at` and whose vertex fields and Texture
    // field are given; appends its triangles counter-clockwise seen from the front, and returns whether
    // it is invalid.
    template <size_t N>
    bool Face(FaceKind kind, int32_t number, int64_t at, const std::array<const Field*, N>& vertexFields,
              const Field& textureField, std::vector<Triangle>& out) const {
        const uint8_t* record = bytes_ + at;
        std::array<Corner, N> corners{};
        bool invalid = false;
        for (size_t k = 0; k < N; ++k)
            invalid |= !Vertex(Held(record, *vertexFields[k]), corners[k]);

        Triangle t;
        t.Room = index_;
        t.Face = number;
        t.RecordAt = static_cast<int32_t>(at);
        t.Kind = kind;
        const int64_t texture = Held(record, textureField);
        if ((texture & kDoubleSidedBit) != 0)
            t.Flags |= Triangle::DoubleSided;
        const int64_t number15 = texture & kTextureNumberBits;
        if (number15 < scene_.ObjectTextures) {
            t.ObjectTexture = static_cast<int32_t>(number15);
            const uint8_t* objectTexture = textures_ + number15 * kObjectTextureBytes;
            t.Attribute = static_cast<int16_t>(Held(objectTexture, kTextureAttribute));
            const int64_t tile = Held(objectTexture, kTextureTile) & kTextureNumberBits;
            if (tile < scene_.TileCount)
                t.Tile = static_cast<int32_t>(tile);
            else
                invalid = true;
            constexpr float kSubPixel = 1.0f / 256.0f, kPerPixel = 1.0f / static_cast<float>(kTileSide);
            for (size_t k = 0; k < N; ++k) {
                const int rep = static_cast<int>(k);
                corners[k].U = (static_cast<float>(Held(objectTexture, kTextureXPixel, rep)) +
                                static_cast<float>(Held(objectTexture, kTextureX, rep)) * kSubPixel) *
                               kPerPixel;
                corners[k].V = (static_cast<float>(Held(objectTexture, kTextureYPixel, rep)) +
                                static_cast<float>(Held(objectTexture, kTextureY, rep)) * kSubPixel) *
                               kPerPixel;
            }
        } else {
            invalid = true;
        }
        if (invalid)
            t.Flags |= Triangle::Invalid;

        // The file's corners run clockwise seen from the front: each triangle is given backwards.
        t.Corners = {corners[0], corners[2], corners[1]};
        out.push_back(t);
        if constexpr (N == 4) {
            t.Corners = {corners[0], corners[3], corners[2]};
            out.push_back(t);
        }
        return invalid;
    }

  private:
    bool Vertex(int64_t index, Corner& c) const {
        int64_t x = 0, y = 0, z = 0;
        const bool there = index >= 0 && index < room_.Vertices;
        if (there) {
            const uint8_t* vertex = vertices_ + index * format::kVertex.Size;
            x = Held(vertex, kVertexX);
            y = Held(vertex, kVertexY);
            z = Held(vertex, kVertexZ);
        }
        const std::array<float, 3> p = FileToScene(room_.X + x, y, room_.Z + z);
        c.X = p[0];
        c.Y = p[1];
        c.Z = p[2];
        return there;
    }

    const uint8_t* bytes_;
    const Scene& scene_;
    const SceneRoom& room_;
    const uint8_t* vertices_;
    const uint8_t* textures_;
    int32_t index_;
};

// Asks the system to back a large list's memory, not yet touched, with large pages: filling it then
// takes one page fault every 2 MB rather than every 4 KB, which is most of the time of filling fresh
// memory on a machine whose page faults are dear (a virtual machine's). Only advice: nothing changes
// where the system does not take it.
template <class T> void AdviseLargePages(std::vector<T>& list) {
#ifdef MADV_HUGEPAGE
    constexpr uintptr_t kLargePage = uintptr_t{2} << 20;
    const auto first = reinterpret_cast<uintptr_t>(list.data());
    const uintptr_t end = first + list.capacity() * sizeof(T);
    const uintptr_t from = (first + kLargePage - 1) & ~(kLargePage - 1);
    if (end >= from + kLargePage)
        ::madvise(reinterpret_cast<void*>(from), (end - from) & ~(kLargePage - 1), MADV_HUGEPAGE);
#else
    (void)list;
#endif
}

} // namespace

int32_t Scene::IndexOfRoom(int32_t number) const {
    // Rooms stand in walk order, which is the order of their numbers.
    if (number >= 0 && number < static_cast<int32_t>(Rooms.size()) &&
        Rooms[static_cast<size_t>(number)].Number == number)
        return number;
    const auto it = std::lower_bound(Rooms.begin(), Rooms.end(), number,
                                     [](const SceneRoom& r, int32_t n) { return r.Number < n; });
    return it != Rooms.end() && it->Number == number ? static_cast<int32_t>(it - Rooms.begin()) : -1;
}

std::string Scene::InvalidText() const {
    if (InvalidFaces == 0)
        return "";
    return std::to_string(InvalidFaces) + (InvalidFaces == 1 ? " face" : " faces") +
           " with invalid references";
}

bool HoldsRoomMeshes(const WalkMap& map) {
    return map.Find(Piece::Vertices) >= 0 || map.Find(Piece::RoomMeshes) < 0;
}

SceneLevel PrepareScene(const WalkMap& map, const LevelFile& level, const SceneOptions& options) {
    SceneLevel out;
    out.Map = &map;
    out.Level = &level;
    Scene& scene = out.Base;

    if (const int32_t tiles = map.Find(Piece::Tiles8); tiles >= 0) {
        const Span& s = map[tiles];
        scene.TileCount = static_cast<int32_t>(
            std::clamp<int64_t>(s.Count, 0, Usable(level, s.First, s.End) / format::kTile8Bytes));
    }
    if (const int32_t textures = map.Find(Piece::ObjectTextures); textures >= 0) {
        const Span& s = map[textures];
        scene.ObjectTextures = RecordsOf(level, s, kObjectTextureBytes);
        out.ObjectTexturesAt = s.First + s.CountWidth;
    }

    const int32_t chunk = map.Find(Piece::Rooms);
    ListBudget budget(level.Size());
    if (chunk >= 0) {
        for (int32_t span : map.Children(chunk)) {
            const Span& s = map[span];
            if (s.Kind != SpanKind::Room)
                continue;
            if (!options.Rooms.empty() &&
                std::find(options.Rooms.begin(), options.Rooms.end(), s.Index) == options.Rooms.end())
                continue;
            SceneRoom room;
            RoomSource source;
            if (!ReadRoom(map, level, span, budget, room, source))
                continue;
            scene.Rooms.push_back(std::move(room));
            out.Sources.push_back(source);
        }
    }

    // Doors and the room's markers, once every room is known, so a door names the room it leads to.
    constexpr std::array<const Field*, 3> kLightXyz{&format::kLightX, &format::kLightY, &format::kLightZ};
    constexpr std::array<const Field*, 3> kMeshXyz{&format::kRoomStaticMeshX, &format::kRoomStaticMeshY,
                                                   &format::kRoomStaticMeshZ};
    for (size_t r = 0; r < scene.Rooms.size(); ++r) {
        SceneRoom& room = scene.Rooms[r];
        const RoomSource& source = out.Sources[r];
        const auto index = static_cast<int32_t>(r);
        for (int32_t d = 0; d < source.Doors; ++d) {
            const int64_t at = int64_t{source.DoorsAt} + int64_t{d} * format::kDoor.Size;
            Portal p;
            for (int v = 0; v < format::kDoorCornerX.Repeat; ++v) {
                p.Corners[static_cast<size_t>(v)] =
                    FileToScene(room.X + Stored(level, format::kDoorCornerX, at, v),
                                Stored(level, format::kDoorCornerY, at, v),
                                room.Z + Stored(level, format::kDoorCornerZ, at, v));
            }
            p.Normal = FileToScene(Stored(level, kDoorNormalX, at), Stored(level, kDoorNormalY, at),
                                   Stored(level, kDoorNormalZ, at));
            p.Room = index;
            p.Index = d;
            p.Adjoining = static_cast<int16_t>(Stored(level, format::kDoorAdjoiningRoom, at));
            p.RecordAt = static_cast<int32_t>(at);
            scene.Portals.push_back(p);
            const int32_t next = scene.IndexOfRoom(p.Adjoining);
            if (next >= 0 &&
                std::find(room.Neighbours.begin(), room.Neighbours.end(), next) == room.Neighbours.end())
                room.Neighbours.push_back(next);
        }
        AddRoomMarkers(level, index, source.Lights, source.LightsAt, format::kLight, kLightXyz,
                       MarkerKind::Light, scene);
        AddRoomMarkers(level, index, source.StaticMeshes, source.StaticMeshesAt, format::kRoomStaticMesh,
                       kMeshXyz, MarkerKind::StaticMesh, scene);
    }
    const bool everyRoom = options.Rooms.empty();
    AddLevelMarkers(map, level, Piece::Items, format::kItem, kItemRoom, {&kItemX, &kItemY, &kItemZ},
                    MarkerKind::Item, everyRoom, scene);
    AddLevelMarkers(map, level, Piece::Cameras, format::kCamera, kCameraRoom,
                    {&kCameraX, &kCameraY, &kCameraZ}, MarkerKind::Camera, everyRoom, scene);
    return out;
}

int32_t BuildRoom(const SceneLevel& level, int32_t room, std::vector<Triangle>& out) {
    if (room < 0 || room >= static_cast<int32_t>(level.Base.Rooms.size()) || level.Level == nullptr)
        return 0;
    const SceneRoom& r = level.Base.Rooms[static_cast<size_t>(room)];
    const RoomSource& source = level.Sources[static_cast<size_t>(room)];
    const FaceReader faces(level, room);
    int32_t invalid = 0;
    for (int32_t f = 0; f < r.Rectangles; ++f) {
        const int64_t at = int64_t{source.RectanglesAt} + int64_t{f} * format::kRectangle.Size;
        invalid += faces.Face(FaceKind::Rectangle, f, at, kRectangleVertex, kRectangleTexture, out) ? 1 : 0;
    }
    for (int32_t f = 0; f < r.Faces3; ++f) {
        const int64_t at = int64_t{source.TrianglesAt} + int64_t{f} * format::kTriangle.Size;
        invalid += faces.Face(FaceKind::Triangle, f, at, kTriangleVertex, kTriangleTexture, out) ? 1 : 0;
    }
    return invalid;
}

Scene BuildScene(const WalkMap& map, const LevelFile& level, const SceneOptions& options) {
    SceneLevel prepared = PrepareScene(map, level, options);
    Scene& scene = prepared.Base;
    size_t total = 0;
    for (const SceneRoom& r : scene.Rooms)
        total += 2 * static_cast<size_t>(r.Rectangles) + static_cast<size_t>(r.Faces3);
    scene.Triangles.reserve(total);
    AdviseLargePages(scene.Triangles);

    Bounds all;
    for (size_t r = 0; r < scene.Rooms.size(); ++r) {
        const auto first = static_cast<int32_t>(scene.Triangles.size());
        scene.InvalidFaces += BuildRoom(prepared, static_cast<int32_t>(r), scene.Triangles);
        SceneRoom& room = scene.Rooms[r];
        room.FirstTriangle = first;
        room.Triangles = static_cast<int32_t>(scene.Triangles.size()) - first;
        Bounds bounds;
        for (size_t t = static_cast<size_t>(first); t < scene.Triangles.size(); ++t)
            for (const Corner& c : scene.Triangles[t].Corners)
                bounds.Add(c);
        bounds.Into(room.Min, room.Max);
        all.Add(bounds);
    }
    all.Into(scene.Min, scene.Max);
    return std::move(prepared.Base);
}

std::vector<format::Rgba> TilePixels(const WalkMap& map, const LevelFile& level, int32_t tile,
                                     TileDepth depth) {
    const bool wide = depth == TileDepth::Bits16;
    const int32_t span = map.Find(wide ? Piece::Tiles16 : Piece::Tiles8);
    if (span < 0 || tile < 0)
        return {};
    const Span& s = map[span];
    const int64_t tileBytes = wide ? format::kTile16Bytes : format::kTile8Bytes;
    const int64_t first = int64_t{s.First} + int64_t{tile} * tileBytes;
    if (tile >= s.Count || first + tileBytes > int64_t{s.First} + Usable(level, s.First, s.End))
        return {};

    std::vector<format::Rgba> pixels(static_cast<size_t>(kTileSide) * kTileSide);
    const std::span<const uint8_t> bytes =
        level.Bytes().subspan(static_cast<size_t>(first), static_cast<size_t>(tileBytes));
    if (wide) {
        for (size_t i = 0; i < pixels.size(); ++i)
            pixels[i] = format::Colour555(static_cast<uint16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8)));
    } else {
        std::array<format::Rgba, 256> palette{};
        for (int32_t i = 0; i < 256; ++i) {
            const int64_t at = format::kPalette8At + int64_t{i} * 3;
            palette[static_cast<size_t>(i)] = {.R = format::PaletteComponent(level.U8(at)),
                                               .G = format::PaletteComponent(level.U8(at + 1)),
                                               .B = format::PaletteComponent(level.U8(at + 2)),
                                               .A = static_cast<uint8_t>(i == 0 ? 0 : 255)};
        }
        for (size_t i = 0; i < pixels.size(); ++i)
            pixels[i] = palette[bytes[i]];
    }
    return pixels;
}

namespace {

using Vec = std::array<float, 3>;
Vec Sub(const Vec& a, const Vec& b) {
    return {a[0] - b[0], a[1] - b[1], a[2] - b[2]};
}
Vec Cross(const Vec& a, const Vec& b) {
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}
float Dot(const Vec& a, const Vec& b) {
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}
Vec At(const Corner& c) {
    return {c.X, c.Y, c.Z};
}

// Where the ray enters the box, or no value where it misses it (slabs).
bool EntersBox(const Ray& ray, const Vec& min, const Vec& max, float& enter) {
    float near = 0, far = std::numeric_limits<float>::max();
    for (size_t i = 0; i < 3; ++i) {
        const float o = ray.Origin[i], d = ray.Direction[i];
        if (d == 0) {
            if (o < min[i] || o > max[i])
                return false;
            continue;
        }
        float t0 = (min[i] - o) / d, t1 = (max[i] - o) / d;
        if (t0 > t1)
            std::swap(t0, t1);
        near = std::max(near, t0);
        far = std::min(far, t1);
        if (near > far)
            return false;
    }
    enter = near;
    return true;
}

// The distance along the ray where it meets the triangle, or a negative value where it does not (or
// meets a one-sided triangle from behind).
float Meets(const Ray& ray, const Triangle& t) {
    const Vec a = At(t.Corners[0]), b = At(t.Corners[1]), c = At(t.Corners[2]);
    const Vec e1 = Sub(b, a), e2 = Sub(c, a);
    const Vec p = Cross(ray.Direction, e2);
    const float det = Dot(e1, p);
    // det = -Direction . (e1 x e2): above 0 where the ray comes at the counter-clockwise side, the front.
    if (det == 0 || (det < 0 && !t.Has(Triangle::DoubleSided)))
        return -1;
    const float inv = 1.0f / det;
    const Vec s = Sub(ray.Origin, a);
    const float u = Dot(s, p) * inv;
    if (u < 0 || u > 1)
        return -1;
    const Vec q = Cross(s, e1);
    const float v = Dot(ray.Direction, q) * inv;
    if (v < 0 || u + v > 1)
        return -1;
    return Dot(e2, q) * inv;
}

} // namespace

Hit Pick(const Scene& scene, const Ray& ray, const std::vector<int32_t>& rooms, bool includeInvalid) {
    // Rooms whose bounds the ray enters, nearest first: a room entered beyond the nearest hit so far
    // cannot hold a nearer one.
    std::vector<std::pair<float, int32_t>> entered;
    const auto consider = [&](int32_t r) {
        if (r < 0 || r >= static_cast<int32_t>(scene.Rooms.size()))
            return;
        const SceneRoom& room = scene.Rooms[static_cast<size_t>(r)];
        float enter = 0;
        if (room.Triangles > 0 && EntersBox(ray, room.Min, room.Max, enter))
            entered.emplace_back(enter, r);
    };
    if (rooms.empty()) {
        for (size_t r = 0; r < scene.Rooms.size(); ++r)
            consider(static_cast<int32_t>(r));
    } else {
        for (int32_t r : rooms)
            consider(r);
    }
    std::sort(entered.begin(), entered.end());

    Hit hit;
    float best = std::numeric_limits<float>::max();
    for (const auto& [enter, r] : entered) {
        if (enter > best)
            break;
        const SceneRoom& room = scene.Rooms[static_cast<size_t>(r)];
        const auto first = static_cast<size_t>(room.FirstTriangle);
        const size_t end = std::min(first + static_cast<size_t>(room.Triangles), scene.Triangles.size());
        for (size_t i = first; i < end; ++i) {
            const Triangle& t = scene.Triangles[i];
            if (!includeInvalid && t.Has(Triangle::Invalid))
                continue;
            const float d = Meets(ray, t);
            if (d >= 0 && d < best) {
                best = d;
                hit.Triangle = static_cast<int32_t>(i);
                hit.Distance = d;
            }
        }
    }
    return hit;
}

void WalkForScene(const LevelFile& level, WalkMap& map) {
    // The walk counts its text and keeps none of it; the room meshes are listed, since only a listed
    // mesh has spans for its vertices, rectangles and triangles.
    // A walk sent back over the same bytes again and again ends at the text limit, as the report's does:
    // mesh lines take a few bytes of text a byte of the level.
    StringPane text;
    text.KeepNoText();
    DetailOptionSet options;
    options.Set(optRoomMeshes, true);
    constexpr int64_t kTextPerLevelByte = 16;
    constexpr int64_t kFixedText = int64_t{128} << 20;
    const WalkOutput output{
        .Text = text,
        .Map = map,
        .Options = options,
        .TextLimit = static_cast<size_t>(
            std::min<int64_t>(level.Size(), int64_t{1} << 40) * kTextPerLevelByte + kFixedText)};
    try {
        if (const auto generation = LevelGeneration(level)) {
            WalkLevel(output, level, *generation, format::kVersionWordBytes);
        } else {
            map.Reset(level.FileLength(), 0);
            map.Finish(WalkEnding::NotALevel, format::kVersionWordBytes, 0);
        }
    } catch (const WalkFault&) {
        // The map says where and how the walk ended.
    }
}

} // namespace scene
