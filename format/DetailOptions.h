#pragma once
// The 37 detail options: one per report section, index order = chunk order of a DM2 file.
// The table is the one source of captions and groups for the dialog, the walker and the command line.
#include <array>
#include <cstdint>
#include <string_view>

inline constexpr int kDetailOptionCount = 37;

enum DetailOption : int {
    optPalettes = 0,
    optTextureTiles = 1,
    optRoomInfo = 2,
    optRoomMeshes = 3,
    optRoomSprites = 4,
    optRoomDoors = 5,
    optRoomSectors = 6,
    optRoomLights = 7,
    optRoomStaticMeshes = 8,
    optRoomFlags = 9,
    optFloors = 10,
    optMeshes = 11,
    optMeshPointers = 12,
    optAnimations = 13,
    optStateChanges = 14,
    optAnimDispatches = 15,
    optAnimCommands = 16,
    optMeshTree = 17,
    optFrames = 18,
    optMoveables = 19,
    optStaticMeshes = 20,
    optObjectTextures = 21,
    optSpriteTextures = 22,
    optSpriteSequence = 23,
    optCameras = 24,
    optSoundSources = 25,
    optBoxes = 26,
    optOverlaps = 27,
    optZones = 28,
    optAnimatedTextures = 29,
    optItems = 30,
    optLightMaps = 31,
    optCinematicFrames = 32,
    optDemoData = 33,
    optSoundMaps = 34,
    optSoundDetails = 35,
    optSampleIndices = 36,
};

// The option of what no detail option lists.
inline constexpr int kNoDetailOption = -1;

enum class DetailGroup { Graphics, Rooms, LeftColumn, RightColumn };

struct DetailOptionInfo {
    std::string_view Caption;
    DetailGroup Group;
};

extern const std::array<DetailOptionInfo, kDetailOptionCount> kDetailOptionTable;

// Name of a group as the dialog's frames call it ("fraGraphics", "fraRooms"); "" for the two columns.
std::string_view DetailGroupName(DetailGroup group);

// Truth values as 16-bit integers: on = -1, off = 0, any non-zero value reads as on.
struct DetailOptionSet {
    std::array<int16_t, kDetailOptionCount> Value{};
    bool On(int index) const { return Value[static_cast<size_t>(index)] != 0; }
    void Set(int index, bool on) { Value[static_cast<size_t>(index)] = on ? -1 : 0; }
};

void SetAllDetails(DetailOptionSet& options, bool value);
// Turns option index on as checking its box in the detail dialog does: "Texture Tiles" brings
// "Palettes" with it, since the tiles are coloured with the 8-bit palette.
void SetDetailAsTheDialogDoes(DetailOptionSet& options, int index);
bool AllDetailsSelected(const DetailOptionSet& options);
