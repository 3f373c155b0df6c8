#pragma once
// What the views ask of the problems the checker found in the level shown: the worst problem whose
// field starts inside a byte range. The outline, the strata bar and the level map mark what holds one;
// the Problems dock answers the question, so none of those views knows the checker.
#include <cstdint>
#include <functional>

#include <QColor>

enum class ProblemMark : uint8_t { None, Warning, Error };

// The worst problem among the fields starting in bytes first..end (end not included).
using ProblemTest = std::function<ProblemMark(int64_t first, int64_t end)>;

// The colour of a mark: red for an error, orange for a warning.
inline QColor ProblemColour(ProblemMark mark) {
    return mark == ProblemMark::Warning ? QColor(230, 140, 0) : QColor(215, 25, 25);
}
