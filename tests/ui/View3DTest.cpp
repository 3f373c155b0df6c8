// The 3D view under an X server with Mesa's software renderer, on a builder level whose faces stand
// where the tests put them: the camera's rays, a click selecting the face's record, the colours of a
// rendered frame worked out by hand from the palette, the current room following the selection, the
// keys, and the dock's key and its place after a restart. Without OpenGL the dock says so.
#include <QAction>
#include <QApplication>
#include <QDockWidget>
#include <QLabel>
#include <QMouseEvent>
#include <QSettings>
#include <QStandardPaths>
#include <QTest>
#include <cmath>

#include "common/TestFiles.h"
#include "report/ReportRun.h"
#include "tools/LevelBuilder.h"
#include "ui/LevelMapDock.h"
#include "ui/View3DDock.h"
#include "ui/frmMain.h"
#include "views/LevelMapView.h"
#include "views/SpanSelection.h"
#include "views/View3D.h"
#include "views/View3DCamera.h"

namespace {

using namespace levelbuilder;

// Palette entry 1 is (20, 40, 60) in six-bit components: (80, 160, 240) on screen.
const QColor kTileColour(80, 160, 240);
const QColor kWarning(255, 0, 255);
constexpr int kSide = 200;

Vertex V(int16_t x, int16_t y, int16_t z) {
    Vertex v;
    v.X = x;
    v.Y = y;
    v.Z = z;
    return v;
}

// Room 0 at the origin: a floor (rectangle 0) at y 0 from file z 0 to 4096, x 0 to 2048, facing up; a
// wall (rectangle 1) across its far end at file z 4096, 2048 high, facing the floor; left of the wall a
// triangle naming object texture 5 of 1 (invalid). Corners are given clockwise seen from the front.
// Room 1 far to the east with one wall, a door of room 0 leading to it (in its east side, x 2048, z 0 to
// 1024, 1024 high); an item at (512, -256, 1024) and a camera at (1536, -512, 2048), both in room 0. One
// tile, every pixel palette index 1; object texture 0 covers it whole.
Level PlacedLevel(int16_t wallTexture = 0) {
    Level level;
    level.Palette8[3] = 20;
    level.Palette8[4] = 40;
    level.Palette8[5] = 60;
    level.Tiles.Add(Tile8(65536, 1));
    ObjectTexture whole;
    whole.Vertices = {{{0, 0, 0, 0}, {0, 255, 0, 0}, {0, 255, 0, 255}, {0, 0, 0, 255}}};
    level.ObjectTextures.Add(whole);

    // Sector grids for the level map: two sectors across, four deep.
    const auto grid = [](Room& room) {
        room.XSectors = 2;
        room.ZSectors = 4;
        room.Sectors.assign(8, Sector{});
    };
    Room hall;
    grid(hall);
    for (const Vertex& v : {V(0, -2048, 4096), V(2048, -2048, 4096), V(2048, 0, 4096), V(0, 0, 4096), // wall
                            V(0, 0, 0), V(0, 0, 4096), V(2048, 0, 4096), V(2048, 0, 0),               // floor
                            V(-1536, -512, 4096), V(-1024, -1536, 4096), V(-512, -512, 4096)}) // invalid
        hall.Vertices.Add(v);
    hall.Rectangles.Add({{4, 5, 6, 7}, 0});
    hall.Rectangles.Add({{0, 1, 2, 3}, wallTexture});
    hall.Triangles.Add({{8, 9, 10}, 5});
    Door door;
    door.AdjoiningRoom = 1;
    door.Normal = {1, 0, 0};
    door.Vertices = {{{2048, 0, 0}, {2048, 0, 1024}, {2048, -1024, 1024}, {2048, -1024, 0}}};
    hall.Doors.Add(door);
    level.Rooms.Add(hall);

    Room east;
    grid(east);
    east.Xoffset = 16384;
    for (const Vertex& v : {V(0, -2048, 4096), V(2048, -2048, 4096), V(2048, 0, 4096), V(0, 0, 4096)})
        east.Vertices.Add(v);
    east.Rectangles.Add({{0, 1, 2, 3}, 0});
    level.Rooms.Add(east);

    Item item;
    item.Room = 0;
    item.X = 512;
    item.Y = -256;
    item.Z = 1024;
    level.Items.Add(item);
    Camera camera;
    camera.X = 1536;
    camera.Y = -512;
    camera.Z = 2048;
    level.Cameras.Add(camera);
    return level;
}

// Palette entry 2, (10, 50, 30): (40, 200, 120) on screen, on every pixel of a second tile, which object
// texture 1 covers whole.
const QColor kSecondTileColour(40, 200, 120);
Level WithSecondTile(Level level) {
    level.Palette8[6] = 10;
    level.Palette8[7] = 50;
    level.Palette8[8] = 30;
    level.Tiles.Add(Tile8(65536, 2));
    ObjectTexture second = level.ObjectTextures.Items[0];
    second.TileIndex = 1;
    level.ObjectTextures.Add(second);
    return level;
}

struct Walked {
    TempDir dir;
    AppState state;
    Layout layout;
    // listed: the report lists every section, the room meshes among them, and the view builds its scene
    // from that walk; otherwise it walks the level again.
    explicit Walked(const Level& level, bool listed = false) {
        SetAllDetails(state.DetailOptions, listed);
        ReportLevelFile(state, dir.Write("placed.dm2", Build(level, layout)));
    }
    // The first byte of rectangle i or triangle i of room r.
    int64_t RectangleAt(int r, int i) const {
        return layout.Parts.at(static_cast<size_t>(r)).Rectangles + 2 + 10 * i;
    }
    int64_t TriangleAt(int r, int i) const {
        return layout.Parts.at(static_cast<size_t>(r)).Triangles + 2 + 8 * i;
    }
};

// A walked level with a view of kSide x kSide over it, shown.
struct Shown {
    Walked w;
    SpanSelection selection{w.state};
    View3D view{selection};
    explicit Shown(const Level& level, bool listed = false) : w(level, listed) {
        view.resize(kSide, kSide);
        view.show();
    }
    bool Exposed() { return QTest::qWaitForWindowExposed(&view); }
};

// A view of kSide x kSide looking north at the wall from the floor's south edge: the eye at scene
// (256, 1024, 0), the target (256, 1024, -4096), 60 degrees high. 4096 x tan 30 = 2365 units are 100
// pixels, so the wall's middle (1024, 1024) lies at pixel (132, 100), the invalid triangle's middle
// (-1024, 853) at (46, 107), the floor at (132, 170), open space above the wall at (5, 5).
void LookAtTheWall(View3D& view, float yaw = 0, float targetX = 256) {
    View3DCamera& c = view.Camera();
    c.Kind = View3DCamera::Mode::Orbit;
    c.Target = QVector3D(targetX, 1024, -4096);
    c.Yaw = yaw;
    c.Pitch = 0;
    c.Distance = 4096;
    c.FieldOfView = 60;
    c.Radius = 4096;
    view.update();
}

bool Near(QColor a, QColor b) {
    return std::abs(a.red() - b.red()) <= 1 && std::abs(a.green() - b.green()) <= 1 &&
           std::abs(a.blue() - b.blue()) <= 1;
}

// The cursor moved over the view with no button held.
void Hover(QWidget& view, QPoint at) {
    QMouseEvent move(QEvent::MouseMove, at, view.mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&view, &move);
}

QString Named(QColor c) {
    return QStringLiteral("(%1, %2, %3)").arg(c.red()).arg(c.green()).arg(c.blue());
}

} // namespace

class View3DTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() {
        QStandardPaths::setTestModeEnabled(true);
        QCoreApplication::setOrganizationName(QStringLiteral("StrataViewerView3DTests"));
        QSettings().clear();
    }

    // Rays through pixels, worked out by hand for a camera 1000 units from the origin, 90 degrees high
    // on a 100 x 100 viewport: tan 45 = 1, so pixel x 75 lies half-way to the right edge.
    void cameraRaysThroughPixels_data() {
        QTest::addColumn<float>("yaw");
        QTest::addColumn<float>("pitch");
        QTest::addColumn<QPointF>("pixel");
        QTest::addColumn<QVector3D>("eye");
        QTest::addColumn<QVector3D>("direction");
        QTest::newRow("south of the target, the middle")
            << 0.f << 0.f << QPointF(50, 50) << QVector3D(0, 0, 1000) << QVector3D(0, 0, -1);
        QTest::newRow("south, right of the middle") << 0.f << 0.f << QPointF(75, 50) << QVector3D(0, 0, 1000)
                                                    << QVector3D(0.4472136f, 0, -0.8944272f);
        QTest::newRow("south, top edge")
            << 0.f << 0.f << QPointF(50, 0) << QVector3D(0, 0, 1000) << QVector3D(0, 0.7071068f, -0.7071068f);
        QTest::newRow("east of the target")
            << 90.f << 0.f << QPointF(50, 50) << QVector3D(1000, 0, 0) << QVector3D(-1, 0, 0);
        QTest::newRow("east, right of the middle is south")
            << 90.f << 0.f << QPointF(75, 50) << QVector3D(1000, 0, 0)
            << QVector3D(-0.8944272f, 0, -0.4472136f);
        QTest::newRow("above, looking down 30 degrees")
            << 0.f << 30.f << QPointF(50, 50) << QVector3D(0, 500, 866.0254f)
            << QVector3D(0, -0.5f, -0.8660254f);
    }
    void cameraRaysThroughPixels() {
        QFETCH(float, yaw);
        QFETCH(float, pitch);
        QFETCH(QPointF, pixel);
        QFETCH(QVector3D, eye);
        QFETCH(QVector3D, direction);
        View3DCamera c;
        c.Target = QVector3D(0, 0, 0);
        c.Yaw = yaw;
        c.Pitch = pitch;
        c.Distance = 1000;
        c.FieldOfView = 90;
        const scene::Ray ray =
            c.RayThrough(static_cast<float>(pixel.x()), static_cast<float>(pixel.y()), 100, 100);
        const QVector3D origin(ray.Origin[0], ray.Origin[1], ray.Origin[2]);
        const QVector3D toward(ray.Direction[0], ray.Direction[1], ray.Direction[2]);
        QVERIFY2((origin - eye).length() < 0.05f,
                 qPrintable(QStringLiteral("eye %1 %2 %3").arg(origin.x()).arg(origin.y()).arg(origin.z())));
        QVERIFY2(
            (toward - direction).length() < 1e-4f,
            qPrintable(QStringLiteral("direction %1 %2 %3").arg(toward.x()).arg(toward.y()).arg(toward.z())));
    }

    // A click at a known pixel selects the record of the face drawn there: its bytes and its line.
    void clickSelectsTheFaceRecord_data() {
        QTest::addColumn<QPoint>("pixel");
        QTest::addColumn<int>("kind"); // 0 rectangle, 1 triangle, -1 nothing
        QTest::addColumn<int>("face");
        QTest::addColumn<bool>("listed");
        QTest::newRow("the wall: rectangle 1") << QPoint(132, 100) << 0 << 1 << false;
        QTest::newRow("the wall, the report listing the meshes") << QPoint(132, 100) << 0 << 1 << true;
        QTest::newRow("the floor: rectangle 0") << QPoint(132, 170) << 0 << 0 << false;
        QTest::newRow("the invalid triangle: triangle 0") << QPoint(46, 107) << 1 << 0 << false;
        QTest::newRow("open space: nothing") << QPoint(5, 5) << -1 << 0 << false;
    }
    void clickSelectsTheFaceRecord() {
        QFETCH(QPoint, pixel);
        QFETCH(int, kind);
        QFETCH(int, face);
        QFETCH(bool, listed);
        Shown shown(PlacedLevel(), listed);
        QVERIFY(shown.Exposed());
        auto& [w, selection, view] = shown;
        LookAtTheWall(view);
        QTest::mouseClick(&view, Qt::LeftButton, {}, pixel);
        if (kind < 0) {
            QCOMPARE(selection.Line(), -1);
            return;
        }
        const int64_t first = kind == 0 ? w.RectangleAt(0, face) : w.TriangleAt(0, face);
        QCOMPARE(int64_t{selection.Bytes().First}, first);
        QCOMPARE(int64_t{selection.Bytes().End}, first + (kind == 0 ? 10 : 8));
        QVERIFY(selection.Line() >= 0);
        QCOMPARE(w.state.Map.SpanOfLine(selection.Line()), w.state.Map.SpanAt(first));
    }

    // The pixels of a rendered frame: the tile's palette colour on the faces, the warning colour on the
    // invalid face until it is hidden; a one-sided face is not drawn from behind, a both-sided one is.
    void frameShowsTheTileColours() {
        Shown shown(PlacedLevel());
        QVERIFY(shown.Exposed());
        auto& [w, selection, view] = shown;
        LookAtTheWall(view);
        QImage frame = view.grabFramebuffer();
        QCOMPARE(frame.size(), QSize(kSide, kSide));
        const QColor open = frame.pixelColor(5, 5);
        QVERIFY2(!Near(open, kTileColour) && !Near(open, kWarning), qPrintable(Named(open)));
        for (const QPoint at : {QPoint(132, 100), QPoint(132, 170), QPoint(160, 60)})
            QVERIFY2(Near(frame.pixelColor(at), kTileColour), qPrintable(Named(frame.pixelColor(at))));
        QVERIFY2(Near(frame.pixelColor(46, 107), kWarning), qPrintable(Named(frame.pixelColor(46, 107))));

        view.SetShowInvalid(false);
        frame = view.grabFramebuffer();
        QCOMPARE(frame.pixelColor(46, 107), open);
        view.SetShowInvalid(true);

        // From behind the wall, its middle in the middle of the frame: only the floor lies beyond.
        LookAtTheWall(view, 180, 1024);
        frame = view.grabFramebuffer();
        QCOMPARE(frame.pixelColor(kSide / 2, kSide / 2), open);
    }
    void frameDrawsBothSidedFacesFromBehind() {
        Shown shown(PlacedLevel(static_cast<int16_t>(0x8000)));
        QVERIFY(shown.Exposed());
        auto& [w, selection, view] = shown;
        LookAtTheWall(view, 180, 1024);
        const QImage frame = view.grabFramebuffer();
        QVERIFY2(Near(frame.pixelColor(kSide / 2, kSide / 2), kTileColour),
                 qPrintable(Named(frame.pixelColor(kSide / 2, kSide / 2))));
    }

    // Faces meeting at an edge keep their own tiles: the wall, on a second tile (palette index 2, (40,
    // 200, 120) on screen), shares its bottom corners with the floor on the first. Near that edge, as in
    // its middle, the wall has its own colour; a both-sided wall seen from behind too. Every room drawn,
    // then room 0 and its neighbour.
    void facesSharingAnEdgeKeepTheirTiles_data() {
        QTest::addColumn<bool>("allRooms");
        QTest::addColumn<bool>("bothSided");
        QTest::newRow("every room") << true << false;
        QTest::newRow("room 0 and its neighbour") << false << false;
        QTest::newRow("every room, both-sided wall") << true << true;
        QTest::newRow("room 0, both-sided wall") << false << true;
    }
    void facesSharingAnEdgeKeepTheirTiles() {
        QFETCH(bool, allRooms);
        QFETCH(bool, bothSided);
        Level level = WithSecondTile(PlacedLevel(static_cast<int16_t>(bothSided ? 0x8001 : 1)));

        Shown shown(level);
        QVERIFY(shown.Exposed());
        auto& [w, selection, view] = shown;
        view.SetAllRooms(allRooms);
        view.SetCurrentRoom(0);
        LookAtTheWall(view);
        QImage frame = view.grabFramebuffer();
        // The wall's bottom edge lies at row 143: rows 138 and 100 are on the wall, 170 on the floor.
        for (const QPoint at : {QPoint(132, 138), QPoint(132, 100), QPoint(160, 60)})
            QVERIFY2(Near(frame.pixelColor(at), kSecondTileColour), qPrintable(Named(frame.pixelColor(at))));
        QVERIFY2(Near(frame.pixelColor(132, 170), kTileColour),
                 qPrintable(Named(frame.pixelColor(132, 170))));
        if (bothSided) {
            LookAtTheWall(view, 180, 1024);
            frame = view.grabFramebuffer();
            QVERIFY2(Near(frame.pixelColor(kSide / 2, kSide / 2), kSecondTileColour),
                     qPrintable(Named(frame.pixelColor(kSide / 2, kSide / 2))));
        }
    }

    // Faces turning their backs to the eye are left out a group at a time, and only where every face of
    // the group does: a ledge facing up 3072 units above the floor, out of sight, seen from below, does
    // not take the floor (facing up, below the eye) with it; an upright triangle left of the eye, across
    // no axis, facing the eye and a little towards -x, on a second tile (40, 200, 120), is drawn.
    void facesLeftOutOnlyWhenAllTurnAway() {
        Level level = WithSecondTile(PlacedLevel());
        Room& hall = level.Rooms.Items[0];
        for (const Vertex& v :
             {V(-6144, -3072, 0), V(-6144, -3072, 1024), V(-4096, -3072, 1024), V(-4096, -3072, 0),
              V(-200, -300, 2000), V(-600, -300, 2200), V(-400, -900, 2100)})
            hall.Vertices.Add(v);
        hall.Rectangles.Add({{11, 12, 13, 14}, 0});
        hall.Triangles.Add({{15, 16, 17}, 1});

        Shown shown(level);
        QVERIFY(shown.Exposed());
        auto& [w, selection, view] = shown;
        LookAtTheWall(view);
        const QImage frame = view.grabFramebuffer();
        // The triangle's middle, scene (-400, 500, -2100), lies at pixel (46, 143).
        QVERIFY2(Near(frame.pixelColor(46, 143), kSecondTileColour),
                 qPrintable(Named(frame.pixelColor(46, 143))));
        for (const QPoint at : {QPoint(132, 170), QPoint(160, 60)})
            QVERIFY2(Near(frame.pixelColor(at), kTileColour), qPrintable(Named(frame.pixelColor(at))));
    }

    // A marker is a square of 5 pixels in its kind's colour, 90% over what lies behind: the item, seen
    // straight on from 2048 units, in the middle of the frame over the wall's tile colour.
    void markerDrawnAsASquareOfItsColour() {
        Shown shown(PlacedLevel());
        QVERIFY(shown.Exposed());
        auto& [w, selection, view] = shown;
        LookAtTheWall(view);
        View3DCamera& c = view.Camera();
        c.Target = QVector3D(512, 256, -1024);
        c.Distance = 2048;
        view.update();
        const QImage frame = view.grabFramebuffer();
        // 0.9 x (0.3, 0.95, 0.95) x 255 + 0.1 x (80, 160, 240)
        const QColor item(77, 234, 242);
        const auto near = [](QColor a, QColor b) {
            return std::abs(a.red() - b.red()) <= 2 && std::abs(a.green() - b.green()) <= 2 &&
                   std::abs(a.blue() - b.blue()) <= 2;
        };
        for (const QPoint at : {QPoint(99, 99), QPoint(101, 101), QPoint(99, 101), QPoint(101, 99)})
            QVERIFY2(near(frame.pixelColor(at), item), qPrintable(Named(frame.pixelColor(at))));
        for (const QPoint at : {QPoint(95, 100), QPoint(105, 100), QPoint(100, 95), QPoint(100, 105)})
            QVERIFY2(Near(frame.pixelColor(at), kTileColour), qPrintable(Named(frame.pixelColor(at))));
    }

    // The toggles: 16-bit tiles give the wall the colour of its 16-bit tile, here every word 0xFC00
    // (alpha set, red 31, green and blue 0: (255, 0, 0)); in wireframe the inside of the wall is open.
    void tileDepthAndWireframeToggles() {
        TempDir dir;
        std::vector<uint8_t> bytes = Build(PlacedLevel());
        // The tile count at 0x704, one 8-bit tile of 65536 bytes from 0x708, then the 16-bit tile.
        constexpr size_t kTile16At = 0x708 + 65536;
        for (size_t i = kTile16At; i < kTile16At + 2 * 65536; i += 2) {
            bytes.at(i) = 0x00;
            bytes.at(i + 1) = 0xFC;
        }
        AppState state;
        ReportLevelFile(state, dir.Write("sixteen.dm2", bytes));
        SpanSelection selection(state);
        View3D view(selection);
        view.resize(kSide, kSide);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        LookAtTheWall(view);
        const QPoint wall(160, 60);
        QImage frame = view.grabFramebuffer();
        const QColor open = frame.pixelColor(5, 5);
        QVERIFY2(Near(frame.pixelColor(wall), kTileColour), qPrintable(Named(frame.pixelColor(wall))));
        view.SetTileDepth(scene::TileDepth::Bits16);
        frame = view.grabFramebuffer();
        QVERIFY2(Near(frame.pixelColor(wall), QColor(255, 0, 0)), qPrintable(Named(frame.pixelColor(wall))));
        view.SetWireframe(true);
        frame = view.grabFramebuffer();
        QCOMPARE(frame.pixelColor(wall), open);
    }

    // Selecting a room elsewhere makes it current, its neighbours shown with it, and frames it; F frames
    // the selected face, W and S move towards it and back; the hover names the face.
    void selectionElsewhereAndTheKeys() {
        Shown shown(PlacedLevel());
        QVERIFY(shown.Exposed());
        auto& [w, selection, view] = shown;
        int32_t eastSpan = -1;
        for (int32_t s = 0; s < w.state.Map.Size(); ++s)
            if (w.state.Map[s].Kind == SpanKind::Room && w.state.Map[s].Index == 1)
                eastSpan = s;
        QVERIFY(eastSpan >= 0);
        selection.SelectSpan(eastSpan, nullptr);
        QCOMPARE(view.CurrentRoom(), view.Scene().IndexOfRoom(1));
        // Room 1 has no door of its own: it is drawn alone.
        QCOMPARE(view.VisibleRooms(), std::vector<int32_t>{view.Scene().IndexOfRoom(1)});
        // Room 1's wall spans x 16384..18432, y 0..2048 at z -4096.
        QCOMPARE(view.Camera().Target, QVector3D(17408, 1024, -4096));

        selection.SelectBytes(w.RectangleAt(0, 1), w.RectangleAt(0, 1) + 10, nullptr);
        QCOMPARE(view.CurrentRoom(), view.Scene().IndexOfRoom(0));
        // Room 0 with room 1, where its door leads.
        QCOMPARE(view.VisibleRooms(),
                 (std::vector<int32_t>{view.Scene().IndexOfRoom(0), view.Scene().IndexOfRoom(1)}));
        view.Camera().Target = QVector3D(0, 0, 0);
        view.setFocus();
        QTest::keyClick(&view, Qt::Key_F);
        QCOMPARE(view.Camera().Target, QVector3D(1024, 1024, -4096));

        LookAtTheWall(view);
        const QVector3D before = view.Camera().Eye();
        QTest::keyClick(&view, Qt::Key_W);
        const QVector3D nearer = view.Camera().Eye();
        QVERIFY(nearer.z() < before.z() - 1);
        QCOMPARE(nearer.x(), before.x());
        QTest::keyClick(&view, Qt::Key_S);
        QVERIFY((view.Camera().Eye() - before).length() < 0.5f);
        QTest::keyClick(&view, Qt::Key_D);
        QVERIFY(view.Camera().Eye().x() > before.x() + 1);

        LookAtTheWall(view);
        Hover(view, QPoint(132, 100));
        QCOMPARE(view.toolTip(), QStringLiteral("room 0, rectangle 1, object texture 0 (tile 0)"));
        Hover(view, QPoint(46, 107));
        QCOMPARE(view.toolTip(),
                 QStringLiteral("room 0, triangle 0, object texture missing, invalid reference"));
        QCOMPARE(QString::fromStdString(view.Scene().InvalidText()),
                 QStringLiteral("1 face with invalid references"));
    }

    // Selecting a record elsewhere frames what it names: the middle of the face, of the door's quad, of
    // a marker, in scene coordinates (x, -y, -z of the file's).
    void selectionFramesWhatItNames_data() {
        QTest::addColumn<int>("which");
        QTest::addColumn<QVector3D>("middle");
        QTest::newRow("the wall's rectangle") << 0 << QVector3D(1024, 1024, -4096);
        QTest::newRow("the door") << 1 << QVector3D(2048, 512, -512);
        QTest::newRow("the item") << 2 << QVector3D(512, 256, -1024);
        QTest::newRow("the camera") << 3 << QVector3D(1536, 512, -2048);
    }
    void selectionFramesWhatItNames() {
        QFETCH(int, which);
        QFETCH(QVector3D, middle);
        Shown shown(PlacedLevel());
        QVERIFY(shown.Exposed());
        auto& [w, selection, view] = shown;
        const int64_t first =
            std::array<int64_t, 4>{w.RectangleAt(0, 1), w.layout.Parts.at(0).Doors + 2, w.layout.Items + 4,
                                   w.layout.Cameras + 4}[static_cast<size_t>(which)];
        selection.SelectBytes(first, first + 2, nullptr);
        QVERIFY2((view.Camera().Target - middle).length() < 0.01f,
                 qPrintable(QStringLiteral("%1 %2 %3")
                                .arg(view.Camera().Target.x())
                                .arg(view.Camera().Target.y())
                                .arg(view.Camera().Target.z())));
        QCOMPARE(view.CurrentRoom(), view.Scene().IndexOfRoom(0));
    }

    // The real window: Ctrl+6 shows and hides the dock; shown when the window closed, shown after a
    // restart, hidden likewise.
    void dockKeyAndRestart() {
        QSettings().clear();
        TempDir dir;
        const std::string path = dir.Write("placed.dm2", Build(PlacedLevel()));
        for (const bool shown : {true, false}) {
            QSettings().clear();
            {
                AppState state;
                state.ProgramFolder = dir.Path();
                frmMain w(state);
                auto* dock = w.findChild<View3DDock*>();
                QVERIFY(dock);
                QVERIFY(dock->Dock()->isHidden());
                w.OpenLevel(QString::fromStdString(path));
                w.show();
                w.activateWindow();
                QVERIFY(QTest::qWaitForWindowActive(&w));
                QWidget* focus = QApplication::focusWidget();
                QTest::keyClick(focus ? focus : &w, Qt::Key_6, Qt::ControlModifier);
                QVERIFY(dock->Dock()->isVisible());
                QVERIFY(dock->View());
                QVERIFY(dock->Message().isEmpty());
                QCOMPARE(dock->View()->Scene().Rooms.size(), size_t{2});
                QCOMPARE(dock->StatusLine()->text(), QStringLiteral("1 face with invalid references"));
                // The room found on the level map becomes the current room here.
                QVERIFY(w.LevelMap().View()->FindRoom(1));
                QCOMPARE(dock->View()->CurrentRoom(), dock->View()->Scene().IndexOfRoom(1));
                // Floated, the view gets a new GL context and draws as before.
                dock->Dock()->setFloating(true);
                dock->Dock()->resize(kSide + 40, kSide + 80);
                QCoreApplication::processEvents();
                LookAtTheWall(*dock->View(), 0, 17408); // room 1's wall, the current room
                const QImage frame = dock->View()->grabFramebuffer();
                const QPoint middle(frame.width() / 2, frame.height() / 2);
                QVERIFY2(Near(frame.pixelColor(middle), kTileColour),
                         qPrintable(Named(frame.pixelColor(middle))));
                dock->Dock()->setFloating(false);
                QCoreApplication::processEvents();
                if (!shown) {
                    // The window took on GL for the view and was made anew: active again, as a user's
                    // window manager leaves it.
                    w.activateWindow();
                    QVERIFY(QTest::qWaitForWindowActive(&w));
                    focus = QApplication::focusWidget();
                    QTest::keyClick(focus ? focus : &w, Qt::Key_6, Qt::ControlModifier);
                    QVERIFY(dock->Dock()->isHidden());
                }
                QVERIFY(w.close());
            }
            AppState state;
            state.ProgramFolder = dir.Path();
            frmMain again(state);
            QCOMPARE(!again.findChild<View3DDock*>()->Dock()->isHidden(), shown);
        }
        QSettings().clear();
    }

    // Run on the offscreen platform, which offers no OpenGL: the dock shows a message, nothing crashes.
    void dockWithoutOpenGLSaysSo() {
        if (View3D::OpenGLAvailable(nullptr))
            QSKIP("OpenGL is available here; this case runs on the offscreen platform");
        QSettings().clear();
        TempDir dir;
        AppState state;
        state.ProgramFolder = dir.Path();
        frmMain w(state);
        w.OpenLevel(QString::fromStdString(dir.Write("placed.dm2", Build(PlacedLevel()))));
        w.show();
        auto* dock = w.findChild<View3DDock*>();
        dock->Dock()->show();
        QVERIFY(!dock->View());
        QVERIFY(dock->Message().contains(QStringLiteral("OpenGL")));
        QSettings().clear();
    }
};

QTEST_MAIN(View3DTest)
#include "View3DTest.moc"
