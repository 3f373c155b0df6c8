#pragma once
// How the strata bar divides its width: the file's top-level chunks side by side, each as wide as its
// bytes (or their logarithm), none narrower than a minimum; neighbours too small to see are merged into one
// piece that names them all. The bar's scale runs to the file's end, or to where the walk ran past it.
#include <cstdint>
#include <vector>

#include "format/WalkMap.h"

struct StrataPiece {
    enum class Kind : uint8_t { Chunks, Gap, NotReached };
    Kind What = Kind::Chunks;
    int64_t First = 0, End = 0;
    std::vector<int32_t> Spans;              // the top-level chunks it shows, in file order (none for a gap)
    ChunkGroup Group = ChunkGroup::Graphics; // of its largest chunk
    double X = 0, Width = 0;
    double Weight = 0; // its share of the bar before the minimum widths: bytes, or their logarithm
};

struct StrataLayout {
    std::vector<StrataPiece> Pieces;
    int64_t ScaleEnd = 0; // the byte the bar's right edge stands for
    double Width = 0;

    // x of a byte, where the bar shows it.
    double XOf(int64_t offset) const;
    // The piece at x, -1 for none.
    int PieceAt(double x) const;
};

// How the bar shares its width out: each stretch of the file in proportion to its bytes, or to the
// logarithm of its bytes (log2(1 + bytes)), so a chunk of a few bytes stands wide enough to see and to
// click beside one of megabytes, and every chunk keeps its order and its place in the file.
enum class StrataScale : uint8_t { Bytes, Logarithmic };

StrataLayout LayOutStrata(const WalkMap& map, double width, double minWidth,
                          StrataScale scale = StrataScale::Bytes);
