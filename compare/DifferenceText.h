#pragma once
// How a difference of two levels reads: one line of text, one JSON object, and the counts per chunk
// that --stat prints. The command line and the viewer's list of differences both use these.
#include <cstdint>
#include <string>
#include <vector>

#include "compare/Compare.h"

namespace compare {

// "Rooms > room 3 > Sectors > record 17": the chunk, the room, the part and the element with its
// index ("record 12" in both files, "record A12 B13" where the two differ, "record B13" for B alone).
std::string PlaceText(const Difference& d);

// One line: "Cameras > record 12: x: 1024 -> 2048", "Items > record B7: added: ObjectID=3, ...",
// "Texture Tiles > Textures 8 bits > tile 3: differs in 1,204 bytes, first at 0x20714"; an ending in
// the words strata-report's standard error gives it (DescribeWalkEnd), about "A" or "B".
std::string DifferenceLine(const Difference& d);

// One JSON object with the same facts: kind, chunk, room, part, element, a, b, field, valueA and valueB
// (or values, an object of an added or removed record's fields), bytes, runs and runCount for a block,
// offsetA, offsetB; an ending's file, ending, offset, fileSize and text. Keys without a value are left out.
std::string DifferenceJson(const Difference& d);

// A count with a comma between each group of three digits: 1,204.
std::string Grouped(int64_t n);

struct ChunkStat {
    std::string Chunk;
    int64_t Changed = 0, Added = 0, Removed = 0;
};

// Counts of changed, added and removed records (and rooms, tiles and blocks) per chunk, in the order
// the chunks first differ. The several lines of one changed record count once.
class DifferenceStats {
  public:
    void Add(const Difference& d);
    const std::vector<ChunkStat>& Rows() const { return rows_; }
    static std::string Line(const ChunkStat& row);
    static std::string Json(const ChunkStat& row);

  private:
    std::vector<ChunkStat> rows_;
    bool hasLast_ = false;
    Difference last_;
};

} // namespace compare
