#include "ui/ComparisonDock.h"

#include <QDockWidget>
#include <QFileDialog>
#include <QFileInfo>
#include <QMainWindow>
#include <QMenu>
#include <QMessageBox>
#include <QStatusBar>

#include "ui/StructureViews.h"
#include "views/DifferencesList.h"
#include "views/HexView.h"
#include "views/SideBySidePane.h"
#include "views/StrataBar.h"

ComparisonDock::ComparisonDock(QMainWindow& window, StructureViews& views)
    : QObject(&window), window_(window) {
    list_ = new DifferencesList(views.Selection());
    dock_ = new QDockWidget(tr("Differences"), &window_);
    dock_->setObjectName(QStringLiteral("dckDifferences"));
    dock_->setWidget(list_);
    window_.addDockWidget(Qt::RightDockWidgetArea, dock_);
    dock_->hide();

    QAction* toggle = dock_->toggleViewAction();
    toggle->setObjectName(QStringLiteral("mnuStructureDifferences"));
    toggle->setText(tr("&Differences"));
    toggle->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_4));
    views.AddViewAction(toggle);

    // Beside Go to Offset, ahead of the recent files.
    compare_ = new QAction(tr("&Compare With..."), this);
    compare_->setObjectName(QStringLiteral("mnuStructureCompareWith"));
    QMenu* menu = views.Menu();
    QAction* before = menu->findChild<QAction*>(QStringLiteral("mnuStructureSep3"));
    menu->insertAction(before && menu->actions().contains(before) ? before : nullptr, compare_);
    connect(compare_, &QAction::triggered, this, &ComparisonDock::Command);

    StrataBar* strata = views.Strata();
    strata->SetMarked([list = list_](Piece chunk) { return list->ChunkDiffers(chunk); });
    connect(list_, &DifferencesList::DifferencesChanged, strata, qOverload<>(&QWidget::update));
    CreateSideBySide(views);
}

void ComparisonDock::CreateSideBySide(StructureViews& views) {
    hexDock_ = views.HexDock();
    sideBySide_ = new SideBySidePane(views.Selection(), *views.Hex(), *list_);
    sideBySideDock_ = new QDockWidget(tr("Compared Level"), &window_);
    sideBySideDock_->setObjectName(QStringLiteral("dckComparedLevel"));
    sideBySideDock_->setWidget(sideBySide_);
    connect(sideBySide_->OtherHex(), &HexView::Told, this,
            [this](const QString& message) { window_.statusBar()->showMessage(message, 5000); });
    window_.addDockWidget(Qt::BottomDockWidgetArea, sideBySideDock_);
    sideBySideDock_->hide();

    QAction* toggle = sideBySideDock_->toggleViewAction();
    toggle->setObjectName(QStringLiteral("mnuStructureComparedLevel"));
    toggle->setText(tr("Compared &Level"));
    toggle->setEnabled(false);
    views.AddViewAction(toggle);

    // Behind Compare With...: the steps through the differences.
    QMenu* menu = views.Menu();
    const int at = static_cast<int>(menu->actions().indexOf(compare_));
    QAction* before = at + 1 < menu->actions().size() ? menu->actions().at(at + 1) : nullptr;
    const struct {
        const char* Name;
        QString Text;
        QKeyCombination Key;
        int Step;
    } steps[] = {
        {"mnuStructureNextDifference", tr("&Next Difference"), QKeyCombination(Qt::Key_F7), 1},
        {"mnuStructurePreviousDifference", tr("&Previous Difference"),
         QKeyCombination(Qt::ShiftModifier, Qt::Key_F7), -1},
    };
    for (const auto& step : steps) {
        auto* action = new QAction(step.Text, this);
        action->setObjectName(QString::fromLatin1(step.Name));
        action->setShortcut(QKeySequence(step.Key));
        action->setEnabled(false);
        menu->insertAction(before, action);
        connect(action, &QAction::triggered, this, [this, s = step.Step] { StepDifference(s); });
        connect(sideBySide_, &SideBySidePane::ComparingChanged, action, &QAction::setEnabled);
    }

    // The dock's title names the compared level (its rows start level with the hex view's, which a
    // label over them would push down).
    connect(list_, &DifferencesList::DifferencesChanged, this, [this] {
        const QString path = list_->OtherPath();
        sideBySideDock_->setWindowTitle(
            path.isEmpty() ? tr("Compared Level") : tr("Compared Level: %1").arg(QFileInfo(path).fileName()));
        sideBySideDock_->setToolTip(path);
    });
    // Shown while a comparison is open, and only then: a level opened afterwards closes it, and a
    // layout put back from a run that closed with one open leaves it hidden in its place.
    connect(sideBySide_, &SideBySidePane::ComparingChanged, this, [this, toggle](bool comparing) {
        toggle->setEnabled(comparing);
        if (!comparing)
            sideBySideDock_->hide();
    });
    connect(&views, &StructureViews::LayoutRestored, this, [this](bool fromLastRun) {
        // On a first start, to the right of the hex view, once the docks that move the hex view
        // have been made.
        if (!fromLastRun) {
            window_.splitDockWidget(hexDock_, sideBySideDock_, Qt::Horizontal);
            evenOut_ = true;
        }
        if (!sideBySide_->Comparing())
            sideBySideDock_->hide();
    });
}

void ComparisonDock::StepDifference(int step) {
    if (!sideBySide_->StepDifference(step))
        window_.statusBar()->showMessage(list_->Count() == 0 ? tr("No differences.")
                                         : step > 0          ? tr("No more differences after this one.")
                                                             : tr("No more differences before this one."),
                                         5000);
}

QString ComparisonDock::CompareWith(const QString& path) {
    const QString why = list_->CompareWith(path);
    if (!why.isEmpty()) {
        window_.statusBar()->showMessage(why, 5000);
        return why;
    }
    dock_->show();
    dock_->raise();
    hexDock_->show();
    sideBySideDock_->show();
    if (evenOut_) {
        // Shown for the first time: the two panes take half each.
        evenOut_ = false;
        const int width = hexDock_->width() + sideBySideDock_->width();
        window_.resizeDocks({hexDock_, sideBySideDock_}, {width / 2, width - width / 2}, Qt::Horizontal);
    }
    sideBySide_->AlignOtherToShown();
    window_.statusBar()->showMessage(list_->Summary(), 5000);
    return {};
}

void ComparisonDock::Command() {
    const QString path = chooser_ ? chooser_() : QFileDialog::getOpenFileName(&window_, tr("Compare With"));
    if (path.isEmpty())
        return;
    // A file that is not a level, or cannot be read, is said so; the dock keeps what it showed.
    if (const QString why = CompareWith(path); !why.isEmpty())
        QMessageBox::information(&window_, tr("Compare With"), why);
}
