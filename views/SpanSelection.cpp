#include "views/SpanSelection.h"

#include <algorithm>

namespace {

bool SameBytes(const LineBytes& a, const LineBytes& b) {
    return a.First == b.First && a.End == b.End && a.DimFirst == b.DimFirst && a.DimEnd == b.DimEnd &&
           a.Span == b.Span && a.Record == b.Record;
}

} // namespace

SpanSelection::SpanSelection(const AppState& state, QObject* parent) : QObject(parent), state_(state) {}

void SpanSelection::Take(int32_t line, int64_t picked, const LineBytes& bytes, const QObject* source) {
    if (line == line_ && picked == picked_ && SameBytes(bytes, bytes_))
        return;
    line_ = line;
    picked_ = picked;
    bytes_ = bytes;
    emit Changed(source);
}

void SpanSelection::SelectLine(int32_t line, const QObject* source) {
    // The line already selected, however it was reached (a span from the outline, a byte from the hex
    // view), stays selected as it is: the pane following the others reports back the same line.
    if (line == line_ && line >= 0)
        return;
    Take(line, -1, line >= 0 ? Map().BytesOfLine(line) : LineBytes{}, source);
}

void SpanSelection::SelectOffset(int64_t offset, const QObject* source) {
    const int32_t line = Map().LineAt(offset);
    Take(line, offset, line >= 0 ? Map().BytesOfLine(line) : LineBytes{}, source);
}

void SpanSelection::SelectBytes(int64_t first, int64_t end, const QObject* source) {
    const int32_t line = Map().LineAt(first);
    LineBytes bytes = line >= 0 ? Map().BytesOfLine(line) : LineBytes{};
    bytes.First = static_cast<int32_t>(first);
    bytes.End = static_cast<int32_t>(std::max(first, end));
    bytes.DimFirst = bytes.DimEnd = 0;
    Take(line, first, bytes, source);
}

void SpanSelection::SelectBytesOnLine(int64_t first, int64_t end, int32_t line, const QObject* source) {
    LineBytes bytes = line >= 0 ? Map().BytesOfLine(line) : LineBytes{};
    bytes.First = static_cast<int32_t>(first);
    bytes.End = static_cast<int32_t>(std::max(first, end));
    bytes.DimFirst = bytes.DimEnd = 0;
    Take(line, first, bytes, source);
}

void SpanSelection::SelectSpan(int32_t span, const QObject* source) {
    if (span < 0 || span >= Map().Size()) {
        Clear(source);
        return;
    }
    const ::Span& s = Map()[span];
    const int32_t line = s.EndLine > s.Line ? s.Line : Map().LineAt(s.First);
    LineBytes bytes;
    bytes.First = s.First;
    bytes.End = s.End;
    bytes.Span = span;
    Take(line, -1, bytes, source);
}

void SpanSelection::SelectRecord(int32_t span, int32_t record, const QObject* source) {
    if (span < 0 || span >= Map().Size() || !Map()[span].Record()) {
        SelectSpan(span, source);
        return;
    }
    const int32_t line = Map().LineOfRecord(span, record);
    Take(line, -1, Map().BytesOfLine(line), source);
}

void SpanSelection::Clear(const QObject* source) {
    Take(-1, -1, LineBytes{}, source);
}

int64_t SpanSelection::FocusOffset() const {
    if (picked_ >= 0)
        return picked_;
    if (bytes_.End > bytes_.First)
        return bytes_.First;
    return -1;
}

void SpanSelection::ResetForNewWalk() {
    line_ = -1;
    picked_ = -1;
    bytes_ = {};
    emit WalkReplaced();
}
