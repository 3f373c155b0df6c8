#pragma once
// The hex view: the level's bytes as rows of an offset, 16 bytes and their characters, painted straight
// from the bytes the walk read (no copy, no text document), only the rows in sight. The bytes of the
// shared selection are highlighted (the line's own bytes, and dimmer the chunk around a count field);
// bytes no chunk covers (the version word, gaps, what the walk never reached) have a colour of their
// own. A click or the keys pick a byte, which selects the most specific report line covering it; the
// picked byte has a fill of its own. The colours come from the palette (HexColours.h). The selected
// bytes (the picked byte when none are) copy as hex text, a C array or their report lines (CopyText.h),
// from the context menu or the keys: Ctrl+C, Ctrl+Shift+C and Ctrl+Alt+C. Bytes that differ from a
// compared level are marked with a fill of their own (SetChanged).
#include <cstdint>
#include <utility>
#include <vector>

#include <QAbstractScrollArea>

#include "views/BookmarkStore.h"
#include "views/CopyText.h"

class QMenu;
class SpanSelection;
struct HexColours;

class HexView : public QAbstractScrollArea {
    Q_OBJECT
  public:
    static constexpr int kBytesPerRow = 16;
    enum class Shade { Plain, Selected, Dim, Uncovered, Changed };

    explicit HexView(SpanSelection& selection, QWidget* parent = nullptr);

    int64_t ByteCount() const;
    // How a byte is painted.
    Shade ShadeOf(int64_t offset) const;
    // The byte under a point of the viewport, -1 where there is none.
    int64_t OffsetAt(QPoint point) const;
    // The cell of a byte's hex digits in the viewport.
    QRect ByteRect(int64_t offset) const;
    int64_t FirstVisibleRow() const;
    int VisibleRows() const;
    // Brings the byte's row into sight, in the middle when it has to move far.
    void ScrollToOffset(int64_t offset);
    // Scrolls so that row is the first in sight (as far as the scroll bar goes).
    void SetFirstVisibleRow(int64_t row);
    // The byte the keys move from (the one picked last).
    int64_t Cursor() const { return cursor_; }
    // Picks a byte, as a click does.
    void PickByte(int64_t offset);
    QString ToolTipAt(int64_t offset) const;

    static QFont HexFont();

    // Bookmarked bytes are underlined in their bookmark's colour.
    void SetBookmarks(std::vector<Bookmark> bookmarks);
    const std::vector<Bookmark>& Bookmarks() const { return bookmarks_; }

    // Bytes that differ from a compared level, as (first, end) ranges in any order; empty for none. The
    // selection's shade goes over them.
    void SetChanged(std::vector<std::pair<int64_t, int64_t>> ranges);
    bool Changed(int64_t offset) const;

    // The bytes a copy takes: the selected line's, else the picked byte; empty when there are none.
    std::pair<int64_t, int64_t> CopyRange() const;
    // Puts the copy on the clipboard, or tells why there is none.
    void CopySelection(CopyFormat format);
    // The context menu: the three copies, with their keys.
    QMenu* CreateContextMenu();

  signals:
    // A short message for the window's status bar (a copy refused).
    void Told(const QString& message);

  protected:
    bool event(QEvent* e) override;
    bool viewportEvent(QEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void changeEvent(QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;

  private:
    void TakeWalk();
    void Follow(const QObject* source);
    void TakeFontMetrics();
    void UpdateScrollBars();
    void PaintPick(QPainter& painter, const HexColours& colours, uint8_t byte);
    bool Covered(int64_t offset) const;
    qreal HexX(int column) const;
    qreal TextX(int column) const;

    SpanSelection& selection_;
    std::vector<Bookmark> bookmarks_;
    // The top-level chunks' byte ranges, sorted, merged: a byte outside them is in no chunk.
    std::vector<std::pair<int64_t, int64_t>> covered_;
    std::vector<std::pair<int64_t, int64_t>> changed_; // sorted, merged
    int64_t cursor_ = -1;
    int lineHeight_ = 1;
    int ascent_ = 0;
    qreal pitch_ = 1;
};
