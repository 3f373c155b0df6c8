// The byte readings: the readings of known bytes in both byte orders, the 8-bit palette it takes its
// colours from, the field it names at an offset of a builder level, and the dock in the main window
// (shown by its key, following a click in the hex view, copying a value, back after a restart).
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDockWidget>
#include <QMenu>
#include <QSettings>
#include <QStandardPaths>
#include <QTest>
#include <QTreeWidget>

#include "DockRestart.h"
#include "common/TestFiles.h"
#include "format/DetailOptions.h"
#include "report/ReportRun.h"
#include "tools/LevelBuilder.h"
#include "ui/ReadingsDock.h"
#include "ui/StructureViews.h"
#include "ui/frmMain.h"
#include "views/HexView.h"
#include "views/ReadingsModel.h"
#include "views/ReadingsPane.h"
#include "views/SpanSelection.h"

using readings::Reading;

namespace {

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

std::vector<uint8_t> BytesOf(const QString& hex) {
    std::vector<uint8_t> out;
    for (const QString& b : hex.split(QLatin1Char(' '), Qt::SkipEmptyParts))
        out.push_back(static_cast<uint8_t>(b.toUInt(nullptr, 16)));
    return out;
}

ReadingsDock& Readings(frmMain& w) {
    auto* dock = w.findChild<ReadingsDock*>();
    if (!dock)
        qFatal("no Byte Readings dock");
    return *dock;
}

// The first byte of room 0's vertex 1 in a builder level: the room's header, its data size field, the
// vertex count and vertex 0 before it.
int64_t Vertex1(const levelbuilder::Layout& layout) {
    return layout.Rooms.at(0) + 16 + 4 + 2 + 12;
}

int16_t S16At(const std::vector<uint8_t>& bytes, int64_t at) {
    const auto i = static_cast<size_t>(at);
    return static_cast<int16_t>(bytes.at(i) | (bytes.at(i + 1) << 8));
}

} // namespace

Q_DECLARE_METATYPE(Reading)

class ReadingsTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() {
        QStandardPaths::setTestModeEnabled(true);
        QCoreApplication::setOrganizationName(QStringLiteral("StrataViewerReadingsTests"));
        QSettings().clear();
    }

    void readingsReadsKnownBytes_data() {
        QTest::addColumn<QString>("bytes");
        QTest::addColumn<bool>("big");
        QTest::addColumn<Reading>("reading");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char* name, const char* bytes, bool big, Reading r, const char* expected) {
            QTest::newRow(name) << QString::fromLatin1(bytes) << big << r << QString::fromLatin1(expected);
        };
        row("u8 of FF", "FF 01", false, Reading::U8, "255");
        row("s8 of FF", "FF 01", false, Reading::S8, "-1");
        row("u16 little", "34 12", false, Reading::U16, "4660");
        row("u16 big", "34 12", true, Reading::U16, "13330");
        row("s16 little -512", "00 FE", false, Reading::S16, "-512");
        row("s16 big -512", "FE 00", true, Reading::S16, "-512");
        row("u32 little 4096", "00 10 00 00", false, Reading::U32, "4096");
        row("u32 big 4096", "00 00 10 00", true, Reading::U32, "4096");
        row("u32 all ones", "FF FF FF FF", false, Reading::U32, "4294967295");
        row("s32 all ones", "FF FF FF FF", false, Reading::S32, "-1");
        row("s32 big", "FF FF FE 00", true, Reading::S32, "-512");
        row("u64 all ones", "FF FF FF FF FF FF FF FF", false, Reading::U64, "18446744073709551615");
        row("s64 all ones", "FF FF FF FF FF FF FF FF", false, Reading::S64, "-1");
        row("s64 lowest, big", "80 00 00 00 00 00 00 00", true, Reading::S64, "-9223372036854775808");
        row("s64 lowest, little", "00 00 00 00 00 00 00 80", false, Reading::S64, "-9223372036854775808");
        row("f32 one, little", "00 00 80 3F", false, Reading::F32, "1");
        row("f32 one, big", "3F 80 00 00", true, Reading::F32, "1");
        row("f32 minus ten", "00 00 20 C1", false, Reading::F32, "-10");
        row("f32 a tenth", "CD CC CC 3D", false, Reading::F32, "0.1");
        row("f32 NaN", "00 00 C0 7F", false, Reading::F32, "NaN");
        row("f32 negative NaN", "01 00 80 FF", false, Reading::F32, "NaN");
        row("f32 inf", "00 00 80 7F", false, Reading::F32, "inf");
        row("f32 -inf, big", "FF 80 00 00", true, Reading::F32, "-inf");
        row("f64 one", "00 00 00 00 00 00 F0 3F", false, Reading::F64, "1");
        row("f64 minus two, big", "C0 00 00 00 00 00 00 00", true, Reading::F64, "-2");
        row("f64 NaN", "00 00 00 00 00 00 F8 7F", false, Reading::F64, "NaN");
        row("f64 -inf", "00 00 00 00 00 00 F0 FF", false, Reading::F64, "-inf");
        row("hex", "2D 00", false, Reading::Hex, "2D");
        row("hex of a small byte", "0A", false, Reading::Hex, "0A");
        row("binary", "2D 00", false, Reading::Binary, "00101101");
        // 5-5-5 words: bit 15 alpha, then red, green and blue; 31 is 255, 16 is 132 (16 x 255 / 31).
        row("colour red without alpha", "00 7C", false, Reading::Colour16, "A0 R31 G0 B0 (#FF0000)");
        row("colour green with alpha", "E0 83", false, Reading::Colour16, "A1 R0 G31 B0 (#00FF00)");
        row("colour green with alpha, big", "83 E0", true, Reading::Colour16, "A1 R0 G31 B0 (#00FF00)");
        row("colour blue 16 with alpha", "10 80", false, Reading::Colour16, "A1 R0 G0 B16 (#000084)");
        row("colour mixed", "21 04", false, Reading::Colour16, "A0 R1 G1 B1 (#080808)");
        row("palette index without palette", "07", false, Reading::PaletteIndex, "7 (no palette)");
        // Past the end of the file: fewer bytes than the reading takes.
        row("u32 past the end", "01 02", false, Reading::U32, "past the end of the file (2 of 4 bytes)");
        row("u16 just inside", "01 02", false, Reading::U16, "513");
        row("f64 past the end", "01 02 03 04 05 06 07", false, Reading::F64,
            "past the end of the file (7 of 8 bytes)");
        row("u8 with no byte", "", false, Reading::U8, "past the end of the file (0 of 1 bytes)");
    }

    void readingsReadsKnownBytes() {
        QFETCH(QString, bytes);
        QFETCH(bool, big);
        QFETCH(Reading, reading);
        QFETCH(QString, expected);
        const std::vector<uint8_t> b = BytesOf(bytes);
        const std::vector<readings::Row> rows = readings::Read(b, big, nullptr);
        QCOMPARE(static_cast<int>(rows.size()), readings::kReadings);
        const readings::Row& row = rows[static_cast<size_t>(reading)];
        QCOMPARE(row.What, reading);
        QCOMPARE(row.Value, expected);
        QCOMPARE(row.Complete, static_cast<int>(b.size()) >= readings::BytesOf(reading));
    }

    // The swatches: the 5-5-5 colour with its alpha bit, and the palette's colour for an index.
    void readingsColourSwatches() {
        const struct {
            uint16_t Word;
            int R, G, B, A;
        } words[] = {
            {0x0000, 0, 0, 0, 0},       {0x8000, 0, 0, 0, 255}, {0x7FFF, 255, 255, 255, 0},
            {0xFC00, 255, 0, 0, 255},   {0x03E0, 0, 255, 0, 0}, {0x801F, 0, 0, 255, 255},
            {0x4210, 132, 132, 132, 0}, {0x0421, 8, 8, 8, 0},
        };
        for (const auto& w : words) {
            const QColor c = readings::Colour555(w.Word);
            QVERIFY2(c == QColor(w.R, w.G, w.B, w.A), qPrintable(QString::number(w.Word, 16)));
        }
        const std::vector<uint8_t> word = {0x00, 0xFC};
        QCOMPARE(readings::Read(word, false, nullptr)[static_cast<size_t>(Reading::Colour16)].Swatch,
                 QColor(255, 0, 0, 255));

        readings::Palette palette{};
        palette[200] = qRgb(10, 20, 30);
        const std::vector<uint8_t> index = {200};
        const readings::Row row =
            readings::Read(index, false, &palette)[static_cast<size_t>(Reading::PaletteIndex)];
        QCOMPARE(row.Value, QStringLiteral("200 (#0A141E)"));
        QCOMPARE(row.Swatch, QColor(10, 20, 30));
        QVERIFY(!readings::Read(index, false, nullptr)[static_cast<size_t>(Reading::PaletteIndex)]
                     .Swatch.isValid());
    }

    // The 8-bit palette: read from the level's bytes when the walk did not load it, from the store when
    // it did; both scale 6-bit components alike (x 4, at most 255).
    void readingsPaletteFromTheLevelOrTheStore() {
        levelbuilder::Level level = levelbuilder::FilledLevel(2);
        level.Palette8[5 * 3] = 63;
        level.Palette8[5 * 3 + 1] = 32;
        level.Palette8[5 * 3 + 2] = 1;
        level.Palette8[6 * 3] = 70; // out of range: 280, kept at 255
        const std::vector<uint8_t> bytes = levelbuilder::Build(level);

        AppState bare;
        QVERIFY(!readings::Palette8Of(bare));
        bare.Level = std::make_shared<const LevelFile>(LevelFile::FromBytes(bytes));
        const std::optional<readings::Palette> fromBytes = readings::Palette8Of(bare);
        QVERIFY(fromBytes);
        QCOMPARE((*fromBytes)[5], qRgb(252, 128, 4));
        QCOMPARE(qRed((*fromBytes)[6]), 255);

        TempDir dir;
        AppState walked;
        walked.TileFolderOverride = dir.Path() / "tiles";
        SetAllDetails(walked.DetailOptions, true);
        ReportLevelFile(walked, dir.Write("level.dm2", bytes));
        QVERIFY(walked.PalettesLoaded);
        const std::optional<readings::Palette> fromStore = readings::Palette8Of(walked);
        QVERIFY(fromStore);
        QVERIFY(*fromStore == *fromBytes);

        // A file too short to hold the palette has none.
        AppState cut;
        cut.Level = std::make_shared<const LevelFile>(
            LevelFile::FromBytes(std::vector<uint8_t>(bytes.begin(), bytes.begin() + 100)));
        QVERIFY(!readings::Palette8Of(cut));
    }

    // The field at an offset of a builder level: a vertex's column with its repeat-free name and value,
    // the count field in front of the vertices, and none in the version word.
    void readingsNamesTheFieldAtAnOffset() {
        levelbuilder::Layout layout;
        const std::vector<uint8_t> bytes = levelbuilder::Build(levelbuilder::FilledLevel(2), layout);
        TempDir dir;
        AppState state;
        state.TileFolderOverride = dir.Path() / "tiles";
        SetAllDetails(state.DetailOptions, true);
        ReportLevelFile(state, dir.Write("level.dm2", bytes));
        const int64_t vertex = Vertex1(layout);
        const struct {
            int64_t Offset;
            const char* Name;
            int64_t First;
            int32_t Bytes;
        } cases[] = {
            {vertex, "x", vertex, 2},
            {vertex + 3, "y", vertex + 2, 2},
            {vertex + 4, "z", vertex + 4, 2},
        };
        for (const auto& c : cases) {
            const auto field = readings::FieldAt(state.Map, *state.Level, c.Offset);
            QVERIFY2(field, c.Name);
            QCOMPARE(field->Name, QString::fromLatin1(c.Name));
            QCOMPARE(field->First, c.First);
            QCOMPARE(field->Bytes, c.Bytes);
            QCOMPARE(field->Value, QString::number(S16At(bytes, c.First)));
            QVERIFY2(field->Place.startsWith(QStringLiteral("Vertex No 1 at ")), qPrintable(field->Place));
        }
        const auto count = readings::FieldAt(state.Map, *state.Level, layout.Parts.at(0).Vertices);
        QVERIFY(count);
        QVERIFY2(count->Name.endsWith(QStringLiteral(" count")), qPrintable(count->Name));
        QCOMPARE(count->Value, QString::number(S16At(bytes, layout.Parts.at(0).Vertices)));
        QVERIFY(!readings::FieldAt(state.Map, *state.Level, 0));
    }

    // The real window: the dock hidden at first, shown by its key; a click on a byte in the hex view
    // fills it; the big-endian toggle reads the same bytes the other way; Ctrl+C copies a row's value.
    void readingsDockFollowsAClickInTheHexView() {
        QSettings().clear();
        TempDir dir;
        AppState state;
        state.ProgramFolder = dir.Path();
        frmMain w(state);
        SetAllDetails(state.DetailOptions, true);
        ReadingsDock& readings = Readings(w);
        QVERIFY(readings.Dock()->isHidden());
        QAction* toggle = w.findChild<QAction*>(QStringLiteral("mnuStructureReadings"));
        QVERIFY(toggle && w.StructureMenu()->actions().contains(toggle));
        QCOMPARE(toggle->text(), QStringLiteral("&Byte Readings"));
        QCOMPARE(toggle->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_7));

        levelbuilder::Layout layout;
        const std::vector<uint8_t> bytes = levelbuilder::Build(levelbuilder::FilledLevel(2), layout);
        w.OpenLevel(Q(dir.Write("level.dm2", bytes)));
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QWidget* focus = QApplication::focusWidget();
        QTest::keyClick(focus ? focus : &w, Qt::Key_7, Qt::ControlModifier);
        QVERIFY(readings.Dock()->isVisible());
        StructureViews& views = w.Structure();
        views.ShowAll();
        QCoreApplication::processEvents();

        const int64_t y = Vertex1(layout) + 2;
        HexView* hex = views.Hex();
        hex->ScrollToOffset(y);
        QCoreApplication::processEvents();
        QTest::mouseClick(hex->viewport(), Qt::LeftButton, {}, hex->ByteRect(y).center());
        QCOMPARE(w.Selection().PickedOffset(), y);
        ReadingsPane& pane = *readings.Pane();
        QCOMPARE(pane.Offset(), y);
        const auto at = static_cast<size_t>(y);
        const int16_t value = S16At(bytes, y);
        QCOMPARE(pane.ValueOf(Reading::U8), QString::number(bytes[at]));
        QCOMPARE(pane.ValueOf(Reading::S16), QString::number(value));
        QCOMPARE(pane.ValueOf(Reading::U16), QString::number(static_cast<uint16_t>(value)));
        QCOMPARE(pane.FieldLine().section(QLatin1Char(' '), 0, 2), QStringLiteral("y = %1").arg(value));

        // Big-endian: the same two bytes, the other way round.
        pane.BigEndianBox()->click();
        QVERIFY(pane.BigEndian());
        QCOMPARE(pane.ValueOf(Reading::U16), QString::number((bytes[at] << 8) | bytes[at + 1]));
        pane.BigEndianBox()->click();

        // Ctrl+C on the s16 row puts its value on the clipboard; the same command is in its context menu.
        QTreeWidget* rows = pane.Rows();
        rows->setCurrentItem(rows->topLevelItem(static_cast<int>(Reading::S16)));
        rows->setFocus();
        QApplication::clipboard()->clear();
        QTest::keyClick(rows, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QApplication::clipboard()->text(), QString::number(value));
        QCOMPARE(rows->contextMenuPolicy(), Qt::ActionsContextMenu);
        QAction* copy = rows->findChild<QAction*>(QStringLiteral("mnuReadingsCopy"));
        QVERIFY(copy && rows->actions().contains(copy));
        rows->setCurrentItem(rows->topLevelItem(static_cast<int>(Reading::Hex)));
        copy->trigger();
        QCOMPARE(QApplication::clipboard()->text(),
                 QStringLiteral("%1").arg(bytes[at], 2, 16, QLatin1Char('0')).toUpper());

        // The last byte of the file: every wider reading says it runs past the end.
        w.Selection().SelectOffset(static_cast<int64_t>(bytes.size()) - 1, nullptr);
        QCOMPARE(pane.ValueOf(Reading::U8), QString::number(bytes.back()));
        QCOMPARE(pane.ValueOf(Reading::U16), QStringLiteral("past the end of the file (1 of 2 bytes)"));
        QSettings().clear();
    }

    // Shown when the window closed, shown after a restart; hidden, hidden.
    void readingsDockComesBackAfterARestart() {
        CheckDockComesBackAfterARestart([](frmMain& w) { return Readings(w).Dock(); });
    }
};

QTEST_MAIN(ReadingsTest)
#include "ReadingsTest.moc"
