#!/usr/bin/env bash
# Builds everything and runs every test: first the Release build in build/ with the windows (offscreen),
# then the tests without windows again in a Debug build with address and undefined-behaviour sanitizers,
# then the tests whose code runs threads (the streamed report, refused thread starts, the summary) in a
# build with the thread sanitizer, which builds only their program. Exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")"
. scripts/ensure-packages.sh
ensure_packages

export QT_QPA_PLATFORM=offscreen

echo "== Release build with the windows (build/)"
# The benchmark and the screenshot programs are no tests: ./bench.sh and a build without
# -DSTRATA_BUILD_EXTRAS=OFF make them.
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DSTRATA_WITH_QT=ON -DSTRATA_WERROR=ON -DSTRATA_BUILD_EXTRAS=OFF
cmake --build build -j2
(cd build && ctest --output-on-failure -j2)

echo "== Debug build with sanitizers, without the windows (build-asan/)"
# -O1 keeps the checks and the assertions and runs the fuzz corpus replays two to three times faster than -O0;
# line tables (-g1) are all that the sanitizers' reports need, and build much faster than full debug
# information.
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS=-O1 -DCMAKE_CXX_FLAGS_DEBUG=-g1 -DSTRATA_WITH_QT=OFF \
    -DSTRATA_SANITIZE=ON -DSTRATA_WERROR=ON
cmake --build build-asan -j2
(cd build-asan && ctest --output-on-failure -j2)

echo "== Thread sanitizer build of the threaded code, without the windows (build-tsan/)"
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O2 -g1 -DNDEBUG" -DSTRATA_WITH_QT=OFF -DSTRATA_TSAN=ON \
    -DSTRATA_WERROR=ON
cmake --build build-tsan -j2 --target thread_tests
(cd build-tsan && ctest --output-on-failure -j2 -L threads)

echo "== All tests passed"
