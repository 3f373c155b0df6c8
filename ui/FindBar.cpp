#include "ui/FindBar.h"

#include <QAction>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>

#include "ui/ReportView.h"

FindBar::FindBar(QWidget* parent) : QToolBar(parent) {
    setObjectName(QStringLiteral("tbrFind"));
    setWindowTitle(tr("Find"));
    setMovable(false);
    setFloatable(false);

    auto* label = new QLabel(tr("Find:"), this);
    addWidget(label);
    txtFind_ = new QLineEdit(this);
    txtFind_->setObjectName(QStringLiteral("txtFind"));
    txtFind_->setClearButtonEnabled(true);
    txtFind_->setMaximumWidth(260);
    label->setBuddy(txtFind_);
    addWidget(txtFind_);

    QAction* next = addAction(tr("Find &Next"));
    next->setObjectName(QStringLiteral("cmdFindNext"));
    QAction* previous = addAction(tr("Find &Previous"));
    previous->setObjectName(QStringLiteral("cmdFindPrevious"));
    QAction* close = addAction(tr("Close"));
    close->setObjectName(QStringLiteral("cmdFindClose"));
    close->setShortcut(QKeySequence(Qt::Key_Escape));
    close->setShortcutContext(Qt::WidgetWithChildrenShortcut);

    lblFindResult_ = new QLabel(this);
    lblFindResult_->setObjectName(QStringLiteral("lblFindResult"));
    addWidget(lblFindResult_);

    connect(txtFind_, &QLineEdit::returnPressed, this, [this] { emit FindNext(Needle()); });
    connect(next, &QAction::triggered, this, [this] { emit FindNext(Needle()); });
    connect(previous, &QAction::triggered, this, [this] { emit FindPrevious(Needle()); });
    connect(close, &QAction::triggered, this, &QWidget::hide);
}

QString FindBar::Needle() const {
    return txtFind_->text();
}

void FindBar::Open() {
    show();
    txtFind_->setFocus(Qt::ShortcutFocusReason);
    txtFind_->selectAll();
}

void FindBar::ShowResult(int result, bool backwards) {
    switch (result) {
    case ReportView::kNotFound:
        lblFindResult_->setText(tr("Not found"));
        break;
    case ReportView::kWrapped:
        lblFindResult_->setText(backwards ? tr("Wrapped to the bottom") : tr("Wrapped to the top"));
        break;
    default:
        lblFindResult_->clear();
    }
}

QString FindBar::ResultText() const {
    return lblFindResult_->text();
}
