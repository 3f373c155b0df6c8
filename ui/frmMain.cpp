#include "ui/frmMain.h"

#include <QAction>
#include <QCloseEvent>
#include <QDir>
#include <QDockWidget>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileDialog>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QScreen>
#include <QStatusBar>

#include "format/DetailOptions.h"
#include "palette/frmMainPal.h"
#include "report/ReportRun.h"
#include "report/RunOutcomeText.h"
#include "support/ShownText.h"
#include "tiles/frmTextureTiles.h"
#include "ui/AppIcon.h"
#include "ui/BookmarksDock.h"
#include "ui/ByteSearchDock.h"
#include "ui/ComparisonDock.h"
#include "ui/CsvSave.h"
#include "ui/ElidedLabel.h"
#include "ui/FindBar.h"
#include "ui/LevelMapDock.h"
#include "ui/ProblemsDock.h"
#include "ui/ReadingsDock.h"
#include "ui/ReportView.h"
#include "ui/StructureViews.h"
#include "ui/View3DDock.h"
#include "ui/frmAbout.h"
#include "ui/frmHelp.h"
#include "ui/frmReportDetails.h"
#include "views/OffsetText.h"
#include "widgets/CenterForm.h"
#include "widgets/Rule.h"
#include "widgets/Twips.h"

namespace {

// Where the levels of the game's own tools are kept; the open dialog starts there when it exists.
const QString kUsualLevelFolder = QStringLiteral("C:\\OnyxLevels\\New\\");

// Window size at start, and the minimum-size rule, in twips.
constexpr int kStartWidth = 9600, kStartHeight = 5775;
constexpr int kMinInnerWidth = 1510, kMinInnerHeight = 1425;
constexpr int kSnapWidth = 1660, kSnapHeight = 1830;

QString PathFromEngine(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}
std::string PathForEngine(const QString& path) {
    return QFile::encodeName(path).toStdString();
}
// A name, or words naming one, with the control bytes of the name escaped as on standard error.
QString ShownPath(const std::string& text) {
    return PathFromEngine(ShownText(text));
}

QString DroppedLevelPath(const QMimeData* data) {
    if (!data || !data->hasUrls())
        return {};
    for (const QUrl& url : data->urls())
        if (url.isLocalFile())
            return url.toLocalFile();
    return {};
}

// Holds the busy mark for the length of a run, also when the run ends by an exception.
class RunningMark {
  public:
    explicit RunningMark(bool& flag) : flag_(flag) {
        flag_ = true;
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    }
    ~RunningMark() {
        QGuiApplication::restoreOverrideCursor();
        flag_ = false;
    }
    RunningMark(const RunningMark&) = delete;
    RunningMark& operator=(const RunningMark&) = delete;

  private:
    bool& flag_;
};

} // namespace

frmMain::frmMain(AppState& state, QWidget* parent) : QMainWindow(parent), state_(state) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Dunmoor Strata Viewer"));
    setWindowIcon(AppIcon());
    setAcceptDrops(true);
    CreateControls();
    CreateMenus();
    CreateFindCommands();
    structure_ = new StructureViews(*this, state_, *rtbOutput_, canvas_,
                                    [this](const QString& path) { OpenLevel(path); });
    connect(structure_, &StructureViews::BandChanged, this, &frmMain::LayoutControls);
    levelMap_ = new LevelMapDock(*this, *structure_);
    new ComparisonDock(*this, *structure_);
    new ProblemsDock(*this, *structure_, *levelMap_->View());
    new View3DDock(*this, *structure_);
    new ReadingsDock(*this, *structure_);
    new BookmarksDock(*this, *structure_);
    new ByteSearchDock(*this, *structure_);
    for (QDockWidget* dock : findChildren<QDockWidget*>())
        connect(dock, &QDockWidget::visibilityChanged, this, [this](bool visible) {
            if (visible)
                KeepPaneRoomLater();
        });

    const QSize inner = TwipSize(kStartWidth - kMenuFrameWidthTwips, kStartHeight - kMenuFrameHeightTwips);
    resize(inner.width(), inner.height() + menuBar()->sizeHint().height() + statusBar()->sizeHint().height());
    lblFileName_->clear();
    SetReportText({});
    CenterForm(*this);
    // Every dock exists by now, so the last run's size, place and docks all come back.
    structure_->RestoreLayout();
    EnableLevelCommands(false);
    SetAllDetails(state_.DetailOptions, false);
    reportRunning_ = false;
    FollowLastWalk();
}

void frmMain::CreateControls() {
    canvas_ = new QWidget(this);
    canvas_->setObjectName(QStringLiteral("canvas"));
    setCentralWidget(canvas_);
    canvas_->installEventFilter(this);

    line1_ = MakeRule(canvas_, "Line1", palette().color(QPalette::Dark));
    line2_ = MakeRule(canvas_, "Line2", Qt::white);

    lblFileName_ = new QLabel(canvas_);
    lblFileName_->setObjectName(QStringLiteral("lblFileName"));
    lblFileName_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lblFileName_->setTextFormat(Qt::PlainText); // a name with tags in it is not markup

    rtbOutput_ = new ReportView(canvas_);
    rtbOutput_->setObjectName(QStringLiteral("rtbOutput"));

    // How the last run ended; a line wider than the window is shortened, never cut, and whole in its tooltip.
    lblWalkEnd_ = new ElidedLabel(this);
    lblWalkEnd_->setObjectName(QStringLiteral("lblWalkEnd"));
    statusBar()->setObjectName(QStringLiteral("staWalkEnd"));
    statusBar()->addWidget(lblWalkEnd_, 1);

    findBar_ = new FindBar(this);
    addToolBar(Qt::BottomToolBarArea, findBar_);
    findBar_->hide();
    connect(findBar_, &FindBar::FindNext, this,
            [this](const QString& needle) { findBar_->ShowResult(FindInReport(needle)); });
    connect(findBar_, &FindBar::FindPrevious, this, [this](const QString& needle) {
        findBar_->ShowResult(FindInReport(needle, ReportView::FindDirection::Previous), true);
    });
}

void frmMain::CreateMenus() {
    const auto addMenu = [this](const char* name, const QString& caption) {
        QMenu* menu = menuBar()->addMenu(caption);
        menu->setObjectName(QString::fromLatin1(name));
        return menu;
    };
    const auto addItem = [](QMenu* menu, const char* name, const QString& caption) {
        QAction* action = menu->addAction(caption);
        action->setObjectName(QString::fromLatin1(name));
        return action;
    };
    const auto addSeparator = [](QMenu* menu, const char* name) {
        menu->addSeparator()->setObjectName(QString::fromLatin1(name));
    };

    QMenu* file = addMenu("mnuFile", QStringLiteral("&File"));
    QAction* open = addItem(file, "mnuFileOpen", QStringLiteral("&Open"));
    open->setShortcuts(QKeySequence::Open);
    connect(open, &QAction::triggered, this, &frmMain::OpenCommand);
    addSeparator(file, "mnuFileSep1");
    mnuFileSaveAsCSV_ = addItem(file, "mnuFileSaveAsCSV", QStringLiteral("&Save As CSV"));
    mnuFileSaveAsCSV_->setShortcuts(QKeySequence::Save);
    connect(mnuFileSaveAsCSV_, &QAction::triggered, this, &frmMain::SaveAsCsvCommand);
    addSeparator(file, "mnuFileSep2");
    QAction* exit = addItem(file, "mnuFileExit", QStringLiteral("E&xit"));
    exit->setShortcuts(QKeySequence::Quit);
    connect(exit, &QAction::triggered, this, &QWidget::close);

    mnuInfo_ = addMenu("mnuInfo", QStringLiteral("&Info"));
    connect(addItem(mnuInfo_, "mnuInfoGeneral", QStringLiteral("&Get General Info only")),
            &QAction::triggered, this, &frmMain::GetGeneralInfo);
    connect(addItem(mnuInfo_, "mnuInfoAllDetails", QStringLiteral("Get All De&tails")), &QAction::triggered,
            this, &frmMain::GetAllDetails);
    connect(addItem(mnuInfo_, "mnuInfoDetail", QStringLiteral("Get Set &Details Only")), &QAction::triggered,
            this, &frmMain::GetSetDetails);
    addSeparator(mnuInfo_, "mnuInfoSep1");
    connect(addItem(mnuInfo_, "mnuInfoDetailSet", QStringLiteral("Set Detail Level...")), &QAction::triggered,
            this, [this] { std::unique_ptr<frmReportDetails>(CreateDetailDialog())->exec(); });

    mnuView_ = addMenu("mnuView", QStringLiteral("&View Info"));
    mnuViewViewPalettes_ = addItem(mnuView_, "mnuViewViewPalettes", QStringLiteral("View Palettes..."));
    connect(mnuViewViewPalettes_, &QAction::triggered, this,
            [this] { std::unique_ptr<frmMainPal>(CreatePaletteExaminer())->exec(); });
    mnuViewViewTextures_ = addItem(mnuView_, "mnuViewViewTextures", QStringLiteral("View Texture Tiles..."));
    connect(mnuViewViewTextures_, &QAction::triggered, this,
            [this] { std::unique_ptr<frmTextureTiles>(CreateTileViewer())->exec(); });

    QMenu* help = addMenu("mnuHelp", QStringLiteral("&Help"));
    QAction* helpItem = addItem(help, "mnuHelpHelp", QStringLiteral("He&lp"));
    helpItem->setShortcuts(QKeySequence::HelpContents);
    connect(helpItem, &QAction::triggered, this, [this] { std::unique_ptr<frmHelp>(CreateHelp())->exec(); });
    connect(addItem(help, "mnuHelpAbout", QStringLiteral("&About")), &QAction::triggered, this,
            [this] { std::unique_ptr<frmAbout>(CreateAbout())->exec(); });
}

// Find and Find Next belong to the window, not to a menu, so the menu bar keeps its four menus.
void frmMain::CreateFindCommands() {
    auto* find = new QAction(tr("Find"), this);
    find->setObjectName(QStringLiteral("actFind"));
    find->setShortcuts(QKeySequence::Find);
    connect(find, &QAction::triggered, findBar_, &FindBar::Open);
    addAction(find);

    auto* findNext = new QAction(tr("Find Next"), this);
    findNext->setObjectName(QStringLiteral("actFindNext"));
    QList<QKeySequence> keys{QKeySequence(Qt::Key_F3)};
    for (const QKeySequence& key : QKeySequence::keyBindings(QKeySequence::FindNext))
        if (!keys.contains(key))
            keys.append(key);
    findNext->setShortcuts(keys);
    connect(findNext, &QAction::triggered, this,
            [this] { FindNextCommand(ReportView::FindDirection::Next); });
    addAction(findNext);

    auto* findPrevious = new QAction(tr("Find Previous"), this);
    findPrevious->setObjectName(QStringLiteral("actFindPrevious"));
    QList<QKeySequence> back{QKeySequence(Qt::SHIFT | Qt::Key_F3)};
    for (const QKeySequence& key : QKeySequence::keyBindings(QKeySequence::FindPrevious))
        if (!back.contains(key))
            back.append(key);
    findPrevious->setShortcuts(back);
    connect(findPrevious, &QAction::triggered, this,
            [this] { FindNextCommand(ReportView::FindDirection::Previous); });
    addAction(findPrevious);
}

bool frmMain::eventFilter(QObject* watched, QEvent* e) {
    if (watched == canvas_ && e->type() == QEvent::Resize)
        LayoutControls();
    return QMainWindow::eventFilter(watched, e);
}

// The outer size the minimum-size rule wants for the current inner size: a window whose inner size
// has fallen to the limit snaps to the minimum outer size in that dimension.
QSize frmMain::SnappedOuterTwips() const {
    const QSize inner = SizeInTwips(canvas_->size());
    QSize outer = InnerToOuterTwips(inner);
    if (inner.height() <= kMinInnerHeight)
        outer.setHeight(kSnapHeight);
    if (inner.width() <= kMinInnerWidth)
        outer.setWidth(kSnapWidth);
    return outer;
}

// A window cannot be resized from inside its own resize, so the snap follows once the resize is done.
void frmMain::ApplyMinimumSize() {
    snapPending_ = false;
    const QSize target = OuterToInnerTwips(SnappedOuterTwips());
    const QSize targetPixels = TwipSize(target.width(), target.height());
    if (targetPixels != canvas_->size())
        resize(size() + (targetPixels - canvas_->size()));
}

// The minimum-size rule comes first; then the rules, the label and the pane follow the outer size.
void frmMain::LayoutControls() {
    const QSize outer = InnerToOuterTwips(SizeInTwips(canvas_->size()));
    if (SnappedOuterTwips() != outer && !snapPending_) {
        snapPending_ = true;
        QMetaObject::invokeMethod(this, &frmMain::ApplyMinimumSize, Qt::QueuedConnection);
    }
    const int W = outer.width();
    line1_->setGeometry(0, 0, canvas_->width(), 1);
    line2_->setGeometry(0, TwipsToPixels(30), canvas_->width(), 2);
    lblFileName_->setGeometry(TwipRect(75, 105, W - 270, 315));
    QRect pane = TwipRect(75, 480, W - 270, outer.height() - 1245);
    if (structure_)
        structure_->PlaceBand(pane);
    rtbOutput_->setGeometry(pane);
}

// Where the pane goes in a canvas of the given size, the strata bar's band left out; an empty size
// where the canvas is too small to hold it.
QRect frmMain::PaneRect(QSize canvas) const {
    const QSize outer = InnerToOuterTwips(SizeInTwips(canvas));
    QRect pane = TwipRect(75, 480, std::max(0, outer.width() - 270), std::max(0, outer.height() - 1245));
    if (structure_ && structure_->StrataBarShown())
        pane.setTop(std::min(pane.bottom() + 1, pane.top() + StructureViews::kStrataBarHeight + 3));
    return pane;
}

// A dock shown by a command (not by the window coming up with the layout it had) is laid out once the
// events it caused are handled; the pane's room is checked then.
void frmMain::KeepPaneRoomLater() {
    if (!docksWatched_ || roomPending_)
        return;
    roomPending_ = true;
    QMetaObject::invokeMethod(this, &frmMain::KeepPaneRoom, Qt::QueuedConnection);
}

void frmMain::showEvent(QShowEvent* e) {
    QMainWindow::showEvent(e);
    // The docks the restored layout shows become visible with the window; they are as the user left them.
    QMetaObject::invokeMethod(
        this, [this] { docksWatched_ = true; }, Qt::QueuedConnection);
}

// The report keeps kPaneLines lines and kPaneColumns columns in sight: for one layout the central area
// asks for the room they take, so the docks give up their share down to their own minimum and the window
// grows where that is not enough. The request is withdrawn once laid out, so the window can be made
// smaller again by hand.
void frmMain::KeepPaneRoom() {
    roomPending_ = false;
    const QSize reference(2000, 2000);
    const QSize margins = reference - PaneRect(reference).size();
    canvas_->setMinimumSize(rtbOutput_->SizeForText(kPaneColumns, kPaneLines) + margins);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    QMetaObject::invokeMethod(
        this,
        [this] {
            canvas_->setMinimumSize(0, 0);
            // Docks too large to give way may have grown the window past the screen: back inside it.
            const QScreen* shownOn = screen();
            if (!shownOn || isMaximized() || isFullScreen())
                return;
            const QSize room = shownOn->availableGeometry().size() - (frameGeometry().size() - size());
            if (width() > room.width() || height() > room.height())
                resize(size().boundedTo(room));
            KeepOnScreen(*this);
        },
        Qt::QueuedConnection);
}

void frmMain::EnableLevelCommands(bool enabled) {
    mnuFileSaveAsCSV_->setEnabled(enabled);
    mnuInfo_->setEnabled(enabled);
    mnuInfo_->menuAction()->setEnabled(enabled);
    mnuView_->setEnabled(enabled);
    mnuView_->menuAction()->setEnabled(enabled);
}

// The walk decides what the viewers can show; a run that did not walk leaves them as they were.
void frmMain::FollowLastWalk() {
    mnuViewViewPalettes_->setEnabled(state_.PalettesLoaded);
    mnuViewViewTextures_->setEnabled(state_.TexturesLoaded);
}

int16_t frmMain::RunReport() {
    int16_t status = 0;
    {
        RunningMark running(reportRunning_);
        status = ReportLevelFile(state_, PathForEngine(chosenLevelPath_));
    }
    ShowRunResult();
    return status == 0 ? 0 : kStatusEmptyOrMissing;
}

void frmMain::ShowRunResult() {
    const RunOutcome& outcome = state_.LastRun;
    // A run that could not read its file wrote nothing: the pane keeps its report, and the label goes
    // back to naming the file of that report. Any other run rewrote the report the pane reads in place,
    // so the pane takes it up anew.
    if (outcome.Read())
        rtbOutput_->ShowText(state_.Report.Str());
    lblFileName_->setText(ShownPath(state_.FileNameLabel));
    FollowLastWalk();
    structure_->TakeWalk();
    // The command line's words: one description of a run for both.
    const RunOutcomeWords words = DescribeRunOutcome(state_);
    lblWalkEnd_->SetFullText(ShownPath(words.Tiles.empty() ? words.Run : words.Run + "; " + words.Tiles));
}

void frmMain::OpenLevel(const QString& path) {
    if (path.isEmpty())
        return;
    chosenLevelPath_ = QDir::toNativeSeparators(path);
    lblFileName_->setText(ShownPath(PathForEngine(chosenLevelPath_)));
    EnableLevelCommands(false);
    // The new path shows before the run, which holds the window until it ends.
    lblFileName_->repaint();
    menuBar()->repaint();
    if (RunReport() == 0)
        EnableLevelCommands(true);
    if (!state_.LastRun.Unread)
        structure_->RememberFile(chosenLevelPath_);
}

QString frmMain::GoToAtStart(const QString& offset) {
    const std::optional<int64_t> at = ParseOffset(offset.toStdString());
    const int64_t size = state_.Level && !state_.LastRun.Unread ? state_.Level->Size() : 0;
    QString why;
    if (!at)
        why = tr("\"%1\" is not an offset (\"0x1F2C\", \"1F2Ch\" or decimal)").arg(offset);
    else if (size == 0)
        why = tr("nothing to go to: %1 could not be read").arg(chosenLevelPath_);
    else if (*at >= size)
        why = tr("%1 is past the end of %2, whose last byte is at 0x%3 (%4)")
                  .arg(offset, chosenLevelPath_, QString::number(size - 1, 16).toUpper())
                  .arg(size - 1);
    if (why.isEmpty()) {
        structure_->GoToOffset(offset);
        return {};
    }
    const QString line = QStringLiteral("strata-viewer: --goto: ") + why;
    auto* box =
        new QMessageBox(QMessageBox::Warning, QStringLiteral("Go to Offset"), line, QMessageBox::Ok, this);
    box->setObjectName(QStringLiteral("msgGoToAtStart"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
    return line;
}

void frmMain::GetGeneralInfo() {
    SetAllDetails(state_.DetailOptions, false);
    if (RunReport() == 0)
        EnableLevelCommands(true);
}

void frmMain::GetAllDetails() {
    SetAllDetails(state_.DetailOptions, true);
    if (RunReport() == 0)
        EnableLevelCommands(true);
}

void frmMain::GetSetDetails() {
    if (RunReport() == 0)
        EnableLevelCommands(true);
}

QFileDialog* frmMain::CreateOpenDialog() {
    auto* dialog = new QFileDialog(this, QStringLiteral("DM Level File"));
    dialog->setObjectName(QStringLiteral("CommonDialog1"));
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setFileMode(QFileDialog::ExistingFile);
    dialog->setNameFilters(
        {QStringLiteral("DM Level File (*.dm2 *.dm3 *.DM2 *.DM3)"), QStringLiteral("All files (*)")});
    QString folder = kUsualLevelFolder;
    if (!QDir(folder).exists())
        folder = !fallbackOpenFolder_.isEmpty() && QDir(fallbackOpenFolder_).exists()
                     ? fallbackOpenFolder_
                     : PathFromEngine(state_.ProgramFolder.string());
    dialog->setDirectory(folder);
    dialog->selectFile(QStringLiteral("level1.dm2"));
    return dialog;
}

QFileDialog* frmMain::CreateSaveDialog() {
    const std::optional<std::string> name = ProposedCsvName(PathForEngine(chosenLevelPath_));
    if (!name)
        return nullptr;
    auto* dialog = new QFileDialog(this, QStringLiteral("DM Level File as CSV"));
    dialog->setObjectName(QStringLiteral("CommonDialog1"));
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setFileMode(QFileDialog::AnyFile);
    // The dialog asks before it replaces an existing file, and a name without extension gets ".csv".
    dialog->setDefaultSuffix(QStringLiteral("csv"));
    dialog->setNameFilters({QStringLiteral("CSV files (*.csv)"), QStringLiteral("All files (*)")});
    dialog->setDirectory(PathFromEngine(state_.ProgramFolder.string()));
    dialog->selectFile(PathFromEngine(*name));
    return dialog;
}

void frmMain::OpenCommand() {
    std::unique_ptr<QFileDialog> dialog(CreateOpenDialog());
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty())
        return;
    OpenLevel(dialog->selectedFiles().constFirst());
}

void frmMain::SaveAsCsvCommand() {
    std::unique_ptr<QFileDialog> dialog(CreateSaveDialog());
    if (!dialog || dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty())
        return;
    const QString file = dialog->selectedFiles().constFirst();
    if (file.isEmpty() || ReportText().empty())
        return;
    const QString reason = SaveReportAs(file);
    if (!reason.isEmpty())
        QMessageBox::warning(this, QStringLiteral("Save As CSV"),
                             tr("Could not save %1:\n%2").arg(QDir::toNativeSeparators(file), reason));
}

QString frmMain::SaveReportAs(const QString& path) {
    return SaveReportText(path, ReportText(), state_.FileNameLabel);
}

frmReportDetails* frmMain::CreateDetailDialog() {
    return new frmReportDetails(state_.DetailOptions, this);
}

frmMainPal* frmMain::CreatePaletteExaminer() {
    auto* examiner = new frmMainPal(state_.Palette8Colours, state_.Palette16Colours, this);
    examiner->Init(chosenLevelPath_);
    return examiner;
}

frmTextureTiles* frmMain::CreateTileViewer() {
    auto* viewer = new frmTextureTiles(state_.TileFolder(), this);
    viewer->Init(state_.TextureTileCount);
    if (const RunOutcomeWords words = DescribeRunOutcome(state_); words.TilesFailed)
        viewer->SetExportProblem(PathFromEngine(words.Tiles));
    return viewer;
}

frmHelp* frmMain::CreateHelp() {
    return new frmHelp(this);
}

frmAbout* frmMain::CreateAbout() {
    return new frmAbout(this);
}

// The pane shows AppState.Report in place; the report is held once, and what Save As CSV writes is
// what the pane shows.
void frmMain::SetReportText(std::string_view text) {
    state_.Report.ReplaceAll(text);
    rtbOutput_->ShowText(state_.Report.Str());
}

const std::string& frmMain::ReportText() const {
    return rtbOutput_->Text();
}

ReportView::FindResult frmMain::FindInReport(const QString& needle, ReportView::FindDirection direction) {
    return rtbOutput_->Find(needle, direction);
}

void frmMain::FindNextCommand(ReportView::FindDirection direction) {
    if (findBar_->Needle().isEmpty()) {
        findBar_->Open();
        return;
    }
    findBar_->ShowResult(FindInReport(findBar_->Needle(), direction),
                         direction == ReportView::FindDirection::Previous);
}

QMenu* frmMain::StructureMenu() const {
    return structure_->Menu();
}

SpanSelection& frmMain::Selection() const {
    return structure_->Selection();
}

QString frmMain::WalkEndLine() const {
    return lblWalkEnd_->FullText();
}

QString frmMain::FindResultLine() const {
    return findBar_->ResultText();
}

void frmMain::closeEvent(QCloseEvent* e) {
    if (reportRunning_) {
        e->ignore();
        return;
    }
    state_.Palette8Colours.reset();
    state_.Palette16Colours.reset();
    structure_->SaveLayout();
    e->accept();
}

void frmMain::dragEnterEvent(QDragEnterEvent* e) {
    if (!DroppedLevelPath(e->mimeData()).isEmpty())
        e->acceptProposedAction();
}

// The run starts once the drop has returned, so the dragging program is not held for its length.
void frmMain::dropEvent(QDropEvent* e) {
    const QString path = DroppedLevelPath(e->mimeData());
    if (path.isEmpty() || reportRunning_)
        return;
    e->acceptProposedAction();
    QMetaObject::invokeMethod(
        this, [this, path] { OpenLevel(path); }, Qt::QueuedConnection);
}
