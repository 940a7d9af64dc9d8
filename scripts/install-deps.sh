#!/usr/bin/env bash
# Installs every Debian package Zenmora needs to build, run and test.
# Packages already present are skipped, so a second run costs nothing.
set -euo pipefail

PACKAGES=(
  # toolchain
  build-essential g++ cmake ninja-build pkg-config git python3
  # libraries
  qt6-base-dev qt6-base-dev-tools libgl-dev libsqlite3-dev libfmt-dev libbz2-dev
  # the reader of Access/Jet files (zenmora-db import); mdb-export is the import benchmark's baseline
  mdbtools-dev mdbtools
  # tests and benchmarks
  libgtest-dev libgmock-dev libbenchmark-dev sqlite3 clang libclang-rt-14-dev
  # the team server: the client library, and a server the tests start for themselves
  libpq-dev postgresql
  # a display for the window when there is none, screenshots, scripted input
  xvfb xauth x11-utils xdotool xclip imagemagick
  # icons rendered from their drawing; the Debian package and checks of the
  # installed desktop files
  librsvg2-bin dpkg-dev file desktop-file-utils appstream
  # a real input-method session: session bus, ibus with the Cangjie 5 table
  dbus dbus-daemon ibus ibus-table ibus-table-cangjie5
  # fonts that show Traditional Chinese
  fonts-noto-cjk
  # data the bundled database is built from
  ibus-table-cangjie5 ibus-table-cangjie3 unicode-data
)

missing=()
for package in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "install-deps: all packages present"
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
