#include "views/DifferencesList.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

#include "compare/DifferenceText.h"
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
    other_ = {};
    otherPath_.clear();
    toOther_ = {};
    toShown_ = {};
    list_->clear();
    summary_->clear();
    emit DifferencesChanged();
}

QString DifferencesList::CompareWith(const QString& path) {
    const AppState& state = selection_.State();
    if (!state.Level)
        return tr("Open a level first.");
    const QString native = QDir::toNativeSeparators(path);
    compare::WalkedLevel other = compare::WalkForComparison(native.toStdString());
    if (!other.Readable())
        return tr("Cannot read %1.").arg(native);
    // A file that is not a level is said so, and the list keeps what it showed.
    if (const std::string why = compare::NothingCompared(other, native.toStdString()); !why.empty())
        return QString::fromStdString(why);
    compare::WalkedLevel shown = compare::WalkForComparison(state.Level, state.LevelFilePath);
    if (const std::string why = compare::NothingCompared(shown, state.LevelFilePath); !why.empty())
        return QString::fromStdString(why);
    Clear();
    shown_ = std::move(shown);
    const DetailOptionSet sections = compare::AllSections();
    compare::CompareOptions options;
    options.Sections = sections;
    std::vector<compare::Anchor> anchors;
    options.Anchors = &anchors;
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
    toOther_ = compare::OffsetAlignment(std::move(anchors), shown_.Level->Size(), other.Level->Size());
    toShown_ = toOther_.Reversed();
    other_ = std::move(other);
    otherPath_ = native;
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
    if (d.What == compare::Change::Bytes && !d.Runs.empty())
        return d.Runs.front().Offset;
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

int DifferencesList::CurrentRow() const {
    return list_->currentRow();
}

std::pair<int64_t, int64_t> DifferencesList::OtherBytesOf(int row) const {
    if (row < 0 || row >= Count() || !other_.Readable())
        return {-1, -1};
    const compare::Difference& d = differences_[static_cast<size_t>(row)];
    if (d.What == compare::Change::Bytes && !d.Runs.empty()) {
        const int64_t shift = int64_t{d.OffsetB} - d.OffsetA;
        return {d.Runs.front().Offset + shift, int64_t{d.Runs.back().Offset} + d.Runs.back().Length + shift};
    }
    if (d.OffsetB >= 0 && d.BytesB > 0 && d.What != compare::Change::Bytes)
        return {d.OffsetB, int64_t{d.OffsetB} + d.BytesB};
    // Only in the level shown, or a place: where it stands in the other.
    const int64_t offset = OffsetOf(row);
    if (offset < 0 || toOther_.Empty())
        return {-1, -1};
    const int64_t there = toOther_.Map(offset);
    return {there, there + 1};
}

std::vector<std::pair<int64_t, int64_t>> DifferencesList::ChangedBytes(bool inShown) const {
    std::vector<std::pair<int64_t, int64_t>> ranges;
    for (const compare::Difference& d : differences_) {
        const int32_t offset = inShown ? d.OffsetA : d.OffsetB;
        const int32_t bytes = inShown ? d.BytesA : d.BytesB;
        switch (d.What) {
        case compare::Change::Bytes:
            // The runs listed, in A's offsets; the same runs stand in B shifted with the block.
            for (const compare::ByteRun& run : d.Runs) {
                const int64_t first = run.Offset + (inShown ? 0 : int64_t{d.OffsetB} - d.OffsetA);
                ranges.emplace_back(first, first + run.Length);
            }
            break;
        case compare::Change::Changed:
        case compare::Change::Added:
        case compare::Change::Removed:
            if (offset >= 0 && bytes > 0)
                ranges.emplace_back(offset, int64_t{offset} + bytes);
            break;
        case compare::Change::Ending:
        case compare::Change::Note:
            break;
        }
    }
    return ranges;
}

std::pair<int64_t, int64_t> DifferencesList::BytesOf(int row) const {
    if (row < 0 || row >= Count())
        return {-1, -1};
    const compare::Difference& d = differences_[static_cast<size_t>(row)];
    // A block: from its first changed byte to the end of the last run listed, not the whole block.
    if (d.What == compare::Change::Bytes && !d.Runs.empty())
        return {d.Runs.front().Offset, int64_t{d.Runs.back().Offset} + d.Runs.back().Length};
    // A field, a record or a colour of the level shown: its own bytes.
    if (d.OffsetA >= 0 && d.BytesA > 0 && d.What != compare::Change::Bytes)
        return {d.OffsetA, int64_t{d.OffsetA} + d.BytesA};
    return {-1, -1};
}

void DifferencesList::FollowRow(int row) {
    if (const auto [first, end] = BytesOf(row); first >= 0) {
        selection_.SelectBytes(first, end, this);
        return;
    }
    const int64_t offset = OffsetOf(row);
    if (offset >= 0)
        selection_.SelectOffset(offset, this);
}
