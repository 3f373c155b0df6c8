#pragma once
// The outline: the walk map as a tree. The top level lists the chunks in file order (and, where the walk
// stopped short of the file's end, the bytes it never reached); rooms stand under the room chunk, their
// parts under each room, listed runs under their chunk, and a run's records under the run. Records are
// never made into items: a run answers its row count from its lines, and a record's index carries the
// run and the record number, so a run of 30,000 records costs nothing until it is shown. A long run
// shows its records in pages of kPageSize, so opening one lays out a page, never the whole run.
//
// A record node (and a part that is one record, a room's header) opens to its fields, one node per
// value of a repeated column, in the order of their offsets, with "unread" nodes for the bytes no field
// covers. The rows of a record kind are laid out once from the format description; a field node's
// value is read from the level bytes when it is shown. Only the records opened get a slot (the
// record a field node belongs to), so a run of a million records costs nothing until one is opened.
#include <cstdint>
#include <functional>
#include <unordered_map>
#include <vector>

#include <QAbstractItemModel>

#include "views/ProblemMarks.h"

class LevelFile;
class WalkMap;
namespace format {
struct Field;
struct Record;
} // namespace format

class OutlineModel : public QAbstractItemModel {
    Q_OBJECT
  public:
    enum Column { kName, kOffset, kCount, kBytes, kType, kValue, kMark, kColumns };
    static constexpr int32_t kPageSize = 500;

    explicit OutlineModel(const WalkMap& map, QObject* parent = nullptr);

    // One row of a record opened to its fields: repeat Repeat of field Field of the record's kind, or
    // bytes no field covers (Field null), at Offset within the record.
    struct FieldRow {
        const format::Field* Field = nullptr;
        int32_t Offset = 0;
        int32_t Size = 0;
        int32_t Repeat = 0;
    };
    // The rows a record of kind r opens to, worked out once for each kind.
    static const std::vector<FieldRow>& FieldRowsOf(const format::Record& r);

    // Where field nodes read their values: the level of the last walk (null: the values stay empty).
    void SetLevel(std::function<const LevelFile*()> level) { level_ = std::move(level); }

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
    // Whether a node is a field of a record (or the record's bytes no field covers).
    bool IsField(const QModelIndex& index) const;
    // The row of a field node; null for any other node.
    const FieldRow* FieldRowOf(const QModelIndex& index) const;
    // The bytes first..end of a field node, and the report line that shows its value; -1 for any
    // other node.
    int64_t FieldFirst(const QModelIndex& index) const;
    int32_t FieldLine(const QModelIndex& index) const;
    // Whether a node is one record that opens to its fields.
    bool OpensToFields(const QModelIndex& index) const;
    // The first byte the walk did not reach, where the walk stopped short of the file's end.
    int64_t NotReachedFirst() const;

    QModelIndex IndexOfSpan(int32_t span) const;
    QModelIndex IndexOfRecord(int32_t span, int32_t record) const;
    // Records of a run that have report lines.
    int32_t ListedRecords(int32_t span) const;
    bool Paged(int32_t span) const { return ListedRecords(span) > kPageSize; }
    // How many child lists the model has worked out so far (for the benchmark's memory figure).
    size_t CachedLists() const { return children_.size(); }
    // How many records have been opened to their fields since the last walk.
    size_t OpenedRecords() const { return opened_.size(); }

  private:
    static QVariant Alignment(int column);
    const std::vector<int32_t>& ChildrenOf(int32_t span) const;
    int RowOfSpan(int32_t span) const;
    bool HasNotReached() const;
    // The record a record node stands for, and its first byte and first report line.
    const format::Record* RecordKindOf(const QModelIndex& index) const;
    int64_t RecordStart(int32_t span, int32_t record) const;
    int32_t RecordLine(int32_t span, int32_t record) const;
    // The slot of an opened record (record -1: the span itself is the record), made on first use.
    uint32_t SlotOf(int32_t span, int32_t record) const;
    QVariant FieldData(const QModelIndex& index, int role) const;

    const WalkMap& map_;
    std::function<const LevelFile*()> level_;
    ProblemTest problems_;
    struct Opened {
        int32_t Span;
        int32_t Record;
    };
    mutable std::vector<Opened> opened_;                                 // the records opened to their fields
    mutable std::unordered_map<quint64, uint32_t> slots_;                // span and record -> slot in opened_
    mutable std::unordered_map<int32_t, std::vector<int32_t>> children_; // -1: the top level
};
