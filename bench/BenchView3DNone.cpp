// Without the windows there is no 3D view to measure.
#include "bench/BenchExtras.h"

void BenchView3D(const BenchContext&, BenchKeys&) {}
int View3DFrameRun(const std::string&, int) {
    return 1;
}
