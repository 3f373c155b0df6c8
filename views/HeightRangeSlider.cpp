#include "views/HeightRangeSlider.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace {
constexpr double kHandle = 7; // handle radius in pixels
} // namespace

HeightRangeSlider::HeightRangeSlider(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setToolTip(tr("Height filter: rooms whose height band meets the band between the handles are shown"));
}

QSize HeightRangeSlider::sizeHint() const {
    return {240, 22};
}
QSize HeightRangeSlider::minimumSizeHint() const {
    return {80, 22};
}

void HeightRangeSlider::SetRange(int64_t minimum, int64_t maximum) {
    min_ = std::min(minimum, maximum);
    max_ = std::max(minimum, maximum);
    low_ = min_;
    high_ = max_;
    update();
}

void HeightRangeSlider::SetBand(int64_t low, int64_t high) {
    low = std::clamp(low, min_, max_);
    high = std::clamp(high, min_, max_);
    if (low > high)
        std::swap(low, high);
    if (low == low_ && high == high_)
        return;
    low_ = low;
    high_ = high;
    update();
    emit BandChanged(low_, high_);
}

QRectF HeightRangeSlider::Groove() const {
    return QRectF(kHandle + 1, height() / 2.0 - 2, std::max(1.0, width() - 2 * kHandle - 2), 4);
}

double HeightRangeSlider::XOf(int64_t value) const {
    const QRectF g = Groove();
    if (max_ == min_)
        return g.left();
    return g.left() + g.width() * static_cast<double>(value - min_) / static_cast<double>(max_ - min_);
}

int64_t HeightRangeSlider::ValueAt(double x) const {
    const QRectF g = Groove();
    const double t = std::clamp((x - g.left()) / g.width(), 0.0, 1.0);
    return min_ + static_cast<int64_t>(std::llround(t * static_cast<double>(max_ - min_)));
}

void HeightRangeSlider::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF g = Groove();
    p.setPen(Qt::NoPen);
    p.setBrush(palette().color(QPalette::Mid));
    p.drawRoundedRect(g, 2, 2);
    p.setBrush(palette().color(QPalette::Highlight));
    p.drawRect(QRectF(QPointF(XOf(low_), g.top()), QPointF(XOf(high_), g.bottom())));
    for (int handle = 0; handle < 2; ++handle) {
        const double x = XOf(handle == 0 ? low_ : high_);
        p.setPen(QPen(palette().color(hasFocus() && focus_ == handle ? QPalette::Highlight : QPalette::Dark),
                      1.5));
        p.setBrush(palette().color(QPalette::Button));
        p.drawEllipse(QPointF(x, height() / 2.0), kHandle - 1, kHandle - 1);
    }
}

void HeightRangeSlider::mousePressEvent(QMouseEvent* e) {
    const double x = e->position().x();
    // The nearer handle moves; on a tie the one the pointer lies beyond.
    const double toLow = std::abs(x - XOf(low_)), toHigh = std::abs(x - XOf(high_));
    dragging_ = toLow < toHigh || (toLow == toHigh && x < XOf(low_)) ? 0 : 1;
    focus_ = dragging_;
    mouseMoveEvent(e);
}

void HeightRangeSlider::mouseMoveEvent(QMouseEvent* e) {
    if (dragging_ < 0)
        return;
    const int64_t v = ValueAt(e->position().x());
    if (dragging_ == 0)
        SetBand(std::min(v, high_), high_);
    else
        SetBand(low_, std::max(v, low_));
}

void HeightRangeSlider::mouseReleaseEvent(QMouseEvent*) {
    dragging_ = -1;
}

void HeightRangeSlider::keyPressEvent(QKeyEvent* e) {
    const int64_t step = std::max<int64_t>(1, (max_ - min_) / 32);
    int64_t delta = 0;
    switch (e->key()) {
    case Qt::Key_Left:
        delta = -step;
        break;
    case Qt::Key_Right:
        delta = step;
        break;
    case Qt::Key_Space:
        focus_ = 1 - focus_;
        update();
        return;
    default:
        QWidget::keyPressEvent(e);
        return;
    }
    if (focus_ == 0)
        SetBand(std::min(low_ + delta, high_), high_);
    else
        SetBand(low_, std::max(high_ + delta, low_));
}
