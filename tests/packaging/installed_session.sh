#!/usr/bin/env bash
# The installed program as a new user meets it, on a virtual X display:
#
#   bash tests/packaging/installed_session.sh [PROGRAM [ARTIFACTS_DIR]]
#
# PROGRAM defaults to `zenmora` on the PATH (the installed package). The
# program starts with a brand-new HOME in an empty working folder, so neither
# the current folder nor the program's folder holds a database. Checks: the
# window shows record 1 of the user's copy of the database, which the first
# start made in ~/.local/share/zenmora from the installed template (left
# unchanged); a post lands in that copy; `--version` answers without a
# display. Screenshots (96 dpi and scale 2) go to ARTIFACTS_DIR
# (default artifacts/installed). One line per check, then "N passed, M
# failed"; exit 0 only when all passed. Bounded by a watchdog (150 s) that
# stops everything the script started.
set -u
HERE="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
ROOT="$(cd "$HERE/../.." && pwd)"
PROGRAM="${1:-$(command -v zenmora || true)}"
ART="${2:-$ROOT/artifacts/installed}"
CAPTION="Zenmora１．０１版"
WM_DELETE="$ROOT/tests/e2e/wm_delete.py"

for tool in Xvfb xdotool xclip xwininfo xprop import sqlite3 python3; do
    command -v "$tool" >/dev/null || { echo "missing tool: $tool"; exit 2; }
done
[ -n "$PROGRAM" ] && [ -x "$PROGRAM" ] || { echo "no program at '$PROGRAM'"; exit 2; }
PROGRAM="$(cd "$(dirname "$PROGRAM")" && pwd)/$(basename "$PROGRAM")"
mkdir -p "$ART"

WORK="$(mktemp -d /tmp/zenmora-installed.XXXXXX)"
export HOME="$WORK/home"
mkdir -p "$HOME" "$WORK/cwd"
unset XDG_DATA_HOME XDG_CONFIG_HOME XDG_CACHE_HOME QT_SCALE_FACTOR QT_ENABLE_HIGHDPI_SCALING
USER_DB="$HOME/.local/share/zenmora/Lexora_Concept.mdb"
TEMPLATE="$(cd "$(dirname "$PROGRAM")/.." && pwd)/share/zenmora/Lexora_Concept.mdb"

PASS=0; FAIL=0; XVFB_PID=""; APP_PID=""; WATCHDOG_PID=""
cleanup() {
    trap '' USR1
    [ -n "$APP_PID" ] && kill "$APP_PID" 2>/dev/null
    [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null
    if [ -n "$WATCHDOG_PID" ]; then pkill -P "$WATCHDOG_PID" 2>/dev/null; kill "$WATCHDOG_PID" 2>/dev/null; fi
    wait 2>/dev/null
    rm -rf "$WORK"
}
trap cleanup EXIT
trap 'echo "FAIL: run stopped by the time limit"; exit 3' USR1
( sleep 150; kill -USR1 $$ ) >/dev/null 2>&1 &
WATCHDOG_PID=$!

check() {  # check NAME EXPECTED ACTUAL
    if [ "$2" == "$3" ]; then PASS=$((PASS + 1)); echo "PASS: $1"
    else FAIL=$((FAIL + 1)); echo "FAIL: $1 (expected [$2], got [$3])"; fi
}
check_true() {  # check_true NAME DETAIL command...
    local name="$1" detail="$2"; shift 2
    if "$@"; then PASS=$((PASS + 1)); echo "PASS: $name"
    else FAIL=$((FAIL + 1)); echo "FAIL: $name ($detail)"; fi
}
field() { sqlite3 "$USER_DB" "SELECT IFNULL(\"$2\",'') FROM \"0_Data_Input\" WHERE ID=$1"; }

# ---- --version without any display --------------------------------------------
VERSION_OUT="$(env -u DISPLAY -u WAYLAND_DISPLAY "$PROGRAM" --version 2>&1)"
check_true "--version prints the version without a display ($VERSION_OUT)" "got [$VERSION_OUT]" \
    grep -Eq '^Zenmora [0-9]+\.[0-9]+' <<<"$VERSION_OUT"
TEMPLATE_SUM=""; [ -f "$TEMPLATE" ] && TEMPLATE_SUM="$(md5sum <"$TEMPLATE")"
check_true "the installed template exists ($TEMPLATE)" "missing" test -f "$TEMPLATE"
check_true "no user database before the first start" "$USER_DB exists" test ! -e "$USER_DB"

# ---- X server ------------------------------------------------------------------
DISP=""
for n in $(seq 140 199); do
    if [ ! -e "/tmp/.X$n-lock" ] && [ ! -e "/tmp/.X11-unix/X$n" ]; then DISP=$n; break; fi
done
[ -n "$DISP" ] || { echo "no free display"; exit 2; }
Xvfb ":$DISP" -screen 0 1600x1000x24 -dpi 96 -nolisten tcp >"$WORK/xvfb.log" 2>&1 &
XVFB_PID=$!
export DISPLAY=":$DISP" QT_QPA_PLATFORM=xcb LANG=C.UTF-8
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

WIN=""
start_app() {  # start_app [ENV=VALUE...]
    (cd "$WORK/cwd" && exec env "$@" "$PROGRAM") >>"$WORK/app.log" 2>&1 &
    APP_PID=$!
    WIN="$(timeout 20 xdotool search --sync --onlyvisible --name "^${CAPTION}\$" 2>/dev/null | head -1)"
    sleep 1
}
stop_app() {
    python3 "$WM_DELETE" "$WIN"
    local i
    for i in $(seq 100); do kill -0 "$APP_PID" 2>/dev/null || break; sleep 0.1; done
    if kill -0 "$APP_PID" 2>/dev/null; then kill "$APP_PID"; wait "$APP_PID" 2>/dev/null; APP_PID=""; return 1; fi
    wait "$APP_PID"; local rc=$?; APP_PID=""; return $rc
}
# Page coordinates as in tests/e2e/user_session.sh: the first page's origin
# is at (3, 24) of the window at 96 dpi.
PX=3; PY=24
click_at() {
    xdotool mousemove --window "$WIN" $((PX + $1)) $((PY + $2)); sleep 0.15; xdotool click 1; sleep 0.3
}
read_box() {
    printf '<nothing copied>' | xclip -selection clipboard 2>/dev/null
    click_at "$1" "$2"; xdotool key ctrl+a ctrl+c; sleep 0.3
    xclip -selection clipboard -o 2>/dev/null
}
window_size() { xwininfo -id "$WIN" | awk '/Width:/{w=$2} /Height:/{h=$2} END{print w "x" h}'; }

# ---- first start ---------------------------------------------------------------
start_app
check_true "window $CAPTION appears" "no window within 20 s; log: $(tr '\n' ' ' <"$WORK/app.log")" test -n "$WIN"
[ -n "$WIN" ] || { echo "$PASS passed, $((FAIL + 1)) failed"; exit 1; }
import -window "$WIN" "$ART/installed-first-start-96dpi.png" 2>/dev/null
check "window is 591x391 at 96 dpi" "591x391" "$(window_size)"
# The desktop matches the window to its entry by this class (StartupWMClass).
DESKTOP="$(cd "$(dirname "$PROGRAM")/.." && pwd)/share/applications/org.zenmora.Zenmora.desktop"
WM_CLASS="$(xprop -id "$WIN" WM_CLASS | sed 's/.*= //')"
check "window class is the desktop entry's StartupWMClass" \
    "\"zenmora\", \"$(sed -n 's/^StartupWMClass=//p' "$DESKTOP")\"" "$WM_CLASS"
check_true "the first start made the user's copy in ~/.local/share/zenmora" "no $USER_DB" test -f "$USER_DB"
check_true "the first start said so on standard error" "log: $(cat "$WORK/app.log")" \
    grep -q "first start: copied the database template" "$WORK/app.log"
check "window shows record 1 ($(field 1 B5_Word))" "$(field 1 B5_Word)" "$(read_box 28 20)"

NOTE="installed note $$"
click_at 100 240
xdotool key ctrl+a
printf '%s' "$NOTE" | xclip -selection clipboard 2>/dev/null; sleep 0.1; xdotool key ctrl+v; sleep 0.3
click_at $((232 + 6 * 29 + 14)) 355   # navigator: post
sleep 0.5
check "the post landed in the user's copy" "$NOTE" "$(field 1 Note)"
stop_app; check "program ends cleanly" "0" "$?"
check "the installed template is unchanged" "$TEMPLATE_SUM" "$(md5sum <"$TEMPLATE")"

# ---- scale 2: the same window in twice the device pixels (looked at by a person) ---
start_app QT_SCALE_FACTOR=2
check "window is exactly twice the size at scale 2" "1182x782" "$(window_size)"
import -window "$WIN" "$ART/installed-scale2.png" 2>/dev/null
stop_app >/dev/null

echo "$PASS passed, $FAIL failed"
[ "$FAIL" -eq 0 ]
