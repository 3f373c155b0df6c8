#include "bench/BenchPane.h"

bool BenchPaneAvailable() { return false; }
void BenchShowInPane(const std::string&) {}
