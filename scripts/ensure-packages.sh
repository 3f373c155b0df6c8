# Sourced by ./run.sh and ./test.sh: installs the Debian packages that the build and the tests need,
# but only those that are missing. As root it installs them with apt-get; otherwise it prints the
# command to run and stops.

STRATA_PACKAGES=(build-essential cmake ninja-build g++ libgtest-dev qt6-base-dev qt6-svg-dev libcli11-dev xxd fonts-dejavu-core libxxhash-dev)
# Test-only: the tests parse the JSON report with it.
STRATA_PACKAGES+=(nlohmann-json3-dev)
# Test-only: the package check runs lintian on the built .deb.
STRATA_PACKAGES+=(lintian)

ensure_packages() {
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
