#pragma once
// The report pane: a read-only, fixed-pitch, unwrapped view over the report text that lays out only
// the lines in sight, so a report of a million lines shows at once. The view never copies the text:
// it reads the string it is given in place (the window gives it AppState.Report), through an index of
// the line starts. The selection is a range of byte offsets into that text, so copying it yields the
// report's own bytes, "\r\n" between lines, just as Save As CSV writes them.
#include <cstddef>
#include <string>
#include <string_view>

#include <QAbstractScrollArea>

#include "ui/LineIndex.h"

class QMenu;

class ReportView : public QAbstractScrollArea {
    Q_OBJECT
  public:
    explicit ReportView(QWidget* parent = nullptr);

    // Shows text from its first line, nothing selected. The text is read in place: it must stay
    // alive and unchanged until the next ShowText or Clear.
    void ShowText(const std::string& text);
    void ShowText(std::string&&) = delete; // a temporary would be gone before the pane paints it
    void Clear();
    const std::string& Text() const { return *text_; }

    size_t LineCount() const { return lines_.Count(); }
    std::string_view Line(size_t line) const { return lines_.Line(line); }
    size_t FirstVisibleLine() const;
    // Lines that fit whole into the pane's height; at least one.
    size_t VisibleLineCount() const;
    // The pane's size (frame and scroll bars included) that shows columns x lines of text.
    QSize SizeForText(int columns, int lines) const;
    // Top-left corner, in the viewport, of the character cell at offset.
    QPoint PointOf(size_t offset) const;
    // Scrolls so the line holding offset is in sight, in the middle when it has to move far.
    void ScrollToOffset(size_t offset);
    // Selects a whole line (without its break) and brings it into sight from its start.
    void ShowLine(size_t line);
    // Marks the characters first..end of a line inside the selection (a field's column of the line
    // selected): framed, in the plain colours, until the selection changes. The column is brought
    // into sight.
    void MarkColumn(size_t line, size_t first, size_t end);
    // The marked characters; empty for none.
    std::string_view MarkedText() const;
    // The line the cursor stands on: the current line, marked by a pale band across the pane. Up, Down,
    // Page Up and Page Down move it and select it whole.
    size_t CursorLine() const { return lines_.Count() == 0 ? 0 : lines_.LineOf(cursor_); }

    // The selection runs from anchor to cursor, in either order; Find starts at the cursor.
    void Select(size_t anchor, size_t cursor);
    void SelectAll();
    bool HasSelection() const { return anchor_ != cursor_; }
    std::string_view SelectedBytes() const;
    QString SelectedText() const;
    void CopySelection() const;

    // Selects the next occurrence of needle after the selection (or the previous one before it), case
    // aside, wrapping round to the top (or the bottom) once, and scrolls it into sight. Not found: the
    // selection stays as it was.
    enum FindResult { kNotFound = 0, kFound, kWrapped };
    enum class FindDirection { Next, Previous };
    FindResult Find(const QString& needle, FindDirection direction = FindDirection::Next);

    // The word (letters, digits, "_") or other single character at offset, and the line holding it,
    // as a double and a triple click select them.
    void SelectWordAt(size_t offset);
    void SelectLineAt(size_t offset);

    // The context menu: Copy (only with a selection) and Select All. The caller owns it.
    QMenu* CreateContextMenu();

    // Fixedsys where installed, else the system's fixed-pitch font; 9 points.
    static QFont PaneFont();

  signals:
    // The selection or its cursor moved, by the user or by a command.
    void CursorMoved();

  protected:
    bool event(QEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void changeEvent(QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;

  private:
    void TakeFontMetrics();
    void UpdateScrollBars();
    // The text offset of the character boundary nearest to a point of the viewport.
    size_t OffsetAt(QPoint point) const;
    // x of a column in viewport coordinates.
    qreal ColumnX(size_t column) const;
    void ScrollColumnIntoView(size_t offset);
    bool MoveCurrentLine(QKeyEvent* e);
    QColor CurrentLineColour() const;
    void PaintSelection(QPainter& painter, size_t line, const QString& shown, qreal y) const;
    void PaintColumnMark(QPainter& painter, size_t line, const QString& shown, qreal y) const;

    static const std::string kNoText;
    const std::string* text_ = &kNoText;
    LineIndex lines_;
    size_t anchor_ = 0;
    size_t cursor_ = 0;
    size_t markFirst_ = 0, markEnd_ = 0; // the marked column, as text offsets
    bool selecting_ = false;
    // Where and when the last double click was: a press there soon after is a triple click.
    QPoint doubleClickPoint_;
    quint64 doubleClickTime_ = 0;
    bool doubleClicked_ = false;

    int lineHeight_ = 1;
    int ascent_ = 0;
    qreal pitch_ = 1; // advance of one character
};
