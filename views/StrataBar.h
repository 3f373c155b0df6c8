#pragma once
// The strata bar: a thin band showing the whole file as its chunks side by side, coloured by group,
// with the point where the walk ended marked, an overrun past the file's end in a warning colour and
// the trailing bytes the walk never reached hatched. The selected chunk is outlined. Hovering names a
// piece; a click selects its chunk in the shared selection. Widths follow the bytes, or their logarithm
// to make small chunks visible; a legend window names the colours.
#include <QWidget>

#include <functional>
#include <vector>

#include "views/BookmarkStore.h"
#include "views/ProblemMarks.h"
#include "views/StrataLayout.h"

class SpanSelection;

class StrataBar : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kMinPieceWidth = 4;

    explicit StrataBar(SpanSelection& selection, QWidget* parent = nullptr);

    QSize sizeHint() const override;
    // The layout for the bar's current width.
    const StrataLayout& Layout() const;
    // x of the mark where the walk ended.
    double WalkEndX() const;
    QString ToolTipAt(double x) const;
    // Selects the chunk at x, as a click does.
    void ClickAt(double x);

    static QColor GroupColour(ChunkGroup group);

    // Widths by bytes (the first start's) or by their logarithm, so small chunks can be seen.
    void SetScale(StrataScale scale);
    StrataScale Scale() const { return scale_; }

    // What each colour and mark of the bar stands for, in the order the legend lists them.
    struct LegendEntry {
        QColor Colour;
        QString Words;
        Qt::BrushStyle Pattern = Qt::SolidPattern; // drawn over the colour, as the bar draws it
    };
    std::vector<LegendEntry> Legend() const;
    // A small window listing the legend, owned by parent.
    QWidget* CreateLegendWindow(QWidget* parent) const;

    // Marks chunks along the bar's foot: those of a kind the test picks (the comparison's chunks that
    // differ). An empty test marks none; call update() when its answers change.
    void SetMarked(std::function<bool(Piece)> marked);
    // Whether piece i of the layout carries the mark.
    bool PieceMarked(int i) const;
    // Marks the pieces holding a problem the checker found with a corner of the problem's colour at
    // their top right; an empty test marks none. Call update() when its answers change.
    void SetProblems(ProblemTest test);
    // The worst problem in piece i's bytes.
    ProblemMark PieceProblem(int i) const;
    // The side of a problem's corner mark, at most: narrower pieces take a smaller one.
    static constexpr int kProblemCorner = 7;

    // Marks each bookmark's first byte with a small triangle of its colour at the bar's foot.
    void SetBookmarks(std::vector<Bookmark> bookmarks);

  protected:
    bool event(QEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;

  private:
    void TakeWalk();

    SpanSelection& selection_;
    std::function<bool(Piece)> marked_;
    ProblemTest problems_;
    std::vector<Bookmark> bookmarks_;
    StrataScale scale_ = StrataScale::Bytes;
    mutable StrataLayout layout_;
    mutable bool stale_ = true;
};
