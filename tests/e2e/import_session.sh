#!/usr/bin/env bash
# An Access 97 user's way across, driven through a real X server (Xvfb):
# a Jet 3 file with Big5 text and user-defined characters (written by
# tests/import/make_jet_test_file) is imported with zenmora-db, the program
# is started on the result, and the export button copies records to the
# clipboard; the clipboard's Big5 bytes must equal the bytes stored in the
# Jet file (read back with mdb-export, every byte passed through).
#
#   bash tests/e2e/import_session.sh BUILD_DIR
#
# BUILD_DIR holds app/zenmora, tools/zenmora-db and
# tests/import/make_jet_test_file. Screenshots go to artifacts/e2e-import/.
# One line per check; the last line is "N passed, M failed"; exit 0 only when
# every check passed. The whole run is bounded (watchdog at 90 s).
set -u
HERE="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
ROOT="$(cd "$HERE/../.." && pwd)"
BUILD_DIR="$(cd "${1:?usage: import_session.sh BUILD_DIR}" && pwd)"
APP="$BUILD_DIR/app/zenmora"
TOOL="$BUILD_DIR/tools/zenmora-db"
MAKE_JET="$BUILD_DIR/tests/import/make_jet_test_file"
ART="$ROOT/artifacts/e2e-import"
CAPTION="Zenmora１．０１版"

for tool in Xvfb xdotool xclip xdpyinfo import mdb-export python3; do
    command -v "$tool" >/dev/null || { echo "missing tool: $tool"; exit 2; }
done
for program in "$APP" "$TOOL" "$MAKE_JET"; do
    [ -x "$program" ] || { echo "no program at $program"; exit 2; }
done

WORK="$(mktemp -d /tmp/zenmora-e2e-import.XXXXXX)"
mkdir -p "$ART"
rm -f "$ART"/*
source "$HERE/session_lib.sh"
start_watchdog 90

# ---- 1. the import -----------------------------------------------------------
echo "# 1. import (t=${SECONDS}s)"
"$MAKE_JET" "$WORK/OLD.mdb" || { echo "FAIL: the Jet file cannot be made"; exit 1; }
SOURCE_SUM="$(sha256sum <"$WORK/OLD.mdb")"
"$TOOL" import "$WORK/OLD.mdb" "$WORK/Lexora_Concept.mdb" --report "$ART/report.txt" >"$WORK/import.out" 2>&1
check "zenmora-db import exits 0" "0" "$?"
check "the source is unchanged" "$SOURCE_SUM" "$(sha256sum <"$WORK/OLD.mdb")"
check "only the source and the new file are in the folder" "Lexora_Concept.mdb OLD.mdb import.out" \
    "$(cd "$WORK" && ls | sort | tr '\n' ' ' | sed 's/ $//')"

# ---- 2. the program on the imported file ---------------------------------------
echo "# 2. the program on the imported file (t=${SECONDS}s)"
DISP=""
for n in $(seq 201 299); do
    if [ ! -e "/tmp/.X$n-lock" ] && [ ! -e "/tmp/.X11-unix/X$n" ]; then DISP=$n; break; fi
done
[ -n "$DISP" ] || { echo "no free display"; exit 2; }
Xvfb ":$DISP" -screen 0 1024x768x24 -dpi 96 -nolisten tcp >"$WORK/xvfb.log" 2>&1 &
XVFB_PID=$!
export DISPLAY=":$DISP"
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
export QT_QPA_PLATFORM=xcb LANG=C.UTF-8
(cd "$WORK" && exec "$APP") >"$WORK/app.log" 2>&1 &
APP_PID=$!
WIN="$(timeout 20 xdotool search --sync --onlyvisible --name "^${CAPTION}\$" 2>/dev/null | head -1)"
check_true "the main window shows on the imported database" "see $WORK/app.log" test -n "$WIN"
[ -n "$WIN" ] || { cat "$WORK/app.log"; echo "$PASS passed, $FAIL failed"; exit 1; }
sleep 0.8
import -window "$WIN" "$ART/01-imported-first-record.png" 2>/dev/null

PX=3; PY=24  # the first tab page's origin in the window (see user_session.sh)
click_at() {
    xdotool mousemove --window "$WIN" $((PX + $1)) $((PY + $2)); sleep 0.15
    xdotool click 1; sleep 0.3
}
export_record() {  # export_record ID: the export button, then compare with the Jet file
    printf 'before export' | xclip -selection clipboard 2>/dev/null
    click_at 528 355          # 單筆匯出剪貼
    sleep 0.3
    xclip -selection clipboard -o -t 'text/plain;charset=Big5' >"$WORK/got-$1.big5" 2>/dev/null
    python3 "$HERE/expected_line_from_jet.py" "$WORK/OLD.mdb" "$1" "$WORK/want-$1.big5"
    check_true "record $1: the clipboard's Big5 bytes equal the bytes in the Jet file" \
        "see $ART/export-$1-*.big5" cmp -s "$WORK/want-$1.big5" "$WORK/got-$1.big5"
    cp "$WORK/want-$1.big5" "$ART/export-$1-want.big5"; cp "$WORK/got-$1.big5" "$ART/export-$1-got.big5"
}

# ---- 3. export: a plain record, then one with user-defined characters ----------
echo "# 3. export (t=${SECONDS}s)"
export_record 1
click_at $((232 + 2 * 29 + 14)) 355   # navigator: next
sleep 0.3
import -window "$WIN" "$ART/02-user-defined-record.png" 2>/dev/null
export_record 2
check_true "record 2's line holds the user-defined code FA40" "see $ART/export-2-got.big5" \
    grep -q $'\xFA\x40' "$WORK/got-2.big5"

kill "$APP_PID" 2>/dev/null; wait "$APP_PID" 2>/dev/null; APP_PID=""
echo "$PASS passed, $FAIL failed"
[ "$FAIL" -eq 0 ]
