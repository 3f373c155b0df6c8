// The structure views over the walk map: which bytes the hex view highlights for a line, which line a
// byte selects, the outline's tree and marks, the strata bar's widths and end mark, Go to Offset, and
// the one selection the report pane, the outline and the hex view follow in the main window.
// Expected offsets come from the level builder's layout, not from the walk map under test.
#include <QAbstractItemModelTester>
#include <QApplication>
#include <QDockWidget>
#include <QLabel>
#include <QMenuBar>
#include <QSettings>
#include <QStandardPaths>
#include <QTest>

#include "common/TestFiles.h"
#include "format/Fault.h"
#include "report/ReportRun.h"
#include "tools/LevelBuilder.h"
#include "ui/ReportView.h"
#include "ui/StructureViews.h"
#include "ui/frmMain.h"
#include "views/ByteInfo.h"
#include "views/HexView.h"
#include "views/OffsetText.h"
#include "views/OutlineModel.h"
#include "views/OutlinePane.h"
#include "views/SpanSelection.h"
#include "views/StrataBar.h"

namespace {

using Shade = HexView::Shade;

std::string OffsetPrefix(int64_t offset) {
    char text[48];
    std::snprintf(text, sizeof text, "0x%llX,%lld,", static_cast<unsigned long long>(offset),
                  static_cast<long long>(offset));
    return text;
}

// A builder-made level walked with every detail on, and its report's lines.
struct Walked {
    TempDir dir;
    AppState state;
    levelbuilder::Layout layout;
    std::vector<std::string> lines;
    int16_t status = 0;

    explicit Walked(const levelbuilder::Level& level = levelbuilder::FilledLevel(2), int64_t keep = -1) {
        std::vector<uint8_t> bytes = levelbuilder::Build(level, layout);
        if (keep >= 0)
            bytes.resize(static_cast<size_t>(keep));
        state.TileFolderOverride = dir.Path() / "tiles";
        SetAllDetails(state.DetailOptions, true);
        status = ReportLevelFile(state, dir.Write("level.dm2", bytes));
        lines = Lines(state.Report.Str());
    }
    // The report line that starts with the offset's two columns ("0x..,decimal,").
    int32_t LineStartingAt(int64_t offset) const {
        const std::string prefix = OffsetPrefix(offset);
        for (size_t i = 0; i < lines.size(); ++i)
            if (lines[i].starts_with(prefix))
                return static_cast<int32_t>(i);
        qFatal("no line starts at %s", prefix.c_str());
    }
    int32_t LineContaining(const std::string& text) const {
        for (size_t i = 0; i < lines.size(); ++i)
            if (lines[i].find(text) != std::string::npos)
                return static_cast<int32_t>(i);
        qFatal("no line holds %s", text.c_str());
    }
    int64_t Size() const { return state.Level->Size(); }
};

// The offsets of each shade the hex view gives bytes in [from, to).
std::vector<int64_t> BytesShaded(const HexView& hex, Shade shade, int64_t from, int64_t to) {
    std::vector<int64_t> out;
    for (int64_t i = from; i < to; ++i)
        if (hex.ShadeOf(i) == shade)
            out.push_back(i);
    return out;
}

std::vector<int64_t> Range(int64_t from, int64_t to) {
    std::vector<int64_t> out;
    for (int64_t i = from; i < to; ++i)
        out.push_back(i);
    return out;
}

// A level whose walk ends with an overflow in the items chunk, so the bytes behind it are never reached.
levelbuilder::Level CutLevel() {
    levelbuilder::Level level = levelbuilder::FilledLevel(2);
    level.Items.Count = 0x7FFFFFFF;
    return level;
}

bool AnyDetail(const DetailOptionSet& options) {
    return std::any_of(options.Value.begin(), options.Value.end(), [](int16_t v) { return v != 0; });
}

int32_t TopLevelSpan(const WalkMap& map, Piece what) {
    for (int32_t i : map.TopLevel())
        if (map[i].What == what)
            return i;
    return -1;
}

} // namespace

class StructureViewsTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase();

    // Hex view
    void hexViewHighlightsWhatALineDescribes_data();
    void hexViewHighlightsWhatALineDescribes();
    void hexViewByteSelectsTheMostSpecificLine_data();
    void hexViewByteSelectsTheMostSpecificLine();
    void hexViewShadesBytesNoChunkCovers();
    void hexViewClicksKeysAndTooltip();
    void hexViewKeysKeepTheCursorInSight();
    void goToOffsetParsing_data();
    void goToOffsetParsing();

    // Outline
    void outlineListsChunksRoomsPartsAndRuns();
    void outlineRunsAnswerTheirRecordsWithoutItems();
    void outlineMarksTheCutAndWhatWasNotReached();

    // Strata bar
    void strataBarWidthsFollowChunkSizes();
    void strataBarEndMarkAndOverrun();
    void strataBarMergesTinyNeighboursAndClicksSelect();
    void strataBarSmallChunksWiderByTheirLogarithm();
    void strataBarLegendNamesItsColours();

    // The three views in the main window
    void linkedViewsFirstStartAndShowAll();
    void linkedViewsFollowOneAnother();
    void linkedViewsFollowTheReportKeys();
    void linkedViewsLayoutAndRecentFilesAreRemembered();
};

void StructureViewsTest::initTestCase() {
    // The settings of these runs go to a test folder, never to the user's.
    QStandardPaths::setTestModeEnabled(true);
    QCoreApplication::setOrganizationName(QStringLiteral("StrataViewerStructureTests"));
    QSettings().clear();
}

// ---- Hex view ----------------------------------------------------------------------------------------

void StructureViewsTest::hexViewHighlightsWhatALineDescribes_data() {
    QTest::addColumn<int>("which");
    QTest::newRow("record line: its record, the run dimmer") << 0;
    QTest::newRow("summary line: its count field, the chunk dimmer") << 1;
    QTest::newRow("room header line: the header fields") << 2;
    QTest::newRow("a line before the walk: nothing") << 3;
}

void StructureViewsTest::hexViewHighlightsWhatALineDescribes() {
    QFETCH(int, which);
    static const Walked w;
    const levelbuilder::Layout& at = w.layout;
    int32_t line = 0;
    std::vector<int64_t> main, dim;
    const int64_t floorWords = at.FloorData + 4; // the count is a 32-bit field; 2 bytes a word
    switch (which) {
    case 0:
        line = w.LineStartingAt(floorWords + 2 * 3);
        main = Range(floorWords + 6, floorWords + 8);
        dim = Range(floorWords, floorWords + 6);
        for (int64_t i : Range(floorWords + 8, at.MeshData))
            dim.push_back(i);
        break;
    case 1:
        line = w.LineStartingAt(at.FloorData);
        main = Range(at.FloorData, at.FloorData + 4);
        dim = Range(at.FloorData + 4, at.MeshData);
        break;
    case 2:
        line = w.LineStartingAt(at.Rooms.at(1));
        main = Range(at.Rooms.at(1), at.Rooms.at(1) + 16);
        break;
    case 3:
        line = 1;
        break;
    }
    SpanSelection selection(w.state);
    HexView hex(selection);
    selection.SelectLine(line, nullptr);
    // Everything around the floor data, the second room and the version word.
    for (const auto& [from, to] : {std::pair<int64_t, int64_t>{at.FloorData - 64, at.MeshData + 64},
                                   {at.Rooms.at(1) - 64, at.Rooms.at(1) + 80},
                                   {0, 64}}) {
        std::vector<int64_t> shownMain = BytesShaded(hex, Shade::Selected, from, to);
        std::vector<int64_t> shownDim = BytesShaded(hex, Shade::Dim, from, to);
        std::vector<int64_t> wantMain, wantDim;
        std::copy_if(main.begin(), main.end(), std::back_inserter(wantMain),
                     [&](int64_t i) { return i >= from && i < to; });
        std::copy_if(dim.begin(), dim.end(), std::back_inserter(wantDim),
                     [&](int64_t i) { return i >= from && i < to; });
        QCOMPARE(shownMain, wantMain);
        QCOMPARE(shownDim, wantDim);
    }
    // The bytes come into sight.
    if (!main.empty()) {
        hex.resize(600, 300);
        selection.SelectLine(line + 1, nullptr);
        selection.SelectLine(line, nullptr);
        const int64_t row = main.front() / HexView::kBytesPerRow;
        QVERIFY(row >= hex.FirstVisibleRow() && row < hex.FirstVisibleRow() + hex.VisibleRows());
    }
}

void StructureViewsTest::hexViewByteSelectsTheMostSpecificLine_data() {
    QTest::addColumn<int>("which");
    QTest::newRow("a byte of a listed record") << 0;
    QTest::newRow("a byte of a count field") << 1;
    QTest::newRow("a byte of a room header") << 2;
    QTest::newRow("a byte of the version word, in no span") << 3;
    QTest::newRow("a byte the walk never reached") << 4;
}

void StructureViewsTest::hexViewByteSelectsTheMostSpecificLine() {
    QFETCH(int, which);
    static const Walked w;
    static const Walked cut(CutLevel());
    const Walked& level = which == 4 ? cut : w;
    const levelbuilder::Layout& at = level.layout;
    int64_t offset = 0;
    int32_t line = -1;
    switch (which) {
    case 0:
        offset = at.FloorData + 4 + 2 * 2 + 1;
        line = level.LineStartingAt(at.FloorData + 4 + 2 * 2);
        break;
    case 1:
        offset = at.MeshData + 2;
        line = level.LineStartingAt(at.MeshData);
        break;
    case 2:
        offset = at.Rooms.at(1) + 9;
        line = level.LineStartingAt(at.Rooms.at(1));
        break;
    case 3:
        offset = 2;
        break;
    case 4:
        offset = at.LightMap + 10;
        break;
    }
    SpanSelection selection(level.state);
    HexView hex(selection);
    hex.PickByte(offset);
    QCOMPARE(selection.PickedOffset(), offset);
    QCOMPARE(selection.Line(), line);
    QCOMPARE(hex.Cursor(), offset);
}

void StructureViewsTest::hexViewShadesBytesNoChunkCovers() {
    const Walked cut(CutLevel());
    QCOMPARE(int{cut.status}, kOverflowFault);
    SpanSelection selection(cut.state);
    HexView hex(selection);
    QCOMPARE(hex.ByteCount(), cut.Size());
    QCOMPARE(BytesShaded(hex, Shade::Uncovered, 0, 8), Range(0, 4)); // the version word
    // The overflow stopped the walk at the items' count field: nothing behind it is covered.
    QCOMPARE(hex.ShadeOf(cut.layout.Items - 1), Shade::Plain);
    const int64_t end = cut.state.Map.EndOffset();
    QVERIFY(end >= cut.layout.Items && end < cut.layout.LightMap);
    QCOMPARE(BytesShaded(hex, Shade::Uncovered, end, cut.Size()).size(),
             static_cast<size_t>(cut.Size() - end));
}

void StructureViewsTest::hexViewClicksKeysAndTooltip() {
    const Walked w;
    SpanSelection selection(w.state);
    HexView hex(selection);
    hex.resize(700, 400);
    hex.show();
    QVERIFY(QTest::qWaitForWindowExposed(&hex));
    const int64_t vertex = w.layout.Rooms.at(0) + 16 + 4 + 2 + 12; // room 0's vertex 1
    hex.ScrollToOffset(vertex);

    // A click on a byte's hex digits or on its character picks that byte.
    QTest::mouseClick(hex.viewport(), Qt::LeftButton, {}, hex.ByteRect(vertex + 2).center());
    QCOMPARE(selection.PickedOffset(), vertex + 2);
    QCOMPARE(selection.Line(), w.LineStartingAt(vertex));
    QCOMPARE(hex.OffsetAt(hex.ByteRect(vertex + 7).center()), vertex + 7);

    // The keys move the picked byte by one, by a row and to the row's start.
    for (const auto& [key, expected] : {std::pair{Qt::Key_Right, vertex + 3},
                                        {Qt::Key_Down, vertex + 19},
                                        {Qt::Key_Left, vertex + 18},
                                        {Qt::Key_Up, vertex + 2}}) {
        QTest::keyClick(&hex, key);
        QCOMPARE(hex.Cursor(), expected);
        QCOMPARE(selection.PickedOffset(), expected);
    }
    QTest::keyClick(&hex, Qt::Key_Home);
    QCOMPARE(hex.Cursor() % HexView::kBytesPerRow, int64_t{0});
    QTest::keyClick(&hex, Qt::Key_Home, Qt::ControlModifier);
    QCOMPARE(hex.Cursor(), int64_t{0});
    QCOMPARE(selection.Line(), -1);

    // The tooltip names the chunk, the record and the field with the value the report shows.
    const QString tip = hex.ToolTipAt(vertex + 3);
    QVERIFY2(tip.contains(QStringLiteral("Rooms > Room 0 > Meshes > Vertices > Vertex\n")), qPrintable(tip));
    QVERIFY2(tip.contains(QStringLiteral("Vertex No 1 at 0x") + QString::number(vertex, 16).toUpper()),
             qPrintable(tip));
    const std::string& line = w.lines.at(static_cast<size_t>(w.LineStartingAt(vertex)));
    const QString y = QString::fromStdString(line).split(QLatin1Char(',')).at(4);
    QVERIFY2(tip.contains(QStringLiteral("y = ") + y),
             qPrintable(tip + " / " + QString::fromStdString(line)));
    const QString count = hex.ToolTipAt(w.layout.FloorData);
    QVERIFY2(count.contains(QStringLiteral("Floor Data")) && count.contains(QStringLiteral("Count field: 5")),
             qPrintable(count));
    // A pointer shown in hex shows in hex, as its report line does: the third mesh pointer holds -4.
    const QStringList pointerLine =
        QString::fromStdString(w.lines.at(static_cast<size_t>(w.LineContaining(",0xFFFFFFFC")))).split(',');
    const QString pointerTip = hex.ToolTipAt(pointerLine.at(1).toLongLong());
    QVERIFY2(pointerTip.contains(QStringLiteral("\nPointer = 0xFFFFFFFC")), qPrintable(pointerTip));
}

// Down on the last row in sight, Up on the first and the page keys scroll, so the picked byte is always
// painted whole inside the view.
void StructureViewsTest::hexViewKeysKeepTheCursorInSight() {
    const Walked w;
    SpanSelection selection(w.state);
    HexView hex(selection);
    hex.resize(700, 200);
    hex.show();
    QVERIFY(QTest::qWaitForWindowExposed(&hex));
    const int rows = hex.VisibleRows();
    QVERIFY(rows >= 3 && w.Size() > 8 * rows * HexView::kBytesPerRow);
    const auto inSight = [&] {
        const int64_t row = hex.Cursor() / HexView::kBytesPerRow;
        return row >= hex.FirstVisibleRow() && row < hex.FirstVisibleRow() + rows &&
               hex.viewport()->rect().contains(hex.ByteRect(hex.Cursor()));
    };
    hex.PickByte(5);
    for (int i = 1; i < rows; ++i)
        QTest::keyClick(&hex, Qt::Key_Down);
    QCOMPARE(hex.FirstVisibleRow(), int64_t{0});
    QCOMPARE(hex.Cursor(), int64_t{5 + (rows - 1) * HexView::kBytesPerRow}); // on the last row in sight
    struct Step {
        Qt::Key Key;
        int64_t Rows; // how far the cursor moves
    };
    for (const Step& step :
         {Step{Qt::Key_Down, 1}, Step{Qt::Key_Down, 1}, Step{Qt::Key_PageDown, rows},
          Step{Qt::Key_PageDown, rows}, Step{Qt::Key_PageUp, -rows}, Step{Qt::Key_Up, -1}}) {
        const int64_t before = hex.Cursor();
        QTest::keyClick(&hex, step.Key);
        QCOMPARE(hex.Cursor(), before + step.Rows * HexView::kBytesPerRow);
        QVERIFY2(inSight(), qPrintable(QStringLiteral("cursor row %1, rows %2 to %3")
                                           .arg(hex.Cursor() / HexView::kBytesPerRow)
                                           .arg(hex.FirstVisibleRow())
                                           .arg(hex.FirstVisibleRow() + rows - 1)));
    }
    // Up on the first row in sight.
    hex.ScrollToOffset(hex.Cursor());
    while (hex.Cursor() / HexView::kBytesPerRow > hex.FirstVisibleRow())
        QTest::keyClick(&hex, Qt::Key_Up);
    QTest::keyClick(&hex, Qt::Key_Up);
    QVERIFY(inSight());
    // To the end of the file and back.
    QTest::keyClick(&hex, Qt::Key_End, Qt::ControlModifier);
    QCOMPARE(hex.Cursor(), w.Size() - 1);
    QVERIFY(inSight());
    QTest::keyClick(&hex, Qt::Key_Home, Qt::ControlModifier);
    QCOMPARE(hex.FirstVisibleRow(), int64_t{0});
}

void StructureViewsTest::goToOffsetParsing_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<qint64>("offset"); // -1: not an offset
    QTest::newRow("0x prefix") << "0x1F2C" << qint64{0x1F2C};
    QTest::newRow("0X prefix, lower-case digits") << "0X1f2c" << qint64{0x1F2C};
    QTest::newRow("h suffix") << "1F2Ch" << qint64{0x1F2C};
    QTest::newRow("H suffix") << "1f2cH" << qint64{0x1F2C};
    QTest::newRow("decimal") << "7980" << qint64{7980};
    QTest::newRow("blanks around") << "  0x10 " << qint64{16};
    QTest::newRow("zero") << "0" << qint64{0};
    QTest::newRow("hex digits without a mark") << "1F2C" << qint64{-1};
    QTest::newRow("empty") << "" << qint64{-1};
    QTest::newRow("0x alone") << "0x" << qint64{-1};
    QTest::newRow("h alone") << "h" << qint64{-1};
    QTest::newRow("negative") << "-5" << qint64{-1};
    QTest::newRow("plus sign") << "+5" << qint64{-1};
    QTest::newRow("blank inside") << "12 34" << qint64{-1};
    QTest::newRow("too large") << "0x1000000000000" << qint64{-1};
}

void StructureViewsTest::goToOffsetParsing() {
    QFETCH(QString, text);
    QFETCH(qint64, offset);
    const std::optional<int64_t> parsed = ParseOffset(text.toStdString());
    QCOMPARE(parsed.value_or(-1), offset);
}

// ---- Outline ----------------------------------------------------------------------------------------

void StructureViewsTest::outlineListsChunksRoomsPartsAndRuns() {
    const Walked w;
    const WalkMap& map = w.state.Map;
    OutlineModel model(map);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);

    // The top level: the chunks in file order with their counts and bytes.
    QStringList names;
    int64_t previous = -1;
    for (int row = 0; row < model.rowCount(); ++row) {
        const QModelIndex node = model.index(row, OutlineModel::kName);
        names << node.data().toString();
        const int64_t first =
            model.index(row, OutlineModel::kOffset).data().toString().mid(2).toLongLong(nullptr, 16);
        QVERIFY(first > previous);
        previous = first;
    }
    QVERIFY2(names.startsWith(QStringLiteral("Palette 8 bits")), qPrintable(names.join(',')));
    QVERIFY2(names.indexOf(QStringLiteral("Rooms")) < names.indexOf(QStringLiteral("Floor Data")),
             qPrintable(names.join(',')));
    const QModelIndex floor = model.IndexOfSpan(TopLevelSpan(map, Piece::FloorData));
    QCOMPARE(floor.sibling(floor.row(), OutlineModel::kOffset).data().toString(),
             QStringLiteral("0x%1").arg(w.layout.FloorData, 0, 16).toUpper().replace("0X", "0x"));
    QCOMPARE(floor.sibling(floor.row(), OutlineModel::kCount).data().toInt(), 5);
    QCOMPARE(floor.sibling(floor.row(), OutlineModel::kBytes).data().toLongLong(),
             int64_t{w.layout.MeshData - w.layout.FloorData});

    // Rooms under the room chunk, parts under a room, the listed records under a run.
    const QModelIndex rooms = model.IndexOfSpan(TopLevelSpan(map, Piece::Rooms));
    QCOMPARE(model.rowCount(rooms), static_cast<int>(w.layout.Rooms.size()));
    const QModelIndex room1 = model.index(1, 0, rooms);
    QCOMPARE(room1.data().toString(), QStringLiteral("Room 1"));
    QCOMPARE(model.index(1, OutlineModel::kOffset, rooms).data().toString(),
             QStringLiteral("0x%1").arg(w.layout.Rooms[1], 0, 16).toUpper().replace("0X", "0x"));
    QStringList parts;
    for (int row = 0; row < model.rowCount(room1); ++row)
        parts << model.index(row, 0, room1).data().toString();
    QVERIFY2(parts.contains(QStringLiteral("Room Header")) && parts.contains(QStringLiteral("Meshes")),
             qPrintable(parts.join(',')));
    const QModelIndex floorRun = model.index(0, 0, floor);
    QCOMPARE(floorRun.data().toString(), QStringLiteral("Floor Data records"));
    QCOMPARE(model.rowCount(floorRun), 5);
    QCOMPARE(floorRun.siblingAtColumn(OutlineModel::kCount).data().toString(), QStringLiteral("5"));
    QCOMPARE(model.index(3, 0, floorRun).data().toString(), QStringLiteral("Floor Data 3"));
    QCOMPARE(model.parent(model.index(3, 0, floorRun)), floorRun);
    QCOMPARE(model.parent(floorRun), floor);

    // The Count column gives the count the report's summary line gives (its third column), also for
    // the chunks whose count has no field of its own.
    for (const auto& [what, word] : {std::pair{Piece::Zones, ",Zones,"},
                                     {Piece::LightMap, ", Light Map,"},
                                     {Piece::SoundMap, ",Sound Maps,"},
                                     {Piece::FloorData, ",Floor,"}}) {
        const QModelIndex chunk = model.IndexOfSpan(TopLevelSpan(map, what));
        const std::string& line = w.lines.at(static_cast<size_t>(map[model.SpanOf(chunk)].Line));
        QVERIFY2(line.find(word) != std::string::npos, line.c_str());
        const QString reported = QString::fromStdString(line).split(QLatin1Char(',')).at(2).trimmed();
        QCOMPARE(chunk.siblingAtColumn(OutlineModel::kCount).data().toString(), reported);
    }
    // The texture tiles' two parts have no count field of their own; each gives the chunk's tile count.
    const QModelIndex tiles = model.IndexOfSpan(TopLevelSpan(map, Piece::TextureTiles));
    const QString tileCount = tiles.siblingAtColumn(OutlineModel::kCount).data().toString();
    QVERIFY2(tileCount.toInt() > 0, qPrintable(tileCount));
    int tileParts = 0;
    for (int row = 0; row < model.rowCount(tiles); ++row) {
        const QModelIndex part = model.index(row, OutlineModel::kName, tiles);
        if (map[model.SpanOf(part)].Kind != SpanKind::Part)
            continue;
        ++tileParts;
        QCOMPARE(part.siblingAtColumn(OutlineModel::kCount).data().toString(), tileCount);
        QVERIFY2(part.data(Qt::ToolTipRole).toString().contains(QStringLiteral("; count ") + tileCount),
                 qPrintable(part.data(Qt::ToolTipRole).toString()));
    }
    QCOMPARE(tileParts, 2);
    // A room's fields (intensities, the alternate room) carry values, not counts: no Count.
    int fields = 0;
    for (int row = 0; row < model.rowCount(room1); ++row) {
        const QModelIndex part = model.index(row, OutlineModel::kCount, room1);
        const Span& span = map[model.SpanOf(part)];
        if (span.Kind != SpanKind::Field || span.Count == 0)
            continue;
        ++fields;
        QVERIFY2(!part.data().isValid(), qPrintable(part.siblingAtColumn(0).data().toString()));
        QVERIFY(part.data(Qt::ToolTipRole).toString().endsWith(QStringLiteral("; value %1").arg(span.Count)));
    }
    QVERIFY(fields >= 2);

    // Every cell and header has a tooltip, which holds the whole name however narrow the column.
    for (const QModelIndex& node : {floor, room1, floorRun, model.index(3, 0, floorRun)})
        for (int column = 0; column < OutlineModel::kColumns; ++column) {
            const QString tip = node.siblingAtColumn(column).data(Qt::ToolTipRole).toString();
            QVERIFY2(tip.startsWith(node.data().toString() + " at 0x"), qPrintable(tip));
            QVERIFY(!model.headerData(column, Qt::Horizontal, Qt::ToolTipRole).toString().isEmpty());
        }
}

void StructureViewsTest::outlineRunsAnswerTheirRecordsWithoutItems() {
    levelbuilder::Level level = levelbuilder::FilledLevel(2);
    level.FloorData.Items.assign(30000, 0x0001);
    const Walked w(level);
    OutlineModel model(w.state.Map);
    const QModelIndex floor = model.IndexOfSpan(TopLevelSpan(w.state.Map, Piece::FloorData));
    const QModelIndex run = model.index(0, 0, floor);
    // A long run opens as pages of records.
    QCOMPARE(model.rowCount(run), 30000 / OutlineModel::kPageSize);
    const QModelIndex lastPage = model.index(model.rowCount(run) - 1, 0, run);
    QCOMPARE(lastPage.data().toString(), QStringLiteral("Floor Data 29500 to 29999"));
    QCOMPARE(lastPage.siblingAtColumn(OutlineModel::kMark).data(Qt::ToolTipRole).toString(),
             QStringLiteral("Floor Data 29500 to 29999 of 30000, at 0x%1 (%2), 1000 bytes")
                 .arg(QString::number(w.layout.FloorData + 4 + 2 * 29500, 16).toUpper())
                 .arg(w.layout.FloorData + 4 + 2 * 29500));
    QCOMPARE(model.rowCount(lastPage), OutlineModel::kPageSize);
    const QModelIndex last = model.index(OutlineModel::kPageSize - 1, 0, lastPage);
    QCOMPARE(last.data().toString(), QStringLiteral("Floor Data 29999"));
    QCOMPARE(model.IndexOfRecord(model.SpanOf(run), 29999), last);
    QCOMPARE(model.parent(last), lastPage);
    QCOMPARE(model.parent(lastPage), run);
    // The records took no list of their own: only the lists of the top level and the chunk were made.
    QVERIFY(model.CachedLists() <= 3);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);

    // A last page short of a full one: its tooltip counts its own records' bytes.
    level.FloorData.Items.assign(30250, 0x0001);
    const Walked partial(level);
    OutlineModel partialModel(partial.state.Map);
    const QModelIndex partialRun =
        partialModel.index(0, 0, partialModel.IndexOfSpan(TopLevelSpan(partial.state.Map, Piece::FloorData)));
    const QModelIndex shortPage = partialModel.index(partialModel.rowCount(partialRun) - 1, 0, partialRun);
    QCOMPARE(shortPage.data(Qt::ToolTipRole).toString(),
             QStringLiteral("Floor Data 30000 to 30249 of 30250, at 0x%1 (%2), 500 bytes")
                 .arg(QString::number(partial.layout.FloorData + 4 + 2 * 30000, 16).toUpper())
                 .arg(partial.layout.FloorData + 4 + 2 * 30000));
}

void StructureViewsTest::outlineMarksTheCutAndWhatWasNotReached() {
    const Walked cut(CutLevel());
    OutlineModel model(cut.state.Map);
    const QModelIndex items = model.IndexOfSpan(TopLevelSpan(cut.state.Map, Piece::Items));
    QVERIFY(items.isValid());
    QCOMPARE(items.sibling(items.row(), OutlineModel::kMark).data().toString(),
             QStringLiteral("the walk ended here"));
    const QModelIndex last = model.index(model.rowCount() - 1, 0);
    QVERIFY(model.IsNotReached(last));
    QCOMPARE(last.sibling(last.row(), OutlineModel::kBytes).data().toLongLong(),
             cut.Size() - model.NotReachedFirst());

    // A file cut short: the walk reads past its end, and the chunks there are marked.
    const Walked shortFile(levelbuilder::FilledLevel(2),
                           levelbuilder::Build(levelbuilder::FilledLevel(2)).size() / 2);
    OutlineModel shortModel(shortFile.state.Map);
    int pastEnd = 0;
    for (int row = 0; row < shortModel.rowCount(); ++row)
        pastEnd += shortModel.index(row, OutlineModel::kMark).data().toString() ==
                   QStringLiteral("past the end of the file");
    QVERIFY(pastEnd > 0);
    QVERIFY(!shortModel.IsNotReached(shortModel.index(shortModel.rowCount() - 1, 0)));

    // A file that ends where the fourth floor-data record starts: the third ends at the file's end
    // and is whole; the fourth and fifth lie past it.
    int64_t fourth = 0;
    {
        const Walked whole;
        const OutlineModel wholeModel(whole.state.Map);
        const QModelIndex run =
            wholeModel.index(0, 0, wholeModel.IndexOfSpan(TopLevelSpan(whole.state.Map, Piece::FloorData)));
        fourth = whole.state.Map.RecordFirst(wholeModel.SpanOf(run), 3);
    }
    const Walked endsInRun(levelbuilder::FilledLevel(2), fourth);
    OutlineModel runModel(endsInRun.state.Map);
    const QModelIndex floorRun =
        runModel.index(0, 0, runModel.IndexOfSpan(TopLevelSpan(endsInRun.state.Map, Piece::FloorData)));
    QCOMPARE(runModel.rowCount(floorRun), 5);
    QStringList marks;
    for (int row = 0; row < 5; ++row)
        marks << runModel.index(row, OutlineModel::kMark, floorRun).data().toString();
    const QString past = QStringLiteral("past the end of the file");
    QCOMPARE(marks, (QStringList{"", "", "", past, past}));

    // Choosing nodes in the pane selects them.
    SpanSelection selection(cut.state);
    OutlinePane pane(selection);
    pane.setCurrentIndex(pane.Model().IndexOfSpan(TopLevelSpan(cut.state.Map, Piece::FloorData)));
    QCOMPARE(selection.Line(), cut.LineStartingAt(cut.layout.FloorData));
    QCOMPARE(selection.Bytes().First, cut.layout.FloorData);
    QCOMPARE(selection.Bytes().End, cut.layout.MeshData);
    pane.setCurrentIndex(pane.Model().index(pane.Model().rowCount() - 1, 0));
    QCOMPARE(selection.PickedOffset(), pane.Model().NotReachedFirst());
    QCOMPARE(selection.Line(), -1);
}

// ---- Strata bar -------------------------------------------------------------------------------------

void StructureViewsTest::strataBarWidthsFollowChunkSizes() {
    const Walked w;
    const WalkMap& map = w.state.Map;
    SpanSelection selection(w.state);
    StrataBar bar(selection);
    bar.resize(1000, StructureViews::kStrataBarHeight);
    const StrataLayout& layout = bar.Layout();
    QVERIFY(!layout.Pieces.empty());
    QCOMPARE(layout.ScaleEnd, w.Size());
    double x = 0;
    int64_t next = 0;
    for (const StrataPiece& p : layout.Pieces) {
        QCOMPARE(p.X, x); // side by side, in file order, every byte once
        QCOMPARE(p.First, next);
        QVERIFY(p.Width >= StrataBar::kMinPieceWidth - 1e-9);
        x += p.Width;
        next = p.End;
    }
    QCOMPARE(next, w.Size());
    QVERIFY(std::abs(x - 1000) < 1e-6);

    // The big chunks are as wide as their share of the file (less what the minimum widths take).
    const auto widthOf = [&](Piece what) {
        for (const StrataPiece& p : layout.Pieces)
            if (p.Spans.size() == 1 && map[p.Spans[0]].What == what)
                return p.Width;
        return -1.0;
    };
    const double tiles = widthOf(Piece::TextureTiles);
    const double tileShare = static_cast<double>(w.layout.RoomCount - 1796) / static_cast<double>(w.Size());
    QVERIFY2(tiles > 0.95 * tileShare * 1000 && tiles <= tileShare * 1000 + 1e-9,
             qPrintable(QString::number(tiles)));
    QCOMPARE(layout.Pieces[static_cast<size_t>(layout.PieceAt(tiles / 2 + layout.XOf(1796)))].Group,
             ChunkGroup::Textures);
}

void StructureViewsTest::strataBarEndMarkAndOverrun() {
    // Completed at the file's end: the mark at the right edge.
    const Walked w;
    SpanSelection selection(w.state);
    StrataBar bar(selection);
    bar.resize(800, StructureViews::kStrataBarHeight);
    QCOMPARE(w.state.Map.EndOffset(), w.Size());
    QVERIFY(std::abs(bar.WalkEndX() - 800) < 1e-6);

    // Cut by an overflow: the mark sits where the walk stopped, the rest is a piece never reached.
    const Walked cut(CutLevel());
    SpanSelection cutSelection(cut.state);
    StrataBar cutBar(cutSelection);
    cutBar.resize(800, StructureViews::kStrataBarHeight);
    const StrataLayout& layout = cutBar.Layout();
    const StrataPiece& last = layout.Pieces.back();
    QCOMPARE(last.What, StrataPiece::Kind::NotReached);
    QCOMPARE(last.End, cut.Size());
    QVERIFY(std::abs(cutBar.WalkEndX() - layout.XOf(cut.state.Map.EndOffset())) < 1e-9);
    QVERIFY(cutBar.WalkEndX() <= last.X + 1e-9);
    QVERIFY(cutBar.ToolTipAt(last.X + last.Width / 2).startsWith(QStringLiteral("Not reached by the walk")));

    // A file cut short: the walk runs past its end, and the bar's scale runs with it.
    const Walked shortFile(levelbuilder::FilledLevel(2),
                           levelbuilder::Build(levelbuilder::FilledLevel(2)).size() / 2);
    SpanSelection shortSelection(shortFile.state);
    StrataBar shortBar(shortSelection);
    shortBar.resize(800, StructureViews::kStrataBarHeight);
    const StrataLayout& over = shortBar.Layout();
    QVERIFY(over.ScaleEnd > shortFile.Size());
    QCOMPARE(over.ScaleEnd, int64_t{shortFile.state.Map.EndOffset()});
    QVERIFY(over.XOf(shortFile.Size()) < 800 - 1);
    QVERIFY(std::abs(shortBar.WalkEndX() - 800) < 1e-6);
    QVERIFY(shortBar.ToolTipAt(799).contains(QStringLiteral("past the end of the file")));
}

void StructureViewsTest::strataBarMergesTinyNeighboursAndClicksSelect() {
    const Walked w;
    const WalkMap& map = w.state.Map;
    SpanSelection selection(w.state);
    StrataBar bar(selection);
    bar.resize(300, StructureViews::kStrataBarHeight);
    const StrataLayout& layout = bar.Layout();
    // In a level that is mostly tiles, the small chunks behind the rooms share pieces.
    const auto merged = std::find_if(layout.Pieces.begin(), layout.Pieces.end(),
                                     [](const StrataPiece& p) { return p.Spans.size() > 1; });
    QVERIFY(merged != layout.Pieces.end());
    const QString tip = bar.ToolTipAt(merged->X + merged->Width / 2);
    QCOMPARE(tip.count(QLatin1Char('\n')) + 1, static_cast<qsizetype>(merged->Spans.size()));
    for (int32_t span : merged->Spans) {
        const std::string_view name = map[span].Name();
        QVERIFY2(tip.contains(QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()))),
                 qPrintable(tip));
    }
    QVERIFY(tip.contains(QLatin1Char('%')));

    // A click selects the chunk under the pointer.
    const int32_t tiles = TopLevelSpan(map, Piece::TextureTiles);
    bar.ClickAt(layout.XOf((map[tiles].First + map[tiles].End) / 2));
    QCOMPARE(selection.Span(), tiles);
    QCOMPARE(selection.Line(), map[tiles].Line);
    bar.ClickAt(1);
    QCOMPARE(selection.Span(), TopLevelSpan(map, Piece::Palette8));
}

// The logarithmic widths: on a bar wide enough for no minimum to matter, each piece is as wide as
// log2(1 + its bytes) of the whole; on a 300-pixel bar, where widths by bytes merge the small chunks
// behind the tiles, every chunk of the level has a piece of its own to see and click.
void StructureViewsTest::strataBarSmallChunksWiderByTheirLogarithm() {
    const Walked w;
    const WalkMap& map = w.state.Map;
    const StrataLayout wide = LayOutStrata(map, 100000, StrataBar::kMinPieceWidth, StrataScale::Logarithmic);
    double logs = 0;
    int64_t next = 0;
    for (const StrataPiece& p : wide.Pieces) {
        QCOMPARE(p.First, next); // side by side, every byte once
        next = p.End;
        QVERIFY(p.Spans.size() <= 1);
        logs += std::log2(1.0 + static_cast<double>(p.End - p.First));
    }
    QCOMPARE(next, w.Size());
    for (const StrataPiece& p : wide.Pieces)
        QVERIFY(std::abs(p.Width - 100000 * std::log2(1.0 + static_cast<double>(p.End - p.First)) / logs) <
                1e-6);

    SpanSelection selection(w.state);
    StrataBar bar(selection);
    bar.resize(300, StructureViews::kStrataBarHeight);
    const auto pieces = [&] { return bar.Layout().Pieces.size(); };
    const size_t byBytes = pieces();
    bar.SetScale(StrataScale::Logarithmic);
    const StrataLayout& layout = bar.Layout();
    QCOMPARE(layout.Pieces.size(), wide.Pieces.size());
    QVERIFY(pieces() > byBytes);
    double x = 0;
    for (const StrataPiece& p : layout.Pieces) {
        QCOMPARE(p.X, x);
        QVERIFY(p.Width >= StrataBar::kMinPieceWidth - 1e-9);
        x += p.Width;
    }
    QVERIFY(std::abs(x - 300) < 1e-6);
    // The 14 bytes of the floor data (a count and five words) get a piece a click can hit.
    const int32_t floor = TopLevelSpan(map, Piece::FloorData);
    bar.ClickAt(layout.XOf((map[floor].First + map[floor].End) / 2));
    QCOMPARE(selection.Span(), floor);
    // The tiles, most of the file, no longer take most of the bar.
    const int32_t tiles = TopLevelSpan(map, Piece::TextureTiles);
    QVERIFY(layout.XOf(map[tiles].End) - layout.XOf(map[tiles].First) < 0.2 * 300);
}

// The legend window lists a swatch for each group the bar colours chunks with, in the bar's colour,
// then the marks; the Structure menu and the bar's context menu open it.
void StructureViewsTest::strataBarLegendNamesItsColours() {
    QSettings().clear();
    TempDir dir;
    AppState state;
    state.ProgramFolder = dir.Path();
    frmMain main(state);
    QAction* legend = main.findChild<QAction*>(QStringLiteral("mnuStructureStrataLegend"));
    QAction* wider = main.findChild<QAction*>(QStringLiteral("mnuStructureStrataSmallWider"));
    QVERIFY(legend && wider);
    QVERIFY(main.Structure().Strata()->actions().contains(legend) &&
            main.Structure().Strata()->actions().contains(wider));
    legend->trigger();
    auto* window = main.findChild<QWidget*>(QStringLiteral("frmStrataLegend"));
    QVERIFY(window && window->isVisible());
    QList<QColor> swatches;
    for (QLabel* label : window->findChildren<QLabel*>())
        if (!label->pixmap().isNull())
            swatches << label->pixmap().toImage().pixelColor(14, 7);
    const ChunkGroup groups[] = {ChunkGroup::Graphics, ChunkGroup::Textures,  ChunkGroup::Rooms,
                                 ChunkGroup::Geometry, ChunkGroup::Animation, ChunkGroup::Navigation,
                                 ChunkGroup::Sound};
    QVERIFY(swatches.size() > static_cast<qsizetype>(std::size(groups)));
    for (size_t i = 0; i < std::size(groups); ++i)
        QCOMPARE(swatches.at(static_cast<qsizetype>(i)), StrataBar::GroupColour(groups[i]));
    // Which widths the bar uses is said under the swatches, and follows the menu.
    const auto says = [&](const char* words) {
        QWidget* shown = main.findChild<QWidget*>(QStringLiteral("frmStrataLegend"));
        for (QLabel* label : shown->findChildren<QLabel*>())
            if (label->text().contains(QLatin1String(words)))
                return true;
        return false;
    };
    QVERIFY(says("share of the file's bytes"));
    wider->trigger();
    QCOMPARE(main.Structure().Strata()->Scale(), StrataScale::Logarithmic);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(says("logarithm"));
    QSettings().clear();
}

// ---- The views in the main window --------------------------------------------------------------------

namespace {

struct Window {
    TempDir dir;
    AppState state;
    std::unique_ptr<frmMain> main;
    Window() {
        state.ProgramFolder = dir.Path();
        main = std::make_unique<frmMain>(state);
    }
    std::string Open(const levelbuilder::Level& level, levelbuilder::Layout& layout) {
        const std::string path = dir.Write("level1.dm2", levelbuilder::Build(level, layout));
        main->OpenLevel(QString::fromStdString(path));
        return path;
    }
    StructureViews& Views() { return main->Structure(); }
    ReportView& Pane() { return *main->findChild<ReportView*>(QStringLiteral("rtbOutput")); }
};

} // namespace

void StructureViewsTest::linkedViewsFirstStartAndShowAll() {
    QSettings().clear();
    Window w;
    QStringList menus;
    for (QAction* action : w.main->menuBar()->actions())
        menus << action->menu()->objectName();
    QCOMPARE(menus, (QStringList{"mnuFile", "mnuInfo", "mnuView", "mnuHelp", "mnuStructure"}));
    QCOMPARE(w.main->StructureMenu()->title(), QStringLiteral("&Structure"));
    QVERIFY(w.Views().OutlineDock()->isHidden() && w.Views().HexDock()->isHidden() &&
            !w.Views().StrataBarShown());
    QVERIFY(!AnyDetail(w.state.DetailOptions));

    w.main->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.main.get()));
    const QRect paneAtStart = w.Pane().geometry();
    w.main->findChild<QAction*>(QStringLiteral("mnuStructureShowAll"))->trigger();
    QVERIFY(w.Views().OutlineDock()->isVisible() && w.Views().HexDock()->isVisible() &&
            w.Views().StrataBarShown());
    const QSize screen = w.main->screen()->availableGeometry().size();
    QVERIFY(w.main->width() >= std::min(1000, screen.width()) &&
            w.main->height() >= std::min(700, screen.height()));
    // The strata bar stands under the path label, above the pane.
    const QRect bar = w.Views().Strata()->geometry();
    QVERIFY(bar.top() >= w.main->findChild<QWidget*>(QStringLiteral("lblFileName"))->geometry().bottom());
    QVERIFY(w.Pane().geometry().top() >= bar.bottom());

    // The toggles hide each view again; the pane takes back its place.
    for (const char* toggle : {"mnuStructureOutline", "mnuStructureHexView", "mnuStructureStrataBar"}) {
        QAction* action = w.main->findChild<QAction*>(QString::fromLatin1(toggle));
        QVERIFY2(action->isCheckable() && action->isChecked(), toggle);
        action->trigger();
    }
    QVERIFY(w.Views().OutlineDock()->isHidden() && w.Views().HexDock()->isHidden() &&
            !w.Views().StrataBarShown());
    QCOMPARE(w.Pane().geometry().top(), paneAtStart.top());
}

void StructureViewsTest::linkedViewsFollowOneAnother() {
    QSettings().clear();
    Window w;
    levelbuilder::Layout layout;
    SetAllDetails(w.state.DetailOptions, true);
    w.Open(levelbuilder::FilledLevel(2), layout);
    w.main->show();
    w.Views().ShowAll();
    QVERIFY(QTest::qWaitForWindowExposed(w.main.get()));
    const std::vector<std::string> lines = Lines(w.state.Report.Str());
    const auto lineAt = [&](int64_t offset) {
        const std::string prefix = OffsetPrefix(offset);
        return static_cast<int32_t>(
            std::find_if(lines.begin(), lines.end(),
                         [&](const std::string& l) { return l.starts_with(prefix); }) -
            lines.begin());
    };
    SpanSelection& selection = w.main->Selection();
    HexView& hex = *w.Views().Hex();
    OutlinePane& outline = *w.Views().Outline();
    int changes = 0;
    connect(&selection, &SpanSelection::Changed, this, [&] { ++changes; });

    // Report line -> selection -> outline node and hex bytes.
    const int64_t record = layout.FloorData + 4 + 2; // the second floor data word
    const int32_t recordLine = lineAt(record);
    w.Pane().ShowLine(static_cast<size_t>(recordLine));
    QCOMPARE(changes, 1);
    QCOMPARE(selection.Line(), recordLine);
    QCOMPARE(outline.Model().RecordOf(outline.currentIndex()), 1);
    QCOMPARE(hex.Cursor(), record);
    QCOMPARE(hex.ShadeOf(record), HexView::Shade::Selected);
    QCOMPARE(hex.ShadeOf(record - 1), HexView::Shade::Dim);

    // Hex byte -> report line and outline node.
    const int64_t sample = layout.MeshPointers + 4 + 4 * 1 + 2; // inside the second mesh pointer
    hex.PickByte(sample);
    QCOMPARE(changes, 2);
    QCOMPARE(w.Pane().CursorLine(), static_cast<size_t>(lineAt(sample - 2)));
    QCOMPARE(w.Pane().SelectedText().toStdString(), lines.at(static_cast<size_t>(lineAt(sample - 2))));
    QCOMPARE(outline.Model().RecordOf(outline.currentIndex()), 1);
    QCOMPARE(selection.PickedOffset(), sample); // the pane following did not replace the byte picked

    // Outline node -> report line and hex bytes.
    const QModelIndex rooms = outline.Model().IndexOfSpan(TopLevelSpan(w.state.Map, Piece::Rooms));
    outline.setCurrentIndex(outline.Model().index(1, 0, rooms));
    QCOMPARE(changes, 3);
    QCOMPARE(hex.Cursor(), int64_t{layout.Rooms.at(1)});
    QCOMPARE(static_cast<int32_t>(w.Pane().CursorLine()), selection.Line());
    QCOMPARE(hex.ShadeOf(layout.Rooms.at(1)), HexView::Shade::Selected);
    QCOMPARE(hex.ShadeOf(layout.FloorData - 1), HexView::Shade::Selected); // the last room ends the chunk
    QCOMPARE(hex.ShadeOf(layout.FloorData), HexView::Shade::Plain);

    // Go to offset: the same as picking the byte.
    QVERIFY(w.Views().GoToOffset(QStringLiteral("0x%1").arg(sample, 0, 16)));
    QCOMPARE(selection.PickedOffset(), sample);
    QVERIFY(!w.Views().GoToOffset(QStringLiteral("%1").arg(w.state.Level->Size())));
    QVERIFY(!w.Views().GoToOffset(QStringLiteral("12x")));

    // A new run clears the selection.
    w.main->GetGeneralInfo();
    QCOMPARE(selection.Line(), -1);
    QVERIFY(!outline.currentIndex().isValid());
}

// Up, Down and the page keys pressed on the report pane, as it has the focus, move the selection the
// hex view and the outline follow.
void StructureViewsTest::linkedViewsFollowTheReportKeys() {
    QSettings().clear();
    Window w;
    levelbuilder::Layout layout;
    SetAllDetails(w.state.DetailOptions, true);
    w.Open(levelbuilder::FilledLevel(2), layout);
    w.main->show();
    w.Views().ShowAll();
    QVERIFY(QTest::qWaitForWindowExposed(w.main.get()));
    w.main->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w.main.get()));
    const std::vector<std::string> lines = Lines(w.state.Report.Str());
    const auto lineAt = [&](int64_t offset) {
        const std::string prefix = OffsetPrefix(offset);
        return static_cast<int32_t>(
            std::find_if(lines.begin(), lines.end(),
                         [&](const std::string& l) { return l.starts_with(prefix); }) -
            lines.begin());
    };
    SpanSelection& selection = w.main->Selection();
    HexView& hex = *w.Views().Hex();
    OutlinePane& outline = *w.Views().Outline();
    const int64_t words = layout.FloorData + 4;
    w.Pane().ShowLine(static_cast<size_t>(lineAt(words)));
    w.Pane().setFocus();
    QVERIFY(w.Pane().hasFocus());
    for (int k = 1; k < 5; ++k) { // Down through the floor data words, one line each
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
        QCOMPARE(selection.Line(), lineAt(words + 2 * k));
        QCOMPARE(hex.Cursor(), words + 2 * k);
        QCOMPARE(hex.ShadeOf(words + 2 * k), HexView::Shade::Selected);
        QCOMPARE(outline.Model().RecordOf(outline.currentIndex()), k);
    }
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up);
    QCOMPARE(hex.Cursor(), words + 6);
    QCOMPARE(outline.Model().RecordOf(outline.currentIndex()), 3);
    const size_t page = w.Pane().VisibleLineCount() - 1;
    const int32_t before = selection.Line();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_PageDown);
    QCOMPARE(selection.Line(), before + static_cast<int32_t>(page));
    QCOMPARE(static_cast<int32_t>(w.Pane().CursorLine()), selection.Line());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_PageUp);
    QCOMPARE(selection.Line(), before);
    QCOMPARE(hex.Cursor(), words + 6);
    QVERIFY(w.Pane().hasFocus()); // the views followed; the keys stay with the pane
}

void StructureViewsTest::linkedViewsLayoutAndRecentFilesAreRemembered() {
    QSettings().clear();
    QString path;
    {
        Window w;
        levelbuilder::Layout layout;
        path = QString::fromStdString(w.Open(levelbuilder::FilledLevel(2), layout));
        w.main->show();
        w.Views().OutlineDock()->show();
        w.Views().SetStrataBarShown(true);
        w.main->findChild<QAction*>(QStringLiteral("mnuStructureStrataSmallWider"))->trigger();
        QVERIFY(w.main->close());
    }
    Window again;
    QCOMPARE(again.Views().Strata()->Scale(), StrataScale::Logarithmic);
    QVERIFY(!again.Views().OutlineDock()->isHidden());
    QVERIFY(again.Views().HexDock()->isHidden());
    QVERIFY(again.Views().StrataBarShown());
    QCOMPARE(again.Views().RecentFiles(), QStringList{QDir::toNativeSeparators(path)});
    QVERIFY(!AnyDetail(again.state.DetailOptions));
    QSettings().clear();
}

QTEST_MAIN(StructureViewsTest)
#include "StructureViewsTest.moc"
