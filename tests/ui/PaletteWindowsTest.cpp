// The palette examiner and the colour list.
#include <QAbstractItemModelTester>
#include <QAction>
#include <QFrame>
#include <QGroupBox>
#include <QMenu>
#include <QTest>
#include <QTreeView>

#include "palette/ColourListModel.h"
#include "palette/PaletteStore.h"
#include "palette/PaletteText.h"
#include "palette/frmMainPal.h"
#include "palette/frmViewPalette.h"

namespace {

// 8-bit colour i: red i mod 64, green 0, blue 63 - i mod 64 (6-bit). 16-bit colour i: i, 2i, 3i and a fourth
// byte.
std::shared_ptr<CSmartArray> Palette8() {
    std::array<uint8_t, 768> bytes{};
    for (int i = 0; i < 256; ++i) {
        bytes[static_cast<size_t>(3 * i)] = static_cast<uint8_t>(i % 64);
        bytes[static_cast<size_t>(3 * i + 2)] = static_cast<uint8_t>(63 - i % 64);
    }
    return MakePalette8(bytes);
}

std::shared_ptr<CSmartArray> Palette16(uint8_t fourth = 0) {
    std::array<uint8_t, 1024> bytes{};
    for (int i = 0; i < 256; ++i) {
        bytes[static_cast<size_t>(4 * i)] = static_cast<uint8_t>(i);
        bytes[static_cast<size_t>(4 * i + 1)] = static_cast<uint8_t>(2 * i);
        bytes[static_cast<size_t>(4 * i + 2)] = static_cast<uint8_t>(3 * i);
        bytes[static_cast<size_t>(4 * i + 3)] = fourth;
    }
    return MakePalette16(bytes);
}

QColor Fill(const QFrame* swatch) {
    return swatch->palette().color(QPalette::Window);
}

} // namespace

class PaletteWindowsTest : public QObject {
    Q_OBJECT
  private slots:
    void swatchTooltipsRunFromIndex1To256();
    void emptyListLeavesEveryPlaceholder();
    void fourthByteOfA16BitColourIsNotShown();
    void captionsFollowTheLevelFileName();
    void colourListRows();
    void saveAsBinaryDoesNothing();
};

void PaletteWindowsTest::swatchTooltipsRunFromIndex1To256() {
    frmMainPal examiner(Palette8(), Palette16());
    QCOMPARE(examiner.Swatch8(0)->toolTip(), QStringLiteral("Color index:1 R: 0  G: 0  B: 252"));
    QCOMPARE(examiner.Swatch8(255)->toolTip(), QStringLiteral("Color index:256 R: 252  G: 0  B: 0"));
    QCOMPARE(examiner.Swatch16(0)->toolTip(), QStringLiteral("Color index:1 R: 0  G: 0  B: 0"));
    QCOMPARE(examiner.Swatch16(255)->toolTip(), QStringLiteral("Color index:256 R: 255  G: 254  B: 253"));
    QCOMPARE(Fill(examiner.Swatch8(255)), QColor(252, 0, 0));
    QCOMPARE(Fill(examiner.Swatch16(1)), QColor(1, 2, 3));

    // Swatch k stands in row k div 16, column k mod 16, neighbours sharing a border line.
    QCOMPARE(examiner.Swatch8(0)->geometry(), QRect(12, 24, 17, 17));
    QCOMPARE(examiner.Swatch8(17)->geometry(), QRect(28, 40, 17, 17));
    QCOMPARE(examiner.Swatch16(255)->parentWidget()->objectName(), QStringLiteral("fra16bits"));
    QCOMPARE(examiner.findChild<QGroupBox*>(QStringLiteral("fra8bits"))->title(),
             QStringLiteral("8 bits Palette, 256 colors"));
    QCOMPARE(examiner.findChild<QGroupBox*>(QStringLiteral("fra16bits"))->title(),
             QStringLiteral("16 bits Palette, limited to 256 colors"));

    auto* view = examiner.findChild<QMenu*>(QStringLiteral("mnuViewPalette"));
    QCOMPARE(view->title(), QStringLiteral("View &Palette"));
    QVERIFY(view->menuAction()->isEnabled());
    QCOMPARE(examiner.findChild<QAction*>(QStringLiteral("mnuViewPalette8"))->text(),
             QStringLiteral("&8 bits Palette"));
    QCOMPARE(examiner.findChild<QAction*>(QStringLiteral("mnuViewPalette16"))->text(),
             QStringLiteral("1&6 bits Palette"));
}

void PaletteWindowsTest::emptyListLeavesEveryPlaceholder() {
    frmMainPal examiner(Palette8(), std::make_shared<CSmartArray>());
    for (int k = 0; k < 256; ++k) {
        QCOMPARE(Fill(examiner.Swatch8(k)), QColor(64, 0, 64));
        QCOMPARE(Fill(examiner.Swatch16(k)), QColor(64, 0, 64));
        QVERIFY(examiner.Swatch8(k)->toolTip().isEmpty());
    }
    QVERIFY(!examiner.findChild<QMenu*>(QStringLiteral("mnuViewPalette"))->menuAction()->isEnabled());

    frmMainPal never(nullptr, nullptr); // no walk has loaded palettes yet
    QCOMPARE(Fill(never.Swatch8(0)), QColor(64, 0, 64));
}

void PaletteWindowsTest::fourthByteOfA16BitColourIsNotShown() {
    frmMainPal a(Palette8(), Palette16(0));
    frmMainPal b(Palette8(), Palette16(200));
    for (int k : {0, 100, 255}) {
        QCOMPARE(Fill(a.Swatch16(k)), Fill(b.Swatch16(k)));
        QCOMPARE(a.Swatch16(k)->toolTip(), b.Swatch16(k)->toolTip());
    }
}

void PaletteWindowsTest::captionsFollowTheLevelFileName() {
    frmMainPal examiner(Palette8(), Palette16());
    examiner.Init(QStringLiteral("C:\\OnyxLevels\\New\\level1.dm2"));
    QCOMPARE(examiner.windowTitle(),
             QStringLiteral("DM Palette Examiner:   C:\\OnyxLevels\\New\\level1.dm2"));
    std::unique_ptr<frmViewPalette> list8(examiner.CreateColourList(8));
    QCOMPARE(list8->windowTitle(), QStringLiteral("level1.dm2;  8 bit palette"));
    std::unique_ptr<frmViewPalette> list16(examiner.CreateColourList(16));
    QCOMPARE(list16->windowTitle(), QStringLiteral("level1.dm2;  16 bit palette"));

    examiner.Init(QStringLiteral("/home/user/levels/city.dm3"));
    QCOMPARE(std::unique_ptr<frmViewPalette>(examiner.CreateColourList(8))->windowTitle(),
             QStringLiteral("city.dm3;  8 bit palette"));
    QCOMPARE(QString::fromStdString(ColourListCaption("", 16)), QStringLiteral("16 bit palette"));
}

void PaletteWindowsTest::colourListRows() {
    frmMainPal examiner(Palette8(), Palette16());
    std::unique_ptr<frmViewPalette> list(examiner.CreateColourList(8));
    QAbstractItemModel* model = list->ColourList()->model();
    QAbstractItemModelTester tester(model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QCOMPARE(model->rowCount(), 256);
    QCOMPARE(model->columnCount(), 4);
    const char* headers[] = {"Index", "Red", "Green", "Blue"};
    for (int c = 0; c < 4; ++c)
        QCOMPARE(model->headerData(c, Qt::Horizontal).toString(), QString::fromLatin1(headers[c]));
    const auto cell = [model](int r, int c) { return model->data(model->index(r, c)).toString(); };
    QCOMPARE(cell(0, 0), QStringLiteral("1"));
    QCOMPARE(cell(0, 3), QStringLiteral("252"));
    QCOMPARE(cell(255, 0), QStringLiteral("256"));
    QCOMPARE(cell(255, 1), QStringLiteral("252"));
    QCOMPARE(list->findChild<QWidget*>(QStringLiteral("cmdDone"))->property("text").toString(),
             QStringLiteral("Done"));
}

void PaletteWindowsTest::saveAsBinaryDoesNothing() {
    frmMainPal examiner(Palette8(), Palette16());
    auto* save = examiner.findChild<QAction*>(QStringLiteral("mnuFileSaveAsBinary"));
    QCOMPARE(save->text(), QStringLiteral("Save &As Binary..."));
    const int children = examiner.children().size();
    save->trigger();
    QCOMPARE(examiner.children().size(), children);
}

QTEST_MAIN(PaletteWindowsTest)
#include "PaletteWindowsTest.moc"
