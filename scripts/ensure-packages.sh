# Sourced by ./run.sh and ./test.sh: installs the Debian packages that the build and the tests need,
# but only those that are missing. As root it installs them with apt-get; otherwise it prints the
# command to run and stops.

STRATA_PACKAGES=(build-essential cmake ninja-build g++ libgtest-dev qt6-base-dev qt6-svg-dev libcli11-dev xxd fonts-dejavu-core libxxhash-dev)
# The tests parse the JSON report with it; strata-export writes its glTF documents with it.
STRATA_PACKAGES+=(nlohmann-json3-dev)
# Test-only: the package check runs lintian on the built .deb.
STRATA_PACKAGES+=(lintian)
# Test-only: the sources are checked against the committed .clang-format.
STRATA_PACKAGES+=(clang-format)
# strata-export: the glTF document's JSON (nlohmann-json, above) and the PNG textures (zlib); test-only,
# the glTF files are read back by tinygltf.
STRATA_PACKAGES+=(zlib1g-dev libtinygltf-dev)
# The 3D view draws through Qt's OpenGL widgets; its tests run under Xvfb (xvfb-run needs xauth) on
# Mesa's software renderer.
STRATA_PACKAGES+=(libqt6opengl6-dev xvfb xauth libgl1-mesa-dri)

ensure_debian_packages() {
    local missing=() package
    for package in "${STRATA_PACKAGES[@]}"; do
        if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
            missing+=("$package")
        fi
    done
    if [ "${#missing[@]}" -eq 0 ]; then
        return 0
    fi
    if [ "$(id -u)" -eq 0 ]; then
        echo "Installing missing packages: ${missing[*]}"
        export DEBIAN_FRONTEND=noninteractive
        apt-get update
        apt-get install -y --no-install-recommends "${missing[@]}"
    else
        echo "These packages are missing: ${missing[*]}" >&2
        echo "Install them, then run this again:" >&2
        echo "sudo apt-get install -y ${missing[*]}" >&2
        exit 1
    fi
}

# Test-only: the SARIF log of strata-check is validated by Microsoft's SARIF Multitool, from the npm
# registry, installed into a folder of the user's (never globally); npm itself comes from Debian's npm
# package. Without a network, or without root to install npm, the tool is left out and its test is
# skipped.
STRATA_SARIF_TOOL_DIR=${STRATA_SARIF_TOOL_DIR:-${XDG_DATA_HOME:-$HOME/.local/share}/strata-viewer/npm}

ensure_sarif_multitool() {
    local tool="$STRATA_SARIF_TOOL_DIR/node_modules/.bin/sarif-multitool"
    if [ -x "$tool" ]; then
        return 0
    fi
    if ! command -v npm >/dev/null 2>&1; then
        if [ "$(id -u)" -ne 0 ]; then
            echo "npm is missing, so the SARIF validation test will be skipped (sudo apt-get install npm)" >&2
            return 0
        fi
        echo "Installing npm for the SARIF validation test"
        if ! { apt-get update && DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends npm; }; then
            echo "npm could not be installed: the SARIF validation test will be skipped" >&2
            return 0
        fi
    fi
    echo "Installing @microsoft/sarif-multitool into $STRATA_SARIF_TOOL_DIR"
    mkdir -p "$STRATA_SARIF_TOOL_DIR"
    if ! timeout 600 npm install --no-audit --no-fund --prefix "$STRATA_SARIF_TOOL_DIR" \
        @microsoft/sarif-multitool >/dev/null; then
        echo "@microsoft/sarif-multitool could not be installed (offline?): its test will be skipped" >&2
    fi
    return 0
}

# Test-only: strata-export's glTF files are validated by the Khronos glTF validator, a library from the
# npm registry run by node, installed into the same folder as the SARIF tool; without a network it is
# left out and its test is skipped.
ensure_gltf_validator() {
    if [ -d "$STRATA_SARIF_TOOL_DIR/node_modules/gltf-validator" ] || ! command -v npm >/dev/null 2>&1; then
        return 0
    fi
    echo "Installing gltf-validator into $STRATA_SARIF_TOOL_DIR"
    mkdir -p "$STRATA_SARIF_TOOL_DIR"
    if ! timeout 600 npm install --no-audit --no-fund --prefix "$STRATA_SARIF_TOOL_DIR" gltf-validator >/dev/null; then
        echo "gltf-validator could not be installed (offline?): its test will be skipped" >&2
    fi
    return 0
}

ensure_packages() {
    ensure_debian_packages
    ensure_sarif_multitool
    ensure_gltf_validator
}
