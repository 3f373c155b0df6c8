// Counts of -1, 0, 32767, 32768 and 0x7FFFFFFF in every chunk and every room list, with every option set:
// each walk completes or ends with an overflow, keeps the lines before the damaged chunk exactly as the
// undamaged file has them, and reports the count as the file holds it.
#include <gtest/gtest.h>

#include <cctype>
#include <functional>

#include "engine/ReportRun.h"
#include "engine/ReportText.h"
#include "hardening/HardeningSupport.h"

using namespace hardening;
using levelbuilder::Layout;
using levelbuilder::Level;

namespace {

// One count field: how to set it in a level, where it stands (nullptr: inside the first room, which has
// no layout entry of its own), and its width in bytes (a 2-byte count is the low 16 bits of the value).
struct CountField {
    const char* Name;
    std::function<void(Level&, int32_t)> Set;
    int32_t Layout::*At;
    int Width;
};

template <class T> std::function<void(Level&, int32_t)> Chunk(levelbuilder::List<T> Level::*list) {
    return [list](Level& l, int32_t n) { (l.*list).Count = n; };
}
template <class T>
std::function<void(Level&, int32_t)> RoomList(levelbuilder::List<T> levelbuilder::Room::*list) {
    return [list](Level& l, int32_t n) { (l.Rooms.Items.at(0).*list).Count = n; };
}

std::vector<CountField> CountFields() {
    using R = levelbuilder::Room;
    return {
        {"texture tiles", Chunk(&Level::Tiles), nullptr, 4},
        {"rooms", Chunk(&Level::Rooms), &Layout::RoomCount, 2},
        {"room mesh data size", [](Level& l, int32_t n) { l.Rooms.Items.at(0).MeshDataSize = n; }, nullptr,
         4},
        {"room vertices", RoomList(&R::Vertices), nullptr, 2},
        {"room rectangles", RoomList(&R::Rectangles), nullptr, 2},
        {"room triangles", RoomList(&R::Triangles), nullptr, 2},
        {"room sprites", RoomList(&R::Sprites), nullptr, 2},
        {"room doors", RoomList(&R::Doors), nullptr, 2},
        {"room Z sectors",
         [](Level& l, int32_t n) { l.Rooms.Items.at(0).ZSectors = static_cast<int16_t>(n); }, nullptr, 2},
        {"room X sectors",
         [](Level& l, int32_t n) { l.Rooms.Items.at(0).XSectors = static_cast<int16_t>(n); }, nullptr, 2},
        {"room lights", RoomList(&R::Lights), nullptr, 2},
        {"room static meshes", RoomList(&R::StaticMeshes), nullptr, 2},
        {"floor data", Chunk(&Level::FloorData), &Layout::FloorData, 4},
        {"mesh data", Chunk(&Level::MeshData), &Layout::MeshData, 4},
        {"mesh pointers", Chunk(&Level::MeshPointers), &Layout::MeshPointers, 4},
        {"animations", Chunk(&Level::Animations), &Layout::Animations, 4},
        {"state changes", Chunk(&Level::StateChanges), &Layout::StateChanges, 4},
        {"anim dispatches", Chunk(&Level::AnimDispatches), &Layout::AnimDispatches, 4},
        {"anim commands", Chunk(&Level::AnimCommands), &Layout::AnimCommands, 4},
        {"mesh trees", Chunk(&Level::MeshTrees), &Layout::MeshTrees, 4},
        {"frames", Chunk(&Level::Frames), &Layout::Frames, 4},
        {"moveables", Chunk(&Level::Moveables), &Layout::Moveables, 4},
        {"static meshes", Chunk(&Level::StaticMeshes), &Layout::StaticMeshes, 4},
        {"object textures", Chunk(&Level::ObjectTextures), &Layout::ObjectTextures, 4},
        {"sprite textures", Chunk(&Level::SpriteTextures), &Layout::SpriteTextures, 4},
        {"sprite sequences", Chunk(&Level::SpriteSequences), &Layout::SpriteSequences, 4},
        {"cameras", Chunk(&Level::Cameras), &Layout::Cameras, 4},
        {"sound sources", Chunk(&Level::SoundSources), &Layout::SoundSources, 4},
        {"boxes (and the zones they count)", Chunk(&Level::Boxes), &Layout::Boxes, 4},
        {"overlaps", Chunk(&Level::Overlaps), &Layout::Overlaps, 4},
        {"animated textures", Chunk(&Level::AnimatedTextures), &Layout::AnimatedTextures, 4},
        {"items", Chunk(&Level::Items), &Layout::Items, 4},
        {"cinematic frames", Chunk(&Level::CinematicFrames), &Layout::CinematicFrames, 2},
        {"demo data", Chunk(&Level::DemoData), &Layout::DemoData, 2},
        {"sound details", Chunk(&Level::SoundDetails), &Layout::SoundDetails, 2},
        {"sample indices", Chunk(&Level::SampleIndices), &Layout::SampleIndices, 4},
    };
}

constexpr int32_t kHostileCounts[] = {-1, 0, 32767, 32768, 0x7FFFFFFF};

void WalkEveryHostileCount(int16_t generation) {
    const TempDir tiles;
    const std::vector<OptionSet> sets = OptionSets();
    levelbuilder::Layout layout;
    const std::vector<uint8_t> sound = levelbuilder::Build(SmallLevel(generation), layout);
    std::vector<std::string> undamaged;
    for (const OptionSet& set : sets)
        undamaged.push_back(WalkBytes(sound, generation, set.Options, tiles).Report);

    for (const CountField& field : CountFields()) {
        for (int32_t count : kHostileCounts) {
            Level level = SmallLevel(generation);
            field.Set(level, count);
            const std::vector<uint8_t> bytes = levelbuilder::Build(level);
            const int32_t asRead = field.Width == 2 ? static_cast<int16_t>(count) : count;
            for (size_t s = 0; s < sets.size(); ++s) {
                SCOPED_TRACE(std::string(field.Name) + " = " + std::to_string(count) + ", options " +
                             sets[s].Name);
                const WalkEnd end = WalkBytes(bytes, generation, sets[s].Options, tiles);
                ASSERT_TRUE(end.Completed || end.Fault == kOverflowFault) << "fault " << end.Fault;
                ASSERT_FALSE(end.Report.ends_with("\n"));
                if (!field.At)
                    continue;
                // Nothing before the count changes. A 32-bit count of 0x7FFFFFFF overflows its chunk's
                // size at once: the walk stops at the count, before the chunk's separator.
                const int32_t at = layout.*field.At;
                const std::string_view before = TextBeforeLine(undamaged[s], At(at));
                ASSERT_LT(before.size(), undamaged[s].size());
                if (count == 0x7FFFFFFF && field.Width == 4) {
                    EXPECT_EQ(end.Fault, kOverflowFault);
                    EXPECT_EQ(end.Offset, at);
                    EXPECT_EQ(end.Report + "\r\n" + std::string(kSeparatorLine), before);
                    continue;
                }
                ASSERT_TRUE(std::string_view(end.Report).starts_with(before));
                // The count is shown as the file holds it.
                const std::string summary = "\r\n" + At(at) + std::to_string(asRead);
                EXPECT_EQ(end.Report.compare(before.size(), summary.size(), summary), 0)
                    << end.Report.substr(before.size(), 80);
                EXPECT_FALSE(
                    std::isdigit(static_cast<unsigned char>(end.Report[before.size() + summary.size()])));
            }
        }
    }
}

} // namespace

TEST(HostileCounts, EveryChunkOfADM2Level) {
    WalkEveryHostileCount(2);
}

TEST(HostileCounts, EveryChunkOfADM3Level) {
    WalkEveryHostileCount(3);
}

// Tile counts at the edges of the 16-bit tile size: 16383 tiles still fit (the export writes the one tile
// that starts inside the file, then the walk overflows stepping over them), 16384 overflow before any
// export, and -16384 fit as negative sizes (nothing to export) but step the walk out of range.
TEST(HostileCounts, TileCountsAtTheEdgesOfTheirRange) {
    struct Case {
        int32_t Count;
        int32_t StopOffset;
        bool Exported;
    };
    const Case cases[] = {
        {16383, 1800 + 16383 * 65536, true}, {16384, 1796, false}, {-16384, 1800 - 16384 * 65536, false}};
    for (const Case& c : cases) {
        for (const OptionSet& set : OptionSets()) {
            SCOPED_TRACE(std::to_string(c.Count) + " tiles, options " + set.Name);
            TempDir dir;
            Level level = SmallLevel(2);
            level.Tiles.Count = c.Count;
            const std::string path = dir.Write("level.dm2", levelbuilder::Build(level));
            AppState state;
            state.DetailOptions = set.Options;
            state.TileFolderOverride = dir.Path() / "tiles";
            EXPECT_EQ(ReportLevelFile(state, path), kOverflowFault);
            EXPECT_EQ(state.LastRun.StopOffset, c.StopOffset);
            EXPECT_NE(state.Report.Str().find("\r\n0x704,1796," + std::to_string(c.Count) + ",Texture Tiles"),
                      std::string::npos);
            const bool tilesOn = set.Options.On(optTextureTiles);
            if (c.Exported && tilesOn) {
                EXPECT_EQ(state.TextureTileCount, c.Count);
                std::vector<std::string> names;
                for (const auto& entry : std::filesystem::directory_iterator(dir.Path() / "tiles"))
                    names.push_back(entry.path().filename().string());
                EXPECT_EQ(names, std::vector<std::string>{"Tile_1.bmp"});
            } else {
                EXPECT_FALSE(std::filesystem::exists(dir.Path() / "tiles"));
            }
        }
    }
}
