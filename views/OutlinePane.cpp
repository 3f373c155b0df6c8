#include "views/OutlinePane.h"

#include <QHeaderView>

#include "views/OutlineModel.h"
#include "views/SpanSelection.h"

OutlinePane::OutlinePane(SpanSelection& selection, QWidget* parent)
    : QTreeView(parent), selection_(selection), model_(new OutlineModel(selection.Map(), this)) {
    setUniformRowHeights(true); // rows are laid out by arithmetic, so long runs open at once
    setModel(model_);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setAllColumnsShowFocus(true);
    header()->setStretchLastSection(true);
    const QFontMetrics metrics(font());
    const int digit = metrics.horizontalAdvance(QLatin1Char('0'));
    setIndentation(2 * digit);
    setColumnWidth(OutlineModel::kName, 26 * digit);
    setColumnWidth(OutlineModel::kOffset, 10 * digit);
    setColumnWidth(OutlineModel::kCount, 7 * digit);
    setColumnWidth(OutlineModel::kBytes, 9 * digit);
    setColumnWidth(OutlineModel::kType, 5 * digit);
    setColumnWidth(OutlineModel::kValue, 12 * digit);
    model_->SetLevel([&selection = selection_] { return selection.Level(); });
    connect(&selection_, &SpanSelection::WalkReplaced, this, &OutlinePane::TakeWalk);
    connect(&selection_, &SpanSelection::Changed, this, &OutlinePane::Follow);
}

void OutlinePane::SetProblems(ProblemTest test) {
    model_->SetProblems(std::move(test));
    ProblemsChanged();
}

void OutlinePane::ProblemsChanged() {
    viewport()->update();
}

void OutlinePane::TakeWalk() {
    following_ = true;
    model_->Reset();
    following_ = false;
}

void OutlinePane::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QTreeView::currentChanged(current, previous);
    if (following_ || !current.isValid())
        return;
    if (model_->IsNotReached(current))
        selection_.SelectOffset(model_->NotReachedFirst(), this);
    else if (const OutlineModel::FieldRow* field = model_->FieldRowOf(current)) {
        const int64_t first = model_->FieldFirst(current);
        selection_.SelectBytesOnLine(first, first + field->Size, model_->FieldLine(current), this);
    } else if (model_->RecordOf(current) >= 0)
        selection_.SelectRecord(model_->SpanOf(current), model_->RecordOf(current), this);
    else if (model_->PageOf(current) >= 0)
        selection_.SelectRecord(model_->SpanOf(current), model_->PageOf(current) * OutlineModel::kPageSize,
                                this);
    else
        selection_.SelectSpan(model_->SpanOf(current), this);
}

void OutlinePane::Follow(const QObject* source) {
    if (source == this)
        return;
    QModelIndex target;
    if (selection_.Span() >= 0)
        target = model_->IndexOfRecord(selection_.Span(), selection_.Record());
    else if (model_->rowCount() > 0 && selection_.PickedOffset() >= model_->NotReachedFirst())
        target = model_->index(model_->rowCount() - 1, 0);
    if (!model_->IsNotReached(target) && selection_.Span() < 0)
        target = {};
    // A byte picked in a record opened to its fields goes on to the field that holds it.
    if (target.isValid() && isExpanded(target) && model_->OpensToFields(target) &&
        selection_.PickedOffset() >= 0)
        for (int row = 0; row < model_->rowCount(target); ++row) {
            const QModelIndex field = model_->index(row, 0, target);
            const int64_t first = model_->FieldFirst(field);
            if (selection_.PickedOffset() >= first &&
                selection_.PickedOffset() < first + model_->FieldRowOf(field)->Size) {
                target = field;
                break;
            }
        }
    following_ = true;
    if (target.isValid()) {
        for (QModelIndex up = target.parent(); up.isValid(); up = up.parent())
            expand(up);
        setCurrentIndex(target);
        scrollTo(target);
    } else {
        selectionModel()->clearCurrentIndex();
        clearSelection();
    }
    following_ = false;
}
