# Sourced by the scripts: the Debian packages the project builds, tests and runs with. postgresql
# serves the tests and the demo from private clusters (scripts/postgresql.sh) with their own socket
# folder and no TCP, so the "main" cluster Debian creates on installing it, running or not, is never
# used and never in the way.
packages=(cmake g++ ninja-build qt6-base-dev libqt6sql6-sqlite libqt6sql6-psql postgresql xvfb python3-dbf
    clang-format dpkg-dev fonts-liberation)
# What scripts/fuzz.sh needs besides: clang, its libFuzzer and sanitizer runtimes, and the
# symbolizer that puts file names and lines into the fuzzers' reports.
fuzz_packages=(clang libclang-rt-14-dev llvm)

# Installs the packages given, or the project's packages when none are given.
ensure_packages() {
    local wanted=("$@")
    [ ${#wanted[@]} -eq 0 ] && wanted=("${packages[@]}")
    local missing=()
    local package
    for package in "${wanted[@]}"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'ok installed' || missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    if [ "$(id -u)" -ne 0 ]; then
        echo "Missing Debian packages. Install them with:" >&2
        echo "  sudo apt-get install -y ${missing[*]}" >&2
        exit 1
    fi
    echo "Installing ${missing[*]}" >&2
    DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}" \
        || { apt-get update && DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"; }
}
