// The byte search in the main window, offscreen, driven by its keys: Ctrl+Shift+F on the focused window
// opens the bar, a pattern typed and Enter select the first hit, F3 and Shift+F3 go on and back round
// the ends; the hex view and the report follow. The hits expected are found in the file's bytes by a
// plain byte-by-byte comparison here.
#include <QApplication>
#include <QComboBox>
#include <QDockWidget>
#include <QLineEdit>
#include <QSettings>
#include <QStandardPaths>
#include <QTest>

#include "common/TestFiles.h"
#include "tools/LevelBuilder.h"
#include "ui/ReportView.h"
#include "ui/StructureViews.h"
#include "ui/frmMain.h"
#include "views/ByteSearchBar.h"
#include "views/HexView.h"
#include "views/SpanSelection.h"

namespace {

// The offsets where the pattern's bytes stand, -1 in the pattern being any byte.
std::vector<int64_t> NaiveHits(const std::vector<uint8_t>& bytes, const std::vector<int>& pattern) {
    std::vector<int64_t> hits;
    for (size_t at = 0; at + pattern.size() <= bytes.size(); ++at) {
        bool match = true;
        for (size_t i = 0; i < pattern.size(); ++i)
            match = match && (pattern[i] < 0 || bytes[at + i] == pattern[i]);
        if (match)
            hits.push_back(static_cast<int64_t>(at));
    }
    return hits;
}

QString HexText(const std::vector<int>& pattern) {
    QStringList parts;
    for (int b : pattern)
        parts << (b < 0 ? QStringLiteral("??")
                        : QStringLiteral("%1").arg(b, 2, 16, QLatin1Char('0')).toUpper());
    return parts.join(QLatin1Char(' '));
}

struct Window {
    TempDir dir;
    AppState state;
    std::unique_ptr<frmMain> main;
    std::vector<uint8_t> bytes;
    Window() {
        state.ProgramFolder = dir.Path();
        main = std::make_unique<frmMain>(state);
    }
    void Open(levelbuilder::Layout& layout) {
        SetAllDetails(state.DetailOptions, true);
        state.DetailOptions.Set(optTextureTiles, false);
        bytes = levelbuilder::Build(levelbuilder::FilledLevel(2), layout);
        main->OpenLevel(QString::fromStdString(dir.Write("level1.dm2", bytes)));
        main->show();
        main->activateWindow();
    }
    QWidget* Focus() const { return QApplication::focusWidget() ? QApplication::focusWidget() : main.get(); }
    ByteSearchBar& Bar() const { return *main->findChild<ByteSearchBar*>(QStringLiteral("barSearchBytes")); }
    QDockWidget& Dock() const { return *main->findChild<QDockWidget*>(QStringLiteral("dckSearchBytes")); }
    SpanSelection& Selection() const { return main->Selection(); }
};

} // namespace

class HexSearchTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() {
        QStandardPaths::setTestModeEnabled(true);
        QCoreApplication::setOrganizationName(QStringLiteral("StrataViewerHexSearchTests"));
        QSettings().clear();
    }
    void ctrlShiftFTypedPatternEnterAndF3SelectTheHits();
    void numbersAndTextAreFoundAndBadPatternsSaid();
    void barIsHiddenOnAFirstStartAndComesBackAfterARestart();
};

void HexSearchTest::ctrlShiftFTypedPatternEnterAndF3SelectTheHits() {
    Window w;
    levelbuilder::Layout layout;
    w.Open(layout);
    QVERIFY(QTest::qWaitForWindowExposed(w.main.get()));
    QVERIFY(w.Dock().isHidden());
    // A pattern from the floor data, its middle byte any byte, found at least three times.
    const auto word = static_cast<size_t>(layout.FloorData + 4);
    const std::vector<int> pattern{w.bytes[word], -1, w.bytes[word + 2]};
    const std::vector<int64_t> hits = NaiveHits(w.bytes, pattern);
    QVERIFY2(hits.size() >= 3, qPrintable(HexText(pattern)));
    QVERIFY(w.main->Structure().GoToOffset(QStringLiteral("0")));

    QTest::keyClick(w.Focus(), Qt::Key_F, Qt::ControlModifier | Qt::ShiftModifier);
    QVERIFY(w.Dock().isVisible() && w.main->Structure().HexDock()->isVisible());
    QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("txtSearchBytes"));
    QTest::keyClicks(w.Focus(), HexText(pattern));
    QTest::keyClick(w.Focus(), Qt::Key_Return);
    const auto count = QString::number(hits.size());
    const auto selected = [&](size_t k) {
        return w.Selection().Bytes().First == hits[k] && w.Selection().Bytes().End == hits[k] + 3 &&
               w.Selection().PickedOffset() == hits[k];
    };
    QVERIFY(selected(0));
    QCOMPARE(w.Bar().ResultText(), QStringLiteral("1 of ") + count);
    // The hex view marks the hit's bytes, the report shows the line over them.
    HexView& hex = *w.main->Structure().Hex();
    QCOMPARE(hex.ShadeOf(hits[0]), HexView::Shade::Selected);
    QCOMPARE(hex.ShadeOf(hits[0] + 2), HexView::Shade::Selected);
    QCOMPARE(hex.ShadeOf(hits[0] + 3), HexView::Shade::Plain);
    auto& pane = *w.main->findChild<ReportView*>(QStringLiteral("rtbOutput"));
    QCOMPARE(static_cast<int32_t>(pane.CursorLine()), w.Selection().Line());

    QTest::keyClick(w.Focus(), Qt::Key_F3);
    QVERIFY(selected(1));
    QCOMPARE(w.Bar().ResultText(), QStringLiteral("2 of ") + count);
    QTest::keyClick(w.Focus(), Qt::Key_F3, Qt::ShiftModifier);
    QVERIFY(selected(0));
    // Back from the first goes round to the last.
    QTest::keyClick(w.Focus(), Qt::Key_F3, Qt::ShiftModifier);
    QVERIFY(selected(hits.size() - 1));
    QCOMPARE(w.Bar().ResultText(),
             count + QStringLiteral(" of ") + count + QStringLiteral(", wrapped to the end"));
    // On from the last goes round to the first; F3 works with the hex view focused too.
    hex.setFocus();
    QTest::keyClick(w.Focus(), Qt::Key_F3);
    QVERIFY(selected(0));
    QCOMPARE(w.Bar().ResultText(),
             QStringLiteral("1 of ") + count + QStringLiteral(", wrapped to the start"));
    // A byte picked elsewhere: the search goes on from there.
    hex.PickByte(hits[1] + 1);
    QTest::keyClick(w.Focus(), Qt::Key_F3);
    QVERIFY(selected(2));

    // In the report pane, F3 stays the report's find: the bytes selected do not move on.
    // (with nothing to find there, it opens the report's find bar).
    QWidget& reportFind = *w.main->findChild<QWidget*>(QStringLiteral("tbrFind"));
    QVERIFY(reportFind.isHidden());
    pane.setFocus();
    QTest::keyClick(w.Focus(), Qt::Key_F3);
    QVERIFY(selected(2));
    QVERIFY(reportFind.isVisible());
    QCOMPARE(w.Bar().ResultText(), QStringLiteral("3 of ") + count);

    // Escape closes the bar.
    w.Bar().Open();
    QTest::keyClick(w.Focus(), Qt::Key_Escape);
    QVERIFY(w.Dock().isHidden());
    // Closed, the bar leaves F3 in the hex view to the report's find.
    reportFind.hide();
    hex.setFocus();
    QTest::keyClick(w.Focus(), Qt::Key_F3);
    QVERIFY(selected(2));
    QVERIFY(reportFind.isVisible());
}

void HexSearchTest::numbersAndTextAreFoundAndBadPatternsSaid() {
    Window w;
    levelbuilder::Layout layout;
    w.Open(layout);
    QVERIFY(QTest::qWaitForWindowExposed(w.main.get()));
    ByteSearchBar& bar = w.Bar();
    struct Case {
        ByteSearchBar::Kind Kind;
        int64_t At; // the bytes there are read as the number to find, by the width's bytes
        int Width;
        bool Signed;
    } cases[] = {
        {ByteSearchBar::S8, layout.FloorData + 4, 1, true},
        {ByteSearchBar::U8, layout.FloorData + 5, 1, false},
        {ByteSearchBar::S16, layout.FloorData + 6, 2, true},
        {ByteSearchBar::U16, layout.MeshData + 2, 2, false},
        {ByteSearchBar::S32, layout.Animations + 4, 4, true},
        {ByteSearchBar::U32, layout.FloorData, 4, false},
    };
    for (const Case& c : cases) {
        uint64_t raw = 0;
        std::vector<int> pattern;
        for (int i = 0; i < c.Width; ++i) {
            raw |= uint64_t{w.bytes[static_cast<size_t>(c.At + i)]} << (8 * i);
            pattern.push_back(w.bytes[static_cast<size_t>(c.At + i)]);
        }
        int64_t value = static_cast<int64_t>(raw);
        if (c.Signed && (raw >> (8 * c.Width - 1)) != 0)
            value -= int64_t{1} << (8 * c.Width);
        const std::vector<int64_t> hits = NaiveHits(w.bytes, pattern);
        w.Selection().Clear(nullptr);
        bar.SetKind(c.Kind);
        bar.SetPatternText(QString::number(value));
        QVERIFY2(bar.FindNext(), qPrintable(QString::number(value)));
        QCOMPARE(w.Selection().Bytes().First, hits.front());
        QCOMPARE(bar.ResultText(), QStringLiteral("1 of %1").arg(hits.size()));
        QVERIFY(bar.FindPrevious()); // from the first hit back round to the last
        QCOMPARE(w.Selection().Bytes().First, hits.back());
    }

    // A text: the bytes of the characters.
    const std::vector<int> text{'O', 'P'};
    const std::vector<int64_t> hits = NaiveHits(w.bytes, text);
    bar.SetKind(ByteSearchBar::Text);
    bar.SetPatternText(QStringLiteral("OP"));
    QCOMPARE(bar.FindNext(), !hits.empty());

    // Bad patterns say why and leave the selection alone.
    w.main->Structure().GoToOffset(QStringLiteral("8"));
    const int64_t before = w.Selection().PickedOffset();
    for (const auto& [kind, typed, says] :
         {std::tuple{ByteSearchBar::S16, "40000", "\"40000\" does not fit in s16 (-32768 to 32767)."},
          std::tuple{ByteSearchBar::Hex, "2D 0", "\"0\" is half a byte"},
          std::tuple{ByteSearchBar::Hex, "?? ??", "at least one byte"},
          std::tuple{ByteSearchBar::Text, "\u0100", "one byte"},
          std::tuple{ByteSearchBar::Hex, "FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF 7E",
                     "Not found"}}) {
        bar.SetKind(kind);
        bar.SetPatternText(QString::fromUtf8(typed));
        QVERIFY(!bar.FindNext());
        QVERIFY2(bar.ResultText().contains(QString::fromUtf8(says)), qPrintable(bar.ResultText()));
        QCOMPARE(w.Selection().PickedOffset(), before);
    }
}

void HexSearchTest::barIsHiddenOnAFirstStartAndComesBackAfterARestart() {
    QSettings().clear();
    {
        Window w;
        w.main->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.main.get()));
        QVERIFY(w.Dock().isHidden());
        QTest::keyClick(w.Focus(), Qt::Key_F, Qt::ControlModifier | Qt::ShiftModifier);
        QVERIFY(w.Dock().isVisible());
        w.main->close(); // remembers the layout
    }
    Window again;
    again.main->show();
    QVERIFY(QTest::qWaitForWindowExposed(again.main.get()));
    QVERIFY(again.Dock().isVisible());
    QSettings().clear();
}

QTEST_MAIN(HexSearchTest)
#include "HexSearchTest.moc"
