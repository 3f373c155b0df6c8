#pragma once
// The differences of the level shown against a second level, as a list beside the report. Selecting a
// difference selects, through the shared selection, the bytes it concerns in the level shown: the
// report pane shows their line, the hex view their bytes, the views that follow the selection their
// room. A changed field selects its bytes, a block its changed bytes; a record only in the second level
// selects the run it would stand in.
#include <QWidget>

#include <array>
#include <utility>
#include <vector>

#include "compare/Compare.h"

class QLabel;
class QListWidget;
class SpanSelection;

class DifferencesList : public QWidget {
    Q_OBJECT
  public:
    // Beyond this many differences the list says how many more there are instead of showing them.
    static constexpr int kMostShown = 100000;

    explicit DifferencesList(SpanSelection& selection, QWidget* parent = nullptr);

    // Compares the level shown with the level at path and lists the differences. Returns "" or why the
    // comparison could not be made.
    QString CompareWith(const QString& path);
    void Clear();

    int Count() const { return static_cast<int>(differences_.size()); }
    QString LineAt(int row) const;
    // The byte of the level shown that a row selects, -1 for none.
    int64_t OffsetOf(int row) const;
    // The bytes of the level shown that a row selects (first, end): a field's bytes, a block's changed
    // bytes; (-1, -1) where a row selects a place rather than bytes.
    std::pair<int64_t, int64_t> BytesOf(int row) const;
    // Selects a row and its bytes, as a click does.
    void SelectRow(int row);
    // The line above the list: the file compared with and the count.
    QString Summary() const;
    // Whether a top-level chunk of this kind differs.
    bool ChunkDiffers(Piece chunk) const { return differs_[static_cast<size_t>(chunk)]; }

  signals:
    // The list was filled or cleared: the chunks that differ changed.
    void DifferencesChanged();

  private:
    void FollowRow(int row);

    SpanSelection& selection_;
    QLabel* summary_ = nullptr;
    QListWidget* list_ = nullptr;
    compare::WalkedLevel shown_; // the level shown, walked for the comparison
    std::vector<compare::Difference> differences_;
    std::array<bool, static_cast<size_t>(Piece::Records) + 1> differs_{};
    int64_t notShown_ = 0;
};
