#!/usr/bin/env bash
# Builds the criteria fuzz target with clang's libFuzzer (plus AddressSanitizer
# and UndefinedBehaviorSanitizer) in its own build directory and runs it for a
# bounded time on the seed corpus.
#
#   run_fuzz.sh [seconds]      default 20
#
# Environment: CRITERIA_FUZZ_BUILD_DIR (default <repo>/build-criteria-fuzz),
# CLANGXX (default clang++, else clang++-14).
# Exits non-zero when the build fails or the fuzzer finds a crash, a leak, a
# timeout or a sanitizer report; the failing input is left in
# <build dir>/artifacts/.
set -euo pipefail

seconds="${1:-20}"
case "$seconds" in
  ''|*[!0-9]*) echo "usage: $0 [seconds]" >&2; exit 2 ;;
esac

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(cd "$here/../../../../.." && pwd)"
build="${CRITERIA_FUZZ_BUILD_DIR:-$root/build-criteria-fuzz}"
clangxx="${CLANGXX:-}"
if [[ -z "$clangxx" ]]; then
  if command -v clang++ >/dev/null; then clangxx=clang++; else clangxx=clang++-14; fi
fi

mkdir -p "$build/corpus" "$build/artifacts"
binary="$build/criteria_fuzz"
sources=("$root"/platform/dao/criteria/*.cpp "$here/criteria_fuzz.cpp")

# Rebuild only when a source or header is newer than the binary.
needs_build=1
if [[ -x "$binary" ]]; then
  needs_build=0
  for f in "${sources[@]}" "$root"/platform/dao/criteria/*.h; do
    if [[ "$f" -nt "$binary" ]]; then needs_build=1; break; fi
  done
fi
if [[ "$needs_build" == 1 ]]; then
  echo "building $binary with $clangxx"
  "$clangxx" -std=c++20 -O1 -g -Wall -Wextra -Werror \
    -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer \
    -I"$root" "${sources[@]}" -lsqlite3 -o "$binary.tmp"
  mv "$binary.tmp" "$binary"
fi

# New inputs go to the build directory's corpus; the seeds in the tree stay untouched.
"$binary" "$build/corpus" "$here/corpus" \
  -dict="$here/criteria.dict" \
  -max_total_time="$seconds" \
  -timeout=10 \
  -rss_limit_mb=2048 \
  -max_len=8192 \
  -artifact_prefix="$build/artifacts/" \
  -print_final_stats=1
