#include "views/SpanSelection.h"

SpanSelection::SpanSelection(const AppState& state, QObject* parent) : QObject(parent), state_(state) {}

void SpanSelection::SelectLine(int32_t line, const QObject* source) {
    if (line == line_ && picked_ < 0)
        return;
    line_ = line;
    picked_ = -1;
    bytes_ = line >= 0 ? Map().BytesOfLine(line) : LineBytes{};
    emit Changed(source);
}

void SpanSelection::SelectOffset(int64_t offset, const QObject* source) {
    if (offset == picked_)
        return;
    picked_ = offset;
    line_ = Map().LineAt(offset);
    bytes_ = line_ >= 0 ? Map().BytesOfLine(line_) : LineBytes{};
    emit Changed(source);
}

void SpanSelection::Clear(const QObject* source) {
    if (line_ < 0 && picked_ < 0)
        return;
    line_ = -1;
    picked_ = -1;
    bytes_ = {};
    emit Changed(source);
}

void SpanSelection::ResetForNewWalk() {
    line_ = -1;
    picked_ = -1;
    bytes_ = {};
    emit WalkReplaced();
}
