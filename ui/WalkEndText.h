#pragma once
// The status line under the report pane: how the last report run ended, so that a report cut short by
// an overflow never passes for a complete one.
#include <string>

#include "engine/AppState.h"

std::string WalkEndText(const RunOutcome& outcome, const std::string& path);
