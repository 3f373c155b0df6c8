#!/usr/bin/env bash
# Fuzzes the report run for SECONDS (default 60) with clang, libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer. New inputs go to fuzz/work/corpus, crashes to fuzz/work/crashes, the
# workers' logs to fuzz/work/fuzz-N.log; the last lines give the run's figures. FUZZ_JOBS sets the
# number of workers (default: one a core; 1 leaves the other cores free). A single allocation of more
# than 64 MB counts as a crash. Not because only a count could size one (a held report of the real size
# limit, 128 MiB + 64 bytes a level byte, could), but because nothing a run holds on purpose comes near:
# the pane's serial report stops at the target's small limit (4 MiB + 64 bytes a level byte, 8 MiB for
# a 64 KB input) and the streamed text and JSON hand on blocks of about a megabyte. An allocation that
# large is a count taken as a size, or a report held whole that should stream.
# FUZZ_TARGET=strata-fuzz-diff fuzzes the comparison of two levels instead (work in fuzz/work-diff),
# FUZZ_TARGET=strata-fuzz-check the level checker (work in fuzz/work-check).
# Add each crash, once fixed, to fuzz/regressions so CTest replays it.
set -euo pipefail
seconds="${1:-60}"
here="$(cd "$(dirname "$0")" && pwd)"
root="$(dirname "$here")"
build="$root/build-fuzz"
target="${FUZZ_TARGET:-strata-fuzz}"
work="$here/work${target#strata-fuzz}"

for tool in clang++ cmake ninja; do
    command -v "$tool" >/dev/null || { echo "fuzz/run.sh needs $tool (apt-get install -y clang libclang-rt-dev cmake ninja-build)"; exit 1; }
done

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
    -DSTRATA_WITH_QT=OFF -DSTRATA_SANITIZE=ON -DSTRATA_LIBFUZZER=ON >/dev/null
ninja -C "$build" "$target" >/dev/null

mkdir -p "$work/corpus" "$work/crashes"
jobs="${FUZZ_JOBS:-$(nproc)}"
cd "$work" # libFuzzer writes its workers' logs into the current folder
rm -f fuzz-*.log
status=0
"$build/fuzz/$target" "$work/corpus" "$here/corpus" "$here/regressions" \
    -max_total_time="$seconds" -max_len=65536 -timeout=10 -rss_limit_mb=2048 -malloc_limit_mb=64 \
    -jobs="$jobs" -workers="$jobs" -artifact_prefix="$work/crashes/" -print_final_stats=1 || status=$?

for log in fuzz-*.log; do
    [ -e "$log" ] || continue
    echo "== $log"
    grep -E "^#[0-9]+[[:space:]].*cov:" "$log" | tail -1 || true
    grep -E "^stat::(number_of_executed_units|peak_rss_mb)" "$log" || true
    grep -E "ERROR|SUMMARY" "$log" || true
done
echo "crashes: $(find "$work/crashes" -type f | wc -l) in $work/crashes"
exit "$status"
