#pragma once
// The compared level's bytes beside the level shown: a second hex view over the level of the
// Differences list, kept in step with the first through the comparison's alignment. Scrolling either
// pane scrolls the other so that the bytes standing for each other stand on the same row (an aligned
// record beside its record, however far the two have drifted apart); what is selected in the level
// shown is selected where it stands in the other, a difference selects its own bytes in both, and a
// byte picked in the second pane picks the byte standing for it in the first. The bytes that differ
// are marked in both panes. Next and previous difference step through the list in its order.
#include <QWidget>

#include <cstdint>

#include "report/AppState.h"

class DifferencesList;
class HexView;
class SpanSelection;

class SideBySidePane : public QWidget {
    Q_OBJECT
  public:
    SideBySidePane(SpanSelection& shown, HexView& shownHex, DifferencesList& differences,
                   QWidget* parent = nullptr);

    HexView* OtherHex() const { return otherHex_; }
    SpanSelection& OtherSelection() const { return *otherSelection_; }
    // Whether a comparison is shown.
    bool Comparing() const { return comparing_; }
    // Selects the difference step rows after (or before) the current one, the first (or last) when
    // none is current; false, selecting nothing, past either end.
    bool StepDifference(int step);
    // Scrolls the second pane to stand beside the first, or the first beside the second.
    void AlignOtherToShown();
    void AlignShownToOther();

  signals:
    // A comparison was shown, or cleared.
    void ComparingChanged(bool comparing);

  private:
    void TakeComparison();
    void FollowShown(const QObject* source);
    void FollowOther(const QObject* source);
    // The byte of a pane its partner lines up with: the picked byte while it is in sight, else the
    // first byte of the middle row.
    static int64_t ReferenceOffset(const HexView& hex);
    static void Align(const HexView& from, HexView& to, int64_t fromOffset, int64_t toOffset);

    SpanSelection& shown_;
    HexView& shownHex_;
    DifferencesList& differences_;
    AppState otherState_; // the compared level's bytes and walk map, for the second pane's selection
    SpanSelection* otherSelection_ = nullptr;
    HexView* otherHex_ = nullptr;
    bool comparing_ = false;
    bool aligning_ = false; // one pane is being scrolled to the other: its own scroll is not followed
};
