// Renders the level map of the demo level and of a 300-room level into PNG files, for a person to look
// at. Usage: strata-map-screenshots OUTPUT_FOLDER
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QPainter>
#include <QSvgRenderer>
#include <QTest>
#include <functional>

#include <QDockWidget>
#include <QSettings>
#include <QStandardPaths>

#include "report/ReportRun.h"
#include "tools/DemoLevel.h"
#include "tools/LevelBuilder.h"
#include "ui/LevelMapDock.h"
#include "ui/frmMain.h"
#include "views/LevelMapCanvas.h"
#include "views/LevelMapView.h"
#include "views/SpanSelection.h"

namespace {

using namespace levelbuilder;

// 300 rooms in a 20 x 15 grid of blocks of 4 to 8 sectors a side, wall to wall, their floors rolling
// over the level, each joined by doors to its eastern and northern neighbours; every fourth row of
// blocks stands one storey up, and a few rooms have an alternate.
Level ManyRooms() {
    Level level;
    constexpr int kColumns = 20, kRows = 15, kS = 1024;
    int widths[kColumns], heights[kRows], xs[kColumns], zs[kRows];
    for (int i = 0, x = 0; i < kColumns; x += widths[i++]) {
        widths[i] = 4 + (i * 7 + 3) % 5;
        xs[i] = x;
    }
    for (int j = 0, z = 0; j < kRows; z += heights[j++]) {
        heights[j] = 4 + (j * 3 + 1) % 5;
        zs[j] = z;
    }
    for (int i = 0; i < kColumns * kRows; ++i) {
        const int px = i % kColumns, pz = i / kColumns;
        const int cols = widths[px], rows = heights[pz];
        const bool upper = pz % 4 == 3;
        Room room;
        room.Xoffset = xs[px] * kS;
        room.Zoffset = zs[pz] * kS;
        const int floor = upper ? -4096 : 256 * ((px + 2 * pz) % 9) - 1024;
        room.Ybottom = floor + 512;
        room.lngYtop = floor - 2560;
        room.XSectors = static_cast<int16_t>(cols);
        room.ZSectors = static_cast<int16_t>(rows);
        for (int c = 0; c < cols; ++c)
            for (int r = 0; r < rows; ++r) {
                Sector s;
                const bool pillar = c == 2 && r == 2 && cols > 5 && rows > 5;
                const bool wall = c == 0 || r == 0 || c == cols - 1 || r == rows - 1 || pillar;
                const int y = floor + 256 * ((c + r) % 3 == 0);
                s.Floor = wall ? 0x81 : static_cast<uint8_t>(static_cast<int8_t>(y / 256));
                s.Ceiling = wall ? 0x81 : static_cast<uint8_t>(static_cast<int8_t>((floor - 2560) / 256));
                room.Sectors.push_back(s);
            }
        const auto door = [&](int neighbour, bool east) {
            Door d;
            d.AdjoiningRoom = static_cast<int16_t>(neighbour);
            const auto x = static_cast<int16_t>(cols * kS), z = static_cast<int16_t>(rows * kS);
            const auto mid = static_cast<int16_t>((east ? rows : cols) / 2 * kS);
            if (east)
                d.Vertices = {
                    {{x, 0, mid}, {x, 0, static_cast<int16_t>(mid + kS)}, {x, -1024, mid}, {x, -1024, mid}}};
            else
                d.Vertices = {
                    {{mid, 0, z}, {static_cast<int16_t>(mid + kS), 0, z}, {mid, -1024, z}, {mid, -1024, z}}};
            room.Doors.Add(d);
        };
        if (px + 1 < kColumns)
            door(i + 1, true);
        if (pz + 1 < kRows && (pz + 1) % 4 != 3 && !upper)
            door(i + kColumns, false);
        room.Lights.Add(
            {room.Xoffset + cols * kS / 2, floor - 1024, room.Zoffset + rows * kS / 2, 1, 1, 1, 1});
        room.StaticMeshes.Add({room.Xoffset + kS + 512, floor, room.Zoffset + kS + 512, 0, 0, 0, 3});
        room.AlternateRoom = static_cast<int16_t>(i % 37 == 5 ? 299 - i / 37 : -1);
        level.Rooms.Add(room);
    }
    return level;
}

void Shoot(const QDir& folder, const char* name, const Level& level, QSize size,
           const std::function<void(LevelMapView&, SpanSelection&)>& arrange = {}) {
    AppState state;
    state.TileFolderOverride = folder.filePath(QStringLiteral("tiles")).toStdString();
    const std::string path =
        folder.filePath(QString::fromLatin1(name) + QStringLiteral(".dm2")).toStdString();
    WriteFile(path, Build(level));
    ReportLevelFile(state, path);
    SpanSelection selection(state);
    LevelMapView view(selection);
    view.resize(size);
    view.show();
    if (!QTest::qWaitForWindowExposed(&view))
        qWarning("the map was not shown");
    view.Canvas()->FitToWindow();
    if (arrange)
        arrange(view, selection);
    QApplication::processEvents();
    view.grab().save(folder.filePath(QString::fromLatin1(name) + QStringLiteral(".png")));
    // The map saved as SVG, then drawn from that file into a PNG beside it, to be compared by eye.
    const QString svg = folder.filePath(QString::fromLatin1(name) + QStringLiteral(".svg"));
    QElapsedTimer timer;
    timer.start();
    if (const QString reason = view.SaveSvg(svg); !reason.isEmpty())
        qWarning("%s: %s", qPrintable(svg), qPrintable(reason));
    qInfo("%s: %lld bytes in %lld ms", qPrintable(svg), QFileInfo(svg).size(), timer.elapsed());
    QSvgRenderer renderer(svg);
    QImage drawn(view.Canvas()->size(), QImage::Format_RGB32);
    drawn.fill(Qt::white);
    QPainter p(&drawn);
    renderer.render(&p);
    p.end();
    drawn.save(folder.filePath(QString::fromLatin1(name) + QStringLiteral("-svg.png")));
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    if (argc < 2)
        return 2;
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    folder.mkpath(QStringLiteral("."));
    // The views' remembered choices (the legend, the docks) start afresh, away from the user's own.
    QStandardPaths::setTestModeEnabled(true);
    QSettings().clear();

    Shoot(folder, "level-map-demo", DemoLevel(2), {900, 680});
    // The demo with the hall's sector selected, as a click leaves it.
    Shoot(folder, "level-map-demo-selected", DemoLevel(2), {900, 680},
          [](LevelMapView& view, SpanSelection&) {
              LevelMapCanvas& canvas = *view.Canvas();
              const QPoint at = canvas.WorldToScreen(3.5 * 1024, 2.5 * 1024).toPoint();
              QTest::mouseClick(&canvas, Qt::LeftButton, Qt::NoModifier, at);
          });
    // The legend hidden: the rooms take the whole canvas.
    Shoot(folder, "level-map-demo-no-legend", DemoLevel(2), {900, 680},
          [](LevelMapView& view, SpanSelection&) { view.LegendAction()->trigger(); });
    QSettings().clear();
    // The ground storey alone, the upper one peeled away.
    Shoot(folder, "level-map-demo-ground", DemoLevel(2), {900, 680},
          [](LevelMapView& view, SpanSelection&) { view.SetHeightBand(-3072, 768); });
    Shoot(folder, "level-map-300-rooms", ManyRooms(), {1200, 860});

    {
        // The main window with the demo level open, every detail listed, the map docked and a sector of
        // the hall clicked: the report shows the sector's line.
        AppState state;
        state.ProgramFolder = folder.absolutePath().toStdString();
        state.TileFolderOverride = folder.filePath(QStringLiteral("tiles")).toStdString();
        frmMain window(state);
        window.resize(1500, 820);
        window.show();
        if (!QTest::qWaitForWindowExposed(&window))
            qWarning("the window was not shown");
        window.LevelMap().ShowAction()->trigger();
        window.resizeDocks({window.LevelMap().Dock()}, {760}, Qt::Horizontal);
        const std::string level = folder.filePath(QStringLiteral("demo.dm2")).toStdString();
        WriteFile(level, Build(DemoLevel(2)));
        window.OpenLevel(QString::fromStdString(level));
        window.GetAllDetails();
        QApplication::processEvents();
        LevelMapCanvas& canvas = *window.LevelMap().View()->Canvas();
        canvas.FitToWindow();
        QTest::mouseClick(&canvas, Qt::LeftButton, Qt::NoModifier,
                          canvas.WorldToScreen(2.5 * 1024, 2.5 * 1024).toPoint());
        QApplication::processEvents();
        window.grab().save(folder.filePath(QStringLiteral("level-map-main-window.png")));
    }
    Shoot(folder, "level-map-300-rooms-zoomed", ManyRooms(), {1200, 860},
          [](LevelMapView& view, SpanSelection&) { view.Canvas()->ZoomBy(5); });
    return 0;
}
