#pragma once
// Showing a finished report in the window's report pane, timed by the benchmark when the windows
// are built; a stand-in that reports "not available" otherwise.
#include <string>

bool BenchPaneAvailable();
// Shows the report in a fresh pane (offscreen) and returns once it is laid out and scrollable.
void BenchShowInPane(const std::string& report);
