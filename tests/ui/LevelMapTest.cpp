// The level map, offscreen, on builder levels whose rooms, sectors and doors stand where the tests put
// them: what lies under a point, what the tooltip says, where doors lead, what the height filter
// hides, the shade a sector is drawn in, what a click selects, and damaged levels.
#include <QAction>
#include <QApplication>
#include <QDockWidget>
#include <QFile>
#include <QMenu>
#include <QPainter>
#include <QSettings>
#include <QStandardPaths>
#include <QTest>

#include "common/TestFiles.h"
#include "engine/ReportRun.h"
#include "tools/DemoLevel.h"
#include "tools/LevelBuilder.h"
#include "ui/LevelMapDock.h"
#include "ui/ReportView.h"
#include "ui/frmMain.h"
#include "views/LevelMapCanvas.h"
#include "views/LevelMapView.h"
#include "views/SpanSelection.h"

namespace {

using namespace levelbuilder;

constexpr int kS = 1024; // world units a sector

// A room of cols x rows sectors at sector position (sx, sz), height band top..bottom, every sector
// floored at floorOf(column, row) (a step byte) under the ceiling byte.
template <class FloorOf>
Room MakeRoom(int sx, int sz, int cols, int rows, int top, int bottom, uint8_t ceiling, FloorOf floorOf) {
    Room room;
    room.Xoffset = sx * kS;
    room.Zoffset = sz * kS;
    room.Ybottom = bottom;
    room.lngYtop = top;
    room.XSectors = static_cast<int16_t>(cols);
    room.ZSectors = static_cast<int16_t>(rows);
    for (int c = 0; c < cols; ++c)
        for (int r = 0; r < rows; ++r) {
            Sector s;
            s.Floor = floorOf(c, r);
            s.Ceiling = ceiling;
            room.Sectors.push_back(s);
        }
    return room;
}

// Room 0: 4 x 3 sectors at the origin, floors stepping down eastwards (byte = column), the south-west
// sector a wall. Room 1: 2 x 2 east of it, a door in its west wall leading to room 0. Room 2: 2 x 2 over
// room 0's middle, one storey up, with the sector under it naming it as the room above.
Level PlannedLevel() {
    Level level;
    Room hall = MakeRoom(0, 0, 4, 3, -2048, 768, 0xF8, [](int c, int) { return static_cast<uint8_t>(c); });
    hall.Sectors[0].Floor = hall.Sectors[0].Ceiling = 0x81;
    hall.Sectors[2 * 3 + 1].RoomAbove = 2; // column 2, row 1
    hall.Lights.Add({1024 + 512, -1024, 2048 + 512, 100, 100, 1, 1});
    Room side = MakeRoom(4, 0, 2, 2, -2048, 0, 0xF8, [](int, int) { return uint8_t{0}; });
    Door door;
    door.AdjoiningRoom = 0;
    door.Normal = {1, 0, 0};
    door.Vertices = {{{0, 0, 0}, {0, 0, 1024}, {0, -1024, 1024}, {0, -1024, 0}}};
    side.Doors.Add(door);
    side.StaticMeshes.Add({4096 + 1536, 0, 1536, 0, 0, 0, 5});
    Room upper = MakeRoom(1, 1, 2, 2, -4096, -2048, 0xF0, [](int, int) { return uint8_t{0xF8}; });
    upper.Sectors[1].RoomBelow = 0; // column 0, row 1
    level.Rooms.Add(hall);
    level.Rooms.Add(side);
    level.Rooms.Add(upper);
    return level;
}

// A walked level, its selection and the map over it, on screen (offscreen) at a known size.
struct MapFixture {
    TempDir dir;
    AppState state;
    std::unique_ptr<SpanSelection> selection;
    std::unique_ptr<LevelMapView> view;
    int16_t status = 0;

    explicit MapFixture(const std::vector<uint8_t>& bytes, bool details = false, QSize size = {800, 600}) {
        state.TileFolderOverride = dir.Path() / "tiles";
        SetAllDetails(state.DetailOptions, details);
        status = ReportLevelFile(state, dir.Write("level.dm2", bytes));
        selection = std::make_unique<SpanSelection>(state);
        view = std::make_unique<LevelMapView>(*selection);
        view->show();
        if (!QTest::qWaitForWindowExposed(view.get()))
            qFatal("the map was not shown");
        // The canvas takes the size the tests compute with; the rest of the view lays out round it.
        view->Canvas()->setFixedSize(size);
        view->adjustSize();
        QApplication::processEvents();
        view->Canvas()->FitToWindow();
    }
    const LevelMapModel& Model() const { return view->Model(); }
    LevelMapCanvas& Canvas() const { return *view->Canvas(); }
    QPoint ScreenOf(double x, double z) const { return Canvas().WorldToScreen(x, z).toPoint(); }
    // The centre of sector (column, row) of a room, in world units.
    static QPointF SectorCentre(const MapRoom& r, int column, int row) {
        return {static_cast<double>(r.X) + (column + 0.5) * kS, static_cast<double>(r.Z) + (row + 0.5) * kS};
    }
    const MapRoom& Room(int number) const {
        return Model().Rooms()[static_cast<size_t>(Model().IndexOfRoom(number))];
    }
    QImage Rendered() const {
        QImage image(Canvas().size(), QImage::Format_RGB32);
        QPainter p(&image);
        Canvas().Render(p, image.size());
        return image;
    }
};

} // namespace

class LevelMapTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase();
    void roomAndSectorUnderAPoint();
    void tooltipNamesTheSectorsHeights();
    void doorJoinsTheRightRoomsAndLeadsThere();
    void heightFilterHidesRoomsOutsideTheBand();
    void sectorIsDrawnInItsFloorShade();
    void clickSelectsTheRecordAndSelectionHighlightsTheRoom();
    void sectorsAreReadWhateverTheDetailOptions();
    void damagedLevelsDrawOrSayWhy();
    void savesPngAndSvg();
    void mainWindowShowsTheMapFromTheStructureMenu();
};

void LevelMapTest::initTestCase() {
    // The main window remembers its docks; these tests start from no remembered layout.
    QStandardPaths::setTestModeEnabled(true);
    QCoreApplication::setOrganizationName(QStringLiteral("StrataViewerLevelMapTests"));
    QSettings().clear();
}

void LevelMapTest::roomAndSectorUnderAPoint() {
    MapFixture f(Build(PlannedLevel()));
    QCOMPARE(f.Model().Rooms().size(), size_t{3});
    struct Case {
        double X, Z;
        HeightBand Band;
        int Room, Column, Row; // Room -1: nothing there
    };
    const HeightBand all;
    const HeightBand ground{-2048, 768};
    for (const Case& c : {
             Case{500, 500, all, 0, 0, 0},
             Case{3 * kS + 10, 2 * kS + 10, all, 0, 3, 2},
             Case{1500, 1500, all, 2, 0, 0},    // the upper room lies over the hall
             Case{1500, 1500, ground, 0, 1, 1}, // and under the ground band the hall shows
             Case{4 * kS + 100, kS + 100, all, 1, 0, 1},
             Case{-10, 500, all, -1, -1, -1},
             Case{6 * kS + 1, 500, all, -1, -1, -1},
             Case{500, 3 * kS + 1, all, -1, -1, -1},
         }) {
        const MapHit hit = f.Model().Pick(c.X, c.Z, c.Band);
        const int room = hit.Valid() ? f.Model().Rooms()[static_cast<size_t>(hit.Room)].Number : -1;
        QCOMPARE(room, c.Room);
        QCOMPARE(hit.Column, c.Column);
        QCOMPARE(hit.Row, c.Row);
    }
}

void LevelMapTest::tooltipNamesTheSectorsHeights() {
    MapFixture f(Build(PlannedLevel()));
    f.view->SetHeightBand(-2048, 768); // the hall, not the room over it
    const MapRoom& hall = f.Room(0);
    struct Case {
        int Column, Row;
        QStringList Parts;
    };
    for (const Case& c : {
             Case{2,
                  1,
                  {"Room 0 (y -2048 to 768)", "Sector column 2, row 1", "Floor 512 (0x02)",
                   "ceiling -2048 (0xF8)", "Room below none, room above 2"}},
             Case{0, 0, {"Sector column 0, row 0 (sector 0): wall", "Floor -32512 (0x81)"}},
         }) {
        const QString tip = f.Canvas().ToolTipAt(f.Canvas().WorldToScreen(
            f.SectorCentre(hall, c.Column, c.Row).x(), f.SectorCentre(hall, c.Column, c.Row).y()));
        for (const QString& part : c.Parts)
            QVERIFY2(tip.contains(part), qPrintable(tip));
    }
    // Over the upper room's sector that names the hall below it.
    f.view->SetHeightBand(-4096, 768);
    const QString tip = f.Canvas().ToolTipAt(f.Canvas().WorldToScreen(1.5 * kS, 2.5 * kS));
    QVERIFY2(tip.contains("Room 2") && tip.contains("Room below 0, room above none"), qPrintable(tip));
}

void LevelMapTest::doorJoinsTheRightRoomsAndLeadsThere() {
    MapFixture f(Build(PlannedLevel()), /*details=*/true);
    const MapRoom& side = f.Room(1);
    QCOMPARE(side.Doors, 1);
    const MapDoor door = f.Model().Door(f.Model().IndexOfRoom(1), 0);
    QCOMPARE(door.Adjoining, int16_t{0});
    QCOMPARE(f.Model().RoomOfDoor(door), f.Model().IndexOfRoom(0));
    for (const auto& corner : door.Corners)
        QCOMPARE(corner[0], 4.0 * kS); // on the wall the two rooms share

    // Near the door line the pick finds the door, its tooltip says where it leads, and a double click goes
    // there.
    const QPoint onDoor = f.ScreenOf(4 * kS, 0.5 * kS);
    const MapHit hit = f.Canvas().HitAt(onDoor);
    QCOMPARE(hit.Door.At, door.At);
    QVERIFY(f.Canvas().ToolTipAt(onDoor).contains("Door 0 of room 1 to room 0"));
    QTest::mouseDClick(&f.Canvas(), Qt::LeftButton, Qt::NoModifier, onDoor);
    QCOMPARE(f.Canvas().HighlightedRoom(), f.Model().IndexOfRoom(0));
    QCOMPARE(f.selection->Line(), f.state.Map[f.Room(0).Span].Line);
    QVERIFY(f.state.Report.Str().find(", ,Room no 0") != std::string::npos);
}

void LevelMapTest::heightFilterHidesRoomsOutsideTheBand() {
    MapFixture f(Build(PlannedLevel()));
    QCOMPARE(f.Model().TopY(), int64_t{-4096});
    QCOMPARE(f.Model().BottomY(), int64_t{768});
    struct Case {
        int64_t Top, Bottom;
        std::vector<int> Shown;
    };
    for (const Case& c : {Case{-4096, 768, {0, 1, 2}}, Case{-2048, 768, {0, 1}}, Case{-4096, -2048, {2}},
                          Case{200, 768, {0}}, Case{-3000, -2500, {2}}}) {
        f.view->SetHeightBand(c.Top, c.Bottom);
        std::vector<int> shown;
        for (const MapRoom& r : f.Model().Rooms())
            if (LevelMapModel::Shown(r, f.Canvas().Band()))
                shown.push_back(r.Number);
        QCOMPARE(shown, c.Shown);
    }
    // A hidden room is not picked: under the upper band the hall's corner is empty.
    f.view->SetHeightBand(-4096, -2048);
    QVERIFY(!f.Canvas().HitAt(f.ScreenOf(500, 500)).Valid());
}

void LevelMapTest::sectorIsDrawnInItsFloorShade() {
    MapFixture f(Build(PlannedLevel()));
    const QImage image = f.Rendered();
    const MapRoom& hall = f.Room(0);
    struct Case {
        int Column, Row;
        QColor Expected;
    };
    for (const Case& c :
         {Case{3, 0, f.Canvas().FloorColour(3 * 256)}, Case{1, 0, f.Canvas().FloorColour(256)},
          Case{0, 0, LevelMapCanvas::WallColour()}}) {
        const QPointF centre = f.SectorCentre(hall, c.Column, c.Row);
        const QPoint at = f.ScreenOf(centre.x(), centre.y());
        QCOMPARE(image.pixelColor(at).rgb(), c.Expected.rgb());
    }
    // The deepest floor takes the low end of the scale, the highest floor the high end.
    QCOMPARE(f.Canvas().FloorColour(f.Model().LowestFloorY()).rgb(), LevelMapCanvas::FloorShade(0).rgb());
    QCOMPARE(f.Canvas().FloorColour(f.Model().HighestFloorY()).rgb(), LevelMapCanvas::FloorShade(1).rgb());
    QVERIFY(LevelMapCanvas::FloorShade(0).rgb() != LevelMapCanvas::FloorShade(1).rgb());
}

void LevelMapTest::clickSelectsTheRecordAndSelectionHighlightsTheRoom() {
    MapFixture f(Build(PlannedLevel()), /*details=*/true);
    f.view->SetHeightBand(-2048, 768);
    const MapRoom& hall = f.Room(0);
    const QPointF centre = f.SectorCentre(hall, 2, 1);
    QTest::mouseClick(&f.Canvas(), Qt::LeftButton, Qt::NoModifier, f.ScreenOf(centre.x(), centre.y()));
    // The sector's record line: its bytes are sector 2 x 3 + 1 of the hall.
    const int32_t sectorAt = f.Model().SectorOffset(hall, 2, 1);
    QCOMPARE(f.selection->Bytes().First, sectorAt);
    QCOMPARE(f.selection->Bytes().End, sectorAt + 8);
    QCOMPARE(f.Canvas().HighlightedRoom(), f.Model().IndexOfRoom(0));

    // Shift-click selects the room's own line.
    QTest::mouseClick(&f.Canvas(), Qt::LeftButton, Qt::ShiftModifier, f.ScreenOf(centre.x(), centre.y()));
    QCOMPARE(f.selection->Line(), f.state.Map[hall.Span].Line);

    // Selecting a line of another room elsewhere highlights that room.
    const MapRoom& upper = f.Room(2);
    f.selection->SelectLine(f.state.Map[upper.Span].Line + 3, nullptr);
    QCOMPARE(f.Canvas().HighlightedRoom(), f.Model().IndexOfRoom(2));
    f.selection->Clear(nullptr);
    QCOMPARE(f.Canvas().HighlightedRoom(), -1);

    // Find room N selects its line too; a room the map does not hold says so.
    QVERIFY(f.view->FindRoom(1));
    QCOMPARE(f.selection->Line(), f.state.Map[f.Room(1).Span].Line);
    QVERIFY(!f.view->FindRoom(9));
    QVERIFY(f.view->StatusText().contains("Room 9 is not on the map"));
}

void LevelMapTest::sectorsAreReadWhateverTheDetailOptions() {
    // With the sector list off the map reads the grid behind its count fields; a click picks its bytes.
    for (const bool details : {false, true}) {
        MapFixture f(Build(PlannedLevel()), details);
        const MapRoom& hall = f.Room(0);
        QCOMPARE(hall.SectorRun >= 0, details);
        QCOMPARE(f.Model().Sector(hall, 3, 2).Floor, uint8_t{3});
        f.view->SetHeightBand(-2048, 768);
        const QPointF centre = f.SectorCentre(hall, 3, 2);
        QTest::mouseClick(&f.Canvas(), Qt::LeftButton, Qt::NoModifier, f.ScreenOf(centre.x(), centre.y()));
        const int32_t sectorAt = f.Model().SectorOffset(hall, 3, 2);
        if (details)
            QCOMPARE(f.selection->Bytes().First, sectorAt);
        else
            QCOMPARE(f.selection->PickedOffset(), int64_t{sectorAt});
    }
}

void LevelMapTest::damagedLevelsDrawOrSayWhy() {
    struct Case {
        const char* Name;
        Level Made;
        bool Details;
        QStringList Said;
    };
    std::vector<Case> cases;
    {
        // A grid of 300 x 300 sectors with no bytes behind it: the walk steps over them past the end of
        // the file, where the next room's header stands.
        Level level = PlannedLevel();
        level.Rooms.Items[1].ZSectors = 300;
        level.Rooms.Items[1].XSectors = 300;
        cases.push_back(
            {"grid too large",
             level,
             false,
             {"1 room on the map", "room 1 (its sector grid of 300 x 300 is larger than the file could hold)",
              "room 2 (its header lies past the end of the file)"}});
    }
    {
        // A sector grid whose byte figure overflows ends the walk inside room 1.
        Level level = PlannedLevel();
        level.Rooms.Items[1].ZSectors = 32767;
        level.Rooms.Items[1].XSectors = 32767;
        cases.push_back({"overflow",
                         level,
                         true,
                         {"1 room on the map",
                          "room 1 (its sector grid of 32767 x 32767 is larger than the walk reached)",
                          "The walk ended early (an overflow)", "room 2 was never reached"}});
    }
    {
        // A room count of 32767: the walk reads the rest of the file, then zeros past its end, as rooms.
        Level level = PlannedLevel();
        level.Rooms.Count = 32767;
        cases.push_back({"32767 rooms",
                         level,
                         false,
                         {"3 rooms on the map; 32764 left out", "with an empty sector grid",
                          "past the end of the file"}});
    }
    {
        // The same over garbage: the walk ends early in the first room it makes of it.
        Level level = PlannedLevel();
        level.Rooms.Count = 32767;
        for (int i = 0; i < 4000; ++i)
            level.FloorData.Add(static_cast<uint16_t>(i * 2654435761u >> 16));
        cases.push_back({"32767 rooms over garbage",
                         level,
                         false,
                         {"3 rooms on the map", "The walk ended early (an overflow)",
                          "rooms 4 to 32766 were never reached"}});
    }
    {
        // Headers far off the world.
        Level level = PlannedLevel();
        level.Rooms.Items[2].Xoffset = 0x7FFFFF00;
        cases.push_back({"off the world", level, false, {"room 2 (it stands off the world"}});
    }
    for (const Case& c : cases) {
        MapFixture f(Build(c.Made), c.Details, {1600, 1000});
        const QImage image = f.Rendered(); // draws without hanging
        QVERIFY2(!image.isNull(), c.Name);
        const QString status = f.view->StatusText();
        for (const QString& part : c.Said)
            QVERIFY2(status.contains(part), qPrintable(QString::fromLatin1(c.Name) + ": " + status));
        // Zooming far in and out over whatever was drawn stays within the painter's reach.
        f.Canvas().ZoomBy(1e6);
        f.Rendered();
        f.Canvas().ZoomBy(1e-12);
        f.Rendered();
    }
}

void LevelMapTest::savesPngAndSvg() {
    MapFixture f(Build(PlannedLevel()));
    const QString png = QString::fromStdString((f.dir.Path() / "map.png").string());
    const QString svg = QString::fromStdString((f.dir.Path() / "map.svg").string());
    QCOMPARE(f.view->SavePng(png), QString());
    QCOMPARE(f.view->SaveSvg(svg), QString());
    QImage saved(png);
    QCOMPARE(saved.size(), f.Canvas().size());
    QFile file(svg);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.readAll().contains("<svg"));
    QVERIFY(!f.view->SavePng(QString::fromStdString((f.dir.Path() / "no-folder" / "map.png").string()))
                 .isEmpty());
}

void LevelMapTest::mainWindowShowsTheMapFromTheStructureMenu() {
    TempDir dir;
    AppState state;
    state.ProgramFolder = dir.Path();
    state.TileFolderOverride = dir.Path() / "tiles";
    frmMain window(state);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    LevelMapDock& map = window.LevelMap();
    // Hidden on a first start; Level Map (Ctrl+M) in the Structure menu shows it.
    QVERIFY(!map.Dock()->isVisible());
    QAction* show = map.ShowAction();
    QCOMPARE(show->objectName(), QStringLiteral("mnuStructureLevelMap"));
    QVERIFY(window.StructureMenu()->actions().contains(show));
    QCOMPARE(show->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_M));
    QVERIFY(window.StructureMenu()->actions().contains(map.View()->SavePngAction()));
    QVERIFY(window.StructureMenu()->actions().contains(map.View()->SaveSvgAction()));
    show->trigger();
    QVERIFY(map.Dock()->isVisible());
    QVERIFY(map.View()->SavePngAction()->isEnabled());

    // Opening the demo level draws its rooms; a click on the hall selects its sector's line in the report.
    window.OpenLevel(QString::fromStdString(dir.Write("demo.dm2", Build(DemoLevel(2)))));
    QCOMPARE(map.View()->Model().Rooms().size(), size_t{8});
    window.GetAllDetails();
    LevelMapCanvas& canvas = *map.View()->Canvas();
    canvas.FitToWindow();
    map.View()->SetHeightBand(-2048, 768);
    QTest::mouseClick(&canvas, Qt::LeftButton, Qt::NoModifier,
                      canvas.WorldToScreen(2.5 * kS, 2.5 * kS).toPoint());
    const int32_t line = window.Selection().Line();
    QVERIFY(line >= 0);
    const MapRoom& hall =
        map.View()->Model().Rooms()[static_cast<size_t>(map.View()->Model().IndexOfRoom(0))];
    QCOMPARE(window.Selection().Bytes().First, map.View()->Model().SectorOffset(hall, 2, 2));
}

QTEST_MAIN(LevelMapTest)
#include "LevelMapTest.moc"
