// Renders every window with a builder-made level open into PNG files, for a person to look at.
// Usage: strata-screenshots OUTPUT_FOLDER
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QMessageBox>
#include <QPushButton>
#include <QTextEdit>
#include <QTimer>

#include <QDockWidget>
#include <QFile>
#include <QPalette>
#include <QSettings>
#include <QStandardPaths>
#include <QStyle>

#include "DarkPalette.h"
#include "palette/frmMainPal.h"
#include "palette/frmViewPalette.h"
#include "tiles/frmTextureTiles.h"
#include "tools/DemoLevel.h"
#include "tools/LevelBuilder.h"
#include "ui/BookmarksDock.h"
#include "ui/ComparisonDock.h"
#include "ui/StructureViews.h"
#include "ui/View3DDock.h"
#include "ui/frmAbout.h"
#include "ui/frmHelp.h"
#include "ui/frmMain.h"
#include "ui/frmReportDetails.h"
#include "views/ByteSearchBar.h"
#include "views/DifferencesList.h"
#include "views/HexView.h"
#include "views/OutlineModel.h"
#include "views/OutlinePane.h"
#include "views/ProblemsList.h"
#include "views/ProblemsModel.h"
#include "views/SpanSelection.h"
#include "views/View3D.h"

namespace {

void Save(QWidget& window, const QDir& folder, const char* name) {
    window.show();
    QApplication::processEvents();
    window.grab().save(folder.filePath(QString::fromLatin1(name) + ".png"));
}

// The structure views beside the report: on the demo level with a record picked, on a level whose walk
// an overflow cut short, and on a file cut short so that the walk ran past its end.
void SaveStructureViews(const QDir& folder) {
    QStandardPaths::setTestModeEnabled(true); // the shown docks are not remembered for the user
    QSettings().clear();
    const auto shoot = [&](const levelbuilder::Level& level, int64_t keep, const char* name,
                           const std::function<void(frmMain&)>& select) {
        AppState state;
        state.ProgramFolder = folder.absolutePath().toStdString();
        std::vector<uint8_t> bytes = levelbuilder::Build(level);
        if (keep > 0)
            bytes.resize(static_cast<size_t>(keep));
        const std::string path = folder.filePath(QString::fromLatin1(name) + ".dm2").toStdString();
        levelbuilder::WriteFile(path, bytes);
        frmMain main(state);
        SetAllDetails(state.DetailOptions, true);
        main.show();
        main.Structure().ShowAll();
        main.resize(1100, 760);
        main.OpenLevel(QString::fromStdString(path));
        QApplication::processEvents();
        select(main);
        Save(main, folder, name);
        QSettings().clear();
    };
    shoot(levelbuilder::DemoLevel(2), 0, "structure-demo",
          [](frmMain& main) { main.Structure().GoToOffset(QStringLiteral("0x120730")); });
    levelbuilder::Level cut = levelbuilder::DemoLevel(2);
    cut.Items.Count = 0x7FFFFFFF;
    shoot(cut, 0, "structure-cut", [](frmMain& main) {
        const WalkMap& map = main.Selection().Map();
        main.Structure().GoToOffset(QString::number(map.EndOffset()));
    });
    shoot(levelbuilder::DemoLevel(2), 1183000, "structure-past-end", [](frmMain& main) {
        main.Structure().GoToOffset(QString::number(main.Selection().Map().FileSize() - 40));
    });
    // The strata bar with small chunks wider, its legend beside the window.
    shoot(levelbuilder::DemoLevel(2), 0, "structure-strata-wider", [&](frmMain& main) {
        main.findChild<QAction*>(QStringLiteral("mnuStructureStrataSmallWider"))->trigger();
        main.findChild<QAction*>(QStringLiteral("mnuStructureStrataLegend"))->trigger();
        main.Structure().GoToOffset(QStringLiteral("0x120730"));
        if (auto* legend = main.findChild<QWidget*>(QStringLiteral("frmStrataLegend")))
            Save(*legend, folder, "structure-strata-legend");
    });
    // A door opened to its fields in the outline, a corner's y picked: the hex view marks its two bytes.
    shoot(levelbuilder::DemoLevel(2), 0, "structure-fields", [&](frmMain& main) {
        OutlinePane& outline = *main.Structure().Outline();
        OutlineModel& model = outline.Model();
        const int32_t doors = main.Selection().Map().Find(Piece::Doors);
        int32_t run = doors + 1; // the door run under the room's door part
        while (run < main.Selection().Map().Size() && main.Selection().Map()[run].Record() != &format::kDoor)
            ++run;
        const QModelIndex door = model.IndexOfRecord(run, 0);
        for (QModelIndex up = door; up.isValid(); up = up.parent())
            outline.expand(up);
        for (int row = 0; row < model.rowCount(door); ++row)
            if (model.index(row, 0, door).data().toString() == QStringLiteral("Vertices(1).y"))
                outline.setCurrentIndex(model.index(row, 0, door));
        outline.scrollTo(door, QAbstractItemView::PositionAtTop);
        // The dock widened so that the type and value columns show.
        for (QWidget* up = outline.parentWidget(); up; up = up->parentWidget())
            if (auto* dock = qobject_cast<QDockWidget*>(up)) {
                main.resizeDocks({dock}, {640}, Qt::Horizontal);
                break;
            }
        QApplication::processEvents();
        Save(outline, folder, "structure-fields-outline");
    });
    // The level map opened (Ctrl+M) on a window of the first start's size with the views shown: the
    // report keeps its lines.
    {
        AppState state;
        state.ProgramFolder = folder.absolutePath().toStdString();
        const std::string path = folder.filePath(QStringLiteral("structure-map-opened.dm2")).toStdString();
        levelbuilder::WriteFile(path, levelbuilder::Build(levelbuilder::DemoLevel(2)));
        frmMain main(state);
        main.show();
        QApplication::processEvents();
        main.OpenLevel(QString::fromStdString(path));
        main.findChild<QAction*>(QStringLiteral("mnuStructureShowAll"))->trigger();
        QApplication::processEvents();
        main.findChild<QAction*>(QStringLiteral("mnuStructureLevelMap"))->trigger();
        QApplication::processEvents();
        QApplication::processEvents();
        Save(main, folder, "structure-map-opened");
        // --goto past the end: said over the window.
        main.GoToAtStart(QStringLiteral("0x7FFFFFF"));
        QApplication::processEvents();
        if (auto* box = main.findChild<QMessageBox*>(QStringLiteral("msgGoToAtStart")))
            Save(*box, folder, "goto-past-end");
        QSettings().clear();
    }
    // The differences from a copy with one camera moved and one item more, the first one picked.
    levelbuilder::Level changed = levelbuilder::DemoLevel(2);
    if (!changed.Cameras.Items.empty())
        changed.Cameras.Items[0].Y += 512;
    changed.Items.Items.insert(changed.Items.Items.begin() + changed.Items.Items.size() / 2,
                               levelbuilder::Item{});
    const std::string other = folder.filePath(QStringLiteral("structure-differences-b.dm2")).toStdString();
    levelbuilder::WriteFile(other, levelbuilder::Build(changed));
    shoot(levelbuilder::DemoLevel(2), 0, "structure-differences", [&](frmMain& main) {
        if (auto* dock = main.findChild<QDockWidget*>(QStringLiteral("dckDifferences")))
            dock->show();
        if (auto* list = main.findChild<DifferencesList*>()) {
            list->CompareWith(QString::fromStdString(other));
            list->SelectRow(0);
        }
    });
    // A door led to a room the level does not have: the Problems dock and the level map shown, the
    // problem picked; the outline, the strata bar and the map mark where it lies.
    levelbuilder::Level broken = levelbuilder::DemoLevel(2);
    for (levelbuilder::Room& room : broken.Rooms.Items)
        if (!room.Doors.Items.empty()) {
            room.Doors.Items[0].AdjoiningRoom = 30000;
            break;
        }
    shoot(broken, 0, "structure-problems", [](frmMain& main) {
        main.findChild<QAction*>(QStringLiteral("mnuStructureStrataSmallWider"))->trigger();
        for (const char* dock : {"dckProblems", "dckLevelMap"})
            if (auto* shown = main.findChild<QDockWidget*>(QString::fromLatin1(dock)))
                shown->show();
        if (auto* list = main.findChild<ProblemsList*>()) {
            while (list->Model().Checking())
                QApplication::processEvents(QEventLoop::WaitForMoreEvents);
            list->SelectRow(0);
        }
    });
    // The Problems dock alone under the report (Ctrl+5 on a first start's window): the broken level,
    // then the demo level, which checks clean.
    {
        AppState state;
        state.ProgramFolder = folder.absolutePath().toStdString();
        const QString path = folder.filePath(QStringLiteral("structure-problems.dm2"));
        const QString clean = folder.filePath(QStringLiteral("structure-problems-clean.dm2"));
        levelbuilder::WriteFile(clean.toStdString(), levelbuilder::Build(levelbuilder::DemoLevel(2)));
        frmMain main(state);
        main.show();
        auto* list = main.findChild<ProblemsList*>();
        for (const auto& [level, name] :
             {std::pair{path, "structure-problems-dock"}, std::pair{clean, "structure-problems-clean"}}) {
            main.OpenLevel(level);
            main.findChild<QDockWidget*>(QStringLiteral("dckProblems"))->show();
            while (list && list->Model().Checking())
                QApplication::processEvents(QEventLoop::WaitForMoreEvents);
            QApplication::processEvents();
            Save(main, folder, name);
        }
        QSettings().clear();
    }
    // The Byte Readings beside the views with a record's byte picked, in the light palette and in
    // Fusion's dark one; the dock alone too, for a closer look at its rows and swatches.
    {
        QStyle* const style = QApplication::style();
        const QString styleName = style ? style->name() : QString();
        const QPalette light = QApplication::palette();
        for (const bool dark : {false, true}) {
            if (dark) {
                QApplication::setStyle(QStringLiteral("Fusion"));
                QApplication::setPalette(DarkPalette());
            }
            const char* name = dark ? "structure-readings-dark" : "structure-readings";
            shoot(levelbuilder::DemoLevel(2), 0, name, [&](frmMain& main) {
                main.findChild<QDockWidget*>(QStringLiteral("dckReadings"))->show();
                main.Structure().GoToOffset(QStringLiteral("0x120732"));
                QApplication::processEvents();
                if (auto* dock = main.findChild<QDockWidget*>(QStringLiteral("dckReadings")))
                    dock->widget()->grab().save(
                        folder.filePath(QString::fromLatin1(name) + QStringLiteral("-dock.png")));
            });
        }
        if (!styleName.isEmpty())
            QApplication::setStyle(styleName);
        QApplication::setPalette(light);
    }
    // The hex view with a record selected and a byte of it picked, on the light palette and on a dark
    // one (the Fusion style), alone and in the window.
    {
        const QPalette light = QApplication::palette();
        const QString style = QApplication::style()->name();
        for (const bool dark : {false, true}) {
            if (dark) {
                QApplication::setStyle(QStringLiteral("Fusion"));
                QApplication::setPalette(DarkPalette());
            }
            shoot(levelbuilder::DemoLevel(2), 0, dark ? "structure-hex-dark" : "structure-hex-light",
                  [&](frmMain& main) {
                      main.Structure().GoToOffset(QStringLiteral("0x120735"));
                      main.Structure().Hex()->setFocus();
                      QApplication::processEvents();
                      Save(*main.Structure().HexDock(), folder, dark ? "hex-dark" : "hex-light");
                  });
        }
        QApplication::setStyle(style);
        QApplication::setPalette(light);
    }
    // The compared level beside the hex view: the demo level against a copy with a vertex inserted in
    // its first room and one camera moved, the camera's difference found in the list, in the
    // light palette and in Fusion's dark one; the two panes alone too.
    {
        const QPalette light = QApplication::palette();
        const QString style = QApplication::style()->name();
        levelbuilder::Level inserted = levelbuilder::DemoLevel(2);
        auto& vertices = inserted.Rooms.Items[0].Vertices.Items;
        vertices.insert(vertices.begin() + 1, levelbuilder::Vertex{777, -256, 1536, {}});
        if (!inserted.Cameras.Items.empty())
            inserted.Cameras.Items[0].Y += 512;
        const QString other = folder.filePath(QStringLiteral("structure-side-by-side-b.dm2"));
        levelbuilder::WriteFile(other.toStdString(), levelbuilder::Build(inserted));
        for (const bool dark : {false, true}) {
            if (dark) {
                QApplication::setStyle(QStringLiteral("Fusion"));
                QApplication::setPalette(DarkPalette());
            }
            const char* name = dark ? "structure-side-by-side-dark" : "structure-side-by-side";
            shoot(levelbuilder::DemoLevel(2), 0, name, [&](frmMain& main) {
                main.resize(1400, 860);
                auto* comparison = main.findChild<ComparisonDock*>();
                comparison->CompareWith(other);
                DifferencesList* list = comparison->List();
                for (int row = 0; row < list->Count(); ++row)
                    if (list->LineAt(row).startsWith(QStringLiteral("Cameras")))
                        list->SelectRow(row);
                // Then a byte two rows up picked: the camera's changed bytes show their own fill.
                main.Structure().Hex()->PickByte(main.Selection().PickedOffset() - 32);
                main.Structure().Hex()->setFocus();
                QApplication::processEvents();
                const QRect panes =
                    main.Structure().HexDock()->geometry().united(comparison->SideBySideDock()->geometry());
                main.grab(panes).save(
                    folder.filePath(QString::fromLatin1(name) + QStringLiteral("-panes.png")));
            });
        }
        QApplication::setStyle(style);
        QApplication::setPalette(light);
    }
    // The Bookmarks dock beside the structure views, two bookmarks underlined in the hex view and
    // marked on the strata bar, in the light palette and in Fusion's with dark colours.
    const QString lightStyle = QApplication::style()->name();
    const QPalette lightPalette = QApplication::palette();
    for (const bool dark : {false, true}) {
        if (dark) {
            QApplication::setStyle(QStringLiteral("Fusion"));
            QApplication::setPalette(DarkPalette());
        }
        AppState state;
        state.ProgramFolder = folder.absolutePath().toStdString();
        const QString path = folder.filePath(QStringLiteral("structure-bookmarks.dm2"));
        levelbuilder::WriteFile(path.toStdString(), levelbuilder::Build(levelbuilder::DemoLevel(2)));
        frmMain main(state);
        main.show();
        main.Structure().ShowAll();
        main.resize(1100, 760);
        main.OpenLevel(path);
        auto* bookmarks = main.findChild<BookmarksDock*>();
        bookmarks->Dock()->show();
        main.Structure().GoToOffset(QStringLiteral("0x120730"));
        bookmarks->AddBookmark(bookmarks->DefaultName(), BookmarksDock::Colours()[1]);
        main.Selection().SelectBytes(0x120740, 0x120748, nullptr);
        bookmarks->AddBookmark(QStringLiteral("eight bytes"), BookmarksDock::Colours()[3]);
        QApplication::processEvents();
        Save(main, folder, dark ? "structure-bookmarks-dark" : "structure-bookmarks");
        QFile::remove(BookmarkStore::DefaultFile()); // not kept for the user
        QSettings().clear();
    }
    QApplication::setStyle(lightStyle);
    QApplication::setPalette(lightPalette);
    // Search Bytes (Ctrl+Shift+F) over the hex view on the demo level: a pattern with a wildcard byte found,
    // then a number that does not fit its width.
    shoot(levelbuilder::DemoLevel(2), 0, "structure-search-bytes", [](frmMain& main) {
        main.findChild<QAction*>(QStringLiteral("mnuStructureSearchBytes"))->trigger();
        auto* bar = main.findChild<ByteSearchBar*>();
        bar->SetPatternText(QStringLiteral("2D 00 ?? 00"));
        bar->FindNext();
        QApplication::processEvents();
    });
    shoot(levelbuilder::DemoLevel(2), 0, "structure-search-bytes-error", [](frmMain& main) {
        main.findChild<QAction*>(QStringLiteral("mnuStructureSearchBytes"))->trigger();
        auto* bar = main.findChild<ByteSearchBar*>();
        bar->SetKind(ByteSearchBar::S16);
        bar->SetPatternText(QStringLiteral("40000"));
        bar->FindNext();
        QApplication::processEvents();
    });
}

// The 3D view (Ctrl+6) on the demo level: the first room with its neighbours, then every room, and the
// view alone for the README. It needs OpenGL: run the program under Xvfb with QT_QPA_PLATFORM=xcb
// (tests/ui/under-x-server.sh does); on the offscreen platform the dock shows its message instead.
void SaveView3D(const QDir& folder) {
    QSettings().clear();
    AppState state;
    state.ProgramFolder = folder.absolutePath().toStdString();
    const QString path = folder.filePath(QStringLiteral("view3d-demo.dm2"));
    levelbuilder::WriteFile(path.toStdString(), levelbuilder::Build(levelbuilder::DemoLevel(2)));
    frmMain main(state);
    main.show();
    main.resize(1400, 900);
    main.OpenLevel(path);
    auto* dock = main.findChild<View3DDock*>();
    dock->Dock()->show();
    main.resizeDocks({dock->Dock()}, {950}, Qt::Horizontal);
    QApplication::processEvents();
    if (View3D* view = dock->View()) {
        const WalkMap& map = main.Structure().Selection().Map();
        for (int32_t s = 0; s < map.Size(); ++s)
            if (map[s].Kind == SpanKind::Room) {
                main.Structure().Selection().SelectSpan(s, nullptr);
                break;
            }
        QApplication::processEvents();
        Save(main, folder, "view3d-window");
        view->grabFramebuffer().save(folder.filePath(QStringLiteral("view3d-room.png")));
        dock->AllRoomsAction()->trigger();
        main.Structure().Selection().Clear(nullptr);
        view->FrameSelection();
        view->Camera().Zoom(1.5f); // the framing fits a sphere round the rooms: nearer, they fill the view
        view->grabFramebuffer().save(folder.filePath(QStringLiteral("view3d.png")));
    } else {
        Save(main, folder, "view3d-window");
    }
    QSettings().clear();
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("StrataViewerScreenshots"));
    if (argc < 2)
        return 2;
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    folder.mkpath(QStringLiteral("."));

    AppState state;
    state.ProgramFolder = folder.absolutePath().toStdString();
    const std::string level = folder.filePath(QStringLiteral("level1.dm2")).toStdString();
    levelbuilder::WriteFile(level, levelbuilder::Build(levelbuilder::FilledLevel(2)));

    frmMain main(state);
    main.show();
    main.OpenLevel(QString::fromStdString(level));
    Save(main, folder, "frmMain-undetailed");
    main.GetAllDetails();
    main.FindInReport(QStringLiteral("Textures loaded"));
    Save(main, folder, "frmMain-detailed");

    std::unique_ptr<frmReportDetails> details(main.CreateDetailDialog());
    Save(*details, folder, "frmReportDetails");
    std::unique_ptr<frmMainPal> examiner(main.CreatePaletteExaminer());
    Save(*examiner, folder, "frmMainPal");
    std::unique_ptr<frmViewPalette> colours(examiner->CreateColourList(8));
    Save(*colours, folder, "frmViewPalette");
    std::unique_ptr<frmTextureTiles> tiles(main.CreateTileViewer());
    Save(*tiles, folder, "frmTextureTiles");
    tiles->TileNumbers()->setCurrentIndex(1);
    Save(*tiles, folder, "frmTextureTiles-2");
    std::unique_ptr<frmHelp> help(main.CreateHelp());
    Save(*help, folder, "frmHelp");
    help->HelpPane()->moveCursor(QTextCursor::End);
    help->HelpPane()->ensureCursorVisible();
    Save(*help, folder, "frmHelp-viewer");
    std::unique_ptr<frmAbout> about(main.CreateAbout());
    Save(*about, folder, "frmAbout");

    // The demo level's tiles, the pictures its rooms are painted with.
    const std::string demo = folder.filePath(QStringLiteral("demo.dm2")).toStdString();
    levelbuilder::WriteFile(demo, levelbuilder::Build(levelbuilder::DemoLevel(2)));
    main.OpenLevel(QString::fromStdString(demo));
    std::unique_ptr<frmTextureTiles> demoTiles(main.CreateTileViewer());
    demoTiles->show(); // the list of tiles is filled when the viewer is first shown
    for (int t = 0; t < demoTiles->TileNumbers()->count(); ++t) {
        demoTiles->TileNumbers()->setCurrentIndex(t);
        Save(*demoTiles, folder, ("frmTextureTiles-demo-" + std::to_string(t + 1)).c_str());
    }

    SaveStructureViews(folder);
    SaveView3D(folder);
    return 0;
}
