// Damaged DM2 and DM3 levels walked from memory: every prefix, and hostile counts in every chunk with
// every option set. Every walk ends as a completed run or an overflow (WalkBytes checks it).
#include <gtest/gtest.h>

#include <cctype>
#include <span>

#include "format/walk/ReportText.h"
#include "hardening/HardeningSupport.h"

using namespace hardening;
using namespace levelbuilder;

namespace {

class DamagedLevel : public testing::TestWithParam<int16_t> {};
INSTANTIATE_TEST_SUITE_P(, DamagedLevel, testing::Values(int16_t{2}, int16_t{3}),
                         [](const auto& info) { return "DM" + std::to_string(info.param); });

// The tile count follows the palettes, in every level.
constexpr int32_t kTileCountAt = 1796;

// Where the builder put each chunk's count, and its width in bytes.
std::vector<std::pair<int32_t, int>> ChunkCounts(const Layout& l) {
    return {{kTileCountAt, 4},       {l.RoomCount, 2},      {l.FloorData, 4},       {l.MeshData, 4},
            {l.MeshPointers, 4},     {l.Animations, 4},     {l.StateChanges, 4},    {l.AnimDispatches, 4},
            {l.AnimCommands, 4},     {l.MeshTrees, 4},      {l.Frames, 4},          {l.Moveables, 4},
            {l.StaticMeshes, 4},     {l.ObjectTextures, 4}, {l.SpriteTextures, 4},  {l.SpriteSequences, 4},
            {l.Cameras, 4},          {l.SoundSources, 4},   {l.Boxes, 4},           {l.Overlaps, 4},
            {l.AnimatedTextures, 4}, {l.Items, 4},          {l.CinematicFrames, 2}, {l.DemoData, 2},
            {l.SoundDetails, 2},     {l.SampleIndices, 4}};
}

// Sets the count of one of the first room's lists, or one of its other count fields.
template <auto Member> void InFirstRoom(Level& level, int32_t n) {
    auto& member = level.Rooms.Items.at(0).*Member;
    if constexpr (requires { member.Count; })
        member.Count = n;
    else
        member = static_cast<std::remove_reference_t<decltype(member)>>(n);
}

void (*const kRoomCounts[])(Level&, int32_t) = {
    InFirstRoom<&Room::MeshDataSize>, InFirstRoom<&Room::Vertices>, InFirstRoom<&Room::Rectangles>,
    InFirstRoom<&Room::Triangles>,    InFirstRoom<&Room::Sprites>,  InFirstRoom<&Room::Doors>,
    InFirstRoom<&Room::ZSectors>,     InFirstRoom<&Room::XSectors>, InFirstRoom<&Room::Lights>,
    InFirstRoom<&Room::StaticMeshes>};

// The counts every chunk gets; the tile count also gets those at the edges of the 16-bit tile size.
constexpr int32_t kHostileCounts[] = {-1, 0, 32767, 32768, 0x7FFFFFFF, 16383, 16384, -16384};

} // namespace

// Each cut runs with one option set in turn; behind the palettes without the palettes option, which
// spares filling the palette store ten thousand times. The lines of every chunk or room wholly before
// the cut are exactly those of the whole file.
TEST_P(DamagedLevel, EveryPrefixEndsAsACompletedRunOrAnOverflow) {
    const int16_t generation = GetParam();
    Layout l;
    const std::vector<uint8_t> whole = Build(SmallLevel(generation), l);
    std::vector<int32_t> starts{l.Zones, l.LightMap, l.SoundMap}; // the chunks and rooms, in file order
    for (const auto& [at, width] : ChunkCounts(l))
        starts.push_back(at);
    starts.insert(starts.end(), l.Rooms.begin(), l.Rooms.end());
    std::sort(starts.begin(), starts.end());
    std::vector<OptionSet> sets = OptionSets(); // and the same without the palettes, for cuts behind them
    for (OptionSet set : OptionSets()) {
        set.Options.Set(optPalettes, false);
        sets.push_back(set);
    }
    // For each set, the whole file's report before the line of each start that begins one (a room's
    // first byte does only with the room header shown).
    const TempDir tiles;
    std::vector<std::vector<std::pair<int32_t, std::string>>> before(sets.size());
    for (size_t s = 0; s < sets.size(); ++s) {
        const WalkedBytes end = WalkBytes(whole, generation, sets[s].Options, tiles);
        ASSERT_TRUE(end.Fault == 0 && end.Offset == l.End) << sets[s].Name;
        for (int32_t at : starts)
            if (const size_t n = end.Report.find("\r\n" + At(at)); n != std::string::npos)
                before[s].emplace_back(at, end.Report.substr(0, n));
    }
    for (size_t cut = 0; cut <= whole.size(); ++cut) {
        const size_t s = cut % 4 + (cut >= kTileCountAt ? 4 : 0); // behind the palettes, a set's copy
        SCOPED_TRACE("cut at " + std::to_string(cut) + ", options " + sets[s].Name);
        const WalkedBytes end = WalkBytes({whole.begin(), whole.begin() + static_cast<long>(cut)}, generation,
                                          sets[s].Options, tiles);
        // The lines before the chunk or room the cut falls into are those of the whole file.
        const auto next = std::partition_point(before[s].begin(), before[s].end(), [&](const auto& b) {
            return b.first <= static_cast<int32_t>(cut);
        });
        ASSERT_TRUE(next == before[s].begin() || end.Report.starts_with(std::prev(next)->second));
    }
}

// Each walk keeps the lines before the damaged count as the undamaged file has them and shows the count
// as the file holds it (a 2-byte count keeps the low 16 bits); a 32-bit count of 0x7FFFFFFF overflows
// its chunk's size at once, so the walk stops at the count, after the chunk's separator and before its
// summary line (the tiles show their count first). The counts inside the first room have no layout entry:
// their walks only have to end cleanly.
TEST_P(DamagedLevel, HostileCountsInEveryChunkWithEveryOptionSet) {
    const int16_t generation = GetParam();
    const TempDir tiles;
    const std::vector<OptionSet> sets = OptionSets();
    Layout layout;
    const std::vector<uint8_t> sound = Build(SmallLevel(generation), layout);
    std::vector<std::string> undamaged;
    for (const OptionSet& set : sets)
        undamaged.push_back(WalkBytes(sound, generation, set.Options, tiles).Report);
    for (const auto& [at, width] : ChunkCounts(layout)) {
        for (int32_t count : std::span(kHostileCounts).first(at == kTileCountAt ? 8 : 5)) {
            std::vector<uint8_t> bytes = sound;
            for (int i = 0; i < width; ++i)
                bytes[static_cast<size_t>(at + i)] = static_cast<uint8_t>(count >> (8 * i));
            for (size_t s = 0; s < sets.size(); ++s) {
                SCOPED_TRACE("count " + std::to_string(count) + " at " + At(at) + " options " + sets[s].Name);
                const WalkedBytes end = WalkBytes(bytes, generation, sets[s].Options, tiles);
                const std::string before = undamaged[s].substr(0, undamaged[s].find("\r\n" + At(at)));
                if (count == 0x7FFFFFFF && width == 4 && at != kTileCountAt) {
                    EXPECT_EQ(end.Fault, kOverflowFault);
                    EXPECT_EQ(end.Offset, at);
                    EXPECT_EQ(end.Report, before);
                } else {
                    const int32_t asRead = width == 2 ? static_cast<int16_t>(count) : count;
                    const std::string upToCount = before + "\r\n" + At(at) + std::to_string(asRead);
                    EXPECT_TRUE(end.Report.starts_with(upToCount) &&
                                !std::isdigit(static_cast<unsigned char>(end.Report[upToCount.size()])))
                        << end.Report.substr(before.size(), 80);
                }
            }
        }
    }
    for (size_t field = 0; field < std::size(kRoomCounts); ++field) {
        for (int32_t count : std::span(kHostileCounts).first(5)) {
            Level level = SmallLevel(generation);
            kRoomCounts[field](level, count);
            const std::vector<uint8_t> bytes = Build(level);
            for (const OptionSet& set : sets) {
                SCOPED_TRACE(testing::Message()
                             << "room count " << field << " = " << count << ", " << set.Name);
                WalkBytes(bytes, generation, set.Options, tiles);
            }
        }
    }
}
