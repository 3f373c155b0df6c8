// The Problems dock: the checker's findings on the level shown, listed after every open; a problem
// selects its field's bytes in the window's one selection, the outline, the strata bar and the level
// map mark what holds one, the status line gives the counts, and the dock comes back after a restart.
#include <QApplication>
#include <QDockWidget>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QSettings>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QStyle>
#include <QTest>
#include <QThreadPool>
#include <QTreeView>

#include "DockRestart.h"
#include "check/Check.h"
#include "common/TestFiles.h"
#include "tools/DemoLevel.h"
#include "tools/LevelBuilder.h"
#include "ui/LevelMapDock.h"
#include "ui/ProblemsDock.h"
#include "ui/ReportView.h"
#include "ui/StructureViews.h"
#include "ui/frmMain.h"
#include "views/HexView.h"
#include "views/LevelMapCanvas.h"
#include "views/LevelMapView.h"
#include "views/OutlineModel.h"
#include "views/OutlinePane.h"
#include "views/ProblemsList.h"
#include "views/ProblemsModel.h"
#include "views/SpanSelection.h"
#include "views/StrataBar.h"

namespace {

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

// The demo level (which checks clean) with its first door led to a room the level does not have.
constexpr int16_t kNoSuchRoom = 30000;
struct BrokenDoor {
    levelbuilder::Level Level = levelbuilder::DemoLevel(2);
    int Room = -1;
    BrokenDoor() {
        for (size_t r = 0; r < Level.Rooms.Items.size() && Room < 0; ++r)
            if (!Level.Rooms.Items[r].Doors.Items.empty()) {
                Room = static_cast<int>(r);
                Level.Rooms.Items[r].Doors.Items[0].AdjoiningRoom = kNoSuchRoom;
            }
    }
};

// Waits, without a deadline that matters, until the model's check has ended.
bool WaitForCheck(ProblemsModel& model) {
    QSignalSpy changed(&model, &ProblemsModel::Changed);
    while (model.Checking())
        if (!changed.wait(120000))
            return false;
    return model.HasResult();
}

ProblemsDock& Problems(frmMain& w) {
    auto* dock = w.findChild<ProblemsDock*>();
    if (!dock)
        qFatal("no Problems dock");
    return *dock;
}

int16_t Int16At(const std::vector<uint8_t>& bytes, int64_t at) {
    const auto i = static_cast<size_t>(at);
    return static_cast<int16_t>(bytes.at(i) | (bytes.at(i + 1) << 8));
}

check::Finding MadeFinding(const char* rule, int64_t offset, int32_t bytes) {
    check::Finding f;
    f.Of = check::RuleById(rule);
    f.Offset = offset;
    f.Bytes = bytes;
    f.Place = "place at " + std::to_string(offset);
    f.Message = "message at " + std::to_string(offset);
    return f;
}

} // namespace

class ProblemsTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() {
        QStandardPaths::setTestModeEnabled(true);
        QCoreApplication::setOrganizationName(QStringLiteral("StrataViewerProblemsTests"));
        QSettings().clear();
    }

    // Rows in the order of their fields' offsets, the counts above them, and the worst problem of a byte
    // range for the views that mark them.
    void problemsListedByOffsetAndMarkedByTheirBytes() {
        // A warning rule, when the checker has one; otherwise the two error rules stand for both.
        const check::Rule* warning = nullptr;
        for (const check::Rule& rule : check::Rules())
            if (rule.Level == check::Severity::Warning && !warning)
                warning = &rule;
        ProblemsModel model;
        QCOMPARE(model.Summary(), QString());
        check::Finding late = MadeFinding("door-room", 500, 2);
        check::Finding early = MadeFinding("door-room", 100, 2);
        check::Finding ended = MadeFinding("walk-ended", 300, 0);
        check::Finding warned = MadeFinding("door-room", 400, 4);
        warned.Of = warning ? warning : warned.Of;
        model.Take({late, early, ended, warned},
                   {.Errors = warning ? 3 : 4, .Warnings = warning ? 1 : 0, .LeftOut = 0, .End = {}});
        QCOMPARE(model.rowCount(), 4);
        QCOMPARE(model.At(0).Offset, int64_t{100});
        QCOMPARE(model.At(1).Offset, int64_t{300});
        QCOMPARE(model.At(3).Offset, int64_t{500});
        QCOMPARE(model.index(1, ProblemsModel::kRule).data().toString(), QStringLiteral("walk-ended"));
        QCOMPARE(model.index(0, ProblemsModel::kPlace).data().toString(), QStringLiteral("place at 100"));
        QCOMPARE(model.index(0, ProblemsModel::kMessage).data().toString(), QStringLiteral("message at 100"));
        QCOMPARE(model.Summary(),
                 warning ? QStringLiteral("3 errors, 1 warning") : QStringLiteral("4 errors"));
        // A field's bytes; one byte where no field is behind the finding.
        QCOMPARE(model.BytesOf(0), (std::pair<int64_t, int64_t>{100, 102}));
        QCOMPARE(model.BytesOf(1), (std::pair<int64_t, int64_t>{300, 301}));

        const ProblemMark atWarning = warning ? ProblemMark::Warning : ProblemMark::Error;
        const struct {
            int64_t First, End;
            ProblemMark Mark;
        } ranges[] = {
            {0, 100, ProblemMark::None},    {100, 101, ProblemMark::Error}, {101, 300, ProblemMark::None},
            {350, 450, atWarning},          {350, 501, ProblemMark::Error}, {501, 10000, ProblemMark::None},
            {0, 10000, ProblemMark::Error}, {400, 400, ProblemMark::None},
        };
        for (const auto& r : ranges)
            QVERIFY2(model.MarkIn(r.First, r.End) == r.Mark,
                     qPrintable(QStringLiteral("%1..%2").arg(r.First).arg(r.End)));

        // Those left out past the most listed of a rule are counted and said.
        model.Take({early}, {.Errors = 1001, .Warnings = 0, .LeftOut = 1000, .End = {}});
        QCOMPARE(model.Summary(), QStringLiteral("1001 errors; 1000 more of the same rules not listed"));
        model.Take({}, {});
        QCOMPARE(model.Summary(), QStringLiteral("No problems found"));
        QCOMPARE(model.CountsText(), QString());
    }

    // The check runs on a pool thread and finds what the checker finds; a level replaced while it was
    // checked never shows its findings.
    void problemsCheckOffTheWindowsThreadAndDropAReplacedLevel() {
        const BrokenDoor broken;
        const auto brokenLevel =
            std::make_shared<const LevelFile>(LevelFile::FromBytes(levelbuilder::Build(broken.Level)));
        const auto cleanLevel = std::make_shared<const LevelFile>(
            LevelFile::FromBytes(levelbuilder::Build(levelbuilder::DemoLevel(2))));
        check::FindingList expected;
        check::CheckLevel(*brokenLevel, {}, expected);
        QCOMPARE(expected.Items.size(), size_t{1});

        ProblemsModel model;
        QSignalSpy changed(&model, &ProblemsModel::Changed);
        model.Check(brokenLevel);
        QVERIFY(model.Checking());
        QCOMPARE(model.Summary(), QStringLiteral("Checking..."));
        QVERIFY(WaitForCheck(model));
        QCOMPARE(model.Count(), 1);
        QCOMPARE(model.At(0).Offset, expected.Items[0].Offset);
        QCOMPARE(model.At(0).Message, expected.Items[0].Message);
        // The same level again: nothing to do.
        const qsizetype before = changed.size();
        model.Check(brokenLevel);
        QVERIFY(!model.Checking());
        QCOMPARE(changed.size(), before);

        // Replaced at once by the clean level: the broken one's findings, however late they come, are
        // not listed.
        model.Clear();
        model.Check(brokenLevel);
        model.Check(cleanLevel);
        QVERIFY(WaitForCheck(model));
        QThreadPool::globalInstance()->waitForDone();
        QCoreApplication::processEvents();
        QCOMPARE(model.Count(), 0);
        QCOMPARE(model.Summary(), QStringLiteral("No problems found"));

        // A file that is no level: nothing to check, and said so rather than that nothing was found.
        model.Check(std::make_shared<const LevelFile>(LevelFile::FromBytes({0x20, 0, 0, 0, 'n', 'o'})));
        QVERIFY(WaitForCheck(model));
        QCOMPARE(model.Summary(), QStringLiteral("Not a DM2 or DM3 level: nothing checked"));

        // A model gone before its check ended is no harm.
        {
            ProblemsModel gone;
            gone.Check(brokenLevel);
        }
        QThreadPool::globalInstance()->waitForDone();
        QCoreApplication::processEvents();
    }

    // The real window: a level with a broken door opened, the dock shown by its key, the problem
    // selected with the mouse; the report, the hex view and the marks follow.
    void problemsDockListsABrokenDoorAndSelectsItsBytes() {
        QSettings().clear();
        TempDir dir;
        AppState state;
        state.ProgramFolder = dir.Path();
        frmMain w(state);
        SetAllDetails(state.DetailOptions, true); // the report lists the door, as Get All Details does
        ProblemsDock& problems = Problems(w);
        QVERIFY(problems.Dock()->isHidden());
        QAction* toggle = w.findChild<QAction*>(QStringLiteral("mnuStructureProblems"));
        QVERIFY(toggle && w.StructureMenu()->actions().contains(toggle));
        QCOMPARE(toggle->text(), QStringLiteral("&Problems"));

        const BrokenDoor broken;
        const std::vector<uint8_t> bytes = levelbuilder::Build(broken.Level);
        const std::string path = dir.Write("broken.dm2", bytes);
        w.OpenLevel(Q(path));
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QWidget* focus = QApplication::focusWidget();
        QTest::keyClick(focus ? focus : &w, Qt::Key_5, Qt::ControlModifier);
        QVERIFY(problems.Dock()->isVisible());
        QCoreApplication::processEvents();

        ProblemsModel& model = problems.List()->Model();
        QVERIFY(WaitForCheck(model));
        QCOMPARE(model.rowCount(), 1);
        const check::Finding finding = model.At(0);
        QCOMPARE(model.index(0, ProblemsModel::kSeverity).data(Qt::ToolTipRole).toString(),
                 QStringLiteral("error"));
        const auto icon = model.index(0, ProblemsModel::kSeverity).data(Qt::DecorationRole).value<QIcon>();
        QCOMPARE(icon.pixmap(16).toImage(),
                 QApplication::style()->standardIcon(QStyle::SP_MessageBoxCritical).pixmap(16).toImage());
        QCOMPARE(model.index(0, ProblemsModel::kRule).data().toString(), QStringLiteral("door-room"));
        QCOMPARE(model.index(0, ProblemsModel::kPlace).data().toString(),
                 QStringLiteral("Rooms > room %1 > Doors > door 0").arg(broken.Room));
        QVERIFY(model.index(0, ProblemsModel::kMessage).data().toString().contains(QStringLiteral("30000")));
        QCOMPARE(problems.List()->Summary(), QStringLiteral("1 error"));
        QVERIFY(problems.StatusCounts()->isVisible());
        QCOMPARE(problems.StatusCounts()->text(), QStringLiteral("1 error"));
        // The finding names the door's AdjoiningRoom field: its two bytes in the file hold the room.
        QCOMPARE(finding.Bytes, 2);
        QCOMPARE(Int16At(bytes, finding.Offset), kNoSuchRoom);

        // The marks: the rooms chunk in the outline and the strata bar, the room and door on the map.
        StructureViews& views = w.Structure();
        const OutlineModel& outline = views.Outline()->Model();
        int markedChunks = 0;
        for (int row = 0; row < outline.rowCount(); ++row) {
            const QModelIndex chunk = outline.index(row, 0);
            const Span& s = state.Map[outline.SpanOf(chunk)];
            const bool holds = s.First <= finding.Offset && finding.Offset < s.End;
            QCOMPARE(outline.ProblemOf(chunk), holds ? ProblemMark::Error : ProblemMark::None);
            QCOMPARE(chunk.data(Qt::DecorationRole).isNull(), !holds);
            markedChunks += holds;
        }
        QCOMPARE(markedChunks, 1);
        views.SetStrataBarShown(true);
        QCoreApplication::processEvents();
        StrataBar* bar = views.Strata();
        const QImage barImage = bar->grab().toImage();
        const double ratio = bar->devicePixelRatioF();
        int markedPieces = 0;
        for (int i = 0; i < static_cast<int>(bar->Layout().Pieces.size()); ++i) {
            const StrataPiece& p = bar->Layout().Pieces[static_cast<size_t>(i)];
            const bool holds = p.First <= finding.Offset && finding.Offset < p.End;
            QCOMPARE(bar->PieceProblem(i), holds ? ProblemMark::Error : ProblemMark::None);
            markedPieces += holds;
            // The corner's pixel just inside the piece's top right, where its seam leaves off.
            if (p.Width < 6)
                continue;
            const QPoint corner(static_cast<int>((p.X + p.Width - 2.5) * ratio), static_cast<int>(ratio));
            QCOMPARE(barImage.pixelColor(corner) == ProblemColour(ProblemMark::Error), holds);
        }
        QCOMPARE(markedPieces, 1);

        LevelMapCanvas& canvas = *w.LevelMap().View()->Canvas();
        const LevelMapModel& map = w.LevelMap().View()->Model();
        const int32_t roomIndex = map.IndexOfRoom(broken.Room);
        QVERIFY(roomIndex >= 0);
        QCOMPARE(canvas.ProblemRooms().size(), size_t{1});
        QCOMPARE(canvas.ProblemRooms()[0].first, roomIndex);
        QCOMPARE(canvas.ProblemDoors().size(), size_t{1});
        QCOMPARE(canvas.ProblemDoors()[0].Room, roomIndex);
        QCOMPARE(canvas.ProblemDoors()[0].Index, 0);
        // Drawn: the middle of the door's first edge in the problem's colour.
        canvas.SetLegendShown(false); // the legend box could lie over the door
        canvas.resize(600, 600);
        canvas.FitToWindow();
        QImage drawn(canvas.size(), QImage::Format_RGB32);
        {
            QPainter p(&drawn);
            canvas.Render(p, drawn.size());
        }
        const MapDoor door = map.Door(roomIndex, 0);
        const QPointF a = canvas.WorldToScreen(door.Corners[0][0], door.Corners[0][1]);
        const QPointF b = canvas.WorldToScreen(door.Corners[1][0], door.Corners[1][1]);
        QCOMPARE(drawn.pixelColor(((a + b) / 2).toPoint()), ProblemColour(ProblemMark::Error));

        // Selecting the problem with the mouse selects the field's two bytes; the report shows the
        // door's line and the hex view its bytes.
        QTreeView* rows = problems.List()->View();
        const QRect row = rows->visualRect(model.index(0, ProblemsModel::kRule));
        QVERIFY(row.isValid());
        QTest::mouseClick(rows->viewport(), Qt::LeftButton, {}, row.center());
        SpanSelection& selection = w.Selection();
        QCOMPARE(int64_t{selection.Bytes().First}, finding.Offset);
        QCOMPARE(int64_t{selection.Bytes().End}, finding.Offset + finding.Bytes);
        QCOMPARE(selection.Line(), state.Map.LineAt(finding.Offset));
        const auto* pane = w.findChild<ReportView*>(QStringLiteral("rtbOutput"));
        QCOMPARE(static_cast<int32_t>(pane->CursorLine()), selection.Line());
        const QString line = Q(std::string(pane->Line(pane->CursorLine())));
        QVERIFY2(line.contains(QStringLiteral("30000")), qPrintable(line));
        HexView* hex = views.Hex();
        QCOMPARE(hex->Cursor(), finding.Offset);
        QCOMPARE(hex->ShadeOf(finding.Offset), HexView::Shade::Selected);
        QCOMPARE(hex->ShadeOf(finding.Offset + 1), HexView::Shade::Selected);
        QVERIFY(hex->ShadeOf(finding.Offset + 2) != HexView::Shade::Selected);
        QVERIFY(hex->ShadeOf(finding.Offset - 1) != HexView::Shade::Selected);

        // A file cut short: the walk's end is the one problem, and selecting it picks a byte inside the
        // file.
        std::vector<uint8_t> cut = levelbuilder::Build(levelbuilder::DemoLevel(2));
        cut.erase(cut.end() - 1000, cut.end());
        w.OpenLevel(Q(dir.Write("cut.dm2", cut)));
        QVERIFY(WaitForCheck(model));
        int ended = -1;
        for (int i = 0; i < model.Count() && ended < 0; ++i)
            if (model.At(i).Of->Id == "walk-ended")
                ended = i;
        QVERIFY(ended >= 0);
        problems.List()->SelectRow(ended);
        QCOMPARE(selection.PickedOffset(),
                 std::min<int64_t>(model.At(ended).Offset, static_cast<int64_t>(cut.size()) - 1));
        QSettings().clear();
    }

    // A clean level: the dock says so, the status line adds nothing and nothing is marked.
    void problemsDockSaysWhenNothingIsFound() {
        QSettings().clear();
        TempDir dir;
        AppState state;
        state.ProgramFolder = dir.Path();
        frmMain w(state);
        ProblemsDock& problems = Problems(w);
        w.OpenLevel(Q(dir.Write("demo.dm2", levelbuilder::Build(levelbuilder::DemoLevel(2)))));
        QVERIFY(WaitForCheck(problems.List()->Model()));
        QCOMPARE(problems.List()->Model().rowCount(), 0);
        QCOMPARE(problems.List()->Summary(), QStringLiteral("No problems found"));
        QVERIFY(problems.StatusCounts()->isHidden());
        const OutlineModel& outline = w.Structure().Outline()->Model();
        for (int row = 0; row < outline.rowCount(); ++row)
            QCOMPARE(outline.ProblemOf(outline.index(row, 0)), ProblemMark::None);
        QVERIFY(w.LevelMap().View()->Canvas()->ProblemRooms().empty());
        QSettings().clear();
    }

    // Shown when the window closed, shown after a restart; hidden, hidden.
    void problemsDockComesBackAfterARestart() {
        CheckDockComesBackAfterARestart([](frmMain& w) { return Problems(w).Dock(); });
    }
};

QTEST_MAIN(ProblemsTest)
#include "ProblemsTest.moc"
