#include "views/OutlineModel.h"

#include <algorithm>
#include <limits>

#include <QBrush>
#include <QColor>
#include <QPainter>
#include <QPixmap>

#include "format/WalkMap.h"
#include "views/OffsetText.h"

namespace {

// A node's internal id: the span + 1 in the low 32 bits, the record + 1 in the high ones.
constexpr quint64 kNotReachedId = 0xFFFFFFFFu;

// A page of a long run has the top bit of the high half set and its number below it.
constexpr quint64 kPageBit = quint64{1} << 63;

quint64 IdOf(int32_t span, int32_t record) {
    return (static_cast<quint64>(static_cast<uint32_t>(record + 1)) << 32) | static_cast<uint32_t>(span + 1);
}
quint64 PageIdOf(int32_t span, int32_t page) {
    return kPageBit | (static_cast<quint64>(static_cast<uint32_t>(page)) << 32) |
           static_cast<uint32_t>(span + 1);
}

QString Text(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

// Whether the report gives the span a count: a chunk or part with a count field, one whose count is
// known without a field (the zones, the light map, the sound map) and every run. A field's value (an
// intensity, the alternate room) is no count.
bool ShowsCount(const Span& s) {
    switch (s.Kind) {
    case SpanKind::Run:
        return true;
    case SpanKind::Chunk:
        return s.CountWidth > 0 || s.Record() != nullptr || s.Count != 0;
    case SpanKind::Part:
        return s.CountWidth > 0 || s.Count != 0;
    case SpanKind::Room:
    case SpanKind::Field:
        return false;
    }
    return false;
}

QString BytesText(int64_t first, int64_t bytes) {
    return OutlineModel::tr("at %1 (%2), %3 bytes").arg(HexOffset(first)).arg(first).arg(bytes);
}

// The mark of a node holding a problem: a dot of the problem's colour.
QPixmap ProblemDot(ProblemMark mark) {
    QPixmap dot(10, 10);
    dot.fill(Qt::transparent);
    QPainter p(&dot);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(ProblemColour(mark));
    p.drawEllipse(QRectF(1, 1, 8, 8));
    return dot;
}

} // namespace

OutlineModel::OutlineModel(const WalkMap& map, QObject* parent) : QAbstractItemModel(parent), map_(map) {}

void OutlineModel::Reset() {
    beginResetModel();
    children_.clear();
    endResetModel();
}

const std::vector<int32_t>& OutlineModel::ChildrenOf(int32_t span) const {
    auto found = children_.find(span);
    if (found == children_.end())
        found = children_.emplace(span, span < 0 ? map_.TopLevel() : map_.Children(span)).first;
    return found->second;
}

int64_t OutlineModel::NotReachedFirst() const {
    int64_t reached = map_.EndOffset();
    for (int32_t i : ChildrenOf(-1))
        reached = std::max<int64_t>(reached, map_[i].End);
    return reached;
}

bool OutlineModel::HasNotReached() const {
    return !map_.Empty() && map_.Ending() != WalkEnding::None && NotReachedFirst() < map_.FileSize();
}

int32_t OutlineModel::ListedRecords(int32_t span) const {
    const Span& s = map_[span];
    if (s.Kind != SpanKind::Run || !s.Record())
        return 0;
    const int32_t per = std::max<int32_t>(s.Record()->LinesPerRecord, 1);
    const int32_t listed = std::max(0, s.EndLine - s.Line - 1 + per - 1) / per;
    return std::min(std::max(s.Count, 0), listed);
}

int OutlineModel::rowCount(const QModelIndex& parent) const {
    if (parent.column() > 0)
        return 0;
    if (!parent.isValid())
        return static_cast<int>(ChildrenOf(-1).size()) + (HasNotReached() ? 1 : 0);
    if (IsNotReached(parent) || RecordOf(parent) >= 0)
        return 0;
    const int32_t span = SpanOf(parent);
    if (const int32_t page = PageOf(parent); page >= 0)
        return std::min(kPageSize, ListedRecords(span) - page * kPageSize);
    if (map_[span].Kind == SpanKind::Run)
        return Paged(span) ? (ListedRecords(span) + kPageSize - 1) / kPageSize : ListedRecords(span);
    return static_cast<int>(ChildrenOf(span).size());
}

bool OutlineModel::hasChildren(const QModelIndex& parent) const {
    if (!parent.isValid())
        return !map_.Empty();
    if (parent.column() > 0 || IsNotReached(parent) || RecordOf(parent) >= 0)
        return false;
    const int32_t span = SpanOf(parent);
    const Span& s = map_[span];
    return s.Kind == SpanKind::Run ? ListedRecords(span) > 0 : s.Next > span + 1;
}

int OutlineModel::columnCount(const QModelIndex&) const {
    return kColumns;
}

QModelIndex OutlineModel::index(int row, int column, const QModelIndex& parent) const {
    if (row < 0 || column < 0 || column >= kColumns || parent.column() > 0)
        return {};
    if (!parent.isValid()) {
        const std::vector<int32_t>& top = ChildrenOf(-1);
        if (row < static_cast<int>(top.size()))
            return createIndex(row, column, IdOf(top[static_cast<size_t>(row)], -1));
        return row == static_cast<int>(top.size()) && HasNotReached()
                   ? createIndex(row, column, kNotReachedId)
                   : QModelIndex();
    }
    const int32_t span = SpanOf(parent);
    if (span < 0 || RecordOf(parent) >= 0 || row >= rowCount(parent))
        return {};
    if (const int32_t page = PageOf(parent); page >= 0)
        return createIndex(row, column, IdOf(span, page * kPageSize + row));
    if (map_[span].Kind == SpanKind::Run)
        return createIndex(row, column, Paged(span) ? PageIdOf(span, row) : IdOf(span, row));
    const std::vector<int32_t>& children = ChildrenOf(span);
    return row < static_cast<int>(children.size())
               ? createIndex(row, column, IdOf(children[static_cast<size_t>(row)], -1))
               : QModelIndex();
}

int OutlineModel::RowOfSpan(int32_t span) const {
    const std::vector<int32_t>& siblings = ChildrenOf(map_[span].Parent);
    const auto at = std::lower_bound(siblings.begin(), siblings.end(), span);
    return at != siblings.end() && *at == span ? static_cast<int>(at - siblings.begin()) : -1;
}

QModelIndex OutlineModel::parent(const QModelIndex& child) const {
    if (!child.isValid() || IsNotReached(child))
        return {};
    const int32_t span = SpanOf(child);
    if (const int32_t record = RecordOf(child); record >= 0 && Paged(span))
        return createIndex(record / kPageSize, 0, PageIdOf(span, record / kPageSize));
    if (RecordOf(child) >= 0 || PageOf(child) >= 0)
        return createIndex(RowOfSpan(span), 0, IdOf(span, -1));
    const int32_t up = map_[span].Parent;
    return up < 0 ? QModelIndex() : createIndex(RowOfSpan(up), 0, IdOf(up, -1));
}

int32_t OutlineModel::SpanOf(const QModelIndex& index) const {
    if (!index.isValid() || index.internalId() == kNotReachedId)
        return -1;
    return static_cast<int32_t>(index.internalId() & 0xFFFFFFFFu) - 1;
}

int32_t OutlineModel::RecordOf(const QModelIndex& index) const {
    if (!index.isValid() || index.internalId() == kNotReachedId || (index.internalId() & kPageBit))
        return -1;
    return static_cast<int32_t>(index.internalId() >> 32) - 1;
}

int32_t OutlineModel::PageOf(const QModelIndex& index) const {
    if (!index.isValid() || !(index.internalId() & kPageBit))
        return -1;
    return static_cast<int32_t>((index.internalId() & ~kPageBit) >> 32);
}

bool OutlineModel::IsNotReached(const QModelIndex& index) const {
    return index.isValid() && index.internalId() == kNotReachedId;
}

QModelIndex OutlineModel::IndexOfSpan(int32_t span) const {
    if (span < 0 || span >= map_.Size())
        return {};
    const int row = RowOfSpan(span);
    return row < 0 ? QModelIndex() : createIndex(row, 0, IdOf(span, -1));
}

QModelIndex OutlineModel::IndexOfRecord(int32_t span, int32_t record) const {
    if (span < 0 || span >= map_.Size() || record < 0 || record >= ListedRecords(span))
        return IndexOfSpan(span);
    return createIndex(Paged(span) ? record % kPageSize : record, 0, IdOf(span, record));
}

ProblemMark OutlineModel::ProblemOf(const QModelIndex& index) const {
    if (!problems_ || !index.isValid())
        return ProblemMark::None;
    if (IsNotReached(index)) // past the file's end too: where a walk that ran over it ended
        return problems_(NotReachedFirst(), std::numeric_limits<int64_t>::max());
    const int32_t span = SpanOf(index);
    const Span& s = map_[span];
    if (const int32_t page = PageOf(index); page >= 0) {
        const int32_t count = std::min(kPageSize, ListedRecords(span) - page * kPageSize);
        const int64_t first = map_.RecordFirst(span, page * kPageSize);
        return problems_(first, first + int64_t{count} * s.Record()->Size);
    }
    if (const int32_t record = RecordOf(index); record >= 0) {
        const int64_t first = map_.RecordFirst(span, record);
        return problems_(first, first + s.Record()->Size);
    }
    return problems_(s.First, s.End);
}

QVariant OutlineModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid())
        return {};
    if (role == Qt::DecorationRole) {
        const ProblemMark mark = index.column() == kName ? ProblemOf(index) : ProblemMark::None;
        return mark == ProblemMark::None ? QVariant() : QVariant(ProblemDot(mark));
    }
    if (IsNotReached(index)) {
        const int64_t first = NotReachedFirst();
        switch (role) {
        case Qt::DisplayRole:
            switch (index.column()) {
            case kName:
                return tr("Not reached");
            case kOffset:
                return HexOffset(first);
            case kBytes:
                return QString::number(map_.FileSize() - first);
            case kMark:
                return tr("the walk ended at %1").arg(HexOffset(map_.EndOffset()));
            default:
                return {};
            }
        case Qt::ForegroundRole:
            return QBrush(QColor(120, 120, 120));
        case Qt::ToolTipRole:
            return tr("Bytes from %1 to the end of the file that the walk never reached")
                .arg(HexOffset(first));
        default:
            return {};
        }
    }
    const int32_t span = SpanOf(index);
    const int32_t record = RecordOf(index);
    const Span& s = map_[span];
    if (const int32_t page = PageOf(index); page >= 0) {
        const int32_t first = page * kPageSize;
        const int32_t count = std::min(kPageSize, ListedRecords(span) - first);
        if (role == Qt::ToolTipRole)
            return tr("%1 %2 to %3 of %4, %5")
                .arg(Text(s.Record()->Name))
                .arg(first)
                .arg(first + count - 1)
                .arg(ListedRecords(span))
                .arg(BytesText(map_.RecordFirst(span, first), int64_t{count} * s.Record()->Size));
        if (role == Qt::TextAlignmentRole)
            return Alignment(index.column());
        if (role != Qt::DisplayRole)
            return {};
        switch (index.column()) {
        case kName:
            return QStringLiteral("%1 %2 to %3")
                .arg(Text(s.Record()->Name))
                .arg(first)
                .arg(first + count - 1);
        case kOffset:
            return HexOffset(map_.RecordFirst(span, first));
        case kCount:
            return count;
        case kBytes:
            return QString::number(int64_t{count} * s.Record()->Size);
        default:
            return {};
        }
    }
    if (record >= 0) {
        const int32_t first = map_.RecordFirst(span, record);
        const QString mark =
            first + s.Record()->Size > map_.FileSize() ? tr("past the end of the file") : QString();
        if (role == Qt::ToolTipRole)
            return tr("%1 %2 %3%4")
                .arg(Text(s.Record()->Name))
                .arg(record)
                .arg(BytesText(first, s.Record()->Size),
                     mark.isEmpty() ? QString() : QStringLiteral("; ") + mark);
        if (role == Qt::TextAlignmentRole)
            return Alignment(index.column());
        if (role != Qt::DisplayRole)
            return {};
        switch (index.column()) {
        case kName:
            return QStringLiteral("%1 %2").arg(Text(s.Record()->Name)).arg(record);
        case kOffset:
            return HexOffset(first);
        case kBytes:
            return QString::number(s.Record()->Size);
        case kMark:
            return mark.isEmpty() ? QVariant() : mark;
        default:
            return {};
        }
    }
    QString mark;
    if (s.Has(Span::Cut))
        mark = tr("the walk ended here");
    else if (s.Has(Span::PastEnd))
        mark = tr("past the end of the file");
    else if (s.Has(Span::SteppedBack))
        mark = tr("stepped back");
    switch (role) {
    case Qt::DisplayRole:
        switch (index.column()) {
        case kName:
            if (s.Kind == SpanKind::Room)
                return tr("Room %1").arg(s.Index);
            if (s.Kind == SpanKind::Run)
                return tr("%1 records").arg(Text(s.Name()));
            return Text(s.Name());
        case kOffset:
            return HexOffset(s.First);
        case kCount:
            return ShowsCount(s) ? QVariant(s.Count) : QVariant();
        case kBytes:
            return QString::number(int64_t{s.End} - s.First);
        case kMark:
            return mark.isEmpty() ? QVariant() : mark;
        default:
            return {};
        }
    case Qt::ForegroundRole:
        if (s.Has(Span::Cut))
            return QBrush(QColor(200, 0, 0));
        if (s.Has(Span::PastEnd) || s.Has(Span::SteppedBack))
            return QBrush(QColor(190, 100, 0));
        return {};
    case Qt::ToolTipRole: {
        QString tip = tr("%1 %2").arg(index.siblingAtColumn(kName).data().toString(),
                                      BytesText(s.First, int64_t{s.End} - s.First));
        if (ShowsCount(s))
            tip += tr("; count %1").arg(s.Count);
        else if (s.Kind == SpanKind::Field && s.CountWidth > 0)
            tip += tr("; value %1").arg(s.Count);
        return mark.isEmpty() ? tip : tip + QStringLiteral("; ") + mark;
    }
    case Qt::TextAlignmentRole:
        return Alignment(index.column());
    default:
        return {};
    }
}

QVariant OutlineModel::Alignment(int column) {
    return column == kName || column == kMark ? QVariant() : QVariant(Qt::AlignRight | Qt::AlignVCenter);
}

QVariant OutlineModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal)
        return {};
    if (role == Qt::ToolTipRole)
        switch (section) {
        case kName:
            return tr("The chunk, room, part, run or record");
        case kOffset:
            return tr("Its first byte (a chunk's count field, where it has one)");
        case kCount:
            return tr("The count the report gives: records, rooms, entries or words");
        case kBytes:
            return tr("Its length in bytes");
        case kMark:
            return tr("What the walk found: where it ended, what lies past the end of the file, a step back");
        default:
            return {};
        }
    if (role != Qt::DisplayRole)
        return {};
    switch (section) {
    case kName:
        return tr("Chunk");
    case kOffset:
        return tr("Offset");
    case kCount:
        return tr("Count");
    case kBytes:
        return tr("Bytes");
    case kMark:
        return tr("Mark");
    default:
        return {};
    }
}
