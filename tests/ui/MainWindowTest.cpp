// The main window: enabled states, Open and the Info commands, and Save As CSV.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDockWidget>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>

#include "common/TestFiles.h"
#include "tiles/frmTextureTiles.h"
#include "tools/LevelBuilder.h"
#include "ui/AppIcon.h"
#include "ui/CsvSave.h"
#include "ui/DisplayCheck.h"
#include "ui/ReportView.h"
#include "ui/StructureViews.h"
#include "ui/frmAbout.h"
#include "ui/frmMain.h"
#include "ui/frmReportDetails.h"
#include "views/SpanSelection.h"
#include "widgets/CenterForm.h"

namespace {

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

template <class T> T* Find(QWidget& w, const char* name) {
    T* found = w.findChild<T*>(QString::fromLatin1(name));
    if (!found)
        qFatal("no child named %s", name);
    return found;
}

bool Enabled(QWidget& w, const char* action) {
    return Find<QAction>(w, action)->isEnabled();
}

// How many of the three level commands (Save As CSV, the Info and the View menus) are enabled.
int LevelCommands(QWidget& w) {
    return Enabled(w, "mnuFileSaveAsCSV") + Find<QMenu>(w, "mnuInfo")->menuAction()->isEnabled() +
           Find<QMenu>(w, "mnuView")->menuAction()->isEnabled();
}

// How many detail boxes the dialog opens with checked, "All" counted as one more.
int CheckedInDialog(frmMain& w) {
    std::unique_ptr<frmReportDetails> dialog(w.CreateDetailDialog());
    int checked = dialog->AllBox()->isChecked();
    for (int i = 0; i < kDetailOptionCount; ++i)
        checked += dialog->DetailBox(i)->isChecked();
    return checked;
}

// A main window whose program folder (CSV folder, tile folder) is a fresh temporary folder.
struct Fixture {
    TempDir dir;
    AppState state;
    std::unique_ptr<frmMain> window;
    explicit Fixture(bool allDetailsBefore = false) {
        state.ProgramFolder = dir.Path();
        SetAllDetails(state.DetailOptions, allDetailsBefore);
        window = std::make_unique<frmMain>(state);
    }
    std::string Level(const levelbuilder::Level& level = levelbuilder::FilledLevel(2),
                      const char* name = "level1.dm2") {
        return dir.Write(name, levelbuilder::Build(level));
    }
    std::vector<std::string> Report() { return Lines(window->ReportText()); }
};

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase();
    void enabledStatesAfterStartOpenAndFailedOpen();
    void infoCommandsAndTheDetailDialogAfterThem();
    void saveAsCsvWritesTheBytesStrataReportPrints();
    void statusLineUsesTheCommandLinesWords();
    void saveDialogAsksBeforeReplacingAndAddsCsv();
    void keysForHelpAndFindPrevious();
    void withoutADisplayTheViewerSaysSoAndExits1();
    void wrongCommandLinesAreUsageErrors();
    void goToPastTheEndIsSaidOverTheWindow();
    void tileViewerSaysWhyItIsEmpty();
    void fileNamesAreShownEscapedAndNeverAsMarkup();
    void iconLoadsWithoutWarnings();
    void sizePlaceAndDocksComeBackAfterARestart();
    void openingADockLeavesTheReportItsLines();
    void placeInsideMovesAFrameBackIntoTheArea();
};

void MainWindowTest::initTestCase() {
    // The remembered layout of these runs goes to a test folder, never to the user's settings.
    QStandardPaths::setTestModeEnabled(true);
    QCoreApplication::setOrganizationName(QStringLiteral("StrataViewerMainWindowTests"));
    QSettings().clear();
}

void MainWindowTest::enabledStatesAfterStartOpenAndFailedOpen() {
    Fixture f(true);
    frmMain& w = *f.window;
    QVERIFY(Find<QLabel>(w, "lblFileName")->text().isEmpty());
    QCOMPARE(Find<ReportView>(w, "rtbOutput")->LineCount(), size_t{0});
    QCOMPARE(LevelCommands(w), 0);
    for (const char* command : {"mnuFileOpen", "mnuFileExit", "mnuHelpHelp", "mnuHelpAbout"})
        QVERIFY2(Enabled(w, command), command);
    QVERIFY(!AllDetailsSelected(f.state.DetailOptions) && !f.state.DetailOptions.On(optPalettes));

    // Open: the undetailed report, without palettes or tiles to view.
    const std::string path = f.Level(), size = std::to_string(ReadAll(path).size());
    w.OpenLevel(Q(path));
    QCOMPARE(Find<QLabel>(w, "lblFileName")->text(), Q(path));
    QCOMPARE(LevelCommands(w), 3);
    QVERIFY(!Enabled(w, "mnuViewViewPalettes") && !Enabled(w, "mnuViewViewTextures"));
    QCOMPARE(Find<ReportView>(w, "rtbOutput")->Text(), f.state.Report.Str());
    const std::vector<std::string> report = f.Report();
    QCOMPARE(Q(report.at(1)), Q(";" + path + "  Version: 0000002D   Size: " + size));
    QCOMPARE(Q(report.at(report.size() - 2)), Q(";" + path + "  END OF FILE"));
    QCOMPARE(w.WalkEndLine(), Q(path + ": walked to the end of the file, " + size + " bytes"));

    // A failed Open disables the commands and keeps the pane; the label keeps naming the file whose
    // report the pane shows, and the status line gives the reason in the command line's words.
    const std::string missing = (f.dir.Path() / "missing.dm2").string();
    const std::string empty = f.dir.Write("empty.dm2", {});
    for (const auto& [failing, reason] :
         {std::pair{missing, "no such file"}, std::pair{empty, "the file is empty"},
          std::pair{f.dir.Path().string(), "is a folder"}}) {
        w.OpenLevel(Q(failing));
        QCOMPARE(Find<QLabel>(w, "lblFileName")->text(), Q(path));
        QCOMPARE(LevelCommands(w), 0);
        QVERIFY(f.Report() == report);
        QCOMPARE(w.WalkEndLine(), Q("cannot read " + failing + ": " + reason));
    }

    // A failed Info command leaves the commands as they were.
    w.OpenLevel(Q(path));
    std::filesystem::remove(path);
    w.GetGeneralInfo();
    QCOMPARE(LevelCommands(w), 3);
    QVERIFY(f.Report() == report);

    // An overflow leaves the partial report, disables the commands and says so under the pane.
    levelbuilder::Level level;
    level.Tiles.Count = 16384;
    w.OpenLevel(Q(f.Level(level, "overflow.dm2")));
    QCOMPARE(LevelCommands(w), 0);
    QCOMPARE(Q(f.Report().back()), QStringLiteral(" "));
    QCOMPARE(w.WalkEndLine(), Q("an overflow ended the walk at offset 0x704 (1796) of " +
                                (f.dir.Path() / "overflow.dm2").string()));
    QVERIFY(!w.ReportRunning());
}

// The status line says what strata-report says on standard error for the same file, and a line wider
// than the window is shortened, never cut off: the whole of it is the tooltip.
void MainWindowTest::statusLineUsesTheCommandLinesWords() {
    Fixture f;
    frmMain& w = *f.window;
    std::vector<uint8_t> bytes = levelbuilder::Build(levelbuilder::FilledLevel(2));
    bytes.resize(100);
    const std::string cut = f.dir.Write("a-rather-long-name-for-a-level-that-was-cut-short.dm2", bytes);
    w.OpenLevel(Q(cut));
    QProcess cli;
    cli.start(STRATA_REPORT_EXE, {Q(cut)});
    QVERIFY(cli.waitForFinished(-1));
    QCOMPARE(cli.exitCode(), 4);
    QCOMPARE("strata-report: " + w.WalkEndLine() + "\n", QString::fromUtf8(cli.readAllStandardError()));
    QVERIFY(w.WalkEndLine().contains(QStringLiteral("walked past the end of the file")));

    auto* line = Find<QLabel>(w, "lblWalkEnd");
    w.show();
    w.resize(200, w.height());
    QCoreApplication::processEvents();
    QVERIFY(line->fontMetrics().horizontalAdvance(w.WalkEndLine()) > line->width());
    QCOMPARE(line->toolTip(), w.WalkEndLine());
    QVERIFY(line->text().contains(QChar(0x2026)));
    QVERIFY(line->fontMetrics().horizontalAdvance(line->text()) <= line->width());
}

void MainWindowTest::infoCommandsAndTheDetailDialogAfterThem() {
    Fixture f;
    frmMain& w = *f.window;
    const std::string path = f.Level();
    w.OpenLevel(Q(path));
    const std::string undetailed = w.ReportText();

    w.GetAllDetails();
    const std::string detailed = w.ReportText();
    QVERIFY(detailed.size() > undetailed.size());
    QVERIFY(detailed.find("\r\nPalette information loaded\r\n") != std::string::npos);
    QCOMPARE(CheckedInDialog(w), kDetailOptionCount + 1);
    QVERIFY(Enabled(w, "mnuViewViewPalettes") && Enabled(w, "mnuViewViewTextures"));
    std::unique_ptr<frmTextureTiles> viewer(w.CreateTileViewer());
    viewer->Activate();
    QCOMPARE(viewer->TileNumbers()->count(), 2); // the filled level holds two tiles

    w.GetGeneralInfo();
    QCOMPARE(w.ReportText(), undetailed);
    QCOMPARE(CheckedInDialog(w), 0);
    QVERIFY(!Enabled(w, "mnuViewViewPalettes") && !Enabled(w, "mnuViewViewTextures"));
    QCOMPARE(LevelCommands(w), 3);

    // "Get Set Details Only" runs the set as it stands.
    w.GetSetDetails();
    QCOMPARE(w.ReportText(), undetailed);
    SetAllDetails(f.state.DetailOptions, true);
    w.GetSetDetails();
    QCOMPARE(w.ReportText(), detailed);
    QVERIFY(w.FindInReport(QStringLiteral("palette 16 BITS")));
    QCOMPARE(Find<ReportView>(w, "rtbOutput")->SelectedText(), QStringLiteral("Palette 16 bits"));
}

void MainWindowTest::saveAsCsvWritesTheBytesStrataReportPrints() {
    for (const auto& [level, name] :
         std::vector<std::pair<std::string, std::string>>{{"C:\\OnyxLevels\\New\\level1.dm2", "level1.csv"},
                                                          {"/home/user/levels/city.DM3", "city.csv"},
                                                          {"/a\\b/c\\tomb.dm2", "tomb.csv"},
                                                          {"level1.dm2", ""}})
        QCOMPARE(Q(ProposedCsvName(level).value_or("")), Q(name));

    Fixture f;
    frmMain& w = *f.window;
    const std::string path = f.Level();
    w.OpenLevel(Q(path));
    w.GetAllDetails();
    const QString saved = Q((f.dir.Path() / "level1.csv").string());
    QCOMPARE(std::unique_ptr<QFileDialog>(w.CreateSaveDialog())->selectedFiles().value(0), saved);
    QVERIFY(w.SaveReportAs(saved).isEmpty());
    const std::vector<uint8_t> bytes = ReadAll(saved.toStdString());
    QVERIFY(std::string(bytes.begin(), bytes.end()) == f.state.Report.Str());
    const QString printed = Q((f.dir.Path() / "printed.csv").string());
    QProcess cli;
    cli.start(STRATA_REPORT_EXE,
              {"--all", "--tile-dir", Q((f.dir.Path() / "tiles").string()), "-o", printed, Q(path)});
    QVERIFY(cli.waitForFinished(-1));
    QCOMPARE(cli.exitCode(), 0);
    QVERIFY(ReadAll(printed.toStdString()) == bytes);

    // The level itself, or a link to it, is refused, and keeps its bytes.
    const std::vector<uint8_t> levelBytes = ReadAll(path);
    std::filesystem::create_symlink(path, f.dir.Path() / "link.csv");
    for (const std::string& target : {path, (f.dir.Path() / "link.csv").string()})
        QCOMPARE(w.SaveReportAs(Q(target)), QStringLiteral("it is the level file being reported"));
    QVERIFY(ReadAll(path) == levelBytes);

    // A file that cannot be written: the reason, and nothing left behind.
    const std::filesystem::path folder = f.dir.Path() / "out";
    std::filesystem::create_directories(folder / "level1.csv");
    QVERIFY(!w.SaveReportAs(Q((folder / "level1.csv").string())).isEmpty());
    QCOMPARE(std::distance(std::filesystem::directory_iterator(folder), {}), 1);

    // A chosen path without a separator gives no name to propose, so the command does nothing.
    w.OpenLevel(QStringLiteral("level1.dm2"));
    QVERIFY(!w.CreateSaveDialog());
}

// The standard save dialog asks before it replaces a file, and a name typed without extension gets ".csv".
void MainWindowTest::saveDialogAsksBeforeReplacingAndAddsCsv() {
    Fixture f;
    frmMain& w = *f.window;
    w.OpenLevel(Q(f.Level()));
    f.dir.Write("taken.csv", {'x'});
    for (const auto& [typed, asked] : {std::pair{"taken", true}, std::pair{"fresh", false}}) {
        std::unique_ptr<QFileDialog> dialog(w.CreateSaveDialog());
        dialog->setOption(QFileDialog::DontUseNativeDialog);
        dialog->show();
        QString question;
        QTimer::singleShot(0, dialog.get(), [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                question = box->text();
                box->button(QMessageBox::Yes)->click();
            }
        });
        dialog->selectFile(QString::fromLatin1(typed));
        static_cast<QDialog*>(dialog.get())->accept(); // as the Save button does
        QCOMPARE(!question.isEmpty(), asked);
        QCOMPARE(dialog->result(), int(QDialog::Accepted));
        QCOMPARE(dialog->selectedFiles().value(0),
                 Q((f.dir.Path() / (std::string(typed) + ".csv")).string()));
    }
    QVERIFY(ReadAll(f.dir.Path() / "taken.csv") == std::vector<uint8_t>{'x'}); // the dialog only asks
}

// F1 opens the help window; Shift+F3 finds backwards and the find bar says when a search wrapped.
void MainWindowTest::keysForHelpAndFindPrevious() {
    Fixture f;
    frmMain& w = *f.window;
    w.OpenLevel(Q(f.Level()));
    w.show();
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QString opened;
    QTimer::singleShot(0, &w, [&] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            opened = modal->objectName();
            modal->close();
        }
    });
    QTest::keyClick(&w, Qt::Key_F1);
    QCOMPARE(opened, QStringLiteral("frmHelp"));

    const std::string& text = w.ReportText();
    const size_t first = text.find("Palette 8 bits"), second = text.find("Palette 16 bits");
    QVERIFY(first < second);
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QTest::keyClick(&w, Qt::Key_F, Qt::ControlModifier);
    auto* needle = Find<QLineEdit>(w, "txtFind");
    QVERIFY(needle->isVisible());
    QTest::keyClicks(needle, QStringLiteral("palette"));
    QTest::keyClick(needle, Qt::Key_Return); // from the top: the first
    QCOMPARE(w.FindResultLine(), QString());
    QTest::keyClick(&w, Qt::Key_F3, Qt::ShiftModifier); // back from the first: round to the last
    QCOMPARE(w.FindResultLine(), QStringLiteral("Wrapped to the bottom"));
    auto* pane = Find<ReportView>(w, "rtbOutput");
    QCOMPARE(size_t(pane->SelectedBytes().data() - text.data()), second);
    QTest::keyClick(&w, Qt::Key_F3);
    QCOMPARE(w.FindResultLine(), QStringLiteral("Wrapped to the top"));
    QCOMPARE(size_t(pane->SelectedBytes().data() - text.data()), first);
    QTest::keyClick(&w, Qt::Key_F3);
    QCOMPARE(w.FindResultLine(), QString());
}

void MainWindowTest::withoutADisplayTheViewerSaysSoAndExits1() {
    QProcess viewer;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QString::fromLatin1(name));
    viewer.setProcessEnvironment(env);
    viewer.start(STRATA_VIEWER_EXE, {});
    QVERIFY(viewer.waitForFinished(-1));
    QCOMPARE(viewer.exitStatus(), QProcess::NormalExit);
    QCOMPARE(viewer.exitCode(), 1);
    QCOMPARE(QString::fromUtf8(viewer.readAllStandardError()), QString::fromLatin1(kNoDisplayMessage) + "\n");
}

// A tile folder that cannot be made: the status line and the tile viewer both say why there are no tiles.
void MainWindowTest::tileViewerSaysWhyItIsEmpty() {
    Fixture f;
    const std::string blocker = f.dir.Write("blocker", {'x'});
    f.state.TileFolderOverride = blocker;
    frmMain& w = *f.window;
    w.OpenLevel(Q(f.Level()));
    w.GetAllDetails();
    const QString problem = Q("cannot write the texture tiles into " + blocker + ": not a folder");
    QVERIFY(w.WalkEndLine().endsWith("; " + problem));
    std::unique_ptr<frmTextureTiles> viewer(w.CreateTileViewer());
    viewer->Activate();
    QCOMPARE(viewer->TileNumbers()->count(), 0);
    QCOMPARE(viewer->EmptyListReason(), problem);
}

// A file name cannot drive the window either: its control bytes are escaped as on standard error, and
// a name with tags in it is shown as it is, not as markup.
void MainWindowTest::fileNamesAreShownEscapedAndNeverAsMarkup() {
    Fixture f;
    frmMain& w = *f.window;
    const std::string path = f.dir.Write("<b>old<i>\x1b[2J\n.dm1", {0x20, 0x00, 0x00, 0x00});
    const std::string shown = (f.dir.Path() / "<b>old<i>\\x1b[2J\\n.dm1").string();
    w.OpenLevel(Q(path));
    auto* label = Find<QLabel>(w, "lblFileName");
    QCOMPARE(label->text(), Q(shown));
    QCOMPARE(label->textFormat(), Qt::PlainText);
    QCOMPARE(w.WalkEndLine(), Q(shown + " is not a DM2 or DM3 level: its version word is 00000020"));
    auto* line = Find<QLabel>(w, "lblWalkEnd");
    QCOMPARE(line->textFormat(), Qt::PlainText);
    QVERIFY2(line->toolTip().contains(QStringLiteral("&lt;b&gt;old&lt;i&gt;")), qPrintable(line->toolTip()));
}

// Without a display the arguments are still checked first: a wrong command line is a usage error (2),
// said in one line and the usage, before the missing display is.
void MainWindowTest::wrongCommandLinesAreUsageErrors() {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QString::fromLatin1(name));
    struct Case {
        QStringList Arguments;
        int Exit;
        QString FirstLine;
    };
    const QString noDisplay = QString::fromLatin1(kNoDisplayMessage);
    for (const Case& c : {
             Case{{"a.dm2", "b.dm2"},
                  2,
                  R"(strata-viewer: one level file at a time; "b.dm2" is a second file)"},
             Case{{"a.dm2", "b\x1b[2J.dm2"},
                  2,
                  R"(strata-viewer: one level file at a time; "b\x1b[2J.dm2" is a second file)"},
             Case{{"--goto", "0x10"}, 2, "strata-viewer: --goto 0x10: no level file to go to the offset in"},
             Case{{"--goto", "12x", "a.dm2"},
                  2,
                  R"(strata-viewer: --goto: "12x" is not an offset ("0x1F2C", "1F2Ch" or decimal))"},
             Case{{"--goto", "1\x1b[2J", "a.dm2"},
                  2,
                  R"(strata-viewer: --goto: "1\x1b[2J" is not an offset ("0x1F2C", "1F2Ch" or decimal))"},
             Case{{"--frobnicate", "a.dm2"}, 2, "strata-viewer: Unknown option 'frobnicate'."},
             Case{{"--goto", "0x10", "a.dm2"}, 1, noDisplay}, // right: only the display is missing
         }) {
        QProcess viewer;
        viewer.setProcessEnvironment(env);
        viewer.start(STRATA_VIEWER_EXE, c.Arguments);
        QVERIFY(viewer.waitForFinished(-1));
        const QStringList err = QString::fromUtf8(viewer.readAllStandardError()).split(QLatin1Char('\n'));
        QCOMPARE(err.constFirst(), c.FirstLine);
        QCOMPARE(viewer.exitCode(), c.Exit);
        if (c.Exit == 2)
            QCOMPARE(err.at(1), QStringLiteral("Usage: strata-viewer [--goto OFFSET] [FILE]"));
    }
}

// An offset past the end of the level shown is said in a message box over the window (and the same
// line returned for standard error); one inside it is shown in the hex view.
void MainWindowTest::goToPastTheEndIsSaidOverTheWindow() {
    Fixture f;
    frmMain& w = *f.window;
    const std::string path = f.Level();
    const int64_t size = static_cast<int64_t>(ReadAll(path).size());
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    w.OpenLevel(Q(path));
    const QString line = w.GoToAtStart(QStringLiteral("0x%1").arg(size, 0, 16));
    QCOMPARE(line, QStringLiteral(
                       "strata-viewer: --goto: 0x%1 is past the end of %2, whose last byte is at 0x%3 (%4)")
                       .arg(QString::number(size, 16), Q(path), QString::number(size - 1, 16).toUpper())
                       .arg(size - 1));
    auto* box = Find<QMessageBox>(w, "msgGoToAtStart");
    QVERIFY(box->isVisible());
    QCOMPARE(box->text(), line);
    box->accept();
    QCOMPARE(w.GoToAtStart(QStringLiteral("%1").arg(size - 1)), QString());
    QCOMPARE(w.Selection().PickedOffset(), size - 1);
    QVERIFY(w.Structure().HexDock()->isVisible());

    // A level that could not be read has no offset at all.
    w.OpenLevel(Q((f.dir.Path() / "missing.dm2").string()));
    QVERIFY(w.GoToAtStart(QStringLiteral("0"))
                .endsWith("nothing to go to: " + Q((f.dir.Path() / "missing.dm2").string()) +
                          " could not be read"));
}

// The icon is the bundled SVG, registered by the library that holds it; building the window, the
// about window's picture included, warns of no file it cannot open. The known pixels are those of
// strata-viewer.svg: the dark ground and the three rock layers at x = 48.
void MainWindowTest::iconLoadsWithoutWarnings() {
    static QStringList warnings;
    warnings.clear();
    const QtMessageHandler previous =
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
            if (type != QtDebugMsg && type != QtInfoMsg)
                warnings << text;
        });
    QImage shown, drawn;
    {
        Fixture f;
        f.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.window.get()));
        std::unique_ptr<frmAbout> about(f.window->CreateAbout());
        about->show();
        shown = f.window->windowIcon().pixmap(64, 64).toImage();
    }
    drawn = AppPicture(64).toImage();
    qInstallMessageHandler(previous);
    const QStringList cannotOpen = warnings.filter(QStringLiteral("Cannot open"));
    QVERIFY2(cannotOpen.isEmpty(), qPrintable(cannotOpen.join('\n')));
    QVERIFY(QFile::exists(QStringLiteral(":/icons/strata-viewer.svg")));
    for (const QImage& picture : {shown, drawn}) {
        QCOMPARE(picture.size(), QSize(64, 64));
        for (const auto& [at, colour] : {std::pair{QPoint(32, 5), QColor(0x23, 0x31, 0x3f)},
                                         std::pair{QPoint(48, 22), QColor(0xd9, 0xa4, 0x41)},
                                         std::pair{QPoint(48, 34), QColor(0xb5, 0x56, 0x2e)},
                                         std::pair{QPoint(48, 46), QColor(0x6f, 0x8f, 0x3a)}})
            QCOMPARE(picture.pixelColor(at).rgb(), colour.rgb());
    }
}

// The window's size and place and its docks, the map's and the differences' among them, come back when
// the window is made again after it was closed.
void MainWindowTest::sizePlaceAndDocksComeBackAfterARestart() {
    QSettings().clear();
    QRect geometry;
    int mapWidth = 0;
    {
        Fixture f;
        frmMain& w = *f.window;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        const QRect screen = w.screen()->availableGeometry();
        w.setGeometry(QRect(screen.topLeft() + QPoint(23, 31), QSize(700, 520)).intersected(screen));
        Find<QDockWidget>(w, "dckLevelMap")->show();
        Find<QDockWidget>(w, "dckDifferences")->show();
        Find<QDockWidget>(w, "dckOutline")->show();
        QCoreApplication::processEvents();
        Find<QDockWidget>(w, "dckOutline")->hide();
        QCoreApplication::processEvents();
        geometry = w.geometry();
        mapWidth = Find<QDockWidget>(w, "dckLevelMap")->width();
        QVERIFY(w.close());
    }
    Fixture again;
    frmMain& w = *again.window;
    QCOMPARE(w.geometry(), geometry);
    QVERIFY(!Find<QDockWidget>(w, "dckLevelMap")->isHidden());
    QVERIFY(!Find<QDockWidget>(w, "dckDifferences")->isHidden());
    QVERIFY(Find<QDockWidget>(w, "dckOutline")->isHidden());
    QVERIFY(Find<QDockWidget>(w, "dckHexView")->isHidden());
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QCoreApplication::processEvents();
    QCOMPARE(w.geometry(), geometry);
    QCOMPARE(w.dockWidgetArea(Find<QDockWidget>(w, "dckLevelMap")), Qt::RightDockWidgetArea);
    QCOMPARE(Find<QDockWidget>(w, "dckLevelMap")->width(), mapWidth);
    QSettings().clear();
}

// Showing a dock from the menu leaves the report at least 12 lines (and 48 columns): the window grows
// where the screen has room, and the docks give up the rest.
void MainWindowTest::openingADockLeavesTheReportItsLines() {
    QSettings().clear();
    Fixture f;
    frmMain& w = *f.window;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    w.OpenLevel(Q(f.Level()));
    auto* pane = Find<ReportView>(w, "rtbOutput");
    const QSize need = pane->SizeForText(frmMain::kPaneColumns, frmMain::kPaneLines);
    const QRect area = w.screen()->availableGeometry();
    const QSize screen = area.size();
    // Placed in the lower right quarter, the window that grows must come back inside the screen.
    w.move(area.center());
    QCoreApplication::processEvents();
    for (const char* command : {"mnuStructureShowAll", "mnuStructureLevelMap", "mnuStructureDifferences",
                                "mnuStructureProblems", "mnuStructure3DView"}) {
        Find<QAction>(w, command)->trigger();
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        // What shows of the pane, inside the window's central area.
        const QSize shown = pane->visibleRegion().boundingRect().size();
        QVERIFY2(shown.width() >= need.width() && shown.height() >= need.height(),
                 qPrintable(QStringLiteral("%1: %2 x %3 of the pane show")
                                .arg(command)
                                .arg(shown.width())
                                .arg(shown.height())));
        QVERIFY2(w.width() <= screen.width() && w.height() <= screen.height(), command);
        QVERIFY2(area.contains(w.frameGeometry()),
                 qPrintable(QStringLiteral("%1: the window at %2,%3 %4 x %5 sticks out of the screen")
                                .arg(command)
                                .arg(w.frameGeometry().x())
                                .arg(w.frameGeometry().y())
                                .arg(w.frameGeometry().width())
                                .arg(w.frameGeometry().height())));
        QVERIFY2(pane->VisibleLineCount() >= size_t{frmMain::kPaneLines},
                 qPrintable(QStringLiteral("%1: %2 lines").arg(command).arg(pane->VisibleLineCount())));
        // The first columns of a long line show whole, up to the last one kept in sight.
        const auto longLine = [&] {
            for (size_t i = 0; i < pane->LineCount(); ++i)
                if (pane->Line(i).size() > size_t{frmMain::kPaneColumns})
                    return static_cast<size_t>(pane->Line(i).data() - pane->Text().data());
            return std::string::npos;
        }();
        QVERIFY(longLine != std::string::npos);
        const int edge = pane->PointOf(longLine + frmMain::kPaneColumns).x();
        QVERIFY2(edge <= pane->viewport()->width(), qPrintable(QStringLiteral("%1: column edge %2 of %3")
                                                                   .arg(command)
                                                                   .arg(edge)
                                                                   .arg(pane->viewport()->width())));
    }
    QVERIFY(Find<QDockWidget>(w, "dckLevelMap")->isVisible() &&
            Find<QDockWidget>(w, "dckHexView")->isVisible());
    // A dock at the bottom that will not give way below most of the window's height: the pane keeps
    // its lines all the same, the strata bar's band and a sideways scroll bar left out.
    auto* map = Find<QDockWidget>(w, "dckLevelMap");
    map->close();
    QCoreApplication::processEvents();
    w.addDockWidget(Qt::BottomDockWidgetArea, map);
    map->setMinimumHeight(w.height() - 200);
    Find<QAction>(w, "mnuStructureLevelMap")->trigger();
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    QVERIFY2(pane->VisibleLineCount() >= size_t{frmMain::kPaneLines},
             qPrintable(QString::number(pane->VisibleLineCount())));
    // The room is asked for once: with the docks closed again, the window shrinks by hand as far as a
    // window that never showed them.
    for (QDockWidget* dock : w.findChildren<QDockWidget*>())
        dock->close();
    // Asked again until the window's size stays put: on a busy machine a layout request can still be
    // pending after the first resize.
    const auto smallest = [](frmMain& window) {
        QSize last;
        for (int i = 0; i < 20 && window.size() != last; ++i) {
            last = window.size();
            window.resize(100, 100);
            QTest::qWait(5);
        }
        return window.size();
    };
    Fixture fresh;
    fresh.window->show();
    QVERIFY(QTest::qWaitForWindowExposed(fresh.window.get()));
    QCOMPARE(smallest(w), smallest(*fresh.window));
    QSettings().clear();
}

void MainWindowTest::placeInsideMovesAFrameBackIntoTheArea() {
    const QRect area(0, 20, 800, 580); // x 0 to 799, y 20 to 599
    const struct {
        QRect Frame;
        QPoint Corner;
    } cases[] = {
        {{100, 100, 300, 200}, {100, 100}}, // inside: stays
        {{600, 100, 300, 200}, {500, 100}}, // out on the right by 100
        {{100, 500, 300, 200}, {100, 400}}, // out at the foot by 100
        {{700, 500, 300, 200}, {500, 400}}, // both
        {{-50, 0, 300, 200}, {0, 20}},      // out on the left and at the top
        {{300, 300, 900, 700}, {0, 20}},    // larger than the area: its corner at the area's
        {{500, 0, 300, 580}, {500, 20}},    // exactly as tall as the area
    };
    for (const auto& c : cases)
        QCOMPARE(PlaceInside(c.Frame, area), c.Corner);
}

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
