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
build_dir="$(cd "$1" && pwd)"
database=$2
million=""
quick=""
for argument in "${@:3}"; do
  if [[ $argument == --quick ]]; then quick=1; else million=$argument; fi
done

inner() {
  set -euo pipefail
  local rounds=30 posts=2000
  [[ -n $quick ]] && { rounds=5; posts=1000; }
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
  echo "gathers the tables' statistics (ANALYZE) before it commits. A post's baseline does the same work as"
  echo "the engine: the row read afresh, then an UPDATE guarded by the counter and every field as read."
  echo
  "$build_dir/bench/server/server_bench" --rounds "$rounds" --posts "$posts" "$ZENMORA_TEST_POSTGRES" \
    ${million_connection:+"$million_connection"}
  startup_section
}
# Start-up to the first paint: the program on the server database against the
# same program on the same database as a file, runs interleaved round by
# round (bench/startup/startup_runner); likewise for the 1,000,000 records.
startup_section() {
  local runs=15
  [[ -n $quick ]] && runs=3
  local work
  work="$(mktemp -d)"
  mkdir -p "$work/file13k" "$work/server13k"
  cp "$database" "$work/file13k/Lexora_Concept.mdb"
  echo "$ZENMORA_TEST_POSTGRES" >"$work/server13k/server-database"
  local program="$build_dir/bench/startup/zenmora_first_paint"
  local runner="$build_dir/bench/startup/startup_runner"
  local specs=("file13k=$work/file13k=$program" "server13k=$work/server13k=$program")
  "$runner" "$runs" "${specs[@]}" >"$work/13k.txt"
  if [[ -n $million_connection ]]; then
    mkdir -p "$work/file1m" "$work/server1m"
    cp "$million" "$work/file1m/Lexora_Concept.mdb"
    echo "$million_connection" >"$work/server1m/server-database"
    "$runner" "$runs" "file1m=$work/file1m=$program" "server1m=$work/server1m=$program" >"$work/1m.txt"
  fi
  echo
  echo "Start-up to the first paint (${QT_QPA_PLATFORM:-xcb}, $runs runs each, interleaved), the program on the"
  echo "server database against the same program on the same database as a file; ratio taken round by round."
  echo
  echo "| What | Server | File (baseline) | Ratio (median, min–max) | Target | Met |"
  echo "|---|---|---|---|---|---|"
  startup_row "bundled database (13,053 records)" "$work/13k.txt" server13k file13k 1.5
  [[ -f $work/1m.txt ]] && startup_row "1,000,000 records" "$work/1m.txt" server1m file1m 3
  rm -rf "$work"
}
startup_row() {  # startup_row WHAT FILE SERVER_LABEL FILE_LABEL TARGET
  python3 - "$@" <<'PY'
import re, sys
what, path, server, base, target = sys.argv[1:6]
text = open(path).read()
def field(kind, label, name):
    m = re.search(r"^%s %s .*?\b%s=([0-9.]+)" % (kind, re.escape(label), name), text, re.M)
    return float(m.group(1))
med = field("RATIO", server, "median")
lo, hi = field("RATIO", server, "min"), field("RATIO", server, "max")
print("| %s | %.0f ms | %.0f ms | %.2f× (%.2f–%.2f) | ≤ %s× | %s |" % (
    what, field("STARTUP", server, "median_ms"), field("STARTUP", base, "median_ms"), med, lo, hi, target,
    "met" if med <= float(target) else "**not met**"))
PY
}
postgres_version() { psql -XAtc "SHOW server_version" | cut -d' ' -f1; }
export -f inner postgres_version startup_section startup_row
export build_dir database million quick
"$source_dir/tests/support/with_postgres.sh" bash -c inner
