# A throwaway PostgreSQL cluster for a test run or a local demo: initdb into a folder, a
# server listening only on a unix socket in that folder, stopped by oca_pg_stop. Run as
# root, the server runs as the unprivileged `postgres` user (initdb refuses root).

oca_pg_bindir() {
    local dir
    for dir in /usr/lib/postgresql/*/bin; do
        if [ -x "$dir/initdb" ]; then
            echo "$dir"
            return 0
        fi
    done
    dirname "$(command -v initdb)"
}

# Runs a command as the cluster's owner.
oca_pg_as_owner() {
    if [ "$(id -u)" = 0 ]; then
        runuser -u postgres -- "$@"
    else
        "$@"
    fi
}

# oca_pg_dir PREFERRED: PREFERRED when the cluster's owner can reach it, else a fresh
# folder under /tmp (a checkout under a private home cannot hold a cluster that another
# user runs).
oca_pg_dir() {
    mkdir -p "$1"
    if [ "$(id -u)" != 0 ] || runuser -u postgres -- test -x "$1" 2>/dev/null; then
        echo "$1"
        return 0
    fi
    local dir
    dir="$(mktemp -d /tmp/oca-pg.XXXXXX)"
    chmod 755 "$dir"
    echo "$dir"
}

# oca_pg_start DIR: creates (when missing) and starts the cluster in DIR, creates the
# database `oca`, and prints the URL to reach it.
oca_pg_start() {
    local dir bin
    dir="$(mkdir -p "$1" && cd "$1" && pwd)"
    bin="$(oca_pg_bindir)"
    if [ "$(id -u)" = 0 ]; then
        chown postgres "$dir"
    fi
    if [ ! -f "$dir/data/PG_VERSION" ]; then
        oca_pg_as_owner "$bin/initdb" -D "$dir/data" -U postgres -E UTF8 --locale=C.UTF-8 \
            --auth=trust >"$dir/initdb.log" 2>&1 || {
            cat "$dir/initdb.log" >&2
            return 1
        }
    fi
    # A server a previous run left running is used as it is.
    oca_pg_as_owner "$bin/pg_ctl" -D "$dir/data" status >/dev/null 2>&1 ||
    oca_pg_as_owner "$bin/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 60 \
        -o "-c listen_addresses='' -c unix_socket_directories='$dir' -c fsync=off \
            -c max_connections=200 -c shared_buffers=128MB" start >/dev/null || {
        tail -n 20 "$dir/server.log" >&2
        return 1
    }
    oca_pg_as_owner "$bin/psql" -h "$dir" -U postgres -d postgres -qAt \
        -c "SELECT 1 FROM pg_database WHERE datname = 'oca'" | grep -q 1 ||
        oca_pg_as_owner "$bin/createdb" -h "$dir" -U postgres oca
    echo "postgresql://postgres@/oca?host=$dir"
}

oca_pg_stop() {
    local dir bin
    dir="$1"
    bin="$(oca_pg_bindir)"
    if [ -f "$dir/data/postmaster.pid" ]; then
        oca_pg_as_owner "$bin/pg_ctl" -D "$dir/data" -m fast -w stop >/dev/null 2>&1 || true
    fi
}

# The URL the programs take, as psql takes it ("postgresql:" before a key=value text goes).
oca_pg_psql_target() {
    case "$1" in
    postgresql://* | postgres://*) echo "$1" ;;
    postgresql:*) echo "${1#postgresql:}" ;;
    *) echo "$1" ;;
    esac
}

# oca_pg_with_schema URL SCHEMA: the same database with SCHEMA first in the search path.
oca_pg_with_schema() {
    case "$1" in
    postgresql://* | postgres://*)
        case "$1" in
        *\?*) echo "$1&options=-csearch_path%3D$2" ;;
        *) echo "$1?options=-csearch_path%3D$2" ;;
        esac
        ;;
    *) echo "$1 options=-csearch_path=$2" ;;
    esac
}
