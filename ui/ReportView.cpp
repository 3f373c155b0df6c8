#include "ui/ReportView.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cmath>
#include <memory>
#include <utility>

#include <QClipboard>
#include <QContextMenuEvent>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QStyleHints>

#include "ui/FindNoCase.h"
#include "ui/TextColumns.h"

namespace {

// Room between the pane's left edge and the first column, as a text edit leaves it.
constexpr int kMargin = 4;

int ClampToInt(size_t value) {
    return static_cast<int>(std::min<size_t>(value, INT_MAX));
}

} // namespace

const std::string ReportView::kNoText;

ReportView::ReportView(QWidget* parent) : QAbstractScrollArea(parent) {
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setCursor(Qt::IBeamCursor);
    setFont(PaneFont());
    TakeFontMetrics();
    verticalScrollBar()->setSingleStep(1); // the vertical bar counts lines, the horizontal one pixels
    UpdateScrollBars();
}

QFont ReportView::PaneFont() {
    QFont font = QFontDatabase::families().contains(QStringLiteral("Fixedsys"))
                     ? QFont(QStringLiteral("Fixedsys"))
                     : QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSize(9);
    return font;
}

void ReportView::ShowText(const std::string& text) {
    text_ = &text;
    lines_ = LineIndex(text);
    anchor_ = cursor_ = 0;
    markFirst_ = markEnd_ = 0;
    selecting_ = false;
    UpdateScrollBars();
    verticalScrollBar()->setValue(0);
    horizontalScrollBar()->setValue(0);
    viewport()->update();
}

void ReportView::Clear() {
    ShowText(kNoText);
}

void ReportView::TakeFontMetrics() {
    const QFontMetrics metrics(font());
    lineHeight_ = std::max(1, metrics.lineSpacing());
    ascent_ = metrics.ascent();
    pitch_ = std::max<qreal>(1, QFontMetricsF(font()).horizontalAdvance(QLatin1Char('0')));
    horizontalScrollBar()->setSingleStep(static_cast<int>(std::ceil(pitch_ * 4)));
}

size_t ReportView::VisibleLineCount() const {
    return static_cast<size_t>(std::max(1, viewport()->height() / lineHeight_));
}

QSize ReportView::SizeForText(int columns, int lines) const {
    const int frame = 2 * frameWidth();
    const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    return {static_cast<int>(std::ceil(2 * kMargin + columns * pitch_)) + frame + bar,
            lines * lineHeight_ + frame + bar};
}

size_t ReportView::FirstVisibleLine() const {
    return static_cast<size_t>(verticalScrollBar()->value());
}

// The bars only ever know the line count and the longest line: scrolling costs nothing per line.
void ReportView::UpdateScrollBars() {
    const size_t visible = VisibleLineCount();
    const size_t count = lines_.Count();
    QScrollBar* vertical = verticalScrollBar();
    vertical->setRange(0, ClampToInt(count > visible ? count - visible : 0));
    vertical->setPageStep(ClampToInt(visible));

    // One column more than the longest line, for the mark of a selected line break.
    const double width = std::ceil(2 * kMargin + static_cast<double>(lines_.LongestLine() + 1) * pitch_);
    const int contentWidth = static_cast<int>(std::min<double>(width, INT_MAX));
    QScrollBar* horizontal = horizontalScrollBar();
    horizontal->setRange(0, std::max(0, contentWidth - viewport()->width()));
    horizontal->setPageStep(viewport()->width());
}

qreal ReportView::ColumnX(size_t column) const {
    return kMargin - horizontalScrollBar()->value() + static_cast<qreal>(column) * pitch_;
}

size_t ReportView::OffsetAt(QPoint point) const {
    if (lines_.Count() == 0)
        return 0;
    // A point above or below the pane (while dragging) falls on the lines beyond its edge.
    const auto row = static_cast<long long>(std::floor(static_cast<double>(point.y()) / lineHeight_));
    const auto line = static_cast<size_t>(std::clamp<long long>(
        static_cast<long long>(FirstVisibleLine()) + row, 0, static_cast<long long>(lines_.Count()) - 1));
    const qreal columns = (point.x() - ColumnX(0)) / pitch_;
    const size_t column = columns <= 0 ? 0 : static_cast<size_t>(std::lround(columns));
    return lines_.Start(line) + ByteOfColumn(lines_.Line(line), column);
}

QPoint ReportView::PointOf(size_t offset) const {
    if (lines_.Count() == 0)
        return QPoint(static_cast<int>(std::floor(ColumnX(0))), 0);
    const size_t line = lines_.LineOf(offset);
    const size_t column = ColumnOfByte(lines_.Line(line), offset - lines_.Start(line));
    const long long row = static_cast<long long>(line) - static_cast<long long>(FirstVisibleLine());
    return QPoint(static_cast<int>(std::floor(ColumnX(column))), static_cast<int>(row * lineHeight_));
}

void ReportView::Select(size_t anchor, size_t cursor) {
    anchor_ = std::min(anchor, text_->size());
    cursor_ = std::min(cursor, text_->size());
    markFirst_ = markEnd_ = 0;
    viewport()->update();
    emit CursorMoved();
}

void ReportView::ShowLine(size_t line) {
    if (line >= lines_.Count())
        return;
    const size_t start = lines_.Start(line);
    Select(start, start + lines_.Line(line).size());
    horizontalScrollBar()->setValue(0);
    ScrollToOffset(start);
}

void ReportView::MarkColumn(size_t line, size_t first, size_t end) {
    if (line >= lines_.Count() || end <= first || end > lines_.Line(line).size())
        return;
    markFirst_ = lines_.Start(line) + first;
    markEnd_ = lines_.Start(line) + end;
    ScrollColumnIntoView(markEnd_);
    ScrollColumnIntoView(markFirst_);
    viewport()->update();
}

std::string_view ReportView::MarkedText() const {
    return std::string_view(*text_).substr(markFirst_, markEnd_ - markFirst_);
}

void ReportView::SelectAll() {
    Select(0, text_->size());
}

std::string_view ReportView::SelectedBytes() const {
    const size_t start = std::min(anchor_, cursor_);
    return std::string_view(*text_).substr(start, std::max(anchor_, cursor_) - start);
}

QString ReportView::SelectedText() const {
    const std::string_view bytes = SelectedBytes();
    return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

void ReportView::CopySelection() const {
    if (HasSelection())
        QGuiApplication::clipboard()->setText(SelectedText());
}

ReportView::FindResult ReportView::Find(const QString& needle, FindDirection direction) {
    const QByteArray wanted = needle.toUtf8();
    const std::string_view text(*text_);
    const std::string_view pattern(wanted.constData(), static_cast<size_t>(wanted.size()));
    FindResult result = kFound;
    size_t at = std::string_view::npos;
    if (direction == FindDirection::Next) {
        at = FindNoCase(text, pattern, std::max(anchor_, cursor_));
        if (at == std::string_view::npos && (at = FindNoCase(text, pattern, 0)) != std::string_view::npos)
            result = kWrapped;
    } else {
        at = FindLastNoCase(text, pattern, std::min(anchor_, cursor_));
        if (at == std::string_view::npos &&
            (at = FindLastNoCase(text, pattern, text.size())) != std::string_view::npos)
            result = kWrapped;
    }
    if (at == std::string_view::npos)
        return kNotFound;
    Select(at, at + pattern.size());
    ScrollColumnIntoView(cursor_);
    ScrollToOffset(at); // the match's start wins over its end when both do not fit
    return result;
}

namespace {
bool IsWordByte(char c) {
    const auto u = static_cast<unsigned char>(c);
    return std::isalnum(u) || c == '_' || u >= 0x80;
}
} // namespace

void ReportView::SelectWordAt(size_t offset) {
    if (lines_.Count() == 0)
        return;
    const size_t line = lines_.LineOf(offset);
    const std::string_view bytes = lines_.Line(line);
    const size_t start = lines_.Start(line);
    size_t from = std::min(offset - start, bytes.size());
    if (from == bytes.size() && from > 0)
        --from; // a click behind the line's end takes its last character
    if (bytes.empty())
        return;
    size_t to = from + 1;
    if (IsWordByte(bytes[from])) {
        while (from > 0 && IsWordByte(bytes[from - 1]))
            --from;
        while (to < bytes.size() && IsWordByte(bytes[to]))
            ++to;
    }
    Select(start + from, start + to);
}

void ReportView::SelectLineAt(size_t offset) {
    if (lines_.Count() == 0)
        return;
    const size_t line = lines_.LineOf(offset);
    Select(lines_.Start(line), lines_.Start(line) + lines_.Line(line).size());
}

void ReportView::ScrollToOffset(size_t offset) {
    const size_t line = lines_.LineOf(offset);
    const size_t first = FirstVisibleLine();
    const size_t visible = VisibleLineCount();
    if (line < first || line >= first + visible)
        verticalScrollBar()->setValue(ClampToInt(line > visible / 2 ? line - visible / 2 : 0));
    ScrollColumnIntoView(offset);
}

void ReportView::ScrollColumnIntoView(size_t offset) {
    if (lines_.Count() == 0)
        return;
    const size_t line = lines_.LineOf(offset);
    const size_t column = ColumnOfByte(lines_.Line(line), offset - lines_.Start(line));
    const qreal x = ColumnX(column);
    QScrollBar* bar = horizontalScrollBar();
    if (x < kMargin)
        bar->setValue(bar->value() + static_cast<int>(std::floor(x)) - kMargin);
    else if (x + pitch_ > viewport()->width() - kMargin)
        bar->setValue(bar->value() + static_cast<int>(std::ceil(x + pitch_)) - viewport()->width() + kMargin);
}

QMenu* ReportView::CreateContextMenu() {
    auto* menu = new QMenu(this);
    QAction* copy = menu->addAction(tr("&Copy"), this, &ReportView::CopySelection);
    copy->setObjectName(QStringLiteral("actCopy"));
    copy->setShortcut(QKeySequence::Copy);
    copy->setEnabled(HasSelection());
    menu->addSeparator();
    QAction* all = menu->addAction(tr("Select &All"), this, &ReportView::SelectAll);
    all->setObjectName(QStringLiteral("actSelectAll"));
    all->setShortcut(QKeySequence::SelectAll);
    all->setEnabled(!text_->empty());
    return menu;
}

void ReportView::contextMenuEvent(QContextMenuEvent* e) {
    std::unique_ptr<QMenu> menu(CreateContextMenu());
    menu->exec(e->globalPos());
}

void ReportView::paintEvent(QPaintEvent* e) {
    QPainter painter(viewport());
    painter.setFont(font());
    painter.setPen(palette().color(QPalette::Text));
    const QRect area = e->rect();
    const size_t first = FirstVisibleLine();
    const size_t from = first + static_cast<size_t>(std::max(0, area.top()) / lineHeight_);
    const size_t to = std::min(lines_.Count(), first + static_cast<size_t>(area.bottom() / lineHeight_) + 1);
    const size_t current = CursorLine();
    for (size_t line = from; line < to; ++line) {
        const qreal y = static_cast<qreal>((line - first) * static_cast<size_t>(lineHeight_));
        if (line == current)
            painter.fillRect(QRectF(0, y, viewport()->width(), lineHeight_), CurrentLineColour());
        const std::string_view bytes = lines_.Line(line);
        const QString shown = QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
        painter.drawText(QPointF(ColumnX(0), y + ascent_), shown);
        PaintSelection(painter, line, shown, y);
        PaintColumnMark(painter, line, shown, y);
    }
}

// A pale band of the highlight colour behind the whole current line, so the line the keys move from
// shows even when nothing on it is selected.
QColor ReportView::CurrentLineColour() const {
    QColor band = palette().color(QPalette::Highlight);
    band.setAlpha(40);
    return band;
}

// The selected part of a line: a highlight band with the line drawn again inside it in the
// highlighted colour. A selected line break shows as one highlighted column behind the line.
void ReportView::PaintSelection(QPainter& painter, size_t line, const QString& shown, qreal y) const {
    const size_t start = std::min(anchor_, cursor_);
    const size_t end = std::max(anchor_, cursor_);
    const std::string_view bytes = lines_.Line(line);
    const size_t lineStart = lines_.Start(line);
    const size_t lineEnd = lineStart + bytes.size();
    const bool last = line + 1 == lines_.Count();
    const size_t nextStart = last ? lineEnd : lines_.Start(line + 1);
    if (start == end || start >= nextStart || end <= lineStart)
        return;
    const size_t fromColumn = ColumnOfByte(bytes, std::max(start, lineStart) - lineStart);
    const size_t toColumn = ColumnOfByte(bytes, std::min(end, lineEnd) - lineStart);
    const qreal left = ColumnX(fromColumn);
    const qreal right = ColumnX(toColumn) + (!last && end > lineEnd ? pitch_ : 0);
    if (right <= left)
        return;
    const QRectF band(left, y, right - left, lineHeight_);
    painter.fillRect(band, palette().brush(QPalette::Highlight));
    painter.save();
    painter.setClipRect(band);
    painter.setPen(palette().color(QPalette::HighlightedText));
    painter.drawText(QPointF(ColumnX(0), y + ascent_), shown);
    painter.restore();
}

// The marked column inside the highlighted line: the plain background and text again, framed in the
// highlight colour, so the one value stands out of the band around it.
void ReportView::PaintColumnMark(QPainter& painter, size_t line, const QString& shown, qreal y) const {
    if (markEnd_ <= markFirst_ || lines_.LineOf(markFirst_) != line)
        return;
    const std::string_view bytes = lines_.Line(line);
    const size_t start = lines_.Start(line);
    const qreal left = ColumnX(ColumnOfByte(bytes, markFirst_ - start));
    const qreal right = ColumnX(ColumnOfByte(bytes, markEnd_ - start));
    const QRectF cell(left, y, right - left, lineHeight_);
    painter.save();
    painter.fillRect(cell, palette().brush(QPalette::Base));
    painter.setClipRect(cell);
    painter.setPen(palette().color(QPalette::Text));
    painter.drawText(QPointF(ColumnX(0), y + ascent_), shown);
    painter.setClipping(false);
    painter.setPen(QPen(palette().color(QPalette::Highlight), 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(cell.adjusted(0.5, 0.5, -0.5, -0.5));
    painter.restore();
}

void ReportView::resizeEvent(QResizeEvent* e) {
    QAbstractScrollArea::resizeEvent(e);
    UpdateScrollBars();
}

void ReportView::changeEvent(QEvent* e) {
    QAbstractScrollArea::changeEvent(e);
    if (e->type() == QEvent::FontChange) {
        TakeFontMetrics();
        UpdateScrollBars();
        viewport()->update();
    }
}

// Copy and Select All belong to the pane while it has the focus, whatever the window binds to them.
bool ReportView::event(QEvent* e) {
    if (e->type() == QEvent::ShortcutOverride) {
        auto* key = static_cast<QKeyEvent*>(e);
        if (key->matches(QKeySequence::Copy) || key->matches(QKeySequence::SelectAll)) {
            e->accept();
            return true;
        }
    }
    return QAbstractScrollArea::event(e);
}

// Up and Down move the current line by one, Page Up and Page Down by a page; the line is selected
// whole, as a report line picked elsewhere is, so the linked views follow the keys.
bool ReportView::MoveCurrentLine(QKeyEvent* e) {
    const long long page = static_cast<long long>(std::max<size_t>(VisibleLineCount(), 2) - 1);
    const std::pair<QKeySequence::StandardKey, long long> moves[] = {
        {QKeySequence::MoveToNextLine, 1},
        {QKeySequence::MoveToPreviousLine, -1},
        {QKeySequence::MoveToNextPage, page},
        {QKeySequence::MoveToPreviousPage, -page},
    };
    const auto* move =
        std::find_if(std::begin(moves), std::end(moves), [e](const auto& m) { return e->matches(m.first); });
    if (move == std::end(moves))
        return false;
    if (lines_.Count() == 0)
        return true;
    const long long last = static_cast<long long>(lines_.Count()) - 1;
    const auto line =
        static_cast<size_t>(std::clamp(static_cast<long long>(CursorLine()) + move->second, 0LL, last));
    const size_t start = lines_.Start(line);
    Select(start, start + lines_.Line(line).size());
    // The line comes into sight at the edge it moved towards, as a text editor scrolls.
    const size_t first = FirstVisibleLine();
    const size_t visible = VisibleLineCount();
    if (line < first)
        verticalScrollBar()->setValue(ClampToInt(line));
    else if (line >= first + visible)
        verticalScrollBar()->setValue(ClampToInt(line - visible + 1));
    horizontalScrollBar()->setValue(0);
    return true;
}

// The current line's keys first; the keys below are those the base class does not know.
void ReportView::keyPressEvent(QKeyEvent* e) {
    QScrollBar* vertical = verticalScrollBar();
    QScrollBar* horizontal = horizontalScrollBar();
    if (MoveCurrentLine(e)) {
    } else if (e->matches(QKeySequence::Copy)) {
        CopySelection();
    } else if (e->matches(QKeySequence::SelectAll)) {
        SelectAll();
    } else if (e->matches(QKeySequence::MoveToStartOfDocument)) {
        vertical->setValue(0);
        horizontal->setValue(0);
    } else if (e->matches(QKeySequence::MoveToEndOfDocument)) {
        vertical->setValue(vertical->maximum());
        horizontal->setValue(0);
    } else if (e->matches(QKeySequence::MoveToStartOfLine)) {
        horizontal->setValue(0);
    } else if (e->matches(QKeySequence::MoveToEndOfLine)) {
        horizontal->setValue(horizontal->maximum());
    } else {
        QAbstractScrollArea::keyPressEvent(e);
        return;
    }
    e->accept();
}

void ReportView::mousePressEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) {
        QAbstractScrollArea::mousePressEvent(e);
        return;
    }
    const size_t at = OffsetAt(e->position().toPoint());
    const QPoint moved = e->position().toPoint() - doubleClickPoint_;
    if (doubleClicked_ &&
        e->timestamp() - doubleClickTime_ <=
            static_cast<quint64>(QGuiApplication::styleHints()->mouseDoubleClickInterval()) &&
        moved.manhattanLength() <= QGuiApplication::styleHints()->startDragDistance()) {
        doubleClicked_ = false;
        SelectLineAt(at);
        return;
    }
    doubleClicked_ = false;
    Select((e->modifiers() & Qt::ShiftModifier) ? anchor_ : at, at);
    selecting_ = true;
}

void ReportView::mouseMoveEvent(QMouseEvent* e) {
    if (!selecting_ || !(e->buttons() & Qt::LeftButton)) {
        QAbstractScrollArea::mouseMoveEvent(e);
        return;
    }
    const size_t at = OffsetAt(e->position().toPoint());
    Select(anchor_, at);
    // Dragging past an edge scrolls the text under the pointer, one step per movement.
    const size_t line = lines_.LineOf(at);
    const size_t first = FirstVisibleLine();
    if (line < first)
        verticalScrollBar()->setValue(ClampToInt(line));
    else if (line >= first + VisibleLineCount())
        verticalScrollBar()->setValue(ClampToInt(line - VisibleLineCount() + 1));
    ScrollColumnIntoView(at);
}

void ReportView::mouseDoubleClickEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) {
        QAbstractScrollArea::mouseDoubleClickEvent(e);
        return;
    }
    // The character under the pointer, not the boundary nearest to it.
    SelectWordAt(OffsetAt(e->position().toPoint() - QPoint(static_cast<int>(pitch_ / 2), 0)));
    selecting_ = false;
    doubleClicked_ = true;
    doubleClickPoint_ = e->position().toPoint();
    doubleClickTime_ = e->timestamp();
    e->accept();
}

void ReportView::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) {
        QAbstractScrollArea::mouseReleaseEvent(e);
        return;
    }
    selecting_ = false;
    e->accept();
}
