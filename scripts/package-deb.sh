#!/usr/bin/env bash
# Builds the Debian package of Zenmora into build-deb/ (or $ZENMORA_DEB_BUILD_DIR):
# the program and the database template only (no tests), installed under
# /usr, library dependencies computed by dpkg-shlibdeps. Prints the path of
# the .deb as its last line.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD="${ZENMORA_DEB_BUILD_DIR:-$ROOT/build-deb}"

"$ROOT/scripts/install-deps.sh"
cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF "$@" >/dev/null
ninja -C "$BUILD" -j"$(nproc)"
(cd "$BUILD" && cpack -G DEB >/dev/null)
ls -t "$BUILD"/zenmora_*.deb | head -n 1
