#!/usr/bin/env bash
# The day's closing of a station as a printable page and its picture in a real browser: runs
# autoquorvan-retaguarda fechamento --html on the station that AUTOQUORVAN_DRIVES names (default: the
# demo's, build/demo/drives) and renders the page with Debian's headless Chromium (installed when
# missing, as root) to a PNG.
#   scripts/fechamento.sh [AAAA-MM-DD] [PICTURE.png]     (defaults: today, build/fechamento.png)
set -euo pipefail

cd "$(dirname "$0")/.."
root=$(pwd)
source scripts/packages.sh
ensure_packages
ensure_packages chromium

day=${1:-$(date +%F)}
picture=$(realpath -m "${2:-build/fechamento.png}")
build_dir=${BUILD_DIR:-build}
export AUTOQUORVAN_DRIVES=${AUTOQUORVAN_DRIVES:-$root/$build_dir/demo/drives}
cmake --build "$build_dir" --target autoquorvan-retaguarda >/dev/null

page="${picture%.png}.html"
"$root/$build_dir/tools/retaguarda/autoquorvan-retaguarda" fechamento --data "$day" --html "$page"
profile=$(mktemp -d)
trap 'rm -rf "$profile"' EXIT
chromium --headless --no-sandbox --disable-gpu --disable-quic --no-first-run --disable-background-networking \
    --disable-component-update --disable-sync --user-data-dir="$profile" --hide-scrollbars \
    --window-size=1000,900 --screenshot="$picture" "file://$page" 2>/dev/null
echo "The page: $page" >&2
echo "Its picture: $picture" >&2
