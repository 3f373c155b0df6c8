#!/usr/bin/env bash
# Fuzzes the report run for SECONDS (default 60) with clang, libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer. New inputs go to fuzz/work/corpus; crashes to fuzz/work/crashes.
# Add each crash, once fixed, to fuzz/regressions so CTest replays it.
set -euo pipefail
seconds="${1:-60}"
here="$(cd "$(dirname "$0")" && pwd)"
root="$(dirname "$here")"
build="$root/build-fuzz"
work="$here/work"

for tool in clang++ cmake ninja; do
    command -v "$tool" >/dev/null || { echo "fuzz/run.sh needs $tool (apt-get install -y clang libclang-rt-dev cmake ninja-build)"; exit 1; }
done

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
    -DSTRATA_WITH_QT=OFF -DSTRATA_SANITIZE=ON -DSTRATA_LIBFUZZER=ON >/dev/null
ninja -C "$build" strata-fuzz >/dev/null

mkdir -p "$work/corpus" "$work/crashes"
jobs="${FUZZ_JOBS:-$(nproc)}"
"$build/fuzz/strata-fuzz" "$work/corpus" "$here/corpus" "$here/regressions" \
    -max_total_time="$seconds" -max_len=65536 -timeout=10 -rss_limit_mb=2048 \
    -jobs="$jobs" -workers="$jobs" -artifact_prefix="$work/crashes/" -print_final_stats=1
