#!/usr/bin/env bash
# Builds the whole project a second time with AddressSanitizer and
# UndefinedBehaviorSanitizer (-DZENMORA_SANITIZE=ON) into build-asan/ (or the
# directory given as $1) and runs every test there. Further arguments go to
# ctest (for example -R reliability).
#
# Leak detection is on by default. Qt and fontconfig keep process-lifetime
# allocations that LeakSanitizer may report at exit; ZENMORA_ASAN_LEAKS=0
# turns leak detection off when those reports drown the real ones.
#
# The build keeps going past a target that fails to compile, so that every
# test that could be built still runs; the script then exits non-zero.
set -uo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD="${1:-$ROOT/build-asan}"
case "$BUILD" in /*) ;; *) BUILD="$ROOT/$BUILD" ;; esac

cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZENMORA_SANITIZE=ON -DZENMORA_WERROR=ON >/dev/null || exit 1
build_status=0
ninja -C "$BUILD" -k 0 -j"$(nproc)" || build_status=$?

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS="detect_leaks=${ZENMORA_ASAN_LEAKS:-1}:halt_on_error=1${ASAN_OPTIONS:+:$ASAN_OPTIONS}"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1${UBSAN_OPTIONS:+:$UBSAN_OPTIONS}"

cd "$BUILD" || exit 1
test_status=0
ctest --output-on-failure -j"$(nproc)" "${@:2}" || test_status=$?

if [ "$build_status" -ne 0 ]; then
  echo "test-sanitizers: the sanitizer build failed (ninja exit $build_status); tests above ran on what was built" >&2
  exit "$build_status"
fi
exit "$test_status"
