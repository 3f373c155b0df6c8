// The tile viewer: list entries and the tile each one shows.
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QTest>

#include "common/TestFiles.h"
#include "tiles/TileLoader.h"
#include "tiles/frmTextureTiles.h"

namespace {

// Tile n (1-based) filled with red 10 x n, written last to first, so that a listing in creation order
// would put the last tile first.
void WriteTiles(const std::filesystem::path& folder, int count) {
    for (int n = count; n >= 1; --n) {
        QImage image(256, 256, QImage::Format_RGB32);
        image.fill(QColor(10 * n, 0, 0));
        image.save(QString::fromStdString(TileFilePath(folder, n).string()), "BMP");
    }
}

int ShownRed(const frmTextureTiles& viewer) {
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
    void entryNShowsTileNAndTheListStopsAtTheLastFile();
};

void TileViewerTest::noTilesGiveAnEmptyDisabledList() {
    TempDir dir;
    WriteTiles(dir.Path(), 2); // files from an earlier export stay, but the count says there are none
    const QString empty = QString::fromStdString((dir.Path() / "empty").string());
    std::filesystem::create_directories(dir.Path() / "empty");
    struct Case {
        std::filesystem::path Folder;
        int Count;
        QString Problem, Reason;
    };
    for (const Case& c : {
             Case{dir.Path(), 0, {}, "The last walk found no texture tiles to export."},
             Case{dir.Path() / "no-such-folder",
                  3,
                  {},
                  "The tile folder " + QString::fromStdString((dir.Path() / "no-such-folder").string()) +
                      " does not exist."},
             Case{dir.Path() / "empty", 3, {}, empty + "/Tile_1.bmp is missing or not a bitmap."},
             Case{dir.Path() / "empty", 3, "cannot write the texture tiles into x: not a folder",
                  "cannot write the texture tiles into x: not a folder"},
         }) {
        frmTextureTiles viewer(c.Folder);
        viewer.Init(static_cast<int16_t>(c.Count));
        viewer.SetExportProblem(c.Problem);
        viewer.Activate();
        QCOMPARE(viewer.TileNumbers()->count(), 0);
        QVERIFY(!viewer.TileNumbers()->isEnabled());
        QVERIFY(viewer.TilePicture()->pixmap().isNull());
        // The window says why it is empty instead of staying blank.
        QCOMPARE(viewer.TilePicture()->text(), c.Reason);
    }
}

void TileViewerTest::entryNShowsTileNAndTheListStopsAtTheLastFile() {
    TempDir dir;
    WriteTiles(dir.Path(), 3);
    frmTextureTiles viewer(dir.Path());
    viewer.Init(3);
    viewer.Activate();
    QCOMPARE(Entries(viewer.TileNumbers()), (QStringList{"1", "2", "3"}));
    QVERIFY(viewer.TileNumbers()->isEnabled());
    QCOMPARE(viewer.TileNumbers()->currentIndex(), 0);
    QCOMPARE(viewer.TilePicture()->pixmap().size(), QSize(256, 256));
    QVERIFY(viewer.EmptyListReason().isEmpty());
    QCOMPARE(ShownRed(viewer), 10);
    viewer.TileNumbers()->setCurrentIndex(2);
    QCOMPARE(ShownRed(viewer), 30);
    // A later activation does not load again.
    WriteTiles(dir.Path(), 4);
    viewer.Activate();
    QCOMPARE(viewer.TileNumbers()->count(), 3);
    // Fewer files than the count: the entries stop at the last file found.
    std::filesystem::remove(TileFilePath(dir.Path(), 3));
    frmTextureTiles fewer(dir.Path());
    fewer.Init(5);
    fewer.Activate();
    QCOMPARE(Entries(fewer.TileNumbers()), (QStringList{"1", "2"}));
}

QTEST_MAIN(TileViewerTest)
#include "TileViewerTest.moc"
