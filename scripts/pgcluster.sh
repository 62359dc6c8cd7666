#!/usr/bin/env bash
# Private, throwaway PostgreSQL cluster for the tests and the demo: Unix socket only,
# password authentication, data in a temporary folder.
#
#   pgcluster.sh start  STATE_DIR             start a new cluster, write STATE_DIR/info
#   pgcluster.sh createdb STATE_DIR NAME SQL.. create database NAME and run the SQL files in it
#   pgcluster.sh psql   STATE_DIR NAME [ARGS]  psql as the superuser on database NAME
#   pgcluster.sh stop   STATE_DIR             stop the cluster and remove its folder
#
# STATE_DIR/info holds shell assignments: PGC_ROOT, PGC_HOST (socket folder), PGC_PORT,
# PGC_SUPERUSER, PGC_SUPERPASSWORD. Tests and the demo read it.
set -euo pipefail

PGBIN=${PGBIN:-$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)}
[ -x "$PGBIN/initdb" ] || { echo "pgcluster: PostgreSQL server programs not found (install postgresql)" >&2; exit 1; }

cmd=${1:?usage: pgcluster.sh start|createdb|psql|stop STATE_DIR ...}
state=${2:?state folder missing}
info="$state/info"

# postgres refuses to run as root: run its programs as the postgres user then.
as_owner() {
    if [ "$(id -u)" = 0 ]; then runuser -u postgres -- "$@"; else "$@"; fi
}

load_info() {
    [ -f "$info" ] || { echo "pgcluster: no cluster in $state" >&2; exit 1; }
    # shellcheck disable=SC1090
    . "$info"
}

superpsql() {
    local db=$1; shift
    PGPASSWORD="$PGC_SUPERPASSWORD" psql -X -q -v ON_ERROR_STOP=1 -h "$PGC_HOST" -p "$PGC_PORT" \
        -U "$PGC_SUPERUSER" -d "$db" "$@"
}

case "$cmd" in
start)
    # The superuser's password is kept from other users of the machine: the state folder and the
    # cluster's folder are the owner's alone, the password files are read by their owner only.
    umask 077
    mkdir -p "$state"
    if [ -f "$info" ]; then
        # A cluster left over from an earlier run: stop it first.
        "$0" stop "$state" || true
        mkdir -p "$state"
    fi
    chmod 700 "$state"
    root=$(mktemp -d /tmp/tabelpg.XXXXXX)
    chmod 700 "$root"
    mkdir -p "$root/data" "$root/sock"
    pw=$(head -c 12 /dev/urandom | od -An -tx1 | tr -d ' \n')
    echo "$pw" > "$root/pwfile"
    if [ "$(id -u)" = 0 ]; then chown -R postgres: "$root"; fi
    as_owner "$PGBIN/initdb" -D "$root/data" -U postgres --pwfile="$root/pwfile" \
        --auth-local=scram-sha-256 --auth-host=scram-sha-256 -E UTF8 --locale=C.UTF-8 --no-sync >"$root/initdb.log" 2>&1 \
        || { cat "$root/initdb.log" >&2; rm -f "$root/pwfile"; exit 1; }
    # initdb has read it; the info file below is the one place the password is kept.
    rm -f "$root/pwfile"
    as_owner "$PGBIN/pg_ctl" -D "$root/data" -w -l "$root/server.log" \
        -o "-c listen_addresses='' -c unix_socket_directories='$root/sock' -c port=5432 -c fsync=off -c synchronous_commit=off -c full_page_writes=off -c max_connections=200 -c shared_buffers=256MB" \
        start >/dev/null || { cat "$root/server.log" >&2; exit 1; }
    cat > "$info" <<INFO
PGC_ROOT='$root'
PGC_HOST='$root/sock'
PGC_PORT=5432
PGC_SUPERUSER=postgres
PGC_SUPERPASSWORD='$pw'
INFO
    echo "pgcluster: running, socket folder $root/sock"
    ;;
createdb)
    load_info
    name=${3:?database name missing}
    shift 3
    superpsql postgres -c "DROP DATABASE IF EXISTS \"$name\"" -c "CREATE DATABASE \"$name\""
    for f in "$@"; do superpsql "$name" -f "$f"; done
    ;;
psql)
    load_info
    name=${3:?database name missing}
    shift 3
    superpsql "$name" "$@"
    ;;
stop)
    if [ -f "$info" ]; then
        load_info
        if [ -d "$PGC_ROOT/data" ]; then
            as_owner "$PGBIN/pg_ctl" -D "$PGC_ROOT/data" -m fast -w stop >/dev/null 2>&1 || true
            rm -rf "$PGC_ROOT"
        fi
        rm -f "$info"
    fi
    ;;
*)
    echo "pgcluster: unknown command $cmd" >&2; exit 2 ;;
esac
