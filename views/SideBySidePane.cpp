#include "views/SideBySidePane.h"

#include <QScrollBar>
#include <QVBoxLayout>

#include <algorithm>

#include "views/DifferencesList.h"
#include "views/HexView.h"
#include "views/SpanSelection.h"

namespace {

// The selection's bytes moved through an alignment: each end maps on its own, so a record selected in
// one level selects its record in the other.
LineBytes MappedBytes(const LineBytes& bytes, const compare::OffsetAlignment& map) {
    LineBytes out;
    const auto range = [&map](int32_t first, int32_t end, int32_t& outFirst, int32_t& outEnd) {
        if (end <= first)
            return;
        outFirst = static_cast<int32_t>(map.Map(first));
        outEnd = static_cast<int32_t>(std::max(map.Map(end - 1) + 1, map.Map(first) + 1));
    };
    range(bytes.First, bytes.End, out.First, out.End);
    range(bytes.DimFirst, bytes.DimEnd, out.DimFirst, out.DimEnd);
    return out;
}

} // namespace

SideBySidePane::SideBySidePane(SpanSelection& shown, HexView& shownHex, DifferencesList& differences,
                               QWidget* parent)
    : QWidget(parent), shown_(shown), shownHex_(shownHex), differences_(differences) {
    otherSelection_ = new SpanSelection(otherState_, this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    otherHex_ = new HexView(*otherSelection_, this);
    otherHex_->setObjectName(QStringLiteral("hexComparedBytes"));
    layout->addWidget(otherHex_, 1);

    connect(&differences_, &DifferencesList::DifferencesChanged, this, &SideBySidePane::TakeComparison);
    connect(&shown_, &SpanSelection::Changed, this, &SideBySidePane::FollowShown);
    connect(otherSelection_, &SpanSelection::Changed, this, &SideBySidePane::FollowOther);
    connect(shownHex_.verticalScrollBar(), &QScrollBar::valueChanged, this, [this] {
        if (!aligning_)
            AlignOtherToShown();
    });
    connect(otherHex_->verticalScrollBar(), &QScrollBar::valueChanged, this, [this] {
        if (!aligning_)
            AlignShownToOther();
    });
}

void SideBySidePane::TakeComparison() {
    const compare::WalkedLevel& other = differences_.Other();
    const bool comparing = other.Walked();
    otherState_.Level = comparing ? other.Level : nullptr;
    otherState_.Map = comparing ? other.Map : WalkMap{};
    otherState_.LevelFilePath = comparing ? differences_.OtherPath().toStdString() : std::string();
    otherSelection_->ResetForNewWalk();
    otherHex_->SetChanged(comparing ? differences_.ChangedBytes(false)
                                    : std::vector<std::pair<int64_t, int64_t>>{});
    shownHex_.SetChanged(comparing ? differences_.ChangedBytes(true)
                                   : std::vector<std::pair<int64_t, int64_t>>{});
    if (comparing)
        AlignOtherToShown();
    if (comparing != comparing_) {
        comparing_ = comparing;
        emit ComparingChanged(comparing_);
    }
}

bool SideBySidePane::StepDifference(int step) {
    const int count = differences_.Count();
    if (count == 0)
        return false;
    const int row = differences_.CurrentRow();
    const int next = row < 0 ? (step > 0 ? 0 : count - 1) : row + step;
    if (next < 0 || next >= count)
        return false;
    differences_.SelectRow(next);
    return true;
}

void SideBySidePane::FollowShown(const QObject* source) {
    // A pick in the second pane moved the first: the second stays as it was picked.
    if (!comparing_ || source == this)
        return;
    if (shown_.Line() < 0 && shown_.PickedOffset() < 0 && shown_.Bytes().End <= shown_.Bytes().First) {
        otherSelection_->Clear(this);
        return;
    }
    const compare::OffsetAlignment& map = differences_.ShownToOther();
    LineBytes bytes = MappedBytes(shown_.Bytes(), map);
    int64_t picked = shown_.PickedOffset() >= 0 ? map.Map(shown_.PickedOffset()) : -1;
    // A difference selects its own bytes in the compared level.
    if (source == &differences_) {
        if (const auto [first, end] = differences_.OtherBytesOf(differences_.CurrentRow()); first >= 0) {
            bytes = LineBytes{};
            bytes.First = static_cast<int32_t>(first);
            bytes.End = static_cast<int32_t>(end);
            picked = first;
        }
    }
    const int64_t at = picked >= 0 ? picked : bytes.First;
    const int32_t line = otherState_.Map.LineAt(at);
    if (line >= 0) {
        const LineBytes own = otherState_.Map.BytesOfLine(line);
        bytes.Span = own.Span;
        bytes.Record = own.Record;
    }
    // The second pane brings the pick into sight as it follows; then the two are lined up, from the first.
    aligning_ = true;
    otherSelection_->Restore(line, picked, bytes, this);
    aligning_ = false;
    AlignOtherToShown();
}

void SideBySidePane::FollowOther(const QObject* source) {
    if (!comparing_ || source == this || otherSelection_->PickedOffset() < 0)
        return;
    aligning_ = true;
    shown_.SelectOffset(differences_.OtherToShown().Map(otherSelection_->PickedOffset()), this);
    aligning_ = false;
    AlignShownToOther();
}

int64_t SideBySidePane::ReferenceOffset(const HexView& hex) {
    const int64_t first = hex.FirstVisibleRow();
    const int64_t cursorRow = hex.Cursor() >= 0 ? hex.Cursor() / HexView::kBytesPerRow : -1;
    if (cursorRow >= first && cursorRow < first + hex.VisibleRows())
        return hex.Cursor();
    return (first + hex.VisibleRows() / 2) * HexView::kBytesPerRow;
}

void SideBySidePane::Align(const HexView& from, HexView& to, int64_t fromOffset, int64_t toOffset) {
    if (fromOffset < 0 || toOffset < 0)
        return;
    const int64_t screenRow = fromOffset / HexView::kBytesPerRow - from.FirstVisibleRow();
    to.SetFirstVisibleRow(toOffset / HexView::kBytesPerRow - screenRow);
}

void SideBySidePane::AlignOtherToShown() {
    if (!comparing_ && !differences_.Other().Walked())
        return;
    aligning_ = true;
    const int64_t from = ReferenceOffset(shownHex_);
    Align(shownHex_, *otherHex_, from, differences_.ShownToOther().Map(from));
    aligning_ = false;
}

void SideBySidePane::AlignShownToOther() {
    if (!comparing_)
        return;
    aligning_ = true;
    const int64_t from = ReferenceOffset(*otherHex_);
    Align(*otherHex_, shownHex_, from, differences_.OtherToShown().Map(from));
    aligning_ = false;
}
