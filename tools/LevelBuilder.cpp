#include "tools/LevelBuilder.h"

#include <algorithm>
#include <fstream>
#include <stdexcept>
#include <string>

namespace levelbuilder {
namespace {

// Appends little-endian fields to the file being built.
class Writer {
  public:
    std::vector<uint8_t> Bytes;
    int32_t Here() const { return static_cast<int32_t>(Bytes.size()); }
    void U8(uint8_t v) { Bytes.push_back(v); }
    void U16(uint16_t v) {
        U8(static_cast<uint8_t>(v));
        U8(static_cast<uint8_t>(v >> 8));
    }
    void S16(int32_t v) { U16(static_cast<uint16_t>(v)); }
    void U32(uint32_t v) {
        U16(static_cast<uint16_t>(v));
        U16(static_cast<uint16_t>(v >> 16));
    }
    void S32(int32_t v) { U32(static_cast<uint32_t>(v)); }
    template <size_t N> void Raw(const std::array<uint8_t, N>& bytes) {
        Bytes.insert(Bytes.end(), bytes.begin(), bytes.end());
    }
    void Zeros(size_t n) { Bytes.insert(Bytes.end(), n, 0); }
};

template <class T, class F> void WriteList(Writer& w, const List<T>& list, bool shortCount, F writeRecord) {
    if (shortCount)
        w.S16(list.CountValue());
    else
        w.S32(list.CountValue());
    for (const T& item : list.Items)
        writeRecord(item);
}

// A list of records of a kind the format describes: each record must take the described size.
template <class T, class F>
void WriteList(Writer& w, const List<T>& list, bool shortCount, const format::Record& record, F writeRecord) {
    WriteList(w, list, shortCount, [&](const T& item) {
        const int32_t start = w.Here();
        writeRecord(item);
        if (w.Here() - start != record.Size)
            throw std::logic_error("the builder wrote a " + std::string(record.Name) + " record of " +
                                   std::to_string(w.Here() - start) + " bytes");
    });
}

void WriteObjectTextures(Writer& w, const List<ObjectTexture>& list) {
    WriteList(w, list, false, format::kObjectTextureDM2, [&](const ObjectTexture& t) {
        w.S16(t.Attribute);
        w.S16(t.TileIndex);
        for (const auto& vertex : t.Vertices)
            w.Raw(vertex);
    });
}

void WriteRoom(Writer& w, const Room& room, int16_t generation, Layout::RoomParts& parts) {
    w.S32(room.Xoffset);
    w.S32(room.Zoffset);
    w.S32(room.Ybottom);
    w.S32(room.lngYtop);
    w.S32(room.MeshDataSize ? *room.MeshDataSize : room.MeshWords());
    parts.Vertices = w.Here();
    WriteList(w, room.Vertices, true, format::kVertex, [&](const Vertex& v) {
        w.S16(v.X);
        w.S16(v.Y);
        w.S16(v.Z);
        w.Raw(v.Rest);
    });
    parts.Rectangles = w.Here();
    WriteList(w, room.Rectangles, true, format::kRectangle, [&](const Rectangle& r) {
        for (int16_t v : r.Vertex)
            w.S16(v);
        w.S16(r.Texture);
    });
    parts.Triangles = w.Here();
    WriteList(w, room.Triangles, true, format::kTriangle, [&](const Triangle& t) {
        for (int16_t v : t.Vertex)
            w.S16(v);
        w.S16(t.Texture);
    });
    parts.Sprites = w.Here();
    WriteList(w, room.Sprites, true, format::kRoomSprite, [&](const RoomSprite& s) {
        w.S16(s.Vertex);
        w.S16(s.Texture);
    });
    parts.Doors = w.Here();
    WriteList(w, room.Doors, true, format::kDoor, [&](const Door& d) {
        w.S16(d.AdjoiningRoom);
        for (int16_t n : d.Normal)
            w.S16(n);
        for (const auto& vertex : d.Vertices)
            for (int16_t c : vertex)
                w.S16(c);
    });
    parts.Sectors = w.Here();
    w.S16(room.ZSectors);
    w.S16(room.XSectors);
    for (const Sector& s : room.Sectors) {
        w.S16(s.FDIndex);
        w.S16(s.BoxIndex);
        w.U8(s.RoomBelow);
        w.U8(s.Floor);
        w.U8(s.RoomAbove);
        w.U8(s.Ceiling);
    }
    w.S16(room.Intensity1);
    w.S16(room.Intensity2);
    if (generation != 3)
        w.S16(room.LightMode);
    parts.Lights = w.Here();
    WriteList(w, room.Lights, true, format::kLight, [&](const Light& l) {
        w.S32(l.X);
        w.S32(l.Y);
        w.S32(l.Z);
        w.S16(l.Intensity1);
        w.S16(l.Intensity2);
        w.S32(l.Fade1);
        w.S32(l.Fade2);
    });
    parts.StaticMeshes = w.Here();
    WriteList(w, room.StaticMeshes, true, format::kRoomStaticMesh, [&](const RoomStaticMesh& m) {
        w.S32(m.X);
        w.S32(m.Y);
        w.S32(m.Z);
        w.S16(m.Rotation);
        w.S16(m.Intensity1);
        w.S16(m.Intensity2);
        w.S16(m.ObjectID);
    });
    parts.AlternateRoom = w.Here();
    w.S16(room.AlternateRoom);
    w.S16(room.Flags);
    if (generation == 3)
        w.Raw(room.Colour);
}

} // namespace

Tile16 Tile16From8(const Tile8& tile, const std::array<uint8_t, 768>& palette8) {
    Tile16 words(tile.size());
    for (size_t i = 0; i < tile.size(); ++i) {
        const size_t at = 3 * size_t{tile[i]};
        const auto five = [&](size_t k) { return static_cast<uint16_t>((palette8[at + k] & 63) >> 1); };
        const uint16_t alpha = tile[i] == 0 ? 0 : 0x8000;
        words[i] = static_cast<uint16_t>(alpha | five(0) << 10 | five(1) << 5 | five(2));
    }
    return words;
}

int32_t Room::MeshWords() const {
    const size_t bytes = 8 + 12 * Vertices.Items.size() + 10 * Rectangles.Items.size() +
                         8 * Triangles.Items.size() + 4 * Sprites.Items.size();
    return static_cast<int32_t>(bytes / 2);
}

std::vector<uint8_t> Build(const Level& level) {
    Layout layout;
    return Build(level, layout);
}

std::vector<uint8_t> Build(const Level& level, Layout& layout) {
    Writer w;
    const bool dm3 = level.Generation == 3;
    w.U32(level.VersionWord ? *level.VersionWord : (dm3 ? kVersionDM3 : kVersionDM2));
    w.Raw(level.Palette8);
    w.Raw(level.Palette16);

    // Texture tiles: the count, the 8-bit tiles, as many 16-bit tiles (zeros where not given), the
    // skipped field.
    w.S32(level.Tiles.CountValue());
    for (const Tile8& tile : level.Tiles.Items) {
        const size_t used = std::min<size_t>(tile.size(), 65536);
        w.Bytes.insert(w.Bytes.end(), tile.begin(), tile.begin() + static_cast<std::ptrdiff_t>(used));
        w.Zeros(65536 - used);
    }
    for (size_t t = 0; t < level.Tiles.Items.size(); ++t) {
        const Tile16 none;
        const Tile16& tile = t < level.Tiles16.size() ? level.Tiles16[t] : none;
        const size_t used = std::min<size_t>(tile.size(), 65536);
        for (size_t i = 0; i < used; ++i)
            w.U16(tile[i]);
        w.Zeros(2 * (65536 - used));
    }
    w.U32(level.AfterTiles);

    layout.RoomCount = w.Here();
    w.S16(level.Rooms.CountValue());
    layout.Rooms.clear();
    layout.Parts.clear();
    for (const Room& room : level.Rooms.Items) {
        layout.Rooms.push_back(w.Here());
        WriteRoom(w, room, level.Generation, layout.Parts.emplace_back());
    }

    layout.FloorData = w.Here();
    WriteList(w, level.FloorData, false, format::kFloorWord, [&](uint16_t v) { w.U16(v); });
    layout.MeshData = w.Here();
    WriteList(w, level.MeshData, false, [&](uint16_t v) { w.U16(v); });
    layout.MeshPointers = w.Here();
    WriteList(w, level.MeshPointers, false, format::kMeshPointer, [&](int32_t v) { w.S32(v); });

    layout.Animations = w.Here();
    WriteList(w, level.Animations, false, format::kAnimation, [&](const Animation& a) {
        w.U32(a.FrameOffset);
        w.U8(a.FrameRate);
        w.U8(a.FrameSize);
        w.U16(a.StateID);
        w.U8(a.Unknown2);
        for (uint16_t v : {a.FrameStart, a.FrameEnd, a.NextAnimation, a.NextFrame, a.NumStateChanges,
                           a.StateChangeOffset, a.NumAnimCommands, a.AnimCommand})
            w.U16(v);
        w.Raw(a.Tail);
    });
    layout.StateChanges = w.Here();
    WriteList(w, level.StateChanges, false, format::kStateChange, [&](const StateChange& s) {
        w.S16(s.StateID);
        w.S16(s.NumAnimDispatches);
        w.S16(s.AnimDispatch);
    });
    layout.AnimDispatches = w.Here();
    WriteList(w, level.AnimDispatches, false, format::kAnimDispatch, [&](const AnimDispatch& d) {
        w.S16(d.Low);
        w.S16(d.High);
        w.S16(d.NextAnimation);
        w.S16(d.NextFrame);
    });
    layout.AnimCommands = w.Here();
    WriteList(w, level.AnimCommands, false, format::kAnimCommand, [&](int16_t v) { w.S16(v); });
    layout.MeshTrees = w.Here();
    WriteList(w, level.MeshTrees, false, [&](int32_t v) { w.S32(v); });
    layout.Frames = w.Here();
    WriteList(w, level.Frames, false, [&](uint16_t v) { w.U16(v); });
    layout.Moveables = w.Here();
    WriteList(w, level.Moveables, false, format::kMoveable, [&](const Moveable& m) {
        w.S32(m.ObjectID);
        w.S16(m.NumMeshes);
        w.S16(m.StartingMesh);
        w.S32(m.MeshTree);
        w.S32(m.FrameOffset);
        w.S16(m.Animation);
    });

    layout.StaticMeshes = w.Here();
    WriteList(w, level.StaticMeshes, false, format::kStaticMesh, [&](const StaticMesh& m) {
        w.S32(m.ObjectID);
        w.S16(m.Mesh);
        for (const auto& corner : m.Corners)
            for (int16_t c : corner)
                w.S16(c);
        w.U16(m.Flag);
    });
    if (!dm3) {
        layout.ObjectTextures = w.Here();
        WriteObjectTextures(w, level.ObjectTextures);
    }
    layout.SpriteTextures = w.Here();
    WriteList(w, level.SpriteTextures, false, format::kSpriteTexture, [&](const SpriteTexture& s) {
        w.S16(s.Tile);
        w.U8(s.X);
        w.U8(s.Y);
        for (int16_t v : {s.Width, s.Height, s.LeftSide, s.TopSide, s.RightSide, s.BottomSide})
            w.S16(v);
    });
    layout.SpriteSequences = w.Here();
    WriteList(w, level.SpriteSequences, false, format::kSpriteSequence, [&](const SpriteSequence& s) {
        w.S32(s.ObjectId);
        w.S16(s.NegativeLength);
        w.S16(s.Offset);
    });

    layout.Cameras = w.Here();
    WriteList(w, level.Cameras, false, format::kCamera, [&](const Camera& c) {
        w.S32(c.X);
        w.S32(c.Y);
        w.S32(c.Z);
        w.S16(c.Room);
        w.S16(c.Unknown);
    });
    layout.SoundSources = w.Here();
    WriteList(w, level.SoundSources, false, format::kSoundSource, [&](const SoundSource& s) {
        w.S32(s.X);
        w.S32(s.Y);
        w.S32(s.Z);
        w.S16(s.SoundID);
        w.S16(s.Flags);
    });
    layout.Boxes = w.Here();
    WriteList(w, level.Boxes, false, format::kBox, [&](const Box& b) {
        w.U8(b.Zmin);
        w.U8(b.Zmax);
        w.U8(b.Xmin);
        w.U8(b.Xmax);
        w.U16(b.TrueFloor);
        w.U16(b.OverlapIndex);
    });
    layout.Overlaps = w.Here();
    WriteList(w, level.Overlaps, false, format::kOverlap, [&](uint16_t v) { w.U16(v); });
    layout.Zones = w.Here();
    const int32_t zoneBlocks =
        level.ZoneBlocks ? *level.ZoneBlocks : static_cast<int32_t>(level.Boxes.Items.size());
    for (int32_t i = 0; i < zoneBlocks; ++i) {
        const Zone zone =
            static_cast<size_t>(i) < level.Zones.size() ? level.Zones[static_cast<size_t>(i)] : Zone{};
        w.S16(zone.ZoneID);
        w.Raw(zone.Rest);
    }
    layout.AnimatedTextures = w.Here();
    WriteList(w, level.AnimatedTextures, false, format::kAnimatedTexture, [&](int16_t v) { w.S16(v); });
    if (dm3) {
        layout.ObjectTextures = w.Here();
        WriteObjectTextures(w, level.ObjectTextures);
    }

    layout.Items = w.Here();
    WriteList(w, level.Items, false, format::kItem, [&](const Item& it) {
        w.S16(it.ObjectID);
        w.S16(it.Room);
        w.S32(it.X);
        w.S32(it.Y);
        w.S32(it.Z);
        w.S16(it.Angle);
        w.S16(it.Intensity1);
        w.S16(it.Intensity2);
        w.S16(it.Flags);
    });
    layout.LightMap = w.Here();
    w.Raw(level.LightMap);
    layout.CinematicFrames = w.Here();
    WriteList(w, level.CinematicFrames, true, format::kCinematicFrame, [&](const CinematicFrame& f) {
        for (int16_t v : {f.rotY, f.rotZ, f.rotZ2, f.posZ, f.posY, f.posX, f.unknown, f.rotX})
            w.S16(v);
    });
    layout.DemoData = w.Here();
    WriteList(w, level.DemoData, true, format::kDemoData, [&](uint8_t v) { w.U8(v); });
    layout.SoundMap = w.Here();
    for (int16_t v : level.SoundMap)
        w.S16(v);
    layout.SoundDetails = w.Here();
    w.S16(level.SoundDetails.CountValue());
    w.U16(level.SoundDetailsHighWord);
    for (const SoundDetail& d : level.SoundDetails.Items) {
        w.S16(d.Sample);
        w.S16(d.Volume);
        w.S16(d.Unknown1);
        w.S16(d.Unknown2);
    }
    layout.SampleIndices = w.Here();
    WriteList(w, level.SampleIndices, false, format::kSampleIndex, [&](int32_t v) { w.S32(v); });
    layout.End = w.Here();
    w.Bytes.insert(w.Bytes.end(), level.Trailing.begin(), level.Trailing.end());
    return std::move(w.Bytes);
}

bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

} // namespace levelbuilder
