#include "ui/ByteSearchDock.h"

#include <QAction>
#include <QDockWidget>
#include <QMainWindow>

#include "ui/StructureViews.h"
#include "views/ByteSearchBar.h"
#include "views/HexView.h"

ByteSearchDock::ByteSearchDock(QMainWindow& window, StructureViews& views) : QObject(&window), views_(views) {
    bar_ = new ByteSearchBar(views.Selection());
    bar_->setObjectName(QStringLiteral("barSearchBytes"));
    bar_->WatchKeysOf(views.Hex());
    dock_ = new QDockWidget(tr("Search Bytes"), &window);
    dock_->setObjectName(QStringLiteral("dckSearchBytes"));
    dock_->setWidget(bar_);
    dock_->setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable |
                       QDockWidget::DockWidgetFloatable);
    window.addDockWidget(Qt::BottomDockWidgetArea, dock_);
    // Over the hex view, whose bytes it searches.
    window.splitDockWidget(dock_, views.HexDock(), Qt::Vertical);
    dock_->hide();

    QAction* open = new QAction(tr("Search &Bytes..."), this);
    open->setObjectName(QStringLiteral("mnuStructureSearchBytes"));
    open->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F));
    connect(open, &QAction::triggered, this, &ByteSearchDock::Open);
    views.AddViewAction(open);
    // Escape in the bar closes it and gives the keys back to the hex view.
    QAction* close = new QAction(tr("Close"), bar_);
    close->setShortcut(QKeySequence(Qt::Key_Escape));
    close->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    connect(close, &QAction::triggered, this, [this] {
        dock_->hide();
        if (views_.HexDock()->isVisible())
            views_.Hex()->setFocus(Qt::OtherFocusReason);
    });
    bar_->addAction(close);
}

void ByteSearchDock::Open() {
    views_.HexDock()->show();
    dock_->show();
    dock_->raise();
    bar_->Open();
}
