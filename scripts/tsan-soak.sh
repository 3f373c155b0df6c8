#!/usr/bin/env bash
# Runs the threaded paths many times over under the thread sanitizer, by hand (it takes minutes, so
# ./test.sh does not): 480 full reports of builder-made levels (whole, cut short, with a count that
# faults) streamed with 2 and 8 threads, and 80 summaries on 8 threads, each compared with the serial
# output. Builds in build-tsan/ (the folder of ./test.sh's third stage). Exits non-zero on a race or a
# difference.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSTRATA_WITH_QT=OFF -DSTRATA_TSAN=ON \
    -DSTRATA_WERROR=ON
cmake --build build-tsan -j2 --target strata-thread-soak
TSAN_OPTIONS="halt_on_error=1 ${TSAN_OPTIONS:-}" build-tsan/bench/strata-thread-soak "${1:-40}"
