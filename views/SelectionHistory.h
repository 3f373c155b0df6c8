#pragma once
// Back and forth through the places the shared selection jumped to. Every change of the selection
// either jumps or steps: a change made by a stepping source (the hex view's keys and clicks, the report
// pane's cursor) moves the place the history stands on, so walking byte by byte through a record leaves
// one entry, the last byte reached; a change from anywhere else (Go to Offset, the outline, the level
// map, the differences, the problems, a bookmark) is a jump and adds an entry after the current one,
// dropping the entries ahead of it. Back and Forward put a selection back under the history's own name,
// so going back is never recorded as a jump. A new walk empties the history.
#include <QObject>
#include <cstdint>
#include <vector>

#include "views/SpanSelection.h"

class SelectionHistory : public QObject {
    Q_OBJECT
  public:
    // Entries kept at most; the oldest go first.
    static constexpr size_t kMaxEntries = 200;

    explicit SelectionHistory(SpanSelection& selection, QObject* parent = nullptr);

    // Changes made by source move the current entry instead of adding one.
    void AddSteppingSource(const QObject* source);

    bool CanGoBack() const { return current_ > 0; }
    bool CanGoForward() const { return current_ + 1 < entries_.size(); }
    void Back();
    void Forward();

    size_t Count() const { return entries_.size(); }
    size_t Current() const { return current_; }

  signals:
    // The entries or the place among them changed: Back and Forward may be enabled anew.
    void Moved();

  private:
    struct Entry {
        int32_t Line = -1;
        int64_t Picked = -1;
        LineBytes Bytes;
    };
    Entry Now() const;
    static bool Same(const Entry& a, const Entry& b);
    void Follow(const QObject* source);
    void Reset();
    void Show(size_t index);

    SpanSelection& selection_;
    std::vector<const QObject*> stepping_;
    std::vector<Entry> entries_;
    size_t current_ = 0;
};
