#pragma once
// The differences of the level shown against a second level, as a list beside the report. Selecting a
// difference selects, through the shared selection, the bytes it concerns in the level shown: the
// report pane shows their line, the hex view their bytes, the views that follow the selection their
// room. A changed field selects its bytes, a block its changed bytes; a record only in the second level
// selects the run it would stand in. The second level's bytes and walk are kept while the list shows
// its differences, with the alignment of the two (OffsetAlignment.h), for the side-by-side hex panes.
#include <QWidget>

#include <array>
#include <utility>
#include <vector>

#include "compare/Compare.h"
#include "compare/OffsetAlignment.h"

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
    // The bytes of the compared level that a row concerns (first, end): a field's, a block's changed
    // bytes, a record only there; for a row with none there, the byte standing for the row's place in
    // the level shown, one byte long. (-1, -1) for none.
    std::pair<int64_t, int64_t> OtherBytesOf(int row) const;
    // Selects a row and its bytes, as a click does.
    void SelectRow(int row);
    int CurrentRow() const;
    // The bytes that differ, in the level shown (A) or the compared level (B), as (first, end) ranges:
    // changed fields and blocks' runs on both sides, records only in one on that side.
    std::vector<std::pair<int64_t, int64_t>> ChangedBytes(bool inShown) const;
    // The compared level while the list shows a comparison (Walked() false otherwise), and where each
    // byte of the level shown stands in it and back.
    const compare::WalkedLevel& Other() const { return other_; }
    const compare::OffsetAlignment& ShownToOther() const { return toOther_; }
    const compare::OffsetAlignment& OtherToShown() const { return toShown_; }
    QString OtherPath() const { return otherPath_; }
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
    compare::WalkedLevel other_; // the level compared with it
    QString otherPath_;
    compare::OffsetAlignment toOther_, toShown_;
    std::vector<compare::Difference> differences_;
    std::array<bool, static_cast<size_t>(Piece::Records) + 1> differs_{};
    int64_t notShown_ = 0;
};
