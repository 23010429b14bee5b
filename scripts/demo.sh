#!/usr/bin/env bash
# Runs AutoQuorvan on a demo station: builds what is missing, sets up a station under build/demo/
# (settings naming this computer, 4 nozzles, a back-office with 2 products), starts the bridge and
# keeps a fueling arriving every few seconds. Without a display the bridge runs on Qt's offscreen
# platform; either way the lines it writes to the hourly log file from now on are shown here.
# Ctrl-C stops everything, after the bridge's shutdown lines. One demo runs per build folder.
# With --postgresql the back-office is the database autoquorvan_demo on a private PostgreSQL cluster
# under build/demo/postgresql/ (scripts/postgresql.sh), named by the station's Retaguarda.INI; the
# cluster starts with the demo and stops with it.
#   DEMO_INTERVAL  seconds between fuelings (default 4)
#   BUILD_DIR      build folder (default: build)
set -euo pipefail

postgresql=false
case "${1:-}" in
"") ;;
--postgresql) postgresql=true ;;
*)
    echo "usage: $0 [--postgresql]" >&2
    exit 2
    ;;
esac

cd "$(dirname "$0")/.."
root=$(pwd)
build_dir=${BUILD_DIR:-build}

# A second demo in the same folder would rebuild under the first, rewrite its station, and its
# bridge would only show the "already open" box. The lock is held by every process started here,
# the bridge included, so it lasts as long as any of them.
mkdir -p "$build_dir/demo"
exec 9>"$build_dir/demo/demo.lock"
if ! flock -n 9; then
    echo "A demo is already running in $root/$build_dir/demo: stop it with Ctrl-C first." >&2
    exit 1
fi

source scripts/packages.sh
ensure_packages

generator=()
command -v ninja >/dev/null 2>&1 && generator=(-G Ninja)
if [ ! -f "$build_dir/CMakeCache.txt" ]; then
    cmake -S . -B "$build_dir" "${generator[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$build_dir" --parallel "$(nproc)" --target autoquorvan autoquorvan-retaguarda autoquorvan-bomba

bridge="$root/$build_dir/src/app/autoquorvan"
admin="$root/$build_dir/tools/retaguarda/autoquorvan-retaguarda"
pump="$root/$build_dir/tools/bomba/autoquorvan-bomba"

export AUTOQUORVAN_DRIVES="$root/$build_dir/demo/drives"
system_dir="$AUTOQUORVAN_DRIVES/C/Quorvan/AutoQuorvanNolvex"
pump_dir="$AUTOQUORVAN_DRIVES/C/wdn/matriz"
mkdir -p "$system_dir" "$pump_dir" "$AUTOQUORVAN_DRIVES/C/Automacao" "$AUTOQUORVAN_DRIVES/C/vb5/kvt"
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
    export XDG_RUNTIME_DIR="$root/$build_dir/demo/runtime"
    mkdir -p -m 0700 "$XDG_RUNTIME_DIR"
fi

# The settings file is Windows-1252 text with CR LF, as a station's is: "Auto Posto São João".
printf '%s\r\n' '[LOCALIZACAO]' 'Local banco dados nolvex=C:\wdn\matriz' \
    "Computador com automacao=$(uname -n)" '[OUTRAS]' 'Quantidade de Bicos=4' 'Codigo da Empresa=1' \
    $'Nome da Empresa=Auto Posto S\xe3o Jo\xe3o' 'EmpresaGlobal=1' >"$system_dir/AutoQuorvan.INI"

pg_dir=
bridge_pid=
pump_pid=
follower_pid=
stop() {
    trap - INT TERM EXIT
    [ -n "$pump_pid" ] && { kill "$pump_pid" 2>/dev/null || true; }
    if [ -n "$bridge_pid" ]; then
        # The bridge unloads on SIGTERM and writes its shutdown lines, which the follower shows before
        # it ends with the bridge.
        kill -TERM "$bridge_pid" 2>/dev/null || true
        wait "$bridge_pid" 2>/dev/null || true
        wait "$follower_pid" 2>/dev/null || true
    fi
    [ -z "$pg_dir" ] || scripts/postgresql.sh stop "$pg_dir"
}
trap stop INT TERM EXIT

if $postgresql; then
    pg_dir="$root/$build_dir/demo/postgresql"
    # Without the demo's lock: a demo killed outright leaves the server running, and the next one
    # takes it over instead of waiting for the lock.
    scripts/postgresql.sh start "$pg_dir" 9>&-
    eval "$(scripts/postgresql.sh env "$pg_dir" | sed 's/^export //')"
    server=(-h "$AUTOQUORVAN_TEST_PG_HOST" -p "$AUTOQUORVAN_TEST_PG_PORT" -U "$AUTOQUORVAN_TEST_PG_USER")
    exists=$(psql "${server[@]}" -d postgres -tAc "SELECT 1 FROM pg_database WHERE datname = 'autoquorvan_demo'")
    [ -n "$exists" ] || createdb "${server[@]}" autoquorvan_demo
    printf '%s\r\n' '[RETAGUARDA]' 'Driver=PostgreSQL' "Servidor=$AUTOQUORVAN_TEST_PG_HOST" \
        "Porta=$AUTOQUORVAN_TEST_PG_PORT" 'Banco=autoquorvan_demo' "Usuario=$AUTOQUORVAN_TEST_PG_USER" 'Senha=' \
        'SSL=disable' 'TempoLimite=5' >"$system_dir/Retaguarda.INI"
else
    # Left by an earlier demo on PostgreSQL, it would take the back-office away from SQLite.
    rm -f "$system_dir/Retaguarda.INI"
fi

"$admin" init
"$admin" produto 1 6.29 --descricao "Gasolina comum"
"$admin" produto 2 4.19 --descricao "Etanol"
"$admin" estoque 1 1 6.29
"$admin" estoque 1 2 4.19
for bico in 1 2 3 4; do
    produto=$(((bico + 1) / 2))
    preco=$([ "$produto" = 1 ] && echo 6.29 || echo 4.19)
    "$admin" bico 1 "$bico" "$produto" "$preco"
    # A totalizer that already exists keeps its reading: the demo may be started again.
    "$admin" encerrantes --empresa 1 | grep -q "^1,$bico," || "$admin" encerrante 1 "$bico" "$((bico * 10000)).000"
    "$pump" "$pump_dir" "$bico" --quantidade 0
done

if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    echo "No display: the bridge runs on Qt's offscreen platform." >&2
    export QT_QPA_PLATFORM=offscreen
    # The offscreen platform has no tray to connect to; Qt says so once, which is no news here.
    export QT_LOGGING_RULES="qt.core.qobject.connect=false"
fi

# Only this demo's lines: the log file of this hour may already hold earlier runs'.
hour_log() { echo "$system_dir/AUTOMACAO_$(date +%d_%m_%Y_%H).LOG"; }
first_log=$(hour_log)
first_size=$(stat -c %s "$first_log" 2>/dev/null || echo 0)

echo "Demo station in $AUTOQUORVAN_DRIVES; following the hourly log from now on (Ctrl-C stops):" >&2

# Brazilian separators in the event lines, as at a station.
LANG=pt_BR.UTF-8 LC_ALL= "$bridge" &
bridge_pid=$!

# The pump automation of the demo: a fueling on a random nozzle every few seconds.
(
    while sleep "${DEMO_INTERVAL:-4}"; do
        bico=$((RANDOM % 4 + 1))
        litros="$((RANDOM % 40 + 5)).$((RANDOM % 1000))"
        preco=$([ "$bico" -le 2 ] && echo 6.29 || echo 4.19)
        valor=$(awk -v l="$litros" -v p="$preco" 'BEGIN { printf "%.2f", l * p }')
        "$pump" "$pump_dir" "$bico" --litros "$litros" --valor "$valor" || true
    done
) &
pump_pid=$!

# Follows the hour's log file until the bridge has ended, one file per hour, in UTF-8 and without
# the files' carriage returns. tail --pid reads what the bridge wrote last before it stops, so the
# shutdown lines are shown too.
(
    log=$first_log
    start=$((first_size + 1))
    while :; do
        left=$((3600 - 10#$(date +%M) * 60 - 10#$(date +%S) + 2))
        timeout "$left" tail -c "+$start" -F --pid="$bridge_pid" "$log" 2>/dev/null | while IFS= read -r line; do
            printf '%s\n' "${line%$'\r'}" | iconv -f WINDOWS-1252 -t UTF-8
        done || true
        kill -0 "$bridge_pid" 2>/dev/null || break
        next=$(hour_log)
        if [ "$next" != "$log" ]; then
            log=$next
            start=1
        fi
    done
) &
follower_pid=$!

wait "$follower_pid" || true
