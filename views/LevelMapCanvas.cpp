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
constexpr double kMinScale = 1e-6;          // pixels per world unit, whatever the level
constexpr double kMaxScale = 1.0;           // a sector at most 1024 pixels wide, whatever the window
constexpr double kZoomOutFromFit = 8;       // the level shrinks to an eighth of its fitted size at most
constexpr double kLargestSectorPx = 64;     // a sector may always grow to this many pixels
constexpr int64_t kVectorSectors = 1 << 20; // sectors a vector frame draws as rectangles at most
constexpr int64_t kMarksPerPaint = 100000;  // doors, lights and static meshes drawn at most in one frame
constexpr double kDragSlack = 4;            // pixels a press may move and still be a click

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
        floorColours_[static_cast<size_t>(b)] =
            FloorColour(static_cast<int8_t>(b) * MapSector::kStepUnits).rgb();
    highlight_ = highlightColumn_ = highlightRow_ = highlightDoor_ = raised_ = -1;
    problemRooms_.clear();
    problemDoors_.clear();
    band_ = {};
    FitToWindow();
}

void LevelMapCanvas::SetProblems(std::vector<std::pair<int32_t, ProblemMark>> rooms,
                                 std::vector<ProblemDoor> doors) {
    problemRooms_ = std::move(rooms);
    problemDoors_ = std::move(doors);
    update();
}

void LevelMapCanvas::SetBand(const HeightBand& band) {
    band_ = band;
    update();
}

void LevelMapCanvas::SetHighlight(int32_t room, int32_t column, int32_t row, int32_t doorAt) {
    if (room != raised_)
        raised_ = -1;
    highlight_ = room;
    highlightColumn_ = column;
    highlightRow_ = row;
    highlightDoor_ = doorAt;
    update();
}

void LevelMapCanvas::Raise(int32_t room) {
    raised_ = room;
    update();
}

void LevelMapCanvas::SetLegendShown(bool shown) {
    legendShown_ = shown;
    if (fitted_)
        FitToWindow();
    else
        update();
}

// The scale at which the rooms fill the whole window.
double LevelMapCanvas::FitScale() const {
    if (!model_ || model_->Rooms().empty())
        return 1.0 / 64;
    const double w = std::max(kSector, model_->MaxX() - model_->MinX()) * 1.04;
    const double h = std::max(kSector, model_->MaxZ() - model_->MinZ()) * 1.04;
    return std::clamp(std::min(std::max(1, width()) / w, std::max(1, height()) / h), kMinScale, kMaxScale);
}

double LevelMapCanvas::MinScale() const {
    return std::max(kMinScale, FitScale() / kZoomOutFromFit);
}

double LevelMapCanvas::MaxScale() const {
    const double largest = std::max(kLargestSectorPx, std::min(width(), height()) / 2.0) / kSector;
    return std::clamp(std::max(largest, FitScale()), kMinScale, kMaxScale);
}

void LevelMapCanvas::FitToWindow() {
    fitted_ = true;
    if (!model_ || model_->Rooms().empty()) {
        centreX_ = centreZ_ = 0;
        scale_ = 1.0 / 64;
    } else {
        const double w = std::max(kSector, model_->MaxX() - model_->MinX()) * 1.04;
        const double h = std::max(kSector, model_->MaxZ() - model_->MinZ()) * 1.04;
        // The rooms go beside the legend or under it, whichever leaves them larger.
        const QRect legend = LegendRect(font(), size());
        const QRectF beside(legend.right() + 8, 0, width() - legend.right() - 8, height());
        const QRectF under(0, legend.bottom() + 8, width(), height() - legend.bottom() - 8);
        const auto scaleIn = [&](const QRectF& a) { return std::min(a.width() / w, a.height() / h); };
        QRectF area = scaleIn(beside) >= scaleIn(under) ? beside : under;
        if (!legendShown_ || area.width() < 40 || area.height() < 40)
            area = rect();
        scale_ = std::clamp(scaleIn(area), kMinScale, kMaxScale);
        centreX_ = (model_->MinX() + model_->MaxX()) / 2 - (area.center().x() - width() / 2.0) / scale_;
        centreZ_ = (model_->MinZ() + model_->MaxZ()) / 2 + (area.center().y() - height() / 2.0) / scale_;
    }
    update();
    emit ViewChanged();
}

void LevelMapCanvas::ZoomBy(double factor, QPointF anchor) {
    const QPointF before = ScreenToWorld(anchor);
    // A scale already outside the limits (the window shrank) is not pushed further out.
    const double low = std::min(MinScale(), scale_), high = std::max(MaxScale(), scale_);
    scale_ = std::clamp(scale_ * factor, low, high);
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
        scale_ = std::clamp(fit, MinScale(), MaxScale());
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
    return model_->Pick(w.x(), w.y(), band_, 5 / scale_, raised_);
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
            const MapSector s = model_->Heights(r, c, row);
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
    const double opacity = r.IsAlternate ? 0.3 : 1.0;
    const double sectorPx = kSector * scale_;

    if (whole.width() < 3 && whole.height() < 3) {
        // A speck: one fill, no grid, no marks.
        p.fillRect(whole.adjusted(-0.5, -0.5, 0.5, 0.5), FloorShade(0.5));
        return;
    }

    // Only the sectors inside the window: the source rectangle of the room's image that shows there.
    const QPointF topLeft = ScreenToWorld(area.topLeft(), size),
                  bottomRight = ScreenToWorld(area.bottomRight(), size);
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
    p.setOpacity(opacity);
    const int64_t visible = int64_t{c1 - c0} * (r1 - r0);
    if (frame_.Vector && frame_.VectorSectors + visible <= kVectorSectors) {
        frame_.VectorSectors += visible;
        DrawFloorRects(p, r, QRect(c0, r0, c1 - c0, r1 - r0), size);
    } else {
        p.drawImage(target, RoomImage(room), QRectF(c0, r.Rows - r1, c1 - c0, r1 - r0));
    }
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

    // The outline, cut to the window (with a margin, so cut edges stay outside it). An alternate room
    // lies faint and hatched under the room it stands in for; its dashed frame comes after all rooms.
    if (r.IsAlternate) {
        p.fillRect(target, QBrush(AlternateColour(), Qt::BDiagPattern));
    } else {
        p.setPen(QPen(QColor(24, 24, 24), 1.2));
        p.setBrush(Qt::NoBrush);
        p.drawRect(whole.intersected(area.adjusted(-8, -8, 8, 8)));
    }

    if (whole.width() >= 12 && whole.height() >= 12) {
        const bool showMarks = sectorPx >= 3;
        // Doors as their edges seen from above (a door in a wall is one line), in one call a room.
        p.setRenderHint(QPainter::Antialiasing, true);
        const int32_t doors = std::min(r.Doors, LevelMapModel::kMarksPerRoom);
        QVector<QLineF> edges;
        for (int32_t i = 0; i < doors && marks < kMarksPerPaint; ++i, ++marks) {
            const MapDoor d = model_->Door(room, i);
            std::array<QPointF, 4> corner;
            for (size_t v = 0; v < 4; ++v)
                corner[v] = WorldToScreen(d.Corners[v][0], d.Corners[v][1], size);
            // Seen edge on, a door's bounds have no width, so they are widened to meet the window.
            const QRectF bounds = QPolygonF({corner[0], corner[1], corner[2], corner[3]}).boundingRect();
            if (!bounds.adjusted(-1, -1, 1, 1).intersects(area))
                continue;
            for (size_t v = 0; v < 4; ++v)
                if (corner[v] != corner[(v + 1) % 4])
                    edges.append(QLineF(corner[v], corner[(v + 1) % 4]));
        }
        if (!edges.isEmpty()) {
            p.setPen(QPen(DoorColour(), std::clamp(sectorPx / 6, 2.0, 4.0), Qt::SolidLine, Qt::FlatCap));
            p.drawLines(edges);
        }
        p.setRenderHint(QPainter::Antialiasing, false);
        if (showMarks) {
            // Marks at a pixel already marked would change nothing: each pixel takes one mark of a kind.
            const auto mark = [&](const MapMark& m, const QImage& stamp, bool light) {
                const QPointF at = WorldToScreen(m.X, m.Z, size);
                if (!area.contains(at))
                    return;
                const int64_t key = (int64_t{light} << 40) | (int64_t{static_cast<int32_t>(at.x())} << 20) |
                                    static_cast<int32_t>(at.y());
                if (!frame_.Marked.insert(key).second)
                    return;
                if (frame_.Vector)
                    DrawMark(p, at, frame_.Radius, light);
                else
                    p.drawImage(at - QPointF(stamp.width() / 2.0, stamp.height() / 2.0), stamp);
            };
            const int32_t lights = std::min(r.Lights, LevelMapModel::kMarksPerRoom);
            for (int32_t i = 0; i < lights && marks < kMarksPerPaint; ++i, ++marks)
                mark(model_->Light(r, i), frame_.LightStamp, true);
            const int32_t meshes = std::min(r.Meshes, LevelMapModel::kMarksPerRoom);
            for (int32_t i = 0; i < meshes && marks < kMarksPerPaint; ++i, ++marks)
                mark(model_->Mesh(r, i), frame_.MeshStamp, false);
        }

        if (!r.IsAlternate)
            DrawNumber(p, r, whole, area);
    }
}

// The floors of the sectors (columns x to x + width, rows y to y + height) as rectangles: one for each
// run of sectors of one shade along a row, gathered by shade, so a vector file holds one group of
// shapes a shade rather than a stretched bitmap.
void LevelMapCanvas::DrawFloorRects(QPainter& p, const MapRoom& r, QRect sectors, QSize size) {
    const QRgb wall = WallColour().rgb();
    const auto shade = [&](int32_t c, int32_t row) {
        const MapSector s = model_->Heights(r, c, row);
        return s.Solid() ? wall : floorColours_[s.Floor];
    };
    std::vector<std::pair<QRgb, QVector<QRectF>>> byShade;
    for (int32_t row = sectors.top(); row <= sectors.bottom(); ++row) {
        const double z = static_cast<double>(r.Z) + row * kSector;
        for (int32_t c = sectors.left(); c <= sectors.right();) {
            const QRgb colour = shade(c, row);
            int32_t end = c + 1;
            while (end <= sectors.right() && shade(end, row) == colour)
                ++end;
            auto it = std::find_if(byShade.begin(), byShade.end(),
                                   [&](const auto& e) { return e.first == colour; });
            if (it == byShade.end())
                it = byShade.insert(byShade.end(), {colour, {}});
            const double x = static_cast<double>(r.X);
            it->second.append(ScreenRect(x + c * kSector, z, x + end * kSector, z + kSector, size));
            c = end;
        }
    }
    p.save();
    p.setPen(Qt::NoPen);
    for (const auto& [colour, rects] : byShade) {
        p.setBrush(QColor(colour));
        p.drawRects(rects);
    }
    p.restore();
}

// The room's number at its centre, when it fits; an alternate room's under the centre, clear of the
// number of the room it stands in for.
void LevelMapCanvas::DrawNumber(QPainter& p, const MapRoom& r, const QRectF& whole, const QRectF& area) {
    const QString number = QString::number(r.Number);
    const QFontMetricsF metrics(p.font());
    const QRectF label = metrics.boundingRect(number).adjusted(-3, -1, 3, 1);
    if (label.width() >= whole.width() * 0.6 || label.height() >= whole.height() * 0.5)
        return;
    const QPointF centre = whole.center() + QPointF(0, r.IsAlternate ? label.height() + 2 : 0);
    if (!area.contains(centre))
        return;
    const QRectF box(centre - QPointF(label.width() / 2, label.height() / 2), label.size());
    p.fillRect(box, QColor(255, 255, 255, 210));
    p.setPen(r.IsAlternate ? AlternateColour() : QColor(Qt::black));
    p.drawText(box, Qt::AlignCenter, number);
}

// Alternate rooms' dashed frames and numbers, over every room.
void LevelMapCanvas::DrawAlternateFrames(QPainter& p, QSize size) const {
    const QRectF area(QPointF(0, 0), QSizeF(size));
    for (int32_t room : model_->DrawOrder()) {
        const MapRoom& r = model_->Rooms()[static_cast<size_t>(room)];
        if (!r.IsAlternate)
            break; // they come first in the order
        if (!LevelMapModel::Shown(r, band_))
            continue;
        const QRectF whole = ScreenRect(static_cast<double>(r.X), static_cast<double>(r.Z),
                                        static_cast<double>(r.Right()), static_cast<double>(r.Far()), size);
        if (!whole.intersects(area))
            continue;
        p.setPen(QPen(AlternateColour(), 2, Qt::DashLine));
        p.setBrush(Qt::NoBrush);
        p.drawRect(whole.intersected(area.adjusted(-8, -8, 8, 8)));
        if (whole.width() >= 12 && whole.height() >= 12)
            DrawNumber(p, r, whole, area);
    }
}

// A room holding a problem is framed a little outside its own outline, dashed; a door holding one is
// drawn over in the problem's colour, wider than doors are.
void LevelMapCanvas::DrawProblems(QPainter& p, QSize size) const {
    if (!model_)
        return;
    const QRectF area = QRectF(QPointF(0, 0), QSizeF(size)).adjusted(-8, -8, 8, 8);
    const auto shown = [&](int32_t room) {
        return room >= 0 && room < static_cast<int32_t>(model_->Rooms().size()) &&
               LevelMapModel::Shown(model_->Rooms()[static_cast<size_t>(room)], band_);
    };
    p.setBrush(Qt::NoBrush);
    for (const auto& [room, mark] : problemRooms_) {
        if (!shown(room))
            continue;
        const MapRoom& r = model_->Rooms()[static_cast<size_t>(room)];
        const QRectF whole = ScreenRect(static_cast<double>(r.X), static_cast<double>(r.Z),
                                        static_cast<double>(r.Right()), static_cast<double>(r.Far()), size);
        p.setPen(QPen(ProblemColour(mark), 2, Qt::DashLine));
        p.drawRect(whole.adjusted(-4, -4, 4, 4).intersected(area));
    }
    p.setRenderHint(QPainter::Antialiasing, true);
    const double width = std::clamp(kSector * scale_ / 4, 3.0, 6.0);
    for (const ProblemDoor& door : problemDoors_) {
        if (!shown(door.Room))
            continue;
        const MapDoor d = model_->Door(door.Room, door.Index);
        QPolygonF corners;
        for (size_t v = 0; v < 4; ++v)
            corners << WorldToScreen(d.Corners[v][0], d.Corners[v][1], size);
        if (!corners.boundingRect().adjusted(-1, -1, 1, 1).intersects(area))
            continue;
        p.setPen(QPen(ProblemColour(door.Mark), width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPolygon(corners);
    }
    p.setRenderHint(QPainter::Antialiasing, false);
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

QFont LevelMapCanvas::LegendFont(const QFont& base) {
    QFont font = base;
    font.setPointSizeF(std::max(7.0, font.pointSizeF() * 0.85));
    return font;
}

QRect LevelMapCanvas::LegendRect(const QFont& base, QSize size) {
    const QFontMetrics m(LegendFont(base));
    int widest = 0;
    for (const QString& text :
         {tr("Wall: floor or ceiling byte 0x81,"), tr("or no room between floor and ceiling")})
        widest = std::max(widest, m.horizontalAdvance(text));
    const int width = std::max(120, std::min(size.width() - 16, widest + m.height() + 22));
    return {8, 8, width, 8 * (m.height() + 3) + 10};
}

void LevelMapCanvas::DrawLegend(QPainter& p, QSize size) const {
    if (!legendShown_ || !model_ || model_->Rooms().empty())
        return;
    const QFont base = p.font();
    p.setFont(LegendFont(base));
    const QFontMetrics m(p.font());
    const int line = m.height() + 3;
    const int swatch = m.height();
    const QRect box = LegendRect(base, size);
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
        p.fillRect(r, QBrush(AlternateColour(), Qt::BDiagPattern));
        p.setPen(QPen(AlternateColour(), 2, Qt::DashLine));
        p.drawRect(r.adjusted(1, 1, -1, -1));
    });
}

void LevelMapCanvas::DrawMark(QPainter& p, QPointF at, double radius, bool light) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    if (light) {
        p.setPen(QPen(QColor(60, 50, 0), 1));
        p.setBrush(LightColour());
        p.drawEllipse(at, radius, radius);
    } else {
        p.setPen(QPen(QColor(0, 50, 60), 1));
        p.setBrush(MeshColour());
        p.drawRect(QRectF(at.x() - radius, at.y() - radius, 2 * radius, 2 * radius));
    }
    p.restore();
}

// A light or a static mesh mark drawn once a frame, then stamped where each stands.
QImage LevelMapCanvas::Stamp(double radius, bool light) {
    const int side = static_cast<int>(std::ceil(2 * radius + 3));
    QImage stamp(side, side, QImage::Format_ARGB32_Premultiplied);
    stamp.fill(Qt::transparent);
    QPainter p(&stamp);
    DrawMark(p, QPointF(side / 2.0, side / 2.0), radius, light);
    return stamp;
}

void LevelMapCanvas::Render(QPainter& p, QSize size, bool vector) {
    frame_.Vector = vector;
    frame_.VectorSectors = 0;
    frame_.Radius = std::clamp(kSector * scale_ / 10, 2.5, 5.0);
    frame_.Marked.clear();
    if (!vector) {
        frame_.LightStamp = Stamp(frame_.Radius, true);
        frame_.MeshStamp = Stamp(frame_.Radius, false);
    }
    p.fillRect(QRect(QPoint(0, 0), size), BackgroundColour());
    p.setClipRect(QRect(QPoint(0, 0), size));
    if (!model_ || model_->Rooms().empty()) {
        p.setPen(QColor(90, 90, 90));
        p.drawText(QRect(QPoint(0, 0), size), Qt::AlignCenter | Qt::TextWordWrap,
                   model_ ? tr("No rooms to draw.") : tr("No level open."));
        return;
    }
    int64_t marks = 0;
    const auto shown = [&](int32_t room) {
        return room >= 0 && room < static_cast<int32_t>(model_->Rooms().size()) &&
               LevelMapModel::Shown(model_->Rooms()[static_cast<size_t>(room)], band_);
    };
    for (int32_t room : model_->DrawOrder())
        if (room != raised_ && shown(room))
            DrawRoom(p, room, size, marks);
    if (shown(raised_))
        DrawRoom(p, raised_, size, marks);
    DrawAlternateFrames(p, size);
    DrawHighlight(p, size);
    DrawProblems(p, size); // over the highlight, so a selected room's door still shows its mark
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
