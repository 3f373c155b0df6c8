#pragma once
// The level walker: reports every chunk of a DM2 or DM3 file, in file order.
#include <cstdint>

#include "engine/AppState.h"
#include "engine/LevelFile.h"

inline constexpr int16_t kGenerationDM2 = 2;
inline constexpr int16_t kGenerationDM3 = 3;

// Walks from startOffset and returns the running offset where the walk ended. A fault leaves it as a
// WalkFault carrying the offset where the walk stood.
int32_t WalkLevel(AppState& state, const LevelFile& level, int16_t formatGeneration, int32_t startOffset);
