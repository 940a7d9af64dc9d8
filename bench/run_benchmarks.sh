#!/usr/bin/env bash
# The performance report in one command:
#
#   bench/run_benchmarks.sh [--quick]
#
# Builds what it needs (Release, in build-bench/ beside the sources, or in
# $ZEN_BENCH_BUILD_DIR), makes the databases (a copy of the bundled
# Lexora_Concept.mdb and, once per build folder, the same database with
# 1,000,000 character records), then measures in this one run:
#  - start-up to the first paint: the program (bench/startup/
#    zenmora_first_paint, the program's start with a first-paint stop watch)
#    on the bundled and on the 1M database, against bench/startup/bare_window;
#    peak memory of each; the runs interleaved, with their spread; and the
#    program's start-up trace (--startup-trace) on each database;
#  - per operation, the data layer and the engine against raw SQLite on the
#    same files (bench/ops, bench/dao, bench/data);
#  - the engine on a PostgreSQL server against raw libpq (bench/server, on
#    a throwaway server of its own: tests/support/with_postgres.sh), on
#    both databases copied there with zenmora-db copy;
#  - the import of a 13,053-record and a 1,000,000-record Access (Jet 3, Big5)
#    file with zenmora-db against mdb-export of the same file to CSV
#    (bench/import; the Jet files are made once per build folder);
# prints the figures and writes them to bench/RESULTS.md with the machine
# they came from. --quick runs fewer repetitions (for a smoke test).
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source_dir="$(dirname "$here")"
build_dir="${ZEN_BENCH_BUILD_DIR:-$source_dir/build-bench}"
runs=30
min_time=0.5
if [[ "${1:-}" == "--quick" ]]; then
  runs=5
  min_time=0.05
fi

echo "== build ($build_dir)"
cmake -S "$source_dir" -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS=-Wno-restrict >/dev/null
ninja -C "$build_dir" -j"$(nproc)" lexora_db zenmora_first_paint bare_window startup_runner make_million_db \
  ops_bench dao_engine_bench data_bench zenmora-db make_jet_bench_file import_bench server_bench >/dev/null

work="$(mktemp -d "$build_dir/bench-run.XXXXXX")"  # on the disk the program's files live on
xvfb_pid=""
cleanup() {
  if [[ -n "$xvfb_pid" ]]; then kill "$xvfb_pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT

export XDG_RUNTIME_DIR="$work/xdg"
mkdir -m 700 "$XDG_RUNTIME_DIR"

echo "== databases"
million_db="$build_dir/bench-data/Lexora_Concept_1M.mdb"
if [[ ! -f "$million_db" ]]; then
  mkdir -p "$(dirname "$million_db")"
  "$build_dir/bench/startup/make_million_db" "$million_db.part" 1000000
  mv "$million_db.part" "$million_db"
fi
mkdir -p "$work/13k" "$work/1m" "$work/bare"
cp "$build_dir/app/Lexora_Concept.mdb" "$work/13k/Lexora_Concept.mdb"
cp "$million_db" "$work/1m/Lexora_Concept.mdb"

# A real X server when there is one to start; Qt's offscreen platform otherwise.
if command -v Xvfb >/dev/null; then
  for display in $(seq 90 140); do
    [[ -e "/tmp/.X11-unix/X$display" || -e "/tmp/.X$display-lock" ]] && continue
    Xvfb ":$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 50); do [[ -e "/tmp/.X11-unix/X$display" ]] && break; sleep 0.1; done
    export DISPLAY=":$display" QT_QPA_PLATFORM=xcb
    break
  done
fi
if [[ -z "$xvfb_pid" ]]; then export QT_QPA_PLATFORM=offscreen; fi
display_server="${QT_QPA_PLATFORM}${DISPLAY:+ on Xvfb $DISPLAY}"

echo "== start-up ($display_server, $runs runs each, interleaved)"
"$build_dir/bench/startup/startup_runner" "$runs" \
  "bare=$work/bare=$build_dir/bench/startup/bare_window" \
  "program_13k=$work/13k=$build_dir/bench/startup/zenmora_first_paint" \
  "program_1m=$work/1m=$build_dir/bench/startup/zenmora_first_paint" | tee "$work/startup.txt"
# Where the program's start-up goes, step by step (one run on each database).
for rows in 13k 1m; do
  (cd "$work/$rows" && "$build_dir/bench/startup/zenmora_first_paint" --startup-trace 2>&1 >/dev/null) \
    | tee "$work/trace_$rows.txt"
done

echo "== per operation"
export ZEN_BENCH_DB_13K="$work/13k/Lexora_Concept.mdb" ZEN_BENCH_DB_1M="$work/1m/Lexora_Concept.mdb"
bench_args=(--benchmark_min_time="$min_time" --benchmark_out_format=json)
"$build_dir/bench/ops/ops_bench" "${bench_args[@]}" --benchmark_out="$work/ops.json"
"$build_dir/bench/dao/dao_engine_bench" "${bench_args[@]}" --benchmark_out="$work/engine.json"
"$build_dir/bench/data/data_bench" "${bench_args[@]}" --benchmark_filter=Locate --benchmark_out="$work/data.json"

echo "== import of Access files ($runs runs each, zenmora-db import against mdb-export to CSV)"
jet_dir="$build_dir/bench-data"
for rows in 13053 1000000; do
  if [[ ! -f "$jet_dir/jet3_big5_$rows.mdb" ]]; then
    mkdir -p "$jet_dir"
    rm -f "$jet_dir/jet3_big5_$rows.mdb.part"
    "$build_dir/bench/import/make_jet_bench_file" "$jet_dir/jet3_big5_$rows.mdb.part" "$rows"
    mv "$jet_dir/jet3_big5_$rows.mdb.part" "$jet_dir/jet3_big5_$rows.mdb"
  fi
done
mkdir -p "$work/import"
import_runs=$runs
[[ "${1:-}" == "--quick" ]] && import_runs=1
{
  echo
  echo "## Import of an Access (Jet 3, Big5) file"
  echo
  echo "Median wall time of \`zenmora-db import\` against \`mdb-export\` of the same file to CSV; peak memory is"
  echo "the maximum resident set of the process tree."
  echo
  echo "| What | zenmora-db import | mdb-export to CSV (baseline) | Ratio | Target |"
  echo "|---|---|---|---|---|"
  "$build_dir/bench/import/import_bench" "$build_dir/tools/zenmora-db" "$jet_dir/jet3_big5_13053.mdb" 13053 \
    "$import_runs" "$work/import" 13k
  "$build_dir/bench/import/import_bench" "$build_dir/tools/zenmora-db" "$jet_dir/jet3_big5_1000000.mdb" 1000000 \
    "$import_runs" "$work/import" 1M
} | tee "$work/import.md"

echo "== the engine on a PostgreSQL server against raw libpq"
server_args=("$work/13k/Lexora_Concept.mdb" "$million_db")
[[ "${1:-}" == "--quick" ]] && server_args+=(--quick)
"$here/server/run_server_bench.sh" "$build_dir" "${server_args[@]}" | tee "$work/server.md"

echo "== report"
python3 "$here/report/write_results.py" --startup "$work/startup.txt" \
  --trace "$work/trace_13k.txt" --trace-1m "$work/trace_1m.txt" --ops "$work/ops.json" \
  --engine "$work/engine.json" --data "$work/data.json" --display "$display_server" --out "$here/RESULTS.md"
cat "$work/import.md" "$work/server.md" >> "$here/RESULTS.md"
cat "$here/RESULTS.md"
