#include "views/OutlineModel.h"

#include <algorithm>
#include <array>
#include <limits>

#include <QBrush>
#include <QColor>
#include <QPainter>
#include <QPixmap>

#include "format/FieldText.h"
#include "format/FieldValue.h"
#include "format/LevelFile.h"
#include "format/WalkMap.h"
#include "views/OffsetText.h"

namespace {

// A node's internal id: the span + 1 in the low 32 bits, the record + 1 in the high ones.
constexpr quint64 kNotReachedId = 0xFFFFFFFFu;

// A page of a long run has the top bit of the high half set and its number below it.
constexpr quint64 kPageBit = quint64{1} << 63;

// A field node has the next bit set, the slot of its opened record above its row in the low byte.
constexpr quint64 kFieldBit = quint64{1} << 62;
constexpr int kFieldRowBits = 8;

bool IsFieldId(quint64 id) {
    return (id & (kPageBit | kFieldBit)) == kFieldBit;
}
size_t SlotOfId(quint64 id) {
    return static_cast<size_t>((id & ~kFieldBit) >> kFieldRowBits);
}
size_t RowOfId(quint64 id) {
    return static_cast<size_t>(id & ((quint64{1} << kFieldRowBits) - 1));
}

QString TypeText(format::Width w) {
    switch (w) {
    case format::Width::U8:
        return QStringLiteral("u8");
    case format::Width::S16:
        return QStringLiteral("s16");
    case format::Width::U16:
        return QStringLiteral("u16");
    case format::Width::S32:
        return QStringLiteral("s32");
    case format::Width::U32:
        return QStringLiteral("u32");
    case format::Width::None:
        break;
    }
    return {};
}

std::vector<OutlineModel::FieldRow> LayOutFields(const format::Record& r) {
    std::vector<OutlineModel::FieldRow> rows;
    std::vector<bool> covered(static_cast<size_t>(std::max(r.Size, 0)));
    for (const format::Field& f : r.Fields) {
        const int32_t bytes = format::FieldBytes(f.Type);
        if (bytes == 0) // a column with no bytes behind it
            continue;
        for (int32_t rep = 0; rep < f.Repeat; ++rep) {
            const int32_t at = f.Offset + rep * f.Stride;
            rows.push_back({.Field = &f, .Offset = at, .Size = bytes, .Repeat = rep});
            for (int32_t i = at; i < at + bytes && i < r.Size; ++i)
                covered[static_cast<size_t>(i)] = true;
        }
    }
    for (int32_t i = 0; i < r.Size;) {
        if (covered[static_cast<size_t>(i)]) {
            ++i;
            continue;
        }
        const int32_t from = i;
        while (i < r.Size && !covered[static_cast<size_t>(i)])
            ++i;
        rows.push_back({.Field = nullptr, .Offset = from, .Size = i - from, .Repeat = 0});
    }
    std::stable_sort(
        rows.begin(), rows.end(),
        [](const OutlineModel::FieldRow& a, const OutlineModel::FieldRow& b) { return a.Offset < b.Offset; });
    return rows;
}

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
    opened_.clear();
    slots_.clear();
    endResetModel();
}

const std::vector<OutlineModel::FieldRow>& OutlineModel::FieldRowsOf(const format::Record& r) {
    static const auto rows = [] {
        std::array<std::vector<FieldRow>, format::kAllRecords.size()> out;
        for (size_t i = 0; i < out.size(); ++i)
            out[i] = LayOutFields(*format::kAllRecords[i]);
        return out;
    }();
    for (size_t i = 0; i < rows.size(); ++i)
        if (format::kAllRecords[i] == &r)
            return rows[i];
    static const std::vector<FieldRow> none;
    return none;
}

bool OutlineModel::IsField(const QModelIndex& index) const {
    return index.isValid() && IsFieldId(index.internalId());
}

uint32_t OutlineModel::SlotOf(int32_t span, int32_t record) const {
    const quint64 key = IdOf(span, record);
    const auto found = slots_.find(key);
    if (found != slots_.end())
        return found->second;
    const auto slot = static_cast<uint32_t>(opened_.size());
    opened_.push_back({span, record});
    slots_.emplace(key, slot);
    return slot;
}

const format::Record* OutlineModel::RecordKindOf(const QModelIndex& index) const {
    if (!index.isValid() || IsField(index) || IsNotReached(index) || PageOf(index) >= 0)
        return nullptr;
    const int32_t span = SpanOf(index);
    const Span& s = map_[span];
    if (RecordOf(index) >= 0)
        return s.Record();
    // A part that is one record and lists it itself (a room's header).
    if (s.Kind == SpanKind::Part && s.CountWidth == 0 && s.Record() && s.Next == span + 1)
        return s.Record();
    return nullptr;
}

bool OutlineModel::OpensToFields(const QModelIndex& index) const {
    const format::Record* r = RecordKindOf(index);
    return r && !FieldRowsOf(*r).empty();
}

int64_t OutlineModel::RecordStart(int32_t span, int32_t record) const {
    return record >= 0 ? int64_t{map_.RecordFirst(span, record)} : int64_t{map_[span].First};
}

int32_t OutlineModel::RecordLine(int32_t span, int32_t record) const {
    if (record >= 0)
        return map_.LineOfRecord(span, record);
    const Span& s = map_[span];
    return s.EndLine > s.Line + 1 ? s.Line + 1 : s.Line; // under the column header line
}

const OutlineModel::FieldRow* OutlineModel::FieldRowOf(const QModelIndex& index) const {
    if (!IsField(index))
        return nullptr;
    const format::Record* r = map_[opened_[SlotOfId(index.internalId())].Span].Record();
    const std::vector<FieldRow>& rows = FieldRowsOf(*r);
    const size_t row = RowOfId(index.internalId());
    return row < rows.size() ? &rows[row] : nullptr;
}

int64_t OutlineModel::FieldFirst(const QModelIndex& index) const {
    const FieldRow* row = FieldRowOf(index);
    if (!row)
        return -1;
    const Opened& o = opened_[SlotOfId(index.internalId())];
    return RecordStart(o.Span, o.Record) + row->Offset;
}

int32_t OutlineModel::FieldLine(const QModelIndex& index) const {
    const FieldRow* row = FieldRowOf(index);
    if (!row)
        return -1;
    const Opened& o = opened_[SlotOfId(index.internalId())];
    const int32_t line = RecordLine(o.Span, o.Record);
    // A repeated column's value stands on the record's continuation line of its repeat.
    const int32_t on = row->Field ? line + row->Repeat : line;
    return on < map_[o.Span].EndLine ? on : line;
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
    if (IsField(parent))
        return 0;
    if (const format::Record* r = RecordKindOf(parent))
        return static_cast<int>(FieldRowsOf(*r).size());
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
    if (parent.column() > 0 || IsField(parent))
        return false;
    if (OpensToFields(parent))
        return true;
    if (IsNotReached(parent) || RecordOf(parent) >= 0)
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
    if (IsField(parent))
        return {};
    if (const format::Record* r = RecordKindOf(parent)) {
        if (row >= static_cast<int>(FieldRowsOf(*r).size()))
            return {};
        const quint64 slot = SlotOf(SpanOf(parent), RecordOf(parent));
        return createIndex(row, column, kFieldBit | slot << kFieldRowBits | static_cast<quint64>(row));
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
    if (IsField(child)) {
        const Opened& o = opened_[SlotOfId(child.internalId())];
        return o.Record >= 0 ? IndexOfRecord(o.Span, o.Record) : IndexOfSpan(o.Span);
    }
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
    if (IsFieldId(index.internalId()))
        return opened_[SlotOfId(index.internalId())].Span;
    return static_cast<int32_t>(index.internalId() & 0xFFFFFFFFu) - 1;
}

int32_t OutlineModel::RecordOf(const QModelIndex& index) const {
    if (!index.isValid() || index.internalId() == kNotReachedId || (index.internalId() & kPageBit) ||
        IsFieldId(index.internalId()))
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
    if (const FieldRow* row = FieldRowOf(index)) {
        const int64_t first = FieldFirst(index);
        return problems_(first, first + row->Size);
    }
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
    if (IsField(index))
        return FieldData(index, role);
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

QVariant OutlineModel::FieldData(const QModelIndex& index, int role) const {
    const FieldRow* row = FieldRowOf(index);
    if (!row)
        return {};
    const int64_t first = FieldFirst(index);
    const QString name =
        row->Field ? QString::fromStdString(format::FieldName(*row->Field, row->Repeat)) : tr("unread");
    const QString mark = first + row->Size > map_.FileSize() ? tr("past the end of the file") : QString();
    const LevelFile* level = level_ ? level_() : nullptr;
    switch (role) {
    case Qt::DisplayRole:
        switch (index.column()) {
        case kName:
            return name;
        case kOffset:
            return HexOffset(first);
        case kBytes:
            return QString::number(row->Size);
        case kType:
            return row->Field ? TypeText(row->Field->Type) : QVariant();
        case kValue: {
            if (!level)
                return {};
            if (row->Field) {
                const Opened& o = opened_[SlotOfId(index.internalId())];
                const int64_t stored =
                    StoredValue(*level, *row->Field, RecordStart(o.Span, o.Record), row->Repeat);
                const auto g = static_cast<format::Generation>(map_.Generation());
                return QString::fromStdString(
                    format::FieldText(*row->Field, ShownValue(*row->Field, stored, g)));
            }
            // The bytes no field covers, as hex digits (the first eight of a longer stretch).
            QString bytes;
            for (int32_t i = 0; i < std::min(row->Size, 8); ++i)
                bytes += QStringLiteral("%1 ").arg(level->U8(first + i), 2, 16, QLatin1Char('0')).toUpper();
            return row->Size > 8 ? bytes + QStringLiteral("...") : bytes.trimmed();
        }
        case kMark:
            return mark.isEmpty() ? QVariant() : mark;
        default:
            return {};
        }
    case Qt::ForegroundRole:
        return row->Field ? QVariant() : QVariant(QBrush(QColor(120, 120, 120)));
    case Qt::ToolTipRole:
        return row->Field
                   ? tr("%1 (%2) %3").arg(name, TypeText(row->Field->Type), BytesText(first, row->Size))
                   : tr("Bytes no field of the record shows, %1").arg(BytesText(first, row->Size));
    case Qt::TextAlignmentRole:
        return Alignment(index.column());
    default:
        return {};
    }
}

QVariant OutlineModel::Alignment(int column) {
    return column == kName || column == kMark || column == kType
               ? QVariant()
               : QVariant(Qt::AlignRight | Qt::AlignVCenter);
}

QVariant OutlineModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal)
        return {};
    if (role == Qt::ToolTipRole)
        switch (section) {
        case kName:
            return tr("The chunk, room, part, run, record or field");
        case kOffset:
            return tr("Its first byte (a chunk's count field, where it has one)");
        case kCount:
            return tr("The count the report gives: records, rooms, entries or words");
        case kBytes:
            return tr("Its length in bytes");
        case kType:
            return tr("A field's width and sign");
        case kValue:
            return tr("A field's value as the report shows it; the bytes of an unread stretch");
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
    case kType:
        return tr("Type");
    case kValue:
        return tr("Value");
    case kMark:
        return tr("Mark");
    default:
        return {};
    }
}
