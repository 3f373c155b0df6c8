// The main window: enabled states, Open and the Info commands, Save As CSV, layout, find and drop.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QProcess>
#include <QTest>
#include <QToolBar>
#include <QUrl>

#include "UiTestSupport.h"
#include "palette/frmMainPal.h"
#include "tiles/frmTextureTiles.h"
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
bool MenuEnabled(QWidget& w, const char* menu) {
    return Find<QMenu>(w, menu)->menuAction()->isEnabled();
}
bool LevelCommandsEnabled(QWidget& w) {
    return Enabled(w, "mnuFileSaveAsCSV") && MenuEnabled(w, "mnuInfo") && MenuEnabled(w, "mnuView");
}
bool LevelCommandsDisabled(QWidget& w) {
    return !Enabled(w, "mnuFileSaveAsCSV") && !MenuEnabled(w, "mnuInfo") && !MenuEnabled(w, "mnuView");
}

AppState StateIn(const TempDir& dir) {
    AppState state;
    state.ProgramFolder = dir.Path();
    return state;
}

// A main window whose program folder (CSV folder, tile folder) is a fresh temporary folder.
struct Fixture {
    TempDir dir;
    AppState state = StateIn(dir);
    frmMain window{state};
    std::string Level(const std::string& name = "level1.dm2") { return WriteFilledLevel(dir, name); }
};

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT
  private slots:
    void startsEmptyWithTheLevelCommandsDisabled();
    void menusCarryTheirCaptions();
    void startSizeAndMinimumSizeRule();
    void openRunsTheUndetailedReport();
    void failedOpenKeepsThePaneAndDisablesTheCommands();
    void overflowLeavesThePartialReportAndSaysSo();
    void infoPresetsAndTheDetailDialogAfterThem();
    void viewersFollowTheLastWalk();
    void openDialogProposesLevel1();
    void proposedCsvName_data();
    void proposedCsvName();
    void saveAsCsvWritesTheBytesStrataReportPrints();
    void saveFailureLeavesNoFileBehind();
    void reportPaneIsPlainFixedPitchAndSearchable();
    void reportPaneShowsEveryLineOfTheRun();
    void droppedFileOpensAsOpenWould();
    void closingReleasesThePalettes();
};

void MainWindowTest::startsEmptyWithTheLevelCommandsDisabled() {
    TempDir dir;
    AppState state;
    SetAllDetails(state.DetailOptions, true);
    frmMain w(state);
    QCOMPARE(w.windowTitle(), QStringLiteral("Dunmoor Strata Viewer"));
    QVERIFY(Find<QLabel>(w, "lblFileName")->text().isEmpty());
    QCOMPARE(Find<ReportView>(w, "rtbOutput")->LineCount(), size_t{0});
    QVERIFY(LevelCommandsDisabled(w));
    QVERIFY(!Enabled(w, "mnuViewViewPalettes"));
    for (const char* command : {"mnuFileOpen", "mnuFileExit", "mnuHelpHelp", "mnuHelpAbout"})
        QVERIFY2(Enabled(w, command), command);
    QVERIFY(!AllDetailsSelected(state.DetailOptions));
    for (int i = 0; i < kDetailOptionCount; ++i)
        QVERIFY(!state.DetailOptions.On(i));
    QVERIFY(!w.ReportRunning());
}

void MainWindowTest::menusCarryTheirCaptions() {
    Fixture f;
    const std::pair<const char*, const char*> menus[] = {
        {"mnuFile", "&File"}, {"mnuInfo", "&Info"}, {"mnuView", "&View Info"}, {"mnuHelp", "&Help"}};
    for (auto [name, caption] : menus)
        QCOMPARE(Find<QMenu>(f.window, name)->title(), QString::fromLatin1(caption));
    const std::pair<const char*, const char*> items[] = {
        {"mnuFileOpen", "&Open"},
        {"mnuFileSaveAsCSV", "&Save As CSV"},
        {"mnuFileExit", "E&xit"},
        {"mnuInfoGeneral", "&Get General Info only"},
        {"mnuInfoAllDetails", "Get All De&tails"},
        {"mnuInfoDetail", "Get Set &Details Only"},
        {"mnuInfoDetailSet", "Set Detail Level..."},
        {"mnuViewViewPalettes", "View Palettes..."},
        {"mnuViewViewTextures", "View Texture Tiles..."},
        {"mnuHelpHelp", "He&lp"},
        {"mnuHelpAbout", "&About"},
    };
    for (auto [name, caption] : items)
        QCOMPARE(Find<QAction>(f.window, name)->text(), QString::fromLatin1(caption));
    for (const char* separator : {"mnuFileSep1", "mnuFileSep2", "mnuInfoSep1"})
        QVERIFY(Find<QAction>(f.window, separator)->isSeparator());
    QCOMPARE(Find<QAction>(f.window, "mnuFileOpen")->shortcut(), QKeySequence(QKeySequence::Open));
}

// Outer sizes count a nominal frame of 120 x 705 twips around the area under the menu bar.
void MainWindowTest::startSizeAndMinimumSizeRule() {
    Fixture f;
    f.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f.window));
    QWidget* canvas = f.window.centralWidget();
    QCOMPARE(canvas->size(), QSize((9600 - 120) / 15, (5775 - 705) / 15));
    // Label and pane at 75,105 and 75,480, W - 270 wide; the pane H - 1245 high.
    QCOMPARE(Find<QLabel>(f.window, "lblFileName")->geometry(), QRect(5, 7, (9600 - 270) / 15, 21));
    QCOMPARE(Find<ReportView>(f.window, "rtbOutput")->geometry(),
             QRect(5, 32, (9600 - 270) / 15, (5775 - 1245) / 15));

    // Shrinking the height to an inner 900 twips snaps the outer height to 1830; the width stays.
    const int width = canvas->width();
    f.window.resize(f.window.width(), f.window.height() - canvas->height() + 60);
    QCoreApplication::processEvents();
    QCOMPARE(canvas->height(), (1830 - 705) / 15);
    QCOMPARE(canvas->width(), width);

    // And the width: an inner 1350 twips snaps the outer width to 1660.
    f.window.resize(f.window.width() - canvas->width() + 90, f.window.height());
    QCoreApplication::processEvents();
    QCOMPARE(canvas->width(), (1660 - 120) / 15);
}

void MainWindowTest::openRunsTheUndetailedReport() {
    Fixture f;
    const std::string path = f.Level();
    f.window.OpenLevel(Q(path));

    QCOMPARE(f.window.ChosenLevelPath(), Q(path));
    QCOMPARE(Find<QLabel>(f.window, "lblFileName")->text(), Q(path));
    QVERIFY(LevelCommandsEnabled(f.window));
    const std::vector<std::string> lines = Lines(f.window.ReportText());
    QCOMPARE(f.window.ReportText(), f.state.Report.Str());
    QCOMPARE(Q(lines.at(1)),
             Q(";" + path + "  Version: 0000002D   Size: " + std::to_string(ReadAll(path).size())));
    QCOMPARE(Q(lines.at(6)), QStringLiteral("0x300,768,Palette 8 bits,768 bytes"));
    QCOMPARE(Q(lines.at(7)), QStringLiteral("0x400,1024,Palette 16 bits,1024 bytes"));
    QCOMPARE(Q(lines.at(lines.size() - 2)), Q(";" + path + "  END OF FILE"));
    // Undetailed: the palettes are not loaded and the tiles not exported.
    QVERIFY(!Enabled(f.window, "mnuViewViewPalettes"));
    QVERIFY(!Enabled(f.window, "mnuViewViewTextures"));
    const std::string size = std::to_string(ReadAll(path).size());
    QCOMPARE(f.window.WalkEndLine(), Q("Walk ended at offset " + size + " of " + size + " bytes"));
}

void MainWindowTest::failedOpenKeepsThePaneAndDisablesTheCommands() {
    Fixture f;
    const std::string good = f.Level();
    f.window.OpenLevel(Q(good));
    const std::string report = f.window.ReportText();

    const std::string missing = (f.dir.Path() / "missing.dm2").string();
    f.window.OpenLevel(Q(missing));
    QCOMPARE(Find<QLabel>(f.window, "lblFileName")->text(), Q(missing));
    QVERIFY(LevelCommandsDisabled(f.window));
    QCOMPARE(f.window.ReportText(), report);
    QCOMPARE(f.window.WalkEndLine(), Q("Could not read " + missing + ": the file is empty or missing"));

    // A run of an Info command that fails leaves the commands as they were.
    f.window.OpenLevel(Q(good));
    QVERIFY(LevelCommandsEnabled(f.window));
    std::filesystem::remove(good);
    f.window.GetGeneralInfo();
    QVERIFY(LevelCommandsEnabled(f.window));
    QCOMPARE(f.window.ReportText(), report);
}

void MainWindowTest::overflowLeavesThePartialReportAndSaysSo() {
    Fixture f;
    levelbuilder::Level level;
    level.Tiles.Count = 16384; // the 16-bit tile size overflows 32 bits
    const std::string path = WriteLevel(f.dir, "overflow.dm2", level);
    f.window.OpenLevel(Q(path));

    QVERIFY(LevelCommandsDisabled(f.window));
    QCOMPARE(f.window.ReportText(), f.state.Report.Str());
    const std::vector<std::string> lines = Lines(f.window.ReportText());
    QCOMPARE(Q(lines.at(lines.size() - 2)), QStringLiteral("0x704,1796,16384,Texture Tiles"));
    QVERIFY(f.window.ReportText().find("END OF FILE") == std::string::npos);
    QCOMPARE(f.window.WalkEndLine(),
             QStringLiteral("Overflow stopped the walk at offset 1796; the report is partial"));
    QVERIFY(!f.window.ReportRunning());
}

void MainWindowTest::infoPresetsAndTheDetailDialogAfterThem() {
    Fixture f;
    f.window.OpenLevel(Q(f.Level()));
    const std::string undetailed = f.window.ReportText();

    f.window.GetAllDetails();
    QVERIFY(AllDetailsSelected(f.state.DetailOptions));
    const std::string detailed = f.window.ReportText();
    QVERIFY(detailed.size() > undetailed.size());
    QVERIFY(detailed.find("\r\nPalette information loaded\r\n") != std::string::npos);
    {
        std::unique_ptr<frmReportDetails> dialog(f.window.CreateDetailDialog());
        for (int i = 0; i < kDetailOptionCount; ++i)
            QVERIFY(dialog->DetailBox(i)->isChecked());
        QVERIFY(dialog->AllBox()->isChecked());
    }

    f.window.GetGeneralInfo();
    QCOMPARE(f.window.ReportText(), undetailed);
    QVERIFY(LevelCommandsEnabled(f.window));
    {
        std::unique_ptr<frmReportDetails> dialog(f.window.CreateDetailDialog());
        for (int i = 0; i < kDetailOptionCount; ++i)
            QVERIFY(!dialog->DetailBox(i)->isChecked());
        QVERIFY(!dialog->AllBox()->isChecked());
    }

    // "Get Set Details Only" repeats the set the last preset left.
    f.window.GetSetDetails();
    QCOMPARE(f.window.ReportText(), undetailed);
    SetAllDetails(f.state.DetailOptions, true);
    f.window.GetSetDetails();
    QCOMPARE(f.window.ReportText(), detailed);
}

void MainWindowTest::viewersFollowTheLastWalk() {
    Fixture f;
    const std::string path = f.Level();
    f.window.OpenLevel(Q(path));
    f.window.GetAllDetails();
    QVERIFY(Enabled(f.window, "mnuViewViewPalettes"));
    QVERIFY(Enabled(f.window, "mnuViewViewTextures"));

    std::unique_ptr<frmMainPal> examiner(f.window.CreatePaletteExaminer());
    QCOMPARE(examiner->FileName(), Q(path));
    QVERIFY(examiner->Swatch8(0)->toolTip().startsWith(QStringLiteral("Color index:1 R: ")));
    std::unique_ptr<frmTextureTiles> viewer(f.window.CreateTileViewer());
    viewer->Activate();
    QCOMPARE(viewer->TileNumbers()->count(), 2); // the filled level holds two tiles

    // A DM1 file is reported without a walk: the View commands stay as the last walk set them.
    const std::string dm1 = f.dir.Write("old.phd", {0x20, 0, 0, 0});
    f.window.OpenLevel(Q(dm1));
    QVERIFY(Enabled(f.window, "mnuViewViewPalettes"));
    QVERIFY(Enabled(f.window, "mnuViewViewTextures"));
    QCOMPARE(Q(Lines(f.window.ReportText()).at(6)), QStringLiteral(";Not implemented yet"));

    f.window.OpenLevel(Q(path));
    f.window.GetGeneralInfo();
    QVERIFY(!Enabled(f.window, "mnuViewViewPalettes"));
    QVERIFY(!Enabled(f.window, "mnuViewViewTextures"));
}

void MainWindowTest::openDialogProposesLevel1() {
    Fixture f;
    f.window.SetFallbackOpenFolder(Q(f.dir.Path().string()));
    std::unique_ptr<QFileDialog> dialog(f.window.CreateOpenDialog());
    QCOMPARE(dialog->windowTitle(), QStringLiteral("DM Level File"));
    QCOMPARE(dialog->acceptMode(), QFileDialog::AcceptOpen);
    QCOMPARE(dialog->directory().absolutePath(), Q(f.dir.Path().string()));
    QVERIFY(dialog->selectedFiles().value(0).endsWith(QStringLiteral("/level1.dm2")));
}

void MainWindowTest::proposedCsvName_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("name");
    QTest::newRow("backslash") << "C:\\OnyxLevels\\New\\level1.dm2"
                               << "level1.csv";
    QTest::newRow("slash") << "/home/user/levels/city.DM3"
                           << "city.csv";
    QTest::newRow("last separator wins") << "/a\\b/c\\tomb.dm2"
                                         << "tomb.csv";
    QTest::newRow("no separator") << "level1.dm2" << QString();
}

void MainWindowTest::proposedCsvName() {
    QFETCH(QString, path);
    QFETCH(QString, name);
    const std::optional<std::string> proposed = ProposedCsvName(path.toStdString());
    QCOMPARE(proposed ? Q(*proposed) : QString(), name);
}

void MainWindowTest::saveAsCsvWritesTheBytesStrataReportPrints() {
    Fixture f;
    const std::string path = f.Level();
    f.window.OpenLevel(Q(path));
    f.window.GetAllDetails();

    std::unique_ptr<QFileDialog> dialog(f.window.CreateSaveDialog());
    QVERIFY(dialog);
    QCOMPARE(dialog->windowTitle(), QStringLiteral("DM Level File as CSV"));
    QCOMPARE(dialog->acceptMode(), QFileDialog::AcceptSave);
    QCOMPARE(dialog->directory().absolutePath(), Q(f.dir.Path().string()));
    QVERIFY(dialog->selectedFiles().value(0).endsWith(QStringLiteral("/level1.csv")));

    const QString saved = Q((f.dir.Path() / "level1.csv").string());
    QVERIFY(f.window.SaveReportAs(saved).isEmpty());
    const std::vector<uint8_t> bytes = ReadAll(saved.toStdString());
    const std::string text(bytes.begin(), bytes.end());
    QCOMPARE(text, f.state.Report.Str());
    QVERIFY(text.find("\r\n") != std::string::npos);
    QVERIFY(!text.ends_with("\n"));

    const QString printed = Q((f.dir.Path() / "printed.csv").string());
    QProcess cli;
    cli.start(QStringLiteral(STRATA_REPORT_EXE),
              {QStringLiteral("--all"), QStringLiteral("--tile-dir"),
               Q((f.dir.Path() / "cli-tiles").string()), QStringLiteral("-o"), printed, Q(path)});
    QVERIFY(cli.waitForFinished(-1));
    QCOMPARE(cli.exitCode(), 0);
    QVERIFY(ReadAll(printed.toStdString()) == bytes);

    // Saving again replaces the file.
    f.window.GetGeneralInfo();
    QVERIFY(f.window.SaveReportAs(saved).isEmpty());
    QCOMPARE(ReadAll(saved.toStdString()).size(), f.state.Report.Str().size());

    // A chosen path without a separator gives no name to propose, so the command does nothing.
    f.window.OpenLevel(QStringLiteral("level1.dm2"));
    QVERIFY(!f.window.CreateSaveDialog());
}

void MainWindowTest::saveFailureLeavesNoFileBehind() {
    Fixture f;
    f.window.OpenLevel(Q(f.Level()));
    // The file is written beside its target and renamed onto it, which fails on a folder of that name.
    const std::filesystem::path folder = f.dir.Path() / "out";
    std::filesystem::create_directories(folder / "level1.csv");
    QVERIFY(!f.window.SaveReportAs(Q((folder / "level1.csv").string())).isEmpty());
    QCOMPARE(
        std::distance(std::filesystem::directory_iterator(folder), std::filesystem::directory_iterator()), 1);
    QVERIFY(std::filesystem::is_directory(folder / "level1.csv"));

    QVERIFY(!f.window.SaveReportAs(Q((f.dir.Path() / "no-such-folder" / "level1.csv").string())).isEmpty());
    QVERIFY(!std::filesystem::exists(f.dir.Path() / "no-such-folder"));
}

void MainWindowTest::reportPaneIsPlainFixedPitchAndSearchable() {
    Fixture f;
    auto* pane = Find<ReportView>(f.window, "rtbOutput");
    QCOMPARE(pane->font().pointSize(), 9);
    QVERIFY(QFontInfo(pane->font()).fixedPitch());

    f.window.OpenLevel(Q(f.Level()));
    QCOMPARE(pane->Text(), f.state.Report.Str());
    QVERIFY(f.window.FindInReport(QStringLiteral("Palette 16 bits")));
    QCOMPARE(pane->SelectedText(), QStringLiteral("Palette 16 bits"));
    // The next search wraps round to the only occurrence again.
    QVERIFY(f.window.FindInReport(QStringLiteral("palette 16 BITS")));
    QVERIFY(!f.window.FindInReport(QStringLiteral("no such text")));
    QCOMPARE(pane->SelectedText(), QStringLiteral("Palette 16 bits"));

    // Through the find bar, as Ctrl+F and F3 reach it.
    Find<QAction>(f.window, "actFind")->trigger();
    QVERIFY(!Find<QToolBar>(f.window, "tbrFind")->isHidden());
    Find<QLineEdit>(f.window, "txtFind")->setText(QStringLiteral("Textures 8 bits"));
    Find<QAction>(f.window, "actFindNext")->trigger();
    QCOMPARE(pane->SelectedText(), QStringLiteral("Textures 8 bits"));
    QVERIFY(Find<QLabel>(f.window, "lblFindResult")->text().isEmpty());
    Find<QLineEdit>(f.window, "txtFind")->setText(QStringLiteral("no such text"));
    Find<QAction>(f.window, "actFindNext")->trigger();
    QCOMPARE(Find<QLabel>(f.window, "lblFindResult")->text(), QStringLiteral("Not found"));

    QVERIFY(Find<QAction>(f.window, "actFindNext")->shortcuts().contains(QKeySequence(Qt::Key_F3)));
    QCOMPARE(Find<QAction>(f.window, "actFind")->shortcut(), QKeySequence(QKeySequence::Find));
}

// The pane reads the run's report in place: every line of it, none held a second time.
void MainWindowTest::reportPaneShowsEveryLineOfTheRun() {
    Fixture f;
    f.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f.window));
    auto* pane = Find<ReportView>(f.window, "rtbOutput");
    f.window.OpenLevel(Q(f.Level()));
    f.window.GetAllDetails();

    const std::vector<std::string> lines = Lines(f.state.Report.Str());
    QVERIFY(lines.size() > 100);
    QCOMPARE(pane->LineCount(), lines.size());
    QCOMPARE(Q(std::string(pane->Line(0))), Q(lines.front()));
    QCOMPARE(Q(std::string(pane->Line(lines.size() - 1))), Q(lines.back()));
    QCOMPARE(pane->Text().data(), f.state.Report.Str().data());
    QCOMPARE(pane->FirstVisibleLine(), size_t{0});

    QTest::keyClick(pane, Qt::Key_End, Qt::ControlModifier);
    QCOMPARE(pane->FirstVisibleLine() + pane->VisibleLineCount(), lines.size());

    // A shorter run replaces the lines and starts again from the top.
    f.window.GetGeneralInfo();
    QCOMPARE(pane->LineCount(), Lines(f.state.Report.Str()).size());
    QCOMPARE(pane->FirstVisibleLine(), size_t{0});
    QCOMPARE(Q(std::string(pane->Line(pane->LineCount() - 1))), Q(Lines(f.state.Report.Str()).back()));
}

void MainWindowTest::droppedFileOpensAsOpenWould() {
    Fixture f;
    const std::string path = f.Level();
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(Q(path))});
    QDragEnterEvent enter(QPoint(20, 60), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&f.window, &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(20, 60), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&f.window, &drop);
    QCoreApplication::processEvents();
    QCOMPARE(f.window.ChosenLevelPath(), Q(path));
    QCOMPARE(f.window.ReportText(), f.state.Report.Str());
    QVERIFY(LevelCommandsEnabled(f.window));
}

void MainWindowTest::closingReleasesThePalettes() {
    Fixture f;
    f.window.OpenLevel(Q(f.Level()));
    f.window.GetAllDetails();
    QVERIFY(f.state.Palette8Colours && f.state.Palette16Colours);
    f.window.show();
    QVERIFY(f.window.close());
    QVERIFY(!f.state.Palette8Colours && !f.state.Palette16Colours);
}

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
