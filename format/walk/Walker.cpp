#include "format/walk/Walker.h"

#include <algorithm>
#include <limits>
#include <new>

#include "format/walk/Units.h"

namespace {

// The number of the next line appended to a pane holding text: lines are joined by "\r\n" and the
// text never ends with one, so a line appended to an empty pane is its second line.
int32_t NextLineOf(std::string_view text) {
    return static_cast<int32_t>(std::count(text.begin(), text.end(), '\n') + 1);
}

} // namespace

Walk::Walk(const WalkOutput& output, const LevelFile& level, format::Generation generation,
           int32_t startOffset)
    : Level(level), Generation(generation), options_(output.Options), map_(&output.Map), out_(output.Text),
      holes_(output.Holes), offset_(startOffset), line_(NextLineOf(output.Text.Text())),
      reportLimit_(output.TextLimit), watermark_(0) {
    SetWatermark();
}

Walk::Walk(const DetailOptionSet& options, const LevelFile& level, format::Generation generation,
           StringPane& out)
    : Level(level), Generation(generation), options_(options), out_(out), offset_(0), line_(0),
      reportLimit_(std::numeric_limits<size_t>::max()), watermark_(std::numeric_limits<size_t>::max()) {}

void Walk::SetWatermark() {
    if (holes_) {
        const size_t bound = std::min(holes_->BoundBytes, reportLimit_);
        watermark_ = std::min(holes_->TextCap, reportLimit_ - bound);
        return;
    }
    // The held text may grow to the limit less what has been handed on already.
    size_t mark = reportLimit_ - std::min(reportLimit_, out_.Flushed());
    if (out_.Sink())
        mark = std::min(mark, out_.BlockBytes());
    watermark_ = mark;
}

void Walk::PastWatermark() {
    // A walk leaving holes cannot tell whether the limit would have been crossed, or has too much text.
    if (holes_)
        throw HolesAbandoned{};
    if (out_.Written() > reportLimit_)
        RaiseReportLimit();
    out_.Flush();
    SetWatermark();
}

void Walk::LeaveHole(int32_t n, const format::Record& record, RecordWriter write,
                     std::string_view numberPrefix) {
    // Record i is written at First + i x size and the offset then moves past it; the move that leaves
    // 32 bits ends the walk right after that record's lines.
    const int64_t size = record.Size;
    const int64_t fit = (int64_t{std::numeric_limits<int32_t>::max()} - offset_) / size;
    const bool overflow = n > fit;
    const int32_t listed = overflow ? static_cast<int32_t>(fit + 1) : n;

    holes_->BoundBytes += static_cast<size_t>(listed) * MaxRecordBytes(record, numberPrefix.size());
    if (out_.Str().size() + holes_->BoundBytes > reportLimit_)
        throw HolesAbandoned{};
    holes_->Holes.push_back({out_.Str().size(), offset_, listed, &record, write, numberPrefix});
    line_ += listed * record.LinesPerRecord;
    SetWatermark();
    if (overflow) {
        offset_ = static_cast<int32_t>(offset_ + (listed - 1) * size);
        RaiseOverflow();
    }
    offset_ = static_cast<int32_t>(offset_ + listed * size);
}

int Walk::depth() const {
    return map_->OpenSpans();
}

void Walk::CloseAt(int64_t end, int32_t count) {
    const int64_t clamped =
        std::clamp<int64_t>(end, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max());
    if (!map_->Close(static_cast<int32_t>(clamped), line_, count))
        RaiseReportLimit();
}

int32_t WalkLevel(const WalkOutput& output, const LevelFile& level, format::Generation generation,
                  int32_t startOffset) {
    WalkMap& map = output.Map;
    map.Reset(level.FileLength(), static_cast<int16_t>(generation));
    Walk w(output, level, generation, startOffset);
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
        const bool named = fault.Number == kReportLimitFault || fault.Number == kOverflowFault;
        map.Finish(fault.Number == kReportLimitFault ? WalkEnding::SizeLimit : WalkEnding::Overflow,
                   w.Offset(), w.NextLine(), named ? 0 : static_cast<int16_t>(fault.Number));
        throw;
    } catch (const std::bad_alloc&) {
        // The report outgrew the memory there is, below its own size limit: end the walk as that limit
        // does, keeping the lines so far, rather than letting the failure reach the window's event loop.
        map.Finish(WalkEnding::SizeLimit, w.Offset(), w.NextLine());
        throw WalkFault(kReportLimitFault, w.Offset());
    }
    // A walk whose last step went back before the first byte did not complete anything it could show.
    map.Finish(w.Offset() < 0 ? WalkEnding::SteppedBack : WalkEnding::Completed, w.Offset(), w.NextLine());
    return w.Offset();
}

std::optional<format::Generation> LevelGeneration(const LevelFile& level) {
    if (level.FileLength() < format::kVersionWordBytes)
        return std::nullopt;
    return format::GenerationOf(level.U32(0));
}
