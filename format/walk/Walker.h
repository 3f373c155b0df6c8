#pragma once
// The level walker: reports every chunk of a DM2 or DM3 file, in file order, and records the walk map.
#include <cstdint>
#include <optional>

#include "format/LevelFile.h"
#include "format/LevelFormat.h"
#include "format/walk/WalkOutput.h"

// Walks from startOffset and returns the running offset where the walk ended. A fault leaves it as a
// WalkFault carrying the offset where the walk stood. Either way output.Map holds what was walked.
int32_t WalkLevel(const WalkOutput& output, const LevelFile& level, format::Generation generation,
                  int32_t startOffset);

// The generation the walker reads a level as: the one its version word names, none when the file holds
// fewer bytes than the word (a byte past the end reads as 0, so a lone 0x2D would pass for DM2).
std::optional<format::Generation> LevelGeneration(const LevelFile& level);
