#!/usr/bin/env bash
# The server benchmark on a throwaway PostgreSQL server (its Unix socket
# only), as bench/run_benchmarks.sh runs it:
#
#   bench/server/run_server_bench.sh BUILD_DIR DATABASE.mdb [MILLION.mdb] [--quick]
#
# Starts the server (tests/support/with_postgres.sh), copies each database
# file into a database of its own there with zenmora-db copy, runs
# server_bench on them and prints its section of the report (Markdown).
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source_dir="$(dirname "$(dirname "$here")")"
[[ $# -ge 2 ]] || { echo "usage: $0 BUILD_DIR DATABASE.mdb [MILLION.mdb] [--quick]" >&2; exit 2; }
build_dir=$1
database=$2
million=""
quick=""
for argument in "${@:3}"; do
  if [[ $argument == --quick ]]; then quick=1; else million=$argument; fi
done

inner() {
  set -euo pipefail
  local rounds=30 posts=400
  [[ -n $quick ]] && { rounds=5; posts=300; }
  "$build_dir/tools/zenmora-db" copy "$database" "$ZENMORA_TEST_POSTGRES" >&2
  local million_connection=""
  if [[ -n $million ]]; then
    createdb zenmora_million
    million_connection="${ZENMORA_TEST_POSTGRES/dbname=zenmora_test/dbname=zenmora_million}"
    local started=$SECONDS
    "$build_dir/tools/zenmora-db" copy "$million" "$million_connection" >&2
    echo "server_bench: the 1,000,000-record database copied in $((SECONDS - started)) s" >&2
  fi
  # zenmora-db copy gathers the tables' statistics itself (plans chosen
  # without them differ by orders of magnitude on the 1,000,000-record table).
  echo
  echo "## The engine on a PostgreSQL server against raw libpq"
  echo
  echo "PostgreSQL $(postgres_version) over its Unix socket (a throwaway server, fsync off; both clients commit with"
  echo "synchronous_commit on), the bundled database and the 1,000,000-record one copied there with"
  echo "\`zenmora-db copy\`. The engine through the automation surface; raw libpq with the same statements"
  echo "prepared. Engine and raw interleaved round by round; figures are medians unless marked. The copy"
  echo "gathers the tables' statistics (ANALYZE) before it commits."
  echo
  "$build_dir/bench/server/server_bench" --rounds "$rounds" --posts "$posts" "$ZENMORA_TEST_POSTGRES" \
    ${million_connection:+"$million_connection"}
  echo
  echo "Start-up to the first paint on the server database is not measured: bench/startup's program"
  echo "(zenmora_first_paint) takes no database argument and reads no ZENMORA_DATABASE."
}
postgres_version() { psql -XAtc "SHOW server_version" | cut -d' ' -f1; }
export -f inner postgres_version
export build_dir database million quick
"$source_dir/tests/support/with_postgres.sh" bash -c inner
