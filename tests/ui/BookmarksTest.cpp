// Back and forth through the selection's jumps, and bookmarks kept per level by path and content:
// the history alone over a walked level, then the real window driven by its keys, restarted by making
// it again over the same data folder.
#include <QApplication>
#include <QDialog>
#include <QDockWidget>
#include <QLineEdit>
#include <QListWidget>
#include <QSettings>
#include <QStandardPaths>
#include <QTest>
#include <cmath>
#include <memory>

#include "common/TestFiles.h"
#include "format/DetailOptions.h"
#include "report/ReportRun.h"
#include "tools/DemoLevel.h"
#include "tools/LevelBuilder.h"
#include "ui/BookmarksDock.h"
#include "ui/StructureViews.h"
#include "ui/frmMain.h"
#include "views/BookmarkStore.h"
#include "views/HexView.h"
#include "views/SelectionHistory.h"
#include "views/SpanSelection.h"
#include "views/StrataBar.h"

namespace {

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

BookmarksDock& Bookmarks(frmMain& w) {
    auto* dock = w.findChild<BookmarksDock*>();
    if (!dock)
        qFatal("no Bookmarks dock");
    return *dock;
}

// The window's Add Bookmark dialog, answered with name (the default when empty).
bool AnswerBookmarkDialog(frmMain& w, const QString& name) {
    QDialog* dialog = nullptr;
    for (QDialog* d : w.findChildren<QDialog*>(QStringLiteral("dlgBookmark")))
        if (d->isVisible())
            dialog = d;
    if (!dialog)
        return false;
    if (!name.isEmpty())
        dialog->findChild<QLineEdit*>(QStringLiteral("txtBookmarkName"))->setText(name);
    dialog->accept();
    // The window takes the keys again once the dialog is gone.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return QTest::qWaitForWindowActive(&w);
}

void PressOnFocus(frmMain& w, Qt::Key key, Qt::KeyboardModifiers modifiers) {
    QWidget* focus = QApplication::focusWidget();
    QTest::keyClick(focus ? focus : &w, key, modifiers);
}

} // namespace

class BookmarksTest : public QObject {
    Q_OBJECT
    // The data and settings folders of every window here: a folder of the test's own.
    std::unique_ptr<TempDir> home_;
    std::vector<uint8_t> level_ = levelbuilder::Build(levelbuilder::DemoLevel(2));

  private slots:
    void initTestCase() {
        home_ = std::make_unique<TempDir>();
        qputenv("XDG_DATA_HOME", QByteArray::fromStdString((home_->Path() / "data").string()));
        qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString((home_->Path() / "config").string()));
        QCoreApplication::setOrganizationName(QStringLiteral("StrataViewerBookmarksTests"));
        QCoreApplication::setApplicationName(QStringLiteral("strata-viewer"));
        QVERIFY(BookmarkStore::DefaultFile().startsWith(Q(home_->Path().string())));
    }

    // Steps move the current entry, jumps add one, back and forth restore without recording, and a
    // jump after going back drops the way forward; a new walk empties the history.
    void historyBackForwardAndBranching() {
        TempDir dir;
        AppState state;
        state.TileFolderOverride = dir.Path() / "tiles";
        SetAllDetails(state.DetailOptions, true);
        QCOMPARE(ReportLevelFile(state, dir.Write("level.dm2", level_)), int16_t{0});
        QVERIFY(state.Map.Size() >= 4);
        SpanSelection selection(state);
        SelectionHistory history(selection);
        QObject hexKeys, outline;
        history.AddSteppingSource(&hexKeys);
        QVERIFY(!history.CanGoBack() && !history.CanGoForward());

        selection.SelectOffset(4, &hexKeys);
        selection.SelectOffset(5, &hexKeys); // a step: the same entry, now at byte 5
        QCOMPARE(history.Count(), size_t{1});
        selection.SelectSpan(1, &outline);
        selection.SelectSpan(2, &outline);
        selection.SelectSpan(2, &outline); // no change, no entry
        QCOMPARE(history.Count(), size_t{3});

        struct Move {
            bool Back;
            int32_t Span;   // the span selected after the move (-1: the byte below)
            int64_t Picked; // the byte picked after it
            bool CanBack, CanForward;
        };
        // Span -2: the first entry, a byte picked, whatever span holds it.
        const Move moves[] = {
            {true, 1, -1, true, true},  {true, -2, 5, false, true},  {true, -2, 5, false, true},
            {false, 1, -1, true, true}, {false, 2, -1, true, false}, {false, 2, -1, true, false},
        };
        for (const Move& m : moves) {
            m.Back ? history.Back() : history.Forward();
            if (m.Span != -2)
                QCOMPARE(selection.Span(), m.Span);
            QCOMPARE(selection.PickedOffset(), m.Picked);
            QCOMPARE(history.CanGoBack(), m.CanBack);
            QCOMPARE(history.CanGoForward(), m.CanForward);
            QCOMPARE(history.Count(), size_t{3}); // going back and forth records nothing
        }

        // Back to span 1, then a jump elsewhere: span 2 ahead is gone.
        history.Back();
        QCOMPARE(selection.Span(), 1);
        selection.SelectSpan(3, &outline);
        QCOMPARE(history.Count(), size_t{3});
        QVERIFY(!history.CanGoForward());
        history.Back();
        QCOMPARE(selection.Span(), 1);
        // A step after going back moves that entry and keeps the way forward.
        selection.SelectOffset(state.Map[1].First, &hexKeys);
        QVERIFY(history.CanGoForward());
        history.Forward();
        QCOMPARE(selection.Span(), 3);

        selection.ResetForNewWalk();
        QCOMPARE(history.Count(), size_t{0});
        QVERIFY(!history.CanGoBack());
    }

    // On the real window: Alt+Left and Alt+Right pressed where the focus is, and the mouse's back and
    // forward buttons, walk the jumps of Go to Offset.
    void historyKeysAndMouseButtonsOnTheWindow() {
        TempDir dir;
        AppState state;
        state.ProgramFolder = dir.Path();
        frmMain w(state);
        w.OpenLevel(Q(dir.Write("demo.dm2", level_)));
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        SpanSelection& selection = w.Structure().Selection();
        QVERIFY(w.Structure().GoToOffset(QStringLiteral("0x10")));
        QVERIFY(w.Structure().GoToOffset(QStringLiteral("0x40")));
        QCOMPARE(selection.PickedOffset(), int64_t{0x40});

        PressOnFocus(w, Qt::Key_Left, Qt::AltModifier);
        QCOMPARE(selection.PickedOffset(), int64_t{0x10});
        PressOnFocus(w, Qt::Key_Right, Qt::AltModifier);
        QCOMPARE(selection.PickedOffset(), int64_t{0x40});
        // The same keys where the hex view has the focus, whose plain arrows step.
        w.Structure().Hex()->setFocus();
        QCoreApplication::processEvents();
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w.Structure().Hex()));
        PressOnFocus(w, Qt::Key_Left, Qt::AltModifier);
        QCOMPARE(selection.PickedOffset(), int64_t{0x10});
        PressOnFocus(w, Qt::Key_Right, Qt::NoModifier); // a step: the entry at 0x10 moves to 0x11
        QCOMPARE(selection.PickedOffset(), int64_t{0x11});
        PressOnFocus(w, Qt::Key_Right, Qt::AltModifier);
        QCOMPARE(selection.PickedOffset(), int64_t{0x40});
        PressOnFocus(w, Qt::Key_Left, Qt::AltModifier);
        QCOMPARE(selection.PickedOffset(), int64_t{0x11});
        PressOnFocus(w, Qt::Key_Right, Qt::AltModifier);
        QWidget* bytes = w.Structure().Hex()->viewport();
        QTest::mouseClick(bytes, Qt::BackButton, {}, QPoint(5, 5)); // pressed on a byte, yet no pick
        QCOMPARE(selection.PickedOffset(), int64_t{0x11});
        QTest::mouseClick(bytes, Qt::ForwardButton, {}, QPoint(5, 5));
        QCOMPARE(selection.PickedOffset(), int64_t{0x40});
        QVERIFY(w.close());
    }

    // The store on its own: kept by path and content together, forgotten when emptied, and a damaged
    // file read as holding nothing, then written anew.
    void bookmarkStoreKeepsByPathAndContent() {
        TempDir dir;
        const BookmarkStore store(Q((dir.Path() / "sub" / "bookmarks.json").string()));
        const std::vector<Bookmark> two{{QStringLiteral("Rooms / Room 0"), QColor(0xE0, 0x40, 0x40), 6, 40},
                                        {QStringLiteral("é €"), QColor(0x20, 0xA0, 0xD0), 0, 1}};
        QCOMPARE(store.Save(QStringLiteral("/l/a.dm2"), 1, two), std::string());
        QCOMPARE(store.Save(QStringLiteral("/l/b.dm2"), 1, {two[1]}), std::string());
        const struct {
            const char* Path;
            uint64_t Hash;
            size_t Count;
        } loads[] = {{"/l/a.dm2", 1, 2}, {"/l/a.dm2", 2, 0}, {"/l/b.dm2", 1, 1}, {"/l/c.dm2", 1, 0}};
        for (const auto& l : loads)
            QCOMPARE(store.Load(QString::fromLatin1(l.Path), l.Hash).size(), l.Count);
        const std::vector<Bookmark> back = store.Load(QStringLiteral("/l/a.dm2"), 1);
        QCOMPARE(back[0].Name, two[0].Name);
        QCOMPARE(back[0].Colour, two[0].Colour);
        QCOMPARE(back[0].First, int64_t{6});
        QCOMPARE(back[0].End, int64_t{40});
        QCOMPARE(back[1].Name, two[1].Name);
        QCOMPARE(store.Save(QStringLiteral("/l/a.dm2"), 1, {}), std::string());
        QCOMPARE(store.Load(QStringLiteral("/l/a.dm2"), 1).size(), size_t{0});
        QCOMPARE(store.Load(QStringLiteral("/l/b.dm2"), 1).size(), size_t{1});

        const char* damaged[] = {
            "",
            "{",
            "[1, 2]",
            "{\"version\": 2, \"levels\": []}",
            "{\"version\": 1, \"levels\": 5}",
            "{\"version\": 1, \"levels\": [7, {\"path\": \"/l/a.dm2\", \"hash\": \"0000000000000001\", "
            "\"bookmarks\": [3, {\"first\": \"x\"}, {\"first\": 9, \"end\": 2, \"colour\": \"#ff0000\"}]}]}",
            "\xff\xfe\x00garbage",
        };
        for (const char* text : damaged) {
            const std::string s(text);
            WriteFileAt(store.File().toStdString(), std::vector<uint8_t>(s.begin(), s.end()));
            QCOMPARE(store.Load(QStringLiteral("/l/a.dm2"), 1).size(), size_t{0});
            QCOMPARE(store.Save(QStringLiteral("/l/a.dm2"), 1, two), std::string());
            QCOMPARE(store.Load(QStringLiteral("/l/a.dm2"), 1).size(), size_t{2});
        }
    }

    // Ctrl+B pressed on the window adds a bookmark of the selection; it shows in the dock and under its
    // bytes in the hex view, comes back after a restart for the same file, and not once its content
    // changed. A damaged store opens no bookmarks and is written anew by the next one.
    void bookmarksSavedAndBackForTheSameContentOnly() {
        QSettings().clear();
        TempDir dir;
        const std::string path = dir.Write("demo.dm2", level_);
        int64_t first = 0, end = 0;
        {
            AppState state;
            state.ProgramFolder = dir.Path();
            frmMain w(state);
            BookmarksDock& bookmarks = Bookmarks(w);
            QVERIFY(bookmarks.Dock()->isHidden()); // hidden on a first start
            w.OpenLevel(Q(path));
            w.show();
            QVERIFY(QTest::qWaitForWindowActive(&w));
            w.Structure().Selection().SelectSpan(2, &w);
            first = w.Structure().Selection().Bytes().First;
            end = w.Structure().Selection().Bytes().End;
            QVERIFY(end > first);
            PressOnFocus(w, Qt::Key_B, Qt::ControlModifier);
            QVERIFY(AnswerBookmarkDialog(w, {})); // the default name, the outline's place
            PressOnFocus(w, Qt::Key_B, Qt::ControlModifier);
            QVERIFY(AnswerBookmarkDialog(w, QStringLiteral("second")));
            QCOMPARE(bookmarks.Bookmarks().size(), size_t{2});
            QCOMPARE(bookmarks.List()->count(), 2);
            QCOMPARE(bookmarks.Bookmarks()[0].Name, bookmarks.DefaultName());
            QVERIFY(!bookmarks.DefaultName().isEmpty());
            QCOMPARE(bookmarks.Bookmarks()[0].First, first);
            QCOMPARE(bookmarks.Bookmarks()[0].End, end);
            bookmarks.Rename(0, QStringLiteral("first"), BookmarksDock::Colours()[3]);
            bookmarks.Delete(1);

            // The underline of the bookmark's colour at the foot of its bytes' row.
            HexView& hex = *w.Structure().Hex();
            w.Structure().HexDock()->show();
            hex.ScrollToOffset(first + 16 * 8);
            QCoreApplication::processEvents();
            const QImage shot = hex.viewport()->grab().toImage();
            // A byte after the first (which has the cursor's frame round it) on a row wholly in sight.
            QVERIFY(end - first >= 16 * 9);
            int64_t at = first + 16 * 8 + 1;
            while (hex.ByteRect(at).bottom() >= shot.height() && at - 16 > first)
                at -= 16;
            const QRect cell = hex.ByteRect(at);
            QVERIFY(cell.bottom() < shot.height());
            const QColor under = shot.pixelColor(cell.center().x(), cell.bottom());
            QCOMPARE(under, BookmarksDock::Colours()[3]);
            // On the strata bar, a triangle of that colour standing at the foot where the bytes begin.
            StrataBar& bar = *w.Structure().Strata();
            w.Structure().SetStrataBarShown(true);
            QCoreApplication::processEvents();
            const QImage band = bar.grab().toImage();
            const int x = static_cast<int>(std::lround(bar.Layout().XOf(first)));
            QCOMPARE(band.pixelColor(x, band.height() - 2), BookmarksDock::Colours()[3]);
            bookmarks.Dock()->show();
            QVERIFY(w.close());
        }
        {
            AppState state;
            state.ProgramFolder = dir.Path();
            frmMain w(state);
            BookmarksDock& bookmarks = Bookmarks(w);
            QVERIFY(!bookmarks.Dock()->isHidden()); // its place restored
            w.OpenLevel(Q(path));
            QCOMPARE(bookmarks.Bookmarks().size(), size_t{1});
            QCOMPARE(bookmarks.Bookmarks()[0].Name, QStringLiteral("first"));
            QCOMPARE(bookmarks.Bookmarks()[0].Colour, BookmarksDock::Colours()[3]);
            w.Structure().Selection().Clear(&w);
            bookmarks.GoTo(0);
            QCOMPARE(int64_t{w.Structure().Selection().Bytes().First}, first);
            QCOMPARE(int64_t{w.Structure().Selection().Bytes().End}, end);
            QCOMPARE(w.Structure().Hex()->Bookmarks().size(), size_t{1});
            QVERIFY(w.close());
        }
        {
            // The same path, other bytes: the bookmarks are not this file's.
            std::vector<uint8_t> changed = level_;
            changed.back() ^= 0x5A;
            WriteFileAt(path, changed);
            AppState state;
            state.ProgramFolder = dir.Path();
            frmMain w(state);
            w.OpenLevel(Q(path));
            QCOMPARE(Bookmarks(w).Bookmarks().size(), size_t{0});
            QCOMPARE(Bookmarks(w).List()->count(), 0);
            w.close();
        }
        {
            WriteFileAt(BookmarkStore::DefaultFile().toStdString(), {'{', '"', 0xFF});
            WriteFileAt(path, level_);
            AppState state;
            state.ProgramFolder = dir.Path();
            frmMain w(state);
            w.OpenLevel(Q(path));
            QCOMPARE(Bookmarks(w).Bookmarks().size(), size_t{0});
            w.Structure().Selection().SelectSpan(1, &w);
            QVERIFY(Bookmarks(w).AddBookmark(QStringLiteral("anew"), BookmarksDock::Colours()[0]));
            QCOMPARE(BookmarkStore(BookmarkStore::DefaultFile())
                         .Load(Bookmarks(w).LevelPath(), ContentHash(level_))
                         .size(),
                     size_t{1});
            w.close();
        }
        QSettings().clear();
    }
};

QTEST_MAIN(BookmarksTest)
#include "BookmarksTest.moc"
