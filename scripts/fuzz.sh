#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ with clang and runs one of them, or all, for a while each.
#   scripts/fuzz.sh [TARGET] [SECONDS]   TARGET: dbase, ini, request, conversions or all (default);
#                                        SECONDS per target (default 30)
#   BUILD_DIR  build folder (default: build-fuzz)
# Each run starts from a fresh copy of the target's seeds in the build folder, so what a run learns
# never lands in the tree. Fails when a target finds a fault, and names the input that shows it.
set -euo pipefail

cd "$(dirname "$0")/.."
# shellcheck source=scripts/packages.sh
source scripts/packages.sh
ensure_packages "${packages[@]}" "${fuzz_packages[@]}"

all=(dbase ini request conversions)
target=${1:-all}
seconds=${2:-30}
if [ "$target" = all ]; then
    targets=("${all[@]}")
elif [[ " ${all[*]} " == *" $target "* ]]; then
    targets=("$target")
else
    echo "usage: scripts/fuzz.sh [${all[*]// /|}|all] [SECONDS]" >&2
    exit 2
fi
[[ "$seconds" =~ ^[1-9][0-9]*$ ]] || { echo "SECONDS must be a positive whole number: $seconds" >&2; exit 2; }

build_dir=${BUILD_DIR:-build-fuzz}
generator=()
command -v ninja >/dev/null 2>&1 && generator=(-G Ninja)
CC=clang CXX=clang++ cmake -S . -B "$build_dir" "${generator[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DAUTOQUORVAN_WERROR=ON -DAUTOQUORVAN_FUZZ=ON -DBUILD_TESTING=OFF >/dev/null
cmake --build "$build_dir" --parallel "$(nproc)" --target "${targets[@]/#/fuzz_}"

# The targets write every input to a file: on a memory file system where there is one, in a folder
# that goes with this script even when a target dies and cannot remove its own.
scratch_parent=/dev/shm
[ -d "$scratch_parent" ] && [ -w "$scratch_parent" ] || scratch_parent=${TMPDIR:-/tmp}
scratch=$(mktemp -d "$scratch_parent/autoquorvan-fuzz.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
export TMPDIR=$scratch
export UBSAN_OPTIONS=print_stacktrace=1
failed=()
for name in "${targets[@]}"; do
    run_dir=$build_dir/fuzz-runs/$name
    rm -rf "$run_dir"
    mkdir -p "$run_dir/corpus"
    cp -R "fuzz/corpus/$name/." "$run_dir/corpus/"
    echo "fuzz_$name: ${seconds} s over $(find "$run_dir/corpus" -type f | wc -l) seeds; log in $run_dir/log" >&2
    if "$build_dir/fuzz/fuzz_$name" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
        -artifact_prefix="$run_dir/" "$run_dir/corpus" >"$run_dir/log" 2>&1; then
        grep -E '^(#[0-9]+[[:space:]]+DONE|Done [0-9]+ runs|stat::number_of_executed_units|stat::peak_rss_mb)' \
            "$run_dir/log" >&2 || true
    else
        tail -n 60 "$run_dir/log" >&2
        for input in "$run_dir"/{crash,leak,timeout,oom}-*; do
            [ -e "$input" ] && echo "fuzz_$name: the input that shows the fault is $input" >&2
        done
        failed+=("$name")
    fi
done
if [ ${#failed[@]} -gt 0 ]; then
    echo "Fuzzing found faults in: ${failed[*]}" >&2
    exit 1
fi
echo "Fuzzing found no fault." >&2
