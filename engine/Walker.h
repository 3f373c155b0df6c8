#pragma once
// The level walker: reports every chunk of a DM2 or DM3 file, in file order, and records the walk map.
#include <cstdint>

#include "engine/AppState.h"
#include "engine/LevelFile.h"
#include "engine/LevelFormat.h"

// Walks from startOffset and returns the running offset where the walk ended. A fault leaves it as a
// WalkFault carrying the offset where the walk stood. Either way state.Map holds what was walked.
int32_t WalkLevel(AppState& state, const LevelFile& level, format::Generation generation, int32_t startOffset);
