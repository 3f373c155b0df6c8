// The comparison in the viewer: the list of differences, the selection a difference makes in the
// report, the hex view and the strata bar, and Compare With... in the Structure menu.
#include <QDockWidget>
#include <QMenu>
#include <QSettings>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTest>

#include "common/TestFiles.h"
#include "engine/ReportRun.h"
#include "tools/LevelBuilder.h"
#include "ui/ComparisonDock.h"
#include "ui/StructureViews.h"
#include "ui/frmMain.h"
#include "views/DifferencesList.h"
#include "views/SpanSelection.h"
#include "views/StrataBar.h"

namespace {

// Level A as it is, and B with the second camera moved up and an item added at the end.
struct Levels {
    TempDir dir;
    levelbuilder::Layout layoutA;
    std::string A, B;
    Levels() {
        levelbuilder::Level level = levelbuilder::FilledLevel(2);
        level.Cameras.Add({0, 0, 0, 0, 0});
        A = dir.Write("a.dm2", levelbuilder::Build(level, layoutA));
        level.Cameras.Items[1].Y = 777;
        level.Items.Add({5, 0, 1, 2, 3, 4, 5, 6, 7});
        B = dir.Write("b.dm2", levelbuilder::Build(level));
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

        // The changed field's bytes: y of the second camera, behind the 4-byte count.
        const int64_t y = l.layoutA.Cameras + 4 + 16 + 4;
        list.SelectRow(0);
        QCOMPARE(selection.PickedOffset(), y);
        QCOMPARE(selection.Line(), state.Map.LineAt(y));
        // A record only in B selects where A's items stand, behind their count.
        list.SelectRow(1);
        QCOMPARE(list.OffsetOf(1), int64_t{l.layoutA.Items + 4});
        QCOMPARE(selection.PickedOffset(), int64_t{l.layoutA.Items + 4});

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
