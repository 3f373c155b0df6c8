// The palette examiner and the colour list.
#include <QAction>
#include <QFrame>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeView>

#include "palette/PaletteStore.h"
#include "palette/frmMainPal.h"
#include "palette/frmViewPalette.h"

namespace {

// 8-bit colour i: red i mod 64, green 0, blue 63 - i mod 64 (6-bit). 16-bit colour i: i, 2i, 3i and a
// fourth byte.
std::shared_ptr<CSmartArray> Palette8() {
    std::array<uint8_t, 768> bytes{};
    for (size_t i = 0; i < 256; ++i)
        bytes[3 * i] = static_cast<uint8_t>(i % 64), bytes[3 * i + 2] = static_cast<uint8_t>(63 - i % 64);
    return MakePalette8(bytes);
}

std::shared_ptr<CSmartArray> Palette16(uint8_t fourth = 0) {
    std::array<uint8_t, 1024> bytes{};
    for (size_t i = 0; i < 256; ++i)
        for (size_t c = 0; c < 4; ++c)
            bytes[4 * i + c] = static_cast<uint8_t>(c < 3 ? (c + 1) * i : fourth);
    return MakePalette16(bytes);
}

QColor Fill(const QFrame* swatch) {
    return swatch->palette().color(QPalette::Window);
}

} // namespace

class PaletteWindowsTest : public QObject {
    Q_OBJECT
  private slots:
    void swatchesAndTheirTooltips();
    void colourListAndCaptions();
    void escapeClosesTheExaminerAfterItsColourList();
};

void PaletteWindowsTest::swatchesAndTheirTooltips() {
    frmMainPal examiner(Palette8(), Palette16());
    QCOMPARE(examiner.Swatch8(0)->toolTip(), QStringLiteral("Color index:1 R: 0  G: 0  B: 252"));
    QCOMPARE(examiner.Swatch8(255)->toolTip(), QStringLiteral("Color index:256 R: 252  G: 0  B: 0"));
    QCOMPARE(examiner.Swatch16(0)->toolTip(), QStringLiteral("Color index:1 R: 0  G: 0  B: 0"));
    QCOMPARE(examiner.Swatch16(255)->toolTip(), QStringLiteral("Color index:256 R: 255  G: 254  B: 253"));
    QCOMPARE(Fill(examiner.Swatch8(255)), QColor(252, 0, 0));
    QCOMPARE(Fill(examiner.Swatch16(1)), QColor(1, 2, 3));
    // The fourth byte of a 16-bit colour is not shown.
    frmMainPal other(Palette8(), Palette16(200));
    QCOMPARE(Fill(other.Swatch16(100)), Fill(examiner.Swatch16(100)));
    QCOMPARE(other.Swatch16(100)->toolTip(), examiner.Swatch16(100)->toolTip());
    // "Save As Binary..." does nothing.
    const auto children = examiner.children().size();
    examiner.findChild<QAction*>(QStringLiteral("mnuFileSaveAsBinary"))->trigger();
    QCOMPARE(examiner.children().size(), children);

    // With either list empty, or none loaded yet, no swatch of either grid is painted.
    frmMainPal emptied(Palette8(), std::make_shared<CSmartArray>());
    frmMainPal never(nullptr, nullptr); // no walk has loaded palettes yet
    for (int k = 0; k < 256; ++k) {
        QCOMPARE(Fill(emptied.Swatch8(k)), QColor(64, 0, 64));
        QCOMPARE(Fill(emptied.Swatch16(k)), QColor(64, 0, 64));
        QVERIFY(emptied.Swatch8(k)->toolTip().isEmpty());
    }
    QCOMPARE(Fill(never.Swatch8(0)), QColor(64, 0, 64));
    QVERIFY(!emptied.findChild<QMenu*>(QStringLiteral("mnuViewPalette"))->menuAction()->isEnabled());
}

void PaletteWindowsTest::colourListAndCaptions() {
    frmMainPal examiner(Palette8(), Palette16());
    examiner.Init(QStringLiteral("C:\\OnyxLevels\\New\\level1.dm2"));
    QCOMPARE(examiner.windowTitle(),
             QStringLiteral("DM Palette Examiner:   C:\\OnyxLevels\\New\\level1.dm2"));
    std::unique_ptr<frmViewPalette> list(examiner.CreateColourList(8));
    QCOMPARE(list->windowTitle(), QStringLiteral("level1.dm2;  8 bit palette"));
    QCOMPARE(std::unique_ptr<frmViewPalette>(examiner.CreateColourList(16))->windowTitle(),
             QStringLiteral("level1.dm2;  16 bit palette"));
    examiner.Init(QStringLiteral("/home/user/levels/city.dm3"));
    QCOMPARE(std::unique_ptr<frmViewPalette>(examiner.CreateColourList(8))->windowTitle(),
             QStringLiteral("city.dm3;  8 bit palette"));

    const QAbstractItemModel* model = list->ColourList()->model();
    QCOMPARE(model->rowCount(), 256);
    QStringList first, last;
    for (int c = 0; c < 4; ++c) {
        first << model->headerData(c, Qt::Horizontal).toString() + "=" + model->index(0, c).data().toString();
        last << model->index(255, c).data().toString();
    }
    QCOMPARE(first, (QStringList{"Index=1", "Red=0", "Green=0", "Blue=252"}));
    QCOMPARE(last, (QStringList{"256", "252", "0", "0"}));
}

// The list is chosen from the menu bar's keyboard navigation, which leaves the focus on the menu bar;
// Escape there still closes the examiner once the list is closed.
void PaletteWindowsTest::escapeClosesTheExaminerAfterItsColourList() {
    frmMainPal examiner(Palette8(), Palette16());
    examiner.show();
    auto* bar = examiner.findChild<QMenuBar*>(QStringLiteral("mnuPalBar"));
    bar->setFocus(Qt::MenuBarFocusReason);
    bool listShown = false;
    QTimer::singleShot(0, &examiner, [&] {
        auto* list = examiner.findChild<frmViewPalette*>();
        listShown = list && list->isVisible();
        if (list)
            QTest::mouseClick(list->findChild<QPushButton*>(QStringLiteral("cmdDone")), Qt::LeftButton);
    });
    examiner.findChild<QAction*>(QStringLiteral("mnuViewPalette8"))->trigger();
    QVERIFY(listShown);
    QVERIFY(examiner.isVisible());
    QWidget* focus = examiner.focusWidget() ? examiner.focusWidget() : bar;
    QTest::keyClick(focus, Qt::Key_Escape);
    QVERIFY(!examiner.isVisible());
    QCOMPARE(examiner.result(), int(QDialog::Rejected));
}

QTEST_MAIN(PaletteWindowsTest)
#include "PaletteWindowsTest.moc"
