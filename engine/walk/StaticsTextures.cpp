#include "engine/walk/Units.h"

// Not walked yet.
void WalkStaticsAndTextures(Walk&) {}
void WalkObjectTextures(Walk&, std::string_view) {}
