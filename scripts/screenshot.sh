#!/usr/bin/env bash
# Starts the program on a virtual display at 96 dpi, saves a PNG of its main
# window and closes the program again.
#
#   scripts/screenshot.sh OUTPUT.png [PROGRAM]
#
# PROGRAM defaults to build/app/zenmora in the work tree. Needs Xvfb, xdotool
# and ImageMagick's import.
set -euo pipefail

out=${1:?usage: $0 OUTPUT.png [PROGRAM]}
root=$(cd "$(dirname "$0")/.." && pwd)
program=${2:-$root/build/app/zenmora}
caption='Zenmora１．０１版'

[[ -x $program ]] || { echo "screenshot: no program at $program" >&2; exit 1; }
for tool in Xvfb xdotool import; do
  command -v "$tool" >/dev/null || { echo "screenshot: $tool is not installed" >&2; exit 1; }
done

# A display number that nobody uses.
display=99
while [[ -e /tmp/.X$display-lock || -e /tmp/.X11-unix/X$display ]]; do display=$((display + 1)); done

xvfb_pid=
app_pid=
cleanup() {
  [[ -n $app_pid ]] && kill "$app_pid" 2>/dev/null || true
  [[ -n $xvfb_pid ]] && kill "$xvfb_pid" 2>/dev/null || true
  wait 2>/dev/null || true
}
trap cleanup EXIT

Xvfb ":$display" -screen 0 1024x768x24 -dpi 96 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
export DISPLAY=":$display"
for _ in $(seq 100); do
  xdotool getdisplaygeometry >/dev/null 2>&1 && break
  kill -0 "$xvfb_pid" 2>/dev/null || { echo "screenshot: Xvfb did not start" >&2; exit 1; }
  sleep 0.1
done

# The program reads no settings; only the display is handed to it.
env -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb "$program" &
app_pid=$!

window=$(timeout 30 xdotool search --sync --onlyvisible --name "$caption" | head -n 1) || true
if [[ -z $window ]]; then
  echo "screenshot: the window \"$caption\" did not appear" >&2
  exit 1
fi
# Give the first paint a moment to reach the server.
sleep 1
mkdir -p "$(dirname "$out")"
import -window "$window" "$out"
echo "screenshot saved to $out"
