#!/usr/bin/env bash
# Installs what is missing, builds Zenmora and runs every test.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD="${ZENMORA_BUILD_DIR:-$ROOT/build}"

"$ROOT/scripts/install-deps.sh"
"$ROOT/scripts/build.sh"
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$BUILD" --output-on-failure -j"$(nproc)" --timeout 600
