#include "bench/BenchExtras.h"

// Without the windows there are no panes to scroll.
void BenchSideBySide(const BenchContext&, BenchKeys&) {}
