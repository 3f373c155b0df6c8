#include "views/LevelMapCanvas.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QToolTip>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <functional>

namespace {

constexpr double kSector = format::kSectorUnits;
constexpr double kMinScale = 1e-6; // pixels per world unit
constexpr double kMaxScale = 1.0;  // a sector at most 1024 pixels wide
constexpr int64_t kMarksPerPaint = 100000; // doors, lights and static meshes drawn at most in one frame
constexpr double kDragSlack = 4;           // pixels a press may move and still be a click

QColor Mix(const QColor& a, const QColor& b, double t) {
    return QColor::fromRgbF(static_cast<float>(a.redF() + (b.redF() - a.redF()) * t),
                            static_cast<float>(a.greenF() + (b.greenF() - a.greenF()) * t),
                            static_cast<float>(a.blueF() + (b.blueF() - a.blueF()) * t));
}

} // namespace

LevelMapCanvas::LevelMapCanvas(QWidget* parent) : QWidget(parent) {
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setMinimumSize(160, 120);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QColor LevelMapCanvas::FloorShade(double t) {
    // Low floors deep blue, middle floors green, high floors sand: height reads as light.
    static const QColor low(44, 84, 156), middle(92, 170, 108), high(242, 222, 142);
    t = std::clamp(t, 0.0, 1.0);
    return t < 0.5 ? Mix(low, middle, t * 2) : Mix(middle, high, (t - 0.5) * 2);
}

QColor LevelMapCanvas::FloorColour(int32_t floorY) const {
    if (!model_ || model_->LowestFloorY() == model_->HighestFloorY())
        return FloorShade(1);
    return FloorShade(static_cast<double>(model_->LowestFloorY() - floorY) /
                      (model_->LowestFloorY() - model_->HighestFloorY()));
}

void LevelMapCanvas::SetModel(const LevelMapModel* model) {
    model_ = model;
    images_.clear();
    if (model_)
        images_.resize(model_->Rooms().size());
    for (int b = 0; b < 256; ++b)
        floorColours_[static_cast<size_t>(b)] = FloorColour(static_cast<int8_t>(b) * MapSector::kStepUnits).rgb();
    highlight_ = highlightColumn_ = highlightRow_ = highlightDoor_ = -1;
    band_ = {};
    FitToWindow();
}

void LevelMapCanvas::SetBand(const HeightBand& band) {
    band_ = band;
    update();
}

void LevelMapCanvas::SetHighlight(int32_t room, int32_t column, int32_t row, int32_t doorAt) {
    highlight_ = room;
    highlightColumn_ = column;
    highlightRow_ = row;
    highlightDoor_ = doorAt;
    update();
}

void LevelMapCanvas::FitToWindow() {
    fitted_ = true;
    if (!model_ || model_->Rooms().empty()) {
        centreX_ = centreZ_ = 0;
        scale_ = 1.0 / 64;
    } else {
        const double w = std::max(kSector, model_->MaxX() - model_->MinX());
        const double h = std::max(kSector, model_->MaxZ() - model_->MinZ());
        centreX_ = (model_->MinX() + model_->MaxX()) / 2;
        centreZ_ = (model_->MinZ() + model_->MaxZ()) / 2;
        scale_ = std::clamp(std::min(width() / (w * 1.04), height() / (h * 1.04)), kMinScale, kMaxScale);
    }
    update();
    emit ViewChanged();
}

void LevelMapCanvas::ZoomBy(double factor, QPointF anchor) {
    const QPointF before = ScreenToWorld(anchor);
    scale_ = std::clamp(scale_ * factor, kMinScale, kMaxScale);
    const QPointF after = ScreenToWorld(anchor);
    centreX_ += before.x() - after.x();
    centreZ_ += before.y() - after.y();
    fitted_ = false;
    update();
    emit ViewChanged();
}

void LevelMapCanvas::CentreOn(int32_t room) {
    if (!model_ || room < 0 || room >= static_cast<int32_t>(model_->Rooms().size()))
        return;
    const MapRoom& r = model_->Rooms()[static_cast<size_t>(room)];
    centreX_ = (static_cast<double>(r.X) + static_cast<double>(r.Right())) / 2;
    centreZ_ = (static_cast<double>(r.Z) + static_cast<double>(r.Far())) / 2;
    // Near enough to see the room whole, and at least a few pixels a sector.
    const double fit = std::min(width() / ((r.Right() - r.X) * 1.5), height() / ((r.Far() - r.Z) * 1.5));
    if (scale_ > fit || scale_ * kSector < 6)
        scale_ = std::clamp(fit, kMinScale, kMaxScale);
    fitted_ = false;
    update();
    emit ViewChanged();
}

QPointF LevelMapCanvas::WorldToScreen(double x, double z, QSizeF size) const {
    return {size.width() / 2 + (x - centreX_) * scale_, size.height() / 2 - (z - centreZ_) * scale_};
}

QPointF LevelMapCanvas::ScreenToWorld(QPointF p, QSizeF size) const {
    return {centreX_ + (p.x() - size.width() / 2) / scale_, centreZ_ - (p.y() - size.height() / 2) / scale_};
}

QRectF LevelMapCanvas::ScreenRect(double x0, double z0, double x1, double z1, QSizeF size) const {
    return QRectF(WorldToScreen(x0, z1, size), WorldToScreen(x1, z0, size));
}

MapHit LevelMapCanvas::HitAt(QPointF p) const {
    if (!model_)
        return {};
    const QPointF w = ScreenToWorld(p);
    return model_->Pick(w.x(), w.y(), band_, 5 / scale_);
}

QString LevelMapCanvas::ToolTipAt(QPointF p) const {
    return model_ ? QString::fromStdString(model_->Describe(HitAt(p))) : QString();
}

// One pixel a sector, row 0 (the southern row) at the bottom, as the map shows it.
const QImage& LevelMapCanvas::RoomImage(int32_t room) {
    QImage& image = images_[static_cast<size_t>(room)];
    if (!image.isNull())
        return image;
    const MapRoom& r = model_->Rooms()[static_cast<size_t>(room)];
    image = QImage(r.Columns, r.Rows, QImage::Format_RGB32);
    const QRgb wall = WallColour().rgb();
    for (int32_t row = 0; row < r.Rows; ++row) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(r.Rows - 1 - row));
        for (int32_t c = 0; c < r.Columns; ++c) {
            const MapSector s = model_->Sector(r, c, row);
            line[c] = s.Solid() ? wall : floorColours_[s.Floor];
        }
    }
    return image;
}

void LevelMapCanvas::DrawRoom(QPainter& p, int32_t room, QSize size, int64_t& marks) {
    const MapRoom& r = model_->Rooms()[static_cast<size_t>(room)];
    const QRectF area(QPointF(0, 0), QSizeF(size));
    const QRectF whole = ScreenRect(static_cast<double>(r.X), static_cast<double>(r.Z),
                                    static_cast<double>(r.Right()), static_cast<double>(r.Far()), size);
    if (!whole.intersects(area.adjusted(-2, -2, 2, 2)))
        return;
    const double opacity = r.IsAlternate ? 0.45 : 1.0;
    const double sectorPx = kSector * scale_;

    if (whole.width() < 3 && whole.height() < 3) {
        // A speck: one fill, no grid, no marks.
        p.fillRect(whole.adjusted(-0.5, -0.5, 0.5, 0.5), FloorShade(0.5));
        return;
    }

    // Only the sectors inside the window: the source rectangle of the room's image that shows there.
    const QPointF topLeft = ScreenToWorld(area.topLeft(), size), bottomRight = ScreenToWorld(area.bottomRight(), size);
    const auto column = [&](double x) {
        return static_cast<int32_t>(std::clamp(std::floor((x - static_cast<double>(r.X)) / kSector), 0.0,
                                               static_cast<double>(r.Columns)));
    };
    const auto row = [&](double z) {
        return static_cast<int32_t>(std::clamp(std::floor((z - static_cast<double>(r.Z)) / kSector), 0.0,
                                               static_cast<double>(r.Rows)));
    };
    const int32_t c0 = column(topLeft.x()), c1 = std::min(r.Columns, column(bottomRight.x()) + 1);
    const int32_t r0 = row(bottomRight.y()), r1 = std::min(r.Rows, row(topLeft.y()) + 1);
    if (c0 >= c1 || r0 >= r1)
        return;
    const double x0 = static_cast<double>(r.X) + c0 * kSector, x1 = static_cast<double>(r.X) + c1 * kSector;
    const double z0 = static_cast<double>(r.Z) + r0 * kSector, z1 = static_cast<double>(r.Z) + r1 * kSector;
    const QRectF target = ScreenRect(x0, z0, x1, z1, size);
    const QRectF source(c0, r.Rows - r1, c1 - c0, r1 - r0);
    p.setOpacity(opacity);
    p.drawImage(target, RoomImage(room), source);
    p.setOpacity(1);

    if (sectorPx >= 10) {
        p.setPen(QPen(QColor(0, 0, 0, 40), 0));
        for (int32_t c = c0 + 1; c < c1; ++c) {
            const double x = WorldToScreen(static_cast<double>(r.X) + c * kSector, 0, size).x();
            p.drawLine(QPointF(x, target.top()), QPointF(x, target.bottom()));
        }
        for (int32_t rr = r0 + 1; rr < r1; ++rr) {
            const double y = WorldToScreen(0, static_cast<double>(r.Z) + rr * kSector, size).y();
            p.drawLine(QPointF(target.left(), y), QPointF(target.right(), y));
        }
    }

    // The outline, cut to the window (with a margin, so cut edges stay outside it).
    QPen outline(QColor(24, 24, 24), 1.2);
    if (r.IsAlternate)
        outline.setStyle(Qt::DashLine);
    p.setPen(outline);
    p.setBrush(Qt::NoBrush);
    p.drawRect(whole.intersected(area.adjusted(-8, -8, 8, 8)));

    if (whole.width() >= 12 && whole.height() >= 12) {
        const bool showMarks = sectorPx >= 3;
        p.setRenderHint(QPainter::Antialiasing, true);
        const int32_t doors = std::min(r.Doors, LevelMapModel::kMarksPerRoom);
        p.setPen(QPen(DoorColour(), std::clamp(sectorPx / 6, 2.0, 4.0), Qt::SolidLine, Qt::RoundCap));
        for (int32_t i = 0; i < doors && marks < kMarksPerPaint; ++i, ++marks) {
            const MapDoor d = model_->Door(room, i);
            QPolygonF shape;
            for (const auto& corner : d.Corners)
                shape << WorldToScreen(corner[0], corner[1], size);
            if (shape.boundingRect().intersects(area))
                p.drawPolygon(shape);
        }
        if (showMarks) {
            const double radius = std::clamp(sectorPx / 10, 2.5, 5.0);
            p.setPen(QPen(QColor(60, 50, 0), 1));
            p.setBrush(LightColour());
            const int32_t lights = std::min(r.Lights, LevelMapModel::kMarksPerRoom);
            for (int32_t i = 0; i < lights && marks < kMarksPerPaint; ++i, ++marks) {
                const MapMark m = model_->Light(r, i);
                const QPointF at = WorldToScreen(m.X, m.Z, size);
                if (area.contains(at))
                    p.drawEllipse(at, radius, radius);
            }
            p.setPen(QPen(QColor(0, 50, 60), 1));
            p.setBrush(MeshColour());
            const int32_t meshes = std::min(r.Meshes, LevelMapModel::kMarksPerRoom);
            for (int32_t i = 0; i < meshes && marks < kMarksPerPaint; ++i, ++marks) {
                const MapMark m = model_->Mesh(r, i);
                const QPointF at = WorldToScreen(m.X, m.Z, size);
                if (area.contains(at))
                    p.drawRect(QRectF(at.x() - radius, at.y() - radius, 2 * radius, 2 * radius));
            }
            p.setBrush(Qt::NoBrush);
        }
        p.setRenderHint(QPainter::Antialiasing, false);

        // The room's number at its centre, when it fits.
        const QString number = QString::number(r.Number);
        const QFontMetricsF metrics(p.font());
        const QRectF label = metrics.boundingRect(number).adjusted(-3, -1, 3, 1);
        if (label.width() < whole.width() - 4 && label.height() < whole.height() - 4) {
            const QPointF centre = whole.center();
            if (area.contains(centre)) {
                QRectF box(centre - QPointF(label.width() / 2, label.height() / 2), label.size());
                p.fillRect(box, QColor(255, 255, 255, 200));
                p.setPen(Qt::black);
                p.drawText(box, Qt::AlignCenter, number);
            }
        }
    }
}

void LevelMapCanvas::DrawHighlight(QPainter& p, QSize size) const {
    if (!model_ || highlight_ < 0 || highlight_ >= static_cast<int32_t>(model_->Rooms().size()))
        return;
    const MapRoom& r = model_->Rooms()[static_cast<size_t>(highlight_)];
    const QRectF area = QRectF(QPointF(0, 0), QSizeF(size)).adjusted(-8, -8, 8, 8);
    const QRectF whole = ScreenRect(static_cast<double>(r.X), static_cast<double>(r.Z),
                                    static_cast<double>(r.Right()), static_cast<double>(r.Far()), size);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(HighlightColour(), 3));
    p.drawRect(whole.adjusted(-1.5, -1.5, 1.5, 1.5).intersected(area));
    if (highlightColumn_ >= 0 && highlightRow_ >= 0) {
        const double x = static_cast<double>(r.X) + highlightColumn_ * kSector;
        const double z = static_cast<double>(r.Z) + highlightRow_ * kSector;
        p.setPen(QPen(Qt::white, 2));
        p.drawRect(ScreenRect(x, z, x + kSector, z + kSector, size).intersected(area));
    }
}

void LevelMapCanvas::DrawLegend(QPainter& p, QSize size) const {
    if (!model_ || model_->Rooms().empty())
        return;
    QFont font = p.font();
    font.setPointSizeF(std::max(7.0, font.pointSizeF() * 0.85));
    p.setFont(font);
    const QFontMetrics m(font);
    const int line = m.height() + 3;
    const int swatch = m.height();
    int widest = 0;
    for (const QString& text : {tr("Wall: floor or ceiling byte 0x81,"), tr("or no room between floor and ceiling")})
        widest = std::max(widest, m.horizontalAdvance(text));
    const int width = std::max(120, std::min(size.width() - 16, widest + swatch + 22));
    const QRect box(8, 8, width, 8 * line + 10);
    p.setPen(QColor(120, 120, 120));
    p.setBrush(QColor(255, 255, 255, 225));
    p.drawRect(box);

    int y = box.top() + 6;
    const int x = box.left() + 8;
    p.setPen(Qt::black);
    p.drawText(QPoint(x, y + m.ascent()), tr("Floor height (y)"));
    y += line;
    // The ramp from the lowest floor (left) to the highest (right).
    const QRect bar(x, y, box.width() - 16, swatch);
    for (int i = 0; i < bar.width(); ++i)
        p.fillRect(QRect(bar.left() + i, bar.top(), 1, bar.height()),
                   FloorShade(static_cast<double>(i) / std::max(1, bar.width() - 1)));
    p.setPen(QColor(80, 80, 80));
    p.setBrush(Qt::NoBrush);
    p.drawRect(bar);
    y += line;
    p.setPen(Qt::black);
    const QString lowest = tr("low %1").arg(model_->LowestFloorY());
    const QString highest = tr("high %1").arg(model_->HighestFloorY());
    p.drawText(QPoint(x, y + m.ascent()), lowest);
    p.drawText(QPoint(bar.right() - m.horizontalAdvance(highest), y + m.ascent()), highest);
    y += line;

    const auto entry = [&](const QString& text, const std::function<void(const QRect&)>& mark) {
        const QRect icon(x, y, swatch, swatch);
        mark(icon);
        p.setPen(Qt::black);
        p.setBrush(Qt::NoBrush);
        p.drawText(QPoint(x + swatch + 6, y + m.ascent()), text);
        y += line;
    };
    entry(tr("Wall: floor or ceiling byte 0x81,"), [&](const QRect& r) { p.fillRect(r, WallColour()); });
    entry(tr("or no room between floor and ceiling"), [](const QRect&) {});
    entry(tr("Door"), [&](const QRect& r) {
        p.setPen(QPen(DoorColour(), 3));
        p.drawLine(r.left(), r.center().y(), r.right(), r.center().y());
    });
    entry(tr("Light, static mesh"), [&](const QRect& r) {
        p.setRenderHint(QPainter::Antialiasing, true);
        p.setPen(QPen(QColor(60, 50, 0), 1));
        p.setBrush(LightColour());
        p.drawEllipse(QPointF(r.left() + 4, r.center().y()), 3.5, 3.5);
        p.setBrush(MeshColour());
        p.drawRect(QRectF(r.right() - 7, r.center().y() - 3.5, 7, 7));
        p.setRenderHint(QPainter::Antialiasing, false);
    });
    entry(tr("Alternate room"), [&](const QRect& r) {
        p.setPen(QPen(QColor(24, 24, 24), 1.2, Qt::DashLine));
        p.drawRect(r.adjusted(1, 1, -1, -1));
    });
}

void LevelMapCanvas::Render(QPainter& p, QSize size) {
    p.fillRect(QRect(QPoint(0, 0), size), BackgroundColour());
    p.setClipRect(QRect(QPoint(0, 0), size));
    if (!model_ || model_->Rooms().empty()) {
        p.setPen(QColor(90, 90, 90));
        p.drawText(QRect(QPoint(0, 0), size), Qt::AlignCenter | Qt::TextWordWrap,
                   model_ ? tr("No rooms to draw.") : tr("No level open."));
        return;
    }
    int64_t marks = 0;
    for (int32_t room : model_->DrawOrder())
        if (LevelMapModel::Shown(model_->Rooms()[static_cast<size_t>(room)], band_))
            DrawRoom(p, room, size, marks);
    DrawHighlight(p, size);
    DrawLegend(p, size);
}

void LevelMapCanvas::paintEvent(QPaintEvent*) {
    QPainter p(this);
    Render(p, size());
}

void LevelMapCanvas::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    if (fitted_)
        FitToWindow();
}

void LevelMapCanvas::mousePressEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton)
        return QWidget::mousePressEvent(e);
    pressed_ = true;
    dragging_ = false;
    pressAt_ = lastDrag_ = e->position();
}

void LevelMapCanvas::mouseMoveEvent(QMouseEvent* e) {
    if (!pressed_)
        return;
    if (!dragging_ && (e->position() - pressAt_).manhattanLength() < kDragSlack)
        return;
    dragging_ = true;
    const QPointF delta = e->position() - lastDrag_;
    lastDrag_ = e->position();
    centreX_ -= delta.x() / scale_;
    centreZ_ += delta.y() / scale_;
    fitted_ = false;
    setCursor(Qt::ClosedHandCursor);
    update();
}

void LevelMapCanvas::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton || !pressed_)
        return QWidget::mouseReleaseEvent(e);
    pressed_ = false;
    unsetCursor();
    if (dragging_) {
        dragging_ = false;
        emit ViewChanged();
        return;
    }
    emit Clicked(HitAt(e->position()), e->modifiers());
}

void LevelMapCanvas::mouseDoubleClickEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton)
        emit DoubleClicked(HitAt(e->position()));
}

void LevelMapCanvas::wheelEvent(QWheelEvent* e) {
    const double steps = e->angleDelta().y() / 120.0;
    if (steps != 0)
        ZoomBy(std::pow(1.25, steps), e->position());
    e->accept();
}

bool LevelMapCanvas::event(QEvent* e) {
    if (e->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(e);
        const QString text = ToolTipAt(help->pos());
        if (text.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), text, this);
        return true;
    }
    return QWidget::event(e);
}
