#include "compare/OffsetAlignment.h"

#include <algorithm>

namespace compare {

OffsetAlignment::OffsetAlignment(std::vector<Anchor> anchors, int64_t sizeA, int64_t sizeB)
    : anchors_(std::move(anchors)), sizeA_(std::max<int64_t>(sizeA, 0)), sizeB_(std::max<int64_t>(sizeB, 0)) {
    if (sizeA_ == 0 || sizeB_ == 0)
        return;
    std::vector<Anchor> sorted;
    sorted.reserve(anchors_.size() + 1);
    // The files themselves: the outermost anchor, so that the version word and a tail no chunk covers
    // map as well.
    sorted.push_back({0, sizeA_, 0, sizeB_});
    for (const Anchor& a : anchors_) {
        const Anchor clipped{std::clamp<int64_t>(a.FirstA, 0, sizeA_), std::clamp<int64_t>(a.EndA, 0, sizeA_),
                             std::clamp<int64_t>(a.FirstB, 0, sizeB_),
                             std::clamp<int64_t>(a.EndB, 0, sizeB_)};
        if (clipped.EndA > clipped.FirstA)
            sorted.push_back(clipped);
    }
    // Outer spans ahead of the spans they hold: by first byte, then the longer first.
    std::stable_sort(sorted.begin() + 1, sorted.end(), [](const Anchor& x, const Anchor& y) {
        return x.FirstA != y.FirstA ? x.FirstA < y.FirstA : x.EndA > y.EndA;
    });

    // The anchors open around the sweep, each with the pair of places its next gap maps from: its own
    // first bytes, then the ends of the last anchor it held.
    struct Open {
        Anchor Span;
        int64_t FromA, FromB;
    };
    std::vector<Open> open;
    int64_t at = 0; // the bytes of A before this are mapped
    const auto gapTo = [&](int64_t end) {
        if (end <= at || open.empty())
            return;
        const Open& o = open.back();
        pieces_.push_back({at, end, o.FromB + (at - o.FromA), o.Span.FirstB, o.Span.EndB});
        at = end;
    };
    const auto close = [&] {
        gapTo(open.back().Span.EndA);
        const Anchor done = open.back().Span;
        open.pop_back();
        if (!open.empty()) {
            open.back().FromA = done.EndA;
            open.back().FromB = done.EndB;
        }
    };
    for (Anchor a : sorted) {
        while (!open.empty() && open.back().Span.EndA <= a.FirstA)
            close();
        if (!open.empty())
            a.EndA = std::min(a.EndA, open.back().Span.EndA);
        gapTo(a.FirstA);
        open.push_back({a, a.FirstA, a.FirstB});
    }
    while (!open.empty())
        close();
}

int64_t OffsetAlignment::Map(int64_t a) const {
    if (pieces_.empty())
        return -1;
    a = std::clamp<int64_t>(a, 0, sizeA_ - 1);
    const auto after = std::upper_bound(pieces_.begin(), pieces_.end(), a,
                                        [](int64_t x, const Piece& p) { return x < p.FirstA; });
    const Piece& p = *std::prev(after);
    if (p.HighB <= p.LowB)
        return std::min(p.LowB, sizeB_ - 1);
    return std::clamp<int64_t>(p.BaseB + (a - p.FirstA), p.LowB, p.HighB - 1);
}

OffsetAlignment OffsetAlignment::Reversed() const {
    std::vector<Anchor> turned;
    turned.reserve(anchors_.size());
    for (const Anchor& a : anchors_)
        turned.push_back({a.FirstB, a.EndB, a.FirstA, a.EndA});
    return OffsetAlignment(std::move(turned), sizeB_, sizeA_);
}

} // namespace compare
