#include "engine/Walker.h"

#include "engine/walk/Units.h"

int32_t WalkLevel(AppState& state, const LevelFile& level, int16_t formatGeneration, int32_t startOffset) {
    Walk w(state, level, formatGeneration, startOffset);
    try {
        WalkPalettesAndTiles(w, startOffset);
        WalkRooms(w);
        WalkFloorAndMeshes(w);
        WalkAnimations(w);
        WalkStaticsAndTextures(w);
        WalkNavigation(w);
        WalkItemsToEnd(w);
    } catch (WalkFault& fault) {
        fault.Offset = w.Offset;
        throw;
    }
    return w.Offset;
}
