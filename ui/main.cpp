// strata-viewer: the desktop analyser of DM2 and DM3 level files.
#include <cstdio>
#include <cstring>

#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>

#include "engine/AppState.h"
#include "engine/TileFolder.h"
#include "ui/AppIcon.h"
#include "ui/StructureViews.h"
#include "ui/frmMain.h"
#include "views/OffsetText.h"

namespace {

void DescribeArguments(QCommandLineParser& parser) {
    parser.setApplicationDescription(
        QStringLiteral("Reports the chunks and records of a DM2 or DM3 level file."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("file"),
                                 QStringLiteral("Level file to open, as File / Open would."),
                                 QStringLiteral("[FILE]"));
    parser.addOption(QCommandLineOption(
        QStringLiteral("goto"),
        QStringLiteral("Show the byte at OFFSET (\"0x1F2C\", \"1F2Ch\" or decimal) of FILE in the hex view."),
        QStringLiteral("OFFSET")));
}

bool AsksForHelpOrVersion(int argc, char* argv[]) {
    for (int i = 1; i < argc; ++i)
        for (const char* option : {"-h", "-?", "--help", "--help-all", "-v", "--version"})
            if (std::strcmp(argv[i], option) == 0)
                return true;
    return false;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication::setApplicationName(QStringLiteral("strata-viewer"));
    QCoreApplication::setApplicationVersion(QStringLiteral(STRATA_VERSION));

    // Help and version are answered without starting the windowing, so they work without a display.
    if (AsksForHelpOrVersion(argc, argv)) {
        QCoreApplication app(argc, argv);
        QCommandLineParser parser;
        DescribeArguments(parser);
        parser.process(app);
    }

    QApplication app(argc, argv);
    QApplication::setWindowIcon(AppIcon());
    QCommandLineParser parser;
    DescribeArguments(parser);
    parser.process(app);

    AppState state;
    state.ProgramFolder = QFile::encodeName(QCoreApplication::applicationDirPath()).toStdString();
    state.TileFolderOverride = FallbackTileFolder(state.ProgramFolder);

    const QString goTo = parser.value(QStringLiteral("goto"));
    if (parser.isSet(QStringLiteral("goto")) && !ParseOffset(goTo.toStdString())) {
        std::fprintf(stderr, "strata-viewer: --goto: not an offset: %s\n", qPrintable(goTo));
        return 2;
    }

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
    if (!startFile.isEmpty() && !goTo.isEmpty() && !window.Structure().GoToOffset(goTo))
        std::fprintf(stderr, "strata-viewer: --goto: %s is not an offset of %s\n", qPrintable(goTo),
                     qPrintable(startFile));
    return app.exec();
}
