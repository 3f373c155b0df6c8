#include "ui/ProblemsDock.h"

#include <QAction>
#include <QDockWidget>
#include <QLabel>
#include <QMainWindow>
#include <QStatusBar>

#include "ui/StructureViews.h"
#include "views/LevelMapView.h"
#include "views/OutlinePane.h"
#include "views/ProblemsList.h"
#include "views/ProblemsModel.h"
#include "views/StrataBar.h"

ProblemsDock::ProblemsDock(QMainWindow& window, StructureViews& views, LevelMapView& map)
    : QObject(&window), views_(views), map_(map) {
    list_ = new ProblemsList(views.Selection());
    dock_ = new QDockWidget(tr("Problems"), &window);
    dock_->setObjectName(QStringLiteral("dckProblems"));
    dock_->setWidget(list_);
    window.addDockWidget(Qt::BottomDockWidgetArea, dock_);
    dock_->hide();

    QAction* toggle = dock_->toggleViewAction();
    toggle->setObjectName(QStringLiteral("mnuStructureProblems"));
    toggle->setText(tr("&Problems"));
    toggle->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_5));
    views.AddViewAction(toggle);

    counts_ = new QLabel(&window);
    counts_->setObjectName(QStringLiteral("lblProblems"));
    counts_->hide();
    window.statusBar()->addPermanentWidget(counts_);

    views.Outline()->SetProblems(list_->Test());
    views.Strata()->SetProblems(list_->Test());
    map_.SetProblems(list_->Test());
    connect(&list_->Model(), &ProblemsModel::Changed, this, &ProblemsDock::FollowProblems);
    FollowProblems();
}

void ProblemsDock::FollowProblems() {
    views_.Outline()->ProblemsChanged();
    views_.Strata()->update();
    map_.ProblemsChanged();
    const QString counts = list_->Model().CountsText();
    counts_->setText(counts);
    counts_->setVisible(!counts.isEmpty());
}
