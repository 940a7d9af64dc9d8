#!/usr/bin/env bash
# Installs what is missing, builds Zenmora, builds the bundled database when
# there is none yet, and starts the program on it. Without a display the
# program runs on a virtual one, a screenshot of the window is saved, and the
# program is closed again.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD="${ZENMORA_BUILD_DIR:-$ROOT/build}"

"$ROOT/scripts/install-deps.sh"
"$ROOT/scripts/build.sh"
if ninja -C "$BUILD" -t targets all 2>/dev/null | grep -q '^lexora_db:'; then
  ninja -C "$BUILD" lexora_db
fi

PROGRAM="$BUILD/app/zenmora"
cd "$BUILD/app"
if [ -n "${DISPLAY:-}" ]; then
  exec "$PROGRAM"
fi

SHOT="$ROOT/artifacts/zenmora-window.png"
mkdir -p "$(dirname "$SHOT")"
"$ROOT/scripts/screenshot.sh" "$SHOT" "$PROGRAM"
echo "No display: Zenmora ran on a virtual display; screenshot saved to $SHOT"
