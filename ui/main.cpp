// strata-viewer: the desktop analyser of DM2 and DM3 level files.
#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>

#include "engine/AppState.h"
#include "ui/AppIcon.h"
#include "ui/frmMain.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("strata-viewer"));
    QApplication::setApplicationVersion(QStringLiteral(STRATA_VERSION));
    QApplication::setWindowIcon(AppIcon());

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Reports the chunks and records of a DM2 or DM3 level file."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("file"),
                                 QStringLiteral("Level file to open, as File / Open would."),
                                 QStringLiteral("[FILE]"));
    parser.process(app);

    AppState state;
    state.ProgramFolder = QFile::encodeName(QCoreApplication::applicationDirPath()).toStdString();

    frmMain window(state);
    const QStringList files = parser.positionalArguments();
    QString startFile;
    if (!files.isEmpty()) {
        const QFileInfo info(files.constFirst());
        startFile = info.absoluteFilePath();
        window.SetFallbackOpenFolder(info.absolutePath());
    }
    window.show();
    if (!startFile.isEmpty())
        window.OpenLevel(startFile);
    return app.exec();
}
