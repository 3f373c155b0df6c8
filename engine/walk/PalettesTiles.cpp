#include "engine/walk/Units.h"

// Not walked yet.
void WalkPalettesAndTiles(Walk&, int32_t) {}
