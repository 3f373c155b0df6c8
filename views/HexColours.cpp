#include "views/HexColours.h"

#include <algorithm>
#include <cmath>

#include <QPalette>

namespace {

// The colour share of a and the rest of b, rounded to the 8 bits a painted pixel keeps.
QColor Blend(const QColor& a, const QColor& b, double share) {
    const auto mix = [share](int x, int y) {
        return static_cast<int>(std::lround(x * share + y * (1 - share)));
    };
    return QColor(mix(a.red(), b.red()), mix(a.green(), b.green()), mix(a.blue(), b.blue()));
}

double Linear(int channel) {
    const double c = channel / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

} // namespace

double RelativeLuminance(const QColor& colour) {
    const QColor rgb = colour.toRgb();
    return 0.2126 * Linear(rgb.red()) + 0.7152 * Linear(rgb.green()) + 0.0722 * Linear(rgb.blue());
}

double ContrastRatio(const QColor& a, const QColor& b) {
    const double la = RelativeLuminance(a), lb = RelativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor ContrastedWith(const QColor& moving, const QColor& fixed, double least) {
    if (ContrastRatio(moving, fixed) >= least)
        return moving;
    // The smallest step towards each end that is enough; steps of 1/64 are finer than the eye.
    constexpr int kSteps = 64;
    const QColor ends[] = {Qt::black, Qt::white};
    int best = kSteps + 1;
    QColor chosen = ContrastRatio(Qt::black, fixed) >= ContrastRatio(Qt::white, fixed) ? QColor(Qt::black)
                                                                                       : QColor(Qt::white);
    for (const QColor& end : ends)
        for (int step = 1; step <= kSteps && step < best; ++step) {
            const QColor tried = Blend(end, moving, static_cast<double>(step) / kSteps);
            if (ContrastRatio(tried, fixed) >= least) {
                best = step;
                chosen = tried;
                break;
            }
        }
    return chosen;
}

HexColours HexColoursFor(const QPalette& palette) {
    constexpr double least = HexColours::kMinContrast;
    const QColor text = palette.color(QPalette::Text);
    const QColor base = palette.color(QPalette::Base);
    const QColor highlight = palette.color(QPalette::Highlight);
    const QColor highlighted = palette.color(QPalette::HighlightedText);
    HexColours c;
    c.Plain = {base, ContrastedWith(text, base, least)};
    // The selection keeps the palette's text colour on it and moves its fill instead: a pale platform
    // highlight under white text is darkened just enough.
    const QColor selected = ContrastedWith(highlight, highlighted, least);
    c.Selected = {selected, ContrastedWith(highlighted, selected, least)};
    const QColor dim = Blend(highlight, base, 0.3);
    c.Dim = {dim, ContrastedWith(text, dim, least)};
    const QColor grey = Blend(text, base, 0.12);
    c.Uncovered = {grey, ContrastedWith(Blend(text, base, 0.55), grey, least)};
    // A red far enough from the base to be seen on a light palette and a dark one, with the text
    // moved to read on it.
    const QColor changed = Blend(QColor(230, 60, 40), base, 0.4);
    c.Changed = {changed, ContrastedWith(text, changed, least)};
    // Towards the text colour from the selection's fill (darker on a light palette, lighter on a dark
    // one), far enough for the 3:1 a mark needs against what lies beside it: the picked byte stands
    // out of the band it lies in.
    const QColor picked = ContrastedWith(Blend(text, selected, 0.5), selected, HexColours::kMarkContrast);
    // Its digits are the ones looked at: the stronger contrast of 7:1, not just enough.
    c.Picked = {picked, ContrastedWith(highlighted, picked, HexColours::kPickContrast)};
    c.Offsets = ContrastedWith(Blend(text, base, 0.6), base, least);
    c.PickFrame = c.Picked.Pen;
    return c;
}
