#pragma once
// Where a byte of level A stands in level B, by the comparison's anchors (Compare.h): the matched
// chunks, rooms and parts, and the records aligned in their runs. A byte inside an aligned record maps
// to the same byte of its record in B; a byte inside a span but outside every anchor nested in it (a
// count field, a record only A has) maps to the place behind the last anchor before it in that span,
// so a removed record stands where it would have been in B. Nothing maps outside the span that holds
// it. Built once from the anchors, answered by one binary search: the side-by-side hex panes ask it for
// every scroll step.
#include <cstdint>
#include <vector>

#include "compare/Compare.h"

namespace compare {

class OffsetAlignment {
  public:
    OffsetAlignment() = default;
    // The map from A to B over files of sizeA and sizeB bytes. Anchors that overlap without nesting
    // (a walk that stepped back) are cut at the end of the one they start in.
    OffsetAlignment(std::vector<Anchor> anchors, int64_t sizeA, int64_t sizeB);

    // The byte of B that stands for byte a of A (clamped into A); -1 when B has no bytes.
    int64_t Map(int64_t a) const;
    // The same map from B to A, built from the same anchors turned round.
    OffsetAlignment Reversed() const;
    bool Empty() const { return pieces_.empty(); }
    int64_t SizeA() const { return sizeA_; }
    int64_t SizeB() const { return sizeB_; }

  private:
    // Bytes FirstA..EndA of A map onto B from BaseB on, one for one, held within LowB..HighB.
    struct Piece {
        int64_t FirstA, EndA, BaseB, LowB, HighB;
    };
    std::vector<Anchor> anchors_; // kept for Reversed
    std::vector<Piece> pieces_;   // sorted, one after another, covering A
    int64_t sizeA_ = 0, sizeB_ = 0;
};

} // namespace compare
