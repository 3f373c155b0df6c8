// The compared level's bytes beside the level shown, in the real window: the two hex panes lined up
// across a record inserted in the second level, the differing bytes marked in both, F7 and Shift+F7
// pressed where the focus is, a click in the Differences list moving both panes, and the pane's place
// back after a restart.
#include <cstdlib>

#include <QApplication>
#include <QDockWidget>
#include <QListWidget>
#include <QScrollBar>
#include <QSettings>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTest>

#include "common/TestFiles.h"
#include "tools/LevelBuilder.h"
#include "ui/ComparisonDock.h"
#include "ui/StructureViews.h"
#include "ui/frmMain.h"
#include "views/DifferencesList.h"
#include "views/HexView.h"
#include "views/SideBySidePane.h"
#include "views/SpanSelection.h"

namespace {

constexpr int64_t kVertexBytes = 12;

// A: the filled level with six vertices in its first room. B: the same with one vertex inserted as
// the third and the first camera moved up. Everything behind the inserted vertex stands 12 bytes
// further on in B.
struct Levels {
    TempDir dir;
    levelbuilder::Layout layoutA, layoutB;
    std::string A, B;
    Levels() {
        levelbuilder::Level level = levelbuilder::FilledLevel(2);
        auto& vertices = level.Rooms.Items[0].Vertices.Items;
        vertices.clear();
        for (int16_t v = 0; v < 6; ++v)
            vertices.push_back({static_cast<int16_t>(100 * v), static_cast<int16_t>(-7 * v), 3, {}});
        A = dir.Write("a.dm2", levelbuilder::Build(level, layoutA));
        vertices.insert(vertices.begin() + 2, levelbuilder::Vertex{5555, 1, 2, {}});
        level.Cameras.Items[0].Y = 777;
        B = dir.Write("b.dm2", levelbuilder::Build(level, layoutB));
    }
    // Vertex v of the first room, in A and in B (v counts B's own vertices).
    int64_t VertexA(int64_t v) const { return layoutA.Parts[0].Vertices + 2 + kVertexBytes * v; }
    int64_t VertexB(int64_t v) const { return layoutB.Parts[0].Vertices + 2 + kVertexBytes * v; }
    // The first camera's y.
    int64_t CameraYA() const { return layoutA.Cameras + 4 + 4; }
    int64_t CameraYB() const { return layoutB.Cameras + 4 + 4; }
};

// The main window with A open and B compared with it, shown and active.
struct Compared {
    AppState state;
    frmMain w;
    ComparisonDock* dock;
    SideBySidePane* pane;
    HexView* shown;
    HexView* other;
    explicit Compared(const Levels& l) : w(state) {
        state.ProgramFolder = l.dir.Path();
        w.resize(1400, 900);
        w.OpenLevel(QString::fromStdString(l.A));
        w.show();
        dock = w.findChild<ComparisonDock*>();
        pane = dock->SideBySide();
        shown = w.Structure().Hex();
        other = pane->OtherHex();
    }
    bool Compare(const Levels& l) {
        if (!QTest::qWaitForWindowActive(&w) || !dock->CompareWith(QString::fromStdString(l.B)).isEmpty())
            return false;
        QCoreApplication::processEvents();
        return true;
    }
    // The row on screen a byte stands on in a pane.
    static int ScreenRow(const HexView* hex, int64_t offset) {
        return static_cast<int>(offset / HexView::kBytesPerRow - hex->FirstVisibleRow());
    }
};

void PressOnFocus(QWidget& window, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QWidget* focus = QApplication::focusWidget();
    QTest::keyClick(focus ? focus : &window, key, modifiers);
}

bool Reddish(QRgb c) {
    return qRed(c) > qGreen(c) + 40 && qRed(c) > qBlue(c) + 40;
}

} // namespace

class SideBySideTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() {
        QStandardPaths::setTestModeEnabled(true);
        QCoreApplication::setOrganizationName(QStringLiteral("StrataViewerSideBySideTests"));
        QSettings().clear();
    }
    void cleanup() { QSettings().clear(); }

    // A vertex behind the inserted one, picked in A, stands on the same row as its match in B, 12
    // bytes on; scrolling either pane keeps the pair in step; a byte picked in B picks its match in A.
    void panesAlignedAcrossAnInsertedRecord() {
        Levels l;
        Compared c(l);
        QVERIFY(c.Compare(l));
        QVERIFY(c.pane->Comparing() && c.dock->SideBySideDock()->isVisible());
        QCOMPARE(c.dock->SideBySideDock()->windowTitle(), QStringLiteral("Compared Level: b.dm2"));
        // Side by side, the rows of the two panes start at the same height on the screen.
        QCOMPARE(c.other->viewport()->mapToGlobal(QPoint()).y(),
                 c.shown->viewport()->mapToGlobal(QPoint()).y());
        QCOMPARE(c.pane->OtherSelection().Level()->Size(), int64_t{c.state.Level->Size() + kVertexBytes});

        for (int64_t v : {0, 1, 2, 5}) {
            const int64_t inB = v < 2 ? v : v + 1;
            const int64_t a = l.VertexA(v) + 3;
            c.shown->PickByte(a);
            QCOMPARE(c.pane->OtherSelection().PickedOffset(), l.VertexB(inB) + 3);
            QCOMPARE(c.other->Cursor(), l.VertexB(inB) + 3);
            QCOMPARE(c.other->ByteRect(l.VertexB(inB) + 3).top(), c.shown->ByteRect(a).top());
        }
        // Far down the file, past the tiles: the cameras stand 12 bytes apart, on one row.
        c.shown->PickByte(l.CameraYA());
        QCOMPARE(c.other->Cursor(), l.CameraYB());
        QCOMPARE(Compared::ScreenRow(c.other, l.CameraYB()), Compared::ScreenRow(c.shown, l.CameraYA()));

        // A page down in A, the pick out of sight: the middle rows stand beside each other.
        c.shown->verticalScrollBar()->setValue(c.shown->verticalScrollBar()->value() +
                                               c.shown->VisibleRows());
        const int64_t middleA = (c.shown->FirstVisibleRow() + c.shown->VisibleRows() / 2) * 16;
        const int64_t middleB = c.pane->OtherSelection().Level()->Size() > 0 ? middleA + kVertexBytes : 0;
        QCOMPARE(Compared::ScreenRow(c.other, middleB), Compared::ScreenRow(c.shown, middleA));
        // And back from B: its scroll moves A.
        c.other->verticalScrollBar()->setValue(0);
        QCOMPARE(c.shown->FirstVisibleRow(), int64_t{0});

        // A click on a vertex in B picks its match in A, and leaves B's pick where it was clicked.
        c.other->PickByte(l.VertexB(4));
        QTest::mouseClick(c.other->viewport(), Qt::LeftButton, {},
                          c.other->ByteRect(l.VertexB(4) + 1).center());
        QCOMPARE(c.other->Cursor(), l.VertexB(4) + 1);
        QCOMPARE(c.w.Structure().Selection().PickedOffset(), l.VertexA(3) + 1);
        QCOMPARE(c.shown->ByteRect(l.VertexA(3) + 1).top(), c.other->ByteRect(l.VertexB(4) + 1).top());
        // The inserted vertex, only in B, picks the place behind the vertex before it in A.
        QTest::mouseClick(c.other->viewport(), Qt::LeftButton, {}, c.other->ByteRect(l.VertexB(2)).center());
        QCOMPARE(c.w.Structure().Selection().PickedOffset(), l.VertexA(2));
    }

    // The camera's y and the inserted vertex, in both panes and in the pixels: a red fill where they
    // differ, the plain base where they do not.
    void changedBytesMarkedInBoth() {
        Levels l;
        Compared c(l);
        QVERIFY(c.Compare(l));
        for (int64_t i = 0; i < 4; ++i) {
            QCOMPARE(c.shown->ShadeOf(l.CameraYA() + i), HexView::Shade::Changed);
            QCOMPARE(c.other->ShadeOf(l.CameraYB() + i), HexView::Shade::Changed);
        }
        QCOMPARE(c.shown->ShadeOf(l.CameraYA() + 4), HexView::Shade::Plain);
        QCOMPARE(c.other->ShadeOf(l.CameraYB() - 1), HexView::Shade::Plain);
        for (int64_t i = 0; i < kVertexBytes; ++i)
            QCOMPARE(c.other->ShadeOf(l.VertexB(2) + i), HexView::Shade::Changed);
        QCOMPARE(c.other->ShadeOf(l.VertexB(3)), HexView::Shade::Plain);
        QCOMPARE(c.shown->ShadeOf(l.VertexA(2)), HexView::Shade::Plain);

        // The panes scrolled to the camera, then the pick moved off it: the marks are what shows.
        c.shown->PickByte(l.CameraYA());
        c.shown->PickByte(l.CameraYA() + 16 * 3);
        c.w.Structure().Selection().Clear(nullptr);
        for (const auto& [hex, changed] :
             {std::pair{c.shown, l.CameraYA()}, std::pair{c.other, l.CameraYB()}}) {
            const QImage image = hex->viewport()->grab().toImage();
            const QRect cell = hex->ByteRect(changed);
            const QRect plain = hex->ByteRect(changed + 4);
            QVERIFY2(Reddish(image.pixel(cell.left() + 1, cell.top() + 1)), qPrintable(hex->objectName()));
            QCOMPARE(QColor(image.pixel(plain.left() + 1, plain.top() + 1)),
                     hex->palette().color(QPalette::Base));
        }

        // Another level opened: the marks and the pane go.
        c.w.OpenLevel(QString::fromStdString(l.B));
        QVERIFY(!c.pane->Comparing());
        QVERIFY(c.dock->SideBySideDock()->isHidden());
        QCOMPARE(c.shown->ShadeOf(l.CameraYB()), HexView::Shade::Plain);
    }

    // F7 on the focused hex view goes down the list in its order, both panes following; past the last
    // it stays and says so; Shift+F7 comes back up.
    void f7AndShiftF7GoThroughTheDifferences() {
        Levels l;
        Compared c(l);
        QVERIFY(c.Compare(l));
        DifferencesList* list = c.dock->List();
        QVERIFY(list->Count() >= 2);
        c.shown->setFocus();
        QCoreApplication::processEvents();
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(c.shown));
        const SpanSelection& selection = c.w.Structure().Selection();
        const auto follows = [&](int row) {
            if (const auto [first, end] = list->BytesOf(row); first >= 0) {
                QCOMPARE(int64_t{selection.Bytes().First}, first);
                QCOMPARE(int64_t{selection.Bytes().End}, end);
            }
            const auto [first, end] = list->OtherBytesOf(row);
            QVERIFY(first >= 0);
            QCOMPARE(int64_t{c.pane->OtherSelection().Bytes().First}, first);
            QCOMPARE(int64_t{c.pane->OtherSelection().Bytes().End}, end);
            QCOMPARE(c.other->Cursor(), first);
        };
        for (int row = 0; row < list->Count(); ++row) {
            PressOnFocus(c.w, Qt::Key_F7);
            QCOMPARE(list->CurrentRow(), row);
            follows(row);
        }
        PressOnFocus(c.w, Qt::Key_F7);
        QCOMPARE(list->CurrentRow(), list->Count() - 1);
        QCOMPARE(c.w.statusBar()->currentMessage(), QStringLiteral("No more differences after this one."));
        for (int row = list->Count() - 2; row >= 0; --row) {
            PressOnFocus(c.w, Qt::Key_F7, Qt::ShiftModifier);
            QCOMPARE(list->CurrentRow(), row);
            follows(row);
        }
        PressOnFocus(c.w, Qt::Key_F7, Qt::ShiftModifier);
        QCOMPARE(list->CurrentRow(), 0);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(c.shown));

        // The inserted vertex: its record in B, and in A the place it would stand.
        int added = -1;
        for (int row = 0; row < list->Count(); ++row)
            if (list->LineAt(row).contains(QStringLiteral("added")))
                added = row;
        QVERIFY(added >= 0);
        QCOMPARE(list->OtherBytesOf(added), std::make_pair(l.VertexB(2), l.VertexB(2) + kVertexBytes));
    }

    // A click on a line of the Differences list: its bytes in A and in B, both brought into sight.
    void differencesSelectionDrivesBothPanes() {
        Levels l;
        Compared c(l);
        QVERIFY(c.Compare(l));
        auto* items = c.dock->List()->findChild<QListWidget*>(QStringLiteral("lstDifferences"));
        int camera = -1;
        for (int row = 0; row < items->count(); ++row)
            if (items->item(row)->text().startsWith(QStringLiteral("Cameras")))
                camera = row;
        QVERIFY(camera >= 0);
        QTest::mouseClick(items->viewport(), Qt::LeftButton, {},
                          items->visualItemRect(items->item(camera)).center());
        QCOMPARE(c.w.Structure().Selection().PickedOffset(), l.CameraYA());
        QCOMPARE(c.pane->OtherSelection().PickedOffset(), l.CameraYB());
        QCOMPARE(c.pane->OtherSelection().Bytes().End - c.pane->OtherSelection().Bytes().First, 4);
        QCOMPARE(c.shown->ShadeOf(l.CameraYA()), HexView::Shade::Selected);
        QCOMPARE(c.other->ShadeOf(l.CameraYB() + 3), HexView::Shade::Selected);
        const int row = Compared::ScreenRow(c.shown, l.CameraYA());
        QVERIFY(row >= 0 && row < c.shown->VisibleRows());
        QCOMPARE(Compared::ScreenRow(c.other, l.CameraYB()), row);
    }

    // Hidden on a first start, beside the hex view when shown; moved, it comes back to where it was
    // moved after a restart, hidden until a comparison opens.
    void paneComesBackToItsPlaceAfterARestart() {
        Levels l;
        {
            Compared c(l);
            QVERIFY(QTest::qWaitForWindowActive(&c.w));
            QDockWidget* pane = c.dock->SideBySideDock();
            QVERIFY(pane->isHidden());
            QVERIFY(!c.w.findChild<QAction*>(QStringLiteral("mnuStructureNextDifference"))->isEnabled());
            QVERIFY(c.Compare(l));
            QVERIFY(pane->isVisible());
            QCOMPARE(c.w.dockWidgetArea(pane), Qt::BottomDockWidgetArea);
            QVERIFY(pane->geometry().left() > c.w.Structure().HexDock()->geometry().left());
            QVERIFY(std::abs(pane->width() - c.w.Structure().HexDock()->width()) < 20);
            QVERIFY(c.w.findChild<QAction*>(QStringLiteral("mnuStructureNextDifference"))->isEnabled());
            c.w.addDockWidget(Qt::TopDockWidgetArea, pane);
            QVERIFY(c.w.close());
        }
        Compared again(l);
        QDockWidget* pane = again.dock->SideBySideDock();
        QVERIFY(pane->isHidden());
        QVERIFY(again.Compare(l));
        QVERIFY(pane->isVisible());
        QCOMPARE(again.w.dockWidgetArea(pane), Qt::TopDockWidgetArea);
    }
};

QTEST_MAIN(SideBySideTest)
#include "SideBySideTest.moc"
