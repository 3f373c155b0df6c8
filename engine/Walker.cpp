#include "engine/Walker.h"

#include <algorithm>
#include <limits>
#include <new>

#include "engine/walk/Units.h"

namespace {

// The number of the next line appended to a pane holding text: lines are joined by "\r\n" and the
// text never ends with one, so a line appended to an empty pane is its second line.
int32_t NextLineOf(std::string_view text) {
    return static_cast<int32_t>(std::count(text.begin(), text.end(), '\n') + 1);
}

} // namespace

Walk::Walk(AppState& state, const LevelFile& level, format::Generation generation, int32_t startOffset)
    : State(state), Level(level), Generation(generation), offset_(startOffset),
      line_(NextLineOf(state.Report.Text())),
      reportLimit_(ReportByteLimit(level.FileLength(), state.ReportFixedBytes)) {}

int Walk::depth() const { return State.Map.OpenSpans(); }

void Walk::CloseAt(int64_t end, int32_t count) {
    const int64_t clamped = std::clamp<int64_t>(end, std::numeric_limits<int32_t>::min(),
                                                std::numeric_limits<int32_t>::max());
    State.Map.Close(static_cast<int32_t>(clamped), line_, count);
}

int32_t WalkLevel(AppState& state, const LevelFile& level, format::Generation generation, int32_t startOffset) {
    state.Map.Reset(level.FileLength(), static_cast<int16_t>(generation));
    Walk w(state, level, generation, startOffset);
    try {
        WalkPalettesAndTiles(w);
        WalkRooms(w);
        WalkFloorAndMeshes(w);
        WalkAnimations(w);
        WalkStaticsAndTextures(w);
        WalkNavigation(w);
        WalkItemsToEnd(w);
    } catch (WalkFault& fault) {
        fault.Offset = w.Offset();
        state.Map.Finish(fault.Number == kReportLimitFault ? WalkEnding::SizeLimit : WalkEnding::Overflow,
                         w.Offset(), w.NextLine());
        throw;
    } catch (const std::bad_alloc&) {
        // The report outgrew the memory there is, below its own size limit: end the walk as that limit
        // does, keeping the lines so far, rather than letting the failure reach the window's event loop.
        state.Map.Finish(WalkEnding::SizeLimit, w.Offset(), w.NextLine());
        throw WalkFault(kReportLimitFault, w.Offset());
    }
    state.Map.Finish(WalkEnding::Completed, w.Offset(), w.NextLine());
    return w.Offset();
}
