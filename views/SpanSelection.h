#pragma once
// One selection shared by the report pane, the outline, the hex view, the strata bar and the level map:
// a report line and the bytes it describes, over the last walk's map. A view selects through it and
// follows its Changed signal; the source it passes lets a view skip its own changes, and a selection
// equal to the current one emits nothing, so views that follow each other never loop.
#include <QObject>
#include <cstdint>

#include "engine/AppState.h"
#include "engine/WalkMap.h"

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
    void Clear(const QObject* source);

    int32_t Line() const { return line_; } // -1: nothing selected
    const LineBytes& Bytes() const { return bytes_; }
    int64_t PickedOffset() const { return picked_; } // the byte picked, -1 when a line was picked

public slots:
    // A new walk replaced the map: the selection is cleared and WalkReplaced emitted.
    void ResetForNewWalk();

signals:
    void Changed(const QObject* source);
    void WalkReplaced();

private:
    const AppState& state_;
    int32_t line_ = -1;
    int64_t picked_ = -1;
    LineBytes bytes_;
};
