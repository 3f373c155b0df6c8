#pragma once
// The walk cursor: the level bytes, the signed 32-bit running offset (every move checked), the format
// generation, the detail options, the report lines and the walk map. Every chunk unit reads, writes
// and records through it.
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <utility>

#include "format/DetailOptions.h"
#include "format/Fault.h"
#include "format/FieldValue.h"
#include "format/LevelFile.h"
#include "format/LevelFormat.h"
#include "format/WalkMap.h"
#include "format/walk/ReportLine.h"
#include "format/walk/ReportPane.h"
#include "format/walk/ReportText.h"
#include "format/walk/RunHoles.h"
#include "format/walk/WalkOutput.h"

class Walk {
  public:
    Walk(const WalkOutput& output, const LevelFile& level, format::Generation generation,
         int32_t startOffset);
    // A walk that only formats records into out (the lines of a run left as a hole): no size limit,
    // no holes, no map.
    Walk(const DetailOptionSet& options, const LevelFile& level, format::Generation generation,
         StringPane& out);

    const LevelFile& Level;
    const format::Generation Generation;

    bool IsDM3() const { return Generation == format::Generation::DM3; }
    bool Option(int index) const { return options_.On(index); }

    // The running offset: the next unread field. It moves only by checked steps.
    int32_t Offset() const { return offset_; }
    void Advance(int32_t bytes) { offset_ = checkedAdd32(offset_, bytes); }
    // Advances count x size bytes, the product and the sum both checked 32-bit.
    void Skip(int32_t count, int32_t size) { Advance(checkedMul32(count, size)); }

    // Reads of the level bytes at an absolute offset; 0 past the end or at a negative offset.
    uint8_t U8(int32_t at) const { return Level.U8(at); }
    int16_t S16(int32_t at) const { return Level.S16(at); }
    uint16_t U16(int32_t at) const { return Level.U16(at); }
    int32_t S32(int32_t at) const { return Level.S32(at); }

    // Writing. Lines are built in one reused buffer and appended to the pane.
    void Separator() {
        AppendSeparatorLine(out_);
        ++line_;
    }
    void Blank() {
        AppendBlankLine(out_);
        ++line_;
    }
    void Plain(std::string_view text) {
        AppendReportLine(text, out_);
        ++line_;
    }
    // Starts an offset line (or record line) at `at`: "0x" + hex + "," + decimal + ",".
    ReportLine& BeginAt(int32_t at) { return lineText_.Clear().Offset(at); }
    // Starts a line without offset columns.
    ReportLine& Begin() { return lineText_.Clear(); }
    // The line begun with BeginAt or Begin, for record writers that append its fields.
    ReportLine& Line() { return lineText_; }
    // Appends the line begun with BeginAt or Begin. Every stretch of the walk ends its lines here, so
    // this is where a report grown past its size limit stops the walk, and where a streamed report
    // is handed on in blocks.
    void End() {
        AppendLine(lineText_, out_);
        ++line_;
        if (out_.Str().size() > watermark_) [[unlikely]]
            PastWatermark();
    }

    // Whether listed runs are left as holes (RunHoles.h) instead of written.
    bool LeavesHoles() const { return holes_ != nullptr; }
    // Leaves the n records of a run from the running offset as a hole and moves past them, as writing
    // them one by one would: the lines, the offset, and an overflow after the last record that fits.
    void LeaveHole(int32_t n, const format::Record& record, RecordWriter write,
                   std::string_view numberPrefix);
    // Appends ",value" for each field of record R from index First up to Last, repeat rep, at `at`.
    template <const format::Record& R, size_t First = 0, size_t Last = R.Fields.size()>
    void Fields(int32_t at, int rep = 0) {
        FieldsOf<R, First>(at, rep, std::make_index_sequence<Last - First>{});
    }

    // Recording the walk map. A span opens at `first` with the next report line and closes at the
    // running offset after its last line.
    int32_t NextLine() const { return line_; }
    int32_t Open(SpanKind kind, Piece what, int32_t first, uint8_t countWidth = 0,
                 const format::Record* record = nullptr, int16_t index = -1) {
        return map_->Open(kind, what, first, line_, countWidth, record, index);
    }
    // A watcher of the map that has outgrown the report's size limit ends the walk here.
    void Close(int32_t count = 0) {
        if (!map_->Close(offset_, line_, count))
            RaiseReportLimit();
    }
    void CloseAt(int64_t end, int32_t count = 0);
    void SetCount(int32_t count) { map_->SetCount(count); }
    // Chunk for a span opened outside any other, Part inside one.
    SpanKind PartOrChunk() const { return depth() == 0 ? SpanKind::Chunk : SpanKind::Part; }

  private:
    template <const format::Record& R, size_t First, size_t... I>
    void FieldsOf(int32_t at, int rep, std::index_sequence<I...>) {
        (FieldAt<R, First + I>(at, rep), ...);
    }
    template <const format::Record& R, size_t I> void FieldAt(int32_t at, int rep) {
        constexpr format::Field f = R.Fields[I];
        if constexpr (f.How == format::Shown::Absent) {
            return;
        } else {
            const int64_t v = FieldValue(Level, f, at, Generation, rep);
            // format::FieldText's text, written straight into the line: the report's hottest path.
            if constexpr (ShownAsHex(f.How))
                lineText_.Text(",0x").HexDigits(static_cast<uint32_t>(v));
            else
                lineText_.Field(v);
        }
    }
    int depth() const;
    void PastWatermark();
    void SetWatermark();

    const DetailOptionSet& options_;
    WalkMap* map_ = nullptr; // null in a walk that only formats records
    StringPane& out_;
    RunHoles* holes_ = nullptr;
    int32_t offset_;
    int32_t line_; // the 0-based number of the next report line
    ReportLine lineText_;
    size_t reportLimit_;
    // End() looks further only when the pane holds more than this: the size limit, the next block of a
    // streamed report, or the bound of a walk leaving holes.
    size_t watermark_;
};
