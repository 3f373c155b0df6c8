#include "engine/Walker.h"

#include <new>

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
    } catch (const std::bad_alloc&) {
        // The report outgrew the memory there is, below its own size limit: end the walk as that limit
        // does, keeping the lines so far, rather than letting the failure reach the window's event loop.
        throw WalkFault(kReportLimitFault, w.Offset);
    }
    return w.Offset;
}
