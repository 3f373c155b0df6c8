#!/bin/sh
# Builds the Debian package from the build folder into a scratch folder and runs lintian on it: the
# package must give no error. Skipped (77) when lintian or dpkg-shlibdeps is not installed, as the
# build needs neither.
set -u
build_dir=$1
for tool in lintian dpkg-shlibdeps cpack; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "$tool is not installed: the package is not checked"
        exit 77
    fi
done
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
if ! cpack -G DEB --config "$build_dir/CPackConfig.cmake" -B "$scratch" >"$scratch/cpack.log" 2>&1; then
    cat "$scratch/cpack.log"
    exit 1
fi
# Errors fail the check; warnings are printed for the reader.
lintian --tag-display-limit 0 "$scratch"/*.deb 2>&1 | grep -v 'running with root privileges' | tee "$scratch/lintian.log"
! grep -q '^E: ' "$scratch/lintian.log"
