#!/usr/bin/env bash
# A private throwaway PostgreSQL cluster for the tests and the demo, from Debian's server binaries:
# Unix socket only, trust on that socket, superuser "autoquorvan", and the server's durable defaults
# (fsync, synchronous_commit), since the bridge's durability is tested on it for real.
#   scripts/postgresql.sh start DIR   creates the cluster when missing and starts it; running: no-op
#   scripts/postgresql.sh stop DIR    fast shutdown; not running: no-op
#   scripts/postgresql.sh env DIR     shell lines naming the cluster (socket folder, port, user,
#                                     pg_ctl runner, data folder); needs no running server
# The cluster lives in DIR (data/, socket/, postgresql.log, pg_ctl.sh). initdb and postgres refuse to
# run as root, so under root it belongs to the system user autoquorvan-pg; when that user cannot pass
# a folder above DIR, when DIR's path holds characters a settings list would split, or when the
# socket's path would be too long for the system, it lives in /tmp/autoquorvan-pg-<hash of DIR>
# instead: the same place for the same DIR every time, so CMake can name it before it exists.
set -euo pipefail

fail() {
    echo "postgresql.sh: $*" >&2
    exit 1
}
[ $# -eq 2 ] || fail "usage: $0 start|stop|env DIR"
dir=$(realpath -m "$2")
[ "$1" = stop ] || [ -d "$(dirname "$dir")" ] || fail "no folder $(dirname "$dir") to hold $dir"
port=5432
server_user=autoquorvan-pg
is_root=$([ "$(id -u)" -eq 0 ] && echo true || echo false)

# Others may pass every folder above DIR: the cluster's user is neither their owner nor in their group.
passable() {
    local path
    path=$(dirname "$dir")
    while [ "$path" != / ]; do
        [[ -d $path && $(stat -c %A "$path") == *[xt] ]] || return 1
        path=$(dirname "$path")
    done
}

base=$dir
socket_file="$dir/socket/.s.PGSQL.$port"
if [[ ! $dir =~ ^[A-Za-z0-9._/+-]+$ ]] || [ ${#socket_file} -gt 107 ] || { $is_root && ! passable; }; then
    base=/tmp/autoquorvan-pg-$(printf '%s' "$dir" | sha256sum | cut -c 1-12)
fi
data=$base/data
socket=$base/socket

# The newest server installed; a cluster made by an older one that is still installed keeps it.
find_binaries() {
    bin=$(printf '%s\n' /usr/lib/postgresql/*/bin | sort -V | tail -n 1)
    if [ -f "$data/PG_VERSION" ] && [ -x "/usr/lib/postgresql/$(cat "$data/PG_VERSION")/bin/postgres" ]; then
        bin=/usr/lib/postgresql/$(cat "$data/PG_VERSION")/bin
    fi
    [ -x "$bin/postgres" ] || fail "no PostgreSQL server in /usr/lib/postgresql/*/bin: install Debian's postgresql"
}

# The postmaster named in postmaster.pid is alive and serves this cluster: after a kill -9 the file
# stays, and its number may since have gone to another process.
running() {
    local pid
    pid=$(head -n 1 "$data/postmaster.pid" 2>/dev/null) || return 1
    [ -n "$pid" ] && [ "/proc/$pid/cwd" -ef "$data" ]
}

# Backends of a killed postmaster hold its shared memory until they notice and end.
orphans_left() {
    local proc
    for proc in /proc/[0-9]*; do
        [ "$proc/cwd" -ef "$data" ] && return 0
    done
    return 1
}

as_server() {
    if $is_root; then
        runuser -u "$server_user" -- "$@"
    else
        "$@"
    fi
}

create() {
    # Made once per machine; the start of another build folder's cluster may be making it meanwhile.
    if $is_root && ! id -u "$server_user" >/dev/null 2>&1; then
        useradd --system --no-create-home --shell /usr/sbin/nologin "$server_user" 2>/dev/null \
            || id -u "$server_user" >/dev/null 2>&1 || fail "cannot create the system user $server_user"
    fi
    mkdir -p "$base"
    # A folder under /tmp that someone else made first is not ours to run a server from.
    [[ ! -L $base && $(stat -c %u "$base") == "$(id -u)" ]] || fail "$base belongs to someone else"
    chmod 755 "$base"
    [ -d "$socket" ] || mkdir -m 700 "$socket"
    touch "$base/postgresql.log"
    if $is_root; then
        chown "$server_user:" "$socket" "$base/postgresql.log"
    fi
    local runner=""
    if $is_root; then
        runner="runuser -u $server_user -- "
    fi
    {
        echo '#!/bin/sh'
        echo "# pg_ctl on the cluster in $base, as the user it belongs to: pg_ctl.sh start|stop|status"
        echo "cd $base && exec $runner$bin/pg_ctl -D data -l postgresql.log -w -t 60 -m fast \"\$@\""
    } >"$base/pg_ctl.sh"
    chmod 755 "$base/pg_ctl.sh"
    [ -f "$data/PG_VERSION" ] && return 0

    echo "Creating a PostgreSQL cluster in $base" >&2
    # Made aside and renamed, so a killed initdb leaves no half cluster behind.
    rm -rf "$base/data.new"
    mkdir -m 700 "$base/data.new"
    if $is_root; then
        chown "$server_user:" "$base/data.new"
    fi
    as_server "$bin/initdb" -D "$base/data.new" -U autoquorvan --auth-local=trust --auth-host=reject \
        -E UTF8 --locale=C --no-sync --no-instructions >"$base/initdb.log" 2>&1 \
        || fail "initdb failed: $(tail -n 5 "$base/initdb.log")"
    cat >>"$base/data.new/postgresql.conf" <<EOF

# A private cluster for AutoQuorvan's tests: its own socket, no TCP, small and quick to start.
listen_addresses = ''
port = $port
unix_socket_directories = '$socket'
shared_buffers = 16MB
EOF
    mv "$base/data.new" "$data"
}

start() {
    find_binaries
    cd /
    if [ "$base" != "$dir" ]; then
        echo "$dir cannot hold the cluster (out of its user's reach, or too odd or long a path for its" \
            "socket): it lives in $base" >&2
    fi
    create
    if running; then
        echo "PostgreSQL already running in $base" >&2
    else
        if [ -f "$data/postmaster.pid" ]; then
            echo "PostgreSQL was not stopped cleanly in $base: its lock files go" >&2
            rm -f "$data/postmaster.pid" "$socket/.s.PGSQL.$port.lock"
            local tries=0
            while orphans_left && [ $tries -lt 100 ]; do
                sleep 0.1
                tries=$((tries + 1))
            done
        fi
        "$base/pg_ctl.sh" start >/dev/null || fail "the server did not start: $(tail -n 5 "$base/postgresql.log")"
    fi
    "$bin/pg_isready" -q -h "$socket" -p "$port" -U autoquorvan -d postgres -t 30 \
        || fail "the server does not accept connections on $socket: $(tail -n 5 "$base/postgresql.log")"
    echo "PostgreSQL $(basename "$(dirname "$bin")") accepts connections on $socket (data in $data)" >&2
}

stop() {
    cd /
    if [ -x "$base/pg_ctl.sh" ] && running; then
        "$base/pg_ctl.sh" stop >/dev/null
        echo "PostgreSQL stopped in $base" >&2
    else
        echo "PostgreSQL not running in $base" >&2
    fi
}

print_env() {
    find_binaries
    echo "export AUTOQUORVAN_TEST_PG_HOST=$socket"
    echo "export AUTOQUORVAN_TEST_PG_PORT=$port"
    echo "export AUTOQUORVAN_TEST_PG_USER=autoquorvan"
    echo "export AUTOQUORVAN_TEST_PG_CTL=$base/pg_ctl.sh"
    echo "export AUTOQUORVAN_TEST_PG_DATA=$data"
}

case $1 in
start) start ;;
stop) stop ;;
env) print_env ;;
*) fail "usage: $0 start|stop|env DIR" ;;
esac
