// The window's status line under the report pane tells how a walk ended in the words standard error
// gives it: files of 1 to 3 bytes are no levels, and a walk that came to its last chunk before the
// file's first byte says so with its offset.
#include <QSettings>
#include <QStandardPaths>
#include <QTest>

#include "common/TestFiles.h"
#include "report/ReportRun.h"
#include "report/RunOutcomeText.h"
#include "tools/LevelBuilder.h"
#include "ui/frmMain.h"

class WalkEndTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() {
        QStandardPaths::setTestModeEnabled(true);
        QCoreApplication::setOrganizationName(QStringLiteral("StrataViewerWalkEndTests"));
        QSettings().clear();
    }

    void statusLineTellsTheEndingStandardErrorTells() {
        TempDir dir;
        levelbuilder::Level back = levelbuilder::FilledLevel(3);
        back.Tiles.Count = -1; // the walk steps back over 3 x 64 KiB of tiles that are not there
        struct Case {
            std::string Path;
            std::string Words; // what the line says after the file's name
        } cases[] = {
            {dir.Write("two", {0x2D, 0}), " is not a DM2 or DM3 level: it holds only 2 bytes"},
            {dir.Write("one", {0x38}), " is not a DM2 or DM3 level: it holds only 1 byte"},
            {dir.Write("back.dm3", levelbuilder::Build(back)),
             ": the walk stepped back before the file's start, to offset -"},
        };
        for (const Case& c : cases) {
            AppState state;
            state.ProgramFolder = dir.Path();
            frmMain main(state);
            main.OpenLevel(QString::fromStdString(c.Path));
            const QString line = main.WalkEndLine();
            QVERIFY2(line.startsWith(QString::fromStdString(c.Path + c.Words)), qPrintable(line));
            // The same words as the command line's one description of the run.
            QCOMPARE(line, QString::fromStdString(DescribeRunOutcome(state).Run));
            QCOMPARE(VerdictOf(state.LastRun), RunVerdict::Doubtful);
        }
        QSettings().clear();
    }
};

QTEST_MAIN(WalkEndTest)
#include "WalkEndTest.moc"
