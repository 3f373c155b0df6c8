#include "views/StrataLayout.h"

#include <algorithm>
#include <cmath>

namespace {

struct Stretch {
    StrataPiece::Kind What;
    int64_t First, End;
    int32_t Span;
};

// The file from its first byte to the scale's end as chunks, the gaps between them and what the walk
// never reached, in file order.
std::vector<Stretch> Stretches(const WalkMap& map, int64_t scaleEnd) {
    std::vector<int32_t> top = map.TopLevel();
    std::stable_sort(top.begin(), top.end(),
                     [&](int32_t a, int32_t b) { return map[a].First < map[b].First; });
    std::vector<Stretch> out;
    int64_t at = 0;
    for (int32_t i : top) {
        const Span& s = map[i];
        if (s.End <= s.First)
            continue;
        if (s.First > at)
            out.push_back({StrataPiece::Kind::Gap, at, s.First, -1});
        // A walk that stepped back covers bytes again: the bar shows each byte once.
        const int64_t first = std::max<int64_t>(s.First, at);
        if (s.End > first)
            out.push_back({StrataPiece::Kind::Chunks, first, s.End, i});
        at = std::max<int64_t>(at, s.End);
    }
    if (at < scaleEnd)
        out.push_back(
            {map.Ending() == WalkEnding::None ? StrataPiece::Kind::Gap : StrataPiece::Kind::NotReached, at,
             scaleEnd, -1});
    return out;
}

} // namespace

double StrataLayout::XOf(int64_t offset) const {
    for (const StrataPiece& p : Pieces)
        if (offset < p.End || &p == &Pieces.back()) {
            const double share = p.End > p.First
                                     ? static_cast<double>(std::clamp(offset, p.First, p.End) - p.First) /
                                           static_cast<double>(p.End - p.First)
                                     : 0;
            return p.X + share * p.Width;
        }
    return 0;
}

int StrataLayout::PieceAt(double x) const {
    for (size_t i = 0; i < Pieces.size(); ++i)
        if (x >= Pieces[i].X && x < Pieces[i].X + Pieces[i].Width)
            return static_cast<int>(i);
    return -1;
}

StrataLayout LayOutStrata(const WalkMap& map, double width, double minWidth, StrataScale scale) {
    StrataLayout layout;
    layout.Width = width;
    int64_t scaleEnd = map.FileSize();
    for (int32_t i : map.TopLevel())
        scaleEnd = std::max<int64_t>(scaleEnd, map[i].End);
    scaleEnd = std::max<int64_t>(scaleEnd, map.EndOffset());
    layout.ScaleEnd = scaleEnd;
    if (scaleEnd <= 0 || width <= 0)
        return layout;
    minWidth = std::min(minWidth, width);
    const std::vector<Stretch> stretches = Stretches(map, scaleEnd);
    const auto weightOf = [scale](const Stretch& s) {
        const auto bytes = static_cast<double>(s.End - s.First);
        return scale == StrataScale::Bytes ? bytes : std::log2(1 + bytes);
    };
    double total = 0;
    for (const Stretch& s : stretches)
        total += weightOf(s);
    const double perWeight =
        scale == StrataScale::Bytes ? width / static_cast<double>(scaleEnd) : (total > 0 ? width / total : 0);

    // Neighbours too narrow to see are gathered into one piece until it is wide enough. What the walk
    // never reached stays a piece of its own.
    std::vector<int64_t> largest;
    for (const Stretch& s : stretches) {
        const double w = weightOf(s) * perWeight;
        StrataPiece* last = layout.Pieces.empty() ? nullptr : &layout.Pieces.back();
        const bool mergeable = last && s.What != StrataPiece::Kind::NotReached &&
                               last->What != StrataPiece::Kind::NotReached &&
                               last->Weight * perWeight < minWidth && w < minWidth;
        if (mergeable) {
            last->End = s.End;
            last->Weight += weightOf(s);
            if (s.Span >= 0) {
                last->Spans.push_back(s.Span);
                last->What = StrataPiece::Kind::Chunks;
                if (s.End - s.First > largest.back()) {
                    largest.back() = s.End - s.First;
                    last->Group = InfoOf(map[s.Span].What).Group;
                }
            }
            continue;
        }
        StrataPiece p;
        p.What = s.What;
        p.First = s.First;
        p.End = s.End;
        p.Weight = weightOf(s);
        if (s.Span >= 0) {
            p.Spans.push_back(s.Span);
            p.Group = InfoOf(map[s.Span].What).Group;
        }
        largest.push_back(s.Span >= 0 ? s.End - s.First : 0);
        layout.Pieces.push_back(std::move(p));
    }

    // Each piece as wide as its bytes but at least the minimum; what the narrow ones gain, the wide ones
    // give up in proportion to what they have above the minimum.
    double spare = 0, needed = 0;
    for (StrataPiece& p : layout.Pieces) {
        p.Width = p.Weight * perWeight;
        if (p.Width < minWidth) {
            needed += minWidth - p.Width;
            p.Width = minWidth;
        } else {
            spare += p.Width - minWidth;
        }
    }
    const double give = spare > 0 ? std::min(1.0, needed / spare) : 0;
    double x = 0;
    for (StrataPiece& p : layout.Pieces) {
        if (p.Width > minWidth)
            p.Width -= (p.Width - minWidth) * give;
        p.X = x;
        x += p.Width;
    }
    return layout;
}
