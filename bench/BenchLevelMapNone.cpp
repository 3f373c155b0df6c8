#include "bench/BenchExtras.h"

// Without the windows there is no map to time.
void BenchLevelMap(const BenchContext&, BenchKeys&) {}
