#pragma once
// The level map's drawing surface: the rooms of a LevelMapModel seen from above, x to the right and z
// up the screen. On screen each room's sector grid is one small image (a pixel a sector) scaled into
// place, so a frame costs one image per room whatever the zoom; drawn for a vector file, the floors are
// rectangles, one for each run of sectors of one shade along a row. Only the sectors inside the window
// are drawn, so huge or far-off coordinates never reach the painter. Pans with a drag, zooms with the
// wheel, between limits that keep the level larger than a dot and a sector smaller than the window.
#include <QImage>
#include <QWidget>
#include <array>
#include <unordered_set>
#include <vector>

#include "views/LevelMapModel.h"
#include "views/ProblemMarks.h"

class LevelMapCanvas : public QWidget {
    Q_OBJECT
  public:
    explicit LevelMapCanvas(QWidget* parent = nullptr);

    // The model is read, not owned; call after every rebuild of it.
    void SetModel(const LevelMapModel* model);
    const LevelMapModel* Model() const { return model_; }

    void SetBand(const HeightBand& band);
    const HeightBand& Band() const { return band_; }

    // What the selection points at: a room index (-1 none), its sector and door record.
    void SetHighlight(int32_t room, int32_t column = -1, int32_t row = -1, int32_t doorAt = -1);
    int32_t HighlightedRoom() const { return highlight_; }
    // Draws a room over all others (and picks it first where it lies) until the highlight moves to
    // another room: a room found by number is seen whole even under the rooms above it. -1 for none.
    void Raise(int32_t room);
    int32_t RaisedRoom() const { return raised_; }

    // Rooms (indices) and doors (room index, door number) holding a problem the checker found: framed
    // and drawn in the problem's colour over the map.
    struct ProblemDoor {
        int32_t Room = -1, Index = -1;
        ProblemMark Mark = ProblemMark::Error;
    };
    void SetProblems(std::vector<std::pair<int32_t, ProblemMark>> rooms, std::vector<ProblemDoor> doors);
    const std::vector<std::pair<int32_t, ProblemMark>>& ProblemRooms() const { return problemRooms_; }
    const std::vector<ProblemDoor>& ProblemDoors() const { return problemDoors_; }

    void SetLegendShown(bool shown);
    bool LegendShown() const { return legendShown_; }

    // View: pixels per world unit and the world point at the centre.
    void FitToWindow();
    void ZoomBy(double factor, QPointF anchor);
    void ZoomBy(double factor) { ZoomBy(factor, QPointF(width() / 2.0, height() / 2.0)); }
    void CentreOn(int32_t room);
    double Scale() const { return scale_; }
    // The scales zooming stays between: the level at least an eighth of its fitted size, a sector at
    // most half the window's smaller side (or its fitted size, when that is larger).
    double MinScale() const;
    double MaxScale() const;

    QPointF WorldToScreen(double x, double z, QSizeF size) const;
    QPointF ScreenToWorld(QPointF p, QSizeF size) const;
    QPointF WorldToScreen(double x, double z) const { return WorldToScreen(x, z, size()); }
    QPointF ScreenToWorld(QPointF p) const { return ScreenToWorld(p, size()); }
    // The room, sector and door under a point of the widget.
    MapHit HitAt(QPointF p) const;
    QString ToolTipAt(QPointF p) const;

    // Draws the map as the widget shows it into any painter of the given size (a widget, an image, SVG);
    // with vector set, floors, lights and static meshes are drawn as shapes rather than images.
    void Render(QPainter& p, QSize size, bool vector = false);

    // The colours the map and its legend use.
    static QColor FloorShade(double t); // t = 0 for the lowest floor, 1 for the highest
    QColor FloorColour(int32_t floorY) const;
    static QColor WallColour() { return {58, 58, 66}; }
    static QColor DoorColour() { return {226, 32, 138}; }
    static QColor LightColour() { return {255, 214, 0}; }
    static QColor MeshColour() { return {0, 168, 200}; }
    static QColor HighlightColour() { return {255, 128, 0}; }
    static QColor AlternateColour() { return {118, 52, 196}; }
    static QColor BackgroundColour() { return {236, 236, 230}; }

  signals:
    void Clicked(const MapHit& hit, Qt::KeyboardModifiers modifiers);
    void DoubleClicked(const MapHit& hit);
    void ViewChanged();

  protected:
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;
    bool event(QEvent* e) override;

  private:
    const QImage& RoomImage(int32_t room);
    void DrawRoom(QPainter& p, int32_t room, QSize size, int64_t& marks);
    void DrawFloorRects(QPainter& p, const MapRoom& r, QRect sectors, QSize size);
    double FitScale() const;
    void DrawLegend(QPainter& p, QSize size) const;
    static void DrawNumber(QPainter& p, const MapRoom& r, const QRectF& whole, const QRectF& area);
    void DrawAlternateFrames(QPainter& p, QSize size) const;
    static QFont LegendFont(const QFont& base);
    static QRect LegendRect(const QFont& base, QSize size);
    void DrawHighlight(QPainter& p, QSize size) const;
    void DrawProblems(QPainter& p, QSize size) const;
    static void DrawMark(QPainter& p, QPointF at, double radius, bool light);
    static QImage Stamp(double radius, bool light);
    QRectF ScreenRect(double x0, double z0, double x1, double z1, QSizeF size) const;

    // What one frame shares between its rooms.
    struct Frame {
        bool Vector = false;
        int64_t VectorSectors = 0; // drawn as rectangles so far
        double Radius = 3;
        QImage LightStamp, MeshStamp;
        std::unordered_set<int64_t> Marked;
    };

    const LevelMapModel* model_ = nullptr;
    Frame frame_;
    std::vector<QImage> images_;
    std::array<QRgb, 256> floorColours_{};
    HeightBand band_;
    double scale_ = 1.0 / 64;
    double centreX_ = 0, centreZ_ = 0;
    bool fitted_ = false; // the view follows the window's size until the user pans or zooms

    int32_t highlight_ = -1, highlightColumn_ = -1, highlightRow_ = -1, highlightDoor_ = -1;
    int32_t raised_ = -1;
    std::vector<std::pair<int32_t, ProblemMark>> problemRooms_;
    std::vector<ProblemDoor> problemDoors_;
    bool legendShown_ = true;

    QPointF pressAt_;
    QPointF lastDrag_;
    bool dragging_ = false;
    bool pressed_ = false;
};
