#include "ui/LevelMapDock.h"

#include <QAction>
#include <QDockWidget>
#include <QMainWindow>

#include "ui/StructureViews.h"
#include "views/LevelMapView.h"

LevelMapDock::LevelMapDock(QMainWindow& window, StructureViews& structure) : QObject(&window) {
    view_ = new LevelMapView(structure.Selection());
    dock_ = new QDockWidget(tr("Level Map"), &window);
    dock_->setObjectName(QStringLiteral("dckLevelMap"));
    dock_->setWidget(view_);
    window.addDockWidget(Qt::RightDockWidgetArea, dock_);
    dock_->hide();

    QAction* show = dock_->toggleViewAction();
    show->setObjectName(QStringLiteral("mnuStructureLevelMap"));
    show->setText(tr("Level &Map"));
    show->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_M));
    structure.AddViewAction(show);
    view_->SavePngAction()->setObjectName(QStringLiteral("mnuStructureSaveMapPng"));
    view_->SaveSvgAction()->setObjectName(QStringLiteral("mnuStructureSaveMapSvg"));
    structure.AddViewAction(view_->SavePngAction());
    structure.AddViewAction(view_->SaveSvgAction());
    // A map not shown has nothing to save.
    for (QAction* save : {view_->SavePngAction(), view_->SaveSvgAction()}) {
        save->setEnabled(false);
        connect(dock_, &QDockWidget::visibilityChanged, save, &QAction::setEnabled);
    }
}

QAction* LevelMapDock::ShowAction() const {
    return dock_->toggleViewAction();
}
