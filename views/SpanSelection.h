#pragma once
// One selection shared by the report pane, the outline, the hex view, the strata bar and the level map:
// a report line and the bytes it describes, over the last walk's map. A view selects through it and
// follows its Changed signal; the source it passes lets a view skip its own changes, and a selection
// equal to the current one emits nothing, so views that follow each other never loop.
#include <QObject>
#include <cstdint>

#include "format/WalkMap.h"
#include "report/AppState.h"

class SpanSelection : public QObject {
    Q_OBJECT
  public:
    explicit SpanSelection(const AppState& state, QObject* parent = nullptr);

    const AppState& State() const { return state_; }
    const WalkMap& Map() const { return state_.Map; }
    // The level bytes of the last walk; null when no level is open.
    const LevelFile* Level() const { return state_.Level.get(); }

    // Selects a report line and the bytes it describes (none for a line outside the walk).
    void SelectLine(int32_t line, const QObject* source);
    // Selects the most specific line that covers offset, remembering offset as the byte picked.
    void SelectOffset(int64_t offset, const QObject* source);
    // Selects the bytes first..end (a field, or the changed bytes of a block) on the line that covers
    // first, remembering first as the byte picked.
    void SelectBytes(int64_t first, int64_t end, const QObject* source);
    // Selects the bytes first..end of one value (a record's field) on the report line that shows it,
    // which for a repeated column is a continuation line of its record.
    void SelectBytesOnLine(int64_t first, int64_t end, int32_t line, const QObject* source);
    // Selects a span as a whole: its bytes, and the first line it wrote (or the line that shows it, for
    // a span that wrote none of its own).
    void SelectSpan(int32_t span, const QObject* source);
    // Selects record i of a run: the record's bytes and its first line.
    void SelectRecord(int32_t span, int32_t record, const QObject* source);
    void Clear(const QObject* source);
    // Puts back a selection exactly as it was once taken (the history going back and forth).
    void Restore(int32_t line, int64_t picked, const LineBytes& bytes, const QObject* source) {
        Take(line, picked, bytes, source);
    }

    int32_t Line() const { return line_; } // -1: nothing selected
    const LineBytes& Bytes() const { return bytes_; }
    int32_t Span() const { return bytes_.Span; }     // the span selected, -1 for none
    int32_t Record() const { return bytes_.Record; } // the record of a run, -1 for the run's own lines
    int64_t PickedOffset() const { return picked_; } // the byte picked, -1 when a line was picked
    // The byte a view should bring into sight: the one picked, else the first selected byte; -1 for none.
    int64_t FocusOffset() const;

  public slots:
    // A new walk replaced the map: the selection is cleared and WalkReplaced emitted.
    void ResetForNewWalk();

  signals:
    void Changed(const QObject* source);
    void WalkReplaced();

  private:
    void Take(int32_t line, int64_t picked, const LineBytes& bytes, const QObject* source);

    const AppState& state_;
    int32_t line_ = -1;
    int64_t picked_ = -1;
    LineBytes bytes_;
};
