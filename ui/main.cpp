// strata-viewer: the desktop analyser of DM2 and DM3 level files.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>

#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>
#include <QMessageBox>

#include "report/AppState.h"
#include "report/TileFolder.h"
#include "ui/AppIcon.h"
#include "ui/DisplayCheck.h"
#include "ui/StartArguments.h"
#include "ui/frmMain.h"

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

// The wrong command line on standard error and, where a display is at hand, in a message box.
int RefuseArguments(const QString& problem, bool withDisplay) {
    std::fprintf(stderr, "%s\n%s\n", qPrintable(problem), qPrintable(StartUsage()));
    if (withDisplay) {
        QMessageBox box(QMessageBox::Critical, QStringLiteral("Dunmoor Strata Viewer"), problem);
        box.setInformativeText(StartUsage());
        box.setWindowIcon(AppIcon());
        box.exec();
    }
    return kWrongArguments;
}

} // namespace

int main(int argc, char* argv[]) {
    // The settings (the layout, the recent files) are kept under this name, not an unknown maker's.
    QCoreApplication::setOrganizationName(QStringLiteral("strata-viewer"));
    QCoreApplication::setApplicationName(QStringLiteral("strata-viewer"));
    QCoreApplication::setApplicationVersion(QStringLiteral(STRATA_VERSION));

    // Help and version are answered without starting the windowing, so they work without a display.
    if (AsksForHelpOrVersion(argc, argv)) {
        QCoreApplication app(argc, argv);
        QCommandLineParser parser;
        DescribeArguments(parser);
        parser.process(app);
    }

    // The arguments are checked first: a wrong command line is a usage error with or without a display.
    // QApplication takes its own options (-platform, -style) out of the arguments it is given.
    const bool withDisplay = DisplayAvailable(std::getenv, argc, argv);
    std::optional<QApplication> app;
    QStringList arguments;
    if (withDisplay) {
        app.emplace(argc, argv);
        arguments = QCoreApplication::arguments();
    } else {
        for (int i = 0; i < argc; ++i)
            arguments << QString::fromLocal8Bit(argv[i]);
    }
    QCommandLineParser parser;
    DescribeArguments(parser);
    const bool parsed = parser.parse(arguments);
    const QString problem =
        parsed ? StartArgumentsProblem(parser.positionalArguments(), parser.isSet(QStringLiteral("goto")),
                                       parser.value(QStringLiteral("goto")))
               : QStringLiteral("strata-viewer: ") + parser.errorText();
    if (!problem.isEmpty())
        return RefuseArguments(problem, withDisplay);
    if (!withDisplay) {
        std::fprintf(stderr, "%s\n", kNoDisplayMessage);
        return 1;
    }
    QApplication::setWindowIcon(AppIcon());

    AppState state;
    state.ProgramFolder = QFile::encodeName(QCoreApplication::applicationDirPath()).toStdString();
    state.TileFolderOverride = FallbackTileFolder(state.ProgramFolder);
    state.TileFolderIsFallback = !state.TileFolderOverride.empty();

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
    // An offset the level does not have is said over the window, which stays open; the program still
    // ends as a wrong command line does.
    QString goToProblem;
    if (parser.isSet(QStringLiteral("goto")))
        goToProblem = window.GoToAtStart(parser.value(QStringLiteral("goto")));
    if (!goToProblem.isEmpty())
        std::fprintf(stderr, "%s\n", qPrintable(goToProblem));
    const int status = QApplication::exec();
    return status == 0 && !goToProblem.isEmpty() ? kWrongArguments : status;
}
