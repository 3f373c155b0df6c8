#pragma once
// The outline: the walk map as a tree. The top level lists the chunks in file order (and, where the walk
// stopped short of the file's end, the bytes it never reached); rooms stand under the room chunk, their
// parts under each room, listed runs under their chunk, and a run's records under the run. Records are
// never made into items: a run answers its row count from its lines, and a record's index carries the
// run and the record number, so a run of 30,000 records costs nothing until it is shown. A long run
// shows its records in pages of kPageSize, so opening one lays out a page, never the whole run.
#include <cstdint>
#include <unordered_map>
#include <vector>

#include <QAbstractItemModel>

#include "views/ProblemMarks.h"

class WalkMap;

class OutlineModel : public QAbstractItemModel {
    Q_OBJECT
  public:
    enum Column { kName, kOffset, kCount, kBytes, kMark, kColumns };
    static constexpr int32_t kPageSize = 500;

    explicit OutlineModel(const WalkMap& map, QObject* parent = nullptr);

    // The map was replaced by a new walk.
    void Reset();
    // Nodes whose bytes hold a problem the checker found carry a mark before their name; an empty
    // test marks none.
    void SetProblems(ProblemTest test) { problems_ = std::move(test); }
    // The worst problem in a node's bytes.
    ProblemMark ProblemOf(const QModelIndex& index) const;

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    bool hasChildren(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // The span of a node (a record's run), -1 for the node of the bytes never reached.
    int32_t SpanOf(const QModelIndex& index) const;
    // The record of a record node, -1 for any other node.
    int32_t RecordOf(const QModelIndex& index) const;
    // The page of a page node (records page x kPageSize on), -1 for any other node.
    int32_t PageOf(const QModelIndex& index) const;
    bool IsNotReached(const QModelIndex& index) const;
    // The first byte the walk did not reach, where the walk stopped short of the file's end.
    int64_t NotReachedFirst() const;

    QModelIndex IndexOfSpan(int32_t span) const;
    QModelIndex IndexOfRecord(int32_t span, int32_t record) const;
    // Records of a run that have report lines.
    int32_t ListedRecords(int32_t span) const;
    bool Paged(int32_t span) const { return ListedRecords(span) > kPageSize; }
    // How many child lists the model has worked out so far (for the benchmark's memory figure).
    size_t CachedLists() const { return children_.size(); }

  private:
    static QVariant Alignment(int column);
    const std::vector<int32_t>& ChildrenOf(int32_t span) const;
    int RowOfSpan(int32_t span) const;
    bool HasNotReached() const;

    const WalkMap& map_;
    ProblemTest problems_;
    mutable std::unordered_map<int32_t, std::vector<int32_t>> children_; // -1: the top level
};
