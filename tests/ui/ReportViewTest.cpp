// The report pane: its line index and search, selection and copy, and find.
#include <QApplication>
#include <QClipboard>
#include <QScrollBar>
#include <QTest>

#include "ui/FindNoCase.h"
#include "ui/LineIndex.h"
#include "ui/ReportView.h"

namespace {

QString Q(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

// A pane on screen over a text of its own; the text outlives the view, as the view requires.
struct Pane {
    std::string text;
    ReportView view;
    explicit Pane(std::string shown) : text(std::move(shown)) {
        view.resize(400, 300);
        view.ShowText(text);
        view.show();
        if (!QTest::qWaitForWindowExposed(&view))
            qFatal("the pane was not shown");
    }
    // A point inside the character cell of the first occurrence of what.
    QPoint At(std::string_view what) const { return view.PointOf(text.find(what)) + QPoint(1, 2); }
    void Press(QPoint at, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::mousePress(view.viewport(), Qt::LeftButton, modifiers, at);
    }
    size_t SelectionStart() const { return static_cast<size_t>(view.SelectedBytes().data() - text.data()); }
};

} // namespace

class ReportViewTest : public QObject {
    Q_OBJECT
  private slots:
    void lineIndex();
    void findNoCase();
    void selectionAndCopyGiveTheReportBytes();
    void findSelectsScrollsAndWraps();
    void doubleClickSelectsAWordAndTripleClickALine();
    void keysMoveTheCurrentLineAndItShows();
};

void ReportViewTest::lineIndex() {
    struct Case {
        std::string_view Text;
        QStringList Lines;
        size_t Longest;
    };
    for (const Case& c :
         {Case{"", {}, 0}, Case{"ab\r\ncde", {"ab", "cde"}, 3}, Case{"ab\r\n", {"ab", ""}, 2},
          Case{"\r\n\r\n", {"", "", ""}, 0}, Case{"ab\ncd", {"ab", "cd"}, 2},
          Case{"a\rb\r\nc", {"a\rb", "c"}, 3}, Case{"a\r\nbcdef\r\ngh", {"a", "bcdef", "gh"}, 5}}) {
        const LineIndex index(c.Text);
        QCOMPARE(index.LongestLine(), c.Longest);
        QStringList lines;
        for (size_t i = 0; i < index.Count(); ++i) {
            lines << Q(index.Line(i));
            QCOMPARE(index.LineOf(index.Start(i)), i);
            // The break belongs to the line it ends.
            QCOMPARE(index.LineOf(index.Start(i) + index.Line(i).size()), i);
        }
        QCOMPARE(lines, c.Lines);
    }
}

void ReportViewTest::findNoCase() {
    struct Case {
        std::string_view Text, Needle;
        size_t From, Found;
    };
    const size_t none = std::string_view::npos;
    for (const Case& c :
         {Case{"Palette 16 Bits", "bITS", 0, 11}, Case{"ab ab", "ab", 1, 3}, Case{"aaab", "aab", 0, 1},
          Case{"abc", "bcd", 1, none}, Case{"abc", "", 0, none}, Case{"abc", "a", 5, none},
          // Only letters fold: "[" and "{" differ by the same bit as "a" and "A".
          Case{"a[b", "A{B", 0, none}})
        QCOMPARE(FindNoCase(c.Text, c.Needle, c.From), c.Found);
}

void ReportViewTest::selectionAndCopyGiveTheReportBytes() {
    Pane pane("first line\r\nsecond line\r\nthird");
    const QPoint to = pane.view.PointOf(pane.text.find("second") + 6) + QPoint(1, 2);
    pane.Press(pane.At("line"));
    QMouseEvent move(QEvent::MouseMove, to, pane.view.viewport()->mapToGlobal(to), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(pane.view.viewport(), &move);
    QTest::mouseRelease(pane.view.viewport(), Qt::LeftButton, Qt::NoModifier, to);
    QCOMPARE(pane.view.SelectedText(), QStringLiteral("line\r\nsecond"));
    QTest::keyClick(&pane.view, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("line\r\nsecond"));

    // Shift and a click move the selection's end and keep its start; a click past a line's end lands at it.
    pane.Press(pane.At("ird"), Qt::ShiftModifier);
    QCOMPARE(pane.view.SelectedText(), QStringLiteral("line\r\nsecond line\r\nth"));
    pane.Press(pane.view.PointOf(0) + QPoint(300, 2));
    QVERIFY(!pane.view.HasSelection());
    pane.Press(pane.At("second"), Qt::ShiftModifier);
    QCOMPARE(pane.view.SelectedText(), QStringLiteral("\r\n"));
    QTest::keyClick(&pane.view, Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(pane.view.SelectedBytes(), std::string_view(pane.text));
}

void ReportViewTest::findSelectsScrollsAndWraps() {
    std::string text = "line 0"; // "line 0" to "line 999" joined by "\r\n", as report lines are
    for (int i = 1; i < 1000; ++i)
        text += "\r\nline " + std::to_string(i);
    Pane pane(text);
    const LineIndex lines(pane.text);
    QVERIFY(pane.view.Find(QStringLiteral("LINE 900")));
    QCOMPARE(pane.view.SelectedText(), QStringLiteral("line 900"));
    QVERIFY(pane.view.FirstVisibleLine() <= 900 &&
            900 < pane.view.FirstVisibleLine() + pane.view.VisibleLineCount());
    // From the selection on: the next "line 90" starts line 901.
    QVERIFY(pane.view.Find(QStringLiteral("line 90")));
    QCOMPARE(pane.SelectionStart(), lines.Start(901));
    // Past the last occurrence the search wraps round to the top, and says so.
    QCOMPARE(pane.view.Find(QStringLiteral("line 999")), ReportView::kFound);
    QCOMPARE(pane.view.Find(QStringLiteral("line 5")), ReportView::kWrapped);
    QCOMPARE(pane.SelectionStart(), lines.Start(5));
    QVERIFY(pane.view.FirstVisibleLine() <= 5);
    // Backwards: the one before the selection, then round to the bottom.
    const auto back = ReportView::FindDirection::Previous;
    QCOMPARE(pane.view.Find(QStringLiteral("line 5"), back), ReportView::kWrapped);
    QCOMPARE(pane.SelectionStart(), lines.Start(599));
    QCOMPARE(pane.view.Find(QStringLiteral("LINE 5"), back), ReportView::kFound);
    QCOMPARE(pane.SelectionStart(), lines.Start(598));
    QVERIFY(pane.view.FirstVisibleLine() <= 598 &&
            598 < pane.view.FirstVisibleLine() + pane.view.VisibleLineCount());
    QCOMPARE(pane.view.Find(QStringLiteral("line 0"), back), ReportView::kFound);
    QCOMPARE(pane.SelectionStart(), size_t{0});
    // Not found: the selection stays.
    QCOMPARE(pane.view.Find(QStringLiteral("no such line")), ReportView::kNotFound);
    QCOMPARE(pane.view.Find(QStringLiteral("no such line"), back), ReportView::kNotFound);
    QCOMPARE(pane.SelectionStart(), size_t{0});
    QVERIFY(pane.view.Find(QStringLiteral("line 5")));
    QCOMPARE(pane.SelectionStart(), lines.Start(5));
    // A click sets where the next search starts.
    pane.view.ScrollToOffset(lines.Start(500));
    pane.Press(pane.view.PointOf(lines.Start(500)) + QPoint(1, 2));
    QVERIFY(pane.view.Find(QStringLiteral("line 5")));
    QCOMPARE(pane.SelectionStart(), lines.Start(500));
}

void ReportViewTest::doubleClickSelectsAWordAndTripleClickALine() {
    Pane pane("first line\r\n0x704,1796,Texture_Tiles 8\r\nlast");
    QTest::mouseDClick(pane.view.viewport(), Qt::LeftButton, Qt::NoModifier, pane.At("796"));
    QCOMPARE(pane.view.SelectedText(), QStringLiteral("1796"));
    QTest::mouseClick(pane.view.viewport(), Qt::LeftButton, Qt::NoModifier, pane.At("796"));
    QCOMPARE(pane.view.SelectedText(), QStringLiteral("0x704,1796,Texture_Tiles 8"));
    // A double click on a comma takes the comma; a later single click only places the cursor.
    QTest::mouseDClick(pane.view.viewport(), Qt::LeftButton, Qt::NoModifier, pane.At(",1796"));
    QCOMPARE(pane.view.SelectedText(), QStringLiteral(","));
    QTest::mouseDClick(pane.view.viewport(), Qt::LeftButton, Qt::NoModifier, pane.At("ture_"));
    QCOMPARE(pane.view.SelectedText(), QStringLiteral("Texture_Tiles"));
    QTest::mouseClick(pane.view.viewport(), Qt::LeftButton, Qt::NoModifier, pane.At("last"));
    QVERIFY(!pane.view.HasSelection());
}

// Up, Down and the page keys move the current line, select it whole and keep it in sight; the line
// carries a pale band of the highlight colour across the pane.
void ReportViewTest::keysMoveTheCurrentLineAndItShows() {
    std::string text;
    for (int i = 0; i < 200; ++i)
        text += "line " + std::to_string(i) + "\r\n";
    text += "end";
    Pane pane(text);
    ReportView& view = pane.view;
    view.setFocus();
    const size_t page = view.VisibleLineCount() - 1; // a page keeps one line of the last one in sight
    QVERIFY(page > 3);
    struct Step {
        Qt::Key Key;
        size_t Line;
    };
    const Step steps[] = {{Qt::Key_Down, 1},        {Qt::Key_Down, 2},
                          {Qt::Key_Up, 1},          {Qt::Key_Up, 0},
                          {Qt::Key_Up, 0}, // the first line stays
                          {Qt::Key_PageDown, page}, {Qt::Key_PageDown, 2 * page},
                          {Qt::Key_PageUp, page},   {Qt::Key_End, page}, // End scrolls sideways only
                          {Qt::Key_PageUp, 0}};
    int moved = 0;
    connect(&view, &ReportView::CursorMoved, this, [&] { ++moved; });
    for (const Step& step : steps) {
        QTest::keyClick(QApplication::focusWidget(), step.Key);
        QCOMPARE(view.CursorLine(), step.Line);
        QCOMPARE(view.SelectedBytes(), view.Line(step.Line));
        QVERIFY(step.Line >= view.FirstVisibleLine() &&
                step.Line < view.FirstVisibleLine() + view.VisibleLineCount());
    }
    QCOMPARE(moved, 9); // each key once, the Up that stays on the first line too; End moves no line
    // Down on the last line in sight scrolls by one line, not by a page.
    view.ShowLine(0);
    for (size_t i = 0; i < view.VisibleLineCount(); ++i)
        QTest::keyClick(&view, Qt::Key_Down);
    QCOMPARE(view.FirstVisibleLine(), size_t{1});
    QCOMPARE(view.CursorLine(), view.VisibleLineCount());
    // To the last line and past it.
    while (view.CursorLine() < 200)
        QTest::keyClick(&view, Qt::Key_PageDown);
    QTest::keyClick(&view, Qt::Key_PageDown);
    QCOMPARE(view.CursorLine(), size_t{200});
    QCOMPARE(Q(view.SelectedBytes()), QStringLiteral("end"));

    // The band: far right of the current line (no text there) is the highlight at 40/255 over the base;
    // the same place on the next line is the base.
    view.ShowLine(3);
    const QImage shot = view.viewport()->grab().toImage();
    const int y = view.PointOf(text.find("line 3\r")).y() + 2;
    const int x = view.viewport()->width() - 3;
    const QColor base = view.palette().color(QPalette::Base),
                 mark = view.palette().color(QPalette::Highlight);
    const auto blend = [](int under, int over) { return (under * (255 - 40) + over * 40) / 255; };
    const QColor banded = shot.pixelColor(x, y);
    QVERIFY2(std::abs(banded.red() - blend(base.red(), mark.red())) <= 2 &&
                 std::abs(banded.green() - blend(base.green(), mark.green())) <= 2 &&
                 std::abs(banded.blue() - blend(base.blue(), mark.blue())) <= 2,
             qPrintable(banded.name()));
    QCOMPARE(shot.pixelColor(x, y + view.fontMetrics().lineSpacing()), base);

    // A key that moves the line brings the line's start into sight.
    Pane wide(std::string(300, 'w') + "\r\nnext\r\nlast");
    wide.view.setFocus();
    QScrollBar* sideways = wide.view.horizontalScrollBar();
    sideways->setValue(sideways->maximum());
    QVERIFY(sideways->value() > 0);
    QTest::keyClick(&wide.view, Qt::Key_Down);
    QCOMPARE(wide.view.CursorLine(), size_t{1});
    QCOMPARE(sideways->value(), 0);

    // On an empty pane the keys select nothing.
    Pane empty("");
    empty.view.setFocus();
    for (const Qt::Key key : {Qt::Key_Down, Qt::Key_PageDown, Qt::Key_Up, Qt::Key_PageUp})
        QTest::keyClick(&empty.view, key);
    QVERIFY(!empty.view.HasSelection());
}

QTEST_MAIN(ReportViewTest)
#include "ReportViewTest.moc"
