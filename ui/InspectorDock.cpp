#include "ui/InspectorDock.h"

#include <QAction>
#include <QDockWidget>
#include <QMainWindow>

#include "ui/StructureViews.h"
#include "views/InspectorPane.h"

InspectorDock::InspectorDock(QMainWindow& window, StructureViews& views) : QObject(&window) {
    pane_ = new InspectorPane(views.Selection());
    dock_ = new QDockWidget(tr("Data Inspector"), &window);
    dock_->setObjectName(QStringLiteral("dckInspector"));
    dock_->setWidget(pane_);
    window.addDockWidget(Qt::RightDockWidgetArea, dock_);
    dock_->hide();

    QAction* toggle = dock_->toggleViewAction();
    toggle->setObjectName(QStringLiteral("mnuStructureInspector"));
    toggle->setText(tr("&Data Inspector"));
    toggle->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_7));
    views.AddViewAction(toggle);
}
