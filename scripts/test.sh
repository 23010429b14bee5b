#!/usr/bin/env bash
# Builds AutoQuorvan and runs its whole test suite, the tests on PostgreSQL on a private cluster that
# the suite starts under the build folder and stops at its end. Installs the Debian packages it needs
# when they are missing (as root), otherwise names the one command that installs them.
#   BUILD_DIR   build folder (default: build)
#   CMAKE_ARGS  extra arguments for the configure step
set -euo pipefail

cd "$(dirname "$0")/.."
source scripts/packages.sh
ensure_packages

build_dir=${BUILD_DIR:-build}
generator=()
command -v ninja >/dev/null 2>&1 && generator=(-G Ninja)
# shellcheck disable=SC2086
cmake -S . -B "$build_dir" "${generator[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DAUTOQUORVAN_WERROR=ON \
    -DAUTOQUORVAN_REQUIRE_POSTGRESQL=ON ${CMAKE_ARGS:-}
cmake --build "$build_dir" --parallel "$(nproc)"
ctest --test-dir "$build_dir" --output-on-failure --parallel "$(nproc)"
