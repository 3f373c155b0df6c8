#include "bench/BenchExtras.h"
#include "bench/BenchPane.h"

bool BenchPaneAvailable() {
    return false;
}
void BenchShowInPane(const std::string&) {}
void BenchViews(const BenchContext&, BenchKeys&) {}
int BenchViewsRun(const std::string&, const std::string&, bool) {
    return 1;
}
