// The report pane: its line index and search, selection and copy, and find.
#include <QApplication>
#include <QClipboard>
#include <QTest>

#include "ui/FindNoCase.h"
#include "ui/LineIndex.h"
#include "ui/ReportView.h"

namespace {

QString Q(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

// "line 0", "line 1", ... joined by "\r\n", as report lines are.
std::string NumberedLines(size_t count) {
    std::string text;
    for (size_t i = 0; i < count; ++i)
        text += (i ? "\r\nline " : "line ") + std::to_string(i);
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
    void lineIndex_data();
    void lineIndex();
    void findNoCase();
    void selectionAndCopyGiveTheReportBytes();
    void findSelectsScrollsAndWraps();
};

void ReportViewTest::lineIndex_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<int>("longest");
    QTest::newRow("empty") << QByteArray() << QStringList() << 0;
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
    Pane pane(NumberedLines(1000));
    const LineIndex lines(pane.text);
    QVERIFY(pane.view.Find(QStringLiteral("LINE 900")));
    QCOMPARE(pane.view.SelectedText(), QStringLiteral("line 900"));
    QVERIFY(pane.view.FirstVisibleLine() <= 900 &&
            900 < pane.view.FirstVisibleLine() + pane.view.VisibleLineCount());
    // From the selection on: the next "line 90" starts line 901.
    QVERIFY(pane.view.Find(QStringLiteral("line 90")));
    QCOMPARE(pane.SelectionStart(), lines.Start(901));
    // Past the last occurrence the search wraps round to the top.
    QVERIFY(pane.view.Find(QStringLiteral("line 999")));
    QVERIFY(pane.view.Find(QStringLiteral("line 5")));
    QCOMPARE(pane.SelectionStart(), lines.Start(5));
    QVERIFY(pane.view.FirstVisibleLine() <= 5);
    // Not found: the selection stays.
    QVERIFY(!pane.view.Find(QStringLiteral("no such line")));
    QCOMPARE(pane.SelectionStart(), lines.Start(5));
    // A click sets where the next search starts.
    pane.view.ScrollToOffset(lines.Start(500));
    pane.Press(pane.view.PointOf(lines.Start(500)) + QPoint(1, 2));
    QVERIFY(pane.view.Find(QStringLiteral("line 5")));
    QCOMPARE(pane.SelectionStart(), lines.Start(500));
}

QTEST_MAIN(ReportViewTest)
#include "ReportViewTest.moc"
