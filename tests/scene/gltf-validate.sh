#!/bin/sh
# strata-export's glTF, validated by the Khronos glTF validator: no error. The demo level (made by our
# builder) has textures of every kind, doors, lights, static meshes, items and cameras; it is written
# as a .glb, as a .gltf with its .bin and PNGs (also under a name with a space, found through its
# percent-encoded URIs), as a .glb of some of its rooms, and cut inside its tiles (no rooms: an empty
# scene). Exits 77 (skipped) where node or the validator is not installed; scripts/ensure-packages.sh
# installs it.
# Usage: gltf-validate.sh STRATA_EXPORT MAKE_DEMO_LEVEL gltf-validate.js
set -u
export=$1
demo=$2
script=$3

folder=${STRATA_GLTF_VALIDATOR_DIR:-${STRATA_SARIF_TOOL_DIR:-${XDG_DATA_HOME:-$HOME/.local/share}/strata-viewer/npm}}
if ! command -v node >/dev/null 2>&1 || [ ! -d "$folder/node_modules/gltf-validator" ]; then
    echo "node or gltf-validator is not installed (scripts/ensure-packages.sh installs them): skipped"
    exit 77
fi

dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
"$demo" "$dir" >/dev/null || exit 1
# Cut inside its tiles: a level without rooms, an empty scene.
head -c 5000 "$dir/demo.dm2" >"$dir/cut.dm2"

status=0
# A .gltf whose name has a space: the URIs of its .bin and images are percent-encoded.
for case in "demo.glb" "demo.gltf" "rooms.glb --rooms 0-2" "with%20space.gltf" "cut.glb"; do
    # shellcheck disable=SC2086
    set -- $case
    out=$(printf '%s' "$1" | sed 's/%20/ /g')
    shift
    level=demo.dm2
    if [ "$out" = cut.glb ]; then
        level=cut.dm2
    fi
    if ! "$export" "$@" -o "$dir/$out" "$dir/$level" 2>/dev/null; then
        echo "strata-export failed for $out"
        exit 1
    fi
    echo "== $out"
    node "$script" "$folder" "$dir/$out"
    result=$?
    if [ "$result" -eq 77 ]; then
        exit 77
    fi
    if [ "$result" -ne 0 ]; then
        status=1
    fi
done
exit $status
