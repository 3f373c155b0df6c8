#include "views/ProblemsList.h"

#include <algorithm>

#include <QHeaderView>
#include <QLabel>
#include <QStyle>
#include <QTreeView>
#include <QVBoxLayout>

#include "views/ProblemsModel.h"
#include "views/SpanSelection.h"

ProblemsList::ProblemsList(SpanSelection& selection, QWidget* parent)
    : QWidget(parent), selection_(selection), model_(new ProblemsModel(this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    summary_ = new QLabel(this);
    summary_->setObjectName(QStringLiteral("lblProblemsSummary"));
    view_ = new QTreeView(this);
    view_->setObjectName(QStringLiteral("trvProblems"));
    view_->setModel(model_);
    view_->setRootIsDecorated(false);
    view_->setUniformRowHeights(true);
    view_->setAllColumnsShowFocus(true);
    view_->setSelectionMode(QAbstractItemView::SingleSelection);
    view_->header()->setStretchLastSection(true);
    const int digit = view_->fontMetrics().horizontalAdvance(QLatin1Char('0'));
    view_->setColumnWidth(ProblemsModel::kSeverity,
                          view_->style()->pixelMetric(QStyle::PM_SmallIconSize) + 3 * digit);
    view_->setColumnWidth(ProblemsModel::kRule, 14 * digit);
    view_->setColumnWidth(ProblemsModel::kPlace, 30 * digit);
    layout->addWidget(summary_);
    layout->addWidget(view_, 1);
    connect(view_->selectionModel(), &QItemSelectionModel::currentChanged, this, &ProblemsList::FollowRow);
    connect(model_, &ProblemsModel::Changed, this, &ProblemsList::ShowSummary);
    // Every walk (an open, an Info command) may have read other bytes: they are checked anew.
    connect(&selection_, &SpanSelection::WalkReplaced, this, &ProblemsList::TakeWalk);
    TakeWalk();
}

void ProblemsList::TakeWalk() {
    model_->Check(selection_.State().Level);
}

void ProblemsList::ShowSummary() {
    summary_->setText(model_->Summary());
}

QString ProblemsList::Summary() const {
    return summary_->text();
}

ProblemTest ProblemsList::Test() const {
    return [model = model_](int64_t first, int64_t end) { return model->MarkIn(first, end); };
}

void ProblemsList::SelectRow(int row) {
    view_->setCurrentIndex(model_->index(row, 0));
}

void ProblemsList::FollowRow(const QModelIndex& current) {
    if (!current.isValid())
        return;
    const auto [first, end] = model_->BytesOf(current.row());
    const int64_t size = selection_.Level() ? selection_.Level()->Size() : 0;
    if (first < 0 || size == 0)
        return;
    // A field inside the file; where the walk ended past the file's end, its last byte.
    if (first < size && model_->At(current.row()).Bytes > 0)
        selection_.SelectBytes(first, std::min(end, size), this);
    else
        selection_.SelectOffset(std::min(first, size - 1), this);
}
