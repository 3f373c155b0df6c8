// The report pane: its line index, character columns and search, then the view itself: selection and
// copy, find, scrolling by keys, wheel and drag, and the painted selection.
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QMenu>
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>

#include "ui/FindNoCase.h"
#include "ui/LineIndex.h"
#include "ui/ReportView.h"
#include "ui/TextColumns.h"

namespace {

QString Q(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

// "line 0", "line 1", ... joined by "\r\n", as report lines are.
std::string NumberedLines(size_t count) {
    std::string text;
    for (size_t i = 0; i < count; ++i) {
        if (i)
            text += "\r\n";
        text += "line " + std::to_string(i);
    }
    return text;
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
    // A point inside the character cell at offset.
    QPoint At(size_t offset) const { return view.PointOf(offset) + QPoint(1, 2); }
    size_t OffsetOf(std::string_view what) const { return text.find(what); }
    void Press(QPoint at, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::mousePress(view.viewport(), Qt::LeftButton, modifiers, at);
    }
    void DragTo(QPoint at) {
        QMouseEvent move(QEvent::MouseMove, at, view.viewport()->mapToGlobal(at), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(view.viewport(), &move);
    }
    void Release(QPoint at) { QTest::mouseRelease(view.viewport(), Qt::LeftButton, Qt::NoModifier, at); }
    size_t SelectionStart() const { return static_cast<size_t>(view.SelectedBytes().data() - text.data()); }
    size_t LastVisibleLine() const { return view.FirstVisibleLine() + view.VisibleLineCount() - 1; }
};

QAction* MenuAction(QMenu& menu, const char* name) {
    QAction* found = menu.findChild<QAction*>(QString::fromLatin1(name));
    if (!found)
        qFatal("no action named %s", name);
    return found;
}

} // namespace

class ReportViewTest : public QObject {
    Q_OBJECT
  private slots:
    void lineIndex_data();
    void lineIndex();
    void lineIndexOfAMillionLines();
    void charactersTakeOneColumnEach();
    void findNoCase_data();
    void findNoCase();

    void dragSelectsAndCopyGivesTheReportBytes();
    void draggingPastTheBottomScrollsOn();
    void selectAllAndTheContextMenu();
    void findSelectsScrollsAndWraps();
    void keysAndWheelScroll();
    void longLinesScrollSideways();
    void selectionIsPaintedWhereItIs();
    void emptyPaneHasNothingToSelectOrFind();
};

void ReportViewTest::lineIndex_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<int>("longest");
    QTest::newRow("empty") << QByteArray() << QStringList() << 0;
    QTest::newRow("one line") << QByteArray("abc") << QStringList{"abc"} << 3;
    QTest::newRow("no final break") << QByteArray("ab\r\ncde") << QStringList{"ab", "cde"} << 3;
    QTest::newRow("final break") << QByteArray("ab\r\n") << QStringList{"ab", ""} << 2;
    QTest::newRow("blank lines") << QByteArray("\r\n\r\n") << QStringList{"", "", ""} << 0;
    QTest::newRow("bare line feed") << QByteArray("ab\ncd") << QStringList{"ab", "cd"} << 2;
    QTest::newRow("carriage return inside a line")
        << QByteArray("a\rb\r\nc") << QStringList{"a\rb", "c"} << 3;
    QTest::newRow("longest in the middle")
        << QByteArray("a\r\nbcdef\r\ngh") << QStringList{"a", "bcdef", "gh"} << 5;
}

void ReportViewTest::lineIndex() {
    QFETCH(QByteArray, text);
    QFETCH(QStringList, lines);
    QFETCH(int, longest);
    const std::string_view bytes(text.constData(), static_cast<size_t>(text.size()));
    const LineIndex index(bytes);
    QCOMPARE(index.Count(), static_cast<size_t>(lines.size()));
    QCOMPARE(index.LongestLine(), static_cast<size_t>(longest));
    for (size_t i = 0; i < index.Count(); ++i) {
        QCOMPARE(Q(index.Line(i)), lines[static_cast<qsizetype>(i)]);
        QCOMPARE(index.LineOf(index.Start(i)), i);
        // The break belongs to the line it ends.
        QCOMPARE(index.LineOf(index.Start(i) + index.Line(i).size()), i);
    }
    if (index.Count())
        QCOMPARE(index.LineOf(bytes.size()), index.Count() - 1);
}

void ReportViewTest::lineIndexOfAMillionLines() {
    const std::string text = NumberedLines(1000000);
    const LineIndex index(text);
    QCOMPARE(index.Count(), size_t{1000000});
    QCOMPARE(Q(index.Line(0)), QStringLiteral("line 0"));
    QCOMPARE(Q(index.Line(999999)), QStringLiteral("line 999999"));
    QCOMPARE(index.LineOf(index.Start(500000) + 3), size_t{500000});
    QCOMPARE(index.LongestLine(), std::string_view("line 999999").size());
}

void ReportViewTest::charactersTakeOneColumnEach() {
    const std::string_view line = "a\xC3\xA9"
                                  "b"; // a, e acute in two bytes, b
    QCOMPARE(ColumnOfByte(line, 1), size_t{1});
    QCOMPARE(ColumnOfByte(line, 3), size_t{2});
    QCOMPARE(ByteOfColumn(line, 1), size_t{1});
    QCOMPARE(ByteOfColumn(line, 2), size_t{3});
    QCOMPARE(ByteOfColumn(line, 9), line.size());
}

void ReportViewTest::findNoCase_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("needle");
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("found");
    QTest::newRow("same case") << QByteArray("Palette 16 bits") << QByteArray("16") << 0 << 8;
    QTest::newRow("other case") << QByteArray("Palette 16 Bits") << QByteArray("bITS") << 0 << 11;
    QTest::newRow("from skips earlier ones") << QByteArray("ab ab") << QByteArray("ab") << 1 << 3;
    QTest::newRow("at the very end") << QByteArray("xyzab") << QByteArray("AB") << 0 << 3;
    QTest::newRow("repeated prefix") << QByteArray("aaab") << QByteArray("aab") << 0 << 1;
    QTest::newRow("not there") << QByteArray("abc") << QByteArray("abd") << 0 << -1;
    QTest::newRow("longer than the rest") << QByteArray("abc") << QByteArray("bcd") << 1 << -1;
    QTest::newRow("empty needle") << QByteArray("abc") << QByteArray() << 0 << -1;
    QTest::newRow("from past the end") << QByteArray("abc") << QByteArray("a") << 5 << -1;
    // Only letters fold: "[" and "{" differ by the same bit as "a" and "A", but are not one character.
    QTest::newRow("brackets are not letters") << QByteArray("a[b") << QByteArray("A{B") << 0 << -1;
}

void ReportViewTest::findNoCase() {
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, needle);
    QFETCH(int, from);
    QFETCH(int, found);
    const size_t at = FindNoCase(std::string_view(text.constData(), static_cast<size_t>(text.size())),
                                 std::string_view(needle.constData(), static_cast<size_t>(needle.size())),
                                 static_cast<size_t>(from));
    QCOMPARE(at == std::string_view::npos ? -1 : static_cast<int>(at), found);
}

void ReportViewTest::dragSelectsAndCopyGivesTheReportBytes() {
    Pane pane("first line\r\nsecond line\r\nthird");
    const size_t from = pane.OffsetOf("line");
    const size_t to = pane.OffsetOf("second") + 6;
    pane.Press(pane.At(from));
    pane.DragTo(pane.At(to));
    pane.Release(pane.At(to));
    QCOMPARE(pane.view.SelectedText(), QStringLiteral("line\r\nsecond"));

    QTest::keyClick(&pane.view, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("line\r\nsecond"));

    // Shift and a click move the selection's end and keep its start.
    pane.Press(pane.At(pane.OffsetOf("ird")), Qt::ShiftModifier);
    QCOMPARE(pane.view.SelectedText(), QStringLiteral("line\r\nsecond line\r\nth"));
    // A click past a line's end lands at its end.
    pane.Press(pane.view.PointOf(pane.OffsetOf("first")) + QPoint(300, 2));
    QVERIFY(!pane.view.HasSelection());
    pane.Press(pane.At(pane.OffsetOf("second")), Qt::ShiftModifier);
    QCOMPARE(pane.view.SelectedText(), QStringLiteral("\r\n"));
}

void ReportViewTest::draggingPastTheBottomScrollsOn() {
    Pane pane(NumberedLines(200));
    pane.Press(pane.At(0));
    pane.DragTo(QPoint(10, pane.view.viewport()->height() + 2));
    QCOMPARE(pane.view.FirstVisibleLine(), size_t{1});
    pane.DragTo(QPoint(10, pane.view.viewport()->height() + 2));
    QCOMPARE(pane.view.FirstVisibleLine(), size_t{2});
    const std::string_view selected = pane.view.SelectedBytes();
    QVERIFY(selected.starts_with("line 0\r\n"));
    QVERIFY(LineIndex(selected).Count() == pane.LastVisibleLine() + 1);
}

void ReportViewTest::selectAllAndTheContextMenu() {
    Pane pane(NumberedLines(5));
    {
        std::unique_ptr<QMenu> menu(pane.view.CreateContextMenu());
        QVERIFY(!MenuAction(*menu, "actCopy")->isEnabled());
        QVERIFY(MenuAction(*menu, "actSelectAll")->isEnabled());
        MenuAction(*menu, "actSelectAll")->trigger();
    }
    QCOMPARE(pane.view.SelectedBytes(), std::string_view(pane.text));
    {
        std::unique_ptr<QMenu> menu(pane.view.CreateContextMenu());
        QVERIFY(MenuAction(*menu, "actCopy")->isEnabled());
        MenuAction(*menu, "actCopy")->trigger();
    }
    QCOMPARE(QGuiApplication::clipboard()->text(), Q(pane.text));

    pane.Press(pane.At(3));
    QVERIFY(!pane.view.HasSelection());
    QTest::keyClick(&pane.view, Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(pane.view.SelectedBytes(), std::string_view(pane.text));
}

void ReportViewTest::findSelectsScrollsAndWraps() {
    Pane pane(NumberedLines(1000));
    QVERIFY(pane.view.Find(QStringLiteral("LINE 900")));
    QCOMPARE(pane.view.SelectedText(), QStringLiteral("line 900"));
    QVERIFY(pane.view.FirstVisibleLine() <= 900 && 900 <= pane.LastVisibleLine());

    // From the selection on: the next "line 90" starts line 901.
    const LineIndex lines(pane.text);
    QVERIFY(pane.view.Find(QStringLiteral("line 90")));
    QCOMPARE(pane.SelectionStart(), lines.Start(901));

    // Past the last occurrence the search wraps round to the top.
    QVERIFY(pane.view.Find(QStringLiteral("line 999")));
    QVERIFY(pane.view.Find(QStringLiteral("line 5")));
    QCOMPARE(pane.SelectionStart(), lines.Start(5));
    QVERIFY(pane.view.FirstVisibleLine() <= 5);

    // Not found: the selection stays.
    QVERIFY(!pane.view.Find(QStringLiteral("no such line")));
    QVERIFY(!pane.view.Find(QString()));
    QCOMPARE(pane.SelectionStart(), lines.Start(5));

    // A click sets where the next search starts.
    pane.view.ScrollToOffset(lines.Start(500));
    pane.Press(pane.At(lines.Start(500)));
    QVERIFY(pane.view.Find(QStringLiteral("line 5")));
    QCOMPARE(pane.SelectionStart(), lines.Start(500));
}

void ReportViewTest::keysAndWheelScroll() {
    Pane pane(NumberedLines(1000));
    const size_t page = pane.view.VisibleLineCount();
    QVERIFY(page > 1);
    QTest::keyClick(&pane.view, Qt::Key_PageDown);
    QCOMPARE(pane.view.FirstVisibleLine(), page);
    QTest::keyClick(&pane.view, Qt::Key_Down);
    QCOMPARE(pane.view.FirstVisibleLine(), page + 1);
    QTest::keyClick(&pane.view, Qt::Key_Up);
    QTest::keyClick(&pane.view, Qt::Key_PageUp);
    QCOMPARE(pane.view.FirstVisibleLine(), size_t{0});

    QTest::keyClick(&pane.view, Qt::Key_End, Qt::ControlModifier);
    QCOMPARE(pane.LastVisibleLine(), size_t{999});
    QCOMPARE(Q(pane.view.Line(pane.LastVisibleLine())), QStringLiteral("line 999"));
    QTest::keyClick(&pane.view, Qt::Key_Home, Qt::ControlModifier);
    QCOMPARE(pane.view.FirstVisibleLine(), size_t{0});

    const QPointF inside(20, 20);
    QWheelEvent wheel(inside, pane.view.viewport()->mapToGlobal(inside), QPoint(), QPoint(0, -120),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(pane.view.viewport(), &wheel);
    QVERIFY(pane.view.FirstVisibleLine() > 0);
}

void ReportViewTest::longLinesScrollSideways() {
    Pane pane("short\r\n" + std::string(500, 'x') + "END");
    QScrollBar* bar = pane.view.horizontalScrollBar();
    QVERIFY(bar->maximum() > 0);
    // Lines are never wrapped.
    QCOMPARE(pane.view.LineCount(), size_t{2});

    QTest::keyClick(&pane.view, Qt::Key_End);
    QCOMPARE(bar->value(), bar->maximum());
    QVERIFY(pane.view.PointOf(pane.text.size()).x() < pane.view.viewport()->width());
    QTest::keyClick(&pane.view, Qt::Key_Home);
    QCOMPARE(bar->value(), 0);

    // A match beyond the right edge is scrolled into sight.
    QVERIFY(pane.view.Find(QStringLiteral("end")));
    const int x = pane.view.PointOf(pane.OffsetOf("END")).x();
    QVERIFY(x >= 0 && x < pane.view.viewport()->width());
    QVERIFY(bar->value() > 0);
}

// Highlighted pixels show the selection on its own line; a selected break adds a column behind the line.
void ReportViewTest::selectionIsPaintedWhereItIs() {
    Pane pane("aaaa\r\nbbbb\r\ncccc");
    const LineIndex lines(pane.text);
    const int lineHeight = pane.view.PointOf(lines.Start(1)).y() - pane.view.PointOf(lines.Start(0)).y();
    const int lineEndX = pane.view.PointOf(lines.Start(1) + 4).x() + 1;
    const QRgb highlight = pane.view.palette().color(QPalette::Highlight).rgb();
    // Highlighted pixels of a line from x on.
    const auto highlighted = [&](size_t line, int fromX) {
        const QImage image = pane.view.viewport()->grab().toImage();
        const int top = pane.view.PointOf(lines.Start(line)).y();
        int count = 0;
        for (int y = top; y < top + lineHeight; ++y)
            for (int x = fromX; x < image.width(); ++x)
                count += image.pixel(x, y) == highlight;
        return count;
    };

    pane.view.Select(lines.Start(1), lines.Start(1) + 4);
    QVERIFY(highlighted(1, 0) > 0);
    QCOMPARE(highlighted(1, lineEndX), 0);
    QCOMPARE(highlighted(0, 0), 0);
    QCOMPARE(highlighted(2, 0), 0);

    pane.view.Select(lines.Start(1), lines.Start(2));
    QVERIFY(highlighted(1, lineEndX) > 0);
    QCOMPARE(highlighted(2, 0), 0);
}

void ReportViewTest::emptyPaneHasNothingToSelectOrFind() {
    Pane pane("");
    QCOMPARE(pane.view.LineCount(), size_t{0});
    QVERIFY(!pane.view.Find(QStringLiteral("a")));
    QTest::keyClick(&pane.view, Qt::Key_A, Qt::ControlModifier);
    QVERIFY(!pane.view.HasSelection());
    pane.Press(QPoint(30, 30));
    QVERIFY(!pane.view.HasSelection());
    QVERIFY(!pane.view.viewport()->grab().isNull());
}

QTEST_MAIN(ReportViewTest)
#include "ReportViewTest.moc"
