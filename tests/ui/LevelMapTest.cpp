// The level map, offscreen, on builder levels whose rooms, sectors and doors stand where the tests put
// them: what lies under a point, what the tooltip says, where doors lead, what the height filter
// hides, the shade a sector is drawn in, what a click selects, the keys and the zoom's limits, a found
// room on top, the legend, what the save command leaves on disk, the SVG's shapes, and damaged levels.
#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDockWidget>
#include <QFile>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QSettings>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>
#include <QXmlStreamReader>
#include <filesystem>

#include "common/TestFiles.h"
#include "report/ReportRun.h"
#include "report/RunOutcomeText.h"
#include "tools/DemoLevel.h"
#include "tools/LevelBuilder.h"
#include "ui/LevelMapDock.h"
#include "ui/ReportView.h"
#include "ui/frmMain.h"
#include "views/HeightRangeSlider.h"
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
    // The rooms' bounds as the canvas shows them.
    QRectF RoomsOnScreen() const {
        return QRectF(Canvas().WorldToScreen(Model().MinX(), Model().MaxZ()),
                      Canvas().WorldToScreen(Model().MaxX(), Model().MinZ()));
    }
};

// Answers every message box that comes up while it lives, noting what each said.
struct BoxAnswerer {
    QStringList Said;
    QMessageBox::StandardButton Answer = QMessageBox::No;
    QTimer Timer;
    BoxAnswerer() {
        Timer.setInterval(0);
        QObject::connect(&Timer, &QTimer::timeout, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box)
                return;
            Said << box->text();
            QAbstractButton* button = box->button(Answer);
            (button ? button : box->button(QMessageBox::Ok))->click();
        });
        Timer.start();
    }
};

// A filled rectangle of an SVG document, in its view box's units.
struct SvgRect {
    QRectF Area;
    QColor Fill;
};

// The rect elements of an SVG and the fill each takes from itself or the groups round it (translations
// applied); image elements are counted.
std::vector<SvgRect> RectsOfSvg(const QByteArray& svg, int& images) {
    std::vector<SvgRect> rects;
    struct Group {
        QColor Fill;
        QPointF Shift;
    };
    std::vector<Group> groups{{QColor(Qt::black), {}}};
    images = 0;
    QXmlStreamReader xml(svg);
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isEndElement() && xml.name() == QLatin1String("g"))
            groups.pop_back();
        if (!xml.isStartElement())
            continue;
        const QXmlStreamAttributes a = xml.attributes();
        Group here = groups.back();
        if (a.hasAttribute("fill"))
            here.Fill = QColor(a.value("fill").toString());
        const QString transform = a.value("transform").toString();
        if (transform.startsWith("matrix(")) {
            const QStringList m = transform.mid(7).chopped(1).split(',');
            if (m.size() == 6)
                here.Shift += QPointF(m[4].toDouble(), m[5].toDouble());
        }
        if (xml.name() == QLatin1String("g"))
            groups.push_back(here);
        else if (xml.name() == QLatin1String("image"))
            ++images;
        else if (xml.name() == QLatin1String("rect") && here.Fill.isValid())
            rects.push_back({QRectF(a.value("x").toDouble(), a.value("y").toDouble(),
                                    a.value("width").toDouble(), a.value("height").toDouble())
                                 .translated(here.Shift),
                             here.Fill});
    }
    return rects;
}

// Eight sectors in a row under a ceiling at -4096: floors at 1024 (the lowest), 0, -1024 (the highest) and
// 512, then four walls whose floor bytes lie far outside that range: a floor byte of 0x81, a ceiling byte
// of 0x81 over a floor byte of 0x7F (y 32512), a floor byte of 0xE0 (y -8192) above the ceiling, and both
// bytes 0x81. (The room's number stands between the fourth and the fifth.)
Level ShadeLevel() {
    Level level;
    static constexpr std::array<uint8_t, 8> kFloors{0x04, 0x00, 0xFC, 0x02, 0x81, 0x7F, 0xE0, 0x81};
    Room room = MakeRoom(0, 0, 8, 1, -4096, 1024, 0xF0, [](int c, int) { return kFloors[size_t(c)]; });
    room.Sectors[5].Ceiling = room.Sectors[7].Ceiling = 0x81;
    level.Rooms.Add(room);
    return level;
}

} // namespace

class LevelMapTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase();
    void roomAndSectorUnderAPoint();
    void tooltipNamesTheSectorsHeights();
    void doorJoinsTheRightRoomsAndLeadsThere();
    void heightFilterHidesRoomsOutsideTheBand();
    void shadeScaleEndsAtTheLowestAndHighestFloor();
    void clickSelectsTheRecordAndSelectionHighlightsTheRoom();
    void sectorsAreReadWhateverTheDetailOptions();
    void damagedLevelsDrawOrSayWhy();
    void roomCutByTheEndOfTheFileIsCalledCut();
    void savesPngAndSvg();
    void saveCommandNeverReplacesTheLevelAndAsksFirst();
    void svgFloorsAreRectangles();
    void zoomKeysWorkWheneverTheMapHasFocus();
    void zoomStopsAtSensibleLimits();
    void foundRoomIsDrawnOnTop();
    void notFoundNoteClears();
    void legendCanBeHidden();
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

void LevelMapTest::shadeScaleEndsAtTheLowestAndHighestFloor() {
    MapFixture f(Build(ShadeLevel()));
    // The walls' bytes stretch nothing: the scale runs from the floor at 1024 to the floor at -1024.
    QCOMPARE(f.Model().LowestFloorY(), 1024);
    QCOMPARE(f.Model().HighestFloorY(), -1024);
    const QImage image = f.Rendered();
    const MapRoom& room = f.Room(0);
    // Deep blue (44, 84, 156) at the lowest floor, green (92, 170, 108) half way, sand (242, 222, 142) at
    // the highest; 512 lies a quarter of the way, half way from blue to green; walls dark grey.
    const std::array<QColor, 8> expected{QColor(44, 84, 156),  QColor(92, 170, 108), QColor(242, 222, 142),
                                         QColor(68, 127, 132), QColor(58, 58, 66),   QColor(58, 58, 66),
                                         QColor(58, 58, 66),   QColor(58, 58, 66)};
    for (int c = 0; c < 8; ++c) {
        const QPointF centre = f.SectorCentre(room, c, 0);
        QCOMPARE(image.pixelColor(f.ScreenOf(centre.x(), centre.y())).name(), expected[size_t(c)].name());
    }
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
                          "An overflow ended the walk at offset 0x", "room 2 was never reached"}});
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
                         {"3 rooms on the map", "An overflow ended the walk at offset 0x",
                          "rooms 4 to 32766 were never reached"}});
    }
    {
        // Headers far off the world.
        Level level = PlannedLevel();
        level.Rooms.Items[2].Xoffset = 0x7FFFFF00;
        cases.push_back({"off the world", level, false, {"room 2 (it stands off the world"}});
    }
    {
        // Grids of 2 x 0 and 0 x 2 sectors (rows x columns): the room is left out, the others drawn.
        for (const auto& [rows, columns, said] :
             {std::tuple{2, 0, "2 rooms on the map; 1 left out: room 1 (its sector grid is 2 x 0)."},
              std::tuple{0, 2, "2 rooms on the map; 1 left out: room 1 (its sector grid is 0 x 2)."}}) {
            Level level = PlannedLevel();
            level.Rooms.Items[1].ZSectors = static_cast<int16_t>(rows);
            level.Rooms.Items[1].XSectors = static_cast<int16_t>(columns);
            level.Rooms.Items[1].Sectors.clear();
            cases.push_back({"an empty grid", level, true, {said}});
        }
    }
    for (const Case& c : cases) {
        MapFixture f(Build(c.Made), c.Details, {1600, 1000});
        const QImage image = f.Rendered(); // draws without hanging
        QVERIFY2(!image.isNull(), c.Name);
        const QString status = f.view->StatusText();
        for (const QString& part : c.Said)
            QVERIFY2(status.contains(part), qPrintable(QString::fromLatin1(c.Name) + ": " + status));
        // A walk that ended early is told in the status line's words, about the level instead of its path.
        const WalkEnding how = f.state.LastRun.End.How;
        if (how == WalkEnding::Overflow || how == WalkEnding::SizeLimit) {
            const std::string run = DescribeRunOutcome(f.state).Run;
            const QString said = QString::fromStdString(run.substr(0, run.rfind(" of ")) + " of the level");
            QVERIFY2(status.contains(said, Qt::CaseInsensitive), qPrintable(status + " / " + said));
        }
        // Zooming far in and out over whatever was drawn stays within the painter's reach.
        f.Canvas().ZoomBy(1e6);
        f.Rendered();
        f.Canvas().ZoomBy(1e-12);
        f.Rendered();
    }
}

// A file that ends inside a room's sector grid: the room is cut, not larger than the file could hold, and
// the sectors it had are the whole ones after the grid's count field.
void LevelMapTest::roomCutByTheEndOfTheFileIsCalledCut() {
    const std::vector<uint8_t> whole = Build(PlannedLevel());
    int32_t gridAt = 0;
    {
        MapFixture f(whole);
        gridAt = f.Room(2).SectorsAt;
    }
    // The grid's bytes left in the file (a sector is 8 bytes; the grid holds 4) and its whole sectors.
    for (const auto& [left, sectors] : {std::pair{0, 0}, {2 * 8 + 3, 2}, {2 * 8 + 5, 2}, {3 * 8 + 7, 3}}) {
        const std::vector<uint8_t> bytes(whole.begin(), whole.begin() + gridAt + left);
        MapFixture f(bytes);
        const QString status = f.view->StatusText();
        QVERIFY2(
            status.contains(QStringLiteral("2 rooms on the map; 1 left out: room 2 (its sector grid of 2 x "
                                           "2 is cut by the end of the file after %1 of its 4 sectors)")
                                .arg(sectors)),
            qPrintable(status));
        QVERIFY(!f.view->FindRoom(2));
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

// The save command end to end: the file chosen, the questions asked and what is left on disk.
void LevelMapTest::saveCommandNeverReplacesTheLevelAndAsksFirst() {
    using Kind = LevelMapView::ImageKind;
    MapFixture f(Build(PlannedLevel()));
    const std::filesystem::path dir = f.dir.Path();
    const std::filesystem::path level = dir / "level.dm2";
    const std::vector<uint8_t> levelBytes = ReadAll(level);
    std::filesystem::create_symlink(level, dir / "link.png");
    std::filesystem::create_hard_link(level, dir / "hard.svg");
    const std::vector<uint8_t> taken{'x'};
    f.dir.Write("taken.png", taken);
    struct Case {
        const char* Name;
        Kind What;
        std::string Chosen;                 // the file the dialog gives
        QMessageBox::StandardButton Answer; // to the question asked
        QString Said;                       // what a message box said ("" none)
        std::string Written;                // the file that now holds the map ("" none)
    };
    const QString refused = QStringLiteral("it is the level file being reported");
    const QString replace = QStringLiteral("taken.png already exists.\nDo you want to replace it?");
    for (const Case& c : {
             Case{"the level", Kind::Png, level.string(), QMessageBox::Yes, refused, ""},
             Case{"a link to the level", Kind::Png, (dir / "link.png").string(), QMessageBox::Yes, refused,
                  ""},
             Case{"a hard link to the level", Kind::Svg, (dir / "hard.svg").string(), QMessageBox::Yes,
                  refused, ""},
             Case{"a bare name", Kind::Png, (dir / "bare").string(), QMessageBox::Yes, "", "bare.png"},
             Case{"a bare name for SVG", Kind::Svg, (dir / "vector").string(), QMessageBox::Yes, "",
                  "vector.svg"},
             Case{"a name ending in a dot", Kind::Png, (dir / "dotted.").string(), QMessageBox::Yes, "",
                  "dotted.png"},
             Case{"a file kept", Kind::Png, (dir / "taken.png").string(), QMessageBox::No, replace, ""},
             Case{"a file replaced", Kind::Png, (dir / "taken").string(), QMessageBox::Yes, replace,
                  "taken.png"},
         }) {
        QString proposed;
        f.view->SetTargetChooser([&](Kind, const QString& offered) {
            proposed = offered;
            return QString::fromStdString(c.Chosen);
        });
        BoxAnswerer answerer;
        answerer.Answer = c.Answer;
        f.view->SaveImageAs(c.What);
        // Beside the level, named after it, whatever the file finally chosen.
        QCOMPARE(proposed, QString::fromStdString(
                               (dir / (c.What == Kind::Png ? "level-map.png" : "level-map.svg")).string()));
        QCOMPARE(answerer.Said.size(), c.Said.isEmpty() ? 0 : 1);
        if (!c.Said.isEmpty())
            QVERIFY2(answerer.Said[0].contains(c.Said), qPrintable(answerer.Said[0]));
        QVERIFY2(ReadAll(level) == levelBytes, c.Name);
        QVERIFY2(!std::filesystem::exists(dir / "bare") && !std::filesystem::exists(dir / "vector") &&
                     !std::filesystem::exists(dir / "dotted..png"),
                 c.Name);
        if (c.Written.empty())
            continue;
        const QString written = QString::fromStdString((dir / c.Written).string());
        if (c.What == Kind::Png) {
            QCOMPARE(QImage(written).size(), f.Canvas().size());
        } else {
            QFile svg(written);
            QVERIFY(svg.open(QIODevice::ReadOnly));
            QVERIFY(svg.readAll().contains("<svg"));
        }
        QVERIFY2(f.view->StatusText().contains("Saved"), qPrintable(f.view->StatusText()));
    }
    QVERIFY(ReadAll(dir / "taken.png") != taken); // replaced at the last case, after the question
}

// The SVG draws floors as rectangles of their shades, the colours the window shows, and no bitmaps.
void LevelMapTest::svgFloorsAreRectangles() {
    MapFixture f(Build(PlannedLevel()));
    const QString path = QString::fromStdString((f.dir.Path() / "map.svg").string());
    QCOMPARE(f.view->SaveSvg(path), QString());
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    int images = -1;
    const std::vector<SvgRect> rects = RectsOfSvg(file.readAll(), images);
    QCOMPARE(images, 0);
    const QImage shown = f.Rendered();
    // Every sector of the hall outside the upper room, and every sector of the side room: the last rect
    // drawn over its centre has the colour the window shows there.
    std::vector<QPointF> centres;
    for (int c = 0; c < 4; ++c)
        for (int r = 0; r < 3; ++r)
            if (!(c >= 1 && c <= 2 && r >= 1))
                centres.push_back(f.SectorCentre(f.Room(0), c, r));
    for (int c = 0; c < 2; ++c)
        for (int r = 0; r < 2; ++r)
            centres.push_back(f.SectorCentre(f.Room(1), c, r));
    for (const QPointF& centre : centres) {
        const QPointF at = f.Canvas().WorldToScreen(centre.x(), centre.y());
        QColor top;
        for (const SvgRect& r : rects)
            if (r.Area.contains(at))
                top = r.Fill;
        QCOMPARE(top.name(), shown.pixelColor(at.toPoint()).name());
    }
}

// +, =, keypad +, Ctrl++ zoom in, -, keypad - zoom out, 0 fits, whichever part of the map has focus; a
// digit typed in the room number is the room's, not a command's.
void LevelMapTest::zoomKeysWorkWheneverTheMapHasFocus() {
    MapFixture f(Build(PlannedLevel()));
    f.view->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(f.view.get()));
    const double fitted = f.Canvas().Scale();
    struct Case {
        Qt::Key Key;
        Qt::KeyboardModifiers Modifiers;
        int Direction; // 1 in, -1 out, 0 fit
    };
    for (QWidget* focus :
         {static_cast<QWidget*>(&f.Canvas()), static_cast<QWidget*>(f.view->HeightFilter())}) {
        for (const Case& c :
             {Case{Qt::Key_Plus, Qt::NoModifier, 1}, Case{Qt::Key_Equal, Qt::NoModifier, 1},
              Case{Qt::Key_Plus, Qt::KeypadModifier, 1}, Case{Qt::Key_Plus, Qt::ControlModifier, 1},
              Case{Qt::Key_Minus, Qt::NoModifier, -1}, Case{Qt::Key_Minus, Qt::KeypadModifier, -1},
              Case{Qt::Key_0, Qt::NoModifier, 0}}) {
            f.Canvas().FitToWindow();
            f.Canvas().ZoomBy(1.2);
            const double before = f.Canvas().Scale();
            focus->setFocus();
            QVERIFY(focus->hasFocus());
            QTest::keyClick(focus, c.Key, c.Modifiers);
            const double after = f.Canvas().Scale();
            if (c.Direction == 0)
                QCOMPARE(after, fitted);
            else
                QVERIFY2(c.Direction > 0 ? after > before : after < before,
                         qPrintable(QKeySequence(c.Key | c.Modifiers).toString()));
        }
    }
    auto* room = f.view->findChild<QSpinBox*>(QStringLiteral("spnMapRoom"));
    room->setFocus();
    room->selectAll();
    f.Canvas().ZoomBy(1.2);
    const double zoomed = f.Canvas().Scale();
    QTest::keyClick(room, Qt::Key_0);
    QCOMPARE(f.Canvas().Scale(), zoomed);
    QTest::keyClick(room, Qt::Key_2);
    QTest::keyClick(room, Qt::Key_Return);
    QCOMPARE(room->value(), 2);
    QCOMPARE(f.Canvas().HighlightedRoom(), f.Model().IndexOfRoom(2));
}

// Zoomed out without end the level still spans a tenth of the window; zoomed in, a sector is no wider
// than the window, yet can be looked at closely (at least 100 pixels), in a wide window as in a tall one.
// A window made smaller keeps the scale it had, past its new limit, until zoomed out.
void LevelMapTest::zoomStopsAtSensibleLimits() {
    for (const QSize size : {QSize(800, 600), QSize(300, 200), QSize(1600, 200), QSize(200, 1200)}) {
        MapFixture f(Build(PlannedLevel()), /*details=*/false, size);
        for (int i = 0; i < 60; ++i)
            f.Canvas().ZoomBy(1 / 1.5);
        const QRectF out = f.RoomsOnScreen();
        QVERIFY2(out.width() >= size.width() / 10.0 || out.height() >= size.height() / 10.0,
                 qPrintable(QString::number(out.width())));
        for (int i = 0; i < 60; ++i)
            f.Canvas().ZoomBy(1.5);
        const double sector = f.Canvas().Scale() * kS;
        QVERIFY2(sector <= std::min(size.width(), size.height()), qPrintable(QString::number(sector)));
        QVERIFY2(sector >= 100, qPrintable(QString::number(sector)));
    }
    {
        // Found from far out, a room of one sector is brought near, no nearer than the zoom keys come.
        Level level = PlannedLevel();
        level.Rooms.Items[1].XSectors = level.Rooms.Items[1].ZSectors = 1;
        level.Rooms.Items[1].Sectors.resize(1);
        MapFixture f(Build(level), /*details=*/false, {200, 150});
        f.Canvas().ZoomBy(1e-9);
        QVERIFY(f.Canvas().Scale() * kS < 6);
        QVERIFY(f.view->FindRoom(1));
        QVERIFY2(f.Canvas().Scale() * kS >= 6 && f.Canvas().Scale() <= f.Canvas().MaxScale(),
                 qPrintable(QString::number(f.Canvas().Scale() * kS)));
    }
    MapFixture f(Build(PlannedLevel()));
    f.Canvas().ZoomBy(1e6);
    const double closest = f.Canvas().Scale();
    f.Canvas().setFixedSize(300, 200);
    QApplication::processEvents();
    QCOMPARE(f.Canvas().size(), QSize(300, 200));
    QCOMPARE(f.Canvas().Scale(), closest);
    QVERIFY(closest > f.Canvas().MaxScale());
    f.Canvas().ZoomBy(1.5); // in: no further, and not out either
    QCOMPARE(f.Canvas().Scale(), closest);
    f.Canvas().ZoomBy(1 / 1.5);
    QVERIFY(f.Canvas().Scale() < closest);
}

// The upper room lies over the hall's middle. Found, the hall is drawn whole over it, so its outline frames
// its own floors, and a click there is the hall's; found in turn, the upper room comes back on top.
void LevelMapTest::foundRoomIsDrawnOnTop() {
    MapFixture f(Build(PlannedLevel()));
    const QPointF under = f.SectorCentre(f.Room(0), 1, 1); // floor byte 1, under the upper room
    const QPointF open = f.SectorCentre(f.Room(0), 1, 0);  // floor byte 1, open to the sky
    const QPointF upper = f.SectorCentre(f.Room(2), 1, 1); // the upper room's floor
    const auto colourAt = [&](const QImage& image, QPointF world) {
        return image.pixelColor(f.ScreenOf(world.x(), world.y())).name();
    };
    const QImage before = f.Rendered();
    QCOMPARE(colourAt(before, under), colourAt(before, upper));
    QVERIFY(colourAt(before, under) != colourAt(before, open));

    QVERIFY(f.view->FindRoom(0));
    const QImage found = f.Rendered();
    QCOMPARE(colourAt(found, under), colourAt(found, open));
    QCOMPARE(f.Canvas().HitAt(f.ScreenOf(under.x(), under.y())).Room, f.Model().IndexOfRoom(0));

    QVERIFY(f.view->FindRoom(2));
    const QImage upperFound = f.Rendered();
    QCOMPARE(colourAt(upperFound, under), colourAt(upperFound, upper));
    // A click on another room lays the rooms back in their height order.
    QVERIFY(f.view->FindRoom(0));
    const QPointF side = f.SectorCentre(f.Room(1), 0, 0);
    QTest::mouseClick(&f.Canvas(), Qt::LeftButton, Qt::NoModifier, f.ScreenOf(side.x(), side.y()));
    const QImage clicked = f.Rendered();
    QCOMPARE(colourAt(clicked, under), colourAt(clicked, upper));
    // Found, then hidden by the height filter: the point is the upper room's to a click.
    QVERIFY(f.view->FindRoom(0));
    f.view->SetHeightBand(-4096, -2049);
    QCOMPARE(f.Canvas().RaisedRoom(), f.Model().IndexOfRoom(0));
    QCOMPARE(f.Canvas().HitAt(f.ScreenOf(under.x(), under.y())).Room, f.Model().IndexOfRoom(2));
}

// "Room 99 is not on the map" lasts until the next find succeeds or another walk replaces the map.
void LevelMapTest::notFoundNoteClears() {
    MapFixture f(Build(PlannedLevel()));
    auto* room = f.view->findChild<QSpinBox*>(QStringLiteral("spnMapRoom"));
    const auto find = [&](const QString& typed) {
        room->setFocus();
        room->selectAll();
        QTest::keyClicks(room, typed);
        QTest::keyClick(room, Qt::Key_Return);
    };
    const QString missing = QStringLiteral("Room 99 is not on the map");
    find(QStringLiteral("99"));
    QVERIFY(f.view->StatusText().contains(missing));
    find(QStringLiteral("1"));
    QVERIFY2(!f.view->StatusText().contains(missing), qPrintable(f.view->StatusText()));
    find(QStringLiteral("99"));
    QVERIFY(f.view->StatusText().contains(missing));
    ReportLevelFile(f.state, f.dir.Write("other.dm2", Build(DemoLevel(2))));
    f.selection->ResetForNewWalk();
    QVERIFY2(!f.view->StatusText().contains(missing), qPrintable(f.view->StatusText()));
    QVERIFY(f.view->StatusText().startsWith("8 rooms on the map"));
}

// The legend can be hidden; the rooms then fit the whole window, and a new map remembers the choice.
void LevelMapTest::legendCanBeHidden() {
    const QColor background = LevelMapCanvas::BackgroundColour();
    {
        MapFixture f(Build(PlannedLevel()));
        QAction* legend = f.view->LegendAction();
        QVERIFY(legend && legend->isChecked());
        QVERIFY(f.Rendered().pixelColor(12, 12) != background);
        legend->trigger();
        QVERIFY(!legend->isChecked());
        QCOMPARE(f.Rendered().pixelColor(12, 12), background);
        // Fitted to the whole canvas: the rooms' middle is the canvas's middle.
        const QPointF middle = f.RoomsOnScreen().center();
        QVERIFY(std::abs(middle.x() - 400) <= 1 && std::abs(middle.y() - 300) <= 1);
    }
    {
        MapFixture f(Build(PlannedLevel()));
        QVERIFY(!f.view->LegendAction()->isChecked());
        QCOMPARE(f.Rendered().pixelColor(12, 12), background);
        f.view->LegendAction()->trigger();
        QVERIFY(f.Rendered().pixelColor(12, 12) != background);
    }
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

    // Docked, the map's keys work on its focused canvas.
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    canvas.setFocus();
    const double fitted = canvas.Scale();
    QTest::keyClick(&canvas, Qt::Key_Plus);
    QVERIFY(canvas.Scale() > fitted);
    QTest::keyClick(&canvas, Qt::Key_0);
    QCOMPARE(canvas.Scale(), fitted);
}

QTEST_MAIN(LevelMapTest)
#include "LevelMapTest.moc"
