#include "views/SelectionHistory.h"

#include <algorithm>

SelectionHistory::SelectionHistory(SpanSelection& selection, QObject* parent)
    : QObject(parent), selection_(selection) {
    connect(&selection_, &SpanSelection::Changed, this, &SelectionHistory::Follow);
    connect(&selection_, &SpanSelection::WalkReplaced, this, &SelectionHistory::Reset);
}

void SelectionHistory::AddSteppingSource(const QObject* source) {
    stepping_.push_back(source);
}

SelectionHistory::Entry SelectionHistory::Now() const {
    return Entry{selection_.Line(), selection_.PickedOffset(), selection_.Bytes()};
}

bool SelectionHistory::Same(const Entry& a, const Entry& b) {
    return a.Line == b.Line && a.Picked == b.Picked && a.Bytes.First == b.Bytes.First &&
           a.Bytes.End == b.Bytes.End && a.Bytes.DimFirst == b.Bytes.DimFirst &&
           a.Bytes.DimEnd == b.Bytes.DimEnd && a.Bytes.Span == b.Bytes.Span &&
           a.Bytes.Record == b.Bytes.Record;
}

void SelectionHistory::Follow(const QObject* source) {
    if (source == this)
        return;
    const Entry now = Now();
    // Nothing selected is no place to come back to.
    if (now.Line < 0 && now.Bytes.End <= now.Bytes.First)
        return;
    const bool step = std::find(stepping_.begin(), stepping_.end(), source) != stepping_.end();
    if (entries_.empty()) {
        entries_.push_back(now);
        current_ = 0;
    } else if (step) {
        entries_[current_] = now;
    } else if (!Same(entries_[current_], now)) {
        entries_.resize(current_ + 1); // a jump after going back drops the way forward
        entries_.push_back(now);
        if (entries_.size() > kMaxEntries)
            entries_.erase(entries_.begin());
        current_ = entries_.size() - 1;
    }
    emit Moved();
}

void SelectionHistory::Reset() {
    entries_.clear();
    current_ = 0;
    emit Moved();
}

void SelectionHistory::Show(size_t index) {
    current_ = index;
    const Entry& e = entries_[index];
    selection_.Restore(e.Line, e.Picked, e.Bytes, this);
    emit Moved();
}

void SelectionHistory::Back() {
    if (CanGoBack())
        Show(current_ - 1);
}

void SelectionHistory::Forward() {
    if (CanGoForward())
        Show(current_ + 1);
}
