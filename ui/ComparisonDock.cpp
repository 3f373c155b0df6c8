#include "ui/ComparisonDock.h"

#include <QDockWidget>
#include <QFileDialog>
#include <QMainWindow>
#include <QMenu>
#include <QMessageBox>
#include <QStatusBar>

#include "ui/StructureViews.h"
#include "views/DifferencesList.h"
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
}

QString ComparisonDock::CompareWith(const QString& path) {
    const QString why = list_->CompareWith(path);
    if (!why.isEmpty()) {
        window_.statusBar()->showMessage(why, 5000);
        return why;
    }
    dock_->show();
    dock_->raise();
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
