#!/usr/bin/env bash
# Starts the demo station (scripts/demo.sh) on a virtual X display, lets a few fuelings arrive and
# saves a PNG of the bridge's window. Installs the Debian packages it needs when they are missing
# (as root), otherwise names the command that installs them.
#
#   scripts/screenshot.sh [OUTPUT.png]          the window (default: $BUILD_DIR/screenshot.png)
#   scripts/screenshot.sh --tray [OUTPUT.png]   also a panel with a notification area on the
#       display: the whole screen is saved with the window up (OUTPUT-tray-1.png), after cmdMinimizar
#       (-tray-2), and after a click on the tray icon (-tray-3)
#
#   BUILD_DIR         build folder handed to demo.sh (default: build)
#   SCREENSHOT_WAIT   seconds of fuelings before the picture (default: 12)
set -euo pipefail

cd "$(dirname "$0")/.."
root=$(pwd)

tray=false
if [ "${1:-}" = "--tray" ]; then
    tray=true
    shift
fi
build_dir=${BUILD_DIR:-build}
output=${1:-$build_dir/screenshot.png}
case "$output" in /*) ;; *) output="$root/$output" ;; esac
wait_seconds=${SCREENSHOT_WAIT:-12}

# Our own list, on top of what demo.sh installs: the virtual display, a picture taker, a pointer
# driver for the tray clicks, a panel with a notification area, and a font for the window's text.
# shellcheck source=scripts/packages.sh
source scripts/packages.sh
packages=(xvfb imagemagick xdotool x11-utils fonts-liberation)
$tray && packages+=(trayer)
ensure_packages

work=$(mktemp -d)
children=()
stop() {
    trap - INT TERM EXIT
    # Each child was started in its own session, so its whole group (demo.sh, the bridge, the pump
    # loop) goes with it.
    for pid in "${children[@]}"; do kill -TERM -- "-$pid" 2>/dev/null || true; done
    for pid in "${children[@]}"; do wait "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap stop INT TERM EXIT

# A free display number, told by the server itself once it listens.
setsid Xvfb -displayfd 3 -screen 0 1024x600x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
children+=("$!")
for _ in $(seq 100); do
    [ -s "$work/display" ] && break
    sleep 0.1
done
[ -s "$work/display" ] || { cat "$work/xvfb.log" >&2; echo "Xvfb did not start" >&2; exit 1; }
DISPLAY=":$(head -n1 "$work/display")"
export DISPLAY
echo "Virtual display $DISPLAY" >&2

if $tray; then
    setsid trayer --edge top --align right --widthtype request --height 24 --transparent false \
        --tint 0x404040 >"$work/trayer.log" 2>&1 &
    children+=("$!")
fi

# Fuelings every two seconds, so a short wait shows several.
DEMO_INTERVAL=2 BUILD_DIR="$build_dir" setsid scripts/demo.sh >"$work/demo.log" 2>&1 &
demo=$!
children+=("$demo")

# The first run builds the program, so the window may take minutes to appear.
window=
for _ in $(seq 1200); do
    window=$(xdotool search --onlyvisible --name '^Quorvan Automa' 2>/dev/null | head -n1 || true)
    [ -n "$window" ] && break
    kill -0 "$demo" 2>/dev/null || break
    sleep 0.5
done
if [ -z "$window" ]; then
    tail -n 30 "$work/demo.log" >&2
    echo "The bridge's window did not appear" >&2
    exit 1
fi
echo "Window $window is up; letting fuelings arrive for ${wait_seconds}s" >&2
sleep "$wait_seconds"

mkdir -p "$(dirname "$output")"
import -window "$window" "$output"
echo "Saved $output" >&2

window_state() {
    if xdotool search --onlyvisible --name '^Quorvan Automa' >/dev/null 2>&1; then echo shown; else echo hidden; fi
}

if $tray; then
    base="${output%.png}"
    # The tray icon is the bridge's other window: a small one embedded in the panel.
    icon=
    for candidate in $(xdotool search --class autoquorvan 2>/dev/null); do
        [ "$candidate" = "$window" ] && continue
        eval "$(xdotool getwindowgeometry --shell "$candidate")"
        if [ "$WIDTH" -le 64 ] && [ "$HEIGHT" -le 64 ]; then
            icon=$candidate
            break
        fi
    done
    import -window root "$base-tray-1.png"
    if [ -z "$icon" ]; then
        echo "No tray icon found: is a notification area running? ($(cat "$work/trayer.log"))" >&2
    else
        echo "Tray icon window $icon" >&2
    fi

    # cmdMinimizar sits 8580 twips from the left and 60 from the top: at 96 dpi, pixel 572, 4.
    xdotool mousemove --window "$window" 586 18 click 1
    sleep 1
    echo "After cmdMinimizar the window is $(window_state)" >&2
    import -window root "$base-tray-2.png"

    if [ -n "$icon" ]; then
        xdotool mousemove --window "$icon" 8 8 click 1
        sleep 1
        echo "After a click on the tray icon the window is $(window_state)" >&2
        import -window root "$base-tray-3.png"
    fi
    echo "Saved $base-tray-1.png .. -tray-3.png" >&2
fi
