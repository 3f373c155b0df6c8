#pragma once
// The chunk units of the walk, in file order. Each starts at the running offset its predecessor left
// and leaves it at the next unit's first count field.
#include <cstdint>
#include <string_view>

#include "format/walk/Walk.h"

void WalkPalettesAndTiles(Walk& w);   // palettes, texture tiles
void WalkRooms(Walk& w);              // rooms
void WalkFloorAndMeshes(Walk& w);     // floor data, mesh data, mesh pointers
void WalkAnimations(Walk& w);         // animations .. moveables
void WalkStaticsAndTextures(Walk& w); // static meshes, DM2 object textures, sprites
void WalkNavigation(Walk& w);         // cameras .. animated textures, DM3 object textures
void WalkItemsToEnd(Walk& w);         // items .. sample indices

// The object texture chunk, at its DM2 place (after the static meshes) or its DM3 place (after the
// animated textures).
void WalkObjectTextures(Walk& w);
