#!/usr/bin/env bash
# Installs what is missing, builds Zenmora and runs every test.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD="${ZENMORA_BUILD_DIR:-$ROOT/build}"

"$ROOT/scripts/install-deps.sh"
"$ROOT/scripts/build.sh"

# The criteria language takes text from the user: fuzz it for a bounded time
# on every run (longer by hand: run_fuzz.sh SECONDS).
CRITERIA_FUZZ_BUILD_DIR="$BUILD/criteria-fuzz" \
  bash "$ROOT/tests/platform/dao/criteria/fuzz/run_fuzz.sh" "${ZENMORA_FUZZ_SECONDS:-20}" 2>&1 | tail -n 3

# A whole sitting of work, driven with real X input on a virtual display,
# on a fresh copy of the bundled database; screenshots go to artifacts/e2e/.
ninja -C "$BUILD" lexora_db
bash "$ROOT/tests/e2e/user_session.sh" "$BUILD"
# The program while other programs copy, share or change its file.
bash "$ROOT/tests/e2e/other_writers_session.sh" "$BUILD"
# An Access 97 file with Big5 and user-defined characters imported with
# zenmora-db, opened in the program and exported through the clipboard.
bash "$ROOT/tests/e2e/import_session.sh" "$BUILD"

# Damaged Access files: the import test mutates a good file's catalogue this
# many times (a bounded fuzz run; the unit test alone does 24).
export ZENMORA_IMPORT_FUZZ_RUNS="${ZENMORA_IMPORT_FUZZ_RUNS:-200}"
# Chinese typed through a real input method (ibus, Cangjie 5) into the boxes,
# with compositions still pending when the user posts, moves, cancels,
# clicks elsewhere, presses Tab or closes; screenshots go to artifacts/e2e-im-ibus/.
bash "$ROOT/tests/e2e/input_method_session.sh" "$BUILD"

export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$BUILD" --output-on-failure -j"$(nproc)" --timeout 600

# The whole suite once more, built with AddressSanitizer and
# UndefinedBehaviorSanitizer (ZENMORA_SANITIZERS=0 skips it for a quick run).
if [ "${ZENMORA_SANITIZERS:-1}" != 0 ]; then
  bash "$ROOT/scripts/test-sanitizers.sh" "${ZENMORA_ASAN_BUILD_DIR:-$BUILD-asan}"
fi
