#include "ui/ReadingsDock.h"

#include <QAction>
#include <QDockWidget>
#include <QMainWindow>

#include "ui/StructureViews.h"
#include "views/ReadingsPane.h"

ReadingsDock::ReadingsDock(QMainWindow& window, StructureViews& views) : QObject(&window) {
    pane_ = new ReadingsPane(views.Selection());
    dock_ = new QDockWidget(tr("Byte Readings"), &window);
    dock_->setObjectName(QStringLiteral("dckReadings"));
    dock_->setWidget(pane_);
    window.addDockWidget(Qt::RightDockWidgetArea, dock_);
    dock_->hide();

    QAction* toggle = dock_->toggleViewAction();
    toggle->setObjectName(QStringLiteral("mnuStructureReadings"));
    toggle->setText(tr("&Byte Readings"));
    toggle->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_7));
    views.AddViewAction(toggle);
}
