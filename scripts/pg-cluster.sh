#!/usr/bin/env bash
# A throw-away PostgreSQL server for the tests.
#
#   pg-cluster.sh start DIR   creates a cluster in DIR and starts it; prints the address to connect to
#   pg-cluster.sh stop DIR    stops it and removes DIR
#
# The server listens on 127.0.0.1 at a free port and on a Unix socket inside DIR. Every login needs a
# password (scram-sha-256), the same as on a shop's server: the superuser `postgres` and the user `vanteja`,
# who owns the database `vanteja` and may create databases. Both passwords are made up on each start and
# written to DIR/pgpass, for libpq's PGPASSFILE; DIR/address holds postgresql://vanteja@127.0.0.1:PORT/vanteja.
#
# The server refuses to run as root: when this script runs as root, the cluster belongs to the `postgres`
# system user (or to `vanteja-pg`, made for the purpose where that user is missing) and DIR is given to it.
set -euo pipefail

fail() {
    echo "pg-cluster.sh: $*" >&2
    exit 1
}

usage() {
    echo "usage: pg-cluster.sh start|stop DIR" >&2
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
    [ -f "$dir/data/postmaster.pid" ] || return 1
    pid=$(head -n 1 "$dir/data/postmaster.pid")
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
    if [ -f "$dir/data/postmaster.pid" ]; then
        owner=$(stat -c %U "$dir/data")
        [ "$(id -u)" -eq 0 ] && [ "$owner" != root ] || owner=""
    fi
    if server_running; then
        if ! as_owner "$bindir/pg_ctl" -D "$dir/data" -m fast -w -t 60 stop > /dev/null; then
            as_owner "$bindir/pg_ctl" -D "$dir/data" -m immediate -w -t 30 stop > /dev/null ||
                ! server_running || status=1
        fi
    fi
    if [ "$status" -ne 0 ]; then
        fail "o servidor em $dir não parou; a pasta foi mantida"
    fi
    rm -rf "$dir"
}

start_cluster() {
    stop_cluster
    choose_owner

    mkdir -p "$dir" || fail "não foi possível criar a pasta $dir"
    chmod 700 "$dir"
    touch "$dir/.pg-cluster"
    if [ -n "$owner" ]; then
        chown "$owner:" "$dir"
        as_owner test -w "$dir" ||
            fail "o usuário $owner não alcança a pasta $dir (uma pasta acima dela não permite a passagem)"
    fi

    local superpw userpw
    superpw=$(random_password)
    userpw=$(random_password)
    # Given to initdb in a file, so that it never shows in the list of processes.
    printf '%s\n' "$superpw" > "$dir/superuser"
    [ -z "$owner" ] || chown "$owner:" "$dir/superuser"
    chmod 600 "$dir/superuser"
    if ! as_owner "$bindir/initdb" -D "$dir/data" --username=postgres --pwfile="$dir/superuser" \
        --auth=scram-sha-256 --encoding=UTF8 --locale=C > "$dir/initdb.log" 2>&1; then
        cat "$dir/initdb.log" >&2
        fail "initdb falhou em $dir/data"
    fi
    rm -f "$dir/superuser"
    [ -z "$owner" ] || chown "$owner:" "$dir/.pg-cluster" "$dir/initdb.log"

    # A socket path longer than the system allows (about 107 bytes) would stop the server from starting; the
    # tests connect through 127.0.0.1 in any case.
    local socket_dirs="'$dir'"
    if [ $((${#dir} + 20)) -gt 107 ]; then
        echo "pg-cluster.sh: caminho longo demais para um socket em $dir; só 127.0.0.1 será usado" >&2
        socket_dirs="''"
    fi

    local port="" attempt
    for attempt in 1 2 3 4 5; do
        port=$(free_port)
        cat > "$dir/data/vanteja.conf" << EOF
listen_addresses = '127.0.0.1'
port = $port
unix_socket_directories = $socket_dirs
fsync = off
synchronous_commit = off
full_page_writes = off
EOF
        grep -q "^include_if_exists = 'vanteja.conf'" "$dir/data/postgresql.conf" ||
            echo "include_if_exists = 'vanteja.conf'" >> "$dir/data/postgresql.conf"
        [ -z "$owner" ] || chown "$owner:" "$dir/data/vanteja.conf"
        if as_owner "$bindir/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 60 start > /dev/null; then
            break
        fi
        if [ "$attempt" -eq 5 ] || ! grep -q "could not bind\|Address already in use" "$dir/server.log"; then
            cat "$dir/server.log" >&2 || true
            fail "o servidor não iniciou em 127.0.0.1:$port"
        fi
    done

    {
        echo "*:$port:*:postgres:$superpw"
        echo "*:$port:*:vanteja:$userpw"
    } > "$dir/pgpass"
    chmod 600 "$dir/pgpass"
    [ -z "$owner" ] || chown "$owner:" "$dir/pgpass"

    if ! as_owner env PGPASSFILE="$dir/pgpass" "$bindir/psql" --no-psqlrc --quiet -v ON_ERROR_STOP=1 \
        "postgresql://postgres@127.0.0.1:$port/postgres" > /dev/null << EOF; then
CREATE ROLE vanteja LOGIN CREATEDB PASSWORD '$userpw';
CREATE DATABASE vanteja OWNER vanteja;
EOF
        fail "não foi possível criar o usuário e o banco vanteja em 127.0.0.1:$port"
    fi

    local address="postgresql://vanteja@127.0.0.1:$port/vanteja"
    echo "$address" > "$dir/address"
    [ -z "$owner" ] || chown "$owner:" "$dir/address"
    echo "$address"
}

bindir=$(find_bindir)
owner=""
case "$action" in
    start) start_cluster ;;
    stop) stop_cluster ;;
    *) usage ;;
esac
