// The main window: enabled states, Open and the Info commands, and Save As CSV.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QMenu>
#include <QProcess>
#include <QTest>

#include "common/TestFiles.h"
#include "tiles/frmTextureTiles.h"
#include "tools/LevelBuilder.h"
#include "ui/CsvSave.h"
#include "ui/ReportView.h"
#include "ui/frmMain.h"
#include "ui/frmReportDetails.h"

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
    void enabledStatesAfterStartOpenAndFailedOpen();
    void infoCommandsAndTheDetailDialogAfterThem();
    void saveAsCsvWritesTheBytesStrataReportPrints();
};

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
    QCOMPARE(w.WalkEndLine(), Q("Walk ended at offset " + size + " of " + size + " bytes"));

    // A failed Open (status 99) disables the commands, keeps the pane and shows the new path.
    const std::string missing = (f.dir.Path() / "missing.dm2").string();
    w.OpenLevel(Q(missing));
    QCOMPARE(Find<QLabel>(w, "lblFileName")->text(), Q(missing));
    QCOMPARE(LevelCommands(w), 0);
    QVERIFY(f.Report() == report);
    QCOMPARE(w.WalkEndLine(), Q("Could not read " + missing + ": the file is empty or missing"));

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
    QCOMPARE(w.WalkEndLine(),
             QStringLiteral("Overflow stopped the walk at offset 1796; the report is partial"));
    QVERIFY(!w.ReportRunning());
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

    // A file that cannot be written: the reason, and nothing left behind.
    const std::filesystem::path folder = f.dir.Path() / "out";
    std::filesystem::create_directories(folder / "level1.csv");
    QVERIFY(!w.SaveReportAs(Q((folder / "level1.csv").string())).isEmpty());
    QCOMPARE(std::distance(std::filesystem::directory_iterator(folder), {}), 1);

    // A chosen path without a separator gives no name to propose, so the command does nothing.
    w.OpenLevel(QStringLiteral("level1.dm2"));
    QVERIFY(!w.CreateSaveDialog());
}

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
