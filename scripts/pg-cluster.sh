#!/usr/bin/env bash
# A throw-away PostgreSQL server for the tests.
#
#   pg-cluster.sh start DIR   creates a cluster in DIR and starts it; prints the address to connect to
#   pg-cluster.sh stop DIR    stops it and removes DIR
#   pg-cluster.sh pause DIR   stops the server and keeps it, as a server switched off does
#   pg-cluster.sh resume DIR  starts it again, at the same address
#
# The server listens on 127.0.0.1 at a free port and on a Unix socket inside DIR. Every login needs a
# password (scram-sha-256), the same as on a shop's server: the superuser `postgres` and the user `vanteja`,
# who owns the database `vanteja` and may create databases. Both passwords are made up on each start and
# written to DIR/pgpass, for libpq's PGPASSFILE; DIR/address holds postgresql://vanteja@127.0.0.1:PORT/vanteja.
#
# The server refuses to run as root: when this script runs as root, the cluster belongs to the `postgres`
# system user (or to `vanteja-pg`, made for the purpose where that user is missing) and DIR is given to it.
# Where that user cannot reach DIR (a folder above it closed to others, as /root) or DIR's path is too long for
# a socket, the cluster itself lives in a folder of its own under /tmp, named in DIR/home and removed with DIR.
set -euo pipefail

fail() {
    echo "pg-cluster.sh: $*" >&2
    exit 1
}

usage() {
    echo "usage: pg-cluster.sh start|stop|pause|resume DIR" >&2
    exit 2
}

[ $# -eq 2 ] || usage
action=$1
dir=$2
[ -n "$dir" ] || usage
case "$dir" in
    /*) ;;
    *) dir="$PWD/$dir" ;;
esac
dir=${dir%/}
case "$dir" in
    *\'* | *$'\n'* | "") fail "nome de pasta não aceito: $dir" ;;
esac

find_bindir() {
    local candidate
    if command -v pg_config > /dev/null; then
        # libpq's pg_config may belong to a newer release than the server installed beside it.
        candidate=$(pg_config --bindir 2> /dev/null || true)
        if [ -x "$candidate/initdb" ] && [ -x "$candidate/pg_ctl" ]; then
            echo "$candidate"
            return
        fi
    fi
    for candidate in $(ls -d /usr/lib/postgresql/*/bin 2> /dev/null | sort -V -r); do
        if [ -x "$candidate/initdb" ] && [ -x "$candidate/pg_ctl" ]; then
            echo "$candidate"
            return
        fi
    done
    fail "initdb e pg_ctl do PostgreSQL não foram encontrados (instale o pacote postgresql: scripts/install-deps.sh)"
}

# Runs a command as the owner of the cluster.
as_owner() {
    if [ -n "$owner" ]; then
        runuser -u "$owner" -- "$@"
    else
        "$@"
    fi
}

choose_owner() {
    owner=""
    [ "$(id -u)" -eq 0 ] || return 0
    if getent passwd postgres > /dev/null; then
        owner=postgres
    else
        owner=vanteja-pg
        if ! getent passwd "$owner" > /dev/null; then
            useradd --system --user-group --no-create-home --home-dir /nonexistent --shell /usr/sbin/nologin \
                "$owner" || fail "não foi possível criar o usuário $owner para o servidor"
        fi
    fi
    command -v runuser > /dev/null || fail "runuser não encontrado (pacote util-linux)"
}

# A port nothing listens on yet; the server's start is retried on another if one takes it meanwhile.
free_port() {
    local port
    for _ in $(seq 1 50); do
        port=$((20000 + RANDOM % 40000))
        if ! (exec 3<> "/dev/tcp/127.0.0.1/$port") 2> /dev/null; then
            echo "$port"
            return
        fi
    done
    fail "nenhuma porta livre encontrada em 127.0.0.1"
}

random_password() {
    od -An -N18 -tx1 /dev/urandom | tr -d ' \n'
}

# A folder left by a server that died has a pid file and nothing behind it, or only a process that is gone
# but not yet reaped (where nothing reaps orphans, as in some containers).
server_running() {
    local pid state
    [ -f "$home/data/postmaster.pid" ] || return 1
    pid=$(head -n 1 "$home/data/postmaster.pid")
    [ -n "$pid" ] && [ -r "/proc/$pid/stat" ] || return 1
    state=$(sed 's/.*) \(.\).*/\1/' "/proc/$pid/stat" 2> /dev/null || echo Z)
    [ "$state" != Z ]
}

stop_cluster() {
    [ -e "$dir" ] || return 0
    # Only a folder this script made is ever removed.
    if [ ! -e "$dir/.pg-cluster" ] && [ -n "$(ls -A "$dir" 2> /dev/null)" ]; then
        fail "$dir não é uma pasta de servidor feita por pg-cluster.sh; nada foi apagado"
    fi
    local status=0
    home=$dir
    if [ -f "$dir/home" ]; then
        home=$(cat "$dir/home")
        case "$home" in
            /tmp/vanteja-pg.*) ;;
            *) fail "$dir/home não nomeia uma pasta de servidor: $home" ;;
        esac
    fi
    if [ -f "$home/data/postmaster.pid" ]; then
        owner=$(stat -c %U "$home/data")
        [ "$(id -u)" -eq 0 ] && [ "$owner" != root ] || owner=""
    fi
    if server_running; then
        if ! as_owner "$bindir/pg_ctl" -D "$home/data" -m fast -w -t 60 stop > /dev/null; then
            as_owner "$bindir/pg_ctl" -D "$home/data" -m immediate -w -t 30 stop > /dev/null ||
                ! server_running || status=1
        fi
    fi
    if [ "$status" -ne 0 ]; then
        fail "o servidor em $home não parou; a pasta foi mantida"
    fi
    [ "$home" = "$dir" ] || rm -rf "$home"
    rm -rf "$dir"
}

start_cluster() {
    stop_cluster
    choose_owner

    mkdir -p "$dir" || fail "não foi possível criar a pasta $dir"
    chmod 700 "$dir"
    touch "$dir/.pg-cluster"
    [ -z "$owner" ] || chown "$owner:" "$dir"
    home=$dir
    # The socket's path, .s.PGSQL.PORT inside home, must fit in about 107 bytes.
    if [ $((${#dir} + 20)) -gt 107 ] || ! as_owner test -w "$dir"; then
        home=$(mktemp -d /tmp/vanteja-pg.XXXXXX) || fail "não foi possível criar uma pasta em /tmp"
        echo "$home" > "$dir/home"
        [ -z "$owner" ] || chown "$owner:" "$home"
        as_owner test -w "$home" || fail "o usuário $owner não alcança a pasta $home"
    fi

    local superpw userpw
    superpw=$(random_password)
    userpw=$(random_password)
    # Given to initdb in a file, so that it never shows in the list of processes.
    (umask 077 && printf '%s\n' "$superpw" > "$home/superuser")
    [ -z "$owner" ] || chown "$owner:" "$home/superuser"
    if ! as_owner "$bindir/initdb" -D "$home/data" --username=postgres --pwfile="$home/superuser" \
        --auth=scram-sha-256 --encoding=UTF8 --locale=C > "$home/initdb.log" 2>&1; then
        cat "$home/initdb.log" >&2
        fail "initdb falhou em $home/data"
    fi
    rm -f "$home/superuser"

    local port="" attempt
    for attempt in 1 2 3 4 5; do
        port=$(free_port)
        cat > "$home/data/vanteja.conf" << EOF
listen_addresses = '127.0.0.1'
port = $port
unix_socket_directories = '$home'
fsync = off
synchronous_commit = off
full_page_writes = off
EOF
        grep -q "^include_if_exists = 'vanteja.conf'" "$home/data/postgresql.conf" ||
            echo "include_if_exists = 'vanteja.conf'" >> "$home/data/postgresql.conf"
        [ -z "$owner" ] || chown "$owner:" "$home/data/vanteja.conf"
        if as_owner "$bindir/pg_ctl" -D "$home/data" -l "$home/server.log" -w -t 60 start > /dev/null; then
            break
        fi
        if [ "$attempt" -eq 5 ] || ! grep -q "could not bind\|Address already in use" "$home/server.log"; then
            cat "$home/server.log" >&2 || true
            fail "o servidor não iniciou em 127.0.0.1:$port"
        fi
    done

    (
        umask 077
        printf '%s\n' "*:$port:*:postgres:$superpw" "*:$port:*:vanteja:$userpw" > "$dir/pgpass"
    )

    # Through 127.0.0.1 with the password, as anyone may; the caller, not the cluster's owner, reads DIR.
    if ! PGPASSFILE="$dir/pgpass" "$bindir/psql" --no-psqlrc --quiet -v ON_ERROR_STOP=1 \
        "postgresql://postgres@127.0.0.1:$port/postgres" > /dev/null << EOF; then
CREATE ROLE vanteja LOGIN CREATEDB PASSWORD '$userpw';
CREATE DATABASE vanteja OWNER vanteja;
EOF
        fail "não foi possível criar o usuário e o banco vanteja em 127.0.0.1:$port"
    fi

    local address="postgresql://vanteja@127.0.0.1:$port/vanteja"
    echo "$address" > "$dir/address"
    echo "$address"
}

# The cluster of a folder this script made: its home and its owner.
find_cluster() {
    [ -e "$dir/.pg-cluster" ] || fail "$dir não é uma pasta de servidor feita por pg-cluster.sh"
    home=$dir
    [ ! -f "$dir/home" ] || home=$(cat "$dir/home")
    owner=$(stat -c %U "$home/data")
    [ "$(id -u)" -eq 0 ] && [ "$owner" != root ] || owner=""
}

pause_cluster() {
    find_cluster
    ! server_running || as_owner "$bindir/pg_ctl" -D "$home/data" -m fast -w -t 60 stop > /dev/null ||
        fail "o servidor em $home não parou"
}

resume_cluster() {
    find_cluster
    server_running || as_owner "$bindir/pg_ctl" -D "$home/data" -l "$home/server.log" -w -t 60 start \
        > /dev/null || fail "o servidor em $home não voltou"
}

bindir=$(find_bindir)
owner=""
home=$dir
case "$action" in
    start) start_cluster ;;
    stop) stop_cluster ;;
    pause) pause_cluster ;;
    resume) resume_cluster ;;
    *) usage ;;
esac
