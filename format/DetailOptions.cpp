#include "format/DetailOptions.h"

namespace {
constexpr DetailGroup G = DetailGroup::Graphics;
constexpr DetailGroup R = DetailGroup::Rooms;
constexpr DetailGroup L = DetailGroup::LeftColumn;
constexpr DetailGroup C = DetailGroup::RightColumn;
} // namespace

const std::array<DetailOptionInfo, kDetailOptionCount> kDetailOptionTable = {{
    {"Palettes", G},        {"Texture Tiles", G},   {"Room Info", R},
    {"Meshes", R},          {"Sprites", R},         {"Doors", R},
    {"Sectors", R},         {"Lights", R},          {"StaticMeshes", R},
    {"Flags", R},           {"Floors", L},          {"Meshes", L},
    {"Mesh Pointers", L},   {"Animations", L},      {"State Changes", L},
    {"AnimDispatches", L},  {"AnimCommands", L},    {"MeshTree", L},
    {"Frames", L},          {"Moveables", L},       {"StaticMeshes", L},
    {"Object Textures", L}, {"Sprite Textures", L}, {"Sprite Sequence", L},
    {"Cameras", C},         {"SoundSources", C},    {"Boxes", C},
    {"Overlaps", C},        {"Zones", C},           {"Animated Textures", C},
    {"Items", C},           {"LightMaps", C},       {"CinematicFrames", C},
    {"DemoData", C},        {"SoundMaps", C},       {"SoundDetails", C},
    {"SampleIndices", C},
}};

std::string_view DetailGroupName(DetailGroup group) {
    switch (group) {
    case DetailGroup::Graphics:
        return "fraGraphics";
    case DetailGroup::Rooms:
        return "fraRooms";
    default:
        return "";
    }
}

void SetAllDetails(DetailOptionSet& options, bool value) {
    for (int i = 0; i < kDetailOptionCount; ++i)
        options.Set(i, value);
}

void SetDetailAsTheDialogDoes(DetailOptionSet& options, int index) {
    options.Set(index, true);
    if (index == optTextureTiles)
        options.Set(optPalettes, true);
}

bool AllDetailsSelected(const DetailOptionSet& options) {
    for (int i = 0; i < kDetailOptionCount; ++i)
        if (!options.On(i))
            return false;
    return true;
}
