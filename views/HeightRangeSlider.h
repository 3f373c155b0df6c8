#pragma once
// A horizontal slider with two handles over a range of y values: the level map's height filter. The
// left end is the level's highest y (the smallest value, since y grows downwards), the right end its
// lowest; the band between the handles is what the map shows.
#include <QWidget>
#include <cstdint>

class HeightRangeSlider : public QWidget {
    Q_OBJECT
  public:
    explicit HeightRangeSlider(QWidget* parent = nullptr);

    // Sets the whole range and puts the handles at its ends.
    void SetRange(int64_t minimum, int64_t maximum);
    // Moves the handles (clamped to the range, low <= high); emits BandChanged when they move.
    void SetBand(int64_t low, int64_t high);
    int64_t Minimum() const { return min_; }
    int64_t Maximum() const { return max_; }
    int64_t Low() const { return low_; }
    int64_t High() const { return high_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

  signals:
    void BandChanged(qint64 low, qint64 high);

  protected:
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

  private:
    double XOf(int64_t value) const;
    int64_t ValueAt(double x) const;
    QRectF Groove() const;

    int64_t min_ = 0, max_ = 0, low_ = 0, high_ = 0;
    int dragging_ = -1; // 0 the low handle, 1 the high handle
    int focus_ = 0;     // the handle the arrow keys move
};
