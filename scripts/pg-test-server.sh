#!/usr/bin/env bash
# A throwaway PostgreSQL server for the tests, all in one folder: the data in
# DIR/data, the server's log in DIR/log, the chosen port in DIR/port and the
# Unix socket in DIR itself. It listens on 127.0.0.1 only, trusts every local
# connection and knows one superuser, locker.
#
#   scripts/pg-test-server.sh start DIR    first time: creates the server; prints the port
#   scripts/pg-test-server.sh stop DIR     fast shutdown, the data kept
#   scripts/pg-test-server.sh destroy DIR  stops it at once and removes DIR
#
# PostgreSQL refuses to run as root, so for root every PostgreSQL command runs
# as the user postgres (or nobody when there is no postgres) and DIR belongs to
# that user; DIR's parent folders must let that user in (/tmp does).
# PG_BIN names another folder of PostgreSQL programs than PostgreSQL 15's.
set -euo pipefail

pg_bin=${PG_BIN:-/usr/lib/postgresql/15/bin}
wait_seconds=30

fail() {
    echo "pg-test-server: $*" >&2
    exit 1
}

usage() {
    echo "Usage: $0 start|stop|destroy DIR" >&2
    exit 1
}

[ $# -eq 2 ] || usage
command=$1
[ -n "$2" ] || fail "the folder is empty"
dir=$(realpath -m -- "$2")
[ "$dir" != / ] || fail "refusing to use / as the server's folder"
data=$dir/data

for program in initdb pg_ctl pg_isready postgres; do
    [ -x "$pg_bin/$program" ] ||
        fail "$pg_bin/$program is missing: install postgresql-15 (scripts/install-deps.sh does)"
done

# Who runs PostgreSQL: the current user, or for root an unprivileged one.
as_user=()
owner=""
if [ "$(id -u)" -eq 0 ]; then
    if id -u postgres >/dev/null 2>&1; then
        owner=postgres
    else
        owner=nobody
    fi
    command -v runuser >/dev/null || fail "runuser is missing: install util-linux"
    as_user=(runuser -u "$owner" --)
fi

pg() {
    local program=$1
    shift
    "${as_user[@]}" "$pg_bin/$program" "$@"
}

# Runs a command, showing what it printed (on stderr) only when it fails.
quietly() {
    local output
    if ! output=$("$@" 2>&1); then
        [ -z "$output" ] || printf '%s\n' "$output" >&2
        return 1
    fi
}

running() {
    [ -f "$data/postmaster.pid" ] && pg pg_ctl status -D "$data" >/dev/null 2>&1
}

make_folder() {
    mkdir -p -- "$dir" || fail "cannot make $dir"
    if [ -n "$owner" ]; then
        chown "$owner": -- "$dir" || fail "cannot give $dir to $owner"
        "${as_user[@]}" test -w "$dir" -a -x "$dir" ||
            fail "$owner cannot reach $dir: use a folder whose parents every user may enter, such as /tmp"
    fi
}

# Creates the server's data in DIR/data.
create() {
    local quoted=${dir//\'/\'\'}
    quietly pg initdb -D "$data" -U locker -A trust -E UTF8 --locale=C --no-sync \
        --no-instructions || fail "initdb failed in $data"
    cat >>"$data/postgresql.conf" <<EOF

# A server for the tests only: local, trusting and not crash-safe.
listen_addresses = '127.0.0.1'
unix_socket_directories = '$quoted'
fsync = off
EOF
}

# Starts the server on a port; status 2 when the port is taken.
start_on() {
    local port=$1 log=$dir/log size=0
    [ -f "$log" ] && size=$(stat -c %s -- "$log")
    if quietly pg pg_ctl start -D "$data" -l "$log" -w -t "$wait_seconds" -o "-p $port"; then
        return 0
    fi
    local news
    news=$(tail -c +"$((size + 1))" -- "$log" 2>/dev/null || true)
    if grep -q 'could not bind\|could not create any TCP/IP sockets' <<<"$news"; then
        return 2
    fi
    echo "The server's log ($log) ends:" >&2
    tail -n 20 -- "$log" >&2 2>/dev/null || true
    return 1
}

start() {
    make_folder
    [ -d "$data" ] || create
    if running; then
        [ -f "$dir/port" ] || fail "a server runs in $data but $dir/port is missing"
        cat -- "$dir/port"
        return
    fi

    local port status
    if [ -f "$dir/port" ]; then
        port=$(<"$dir/port")
        status=0
        start_on "$port" || status=$?
        [ "$status" -ne 2 ] || fail "port $port of this server is taken by another program"
        [ "$status" -eq 0 ] || fail "the server in $data did not start on port $port"
    else
        local tries=0
        while :; do
            port=$((20000 + (RANDOM * 32768 + RANDOM) % 40001))
            status=0
            start_on "$port" || status=$?
            [ "$status" -eq 0 ] && break
            [ "$status" -eq 2 ] || fail "the server in $data did not start"
            tries=$((tries + 1))
            [ "$tries" -lt 20 ] || fail "found no free port after $tries tries"
        done
        echo "$port" >"$dir/port"
    fi

    local waited=0
    until pg pg_isready -q -h 127.0.0.1 -p "$port" -U locker -d postgres; do
        waited=$((waited + 1))
        [ "$waited" -le "$((wait_seconds * 5))" ] ||
            fail "the server on port $port did not accept connections within $wait_seconds s"
        sleep 0.2
    done
    echo "$port"
}

stop() {
    [ -d "$data" ] || fail "no server in $dir"
    running || fail "the server in $data is not running"
    quietly pg pg_ctl stop -D "$data" -m fast -w -t "$wait_seconds" ||
        fail "the server in $data did not stop"
}

destroy() {
    [ -e "$dir" ] || return 0
    [ -d "$dir" ] || fail "$dir is not a folder"
    # Only a folder this script made goes: nothing in it but the server's own.
    local entry
    for entry in "$dir"/* "$dir"/.[!.]*; do
        [ -e "$entry" ] || continue
        case ${entry##*/} in
        data | log | port | .s.PGSQL.*) ;;
        *) fail "refusing to remove $dir: it holds ${entry##*/}, not made by this script" ;;
        esac
    done
    if [ -d "$data" ] && running; then
        quietly pg pg_ctl stop -D "$data" -m immediate -w -t "$wait_seconds" ||
            fail "the server in $data did not stop"
    fi
    rm -rf -- "$dir" || fail "cannot remove $dir"
}

# PostgreSQL's programs start in the current folder, which the server's user
# may not be allowed to enter; / always can.
cd /

case $command in
start) start ;;
stop) stop ;;
destroy) destroy ;;
*) usage ;;
esac
