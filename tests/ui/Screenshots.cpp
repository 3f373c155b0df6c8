// Renders every window with a builder-made level open into PNG files, for a person to look at.
// Usage: strata-screenshots OUTPUT_FOLDER
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include "palette/frmMainPal.h"
#include "palette/frmViewPalette.h"
#include "tiles/frmTextureTiles.h"
#include "tools/LevelBuilder.h"
#include "ui/frmAbout.h"
#include "ui/frmHelp.h"
#include "ui/frmMain.h"
#include "ui/frmReportDetails.h"

namespace {

void Save(QWidget& window, const QDir& folder, const char* name) {
    window.show();
    QApplication::processEvents();
    window.grab().save(folder.filePath(QString::fromLatin1(name) + ".png"));
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    if (argc < 2)
        return 2;
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    folder.mkpath(QStringLiteral("."));

    AppState state;
    state.ProgramFolder = folder.absolutePath().toStdString();
    const std::string level = folder.filePath(QStringLiteral("level1.dm2")).toStdString();
    levelbuilder::WriteFile(level, levelbuilder::Build(levelbuilder::FilledLevel(2)));

    frmMain main(state);
    main.show();
    main.OpenLevel(QString::fromStdString(level));
    Save(main, folder, "frmMain-undetailed");
    main.GetAllDetails();
    main.FindInReport(QStringLiteral("Textures loaded"));
    Save(main, folder, "frmMain-detailed");

    std::unique_ptr<frmReportDetails> details(main.CreateDetailDialog());
    Save(*details, folder, "frmReportDetails");
    std::unique_ptr<frmMainPal> examiner(main.CreatePaletteExaminer());
    Save(*examiner, folder, "frmMainPal");
    std::unique_ptr<frmViewPalette> colours(examiner->CreateColourList(8));
    Save(*colours, folder, "frmViewPalette");
    std::unique_ptr<frmTextureTiles> tiles(main.CreateTileViewer());
    Save(*tiles, folder, "frmTextureTiles");
    tiles->TileNumbers()->setCurrentIndex(1);
    Save(*tiles, folder, "frmTextureTiles-2");
    std::unique_ptr<frmHelp> help(main.CreateHelp());
    Save(*help, folder, "frmHelp");
    std::unique_ptr<frmAbout> about(main.CreateAbout());
    Save(*about, folder, "frmAbout");
    return 0;
}
