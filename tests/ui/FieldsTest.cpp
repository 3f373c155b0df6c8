// The outline's record nodes opened to their fields, for every record kind of the format description:
// the field nodes (and the unread stretches between them) cover the record's bytes exactly, each shows
// the value its column of the report line shows, and choosing one in the tree (a click, then the arrow
// keys) selects exactly its bytes on the line of its value, which the hex view marks, and the column of
// that line which the report pane marks.
#include <algorithm>
#include <map>
#include <memory>

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QTest>

#include "common/TestFiles.h"
#include "format/LevelFormat.h"
#include "report/ReportRun.h"
#include "tools/LevelBuilder.h"
#include "ui/ReportView.h"
#include "ui/StructureViews.h"
#include "ui/frmMain.h"
#include "views/FieldColumn.h"
#include "views/HexView.h"
#include "views/OffsetText.h"
#include "views/OutlineModel.h"
#include "views/OutlinePane.h"
#include "views/SpanSelection.h"

namespace {

QString Q(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

// The header line's columns, without their surrounding blanks.
QStringList Columns(std::string_view text) {
    QStringList columns;
    for (const QString& c : Q(text).split(QLatin1Char(',')))
        columns << c.trimmed();
    return columns;
}

// A builder-made level walked with every detail on, with an outline pane and a hex view over the one
// selection.
struct Opened {
    TempDir dir;
    AppState state;
    std::vector<std::string> lines;
    std::unique_ptr<SpanSelection> selection;
    std::unique_ptr<OutlinePane> outline;
    std::unique_ptr<HexView> hex;

    explicit Opened(int16_t generation) {
        state.TileFolderOverride = dir.Path() / "tiles";
        SetAllDetails(state.DetailOptions, true);
        ReportLevelFile(state,
                        dir.Write("level.dm2", levelbuilder::Build(levelbuilder::FilledLevel(generation))));
        lines = Lines(state.Report.Str());
        selection = std::make_unique<SpanSelection>(state);
        outline = std::make_unique<OutlinePane>(*selection);
        hex = std::make_unique<HexView>(*selection);
        outline->resize(900, 600);
        outline->show();
        selection->ResetForNewWalk();
    }
    // The first span listing a record of kind r, -1 for none.
    int32_t FirstListing(const format::Record* r) const {
        for (int32_t i = 0; i < state.Map.Size(); ++i) {
            const Span& s = state.Map[i];
            if (s.Record() != r)
                continue;
            if (s.Kind == SpanKind::Run && outline->Model().ListedRecords(i) > 0)
                return i;
            if (s.Kind == SpanKind::Part && s.CountWidth == 0 && s.EndLine > s.Line + 1)
                return i;
        }
        return -1;
    }
};

// Stretches of bytes no field of the kind shows, as the format's notes give them.
const std::map<std::string_view, std::vector<std::pair<int, int>>> kUnread{
    {"Vertex", {{6, 6}}}, {"Zone", {{2, 18}}}, {"Animation", {{25, 7}}},
    {"Door", {}},         {"Rectangle", {}},   {"Room header", {}},
    {"Floor Data", {}},   {"Sector", {}},      {"Object Texture", {}},
};

// The column of the header line a field node's value stands under: "Vertices(2).x" under
// "Vertices(n).x", "XPixel(1)" under "XPixel".
qsizetype HeaderColumn(const QStringList& header, const QString& name, int lead) {
    QString column = name;
    if (!header.contains(name)) {
        const auto open = name.indexOf(QLatin1Char('(')), close = name.indexOf(QLatin1Char(')'));
        column = name.left(open) + (header.contains(name.left(open)) ? QString() : QStringLiteral("(n)")) +
                 name.mid(close + 1);
    }
    return header.indexOf(column, lead);
}

} // namespace

class FieldsTest : public QObject {
    Q_OBJECT
    std::unique_ptr<Opened> dm2, dm3;

  private slots:
    void initTestCase() {
        dm2 = std::make_unique<Opened>(2);
        dm3 = std::make_unique<Opened>(3);
    }

    void everyRecordKindOpensToItsFields_data() {
        QTest::addColumn<int>("kind");
        for (size_t i = 0; i < format::kAllRecords.size(); ++i)
            QTest::newRow(qPrintable(QStringLiteral("%1 %2").arg(i).arg(Q(format::kAllRecords[i]->Name))))
                << static_cast<int>(i);
    }

    void everyRecordKindOpensToItsFields() {
        QFETCH(int, kind);
        const format::Record& r = *format::kAllRecords[static_cast<size_t>(kind)];
        Opened* level = dm2->FirstListing(&r) >= 0 ? dm2.get() : dm3.get();
        const int32_t span = level->FirstListing(&r);
        QVERIFY2(span >= 0, "the builder's levels list a record of every kind");
        OutlinePane& pane = *level->outline;
        OutlineModel& model = pane.Model();
        const WalkMap& map = level->state.Map;
        const bool run = map[span].Kind == SpanKind::Run;
        const int64_t start = run ? map.RecordFirst(span, 0) : map[span].First;
        const int32_t recordLine = run ? map.LineOfRecord(span, 0) : map[span].Line + 1;
        if (r.LeadColumns > 1)
            QVERIFY(level->lines[static_cast<size_t>(recordLine)].starts_with(
                QStringLiteral("%1,%2,").arg(HexOffset(start)).arg(start).toStdString()));
        const QModelIndex record = run ? model.IndexOfRecord(span, 0) : model.IndexOfSpan(span);
        QVERIFY(record.isValid());
        QVERIFY(model.hasChildren(record));
        const int rows = model.rowCount(record);
        QVERIFY(rows > 0);

        // The nodes cover the record: every byte by a field or an unread node, unread nodes by nothing
        // else, and no node past the record.
        const QStringList header = Columns(r.Header);
        std::vector<int> fieldsOver(static_cast<size_t>(r.Size)), unreadOver(static_cast<size_t>(r.Size));
        std::vector<std::pair<int, int>> unread;
        for (int row = 0; row < rows; ++row) {
            const QModelIndex node = model.index(row, OutlineModel::kName, record);
            QCOMPARE(node.parent(), record);
            QVERIFY(!model.hasChildren(node));
            const int64_t first =
                node.siblingAtColumn(OutlineModel::kOffset).data().toString().mid(2).toLongLong(nullptr, 16);
            const int size = node.siblingAtColumn(OutlineModel::kBytes).data().toInt();
            QVERIFY(first >= start && size > 0 && first + size <= start + r.Size);
            const QString name = node.data().toString();
            for (int64_t b = first; b < first + size; ++b)
                ++(name == QStringLiteral("unread") ? unreadOver
                                                    : fieldsOver)[static_cast<size_t>(b - start)];
            if (name == QStringLiteral("unread")) {
                unread.emplace_back(static_cast<int>(first - start), size);
                continue;
            }
            // The value stands in its column of the record's line, a repeat on its continuation line.
            const QString type = node.siblingAtColumn(OutlineModel::kType).data().toString();
            QCOMPARE(type.size() > 1 ? type.mid(1).toInt() / 8 : 0, size);
            const QString value = node.siblingAtColumn(OutlineModel::kValue).data().toString();
            QString column = name;
            int repeat = 0;
            if (!header.contains(name)) { // "Vertices(2).x" under "Vertices(n).x", "XPixel(1)" under "XPixel"
                const auto open = name.indexOf(QLatin1Char('(')), close = name.indexOf(QLatin1Char(')'));
                repeat = name.mid(open + 1, close - open - 1).toInt();
                column = name.left(open) +
                         (header.contains(name.left(open)) ? QString() : QStringLiteral("(n)")) +
                         name.mid(close + 1);
            }
            const auto at = header.indexOf(column, r.LeadColumns); // a field may be named "Offset"
            QVERIFY2(at >= 0, qPrintable(name));
            const QStringList line =
                Q(level->lines[static_cast<size_t>(recordLine + repeat)]).split(QLatin1Char(','));
            QVERIFY2(at < line.size(), qPrintable(name));
            QCOMPARE(value, line[at].trimmed());
        }
        for (size_t b = 0; b < fieldsOver.size(); ++b)
            QVERIFY2((fieldsOver[b] > 0) != (unreadOver[b] > 0) && unreadOver[b] <= 1,
                     qPrintable(QStringLiteral("byte %1").arg(b)));
        if (const auto known = kUnread.find(r.Name); known != kUnread.end())
            QCOMPARE(unread, known->second);

        // Choosing the nodes in the tree: a click on the first, the arrow key down to each next one.
        pane.setFocus();
        for (QModelIndex up = record; up.isValid(); up = up.parent())
            pane.expand(up);
        pane.scrollTo(record);
        for (int row = 0; row < rows; ++row) {
            const QModelIndex node = model.index(row, OutlineModel::kName, record);
            if (row == 0) {
                pane.scrollTo(node);
                QTest::mouseClick(pane.viewport(), Qt::LeftButton, {}, pane.visualRect(node).center());
            } else {
                QTest::keyClick(&pane, Qt::Key_Down);
            }
            QCOMPARE(pane.currentIndex().siblingAtColumn(0), node);
            const int64_t first =
                node.siblingAtColumn(OutlineModel::kOffset).data().toString().mid(2).toLongLong(nullptr, 16);
            const int size = node.siblingAtColumn(OutlineModel::kBytes).data().toInt();
            const SpanSelection& selection = *level->selection;
            QCOMPARE(int64_t{selection.Bytes().First}, first);
            QCOMPARE(int64_t{selection.Bytes().End}, first + size);
            QCOMPARE(selection.PickedOffset(), first);
            // The line of its value: a repeat's continuation line (an unread stretch: the record's line).
            const QString name = node.data().toString();
            const auto open = name.indexOf(QLatin1Char('('));
            const int repeat = open >= 0 && !header.contains(name)
                                   ? name.mid(open + 1, name.indexOf(QLatin1Char(')')) - open - 1).toInt()
                                   : 0;
            QCOMPARE(selection.Line(), recordLine + repeat);
            // The column of the value on that line, found by the header's names; none for unread bytes.
            const std::string& text = level->lines[static_cast<size_t>(selection.Line())];
            const auto column = FieldColumn(level->state.Map, selection.Line(), text, first, first + size);
            if (name == QStringLiteral("unread")) {
                QVERIFY2(!column, qPrintable(name));
            } else {
                QVERIFY2(column, qPrintable(name));
                const QString shown =
                    Q(std::string_view(text).substr(column->first, column->second - column->first));
                // The field's own column among those marked (a word shown in decimal and in hex: both).
                const qsizetype from =
                    Q(text).left(static_cast<qsizetype>(column->first)).count(QLatin1Char(','));
                const qsizetype own = HeaderColumn(header, name, r.LeadColumns);
                QVERIFY2(own >= from && own <= from + shown.count(QLatin1Char(',')), qPrintable(name));
                if (!shown.contains(QLatin1Char(',')))
                    QCOMPARE(shown.trimmed(), node.siblingAtColumn(OutlineModel::kValue).data().toString());
            }
            for (int64_t b = std::max<int64_t>(start - 4, 0); b < start + r.Size + 4; ++b)
                QVERIFY2((level->hex->ShadeOf(b) == HexView::Shade::Selected) ==
                             (b >= first && b < first + size),
                         qPrintable(QStringLiteral("%1 byte %2").arg(name).arg(b - start)));
        }
    }

    // A byte picked in the hex view inside a record opened in the outline makes its field current there.
    void hexPickGoesToTheOpenedField() {
        Opened level(2);
        OutlinePane& pane = *level.outline;
        OutlineModel& model = pane.Model();
        const int32_t span = level.FirstListing(&format::kVertex);
        const QModelIndex vertex = model.IndexOfRecord(span, 1);
        for (QModelIndex up = vertex; up.isValid(); up = up.parent())
            pane.expand(up);
        HexView& hex = *level.hex;
        hex.resize(700, 400);
        hex.show();
        const int64_t start = level.state.Map.RecordFirst(span, 1);
        // y (bytes 2 and 3), then the unread bytes 6 to 11, then a record left closed.
        const struct {
            int64_t at;
            QString current;
        } picks[] = {{start + 3, QStringLiteral("y")},
                     {start + 9, QStringLiteral("unread")},
                     {start + 12 + 2, QStringLiteral("Vertex 2")}};
        for (const auto& pick : picks) {
            hex.ScrollToOffset(pick.at);
            QCoreApplication::processEvents();
            QTest::mouseClick(hex.viewport(), Qt::LeftButton, {}, hex.ByteRect(pick.at).center());
            QCOMPARE(level.selection->PickedOffset(), pick.at);
            QCOMPARE(pane.currentIndex().siblingAtColumn(0).data().toString(), pick.current);
        }
    }

    // In the window: a door's third corner's y chosen in the outline selects the door's third line in
    // the report pane and frames its y column there, in the pane's plain colours inside the line's
    // highlight; a record chosen after it frames nothing.
    void fieldColumnMarkedInTheReportPane() {
        TempDir dir;
        AppState state;
        state.ProgramFolder = dir.Path();
        frmMain w(state);
        SetAllDetails(state.DetailOptions, true);
        w.resize(1200, 800);
        w.show();
        w.Structure().ShowAll();
        w.OpenLevel(Q(dir.Write("level.dm2", levelbuilder::Build(levelbuilder::FilledLevel(2)))));
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        OutlinePane& outline = *w.Structure().Outline();
        OutlineModel& model = outline.Model();
        auto* pane = w.findChild<ReportView*>(QStringLiteral("rtbOutput"));
        int32_t doors = -1;
        for (int32_t i = 0; i < state.Map.Size() && doors < 0; ++i)
            if (state.Map[i].Kind == SpanKind::Run && state.Map[i].Record() == &format::kDoor)
                doors = i;
        QVERIFY(doors >= 0);
        const QModelIndex door = model.IndexOfRecord(doors, 0);
        for (QModelIndex up = door; up.isValid(); up = up.parent())
            outline.expand(up);
        QModelIndex corner;
        for (int row = 0; row < model.rowCount(door); ++row)
            if (model.index(row, 0, door).data().toString() == QStringLiteral("Vertices(2).y"))
                corner = model.index(row, 0, door);
        QVERIFY(corner.isValid());
        outline.scrollTo(corner);
        QTest::mouseClick(outline.viewport(), Qt::LeftButton, {}, outline.visualRect(corner).center());
        QCOMPARE(pane->CursorLine(), static_cast<size_t>(state.Map.LineOfRecord(doors, 0) + 2));
        QCOMPARE(Q(pane->MarkedText()).trimmed(),
                 corner.siblingAtColumn(OutlineModel::kValue).data().toString());
        // Ahead of the mark on its line, three lead columns and the six door columns before the corners.
        const std::string_view line = pane->Line(pane->CursorLine());
        const size_t within = static_cast<size_t>(pane->MarkedText().data() - line.data());
        QCOMPARE(std::count(line.begin(), line.begin() + static_cast<std::ptrdiff_t>(within), ','), 3 + 5);

        QCoreApplication::processEvents();
        const QImage image = pane->viewport()->grab().toImage();
        const size_t markAt = static_cast<size_t>(pane->MarkedText().data() - pane->Text().data());
        const QPoint cell = pane->PointOf(markAt);
        const QPoint before = pane->PointOf(markAt - 2); // the comma's cell ahead of it, in the band
        QCOMPARE(QColor(image.pixel(cell + QPoint(1, 1))), pane->palette().color(QPalette::Highlight));
        QCOMPARE(QColor(image.pixel(cell + QPoint(3, 3))), pane->palette().color(QPalette::Base));
        QCOMPARE(QColor(image.pixel(before + QPoint(1, 1))), pane->palette().color(QPalette::Highlight));

        QTest::mouseClick(outline.viewport(), Qt::LeftButton, {}, outline.visualRect(door).center());
        QVERIFY(pane->MarkedText().empty());
    }

    // Fields are worked out for the records opened, never for a run as a whole.
    void onlyOpenedRecordsCostAnything() {
        Opened level(2);
        OutlineModel& model = level.outline->Model();
        const int32_t span = level.FirstListing(&format::kVertex);
        QVERIFY(span >= 0);
        const QModelIndex run = model.IndexOfSpan(span);
        for (QModelIndex up = run; up.isValid(); up = up.parent())
            level.outline->expand(up);
        QCoreApplication::processEvents();
        QCOMPARE(model.OpenedRecords(), size_t{0});
        const QModelIndex second = model.index(1, 0, run);
        level.outline->expand(second);
        QCoreApplication::processEvents();
        QCOMPARE(model.OpenedRecords(), size_t{1});
        QCOMPARE(model.rowCount(second), 4); // x, y, z and the six unread bytes
        QCOMPARE(model.index(3, OutlineModel::kName, second).data().toString(), QStringLiteral("unread"));
        // The model answers consistently for every node, field nodes and unread ones included.
        {
            QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
            QVERIFY(model.OpenedRecords() > 100);
        } // (a tester left running would go over the model again after the reset)
        // A new walk forgets them.
        level.selection->ResetForNewWalk();
        QCOMPARE(model.OpenedRecords(), size_t{0});
    }
};

QTEST_MAIN(FieldsTest)
#include "FieldsTest.moc"
