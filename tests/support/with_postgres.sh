#!/usr/bin/env bash
# Runs a command with a throwaway PostgreSQL server of its own:
#
#   tests/support/with_postgres.sh COMMAND [ARGS...]
#
# The server lives in a new temporary folder, listens on a Unix socket in that
# folder only (no TCP at all), runs without fsync (its data is thrown away),
# and is stopped and removed when the command ends, whatever way it ends.
# The command sees PGHOST (the socket folder), PGPORT, PGUSER and PGDATABASE,
# so libpq and psql reach the server without further settings, and
# ZENMORA_TEST_POSTGRES with the same as a connection string.
#
# initdb refuses to run as root; as root the server runs as the unprivileged
# system user "postgres" (Debian's postgresql package creates it). If the
# server cannot be started the script fails with the reason: tests that need
# it never skip silently.
set -euo pipefail

[[ $# -gt 0 ]] || { echo "usage: $0 COMMAND [ARGS...]" >&2; exit 2; }

bin=""
for candidate in /usr/lib/postgresql/*/bin; do
  [[ -x $candidate/initdb ]] && bin=$candidate
done
[[ -n $bin ]] || { echo "with_postgres: no PostgreSQL server installed (initdb not found)" >&2; exit 1; }

as_server_user=()
if [[ $(id -u) -eq 0 ]]; then
  id postgres >/dev/null 2>&1 || { echo "with_postgres: running as root, but there is no user 'postgres' to run the server as" >&2; exit 1; }
  as_server_user=(runuser -u postgres --)
fi

folder=$(mktemp -d -t zenmora-pg.XXXXXX)
chmod 755 "$folder"
data=$folder/data
log=$folder/setup.log
server_log=$folder/data/server.log
[[ ${#as_server_user[@]} -eq 0 ]] || chown postgres: "$folder"

stop_server() {
  local status=$?
  if [[ -f $data/postmaster.pid ]]; then
    "${as_server_user[@]}" "$bin/pg_ctl" -D "$data" -m immediate -w -t 20 stop >/dev/null 2>&1 || true
    # pg_ctl gave up or is gone: end the postmaster by its id.
    if [[ -f $data/postmaster.pid ]]; then
      kill -9 "$(head -n 1 "$data/postmaster.pid")" 2>/dev/null || true
    fi
  fi
  rm -rf "$folder"
  exit "$status"
}
trap stop_server EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

user=zenmora
"${as_server_user[@]}" "$bin/initdb" -D "$data" -U "$user" -A trust -E UTF8 --locale=C.UTF-8 --no-sync >"$log" 2>&1 \
  || { echo "with_postgres: initdb failed:" >&2; cat "$log" >&2; exit 1; }

port=5432
"${as_server_user[@]}" "$bin/pg_ctl" -D "$data" -l "$server_log" -w -t 60 \
  -o "-c listen_addresses='' -c unix_socket_directories='$folder' -p $port -c fsync=off -c synchronous_commit=off -c full_page_writes=off" \
  start >>"$log" 2>&1 \
  || { echo "with_postgres: the server did not start:" >&2; cat "$log" "$server_log" >&2 2>/dev/null; exit 1; }

export PGHOST=$folder PGPORT=$port PGUSER=$user PGDATABASE=zenmora_test
"$bin/createdb" zenmora_test 2>>"$log" \
  || { echo "with_postgres: could not create the test database:" >&2; cat "$log" >&2; exit 1; }
export ZENMORA_TEST_POSTGRES="host=$folder port=$port user=$user dbname=zenmora_test"

"$@"
