#pragma once
// The hex view's colours, worked out from the widget's palette so that they read on a light palette
// and a dark one alike: every text colour keeps a contrast ratio of at least kMinContrast (the WCAG
// measure, 1 to 21) against the background it is painted on. A colour the palette gives that falls
// short is moved towards black or white, as little as it takes.
#include <QColor>

class QPalette;

// The WCAG relative luminance of a colour, 0 for black to 1 for white.
double RelativeLuminance(const QColor& colour);
// The WCAG contrast ratio of two colours: 1 for equal luminance, 21 for black on white.
double ContrastRatio(const QColor& a, const QColor& b);
// moving, shifted towards black or white (the one that needs the smaller shift) until its contrast
// against fixed reaches least; unchanged when it already does. Where neither reaches it, the one of black
// and white that comes nearer.
QColor ContrastedWith(const QColor& moving, const QColor& fixed, double least);

struct HexColours {
    static constexpr double kMinContrast = 4.5;
    // The least contrast of the picked byte's fill against the selection's.
    static constexpr double kMarkContrast = 3;
    // The least contrast of the picked byte's text (and frame) against its fill.
    static constexpr double kPickContrast = 7;
    // A background and the text on it.
    struct Cell {
        QColor Fill, Pen;
    };
    Cell Plain;     // bytes of a chunk
    Cell Selected;  // the bytes the selected line describes
    Cell Dim;       // the run or chunk around them
    Cell Uncovered; // bytes no chunk covers: greyed, and still readable
    Cell Changed;   // bytes that differ from a compared level: a warm fill, apart from the selection's
    Cell Picked;    // the picked byte: a fill of its own, plainly apart from the selection around it
    QColor Offsets; // the offset column, on the plain background
    QColor PickFrame;
};

HexColours HexColoursFor(const QPalette& palette);
