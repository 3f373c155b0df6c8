// The hex view's polish: its colours read on a light and a dark palette (contrast ratios measured on
// the pixels of a rendered view), the picked byte stands out of the selection it lies in, and the
// selected bytes copy as hex text, a C array or their report lines, by the plain functions and from the
// main window's hex view by its keys and its context menu. Expected offsets come from the level
// builder's layout, expected bytes from the builder's output and expected lines from the report's text.
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QMenu>
#include <QRegularExpression>
#include <QSettings>
#include <QStandardPaths>
#include <QStatusBar>
#include <QStyle>
#include <QStyleFactory>
#include <QTest>
#include <QTimer>

#include <map>

#include "DarkPalette.h"
#include "common/TestFiles.h"
#include "report/ReportRun.h"
#include "tools/LevelBuilder.h"
#include "ui/StructureViews.h"
#include "ui/frmMain.h"
#include "views/CopyText.h"
#include "views/HexColours.h"
#include "views/HexView.h"
#include "views/SpanSelection.h"

namespace {

std::string OffsetPrefix(int64_t offset) {
    char text[48];
    std::snprintf(text, sizeof text, "0x%llX,%lld,", static_cast<unsigned long long>(offset),
                  static_cast<long long>(offset));
    return text;
}

// A builder-made level walked with every detail on: its bytes, layout and report lines.
struct Walked {
    TempDir dir;
    AppState state;
    levelbuilder::Layout layout;
    std::vector<uint8_t> bytes;
    std::vector<std::string> lines;

    Walked() {
        bytes = levelbuilder::Build(levelbuilder::FilledLevel(2), layout);
        state.TileFolderOverride = dir.Path() / "tiles";
        SetAllDetails(state.DetailOptions, true);
        ReportLevelFile(state, dir.Write("level.dm2", bytes));
        lines = Lines(state.Report.Str());
    }
    int32_t LineStartingAt(int64_t offset) const {
        const std::string prefix = OffsetPrefix(offset);
        for (size_t i = 0; i < lines.size(); ++i)
            if (lines[i].starts_with(prefix))
                return static_cast<int32_t>(i);
        qFatal("no line starts at %s", prefix.c_str());
    }
    // Report lines, as the report has them.
    QString ReportLines(const std::vector<int32_t>& numbers) const {
        QString out;
        for (int32_t i : numbers)
            out += QString::fromStdString(lines.at(static_cast<size_t>(i))) + QStringLiteral("\r\n");
        return out;
    }
    // The first byte of the floor data's words, of room 0's vertex 1, of object texture 1.
    int64_t FloorWords() const { return layout.FloorData + 4; }
    int64_t Vertex() const { return layout.Rooms.at(0) + 16 + 4 + 2 + 12; }
    int64_t ObjectTexture() const { return layout.ObjectTextures + 4 + 20; }
};

std::vector<int32_t> Following(int32_t first, int count) {
    std::vector<int32_t> out;
    for (int i = 0; i < count; ++i)
        out.push_back(first + i);
    return out;
}

const Walked& Level() {
    static const Walked w;
    return w;
}

// The bytes as hex digit pairs, written the simplest way, for comparing with the copy.
QString Digits(const std::vector<uint8_t>& bytes, int64_t first, int64_t end, const char* between,
               const char* lead = "") {
    QStringList out;
    for (int64_t i = first; i < end; ++i)
        out << QString::asprintf("%s%02X", lead, bytes.at(static_cast<size_t>(i)));
    return out.join(QLatin1String(between));
}

// What a rendered cell shows: its most common colour (the background) and the pixel that stands
// farthest from it (the text, solid in the strokes of a large font).
struct CellColours {
    QColor Fill, Ink;
};

CellColours ReadCell(const QImage& image, QRect cell) {
    cell &= image.rect();
    std::map<QRgb, int> counts;
    for (int y = cell.top(); y <= cell.bottom(); ++y)
        for (int x = cell.left(); x <= cell.right(); ++x)
            ++counts[image.pixel(x, y) | 0xFF000000u];
    const auto most = std::max_element(counts.begin(), counts.end(),
                                       [](const auto& a, const auto& b) { return a.second < b.second; });
    CellColours out{QColor(most->first), QColor(most->first)};
    for (const auto& [rgb, n] : counts)
        if (ContrastRatio(QColor(rgb), out.Fill) > ContrastRatio(out.Ink, out.Fill))
            out.Ink = QColor(rgb);
    return out;
}

QPalette LightPalette() {
    return QApplication::style()->standardPalette();
}

// A hex view over the level in a palette, with a large font so that strokes are solid pixels, shown
// and focused, with a byte picked.
struct Rendered {
    SpanSelection selection{Level().state};
    HexView hex{selection};
    Rendered(const QPalette& palette, int64_t picked) {
        hex.setPalette(palette);
        QFont big = HexView::HexFont();
        big.setPixelSize(28);
        hex.setFont(big);
        hex.resize(1500, 560);
        hex.show();
        hex.activateWindow();
        if (!QTest::qWaitForWindowActive(&hex))
            qFatal("the hex view did not become active");
        hex.setFocus();
        hex.PickByte(picked);
    }
    CellColours Cell(int64_t offset) {
        hex.ScrollToOffset(offset);
        // Inside the cell's edges, clear of the neighbours' fills and of the pick's frame.
        return ReadCell(hex.viewport()->grab().toImage(), hex.ByteRect(offset).adjusted(2, 1, -2, -1));
    }
    // The offset column of a byte's row.
    CellColours OffsetsOf(int64_t offset) {
        hex.ScrollToOffset(offset);
        const QRect cell = hex.ByteRect(offset - offset % HexView::kBytesPerRow);
        const QRect column(0, cell.top(), cell.left() - cell.width(), cell.height());
        return ReadCell(hex.viewport()->grab().toImage(), column);
    }
};

} // namespace

Q_DECLARE_METATYPE(std::vector<int32_t>)

class HexPolishTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase();
    void contrastRatiosOfKnownColours_data();
    void contrastRatiosOfKnownColours();
    void everyCellReadsOnLightAndDarkPalettes_data();
    void everyCellReadsOnLightAndDarkPalettes();
    void pickedByteStandsOutOfItsSelection_data();
    void pickedByteStandsOutOfItsSelection();
    void copyTextShapes_data();
    void copyTextShapes();
    void copiesOfALevelsBytes_data();
    void copiesOfALevelsBytes();
    void copiesRefusedForNothingAndForTooMuch();
    void copyFromTheMainWindowsHexView();
};

void HexPolishTest::initTestCase() {
    QStandardPaths::setTestModeEnabled(true);
    QCoreApplication::setOrganizationName(QStringLiteral("StrataViewerHexPolishTests"));
    QSettings().clear();
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
}

// ---- Contrast ----------------------------------------------------------------------------------------

void HexPolishTest::contrastRatiosOfKnownColours_data() {
    QTest::addColumn<QColor>("a");
    QTest::addColumn<QColor>("b");
    QTest::addColumn<double>("ratio");
    // Values from the WCAG definition worked out by hand: (L1 + 0.05) / (L2 + 0.05).
    QTest::newRow("black on white") << QColor(Qt::black) << QColor(Qt::white) << 21.0;
    QTest::newRow("white on black, either order") << QColor(Qt::white) << QColor(Qt::black) << 21.0;
    QTest::newRow("equal colours") << QColor(0x30, 0x8C, 0xC6) << QColor(0x30, 0x8C, 0xC6) << 1.0;
    QTest::newRow("#777777 on white, just short of 4.5")
        << QColor(0x77, 0x77, 0x77) << QColor(Qt::white) << 4.48;
    QTest::newRow("pure red on white") << QColor(Qt::red) << QColor(Qt::white) << 4.0;
    QTest::newRow("pure green on black") << QColor(Qt::green) << QColor(Qt::black) << 15.3;
}

void HexPolishTest::contrastRatiosOfKnownColours() {
    QFETCH(QColor, a);
    QFETCH(QColor, b);
    QFETCH(double, ratio);
    QVERIFY2(std::abs(ContrastRatio(a, b) - ratio) < 0.01, qPrintable(QString::number(ContrastRatio(a, b))));
    // A colour moved to contrast with b reaches 4.5, and one that already does is left alone.
    const QColor moved = ContrastedWith(a, b, 4.5);
    if (ContrastRatio(a, b) >= 4.5)
        QCOMPARE(moved, a);
    else
        QVERIFY(ContrastRatio(moved, b) >= 4.5);
}

void HexPolishTest::everyCellReadsOnLightAndDarkPalettes_data() {
    QTest::addColumn<bool>("dark");
    QTest::addColumn<QString>("cell");
    for (const bool dark : {false, true})
        for (const char* cell : {"plain", "uncovered", "selected", "dim", "picked", "offsets"})
            QTest::addRow("%s, %s", dark ? "dark" : "light", cell) << dark << QString::fromLatin1(cell);
}

// The floor data's word 3 is picked: its line's bytes are selected (word 3's two bytes), the run
// around them dim; the version word is in no chunk; byte 8 is in the first chunk, plain.
void HexPolishTest::everyCellReadsOnLightAndDarkPalettes() {
    QFETCH(bool, dark);
    QFETCH(QString, cell);
    const int64_t word3 = Level().FloorWords() + 6;
    Rendered view(dark ? DarkPalette() : LightPalette(), word3 + 1);
    QCOMPARE(view.hex.ShadeOf(word3), HexView::Shade::Selected);
    QCOMPARE(view.hex.ShadeOf(word3 - 2), HexView::Shade::Dim);
    QCOMPARE(view.hex.ShadeOf(8), HexView::Shade::Plain);
    QCOMPARE(view.hex.ShadeOf(0), HexView::Shade::Uncovered);
    const std::map<QString, int64_t> offsets{
        {"plain", 8}, {"uncovered", 0}, {"selected", word3}, {"dim", word3 - 2}, {"picked", word3 + 1}};
    const CellColours seen =
        cell == QLatin1String("offsets") ? view.OffsetsOf(word3) : view.Cell(offsets.at(cell));
    const double ratio = ContrastRatio(seen.Ink, seen.Fill);
    QVERIFY2(
        ratio >= 4.5,
        qPrintable(
            QStringLiteral("%1 on %2: %3").arg(seen.Ink.name(), seen.Fill.name()).arg(ratio, 0, 'f', 2)));
    // The ink read is the text's solid colour, the one the colours worked out for that cell.
    const QPalette palette = view.hex.palette();
    const HexColours colours = HexColoursFor(palette);
    const std::map<QString, QColor> pens{
        {"plain", colours.Plain.Pen},       {"uncovered", colours.Uncovered.Pen},
        {"selected", colours.Selected.Pen}, {"dim", colours.Dim.Pen},
        {"picked", colours.Picked.Pen},     {"offsets", colours.Offsets}};
    QCOMPARE(seen.Ink.name(), pens.at(cell).name());
    // The backgrounds are the ones the palette leads to: the plain one is the palette's base.
    if (cell == QLatin1String("plain") || cell == QLatin1String("offsets"))
        QCOMPARE(seen.Fill, palette.color(QPalette::Base));
    if (cell == QLatin1String("selected"))
        QVERIFY(ContrastRatio(seen.Fill, palette.color(QPalette::Base)) > 2);
}

void HexPolishTest::pickedByteStandsOutOfItsSelection_data() {
    QTest::addColumn<bool>("dark");
    QTest::newRow("light") << false;
    QTest::newRow("dark") << true;
}

// Byte 5 of a 12-byte vertex is picked: its fill stands apart from the selected bytes on either side
// by at least the 3:1 that WCAG asks of a mark against what lies next to it, and its digits read at
// the stronger 7:1.
void HexPolishTest::pickedByteStandsOutOfItsSelection() {
    QFETCH(bool, dark);
    const int64_t vertex = Level().Vertex();
    Rendered view(dark ? DarkPalette() : LightPalette(), vertex + 5);
    for (int64_t i = vertex; i < vertex + 12; ++i)
        QCOMPARE(view.hex.ShadeOf(i), HexView::Shade::Selected);
    const CellColours picked = view.Cell(vertex + 5);
    QVERIFY2(ContrastRatio(picked.Ink, picked.Fill) >= 7,
             qPrintable(picked.Ink.name() + QLatin1String(" on ") + picked.Fill.name()));
    for (const int64_t beside : {vertex + 4, vertex + 6}) {
        const CellColours selected = view.Cell(beside);
        QVERIFY2(ContrastRatio(picked.Fill, selected.Fill) >= 3,
                 qPrintable(picked.Fill.name() + QLatin1String(" beside ") + selected.Fill.name()));
    }
    // Picking another byte of the same record moves the mark: the old place is selected again.
    view.hex.PickByte(vertex + 6);
    QCOMPARE(view.Cell(vertex + 5).Fill, view.Cell(vertex + 4).Fill);
    QCOMPARE(view.Cell(vertex + 6).Fill, picked.Fill);
}

// ---- Copy --------------------------------------------------------------------------------------------

void HexPolishTest::copyTextShapes_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("hex");
    QTest::addColumn<QString>("array");
    QTest::newRow("four bytes") << QByteArray("\x2D\x00\x00\x00", 4) << QStringLiteral("2D 00 00 00")
                                << QStringLiteral("const unsigned char data[4] = {0x2D, 0x00, 0x00, 0x00};");
    QTest::newRow("one byte") << QByteArray("\xFF", 1) << QStringLiteral("FF")
                              << QStringLiteral("const unsigned char data[1] = {0xFF};");
    QTest::newRow("seventeen bytes: a second line")
        << QByteArray("0123456789abcdefZ")
        << QStringLiteral("30 31 32 33 34 35 36 37 38 39 61 62 63 64 65 66\n5A")
        << QStringLiteral("const unsigned char data[17] = {\n"
                          "    0x30, 0x31, 0x32, 0x33, 0x34, 0x35, 0x36, 0x37, 0x38, 0x39, 0x61, 0x62, 0x63, "
                          "0x64, 0x65, 0x66,\n"
                          "    0x5A,\n"
                          "};");
}

void HexPolishTest::copyTextShapes() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, hex);
    QFETCH(QString, array);
    const std::span<const uint8_t> span(reinterpret_cast<const uint8_t*>(bytes.constData()),
                                        static_cast<size_t>(bytes.size()));
    QCOMPARE(HexText(span), hex);
    QCOMPARE(CArrayText(span), array);
}

void HexPolishTest::copiesOfALevelsBytes_data() {
    QTest::addColumn<int64_t>("first");
    QTest::addColumn<int64_t>("end");
    QTest::addColumn<std::vector<int32_t>>("lines"); // the report lines expected
    const Walked& w = Level();
    QTest::newRow("a floor data word: its line")
        << w.FloorWords() + 6 << w.FloorWords() + 8 << std::vector{w.LineStartingAt(w.FloorWords() + 6)};
    QTest::newRow("a vertex: its line")
        << w.Vertex() << w.Vertex() + 12 << std::vector{w.LineStartingAt(w.Vertex())};
    QTest::newRow("half a vertex: still its line")
        << w.Vertex() + 6 << w.Vertex() + 12 << std::vector{w.LineStartingAt(w.Vertex())};
    QTest::newRow("an object texture: the four lines it takes")
        << w.ObjectTexture() << w.ObjectTexture() + 20 << Following(w.LineStartingAt(w.ObjectTexture()), 4);
    // The column header line between the summary line and the words describes no bytes: left out.
    QTest::newRow("the floor data's count and two words: the summary line and two word lines")
        << int64_t{w.layout.FloorData} << w.FloorWords() + 4
        << std::vector{w.LineStartingAt(w.layout.FloorData), w.LineStartingAt(w.FloorWords()),
                       w.LineStartingAt(w.FloorWords() + 2)};
}

void HexPolishTest::copiesOfALevelsBytes() {
    QFETCH(int64_t, first);
    QFETCH(int64_t, end);
    QFETCH(std::vector<int32_t>, lines);
    const Walked& w = Level();
    const auto copy = [&](CopyFormat format) {
        const CopiedText c =
            CopyBytes(format, w.state.Level->Bytes(), w.state.Map, w.state.Report.Str(), first, end);
        if (!c.Refusal.isEmpty())
            qFatal("refused: %s", qPrintable(c.Refusal));
        return c.Text;
    };
    const int64_t n = end - first;
    QCOMPARE(copy(CopyFormat::HexText),
             Digits(w.bytes, first, std::min(end, first + 16), " ") +
                 (n > 16 ? "\n" + Digits(w.bytes, first + 16, end, " ") : QString()));
    const QString array = copy(CopyFormat::CArray);
    QVERIFY(array.startsWith(QStringLiteral("const unsigned char data[%1] = {").arg(n)));
    QVERIFY(array.endsWith(QLatin1String("};")));
    QString digits = array.mid(array.indexOf(QLatin1Char('{')) + 1);
    digits.remove(QRegularExpression(QStringLiteral("[\\s}{;]")))
        .remove(QRegularExpression(QStringLiteral(",$")));
    QCOMPARE(digits, Digits(w.bytes, first, end, ",", "0x"));
    QCOMPARE(copy(CopyFormat::ReportLines), w.ReportLines(lines));
}

void HexPolishTest::copiesRefusedForNothingAndForTooMuch() {
    const Walked& w = Level();
    const auto copy = [&](int64_t first, int64_t end) {
        return CopyBytes(CopyFormat::HexText, w.state.Level->Bytes(), w.state.Map, w.state.Report.Str(),
                         first, end);
    };
    QVERIFY(!copy(10, 10).Refusal.isEmpty());
    QVERIFY(copy(10, 10).Text.isEmpty());
    QVERIFY(!copy(w.state.Level->Size(), w.state.Level->Size() + 4).Refusal.isEmpty()); // past the end
    QVERIFY(copy(0, kMaxCopyBytes).Refusal.isEmpty());
    QCOMPARE(copy(0, kMaxCopyBytes).Text.size(), 3 * kMaxCopyBytes - 1);
    const CopiedText tooMuch = copy(0, kMaxCopyBytes + 1);
    QVERIFY(tooMuch.Text.isEmpty());
    QVERIFY2(tooMuch.Refusal.contains(QLocale().toString(kMaxCopyBytes + 1)), qPrintable(tooMuch.Refusal));
    // Bytes no report line describes (the version word) have no lines to copy.
    QVERIFY(
        !CopyBytes(CopyFormat::ReportLines, w.state.Level->Bytes(), w.state.Map, w.state.Report.Str(), 0, 4)
             .Refusal.isEmpty());
}

// In the main window: a vertex picked in the hex view, which has the focus; Ctrl+C, Ctrl+Shift+C and
// Ctrl+Alt+C put the three copies on the clipboard, the context menu's items too; a chunk too large is
// refused on the status bar and leaves the clipboard alone.
void HexPolishTest::copyFromTheMainWindowsHexView() {
    QSettings().clear();
    TempDir dir;
    AppState state;
    state.ProgramFolder = dir.Path();
    frmMain main(state);
    SetAllDetails(state.DetailOptions, true);
    levelbuilder::Layout layout;
    const std::vector<uint8_t> bytes = levelbuilder::Build(levelbuilder::FilledLevel(2), layout);
    main.OpenLevel(QString::fromStdString(dir.Write("level1.dm2", bytes)));
    main.show();
    main.Structure().ShowAll();
    main.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&main));
    HexView& hex = *main.Structure().Hex();
    hex.setFocus();
    QVERIFY(hex.hasFocus());
    const int64_t vertex = layout.Rooms.at(0) + 16 + 4 + 2 + 12;
    hex.PickByte(vertex + 5);
    const std::vector<std::string> lines = Lines(state.Report.Str());
    const auto line = std::find_if(lines.begin(), lines.end(),
                                   [&](const std::string& l) { return l.starts_with(OffsetPrefix(vertex)); });
    QVERIFY(line != lines.end());

    QClipboard& clipboard = *QGuiApplication::clipboard();
    const QString hexText = Digits(bytes, vertex, vertex + 12, " ");
    const QString array = QStringLiteral("const unsigned char data[12] = {%1};")
                              .arg(Digits(bytes, vertex, vertex + 12, ", ", "0x"));
    const QString reportLine = QString::fromStdString(*line) + QStringLiteral("\r\n");
    for (const auto& [modifiers, expected] : {std::pair{Qt::KeyboardModifiers(Qt::ControlModifier), hexText},
                                              {Qt::ControlModifier | Qt::ShiftModifier, array},
                                              {Qt::ControlModifier | Qt::AltModifier, reportLine}}) {
        clipboard.clear();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_C, modifiers);
        QCOMPARE(clipboard.text(), expected);
    }

    // The context menu, opened as a right click opens it; its item is chosen once it shows.
    for (const auto& [name, expected] :
         {std::pair{"actCopyHex", hexText}, {"actCopyCArray", array}, {"actCopyReportLines", reportLine}}) {
        clipboard.clear();
        bool chosen = false;
        QTimer::singleShot(0, &hex, [&, name = name] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (!menu)
                return;
            if (auto* action = menu->findChild<QAction*>(QString::fromLatin1(name))) {
                chosen = action->isEnabled();
                action->trigger();
            }
            menu->close();
        });
        const QPoint at = hex.ByteRect(vertex + 5).center();
        QContextMenuEvent right(QContextMenuEvent::Mouse, at, hex.viewport()->mapToGlobal(at));
        QApplication::sendEvent(hex.viewport(), &right);
        QVERIFY(chosen);
        QCOMPARE(clipboard.text(), expected);
    }

    // The largest chunk is more than a copy takes: refused on the status bar, the clipboard kept.
    const WalkMap& map = state.Map;
    int32_t largest = -1;
    for (int32_t i : map.TopLevel())
        if (largest < 0 || map[i].End - map[i].First > map[largest].End - map[largest].First)
            largest = i;
    QVERIFY(map[largest].End - map[largest].First > kMaxCopyBytes);
    main.activateWindow(); // back from the menus
    QVERIFY(QTest::qWaitForWindowActive(&main));
    hex.setFocus();
    main.Selection().SelectSpan(largest, nullptr);
    clipboard.setText(QStringLiteral("kept"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(clipboard.text(), QStringLiteral("kept"));
    QVERIFY2(main.statusBar()->currentMessage().contains(QLatin1String("more than")),
             qPrintable(main.statusBar()->currentMessage()));
    QSettings().clear();
}

QTEST_MAIN(HexPolishTest)
#include "HexPolishTest.moc"
