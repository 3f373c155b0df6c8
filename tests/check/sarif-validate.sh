#!/bin/sh
# strata-check's SARIF log, validated by Microsoft's SARIF Multitool: no error. The log holds results
# (a cut level, a path with a space) and a notification (a file that cannot be read). Exits 77 (skipped)
# where the tool is not installed; scripts/ensure-packages.sh installs it.
# Usage: sarif-validate.sh STRATA_CHECK MAKE_DEMO_LEVEL
set -u
check=$1
demo=$2

tool=${STRATA_SARIF_MULTITOOL:-}
if [ -z "$tool" ]; then
    for candidate in \
        "${STRATA_SARIF_TOOL_DIR:-${XDG_DATA_HOME:-$HOME/.local/share}/strata-viewer/npm}/node_modules/.bin/sarif-multitool" \
        "$(command -v sarif-multitool 2>/dev/null)"; do
        if [ -n "$candidate" ] && [ -x "$candidate" ]; then
            tool=$candidate
            break
        fi
    done
fi
if [ -z "$tool" ]; then
    echo "sarif-multitool is not installed (scripts/ensure-packages.sh installs it): skipped"
    exit 77
fi

dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
mkdir "$dir/levels"
"$demo" "$dir/levels" >/dev/null || exit 1
head -c 5000 "$dir/levels/demo.dm2" >"$dir/levels/cut level.dm2"

"$check" --format sarif -o "$dir/check.sarif" "$dir/levels" "$dir/missing.dm2" 2>/dev/null
status=$?
if [ "$status" -ne 2 ]; then
    echo "strata-check exited with $status, not 2 (a file cannot be read)"
    exit 1
fi
if ! grep -q '"ruleId": "walk-ended"' "$dir/check.sarif"; then
    echo "the log holds no result:"
    cat "$dir/check.sarif"
    exit 1
fi

"$tool" validate "$dir/check.sarif" -o "$dir/validation.sarif" --log ForceOverwrite >"$dir/out.txt" 2>&1
cat "$dir/out.txt"
# The tool exits 0 whatever it finds: its errors are lines "FILE(LINE,COL): error ID: ...".
if grep -Eq ': error [A-Z]+[0-9]+:' "$dir/out.txt"; then
    echo "the SARIF log is not valid"
    exit 1
fi
if ! grep -q 'Analysis completed successfully' "$dir/out.txt"; then
    echo "the validation did not complete"
    exit 1
fi
