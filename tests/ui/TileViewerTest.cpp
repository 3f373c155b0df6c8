// The tile viewer: list entries and the tile each one shows.
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QTest>

#include "common/TestFiles.h"
#include "palette/PaletteStore.h"
#include "tiles/TileLoader.h"
#include "tiles/frmTextureTiles.h"
#include "tiles/m_TileEngine.h"

namespace {

// A level whose tile n (1-based) is filled with palette index n, over a grey ramp palette.
std::vector<uint8_t> LevelWithTiles(int count) {
    std::vector<uint8_t> level(static_cast<size_t>(kFirstTileOffset + kTileBytes * count), 0);
    for (int n = 1; n <= count; ++n)
        std::fill_n(level.begin() + kFirstTileOffset + kTileBytes * (n - 1), kTileBytes,
                    static_cast<uint8_t>(n));
    return level;
}

std::shared_ptr<CSmartArray> GreyRamp() {
    std::array<uint8_t, 768> bytes{};
    for (int i = 0; i < 256; ++i)
        bytes[static_cast<size_t>(3 * i)] = bytes[static_cast<size_t>(3 * i + 1)] =
            bytes[static_cast<size_t>(3 * i + 2)] = static_cast<uint8_t>(i % 64);
    return MakePalette8(bytes);
}

void Export(const std::filesystem::path& folder, int count) {
    const std::vector<uint8_t> level = LevelWithTiles(count);
    const auto palette = GreyRamp();
    ExportTiles(level, folder.string() + "/", static_cast<int16_t>(count), palette.get());
}

// The grey level a shown tile's top-left pixel carries: palette index n gives 4n.
int ShownGrey(const frmTextureTiles& viewer) {
    return qRed(viewer.TilePicture()->pixmap().toImage().pixel(0, 0));
}

QStringList Entries(const QComboBox* list) {
    QStringList entries;
    for (int i = 0; i < list->count(); ++i)
        entries << list->itemText(i);
    return entries;
}

} // namespace

class TileViewerTest : public QObject {
    Q_OBJECT
  private slots:
    void noTilesGiveAnEmptyDisabledList();
    void threeTilesListedAndTheFirstShown();
    void entryNShowsTileNWhateverTheFileOrder();
    void fewerFilesThanTheCountEndTheList();
};

void TileViewerTest::noTilesGiveAnEmptyDisabledList() {
    TempDir dir;
    Export(dir.Path(), 2); // files from an earlier export stay, but the count says there are none
    frmTextureTiles viewer(dir.Path());
    viewer.Init(0);
    viewer.show();
    QCOMPARE(viewer.windowTitle(), QStringLiteral("Texture Tiles Viewer"));
    QCOMPARE(viewer.TileNumbers()->count(), 0);
    QVERIFY(!viewer.TileNumbers()->isEnabled());
    QVERIFY(viewer.TilePicture()->pixmap().isNull());
    QVERIFY(viewer.findChild<QWidget*>(QStringLiteral("cmdDone"))->isEnabled());
    QCOMPARE(viewer.findChild<QLabel*>(QStringLiteral("lblTileNo"))->text(), QStringLiteral("Tile No..."));
}

void TileViewerTest::threeTilesListedAndTheFirstShown() {
    TempDir dir;
    Export(dir.Path(), 3);
    frmTextureTiles viewer(dir.Path());
    viewer.Init(3);
    viewer.Activate();
    QCOMPARE(Entries(viewer.TileNumbers()), (QStringList{"1", "2", "3"}));
    QVERIFY(viewer.TileNumbers()->isEnabled());
    QCOMPARE(viewer.TileNumbers()->currentIndex(), 0);
    QCOMPARE(viewer.TilePicture()->pixmap().size(), QSize(256, 256));
    QCOMPARE(ShownGrey(viewer), 4);
    viewer.TileNumbers()->setCurrentIndex(2);
    QCOMPARE(ShownGrey(viewer), 12);

    // A later activation does not load again.
    Export(dir.Path(), 4);
    viewer.Activate();
    QCOMPARE(viewer.TileNumbers()->count(), 3);
}

void TileViewerTest::entryNShowsTileNWhateverTheFileOrder() {
    TempDir dir;
    // Written last to first, so a listing in creation order would put tile 3 first.
    for (int n = 3; n >= 1; --n) {
        QImage image(256, 256, QImage::Format_RGB32);
        image.fill(QColor(10 * n, 0, 0));
        QVERIFY(image.save(QString::fromStdString(TileFilePath(dir.Path(), n).string()), "BMP"));
    }
    const QList<QImage> images = LoadTileImages(dir.Path(), 3);
    QCOMPARE(images.size(), 3);
    for (int n = 1; n <= 3; ++n)
        QCOMPARE(qRed(images[n - 1].pixel(0, 0)), 10 * n);
}

void TileViewerTest::fewerFilesThanTheCountEndTheList() {
    TempDir dir;
    Export(dir.Path(), 3);
    std::filesystem::remove(TileFilePath(dir.Path(), 3));
    frmTextureTiles viewer(dir.Path());
    viewer.Init(5);
    viewer.Activate();
    QCOMPARE(Entries(viewer.TileNumbers()), (QStringList{"1", "2"}));

    frmTextureTiles missingFolder(dir.Path() / "no-such-folder");
    missingFolder.Init(3);
    missingFolder.Activate();
    QCOMPARE(missingFolder.TileNumbers()->count(), 0);
    QVERIFY(!missingFolder.TileNumbers()->isEnabled());
}

QTEST_MAIN(TileViewerTest)
#include "TileViewerTest.moc"
