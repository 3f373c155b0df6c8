#include "views/DifferencesList.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

#include "engine/DifferenceText.h"
#include "views/SpanSelection.h"

DifferencesList::DifferencesList(SpanSelection& selection, QWidget* parent)
    : QWidget(parent), selection_(selection) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    summary_ = new QLabel(this);
    summary_->setObjectName(QStringLiteral("lblDifferences"));
    summary_->setWordWrap(true);
    list_ = new QListWidget(this);
    list_->setObjectName(QStringLiteral("lstDifferences"));
    list_->setUniformItemSizes(true);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    layout->addWidget(summary_);
    layout->addWidget(list_, 1);
    connect(list_, &QListWidget::currentRowChanged, this, &DifferencesList::FollowRow);
    // Another level opened: the differences were those of the one before.
    connect(&selection_, &SpanSelection::WalkReplaced, this, &DifferencesList::Clear);
}

void DifferencesList::Clear() {
    differences_.clear();
    differs_.fill(false);
    notShown_ = 0;
    shown_ = {};
    list_->clear();
    summary_->clear();
    emit DifferencesChanged();
}

QString DifferencesList::CompareWith(const QString& path) {
    const AppState& state = selection_.State();
    if (!state.Level)
        return tr("Open a level first.");
    const DetailOptionSet sections = compare::AllSections();
    compare::WalkedLevel other =
        compare::WalkForComparison(QDir::toNativeSeparators(path).toStdString(), sections);
    if (!other.Readable())
        return tr("Cannot read %1.").arg(QDir::toNativeSeparators(path));
    Clear();
    shown_ = compare::WalkForComparison(state.Level, sections);
    compare::CompareOptions options;
    options.Sections = sections;
    QStringList lines;
    compare::CompareLevels(shown_, other, options, [&](const compare::Difference& d) {
        if (d.Chunk != Piece::Records)
            differs_[static_cast<size_t>(d.Chunk)] = true;
        if (Count() >= kMostShown) {
            ++notShown_;
            return;
        }
        differences_.push_back(d);
        lines << QString::fromStdString(compare::DifferenceLine(d));
    });
    list_->addItems(lines);
    summary_->setText(Summary());
    emit DifferencesChanged();
    return {};
}

QString DifferencesList::Summary() const {
    if (!shown_.Readable())
        return {};
    if (differences_.empty())
        return tr("No differences.");
    QString text = Count() == 1 ? tr("1 difference") : tr("%1 differences").arg(Count());
    if (notShown_ > 0)
        text += tr(" shown, %1 more not").arg(notShown_);
    return text;
}

QString DifferencesList::LineAt(int row) const {
    return row >= 0 && row < Count()
               ? QString::fromStdString(compare::DifferenceLine(differences_[static_cast<size_t>(row)]))
               : QString();
}

int64_t DifferencesList::OffsetOf(int row) const {
    if (row < 0 || row >= Count())
        return -1;
    const compare::Difference& d = differences_[static_cast<size_t>(row)];
    if (d.OffsetA >= 0)
        return d.OffsetA;
    // Only in the other level: where its run, room or chunk stands in this one.
    if (d.SpanA >= 0 && d.SpanA < shown_.Map.Size())
        return shown_.Map[d.SpanA].First;
    return -1;
}

void DifferencesList::SelectRow(int row) {
    list_->setCurrentRow(row);
}

void DifferencesList::FollowRow(int row) {
    const int64_t offset = OffsetOf(row);
    if (offset >= 0)
        selection_.SelectOffset(offset, this);
}
