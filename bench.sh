#!/usr/bin/env bash
# Builds the Release version into build/ and runs the benchmark program; arguments go to it
# (--json for machine-readable output, --quick for fewer repetitions).
set -euo pipefail
cd "$(dirname "$0")"
. scripts/ensure-packages.sh
ensure_packages

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build --target strata-bench
QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}" exec build/bench/strata-bench "$@"
