#include "ui/StructureViews.h"

#include <QAction>
#include <QDockWidget>
#include <QFileInfo>
#include <QGuiApplication>
#include <QInputDialog>
#include <QMainWindow>
#include <QMenuBar>
#include <QScreen>
#include <QSettings>
#include <QStatusBar>

#include "ui/ReportView.h"
#include "views/FieldColumn.h"
#include "views/HexView.h"
#include "views/OffsetText.h"
#include "views/OutlinePane.h"
#include "views/SpanSelection.h"
#include "views/StrataBar.h"
#include "widgets/CenterForm.h"

namespace {

const QString kGeometryKey = QStringLiteral("structure/windowGeometry");
const QString kStateKey = QStringLiteral("structure/windowState");
const QString kStrataKey = QStringLiteral("structure/strataBar");
const QString kStrataScaleKey = QStringLiteral("structure/strataSmallChunksWider");
const QString kRecentKey = QStringLiteral("structure/recentFiles");
// The docks' layout is saved with this version; a layout of another version is not restored.
constexpr int kLayoutVersion = 1;
// The size the window grows to, at least, when every structure view is shown.
constexpr int kViewsWidth = 1100, kViewsHeight = 760;

QAction* AddItem(QMenu* menu, const char* name, const QString& caption) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(QString::fromLatin1(name));
    return action;
}

} // namespace

StructureViews::StructureViews(QMainWindow& window, const AppState& state, ReportView& pane, QWidget* canvas,
                               std::function<void(const QString&)> openFile)
    : QObject(&window), window_(window), state_(state), pane_(pane), openFile_(std::move(openFile)) {
    selection_ = new SpanSelection(state_, this);
    CreateViews(canvas);
    CreateMenu();
    connect(&pane_, &ReportView::CursorMoved, this, &StructureViews::FollowPane);
    connect(selection_, &SpanSelection::Changed, this, &StructureViews::FollowSelection);
}

void StructureViews::CreateViews(QWidget* canvas) {
    outline_ = new OutlinePane(*selection_);
    outline_->setObjectName(QStringLiteral("trvOutline"));
    outlineDock_ = new QDockWidget(tr("Outline"), &window_);
    outlineDock_->setObjectName(QStringLiteral("dckOutline"));
    outlineDock_->setWidget(outline_);
    window_.addDockWidget(Qt::LeftDockWidgetArea, outlineDock_);
    outlineDock_->hide();

    hex_ = new HexView(*selection_);
    hex_->setObjectName(QStringLiteral("hexBytes"));
    hexDock_ = new QDockWidget(tr("Hex View"), &window_);
    hexDock_->setObjectName(QStringLiteral("dckHexView"));
    hexDock_->setWidget(hex_);
    connect(hex_, &HexView::Told, this,
            [this](const QString& message) { window_.statusBar()->showMessage(message, 5000); });
    window_.addDockWidget(Qt::BottomDockWidgetArea, hexDock_);
    hexDock_->hide();

    strata_ = new StrataBar(*selection_, canvas);
    strata_->setObjectName(QStringLiteral("barStrata"));
    strata_->hide();
}

void StructureViews::CreateMenu() {
    menu_ = window_.menuBar()->addMenu(tr("&Structure"));
    menu_->setObjectName(QStringLiteral("mnuStructure"));

    QAction* all = AddItem(menu_, "mnuStructureShowAll", tr("Show &Structure Views"));
    all->setShortcut(QKeySequence(Qt::Key_F9));
    connect(all, &QAction::triggered, this, &StructureViews::ShowAll);
    menu_->addSeparator()->setObjectName(QStringLiteral("mnuStructureSep1"));

    QAction* outline = outlineDock_->toggleViewAction();
    outline->setObjectName(QStringLiteral("mnuStructureOutline"));
    outline->setText(tr("&Outline"));
    outline->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_1));
    menu_->addAction(outline);
    QAction* hex = hexDock_->toggleViewAction();
    hex->setObjectName(QStringLiteral("mnuStructureHexView"));
    hex->setText(tr("&Hex View"));
    hex->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_2));
    menu_->addAction(hex);
    strataAction_ = AddItem(menu_, "mnuStructureStrataBar", tr("Strata &Bar"));
    strataAction_->setCheckable(true);
    strataAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_3));
    connect(strataAction_, &QAction::toggled, this, &StructureViews::SetStrataBarShown);
    // The bar's own commands, also on its context menu.
    strataScaleAction_ =
        AddItem(menu_, "mnuStructureStrataSmallWider", tr("Strata Bar: Small Chunks &Wider"));
    strataScaleAction_->setCheckable(true);
    connect(strataScaleAction_, &QAction::toggled, this,
            [this](bool wider) { strata_->SetScale(wider ? StrataScale::Logarithmic : StrataScale::Bytes); });
    QAction* legend = AddItem(menu_, "mnuStructureStrataLegend", tr("Strata Bar &Legend"));
    connect(legend, &QAction::triggered, this, &StructureViews::ShowStrataLegend);
    strata_->setContextMenuPolicy(Qt::ActionsContextMenu);
    strata_->addAction(strataScaleAction_);
    strata_->addAction(legend);

    viewsEnd_ = menu_->addSeparator();
    viewsEnd_->setObjectName(QStringLiteral("mnuStructureSep2"));
    QAction* goTo = AddItem(menu_, "mnuStructureGoTo", tr("&Go to Offset..."));
    goTo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_G));
    connect(goTo, &QAction::triggered, this, &StructureViews::GoToOffsetCommand);

    menu_->addSeparator()->setObjectName(QStringLiteral("mnuStructureSep3"));
    recentMenu_ = menu_->addMenu(tr("&Recent Files"));
    recentMenu_->setObjectName(QStringLiteral("mnuStructureRecent"));
    connect(recentMenu_, &QMenu::aboutToShow, this, &StructureViews::FillRecentMenu);
    FillRecentMenu();
}

void StructureViews::AddViewAction(QAction* action) {
    menu_->insertAction(viewsEnd_, action);
}

void StructureViews::ShowStrataLegend() {
    if (!legend_) {
        legend_ = strata_->CreateLegendWindow(&window_);
        connect(strataScaleAction_, &QAction::toggled, legend_, [this] {
            // The legend says which widths the bar uses: made anew when they change.
            const bool shown = legend_->isVisible();
            legend_->deleteLater();
            legend_ = nullptr;
            if (shown)
                ShowStrataLegend();
        });
    }
    legend_->show();
    legend_->raise();
}

void StructureViews::RestoreLayout() {
    const QSettings settings;
    window_.restoreGeometry(settings.value(kGeometryKey).toByteArray());
    const bool restored = window_.restoreState(settings.value(kStateKey).toByteArray(), kLayoutVersion);
    SetStrataBarShown(settings.value(kStrataKey, false).toBool());
    strataScaleAction_->setChecked(settings.value(kStrataScaleKey, false).toBool());
    emit LayoutRestored(restored);
}

void StructureViews::SaveLayout() const {
    QSettings settings;
    settings.setValue(kGeometryKey, window_.saveGeometry());
    settings.setValue(kStateKey, window_.saveState(kLayoutVersion));
    settings.setValue(kStrataKey, StrataBarShown());
    settings.setValue(kStrataScaleKey, strataScaleAction_->isChecked());
}

void StructureViews::ShowAll() {
    outlineDock_->show();
    hexDock_->show();
    SetStrataBarShown(true);
    QSize wanted = window_.size().expandedTo(QSize(kViewsWidth, kViewsHeight));
    if (const QScreen* screen = window_.screen())
        wanted = wanted.boundedTo(screen->availableGeometry().size());
    if (wanted != window_.size() && !window_.isMaximized() && !window_.isFullScreen()) {
        window_.resize(wanted);
        KeepOnScreen(window_); // grown to the right and down, it may stick out of the screen
    }
    // The outline wide enough for its names and offsets, the hex view tall enough for a page of rows.
    window_.resizeDocks({outlineDock_}, {std::max(outlineDock_->width(), window_.width() * 2 / 5)},
                        Qt::Horizontal);
    window_.resizeDocks({hexDock_}, {std::max(hexDock_->height(), window_.height() / 3)}, Qt::Vertical);
}

void StructureViews::SetStrataBarShown(bool shown) {
    if (strataAction_->isChecked() != shown)
        strataAction_->setChecked(shown); // comes back here through toggled
    if (StrataBarShown() == shown)
        return;
    strata_->setVisible(shown);
    emit BandChanged();
}

bool StructureViews::StrataBarShown() const {
    return !strata_->isHidden();
}

void StructureViews::PlaceBand(QRect& paneRect) {
    if (strata_->isHidden())
        return;
    strata_->setGeometry(paneRect.left(), paneRect.top(), paneRect.width(), kStrataBarHeight);
    const int taken = kStrataBarHeight + 3;
    paneRect.setTop(paneRect.top() + std::min(taken, std::max(0, paneRect.height() - 1)));
}

bool StructureViews::GoToOffset(const QString& text) {
    const std::optional<int64_t> offset = ParseOffset(text.toStdString());
    if (!offset || !state_.Level || *offset >= state_.Level->Size())
        return false;
    hexDock_->show();
    hexDock_->raise();
    selection_->SelectOffset(*offset, this);
    return true;
}

void StructureViews::GoToOffsetCommand() {
    if (!state_.Level || state_.Level->Size() == 0)
        return;
    const QString range = tr("Offset, 0 to 0x%1 (\"0x1F2C\", \"1F2Ch\" or decimal):")
                              .arg(QString::number(state_.Level->Size() - 1, 16).toUpper());
    QString label = range;
    QString text;
    for (;;) {
        bool ok = false;
        text = QInputDialog::getText(&window_, tr("Go to Offset"), label, QLineEdit::Normal, text, &ok);
        if (!ok || GoToOffset(text))
            return;
        label = tr("\"%1\" is no offset in this file.\n%2").arg(text, range);
    }
}

void StructureViews::TakeWalk() {
    selection_->ResetForNewWalk();
}

// The pane's cursor line becomes the shared selection; the pane itself follows the others.
void StructureViews::FollowPane() {
    if (followingSelection_)
        return;
    selection_->SelectLine(pane_.LineCount() == 0 ? -1 : static_cast<int32_t>(pane_.CursorLine()), &pane_);
}

void StructureViews::FollowSelection(const QObject* source) {
    if (source == &pane_ || selection_->Line() < 0)
        return;
    followingSelection_ = true;
    const auto line = static_cast<size_t>(selection_->Line());
    pane_.ShowLine(line);
    // A field's bytes selected: its column of the line too, where the line shows it.
    const LineBytes& bytes = selection_->Bytes();
    if (line < pane_.LineCount())
        if (const auto column =
                FieldColumn(selection_->Map(), selection_->Line(), pane_.Line(line), bytes.First, bytes.End))
            pane_.MarkColumn(line, column->first, column->second);
    followingSelection_ = false;
}

void StructureViews::RememberFile(const QString& path) {
    if (path.isEmpty())
        return;
    QStringList files = RecentFiles();
    files.removeAll(path);
    files.prepend(path);
    while (files.size() > kRecentFiles)
        files.removeLast();
    QSettings().setValue(kRecentKey, files);
}

QStringList StructureViews::RecentFiles() const {
    return QSettings().value(kRecentKey).toStringList();
}

void StructureViews::FillRecentMenu() {
    recentMenu_->clear();
    const QStringList files = RecentFiles();
    for (int i = 0; i < files.size(); ++i) {
        const QString path = files[i];
        QAction* open =
            recentMenu_->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(QFileInfo(path).fileName()));
        open->setToolTip(path);
        open->setStatusTip(path);
        connect(open, &QAction::triggered, this, [this, path] { openFile_(path); });
    }
    if (files.isEmpty())
        recentMenu_->addAction(tr("(none)"))->setEnabled(false);
    recentMenu_->addSeparator();
    QAction* clear = recentMenu_->addAction(tr("&Clear List"));
    clear->setObjectName(QStringLiteral("mnuStructureRecentClear"));
    clear->setEnabled(!files.isEmpty());
    connect(clear, &QAction::triggered, this, [] { QSettings().remove(kRecentKey); });
}
