// Writes the seed corpus of the fuzz target from the level builder: DM2, DM3, DM1 and unknown
// versions, truncations, huge and negative counts, tile counts at the edges of their range, and rooms
// that go over the same bytes again, each with three option sets.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "fuzz/HostileLevels.h"
#include "tools/LevelBuilder.h"

using namespace levelbuilder;

namespace {

int written = 0;

enum class OptionSets { NoneAllMixed, AllOnly };

void Seed(const std::filesystem::path& folder, const std::string& name, const std::vector<uint8_t>& level,
          OptionSets sets = OptionSets::NoneAllMixed) {
    const std::vector<std::vector<uint8_t>> optionSets = {
        {0, 0, 0, 0, 0, 0}, {1, 0, 0, 0, 0, 0}, {2, 0x55, 0xAA, 0x0F, 0xF0, 0x1F}};
    const char* tags[] = {"none", "all", "mixed"};
    for (size_t i = 0; i < optionSets.size(); ++i) {
        if (sets == OptionSets::AllOnly && i != 1)
            continue;
        std::vector<uint8_t> input = optionSets[i];
        input.insert(input.end(), level.begin(), level.end());
        WriteFile((folder / (name + "-" + tags[i])).string(), input);
        ++written;
    }
}

Level Small(int16_t generation) {
    Level level = FilledLevel(generation);
    level.Tiles.Items.clear(); // keep seeds small: the walker never reads tile bytes
    return level;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make-fuzz-seeds FOLDER\n");
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    std::filesystem::create_directories(folder);

    for (int16_t generation : {int16_t{2}, int16_t{3}}) {
        const std::string g = generation == 2 ? "dm2" : "dm3";
        const auto whole = Build(Small(generation));
        Seed(folder, g + "-whole", whole);
        for (size_t cut :
             {size_t{3}, size_t{700}, size_t{1800}, size_t{1900}, whole.size() / 2, whole.size() - 9000})
            Seed(folder, g + "-cut" + std::to_string(cut),
                 std::vector<uint8_t>(whole.begin(), whole.begin() + static_cast<long>(cut)));

        for (int32_t count : {-1, 32767, 32768, 0x7FFFFFFF}) {
            Level level = Small(generation);
            level.Tiles.Count = count == 32767 ? 16384 : count;
            level.Rooms.Items[0].Vertices.Count = count;
            level.FloorData.Count = count;
            Seed(folder, g + "-count" + std::to_string(count), Build(level));
            Level late = Small(generation);
            late.Items.Count = count;
            late.SoundDetails.Count = count;
            late.CinematicFrames.Count = count;
            Seed(folder, g + "-latecount" + std::to_string(count), Build(late));
        }
        // Every room list at -1: the lists that step over what they do not list move the walk back.
        Level back = Small(generation);
        for (Room& room : back.Rooms.Items) {
            room.Vertices.Count = room.Rectangles.Count = room.Triangles.Count = room.Sprites.Count = -1;
            room.Doors.Count = room.Lights.Count = room.StaticMeshes.Count = -1;
        }
        Seed(folder, g + "-roomlists-1", Build(back));
        for (int32_t tiles : {16383, 16384, -16384}) {
            Level edge = Small(generation);
            edge.Tiles.Count = tiles;
            Seed(folder, g + "-tiles" + std::to_string(tiles), Build(edge));
        }
    }
    Seed(folder, "dm2-roomloop", hostile::RoomLoopLevel(32767, 40));
    // The loop padded to 8 MiB, whose report runs to the limit of an 8 MiB file (fuzzing cuts it to the
    // longest input it makes), and 32767 rooms read past the end of a 1,806-byte file.
    Seed(folder, "dm2-roomloop-padded8m", hostile::PaddedRoomLoopLevel(size_t{8} << 20), OptionSets::AllOnly);
    Seed(folder, "dm2-rooms32767-past-end", hostile::RoomsPastTheEndLevel(2));
    Seed(folder, "dm3-rooms32767-past-end", hostile::RoomsPastTheEndLevel(3));
    Level dm1;
    dm1.VersionWord = kVersionDM1;
    const auto dm1Bytes = Build(dm1);
    Seed(folder, "dm1", std::vector<uint8_t>(dm1Bytes.begin(), dm1Bytes.begin() + 64));
    Level unknown;
    unknown.VersionWord = 0x12345678;
    const auto unknownBytes = Build(unknown);
    Seed(folder, "unknown", std::vector<uint8_t>(unknownBytes.begin(), unknownBytes.begin() + 64));
    Seed(folder, "empty", {});
    std::printf("%d seeds in %s\n", written, folder.string().c_str());
    return 0;
}
