#!/usr/bin/env bash
# Configures and builds Zenmora into build/ (or $ZENMORA_BUILD_DIR).
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD="${ZENMORA_BUILD_DIR:-$ROOT/build}"
cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZENMORA_WERROR=ON "$@" >/dev/null
ninja -C "$BUILD" -j"$(nproc)"
