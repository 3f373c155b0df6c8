// Every prefix of a small DM2 and DM3 level, walked from memory: each cut ends as a completed walk or
// as an overflow, and the lines of every chunk that lies wholly before the cut are exactly those of
// the whole file.
#include <gtest/gtest.h>

#include <algorithm>

#include "hardening/HardeningSupport.h"

using namespace hardening;

namespace {

// The count fields of the chunks, in file order, and the first byte of each room: a chunk or room that
// starts at boundary b and ends at the next one is wholly inside any prefix that reaches that one.
std::vector<int32_t> Boundaries(const levelbuilder::Layout& l) {
    std::vector<int32_t> b{l.RoomCount};
    b.insert(b.end(), l.Rooms.begin(), l.Rooms.end());
    for (int32_t at : {l.FloorData,      l.MeshData,        l.MeshPointers,    l.Animations,
                       l.StateChanges,   l.AnimDispatches,  l.AnimCommands,    l.MeshTrees,
                       l.Frames,         l.Moveables,       l.StaticMeshes,    l.ObjectTextures,
                       l.SpriteTextures, l.SpriteSequences, l.Cameras,         l.SoundSources,
                       l.Boxes,          l.Overlaps,        l.Zones,           l.AnimatedTextures,
                       l.Items,          l.LightMap,        l.CinematicFrames, l.DemoData,
                       l.SoundMap,       l.SoundDetails,    l.SampleIndices,   l.End})
        b.push_back(at);
    std::sort(b.begin(), b.end());
    return b;
}

// Offset of the tile count: the two palettes lie wholly before it.
constexpr size_t kPalettesEnd = 1796;

void WalkEveryPrefix(int16_t generation) {
    levelbuilder::Layout layout;
    const std::vector<uint8_t> whole = levelbuilder::Build(SmallLevel(generation), layout);
    const std::vector<int32_t> boundaries = Boundaries(layout);
    // Each cut runs with one option set in turn, so every set meets cuts at every kind of place. A cut
    // behind the palettes reads them whole; there the sets run without the palettes option, which
    // spares filling the palette store ten thousand times over.
    std::vector<OptionSet> sets = OptionSets();
    const size_t rotation = sets.size();
    for (size_t s = 0; s < rotation; ++s) {
        OptionSet behind = sets[s];
        behind.Options.Set(optPalettes, false);
        sets.push_back(behind);
    }
    const TempDir tiles;
    // For each option set, the whole file's report, and for each boundary the length of that report
    // before the line that starts with the boundary's offset (the whole length when no line starts
    // there: a room's first byte does only with the room header shown).
    std::vector<std::string> full;
    std::vector<std::vector<size_t>> before(sets.size());
    for (size_t s = 0; s < sets.size(); ++s) {
        const WalkEnd end = WalkBytes(whole, generation, sets[s].Options, tiles);
        ASSERT_TRUE(end.Completed) << sets[s].Name;
        ASSERT_EQ(end.Offset, layout.End) << sets[s].Name;
        full.push_back(end.Report);
        for (int32_t b : boundaries)
            before[s].push_back(TextBeforeLine(full[s], At(b)).size());
    }

    for (size_t cut = 0; cut <= whole.size(); ++cut) {
        const size_t s = cut % rotation + (cut >= kPalettesEnd ? rotation : 0);
        const WalkEnd end =
            WalkBytes(std::vector<uint8_t>(whole.begin(), whole.begin() + static_cast<long>(cut)), generation,
                      sets[s].Options, tiles);
        SCOPED_TRACE("cut at " + std::to_string(cut) + ", options " + sets[s].Name);
        ASSERT_TRUE(end.Completed || end.Fault == kOverflowFault) << "fault " << end.Fault;
        ASSERT_FALSE(end.Report.empty());
        ASSERT_FALSE(end.Report.ends_with("\n"));

        // The lines before the chunk or room that the cut falls into, or before the last boundary ahead
        // of it that starts a line.
        size_t b = static_cast<size_t>(
            std::upper_bound(boundaries.begin(), boundaries.end(), static_cast<int32_t>(cut)) -
            boundaries.begin());
        while (b > 0 && before[s][b - 1] == full[s].size())
            --b;
        if (b > 0) {
            const std::string_view expected(full[s].data(), before[s][b - 1]);
            ASSERT_TRUE(std::string_view(end.Report).starts_with(expected))
                << "before offset " << boundaries[b - 1];
        }
    }
}

} // namespace

TEST(Truncation, EveryPrefixOfADM2LevelEndsCleanly) {
    WalkEveryPrefix(2);
}

TEST(Truncation, EveryPrefixOfADM3LevelEndsCleanly) {
    WalkEveryPrefix(3);
}
