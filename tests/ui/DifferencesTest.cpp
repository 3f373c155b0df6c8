// The comparison in the viewer: the list of differences, the selection a difference makes in the
// report, the hex view and the strata bar, and Compare With... in the Structure menu.
#include <QApplication>
#include <QDockWidget>
#include <QFileDialog>
#include <QMenu>
#include <QMessageBox>
#include <QSettings>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTest>
#include <QTimer>

#include "common/TestFiles.h"
#include "report/ReportRun.h"
#include "tools/LevelBuilder.h"
#include "ui/ComparisonDock.h"
#include "ui/StructureViews.h"
#include "ui/frmMain.h"
#include "views/DifferencesList.h"
#include "views/SpanSelection.h"
#include "views/StrataBar.h"

namespace {

// Level A as it is, B with the second camera moved up and an item added at the end, C with one byte
// of the first tile changed, and a file that is not a level.
struct Levels {
    TempDir dir;
    levelbuilder::Layout layoutA;
    std::string A, B, C, Text;
    static constexpr int64_t kTileByte = 1800 + 5; // behind the palettes and the tile count
    Levels() {
        levelbuilder::Level level = levelbuilder::FilledLevel(2);
        level.Cameras.Add({0, 0, 0, 0, 0});
        A = dir.Write("a.dm2", levelbuilder::Build(level, layoutA));
        levelbuilder::Level tile = level;
        tile.Tiles.Items[0][5] ^= 1;
        C = dir.Write("c.dm2", levelbuilder::Build(tile));
        level.Cameras.Items[1].Y = 777;
        level.Items.Add({5, 0, 1, 2, 3, 4, 5, 6, 7});
        B = dir.Write("b.dm2", levelbuilder::Build(level));
        Text = dir.Write("notes.txt", {'n', 'o', 't', 'e', 's'});
    }
};

} // namespace

class DifferencesTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() {
        QStandardPaths::setTestModeEnabled(true);
        QCoreApplication::setOrganizationName(QStringLiteral("StrataViewerDifferencesTests"));
        QSettings().clear();
    }

    void listSelectsTheBytesOfEachDifference() {
        Levels l;
        AppState state;
        QCOMPARE(ReportLevelFile(state, l.A), 0);
        SpanSelection selection(state);
        DifferencesList list(selection);
        QCOMPARE(list.CompareWith(QString::fromStdString(l.B)), QString());
        QCOMPARE(list.Count(), 2);
        QCOMPARE(list.LineAt(0), QStringLiteral("Cameras > record 1: y: 0 -> 777"));
        QVERIFY(list.LineAt(1).startsWith(QStringLiteral("Items > record B2: added: ObjectID=5,")));
        QCOMPARE(list.Summary(), QStringLiteral("2 differences"));
        QVERIFY(list.ChunkDiffers(Piece::Cameras) && list.ChunkDiffers(Piece::Items));
        QVERIFY(!list.ChunkDiffers(Piece::Rooms));

        // The changed field's bytes, and only those: y of the second camera, behind the 4-byte count.
        const int64_t y = l.layoutA.Cameras + 4 + 16 + 4;
        list.SelectRow(0);
        QCOMPARE(selection.PickedOffset(), y);
        QCOMPARE(selection.Line(), state.Map.LineAt(y));
        QCOMPARE(int64_t{selection.Bytes().First}, y);
        QCOMPARE(int64_t{selection.Bytes().End}, y + 4);
        // A record only in B selects where A's items stand, behind their count.
        list.SelectRow(1);
        QCOMPARE(list.OffsetOf(1), int64_t{l.layoutA.Items + 4});
        QCOMPARE(selection.PickedOffset(), int64_t{l.layoutA.Items + 4});

        // A file that is not a level is said so, and the list keeps what it showed.
        QCOMPARE(list.CompareWith(QString::fromStdString(l.Text)),
                 QString::fromStdString(l.Text + " is not a DM2 or DM3 level: nothing compared"));
        QCOMPARE(list.Count(), 2);

        // A tile with one byte changed: the tile numbered as its file, the one byte selected, not the
        // 65,536 bytes of the tile or the chunk around it.
        QCOMPARE(list.CompareWith(QString::fromStdString(l.C)), QString());
        QCOMPARE(list.Count(), 1);
        QCOMPARE(list.LineAt(0),
                 QStringLiteral("Texture Tiles > Textures 8 bits > tile 1: differs in 1 byte, "
                                "first at 0x70D"));
        list.SelectRow(0);
        QCOMPARE(int64_t{selection.Bytes().First}, Levels::kTileByte);
        QCOMPARE(int64_t{selection.Bytes().End}, Levels::kTileByte + 1);
        QCOMPARE(selection.PickedOffset(), Levels::kTileByte);

        // The same level: nothing listed. A file that cannot be read leaves the list as it was.
        QCOMPARE(list.CompareWith(QString::fromStdString(l.A)), QString());
        QCOMPARE(list.Count(), 0);
        QCOMPARE(list.Summary(), QStringLiteral("No differences."));
        QVERIFY(!list.CompareWith(QString::fromStdString(l.A + ".missing")).isEmpty());
        QCOMPARE(list.Summary(), QStringLiteral("No differences."));

        // A new walk clears the list.
        QVERIFY(list.CompareWith(QString::fromStdString(l.B)).isEmpty());
        selection.ResetForNewWalk();
        QCOMPARE(list.Count(), 0);
        QVERIFY(!list.ChunkDiffers(Piece::Cameras));
    }

    void compareWithInTheStructureMenu() {
        QSettings().clear();
        Levels l;
        AppState state;
        state.ProgramFolder = l.dir.Path();
        frmMain main(state);
        QAction* compare = main.findChild<QAction*>(QStringLiteral("mnuStructureCompareWith"));
        QVERIFY(compare && main.StructureMenu()->actions().contains(compare));
        QCOMPARE(compare->text(), QStringLiteral("&Compare With..."));
        auto* dock = main.findChild<ComparisonDock*>();
        QVERIFY(dock && dock->Dock()->isHidden());

        // Nothing open: nothing to compare.
        QVERIFY(!dock->CompareWith(QString::fromStdString(l.B)).isEmpty());

        main.OpenLevel(QString::fromStdString(l.A));
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));

        // Compare With... a file that is not a level: picked in the file step, a message says so and
        // the dock stays shut.
        QString told;
        dock->SetFileChooser([&] { return QString::fromStdString(l.Text); });
        QTimer answer;
        connect(&answer, &QTimer::timeout, [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                told = box->text();
                box->accept();
            }
        });
        answer.start(20);
        compare->trigger();
        answer.stop();
        QCOMPARE(told, QString::fromStdString(l.Text + " is not a DM2 or DM3 level: nothing compared"));
        QVERIFY(dock->Dock()->isHidden());
        QCOMPARE(dock->List()->Count(), 0);
        QCOMPARE(dock->CompareWith(QString::fromStdString(l.B)), QString());
        QVERIFY(dock->Dock()->isVisible());
        QCOMPARE(main.statusBar()->currentMessage(), QStringLiteral("2 differences"));

        // The strata bar marks the chunks that differ, and only those.
        StrataBar* bar = main.Structure().Strata();
        const StrataLayout& layout = bar->Layout();
        int marked = 0;
        for (int i = 0; i < static_cast<int>(layout.Pieces.size()); ++i) {
            if (!bar->PieceMarked(i))
                continue;
            ++marked;
            bool differs = false;
            for (int32_t s : layout.Pieces[static_cast<size_t>(i)].Spans)
                differs = differs || state.Map[s].What == Piece::Cameras || state.Map[s].What == Piece::Items;
            QVERIFY(differs);
        }
        QVERIFY(marked >= 1);

        // Selecting the camera's line in the list selects it in the window's one selection.
        dock->List()->SelectRow(0);
        QCOMPARE(main.Selection().PickedOffset(), int64_t{l.layoutA.Cameras + 4 + 16 + 4});
        QCOMPARE(main.Selection().Line(), state.Map.LineAt(l.layoutA.Cameras + 4 + 16 + 4));
        QSettings().clear();
    }
};

QTEST_MAIN(DifferencesTest)
#include "DifferencesTest.moc"
