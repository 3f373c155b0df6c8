#include "views/HexView.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <memory>

#include <QClipboard>
#include <QContextMenuEvent>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>
#include <QToolTip>

#include "format/LevelFile.h"
#include "views/ByteInfo.h"
#include "views/HexColours.h"
#include "views/SpanSelection.h"

namespace {

constexpr int kMargin = 4;
// Character columns of a row: 8 offset digits, two blanks, 16 bytes of "XX " with one more blank
// between the two halves, and the 16 characters behind one more blank.
constexpr int kHexColumn = 10;
constexpr int kTextColumn = kHexColumn + 3 * HexView::kBytesPerRow + 2;
constexpr int kRowColumns = kTextColumn + HexView::kBytesPerRow;

constexpr int ColumnOfByte(int i) {
    return kHexColumn + 3 * i + (i >= HexView::kBytesPerRow / 2 ? 1 : 0);
}

constexpr char kDigits[] = "0123456789ABCDEF";

// The copies and their keys, in the context menu's order.
struct CopyCommand {
    CopyFormat Format;
    const char* Name;
    const char* Words;
    QKeyCombination Key;
};
constexpr CopyCommand kCopies[] = {
    {CopyFormat::HexText, "actCopyHex", QT_TRANSLATE_NOOP("HexView", "&Copy as Hex"),
     QKeyCombination(Qt::ControlModifier, Qt::Key_C)},
    {CopyFormat::CArray, "actCopyCArray", QT_TRANSLATE_NOOP("HexView", "Copy as C &Array"),
     QKeyCombination(Qt::ControlModifier | Qt::ShiftModifier, Qt::Key_C)},
    {CopyFormat::ReportLines, "actCopyReportLines", QT_TRANSLATE_NOOP("HexView", "Copy Report &Lines"),
     QKeyCombination(Qt::ControlModifier | Qt::AltModifier, Qt::Key_C)},
};

const CopyCommand* CopyCommandOf(const QKeyEvent* e) {
    const auto* found = std::find_if(std::begin(kCopies), std::end(kCopies),
                                     [e](const CopyCommand& c) { return e->keyCombination() == c.Key; });
    return found == std::end(kCopies) ? nullptr : found;
}

} // namespace

HexView::HexView(SpanSelection& selection, QWidget* parent)
    : QAbstractScrollArea(parent), selection_(selection) {
    setFocusPolicy(Qt::StrongFocus);
    setFont(HexFont());
    TakeFontMetrics();
    verticalScrollBar()->setSingleStep(1);
    connect(&selection_, &SpanSelection::WalkReplaced, this, &HexView::TakeWalk);
    connect(&selection_, &SpanSelection::Changed, this, &HexView::Follow);
    TakeWalk();
}

QFont HexView::HexFont() {
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSize(9);
    return font;
}

int64_t HexView::ByteCount() const {
    return selection_.Level() ? selection_.Level()->Size() : 0;
}

namespace {

using Ranges = std::vector<std::pair<int64_t, int64_t>>;

// Sorted and merged, ranges that overlap or touch answer with one search.
Ranges Merged(Ranges ranges) {
    std::erase_if(ranges, [](const auto& r) { return r.second <= r.first; });
    std::sort(ranges.begin(), ranges.end());
    Ranges merged;
    for (const auto& range : ranges) {
        if (!merged.empty() && range.first <= merged.back().second)
            merged.back().second = std::max(merged.back().second, range.second);
        else
            merged.push_back(range);
    }
    return merged;
}

bool InRanges(const Ranges& ranges, int64_t offset) {
    auto after =
        std::upper_bound(ranges.begin(), ranges.end(), offset,
                         [](int64_t o, const std::pair<int64_t, int64_t>& r) { return o < r.first; });
    return after != ranges.begin() && offset < std::prev(after)->second;
}

} // namespace

void HexView::TakeWalk() {
    Ranges chunks;
    const WalkMap& map = selection_.Map();
    for (int32_t i : map.TopLevel())
        chunks.emplace_back(map[i].First, map[i].End);
    // A walk that stepped back covers bytes twice.
    covered_ = Merged(std::move(chunks));
    changed_.clear();
    cursor_ = -1;
    UpdateScrollBars();
    verticalScrollBar()->setValue(0);
    horizontalScrollBar()->setValue(0);
    viewport()->update();
}

bool HexView::Covered(int64_t offset) const {
    return InRanges(covered_, offset);
}

bool HexView::Changed(int64_t offset) const {
    return InRanges(changed_, offset);
}

void HexView::SetChanged(std::vector<std::pair<int64_t, int64_t>> ranges) {
    changed_ = Merged(std::move(ranges));
    viewport()->update();
}

HexView::Shade HexView::ShadeOf(int64_t offset) const {
    const LineBytes& b = selection_.Bytes();
    if (offset >= b.First && offset < b.End)
        return Shade::Selected;
    if (!changed_.empty() && Changed(offset))
        return Shade::Changed;
    if (offset >= b.DimFirst && offset < b.DimEnd)
        return Shade::Dim;
    return Covered(offset) ? Shade::Plain : Shade::Uncovered;
}

void HexView::Follow(const QObject* source) {
    if (source != this) {
        const int64_t focus = selection_.FocusOffset();
        if (focus >= 0 && focus < ByteCount()) {
            cursor_ = focus;
            ScrollToOffset(focus);
        }
    }
    viewport()->update();
}

void HexView::TakeFontMetrics() {
    const QFontMetrics metrics(font());
    lineHeight_ = std::max(1, metrics.lineSpacing());
    ascent_ = metrics.ascent();
    pitch_ = std::max<qreal>(1, QFontMetricsF(font()).horizontalAdvance(QLatin1Char('0')));
    horizontalScrollBar()->setSingleStep(static_cast<int>(std::ceil(pitch_ * 4)));
}

int HexView::VisibleRows() const {
    return std::max(1, viewport()->height() / lineHeight_);
}

int64_t HexView::FirstVisibleRow() const {
    return verticalScrollBar()->value();
}

void HexView::UpdateScrollBars() {
    const int64_t rows = (ByteCount() + kBytesPerRow - 1) / kBytesPerRow;
    const int visible = VisibleRows();
    verticalScrollBar()->setRange(0, static_cast<int>(std::clamp<int64_t>(rows - visible, 0, INT_MAX)));
    verticalScrollBar()->setPageStep(visible);
    const int width = static_cast<int>(std::ceil(2 * kMargin + kRowColumns * pitch_));
    horizontalScrollBar()->setRange(0, std::max(0, width - viewport()->width()));
    horizontalScrollBar()->setPageStep(viewport()->width());
}

qreal HexView::HexX(int column) const {
    return kMargin - horizontalScrollBar()->value() + column * pitch_;
}

qreal HexView::TextX(int column) const {
    return HexX(column);
}

int64_t HexView::OffsetAt(QPoint point) const {
    if (point.y() < 0)
        return -1;
    const int64_t row = FirstVisibleRow() + point.y() / lineHeight_;
    const auto column = static_cast<int>(std::floor((point.x() - HexX(0)) / pitch_));
    int i = -1;
    if (column >= kHexColumn && column < kTextColumn - 1) {
        int c = column - kHexColumn;
        if (c >= 3 * (kBytesPerRow / 2))
            c -= 1;
        i = std::min(c / 3, kBytesPerRow - 1);
    } else if (column >= kTextColumn && column < kRowColumns) {
        i = column - kTextColumn;
    }
    if (i < 0)
        return -1;
    const int64_t offset = row * kBytesPerRow + i;
    return offset < ByteCount() ? offset : -1;
}

QRect HexView::ByteRect(int64_t offset) const {
    const int64_t row = offset / kBytesPerRow - FirstVisibleRow();
    const qreal x = HexX(ColumnOfByte(static_cast<int>(offset % kBytesPerRow)));
    return QRect(static_cast<int>(std::floor(x)), static_cast<int>(row * lineHeight_),
                 static_cast<int>(std::ceil(2 * pitch_)), lineHeight_);
}

void HexView::ScrollToOffset(int64_t offset) {
    const int64_t row = offset / kBytesPerRow;
    const int64_t first = FirstVisibleRow();
    const int visible = VisibleRows();
    if (row < first || row >= first + visible)
        verticalScrollBar()->setValue(static_cast<int>(std::clamp<int64_t>(row - visible / 2, 0, INT_MAX)));
}

void HexView::SetFirstVisibleRow(int64_t row) {
    verticalScrollBar()->setValue(static_cast<int>(std::clamp<int64_t>(row, 0, INT_MAX)));
}

void HexView::PickByte(int64_t offset) {
    if (offset < 0 || offset >= ByteCount())
        return;
    cursor_ = offset;
    ScrollToOffset(offset);
    selection_.SelectOffset(offset, this);
    viewport()->update();
}

QString HexView::ToolTipAt(int64_t offset) const {
    if (!selection_.Level() || offset < 0 || offset >= ByteCount())
        return {};
    return DescribeByte(selection_.Map(), *selection_.Level(), offset);
}

void HexView::paintEvent(QPaintEvent* e) {
    QPainter painter(viewport());
    painter.setFont(font());
    const LevelFile* level = selection_.Level();
    if (!level)
        return;
    const std::span<const uint8_t> bytes = level->Bytes();
    const int64_t size = static_cast<int64_t>(bytes.size());
    const HexColours colours = HexColoursFor(palette());
    // Background and pen for each shade, in the order of Shade.
    const std::array<HexColours::Cell, 5> cells{colours.Plain, colours.Selected, colours.Dim,
                                                colours.Uncovered, colours.Changed};

    const int64_t first = FirstVisibleRow();
    const int64_t from = first + std::max(0, e->rect().top()) / lineHeight_;
    const int64_t to = std::min<int64_t>((size + kBytesPerRow - 1) / kBytesPerRow,
                                         first + e->rect().bottom() / lineHeight_ + 1);
    QString hex(kRowColumns, QLatin1Char(' '));
    for (int64_t row = from; row < to; ++row) {
        const qreal y = static_cast<qreal>((row - first) * lineHeight_);
        const int64_t at = row * kBytesPerRow;
        const int n = static_cast<int>(std::min<int64_t>(kBytesPerRow, size - at));
        hex.fill(QLatin1Char(' '));
        for (int c = 0; c < 8; ++c)
            hex[c] = QLatin1Char(kDigits[(at >> (4 * (7 - c))) & 0xF]);
        std::array<Shade, kBytesPerRow> shade{};
        for (int i = 0; i < n; ++i) {
            const uint8_t b = bytes[static_cast<size_t>(at + i)];
            hex[ColumnOfByte(i)] = QLatin1Char(kDigits[b >> 4]);
            hex[ColumnOfByte(i) + 1] = QLatin1Char(kDigits[b & 0xF]);
            hex[kTextColumn + i] = QLatin1Char(b >= 0x20 && b < 0x7F ? static_cast<char>(b) : '.');
            shade[static_cast<size_t>(i)] = ShadeOf(at + i);
        }
        painter.setPen(colours.Offsets);
        painter.drawText(QPointF(HexX(0), y + ascent_), hex.left(8));
        // Runs of equally shaded bytes: one band and one text each, in the hex part and the characters.
        for (int i = 0; i < n;) {
            int j = i + 1;
            while (j < n && shade[static_cast<size_t>(j)] == shade[static_cast<size_t>(i)])
                ++j;
            const auto s = static_cast<size_t>(shade[static_cast<size_t>(i)]);
            const int hexFrom = ColumnOfByte(i), hexTo = ColumnOfByte(j - 1) + 2;
            const QRectF hexBand(HexX(hexFrom), y, (hexTo - hexFrom) * pitch_, lineHeight_);
            const QRectF textBand(TextX(kTextColumn + i), y, (j - i) * pitch_, lineHeight_);
            if (s != 0) {
                painter.fillRect(hexBand, cells[s].Fill);
                painter.fillRect(textBand, cells[s].Fill);
            }
            painter.setPen(cells[s].Pen);
            painter.drawText(QPointF(hexBand.left(), y + ascent_), hex.mid(hexFrom, hexTo - hexFrom));
            painter.drawText(QPointF(textBand.left(), y + ascent_), hex.mid(kTextColumn + i, j - i));
            i = j;
        }
    }
    // Bookmarks: a line of their colour under their bytes, in the hex digits and the characters.
    for (const Bookmark& b : bookmarks_) {
        for (int64_t row = std::max(from, b.First / kBytesPerRow); row < to && row * kBytesPerRow < b.End;
             ++row) {
            const int i = static_cast<int>(std::max<int64_t>(b.First - row * kBytesPerRow, 0));
            const int j = static_cast<int>(std::min<int64_t>(b.End - row * kBytesPerRow, kBytesPerRow));
            const qreal y = static_cast<qreal>((row - first + 1) * lineHeight_) - 2;
            const qreal hexFrom = HexX(ColumnOfByte(i)), hexTo = HexX(ColumnOfByte(j - 1) + 2);
            painter.fillRect(QRectF(hexFrom, y, hexTo - hexFrom, 2), b.Colour);
            painter.fillRect(QRectF(TextX(kTextColumn + i), y, (j - i) * pitch_, 2), b.Colour);
        }
    }
    if (cursor_ >= 0 && cursor_ / kBytesPerRow >= from && cursor_ / kBytesPerRow < to)
        PaintPick(painter, colours, bytes[static_cast<size_t>(cursor_)]);
}

// The picked byte in a fill of its own, its digits and character over it, framed while the view has
// the focus: it stands out inside a selected band as well as on plain bytes.
void HexView::PaintPick(QPainter& painter, const HexColours& colours, uint8_t byte) {
    const qreal y = static_cast<qreal>((cursor_ / kBytesPerRow - FirstVisibleRow()) * lineHeight_);
    const int column = ColumnOfByte(static_cast<int>(cursor_ % kBytesPerRow));
    const QRectF hexCell(HexX(column), y, 2 * pitch_, lineHeight_);
    const QRectF textCell(TextX(kTextColumn + static_cast<int>(cursor_ % kBytesPerRow)), y, pitch_,
                          lineHeight_);
    const char digits[] = {kDigits[byte >> 4], kDigits[byte & 0xF]};
    const QChar shown = QLatin1Char(byte >= 0x20 && byte < 0x7F ? static_cast<char>(byte) : '.');
    for (const QRectF& cell : {hexCell, textCell})
        painter.fillRect(cell, colours.Picked.Fill);
    painter.setPen(colours.Picked.Pen);
    painter.drawText(QPointF(hexCell.left(), y + ascent_), QString::fromLatin1(digits, 2));
    painter.drawText(QPointF(textCell.left(), y + ascent_), QString(shown));
    if (hasFocus()) {
        painter.setPen(QPen(colours.PickFrame, 1));
        painter.setBrush(Qt::NoBrush);
        for (const QRectF& cell : {hexCell, textCell})
            painter.drawRect(cell.adjusted(0.5, 0.5, -0.5, -0.5));
    }
}

void HexView::SetBookmarks(std::vector<Bookmark> bookmarks) {
    bookmarks_ = std::move(bookmarks);
    viewport()->update();
}

void HexView::resizeEvent(QResizeEvent* e) {
    QAbstractScrollArea::resizeEvent(e);
    UpdateScrollBars();
}

void HexView::changeEvent(QEvent* e) {
    QAbstractScrollArea::changeEvent(e);
    if (e->type() == QEvent::FontChange) {
        TakeFontMetrics();
        UpdateScrollBars();
        viewport()->update();
    }
}

std::pair<int64_t, int64_t> HexView::CopyRange() const {
    const LineBytes& b = selection_.Bytes();
    if (b.End > b.First)
        return {b.First, b.End};
    if (cursor_ >= 0 && cursor_ < ByteCount())
        return {cursor_, cursor_ + 1};
    return {0, 0};
}

void HexView::CopySelection(CopyFormat format) {
    if (!selection_.Level())
        return;
    const auto [first, end] = CopyRange();
    const CopiedText copy = CopyBytes(format, selection_.Level()->Bytes(), selection_.Map(),
                                      selection_.State().Report.Str(), first, end);
    if (copy.Refusal.isEmpty())
        QGuiApplication::clipboard()->setText(copy.Text);
    else
        emit Told(copy.Refusal);
}

QMenu* HexView::CreateContextMenu() {
    auto* menu = new QMenu(this);
    const bool any = CopyRange().second > CopyRange().first;
    for (const CopyCommand& command : kCopies) {
        QAction* action = menu->addAction(tr(command.Words), this,
                                          [this, format = command.Format] { CopySelection(format); });
        action->setObjectName(QString::fromLatin1(command.Name));
        action->setShortcut(QKeySequence(command.Key));
        action->setEnabled(any);
    }
    return menu;
}

void HexView::contextMenuEvent(QContextMenuEvent* e) {
    std::unique_ptr<QMenu> menu(CreateContextMenu());
    menu->exec(e->globalPos());
}

// The copy keys belong to the view while it has the focus, whatever the window binds to them.
bool HexView::event(QEvent* e) {
    if (e->type() == QEvent::ShortcutOverride && CopyCommandOf(static_cast<QKeyEvent*>(e))) {
        e->accept();
        return true;
    }
    return QAbstractScrollArea::event(e);
}

bool HexView::viewportEvent(QEvent* e) {
    if (e->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(e);
        const QString tip = ToolTipAt(OffsetAt(help->pos()));
        if (tip.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), tip, viewport(), ByteRect(OffsetAt(help->pos())));
        return true;
    }
    return QAbstractScrollArea::viewportEvent(e);
}

// The arrows move the picked byte by one or a row, the page keys by a page of rows, Home and End to
// the row's ends, and with Ctrl to the file's ends; the copy keys copy.
void HexView::keyPressEvent(QKeyEvent* e) {
    if (const CopyCommand* copy = CopyCommandOf(e)) {
        CopySelection(copy->Format);
        e->accept();
        return;
    }
    const int64_t count = ByteCount();
    if (count == 0) {
        QAbstractScrollArea::keyPressEvent(e);
        return;
    }
    const int64_t at = std::max<int64_t>(cursor_, 0);
    const int64_t page = int64_t{VisibleRows()} * kBytesPerRow;
    const std::pair<QKeySequence::StandardKey, int64_t> moves[] = {
        {QKeySequence::MoveToNextChar, at + 1},
        {QKeySequence::MoveToPreviousChar, at - 1},
        {QKeySequence::MoveToNextLine, at + kBytesPerRow},
        {QKeySequence::MoveToPreviousLine, at - kBytesPerRow},
        {QKeySequence::MoveToNextPage, at + page},
        {QKeySequence::MoveToPreviousPage, at - page},
        {QKeySequence::MoveToStartOfDocument, 0},
        {QKeySequence::MoveToEndOfDocument, count - 1},
        {QKeySequence::MoveToStartOfLine, at - at % kBytesPerRow},
        {QKeySequence::MoveToEndOfLine, at - at % kBytesPerRow + kBytesPerRow - 1},
    };
    const auto* move =
        std::find_if(std::begin(moves), std::end(moves), [e](const auto& m) { return e->matches(m.first); });
    if (move == std::end(moves)) {
        QAbstractScrollArea::keyPressEvent(e);
        return;
    }
    const int64_t next = move->second;
    PickByte(std::clamp<int64_t>(next, 0, count - 1));
    e->accept();
}

void HexView::mousePressEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) {
        QAbstractScrollArea::mousePressEvent(e);
        return;
    }
    const int64_t offset = OffsetAt(e->position().toPoint());
    if (offset >= 0)
        PickByte(offset);
    e->accept();
}
