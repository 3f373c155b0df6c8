#include "engine/walk/Units.h"

// Not walked yet.
void WalkFloorAndMeshes(Walk&) {}
